// The recording and replaying hosts, driven by a small stand-in for the
// console that uses the door the way the console does: a replay gives the
// same readings, inputs and frames back; a run that parts from its journal
// is stopped and told where.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <csignal>

#include "platform/journal/journal_file.h"
#include "platform/journal/recording_host.h"
#include "platform/journal/replaying_host.h"
#include "platform/signals/end_signals.h"

namespace vorn::journal {
namespace {

namespace fs = std::filesystem;

// A host with a scripted clock and input: each read advances the clock a
// little, a wait advances it by the time asked for, and due input is handed
// in during a wait.
class ScriptedHost : public Host {
 public:
  struct Due {
    double At;
    InputEvent Input;
  };
  explicit ScriptedHost(std::vector<Due> script) : script_(std::move(script)) {}
  double Clock() override { return time_ += 0.0003; }
  void Wait(double seconds, InputSink& input) override {
    if (seconds > 0.0 && seconds < shortestSleep_) shortestSleep_ = seconds;
    time_ += seconds;
    while (next_ < script_.size() && script_[next_].At <= time_) input.Hand(script_[next_++].Input);
  }
  void WaitUntil(double clock, InputSink& input) override {
    Wait(clock > time_ ? clock - time_ : 0.0, input);
  }
  void Show(const Frame& frame) override {
    if (shown_++ == 0) firstNewScreen_ = frame.NewScreen;
    if (!frame.Changed.empty()) changed_.push_back(frame.Changed.front());
  }
  int Shown() const { return shown_; }
  double Now() const { return time_; }
  // What each frame shown changed (its first rectangle), and whether the
  // first was a new screen.
  const std::vector<Region>& Changed() const { return changed_; }
  bool FirstNewScreen() const { return firstNewScreen_; }
  double ShortestSleep() const { return shortestSleep_; }

 private:
  double shortestSleep_ = 1e9;
  std::vector<Due> script_;
  std::size_t next_ = 0;
  double time_ = 5000.0;
  int shown_ = 0;
  std::vector<Region> changed_;
  bool firstNewScreen_ = false;
};

// The stand-in console: reads the clock once a wake-up, shows a frame whose
// pixels follow from what it was given, waits; ends on 'q' or when the host
// is finished. `oddity` makes it behave otherwise after the given input.
class StandIn : public InputSink {
 public:
  enum class Oddity { None, ExtraReading, OtherPixels, IgnoresQ };
  explicit StandIn(Oddity oddity = Oddity::None, int afterInputs = 0)
      : oddity_(oddity), afterInputs_(afterInputs), pixels_(64 * 8, 0) {}

  void Run(Host& host) {
    while (!quit_ && !host.Finished()) {
      const double now = host.Clock();
      readings_.push_back(now);
      if (oddity_ == Oddity::ExtraReading && inputs_.size() == static_cast<size_t>(afterInputs_) &&
          afterInputs_ > 0)
        host.Clock();
      const int row = static_cast<int>(readings_.size() % 8);
      for (int x = 0; x < 64; ++x)
        pixels_[static_cast<std::size_t>(row * 64 + x)] =
            static_cast<std::uint16_t>(static_cast<std::uint64_t>(now * 1e6) + x + sum_);
      // The first frame is a new screen: the whole canvas changed.
      const bool newScreen = readings_.size() == 1;
      const Region changed = newScreen ? Region{0, 0, 64, 8} : Region{0, row, 64, 1};
      Frame frame;
      frame.Width = 64;
      frame.Height = 8;
      frame.Pixels = pixels_.data();
      frame.Changed = {&changed, 1};
      frame.NewScreen = newScreen;
      host.Show(frame);
      if (readings_.size() % 2 == 0)
        host.Wait(0.016, *this);
      else
        host.WaitUntil(now + 0.016, *this);
    }
  }
  void Hand(const InputEvent& event) override {
    inputs_.push_back(event);
    sum_ += event.Code * 31 + event.X;
    if (oddity_ == Oddity::OtherPixels && inputs_.size() == static_cast<size_t>(afterInputs_))
      ++sum_;
    if (event.Type == InputEvent::Kind::Key && event.Code == 'q' && oddity_ != Oddity::IgnoresQ)
      quit_ = true;
  }

