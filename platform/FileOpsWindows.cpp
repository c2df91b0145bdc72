#define _CRT_RAND_S
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <iterator>

#include "platform/FileOps.h"
#include "platform/WideNames.h"

namespace platform::fileops {

namespace {

// Windows' errors as the errno values the callers report.
int errnoOf(DWORD error) {
  static const struct {
    DWORD win;
    int err;
  } kTable[] = {
      {ERROR_FILE_NOT_FOUND, ENOENT},   {ERROR_PATH_NOT_FOUND, ENOENT},  {ERROR_INVALID_DRIVE, ENOENT},
      {ERROR_BAD_NETPATH, ENOENT},      {ERROR_ACCESS_DENIED, EACCES},   {ERROR_WRITE_PROTECT, EACCES},
      {ERROR_FILE_EXISTS, EEXIST},      {ERROR_ALREADY_EXISTS, EEXIST},  {ERROR_SHARING_VIOLATION, EBUSY},
      {ERROR_LOCK_VIOLATION, EBUSY},    {ERROR_DISK_FULL, ENOSPC},       {ERROR_HANDLE_DISK_FULL, ENOSPC},
      {ERROR_INVALID_NAME, EINVAL},     {ERROR_DIRECTORY, ENOTDIR},      {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
      {ERROR_NOT_SAME_DEVICE, EXDEV},   {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
  };
  for (const auto& e : kTable)
    if (e.win == error) return e.err;
  return EIO;
}

bool isMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
         error == ERROR_INVALID_DRIVE;
}

long long unixNs(const FILETIME& t) {
  const long long ticks = (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (ticks - 116444736000000000LL) * 100;  // 100 ns ticks since 1601
}

Facts factsOfHandle(HANDLE h) {
  Facts f;
  switch (GetFileType(h)) {
    case FILE_TYPE_CHAR: f.kind = Kind::Device; return f;
    case FILE_TYPE_PIPE: f.kind = Kind::Fifo; return f;
    case FILE_TYPE_DISK: break;
    default: f.kind = Kind::Other; return f;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) {
    f.kind = Kind::Other;
    return f;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) f.kind = Kind::Link;
  else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) f.kind = Kind::Folder;
  else f.kind = Kind::Regular;
  f.volume = info.dwVolumeSerialNumber;
  f.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  f.size = static_cast<long long>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  f.mtimeNs = unixNs(info.ftLastWriteTime);
  f.permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  return f;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE openHandle(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  return CreateFileW(wideFromUtf8(path).c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
}

Facts look(const std::string& path, bool followLinks) {
  Facts f;
  if (path.empty()) return f;
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE h = openHandle(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, flags);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (!isMissing(error)) f.error = errnoOf(error);
    return f;
  }
  f = factsOfHandle(h);
  CloseHandle(h);
  return f;
}

// A stdio stream over a Windows handle; the handle is closed on failure.
std::FILE* streamOf(HANDLE h, int flags, const char* mode, int& err) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
  if (fd < 0) {
    CloseHandle(h);
    err = EMFILE;
    return nullptr;
  }
  std::FILE* fp = _fdopen(fd, mode);
  if (!fp) {
    _close(fd);
    err = ENOMEM;
  }
  return fp;
}

HANDLE handleOf(std::FILE* fp) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(fp))); }

}  // namespace

Facts lookAt(const std::string& path) { return look(path, false); }

Facts lookThrough(const std::string& path) { return look(path, true); }

Facts lookAtStream(std::FILE* fp) {
  HANDLE h = fp ? handleOf(fp) : INVALID_HANDLE_VALUE;
  return h == INVALID_HANDLE_VALUE ? Facts{} : factsOfHandle(h);
}

Facts lookAtStandardOutput() {
  HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
  return h == INVALID_HANDLE_VALUE || h == nullptr ? Facts{} : factsOfHandle(h);
}

