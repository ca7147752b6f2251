#pragma once
// The console's window, through SDL2: it shows the canvas (scaled to fit the
// desktop when needed, resizable, Alt+Enter for full screen), feeds keys and
// the mouse to the console, and reads the high-resolution clock.

#include <SDL.h>

#include <cstdint>
#include <string>

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

 private:
  void HandleEvent(const SDL_Event& event);
  void HandleKeyDown(const SDL_KeyboardEvent& key);
  void HandleText(const char* utf8);
  void ToggleFullScreen();
  void ShowCanvas();
  bool MatchTextureToCanvas();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureGeneration_ = -1;
  std::string error_;
  double secondsPerCount_ = 0.0;
  std::uint64_t countsPerFrame_ = 0;
  std::uint64_t nextFrame_ = 0;
  std::uint64_t framesShown_ = 0;
  bool redrawWhole_ = true;
  bool fullScreen_ = false;
};

}  // namespace vorn
