// Where a host shows the canvas and where its pointer falls on it: the one
// placement every host with a window or a page goes through.

#include "platform/letterbox.h"

#include <gtest/gtest.h>

#include <utility>

namespace vorn {
namespace {

constexpr int kWidth = 1280;  // the console's canvas
constexpr int kHeight = 1024;

// Cases a browser tab meets, in device pixels.
TEST(LetterboxTest, GrowsByWholeFactorsAndShrinksToFit) {
  // Room to spare: shown 1:1, centred.
  EXPECT_EQ(Letterbox(1400, 1100, 1280, 1024), (Region{60, 38, 1280, 1024}));
  // Room for 1.75 times the help pages is still 1:1; for 2.1, twice.
  EXPECT_EQ(Letterbox(1400, 1100, 800, 600), (Region{300, 250, 800, 600}));
  EXPECT_EQ(Letterbox(1700, 1300, 800, 600), (Region{50, 50, 1600, 1200}));
  // Too small: shrunk to fit, the shape kept, bars on the long side.
  EXPECT_EQ(Letterbox(1000, 1000, 1280, 1024), (Region{0, 100, 1000, 800}));
  // Filling: enlarged smoothly to the area's shorter side.
  EXPECT_EQ(Letterbox(2000, 1500, 1280, 1024, Scaling::Fill), (Region{62, 0, 1875, 1500}));
  EXPECT_EQ(Letterbox(1000, 1000, 1280, 1024, Scaling::Fill), (Region{0, 100, 1000, 800}));
  // No area, no picture, and every point off the canvas.
  EXPECT_EQ(Letterbox(0, 0, 1280, 1024), Region{});
  const CanvasPoint none = AreaToCanvas(Region{}, 1280, 1024, 100, 100, true);
  EXPECT_TRUE(none.X < 0 && none.Y < 0);
}

TEST(LetterboxTest, PointerMapsBackToTheCanvasPixelUnderIt) {
  for (const auto& [w, h] : {std::pair{2600, 2100}, std::pair{1000, 900}, std::pair{1400, 1100}}) {
    const Region shown = Letterbox(w, h, 1280, 1024);
    const double sx = static_cast<double>(shown.Width) / 1280,
                 sy = static_cast<double>(shown.Height) / 1024;
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{265, 770}, std::pair{1279, 1023}}) {
      const CanvasPoint p =
          AreaToCanvas(shown, 1280, 1024, static_cast<int>(shown.X + (x + 0.5) * sx),
                       static_cast<int>(shown.Y + (y + 0.5) * sy), false);
      // Shrunk, an area pixel covers more than one canvas pixel: the one at
      // its left or top edge is taken.
      const int slack = shown.Width < 1280 ? 1 : 0;
      EXPECT_NEAR(p.X, x, slack) << w << " x " << h;
      EXPECT_NEAR(p.Y, y, slack) << w << " x " << h;
    }
    // In the bars: off the canvas, or on its edge in full screen.
    EXPECT_LT(AreaToCanvas(shown, 1280, 1024, shown.X - 1, shown.Y + 5, false).X, 0);
    const CanvasPoint right = AreaToCanvas(shown, 1280, 1024, shown.X + shown.Width + 1,
                                           shown.Y + shown.Height + 1, false);
    EXPECT_GE(right.X, 1280);
    EXPECT_GE(right.Y, 1024);
    const CanvasPoint clamped =
        AreaToCanvas(shown, 1280, 1024, shown.X + shown.Width + 9, shown.Y - 9, true);
    EXPECT_EQ(clamped.X, 1279);
    EXPECT_EQ(clamped.Y, 0);
  }
}

// Windows as SDL gives them: a size in points, the pointer's units, and the
// drawable's size in pixels.
struct Geometry {
  const char* Name;
  AreaSize Area;  // pixels, then points
  Scaling How;
  Region Picture;  // where the canvas must be drawn, in pixels
};

const Geometry kGeometries[] = {
    {"1280 x 1024 at 1x", {1280, 1024, 1280, 1024}, Scaling::WholeSteps, {0, 0, 1280, 1024}},
    {"1280 x 1024 at 1x, filled", {1280, 1024, 1280, 1024}, Scaling::Fill, {0, 0, 1280, 1024}},
    {"960 x 768 at 2x", {1920, 1536, 960, 768}, Scaling::WholeSteps, {320, 256, 1280, 1024}},
    {"960 x 768 at 2x, filled", {1920, 1536, 960, 768}, Scaling::Fill, {0, 0, 1920, 1536}},
    {"1280 x 1024 at 2x", {2560, 2048, 1280, 1024}, Scaling::WholeSteps, {0, 0, 2560, 2048}},
    {"1300 x 1000 at 2x", {2600, 2000, 1300, 1000}, Scaling::WholeSteps, {660, 488, 1280, 1024}},
    {"1300 x 1000 at 2x, filled", {2600, 2000, 1300, 1000}, Scaling::Fill, {50, 0, 2500, 2000}},
    {"1400 x 1100 at 1.5x", {2100, 1650, 1400, 1100}, Scaling::WholeSteps, {410, 313, 1280, 1024}},
    {"1400 x 1100 at 1.5x, filled", {2100, 1650, 1400, 1100}, Scaling::Fill, {19, 0, 2062, 1650}},
    {"1000 x 800 at 1x, shrunk", {1000, 800, 1000, 800}, Scaling::WholeSteps, {0, 0, 1000, 800}},
    {"0 x 0, minimising", {0, 0, 0, 0}, Scaling::WholeSteps, {}},
    {"0 x 0 points, a stale drawable", {1280, 1024, 0, 0}, Scaling::WholeSteps, {}},
    {"1280 x 0 points, a stale drawable", {1280, 1024, 1280, 0}, Scaling::WholeSteps, {}},
    // No screen scales its two axes apart, but each axis keeps to its own.
    {"1280 x 1024 at 1.5x across, 2x down", {1920, 2048, 1280, 1024}, Scaling::WholeSteps,
     {320, 512, 1280, 1024}},
};

