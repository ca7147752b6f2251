#include "display/headless_host.h"

#include <algorithm>

#include "app/console_state.h"
#include "display/services.h"

namespace vorn {

double HeadlessHost::Clock() {
  const double now = time_;
  time_ += step_;
  return now;
}

void HeadlessHost::Sleep(int ms) {
  if (ms > 0) time_ += ms / 1000.0;
  Pump();
}

void HeadlessHost::Pump() {
  ++pumps_;
  while (!script_.empty() && script_.front().At <= time_) {
    const Event event = script_.front();
    script_.pop_front();
    if (event.IsKey) {
      QueueKey(event.Code);
    } else {
      State.Mouse.PointerX = event.X;
      State.Mouse.PointerY = event.Y;
      SetMouseButtons(event.Buttons);
    }
  }
}

void HeadlessHost::Insert(const Event& event) {
  // Keep the script in time order; events at the same time keep their order.
  auto at = std::upper_bound(script_.begin(), script_.end(), event.At,
                             [](double t, const Event& e) { return t < e.At; });
  script_.insert(at, event);
}

void HeadlessHost::ScheduleKey(double at, int code) {
  Insert(Event{at, true, code, 0, 0, 0});
}

void HeadlessHost::ScheduleMouse(double at, int x, int y, int buttons) {
  Insert(Event{at, false, 0, x, y, buttons});
}

}  // namespace vorn
