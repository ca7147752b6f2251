#pragma once
// The display layer's slice of the console record: the canvas and its
// pictures, the input devices, the random numbers, the simulated clock and
// the input snapshot that every panel reads. The whole record is assembled
// above; code down here reaches its slice through `Display`.

#include <string>

#include "display/canvas.h"
#include "display/picture.h"
#include "display/services.h"

namespace vorn {

// The model advances in ticks of this many seconds of simulated time.
inline constexpr double kTickPeriod = 0.1;

struct DisplayState {
  CanvasState Canvas;
  PictureState Picture;
  KeyRing Keys;
  PointerState Mouse;
  RandomGenerator Random;

  // Simulated seconds: the clock less the time spent paused, sampled once
  // per pass of the main loop.
  double Now = 0.0;

  // The input snapshot of the last tick: the key read (lower-cased, empty
  // when none) and the mouse in canvas pixels (-1 off the canvas). The auto
  // crew writes the mouse itself to work the controls.
  std::string KeyPressed;
  int MouseX = -1;
  int MouseY = -1;
  int MouseButtons = -1;  // 1 left, 2 right, 4 middle
  int MouseWheel = 0;     // read with the snapshot, never used

  // When the message lines may next be blanked.
  double MessageClearTime = 0.0;
};

// The record as the display layer sees it.
extern DisplayState& Display;

}  // namespace vorn
