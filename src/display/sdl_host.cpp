#include "display/sdl_host.h"

#include <algorithm>

#include "app/console_state.h"
#include "display/services.h"
#include "display/shrink.h"

namespace vorn {

namespace {

constexpr int kFramesPerSecond = 60;
constexpr const char* kNoDisplay =
    "no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)";

int ButtonBit(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    case SDL_BUTTON_MIDDLE:
      return 4;
    default:
      return 0;
  }
}

// Keys that produce no text but still reach the console.
int SpecialKeyCode(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kKeyEnter;
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    case SDLK_UP:
      return kKeyUp;
    case SDLK_DOWN:
      return kKeyDown;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_INSERT:
      return kKeyInsert;
    case SDLK_DELETE:
      return kKeyDelete;
    case SDLK_HOME:
      return kKeyHome;
    case SDLK_END:
      return kKeyEnd;
    case SDLK_PAGEUP:
      return kKeyPageUp;
    case SDLK_PAGEDOWN:
      return kKeyPageDown;
    default:
      if (key >= SDLK_F1 && key <= SDLK_F10) return kKeyF1 + static_cast<int>(key - SDLK_F1);
      return 0;
  }
}

// Where a canvas of cw x ch pixels is shown in an area of w x h: as large as
// it fits with its shape kept, centred, bars of black around it.
SDL_Rect Letterbox(int w, int h, int cw, int ch) {
  if (w == cw && h == ch) return SDL_Rect{0, 0, cw, ch};
  const double scale = std::min(static_cast<double>(w) / cw, static_cast<double>(h) / ch);
  const int sw = std::max(1, static_cast<int>(cw * scale));
  const int sh = std::max(1, static_cast<int>(ch * scale));
  return SDL_Rect{(w - sw) / 2, (h - sh) / 2, sw, sh};
}

// The rows of the shown picture that canvas rows y0 .. y1 - 1 cover: row j
// of the picture shows canvas row floor((j - top) * ch / height).
SDL_Rect MapBand(const SDL_Rect& shown, int ch, int y0, int y1) {
  const auto first = [&](int y) {
    return shown.y + static_cast<int>((static_cast<long long>(y) * shown.h + ch - 1) / ch);
  };
  const int top = first(y0);
  return SDL_Rect{shown.x, top, shown.w, first(y1) - top};
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
  if (canvasSurface_ != nullptr) SDL_FreeSurface(canvasSurface_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_Quit();
}

bool SdlHost::Open() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
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
  const bool invisible = driver != nullptr &&
                         (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
  if (invisible && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
    error_ = kNoDisplay;
    return false;
  }
  // Where the display has a framebuffer of its own (shared memory under X11,
  // a bitmap under Windows), the window's surface goes straight to it rather
  // than through a 3D renderer's texture. Elsewhere SDL has only the latter.
  if (driver != nullptr && (SDL_strcmp(driver, "x11") == 0 || SDL_strcmp(driver, "windows") == 0))
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
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
  if (SDL_GetWindowSurface(window_) == nullptr) {
    error_ = SDL_GetError();
    return false;
  }
  shownRects_.reserve(1024 / 2 + 1);
  SDL_StartTextInput();
  State.Mouse.WindowActive = true;
  State.Mouse.PointerX = -1;
  State.Mouse.PointerY = -1;
  return true;
}

std::string SdlHost::DisplayPath() const {
  const char* driver = SDL_GetCurrentVideoDriver();
  return std::string(driver != nullptr ? driver : "no") + " window surface";
}

double SdlHost::Clock() {
  return static_cast<double>(SDL_GetPerformanceCounter()) * secondsPerCount_;
}

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
  const std::uint64_t before = framesShown_;
  ShowCanvas();
  if (framesShown_ != before) {
    const double seconds =
        static_cast<double>(SDL_GetPerformanceCounter() - now) * secondsPerCount_;
    frameSeconds_ += seconds;
    longestFrameSeconds_ = std::max(longestFrameSeconds_, seconds);
  }
}

