#include "platform/journal/replaying_host.h"

#include <algorithm>
#include <cstdio>

namespace vorn::journal {

namespace {

// Windows are given at most one frame in this many seconds when the replay
// runs faster than recorded: about a screen refresh.
constexpr double kShowEvery = 1.0 / 60.0;
// How often a paused replay looks at the window's input.
constexpr double kPausedLook = 0.05;

Region Bounds(const Region& a, const Region& b) {
  if (a.Width <= 0 || a.Height <= 0) return b;
  const int left = std::min(a.X, b.X);
  const int top = std::min(a.Y, b.Y);
  const int right = std::max(a.X + a.Width, b.X + b.Width);
  const int bottom = std::max(a.Y + a.Height, b.Y + b.Height);
  return {left, top, right - left, bottom - top};
}

}  // namespace

void ReplayingHost::Viewer::Hand(const InputEvent& event) {
  const bool ends = event.Type == InputEvent::Kind::CloseRequest ||
                    (event.Type == InputEvent::Kind::Key &&
                     (event.Code == 'q' || event.Code == 'Q' || event.Code == kKeyEscape ||
                      event.Code == kKeyCloseRequest));
  const bool touches = event.Type == InputEvent::Kind::Key ||
                       event.Type == InputEvent::Kind::ButtonDown;
  if (ends || (host_.stopOnAnyInput_ && touches)) host_.Stop();
}

void ReplayingHost::Stop() {
  if (state_ == State::Playing) state_ = State::Stopped;
}

void ReplayingHost::Anchor(double reading) {
  paceReading_ = reading;
  paceWall_ = window_ != nullptr ? window_->Clock() : 0.0;
}

void ReplayingHost::SetSpeed(double speed) {
  if (speed <= 0.0 || speed == speed_) return;
  speed_ = speed;
  if (haveReading_) Anchor(last_);
}

void ReplayingHost::SetPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  if (!paused && haveReading_) Anchor(last_);
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
  const double reading = next_.Seconds;
  if (!haveReading_) {
    first_ = reading;
    haveReading_ = true;
    Anchor(reading);
  }
  last_ = reading;
  if (window_ != nullptr) KeepPace(reading);
  return reading;
}

void ReplayingHost::KeepPace(double reading) {
  // The window keeps the frame it was last given: a pause shows at most a
  // screen refresh less than the console has drawn.
  while (paused_ && state_ == State::Playing) {
    window_->Wait(kPausedLook, viewer_);
    if (!paused_) Anchor(reading);
  }
  // At least one wait, so the window keeps answering when the replay runs
  // late. Faster than recorded, a reading due within a refresh comes at
  // once: the window is shown no more often, and a window's timer may not
  // sleep so little (a browser's sleeps at least 4 ms, which would hold a
  // 16x replay to a fraction of its pace).
  const double early = speed_ > 1.0 ? kShowEvery : 0.0;
  for (;;) {
    const double due = paceWall_ + (reading - paceReading_) / speed_;
    const double left = due - window_->Clock();
    const bool now = left <= early;
    window_->Wait(now ? 0.0 : left, viewer_);
    if (now || state_ != State::Playing) return;
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
  if (window_ != nullptr) ShowInWindow(frame);
}

void ReplayingHost::ShowInWindow(const Frame& frame) {
  if (speed_ <= 1.0 && !havePending_) {
    window_->Show(frame);
    return;
  }
  const bool newScreen = frame.NewScreen || (havePending_ && pending_.NewScreen);
  if (newScreen) {
    pendingArea_ = {0, 0, frame.Width, frame.Height};
  } else {
    if (!havePending_) pendingArea_ = {};
    for (const Region& changed : frame.Changed) pendingArea_ = Bounds(pendingArea_, changed);
  }
  pending_ = frame;
  pending_.NewScreen = newScreen;
  havePending_ = true;
  // A frame kept back points into the console's canvas, which may be gone
  // by its next call (a new screen frees it), so the last frame before the
  // journal's end is given at once.
  const double now = window_->Clock();
  if (speed_ <= 1.0 || now - lastShown_ >= kShowEvery || Peek() != Next::Event) {
    ShowPending();
    lastShown_ = now;
  }
}

void ReplayingHost::ShowPending() {
  if (!havePending_) return;
  havePending_ = false;
  if (pendingArea_.Width <= 0 || pendingArea_.Height <= 0) return;
  pending_.Changed = std::span<const Region>(&pendingArea_, 1);
  window_->Show(pending_);
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
