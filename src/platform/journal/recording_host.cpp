#include "platform/journal/recording_host.h"

namespace vorn::journal {

double RecordingHost::Clock() {
  const double now = inner_.Clock();
  writer_.Clock(now);
  writer_.FlushIfDue();
  return now;
}

void RecordingHost::Wait(double seconds, InputSink& input) {
  writer_.Wait();
  Tee tee(writer_, input);
  inner_.Wait(seconds, tee);
  writer_.FlushIfDue();
}

void RecordingHost::WaitUntil(double clock, InputSink& input) {
  writer_.Wait();
  Tee tee(writer_, input);
  inner_.WaitUntil(clock, tee);
  writer_.FlushIfDue();
}

void RecordingHost::Show(const Frame& frame) {
  writer_.Shown(FrameDigest(frame));
  inner_.Show(frame);
}

}  // namespace vorn::journal
