#pragma once
// The one message the system shows the user: a modal notice with one button.

namespace platform {

// Shows `text` under `caption` and returns when it is dismissed. Always writes
// "<caption>: <text>" to standard error first; a window back end may add a box.
void showNotice(const char* caption, const char* text);

// A back end's box; it returns when the user dismissed it. Null: none.
using NoticeBox = void (*)(const char* caption, const char* text);
void setNoticeBox(NoticeBox box);

// Called right after the standard-error line, before any box: a place to add
// a line of detail. Null: none.
using NoticeObserver = void (*)(const char* caption, const char* text);
void setNoticeObserver(NoticeObserver observer);

}  // namespace platform