  std::vector<double> readings_;
  std::vector<InputEvent> inputs_;

 private:
  Oddity oddity_;
  int afterInputs_;
  std::vector<std::uint16_t> pixels_;
  int sum_ = 0;
  bool quit_ = false;
};

std::vector<ScriptedHost::Due> Script(bool quit) {
  std::vector<ScriptedHost::Due> script = {
      {5000.2, {InputEvent::Kind::Pointer, 0, 100, 200}},
      {5000.2, {InputEvent::Kind::ButtonDown, kButtonLeft, 100, 200}},
      {5000.5, {InputEvent::Kind::ButtonUp, kButtonLeft, 101, 200}},
      {5001.0, {InputEvent::Kind::Key, 'r', 0, 0}},
      {5001.0, {InputEvent::Kind::Key, kKeyF1, 0, 0}},
      {5001.4, {InputEvent::Kind::Wheel, -1, 0, 0}},
  };
  if (quit) script.push_back({5002.0, {InputEvent::Kind::Key, 'q', 0, 0}});
  return script;
}

class ReplayHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (fs::temp_directory_path() /
             ("vorn-replay-" +
              std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
              std::to_string(getpid()) + ".vornj"))
                .string();
  }
  void TearDown() override {
    fs::remove(path_);
    fs::remove(path_ + ".part");
  }

  // Records the stand-in on the scripted host; ends on 'q' or, without one,
  // when the stand-in has run 200 times. `around` wraps the scripted host.
  StandIn Record(bool quit, const std::function<Host&(Host&)>& around = nullptr) {
    fs::remove(path_);
    ScriptedHost inner(Script(quit));
    Host& host = around ? around(inner) : inner;
    JournalFile file;
    EXPECT_TRUE(file.Create(path_)) << file.Error();
    JournalWriter writer(file);
    EXPECT_TRUE(writer.Start(Header{kFormatVersion, "0.0.1", 64, 8, 16}));
    RecordingHost recorder(host, writer);
    StandIn console;
    if (quit) {
      console.Run(recorder);
    } else {
      Limited limited(recorder, 200);
      console.Run(limited);
    }
    EXPECT_TRUE(writer.Finish());
    EXPECT_TRUE(file.Commit()) << file.Error();
    return console;
  }

  // Passes through to a host and turns finished after n clock readings.
  class Limited : public Host {
   public:
    Limited(Host& inner, int readings) : inner_(inner), left_(readings) {}
    double Clock() override {
      --left_;
      return inner_.Clock();
    }
    void Wait(double s, InputSink& input) override { inner_.Wait(s, input); }
    void WaitUntil(double c, InputSink& input) override { inner_.WaitUntil(c, input); }
    void Show(const Frame& f) override { inner_.Show(f); }
    bool Finished() override { return left_ <= 0 || inner_.Finished(); }

   private:
    Host& inner_;
    int left_;
  };

  std::string path_;
};

TEST_F(ReplayHostTest, GivesTheSameReadingsInputsAndFramesBack) {
  for (const bool quit : {true, false}) {
    const StandIn recorded = Record(quit);
    ASSERT_GT(recorded.readings_.size(), 100u);
    JournalReader reader;
    ASSERT_TRUE(reader.Open(path_)) << reader.Error();
    ReplayingHost replay(reader, nullptr);
    StandIn replayed;
    // A console that ended because its host was finished ends so again.
    Limited limited(replay, quit ? 1000000 : 200);
    replayed.Run(limited);
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Ended) << replay.Message();
    EXPECT_EQ(replayed.readings_, recorded.readings_);
    EXPECT_EQ(replayed.inputs_, recorded.inputs_);
    EXPECT_EQ(replay.Frames(), recorded.readings_.size());
    EXPECT_DOUBLE_EQ(replay.Seconds(), recorded.readings_.back() - recorded.readings_.front());
  }
}

