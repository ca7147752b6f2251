#pragma once
// A host without a window, for tests, benchmarks and replays: its clock is
// set and advanced by the caller, waiting advances it, and input arrives
// from a script of timed keys and mouse states.

#include <cstdint>
#include <deque>

#include "platform/host.h"

namespace vorn {

class HeadlessHost : public Host {
 public:
  // Each read of the clock advances it by this much afterwards, so an
  // unattended loop moves on through simulated time.
  explicit HeadlessHost(double secondsPerClockRead = 0.0004) : step_(secondsPerClockRead) {}

  double Clock() override;
  // Advances the clock by the whole wait, then hands over the input that has
  // fallen due.
  void Wait(double seconds, InputSink& input) override;
  // Sets the clock just past the given reading (if it is not already), so a
  // loop that waits for a deadline always finds it passed.
  void WaitUntil(double clock, InputSink& input) override;
  // Counts the frames with a change in them; nothing is shown.
  void Show(const Frame& frame) override;

  double Time() const { return time_; }
  void SetTime(double seconds) { time_ = seconds; }
  void Advance(double seconds) { time_ += seconds; }
  void SetSecondsPerClockRead(double seconds) { step_ = seconds; }

  // Scripted input, handed over by the first wait that ends at or after the
  // given time.
  void ScheduleKey(double at, int code);
  void ScheduleMouse(double at, int x, int y, int buttons);
  void ScheduleFocus(double at, bool active);
  // Input handed over at the next wait.
  void PressKey(int code) { ScheduleKey(time_, code); }
  void MoveMouse(int x, int y, int buttons) { ScheduleMouse(time_, x, y, buttons); }
  bool ScriptDone() const { return script_.empty(); }

  std::uint64_t Waits() const { return waits_; }
  std::uint64_t FramesShown() const { return framesShown_; }
  std::uint64_t ClockReads() const { return clockReads_; }

 private:
  struct Event {
    double At;
    InputEvent Input;
    int Buttons;  // for a mouse state: the buttons held
    bool IsMouseState;
  };
  void Insert(const Event& event);
  void HandDue(InputSink& input);

  double time_ = 1000.0;  // an arbitrary epoch, like a real monotonic clock
  double step_;
  std::deque<Event> script_;
  int buttons_ = 0;  // the buttons as last handed over
  std::uint64_t waits_ = 0;
  std::uint64_t framesShown_ = 0;
  std::uint64_t clockReads_ = 0;
};

}  // namespace vorn
