#include "platform/web/web_layout.h"

#include <algorithm>
#include <cmath>

namespace vorn::web {

Placement PlaceCanvas(int w, int h, int cw, int ch) {
  if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0) return Placement{0, 0, cw, ch};
  double scale = std::min(static_cast<double>(w) / cw, static_cast<double>(h) / ch);
  if (scale >= 1.0) scale = std::floor(scale);
  const int sw = std::max(1, static_cast<int>(cw * scale));
  const int sh = std::max(1, static_cast<int>(ch * scale));
  return Placement{(w - sw) / 2, (h - sh) / 2, sw, sh};
}

CanvasPoint ToCanvas(const Placement& shown, int cw, int ch, double x, double y, bool clamp) {
  const auto axis = [clamp](double v, int origin, int size, int canvasSize) {
    if (size <= 0) return -1;
    const double at = std::floor((v - origin) * canvasSize / size);
    if (clamp) return static_cast<int>(std::clamp(at, 0.0, canvasSize - 1.0));
    if (at < 0.0) return -1;
    return static_cast<int>(std::min(at, static_cast<double>(canvasSize)));
  };
  return CanvasPoint{axis(x, shown.X, shown.Width, cw), axis(y, shown.Y, shown.Height, ch)};
}

}  // namespace vorn::web