TEST_F(ReplayHostTest, AConsoleThatPartsFromTheJournalIsStoppedAtTheEvent) {
  Record(true);
  struct Case {
    StandIn::Oddity oddity;
    const char* says;
  };
  const Case cases[] = {
      {StandIn::Oddity::ExtraReading,
       "the console read the clock where the recording has a shown frame"},
      {StandIn::Oddity::OtherPixels, "differs from the recorded one"},
  };
  for (const Case& c : cases) {
    JournalReader reader;
    ASSERT_TRUE(reader.Open(path_));
    ReplayingHost replay(reader, nullptr);
    StandIn odd(c.oddity, 3);
    odd.Run(replay);
    replay.ConsoleEnded();  // keeps the first reason
    EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Diverged);
    EXPECT_NE(replay.Message().find("the replay diverged at event "), std::string::npos)
        << replay.Message();
    EXPECT_NE(replay.Message().find(c.says), std::string::npos) << replay.Message();
    EXPECT_NE(replay.Message().find("recorded by vorn 0.0.1"), std::string::npos);
    EXPECT_EQ(odd.inputs_.size(), 3u) << "stops where it parted";
  }
}

TEST_F(ReplayHostTest, AJournalThatGoesOnAfterTheConsoleEndedHasDiverged) {
  Record(false);
  JournalReader reader;
  ASSERT_TRUE(reader.Open(path_));
  ReplayingHost replay(reader, nullptr);
  StandIn console;
  Limited early(replay, 50);
  console.Run(early);
  replay.ConsoleEnded();
  EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Diverged);
  EXPECT_NE(
      replay.Message().find("the console ended where the recording goes on with a clock reading"),
      std::string::npos)
      << replay.Message();
}

TEST_F(ReplayHostTest, AJournalCutOffReplaysToItsLastWholeBlock) {
  Record(true);
  const auto size = fs::file_size(path_);
  fs::resize_file(path_, size - 3);
  JournalReader reader;
  ASSERT_TRUE(reader.Open(path_));
  ReplayingHost replay(reader, nullptr);
  StandIn console;
  console.Run(replay);
  EXPECT_EQ(replay.Outcome(), ReplayingHost::State::CutOff);
  EXPECT_NE(replay.Message().find("is cut off after event"), std::string::npos) << replay.Message();
}

// The window replay keeps the recorded pace by the window's clock and stops
// on the window's q; the window's other input does not reach the console.
TEST_F(ReplayHostTest, InAWindowKeepsThePaceAndStopsOnTheViewersQ) {
  const StandIn recorded = Record(true);
  JournalReader reader;
  ASSERT_TRUE(reader.Open(path_));
  ScriptedHost window(
      {{5000.5, {InputEvent::Kind::Key, 'x', 0, 0}}, {5001.0, {InputEvent::Kind::Key, 'q', 0, 0}}});
  ReplayingHost replay(reader, &window);
  StandIn console;
  console.Run(replay);
  EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Stopped);
  // The scripted window's clock starts at 5000 and stops the replay a second on.
  EXPECT_NEAR(replay.Seconds(), 1.0, 0.05);
  for (const InputEvent& input : console.inputs_) EXPECT_NE(input.Code, 'x');
  EXPECT_EQ(window.Shown(), static_cast<int>(replay.Frames()));
}

