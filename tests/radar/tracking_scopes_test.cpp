#include "radar/tracking_scopes.h"

#include <gtest/gtest.h>

#include "display/canvas.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::ReadCanvasText;

constexpr int kGreen = 0x00C800;

// The green pixels of one screen column between two rows.
struct Span {
  int First = -1, Last = -1, Count = 0;
};
Span GreenSpan(int x, int top, int bottom) {
  Span span;
  for (int y = top; y <= bottom; ++y) {
    if (PixelAt(x, y) != ConvertColour(kGreen)) continue;
    if (span.First < 0) span.First = y;
    span.Last = y;
    ++span.Count;
  }
  return span;
}
Span TtrColumn(int column) {
  return GreenSpan(770 + column, 700, 900);
}

class TrackingScopeTest : public test::ConsoleScreenTest {
 protected:
  void SetUp() override {
    ConsoleScreenTest::SetUp();
    State.Now = 10.0;
  }
  // Column updates only: the refresh is kept out of reach.
  void RunColumns(int calls) {
    State.ScopeClockSet = 1;
    State.NextScopeTime = 1.0e9;
    for (int i = 0; i < calls; ++i) UpdateTtrScope();
  }
  // One call with the refresh due.
  void Refresh() {
    State.ScopeClockSet = 1;
    State.NextScopeTime = State.Now - 0.01;
    UpdateTtrScope();
  }
  void Track(double range) {
    State.TargetTracked = State.TargetDesignated = 3;
    State.TtrRange = State.TrackSlantRange = range;
  }
};

TEST_F(TrackingScopeTest, GrassWithoutTrackReachesFortyPixelsEachWay) {
  State.TtrRange = 100000.0;  // gate at columns 200..250
  // The run's first three random numbers, 41, 18467 and 6334 / 32768, pick
  // column 4 and give it the grass from 30 pixels above to 17 below.
  RunColumns(1);
  EXPECT_EQ(TtrColumn(4).First, 770);
  EXPECT_EQ(TtrColumn(4).Last, 817);
  const RandomGenerator after = State.Random;
  State.Random = RandomGenerator{};
  for (int i = 0; i < 3; ++i) NextRandom(1);
  EXPECT_EQ(after.Seed, State.Random.Seed);

  RunColumns(20000);
  EXPECT_EQ(State.TtrNoiseLevel, 1.0);
  int highest = 900, lowest = 0;
  for (int c = 4; c <= 449; ++c) {
    const Span span = TtrColumn(c);
    ASSERT_EQ(span.Count, span.Last - span.First + 1) << "column " << c;
    if (c == 200 || c == 250) {
      EXPECT_EQ(span.Last, 820);
    } else if (c > 200 && c < 250) {
      EXPECT_GE(span.First, 780);
      EXPECT_LE(span.Last, 859);
    } else {
      EXPECT_LE(span.First, 800);
      EXPECT_GE(span.Last, 800);
      highest = std::min(highest, span.First);
      lowest = std::max(lowest, span.Last);
    }
  }
  EXPECT_EQ(highest, 761);
  EXPECT_EQ(lowest, 839);
}

TEST_F(TrackingScopeTest, ShortRangeTrackGivesCleanTraceGateAndPip) {
  RunColumns(5000);  // full grass first: the track must wipe it
  Track(8000.0);     // gate 14..64, pip 39
  RunColumns(20000);
  EXPECT_LT(State.TtrNoiseLevel, 1e-5);
  for (int c = 4; c <= 449; ++c) {
    const Span span = TtrColumn(c);
    ASSERT_EQ(span.Count, span.Last - span.First + 1) << c;
    if (c < 14 || c > 64) {
      EXPECT_EQ(span.First, 800) << c;
      EXPECT_EQ(span.Count, 1) << c;
    } else if (c == 14 || c == 64) {
      EXPECT_EQ(span.First, 800);
      EXPECT_EQ(span.Last, 820);
    } else {
      EXPECT_GE(span.First, 779) << c;
      // Noise just below zero floors to -1: the floor is at 819 or 820.
      if (c < 30 || c > 48) {
        EXPECT_GE(span.Last, 819) << c;
      }
      EXPECT_LE(span.Last, 820) << c;
    }
  }
  EXPECT_GE(TtrColumn(39).First, 779);
  EXPECT_LE(TtrColumn(39).First, 780);
}

