#include "platform/web/html5/WebPage.h"

#include <emscripten.h>

// clang-format off
EM_JS(int, lm_page_virtual_time, (), { return Module.lmVirtualTime ? 1 : 0; });

EM_JS(int, lm_page_has_screen, (), { return document.getElementById("screen") ? 1 : 0; });

EM_JS(void, lm_page_present, (const unsigned char* rgba, int width, int height), {
  const canvas = document.getElementById("screen");
  if (!canvas) return;
  if (!Module.lmContext) Module.lmContext = canvas.getContext("2d");
  const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
  Module.lmContext.putImageData(new ImageData(pixels, width, height), 0, 0);
  if (Module.lmFirstFrameMs === undefined) {
    Module.lmFirstFrameMs = performance.now();
    if (Module.onFirstFrame) Module.onFirstFrame();
  }
});

EM_JS(void, lm_page_notice, (const char* caption, const char* text), {
  if (Module.onNotice) Module.onNotice(UTF8ToString(caption), UTF8ToString(text));
});

EM_JS(void, lm_page_frame_done, (double ms), {
  const s = Module.lmStats || (Module.lmStats = { frames: 0, frameMs: [] });
  s.frames++;
  if (s.frameMs.length < 100000) s.frameMs.push(ms);
});

EM_JS(void, lm_page_ended, (), {
  Module.lmEnded = true;
  if (Module.onPlayerEnded) Module.onPlayerEnded();
});
EM_JS(void, lm_page_files_written, (), {
  if (Module.lmStoreFiles) Module.lmStoreFiles();
});
// clang-format on

namespace {
void (*g_leaving)() = nullptr;
}  // namespace

// Called by the page when it is hidden or left.
extern "C" EMSCRIPTEN_KEEPALIVE void lm_page_leaving() {
  if (g_leaving) g_leaving();
}

namespace platform::page {

bool virtualTime() { return lm_page_virtual_time() != 0; }
bool hasScreen() { return lm_page_has_screen() != 0; }
void present(const unsigned char* rgba, int width, int height) { lm_page_present(rgba, width, height); }
void notice(const char* caption, const char* text) { lm_page_notice(caption, text); }
void frameDone(double ms) { lm_page_frame_done(ms); }
void ended() { lm_page_ended(); }
void filesWritten() { lm_page_files_written(); }
void onLeaving(void (*handler)()) { g_leaving = handler; }

}  // namespace platform::page
