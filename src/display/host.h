#pragma once
// The one door between the console and the operating system. The console
// reads the clock, sleeps, and lets the host pump its window events (which
// feed the key ring and the mouse state) and show the canvas rows that
// changed. Two hosts exist: the SDL window and a headless host for tests and
// benchmarks.

namespace vorn {

class Host {
 public:
  virtual ~Host() = default;
  // A monotonic clock in seconds; only differences matter.
  virtual double Clock() = 0;
  // Waits about ms milliseconds, keeping the window responsive meanwhile.
  virtual void Sleep(int ms) = 0;
  // Takes the window's pending events and, at most about 60 times a second,
  // shows the canvas rows that changed. Cheap when nothing is due.
  virtual void Pump() = 0;
};

// The host the console runs on. There is always one: until a host is
// installed, a headless host with a still clock stands in.
Host& ActiveHost();
void SetActiveHost(Host* host);

}  // namespace vorn
