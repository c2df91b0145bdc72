// lmplayer in a web page: the page passes the options from its address as
// arguments (see page/lmplayer-page.js). main returns at once; the run lives
// on and the page's animation frames tick it. Settings and saves live in the
// browser's own storage (the page mounts it; see page/lmplayer-page.js).
#include <cstdio>

#include "platform/web/html5/WebHost.h"
#include "platform/web/html5/WebPage.h"
#include "app/Run.h"

int main(int argc, char** argv) {
  static app::Options options;
  const int code = app::readCommandLine(argc, argv, options);
  if (code >= 0) return code;
  static app::RunSetup setup;
  if (!app::prepareRun(options, setup)) return setup.exitCode;
  std::string error;
  static std::unique_ptr<platform::Host> host = platform::openWebHost(platform::HostSettings{}, error);
  if (!host) {
    std::fprintf(stderr, "lmplayer: %s\n", error.c_str());
    return 1;
  }
  setup.player.written = [] { platform::page::filesWritten(); };
  static app::WindowRun run(*setup.session, *host, std::move(setup.player));
  platform::page::onLeaving([] { run.storeChanges(); });
  platform::runOnAnimationFrames(*host, [] { return run.tick(); });
  return 0;
}
