#include "model/missile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include "display/canvas.h"
#include "model/designation.h"
#include "model/fire_control.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::ReadCanvasText;

constexpr double kPi = 3.141592653589793;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

using Vector = std::tuple<double, double, double>;
// Where a missile stands on launcher 2 of section 1.
const Vector kOnLauncherTwo = {14 + 15 + 876, 0, 0};

Vector MissileAt() {
  return {State.MissileX, State.MissileY, State.MissileAlt};
}
Vector MissileVelocity() {
  return {State.MissileVX, State.MissileVY, State.MissileVZ};
}

class MissileTest : public test::ConsoleScreenTest {
 protected:
  // Puts an aircraft into a slot, designated and engaged, with its observed
  // track on it.
  void Engage(int slot, double x, double y, double alt, double vx, double vy, double vz) {
    const auto at = static_cast<std::size_t>(slot);
    State.TargetX[at] = x;
    State.TargetY[at] = y;
    State.TargetAlt[at] = alt;
    State.TargetVX[at] = vx;
    State.TargetVY[at] = vy;
    State.TargetVZ[at] = vz;
    State.TargetDesignated = slot;
    State.TargetTracked = slot;
    CopyTrack();
  }

  // One model tick: the designated aircraft flies on and its track follows
  // it (what the target motion does without evasion), then the computer's
  // flight branch and the missile.
  void Tick() {
    const int slot = State.TargetDesignated;
    if (slot != 0) {
      const auto at = static_cast<std::size_t>(slot);
      State.TargetX[at] += 0.1 * State.TargetVX[at];
      State.TargetY[at] += 0.1 * State.TargetVY[at];
      State.TargetAlt[at] += 0.1 * State.TargetVZ[at];
      CopyTrack();
    }
    UpdateFireControl();
    FlyMissile();
  }

  // Ticks while the missile stays in the given phase; returns how many.
  int TicksIn(FlightPhase phase, int limit = 2000) {
    int ticks = 0;
    while (State.MissilePhase == phase && ticks < limit) {
      Tick();
      ++ticks;
    }
    return ticks;
  }

  // A missile diving from the end of roll stabilisation, as the launch
  // leaves it.
  static void Dive(double tti, double pipAlt) {
    State.MissilePhase = FlightPhase::Dive;
    State.MissileX = 919;
    State.MissileAlt = 2887.5;
    State.MissileSpeed = 875;
    State.TimeToIntercept = tti;
    State.PipAlt = pipAlt;
  }

  // A missile in the half-g cruise at (x, y, alt) flying at the given speed
  // along the given heading, level.
  void Cruise(double x, double y, double alt, double speed, double heading, double tti) {
    State.MissilePhase = FlightPhase::Cruise;
    State.MissileX = x;
    State.MissileY = y;
    State.MissileAlt = alt;
    State.MissileSpeed = speed;
    State.MissileHeading = heading;
    State.MissilePitch = 0.0;
    State.MissileVX = speed * std::cos(heading);
    State.MissileVY = speed * std::sin(heading);
    State.MissileVZ = 0.0;
    State.TimeToIntercept = tti;
  }

 private:
  void CopyTrack() {
    const auto at = static_cast<std::size_t>(State.TargetDesignated);
    State.TrackX = State.TargetX[at];
    State.TrackY = State.TargetY[at];
    State.TrackAlt = State.TargetAlt[at];
    State.TrackVX = State.TargetVX[at];
    State.TrackVY = State.TargetVY[at];
    State.TrackVZ = State.TargetVZ[at];
  }
};

