#pragma once
// The pixel canvas that every panel draws on, and its text console of
// 8 x 16 character cells. Colours come in as 0xRRGGBB and are stored in the
// canvas's own format: 5-6-5 in the 16-bit console mode, unchanged in the
// 32-bit mode of the help pages.

#include <cstdint>
#include <string_view>
#include <vector>

namespace vorn {

inline constexpr int kConsoleMode = 21;  // 1280 x 1024
inline constexpr int kHelpMode = 19;     // 800 x 600

enum class LineKind { Line, Box, FilledBox };

struct CanvasState {
  int Width = 0;  // 0 until the first OpenScreen: every operation then does nothing
  int Height = 0;
  int BitsPerPixel = 0;
  std::vector<std::uint16_t> Pixels16;  // the 16-bit mode's pixels, row by row
  std::vector<std::uint32_t> Pixels32;  // the 32-bit mode's pixels, row by row
  int TextColumns = 0;
  int TextRows = 0;
  int CursorColumn = 0;  // 0-based inside; callers address cells 1-based
  int CursorRow = 0;
  std::uint32_t Foreground = 0;  // already in the canvas's pixel format
  std::uint32_t Background = 0;
  // Which pixel rows changed since the window last showed them.
  std::vector<std::uint8_t> RowChanged;
  bool AnyRowChanged = false;
  int Generation = 0;  // counts OpenScreen calls, so the window notices a new canvas
};

void OpenScreen(int mode, int bitsPerPixel);
void SetTextPosition(int row, int column);
void SetColors(int foreground, int background);
void PrintText(std::string_view text, bool newLine);
void PrintNewLine();
void PlotPixel(float x, float y, int colour);
void DrawLine(float x1, float y1, float x2, float y2, int colour, LineKind kind);
void FillEllipse(float centreX, float centreY, float radius, int colour, float aspect);

// A 0xRRGGBB colour in the current canvas's pixel format.
std::uint32_t ConvertColour(int colour);
// 0xRRGGBB reduced to 5-6-5 by truncating each channel.
constexpr std::uint16_t ToRgb565(int colour) {
  const auto c = static_cast<std::uint32_t>(colour);
  return static_cast<std::uint16_t>(((c & 0xFFu) >> 3) | (((c >> 8) & 0xFFu) >> 2) << 5 |
                                    (((c >> 16) & 0xFFu) >> 3) << 11);
}
// A canvas coordinate to a whole pixel: halves away from zero. Values far off
// the canvas (and NaN) land far off the canvas instead of overflowing.
int PixelCoordinate(float v);

// Sets a pixel given in whole canvas pixels to a colour already in the
// canvas's format: what PlotPixel does once the coordinates are rounded and
// the colour converted. The scopes' hot paths call it directly.
inline void PutPixel(CanvasState& canvas, int x, int y, std::uint32_t pixel) {
  if (static_cast<unsigned>(x) >= static_cast<unsigned>(canvas.Width) ||
      static_cast<unsigned>(y) >= static_cast<unsigned>(canvas.Height))
    return;
  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.Width) +
                         static_cast<std::size_t>(x);
  if (canvas.BitsPerPixel == 16)
    canvas.Pixels16[at] = static_cast<std::uint16_t>(pixel);
  else
    canvas.Pixels32[at] = pixel;
  canvas.RowChanged[static_cast<std::size_t>(y)] = 1;
  canvas.AnyRowChanged = true;
}

// The pixel at (x, y) in the canvas's format, 0 off the canvas (for tests
// and the window).
std::uint32_t PixelAt(int x, int y);

}  // namespace vorn
