#include "model/auto_crew.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>

#include "app/site_controls.h"
#include "model/designation.h"
#include "model/missile.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::ReadCanvasText;

// Derives each aircraft's azimuth and slant range as the target motion does,
// with the aircraft held still.
void DeriveTable() {
  for (std::size_t i = 1; i < kTargetSlots; ++i)
    test::PlaceAircraft(static_cast<int>(i), State.TargetX[i], State.TargetY[i],
                        State.TargetAlt[i]);
}

// The crew driven tick by tick over the start-up scenario, held still, with a
// computer that reports a chosen intercept time for each engaged aircraft.
class AutoCrewTest : public test::StartedConsoleTest {
 protected:
  void SetUp() override {
    StartedConsoleTest::SetUp();
    State.OperatingMode = Mode::Auto;
    State.Now = 100.0;
    DeriveTable();
  }

  void Tick() {
    State.Now += 0.1;
    RunAutoCrew();
    DeriveTable();
    if (State.MissilePhase == FlightPhase::Ready) {
      State.ComputerSettled = State.TargetTracked != 0 ? 1 : 0;
      State.TimeToIntercept = Intercept[static_cast<std::size_t>(State.TargetTracked)];
    }
    Designated.push_back(State.TargetDesignated);
  }

  // Ticks until the crew is at the step, at most the given number of ticks.
  bool RunToStep(int step, int maxTicks = 400) {
    for (int i = 0; i < maxTicks; ++i) {
      Tick();
      if (static_cast<int>(State.AutoEngagementCount) == step) return true;
    }
    return false;
  }

  // One scan from its start; the slot it settles on, or 0 when it starts over.
  int Scan() {
    State.AutoEngagementCount = CrewStep::StartScan;
    Tick();
    for (int i = 0; i < 400; ++i) {
      Tick();
      if (State.AutoEngagementCount == CrewStep::StopChallenge) return State.AutoBestSlot;
      if (State.AutoEngagementCount == CrewStep::StartScan) return 0;
    }
    ADD_FAILURE() << "the scan did not end";
    return -1;
  }

  std::array<double, kTargetSlots> Intercept = {0, 80, 60, 45, 70, 40, 40, 40};
  std::vector<int> Designated;  // the designated slot after each tick
};

TEST_F(AutoCrewTest, ScanChallengesExaminesHostilesThenFiresAtTheSoonest) {
  Tick();
  EXPECT_EQ(State.IffMode1, 1);
  ASSERT_TRUE(RunToStep(5));
  EXPECT_EQ(State.AutoBestSlot, 3);
  EXPECT_EQ(State.AutoBestTime, 45);
  EXPECT_EQ(State.TargetTracked, 3);
  EXPECT_EQ(ReadCanvasText(4, 86, 34), "Designated Target =  7            ");

  // Each hostile in slot order, each held at least 1.5 s, then the best
  // again; the friendlies are never designated.
  std::vector<int> order;
  std::map<int, int> ticksHeld;
  for (const int slot : Designated) {
    if (slot != 0 && (order.empty() || order.back() != slot)) order.push_back(slot);
    ++ticksHeld[slot];
  }
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 3}));
  for (const int slot : {1, 2, 4}) EXPECT_GE(ticksHeld[slot], 15) << "slot " << slot;
  for (const int slot : {1, 2}) EXPECT_LE(ticksHeld[slot], 19) << "slot " << slot;

  // Stops the challenge after 1.5 s, fires, and holds FIRE for 1.5 s.
  const double designatedAt = State.Now;
  ASSERT_TRUE(RunToStep(6));
  EXPECT_GE(State.Now, designatedAt + 1.5 - 1e-9);
  EXPECT_EQ(State.IffMode1, 0);
  Tick();
  EXPECT_EQ(State.AutoEngagementCount, CrewStep::ReleaseFire);
  EXPECT_EQ(State.FireCommand, 1);
  State.MissilePhase = FlightPhase::SettleGyro;  // launched
  const double firedAt = State.Now;
  ASSERT_TRUE(RunToStep(8));
  EXPECT_GE(State.Now, firedAt + 1.5 - 1e-9);
  EXPECT_EQ(State.FireCommand, 0);

  // Challenges again close to the intercept, and scans again at the burst.
  State.MissilePhase = FlightPhase::Cruise;
  State.TimeToIntercept = 20;
  Tick();
  EXPECT_EQ(State.IffMode1, 0);
  State.TimeToIntercept = 14.9;
  Tick();
  EXPECT_EQ(State.IffMode1, 1);
  EXPECT_EQ(State.AutoEngagementCount, CrewStep::WatchFlight);
  State.MissilePhase = FlightPhase::Burst;
  Tick();
  EXPECT_EQ(State.AutoEngagementCount, CrewStep::StartScan);
}

TEST_F(AutoCrewTest, KeepsTheSoonestInterceptOutsideTheDeadZone) {
  // Slot 2 flies above 10,000 yards, slots 1, 3 and 4 below or at it.
  State.TargetAlt[3] = 10000;
  Intercept = {0, 31, 31, 30, 12, 0, 0, 0};
  EXPECT_EQ(Scan(), 1);  // 30 s at 10,000 yards is inside; the tie goes to slot 1
  EXPECT_EQ(State.AutoBestTime, 31);

  Intercept = {0, 31, 45, 30.000001, 12, 0, 0, 0};
  EXPECT_EQ(Scan(), 3);  // just beyond 30 s is outside

  Intercept = {0, 31, 20, 30, 12, 0, 0, 0};
  EXPECT_EQ(Scan(), 2);  // above 10,000 yards is outside whatever the time

  State.TargetAlt[3] = 10000.000001;
  Intercept = {0, 31, 31, 30, 12, 0, 0, 0};
  EXPECT_EQ(Scan(), 3);
}

TEST_F(AutoCrewTest, StartsOverWithoutFiringWhenNothingQualifies) {
  State.TargetAlt[2] = 5000;
  Intercept = {0, 25, 30, 12, 29.9, 0, 0, 0};
  EXPECT_EQ(Scan(), 0);
  EXPECT_EQ(State.FireCommand, 0);
  Tick();  // the next scan starts at once
  EXPECT_EQ(State.AutoEngagementCount, CrewStep::ExamineCandidate);
  EXPECT_EQ(State.AutoCandidate, 1);

  // An unsettled solution is not judged at all.
  Intercept = {0, 40, 40, 40, 40, 0, 0, 0};
  State.TargetAlt[2] = 13333.33333333333;
  State.AutoEngagementCount = CrewStep::StartScan;
  Tick();
  for (int i = 0; i < 400 && State.AutoEngagementCount != CrewStep::StartScan; ++i) {
    Tick();
    if (State.TargetTracked != 0) State.ComputerSettled = 0;
  }
  EXPECT_EQ(State.AutoEngagementCount, CrewStep::StartScan);
  EXPECT_EQ(State.AutoBestSlot, 0);

  // Below RED the FIRE press is refused and the crew starts over.
  Intercept = {0, 80, 60, 45, 70, 0, 0, 0};
  State.AlertStatus = 2.0;
  ASSERT_EQ(Scan(), 3);
  ASSERT_TRUE(RunToStep(6));
  Tick();
  EXPECT_EQ(State.FireCommand, 0);
  EXPECT_EQ(State.AutoEngagementCount, CrewStep::StartScan);
}

}  // namespace
}  // namespace vorn
