#include "display/canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "display/display_state.h"
#include "display/font.h"

namespace vorn {

namespace {

CanvasState& Canvas() {
  return Display.Canvas;
}

bool HasCanvas() {
  return Canvas().Width > 0;
}

// Notes that the pixels of a rectangle, both corners included, changed.
void MarkArea(int left, int top, int right, int bottom) {
  auto& c = Canvas();
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, c.Width - 1);
  bottom = std::min(bottom, c.Height - 1);
  if (left > right || top > bottom) return;
  const int firstColumn = left >> kTileWidthShift, lastColumn = right >> kTileWidthShift;
  for (int row = top >> kTileHeightShift; row <= bottom >> kTileHeightShift; ++row)
    std::memset(c.TileChanged.data() + row * c.TileColumns + firstColumn, 1,
                static_cast<std::size_t>(lastColumn - firstColumn + 1));
  c.AnyChanged = true;
}

// A horizontal run of pixels on one row, already inside the canvas.
void FillRun(int y, int left, int right, std::uint32_t pixel) {
  auto& c = Canvas();
  const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(c.Width);
  if (c.BitsPerPixel == 16) {
    std::fill(c.Pixels16.begin() + static_cast<std::ptrdiff_t>(row + left),
              c.Pixels16.begin() + static_cast<std::ptrdiff_t>(row + right + 1),
              static_cast<std::uint16_t>(pixel));
  } else {
    std::fill(c.Pixels32.begin() + static_cast<std::ptrdiff_t>(row + left),
              c.Pixels32.begin() + static_cast<std::ptrdiff_t>(row + right + 1), pixel);
  }
  MarkArea(left, y, right, y);
}

// A vertical run of pixels in one column, already inside the canvas. The
// scopes draw thousands of these a second; storing through a pointer and
// marking the rows once keeps the loop to one store per pixel.
void FillColumn(int x, int top, int bottom, std::uint32_t pixel) {
  auto& c = Canvas();
  const std::size_t width = static_cast<std::size_t>(c.Width);
  const std::size_t at = static_cast<std::size_t>(top) * width + static_cast<std::size_t>(x);
  const std::size_t rows = static_cast<std::size_t>(bottom - top + 1);
  if (c.BitsPerPixel == 16) {
    std::uint16_t* p = c.Pixels16.data() + at;
    const auto value = static_cast<std::uint16_t>(pixel);
    for (std::size_t i = 0; i < rows; ++i, p += width) *p = value;
  } else {
    std::uint32_t* p = c.Pixels32.data() + at;
    for (std::size_t i = 0; i < rows; ++i, p += width) *p = pixel;
  }
  MarkArea(x, top, x, bottom);
}

// A rectangle of whole pixels, clipped to the canvas.
void FillRect(int left, int top, int right, int bottom, std::uint32_t pixel) {
  auto& c = Canvas();
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, c.Width - 1);
  bottom = std::min(bottom, c.Height - 1);
  for (int y = top; y <= bottom && left <= right; ++y) FillRun(y, left, right, pixel);
}

// One glyph's 8 x 16 pixels, stored row by row straight into the pixels
// (the caller has checked that the cell lies on the canvas).
template <typename Pixel>
void StoreGlyph(Pixel* p, std::size_t width, const std::uint8_t* glyph, Pixel fg, Pixel bg) {
  for (int gy = 0; gy < kGlyphHeight; ++gy, p += width) {
    const unsigned bits = glyph[gy];
    for (int gx = 0; gx < kGlyphWidth; ++gx) p[gx] = (bits & (0x80u >> gx)) != 0 ? fg : bg;
  }
}

// Text is printed a cell at a time on every read-out of every panel, so a
// cell is stored as whole glyph rows and its rows are marked once.
void DrawCell(int row, int column, unsigned char code) {
  auto& c = Canvas();
  if (row < 0 || row >= c.TextRows || column < 0 || column >= c.TextColumns) return;
  const std::uint8_t* glyph = GlyphFor(code);
  const int x0 = column * kGlyphWidth;
  const int y0 = row * kGlyphHeight;
  const std::size_t width = static_cast<std::size_t>(c.Width);
  const std::size_t at = static_cast<std::size_t>(y0) * width + static_cast<std::size_t>(x0);
  if (c.BitsPerPixel == 16)
    StoreGlyph<std::uint16_t>(c.Pixels16.data() + at, width, glyph,
                              static_cast<std::uint16_t>(c.Foreground),
                              static_cast<std::uint16_t>(c.Background));
  else
    StoreGlyph<std::uint32_t>(c.Pixels32.data() + at, width, glyph, c.Foreground, c.Background);
  MarkArea(x0, y0, x0 + kGlyphWidth - 1, y0 + kGlyphHeight - 1);
}

