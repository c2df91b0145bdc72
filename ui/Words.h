#pragma once
// The player layer's own words, in English and in Japanese (Shift-JIS, as
// the story's font draws them).

namespace ui {

struct Words {
  const char* menuTitle;
  const char* resume;
  const char* save;
  const char* load;
  const char* backlog;
  const char* settings;
  const char* quit;
  const char* quitAsk;
  const char* overwriteAsk;
  const char* yes;
  const char* no;
  const char* slot;
  const char* quick;
  const char* autoSlot;
  const char* empty;
  const char* unreadable;
  const char* saved;
  const char* loaded;
  const char* nothingToSave;
  const char* slotEmpty;
  const char* refused;
  const char* cannotSave;
  const char* noSaves;
  const char* noRollback;
  const char* skip;
  const char* skipStopped;
  const char* autoMode;
  const char* on;
  const char* off;
  const char* mute;
  const char* masterVolume;
  const char* voiceVolume;
  const char* effectVolume;
  const char* skipRead;
  const char* skipAll;
  const char* autoPause;
  const char* autoPerChar;
  const char* scale;
  const char* scaleAuto;
  const char* fullscreen;
  const char* language;
  const char* back;
  const char* backlogEmpty;
  const char* damaged;
  const char* otherStory;
  const char* otherVersion;
  const char* truncated;
  const char* notASave;
  const char* screenshot;  // followed by the file's name
  const char* continueGame;
  const char* nothingToContinue;
  const char* quickLoadAsk;  // two lines
};

const Words& englishWords();
const Words& japaneseWords();

// True when Shift-JIS `text` holds kana or kanji (not only punctuation and
// Latin letters): the story speaks Japanese.
bool looksJapanese(const char* text, unsigned long size);

}  // namespace ui
