#include "boards/steering_indicator.h"

#include <algorithm>
#include <cmath>

#include "boards/boards_state.h"
#include "display/canvas.h"
#include "display/picture.h"

namespace vorn {

namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kBarColour = 0xFF0000;
constexpr int kEraseColour = 0x000000;

constexpr double kCentreX = 1105.0;
constexpr double kCentreY = 555.0;
// The bars span the frame less 5 pixels on each side.
constexpr float kBarLeft = 1055.0f, kBarRight = 1155.0f;
constexpr float kBarTop = 505.0f, kBarBottom = 605.0f;

// Bar offsets in whole pixels, 5.5 pixels per g, halves to even. Orders far
// beyond the scale (or not numbers) are held far off the canvas so that the
// conversion to pixel coordinates stays defined.
double BarOffset(double pixelsTimesTen) {
  const double offset = std::nearbyint(pixelsTimesTen / 10.0);
  if (std::isnan(offset)) return 1.0e6;
  return std::clamp(offset, -1.0e6, 1.0e6);
}

// Up is negative on the screen: a positive pitch order raises the bar.
double VerticalOffset(double steerVertical) {
  return BarOffset(-steerVertical * 55.0);
}
double LateralOffset(double steerLateral) {
  return BarOffset(55.0 * steerLateral);
}

void DrawBars(double steerLateral, double steerVertical, int colour) {
  const auto y = static_cast<float>(kCentreY + VerticalOffset(steerVertical));
  DrawLine(kBarLeft, y, kBarRight, y, colour, LineKind::Line);
  const auto x = static_cast<float>(kCentreX + LateralOffset(steerLateral));
  DrawLine(x, kBarTop, x, kBarBottom, colour, LineKind::Line);
}

}  // namespace

void DrawSteeringFrame() {
  DrawLine(1050.0f, 500.0f, 1160.0f, 610.0f, kWhite, LineKind::Box);
  // Texts in the standing colour, white.
  SetTextPosition(31, 131);
  PrintText("Missile Steering ", true);
  constexpr char kPitch[] = "Pitch";
  for (int i = 1; i <= 7; ++i) {
    SetTextPosition(31 + i, 147);
    BeginPicture("##");
    PrintPictureNumber(12 - 3 * i, true, true);
    if (i >= 2 && i <= 6) {
      SetTextPosition(31 + i, 150);
      PrintText(std::string_view(&kPitch[i - 2], 1), true);
    }
  }
  SetTextPosition(40, 131);
  PrintText(" -9-6-3 0 3 6 9", true);
  SetTextPosition(41, 131);
  PrintText("    Yaw in G's", true);
}

void DrawSteeringOrders() {
  if (Boards.SteeringBarsShown)
    DrawBars(Boards.ShownSteerLateral, Boards.ShownSteerVertical, kEraseColour);
  DrawBars(Boards.SteerLateral, Boards.SteerVertical, kBarColour);
  Boards.ShownSteerLateral = Boards.SteerLateral;
  Boards.ShownSteerVertical = Boards.SteerVertical;
  Boards.SteeringBarsShown = true;
}

}  // namespace vorn
