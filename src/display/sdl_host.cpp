#include "display/sdl_host.h"

#include <algorithm>

#include "app/console_state.h"
#include "display/services.h"

namespace vorn {

namespace {

constexpr int kFramesPerSecond = 60;
constexpr const char* kNoDisplay = "no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)";

int ButtonBit(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
  }
}

// Keys that produce no text but still reach the console.
int SpecialKeyCode(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return kKeyEnter;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_UP: return kKeyUp;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_INSERT: return kKeyInsert;
    case SDLK_DELETE: return kKeyDelete;
    case SDLK_HOME: return kKeyHome;
    case SDLK_END: return kKeyEnd;
    case SDLK_PAGEUP: return kKeyPageUp;
    case SDLK_PAGEDOWN: return kKeyPageDown;
    default:
      if (key >= SDLK_F1 && key <= SDLK_F10) return kKeyF1 + static_cast<int>(key - SDLK_F1);
      return 0;
  }
}

// The first code point of a UTF-8 text, or -1 if it is malformed.
int FirstCodePoint(const char* utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8);
  if (s[0] < 0x80) return s[0];
  if ((s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) return ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
  return -1;  // three- and four-byte sequences are all above 0xFF
}

}  // namespace

SdlHost::~SdlHost() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_Quit();
}

bool SdlHost::Open() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  const bool noDisplay = SDL_getenv("DISPLAY") == nullptr &&
                         SDL_getenv("WAYLAND_DISPLAY") == nullptr &&
                         SDL_getenv("SDL_VIDEODRIVER") == nullptr;
  if (noDisplay) {
    error_ = kNoDisplay;
    return false;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error_ = SDL_GetError();
    return false;
  }
  // Without a display SDL falls back to drivers that show nothing; a console
  // nobody can see is a failure, unless such a driver was asked for.
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool invisible = driver != nullptr && (SDL_strcmp(driver, "offscreen") == 0 ||
                                               SDL_strcmp(driver, "dummy") == 0);
  if (invisible && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
    error_ = kNoDisplay;
    return false;
  }
  secondsPerCount_ = 1.0 / static_cast<double>(SDL_GetPerformanceFrequency());
  countsPerFrame_ = SDL_GetPerformanceFrequency() / kFramesPerSecond;

  // One window pixel per canvas pixel, or scaled down to fit the desktop.
  int width = 1280, height = 1024;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
    const double scale = std::min({1.0, usable.w / 1280.0, usable.h / 1024.0});
    width = static_cast<int>(1280 * scale);
    height = static_cast<int>(1024 * scale);
  }
  window_ = SDL_CreateWindow("vorn", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                             SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE);
  if (window_ == nullptr) {
    error_ = SDL_GetError();
    return false;
  }
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    error_ = SDL_GetError();
    return false;
  }
  SDL_StartTextInput();
  State.Mouse.WindowActive = true;
  State.Mouse.PointerX = -1;
  State.Mouse.PointerY = -1;
  return true;
}

double SdlHost::Clock() { return static_cast<double>(SDL_GetPerformanceCounter()) * secondsPerCount_; }

void SdlHost::Sleep(int ms) {
  // Short slices, so that the window is pumped and shown while waiting.
  while (ms > 0) {
    const int slice = std::min(ms, 10);
    SDL_Delay(static_cast<Uint32>(slice));
    ms -= slice;
    Pump();
  }
}

void SdlHost::Pump() {
  const std::uint64_t now = SDL_GetPerformanceCounter();
  if (now < nextFrame_) return;
  // Frames are paced on a deadline; after a stall the pace starts afresh.
  nextFrame_ += countsPerFrame_;
  if (nextFrame_ <= now) nextFrame_ = now + countsPerFrame_;

  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) HandleEvent(event);
  ShowCanvas();
}

