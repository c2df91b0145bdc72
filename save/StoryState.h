#pragma once
// The one description of a StorySnapshot: every value, in file order, with
// what the story can make of it. Capture and restore (`pairGame`), the save
// file (writer and reader visitors), plausibility (ranges) and equality all
// walk it. Each aggregate is taken apart by a structured binding, so a member
// added to one of them and not handled here does not compile.
//
// A visitor offers, for a const or non-const snapshot:
//   number(int-like&, lo, hi)   a value the story keeps within [lo, hi]
//   wide(long&, lo, hi)         the same, 64 bits in the file
//   word(uint32_t&)             any 32-bit value
//   flag(bool&)
//   text(std::string&, cap)     at most `cap` bytes, no NUL
//   name(char (&)[N])           a NUL-terminated name of its buffer
#include <climits>

#include "save/StorySnapshot.h"
#include "sound/Sound.h"

namespace save {

template <class V, class T>
void visitValues(V& v, T& g) {
  auto& [phase, eyesstate, mouthstate, face_site, eyes, mouth, chart, fade, theta, size, scrX, scrY, zoom, apearmode,
         scroll] = g;
  v.number(phase, 0, 0x7F);  // a waiting phase: checked apart
  v.number(eyesstate, 0, 420);
  v.number(mouthstate, 0, 230);
  v.number(face_site, 0, 1);
  v.number(eyes, 0, 2);
  v.number(mouth, 0, 2);
  v.number(chart, 0, INT_MAX);
  v.number(fade, 0, 127);
  v.number(theta, -4096, 4096);
  v.number(size, -10, 138);
  v.number(scrX, -640, 640);
  v.number(scrY, -480, 480);
  v.number(zoom, 0, 100);
  v.number(apearmode, 0, 255);
  v.number(scroll, 0, 1);
}

template <class V, class T>
void visitText(V& v, T& t) {
  auto& [line, row, width, height, left, right, lines] = t;
  v.number(line, 0, 2);
  v.number(row, 0, 255);
  v.number(width, -6, 150);
  v.number(height, 0, 27);
  v.number(left, INT_MIN, INT_MAX);  // the window's own band: checked apart
  v.number(right, INT_MIN, INT_MAX);
  for (auto& l : lines) v.text(l, 255);
}

template <class V, class T>
void visitChoice(V& v, T& c) {
  auto& [max, pos, dispPos, select, items] = c;
  v.number(max, 0, 6);
  v.number(pos, 0, 2);
  v.number(dispPos, 0, 5);
  v.number(select, 0, 5);
  for (auto& it : items) v.text(it, 49);
}

template <class V, class T>
void visitStep(V& v, T& st) {
  auto& [key, wait, num, voicenum, old_face, result, pfname, pcmname, facename] = st;
  v.number(key, INT_MIN, INT_MAX);
  v.number(wait, 0, 100000);
  v.number(num, 0, 255);
  v.number(voicenum, 0, 1000000);
  v.number(old_face, -1, 255);
  v.number(result, 0, 5);
  v.name(pfname);
  v.name(pcmname);
  v.name(facename);
}

template <class V, class T>
void visitClip(V& v, T& vs) {
  auto& [sounding, clip, offset] = vs;
  v.flag(sounding);
  v.number(clip, 0, static_cast<long>(Sound::kMaxClips) - 1);
  v.number(offset, 0, INT32_MAX);
}

template <class V, class T>
void visitTiming(V& v, T& t) {
  auto& [valid, deadlineAhead, audioElapsed] = t;
  v.flag(valid);
  v.word(deadlineAhead);
  v.word(audioElapsed);
}

// Every value of a snapshot (T is StorySnapshot or const StorySnapshot).
template <class V, class T>
void visit(V& v, T& s) {
  auto& [game, item, streamPos, hasPicture, hasFace, hasVoice, hasText, text, hasChoice, choice, step, voice,
         systemSound, timing] = s;
  visitValues(v, game);
  for (auto& it : item) v.text(it, 49);
  v.wide(streamPos, 0, 0x7FFFFFFF);
  v.flag(hasPicture);
  v.flag(hasFace);
  v.flag(hasVoice);
  v.flag(hasText);
  visitText(v, text);
  v.flag(hasChoice);
  visitChoice(v, choice);
  visitStep(v, step);
  visitClip(v, voice);
  visitClip(v, systemSound);
  visitTiming(v, timing);
}

// Calls f(gameMember, value) for every plain member of `Game` and its value
// (capture copies one way, restore the other).
template <class G, class T, class F>
void pairGame(G& g, T& values, F&& f) {
  auto& [phase, eyesstate, mouthstate, face_site, eyes, mouth, chart, fade, theta, size, scrX, scrY, zoom, apearmode,
         scroll] = values;
  f(g.phase, phase);
  f(g.eyesstate, eyesstate);
  f(g.mouthstate, mouthstate);
  f(g.face_site, face_site);
  f(g.eyes, eyes);
  f(g.mouth, mouth);
  f(g.chart, chart);
  f(g.fade, fade);
  f(g.theta, theta);
  f(g.size, size);
  f(g.scrX, scrX);
  f(g.scrY, scrY);
  f(g.zoom, zoom);
  f(g.apearmode, apearmode);
  f(g.scroll, scroll);
}

// The same for the text window's numbers.
template <class W, class T, class F>
void pairText(W& w, T& t, F&& f) {
  auto& [line, row, width, height, left, right, lines] = t;
  (void)lines;  // copied line by line, as NUL-terminated buffers
  f(w.line, line);
  f(w.row, row);
  f(w.width, width);
  f(w.height, height);
  f(w.left, left);
  f(w.right, right);
}

}  // namespace save
