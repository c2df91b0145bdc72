#pragma once
// Private-profile (INI) reader with the semantics of the classic Windows
// GetPrivateProfileString/GetPrivateProfileInt calls. The file is read anew on
// every call; bytes are kept as they are (Shift-JIS or ASCII).

namespace platform {

// Copies the value of `key` in `section` of `file` (or `def` when the key, the
// section or the file is missing) into `out`, cut to size - 1 bytes and
// NUL-terminated. Returns the number of bytes copied. size <= 0 copies nothing.
int getProfileString(const char* section, const char* key, const char* def, char* out, int size,
                     const char* file);

// The integer value of `key`: leading blanks, optional sign, optional 0x for
// hexadecimal, digits up to the first other character, wrapped modulo 2^32.
// A value without digits gives 0; an empty value or a missing key gives `def`.
int getProfileInt(const char* section, const char* key, int def, const char* file);

}  // namespace platform
