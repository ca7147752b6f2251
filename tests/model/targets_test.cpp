#include "model/targets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "display/canvas.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::ConsoleTest;
using test::ReadCanvasText;

class TargetMotionTest : public ConsoleTest {
 protected:
  // One 0.1 s tick of simulated time and the motion that goes with it.
  static void Tick() {
    State.Now += 0.1;
    MoveTargets();
  }
};

TEST_F(TargetMotionTest, WithoutDesignationAircraftMoveAndTheTrackStaysUntouched) {
  State.Now = 1000.0;
  MoveTargets();
  EXPECT_EQ(State.TrackAz, 30.0);
  EXPECT_EQ(State.TrackX, 0.0);
  EXPECT_EQ(State.TrackVY, 0.0);
  EXPECT_EQ(State.PrevTrackedSlot, 0.0);

  EXPECT_EQ(State.TargetX[1], -88000.0 + 0.1 * 300.0);
  EXPECT_EQ(State.TargetY[5], 50000.0 + 0.1 * -400.0);
  EXPECT_EQ(State.TargetAz[6], std::atan2(144444.0 - 40.0, 0.0));
  EXPECT_NEAR(State.TargetSlantRange[3], std::sqrt(100060.0 * 100060.0 + 1e10 + 25e6), 1e-9);
  // Slot 7 starts just north of the axis, so its azimuth is small and positive.
  EXPECT_GT(State.TargetAz[7], 0.0);
  EXPECT_LT(State.TargetAz[7], 1e-4);
  // Slot 0 is not an aircraft.
  EXPECT_EQ(State.TargetX[0], 0.0);
  EXPECT_EQ(State.TargetSlantRange[0], 0.0);
}

TEST_F(TargetMotionTest, WithoutEvasionTheTrackIsTheAircraftAndTheNoticeIsErased) {
  OpenScreen(kConsoleMode, 16);
  SetTextPosition(3, 86);
  PrintText("Evasive manoeuvres 1.0g", false);
  State.Now = 1000.0;
  State.TargetDesignated = 3;
  Tick();
  Tick();
  EXPECT_EQ(std::tuple(State.TrackX, State.TrackY, State.TrackAlt),
            std::tuple(State.TargetX[3], State.TargetY[3], State.TargetAlt[3]));
  EXPECT_EQ(std::tuple(State.TrackVX, State.TrackVY, State.TrackVZ), std::tuple(600.0, 0.0, 0.0));
  EXPECT_EQ(State.TrackAz, State.TargetAz[3]);
  EXPECT_EQ(State.TrackSlantRange, State.TargetSlantRange[3]);
  EXPECT_EQ(State.TrackGroundSpeed, 600.0);
  EXPECT_EQ(State.PrevTrackedSlot, 3.0);
  EXPECT_EQ(ReadCanvasText(3, 86, 23), std::string(23, ' '));
}

TEST_F(TargetMotionTest, WeaveFactorFollowsItsFourteenSecondCycle) {
  State.TargetDesignated = 6;
  State.EvasionG = 1.0;
  auto weaveAt = [](double now) {
    State.Now = now;
    MoveTargets();
    return State.WeaveOffset / 245.0;
  };
  EXPECT_NEAR(weaveAt(1400.0), -std::sin(1.0), 1e-12);  // r = 0
  // One cycle later the same again, and at any tenth within a cycle the
  // closed form -sin(pi r / 70 + 1).
  EXPECT_NEAR(weaveAt(1414.0), -std::sin(1.0), 1e-12);
  EXPECT_NEAR(weaveAt(1402.7), -std::sin(3.141592653589793 * 27 / 70 + 1.0), 1e-12);
  // The trough near r = 13 and the crest near r = 83.
  const double w12 = weaveAt(1401.2), w13 = weaveAt(1401.3), w14 = weaveAt(1401.4);
  EXPECT_LT(w13, -0.9999);
  EXPECT_LT(w13, w12);
  EXPECT_LT(w13, w14);
  const double w82 = weaveAt(1408.2), w83 = weaveAt(1408.3), w84 = weaveAt(1408.4);
  EXPECT_GT(w83, 0.9999);
  EXPECT_GT(w83, w82);
  EXPECT_GT(w83, w84);
  // Evasion of 0.2 g scales the displacement.
  State.EvasionG = 0.2;
  State.Now = 1400.0;
  MoveTargets();
  EXPECT_NEAR(State.WeaveOffset, 245.0 * 0.2 * -std::sin(1.0), 1e-9);
}

