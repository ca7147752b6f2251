#include "model/fire_control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "app/site_controls.h"
#include "display/canvas.h"
#include "model/missile.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::ReadCanvasText;

// The computer works on the observed track alone; these tests hold the track
// still wherever they need it and run the computer tick by tick.
class FireControlTest : public test::StartedConsoleTest {
 protected:
  static void HoldTrack(double x, double y, double alt, double vx, double vy, double vz) {
    State.TrackX = x;
    State.TrackY = y;
    State.TrackAlt = alt;
    State.TrackVX = vx;
    State.TrackVY = vy;
    State.TrackVZ = vz;
  }

  static void Ticks(int n) {
    for (int i = 0; i < n; ++i) UpdateFireControl();
  }
};

TEST_F(FireControlTest, SettlesOverSuccessiveTicksOnSlotOnesStart) {
  HoldTrack(-88000, -44060, 3333.333333333334, 300, 0, 0);
  State.TargetTracked = 1;
  Ticks(1);
  EXPECT_NEAR(State.SolverTime, 64.33, 0.01);
  EXPECT_NEAR(State.SolverAz, -2.268, 0.001);
  EXPECT_EQ(State.TimeToIntercept, State.SolverTime);
  EXPECT_EQ(State.ComputerSettled, 1);
  Ticks(4);
  EXPECT_NEAR(State.SolverTime, 74.05, 0.01);
  EXPECT_NEAR(State.SolverAz, -2.5514, 0.0001);
  Ticks(20);
  EXPECT_NEAR(State.SolverTime, 74.05, 0.01);
  EXPECT_NEAR(State.SolverAz, -2.5514, 0.0001);
  // The ready missile is laid on the solution, clear of any flight orders.
  EXPECT_EQ(State.MissileHeading, State.SolverAz);
  EXPECT_EQ(State.BurstClutter, 1.0);
  EXPECT_EQ(State.SteerLateral, 0.0);
  EXPECT_EQ(State.SteerVertical, 0.0);
}

TEST_F(FireControlTest, PublishesTheInterceptOnTheSolutionAzimuthAtTheMissilesReach) {
  // A still aircraft due north: the intercept point converges on it.
  HoldTrack(0, 100000, 5000, 0, 0, 0);
  State.TargetTracked = 2;
  Ticks(30);
  EXPECT_NEAR(State.PipX, 0, 1);
  EXPECT_NEAR(State.PipY, 100000, 1);
  EXPECT_NEAR(State.TimeToIntercept, (100000 + 11731.2) / 1227.6, 0.001);
  EXPECT_NEAR(State.PipBearingDeg, 0, 1e-9);
  EXPECT_EQ(State.PipAlt, 5000);

  // A moving aircraft: the plotted point lies at the missile's reach on the
  // solution azimuth, not at the aircraft's predicted position.
  HoldTrack(-88000, -44060, 3333.333333333334, 300, 0, 0);
  Ticks(1);
  const double reach = 1227.6 * State.TimeToIntercept - 11731.2;
  EXPECT_NEAR(std::hypot(State.PipX, State.PipY), reach, 1e-6);
  EXPECT_NEAR(std::atan2(State.PipY, State.PipX), State.SolverAz, 1e-12);
  EXPECT_GT(std::hypot(State.PipX - State.PredX, State.PipY - State.PredY), 100);

  // Compass bearings of the predicted position, 0 to below 360.
  const struct {
    double X, Y, Bearing;
  } bearings[] = {{100000, 0, 90}, {0, -100000, 180}, {-1000, 100000, 359.427}};
  for (const auto& b : bearings) {
    HoldTrack(b.X, b.Y, 5000, 0, 0, 0);
    Ticks(1);
    EXPECT_NEAR(State.PipBearingDeg, b.Bearing, 0.001);
  }

  // The intercept altitude stays between 1 yard and 80,000 feet.
  HoldTrack(0, 100000, 30000, 0, 0, 0);
  Ticks(1);
  EXPECT_EQ(State.PipAlt, 26666.66666666667);
  HoldTrack(0, 100000, 500, 0, 0, -100);
  Ticks(1);
  EXPECT_EQ(State.PipAlt, 1.0);
}

