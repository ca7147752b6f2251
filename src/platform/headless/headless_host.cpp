#include "platform/headless/headless_host.h"

#include <algorithm>
#include <cmath>

namespace vorn {

double HeadlessHost::Clock() {
  ++clockReads_;
  const double now = time_;
  time_ += step_;
  return now;
}

void HeadlessHost::Wait(double seconds, InputSink& input) {
  ++waits_;
  if (seconds > 0) time_ += seconds;
  HandDue(input);
}

void HeadlessHost::WaitUntil(double clock, InputSink& input) {
  ++waits_;
  if (clock >= time_) time_ = std::nextafter(clock, clock + 1.0);
  HandDue(input);
}

void HeadlessHost::Show(const Frame& frame) {
  if (frame.NewScreen || !frame.Changed.empty()) ++framesShown_;
}

// A mouse state becomes a move of the pointer, then a press or release for
// each button that changed.
void HeadlessHost::HandDue(InputSink& input) {
  while (!script_.empty() && script_.front().At <= time_) {
    const Event event = script_.front();
    script_.pop_front();
    if (!event.IsMouseState) {
      input.Hand(event.Input);
      continue;
    }
    const int x = event.Input.X, y = event.Input.Y;
    input.Hand(InputEvent{InputEvent::Kind::Pointer, 0, x, y});
    for (const int bit : {kButtonLeft, kButtonRight, kButtonMiddle}) {
      const bool was = (buttons_ & bit) != 0, is = (event.Buttons & bit) != 0;
      if (was == is) continue;
      input.Hand(
          InputEvent{is ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp, bit, x, y});
    }
    buttons_ = event.Buttons;
  }
}

void HeadlessHost::Insert(const Event& event) {
  // Keep the script in time order; events at the same time keep their order.
  auto at = std::upper_bound(script_.begin(), script_.end(), event.At,
                             [](double t, const Event& e) { return t < e.At; });
  script_.insert(at, event);
}

void HeadlessHost::ScheduleKey(double at, int code) {
  Insert(Event{at, InputEvent{InputEvent::Kind::Key, code, 0, 0}, 0, false});
}

void HeadlessHost::ScheduleMouse(double at, int x, int y, int buttons) {
  Insert(Event{at, InputEvent{InputEvent::Kind::Pointer, 0, x, y}, buttons, true});
}

void HeadlessHost::ScheduleFocus(double at, bool active) {
  Insert(Event{at, InputEvent{InputEvent::Kind::Focus, active ? 1 : 0, 0, 0}, 0, false});
}

}  // namespace vorn
