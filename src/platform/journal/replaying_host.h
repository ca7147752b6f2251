#pragma once
// A host that gives the console a recorded run back: the clock readings and
// the inputs from a journal, in the order they were recorded. Without a
// window it runs as fast as the console goes; with one it shows each frame
// and keeps to the recorded pace, and the window's q, Escape or close button
// end the replay (its other input is not the console's: the journal's is).
//
// Each call of the console must be the one the journal has next. When it is
// not (the console reads the clock where the recording waited, or a frame
// differs from the recorded one), the replay has diverged: Finished() turns
// true and Message() says at which event. The end is judged too: the end
// mark was written when the recorded console ended, so a console that goes
// on past it, or ends before it, has diverged. A journal saved while its
// console ran (the saved mark) stops the replay there instead.
//
// In a window the viewer can change the pace (a speed, a pause) or stop the
// replay. Faster than the recorded pace the console shows frames faster than
// a screen does, so the window is given at most one a screen refresh, with
// the rectangles changed since the last one it was given, and the last
// frame before the journal's end.

#include <cstdint>
#include <string>

#include "platform/host.h"
#include "platform/journal/journal_reader.h"

namespace vorn::journal {

class ReplayingHost : public Host {
 public:
  // `window` may be null: a replay without a window, as fast as it goes.
  ReplayingHost(JournalReader& reader, Host* window) : reader_(reader), window_(window) {}

  double Clock() override;
  // Both waits hand the inputs the recording had in the same wait, at once.
  void Wait(double seconds, InputSink& input) override;
  void WaitUntil(double /*clock*/, InputSink& input) override { Wait(0.0, input); }
  void Show(const Frame& frame) override;
  bool Finished() override { return state_ != State::Playing; }

  // Recorded seconds per real second: 1 keeps the recorded pace.
  void SetSpeed(double speed);
  double Speed() const { return speed_; }
  // While paused the window keeps answering and shows what it last showed.
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  // Ends the replay as the viewer's q does.
  void Stop();
  // Any key, button or touch of the viewer's then ends the replay, not only
  // q, Escape and the close button (a kiosk hands over on a touch).
  void StopOnAnyInput(bool on) { stopOnAnyInput_ = on; }

  // Call once the console has returned: the replay has ended if the
  // recording ended there too, and diverged if it goes on (unless the
  // viewer stopped the replay or the journal ran out first).
  void ConsoleEnded();

  enum class State {
    Playing,
    Ended,     // the console ended where the recording did, at its end mark
    Saved,     // the journal's saved mark: recorded while the console ran on
    CutOff,    // the journal ends without its end mark: replayed to its last whole block
    Stopped,   // the viewer ended the replay
    Diverged,  // Message() says where
    Damaged,   // Message() says where
  };
  State Outcome() const { return state_; }
  // What went wrong (Diverged, Damaged) or was noticed (CutOff).
  const std::string& Message() const { return message_; }
  std::uint64_t Frames() const { return frames_; }
  // Simulated seconds replayed: the last reading less the first.
  double Seconds() const { return haveReading_ ? last_ - first_ : 0.0; }

 private:
  // Takes the window's input: q, Escape and the close button stop the replay.
  class Viewer : public InputSink {
   public:
    explicit Viewer(ReplayingHost& host) : host_(host) {}
    void Hand(const InputEvent& event) override;

   private:
    ReplayingHost& host_;
  };

  // What the journal has next: an event (in next_), one of its two marks,
  // or nothing more (the state then says why).
  enum class Next { Event, EndMark, SavedMark, Nothing };
  Next Peek();
  // The next event for a call of the console (`what` says which, "read the
  // clock"); false, with the state set, when the journal has another kind
  // of event or has ended.
  bool Expect(Event::Type kind, const char* what);
  void Take() { havePeek_ = false; }
  void Diverge(const std::string& what);
  void KeepPace(double reading);
  // Restarts the pace: `reading` is due now.
  void Anchor(double reading);
  void ShowInWindow(const Frame& frame);
  // Gives the window what it has not been shown yet, if anything.
  void ShowPending();

  JournalReader& reader_;
  Host* window_;
  Viewer viewer_{*this};
  Event next_;
  bool havePeek_ = false;
  State state_ = State::Playing;
  std::string message_;
  double first_ = 0.0;
  double last_ = 0.0;
  bool haveReading_ = false;
  // The pace: the recorded reading paceReading_ is due at the window's
  // clock paceWall_, and later ones `speed_` times as fast.
  double paceWall_ = 0.0;
  double paceReading_ = 0.0;
  double speed_ = 1.0;
  bool paused_ = false;
  bool stopOnAnyInput_ = false;
  std::uint64_t frames_ = 0;
  // Frames kept from the window while replaying fast: the last one, and the
  // bounds of all they changed.
  Frame pending_;
  Region pendingArea_;
  bool havePending_ = false;
  double lastShown_ = -1.0;
};

}  // namespace vorn::journal
