#include "app/scheduler.h"

#include <gtest/gtest.h>

#include <string>

#include "app/console.h"
#include "app/console_state.h"
#include "display/canvas.h"
#include "display/services.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::CellForeground;
using test::Colour;
using test::ReadCanvasText;

class SchedulerTest : public test::ConsoleTest {
 protected:
  // Counts what one pass ran, from how the deadlines moved.
  struct PassCounts {
    int Ticks = 0, Panels = 0, Sweeps = 0, Passes = 0;
  };
  PassCounts RunPassesUntilCaughtUp() {
    PassCounts counts;
    for (;;) {
      const double tick = State.TickTime, panel = State.NextPanelTime, sweep = State.NextSweepTime;
      EXPECT_EQ(RunSchedulerPass(), Transfer::None);
      ++counts.Passes;
      const int ticks = State.TickTime != tick, panels = State.NextPanelTime != panel,
                sweeps = State.NextSweepTime != sweep;
      counts.Ticks += ticks;
      counts.Panels += panels;
      counts.Sweeps += sweeps;
      if (ticks + panels + sweeps == 0 || counts.Passes > 20000) return counts;
    }
  }
};

TEST_F(SchedulerTest, TitleAndLegendInTheirColours) {
  StartConsole();
  const std::string title = std::string(" VORN TAMBERIS SIMULATION 20090704  ") + kContactAddress;
  EXPECT_EQ(ReadCanvasText(2, 1, static_cast<int>(title.size())), title);
  EXPECT_EQ(CellForeground(2, 2), Colour(0xFFFFFF));
  EXPECT_EQ(ReadCanvasText(3, 1, 49), " + = Target, + = Predicted Intercept, + = Missile");
  EXPECT_EQ(CellForeground(3, 2), Colour(0xFF0000));
  EXPECT_EQ(CellForeground(3, 14), Colour(0xFFFF00));
  EXPECT_EQ(CellForeground(3, 39), Colour(0x00FF00));
  EXPECT_EQ(State.Canvas.Foreground, Colour(0xFFFFFF));
}

TEST_F(SchedulerTest, FirstPassRunsThePanelAndASweepStepAndTheTickComesAfterATenth) {
  StartConsole();
  const double start = State.TickTime;
  const double panel = State.NextPanelTime;
  const double sweep = State.NextSweepTime;
  RunSchedulerPass();
  EXPECT_EQ(State.NextPanelTime, panel + 0.5);
  EXPECT_EQ(State.NextSweepTime, sweep + 0.0012);
  EXPECT_EQ(ReadCanvasText(3, 63, 17), "SITE ALERT STATUS");
  while (State.Now <= start + 0.1) {
    EXPECT_EQ(State.TickTime, start);
    RunSchedulerPass();
  }
  EXPECT_EQ(State.TickTime, start + 0.1);
}

TEST_F(SchedulerTest, LampsShowTheAlertStatus) {
  StartConsole();
  const int bright[4] = {0xFF0000, 0x0000FF, 0xFFFF00, 0xFFFFFF};
  const int dim[4] = {0x800000, 0x000080, 0x808000, 0x606060};
  for (int status = 3; status >= 0; --status) {
    State.AlertStatus = status;
    RunFor(0.6);
    for (int lamp = 0; lamp < 4; ++lamp) {
      EXPECT_EQ(PixelAt(500 + 40 * lamp, 15), Colour(lamp == 3 - status ? bright[lamp] : dim[lamp]))
          << "status " << status << " lamp " << lamp;
    }
    EXPECT_EQ(State.MissileSelected, status >= 2 ? 1 : 0);
  }
}

TEST_F(SchedulerTest, AfterAStallEveryTaskCatchesUpOnePeriodPerPass) {
  for (const int pause : {'p', 'P'}) {
    SCOPED_TRACE(pause);
    ResetConsoleState();
    StartConsole();
    RunFor(1.0);
    // "p" holds the loop until the next key, ten seconds later; the clock runs on.
    Host().PressKey(pause);
    Host().ScheduleKey(Host().Time() + 10.0, pause == 'p' ? ' ' : kKeyDown);
    RunTicks(1);
    Host().SetSecondsPerClockRead(0.0);  // hold the clock while counting
    const PassCounts counts = RunPassesUntilCaughtUp();
    // The wait began at the tick after the "p", up to a tenth after it was typed.
    EXPECT_NEAR(counts.Ticks, 99, 2);
    EXPECT_NEAR(counts.Panels, 20, 1);
    EXPECT_NEAR(counts.Sweeps, 8300, 60);
    EXPECT_LE(counts.Passes, 8335);  // the three run side by side, one of each per pass
    EXPECT_LE(State.Now, State.TickTime + 0.1);
    EXPECT_LE(State.Now, State.NextPanelTime);
    EXPECT_LE(State.Now, State.NextSweepTime);
    // And then the loop runs on as before.
    Host().SetSecondsPerClockRead(0.0004);
    const double tick = State.TickTime;
    RunFor(1.0);
    EXPECT_NEAR(State.TickTime - tick, 1.0, 0.11);
  }
}

TEST_F(SchedulerTest, QAndEscapeEndTheProgramOtherKeysDoNot) {
  for (const int key : {int{'q'}, int{'Q'}, kKeyEscape}) {
    ResetConsoleState();
    StartConsole();
    Host().PressKey(kKeyCloseRequest);
    Host().PressKey(kKeyPageDown);
    Host().PressKey('x');
    EXPECT_EQ(RunFor(1.0), Transfer::None);
    Host().PressKey(key);
    EXPECT_EQ(RunFor(1.0), Transfer::EndProgram) << key;
  }
  ResetConsoleState();
  Host().ScheduleKey(Host().Time() + 2.0, 'q');
  EXPECT_EQ(RunConsole(Host()), 0);
}

TEST_F(SchedulerTest, PausedLoopSleepsAndHoldsSimulatedTime) {
  StartConsole();
  RunFor(1.0);
  State.OperatingMode = Mode::Paused;
  const double now = State.Now, tick = State.TickTime;
  const double real = Host().Time();
  for (int i = 0; i < 200; ++i) RunSchedulerPass();
  EXPECT_GE(Host().Time() - real, 180 * 0.010);  // all but the tick passes sleep
  EXPECT_EQ(State.TickTime, tick);
  EXPECT_NEAR(State.Now, now, 0.11);
}

}  // namespace
}  // namespace vorn
