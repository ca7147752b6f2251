#pragma once
// The console's window, through SDL2: it shows the canvas (scaled to fit the
// window, resizable, Alt+Enter for full screen), hands keys and the mouse to
// the console, reads the high-resolution clock, and waits for the next
// moment the console asks for while answering the window's events.
//
// The picture is placed in the window's true pixels and the pointer, which
// SDL reports in points (two pixels to a point on a 2x HiDPI screen), goes
// through the same placement. Where the display has a framebuffer of its
// own (X11, Windows) the canvas goes to the window's surface, and only the
// rectangles that drawing changed are copied and sent to the display. No 3D
// renderer is involved there: without a graphics card it would be a
// software one, many times slower and larger than the plain copy.
// Elsewhere (Wayland, macOS) SDL can only put a surface on the screen
// through a renderer anyway, at the size of the window in points; the host
// draws through a renderer of its own, at the window's size in pixels, so a
// HiDPI screen shows the canvas sharp. Smooth filling needs the renderer's
// filtering, so it is drawn that way everywhere. Frames never wait for a
// vertical blank.

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/letterbox.h"

namespace vorn {

class SdlHost : public Host {
 public:
  explicit SdlHost(Scaling scaling = Scaling::WholeSteps) : scaling_(scaling) {}
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;
  ~SdlHost() override;

  // Opens the window; false (with Error() saying why, in one line) when
  // there is no display to open it on.
  bool Open();
  const std::string& Error() const { return error_; }
  // The window's title ("vorn" until set), in UTF-8.
  void SetTitle(const std::string& title);

  double Clock() override;
  void Wait(double seconds, InputSink& input) override;
  void WaitUntil(double clock, InputSink& input) override;
  void Show(const Frame& frame) override;

  std::uint64_t FramesShown() const { return framesShown_; }
  // Wall time spent showing frames: in all, and the longest single frame.
  double FrameSeconds() const { return frameSeconds_; }
  double LongestFrameSeconds() const { return longestFrameSeconds_; }
  // How frames reach the display, for measurements ("x11 window surface",
  // "wayland renderer opengl").
  std::string DisplayPath() const;

 private:
  void HandleEvent(const SDL_Event& event, InputSink& input);
  void HandleKeyDown(const SDL_KeyboardEvent& key, InputSink& input);
  void HandPointer(InputEvent::Kind kind, int code, int x, int y, InputSink& input);
  CanvasPlacement Placement();
  void ToggleFullScreen();
  bool FullScreen() const;
  bool Hidden() const;
  bool WrapCanvas(const Frame& frame);
  bool TakeScreen();
  void CopyRegion(const Frame& frame, const Region& region);
  bool Present(bool whole);
  bool ShowOnSurface(const Frame& frame);
  bool ShowThroughRenderer(const Frame& frame);
  bool TakeTexture(const Frame& frame, const Region& shown);
  void UploadRegion(const Frame& frame, const Region& region);

  Scaling scaling_;
  SDL_Window* window_ = nullptr;
  // Drawing through a renderer: the picture's texture, of the canvas's size,
  // or of the picture's when the canvas is shown smaller (then `shrunk_`
  // holds the picture, averaged down by our own code).
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  Uint32 textureFormat_ = 0;
  std::vector<std::uint32_t> shrunk_;
  // The canvas's pixels seen as an SDL surface (they are not copied).
  SDL_Surface* canvasSurface_ = nullptr;
  const void* canvasPixels_ = nullptr;
  int canvasWidth_ = 1280;  // the last canvas shown, for mapping the pointer
  int canvasHeight_ = 1024;
  int canvasBits_ = 0;
  SDL_Surface* screen_ = nullptr;  // the window's surface, and its size at the last frame
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  Region shown_;         // where the canvas lies in the window's pixels
  bool shrink_ = false;  // shown smaller than it is, averaged by our own code
  // The rectangles sent to the display in one frame.
  std::vector<SDL_Rect> shownRects_;
  std::vector<InputEvent> startInput_;  // handed at the first wait
  std::string error_;
  double secondsPerCount_ = 0.0;
  std::uint64_t framesShown_ = 0;
  double frameSeconds_ = 0.0;
  double longestFrameSeconds_ = 0.0;
  bool redrawWhole_ = true;
};

}  // namespace vorn
