#include "platform/signals/end_signals.h"

#include <csignal>

namespace vorn {

namespace {

volatile std::sig_atomic_t endSignalled = 0;

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
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool EndSignalled() {
  return endSignalled != 0;
}

void EndOnSignalHost::HandEnd(InputSink& input) {
  if (EndSignalled()) input.Hand(InputEvent{InputEvent::Kind::Key, 'q', 0, 0});
}

void EndOnSignalHost::Wait(double seconds, InputSink& input) {
  inner_.Wait(EndSignalled() ? 0.0 : seconds, input);
  HandEnd(input);
}

void EndOnSignalHost::WaitUntil(double clock, InputSink& input) {
  if (EndSignalled())
    inner_.Wait(0.0, input);
  else
    inner_.WaitUntil(clock, input);
  HandEnd(input);
}

}  // namespace vorn
