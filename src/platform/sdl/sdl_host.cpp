#include "platform/sdl/sdl_host.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/letterbox.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/shrink.h"

namespace vorn {

namespace {

int ButtonBit(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return kButtonLeft;
    case SDL_BUTTON_RIGHT:
      return kButtonRight;
    case SDL_BUTTON_MIDDLE:
      return kButtonMiddle;
    default:
      return 0;
  }
}

// SDL reports through its log, and the display libraries it loads write
// to standard error themselves; the console says in one line of its own
// why a window could not open. VORN_SDL_LOG=1 lets SDL's own words through.
void QuietLog(void*, int, SDL_LogPriority, const char*) {}

bool SdlLogWanted() {
  const char* log = std::getenv("VORN_SDL_LOG");
  return log != nullptr && *log != '\0' && *log != '0';
}

// SDL_Init with standard error closed, unless SDL's words were asked for:
// the display libraries it tries print their own complaints there.
int InitVideoQuietly() {
  if (SdlLogWanted()) return SDL_Init(SDL_INIT_VIDEO);
  const int saved = dup(STDERR_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
  const int result = SDL_Init(SDL_INIT_VIDEO);
  if (saved >= 0) {
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  if (null >= 0) close(null);
  return result;
}

// Which video drivers to try: the ones whose display the environment names,
// so that a missing X server is reported as such and no other display
// system is asked (and heard complaining) in its place.
void ChooseVideoDriver() {
  if (SDL_getenv("SDL_VIDEODRIVER") != nullptr) return;
  const bool x11 = SDL_getenv("DISPLAY") != nullptr;
  const bool wayland = SDL_getenv("WAYLAND_DISPLAY") != nullptr;
  if (wayland && x11)
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
  else if (wayland)
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
  else if (x11)
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
}

// Why no window could be opened, in the user's terms.
std::string NoDisplayReason() {
  if (const char* wayland = SDL_getenv("WAYLAND_DISPLAY"); wayland != nullptr) {
    if (const char* display = SDL_getenv("DISPLAY"); display != nullptr)
      return std::string("cannot connect to Wayland display \"") + wayland +
             "\" nor to display \"" + display + "\"";
    return std::string("cannot connect to Wayland display \"") + wayland + "\"";
  }
  if (const char* display = SDL_getenv("DISPLAY"); display != nullptr)
    return std::string("cannot connect to display \"") + display + "\"";
  return "no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}

// The rows of the shown picture that canvas rows y0 .. y1 - 1 cover when
// SDL scales the whole width: row j of the picture shows canvas row
// floor((j - top) * ch / height).
SDL_Rect MapBand(const Region& shown, int ch, int y0, int y1) {
  const auto first = [&](int y) {
    return shown.Y + static_cast<int>((static_cast<long long>(y) * shown.Height + ch - 1) / ch);
  };
  const int top = first(y0);
  return SDL_Rect{shown.X, top, shown.Width, first(y1) - top};
}

// Whether the picture goes through a renderer rather than the window's
// surface: where the display has no framebuffer of its own, SDL puts the
// surface on the screen through a renderer anyway, sized in points; and only
// a renderer fills the window smoothly.
bool WantsRenderer(const char* driver, Scaling scaling) {
  const bool framebuffer = driver != nullptr && (SDL_strcmp(driver, "x11") == 0 ||
                                                 SDL_strcmp(driver, "windows") == 0);
  return !framebuffer || scaling == Scaling::Fill;
}

}  // namespace

SdlHost::~SdlHost() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (canvasSurface_ != nullptr) SDL_FreeSurface(canvasSurface_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_Quit();
}

bool SdlHost::Open() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (!SdlLogWanted()) SDL_LogSetOutputFunction(QuietLog, nullptr);
  const bool driverAsked = SDL_getenv("SDL_VIDEODRIVER") != nullptr;
  if (!driverAsked && SDL_getenv("DISPLAY") == nullptr &&
      SDL_getenv("WAYLAND_DISPLAY") == nullptr) {
    error_ = NoDisplayReason();
    return false;
  }
  ChooseVideoDriver();
  if (InitVideoQuietly() != 0) {
    error_ = driverAsked ? std::string(SDL_GetError()) : NoDisplayReason();
    return false;
  }
  // Without a display SDL may fall back to drivers that show nothing; a
  // console nobody can see is a failure, unless such a driver was asked for.
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool invisible = driver != nullptr &&
                         (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
  if (invisible && !driverAsked) {
    error_ = NoDisplayReason();
    return false;
  }
  // Where the display has a framebuffer of its own (shared memory under X11,
  // a bitmap under Windows), the window's surface goes straight to it rather
  // than through a 3D renderer's texture. Elsewhere SDL has only the latter.
  if (driver != nullptr && (SDL_strcmp(driver, "x11") == 0 || SDL_strcmp(driver, "windows") == 0))
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  secondsPerCount_ = 1.0 / static_cast<double>(SDL_GetPerformanceFrequency());

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
  if (WantsRenderer(driver, scaling_)) {
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
  }
  // Without a renderer the window's surface shows the canvas, by whole steps.
  if (renderer_ == nullptr) {
    scaling_ = Scaling::WholeSteps;
    if (SDL_GetWindowSurface(window_) == nullptr) {
      error_ = SDL_GetError();
      return false;
    }
  }
  shownRects_.reserve(512);
  SDL_StartTextInput();
  // Until the pointer enters the window it is not over the canvas.
  startInput_.push_back(InputEvent{InputEvent::Kind::Pointer, 0, -1, -1});
  return true;
}

std::string SdlHost::DisplayPath() const {
  const char* driver = SDL_GetCurrentVideoDriver();
  const std::string display = driver != nullptr ? driver : "no";
  SDL_RendererInfo info;
  if (renderer_ != nullptr && SDL_GetRendererInfo(renderer_, &info) == 0)
    return display + " renderer " + info.name;
  return display + " window surface";
}

double SdlHost::Clock() {
  return static_cast<double>(SDL_GetPerformanceCounter()) * secondsPerCount_;
}

void SdlHost::Wait(double seconds, InputSink& input) {
  WaitUntil(Clock() + seconds, input);
}

// Sleeps in SDL's event wait, so the window answers at once, until the
// clock has passed the given reading. The wait is rounded up to whole
// milliseconds: the wake-up comes just after the moment, never before it.
void SdlHost::WaitUntil(double clock, InputSink& input) {
  for (const InputEvent& event : startInput_) input.Hand(event);
  startInput_.clear();
  SDL_Event event;
  for (;;) {
    while (SDL_PollEvent(&event) != 0) HandleEvent(event, input);
    const double left = clock - Clock();
    if (left < 0.0) return;
    const int ms = static_cast<int>(std::min(std::ceil(left * 1000.0), 1000.0));
    if (SDL_WaitEventTimeout(&event, std::max(ms, 1)) != 0) HandleEvent(event, input);
  }
}

void SdlHost::HandleEvent(const SDL_Event& event, InputSink& input) {
  switch (event.type) {
    case SDL_QUIT:
      input.Hand(InputEvent{InputEvent::Kind::CloseRequest});
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          input.Hand(InputEvent{InputEvent::Kind::CloseRequest});
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          input.Hand(InputEvent{InputEvent::Kind::Focus, 1});
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          input.Hand(InputEvent{InputEvent::Kind::Focus, 0});
          break;
        case SDL_WINDOWEVENT_LEAVE:
          if (!FullScreen()) input.Hand(InputEvent{InputEvent::Kind::Pointer, 0, -1, -1});
          break;
        default:  // shown, exposed, resized, restored: the picture is drawn anew
          redrawWhole_ = true;
          break;
      }
      break;
    case SDL_KEYDOWN:
      HandleKeyDown(event.key, input);
      break;
    case SDL_TEXTINPUT:
      if (const int code = TextCode(event.text.text, SDL_GetModState()); code != 0)
        input.Hand(InputEvent{InputEvent::Kind::Key, code});
      break;
    case SDL_MOUSEMOTION:
      HandPointer(InputEvent::Kind::Pointer, 0, event.motion.x, event.motion.y, input);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (const int bit = ButtonBit(event.button.button); bit != 0)
        HandPointer(InputEvent::Kind::ButtonDown, bit, event.button.x, event.button.y, input);
      break;
    case SDL_MOUSEBUTTONUP:
      if (const int bit = ButtonBit(event.button.button); bit != 0)
        HandPointer(InputEvent::Kind::ButtonUp, bit, event.button.x, event.button.y, input);
      break;
    case SDL_MOUSEWHEEL: {
      const int notches =
          event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      if (notches != 0) input.Hand(InputEvent{InputEvent::Kind::Wheel, notches});
      break;
    }
    default:
      break;
  }
}

void SdlHost::HandleKeyDown(const SDL_KeyboardEvent& key, InputSink& input) {
  if (IsFullScreenSwitch(key.keysym.sym, key.keysym.mod)) {
    if (key.repeat == 0) ToggleFullScreen();
    return;
  }
  // Everything else that has a character arrives translated as text input.
  if (const int code = KeyDownCode(key.keysym.sym, key.keysym.mod); code != 0)
    input.Hand(InputEvent{InputEvent::Kind::Key, code});
}

// A window position in whole points to canvas pixels, through the same
// placement as the picture: off the picture is off the canvas, except in
// full screen.
void SdlHost::HandPointer(InputEvent::Kind kind, int code, int x, int y, InputSink& input) {
  const CanvasPoint point = Placement().WholePointToCanvas(x, y, FullScreen());
  input.Hand(InputEvent{kind, code, point.X, point.Y});
}

// Where the canvas lies in the window as it is now: the window's size in
// points (the pointer's units) and in the pixels drawn, the renderer's
// output or the window's surface.
CanvasPlacement SdlHost::Placement() {
  AreaSize area;
  SDL_GetWindowSize(window_, &area.PointWidth, &area.PointHeight);
  if (renderer_ != nullptr) {
    if (SDL_GetRendererOutputSize(renderer_, &area.PixelWidth, &area.PixelHeight) != 0)
      area = AreaSize{};
  } else if (const SDL_Surface* screen = SDL_GetWindowSurface(window_); screen != nullptr) {
    area.PixelWidth = screen->w;
    area.PixelHeight = screen->h;
  }
  return CanvasPlacement(area, canvasWidth_, canvasHeight_, scaling_);
}

bool SdlHost::FullScreen() const {
  return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
         SDL_WINDOW_FULLSCREEN_DESKTOP;
}

bool SdlHost::Hidden() const {
  return (SDL_GetWindowFlags(window_) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0;
}

void SdlHost::ToggleFullScreen() {
  SDL_SetWindowFullscreen(window_, FullScreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  redrawWhole_ = true;
}

// The canvas's pixels as a surface, made anew for each new canvas.
bool SdlHost::WrapCanvas(const Frame& frame) {
  if (canvasSurface_ != nullptr && canvasPixels_ == frame.Pixels && canvasWidth_ == frame.Width &&
      canvasHeight_ == frame.Height && canvasBits_ == frame.BitsPerPixel)
    return true;
  if (canvasSurface_ != nullptr) SDL_FreeSurface(canvasSurface_);
  const Uint32 format = frame.BitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
  canvasSurface_ = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(frame.Pixels), frame.Width,
                                                      frame.Height, frame.BitsPerPixel,
                                                      frame.Width * frame.BitsPerPixel / 8, format);
  canvasPixels_ = frame.Pixels;
  canvasWidth_ = frame.Width;
  canvasHeight_ = frame.Height;
  canvasBits_ = frame.BitsPerPixel;
  redrawWhole_ = true;
  return canvasSurface_ != nullptr;
}

// The window's surface, replaced when the window changes size, and where
// the canvas lies on it.
bool SdlHost::TakeScreen() {
  SDL_Surface* screen = SDL_GetWindowSurface(window_);
  if (screen == nullptr) return false;
  if (screen != screen_ || screen->w != screenWidth_ || screen->h != screenHeight_) {
    screen_ = screen;
    screenWidth_ = screen->w;
    screenHeight_ = screen->h;
    redrawWhole_ = true;
  }
  shown_ = Placement().Picture();
  // A smaller picture is averaged down by our own code where the surface
  // holds 32-bit RGB pixels (as under X11); SDL's scaled blit skips rows and
  // columns, which breaks up the text.
  const Uint32 format = screen->format->format;
  shrink_ = shown_.Width < canvasWidth_ &&
            (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888);
  return shown_.Width > 0;
}

// Copies one changed rectangle of the canvas to the window's surface and
// notes where it went.
void SdlHost::CopyRegion(const Frame& frame, const Region& region) {
  if (shrink_) {
    const RowSpan rows =
        ShrunkRows(frame.Height, shown_.Height, region.Y, region.Y + region.Height);
    if (rows.End <= rows.First) return;
    const ShrunkPicture picture{
        static_cast<std::uint32_t*>(screen_->pixels) + shown_.Y * (screen_->pitch / 4) + shown_.X,
        screen_->pitch / 4, shown_.Width, shown_.Height};
    ShrinkCanvasRows(frame, picture, rows);
    shownRects_.push_back(
        SDL_Rect{shown_.X, shown_.Y + rows.First, shown_.Width, rows.End - rows.First});
    return;
  }
  SDL_Rect from{region.X, region.Y, region.Width, region.Height};
  if (shown_.Width >= frame.Width) {
    // One canvas pixel to a square of whole window pixels.
    const int scale = shown_.Width / frame.Width;
    SDL_Rect to{shown_.X + region.X * scale, shown_.Y + region.Y * scale, region.Width * scale,
                region.Height * scale};
    const SDL_Rect shownRect = to;  // the blits may clip their destination rectangle
    if (scale == 1)
      SDL_BlitSurface(canvasSurface_, &from, screen_, &to);
    else
      SDL_BlitScaled(canvasSurface_, &from, screen_, &to);
    shownRects_.push_back(shownRect);
    return;
  }
  // Smaller, on a surface our own code cannot average into: SDL scales
  // whole rows.
  from = SDL_Rect{0, region.Y, frame.Width, region.Height};
  SDL_Rect to = MapBand(shown_, frame.Height, region.Y, region.Y + region.Height);
  if (to.h <= 0) return;
  const SDL_Rect shownRect = to;
  SDL_BlitScaled(canvasSurface_, &from, screen_, &to);
  shownRects_.push_back(shownRect);
}

bool SdlHost::Present(bool whole) {
  if (whole) {
    SDL_UpdateWindowSurface(window_);
  } else {
    if (shownRects_.empty()) return false;  // the changes are too thin to show at this scale
    SDL_UpdateWindowSurfaceRects(window_, shownRects_.data(), static_cast<int>(shownRects_.size()));
  }
  return true;
}

// The window's surface and the letterbox, the changed rectangles copied,
// then those rectangles sent to the display.
bool SdlHost::ShowOnSurface(const Frame& frame) {
  if (!TakeScreen()) return false;
  const bool whole = redrawWhole_ || frame.NewScreen;
  if (!whole && frame.Changed.empty()) return false;
  const bool locked = shrink_ && SDL_MUSTLOCK(screen_);
  if (locked && SDL_LockSurface(screen_) != 0) return false;
  shownRects_.clear();
  if (whole) {
    SDL_FillRect(screen_, nullptr, SDL_MapRGB(screen_->format, 0, 0, 0));
    CopyRegion(frame, Region{0, 0, frame.Width, frame.Height});
  } else {
    for (const Region& region : frame.Changed) CopyRegion(frame, region);
  }
  if (locked) SDL_UnlockSurface(screen_);
  return Present(whole);
}

// The texture the picture is drawn from: the canvas itself, or the picture
// averaged down when the canvas is shown smaller. Made anew when the canvas
// or the smaller picture changes size.
bool SdlHost::TakeTexture(const Frame& frame, const Region& shown) {
  const bool shrink = shown.Width < frame.Width || shown.Height < frame.Height;
  const int width = shrink ? shown.Width : frame.Width;
  const int height = shrink ? shown.Height : frame.Height;
  const Uint32 format =
      shrink || frame.BitsPerPixel == 32 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
  if (texture_ == nullptr || width != textureWidth_ || height != textureHeight_ ||
      format != textureFormat_) {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture_ == nullptr) return false;
    textureWidth_ = width;
    textureHeight_ = height;
    textureFormat_ = format;
    shrunk_.assign(shrink ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) : 0,
                   0);
    redrawWhole_ = true;
  }
  // Enlarged by whole steps every canvas pixel stays a sharp square; between
  // them the picture is smoothed.
  const bool wholeSteps = shown.Width % width == 0 && shown.Height % height == 0;
  SDL_SetTextureScaleMode(texture_, wholeSteps ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  return true;
}

// Puts one changed rectangle of the canvas into the texture.
void SdlHost::UploadRegion(const Frame& frame, const Region& region) {
  if (!shrunk_.empty()) {
    const RowSpan rows =
        ShrunkRows(frame.Height, textureHeight_, region.Y, region.Y + region.Height);
    if (rows.End <= rows.First) return;
    ShrinkCanvasRows(frame, ShrunkPicture{shrunk_.data(), textureWidth_, textureWidth_, textureHeight_},
                     rows);
    const SDL_Rect band{0, rows.First, textureWidth_, rows.End - rows.First};
    SDL_UpdateTexture(texture_, &band,
                      shrunk_.data() + static_cast<std::size_t>(rows.First) * textureWidth_,
                      textureWidth_ * 4);
    return;
  }
  const int bytes = frame.BitsPerPixel / 8;
  const auto* pixels = static_cast<const std::uint8_t*>(frame.Pixels) +
                       (static_cast<std::size_t>(region.Y) * frame.Width + region.X) * bytes;
  const SDL_Rect rect{region.X, region.Y, region.Width, region.Height};
  SDL_UpdateTexture(texture_, &rect, pixels, frame.Width * bytes);
}

// The changed rectangles into the texture, then the whole picture drawn
// anew in its place (a renderer keeps nothing from one frame to the next).
bool SdlHost::ShowThroughRenderer(const Frame& frame) {
  shown_ = Placement().Picture();
  if (shown_.Width <= 0 || !TakeTexture(frame, shown_)) return false;
  const bool whole = redrawWhole_ || frame.NewScreen;
  if (!whole && frame.Changed.empty()) return false;
  if (whole) {
    UploadRegion(frame, Region{0, 0, frame.Width, frame.Height});
  } else {
    for (const Region& region : frame.Changed) UploadRegion(frame, region);
  }
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const SDL_Rect to{shown_.X, shown_.Y, shown_.Width, shown_.Height};
  SDL_RenderCopy(renderer_, texture_, nullptr, &to);
  SDL_RenderPresent(renderer_);
  return true;
}

// Stages: the canvas as a surface, then the changed rectangles to the
// display by one of the two ways. While the window is hidden or minimised
// nothing is shown; it is drawn whole when it comes back.
void SdlHost::SetTitle(const std::string& title) {
  if (window_ != nullptr) SDL_SetWindowTitle(window_, title.c_str());
}

void SdlHost::Show(const Frame& frame) {
  if (window_ == nullptr || frame.Width <= 0 || frame.Pixels == nullptr) return;
  const std::uint64_t start = SDL_GetPerformanceCounter();
  if (!WrapCanvas(frame)) return;
  if (Hidden()) {
    redrawWhole_ = true;
    return;
  }
  if (!(renderer_ != nullptr ? ShowThroughRenderer(frame) : ShowOnSurface(frame))) return;
  ++framesShown_;
  redrawWhole_ = false;
  const double seconds =
      static_cast<double>(SDL_GetPerformanceCounter() - start) * secondsPerCount_;
  frameSeconds_ += seconds;
  longestFrameSeconds_ = std::max(longestFrameSeconds_, seconds);
}

}  // namespace vorn