// Moves the text area up by one row of cells; the new bottom row is cleared
// to the background colour.
void ScrollText() {
  auto& c = Canvas();
  const int textHeight = c.TextRows * kGlyphHeight;
  const std::size_t width = static_cast<std::size_t>(c.Width);
  const std::size_t moved = static_cast<std::size_t>(textHeight - kGlyphHeight) * width;
  if (c.BitsPerPixel == 16)
    std::memmove(c.Pixels16.data(), c.Pixels16.data() + kGlyphHeight * width,
                 moved * sizeof(std::uint16_t));
  else
    std::memmove(c.Pixels32.data(), c.Pixels32.data() + kGlyphHeight * width,
                 moved * sizeof(std::uint32_t));
  MarkArea(0, 0, c.Width - 1, textHeight - 1);
  FillRect(0, textHeight - kGlyphHeight, c.Width - 1, textHeight - 1, c.Background);
}

void LineFeed() {
  auto& c = Canvas();
  c.CursorColumn = 0;
  if (c.CursorRow + 1 > c.TextRows - 1) {
    ScrollText();
    c.CursorRow = c.TextRows - 1;
  } else {
    ++c.CursorRow;
  }
}

// Clips the segment to the canvas (Liang-Barsky on the whole-pixel end
// points). Returns false when nothing of it lies on the canvas.
bool ClipSegment(int& x1, int& y1, int& x2, int& y2) {
  const auto& c = Canvas();
  const auto inside = [&c](int x, int y) {
    return static_cast<unsigned>(x) < static_cast<unsigned>(c.Width) &&
           static_cast<unsigned>(y) < static_cast<unsigned>(c.Height);
  };
  if (inside(x1, y1) && inside(x2, y2)) return true;  // the common case: nothing to cut
  const double xmin = 0, ymin = 0, xmax = c.Width - 1, ymax = c.Height - 1;
  const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
    } else {
      const double t = q[i] / p[i];
      if (p[i] < 0.0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
    }
  }
  if (t0 > t1) return false;
  const double ax = x1, ay = y1;
  if (t0 > 0.0) {
    x1 = static_cast<int>(std::lround(ax + t0 * dx));
    y1 = static_cast<int>(std::lround(ay + t0 * dy));
  }
  if (t1 < 1.0) {
    x2 = static_cast<int>(std::lround(ax + t1 * dx));
    y2 = static_cast<int>(std::lround(ay + t1 * dy));
  }
  x1 = std::clamp(x1, 0, c.Width - 1);
  x2 = std::clamp(x2, 0, c.Width - 1);
  y1 = std::clamp(y1, 0, c.Height - 1);
  y2 = std::clamp(y2, 0, c.Height - 1);
  return true;
}

void DrawSolidLine(int x1, int y1, int x2, int y2, std::uint32_t pixel) {
  if (!ClipSegment(x1, y1, x2, y2)) return;
  auto& c = Canvas();
  if (y1 == y2) {
    FillRun(y1, std::min(x1, x2), std::max(x1, x2), pixel);
    return;
  }
  if (x1 == x2) {
    FillColumn(x1, std::min(y1, y2), std::max(y1, y2), pixel);
    return;
  }
  // Integer Bresenham, stepping along the major axis from the first point.
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int x = x1, y = y1;
  if (dx >= dy) {
    int error = 2 * dy - dx;
    for (int i = 0; i <= dx; ++i) {
      PutPixel(c, x, y, pixel);
      if (error > 0) {
        y += sy;
        error -= 2 * dx;
      }
      error += 2 * dy;
      x += sx;
    }
  } else {
    int error = 2 * dx - dy;
    for (int i = 0; i <= dy; ++i) {
      PutPixel(c, x, y, pixel);
      if (error > 0) {
        x += sx;
        error -= 2 * dy;
      }
      error += 2 * dx;
      y += sy;
    }
  }
}

}  // namespace

int PixelCoordinate(float v) {
  // Far off the canvas is far enough: keep the conversion defined.
  constexpr float kFar = 1.0e8f;
  if (!(v == v)) return -1000000000;  // NaN
  if (v > kFar) v = kFar;
  if (v < -kFar) v = -kFar;
  return v > 0.0f ? static_cast<int>(v + 0.5f) : static_cast<int>(v - 0.5f);
}

