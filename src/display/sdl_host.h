#pragma once
// The console's window, through SDL2: it shows the canvas (scaled to fit the
// desktop when needed, resizable, Alt+Enter for full screen), feeds keys and
// the mouse to the console, and reads the high-resolution clock.
//
// The canvas goes to the window's own surface, and only the bands of rows
// that drawing changed are copied and sent to the display, at most 60 times
// a second and never waiting for a vertical blank. No 3D renderer is
// involved: without a graphics card it would be a software one, many times
// slower and larger than the plain copy.

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "display/host.h"

namespace vorn {

class SdlHost : public Host {
 public:
  SdlHost() = default;
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;
  ~SdlHost() override;

  // Opens the window; false (with Error() saying why) when there is no display.
  bool Open();
  const std::string& Error() const { return error_; }

  double Clock() override;
  void Sleep(int ms) override;
  void Pump() override;

  std::uint64_t FramesShown() const { return framesShown_; }
  // Wall time spent showing frames: in all, and the longest single frame.
  double FrameSeconds() const { return frameSeconds_; }
  double LongestFrameSeconds() const { return longestFrameSeconds_; }
  // How frames reach the display, for measurements ("x11 window surface").
  std::string DisplayPath() const;

 private:
  void HandleEvent(const SDL_Event& event);
  void HandleKeyDown(const SDL_KeyboardEvent& key);
  void HandleText(const char* utf8);
  void ToggleFullScreen();
  void ShowCanvas();
  bool WrapCanvas();
  void MapPointer(int x, int y);

  SDL_Window* window_ = nullptr;
  // The canvas's pixels seen as an SDL surface (they are not copied).
  SDL_Surface* canvasSurface_ = nullptr;
  int canvasGeneration_ = -1;
  const void* canvasPixels_ = nullptr;
  SDL_Surface* lastScreen_ = nullptr;  // the window's surface at the last frame, and its size
  int lastScreenWidth_ = 0;
  int lastScreenHeight_ = 0;
  // The rectangles sent to the display in one frame: at most one per band
  // of changed rows, so never more than half the rows.
  std::vector<SDL_Rect> shownRects_;
  std::string error_;
  double secondsPerCount_ = 0.0;
  std::uint64_t countsPerFrame_ = 0;
  std::uint64_t nextFrame_ = 0;
  std::uint64_t framesShown_ = 0;
  double frameSeconds_ = 0.0;
  double longestFrameSeconds_ = 0.0;
  bool redrawWhole_ = true;
  bool fullScreen_ = false;
};

}  // namespace vorn