// A solution beyond 150 s is published but not settled, with a warning on
// the message lines that goes as soon as the aircraft comes within reach.
TEST_F(FireControlTest, TooDistantSolutionIsPublishedButNotSettledAndWarned) {
  // Flying away faster than any solution below 150 s can follow.
  HoldTrack(150000, 0, 5000, 600, 0, 0);
  State.TargetTracked = 3;
  Ticks(5);
  EXPECT_GT(State.TimeToIntercept, 150);  // the time steps follow the clamp
  EXPECT_EQ(State.ComputerSettled, 0);
  EXPECT_GT(State.PipX, 150000);
  EXPECT_EQ(State.PipAlt, 5000);
  EXPECT_EQ(ReadCanvasText(50, 76, 16), "Pred. Intercept ");
  EXPECT_EQ(ReadCanvasText(51, 76, 16), "> 150 seconds   ");
  EXPECT_EQ(test::CellForeground(50, 76), test::Colour(0xFF0000));
  EXPECT_EQ(State.Canvas.Foreground, test::Colour(0xFFFFFF));
  // The next tick starts again from 150 s.
  Ticks(1);
  EXPECT_EQ(State.ComputerSettled, 0);

  // The aircraft comes round within reach: settled again at once, and the
  // lines are blanked on every ready tick.
  HoldTrack(100000, 0, 5000, 0, 0, 0);
  Ticks(1);
  EXPECT_EQ(State.ComputerSettled, 1);
  EXPECT_EQ(ReadCanvasText(50, 76, 15), std::string(15, ' '));
  EXPECT_EQ(ReadCanvasText(51, 76, 15), std::string(15, ' '));
}

TEST_F(FireControlTest, ExactlyOneHundredFortyNineSecondsIsSettled) {
  // A still aircraft due east exactly at the missile's reach in 149 s keeps
  // the estimate at exactly 149 s.
  const double reach = 1227.6 * 149.0 - 11731.2;
  HoldTrack(reach, 0, 5000, 0, 0, 0);
  State.TargetTracked = 1;
  State.SolverTime = 149.0;
  State.SolverAz = 0.0;
  Ticks(3);
  EXPECT_EQ(State.TimeToIntercept, 149.0);
  EXPECT_EQ(State.ComputerSettled, 1);

  HoldTrack(reach + 10, 0, 5000, 0, 0, 0);
  Ticks(1);
  EXPECT_GT(State.TimeToIntercept, 149.0);
  EXPECT_EQ(State.ComputerSettled, 0);
}

TEST_F(FireControlTest, CrossingDueWestLandsAboutFortyFiveDegreesOffAndRecovers) {
  // Settled just north of due west.
  HoldTrack(-100000, 1000, 5000, 0, 0, 0);
  State.TargetTracked = 1;
  Ticks(30);
  const double north = std::atan2(1000.0, -100000.0);
  ASSERT_NEAR(State.SolverAz, north, 1e-6);

  // Just south of due west: the unwrapped mean lands near 0 first.
  HoldTrack(-100000, -1000, 5000, 0, 0, 0);
  Ticks(1);
  const double south = -north;
  EXPECT_NEAR(State.SolverAz, -3 * std::numbers::pi / 4, 0.02);
  Ticks(2);
  EXPECT_NEAR(State.SolverAz, south, 0.02);
  // The time estimate does not care about the azimuth.
  EXPECT_NEAR(State.TimeToIntercept, (std::hypot(100000.0, 1000.0) + 11731.2) / 1227.6, 0.01);
}

TEST_F(FireControlTest, WithoutAnEngagedAircraftSolvesOnTheLastTrackUnsettled) {
  HoldTrack(0, 100000, 5000, 0, 0, 0);
  State.TargetTracked = 0;
  State.ComputerSettled = 1;
  Ticks(30);
  EXPECT_EQ(State.ComputerSettled, 0);
  EXPECT_NEAR(State.TimeToIntercept, (100000 + 11731.2) / 1227.6, 0.001);
  EXPECT_NEAR(State.PipY, 100000, 1);
}

}  // namespace
}  // namespace vorn
