#include "platform/web/web_pixels.h"

#include <cstddef>

namespace vorn::web {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// 5 and 6 bits widened to 8 by repeating the top bits, so that full scale
// stays full scale (31 -> 255) as on the desktop.
constexpr std::uint32_t FromRgb565(std::uint16_t p) {
  const std::uint32_t r = p >> 11, g = (p >> 5) & 0x3Fu, b = p & 0x1Fu;
  return kOpaque | ((b << 3 | b >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (r << 3 | r >> 2);
}

constexpr std::uint32_t FromRgb888(std::uint32_t p) {
  return kOpaque | (p & 0x0000FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
}

static_assert(FromRgb565(0xF800) == 0xFF0000FFu);
static_assert(FromRgb565(0x07E0) == 0xFF00FF00u);
static_assert(FromRgb888(0x00123456) == 0xFF563412u);

}  // namespace

void ConvertRegion(const Frame& frame, const Region& r, std::uint32_t* rgba) {
  const int x0 = r.X < 0 ? 0 : r.X, y0 = r.Y < 0 ? 0 : r.Y;
  const int x1 = r.X + r.Width > frame.Width ? frame.Width : r.X + r.Width;
  const int y1 = r.Y + r.Height > frame.Height ? frame.Height : r.Y + r.Height;
  for (int y = y0; y < y1; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width);
    std::uint32_t* out = rgba + row;
    if (frame.BitsPerPixel == 16) {
      const auto* in = static_cast<const std::uint16_t*>(frame.Pixels) + row;
      for (int x = x0; x < x1; ++x) out[x] = FromRgb565(in[x]);
    } else {
      const auto* in = static_cast<const std::uint32_t*>(frame.Pixels) + row;
      for (int x = x0; x < x1; ++x) out[x] = FromRgb888(in[x]);
    }
  }
}

}  // namespace vorn::web
