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
using test::ReadCanvasText;

constexpr int kGrey = 0xA0A0A0;
constexpr int kBlack = 0x000000;
constexpr int kWhite = 0xFFFFFF;
constexpr int kRed = 0xFF0000;
constexpr int kYellow = 0xFFFF00;
constexpr int kGreen = 0x00FF00;

struct Rect {
  int Left, Top, Right, Bottom;
};
constexpr Rect kXyRect{60, 65, 460, 465};
// The X/Y board above the label row that covers its bottom edge.
constexpr Rect kXyAboveLabels{60, 65, 460, 463};
constexpr Rect kTargetHeightRect{500, 65, 800, 365};
constexpr Rect kInterceptHeightRect{820, 65, 1120, 365};

class PlottingBoardsTest : public test::ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    OpenScreen(kConsoleMode, 16);
    State.Now = 42.0;
    DrawPlottingBoards();
    State.ComputerSettled = 1;
  }

  static int XyCell(int bx, int by) { return State.XyBoardImage[by * 401 + bx]; }
  static int InterceptHeightCell(int bx, int by) {
    return State.InterceptHeightImage[by * 301 + bx];
  }
  static int CountIn(const Rect& r, int rgb) {
    return CountPixels(r.Left, r.Top, r.Right, r.Bottom, rgb);
  }
  // Pixels that differ from a snapshot outside a rectangle.
  static int ChangedOutside(const std::vector<std::uint16_t>& before, const Rect& r) {
    int changed = 0;
    for (int y = 0; y < 1024; ++y)
      for (int x = 0; x < 1280; ++x) {
        if (x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom) continue;
        if (State.Canvas.Pixels16[static_cast<std::size_t>(y * 1280 + x)] !=
            before[static_cast<std::size_t>(y * 1280 + x)])
          ++changed;
      }
    return changed;
  }
  static void PlaceTrack(double x, double y) {
    State.TrackX = x;
    State.TrackY = y;
  }
};

TEST_F(PlottingBoardsTest, BoardsShowGridBordersAndDeadZoneCurve) {
  // X/Y board: grey, with its border, the centre cross through the site and
  // grid lines every 100,000 yards.
  EXPECT_EQ(PixelAt(61, 66), Colour(kGrey));
  EXPECT_EQ(PixelAt(60, 100), Colour(kBlack));
  EXPECT_EQ(PixelAt(260, 265), Colour(kBlack));
  EXPECT_EQ(PixelAt(160, 300), Colour(kBlack));
  EXPECT_EQ(PixelAt(300, 165), Colour(kBlack));
  EXPECT_EQ(PixelAt(459, 463), Colour(kGrey));
  EXPECT_EQ(XyCell(400, 400), kBlack);

  // Height boards: no border, grid every 30 s and every 10,000 feet.
  EXPECT_EQ(PixelAt(500, 65), Colour(kGrey));
  EXPECT_EQ(PixelAt(800, 365), Colour(kGrey));
  EXPECT_EQ(PixelAt(560, 70), Colour(kBlack));
  EXPECT_EQ(PixelAt(510, 95), Colour(kBlack));
  EXPECT_EQ(PixelAt(1060, 335), Colour(kBlack));

  // The dead-zone curve, two pixels thick, in the image and on the screen.
  const int curve[][2] = {{0, 205},  {0, 204},  {10, 203}, {10, 202}, {20, 205},
                          {30, 209}, {40, 218}, {50, 232}, {60, 256}, {60, 255}};
  for (const auto& cell : curve) {
    EXPECT_EQ(InterceptHeightCell(cell[0], cell[1]), kBlack) << cell[0] << "," << cell[1];
    EXPECT_EQ(PixelAt(820 + cell[0], 65 + cell[1]), Colour(kBlack));
  }
  EXPECT_EQ(InterceptHeightCell(10, 204), kGrey);
  EXPECT_EQ(InterceptHeightCell(61, 255), kGrey);
  // The target height board has no curve.
  EXPECT_EQ(PixelAt(500 + 10, 65 + 203), Colour(kGrey));
}

