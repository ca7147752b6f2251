#pragma once
// Where the canvas is shown in the page's screen area, and how a position in
// that area maps back to canvas pixels. All sizes are device pixels, so that
// an integer scale stays crisp on a high-density display. Pure, so it is
// tested without a browser.

namespace vorn::web {

struct Placement {
  int X = 0;  // the picture's top left corner in the area
  int Y = 0;
  int Width = 0;  // the picture's size in the area
  int Height = 0;
};

// The canvas of cw x ch pixels shown in an area of w x h, centred, with its
// shape kept: enlarged by the largest whole factor that fits, so that every
// canvas pixel is the same square and letters keep even strokes, or, when
// the area is smaller than the canvas, scaled down to fit.
Placement PlaceCanvas(int w, int h, int cw, int ch);

struct CanvasPoint {
  int X = -1;
  int Y = -1;
};

// The canvas pixel under the area position (x, y). Off the picture is off
// the canvas (-1, or the canvas size); with `clamp` (full screen, where the
// bars are part of the screen) it is the nearest edge pixel instead.
CanvasPoint ToCanvas(const Placement& shown, int cw, int ch, double x, double y, bool clamp);

}  // namespace vorn::web
