#include "platform/sdl/shrink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "support/console_test.h"

namespace vorn {
namespace {

// A picture buffer with a guard column on the right, to catch writes past
// the picture's width.
struct Picture {
  Picture(int width, int height)
      : Pixels(static_cast<std::size_t>((width + 1) * height), kUntouched),
        View{Pixels.data(), width + 1, width, height} {}
  std::uint32_t At(int x, int y) const {
    return Pixels[static_cast<std::size_t>(y * View.Pitch + x)];
  }
  static constexpr std::uint32_t kUntouched = 0xDEADBEEF;
  std::vector<std::uint32_t> Pixels;
  ShrunkPicture View;
};

class ShrinkTest : public test::ConsoleScreenTest {};

// Every canvas row's change must reach each picture row whose footprint
// holds it, and no other.
TEST(ShrunkRowsTest, CoverExactlyThePictureRowsThatHoldTheChangedRows) {
  for (const int pictureHeight : {1024, 768, 600, 513, 100, 1}) {
    SCOPED_TRACE(pictureHeight);
    for (const auto& [y0, y1] :
         {std::pair{0, 1}, {0, 1024}, {511, 512}, {1023, 1024}, {300, 340}}) {
      const RowSpan rows = ShrunkRows(1024, pictureHeight, y0, y1);
      for (int j = 0; j < pictureHeight; ++j) {
        const long long first = static_cast<long long>(j) * 1024 / pictureHeight;
        const long long end = static_cast<long long>(j + 1) * 1024 / pictureHeight;
        const bool holds = first < y1 && end > y0;
        EXPECT_EQ(holds, j >= rows.First && j < rows.End) << "row " << j << " for " << y0;
      }
    }
  }
  EXPECT_EQ(ShrunkRows(1024, 768, 5, 5).End, 0);
}

TEST_F(ShrinkTest, AveragesWithoutLosingThinLinesOrSpillingOver) {
  // At three quarters, skipping canvas columns would lose one line in four:
  // each of four neighbouring one-pixel lines must show, at half strength
  // or more, on black.
  for (const int x : {640, 641, 642, 643}) {
    SCOPED_TRACE(x);
    OpenScreen(kConsoleMode, 16);
    DrawLine(static_cast<float>(x), 0, static_cast<float>(x), 1023, 0xFFFFFF, LineKind::Line);
    DrawLine(0, static_cast<float>(x - 140), 1279, static_cast<float>(x - 140), 0xFF0000,
             LineKind::Line);
    Picture picture(960, 768);
    ShrinkCanvasRows(TakeChangedFrame(), picture.View, RowSpan{0, 768});
    std::uint32_t column = 0, row = 0;
    for (int i = 470; i < 490; ++i) column = std::max(column, picture.At(i, 100) & 0xFF);
    for (int j = 365; j < 385; ++j) row = std::max(row, picture.At(100, j) >> 16);
    EXPECT_GE(column, 0x7Fu);
    EXPECT_GE(row, 0x7Fu);
    EXPECT_EQ(picture.At(100, 100), 0u);
    for (int y = 0; y < 768; ++y) ASSERT_EQ(picture.At(960, y), Picture::kUntouched) << y;
  }
}

TEST_F(ShrinkTest, KeepsFlatColoursAndWritesOnlyTheAskedRows) {
  DrawLine(0, 0, 1279, 1023, 0xFFFF00, LineKind::FilledBox);
  Picture picture(640, 512);
  ShrinkCanvasRows(TakeChangedFrame(), picture.View, RowSpan{10, 20});
  EXPECT_EQ(picture.At(0, 10), 0xFFFF00u);  // 5-6-5 widened back to full yellow
  EXPECT_EQ(picture.At(639, 19), 0xFFFF00u);
  EXPECT_EQ(picture.At(0, 9), Picture::kUntouched);
  EXPECT_EQ(picture.At(0, 20), Picture::kUntouched);

  // The help pages' 32-bit canvas, shown a pixel for each pixel.
  OpenScreen(kHelpMode, 32);
  PlotPixel(7, 3, 0x123456);
  Picture same(800, 600);
  ShrinkCanvasRows(TakeChangedFrame(), same.View, RowSpan{0, 600});
  EXPECT_EQ(same.At(7, 3), 0x123456u);
  EXPECT_EQ(same.At(8, 3), 0u);

  // A picture larger than the canvas is refused, not overrun.
  Picture large(900, 700);
  ShrinkCanvasRows(TakeChangedFrame(), large.View, RowSpan{0, 700});
  EXPECT_EQ(large.At(0, 0), Picture::kUntouched);
}

}  // namespace
}  // namespace vorn