TEST_F(TrackingScopeTest, NoiselessGateIsATriangleBuiltFromTheCentre) {
  // 12500 yards makes the range term exactly 2^-16; this clutter cancels it,
  // so the noise level is exactly 0 and the picture is fixed.
  Track(12500.0);  // gate 23..73, pip 48
  State.BurstClutter = 1.0 - 1.0 / 65536.0;
  RunColumns(20000);
  ASSERT_EQ(State.TtrNoiseLevel, 0.0);
  // Each column runs from its own new point up to the midpoint of its
  // neighbour towards the centre (a .5 midpoint is drawn half away from zero).
  const int firstRow[14] = {780, 782, 783, 786, 789, 793, 796, 800, 804, 808, 812, 816, 818, 819};
  for (int c = 22; c <= 74; ++c) {
    const Span span = TtrColumn(c);
    const int d = std::abs(c - 48);
    ASSERT_EQ(span.Count, span.Last - span.First + 1) << c;
    if (d > 25) {
      EXPECT_EQ(span.First, 800) << c;
      EXPECT_EQ(span.Last, 800) << c;
    } else if (d == 25) {
      EXPECT_EQ(span.First, 800) << c;
      EXPECT_EQ(span.Last, 820) << c;
    } else {
      EXPECT_EQ(span.First, d < 14 ? firstRow[d] : 820) << c;
      EXPECT_EQ(span.Last, d == 0 ? 783 : 820 - 4 * std::max(0, 10 - d)) << c;
    }
  }
}

TEST_F(TrackingScopeTest, GateAtMaximumRangeLeavesTheLastColumnsUndrawn) {
  Track(200000.0);  // gate 402..452, pip 427
  Refresh();        // the range holds: not beyond 200,000
  EXPECT_EQ(State.TtrRange, 200000.0);
  RunColumns(20000);
  EXPECT_EQ(TtrColumn(402).Last, 820);
  EXPECT_GT(TtrColumn(449).Count, 0);
  EXPECT_EQ(test::CountPixels(1220, 700, 1223, 900, kGreen), 0);
  // Below the floor the gate stays at 8000 yards.
  State.TrackSlantRange = 0.0;
  Refresh();
  EXPECT_EQ(State.TtrRange, 8000.0);
}

TEST_F(TrackingScopeTest, RefreshPrintsTheTtrReadOutsThenFollowsTheTarget) {
  State.TrackX = -1000.0;
  State.TrackY = -1000.0;
  State.TrackAlt = 1000.0;
  Track(60000.0);
  State.TtrRange = 30000.0;
  Refresh();
  EXPECT_EQ(ReadCanvasText(44, 110, 18), "TTR Az      225.0 ");
  EXPECT_EQ(ReadCanvasText(45, 110, 18), "TTR EL       35.2 ");
  EXPECT_EQ(ReadCanvasText(46, 110, 16), "TTR RG   30,000 ");
  EXPECT_EQ(State.TtrRange, 60000.0);
  EXPECT_EQ(TtrColumn(3).First, 730);  // the range-zero pulse
  EXPECT_EQ(GreenSpan(770, 800, 801).Count, 2);
}

TEST_F(TrackingScopeTest, TargetBeyondReachIsDroppedAndTheReadOutAlternates) {
  Track(250000.0);
  State.ComputerSettled = 1;
  State.TtrRange = 30000.0;
  Refresh();
  EXPECT_EQ(State.TargetTracked, 3);
  Refresh();
  EXPECT_EQ(ReadCanvasText(46, 110, 16), "TTR RG  250,000 ");
  EXPECT_EQ(State.TargetTracked, 0);
  EXPECT_EQ(State.TargetDesignated, 0);
  EXPECT_EQ(State.ComputerSettled, 0);
  EXPECT_EQ(State.TtrRange, 199990.0);
  EXPECT_EQ(State.TtrNoiseLevel, 1.0);
  Refresh();
  EXPECT_EQ(ReadCanvasText(46, 110, 16), "TTR RG  199,990 ");
  Refresh();
  EXPECT_EQ(ReadCanvasText(46, 110, 16), "TTR RG  250,000 ");
}

