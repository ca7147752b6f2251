#include "display/canvas.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "support/console_test.h"

namespace vorn {
namespace {

using test::Colour;
using test::ConsoleTest;
using test::ReadCanvasText;

class CanvasTest : public test::ConsoleScreenTest {};
using NoScreenTest = ConsoleTest;

TEST_F(NoScreenTest, NothingHappensBeforeTheFirstScreen) {
  PrintText("abc", true);
  PlotPixel(10, 10, 0xFFFFFF);
  DrawLine(0, 0, 100, 100, 0xFFFFFF, LineKind::FilledBox);
  FillEllipse(50, 50, 10, 0xFFFFFF, 0);
  EXPECT_EQ(State.Canvas.Width, 0);
  EXPECT_TRUE(State.Canvas.Pixels16.empty());
}

// The console's 16-bit screen reduces colours to 5-6-5 by truncation; the
// help pages' 32-bit one keeps them.
TEST_F(CanvasTest, ModesHaveTheirSizeTextGridAndColours) {
  EXPECT_EQ(State.Canvas.TextColumns, 160);
  EXPECT_EQ(State.Canvas.TextRows, 64);
  EXPECT_EQ(ConvertColour(0xFFFF00), 0xFFE0u);
  EXPECT_EQ(ConvertColour(0x808000), 0x8400u);
  EXPECT_EQ(ConvertColour(0x606060), 0x630Cu);
  EXPECT_EQ(ConvertColour(0xFFFFFF), 0xFFFFu);
  OpenScreen(kHelpMode, 32);
  EXPECT_EQ(State.Canvas.Width, 800);
  EXPECT_EQ(State.Canvas.Height, 600);
  EXPECT_EQ(State.Canvas.TextColumns, 100);
  EXPECT_EQ(State.Canvas.TextRows, 37);
  EXPECT_EQ(ConvertColour(0x606060), 0x606060u);
}

TEST_F(CanvasTest, CoordinatesRoundHalfAwayFromZeroAndClip) {
  PlotPixel(1280, 5, 0xFFFFFF);
  PlotPixel(-1, 5, 0xFFFFFF);
  PlotPixel(-0.5f, 0, 0xFFFFFF);
  EXPECT_EQ(test::CountPixels(0, 0, 1279, 1023, 0xFFFFFF), 0);
  PlotPixel(1279.4f, 5, 0xFFFFFF);
  EXPECT_EQ(PixelAt(1279, 5), 0xFFFFu);
  PlotPixel(2.5f, 7.5f, 0xFF0000);
  EXPECT_EQ(PixelAt(3, 8), Colour(0xFF0000));
  EXPECT_EQ(PixelCoordinate(-2.5f), -3);
  EXPECT_EQ(PixelCoordinate(-2.4f), -2);
  // Far and non-numbers stay far off the canvas.
  EXPECT_LT(PixelCoordinate(-1e30f), -1000);
  EXPECT_GT(PixelCoordinate(1e30f), 100000);
}

TEST_F(CanvasTest, TextWrapsAtTheLastColumnAndPositionsKeepZeroCoordinates) {
  SetTextPosition(5, 150);
  PrintText("ABCDEFGHIJKLMNOPQRST", false);
  EXPECT_EQ(ReadCanvasText(5, 150, 11), "ABCDEFGHIJK");
  EXPECT_EQ(ReadCanvasText(6, 1, 9), "LMNOPQRST");
  EXPECT_EQ(State.Canvas.CursorRow, 5);
  EXPECT_EQ(State.Canvas.CursorColumn, 9);
  // A row or column of zero or less keeps that coordinate.
  SetTextPosition(10, 20);
  SetTextPosition(0, 30);
  EXPECT_EQ(State.Canvas.CursorRow, 9);
  EXPECT_EQ(State.Canvas.CursorColumn, 29);
  SetTextPosition(12, -1);
  EXPECT_EQ(State.Canvas.CursorRow, 11);
  EXPECT_EQ(State.Canvas.CursorColumn, 29);
}

TEST_F(CanvasTest, NewLineAtTheLastRowScrollsTheCanvas) {
  SetTextPosition(2, 1);
  PrintText("top", false);
  PlotPixel(100, 1000, 0xFF0000);
  SetTextPosition(64, 1);
  PrintText("abc", true);
  EXPECT_EQ(State.Canvas.CursorRow, 63);
  EXPECT_EQ(State.Canvas.CursorColumn, 0);
  EXPECT_EQ(ReadCanvasText(1, 1, 3), "top");
  EXPECT_EQ(ReadCanvasText(63, 1, 3), "abc");
  EXPECT_EQ(ReadCanvasText(64, 1, 3), "   ");
  EXPECT_EQ(PixelAt(100, 984), Colour(0xFF0000));
  EXPECT_EQ(PixelAt(100, 1000), 0u);
  // The help pages' screen scrolls below its row 37.
  OpenScreen(kHelpMode, 32);
  SetTextPosition(37, 1);
  PrintText("x", true);
  EXPECT_EQ(State.Canvas.CursorRow, 36);
  EXPECT_EQ(ReadCanvasText(36, 1, 1), "x");
}

TEST_F(CanvasTest, TextCellsAreOpaqueAndUseTheForeground) {
  DrawLine(0, 0, 100, 40, 0x00FF00, LineKind::FilledBox);
  SetTextPosition(1, 1);
  SetColors(0xFF0000, -1);
  PrintText("  NO ", false);
  EXPECT_EQ(ReadCanvasText(1, 1, 5), "  NO ");
  EXPECT_EQ(test::CellForeground(1, 3), Colour(0xFF0000));
  EXPECT_EQ(PixelAt(0, 0), 0u);
  // Other codes show a visible box, not a blank.
  PrintText("\x01", false);
  EXPECT_EQ(ReadCanvasText(1, 6, 1), "?");
  EXPECT_NE(test::CellForeground(1, 6), 0u);
}

TEST_F(CanvasTest, BoxesCoverTheSamePixelsWithCornersInEitherOrder) {
  DrawLine(900, 650, 940, 690, 0xFF0000, LineKind::FilledBox);
  EXPECT_EQ(test::CountPixels(0, 0, 1279, 1023, 0xFF0000), 41 * 41);
  DrawLine(940, 690, 900, 650, 0x00FF00, LineKind::FilledBox);
  EXPECT_EQ(test::CountPixels(900, 650, 940, 690, 0x00FF00), 41 * 41);
  DrawLine(200, 200, 100, 100, 0x0000FF, LineKind::Box);
  EXPECT_EQ(test::CountPixels(0, 0, 1279, 1023, 0x0000FF), 4 * 100);
  EXPECT_EQ(PixelAt(150, 150), 0u);
  // Clipped at the canvas edge.
  DrawLine(-50, -50, 5, 5, 0xFFFFFF, LineKind::FilledBox);
  EXPECT_EQ(test::CountPixels(0, 0, 1279, 1023, 0xFFFFFF), 36);
}

TEST_F(CanvasTest, LinesIncludeBothEndsAndClipToTheCanvas) {
  DrawLine(10, 10, 20, 15, 0xFFFFFF, LineKind::Line);
  EXPECT_EQ(test::CountPixels(0, 0, 100, 100, 0xFFFFFF), 11);
  EXPECT_EQ(PixelAt(10, 10), 0xFFFFu);
  EXPECT_EQ(PixelAt(20, 15), 0xFFFFu);
  DrawLine(773, 730, 773, 800, 0x00C800, LineKind::Line);
  EXPECT_EQ(test::CountPixels(773, 0, 773, 1023, 0x00C800), 71);
  DrawLine(-100, 500, 2000, 500, 0xFF0000, LineKind::Line);
  EXPECT_EQ(test::CountPixels(0, 500, 1279, 500, 0xFF0000), 1280);
  DrawLine(-100, -100, -10, -10, 0x0000FF, LineKind::Line);
  EXPECT_EQ(test::CountPixels(0, 0, 1279, 1023, 0x0000FF), 0);
  DrawLine(-1e9f, 600, 1e9f, 600.4f, 0x0000FF, LineKind::Line);
  EXPECT_EQ(test::CountPixels(0, 600, 1279, 600, 0x0000FF), 1280);
  // A corner that is not a number draws nothing, of any kind.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const LineKind kind : {LineKind::Line, LineKind::Box, LineKind::FilledBox}) {
    DrawLine(nan, 10, 500, 500, 0x00FFFF, kind);
    DrawLine(10, 10, 500, nan, 0x00FFFF, kind);
  }
  EXPECT_EQ(test::CountPixels(0, 0, 1279, 1023, 0x00FFFF), 0);
}

TEST_F(CanvasTest, LampEllipseHasTheDefaultAspect) {
  FillEllipse(500, 15, 15, 0xFF0000, 0);
  // Vertical radius 15, horizontal 14.0625.
  EXPECT_EQ(PixelAt(500, 0), Colour(0xFF0000));
  EXPECT_EQ(PixelAt(500, 30), Colour(0xFF0000));
  EXPECT_EQ(PixelAt(486, 15), Colour(0xFF0000));
  EXPECT_EQ(PixelAt(514, 15), Colour(0xFF0000));
  EXPECT_EQ(PixelAt(485, 15), 0u);
  EXPECT_EQ(PixelAt(515, 15), 0u);
  EXPECT_EQ(PixelAt(500, 31), 0u);
}

// What the host is handed: the whole canvas once after it opens, then the
// changed tiles as few rectangles as line up, then nothing until the next
// change.
TEST_F(CanvasTest, ChangesAreHandedOverAsRectanglesOfTiles) {
  const Frame opened = TakeChangedFrame();
  EXPECT_TRUE(opened.NewScreen);
  ASSERT_EQ(opened.Changed.size(), 1u);
  EXPECT_EQ(opened.Changed[0], (Region{0, 0, 1280, 1024}));

  PlotPixel(10, 300, 0xFFFFFF);
  DrawLine(0, 400, 10, 402, 0xFFFFFF, LineKind::FilledBox);
  DrawLine(100, 20, 300, 40, 0xFFFFFF, LineKind::Box);
  DrawLine(1270, 1020, 1279, 1023, 0xFFFFFF, LineKind::FilledBox);
  EXPECT_TRUE(State.Canvas.AnyChanged);
  const Frame frame = TakeChangedFrame();
  EXPECT_FALSE(frame.NewScreen);
  EXPECT_EQ(frame.Width, 1280);
  EXPECT_EQ(frame.Pixels, static_cast<const void*>(State.Canvas.Pixels16.data()));
  const std::vector<Region> changed(frame.Changed.begin(), frame.Changed.end());
  EXPECT_EQ(changed,
            (std::vector<Region>{
                {64, 16, 256, 32}, {0, 288, 64, 16}, {0, 400, 64, 16}, {1216, 1008, 64, 16}}));
  EXPECT_FALSE(State.Canvas.AnyChanged);
  EXPECT_TRUE(TakeChangedFrame().Changed.empty());

  // A new screen is handed over whole, in its own size.
  OpenScreen(kHelpMode, 32);
  const Frame help = TakeChangedFrame();
  EXPECT_TRUE(help.NewScreen);
  EXPECT_EQ(help.Changed[0], (Region{0, 0, 800, 600}));
}

// The hash covers size, depth and every pixel.
TEST_F(CanvasTest, HashChangesWithAnyPixel) {
  const std::uint64_t blank = CanvasHash();
  PlotPixel(1279, 1023, 0x000008);
  const std::uint64_t one = CanvasHash();
  EXPECT_NE(one, blank);
  PlotPixel(1279, 1023, 0);
  EXPECT_EQ(CanvasHash(), blank);
  OpenScreen(kConsoleMode, 32);
  EXPECT_NE(CanvasHash(), blank);
}

}  // namespace
}  // namespace vorn
