#include "platform/sdl/shrink.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace vorn {

namespace {

constexpr int kMaxCanvasWidth = 1280;  // the console's canvas, the widest there is

// The first of the `big` pixels in the footprint of small pixel i: small
// pixel i covers big pixels [Start(i), Start(i + 1)), at least one of them
// when the picture is no larger than the canvas.
int Start(int i, int big, int small) {
  return static_cast<int>(static_cast<long long>(i) * big / small);
}

struct Rgb {
  std::uint32_t R = 0, G = 0, B = 0;
};

// Adds canvas pixels [x0, x1) of one row, as 8-bit channels.
void AddRow16(const std::uint16_t* row, int x0, int x1, Rgb& sum) {
  for (int x = x0; x < x1; ++x) {
    const std::uint32_t p = row[x];
    const std::uint32_t r = p >> 11, g = p >> 5 & 63u, b = p & 31u;
    sum.R += r << 3 | r >> 2;
    sum.G += g << 2 | g >> 4;
    sum.B += b << 3 | b >> 2;
  }
}

void AddRow32(const std::uint32_t* row, int x0, int x1, Rgb& sum) {
  for (int x = x0; x < x1; ++x) {
    const std::uint32_t p = row[x];
    sum.R += p >> 16 & 255u;
    sum.G += p >> 8 & 255u;
    sum.B += p & 255u;
  }
}

}  // namespace

RowSpan ShrunkRows(int canvasHeight, int pictureHeight, int y0, int y1) {
  if (canvasHeight <= 0 || pictureHeight <= 0 || y1 <= y0) return {};
  // Picture row j covers canvas rows [Start(j), Start(j + 1)): the first
  // row to hold y0 is the last whose start is at or before it, and the rows
  // that hold y1 - 1 end with the last whose start is at or before that.
  const auto rowHolding = [&](int y) {
    return static_cast<int>((static_cast<long long>(y + 1) * pictureHeight - 1) / canvasHeight);
  };
  const int first = std::clamp(rowHolding(y0), 0, pictureHeight - 1);
  const int last = std::clamp(rowHolding(y1 - 1), 0, pictureHeight - 1);
  return {first, last + 1};
}

void ShrinkCanvasRows(const Frame& canvas, const ShrunkPicture& picture, RowSpan rows) {
  const int cw = canvas.Width, ch = canvas.Height;
  if (cw <= 0 || ch <= 0 || picture.Width <= 0 || picture.Height <= 0 || picture.Width > cw ||
      picture.Height > ch)
    return;
  // Where each picture column's footprint starts, worked out once per call.
  std::array<int, kMaxCanvasWidth + 1> columnStart;
  if (cw > kMaxCanvasWidth) return;
  for (int i = 0; i <= picture.Width; ++i)
    columnStart[static_cast<std::size_t>(i)] = Start(i, cw, picture.Width);
  const auto width = static_cast<std::size_t>(cw);
  for (int j = std::max(rows.First, 0); j < std::min(rows.End, picture.Height); ++j) {
    const int sy0 = Start(j, ch, picture.Height), sy1 = Start(j + 1, ch, picture.Height);
    std::uint32_t* out = picture.Pixels + static_cast<std::ptrdiff_t>(j) * picture.Pitch;
    for (int i = 0; i < picture.Width; ++i) {
      const int sx0 = columnStart[static_cast<std::size_t>(i)];
      const int sx1 = columnStart[static_cast<std::size_t>(i) + 1];
      Rgb sum;
      for (int y = sy0; y < sy1; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * width;
        if (canvas.BitsPerPixel == 16)
          AddRow16(static_cast<const std::uint16_t*>(canvas.Pixels) + at, sx0, sx1, sum);
        else
          AddRow32(static_cast<const std::uint32_t*>(canvas.Pixels) + at, sx0, sx1, sum);
      }
      const auto count = static_cast<std::uint32_t>((sy1 - sy0) * (sx1 - sx0));
      const std::uint32_t half = count / 2;  // rounds the means to nearest
      out[i] = (sum.R + half) / count << 16 | (sum.G + half) / count << 8 | (sum.B + half) / count;
    }
  }
}

}  // namespace vorn