void SdlHost::HandleEvent(const SDL_Event& event) {
  auto& mouse = State.Mouse;
  switch (event.type) {
    case SDL_QUIT:
      QueueKey(kKeyCloseRequest);
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: QueueKey(kKeyCloseRequest); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: mouse.WindowActive = true; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: mouse.WindowActive = false; break;
        case SDL_WINDOWEVENT_LEAVE:
          mouse.PointerX = -1;
          mouse.PointerY = -1;
          break;
        default: redrawWhole_ = true; break;
      }
      break;
    case SDL_KEYDOWN:
      HandleKeyDown(event.key);
      break;
    case SDL_TEXTINPUT:
      HandleText(event.text.text);
      break;
    case SDL_MOUSEMOTION:
      mouse.PointerX = event.motion.x;
      mouse.PointerY = event.motion.y;
      break;
    case SDL_MOUSEBUTTONDOWN:
      mouse.PointerX = event.button.x;
      mouse.PointerY = event.button.y;
      mouse.Buttons |= ButtonBit(event.button.button);
      break;
    case SDL_MOUSEBUTTONUP:
      mouse.PointerX = event.button.x;
      mouse.PointerY = event.button.y;
      mouse.Buttons &= ~ButtonBit(event.button.button);
      break;
    case SDL_MOUSEWHEEL:
      mouse.Wheel += event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      break;
    default:
      break;
  }
}

void SdlHost::HandleKeyDown(const SDL_KeyboardEvent& key) {
  const SDL_Keycode sym = key.keysym.sym;
  if ((sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT) != 0) {
    if (key.repeat == 0) ToggleFullScreen();
    return;
  }
  const int code = SpecialKeyCode(sym);
  if (code != 0) QueueKey(code);
  // Everything else arrives translated by the layout as text input.
}

void SdlHost::HandleText(const char* utf8) {
  const SDL_Keymod mod = SDL_GetModState();
  if ((mod & (KMOD_CTRL | KMOD_LALT | KMOD_GUI)) != 0) return;
  const int code = FirstCodePoint(utf8);
  if (code > 0 && code <= 0xFF) QueueKey(code);
}

void SdlHost::ToggleFullScreen() {
  fullScreen_ = !fullScreen_;
  SDL_SetWindowFullscreen(window_, fullScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  State.Mouse.FullScreen = fullScreen_;
  redrawWhole_ = true;
}

// A texture of the canvas's size and format, made anew for each new canvas.
bool SdlHost::MatchTextureToCanvas() {
  const auto& canvas = State.Canvas;
  if (canvas.Width == 0) return false;
  if (texture_ != nullptr && textureGeneration_ == canvas.Generation) return true;
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  const Uint32 format = canvas.BitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
  texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, canvas.Width,
                               canvas.Height);
  if (texture_ == nullptr) return false;
  SDL_RenderSetLogicalSize(renderer_, canvas.Width, canvas.Height);
  textureGeneration_ = canvas.Generation;
  redrawWhole_ = true;
  return true;
}

void SdlHost::ShowCanvas() {
  auto& canvas = State.Canvas;
  if (!MatchTextureToCanvas()) return;
  if (!canvas.AnyRowChanged && !redrawWhole_) return;
  // Upload each band of consecutive changed rows.
  const int bytesPerPixel = canvas.BitsPerPixel / 8;
  const int pitch = canvas.Width * bytesPerPixel;
  const auto* base = canvas.BitsPerPixel == 16
                         ? static_cast<const void*>(canvas.Pixels16.data())
                         : static_cast<const void*>(canvas.Pixels32.data());
  for (int y = 0; y < canvas.Height && canvas.AnyRowChanged;) {
    if (canvas.RowChanged[static_cast<std::size_t>(y)] == 0) {
      ++y;
      continue;
    }
    int end = y;
    while (end < canvas.Height && canvas.RowChanged[static_cast<std::size_t>(end)] != 0) {
      canvas.RowChanged[static_cast<std::size_t>(end)] = 0;
      ++end;
    }
    const SDL_Rect band{0, y, canvas.Width, end - y};
    SDL_UpdateTexture(texture_, &band, static_cast<const Uint8*>(base) + y * pitch, pitch);
    y = end;
  }
  canvas.AnyRowChanged = false;
  redrawWhole_ = false;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
  ++framesShown_;
}

}  // namespace vorn