// The launch, with and without an engaged aircraft: the flight clock must
// run through boost and roll stabilisation either way.
TEST_F(MissileTest, LaunchSettlesBoostsAndRollsForTheirTicks) {
  for (const bool engaged : {true, false}) {
    SCOPED_TRACE(engaged ? "engaged" : "no aircraft");
    ResetConsoleState();
    OpenScreen(kConsoleMode, 16);
    if (engaged) Engage(1, -20000, 10000, 3000, 300, 0, 0);
    State.MissileHeading = 0.5;  // laid by the computer
    State.FireCommand = 1;
    FlyMissile();  // the launch tick
    EXPECT_EQ(State.MissilePhase, FlightPhase::SettleGyro);
    EXPECT_EQ(State.LauncherNumber, 2);
    EXPECT_EQ(MissileAt(), Vector(919, 0, 0));
    State.FireCommand = 0;
    State.TimeToIntercept = 40.0;
    State.SteerVertical = -3.0;

    // The first settling tick erases the last flight's miss distance, in
    // white and without a line break, and clears the orders.
    SetTextPosition(41, 70);
    PrintText(std::string(64, 'X'), false);
    SetColors(0xFF0000, -1);
    Tick();
    EXPECT_EQ(ReadCanvasText(41, 70, 64), std::string(64, ' '));
    EXPECT_EQ(State.Canvas.Foreground, test::Colour(0xFFFFFF));
    EXPECT_EQ(State.Canvas.CursorRow, 40);
    EXPECT_EQ(State.Canvas.CursorColumn, 69 + 64);
    EXPECT_EQ(State.SteerVertical, 0);

    EXPECT_EQ(TicksIn(FlightPhase::SettleGyro), 19);
    EXPECT_EQ(TicksIn(FlightPhase::Boost), 35);
    EXPECT_EQ(State.MissileAlt, 1575);
    EXPECT_EQ(State.MissileVZ, 875);
    EXPECT_EQ(TicksIn(FlightPhase::RollStab), 15);
    // 7.0 s after the launch tick the dive is set up; it flies from 7.1 s.
    EXPECT_EQ(State.MissilePhase, FlightPhase::Dive);
    EXPECT_DOUBLE_EQ(State.MissileAlt, 2887.5);
    EXPECT_EQ(State.MissileSpeed, 875);
    EXPECT_EQ(State.MissileX, 919);
    EXPECT_NEAR(State.TimeToIntercept, 33.0, 1e-9);

    // The first dive tick speeds up and pitches over along the laid heading.
    Tick();
    EXPECT_DOUBLE_EQ(State.MissileSpeed, 878.526);
    EXPECT_DOUBLE_EQ(State.MissilePitch, 1.570796326794897 - std::atan(13.5 / 878.526));
    EXPECT_NEAR(std::atan2(State.MissileY, State.MissileX - 919), 0.5, 1e-12);
    EXPECT_GT(State.MissileAlt, 2887.5 + 87);
    EXPECT_NEAR(State.TimeToIntercept, 32.9, 1e-9);
  }
}

// A dive that runs out of time before it pulls out bursts where it is, and
// the aircraft is destroyed all the same.
TEST_F(MissileTest, DiveBurstDestroysTheAircraftWithoutPlacingTheMissile) {
  Engage(2, 6000, 4000, 3000, -200, 100, 5);
  Dive(4.0, 3000);
  State.MissileVZ = 875;
  State.ComputerSettled = 1;

  EXPECT_EQ(TicksIn(FlightPhase::Dive), 31);  // 4.0 counted down below 1.0
  EXPECT_EQ(State.MissilePhase, FlightPhase::Burst);
  EXPECT_EQ(State.BurstSnapPending, 0);
  EXPECT_EQ(State.MissileVX, 0);
  EXPECT_EQ(State.MissileVZ, 0);
  const double burstX = State.MissileX, burstAlt = State.MissileAlt;

  double speed = -200;
  int ticks = 0;
  while (State.MissilePhase == FlightPhase::Burst && ticks < 200) {
    Tick();
    ++ticks;
    if (State.MissilePhase != FlightPhase::Burst) break;
    // The debris slows from the 11th burst tick on, and clutters the radar.
    if (ticks >= 11) {
      speed *= 0.96;
      EXPECT_GE(State.BurstClutter, 1.0);
      EXPECT_LT(State.BurstClutter, 2.0);
    } else {
      EXPECT_EQ(State.BurstClutter, 1.0);
    }
    ASSERT_DOUBLE_EQ(State.TargetVX[2], speed) << "burst tick " << ticks;
    EXPECT_EQ(State.MissileX, burstX);
    EXPECT_EQ(State.MissileAlt, burstAlt);
  }
  EXPECT_EQ(ticks, 71);
  EXPECT_EQ(State.TargetX[2], 500000);
  EXPECT_EQ(State.TargetTracked, 0);
  EXPECT_EQ(State.TargetDesignated, 0);
  EXPECT_EQ(State.ComputerSettled, 0);
  EXPECT_EQ(State.BurstClutter, 1.0);
  // The next missile stands on its launcher in the same tick.
  EXPECT_EQ(State.MissilePhase, FlightPhase::Ready);
  EXPECT_EQ(MissileAt(), kOnLauncherTwo);
  // The countdown came to rest at or just below zero.
  EXPECT_LE(State.TimeToIntercept, 0.0);
  EXPECT_GT(State.TimeToIntercept, -0.11);
}

