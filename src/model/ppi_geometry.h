#pragma once
// Where the PPI scope stands on the canvas and what its pixels measure: the
// scope draws by it, a click on it is read by it, and the auto crew aims its
// clicks by it.

#include <algorithm>
#include <cmath>

namespace vorn {

// The site, at the scope's centre pixel; north is up.
inline constexpr int kPpiCentreX = 265;
inline constexpr int kPpiCentreY = 770;
inline constexpr int kPpiRadius = 200;               // pixels
inline constexpr double kPpiYardsPerPixel = 1500.0;  // 300,000 yards at the edge
// The scope's square on the canvas, both ends included.
inline constexpr int kPpiLeft = kPpiCentreX - kPpiRadius;
inline constexpr int kPpiRight = kPpiCentreX + kPpiRadius;
inline constexpr int kPpiTop = kPpiCentreY - kPpiRadius;
inline constexpr int kPpiBottom = kPpiCentreY + kPpiRadius;

// A canvas coordinate to a whole pixel: nearest, ties to even. Positions far
// off the scope stay far off the canvas rather than overflow.
inline int NearestPixel(double v) {
  return static_cast<int>(std::nearbyint(std::clamp(v, -1e6, 1e6)));
}

// The scope pixel of a ground position in yards east (x) and north (y).
inline int PpiPixelX(double x) {
  return NearestPixel(x / kPpiYardsPerPixel + kPpiCentreX);
}
inline int PpiPixelY(double y) {
  return NearestPixel(-y / kPpiYardsPerPixel + kPpiCentreY);
}

}  // namespace vorn
