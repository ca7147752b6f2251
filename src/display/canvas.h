#pragma once
// The pixel canvas that every panel draws on, and its text console of
// 8 x 16 character cells. Colours come in as 0xRRGGBB and are stored in the
// canvas's own format: 5-6-5 in the 16-bit console mode, unchanged in the
// 32-bit mode of the help pages.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/host.h"

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
  // Which tiles of kTileWidth x kTileHeight pixels changed since the canvas
  // was last shown, row of tiles by row of tiles.
  std::vector<std::uint8_t> TileChanged;
  int TileColumns = 0;
  bool AnyChanged = false;
  bool NewScreen = false;  // opened anew since it was last shown
  int Generation = 0;      // counts OpenScreen calls
  // The changed regions handed to the host, kept to spare an allocation
  // per frame.
  std::vector<Region> ChangedRegions;
};

// The canvas keeps track of its changes in tiles this large: a text row
// high, and wide enough that a changed scope or trace is sent as a few
// rectangles rather than thousands.
inline constexpr int kTileWidth = 64;
inline constexpr int kTileHeight = 16;
inline constexpr int kTileWidthShift = 6;
inline constexpr int kTileHeightShift = 4;
static_assert(1 << kTileWidthShift == kTileWidth && 1 << kTileHeightShift == kTileHeight);

// Notes that pixel (x, y), on the canvas, changed.
inline void MarkChanged(CanvasState& canvas, int x, int y) {
  canvas.TileChanged[static_cast<std::size_t>((y >> kTileHeightShift) * canvas.TileColumns +
                                              (x >> kTileWidthShift))] = 1;
  canvas.AnyChanged = true;
}

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
  MarkChanged(canvas, x, y);
}

// The canvas and the rectangles that changed since the last call, for the
// host to show; clears the changes. The rectangles stay valid until the next
// call.
Frame TakeChangedFrame();

// A hash of the canvas as it stands (its size, depth and every pixel):
// 64-bit FNV-1a, so two runs that drew the same picture agree on it.
std::uint64_t CanvasHash();

// The pixel at (x, y) in the canvas's format, 0 off the canvas (for tests
// and the window).
std::uint32_t PixelAt(int x, int y);

}  // namespace vorn
