#include "platform/OutputFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace platform {

namespace {

struct PathParts {
  std::string dir;   // "." when the path has no folder
  std::string base;  // empty when the path ends with a slash
};

PathParts split(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string reason(int err) { return std::strerror(err); }

// True when `path` (links followed) is the file standard output writes to.
bool isStandardOutput(const std::string& path) {
  if (path == "-") return true;
  struct stat out, st;
  return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(path.c_str(), &st) == 0 && out.st_dev == st.st_dev &&
         out.st_ino == st.st_ino;
}

bool folderWritable(const std::string& dir, std::string& error) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) {
    error = "the folder " + quoted(dir) + " does not exist";
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    error = quoted(dir) + " is not a folder";
    return false;
  }
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    error = "the folder " + quoted(dir) + " is not writable";
    return false;
  }
  return true;
}

std::string kindOf(mode_t mode) {
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::atomic<std::string (*)()> g_tagSource{nullptr};

// Sixteen hex digits that differ from call to call and process to process.
std::string randomTag() {
  if (auto next = g_tagSource.load()) return next();
  static std::atomic<uint64_t> counter{0};
  uint64_t v = 0;
  if (::getrandom(&v, sizeof v, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof v)) {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    v = (static_cast<uint64_t>(ts.tv_nsec) << 20) ^ static_cast<uint64_t>(ts.tv_sec) ^
        (static_cast<uint64_t>(::getpid()) << 40);
  }
  v ^= counter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
  static const char digits[] = "0123456789abcdef";
  std::string tag(16, '0');
  for (int i = 0; i < 16; ++i) tag[static_cast<size_t>(i)] = digits[(v >> (4 * i)) & 0xF];
  return tag;
}

// A fresh name beside `path`: "<folder>/.<name>.<tag><suffix>".
std::string besideName(const std::string& path, const char* suffix) {
  PathParts p = split(path);
  return (p.dir == "/" ? "/" : p.dir + "/") + "." + p.base.substr(0, 100) + "." + randomTag() + suffix;
}

// Creates a new file beside `path` for writing: never an existing name, never
// through a link. -1 with errno on failure.
int createTemporary(const std::string& path, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = besideName(path, ".tmp");
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Best effort: the rename itself reaches the disk.
void syncFolder(const std::string& path) {
  int fd = ::open(split(path).dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The name by which two outputs are the same file.
std::string identity(const std::string& path) {
  if (isStandardOutput(path)) return "standard output";
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0)
    return "file " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  PathParts p = split(path);
  char buf[PATH_MAX];
  if (!::realpath(p.dir.c_str(), buf)) return "path " + path;
  return "path " + std::string(buf) + "/" + p.base;
}

std::atomic<OutputSet::RenameHook> g_renameHook{nullptr};

}  // namespace

void setTemporaryTagSource(std::string (*next)()) { g_tagSource = next; }

OutputKind checkOutputPath(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "empty output file name";
    return OutputKind::Refused;
  }
  if (isStandardOutput(path)) return OutputKind::Stream;
  PathParts p = split(path);
  if (p.base.empty() || p.base == "." || p.base == "..") {
    error = "cannot write " + quoted(path) + ": it names a folder";
    return OutputKind::Refused;
  }
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) {
      error = "cannot write " + quoted(path) + ": " + reason(errno);
      return OutputKind::Refused;
    }
    std::string why;
    if (!folderWritable(p.dir, why)) {
      error = "cannot write " + quoted(path) + ": " + why;
      return OutputKind::Refused;
    }
    return OutputKind::Replace;
  }
  if (S_ISFIFO(st.st_mode)) return OutputKind::Stream;
  if (!S_ISREG(st.st_mode)) {
    error = "will not write " + quoted(path) + ": it exists and is " + kindOf(st.st_mode) +
            ", not a regular file";
    return OutputKind::Refused;
  }
  std::string why;
  if (!folderWritable(p.dir, why)) {
    error = "cannot write " + quoted(path) + ": " + why;
    return OutputKind::Refused;
  }
  return OutputKind::Replace;
}

bool checkOutputPaths(const std::vector<NamedOutput>& outputs, std::string& error) {
  std::vector<std::string> ids;
  for (size_t i = 0; i < outputs.size(); ++i) {
    std::string why;
    if (checkOutputPath(outputs[i].path, why) == OutputKind::Refused) {
      error = outputs[i].what + ": " + why;
      return false;
    }
    ids.push_back(identity(outputs[i].path));
    for (size_t j = 0; j < i; ++j) {
      if (ids[j] == ids[i]) {
        error = outputs[j].what + " and " + outputs[i].what + " both name " +
                (outputs[i].path == "-" ? std::string("standard output") : quoted(outputs[i].path)) +
                "; give each output its own file";
        return false;
      }
    }
  }
  return true;
}

