#pragma once
// Private-profile (INI) reader with the semantics of the classic Windows
// GetPrivateProfileString/GetPrivateProfileInt calls; bytes are kept as they
// are (Shift-JIS or ASCII). Only a regular file is read (anything else reads
// as missing), at most kMaxIniBytes of it; the file is read once and kept
// until its size or modification time changes.
#include <cstddef>

namespace platform {

// No real INI file comes near this; past it, whole lines up to it are read.
constexpr size_t kMaxIniBytes = 1 << 20;

// Copies the value of `key` in `section` of `file` (or `def` when the key, the
// section or the file is missing) into `out`, cut to size - 1 bytes and
// NUL-terminated. Returns the number of bytes copied. size <= 0 copies nothing.
int getProfileString(const char* section, const char* key, const char* def, char* out, int size,
                     const char* file);

// The decimal value of `key`: leading blanks, optional sign, digits up to the
// first other character, wrapped modulo 2^32 ("0x10" is 0). A value without
// digits gives 0; an empty value or a missing key gives `def`.
int getProfileInt(const char* section, const char* key, int def, const char* file);

// How many times an INI file was read from disk since start (tests).
unsigned long iniFileReads();

}  // namespace platform