void SdlHost::HandleEvent(const SDL_Event& event) {
  auto& mouse = State.Mouse;
  switch (event.type) {
    case SDL_QUIT:
      QueueKey(kKeyCloseRequest);
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          QueueKey(kKeyCloseRequest);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          mouse.WindowActive = true;
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          mouse.WindowActive = false;
          break;
        case SDL_WINDOWEVENT_LEAVE:
          mouse.PointerX = -1;
          mouse.PointerY = -1;
          break;
        default:
          redrawWhole_ = true;
          break;
      }
      break;
    case SDL_KEYDOWN:
      HandleKeyDown(event.key);
      break;
    case SDL_TEXTINPUT:
      HandleText(event.text.text);
      break;
    case SDL_MOUSEMOTION:
      MapPointer(event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
      MapPointer(event.button.x, event.button.y);
      SetMouseButtons(mouse.Buttons | ButtonBit(event.button.button));
      break;
    case SDL_MOUSEBUTTONUP:
      MapPointer(event.button.x, event.button.y);
      SetMouseButtons(mouse.Buttons & ~ButtonBit(event.button.button));
      break;
    case SDL_MOUSEWHEEL:
      mouse.Wheel +=
          event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
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

// A window position to canvas pixels, through the same letterbox as the
// picture; outside the picture the result lies off the canvas.
void SdlHost::MapPointer(int x, int y) {
  auto& mouse = State.Mouse;
  const auto& canvas = State.Canvas;
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (canvas.Width == 0 || w <= 0 || h <= 0) {
    mouse.PointerX = x;
    mouse.PointerY = y;
    return;
  }
  const SDL_Rect shown = Letterbox(w, h, canvas.Width, canvas.Height);
  const auto toCanvas = [](int v, int origin, int size, int canvasSize) {
    const long long offset = static_cast<long long>(v) - origin;
    if (offset < 0) return -1;
    return static_cast<int>(offset * canvasSize / size);
  };
  mouse.PointerX = toCanvas(x, shown.x, shown.w, canvas.Width);
  mouse.PointerY = toCanvas(y, shown.y, shown.h, canvas.Height);
}

// The canvas's pixels as a surface, made anew for each new canvas.
bool SdlHost::WrapCanvas() {
  auto& canvas = State.Canvas;
  if (canvas.Width == 0) return false;
  void* pixels = canvas.BitsPerPixel == 16 ? static_cast<void*>(canvas.Pixels16.data())
                                           : static_cast<void*>(canvas.Pixels32.data());
  if (canvasSurface_ != nullptr && canvasGeneration_ == canvas.Generation &&
      canvasPixels_ == pixels)
    return true;
  if (canvasSurface_ != nullptr) SDL_FreeSurface(canvasSurface_);
  const Uint32 format = canvas.BitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
  canvasSurface_ =
      SDL_CreateRGBSurfaceWithFormatFrom(pixels, canvas.Width, canvas.Height, canvas.BitsPerPixel,
                                         canvas.Width * canvas.BitsPerPixel / 8, format);
  if (canvasSurface_ == nullptr) return false;
  canvasGeneration_ = canvas.Generation;
  canvasPixels_ = pixels;
  redrawWhole_ = true;
  return true;
}

void SdlHost::ShowCanvas() {
  auto& canvas = State.Canvas;
  if (!WrapCanvas()) return;
  // The window's surface is replaced when the window changes size.
  SDL_Surface* screen = SDL_GetWindowSurface(window_);
  if (screen == nullptr) return;
  if (screen != lastScreen_ || screen->w != lastScreenWidth_ || screen->h != lastScreenHeight_) {
    lastScreen_ = screen;
    lastScreenWidth_ = screen->w;
    lastScreenHeight_ = screen->h;
    redrawWhole_ = true;
  }
  if (!canvas.AnyRowChanged && !redrawWhole_) return;

  const SDL_Rect shown = Letterbox(screen->w, screen->h, canvas.Width, canvas.Height);
  const bool scaled = shown.w != canvas.Width || shown.h != canvas.Height;
  // A smaller picture is averaged down by our own code where the surface
  // holds 32-bit RGB pixels (as under X11); SDL's scaled blit skips rows and
  // columns, which breaks up the text.
  const Uint32 screenFormat = screen->format->format;
  const bool average =
      scaled && shown.w <= canvas.Width && shown.h <= canvas.Height &&
      (screenFormat == SDL_PIXELFORMAT_RGB888 || screenFormat == SDL_PIXELFORMAT_ARGB8888);
  if (redrawWhole_) SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
  const bool locked = average && SDL_MUSTLOCK(screen);
  if (locked && SDL_LockSurface(screen) != 0) return;
  const ShrunkPicture picture{average ? static_cast<std::uint32_t*>(screen->pixels) +
                                            shown.y * (screen->pitch / 4) + shown.x
                                      : nullptr,
                              screen->pitch / 4, shown.w, shown.h};
  // Copies canvas rows y0 .. y1 - 1 to the surface and notes where they went.
  const auto copyBand = [&](int y0, int y1) {
    if (average) {
      const RowSpan rows = ShrunkRows(canvas.Height, shown.h, y0, y1);
      if (rows.End <= rows.First) return;
      ShrinkCanvasRows(canvas, picture, rows);
      shownRects_.push_back(
          SDL_Rect{shown.x, shown.y + rows.First, shown.w, rows.End - rows.First});
      return;
    }
    SDL_Rect from{0, y0, canvas.Width, y1 - y0};
    SDL_Rect to = MapBand(shown, canvas.Height, y0, y1);
    if (to.h <= 0) return;
    SDL_Rect where = to;  // the blits may clip their destination rectangle
    if (scaled)
      SDL_BlitScaled(canvasSurface_, &from, screen, &where);
    else
      SDL_BlitSurface(canvasSurface_, &from, screen, &where);
    shownRects_.push_back(to);
  };

  shownRects_.clear();
  if (redrawWhole_) {
    copyBand(0, canvas.Height);
    std::fill(canvas.RowChanged.begin(), canvas.RowChanged.end(), std::uint8_t{0});
  } else {
    for (int y = 0; y < canvas.Height;) {
      if (canvas.RowChanged[static_cast<std::size_t>(y)] == 0) {
        ++y;
        continue;
      }
      int end = y;
      while (end < canvas.Height && canvas.RowChanged[static_cast<std::size_t>(end)] != 0) {
        canvas.RowChanged[static_cast<std::size_t>(end)] = 0;
        ++end;
      }
      copyBand(y, end);
      y = end;
    }
  }
  canvas.AnyRowChanged = false;
  if (locked) SDL_UnlockSurface(screen);
  if (redrawWhole_) {
    SDL_UpdateWindowSurface(window_);
  } else {
    if (shownRects_.empty()) return;  // the changed rows are too thin to show at this scale
    SDL_UpdateWindowSurfaceRects(window_, shownRects_.data(), static_cast<int>(shownRects_.size()));
  }
  redrawWhole_ = false;
  ++framesShown_;
}

}  // namespace vorn