bool checkOutputsSpareInputs(const std::vector<NamedOutput>& outputs, const std::vector<std::string>& inputFolders,
                             const std::vector<std::string>& inputFiles, std::string& error) {
  // Only an output that exists already can be an input.
  std::vector<std::pair<struct stat, const NamedOutput*>> existing;
  for (const NamedOutput& o : outputs) {
    struct stat st;
    if (o.path != "-" && ::stat(o.path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) existing.push_back({st, &o});
  }
  auto clash = [&](const struct stat& in) {
    for (const auto& [st, o] : existing) {
      if (st.st_dev == in.st_dev && st.st_ino == in.st_ino) {
        error = o->what + ": will not write " + quoted(o->path) + ": the run reads it";
        return true;
      }
    }
    return false;
  };
  if (existing.empty()) return true;
  for (const std::string& file : inputFiles) {
    struct stat st;
    if (!file.empty() && ::stat(file.c_str(), &st) == 0 && clash(st)) return false;
  }
  // A folder of a million entries is not searched to its end.
  constexpr int kMaxEntries = 100000;
  for (const std::string& folder : inputFolders) {
    DIR* d = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (!d) continue;
    int seen = 0;
    bool found = false;
    while (dirent* e = ::readdir(d)) {
      struct stat st;
      if (++seen > kMaxEntries) break;
      if (::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode) && clash(st)) {
        found = true;
        break;
      }
    }
    ::closedir(d);
    if (found) return false;
  }
  return true;
}

OutputFile::~OutputFile() { abandon(); }

bool OutputFile::open(const std::string& path, std::string& error, Accept accept) {
  abandon();
  const OutputKind kind = checkOutputPath(path, error);
  if (kind == OutputKind::Refused) return false;
  if (kind == OutputKind::Stream && accept == Kept) {
    // Writing a kept file into a FIFO would wait for a reader for good.
    error = "will not write " + quoted(path) + ": it is " +
            (isStandardOutput(path) ? std::string("standard output") : std::string("a FIFO")) +
            ", not a regular file";
    return false;
  }
  path_ = path;
  if (kind == OutputKind::Stream && isStandardOutput(path)) {
    fp_ = stdout;
    ownsStream_ = false;
    return true;
  }
  if (kind == OutputKind::Stream) {
    // A FIFO: opening waits for its reader, as a shell redirection does.
    int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      error = "cannot write " + quoted(path) + ": " + reason(errno);
      return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
      ::close(fd);
      error = "will not write " + quoted(path) + ": it changed while being opened";
      return false;
    }
    fp_ = ::fdopen(fd, "wb");
    if (!fp_) ::close(fd);
    ownsStream_ = true;
  } else {
    int fd = createTemporary(path, temp_);
    if (fd < 0) {
      error = "cannot write " + quoted(path) + ": " + reason(errno);
      temp_.clear();
      return false;
    }
    // A replaced file keeps its permissions.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
    fp_ = ::fdopen(fd, "wb");
    if (!fp_) {
      ::close(fd);
      ::unlink(temp_.c_str());
      temp_.clear();
    }
    ownsStream_ = true;
  }
  if (!fp_) {
    error = "cannot write " + quoted(path) + ": out of memory";
    return false;
  }
  return true;
}

bool OutputFile::write(const void* bytes, size_t length) {
  if (!fp_) return false;
  return length == 0 || std::fwrite(bytes, 1, length, fp_) == length;
}

bool OutputFile::commit(std::string& error) {
  if (!fp_) {
    error = "cannot write " + quoted(path_) + ": not open";
    return false;
  }
  bool ok = !std::ferror(fp_) && std::fflush(fp_) == 0;
  int err = ok ? 0 : errno;
  if (ok && replacing() && ::fsync(fileno(fp_)) != 0) {
    ok = false;
    err = errno;
  }
  if (ownsStream_ && std::fclose(fp_) != 0 && ok) {
    ok = false;
    err = errno;
  }
  fp_ = nullptr;
  if (ok && replacing()) {
    // The target may have been replaced since the check; never rename over
    // anything but a regular file.
    struct stat st;
    if (::lstat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      ok = false;
      err = EEXIST;
    } else if (::rename(temp_.c_str(), path_.c_str()) != 0) {
      ok = false;
      err = errno;
    } else {
      syncFolder(path_);
      temp_.clear();
    }
  }
  if (!ok) {
    error = "cannot write " + quoted(path_) + ": " + (err ? reason(err) : std::string("write error"));
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }
  temp_.clear();
  return ok;
}

