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
// true and Diverged() says at which event.

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

  // Call once the console has returned: notes a journal that goes on past
  // the point where the console ended (unless the viewer stopped the replay).
  void ConsoleEnded();

  enum class State {
    Playing,
    Ended,     // the journal's end mark, or the console ended where the recording did
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

  // The next event into next_; false (and the state set) at the journal's end.
  bool Peek();
  void Take() { havePeek_ = false; }
  void Diverge(const std::string& what);
  void KeepPace(double reading);

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
  double wallStart_ = 0.0;
  std::uint64_t frames_ = 0;
};

}  // namespace vorn::journal
