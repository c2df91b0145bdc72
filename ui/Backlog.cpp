#include "ui/Backlog.h"

namespace ui {

std::string messageText(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == 0) break;
    if (c == 0x5C && i + 1 < bytes.size()) {
      const char d = bytes[++i];
      if (d == 'n') {
        out += '\n';
      } else if (d == 'c') {
        if (!out.empty() && out.back() != '\n') out += '\n';
      } else {
        out += '\\';
        out += d;
      }
    } else if (c > 0x80 && i + 1 < bytes.size()) {
      out += bytes[i];
      out += bytes[++i];
    } else if (c != '\n') {
      out += bytes[i];
    }
  }
  return out;
}

int characterCount(const std::string& text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') continue;
    if (c > 0x80 && i + 1 < text.size()) ++i;
    ++n;
  }
  return n;
}

std::vector<BacklogLine> backlogLines(const std::deque<save::BacklogEntry>& entries) {
  std::vector<BacklogLine> lines;
  for (const save::BacklogEntry& e : entries) {
    if (!e.speaker.empty()) lines.push_back({e.speaker, true});
    size_t start = 0;
    for (;;) {
      const size_t nl = e.text.find('\n', start);
      lines.push_back({e.text.substr(start, nl == std::string::npos ? std::string::npos : nl - start), false});
      if (nl == std::string::npos) break;
      start = nl + 1;
    }
  }
  return lines;
}

std::string slotLabel(const save::BacklogEntry& latest) {
  std::string s = latest.speaker;
  for (char c : latest.text) s += c == '\n' ? ' ' : c;
  return s;
}

}  // namespace ui
