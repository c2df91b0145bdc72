#pragma once
// The history of shown messages: each message's bytes as the story typed
// them, turned into lines, and the lines the backlog screen lists.
#include <deque>
#include <string>
#include <vector>

#include "save/SaveFile.h"

namespace ui {

// A message's bytes (up to its NUL) as lines joined by '\n': the escape
// backslash-n breaks a line; backslash-c, which empties the story's window,
// starts a new line here (nothing at the very start); any other escape and
// every character is kept as typed.
std::string messageText(const std::string& bytes);

// Number of characters (a double-byte character counts one), line breaks excluded.
int characterCount(const std::string& text);

struct BacklogLine {
  std::string text;
  bool speaker = false;
};

// Every entry as its speaker line (when it has one) and its text lines, oldest first.
std::vector<BacklogLine> backlogLines(const std::deque<save::BacklogEntry>& entries);

// What a save slot shows of its moment: the start of the message on screen,
// speaker first, on one line.
std::string slotLabel(const save::BacklogEntry& latest);

}  // namespace ui
