#include "platform/KeptFile.h"

#include <memory>

#include "platform/OutputFile.h"

namespace platform {

namespace {

struct Closer {
  void operator()(std::FILE* fp) const { std::fclose(fp); }
};

}  // namespace

bool readKeptFile(const std::string& path, size_t maxBytes, std::vector<unsigned char>& bytes, std::string& error,
                  Links links) {
  bytes.clear();
  std::unique_ptr<std::FILE, Closer> fp(openKeptFile(path, error, links));
  if (!fp) return false;
  // Read in pieces up to one byte past the limit: a size that lies (or a file
  // that grows) never makes a large allocation.
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp.get())) > 0) {
    if (bytes.size() + n > maxBytes) {
      error = "will not read '" + path + "': larger than " + std::to_string(maxBytes) + " bytes";
      bytes.clear();
      return false;
    }
    bytes.insert(bytes.end(), buf, buf + n);
  }
  if (std::ferror(fp.get())) {
    error = "cannot read '" + path + "'";
    bytes.clear();
    return false;
  }
  return true;
}

bool isReadableKeptFile(const std::string& path, std::string& error, Links links) {
  std::unique_ptr<std::FILE, Closer> fp(openKeptFile(path, error, links));
  return fp != nullptr;
}

bool checkKeptOutput(const std::string& path, std::string& error) {
  if (path == "-") {
    error = "will not write standard output: it must be a file";
    return false;
  }
  // A missing folder is made when the file is written.
  std::string why;
  const OutputKind kind = checkOutputPath(path, why);
  if (kind == OutputKind::Replace || (kind == OutputKind::Refused && !keptNameExists(path))) return true;
  error = kind == OutputKind::Stream ? "will not write '" + path + "': it is a FIFO, not a regular file" : why;
  return false;
}

bool writeKeptFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error) {
  OutputFile out;
  if (!out.open(path, error, OutputFile::Kept)) return false;
  out.write(bytes.data(), bytes.size());
  return out.commit(error);
}

}  // namespace platform