std::vector<std::string> entriesOf(const std::string& folder, size_t limit) {
  std::vector<std::string> out;
  const std::string prefix = isSeparator(folder.back()) ? folder : folder + "\\";
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(wideFromUtf8(prefix + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") out.push_back(prefix + utf8FromWide(name));
  } while (out.size() < limit && FindNextFileW(h, &found));
  FindClose(h);
  return out;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Windows' permissions are access lists: the one sure test is to make a file.
int folderWritable(const std::string& dir) {
  std::string probe = dir;
  if (!probe.empty() && !isSeparator(probe.back())) probe += '\\';
  probe += ".lmplayer-probe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
  HANDLE h = openHandle(probe, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
  if (h == INVALID_HANDLE_VALUE) return errnoOf(GetLastError());
  CloseHandle(h);
  return 0;
}

std::string comparableName(const std::string& dir, const std::string& base) {
  HANDLE h = openHandle(dir, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (h == INVALID_HANDLE_VALUE) return "";
  wchar_t buf[32768];
  const DWORD n = GetFinalPathNameByHandleW(h, buf, static_cast<DWORD>(std::size(buf)), FILE_NAME_NORMALIZED);
  CloseHandle(h);
  if (n == 0 || n >= std::size(buf)) return "";
  std::wstring path(buf, n);
  if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
  path += L"\\" + wideFromUtf8(base);
  // Windows' names ignore case: so does the identity of a name not yet made.
  CharLowerBuffW(&path[0], static_cast<DWORD>(path.size()));
  return utf8FromWide(path);
}

std::FILE* createNew(const std::string& path, int& err) {
  HANDLE h = openHandle(path, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) {
    err = errnoOf(GetLastError());
    return nullptr;
  }
  return streamOf(h, _O_WRONLY | _O_BINARY, "wb", err);
}

std::FILE* openEmptied(const std::string& path, int& err) {
  HANDLE h = openHandle(path, GENERIC_WRITE, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT);
  if (h == INVALID_HANDLE_VALUE) {
    err = errnoOf(GetLastError());
    return nullptr;
  }
  // Whatever the name held before: empty regular files only.
  if (factsOfHandle(h).kind != Kind::Regular || !SetEndOfFile(h)) {
    CloseHandle(h);
    err = EEXIST;
    return nullptr;
  }
  return streamOf(h, _O_WRONLY | _O_BINARY, "wb", err);
}

std::FILE* openFifo(const std::string& path, int& err) {
  HANDLE h = openHandle(path, GENERIC_WRITE, OPEN_EXISTING, 0);
  if (h == INVALID_HANDLE_VALUE) {
    err = errnoOf(GetLastError());
    return nullptr;
  }
  if (GetFileType(h) != FILE_TYPE_PIPE) {
    CloseHandle(h);
    err = EEXIST;
    return nullptr;
  }
  return streamOf(h, _O_WRONLY | _O_BINARY, "wb", err);
}

std::FILE* standardOutput() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
  return stdout;
}

std::FILE* duplicateStandardOutput(int& err) {
  std::fflush(stdout);
  const int fd = _dup(_fileno(stdout));
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  _setmode(fd, _O_BINARY);
  std::FILE* fp = _fdopen(fd, "wb");
  if (!fp) {
    _close(fd);
    err = ENOMEM;
  }
  return fp;
}

std::FILE* openRegularForReading(const std::string& path, Facts& facts, int& err, bool followLinks) {
  HANDLE h = openHandle(path, GENERIC_READ, OPEN_EXISTING, followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  if (h == INVALID_HANDLE_VALUE) {
    facts = Facts{};
    err = errnoOf(GetLastError());
    return nullptr;
  }
  facts = factsOfHandle(h);
  if (facts.kind != Kind::Regular) {
    CloseHandle(h);
    err = EEXIST;
    return nullptr;
  }
  return streamOf(h, _O_RDONLY | _O_BINARY, "rb", err);
}

// Files made here take the folder's access list, as Windows programs' do.
void copyPermissions(const std::string&, std::FILE*) {}

int syncToDisk(std::FILE* fp) {
  if (std::fflush(fp) != 0) return errno;
  return FlushFileBuffers(handleOf(fp)) ? 0 : errnoOf(GetLastError());
}

// The replace below is write-through: nothing more to do for the folder.
void syncFolder(const std::string&) {}

int replaceName(const std::string& from, const std::string& to) {
  const bool ok = MoveFileExW(wideFromUtf8(from).c_str(), wideFromUtf8(to).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  return ok ? 0 : errnoOf(GetLastError());
}

int addName(const std::string& existing, const std::string& name) {
  const bool ok = CreateHardLinkW(wideFromUtf8(name).c_str(), wideFromUtf8(existing).c_str(), nullptr);
  return ok ? 0 : errnoOf(GetLastError());
}

int removeName(const std::string& path) {
  return DeleteFileW(wideFromUtf8(path).c_str()) ? 0 : errnoOf(GetLastError());
}

size_t readAt(std::FILE* fp, long long offset, void* buffer, size_t length) {
  if (!fp || offset < 0) return 0;
  HANDLE h = handleOf(fp);
  // A positioned read moves a synchronous handle's pointer: put it back, the
  // stream relies on it.
  LARGE_INTEGER zero{}, here{};
  if (!SetFilePointerEx(h, zero, &here, FILE_CURRENT)) return 0;
  size_t done = 0;
  while (done < length) {
    OVERLAPPED at{};
    const unsigned long long pos = static_cast<unsigned long long>(offset) + done;
    at.Offset = static_cast<DWORD>(pos);
    at.OffsetHigh = static_cast<DWORD>(pos >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(length - done, 1u << 30));
    if (!ReadFile(h, static_cast<char*>(buffer) + done, want, &got, &at) || got == 0) break;
    done += got;
  }
  SetFilePointerEx(h, here, nullptr, FILE_BEGIN);
  return done;
}

bool randomBits(uint64_t& bits) {
  unsigned int a = 0, b = 0;
  if (rand_s(&a) != 0 || rand_s(&b) != 0) return false;
  bits = (static_cast<uint64_t>(a) << 32) | b;
  return true;
}

uint64_t processId() { return GetCurrentProcessId(); }

}  // namespace platform::fileops
