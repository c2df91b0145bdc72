#pragma once
// The story scene: scenario tables and names, the byte-code interpreter and
// the composition of the story screen.
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "game/Face.h"
#include "game/ScenarioTable.h"
#include "game/SelectWindow.h"
#include "game/Text.h"
#include "graphics/Pf1.h"
#include "sound/Sound.h"

class ZegDevice;

// Interpreter values that survive from one step to the next and outlive any
// one Game (a new Game does not reset them).
struct GameStepState {
  int key = 0;        // key-edge word
  int wait = 0;       // timed wait, flash and shake counter
  int num = 0;        // speaker operand of the latest name instruction
  int voicenum = 0;   // next clip of the current voice bank
  int old_face = -1;  // character of the latest face instruction
  int result = 0;     // item chosen at the latest choice
  char pfname[9] = "xxxx.PF1";
  char pcmname[10] = "KIxxx.PCM";
  // Wide enough for every byte value of both face operands ("FACE255254.PF1").
  char facename[16] = "FACExxyy.PF1";
};

class Game {
 public:
  Game();
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // One interpreter step: 0, or -1 when the interpreter was already stopped.
  int main(Sound* se);
  // Composes the story screen from the current state; changes no state.
  void draw(ZegDevice* zeg);

  // The interpreter's step-persistent values (tests inspect them).
  static GameStepState& stepState();
  // Test hook: puts the step-persistent values back to their start-of-run state.
  static void resetStepState();

  struct FileCloser {
    void operator()(FILE* f) const {
      if (f) std::fclose(f);
    }
  };
  using Name = std::array<char, 50>;

  std::unique_ptr<Pf1> pf;      // current background image
  std::unique_ptr<Pf1> oldPf;   // previous image while a transition runs
  std::unique_ptr<Sound> voice; // current voice bank
  std::unique_ptr<Face> face;
  std::unique_ptr<Text> text;
  std::unique_ptr<SelectWindow> select;
  int phase = 0;  // interpreter state: a scenario::Phase, or the fetched scenario::Op
  int eyesstate = 0;
  int mouthstate = 0;
  int face_site = 0;
  int eyes = 0;
  int mouth = 0;
  int chart = 0;
  int fade = 64;  // 0 black, 64 normal, 127 white
  int theta = 0;
  int size = 0;
  ScenarioTable chartTable;  // chart start offsets; -1 where the table lies outside the file
  ScenarioTable linkTable;   // chartMax rows of six successors; -1 outside the file
  std::unique_ptr<FILE, FileCloser> fp;  // "EVENT.BIN"
  int scrX = 0;
  int scrY = 0;
  int zoom = 0;
  int apearmode = 0;
  int scroll = 0;
  char item[6][50] = {};  // texts of the pending choice
  std::vector<Name> defaultname;  // character names, numbered from 1 (at most the 254 a speaker byte can name)
  int maxChar = 0;
  long fetchedAt = -1;  // EVENT.BIN offset of the byte the latest fetch read (for reports)

 private:
  long fileSize = 0;  // length of "EVENT.BIN"

  // Construction.
  bool loadTables(int chartPos, int linkPos, int chartMax, long address);
  void loadNames(long namePos, int count);

  // Reading the scenario stream. A read at the end of the file stops the
  // interpreter; `eof` stays set until the instruction has been abandoned.
  int readByte();
  bool eof = false;
  // Reads a NUL-terminated string into `out`: its longest prefix of whole
  // characters that fits `cap` - 1 bytes (a lead byte right before the NUL
  // counts as a character); the rest up to the NUL is read and discarded.
  void readString(char* out, int cap);

  // Interpreter pieces.
  void stop();
  void chartError(int value);
  void seekChart();
  void fetch();
  void execute(Sound* se);
  void step(Sound* se);
  void speakerName();
  void choice(Sound* se);
  void choosing(Sound* se);
  void branch();
  void voiceBank();
  void playNextVoice();
  void faceInstruction();
  void imageChange();
  void typing();
  void ensureOpenWindow();
  void endTransition();
  void transition();
  void animateFace();

  // Drawing pieces.
  void drawBackground(ZegDevice* zeg);
  void drawTransition(ZegDevice* zeg);
  static void fillGrey(ZegDevice* zeg, int level);
};