TEST_F(TargetMotionTest, EvasionStartsFromTheTrueVelocityThenCarriesTheWeave) {
  // Slot 6 flies due south: its weave displaces it east and west.
  State.Now = 1400.0;
  State.TargetDesignated = 6;
  State.EvasionG = 1.0;
  Tick();
  EXPECT_EQ(State.TrackVX, 0.0);
  EXPECT_EQ(State.TrackVY, -400.0);
  EXPECT_EQ(State.PrevTrackedSlot, 6.0);
  EXPECT_NEAR(State.TrackX, -State.WeaveOffset, 1e-9);  // heading -pi/2: sin h = -1
  EXPECT_NEAR(State.TrackY, State.TargetY[6], 1e-9);
  EXPECT_NEAR(State.TrackAlt, State.TargetAlt[6] + State.WeaveOffset, 1e-9);
  EXPECT_EQ(State.TrackAz, State.TargetAz[6]);  // bearing and range stay true

  const double x1 = State.TrackX;
  Tick();
  EXPECT_NEAR(State.TrackVX, (State.TrackX - x1) / 0.1, 1e-9);
  EXPECT_NE(State.TrackVX, 0.0);
  EXPECT_NEAR(State.TrackVY, -400.0, 1e-6);

  // Over a whole cycle the east-west speed swings by about 245 * 2pi / 14.
  double fastest = 0.0;
  for (int i = 0; i < 140; ++i) {
    Tick();
    fastest = std::max(fastest, std::fabs(State.TrackVX));
  }
  EXPECT_GT(fastest, 105.0);
  EXPECT_LT(fastest, 115.0);
  EXPECT_EQ(State.TrackGroundSpeed, 400.0);

  // Slot 5 flies south-east: (sin h, cos h) = (-0.707, 0.707) lies along
  // its path, not across it.
  State.TargetDesignated = 5;
  Tick();
  const double dx = State.TrackX - State.TargetX[5], dy = State.TrackY - State.TargetY[5];
  EXPECT_NEAR(dx, -dy, 1e-6);
  EXPECT_NEAR(std::hypot(dx, dy), std::fabs(State.WeaveOffset), 1e-6);
}

TEST_F(TargetMotionTest, TrackRestartsOnlyForADifferentSlot) {
  State.Now = 1400.0;
  State.EvasionG = 1.0;
  State.TargetDesignated = 6;
  Tick();
  Tick();
  // Dropped for three ticks: the aircraft flies on 120 yards south.
  State.TargetDesignated = 0;
  Tick();
  Tick();
  Tick();
  const double storedY = State.PrevTrackY;
  // Taken up again: differenced against the position stored back then.
  State.TargetDesignated = 6;
  Tick();
  EXPECT_NEAR(State.TrackVY, (State.TrackY - storedY) / 0.1, 1e-9);
  EXPECT_NEAR(State.TrackVY, -1600.0, 1e-6);

  // Another slot in between does restart it.
  State.TargetDesignated = 3;
  Tick();
  EXPECT_EQ(State.TrackVX, 600.0);
  State.TargetDesignated = 6;
  Tick();
  EXPECT_EQ(State.TrackVX, 0.0);
  EXPECT_EQ(State.TrackVY, -400.0);
}

class ReplaceTargetsTest : public ConsoleTest {};

TEST_F(ReplaceTargetsTest, AircraftBeyondThePictureComeBackOnTheRingHeadingIn) {
  State.TargetX[1] = 300000.0;  // exactly at the edge: stays
  State.TargetY[1] = 0.0;
  State.TargetX[2] = 180000.0;  // just beyond: replaced
  State.TargetY[2] = 240000.001;
  State.TargetX[5] = 500000.0;  // a destroyed friendly
  State.TargetY[5] = 0.0;
  State.TargetVZ[2] = -50.0;
  const auto before = State.TargetX;
  ReplaceDistantTargets();

  EXPECT_EQ(State.TargetX[1], 300000.0);
  EXPECT_EQ(State.TargetVX[1], 300.0);
  for (std::size_t i : {3u, 4u, 6u, 7u}) EXPECT_EQ(State.TargetX[i], before[i]);

  for (std::size_t i : {2u, 5u}) {
    SCOPED_TRACE(i);
    const double x = State.TargetX[i], y = State.TargetY[i];
    const double range = std::sqrt(x * x + y * y);
    EXPECT_GE(range, 250000.0);
    EXPECT_LE(range, 300000.0);
    EXPECT_GE(State.TargetAlt[i], 1000.0);
    EXPECT_LT(State.TargetAlt[i], 11000.0);
    EXPECT_EQ(State.TargetVZ[i], 0.0);
    EXPECT_LE(std::fabs(State.TargetVX[i] + x / 400.0), 100.0);
    EXPECT_LE(std::fabs(State.TargetVY[i] + y / 400.0), 100.0);
    EXPECT_LT(State.TargetVX[i] * x + State.TargetVY[i] * y, 0.0);  // closing on the battery
  }
  EXPECT_EQ(State.TargetIffResponder[2], 0.0);
  EXPECT_EQ(State.TargetIffResponder[5], 1.0);
}

TEST_F(ReplaceTargetsTest, NewcomersDrawTheirRandomNumbersInOrder) {
  // The generator's numbers from the start, to replay the draws by hand.
  std::vector<double> u;
  for (int i = 0; i < 200; ++i) u.push_back(NextRandom(1));
  ResetConsoleState();

  State.TargetX[4] = -400000.0;
  ReplaceDistantTargets();

  std::size_t next = 0;
  double x = 0.0, y = 0.0;
  do {
    x = 300000.0 * (1.0 - 2.0 * u[next++]);
    y = 300000.0 * (1.0 - 2.0 * u[next++]);
  } while (std::sqrt(x * x + y * y) < 250000.0 || std::sqrt(x * x + y * y) > 300000.0);
  EXPECT_EQ(State.TargetX[4], x);
  EXPECT_EQ(State.TargetY[4], y);
  EXPECT_EQ(State.TargetAlt[4], 1000.0 + 10000.0 * u[next++]);
  EXPECT_EQ(State.TargetVX[4], (-x / 400.0 + 100.0) - 200.0 * u[next++]);
  EXPECT_EQ(State.TargetVY[4], (-y / 400.0 + 100.0) - 200.0 * u[next++]);
  EXPECT_EQ(NextRandom(0), u[next - 1]);  // nothing else was drawn
}

}  // namespace
}  // namespace vorn
