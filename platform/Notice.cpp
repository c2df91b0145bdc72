#include "platform/Notice.h"

#include <cstdio>

namespace platform {

static NoticeBox g_box = nullptr;
static NoticeObserver g_observer = nullptr;

void setNoticeObserver(NoticeObserver observer) { g_observer = observer; }

void setNoticeBox(NoticeBox box) { g_box = box; }

void showNotice(const char* caption, const char* text) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  if (g_observer) g_observer(caption, text);
  if (g_box) g_box(caption, text);
}

}  // namespace platform
