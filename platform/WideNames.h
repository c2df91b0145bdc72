#pragma once
// Windows: the programs' byte-string names as the wide names Windows' own
// calls take, and back. The programs' own paths are UTF-8; the story's data
// names are Shift-JIS (code page 932), as its INI file and scenario spell them.
#include <string>

namespace platform {

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);
std::wstring wideFromShiftJis(const std::string& text);

}  // namespace platform