TEST_F(MissileTest, BurstWithoutEngagedAircraftLeavesSlotZeroAlone) {
  State.MissilePhase = FlightPhase::Burst;
  State.TimeToIntercept = -0.05;
  State.FireCommand = 1;
  for (int i = 0; i < 71; ++i) Tick();
  EXPECT_EQ(State.TargetX[0], 0);
  EXPECT_EQ(State.TargetVX[0], 0);
  EXPECT_EQ(State.TargetX[1], -88000);
  EXPECT_EQ(State.TargetVX[1], 300);
  // A FIRE command still held launches the next missile at once.
  EXPECT_EQ(State.MissilePhase, FlightPhase::SettleGyro);
  EXPECT_EQ(State.LauncherNumber, 2);
}

TEST_F(MissileTest, DiveTurnsToCruiseOnlyBelowTheLowPitch) {
  Engage(1, 30000, 0, 26000, -300, 0, 0);
  Dive(25.0, 26000);  // the intercept out of reach: the test passes as soon as it is made
  // The pitch the guidance saw on the tick before the turn, and on it.
  double seenBefore = State.MissilePitch, seen = State.MissilePitch;
  for (int i = 0; i < 1000 && State.MissilePhase == FlightPhase::Dive; ++i) {
    seenBefore = seen;
    seen = State.MissilePitch;
    Tick();
  }
  EXPECT_EQ(State.MissilePhase, FlightPhase::Cruise);
  EXPECT_GE(seenBefore, 0.1963495408493621);
  EXPECT_LT(seen, 0.1963495408493621);
  // The turn to cruise sets the half-g order; the tick's cruise step flew it.
  EXPECT_EQ(State.SteerVertical, -0.5);
}

TEST_F(MissileTest, LastThreeSecondsAreFlownStraight) {
  Engage(3, 20000, 9000, 4000, -300, 50, 0);
  Cruise(10000, 0, 3000, 1100, 0.2, 3.4);
  Tick();
  Tick();
  ASSERT_EQ(State.MissilePhase, FlightPhase::Cruise);
  ASSERT_LT(State.TimeToIntercept, 3.4);
  for (int i = 0; i < 100 && State.TimeToIntercept >= 3.0; ++i) Tick();
  // From here the orders go on turning the angles but not the missile.
  for (int i = 0; i < 5 && State.MissilePhase == FlightPhase::Cruise; ++i) {
    const auto [x, y, alt] = MissileAt();
    const auto [vx, vy, vz] = MissileVelocity();
    const double heading = State.MissileHeading, pitch = State.MissilePitch;
    const double lateral = State.SteerLateral;
    Tick();
    EXPECT_EQ(MissileVelocity(), std::tuple(vx, vy, vz));
    EXPECT_EQ(MissileAt(), std::tuple(x + 0.1 * vx, y + 0.1 * vy, alt + 0.1 * vz));
    EXPECT_NE(State.MissileHeading, heading);
    EXPECT_NE(State.MissilePitch, pitch);
    EXPECT_NE(State.SteerLateral, lateral);
  }
}

// The lateral order is the scaled course error wrapped into (-pi, pi]: past
// about 36 degrees it turns the other way. A heading far out of range, or no
// number at all, is brought back into a half turn without stalling the tick.
TEST_F(MissileTest, SteeringAnglesWrapIntoAHalfTurn) {
  // Bearing of the aircraft from the missile, which flies east; whether the
  // order turns clockwise (positive).
  const std::pair<double, bool> cases[] = {{20, false},  {-20, true},  {30, false}, {50, true},
                                           {-50, false}, {170, false}, {-170, true}};
  for (const auto& [bearingDeg, clockwise] : cases) {
    SCOPED_TRACE(bearingDeg);
    ResetConsoleState();
    const double b = bearingDeg * kPi / 180;
    Engage(1, 50000 * std::cos(b), 50000 * std::sin(b), 3000, 0, 0, 0);
    Cruise(0, 0, 3000, 1200, 0.0, 40);
    UpdateFireControl();
    EXPECT_LE(std::fabs(State.SteerLateral), kPi);
    EXPECT_EQ(State.SteerLateral > 0, clockwise) << State.SteerLateral;
  }
  for (const double heading : {7.0, -7.0, 1e300, -1e300, kInfinity, kNan}) {
    SCOPED_TRACE(heading);
    Cruise(0, 0, 3000, 1200, heading, 40);
    FlyMissile();
    EXPECT_GT(State.MissileHeading, -kPi);
    EXPECT_LE(State.MissileHeading, kPi);
    EXPECT_TRUE(std::isfinite(State.MissileX));
  }
}