std::uint32_t ConvertColour(int colour) {
  if (Canvas().BitsPerPixel == 16) return ToRgb565(colour);
  return static_cast<std::uint32_t>(colour) & 0xFFFFFFu;
}

void OpenScreen(int mode, int bitsPerPixel) {
  auto& c = Canvas();
  const int generation = c.Generation + 1;
  c = CanvasState{};
  c.Generation = generation;
  if (mode == kHelpMode) {
    c.Width = 800;
    c.Height = 600;
  } else {
    c.Width = 1280;
    c.Height = 1024;
  }
  c.BitsPerPixel = bitsPerPixel == 16 ? 16 : 32;
  const std::size_t pixels = static_cast<std::size_t>(c.Width) * static_cast<std::size_t>(c.Height);
  if (c.BitsPerPixel == 16)
    c.Pixels16.assign(pixels, 0);
  else
    c.Pixels32.assign(pixels, 0);
  c.TextColumns = c.Width / kGlyphWidth;
  c.TextRows = c.Height / kGlyphHeight;
  c.Foreground = c.BitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFu;
  c.Background = 0;
  c.TileColumns = (c.Width + kTileWidth - 1) / kTileWidth;
  const int tileRows = (c.Height + kTileHeight - 1) / kTileHeight;
  c.TileChanged.assign(static_cast<std::size_t>(c.TileColumns * tileRows), 1);
  c.AnyChanged = true;
  c.NewScreen = true;
  c.ChangedRegions.reserve(static_cast<std::size_t>(c.TileColumns * tileRows));
}

Frame TakeChangedFrame() {
  auto& c = Canvas();
  Frame frame;
  frame.Width = c.Width;
  frame.Height = c.Height;
  frame.BitsPerPixel = c.BitsPerPixel;
  frame.Pixels = c.BitsPerPixel == 16 ? static_cast<const void*>(c.Pixels16.data())
                                      : static_cast<const void*>(c.Pixels32.data());
  frame.NewScreen = c.NewScreen;
  auto& regions = c.ChangedRegions;
  regions.clear();
  if (c.NewScreen) {
    regions.push_back(Region{0, 0, c.Width, c.Height});
  } else if (c.AnyChanged) {
    // Runs of changed tiles along each row of tiles; a run that lines up
    // with one in the row above extends that rectangle downwards.
    const int tileRows = static_cast<int>(c.TileChanged.size()) / std::max(c.TileColumns, 1);
    std::array<std::size_t, 64> above{}, here{};
    std::size_t aboveCount = 0;
    for (int row = 0; row < tileRows; ++row) {
      std::size_t hereCount = 0;
      const std::uint8_t* marks = c.TileChanged.data() + row * c.TileColumns;
      for (int column = 0; column < c.TileColumns;) {
        if (marks[column] == 0) {
          ++column;
          continue;
        }
        const int first = column;
        while (column < c.TileColumns && marks[column] != 0) ++column;
        const int x = first * kTileWidth, y = row * kTileHeight;
        const Region run{x, y, std::min(column * kTileWidth, c.Width) - x,
                         std::min(kTileHeight, c.Height - y)};
        std::size_t at = regions.size();
        for (std::size_t i = 0; i < aboveCount; ++i) {
          Region& r = regions[above[i]];
          if (r.X == run.X && r.Width == run.Width) {
            r.Height += run.Height;
            at = above[i];
            break;
          }
        }
        if (at == regions.size()) regions.push_back(run);
        if (hereCount < here.size()) here[hereCount++] = at;
      }
      above = here;
      aboveCount = hereCount;
    }
  }
  std::fill(c.TileChanged.begin(), c.TileChanged.end(), std::uint8_t{0});
  c.AnyChanged = false;
  c.NewScreen = false;
  frame.Changed = regions;
  return frame;
}

std::uint64_t CanvasHash() {
  const auto& c = Canvas();
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a offset basis
  const auto add = [&hash](const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      hash ^= bytes[i];
      hash *= 1099511628211ull;  // FNV prime
    }
  };
  for (const std::int32_t v : {c.Width, c.Height, c.BitsPerPixel}) {
    const unsigned char le[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                 static_cast<unsigned char>(v >> 16),
                                 static_cast<unsigned char>(v >> 24)};
    add(le, 4);
  }
  // Pixels byte by byte, low byte first, as they lie in memory on the
  // little-endian machines the console runs on.
  if (c.BitsPerPixel == 16)
    add(c.Pixels16.data(), c.Pixels16.size() * sizeof(std::uint16_t));
  else
    add(c.Pixels32.data(), c.Pixels32.size() * sizeof(std::uint32_t));
  return hash;
}

