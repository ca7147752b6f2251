#pragma once
// The console in a browser tab, behind the same door as every host. The
// page's own script (web/page.js) does what a page does: it lays the canvas
// out, turns pointer and key events into the console's input, keeps the
// page's clock (which stands still while the page is hidden) and says what
// went wrong when the program cannot start. This host is the door between
// that script and the console: it takes the page's input, sleeps in the
// browser's event loop (the build uses Asyncify, so the tab keeps answering
// and takes no CPU while the console has nothing to do), and converts and
// puts the changed rectangles of the canvas.
//
// The page's script reaches back only for the rules every host shares: the
// letterbox (where the canvas is shown, and where a pointer falls on it)
// and the key rules, so that the page and the desktop window agree.

#include <cstdint>
#include <vector>

#include "platform/host.h"

namespace vorn::web {

// Hears the page's commands (see page_commands.h) at each wait of the
// console's, before the input of that wait is handed over. `slept` says the
// wait slept: the console had done all that was due.
class PageListener {
 public:
  virtual void AtWait(bool slept) = 0;

 protected:
  ~PageListener() = default;
};

class WebHost final : public Host {
 public:
  WebHost();
  WebHost(const WebHost&) = delete;
  WebHost& operator=(const WebHost&) = delete;

  double Clock() override;
  void Wait(double seconds, InputSink& input) override;
  void WaitUntil(double clock, InputSink& input) override;
  void Show(const Frame& frame) override;
  // True once the page asked for another session: the console then ends.
  bool Finished() override { return sessionEnded_; }

  void Listen(PageListener* listener) { listener_ = listener; }
  // Ends the console's run on this host (true), or lets a new one begin.
  void EndSession(bool ended) { sessionEnded_ = ended; }

  // Shows the page's "ended" message over the canvas and stops taking input.
  void ShowEnded();

 private:
  // Hands the input the page queued to `input`.
  void TakeInput(InputSink& input);

  std::vector<std::uint32_t> rgba_;  // the canvas as RGBA, what the page puts
  int width_ = 0;
  int height_ = 0;
  PageListener* listener_ = nullptr;
  bool sessionEnded_ = false;
};

}  // namespace vorn::web