TEST_F(PlottingBoardsTest, LabelsAndAltitudeScaleStandBesideTheBoards) {
  EXPECT_EQ(ReadCanvasText(30, 8, 52), " ^           ^            ^           ^            ^");
  EXPECT_EQ(ReadCanvasText(32, 8, 45), "    X,Y Plotting Board, in Thousands of Yards");
  EXPECT_EQ(ReadCanvasText(33, 8, 53), "-113 miles                0                      +113");
  EXPECT_EQ(ReadCanvasText(26, 62, 40), "150     120     90     60      30      0");
  EXPECT_EQ(ReadCanvasText(26, 102, 42), " 0      30     60      90      120     150");
  EXPECT_EQ(ReadCanvasText(27, 102, 36), "       Time to Intercept, in seconds");
  EXPECT_EQ(ReadCanvasText(5, 142, 10), "< 100,000 ");
  EXPECT_EQ(ReadCanvasText(23, 142, 4), "< 0 ");
  EXPECT_EQ(ReadCanvasText(24, 142, 16), "  Altitude, Feet");
  EXPECT_EQ(test::CellForeground(24, 144), Colour(kWhite));
  // Row 30 covers the bottom of the X/Y board.
  EXPECT_EQ(PixelAt(200, 465), Colour(kBlack));
  EXPECT_EQ(State.BoardMarkTime, 42.0);
}

TEST_F(PlottingBoardsTest, PositionsAreFlooredWithTheBoardsFactors) {
  PlaceTrack(-88000.0, -44060.0);
  UpdateTargetXyPen();
  EXPECT_EQ(State.Pens[kTargetXyPen].PenLastPos.Bx, 112);
  EXPECT_EQ(State.Pens[kTargetXyPen].PenLastPos.By, 245);

  State.TimeToIntercept = 30.7;  // 2 x T = 61.4
  State.TrackAlt = 10000.0;
  UpdateTargetHeightPen();
  EXPECT_EQ(State.Pens[kTargetHeightPen].PenLastPos.Bx, 300 - 61);
  EXPECT_EQ(State.Pens[kTargetHeightPen].PenLastPos.By, 211);

  State.PipAlt = 1000.0;
  UpdateInterceptHeightPen();
  EXPECT_EQ(State.Pens[kInterceptHeightPen].PenLastPos.Bx, 61);
  EXPECT_EQ(State.Pens[kInterceptHeightPen].PenLastPos.By, 292);

  EXPECT_EQ(FloorToBoard(-0.5), -1);
  EXPECT_EQ(FloorToBoard(1e300), FloorToBoard(1e7));
  EXPECT_LT(FloorToBoard(std::numeric_limits<double>::quiet_NaN()), -1000);
  EXPECT_LT(FloorToBoard(-std::numeric_limits<double>::infinity()), -1000);
}

TEST_F(PlottingBoardsTest, PenDrawsCarriageAndTrailThenMovesOn) {
  PlaceTrack(50000.0, -20000.0);  // bx 250, by 220
  UpdateTargetXyPen();
  EXPECT_EQ(CountIn(kXyAboveLabels, kWhite), 74);
  EXPECT_EQ(PixelAt(60 + 250, 65 + 219), Colour(kWhite));  // the tip, one pixel above
  EXPECT_EQ(PixelAt(60 + 250, 65 + 220), Colour(kRed));
  EXPECT_EQ(XyCell(250, 220), kRed);
  EXPECT_EQ(PixelAt(60 + 246, 65 + 220 - 14), Colour(kWhite));  // 9 wide at the top
  EXPECT_EQ(PixelAt(60 + 245, 65 + 220 - 14), Colour(kGrey));

  State.TrackX = 60000.0;  // bx 260
  UpdateTargetXyPen();
  EXPECT_EQ(CountIn(kXyAboveLabels, kWhite), 74);
  EXPECT_EQ(PixelAt(60 + 250, 65 + 219), Colour(kGrey));  // old carriage put back
  EXPECT_EQ(PixelAt(60 + 250, 65 + 220), Colour(kRed));   // its trail point stays
  EXPECT_EQ(PixelAt(60 + 260, 65 + 219), Colour(kWhite));
  EXPECT_EQ(XyCell(260, 219), kGrey);  // the carriage is never put into the image
  EXPECT_EQ(CountIn(kXyRect, kRed), 2);
}

