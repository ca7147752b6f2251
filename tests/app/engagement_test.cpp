// Whole engagements on the running console, driven only through the
// operator's controls (the mouse on the canvas) and watched through the
// state and the canvas, with the console's invariants checked at every tick.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/console_state.h"
#include "app/site_controls.h"
#include "model/missile.h"
#include "support/console_test.h"
#include "support/invariants.h"

namespace vorn {
namespace {

using test::ReadCanvasText;

class EngagementTest : public test::ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    StartConsole();
    run_.AfterTick = [this] { log_.Observe(); };
  }

  void TearDown() override {
    EXPECT_EQ(run_.Failure(), "");
    EXPECT_EQ(test::ConsoleInvariants::CheckWholePpi(), "");
    ConsoleTest::TearDown();
  }

  void Ticks(int n) { ASSERT_EQ(run_.RunTicks(n), Transfer::None); }

  // The left button held over a pixel for one tick, then released there.
  void Click(int x, int y) {
    Host().MoveMouse(x, y, 1);
    Ticks(1);
    Host().MoveMouse(x, y, 0);
    Ticks(1);
  }

  // The aircraft's echo on the PPI.
  void ClickEcho(int slot) {
    const auto at = static_cast<std::size_t>(slot);
    Click(PpiPixelX(State.TargetX[at]), PpiPixelY(State.TargetY[at]));
  }

  // Ticks until the condition holds; false if it did not within maxTicks.
  template <typename Condition>
  bool TickUntil(Condition condition, int maxTicks) {
    for (int i = 0; i < maxTicks && run_.Failure().empty(); ++i) {
      if (condition()) return true;
      if (run_.RunTicks(1) != Transfer::None) return false;
    }
    return condition();
  }

  // Designates the aircraft and waits for the computer to settle on it.
  void EngageSlot(int slot) {
    const auto at = static_cast<std::size_t>(slot);
    const double x = State.TargetX[at], y = State.TargetY[at], alt = State.TargetAlt[at];
    ASSERT_LT(std::sqrt(x * x + y * y + alt * alt), 199000.0) << "slot " << slot;
    ClickEcho(slot);
    ASSERT_EQ(State.TargetDesignated, slot);
    ASSERT_TRUE(TickUntil([] { return State.ComputerSettled != 0; }, 50)) << "slot " << slot;
    ASSERT_LT(State.TimeToIntercept, 150.0);
  }

  test::CheckedRun run_;
  test::DestructionLog log_;
};

