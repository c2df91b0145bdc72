// Stop signals are noted, not obeyed at once: the run ends at a step's end.
#include <gtest/gtest.h>

#include <csignal>

#include "platform/StopSignals.h"

namespace {

class StopSignalsTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::resetStopSignals(); }
};

TEST_F(StopSignalsTest, EachStopSignalIsNotedAndTheProcessGoesOn) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    platform::installStopSignals();
    EXPECT_EQ(platform::stopSignal(), 0);
    ASSERT_EQ(std::raise(sig), 0);
    EXPECT_EQ(platform::stopSignal(), sig);
  }
  platform::resetStopSignals();
  EXPECT_EQ(platform::stopSignal(), 0);
}

TEST_F(StopSignalsTest, ASecondSignalIsNotHeldBack) {
  // After the first signal the default action is back: a stuck run can still
  // be ended at once.
  EXPECT_EXIT(
      {
        platform::installStopSignals();
        std::raise(SIGTERM);
        std::raise(SIGTERM);
        std::exit(0);
      },
      testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
