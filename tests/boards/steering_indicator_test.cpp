#include "boards/steering_indicator.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "display/canvas.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::Colour;
using test::CountPixels;
using test::ReadCanvasText;

constexpr int kWhite = 0xFFFFFF;
constexpr int kRed = 0xFF0000;

class SteeringIndicatorTest : public test::ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    OpenScreen(kConsoleMode, 16);
  }

  static void Draw(double lateral, double vertical) {
    State.SteerLateral = lateral;
    State.SteerVertical = vertical;
    DrawSteeringFrame();
    DrawSteeringOrders();
  }
  // Red pixels inside the frame.
  static int RedInside() { return CountPixels(1051, 501, 1159, 609, kRed); }
  static int RedOnRow(int y) { return CountPixels(1051, y, 1159, y, kRed); }
  static int RedInColumn(int x) { return CountPixels(x, 501, x, 609, kRed); }
};

TEST_F(SteeringIndicatorTest, FrameAndScales) {
  Draw(0.0, 0.0);
  EXPECT_EQ(CountPixels(1050, 500, 1160, 500, kWhite), 111);
  EXPECT_EQ(CountPixels(1160, 500, 1160, 610, kWhite), 111);
  EXPECT_EQ(ReadCanvasText(31, 131, 17), "Missile Steering ");
  const char* pitch[] = {" 9 ", " 6 P", " 3 i", " 0 t", "-3 c", "-6 h", "-9 "};
  for (int i = 0; i < 7; ++i) {
    const std::string expected = pitch[i];
    EXPECT_EQ(ReadCanvasText(32 + i, 147, static_cast<int>(expected.size())), expected);
  }
  EXPECT_EQ(ReadCanvasText(40, 131, 15), " -9-6-3 0 3 6 9");
  EXPECT_EQ(ReadCanvasText(41, 131, 14), "    Yaw in G's");
}

TEST_F(SteeringIndicatorTest, NoOrdersCrossAtTheCentre) {
  Draw(0.0, 0.0);
  EXPECT_EQ(RedOnRow(555), 101);
  EXPECT_EQ(RedInColumn(1105), 101);
  EXPECT_EQ(RedInside(), 201);
  EXPECT_EQ(PixelAt(1055, 555), Colour(kRed));
  EXPECT_EQ(PixelAt(1105, 605), Colour(kRed));
  Draw(0.0, 0.0);  // redrawn in place
  EXPECT_EQ(RedInside(), 201);
}

TEST_F(SteeringIndicatorTest, FullDiveOrderPutsTheBarAtTheBottom) {
  Draw(0.0, -9.0);
  EXPECT_EQ(RedOnRow(605), 101);
  EXPECT_EQ(RedOnRow(555), 1);  // only the vertical bar crosses the centre row
}

TEST_F(SteeringIndicatorTest, OffsetsRoundHalvesToEven) {
  struct Case {
    double Order;
    int Pixels;
  };
  const Case cases[] = {{9.0, 50},   {3.0, 16},  {1.0, 6},   {0.5, 3},
                        {-3.0, -16}, {-1.0, -6}, {-9.0, -50}};
  for (const Case& c : cases) {
    Draw(c.Order, c.Order);
    EXPECT_EQ(RedInColumn(1105 + c.Pixels), 101) << c.Order;  // right for a positive yaw
    EXPECT_EQ(RedOnRow(555 - c.Pixels), 101) << c.Order;      // up for a positive pitch
    EXPECT_EQ(RedInside(), 201) << c.Order;
  }
}

TEST_F(SteeringIndicatorTest, ChangingBothOrdersLeavesNoRemnant) {
  Draw(0.0, 0.0);
  Draw(3.0, 1.0);
  EXPECT_EQ(RedInside(), 201);
  EXPECT_EQ(RedOnRow(555), 1);
  EXPECT_EQ(RedInColumn(1105), 1);
  EXPECT_EQ(State.ShownSteerLateral, 3.0);
  EXPECT_EQ(State.ShownSteerVertical, 1.0);
}

TEST_F(SteeringIndicatorTest, FirstDrawingErasesNothing) {
  PlotPixel(1105, 520, kWhite);  // where bars at zero orders would be erased
  Draw(2.0, 2.0);
  EXPECT_EQ(PixelAt(1105, 520), Colour(kWhite));
  Draw(-2.0, 2.0);                       // the second one does
  EXPECT_EQ(RedInColumn(1105 + 11), 1);  // where the horizontal bar crosses
  EXPECT_EQ(RedInside(), 201);
}

TEST_F(SteeringIndicatorTest, WildOrdersStayOffTheCanvas) {
  Draw(1e300, -1e300);
  Draw(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity());
  Draw(0.0, 0.0);
  EXPECT_EQ(RedInside(), 201);
}

}  // namespace
}  // namespace vorn