TEST_F(EngagementTest, OperatorShootsDownAnAircraftWithTheMouseAlone) {
  Ticks(100);
  // Slot 1, a hostile approaching from the south-west, solves in about 70 s.
  constexpr int kSlot = 1;
  ASSERT_EQ(State.TargetIffResponder[kSlot], 0.0);
  ASSERT_NO_FATAL_FAILURE(EngageSlot(kSlot));

  ASSERT_EQ(run_.RunUntilPanelTask(), Transfer::None);
  EXPECT_EQ(ReadCanvasText(33, 70, 26), "Target Designated      YES");
  EXPECT_EQ(ReadCanvasText(35, 70, 26), "Computer Settled       YES");
  EXPECT_EQ(ReadCanvasText(39, 70, 26), "Ready to Fire ?        YES");

  // FIRE at RED alert, the start value: the missile leaves launcher 2 of
  // section 1 at once.
  ASSERT_EQ(State.AlertStatus, 3.0);
  Host().MoveMouse(620, 920, 1);
  Ticks(1);
  EXPECT_EQ(State.MissilePhase, FlightPhase::SettleGyro);
  EXPECT_EQ(State.MissileX, 919.0);
  Host().MoveMouse(620, 920, 0);
  Ticks(1);
  EXPECT_EQ(State.FireCommand, 0);

  // Watch every phase to the end of the burst.
  std::vector<int> phases = {static_cast<int>(State.MissilePhase)};
  std::string missLine;
  const bool over = TickUntil(
      [&] {
        const int phase = static_cast<int>(State.MissilePhase);
        if (phase != phases.back()) phases.push_back(phase);
        if (State.MissilePhase == FlightPhase::Burst) missLine = ReadCanvasText(41, 70, 55);
        return log_.JustDestroyed() != 0;
      },
      3000);
  ASSERT_TRUE(over) << "no destruction; phases seen: " << ::testing::PrintToString(phases);
  const std::vector<int> cruised = {1, 2, 3, 4, 5, 6, 0};
  const std::vector<int> burstInDive = {1, 2, 3, 4, 6, 0};
  EXPECT_TRUE(phases == cruised || phases == burstInDive) << ::testing::PrintToString(phases);
  EXPECT_EQ(missLine.substr(0, 23), "Miss distance yards  X=") << missLine;

  // The aircraft is destroyed, the designation cleared and the next missile
  // stands on the same launcher.
  EXPECT_EQ(log_.JustDestroyed(), kSlot);
  EXPECT_EQ(State.TargetX[kSlot], 500000.0);
  EXPECT_EQ(State.TargetDesignated, 0);
  EXPECT_EQ(State.ComputerSettled, 0);
  EXPECT_EQ(State.MissilePhase, FlightPhase::Ready);
  EXPECT_EQ(State.MissileX, 919.0);

  // The next panel task puts a new hostile on the ring at the picture's edge.
  ASSERT_EQ(run_.RunUntilPanelTask(), Transfer::None);
  const double range = std::hypot(State.TargetX[kSlot], State.TargetY[kSlot]);
  EXPECT_GE(range, 250000.0);
  EXPECT_LE(range, 300000.0);
  EXPECT_EQ(State.TargetIffResponder[kSlot], 0.0);
  EXPECT_EQ(ReadCanvasText(33, 70, 26), "Target Designated      NO ");

  // A second engagement: the missile leaves launcher 3, and its gyro
  // settling wipes the last miss distance.
  constexpr int kSecondSlot = 4;
  ASSERT_NO_FATAL_FAILURE(EngageSlot(kSecondSlot));
  Host().MoveMouse(620, 920, 1);
  Ticks(1);
  EXPECT_EQ(State.MissilePhase, FlightPhase::SettleGyro);
  EXPECT_EQ(State.LauncherNumber, 3.0);
  EXPECT_EQ(State.SectionNumber, 1.0);
  EXPECT_EQ(State.MissileX, 14 * 3 + 15 * 1 + 876.0);
  Host().MoveMouse(620, 920, 0);
  Ticks(1);
  EXPECT_EQ(State.MissileX, 933.0);  // still on its launcher while the gyros settle
  EXPECT_EQ(ReadCanvasText(41, 70, 55), std::string(55, ' '));
  ASSERT_EQ(run_.RunUntilPanelTask(), Transfer::None);
  EXPECT_EQ(ReadCanvasText(33, 100, 22), "Sel Sctn # 1 Lnchr # 3");
  EXPECT_EQ(log_.Hostile(), 1);
}

TEST_F(EngagementTest, AutoCrewDestroysHostilesOneAfterAnotherAndNeverAFriend) {
  Click(820, 5);
  ASSERT_EQ(State.OperatingMode, Mode::Auto);
  ASSERT_EQ(run_.RunUntil(State.Now + 600.0), Transfer::None);

  EXPECT_GE(log_.Hostile(), 3) << "hostile aircraft destroyed in ten minutes";
  EXPECT_EQ(log_.Friendly(), 0);
  EXPECT_EQ(log_.FriendlyLaunches(), 0);
  EXPECT_EQ(State.OperatingMode, Mode::Auto);
}

// A click on an echo takes the highest slot under it, so a friendly flying
// beside the hostile the crew picked is what the click designates. The crew
// must not fire at it.
TEST_F(EngagementTest, AutoCrewHoldsFireWhenAFriendFliesBesideItsHostile) {
  // The friendly of slot 5 flies in formation with hostile 4, 1400 yards off.
  State.TargetX[5] = State.TargetX[4] - 1000;
  State.TargetY[5] = State.TargetY[4] - 1000;
  State.TargetAlt[5] = State.TargetAlt[4];
  State.TargetVX[5] = State.TargetVX[4];
  State.TargetVY[5] = State.TargetVY[4];
  Click(820, 5);
  ASSERT_EQ(State.OperatingMode, Mode::Auto);
  ASSERT_EQ(run_.RunUntil(State.Now + 200.0), Transfer::None);
  EXPECT_EQ(log_.FriendlyLaunches(), 0);
  EXPECT_EQ(log_.Friendly(), 0);
  EXPECT_GE(log_.Hostile(), 1) << "the crew still engages the other hostiles";
}

}  // namespace
}  // namespace vorn
