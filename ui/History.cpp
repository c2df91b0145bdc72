#include "ui/History.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "game/Game.h"
#include "game/ScenarioCode.h"
#include "platform/FileSystem.h"
#include "scenes/LmPlayer.h"
#include "ui/Backlog.h"
#include "ui/Words.h"

namespace ui {

using namespace scenario;

namespace {
constexpr long kLongestMessage = 65536;
}  // namespace

void History::forgetMoments() {
  current_.reset();
  earlier_.clear();
  waiting_ = typing_ = false;
}

// The place where a message starts and the speaker line above it.
void History::noteTyping(Game& g) {
  if (g.phase != kTyping) {
    typing_ = false;
    return;
  }
  if (typing_) return;
  typing_ = true;
  messageStart_ = g.fp ? std::ftell(g.fp.get()) : -1;
  speakerAtStart_.clear();
  if (g.text && g.text->line == 1 && g.text->row == 0 && std::strncmp(g.text->data[0], "\x81\x79", 2) == 0)
    speakerAtStart_ = g.text->data[0];
}

long History::messageShown(Game& g) {
  FILE* fp = g.fp.get();
  const long end = fp ? std::ftell(fp) : -1;
  std::string bytes;
  if (fp && messageStart_ >= 0 && end > messageStart_ && end - messageStart_ <= kLongestMessage) {
    bytes.resize(static_cast<size_t>(end - messageStart_));
    // Read aside: the story's own position in the file stays where it is.
    bytes.resize(platform::readAt(fp, messageStart_, &bytes[0], bytes.size()));
  }
  save::BacklogEntry e{speakerAtStart_, messageText(bytes)};
  japanese_ = looksJapanese(bytes.data(), bytes.size()) || looksJapanese(e.speaker.data(), e.speaker.size());
  backlog_.push_back(std::move(e));
  while (backlog_.size() > kBacklogDepth) {
    backlog_.pop_front();
    ++backlogDropped_;
  }
  return end;
}

void History::stepped(const LmPlayer& player, bool nowWaiting) {
  if (nowWaiting) {
    if (!waiting_) {
      Moment m;
      m.backlogSize = backlogDropped_ + backlog_.size();
      if (!backlog_.empty()) m.label = slotLabel(backlog_.back());
      current_ = std::move(m);
    }
    save::capture(player, current_->state);
  } else if (waiting_ && current_) {
    earlier_.push_back(*current_);
    earlier_.back().thumb = save::Thumbnail{};  // rollback needs no picture
    if (earlier_.size() > kRollbackDepth) earlier_.pop_front();
  }
  waiting_ = nowWaiting;
}

size_t History::kept(const Moment& m) const {
  return m.backlogSize > backlogDropped_ ? m.backlogSize - backlogDropped_ : 0;
}

void History::rolledBack() {
  const size_t keep = kept(earlier_.back());
  earlier_.pop_back();
  if (backlog_.size() > keep) backlog_.resize(keep);
}

void History::restored(const Moment& m, bool keepEarlier) {
  current_ = m;
  waiting_ = true;
  typing_ = false;
  if (!keepEarlier) earlier_.clear();
}

std::vector<save::RollbackMoment> History::rollbackMoments() const {
  std::vector<save::RollbackMoment> out;
  for (const Moment& h : earlier_) out.push_back(save::RollbackMoment{h.state, static_cast<uint32_t>(kept(h)), h.label});
  return out;
}

void History::loadRollback(std::vector<save::RollbackMoment>& moments) {
  for (save::RollbackMoment& r : moments) {
    Moment h;
    h.state = std::move(r.state);
    h.backlogSize = std::min<size_t>(r.backlogSize, backlog_.size());
    h.label = std::move(r.label);
    earlier_.push_back(std::move(h));
  }
}

std::vector<save::BacklogEntry> History::backlogAt(const Moment& m) const {
  const size_t keep = std::min(kept(m), backlog_.size());
  return {backlog_.begin(), backlog_.begin() + static_cast<long>(keep)};
}

void History::loadBacklog(const std::vector<save::BacklogEntry>& entries) {
  backlog_.assign(entries.begin(), entries.end());
  backlogDropped_ = 0;
  if (!backlog_.empty()) japanese_ = looksJapanese(backlog_.back().text.data(), backlog_.back().text.size());
}

}  // namespace ui
