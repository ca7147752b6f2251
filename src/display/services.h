#pragma once
// Clock, keyboard, mouse and random numbers: the console's only inputs. The
// clock and the waits go through the host the console runs on; keys and the
// mouse arrive from it through the console's input sink.

#include <array>
#include <cstdint>
#include <string>

#include "platform/host.h"

namespace vorn {

// The second character ReadKey gives for the close request; no key's scan
// code is this.
inline constexpr char kCloseRequestScanCode = 'X';

// A ring of 16 slots holding at most 15 unread keys; when full, the oldest
// key gives way to the newest.
struct KeyRing {
  std::array<int, 16> Slots{};
  int ReadIndex = 0;
  int WriteIndex = 0;
};

// The mouse as the host has reported it.
struct PointerState {
  int PointerX = 0;  // canvas pixels; may lie off the canvas
  int PointerY = 0;
  int Buttons = 0;  // 1 left, 2 right, 4 middle
  // Buttons pressed since the console last read the mouse, and where the
  // first of them was pressed: a click quicker than the 0.1 s between two
  // reads is still seen once, where it was made.
  int PressedSinceRead = 0;
  int PressX = 0;
  int PressY = 0;
  int Wheel = 0;  // +1 per notch forward, -1 per notch back
  bool WindowActive = true;
};

// The console's random numbers: a linear congruential generator whose 15
// high bits give a number in [0, 1).
struct RandomGenerator {
  std::uint32_t Seed = 1;
  double LastRandom = 0.0;

  // The next number. Inline, for the sweep draws one per painted cell.
  double Next() {
    Seed = Seed * 214013u + 2531011u;
    LastRandom = static_cast<double>((Seed >> 16) & 0x7FFFu) / 32768.0;
    return LastRandom;
  }
};

struct MouseReading {
  int X = -1;
  int Y = -1;
  int Wheel = -1;
  int Buttons = -1;
};

// The host the console runs on, until detached with nullptr. Without one
// the clock stands still, waits return at once and nothing is shown.
void AttachHost(Host* host);
// True once the host has nothing more to give: the console should end.
bool HostFinished();
// Where the host hands its input.
InputSink& ConsoleInput();

double ReadClock();
void SleepMs(int ms);
// Waits in the host until its clock has passed the reading `clock`.
void WaitForClock(double clock);
// Takes the input the host has waiting, without waiting.
void TakePendingInput();
std::string ReadKey();
bool KeyWaiting();
MouseReading ReadMouse();
double NextRandom(int n);

// Reads the mouse into the input snapshot (MouseX, MouseY, MouseButtons,
// MouseWheel).
void TakeMouseSnapshot();
// Puts a pointer position and buttons into the snapshot, as the auto crew
// does to work a control.
void SetMouseSnapshot(int x, int y, int buttons);

// Hands the canvas and its changed regions to the host to be shown. The
// loop does so at every frame; a wait that holds the console does so before
// each nap, so that what it drew is seen.
void ShowCanvas();

// Queues a key code, dropping the oldest key when the ring is full.
void QueueKey(int code);

// Lower-cases A to Z only, as the console compares keys.
std::string LowerCaseKey(std::string key);

}  // namespace vorn
