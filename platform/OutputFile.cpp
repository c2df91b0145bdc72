#include "platform/OutputFile.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/FileOps.h"

namespace platform {

namespace {

namespace os = fileops;

struct PathParts {
  std::string dir;   // "." when the path has no folder
  std::string base;  // empty when the path ends with a slash
};

PathParts split(const std::string& path) {
  size_t slash = path.size();
  while (slash > 0 && !os::isSeparator(path[slash - 1])) --slash;
  if (slash == 0) return {".", path};
  // The root keeps its separator ("/", "C:\\").
  const bool root = slash == 1 || (slash == 3 && path[1] == ':');
  return {path.substr(0, root ? slash : slash - 1), path.substr(slash)};
}

// The folder with its separator: "a/" for "a", "/" for "/".
std::string folderPrefix(const std::string& dir) {
  return !dir.empty() && os::isSeparator(dir.back()) ? dir : dir + "/";
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string reason(int err) { return std::strerror(err); }

// True when `path` (links followed) is the file standard output writes to.
bool isStandardOutput(const std::string& path) {
  if (path == "-") return true;
  const os::Facts out = os::lookAtStandardOutput();
  const os::Facts st = os::lookThrough(path);
  return out.kind != os::Kind::Missing && st.kind != os::Kind::Missing && out.volume == st.volume &&
         out.index == st.index;
}

bool folderWritable(const std::string& dir, std::string& error) {
  const os::Facts st = os::lookThrough(dir);
  if (st.kind == os::Kind::Missing) {
    error = "the folder " + quoted(dir) + " does not exist";
    return false;
  }
  if (st.kind != os::Kind::Folder) {
    error = quoted(dir) + " is not a folder";
    return false;
  }
  if (os::folderWritable(dir) != 0) {
    error = "the folder " + quoted(dir) + " is not writable";
    return false;
  }
  return true;
}

std::string kindOf(os::Kind kind) {
  switch (kind) {
    case os::Kind::Link: return "a symbolic link";
    case os::Kind::Folder: return "a folder";
    case os::Kind::Device: return "a device";
    case os::Kind::Socket: return "a socket";
    default: return "not a regular file";
  }
}

std::atomic<std::string (*)()> g_tagSource{nullptr};

// Sixteen hex digits that differ from call to call and process to process.
std::string randomTag() {
  if (auto next = g_tagSource.load()) return next();
  static std::atomic<uint64_t> counter{0};
  uint64_t v = 0;
  if (!os::randomBits(v)) {
    const auto ns = std::chrono::steady_clock::now().time_since_epoch().count();
    v = (static_cast<uint64_t>(ns) << 20) ^ static_cast<uint64_t>(ns) ^ (os::processId() << 40);
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
  return folderPrefix(p.dir) + "." + p.base.substr(0, 100) + "." + randomTag() + suffix;
}

// Creates a new file beside `path` for writing: never an existing name, never
// through a link. Null with `err` on failure.
std::FILE* createTemporary(const std::string& path, std::string& temp, int& err) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = besideName(path, ".tmp");
    std::FILE* fp = os::createNew(temp, err);
    if (fp || err != EEXIST) return fp;
  }
  err = EEXIST;
  return nullptr;
}

// Best effort: the rename itself reaches the disk.
void syncFolder(const std::string& path) { os::syncFolder(split(path).dir); }

// The name by which two outputs are the same file.
std::string identity(const std::string& path) {
  if (isStandardOutput(path)) return "standard output";
  const os::Facts st = os::lookAt(path);
  if (st.kind != os::Kind::Missing)
    return "file " + std::to_string(st.volume) + ":" + std::to_string(st.index);
  PathParts p = split(path);
  const std::string name = os::comparableName(p.dir, p.base);
  return "path " + (name.empty() ? path : name);
}

std::atomic<OutputSet::RenameHook> g_renameHook{nullptr};

}  // namespace

void setTemporaryTagSource(std::string (*next)()) { g_tagSource = next; }

namespace {

// ".<name>.<16 hex digits>.tmp" or ".old", as besideName makes them.
bool isOurTemporary(const std::string& name) {
  for (const char* suffix : {".tmp", ".old"}) {
    const size_t cut = name.size() - 4;
    if (name.size() < 1 + 1 + 1 + 16 + 4 || name[0] != '.' || name.compare(cut, 4, suffix) != 0) continue;
    const size_t tag = cut - 16;
    if (name[tag - 1] != '.') continue;
    bool hex = true;
    for (size_t i = tag; i < cut; ++i) hex = hex && std::isxdigit(static_cast<unsigned char>(name[i])) != 0;
    if (hex) return true;
  }
  return false;
}

}  // namespace

int removeStaleTemporaries(const std::string& folder, long long maxAgeSeconds) {
  if (folder.empty()) return 0;
  const long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
  int removed = 0;
  for (const std::string& entry : os::entriesOf(folder, 100000)) {
    size_t slash = entry.size();
    while (slash > 0 && !os::isSeparator(entry[slash - 1])) --slash;
    if (!isOurTemporary(entry.substr(slash))) continue;
    const os::Facts f = os::lookAt(entry);
    if (f.kind != os::Kind::Regular || now - f.mtimeNs <= maxAgeSeconds * 1'000'000'000LL) continue;
    if (os::removeName(entry) == 0) ++removed;
  }
  return removed;
}

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
  const os::Facts st = os::lookAt(path);
  if (st.kind == os::Kind::Missing) {
    if (st.error) {
      error = "cannot write " + quoted(path) + ": " + reason(st.error);
      return OutputKind::Refused;
    }
    std::string why;
    if (!folderWritable(p.dir, why)) {
      error = "cannot write " + quoted(path) + ": " + why;
      return OutputKind::Refused;
    }
    return OutputKind::Replace;
  }
  if (st.kind == os::Kind::Fifo) return OutputKind::Stream;
  if (st.kind != os::Kind::Regular) {
    error = "will not write " + quoted(path) + ": it exists and is " + kindOf(st.kind) +
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
  std::vector<std::pair<os::Facts, const NamedOutput*>> existing;
  for (const NamedOutput& o : outputs) {
    if (o.path == "-") continue;
    const os::Facts st = os::lookThrough(o.path);
    if (st.kind == os::Kind::Regular) existing.push_back({st, &o});
  }
  auto clash = [&](const os::Facts& in) {
    for (const auto& [st, o] : existing) {
      if (in.kind == os::Kind::Regular && st.volume == in.volume && st.index == in.index) {
        error = o->what + ": will not write " + quoted(o->path) + ": the run reads it";
        return true;
      }
    }
    return false;
  };
  if (existing.empty()) return true;
  for (const std::string& file : inputFiles) {
    if (!file.empty() && clash(os::lookThrough(file))) return false;
  }
  // A folder of a million entries is not searched to its end.
  constexpr int kMaxEntries = 100000;
  for (const std::string& folder : inputFolders) {
    if (folder.empty()) continue;
    for (const std::string& entry : os::entriesOf(folder, kMaxEntries))
      if (clash(os::lookThrough(entry))) return false;
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
    fp_ = os::standardOutput();
    ownsStream_ = false;
    return true;
  }
  if (kind == OutputKind::Stream) {
    // A FIFO: opening waits for its reader, as a shell redirection does.
    int err = 0;
    fp_ = os::openFifo(path, err);
    if (!fp_) {
      error = err == EEXIST ? "will not write " + quoted(path) + ": it changed while being opened"
                            : "cannot write " + quoted(path) + ": " + reason(err);
      return false;
    }
    ownsStream_ = true;
  } else {
    int err = 0;
    fp_ = createTemporary(path, temp_, err);
    if (!fp_) {
      error = "cannot write " + quoted(path) + ": " + reason(err);
      temp_.clear();
      return false;
    }
    // A replaced file keeps its permissions.
    os::copyPermissions(path, fp_);
    ownsStream_ = true;
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
  if (ok && replacing()) {
    err = os::syncToDisk(fp_);
    ok = err == 0;
  }
  if (ownsStream_ && std::fclose(fp_) != 0 && ok) {
    ok = false;
    err = errno;
  }
  fp_ = nullptr;
  if (ok && replacing()) {
    // The target may have been replaced since the check; never rename over
    // anything but a regular file.
    const os::Kind there = os::lookAt(path_).kind;
    if (there != os::Kind::Missing && there != os::Kind::Regular) {
      ok = false;
      err = EEXIST;
    } else if ((err = os::replaceName(temp_, path_)) != 0) {
      ok = false;
    } else {
      syncFolder(path_);
      temp_.clear();
    }
  }
  if (!ok) {
    error = "cannot write " + quoted(path_) + ": " + (err ? reason(err) : std::string("write error"));
    if (!temp_.empty()) os::removeName(temp_);
  }
  temp_.clear();
  return ok;
}

void OutputFile::abandon() {
  if (fp_ && ownsStream_) std::fclose(fp_);
  if (fp_ && !ownsStream_) std::fflush(fp_);
  fp_ = nullptr;
  if (!temp_.empty()) os::removeName(temp_);
  temp_.clear();
}

std::FILE* openOutputInPlace(const std::string& path, std::string& error) {
  const OutputKind kind = checkOutputPath(path, error);
  if (kind == OutputKind::Refused) return nullptr;
  int err = 0;
  std::FILE* fp = nullptr;
  if (kind == OutputKind::Stream && isStandardOutput(path)) {
    fp = os::duplicateStandardOutput(err);
  } else {
    // A FIFO waits for its reader; a file is opened without waiting on
    // anything, and emptied only once it is known to be a regular file.
    fp = kind == OutputKind::Stream ? os::openFifo(path, err) : os::openEmptied(path, err);
  }
  if (!fp) {
    error = err == EEXIST ? "will not write " + quoted(path) + ": it changed while being opened"
                          : "cannot write " + quoted(path) + ": " + reason(err);
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
      if (!t.empty()) os::removeName(t);
    for (std::string& b : backups)
      if (!b.empty()) os::removeName(b);
  };
  for (size_t i = 0; i < n; ++i) {
    const Entry& e = entries_[i];
    int err = 0;
    std::FILE* fp = createTemporary(e.path, temps[i], err);
    if (!fp) {
      error = "cannot write " + quoted(e.path) + ": " + reason(err);
      temps[i].clear();
      cleanUp();
      return false;
    }
    os::copyPermissions(e.path, fp);
    bool ok = e.bytes.empty() || std::fwrite(e.bytes.data(), 1, e.bytes.size(), fp) == e.bytes.size();
    ok = ok && std::fflush(fp) == 0;
    err = ok ? 0 : (errno ? errno : EIO);
    if (ok && (err = os::syncToDisk(fp)) != 0) ok = false;
    if (std::fclose(fp) != 0 && ok) {
      ok = false;
      err = errno ? errno : EIO;
    }
    if (!ok) {
      error = "cannot write " + quoted(e.path) + ": " + reason(err);
      cleanUp();
      return false;
    }
  }
  // 2. A second name for every file about to be replaced, to put it back.
  for (size_t i = 0; i < n; ++i) {
    const os::Kind there = os::lookAt(entries_[i].path).kind;
    if (there == os::Kind::Missing) continue;
    if (there != os::Kind::Regular) {
      error = "will not write " + quoted(entries_[i].path) + ": it is not a regular file";
      cleanUp();
      return false;
    }
    std::string backup = besideName(entries_[i].path, ".old");
    if (const int err = os::addName(entries_[i].path, backup); err != 0) {
      error = "cannot replace " + quoted(entries_[i].path) + ": " + reason(err);
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
    else err = os::replaceName(temps[i], entries_[i].path);
    if (err == 0) {
      temps[i].clear();
      continue;
    }
    error = "cannot write " + quoted(entries_[i].path) + ": " + reason(err) + "; no file was changed";
    for (size_t j = 0; j < i; ++j) {
      if (!backups[j].empty()) {
        if (os::replaceName(backups[j], entries_[j].path) == 0) backups[j].clear();
      } else {
        os::removeName(entries_[j].path);
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
