#pragma once
// The window's title during a replay: where the replay stands in its
// recording and how long the recording is, to the second, and its pace when
// it is not the recorded one ("vorn: replay of drill.vornj 1:23 / 3:05 at 4×").

#include <functional>
#include <string>
#include <utility>

#include "platform/host.h"

namespace vorn::journal {

// The seconds the journal at `path` recorded: its last clock reading less its
// first. Reads it to its end; a journal that cannot be read that far gives
// the length up to where it can.
double RecordedSeconds(const std::string& path);

// The title for a replay of the journal named `name` (its file name), at
// `position` seconds of `length`, played `speed` times as fast as recorded.
std::string ReplayTitle(const std::string& name, double position, double length, double speed);

// Stands between the console and a replaying host and gives the window a new
// title each time the replay passes a whole second of recorded time, not at
// every frame.
class TitledReplayHost : public Host {
 public:
  using TitleSink = std::function<void(const std::string&)>;
  TitledReplayHost(Host& replay, std::string name, double length, double speed, TitleSink title)
      : replay_(replay),
        name_(std::move(name)),
        length_(length),
        speed_(speed),
        title_(std::move(title)) {}

  double Clock() override;
  void Wait(double seconds, InputSink& input) override { replay_.Wait(seconds, input); }
  void WaitUntil(double clock, InputSink& input) override { replay_.WaitUntil(clock, input); }
  void Show(const Frame& frame) override { replay_.Show(frame); }
  bool Finished() override { return replay_.Finished(); }

 private:
  Host& replay_;
  std::string name_;
  double length_;
  double speed_;
  TitleSink title_;
  bool started_ = false;
  double first_ = 0.0;
  long long shownSecond_ = -1;  // the whole second the title shows
};

}  // namespace vorn::journal
