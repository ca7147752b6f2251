#include "display/services.h"

#include <algorithm>
#include <limits>

#include "display/canvas.h"
#include "display/display_state.h"

namespace vorn {

namespace {

Host* attachedHost = nullptr;

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

// The console's side of the door: input from the host goes into the key
// ring and the mouse state, to be read at the next tick.
class InputIntoRecord final : public InputSink {
 public:
  void Hand(const InputEvent& event) override {
    PointerState& mouse = Display.Mouse;
    switch (event.Type) {
      case InputEvent::Kind::Key:
        QueueKey(event.Code);
        break;
      case InputEvent::Kind::Pointer:
        mouse.PointerX = event.X;
        mouse.PointerY = event.Y;
        break;
      case InputEvent::Kind::ButtonDown:
        mouse.PointerX = event.X;
        mouse.PointerY = event.Y;
        if ((mouse.Buttons & event.Code) != 0) break;
        if (mouse.PressedSinceRead == 0) {
          mouse.PressX = event.X;
          mouse.PressY = event.Y;
        }
        mouse.PressedSinceRead |= event.Code;
        mouse.Buttons |= event.Code;
        break;
      case InputEvent::Kind::ButtonUp:
        mouse.PointerX = event.X;
        mouse.PointerY = event.Y;
        mouse.Buttons &= ~event.Code;
        break;
      case InputEvent::Kind::Wheel:
        // Held within an int however many notches come (a crafted journal).
        mouse.Wheel = static_cast<int>(std::clamp<long long>(
            static_cast<long long>(mouse.Wheel) + event.Code, std::numeric_limits<int>::min(),
            std::numeric_limits<int>::max()));
        break;
      case InputEvent::Kind::Focus:
        mouse.WindowActive = event.Code != 0;
        // A window put behind another forgets its presses: a click just
        // before Alt+Tab does not act when it comes back, and a button let
        // go elsewhere (whose release it never hears) is not still held.
        if (!mouse.WindowActive) {
          mouse.Buttons = 0;
          mouse.PressedSinceRead = 0;
        }
        break;
      case InputEvent::Kind::CloseRequest:
        QueueKey(kKeyCloseRequest);
        break;
    }
  }
};

InputIntoRecord consoleInput;

void Nap(double seconds) {
  if (attachedHost != nullptr) attachedHost->Wait(seconds, consoleInput);
}

}  // namespace

void AttachHost(Host* host) {
  attachedHost = host;
}

bool HostFinished() {
  return attachedHost != nullptr && attachedHost->Finished();
}

InputSink& ConsoleInput() {
  return consoleInput;
}

double ReadClock() {
  return attachedHost != nullptr ? attachedHost->Clock() : 0.0;
}

void SleepMs(int ms) {
  if (ms == -1) {
    while (KeyWaiting()) ReadKey();
    ShowCanvas();
    while (!KeyWaiting() && !HostFinished()) Nap(0.050);
    return;
  }
  if (ms >= 100) {
    ShowCanvas();
    while (ms > 50) {
      Nap(0.0);
      if (KeyWaiting()) return;
      Nap(0.050);
      ms -= 50;
    }
    Nap(ms / 1000.0);
    return;
  }
  if (ms >= 1) Nap(ms / 1000.0);
}

void WaitForClock(double clock) {
  if (attachedHost != nullptr) attachedHost->WaitUntil(clock, consoleInput);
}

void TakePendingInput() {
  if (attachedHost != nullptr) attachedHost->Wait(0.0, consoleInput);
}

void ShowCanvas() {
  // Handed over even when nothing changed: a host whose window was
  // uncovered meanwhile draws it whole.
  if (attachedHost == nullptr || Display.Canvas.Width == 0) return;
  attachedHost->Show(TakeChangedFrame());
}

void QueueKey(int code) {
  auto& ring = Display.Keys;
  ring.Slots[static_cast<std::size_t>(ring.WriteIndex)] = code;
  ring.WriteIndex = (ring.WriteIndex + 1) % 16;
  if (ring.WriteIndex == ring.ReadIndex) ring.ReadIndex = (ring.ReadIndex + 1) % 16;
}

bool KeyWaiting() {
  return Display.Keys.ReadIndex != Display.Keys.WriteIndex;
}

std::string ReadKey() {
  auto& ring = Display.Keys;
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

// A press and release both since the last read is a click where it was
// pressed; a press still held is read where the pointer is now. (The host
// keeps the pointer on the canvas in full screen.)
MouseReading ReadMouse() {
  PointerState& mouse = Display.Mouse;
  const CanvasState& canvas = Display.Canvas;
  if (!mouse.WindowActive) return {};
  const bool quickClick = (mouse.PressedSinceRead & ~mouse.Buttons) != 0;
  const int x = quickClick ? mouse.PressX : mouse.PointerX;
  const int y = quickClick ? mouse.PressY : mouse.PointerY;
  if (x < 0 || y < 0 || x >= canvas.Width || y >= canvas.Height) {
    // Off the canvas the window forgets the buttons: a press must start on it.
    mouse.Buttons = 0;
    mouse.PressedSinceRead = 0;
    return {};
  }
  const int buttons = mouse.Buttons | mouse.PressedSinceRead;
  mouse.PressedSinceRead = 0;
  return MouseReading{x, y, mouse.Wheel, buttons};
}

void SetMouseSnapshot(int x, int y, int buttons) {
  Display.MouseX = x;
  Display.MouseY = y;
  Display.MouseButtons = buttons;
}

void TakeMouseSnapshot() {
  const MouseReading mouse = ReadMouse();
  SetMouseSnapshot(mouse.X, mouse.Y, mouse.Buttons);
  Display.MouseWheel = mouse.Wheel;
}

double NextRandom(int n) {
  auto& random = Display.Random;
  if (n == 0) return random.LastRandom;
  return random.Next();
}

}  // namespace vorn