TEST_F(PlottingBoardsTest, StillPenDrawsNothingUntilAMarkIsDue) {
  PlaceTrack(12345.0, 67890.0);
  UpdateTargetXyPen();
  const std::vector<std::uint16_t> before = State.Canvas.Pixels16;
  State.TrackX = 12999.0;  // the same pixel
  UpdateTargetXyPen();
  EXPECT_EQ(State.Canvas.Pixels16, before);

  // A mark: carriage erased and redrawn in place, corner added below and to
  // the right of the trail point.
  const int bx = 212, by = 200 - 67;
  PlotPixel(60 + bx - 6, 65 + by - 16, kGreen);  // stands for screen dirt under the block
  State.BoardMarkDue = 1.0;
  UpdateTargetXyPen();
  EXPECT_EQ(PixelAt(60 + bx - 6, 65 + by - 16), Colour(kGrey));
  EXPECT_EQ(CountIn(kXyAboveLabels, kWhite), 74);
  EXPECT_EQ(CountIn(kXyRect, kRed), 11);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(PixelAt(60 + bx + i, 65 + by), Colour(kRed));
    EXPECT_EQ(PixelAt(60 + bx, 65 + by + i), Colour(kRed));
    EXPECT_EQ(XyCell(bx + i, by), kRed);
    EXPECT_EQ(XyCell(bx, by + i), kRed);
  }
}

TEST_F(PlottingBoardsTest, PensNeverTouchPixelsOutsideTheirBoard) {
  const std::vector<std::uint16_t> before = State.Canvas.Pixels16;
  State.BoardMarkDue = 1.0;  // the longest reach: carriage, point and mark
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double xs[] = {-200000.0, -199999.0, -190000.0, 0.0,    199999.0, 200500.0,
                       205000.0,  -210000.0, 1e300,     -1e300, nan};
  for (const double x : xs) {
    for (const double y : xs) {
      PlaceTrack(x, y);
      UpdateTargetXyPen();
    }
  }
  EXPECT_EQ(ChangedOutside(before, kXyRect), 0);

  const double times[] = {-3.0, -0.2, 0.0, 0.4, 149.9, 150.2, 150.5, 160.0, 1e300, nan};
  const double alts[] = {-500.0, 0.0, 100.0, 33000.0, 33400.0, 40000.0, -1e300, nan};
  std::vector<std::uint16_t> heights = State.Canvas.Pixels16;
  for (const double t : times) {
    for (const double alt : alts) {
      State.TimeToIntercept = t;
      State.TrackAlt = alt;
      UpdateTargetHeightPen();
    }
  }
  EXPECT_EQ(ChangedOutside(heights, kTargetHeightRect), 0);
  heights = State.Canvas.Pixels16;
  for (const double t : times) {
    for (const double alt : alts) {
      State.TimeToIntercept = t;
      State.PipAlt = alt;
      UpdateInterceptHeightPen();
    }
  }
  EXPECT_EQ(ChangedOutside(heights, kInterceptHeightRect), 0);
}

TEST_F(PlottingBoardsTest, PenOnTheLeftBorderShowsHalfItsCarriageAndNoPoint) {
  State.TrackAlt = 5000.0;
  State.TimeToIntercept = 150.2;  // bx 0
  UpdateTargetHeightPen();
  EXPECT_EQ(State.Pens[kTargetHeightPen].PenLastPos.Bx, 0);
  EXPECT_EQ(CountIn(kTargetHeightRect, kWhite), 30);  // the columns right of the point
  EXPECT_EQ(CountIn(kTargetHeightRect, kRed), 0);

  State.TimeToIntercept = 150.5;  // bx -1
  UpdateTargetHeightPen();
  EXPECT_EQ(CountIn(kTargetHeightRect, kWhite), 18);
  EXPECT_EQ(PixelAt(500, 65 + 250), Colour(kGrey));  // the left edge is never drawn on
}

