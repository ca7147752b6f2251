#include "boards/plotting_boards.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "display/canvas.h"
#include "model/missile.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::Colour;
using test::CountPixels;

constexpr int kGrey = 0xA0A0A0, kBlack = 0, kWhite = 0xFFFFFF;
constexpr int kRed = 0xFF0000, kYellow = 0xFFFF00, kGreen = 0x00FF00;

class PlottingBoardsTest : public test::ConsoleScreenTest {
 protected:
  void SetUp() override {
    ConsoleScreenTest::SetUp();
    State.Now = 42.0;
    DrawPlottingBoards();
    State.ComputerSettled = 1;
  }
  static int XyCell(int bx, int by) { return State.XyBoardImage[by * 401 + bx]; }
  // White on the X/Y board above the label row that covers its bottom edge.
  static int XyWhite() { return CountPixels(60, 65, 460, 463, kWhite); }
  // Pixels changed since a snapshot outside the rectangle.
  static int ChangedOutside(const std::vector<std::uint16_t>& before, int l, int t, int r, int b) {
    int changed = 0;
    for (int y = 0; y < 1024; ++y)
      for (int x = 0; x < 1280; ++x)
        if ((x < l || x > r || y < t || y > b) && PixelAt(x, y) != before[y * 1280 + x]) ++changed;
    return changed;
  }
};

TEST_F(PlottingBoardsTest, BoardsShowGridLabelsAndDeadZoneCurve) {
  EXPECT_EQ(PixelAt(61, 66), Colour(kGrey));
  EXPECT_EQ(PixelAt(260, 265), Colour(kBlack));  // the site
  EXPECT_EQ(PixelAt(460, 100), Colour(kBlack));  // border
  EXPECT_EQ(PixelAt(500, 65), Colour(kGrey));    // height boards have no border
  EXPECT_EQ(PixelAt(560, 70), Colour(kBlack));   // 30 s line
  const int curve[][2] = {{0, 205},  {0, 204},  {10, 203}, {10, 202}, {20, 205},
                          {30, 209}, {40, 218}, {50, 232}, {60, 256}, {60, 255}};
  for (const auto& c : curve) {
    EXPECT_EQ(State.InterceptHeightImage[c[1] * 301 + c[0]], kBlack) << c[0] << "," << c[1];
    EXPECT_EQ(PixelAt(820 + c[0], 65 + c[1]), Colour(kBlack));
  }
  EXPECT_EQ(PixelAt(820 + 10, 65 + 204), Colour(kGrey));
  EXPECT_EQ(test::ReadCanvasText(32, 8, 45), "    X,Y Plotting Board, in Thousands of Yards");
  EXPECT_EQ(test::ReadCanvasText(26, 102, 42), " 0      30     60      90      120     150");
  EXPECT_EQ(test::ReadCanvasText(5, 142, 10), "< 100,000 ");
  EXPECT_EQ(State.BoardMarkTime, 42.0);
}

TEST_F(PlottingBoardsTest, PositionsAreFlooredWithTheBoardsFactors) {
  State.TrackY = -44060.0;
  State.TrackAlt = 10000.0;  // 89.99999999999997 pixels
  State.PipAlt = 1000.0;
  State.TimeToIntercept = 30.7;
  UpdateTargetXyPen();
  UpdateTargetHeightPen();
  UpdateInterceptHeightPen();
  EXPECT_EQ(State.Pens[kTargetXyPen].PenLastPos.By, 245);
  EXPECT_EQ(State.Pens[kTargetHeightPen].PenLastPos.By, 211);
  EXPECT_EQ(State.Pens[kTargetHeightPen].PenLastPos.Bx, 300 - 61);
  EXPECT_EQ(State.Pens[kInterceptHeightPen].PenLastPos.By, 292);
  EXPECT_EQ(State.Pens[kInterceptHeightPen].PenLastPos.Bx, 61);
}

TEST_F(PlottingBoardsTest, PenRedrawsOnlyWhenMovedOrMarked) {
  State.TrackX = 12345.0;  // bx 212
  State.TrackY = 67890.0;  // by 133
  UpdateTargetXyPen();
  EXPECT_EQ(XyWhite(), 74);
  EXPECT_EQ(PixelAt(60 + 212, 65 + 132), Colour(kWhite));  // tip just above the point
  EXPECT_EQ(XyCell(212, 132), kGrey);                      // the carriage is screen only
  const std::vector<std::uint16_t> before = State.Canvas.Pixels16;
  State.TrackX = 12999.0;  // the same pixel
  UpdateTargetXyPen();
  EXPECT_EQ(State.Canvas.Pixels16, before);

  PlotPixel(60 + 206, 65 + 117, kGreen);  // dirt in the corner of the saved block
  State.BoardMarkDue = 1.0;
  UpdateTargetXyPen();
  EXPECT_EQ(PixelAt(60 + 206, 65 + 117), Colour(kGrey));
  EXPECT_EQ(XyWhite(), 74);
  EXPECT_EQ(CountPixels(60, 65, 460, 465, kRed), 11);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(PixelAt(60 + 212 + i, 65 + 133), Colour(kRed));
    EXPECT_EQ(XyCell(212, 133 + i), kRed);
  }

  State.BoardMarkDue = 0.0;
  State.TrackX = 30000.0;
  UpdateTargetXyPen();
  EXPECT_EQ(XyWhite(), 74);
  EXPECT_EQ(PixelAt(60 + 212, 65 + 132), Colour(kGrey));  // old carriage put back
}

