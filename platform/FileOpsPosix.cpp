#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/FileOps.h"

namespace platform::fileops {

namespace {

Kind kindOf(mode_t mode) {
  if (S_ISREG(mode)) return Kind::Regular;
  if (S_ISDIR(mode)) return Kind::Folder;
  if (S_ISLNK(mode)) return Kind::Link;
  if (S_ISFIFO(mode)) return Kind::Fifo;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return Kind::Device;
  if (S_ISSOCK(mode)) return Kind::Socket;
  return Kind::Other;
}

Facts factsOf(int result, const struct stat& st) {
  Facts f;
  if (result != 0) {
    if (errno != ENOENT && errno != ENOTDIR) f.error = errno;
    return f;
  }
  f.kind = kindOf(st.st_mode);
  f.volume = static_cast<uint64_t>(st.st_dev);
  f.index = static_cast<uint64_t>(st.st_ino);
  f.size = static_cast<long long>(st.st_size);
  f.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec;
  f.permissions = st.st_mode & 07777;
  return f;
}

std::FILE* streamOf(int fd, const char* mode, int& err) {
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  std::FILE* fp = ::fdopen(fd, mode);
  if (!fp) {
    err = errno ? errno : ENOMEM;
    ::close(fd);
  }
  return fp;
}

}  // namespace

Facts lookAt(const std::string& path) {
  struct stat st;
  const int r = ::lstat(path.c_str(), &st);
  return factsOf(r, st);
}

Facts lookThrough(const std::string& path) {
  struct stat st;
  const int r = ::stat(path.c_str(), &st);
  return factsOf(r, st);
}

Facts lookAtStream(std::FILE* fp) {
  struct stat st;
  const int r = fp ? ::fstat(fileno(fp), &st) : -1;
  return factsOf(r, st);
}

Facts lookAtStandardOutput() {
  struct stat st;
  const int r = ::fstat(STDOUT_FILENO, &st);
  return factsOf(r, st);
}

std::vector<std::string> entriesOf(const std::string& folder, size_t limit) {
  std::vector<std::string> out;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return out;
  const std::string prefix = folder.back() == '/' ? folder : folder + "/";
  while (out.size() < limit) {
    const dirent* e = ::readdir(d);
    if (!e) break;
    const std::string name = e->d_name;
    if (name != "." && name != "..") out.push_back(prefix + name);
  }
  ::closedir(d);
  return out;
}

bool isSeparator(char c) { return c == '/'; }

int folderWritable(const std::string& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0 ? 0 : errno; }

std::string comparableName(const std::string& dir, const std::string& base) {
  char buf[PATH_MAX];
  if (!::realpath(dir.c_str(), buf)) return "";
  return std::string(buf) + "/" + base;
}

std::FILE* createNew(const std::string& path, int& err) {
  return streamOf(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666), "wb",
                  err);
}

std::FILE* openEmptied(const std::string& path, int& err) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  // It may have been swapped since any look before: empty regular files only.
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    err = EEXIST;
    return nullptr;
  }
  // Writes need not be non-blocking on a regular file; clear it for stdio's sake.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return streamOf(fd, "wb", err);
}

std::FILE* openFifo(const std::string& path, int& err) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
    ::close(fd);
    err = EEXIST;
    return nullptr;
  }
  return streamOf(fd, "wb", err);
}

std::FILE* standardOutput() { return stdout; }

std::FILE* duplicateStandardOutput(int& err) { return streamOf(::dup(STDOUT_FILENO), "w", err); }

std::FILE* openRegularForReading(const std::string& path, Facts& facts, int& err, bool followLinks) {
  facts = followLinks ? lookThrough(path) : lookAt(path);
  if (facts.kind != Kind::Regular) {
    err = facts.kind == Kind::Missing ? (facts.error ? facts.error : ENOENT) : EEXIST;
    return nullptr;
  }
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  struct stat st;
  const int r = ::fstat(fd, &st);
  facts = factsOf(r, st);
  if (facts.kind != Kind::Regular) {
    ::close(fd);
    err = EEXIST;
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return streamOf(fd, "rb", err);
}

void copyPermissions(const std::string& model, std::FILE* fp) {
  struct stat st;
  if (::stat(model.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fileno(fp), st.st_mode & 07777);
}

int syncToDisk(std::FILE* fp) { return ::fsync(fileno(fp)) == 0 ? 0 : errno; }

void syncFolder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

int replaceName(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int addName(const std::string& existing, const std::string& name) {
  return ::link(existing.c_str(), name.c_str()) == 0 ? 0 : errno;
}

int removeName(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

size_t readAt(std::FILE* fp, long long offset, void* buffer, size_t length) {
  if (!fp || offset < 0) return 0;
  const int fd = fileno(fp);
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(fd, static_cast<char*>(buffer) + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool randomBits(uint64_t& bits) {
  return ::getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits);
}

uint64_t processId() { return static_cast<uint64_t>(::getpid()); }

}  // namespace platform::fileops
