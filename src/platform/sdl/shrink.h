#pragma once
// Shows the canvas smaller than it is, for desktops too small for it. Each
// pixel of the smaller picture is the mean of the canvas pixels that fall in
// its footprint, so one-pixel lines and the strokes of the text dim rather
// than drop out, as they would if whole rows and columns were skipped.

#include <cstdint>

#include "platform/host.h"

namespace vorn {

// A picture of 32-bit 0x00RRGGBB pixels, `Pitch` pixels from row to row.
struct ShrunkPicture {
  std::uint32_t* Pixels = nullptr;
  int Pitch = 0;
  int Width = 0;
  int Height = 0;
};

// The picture rows [first, end) whose footprints hold canvas rows [y0, y1)
// of a canvas `canvasHeight` rows high shown `pictureHeight` rows high.
struct RowSpan {
  int First = 0;
  int End = 0;
};
RowSpan ShrunkRows(int canvasHeight, int pictureHeight, int y0, int y1);

// Computes picture rows [first, end) from the canvas. The picture must be no
// larger than the canvas in either direction.
void ShrinkCanvasRows(const Frame& canvas, const ShrunkPicture& picture, RowSpan rows);

}  // namespace vorn
