// lmplayer: plays the story in its data directory (see --help).
#include "platform/sdl/SdlHost.h"
#include "app/Run.h"

int main(int argc, char** argv) { return app::runMain(argc, argv, platform::openSdlHost); }
