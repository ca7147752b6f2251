#include "boards/steering_indicator.h"

#include <gtest/gtest.h>

#include <limits>

#include "display/canvas.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::CountPixels;

constexpr int kRed = 0xFF0000;

class SteeringIndicatorTest : public test::ConsoleScreenTest {
 protected:
  static void Draw(double lateral, double vertical) {
    State.SteerLateral = lateral;
    State.SteerVertical = vertical;
    DrawSteeringFrame();
    DrawSteeringOrders();
  }
  static int RedInside() { return CountPixels(1051, 501, 1159, 609, kRed); }
  static int RedOnRow(int y) { return CountPixels(1051, y, 1159, y, kRed); }
  static int RedInColumn(int x) { return CountPixels(x, 501, x, 609, kRed); }
};

TEST_F(SteeringIndicatorTest, NoOrdersCrossAtTheCentreInsideTheFrame) {
  Draw(0.0, 0.0);
  EXPECT_EQ(RedOnRow(555), 101);
  EXPECT_EQ(RedInColumn(1105), 101);
  EXPECT_EQ(RedInside(), 201);
  EXPECT_EQ(CountPixels(1050, 500, 1160, 500, 0xFFFFFF), 111);
  EXPECT_EQ(test::ReadCanvasText(35, 147, 4), " 0 t");
  EXPECT_EQ(test::ReadCanvasText(38, 147, 2), "-9");
  EXPECT_EQ(test::ReadCanvasText(40, 131, 15), " -9-6-3 0 3 6 9");
  Draw(0.5, 0.0);
  EXPECT_EQ(RedInColumn(1105), 1);  // only where the horizontal bar crosses
}

TEST_F(SteeringIndicatorTest, OffsetsRoundHalvesToEven) {
  PlotPixel(1080, 555, 0xFFFFFF);  // where bars at zero orders would be erased
  Draw(-1.0, 1.0);
  EXPECT_EQ(PixelAt(1080, 555), test::Colour(0xFFFFFF));  // the first call erases nothing
  const struct {
    double Order;
    int Pixels;
  } cases[] = {{9.0, 50}, {3.0, 16}, {1.0, 6}, {0.5, 3}, {-3.0, -16}, {-9.0, -50}};
  for (const auto& c : cases) {
    Draw(c.Order, c.Order);  // changes both bars: the old pair must vanish
    EXPECT_EQ(RedInColumn(1105 + c.Pixels), 101) << c.Order;  // right for a positive yaw
    EXPECT_EQ(RedOnRow(555 - c.Pixels), 101) << c.Order;      // up for a positive pitch
    EXPECT_EQ(RedInside(), 201) << c.Order;
  }
  EXPECT_EQ(RedOnRow(605), 101);  // the full dive order: the bottom of the range

  // Wild orders stay off the canvas, and are erased from there.
  Draw(1e300, -1e300);
  Draw(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity());
  Draw(0.0, 0.0);
  EXPECT_EQ(RedInside(), 201);
}

}  // namespace
}  // namespace vorn