// A manual burst from roll stabilisation on returns the missile to Ready;
// the aircraft survives, still engaged, and debris slowed after 1 s of
// burst stays slow.
TEST_F(MissileTest, ManualBurstAbandonsTheFlightAndSparesTheAircraft) {
  for (const FlightPhase phase :
       {FlightPhase::RollStab, FlightPhase::Dive, FlightPhase::Cruise, FlightPhase::Burst}) {
    SCOPED_TRACE(static_cast<int>(phase));
    ResetConsoleState();
    Engage(4, 30000, 0, 3000, -400, 0, 0);
    Cruise(5000, 0, 3000, 1100, 0.0, 20);
    State.MissilePhase = phase;
    if (phase == FlightPhase::Burst) State.TimeToIntercept = 0.5;
    for (int i = 0; i < 15; ++i) Tick();
    const double speed = State.TargetVX[4];
    if (phase == FlightPhase::Burst) {
      EXPECT_LT(std::fabs(speed), 400 * 0.96 * 0.96 * 0.96 * 0.96);
    }

    State.MissilePhase = FlightPhase::Ready;  // the Manual Burst button
    for (int i = 0; i < 100; ++i) Tick();
    EXPECT_EQ(State.MissilePhase, FlightPhase::Ready);
    EXPECT_EQ(MissileAt(), kOnLauncherTwo);
    EXPECT_EQ(State.TargetVX[4], speed);
    EXPECT_NE(State.TargetX[4], 500000);
    EXPECT_EQ(State.TargetDesignated, 4);
    EXPECT_EQ(State.TargetTracked, 4);
  }
}

TEST_F(MissileTest, MissDistanceIsPrintedWhileTheInterceptIsAhead) {
  // A standing aircraft: the track and the miss do not move.
  Engage(6, 1000 + 600, 2000 - 1230, 3000 + 90, 0, 0, 0);
  State.MissilePhase = FlightPhase::Burst;
  State.MissileX = 1000;
  State.MissileY = 2000;
  State.MissileAlt = 3000;
  State.BurstSnapPending = 1;
  State.TimeToIntercept = 0.95;
  SetColors(0x00FF00, -1);

  for (int i = 0; i < 9; ++i) {
    Tick();
    // 20.5 and 1.5 yards-by-60 round to even. The line is 55 cells long.
    ASSERT_EQ(ReadCanvasText(41, 70, 56),
              "Miss distance yards  X=  10 Y=  20 Z=   2 Radius=  22   ");
    ASSERT_EQ(test::CellForeground(41, 70), test::Colour(0x00FF00));
    EXPECT_EQ(State.Canvas.CursorRow, 41);  // the line was broken
    EXPECT_EQ(State.Canvas.CursorColumn, 0);
    EXPECT_EQ(State.MissileX, 1000);  // not placed yet
  }
  // Past the intercept moment the line stands and the burst moves onto the
  // aircraft.
  State.TargetX[6] += 6000;
  Tick();
  EXPECT_EQ(ReadCanvasText(41, 70, 56), "Miss distance yards  X=  10 Y=  20 Z=   2 Radius=  22   ");
  EXPECT_EQ(MissileAt(), std::tuple(7600, 770, 3090));
  EXPECT_EQ(State.BurstSnapPending, 0);
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_NEAR(State.TimeToIntercept, -0.05, 1e-9);  // comes to rest below zero
}