// Faster than recorded, the replay takes that much less of the window's time
// and gives the window at most a frame a screen refresh, each with all that
// changed since the last one it was given; the console sees the same run.
TEST_F(ReplayHostTest, InAWindowPlaysAtTheViewersSpeed) {
  const StandIn recorded = Record(true);
  const double recordedSeconds = recorded.readings_.back() - recorded.readings_.front();
  for (const double speed : {1.0, 2.0, 4.0, 16.0}) {
    JournalReader reader;
    ASSERT_TRUE(reader.Open(path_));
    ScriptedHost window({});
    ReplayingHost replay(reader, &window);
    replay.SetSpeed(speed);
    replay.SetSpeed(0.0);  // no pace: ignored
    StandIn console;
    console.Run(replay);
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Ended) << replay.Message();
    EXPECT_EQ(console.readings_, recorded.readings_);
    const double wall = window.Now() - 5000.0;
    EXPECT_NEAR(wall, recordedSeconds / speed, 0.02 + 0.05 / speed) << speed;
    if (speed == 1.0) {
      EXPECT_EQ(window.Shown(), static_cast<int>(replay.Frames()));
    } else {
      // Readings due within a refresh come at once: a browser's timers
      // sleep no less than 4 ms, and would hold a fast replay back.
      EXPECT_GE(window.ShortestSleep(), 1.0 / 60.0) << speed;
      EXPECT_LE(window.Shown(), static_cast<int>(wall * 60.0) + 2) << speed;
      EXPECT_GE(window.Shown(), static_cast<int>(wall * 60.0) / 2) << speed;
    }
    // The first frame is the new screen, whole; the next one shown covers
    // the rows the console changed since (one row a frame in the stand-in,
    // from row 2 on, so about as many rows as recorded frames a refresh).
    const std::vector<Region>& shown = window.Changed();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_TRUE(window.FirstNewScreen()) << speed;
    EXPECT_EQ(shown[0], (Region{0, 0, 64, 8})) << speed;
    if (speed <= 4.0) {
      EXPECT_EQ(shown[1].X, 0) << speed;
      EXPECT_EQ(shown[1].Y, 2) << speed;
      EXPECT_EQ(shown[1].Width, 64) << speed;
      EXPECT_GE(shown[1].Height, 1) << speed;
      EXPECT_LE(shown[1].Height, static_cast<int>(speed) + 2) << speed;
    }  }
}

// A kiosk's replay hands over on any touch or key; an ordinary one only on
// the viewer's q, Escape or close button, and a pause holds it.
TEST_F(ReplayHostTest, AnyInputStopsAReplayWhenAsked) {
  Record(true);
  for (const bool anyInput : {false, true}) {
    JournalReader reader;
    ASSERT_TRUE(reader.Open(path_));
    ScriptedHost window({{5000.5, {InputEvent::Kind::ButtonDown, kButtonLeft, 3, 4}}});
    ReplayingHost replay(reader, &window);
    replay.StopOnAnyInput(anyInput);
    StandIn console;
    console.Run(replay);
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(),
              anyInput ? ReplayingHost::State::Stopped : ReplayingHost::State::Ended);
    if (anyInput) {
      EXPECT_NEAR(replay.Seconds(), 0.5, 0.05);
    }
  }
}

// The end mark says where the recorded console ended: a console that goes
// on past it has diverged there.
TEST_F(ReplayHostTest, AConsoleThatGoesOnPastTheEndMarkHasDiverged) {
  const StandIn recorded = Record(true);
  struct Case {
    StandIn::Oddity oddity;
    ReplayingHost::State outcome;
    const char* says;
  };
  const Case cases[] = {
      {StandIn::Oddity::None, ReplayingHost::State::Ended, ""},
      {StandIn::Oddity::IgnoresQ, ReplayingHost::State::Diverged,
       "the recorded console ended here, but this one went on and read the clock"},
  };
  for (const Case& c : cases) {
    JournalReader reader;
    ASSERT_TRUE(reader.Open(path_));
    ReplayingHost replay(reader, nullptr);
    StandIn console(c.oddity);
    console.Run(replay);
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(), c.outcome) << replay.Message();
    EXPECT_NE(replay.Message().find(c.says), std::string::npos) << replay.Message();
    EXPECT_EQ(console.inputs_, recorded.inputs_);
  }
}

