#pragma once
// Where a host shows the canvas in its window, and where a pointer in the
// window falls on the canvas. Shared by every host with a window, so that
// the picture and the pointer always agree.

#include <algorithm>
#include <cmath>

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

// A canvas pixel; -1 is off the canvas.
struct CanvasPoint {
  int X = -1;
  int Y = -1;
};

// A position in the area, in area pixels and their fractions (a whole pixel
// by its top-left corner), to the canvas pixel shown there through the letterbox `shown`: canvas pixel c covers
// [shown.X + c * shown.Width / canvasWidth, the same for c + 1), and likewise
// down. Off the picture the position lands off the canvas (negative, or at or
// past the canvas's size), unless `clampToCanvas`: in full screen the bars
// are part of the display and the pointer there counts as on the canvas's
// edge. With no picture shown (an empty area) every point is off the canvas.
inline CanvasPoint AreaToCanvas(const Region& shown, int canvasWidth, int canvasHeight, double x,
                                double y, bool clampToCanvas) {
  if (shown.Width <= 0 || shown.Height <= 0) return {};
  const auto toCanvas = [](double v, int origin, int size, int canvasSize) {
    const double c = std::floor((v - origin) * canvasSize / size);
    if (!(c >= 0.0)) return -1;                        // before the picture, or no number at all
    return static_cast<int>(std::min(c, 1048576.0));  // far past it stays past it
  };
  CanvasPoint point{toCanvas(x, shown.X, shown.Width, canvasWidth),
                    toCanvas(y, shown.Y, shown.Height, canvasHeight)};
  if (clampToCanvas) {
    point.X = std::clamp(point.X, 0, std::max(canvasWidth - 1, 0));
    point.Y = std::clamp(point.Y, 0, std::max(canvasHeight - 1, 0));
  }
  return point;
}

// A host's area measured twice: in the pixels the picture is drawn in, and
// in the units the pointer is reported in. They are the same on an ordinary
// screen; on a HiDPI one a point is 1.5 or 2 pixels (SDL gives window sizes
// and mouse positions in points, and draws in pixels).
struct AreaSize {
  int PixelWidth = 0;
  int PixelHeight = 0;
  int PointWidth = 0;
  int PointHeight = 0;
};

// Where the canvas is shown in an area and where a pointer on the area falls
// on it: one rule for both, worked out in the area's pixels, so the pointer
// always lands on the canvas pixel drawn under it.
class CanvasPlacement {
 public:
  CanvasPlacement(const AreaSize& area, int canvasWidth, int canvasHeight, Scaling scaling)
      : picture_(Letterbox(area.PixelWidth, area.PixelHeight, canvasWidth, canvasHeight, scaling)),
        canvasWidth_(canvasWidth),
        canvasHeight_(canvasHeight) {
    if (area.PointWidth > 0 && area.PointHeight > 0) {
      pixelsPerPointX_ = static_cast<double>(area.PixelWidth) / area.PointWidth;
      pixelsPerPointY_ = static_cast<double>(area.PixelHeight) / area.PointHeight;
    } else {
      picture_ = Region{};  // nowhere to point at
    }
  }

  // Where the canvas is drawn, in the area's pixels; empty when the area is.
  const Region& Picture() const { return picture_; }

  // The canvas pixel under a pointer at (x, y) in points and their fractions.
  CanvasPoint PointerToCanvas(double x, double y, bool clampToCanvas) const {
    return AreaToCanvas(picture_, canvasWidth_, canvasHeight_, x * pixelsPerPointX_,
                        y * pixelsPerPointY_, clampToCanvas);
  }

  // The same for a pointer reported in whole points (as SDL's is). It lies
  // somewhere within that point, taken to be its middle, the nearest guess:
  // on a 2x screen a point covers two pixels each way.
  CanvasPoint WholePointToCanvas(int x, int y, bool clampToCanvas) const {
    return PointerToCanvas(x + 0.5, y + 0.5, clampToCanvas);
  }

 private:
  Region picture_;
  int canvasWidth_;
  int canvasHeight_;
  double pixelsPerPointX_ = 1.0;
  double pixelsPerPointY_ = 1.0;
};

}  // namespace vorn