void OutputFile::abandon() {
  if (fp_ && ownsStream_) std::fclose(fp_);
  if (fp_ && !ownsStream_) std::fflush(fp_);
  fp_ = nullptr;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

std::FILE* openOutputInPlace(const std::string& path, std::string& error) {
  const OutputKind kind = checkOutputPath(path, error);
  if (kind == OutputKind::Refused) return nullptr;
  int fd = -1;
  if (kind == OutputKind::Stream && isStandardOutput(path)) {
    fd = ::dup(STDOUT_FILENO);
  } else {
    // A FIFO waits for its reader; a file is opened without waiting on
    // anything, and emptied only once it is known to be a regular file.
    const bool fifo = kind == OutputKind::Stream;
    fd = ::open(path.c_str(),
                O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | (fifo ? 0 : O_CREAT | O_NONBLOCK), 0666);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || (fifo ? !S_ISFIFO(st.st_mode) : !S_ISREG(st.st_mode)) ||
                    (!fifo && ::ftruncate(fd, 0) != 0))) {
      ::close(fd);
      error = "will not write " + quoted(path) + ": it changed while being opened";
      return nullptr;
    }
    if (fd >= 0 && !fifo) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  if (fd < 0) {
    error = "cannot write " + quoted(path) + ": " + reason(errno);
    return nullptr;
  }
  std::FILE* fp = ::fdopen(fd, "w");
  if (!fp) {
    ::close(fd);
    error = "cannot write " + quoted(path) + ": out of memory";
  }
  return fp;
}

bool writeFileAtomic(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error) {
  OutputFile out;
  if (!out.open(path, error)) return false;
  out.write(bytes.data(), bytes.size());
  return out.commit(error);
}

void OutputSet::add(const std::string& path, std::vector<unsigned char> bytes) {
  entries_.push_back({path, std::move(bytes)});
}

void OutputSet::setRenameHook(RenameHook hook) { g_renameHook = hook; }

bool OutputSet::commit(std::string& error) {
  const size_t n = entries_.size();
  for (const Entry& e : entries_) {
    const OutputKind kind = checkOutputPath(e.path, error);
    if (kind == OutputKind::Refused) return false;
    if (kind == OutputKind::Stream) {
      error = "will not write " + quoted(e.path) + ": it is not a regular file";
      return false;
    }
  }
  // 1. Every new file complete on disk under a temporary name.
  std::vector<std::string> temps(n), backups(n);
  auto cleanUp = [&] {
    for (std::string& t : temps)
      if (!t.empty()) ::unlink(t.c_str());
    for (std::string& b : backups)
      if (!b.empty()) ::unlink(b.c_str());
  };
  for (size_t i = 0; i < n; ++i) {
    const Entry& e = entries_[i];
    int fd = createTemporary(e.path, temps[i]);
    if (fd < 0) {
      error = "cannot write " + quoted(e.path) + ": " + reason(errno);
      temps[i].clear();
      cleanUp();
      return false;
    }
    struct stat st;
    if (::stat(e.path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
    size_t done = 0;
    bool ok = true;
    while (ok && done < e.bytes.size()) {
      ssize_t w = ::write(fd, e.bytes.data() + done, e.bytes.size() - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) ok = false;
      else done += static_cast<size_t>(w);
    }
    int err = ok ? 0 : (errno ? errno : EIO);
    if (ok && ::fsync(fd) != 0) {
      ok = false;
      err = errno;
    }
    if (::close(fd) != 0 && ok) {
      ok = false;
      err = errno;
    }
    if (!ok) {
      error = "cannot write " + quoted(e.path) + ": " + reason(err);
      cleanUp();
      return false;
    }
  }
  // 2. A second name for every file about to be replaced, to put it back.
  for (size_t i = 0; i < n; ++i) {
    struct stat st;
    if (::lstat(entries_[i].path.c_str(), &st) != 0) continue;
    if (!S_ISREG(st.st_mode)) {
      error = "will not write " + quoted(entries_[i].path) + ": it is not a regular file";
      cleanUp();
      return false;
    }
    std::string backup = besideName(entries_[i].path, ".old");
    if (::link(entries_[i].path.c_str(), backup.c_str()) != 0) {
      error = "cannot replace " + quoted(entries_[i].path) + ": " + reason(errno);
      cleanUp();
      return false;
    }
    backups[i] = backup;
  }
  // 3. Rename into place; on a failure, undo the renames already made.
  for (size_t i = 0; i < n; ++i) {
    RenameHook hook = g_renameHook;
    int err = 0;
    if (hook && !hook(i)) err = ENOSPC;
    else if (::rename(temps[i].c_str(), entries_[i].path.c_str()) != 0) err = errno;
    if (err == 0) {
      temps[i].clear();
      continue;
    }
    error = "cannot write " + quoted(entries_[i].path) + ": " + reason(err) + "; no file was changed";
    for (size_t j = 0; j < i; ++j) {
      if (!backups[j].empty()) {
        if (::rename(backups[j].c_str(), entries_[j].path.c_str()) == 0) backups[j].clear();
      } else {
        ::unlink(entries_[j].path.c_str());
      }
    }
    cleanUp();
    return false;
  }
  for (const Entry& e : entries_) syncFolder(e.path);
  cleanUp();
  return true;
}

}  // namespace platform