TEST_F(PlottingBoardsTest, PensWaitForASettledComputer) {
  PlaceTrack(0.0, 0.0);
  for (const int settled : {0, -1}) {
    State.ComputerSettled = settled;
    UpdateTargetXyPen();
    UpdateInterceptXyPen();
    UpdateTargetHeightPen();
    UpdateInterceptHeightPen();
  }
  for (const Pen& pen : State.Pens) EXPECT_FALSE(pen.PenLastPos.Valid);
  EXPECT_EQ(CountIn(kXyAboveLabels, kWhite), 0);
}

TEST_F(PlottingBoardsTest, InterceptPensFollowThePredictionThenTheMissile) {
  State.PipX = 40000.0;
  State.PipY = 30000.0;
  State.PipAlt = 4000.0;
  State.MissileX = 0.0;
  State.MissileY = 0.0;
  State.MissileAlt = 10.0;
  State.TimeToIntercept = 60.0;

  struct Expected {
    int Phase, HeightColour, XyColour;
  };
  const Expected phases[] = {{kPhaseReady, kYellow, kYellow}, {kPhaseSettleGyro, kYellow, kGreen},
                             {kPhaseBoost, kGreen, kGreen},   {kPhaseRollStab, kGreen, kGreen},
                             {kPhaseDive, kGreen, kGreen},    {kPhaseCruise, kGreen, kGreen},
                             {kPhaseBurst, kYellow, kYellow}};
  for (const Expected& e : phases) {
    State.MissilePhase = e.Phase;
    State.TimeToIntercept -= 1.0;  // moves the height pen by two pixels
    State.MissileX += 3000.0;      // and the X/Y pen by three
    UpdateInterceptHeightPen();
    UpdateInterceptXyPen();
    const BoardPosition xy = State.Pens[kInterceptXyPen].PenLastPos;
    const BoardPosition height = State.Pens[kInterceptHeightPen].PenLastPos;
    const bool ready = e.Phase == kPhaseReady;
    EXPECT_EQ(xy.Bx, ready ? 240 : 200 + static_cast<int>(State.MissileX / 1000.0)) << e.Phase;
    EXPECT_EQ(xy.By, ready ? 170 : 200) << e.Phase;
    EXPECT_EQ(height.By, ready ? 300 - 35 : 300) << e.Phase;
    EXPECT_EQ(PixelAt(60 + xy.Bx, 65 + xy.By), Colour(e.XyColour)) << e.Phase;
    EXPECT_EQ(State.XyBoardImage[xy.By * 401 + xy.Bx], e.XyColour) << e.Phase;
    if (!ready) continue;  // the missile's height sits on the bottom edge: no point
    EXPECT_EQ(PixelAt(820 + height.Bx, 65 + height.By), Colour(e.HeightColour)) << e.Phase;
  }
  // The height pen's colour away from the bottom edge, per phase.
  State.MissileAlt = 2000.0;
  for (const Expected& e : phases) {
    if (e.Phase == kPhaseReady) continue;
    State.MissilePhase = e.Phase;
    State.TimeToIntercept -= 1.0;
    UpdateInterceptHeightPen();
    const BoardPosition height = State.Pens[kInterceptHeightPen].PenLastPos;
    EXPECT_EQ(InterceptHeightCell(height.Bx, height.By), e.HeightColour) << e.Phase;
  }
}

TEST_F(PlottingBoardsTest, RedrawClearsTrailsAndRestartsPens) {
  PlaceTrack(1000.0, 1000.0);
  UpdateTargetXyPen();
  State.Now = 77.5;
  DrawPlottingBoards();
  EXPECT_FALSE(State.Pens[kTargetXyPen].PenLastPos.Valid);
  EXPECT_EQ(CountIn(kXyRect, kRed), 0);
  EXPECT_EQ(CountIn(kXyAboveLabels, kWhite), 0);
  EXPECT_EQ(XyCell(201, 199), kGrey);
  EXPECT_EQ(State.BoardMarkTime, 77.5);
  // The first update after a redraw erases nothing.
  PlotPixel(60 + 196, 65 + 190, kGreen);  // under the old carriage's block only
  State.TrackX = 10000.0;
  UpdateTargetXyPen();
  EXPECT_EQ(PixelAt(60 + 196, 65 + 190), Colour(kGreen));
}

}  // namespace
}  // namespace vorn
