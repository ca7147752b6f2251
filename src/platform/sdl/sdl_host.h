#pragma once
// The console's window, through SDL2: it shows the canvas (scaled to fit the
// window, resizable, Alt+Enter for full screen), hands keys and the mouse to
// the console, reads the high-resolution clock, and waits for the next
// moment the console asks for while answering the window's events.
//
// The canvas goes to the window's own surface, and only the rectangles that
// drawing changed are copied and sent to the display, never waiting for a
// vertical blank. No 3D renderer is involved: without a graphics card it
// would be a software one, many times slower and larger than the plain copy.

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host.h"

namespace vorn {

class SdlHost : public Host {
 public:
  SdlHost() = default;
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;
  ~SdlHost() override;

  // Opens the window; false (with Error() saying why, in one line) when
  // there is no display to open it on.
  bool Open();
  const std::string& Error() const { return error_; }

  double Clock() override;
  void Wait(double seconds, InputSink& input) override;
  void WaitUntil(double clock, InputSink& input) override;
  void Show(const Frame& frame) override;

  std::uint64_t FramesShown() const { return framesShown_; }
  // Wall time spent showing frames: in all, and the longest single frame.
  double FrameSeconds() const { return frameSeconds_; }
  double LongestFrameSeconds() const { return longestFrameSeconds_; }
  // How frames reach the display, for measurements ("x11 window surface").
  std::string DisplayPath() const;

 private:
  void HandleEvent(const SDL_Event& event, InputSink& input);
  void HandleKeyDown(const SDL_KeyboardEvent& key, InputSink& input);
  void HandPointer(InputEvent::Kind kind, int code, int x, int y, InputSink& input);
  void ToggleFullScreen();
  bool FullScreen() const;
  bool Hidden() const;
  bool WrapCanvas(const Frame& frame);
  bool TakeScreen();
  void CopyRegion(const Frame& frame, const Region& region);
  void Present(bool whole);

  SDL_Window* window_ = nullptr;
  // The canvas's pixels seen as an SDL surface (they are not copied).
  SDL_Surface* canvasSurface_ = nullptr;
  const void* canvasPixels_ = nullptr;
  int canvasWidth_ = 1280;  // the last canvas shown, for mapping the pointer
  int canvasHeight_ = 1024;
  int canvasBits_ = 0;
  SDL_Surface* screen_ = nullptr;  // the window's surface, and its size at the last frame
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  Region shown_;         // where the canvas lies on the window's surface
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
