#include "platform/signals/end_signals.h"

#include <algorithm>
#include <csignal>
#include <cstddef>

namespace vorn {

namespace {

constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kEndSignalCount = std::size(kEndSignals);

volatile std::sig_atomic_t endSignalled = 0;
struct sigaction found[kEndSignalCount];
bool caught = false;

extern "C" void NoteEndSignal(int /*signal*/) {
  endSignalled = 1;
}

}  // namespace

void CatchEndSignals() {
  endSignalled = 0;
  struct sigaction action = {};
  action.sa_handler = NoteEndSignal;
  sigemptyset(&action.sa_mask);
  // A second signal of the kind takes its default course: it ends a
  // console that does not end by itself.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  for (std::size_t i = 0; i < kEndSignalCount; ++i)
    sigaction(kEndSignals[i], &action, caught ? nullptr : &found[i]);
  caught = true;
}

void ReleaseEndSignals() {
  if (!caught) return;
  for (std::size_t i = 0; i < kEndSignalCount; ++i) sigaction(kEndSignals[i], &found[i], nullptr);
  caught = false;
}

bool EndSignalled() {
  return endSignalled != 0;
}

void EndOnSignalHost::HandEnd(InputSink& input) {
  if (EndSignalled()) input.Hand(InputEvent{InputEvent::Kind::Key, 'q', 0, 0});
}

void EndOnSignalHost::Wait(double seconds, InputSink& input) {
  inner_.Wait(EndSignalled() ? std::min(seconds, kSignalledWait) : seconds, input);
  HandEnd(input);
}

void EndOnSignalHost::WaitUntil(double clock, InputSink& input) {
  if (EndSignalled())
    inner_.Wait(std::clamp(clock - inner_.Clock(), 0.0, kSignalledWait), input);
  else
    inner_.WaitUntil(clock, input);
  HandEnd(input);
}

}  // namespace vorn
