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

ReplayingHost::Next ReplayingHost::Peek() {
  // Once ended, stopped or parted, the journal gives nothing more.
  if (state_ != State::Playing) return Next::Nothing;
  if (havePeek_) return Next::Event;
  switch (reader_.Next(next_)) {
    case JournalReader::Result::Event:
      havePeek_ = true;
      return Next::Event;
    case JournalReader::Result::End:
      return Next::EndMark;
    case JournalReader::Result::Saved:
      return Next::SavedMark;
    case JournalReader::Result::CutOff:
      state_ = State::CutOff;
      message_ = reader_.Error();
      return Next::Nothing;
    case JournalReader::Result::Damaged:
      state_ = State::Damaged;
      message_ = reader_.Error();
      return Next::Nothing;
  }
  return Next::Nothing;
}

bool ReplayingHost::Expect(Event::Type kind, const char* what) {
  switch (Peek()) {
    case Next::Event:
      if (next_.Kind == kind) {
        Take();
        return true;
      }
      Diverge(std::string("the console ") + what + " where the recording has " +
              Describe(next_.Kind));
      return false;
    case Next::EndMark:
      Diverge(std::string("the recorded console ended here, but this one went on and ") + what);
      return false;
    case Next::SavedMark:
      state_ = State::Saved;
      return false;
    case Next::Nothing:
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
  if (!Expect(Event::Type::Clock, "read the clock")) return last_;
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
  if (!Expect(Event::Type::Wait, "waited")) return;
  while (Peek() == Next::Event && next_.Kind == Event::Type::Input) {
    Take();
    input.Hand(next_.Input);
  }
}

void ReplayingHost::Show(const Frame& frame) {
  if (!Expect(Event::Type::Shown, "showed a frame")) return;
  ++frames_;
  if (FrameDigest(frame) != next_.FrameDigest) {
    Diverge("frame " + std::to_string(frames_) + " differs from the recorded one");
    return;
  }
  if (window_ != nullptr) window_->Show(frame);
}

void ReplayingHost::ConsoleEnded() {
  switch (Peek()) {
    case Next::EndMark:
      state_ = State::Ended;
      break;
    case Next::Event:
      Diverge(std::string("the console ended where the recording goes on with ") +
              Describe(next_.Kind));
      break;
    case Next::SavedMark:
      Diverge("the console ended where the recorded one ran on until the journal was saved");
      break;
    case Next::Nothing:
      break;
  }
}

}  // namespace vorn::journal