// A journal saved while its console ran (a browser tab's Save) replays to
// the saved mark and stops there; a console that ends before it diverged.
TEST_F(ReplayHostTest, AJournalSavedWhileTheConsoleRanStopsAtTheSavedMark) {
  ScriptedHost inner(Script(true));
  MemoryBlocks memory;
  JournalWriter writer(memory);
  ASSERT_TRUE(writer.Start(Header{kFormatVersion, "0.0.1", 64, 8, 16}));
  RecordingHost recorder(inner, writer);
  StandIn live;
  Limited first(recorder, 120);
  live.Run(first);
  const std::string saved = memory.Bytes() + writer.SavedClosing();
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(saved.data()),
                                            saved.size());
  struct Case {
    int endsAfter;  // readings; 0: runs on until the host is finished
    ReplayingHost::State outcome;
    const char* says;
  };
  const Case cases[] = {
      {0, ReplayingHost::State::Saved, ""},
      {60, ReplayingHost::State::Diverged,
       "the console ended where the recording goes on with a clock reading"},
      {120, ReplayingHost::State::Diverged,
       "the console ended where the recorded one ran on until the journal was saved"},
  };
  for (const Case& c : cases) {
    JournalReader reader;
    ASSERT_TRUE(reader.OpenBytes(bytes)) << reader.Error();
    ReplayingHost replay(reader, nullptr);
    StandIn console;
    Limited limited(replay, c.endsAfter > 0 ? c.endsAfter : 1000000);
    console.Run(limited);
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(), c.outcome) << replay.Message();
    EXPECT_NE(replay.Message().find(c.says), std::string::npos) << replay.Message();
    if (c.endsAfter == 0) {
      ASSERT_EQ(console.readings_.size(), live.readings_.size() + 1);
      console.readings_.pop_back();  // the reading that met the mark
      EXPECT_EQ(console.readings_, live.readings_);
    }
  }
}

// Passes through to a host and raises SIGTERM at the given clock reading.
class RaisingHost : public Host {
 public:
  RaisingHost(Host& inner, int at) : inner_(inner), left_(at) {}
  double Clock() override {
    if (--left_ == 0) std::raise(SIGTERM);
    return inner_.Clock();
  }
  void Wait(double s, InputSink& input) override { inner_.Wait(s, input); }
  void WaitUntil(double c, InputSink& input) override { inner_.WaitUntil(c, input); }
  void Show(const Frame& f) override { inner_.Show(f); }

 private:
  Host& inner_;
  int left_;
};

// A signal ends the console the way q does, at its next wait: the
// recording takes the q down and replays to its end.
TEST_F(ReplayHostTest, ASignalEndsTheConsoleThroughItsOwnEnding) {
  CatchEndSignals();
  std::optional<RaisingHost> raising;
  std::optional<EndOnSignalHost> ending;
  const StandIn recorded = Record(false, [&](Host& inner) -> Host& {
    raising.emplace(inner, 100);
    ending.emplace(*raising);
    return *ending;
  });
  ReleaseEndSignals();
  EXPECT_TRUE(EndSignalled());
  EXPECT_EQ(recorded.readings_.size(), 100u) << "ended at the wait after the signal";
  ASSERT_FALSE(recorded.inputs_.empty());
  EXPECT_EQ(recorded.inputs_.back(), (InputEvent{InputEvent::Kind::Key, 'q', 0, 0}));
  JournalReader reader;
  ASSERT_TRUE(reader.Open(path_));
  ReplayingHost replay(reader, nullptr);
  StandIn console;
  console.Run(replay);
  replay.ConsoleEnded();
  EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Ended) << replay.Message();
  EXPECT_EQ(console.readings_, recorded.readings_);
}

}  // namespace
}  // namespace vorn::journal
