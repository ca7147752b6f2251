#pragma once
// Clock, keyboard, mouse and random numbers: the console's only inputs.

#include <array>
#include <cstdint>
#include <string>

namespace vorn {

// Key codes above 255 stand for keys that have no character.
inline constexpr int kKeyCloseRequest = 256;  // the window's close button
inline constexpr int kKeyUp = 257;
inline constexpr int kKeyDown = 258;
inline constexpr int kKeyLeft = 259;
inline constexpr int kKeyRight = 260;
inline constexpr int kKeyInsert = 261;
inline constexpr int kKeyDelete = 262;
inline constexpr int kKeyHome = 263;
inline constexpr int kKeyEnd = 264;
inline constexpr int kKeyPageUp = 265;
inline constexpr int kKeyPageDown = 266;
inline constexpr int kKeyF1 = 267;  // F1 to F10 are 267 to 276
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyEnter = 13;

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

// The mouse as the window keeps it.
struct MouseDevice {
  int PointerX = 0;  // canvas pixels; may lie off the canvas
  int PointerY = 0;
  int Buttons = 0;  // 1 left, 2 right, 4 middle
  // Buttons pressed since the console last read the mouse: a click quicker
  // than the 0.1 s between two reads is still seen once.
  int PressedSinceRead = 0;
  int Wheel = 0;  // +1 per notch forward, -1 per notch back
  bool WindowActive = true;
  bool FullScreen = false;
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

double ReadClock();
void SleepMs(int ms);
std::string ReadKey();
bool KeyWaiting();
MouseReading ReadMouse();
double NextRandom(int n);

// Window side: queue a key code, dropping the oldest key when the ring is full.
void QueueKey(int code);
// Window side: the buttons now held down.
void SetMouseButtons(int buttons);

// Lower-cases A to Z only, as the console compares keys.
std::string LowerCaseKey(std::string key);

}  // namespace vorn
