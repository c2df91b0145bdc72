#pragma once
// Turns game data (kirune.ini, EVENT.BIN, ASTARTUP.BIN) back into a story
// script; compiling the script gives the same three files byte for byte when
// they were made by the compiler. Bytes that are no sound instruction are
// shown as raw bytes; damaged tables fall back to a raw layout.
#include <string>

// Reads dataDir/kirune.ini and the scenario files it names (EVENT.BIN and
// ASTARTUP.BIN in its ROOTDIR below dataDir, or in dataDir itself) and
// writes the script to `scriptOut`. False with a message when kirune.ini or
// EVENT.BIN cannot be read.
bool dumpStory(const std::string& dataDir, std::string& scriptOut, std::string* error);
