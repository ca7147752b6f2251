#include "platform/journal/replaying_host.h"

#include <cstdio>

namespace vorn::journal {

void ReplayingHost::Viewer::Hand(const InputEvent& event) {
  const bool ends = event.Type == InputEvent::Kind::CloseRequest ||
                    (event.Type == InputEvent::Kind::Key &&
                     (event.Code == 'q' || event.Code == 'Q' || event.Code == kKeyEscape ||
                      event.Code == kKeyCloseRequest));
  if (ends && host_.state_ == State::Playing) host_.state_ = State::Stopped;
}

bool ReplayingHost::Peek() {
  // Once ended, stopped or parted, the journal gives nothing more.
  if (state_ != State::Playing) return false;
  if (havePeek_) return true;
  switch (reader_.Next(next_)) {
    case JournalReader::Result::Event:
      havePeek_ = true;
      return true;
    case JournalReader::Result::End:
      state_ = State::Ended;
      return false;
    case JournalReader::Result::CutOff:
      state_ = State::CutOff;
      message_ = reader_.Error();
      return false;
    case JournalReader::Result::Damaged:
      state_ = State::Damaged;
      message_ = reader_.Error();
      return false;
  }
  return false;
}

void ReplayingHost::Diverge(const std::string& what) {
  char at[64];
  std::snprintf(at, sizeof at, " (%.3f s into the recording): ", Seconds());
  state_ = State::Diverged;
  message_ = "the replay diverged at event " + std::to_string(reader_.EventNumber()) + at + what;
  const std::string& recordedBy = reader_.JournalHeader().ProgramVersion;
  if (!recordedBy.empty()) message_ += " (recorded by vorn " + recordedBy + ")";
}

double ReplayingHost::Clock() {
  if (!Peek()) return last_;
  if (next_.Kind != Event::Type::Clock) {
    Diverge(std::string("the console read the clock where the recording has ") +
            Describe(next_.Kind));
    return last_;
  }
  Take();
  const double reading = next_.Seconds;
  if (!haveReading_) {
    first_ = reading;
    haveReading_ = true;
    if (window_ != nullptr) wallStart_ = window_->Clock();
  }
  last_ = reading;
  if (window_ != nullptr) KeepPace(reading);
  return reading;
}

void ReplayingHost::KeepPace(double reading) {
  const double due = wallStart_ + (reading - first_);
  // At least one wait, so the window keeps answering when the replay runs late.
  for (;;) {
    const double left = due - window_->Clock();
    window_->Wait(left > 0.0 ? left : 0.0, viewer_);
    if (left <= 0.0 || state_ != State::Playing) return;
  }
}

void ReplayingHost::Wait(double /*seconds*/, InputSink& input) {
  if (!Peek()) return;
  if (next_.Kind != Event::Type::Wait) {
    Diverge(std::string("the console waited where the recording has ") + Describe(next_.Kind));
    return;
  }
  Take();
  while (Peek() && next_.Kind == Event::Type::Input) {
    Take();
    input.Hand(next_.Input);
  }
}

void ReplayingHost::Show(const Frame& frame) {
  if (!Peek()) return;
  if (next_.Kind != Event::Type::Shown) {
    Diverge(std::string("the console showed a frame where the recording has ") +
            Describe(next_.Kind));
    return;
  }
  Take();
  ++frames_;
  if (FrameDigest(frame) != next_.FrameDigest) {
    Diverge("frame " + std::to_string(frames_) + " differs from the recorded one");
    return;
  }
  if (window_ != nullptr) window_->Show(frame);
}

void ReplayingHost::ConsoleEnded() {
  if (!Peek()) return;
  Diverge(std::string("the console ended where the recording goes on with ") +
          Describe(next_.Kind));
}

}  // namespace vorn::journal
