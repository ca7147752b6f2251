// A click quicker than the 0.1 s between two reads of the mouse counts where
// it was made, even when the hand has moved on before the next tick.

#include <gtest/gtest.h>

#include "app/console_state.h"
#include "app/site_controls.h"
#include "support/console_test.h"

namespace vorn {
namespace {

class QuickClickTest : public test::StartedConsoleTest {
 protected:
  // Press and release at (x, y) within 30 ms, then the pointer at (toX, toY)
  // 20 ms later: all between two ticks.
  void ClickAndSlide(int x, int y, int toX, int toY) {
    RunTicks(1);
    const double t = Host().Time();
    Host().ScheduleMouse(t + 0.010, x, y, 1);
    Host().ScheduleMouse(t + 0.040, x, y, 0);
    Host().ScheduleMouse(t + 0.060, toX, toY, 0);
  }
};

TEST_F(QuickClickTest, PauseClickedThenSlidToExitPausesAndDoesNotEnd) {
  ClickAndSlide(880, 5, 935, 5);
  // Simulated time stands still once paused: run on the host's clock.
  const double until = Host().Time() + 1.0;
  while (Host().Time() < until) ASSERT_EQ(RunSchedulerPass(), Transfer::None);
  EXPECT_EQ(State.OperatingMode, Mode::Paused);
}

TEST_F(QuickClickTest, EchoClickedThenSlidToEmptyScopeDesignatesTheAircraft) {
  test::PlaceAircraft(3, -30000, 100000, 4000);
  State.TargetVX[3] = 0;
  State.TargetVY[3] = 0;
  ClickAndSlide(PpiPixelX(-30000), PpiPixelY(100000), 365, 870);
  RunFor(0.3);
  EXPECT_EQ(State.TargetDesignated, 3);
  EXPECT_EQ(State.TargetTracked, 3);
}

}  // namespace
}  // namespace vorn
