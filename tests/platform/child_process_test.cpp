#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ChildProcess.h"

namespace {

using platform::ChildProcess;
using platform::ChildLaunch;
using platform::ScratchFile;

TEST(ChildProcess, PipesInputIntoAPassedFileAndTellsItsExitStatus) {
  const std::string sh = platform::findProgram("sh");
  ASSERT_FALSE(sh.empty());
  EXPECT_TRUE(platform::findProgram("no-such-program-here").empty());
  ScratchFile out, errors;
  std::string why;
  ASSERT_TRUE(out.create(".", why)) << why;
  ASSERT_TRUE(errors.create(".", why)) << why;
  ChildLaunch launch;
  // Descriptor 3 is `out`, reopened by name as ffmpeg does.
  launch.argv = {sh, "-c", "cat > " + platform::descriptorPath(3) + "; echo done >&2; exit 7"};
  launch.pipeInput = true;
  launch.passFds = {out.fd()};
  launch.errorFd = errors.fd();
  ChildProcess child;
  ASSERT_TRUE(child.start(launch, why)) << why;
  const std::string text(100000, 'x');
  EXPECT_TRUE(child.write(text.data(), text.size()));
  EXPECT_EQ(child.finish(), 7);
  EXPECT_FALSE(child.running());
  EXPECT_EQ(out.tail(1 << 20), text);
  EXPECT_EQ(errors.tail(100), "done\n");
  EXPECT_EQ(errors.tail(3), "ne\n");
}

TEST(ChildProcess, AChildThatStopsReadingFailsTheWriteInsteadOfKillingUs) {
  ChildLaunch launch;
  launch.argv = {platform::findProgram("sh"), "-c", "exit 3"};
  launch.pipeInput = true;
  ChildProcess child;
  std::string why;
  ASSERT_TRUE(child.start(launch, why)) << why;
  const std::vector<char> block(1 << 20, 'y');
  bool failed = false;
  for (int i = 0; i < 64 && !failed; ++i) failed = !child.write(block.data(), block.size());
  EXPECT_TRUE(failed);
  EXPECT_EQ(child.finish(), 3);

  ChildProcess missing;
  launch.argv = {"/no/such/program"};
  EXPECT_FALSE(missing.start(launch, why));
  EXPECT_NE(why.find("/no/such/program"), std::string::npos);
  EXPECT_EQ(missing.finish(), -1);
}

}  // namespace
