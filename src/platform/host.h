#pragma once
// The one door between the console and the machine it runs on, both ways.
// The console asks its host for the clock, for a wait, and to show the parts
// of its canvas that changed; the host hands the console its input through
// an InputSink while it waits. A host never reads or writes the console's
// state, and the console never includes a host's header: the SDL window, the
// headless test host, the browser page and the journal's recorder and
// replayer all stand behind this door alike.

#include <cstdint>
#include <span>

namespace vorn {

// Key codes a host hands in: 1 to 255 are characters as the keyboard layout
// and the modifiers give them (Ctrl+A is 1, Escape 27, Enter 13); the codes
// above 255 stand for keys that have no character.
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;
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

// Mouse buttons, as bits.
inline constexpr int kButtonLeft = 1;
inline constexpr int kButtonRight = 2;
inline constexpr int kButtonMiddle = 4;

// One piece of input. Positions are canvas pixels: the host maps its window
// (and any scaling or letterbox) to the canvas, and a position outside the
// canvas means the pointer is off it.
struct InputEvent {
  enum class Kind : std::uint8_t {
    Key,           // Code: the key code
    Pointer,       // X, Y: the pointer moved there
    ButtonDown,    // Code: the button's bit; X, Y: where the pointer is
    ButtonUp,      // Code: the button's bit; X, Y: where the pointer is
    Wheel,         // Code: notches, +1 forward, -1 back
    Focus,         // Code: 1 the window became the active one, 0 it stopped being it
    CloseRequest,  // the window's close button (the console ignores it)
  };
  Kind Type = Kind::Key;
  int Code = 0;
  int X = 0;
  int Y = 0;

  friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

// Where a host hands the console its input. The console implements it.
class InputSink {
 public:
  virtual void Hand(const InputEvent& event) = 0;

 protected:
  ~InputSink() = default;
};

// A rectangle of canvas pixels.
struct Region {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;

  friend bool operator==(const Region&, const Region&) = default;
};

// The canvas as the console hands it to be shown.
struct Frame {
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 16;         // 16: 5-6-5 pixels; 32: 0x00RRGGBB pixels
  const void* Pixels = nullptr;  // row by row, Width pixels to a row
  // What changed since the last frame handed over: the whole canvas after
  // the screen was opened anew (a new size or depth), otherwise the changed
  // rectangles, which do not overlap.
  std::span<const Region> Changed;
  bool NewScreen = false;  // the screen was opened anew since the last frame
};

class Host {
 public:
  virtual ~Host() = default;

  // Seconds on a monotonic clock; only differences matter.
  virtual double Clock() = 0;

  // Waits `seconds`, handing whatever input arrives meanwhile to `input` as
  // it arrives. Input does not end the wait: it lasts its time, so a short
  // sleep is as long as asked however the mouse moves; a wait meant to end
  // on a key looks for it between short waits. The window (or page) keeps
  // answering while it waits. A wait of 0 only takes pending input; the loop
  // makes one between the slices of a catch-up, so a page that hears its
  // input (and shows its canvas) only between turns of its event loop gives
  // it a turn there.
  virtual void Wait(double seconds, InputSink& input) = 0;

  // The same until the clock has passed `clock` (a reading of Clock()); a
  // time already past only takes pending input. The host measures the time
  // left itself, so the console's reading of the clock stays its own.
  virtual void WaitUntil(double clock, InputSink& input) = 0;

  // Shows the frame's changed rectangles. The pixels are only read during
  // the call.
  virtual void Show(const Frame& frame) = 0;

  // True once the host has nothing more to give and the console should end
  // (a replay that reached the end of its journal). Checked at every wake-up
  // and in every wait for a key.
  virtual bool Finished() { return false; }
};

}  // namespace vorn