// The cruise re-solves the intercept from the missile every tick and counts
// the time down at no more than 0.125 s and no less than 0.075 s per tick;
// once on the solution it follows it.
TEST_F(MissileTest, CruiseResolvesFromTheMissileAndCountsDownAtALimitedRate) {
  struct Case {
    double Tti;      // given to the cruise
    double MinStep;  // expected bounds of the countdown while it catches up
    double MaxStep;
    bool OnSolution;  // whether the time has caught up after 2 s
  };
  // The true time to go is about 20.6 s.
  const Case cases[] = {
      {40, 0.125, 0.125, false}, {8, 0.075, 0.075, false}, {21, 0.075, 0.125, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Tti);
    ResetConsoleState();
    Engage(1, 30000, 8000, 6000, -300, 60, 10);
    Cruise(2000, 0, 4000, 1150, 0.3, c.Tti);
    for (int i = 0; i < 20; ++i) {
      const double before = State.TimeToIntercept;
      Tick();
      const double step = before - State.TimeToIntercept;
      EXPECT_GE(step, c.MinStep - 1e-12);
      EXPECT_LE(step, c.MaxStep + 1e-12);
    }
    EXPECT_EQ(State.TimeToIntercept == State.SolverTime, c.OnSolution);
    // The published intercept is the aircraft's predicted position.
    EXPECT_EQ(State.PipX, State.PredX);
    EXPECT_EQ(State.PipY, State.PredY);
    EXPECT_NEAR(State.PredX, State.TrackX + State.SolverTime * State.TrackVX, 1e-9);
    EXPECT_NEAR(State.MissileReach, State.SolverTime * State.MissileSpeed, 1e-9);
    EXPECT_DOUBLE_EQ(State.PipAlt, State.TrackAlt + State.TimeToIntercept * State.TrackVZ);
    EXPECT_GE(State.SteerVertical, -9);
    EXPECT_LE(State.SteerVertical, 9);
  }
}

TEST_F(MissileTest, CruiseBurstPlacesTheMissileOnTheTrack) {
  Engage(2, 26000, 6000, 5000, -300, 0, 0);
  Cruise(3000, 0, 4500, 1150, 0.25, 17);
  State.PipAlt = 5000;
  double last = State.TimeToIntercept;
  int ticks = 0;
  while (State.MissilePhase == FlightPhase::Cruise && ticks < 1000) {
    Tick();
    ++ticks;
    ASSERT_LE(State.TimeToIntercept, last);  // it never goes back up
    last = State.TimeToIntercept;
    EXPECT_GE(State.PipAlt, 1.0);
  }
  ASSERT_EQ(State.MissilePhase, FlightPhase::Burst);
  EXPECT_LT(State.TimeToIntercept, 1.0);
  EXPECT_EQ(State.BurstSnapPending, 1);
  // The guidance has brought the missile from some 24,000 yards to close by.
  const double gap = std::hypot(State.TrackX - State.MissileX, State.TrackY - State.MissileY);
  EXPECT_LT(gap, 1500);

  for (int i = 0; i < 20 && State.TimeToIntercept > 0; ++i) Tick();
  EXPECT_EQ(State.BurstSnapPending, 0);
  EXPECT_EQ(MissileAt(), std::tuple(State.TrackX, State.TrackY, State.TrackAlt));
}

// A burst entered from the cruise places the missile on the track when its
// countdown runs out. A manual burst before that, or the next launch, ends
// that burst: a later flight that bursts straight from the dive must stay
// where it burst, not jump onto the track.
TEST_F(MissileTest, AbandonedCruiseBurstLeavesNoSnapForTheNextFlight) {
  Engage(4, 6000, 0, 3000, -400, 0, 0);
  Cruise(5000, 0, 3000, 1100, 0.0, 1.3);
  for (int i = 0; i < 10 && State.MissilePhase == FlightPhase::Cruise; ++i) Tick();
  ASSERT_EQ(State.MissilePhase, FlightPhase::Burst);
  ASSERT_EQ(State.BurstSnapPending, 1.0);
  ASSERT_GT(State.TimeToIntercept, 0.0);
  test::SetMouse(670, 920, 0);
  UpdateFirePanel();
  test::SetMouse(670, 920, 1);
  UpdateFirePanel();  // Manual Burst, in the first second of the burst
  EXPECT_EQ(State.MissilePhase, FlightPhase::Ready);
  EXPECT_EQ(State.BurstSnapPending, 0.0);

  Dive(2.0, 3000);
  State.MissilePitch = kHalfPi;  // a fresh flight's dive starts upright
  State.MissileVZ = 875;
  TicksIn(FlightPhase::Dive);
  ASSERT_EQ(State.MissilePhase, FlightPhase::Burst);
  const Vector burstAt = MissileAt();
  for (int i = 0; i < 20 && State.MissilePhase == FlightPhase::Burst; ++i) {
    Tick();
    EXPECT_EQ(MissileAt(), burstAt) << "burst tick " << i;
  }

  // A launch starts a flight with no snap left over either.
  State.MissilePhase = FlightPhase::Ready;
  State.BurstSnapPending = 1.0;
  State.FireCommand = 1;
  FlyMissile();
  EXPECT_EQ(State.MissilePhase, FlightPhase::SettleGyro);
  EXPECT_EQ(State.BurstSnapPending, 0.0);
}

}  // namespace
}  // namespace vorn
