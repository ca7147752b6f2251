#pragma once
// A host without a window, for tests and benchmarks: its clock is set and
// advanced by the caller, sleeping advances it, and input arrives from a
// script of timed keys and mouse states.

#include <deque>

#include "display/host.h"

namespace vorn {

class HeadlessHost : public Host {
 public:
  // Each read of the clock advances it by this much afterwards, so an
  // unattended loop moves on through simulated time.
  explicit HeadlessHost(double secondsPerClockRead = 0.0004) : step_(secondsPerClockRead) {}

  double Clock() override;
  void Sleep(int ms) override;
  void Pump() override;

  double Time() const { return time_; }
  void SetTime(double seconds) { time_ = seconds; }
  void Advance(double seconds) { time_ += seconds; }
  void SetSecondsPerClockRead(double seconds) { step_ = seconds; }

  // Scripted input, delivered by the first pump at or after the given time.
  void ScheduleKey(double at, int code);
  void ScheduleMouse(double at, int x, int y, int buttons);
  // Input delivered at the next pump.
  void PressKey(int code) { ScheduleKey(time_, code); }
  void MoveMouse(int x, int y, int buttons) { ScheduleMouse(time_, x, y, buttons); }
  bool ScriptDone() const { return script_.empty(); }

  int Pumps() const { return pumps_; }

 private:
  struct Event {
    double At;
    bool IsKey;
    int Code, X, Y, Buttons;
  };
  void Insert(const Event& event);

  double time_ = 1000.0;  // an arbitrary epoch, like a real monotonic clock
  double step_;
  std::deque<Event> script_;
  int pumps_ = 0;
};

}  // namespace vorn