TEST_F(PlottingBoardsTest, PensNeverTouchPixelsOutsideTheirBoard) {
  std::vector<std::uint16_t> before = State.Canvas.Pixels16;
  State.BoardMarkDue = 1.0;  // the longest reach: carriage, point and mark
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double xs[] = {-200000.0, -199999.0, 0.0, 199999.0, 200500.0, 205000.0, 1e300, -1e300, nan};
  for (const double x : xs)
    for (const double y : xs) {
      State.TrackX = x;
      State.TrackY = y;
      UpdateTargetXyPen();
    }
  EXPECT_EQ(ChangedOutside(before, 60, 65, 460, 465), 0);

  const double times[] = {-3.0, 0.0, 0.4, 149.9, 150.2, 150.5, 1e300, nan};
  const double alts[] = {-500.0, 0.0, 100.0, 33400.0, -1e300, nan};
  before = State.Canvas.Pixels16;
  for (const double t : times)
    for (const double alt : alts) {
      State.TimeToIntercept = t;
      State.TrackAlt = State.PipAlt = alt;
      UpdateTargetHeightPen();
    }
  EXPECT_EQ(ChangedOutside(before, 500, 65, 800, 365), 0);
  before = State.Canvas.Pixels16;
  for (const double t : times)
    for (const double alt : alts) {
      State.TimeToIntercept = t;
      State.PipAlt = alt;
      UpdateInterceptHeightPen();
    }
  EXPECT_EQ(ChangedOutside(before, 820, 65, 1120, 365), 0);

  // On the left edge (150 < T < 150.5): no point, the right half of the carriage.
  DrawPlottingBoards();
  State.BoardMarkDue = 0.0;
  State.TrackAlt = 5000.0;
  State.TimeToIntercept = 150.2;
  UpdateTargetHeightPen();
  EXPECT_EQ(CountPixels(500, 65, 800, 365, kWhite), 30);
  EXPECT_EQ(CountPixels(500, 65, 800, 365, kRed), 0);
}

TEST_F(PlottingBoardsTest, InterceptPensSwitchToTheMissileAtLaunch) {
  State.PipX = 40000.0;
  State.PipY = 30000.0;
  State.PipAlt = 4000.0;
  State.MissileAlt = 2000.0;
  State.TimeToIntercept = 60.0;
  struct Expected {
    FlightPhase Phase;
    int HeightColour, XyColour;
  };
  const Expected phases[] = {
      {FlightPhase::Ready, kYellow, kYellow}, {FlightPhase::SettleGyro, kYellow, kGreen},
      {FlightPhase::Boost, kGreen, kGreen},   {FlightPhase::RollStab, kGreen, kGreen},
      {FlightPhase::Dive, kGreen, kGreen},    {FlightPhase::Cruise, kGreen, kGreen},
      {FlightPhase::Burst, kYellow, kYellow}};
  for (const Expected& e : phases) {
    State.MissilePhase = e.Phase;
    State.TimeToIntercept -= 1.0;
    State.MissileX += 3000.0;
    UpdateInterceptHeightPen();
    UpdateInterceptXyPen();
    const BoardPosition xy = State.Pens[kInterceptXyPen].PenLastPos;
    const BoardPosition height = State.Pens[kInterceptHeightPen].PenLastPos;
    const bool ready = e.Phase == FlightPhase::Ready;
    EXPECT_EQ(xy.Bx, ready ? 240 : 200 + static_cast<int>(State.MissileX / 1000.0))
        << static_cast<int>(e.Phase);
    EXPECT_EQ(xy.By, ready ? 170 : 200) << static_cast<int>(e.Phase);
    EXPECT_EQ(height.By, ready ? 300 - 35 : 300 - 17) << static_cast<int>(e.Phase);
    EXPECT_EQ(PixelAt(60 + xy.Bx, 65 + xy.By), Colour(e.XyColour)) << static_cast<int>(e.Phase);
    EXPECT_EQ(PixelAt(820 + height.Bx, 65 + height.By), Colour(e.HeightColour))
        << static_cast<int>(e.Phase);
  }
}

TEST_F(PlottingBoardsTest, RedrawClearsTrailsAndFirstUpdateErasesNothing) {
  State.TrackX = State.TrackY = 1000.0;
  UpdateTargetXyPen();
  DrawPlottingBoards();
  EXPECT_EQ(XyWhite() + CountPixels(60, 65, 460, 465, kRed), 0);
  EXPECT_EQ(XyCell(201, 199), kGrey);
  PlotPixel(60 + 196, 65 + 190, kGreen);  // under the old carriage's block only
  State.TrackX = 10000.0;
  UpdateTargetXyPen();
  EXPECT_EQ(PixelAt(60 + 196, 65 + 190), Colour(kGreen));
  State.ComputerSettled = -1;  // pens run only while settled
  State.TrackX = 50000.0;
  UpdateTargetXyPen();
  EXPECT_EQ(State.Pens[kTargetXyPen].PenLastPos.Bx, 210);
}

}  // namespace
}  // namespace vorn
