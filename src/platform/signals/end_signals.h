#pragma once
// Ctrl+C (SIGINT), kill (SIGTERM) and a closed terminal (SIGHUP) end the
// console the way its q key does. The handler only notes the signal; a host
// wrapped around the window's hands the console a q at each wait from then
// on, so the console ends through its own loop, a recording takes the q down
// like any key and is closed whole, and its replay ends at the same point.
// (A q on the help pages leads back to the console, where the next ends it.)
// A second signal of the same kind ends the program at once.

#include "platform/host.h"

namespace vorn {

// Installs the handlers, forgetting any signal that came before. The
// handlers found are kept (once, however often this is called) for
// ReleaseEndSignals.
void CatchEndSignals();
// Puts back the handlers CatchEndSignals found.
void ReleaseEndSignals();
// Whether one of the signals has come since.
bool EndSignalled();

// After a signal a wait lasts at most this long: the console still idles
// between its wake-ups (a wait of 0 would make its loop spin, and a
// recording take down every turn), and a long wait (a replay keeping a
// recorded pause) still ends within a frame or two.
inline constexpr double kSignalledWait = 0.02;

class EndOnSignalHost : public Host {
 public:
  explicit EndOnSignalHost(Host& inner) : inner_(inner) {}

  double Clock() override { return inner_.Clock(); }
  void Wait(double seconds, InputSink& input) override;
  void WaitUntil(double clock, InputSink& input) override;
  void Show(const Frame& frame) override { inner_.Show(frame); }
  bool Finished() override { return inner_.Finished(); }

 private:
  void HandEnd(InputSink& input);

  Host& inner_;
};

}  // namespace vorn
