// Reads text cells back from a screenshot of the console's window, so that a
// test can check what a user sees. The screenshot is a binary PPM of the whole
// window; the canvas fills it as the window shows it: 1:1, or centred and
// scaled by a whole factor or down to fit (the help pages' 800 x 600 canvas
// sits 1:1 in the console's window).
// Each cell is matched against the console's font, a lit pixel being one that
// differs from the cell's background (the bottom right pixel, which no glyph
// uses).
//
//   read_cells SHOT.ppm CANVAS_WIDTH CANVAS_HEIGHT ROW COLUMN LENGTH
//       prints the text of the cells, '?' for a cell that is no glyph;
//   read_cells --colour ...same arguments...
//       prints the colour "r,g,b" of the first lit pixel in the cells, or
//       "none" when all are blank.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "display/font.h"

namespace {

struct Screenshot {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Rgb;
  // Where the canvas lies in the window: centred, grown by a whole factor
  // where the window is larger, shrunk to fit its width or height where it
  // is smaller.
  double Scale = 1.0, OffsetX = 0.0, OffsetY = 0.0;

  void Fit(int canvasWidth, int canvasHeight) {
    const double sx = static_cast<double>(Width) / canvasWidth;
    const double sy = static_cast<double>(Height) / canvasHeight;
    Scale = std::min(sx, sy);
    if (Scale >= 1.0) Scale = static_cast<int>(Scale);
    OffsetX = (Width - static_cast<int>(canvasWidth * Scale)) / 2;
    OffsetY = (Height - static_cast<int>(canvasHeight * Scale)) / 2;
  }

  // The colour at the centre of a canvas pixel, as 0xRRGGBB.
  std::uint32_t At(int x, int y) const {
    const int wx = static_cast<int>(OffsetX + (x + 0.5) * Scale);
    const int wy = static_cast<int>(OffsetY + (y + 0.5) * Scale);
    if (wx < 0 || wy < 0 || wx >= Width || wy >= Height) return 0;
    const std::size_t at = (static_cast<std::size_t>(wy) * static_cast<std::size_t>(Width) +
                            static_cast<std::size_t>(wx)) *
                           3;
    return static_cast<std::uint32_t>(Rgb[at]) << 16 |
           static_cast<std::uint32_t>(Rgb[at + 1]) << 8 | Rgb[at + 2];
  }
};

// The cell's lit pixels as glyph rows; `lit` gets the first lit colour.
void ReadCell(const Screenshot& shot, int row, int column, std::uint8_t bits[16],
              std::uint32_t& lit, bool& anyLit) {
  const int x0 = (column - 1) * vorn::kGlyphWidth, y0 = (row - 1) * vorn::kGlyphHeight;
  const std::uint32_t background = shot.At(x0 + 7, y0 + 15);
  for (int gy = 0; gy < vorn::kGlyphHeight; ++gy) {
    bits[gy] = 0;
    for (int gx = 0; gx < vorn::kGlyphWidth; ++gx) {
      const std::uint32_t p = shot.At(x0 + gx, y0 + gy);
      if (p == background) continue;
      bits[gy] = static_cast<std::uint8_t>(bits[gy] | (0x80u >> gx));
      if (!anyLit) lit = p;
      anyLit = true;
    }
  }
}

char Match(const std::uint8_t bits[16]) {
  for (int code = 32; code <= 126; ++code)
    if (std::equal(bits, bits + 16, vorn::kPrintableGlyphs[code - 32]))
      return static_cast<char>(code);
  return '?';
}

int Usage() {
  std::fprintf(stderr,
               "usage: read_cells [--colour] SHOT.ppm CANVAS_WIDTH CANVAS_HEIGHT ROW COLUMN LENGTH\n");
  return 2;
}

// Reads a binary PPM with 8-bit channels, as window_shot and ImageMagick
// write it: "P6", width, height and 255, each followed by one blank.
bool ReadPpm(const char* path, Screenshot& shot) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  file >> magic >> shot.Width >> shot.Height >> maximum;
  if (!file || magic != "P6" || maximum != 255 || shot.Width <= 0 || shot.Height <= 0)
    return false;
  file.get();
  const std::size_t want =
      static_cast<std::size_t>(shot.Width) * static_cast<std::size_t>(shot.Height) * 3;
  shot.Rgb.resize(want);
  file.read(reinterpret_cast<char*>(shot.Rgb.data()), static_cast<std::streamsize>(want));
  return file && file.peek() == std::char_traits<char>::eof();
}

}  // namespace

int main(int argc, char** argv) {
  bool colour = false;
  int first = 1;
  if (argc > 1 && std::strcmp(argv[1], "--colour") == 0) {
    colour = true;
    first = 2;
  }
  if (argc - first != 6) return Usage();
  const int canvasWidth = std::atoi(argv[first + 1]), canvasHeight = std::atoi(argv[first + 2]);
  const int row = std::atoi(argv[first + 3]), column = std::atoi(argv[first + 4]);
  const int length = std::atoi(argv[first + 5]);
  if (canvasWidth <= 0 || canvasHeight <= 0 || row < 1 || column < 1 || length < 0) return Usage();

  Screenshot shot;
  if (!ReadPpm(argv[first], shot)) {
    std::fprintf(stderr, "read_cells: %s is no binary PPM of 8-bit channels\n", argv[first]);
    return 1;
  }
  shot.Fit(canvasWidth, canvasHeight);

  std::string text;
  std::uint32_t lit = 0;
  bool anyLit = false;
  for (int i = 0; i < length; ++i) {
    std::uint8_t bits[16];
    ReadCell(shot, row, column + i, bits, lit, anyLit);
    text += Match(bits);
  }
  if (!colour)
    std::printf("%s\n", text.c_str());
  else if (anyLit)
    std::printf("%u,%u,%u\n", lit >> 16, (lit >> 8) & 0xFFu, lit & 0xFFu);
  else
    std::printf("none\n");
  return 0;
}
