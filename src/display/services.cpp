#include "display/services.h"

#include <algorithm>

#include "app/console_state.h"
#include "display/host.h"

namespace vorn {

namespace {

// The second character of each special key: its PC scan code.
char ScanCodeFor(int code) {
  switch (code) {
    case kKeyUp:
      return 'H';
    case kKeyDown:
      return 'P';
    case kKeyLeft:
      return 'K';
    case kKeyRight:
      return 'M';
    case kKeyInsert:
      return 'R';
    case kKeyDelete:
      return 'S';
    case kKeyHome:
      return 'G';
    case kKeyEnd:
      return 'O';
    case kKeyPageUp:
      return 'I';
    case kKeyPageDown:
      return 'Q';
    default:
      if (code >= kKeyF1 && code < kKeyF1 + 10) return static_cast<char>(59 + (code - kKeyF1));
      return kCloseRequestScanCode;
  }
}

}  // namespace

double ReadClock() {
  return ActiveHost().Clock();
}

void SleepMs(int ms) {
  Host& host = ActiveHost();
  if (ms == -1) {
    while (KeyWaiting()) ReadKey();
    while (!KeyWaiting()) host.Sleep(50);
    return;
  }
  if (ms >= 100) {
    while (ms > 50) {
      host.Pump();
      if (KeyWaiting()) return;
      host.Sleep(50);
      ms -= 50;
    }
    host.Sleep(ms);
    return;
  }
  if (ms >= 1) host.Sleep(ms);
}

void QueueKey(int code) {
  auto& ring = State.Keys;
  ring.Slots[static_cast<std::size_t>(ring.WriteIndex)] = code;
  ring.WriteIndex = (ring.WriteIndex + 1) % 16;
  if (ring.WriteIndex == ring.ReadIndex) ring.ReadIndex = (ring.ReadIndex + 1) % 16;
}

bool KeyWaiting() {
  return State.Keys.ReadIndex != State.Keys.WriteIndex;
}

std::string ReadKey() {
  auto& ring = State.Keys;
  if (ring.ReadIndex == ring.WriteIndex) return {};
  const int code = ring.Slots[static_cast<std::size_t>(ring.ReadIndex)];
  ring.ReadIndex = (ring.ReadIndex + 1) % 16;
  if (code < 256) return std::string(1, static_cast<char>(code));
  return std::string{static_cast<char>(255), ScanCodeFor(code)};
}

std::string LowerCaseKey(std::string key) {
  for (char& ch : key)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return key;
}

MouseReading ReadMouse() {
  auto& mouse = State.Mouse;
  const auto& canvas = State.Canvas;
  if (!mouse.WindowActive) return {};
  int x = mouse.PointerX, y = mouse.PointerY;
  if (mouse.FullScreen) {
    x = std::clamp(x, 0, std::max(canvas.Width - 1, 0));
    y = std::clamp(y, 0, std::max(canvas.Height - 1, 0));
  } else if (x < 0 || y < 0 || x >= canvas.Width || y >= canvas.Height) {
    // Off the canvas the window forgets the buttons: a press must start on it.
    mouse.Buttons = 0;
    mouse.PressedSinceRead = 0;
    return {};
  }
  const int buttons = mouse.Buttons | mouse.PressedSinceRead;
  mouse.PressedSinceRead = 0;
  return MouseReading{x, y, mouse.Wheel, buttons};
}

void SetMouseButtons(int buttons) {
  auto& mouse = State.Mouse;
  mouse.PressedSinceRead |= buttons & ~mouse.Buttons;
  mouse.Buttons = buttons;
}

double NextRandom(int n) {
  auto& random = State.Random;
  if (n == 0) return random.LastRandom;
  return random.Next();
}

}  // namespace vorn
