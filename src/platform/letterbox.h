#pragma once
// Where a host shows the canvas in its window, and where a pointer in the
// window falls on the canvas. Shared by every host with a window, so that
// the picture and the pointer always agree.

#include <algorithm>

#include "platform/host.h"

namespace vorn {

// How a canvas larger than its area is enlarged: by whole multiples only,
// so every canvas pixel becomes the same square of window pixels and the
// strokes of the text stay even (the default), or smoothly to fill the area.
enum class Scaling : bool { WholeSteps, Fill };

// The canvas is shown as large as it fits with its shape kept, centred, with
// black bars around it, enlarged as `scaling` says; smaller than the canvas,
// it shrinks to fit. An empty area or canvas gives an empty rectangle.
inline Region Letterbox(int areaWidth, int areaHeight, int canvasWidth, int canvasHeight,
                        Scaling scaling = Scaling::WholeSteps) {
  if (canvasWidth <= 0 || canvasHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return {};
  if (scaling == Scaling::WholeSteps && areaWidth >= canvasWidth && areaHeight >= canvasHeight) {
    const int scale = std::min(areaWidth / canvasWidth, areaHeight / canvasHeight);
    const int w = canvasWidth * scale, h = canvasHeight * scale;
    return Region{(areaWidth - w) / 2, (areaHeight - h) / 2, w, h};
  }
  const double scale = std::min(static_cast<double>(areaWidth) / canvasWidth,
                                static_cast<double>(areaHeight) / canvasHeight);
  const int w = std::clamp(static_cast<int>(canvasWidth * scale), 1, areaWidth);
  const int h = std::clamp(static_cast<int>(canvasHeight * scale), 1, areaHeight);
  return Region{(areaWidth - w) / 2, (areaHeight - h) / 2, w, h};
}

// A position in the area to a canvas pixel through the letterbox `shown`.
// Off the picture it lands off the canvas (negative, or at or past the
// canvas's size), unless `clampToCanvas`: in full screen the bars are part
// of the display and the pointer there counts as on the canvas's edge. With
// no picture shown (an empty area) every point is off the canvas.
struct CanvasPoint {
  int X = -1;
  int Y = -1;
};
inline CanvasPoint AreaToCanvas(const Region& shown, int canvasWidth, int canvasHeight, int x,
                                int y, bool clampToCanvas) {
  if (shown.Width <= 0 || shown.Height <= 0) return {};
  const auto toCanvas = [](int v, int origin, int size, int canvasSize) {
    const long long offset = static_cast<long long>(v) - origin;
    if (offset < 0) return -1;
    const long long c = offset * canvasSize / size;
    return static_cast<int>(std::min<long long>(c, 1 << 20));
  };
  CanvasPoint point{toCanvas(x, shown.X, shown.Width, canvasWidth),
                    toCanvas(y, shown.Y, shown.Height, canvasHeight)};
  if (clampToCanvas) {
    point.X = std::clamp(point.X, 0, std::max(canvasWidth - 1, 0));
    point.Y = std::clamp(point.Y, 0, std::max(canvasHeight - 1, 0));
  }
  return point;
}

}  // namespace vorn