// The point, in points and their fractions, at the middle of canvas pixel
// (x, y) as the picture `p` shows it in an area of `a`.
std::pair<double, double> PointOf(const Region& p, const AreaSize& a, int x, int y) {
  return {(p.X + (x + 0.5) * p.Width / kWidth) * a.PointWidth / a.PixelWidth,
          (p.Y + (y + 0.5) * p.Height / kHeight) * a.PointHeight / a.PixelHeight};
}

TEST(CanvasPlacementTest, EveryCanvasPixelRoundTripsThroughTheWindow) {
  for (const Geometry& g : kGeometries) {
    const CanvasPlacement placement(g.Area, kWidth, kHeight, g.How);
    EXPECT_EQ(placement.Picture(), g.Picture) << g.Name;
    if (g.Picture.Width == 0) continue;
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const auto [px, py] = PointOf(g.Picture, g.Area, x, y);
        const CanvasPoint back = placement.PointerToCanvas(px, py, false);
        const bool inWindow = px >= 0 && px < g.Area.PointWidth && py >= 0 && py < g.Area.PointHeight;
        if (!inWindow || back.X != x || back.Y != y) {
          if (++wrong <= 3)
            ADD_FAILURE() << g.Name << ": canvas (" << x << ", " << y << ") at point (" << px
                          << ", " << py << ") comes back as (" << back.X << ", " << back.Y << ")";
        }
      }
    }
    EXPECT_EQ(wrong, 0) << g.Name;
  }
}

// Just inside each edge of the drawn picture the pointer is on the canvas's
// edge; just outside it is off the canvas, or clamped to it in full screen.
TEST(CanvasPlacementTest, ThePictureIsWhereThePointerSaysTheCanvasIs) {
  constexpr double kHair = 1e-6;  // in points
  for (const Geometry& g : kGeometries) {
    const CanvasPlacement placement(g.Area, kWidth, kHeight, g.How);
    const Region& p = placement.Picture();
    if (p.Width == 0) {
      for (const auto& [x, y] : {std::pair{0.0, 0.0}, std::pair{640.5, 512.5}}) {
        const CanvasPoint off = placement.PointerToCanvas(x, y, true);
        EXPECT_TRUE(off.X < 0 && off.Y < 0) << g.Name;
      }
      continue;
    }
    const double toPointsX = static_cast<double>(g.Area.PointWidth) / g.Area.PixelWidth;
    const double toPointsY = static_cast<double>(g.Area.PointHeight) / g.Area.PixelHeight;
    const double left = p.X * toPointsX, right = (p.X + p.Width) * toPointsX;
    const double top = p.Y * toPointsY, bottom = (p.Y + p.Height) * toPointsY;
    const auto at = [&](double x, double y, bool clamp) {
      const CanvasPoint c = placement.PointerToCanvas(x, y, clamp);
      return std::pair{c.X, c.Y};
    };
    EXPECT_EQ(at(left + kHair, top + kHair, false), (std::pair{0, 0})) << g.Name;
    EXPECT_EQ(at(right - kHair, bottom - kHair, false), (std::pair{kWidth - 1, kHeight - 1}))
        << g.Name;
    const auto [outX, outY] = at(left - kHair, top - kHair, false);
    EXPECT_TRUE(outX < 0 && outY < 0) << g.Name;
    const auto [pastX, pastY] = at(right + kHair, bottom + kHair, false);
    EXPECT_TRUE(pastX >= kWidth && pastY >= kHeight) << g.Name;
    EXPECT_EQ(at(left - kHair, bottom + kHair, true), (std::pair{0, kHeight - 1})) << g.Name;
  }
}

// SDL reports whole points: the pointer is taken to be in the middle of the
// point, which on a 2x screen covers two canvas pixels each way at 1:1.
TEST(CanvasPlacementTest, WholePointsAreTakenAtTheirMiddle) {
  struct Case {
    AreaSize Area;
    int X, Y;
    CanvasPoint Expected;
  };
  const Case cases[] = {
      {{1280, 1024, 1280, 1024}, 265, 770, {265, 770}},
      // The PPI's centre, canvas (265, 770), lies at point (292.5, 513): the
      // point SDL reports there covers canvas 264-265 and 770-771.
      {{1920, 1536, 960, 768}, 292, 513, {265, 771}},
      {{1920, 1536, 960, 768}, 159, 127, {-1, -1}},  // in the bars
      // Shrunk to 1000 x 800, a pixel covers 1.28 canvas pixels.
      {{1000, 800, 1000, 800}, 3, 3, {4, 4}},
  };
  for (const Case& c : cases) {
    const CanvasPlacement placement(c.Area, kWidth, kHeight, Scaling::WholeSteps);
    const CanvasPoint p = placement.WholePointToCanvas(c.X, c.Y, false);
    EXPECT_EQ(std::pair(p.X, p.Y), std::pair(c.Expected.X, c.Expected.Y))
        << c.Area.PointWidth << " points, at (" << c.X << ", " << c.Y << ")";
  }
  // The exact place of the PPI's centre on a 960 x 768-point window at 2x.
  const CanvasPlacement at2x({1920, 1536, 960, 768}, kWidth, kHeight, Scaling::WholeSteps);
  const CanvasPoint centre = at2x.PointerToCanvas(292.5, 513.0, false);
  EXPECT_EQ(std::pair(centre.X, centre.Y), std::pair(265, 770));
}

}  // namespace
}  // namespace vorn
