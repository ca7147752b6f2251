#pragma once
// The console in a browser tab. The canvas goes to an HTML canvas element,
// whose own pixel size is the canvas size and which the page scales to fit
// its screen area; only the changed rectangles are converted and put. The
// page's keyboard, mouse, wheel and focus events are queued by a little
// JavaScript glue and handed to the console while it waits. Waiting gives
// control back to the browser (the build uses Asyncify), so the tab keeps
// answering and takes no CPU while the console has nothing to do.
//
// Expects the page to hold a `#screen` element (the area the canvas is
// shown in) with a `canvas#canvas` inside it, and an `#ended` element that
// is shown when the program has ended.

#include <cstdint>
#include <vector>

#include "platform/host.h"
#include "platform/letterbox.h"

namespace vorn::web {

class WebHost final : public Host {
 public:
  WebHost();
  WebHost(const WebHost&) = delete;
  WebHost& operator=(const WebHost&) = delete;

  double Clock() override;
  void Wait(double seconds, InputSink& input) override;
  void WaitUntil(double clock, InputSink& input) override;
  void Show(const Frame& frame) override;

  // Shows the page's "ended" message over the canvas and stops taking input.
  void ShowEnded();

 private:
  // Hands the input the page queued to `input`; true when there was any.
  bool TakeInput(InputSink& input);
  // Places the canvas in the screen area anew (its size or the area's changed).
  void Place();
  CanvasPoint Map(double x, double y) const;

  std::vector<std::uint32_t> rgba_;  // the canvas as RGBA, what the page puts
  int width_ = 0;
  int height_ = 0;
  int areaWidth_ = 0;  // the screen area in device pixels
  int areaHeight_ = 0;
  bool fullScreen_ = false;
  Region shown_;  // where the canvas is shown in the area
};

}  // namespace vorn::web
