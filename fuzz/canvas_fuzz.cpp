// Fuzzes the canvas primitives: a sequence of operations read from the input
// with any coordinates (NaN, infinities, huge values, halves), any text
// bytes, any cursor position and any colours, in both screen modes. After
// each operation the canvas must still be whole, every pixel that changed
// must lie on a row marked as changed (the window shows only those), and
// what was drawn must be where it was asked for.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/console_state.h"
#include "display/canvas.h"
#include "fuzz_support.h"

namespace {

using vorn::fuzz::Check;

constexpr int kMaxOperations = 48;

// The canvas as the window last showed it.
struct Shown {
  int Generation = -1;
  std::vector<std::uint16_t> Pixels16;
  std::vector<std::uint32_t> Pixels32;
};

struct Box {
  int Left = 1 << 30, Top = 1 << 30, Right = -(1 << 30), Bottom = -(1 << 30);
  bool Empty() const { return Left > Right; }
};

bool InAnyRegion(const std::vector<vorn::Region>& regions, int x, int y) {
  for (const vorn::Region& r : regions)
    if (x >= r.X && x < r.X + r.Width && y >= r.Y && y < r.Y + r.Height) return true;
  return false;
}

// Compares the rows of one pixel format with what was shown: a changed pixel
// outside the rectangles handed over is a fault, since the window would never
// show it. Takes in the changes, as the window does, and widens `changed` to
// them.
template <typename Pixel>
void CompareRows(const std::vector<Pixel>& now, std::vector<Pixel>& shown,
                 const std::vector<vorn::Region>& regions, Box& changed) {
  const auto& c = vorn::State.Canvas;
  const std::size_t width = static_cast<std::size_t>(c.Width);
  for (int y = 0; y < c.Height; ++y) {
    const std::size_t at = static_cast<std::size_t>(y) * width;
    const Pixel* row = now.data() + at;
    Pixel* seen = shown.data() + at;
    if (std::memcmp(row, seen, width * sizeof(Pixel)) == 0) continue;
    for (int x = 0; x < c.Width; ++x) {
      if (row[x] == seen[x]) continue;
      Check(InAnyRegion(regions, x, y), "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                            ") changed outside the rectangles handed over");
      changed.Left = std::min(changed.Left, x);
      changed.Right = std::max(changed.Right, x);
      changed.Top = std::min(changed.Top, y);
      changed.Bottom = std::max(changed.Bottom, y);
    }
    std::memcpy(seen, row, width * sizeof(Pixel));
  }
}

// Checks that the canvas is whole and its changes handed over as rectangles
// inside it that do not overlap, then returns the bounding box of the pixels
// that changed since the last call.
Box TakeChanges(Shown& shown) {
  auto& c = vorn::State.Canvas;
  Box changed;
  if (c.Width == 0) return changed;
  const std::size_t pixels = static_cast<std::size_t>(c.Width) * static_cast<std::size_t>(c.Height);
  Check(c.BitsPerPixel == 16 ? c.Pixels16.size() == pixels : c.Pixels32.size() == pixels,
        "pixel array of the wrong size");
  Check(c.TextColumns == c.Width / 8 && c.TextRows == c.Height / 16, "text grid");
  const bool newCanvas = shown.Generation != c.Generation;
  const vorn::Frame frame = vorn::TakeChangedFrame();
  const std::vector<vorn::Region> regions(frame.Changed.begin(), frame.Changed.end());
  Check(frame.Width == c.Width && frame.Height == c.Height, "frame of the wrong size");
  Check(!c.AnyChanged, "changes left after the frame was taken");
  for (std::size_t a = 0; a < regions.size(); ++a) {
    const vorn::Region& r = regions[a];
    Check(r.Width > 0 && r.Height > 0 && r.X >= 0 && r.Y >= 0 && r.X + r.Width <= c.Width &&
              r.Y + r.Height <= c.Height,
          "a rectangle handed over lies off the canvas");
    for (std::size_t b = a + 1; b < regions.size(); ++b) {
      const vorn::Region& o = regions[b];
      Check(r.X + r.Width <= o.X || o.X + o.Width <= r.X || r.Y + r.Height <= o.Y ||
                o.Y + o.Height <= r.Y,
            "rectangles handed over overlap");
    }
  }
  if (newCanvas) {
    shown.Generation = c.Generation;
    // Cleared with memset: a fill loop under the sanitizers would cost more
    // than the operations under test.
    if (c.BitsPerPixel == 16) {
      shown.Pixels16.resize(pixels);
      std::memset(shown.Pixels16.data(), 0, pixels * sizeof(std::uint16_t));
    } else {
      shown.Pixels32.resize(pixels);
      std::memset(shown.Pixels32.data(), 0, pixels * sizeof(std::uint32_t));
    }
    Check(frame.NewScreen && regions.size() == 1 && regions[0].Width == c.Width &&
              regions[0].Height == c.Height,
          "a new canvas is not handed over whole");
  }
  if (c.BitsPerPixel == 16)
    CompareRows(c.Pixels16, shown.Pixels16, regions, changed);
  else
    CompareRows(c.Pixels32, shown.Pixels32, regions, changed);
  return changed;
}

// Whether every pixel of the rectangle (clipped to the canvas) holds `pixel`.
template <typename Pixel>
bool Filled(const std::vector<Pixel>& pixels, int left, int top, int right, int bottom,
            std::uint32_t pixel) {
  const auto& c = vorn::State.Canvas;
  for (int y = std::max(top, 0); y <= std::min(bottom, c.Height - 1); ++y) {
    const Pixel* row =
        pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(c.Width);
    for (int x = std::max(left, 0); x <= std::min(right, c.Width - 1); ++x)
      if (row[x] != static_cast<Pixel>(pixel)) return false;
  }
  return true;
}

// Half a pixel, and what single-precision arithmetic adds to it.
double Slack(double v) {
  return 0.5 + 1e-3 + std::fabs(v) * 1.2e-7;
}

bool Finite(float v) {
  return std::isfinite(v);
}

// Where a coordinate lands: within half a pixel of it.
bool Near(int pixel, float v) {
  return std::fabs(static_cast<double>(pixel) - v) <= Slack(v);
}

// The whole pixel a finite coordinate rounds to, halves away from zero, when
// it is a plain canvas-sized number.
bool OnCanvasPixel(float v, int limit, int& pixel) {
  if (!Finite(v) || std::fabs(v) > 1.0e6f) return false;
  const double r =
      v > 0.0f ? std::floor(static_cast<double>(v) + 0.5) : std::ceil(static_cast<double>(v) - 0.5);
  // Float addition of 0.5 may round up just below a half: either neighbour
  // of the exact rounding is fine, so only exact cases are checked.
  if (std::fabs(std::fabs(static_cast<double>(v) - std::trunc(v)) - 0.5) < 1e-3) return false;
  pixel = static_cast<int>(r);
  return pixel >= 0 && pixel < limit;
}

bool Within(const Box& b, double left, double top, double right, double bottom) {
  return b.Empty() || (b.Left >= left && b.Right <= right && b.Top >= top && b.Bottom <= bottom);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  fuzz::Input in(data, size);
  State.Canvas = CanvasState{};  // no screen open yet
  static Shown shown;            // kept, so that its pixel buffers are allocated once
  shown.Generation = -1;
  const auto& c = State.Canvas;
  for (int op = 0; op < kMaxOperations && !in.Empty(); ++op) {
    const std::uint8_t code = in.Byte();
    const bool open = c.Width > 0;
    switch (code % 9) {
      case 0: {
        const int mode = (code & 0x10) != 0 ? kHelpMode : kConsoleMode;
        OpenScreen(mode, (code & 0x20) != 0 ? 32 : 16);
        break;
      }
      case 1: {
        const int row = in.Int(), column = in.Int();
        const int oldRow = c.CursorRow, oldColumn = c.CursorColumn;
        SetTextPosition(row, column);
        Check(c.CursorRow == (row > 0 ? row - 1 : oldRow) &&
                  c.CursorColumn == (column > 0 ? column - 1 : oldColumn),
              "SetTextPosition moved the cursor elsewhere");
        break;
      }
      case 2: {
        const int foreground = in.Int(), background = in.Int();
        const std::uint32_t oldForeground = c.Foreground, oldBackground = c.Background;
        SetColors(foreground, background);
        if (open) {
          Check(c.Foreground == (foreground >= 0 ? ConvertColour(foreground) : oldForeground),
                "foreground");
          Check(c.Background == (background >= 0 ? ConvertColour(background) : oldBackground),
                "background");
        }
        break;
      }
      case 3: {
        const std::string text = in.Text(200);
        const bool newLine = (code & 0x10) != 0;
        const int row = c.CursorRow, column = c.CursorColumn;
        PrintText(text, newLine);
        if (!open || text.empty()) break;
        // A short text without line feeds that fits the row it starts on
        // stands in its cells, and the cursor follows it.
        const bool plain = text.find('\n') == std::string::npos;
        // (The cursor may stand far past the row's end, so the sum is taken wide.)
        if (plain && row < c.TextRows &&
            static_cast<long long>(column) + static_cast<long long>(text.size()) <= c.TextColumns) {
          // A line break on the last row has scrolled the text up by a row.
          const int shownRow = newLine && row == c.TextRows - 1 ? row - 1 : row;
          for (std::size_t i = 0; i < text.size(); ++i)
            Check(fuzz::CellShows(shownRow + 1, column + static_cast<int>(i) + 1,
                                  static_cast<unsigned char>(text[i])),
                  "text cell does not show its character");
          if (!newLine)
            Check(c.CursorRow == row && c.CursorColumn == column + static_cast<int>(text.size()),
                  "cursor after text");
        }
        if (newLine) Check(c.CursorColumn == 0, "new line leaves the cursor off column 1");
        Check(c.CursorColumn <= c.TextColumns, "cursor beyond the row's end");
        break;
      }
      case 4: {
        const int row = c.CursorRow;
        PrintNewLine();
        if (open)
          Check(c.CursorColumn == 0 && c.CursorRow == std::min(row + 1, c.TextRows - 1),
                "PrintNewLine");
        break;
      }
      case 5: {
        const float x = in.Coordinate(), y = in.Coordinate();
        const int colour = in.Int();
        PlotPixel(x, y, colour);
        const Box changed = TakeChanges(shown);
        Check(changed.Empty() || (changed.Left == changed.Right && changed.Top == changed.Bottom &&
                                  Near(changed.Left, x) && Near(changed.Top, y)),
              "PlotPixel set another pixel");
        int px = 0, py = 0;
        if (open && OnCanvasPixel(x, c.Width, px) && OnCanvasPixel(y, c.Height, py))
          Check(PixelAt(px, py) == ConvertColour(colour), "PlotPixel missed its pixel");
        break;
      }
      case 6: {
        const float x1 = in.Coordinate(), y1 = in.Coordinate();
        const float x2 = in.Coordinate(), y2 = in.Coordinate();
        const int colour = in.Int();
        const auto kind = static_cast<LineKind>(in.Byte() % 3);
        DrawLine(x1, y1, x2, y2, colour, kind);
        const Box changed = TakeChanges(shown);
        if (!open) break;
        if (Finite(x1) && Finite(y1) && Finite(x2) && Finite(y2))
          Check(Within(changed, std::min(x1, x2) - Slack(x1), std::min(y1, y2) - Slack(y1),
                       std::max(x1, x2) + Slack(x2), std::max(y1, y2) + Slack(y2)),
                "DrawLine drew outside its corners");
        // The corners (both ends of a line) are drawn whenever they lie on
        // the canvas; a NaN anywhere draws nothing at all.
        const bool anyNan = std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2);
        if (anyNan) {
          Check(changed.Empty(), "DrawLine drew with a NaN corner");
          break;
        }
        int ax = 0, ay = 0, bx = 0, by = 0;
        const std::uint32_t pixel = ConvertColour(colour);
        const bool a = OnCanvasPixel(x1, c.Width, ax) && OnCanvasPixel(y1, c.Height, ay);
        const bool b = OnCanvasPixel(x2, c.Width, bx) && OnCanvasPixel(y2, c.Height, by);
        if (a) Check(PixelAt(ax, ay) == pixel, "DrawLine missed its first corner");
        if (b) Check(PixelAt(bx, by) == pixel, "DrawLine missed its second corner");
        if (a && b && kind != LineKind::Line) {
          Check(PixelAt(ax, by) == pixel && PixelAt(bx, ay) == pixel, "box corners");
          if (kind == LineKind::FilledBox) {
            const int l = std::min(ax, bx), t = std::min(ay, by);
            const int r = std::max(ax, bx), b2 = std::max(ay, by);
            Check(c.BitsPerPixel == 16 ? Filled(c.Pixels16, l, t, r, b2, pixel)
                                       : Filled(c.Pixels32, l, t, r, b2, pixel),
                  "a hole in a filled box");
          }
        }
        break;
      }
      case 7: {
        const float x = in.Coordinate(), y = in.Coordinate();
        const float radius = in.Coordinate();
        const int colour = in.Int();
        const float aspect = (code & 0x10) != 0 ? 0.0f : in.Coordinate();
        FillEllipse(x, y, radius, colour, aspect);
        const Box changed = TakeChanges(shown);
        if (!open) break;
        const bool drawable = Finite(radius) && radius > 0.0f && Finite(aspect) && aspect >= 0.0f;
        if (!drawable) {
          Check(changed.Empty(), "FillEllipse drew with a radius or aspect it cannot use");
          break;
        }
        const double a =
            aspect == 0.0f ? static_cast<double>(c.Height) / c.Width * 4.0 / 3.0 : aspect;
        const double rx = a > 1.0 ? radius / a : radius, ry = a > 1.0 ? radius : radius * a;
        if (Finite(x) && Finite(y))
          Check(Within(changed, x - rx - Slack(x) - 1.0, y - ry - Slack(y) - 1.0,
                       x + rx + Slack(x) + 1.0, y + ry + Slack(y) + 1.0),
                "FillEllipse drew outside its radii");
        int px = 0, py = 0;
        if (OnCanvasPixel(x, c.Width, px) && OnCanvasPixel(y, c.Height, py))
          Check(PixelAt(px, py) == ConvertColour(colour), "FillEllipse missed its centre");
        break;
      }
      case 8: {
        const int x = in.Int() % 4096, y = in.Int() % 4096;
        const int colour = in.Int();
        PutPixel(State.Canvas, x, y, ConvertColour(colour));
        const Box changed = TakeChanges(shown);
        Check(changed.Empty() || (changed.Left == x && changed.Top == y && changed.Right == x &&
                                  changed.Bottom == y),
              "PutPixel set another pixel");
        break;
      }
    }
    if (c.Width > 0) TakeChanges(shown);
  }
  return 0;
}
