// lmplayer: plays the story in its data directory (see --help).
#include "app/Run.h"
#include "platform/ProcessStart.h"
#include "platform/sdl/SdlHost.h"

int main(int argc, char** argv) {
  platform::ProcessStart process(argc, argv);
  return app::runMain(process.argc(), process.argv(), platform::openSdlHost);
}