void SetTextPosition(int row, int column) {
  auto& c = Canvas();
  if (row > 0) c.CursorRow = row - 1;
  if (column > 0) c.CursorColumn = column - 1;
}

void SetColors(int foreground, int background) {
  if (!HasCanvas()) return;
  auto& c = Canvas();
  if (foreground >= 0) c.Foreground = ConvertColour(foreground);
  if (background >= 0) c.Background = ConvertColour(background);
}

void PrintNewLine() {
  if (!HasCanvas()) return;
  LineFeed();
}

void PrintText(std::string_view text, bool newLine) {
  if (!HasCanvas()) return;
  auto& c = Canvas();
  for (const char ch : text) {
    if (ch == '\n') {
      LineFeed();
      continue;
    }
    if (c.CursorColumn >= c.TextColumns) LineFeed();
    DrawCell(c.CursorRow, c.CursorColumn, static_cast<unsigned char>(ch));
    ++c.CursorColumn;
  }
  if (newLine) LineFeed();
}

void PlotPixel(float x, float y, int colour) {
  if (!HasCanvas()) return;
  PutPixel(Canvas(), PixelCoordinate(x), PixelCoordinate(y), ConvertColour(colour));
}

void DrawLine(float x1, float y1, float x2, float y2, int colour, LineKind kind) {
  if (!HasCanvas()) return;
  // A corner that is no number has no place on the canvas: nothing to draw.
  if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
  const std::uint32_t pixel = ConvertColour(colour);
  int ax = PixelCoordinate(x1), ay = PixelCoordinate(y1);
  int bx = PixelCoordinate(x2), by = PixelCoordinate(y2);
  switch (kind) {
    case LineKind::Line:
      DrawSolidLine(ax, ay, bx, by, pixel);
      break;
    case LineKind::Box:
      if (ax > bx) std::swap(ax, bx);
      if (ay > by) std::swap(ay, by);
      DrawSolidLine(ax, ay, bx, ay, pixel);
      DrawSolidLine(ax, by, bx, by, pixel);
      DrawSolidLine(ax, ay, ax, by, pixel);
      DrawSolidLine(bx, ay, bx, by, pixel);
      break;
    case LineKind::FilledBox:
      if (ax > bx) std::swap(ax, bx);
      if (ay > by) std::swap(ay, by);
      FillRect(ax, ay, bx, by, pixel);
      break;
  }
}

void FillEllipse(float centreX, float centreY, float radius, int colour, float aspect) {
  if (!HasCanvas()) return;
  auto& c = Canvas();
  if (!(radius > 0.0f) || !std::isfinite(radius)) return;
  if (aspect == 0.0f)
    aspect = static_cast<float>(c.Height) / static_cast<float>(c.Width) * 4.0f / 3.0f;
  if (!(aspect > 0.0f) || !std::isfinite(aspect)) return;
  double rx = radius, ry = radius;
  if (aspect > 1.0f)
    rx = static_cast<double>(radius) / aspect;
  else
    ry = static_cast<double>(radius) * aspect;
  ry = std::min(ry, 4096.0);
  const int cx = PixelCoordinate(centreX), cy = PixelCoordinate(centreY);
  const std::uint32_t pixel = ConvertColour(colour);
  const int rows = static_cast<int>(ry);
  // Horizontal spans, one per pixel row, from the centre row outwards.
  for (int dy = 0; dy <= rows; ++dy) {
    const double f = 1.0 - (static_cast<double>(dy) * dy) / (ry * ry);
    const double halfWidth = std::min(rx * std::sqrt(std::max(f, 0.0)), 1.0e6);
    const int left = PixelCoordinate(static_cast<float>(cx - halfWidth));
    const int right = PixelCoordinate(static_cast<float>(cx + halfWidth));
    for (const int y : {cy - dy, cy + dy}) {
      if (y < 0 || y >= c.Height) continue;
      const int l = std::max(left, 0), r = std::min(right, c.Width - 1);
      if (l <= r) FillRun(y, l, r, pixel);
      if (dy == 0) break;
    }
  }
}

std::uint32_t PixelAt(int x, int y) {
  const auto& c = Canvas();
  if (x < 0 || y < 0 || x >= c.Width || y >= c.Height) return 0;
  const std::size_t at =
      static_cast<std::size_t>(y) * static_cast<std::size_t>(c.Width) + static_cast<std::size_t>(x);
  return c.BitsPerPixel == 16 ? c.Pixels16[at] : c.Pixels32[at];
}

}  // namespace vorn
