#pragma once
// The console's canvas pixels (5-6-5 or 0x00RRGGBB) as the RGBA bytes an
// HTML canvas takes. Pure, so it is tested without a browser.

#include <cstdint>

#include "platform/host.h"

namespace vorn::web {

// Converts the rectangle `r` of the frame into `rgba`, a buffer of
// frame.Width x frame.Height pixels laid out like the frame, each pixel the
// bytes R, G, B, 255 in memory order (a little-endian 0xFFBBGGRR).
void ConvertRegion(const Frame& frame, const Region& r, std::uint32_t* rgba);

}  // namespace vorn::web
