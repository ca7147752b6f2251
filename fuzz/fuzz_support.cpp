#include "fuzz_support.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/font.h"

namespace vorn::fuzz {

std::uint8_t Input::Byte() {
  return at_ < size_ ? data_[at_++] : 0;
}

std::uint32_t Input::Word() {
  std::uint32_t word = 0;
  for (int i = 0; i < 4; ++i) word = word << 8 | Byte();
  return word;
}

std::uint64_t Input::Quad() {
  return static_cast<std::uint64_t>(Word()) << 32 | Word();
}

double Input::Double() {
  const std::uint8_t kind = Byte();
  const std::uint64_t bits = Quad();
  const double sign = (bits & 1) != 0 ? -1.0 : 1.0;
  switch (kind % 10) {
    case 0:
      return std::numeric_limits<double>::quiet_NaN();
    case 1:
      return sign * std::numeric_limits<double>::infinity();
    case 2:
      return -0.0;
    case 3:
      return sign * std::numeric_limits<double>::max();
    case 4:
      return sign * std::numeric_limits<double>::denorm_min();
    case 5:  // whole numbers of any size a read-out may meet
      return static_cast<double>(static_cast<std::int64_t>(bits) >> (bits % 48));
    case 6:  // thousandths around the read-outs' range, to reach the rounding edges
      return static_cast<double>(static_cast<std::int32_t>(bits)) / 1000.0;
    case 7:  // just below and above a power of ten
      return sign * (1.0 - std::ldexp(1.0, -static_cast<int>(bits % 60) - 1)) *
             std::pow(10.0, static_cast<double>(bits % 24));
    default:
      return std::bit_cast<double>(bits);
  }
}

float Input::Coordinate() {
  const std::uint8_t kind = Byte();
  const std::uint32_t bits = Word();
  const auto small = static_cast<float>(static_cast<std::int16_t>(bits & 0xFFFFu));
  switch (kind % 8) {
    case 0:
      return std::numeric_limits<float>::quiet_NaN();
    case 1:
      return (bits & 1) != 0 ? -std::numeric_limits<float>::infinity()
                             : std::numeric_limits<float>::infinity();
    case 2:
      return small / 4.0f;
    case 3:
      return small / 8.0f + 0.5f;
    case 4:
      return small / 16.0f;
    case 5:
      return static_cast<float>(static_cast<std::int32_t>(bits));
    default:
      return std::bit_cast<float>(bits);
  }
}

std::string Input::Text(std::size_t limit) {
  std::string text;
  const std::size_t length = Byte() % (limit + 1);
  while (text.size() < length && !Empty()) text += static_cast<char>(Byte());
  return text;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "property failed: %s\n", what.c_str());
  std::abort();
}

bool CellShows(int row, int column, unsigned char code) {
  const auto& c = State.Canvas;
  const std::uint8_t* glyph = GlyphFor(code);
  const int x0 = (column - 1) * kGlyphWidth, y0 = (row - 1) * kGlyphHeight;
  for (int gy = 0; gy < kGlyphHeight; ++gy)
    for (int gx = 0; gx < kGlyphWidth; ++gx) {
      const bool on = (glyph[gy] & (0x80u >> gx)) != 0;
      if (PixelAt(x0 + gx, y0 + gy) != (on ? c.Foreground : c.Background)) return false;
    }
  return true;
}

}  // namespace vorn::fuzz