TEST_F(TrackingScopeTest, FirstRefreshComesLaterAndMissedOnesAreMadeUpOnePerCall) {
  UpdateTtrScope();
  EXPECT_EQ(State.NextScopeTime, 10.1);
  EXPECT_EQ(ReadCanvasText(46, 110, 3), "   ");
  State.Now = 11.0;  // four periods and a half late: five refreshes to make up
  const std::string azimuth[] = {"  0.0", " 45.0", " 63.4", " 71.5", " 75.9", " 75.9"};
  for (int call = 0; call < 6; ++call) {
    State.TrackX = 1000.0 * call;
    State.TrackY = 1000.0;
    UpdateTtrScope();
    EXPECT_EQ(ReadCanvasText(44, 122, 5), azimuth[call]) << call;
  }
  EXPECT_NEAR(State.NextScopeTime, 11.1, 1e-9);
}

TEST_F(TrackingScopeTest, GateJumpsToTheDesignatedAircraftWithinARefresh) {
  StartConsole();
  RunTicks(1);
  RunFor(1.0);
  EXPECT_EQ(State.TtrRange, 8000.0);                 // no track yet
  State.TargetTracked = State.TargetDesignated = 3;  // as a click at the next tick does
  RunTicks(1);                                       // the tick builds the track
  RunFor(0.2);
  EXPECT_GT(State.TtrRange, 100000.0);
  // Within one refresh of the aircraft flying at 600 yd/s.
  EXPECT_NEAR(State.TtrRange, State.TargetSlantRange[3], 0.2 * 600.0);
}

TEST_F(TrackingScopeTest, MtrShowsTheMissileAndRedrawsFromScratch) {
  State.MissileX = 919.0;
  Refresh();
  EXPECT_EQ(ReadCanvasText(56, 106, 30), "Missile Tracking Radar Display");
  EXPECT_EQ(ReadCanvasText(57, 110, 18), "MSL Az       90.0 ");
  EXPECT_EQ(ReadCanvasText(58, 110, 18), "MSL EL        0.0 ");
  EXPECT_EQ(ReadCanvasText(59, 110, 16), "MSL RG      919 ");
  EXPECT_EQ(GreenSpan(770, 900, 1023).First, 910);
  EXPECT_EQ(GreenSpan(771, 900, 1023).Last, 1000);  // gate from column 1
  EXPECT_EQ(GreenSpan(796, 900, 1023).First, 960);  // pip at column 26
  EXPECT_EQ(GreenSpan(821, 900, 1023).Count, 21);   // gate end at column 51
  EXPECT_EQ(GreenSpan(1220, 900, 1023).Count, 1);
  EXPECT_EQ(GreenSpan(1221, 900, 1023).Count, 0);

  // Each refresh redraws the trace from scratch; the burst hides the pip.
  State.MissileX = 300000.0;  // plotted at 200,000: pip column 429
  State.MissilePhase = FlightPhase::Burst;
  Refresh();
  EXPECT_EQ(ReadCanvasText(59, 110, 16), "MSL RG  200,000 ");
  EXPECT_EQ(GreenSpan(796, 900, 1023).Count, 1);  // old pip gone, baseline left
  EXPECT_EQ(GreenSpan(1199, 900, 1023).Last, 1000);
  EXPECT_EQ(GreenSpan(1199, 900, 1023).Count, 1);  // no pip
  EXPECT_EQ(GreenSpan(1224, 900, 1023).Count, 21);
  EXPECT_EQ(test::CountPixels(1220, 980, 1224, 980, kGreen), 5);
  // Without a missile selected the read-outs stand as they were.
  State.MissileSelected = 0;
  State.MissileX = 5000.0;
  Refresh();
  EXPECT_EQ(ReadCanvasText(59, 110, 16), "MSL RG  200,000 ");
}

}  // namespace
}  // namespace vorn
