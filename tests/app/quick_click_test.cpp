// A click quicker than the 0.1 s between two reads of the mouse counts where
// it was made, even when the hand has moved on before the next tick.

#include <gtest/gtest.h>

#include <ostream>

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

// The window loses the focus (Alt+Tab) before the next tick and gets it back
// ten seconds later. A quick click on Exit just before is forgotten; so is a
// button held when it left, whose release in the other window it never
// hears, even when the pointer comes back over Exit. Without the focus lost
// the same hands end the program.
struct FocusCase {
  const char* Name;
  bool QuickClick;  // else pressed on the status panel and held
  bool LoseFocus;
  bool Ends;
};
void PrintTo(const FocusCase& c, std::ostream* os) {
  *os << c.Name;
}

class FocusLossTest : public test::StartedConsoleTest,
                      public ::testing::WithParamInterface<FocusCase> {};

TEST_P(FocusLossTest, ForgetsPresses) {
  const FocusCase& c = GetParam();
  constexpr int kExitX = 935, kMenuY = 5;
  RunTicks(1);
  const double t = Host().Time();
  if (c.QuickClick) {
    Host().ScheduleMouse(t + 0.010, kExitX, kMenuY, 1);
    Host().ScheduleMouse(t + 0.030, kExitX, kMenuY, 0);
  } else {
    Host().ScheduleMouse(t + 0.010, 640, 520, 1);
  }
  if (c.LoseFocus) {
    Host().ScheduleFocus(t + 0.050, false);
    Host().ScheduleFocus(t + 10.0, true);
  }
  if (!c.QuickClick) Host().ScheduleMouse(t + 10.05, kExitX, kMenuY, 1);
  EXPECT_EQ(RunFor(11.0), c.Ends ? Transfer::EndProgram : Transfer::None);
}

INSTANTIATE_TEST_SUITE_P(
    AltTab, FocusLossTest,
    ::testing::Values(FocusCase{"QuickClickOnExit", true, false, true},
                      FocusCase{"QuickClickOnExitThenAltTab", true, true, false},
                      FocusCase{"HeldThenOverExit", false, false, true},
                      FocusCase{"HeldAltTabReleasedElsewhereBackOverExit", false, true, false}),
    [](const ::testing::TestParamInfo<FocusCase>& info) { return info.param.Name; });

}  // namespace
}  // namespace vorn
