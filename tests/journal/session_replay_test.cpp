// Whole sessions through the console: a scripted session on the headless
// host (designate, RED, FIRE, Manual Burst, the help pages and back, Pause,
// the p hold, Auto) recorded and replayed gives the same canvas at every
// checked frame and at the end, and the same as the session run without a
// recorder; a console that behaves otherwise during the replay is stopped at
// the first frame that differs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/console_state.h"
#include "display/canvas.h"
#include "display/display_state.h"
#include "platform/headless/headless_host.h"
#include "platform/journal/journal_file.h"
#include "platform/journal/recording_host.h"
#include "platform/journal/replaying_host.h"
#include "platform/signals/end_signals.h"

namespace vorn::journal {
namespace {

namespace fs = std::filesystem;

// Passes everything through and takes the canvas hash after every 200th
// frame; `meddle` runs once after the given frame (to make the console
// behave otherwise from there on).
class CheckingHost : public Host {
 public:
  explicit CheckingHost(Host& inner, std::uint64_t meddleAt = 0)
      : inner_(inner), meddleAt_(meddleAt) {}
  double Clock() override { return inner_.Clock(); }
  void Wait(double seconds, InputSink& input) override { inner_.Wait(seconds, input); }
  void WaitUntil(double clock, InputSink& input) override { inner_.WaitUntil(clock, input); }
  void Show(const Frame& frame) override {
    inner_.Show(frame);
    ++frames_;
    if (frame.BitsPerPixel == 32) sawHelpPages_ = true;
    if (frames_ % 200 == 0) hashes_.push_back(CanvasHash());
    if (frames_ == meddleAt_) State.AlertStatus = State.AlertStatus == 0 ? 3 : 0;
  }
  bool Finished() override { return inner_.Finished(); }

  std::vector<std::uint64_t> hashes_;
  std::uint64_t frames_ = 0;
  bool sawHelpPages_ = false;

 private:
  Host& inner_;
  std::uint64_t meddleAt_;
};

// Each run starts from a fresh console record, as a new process does.
int RunFresh(Host& host) {
  ResetConsoleState();
  return RunConsole(host);
}

// The session, on the headless host's clock from its start.
void Script(HeadlessHost& host) {
  const double t0 = host.Time();
  const auto click = [&](double at, int x, int y, double hold = 0.3) {
    host.ScheduleMouse(t0 + at - 0.05, x, y, 0);
    host.ScheduleMouse(t0 + at, x, y, kButtonLeft);
    host.ScheduleMouse(t0 + at + hold, x, y, 0);
  };
  // Slot 1's aircraft: 88000 yards west and 44060 south, east at 300 yd/s.
  const double at = 3.0;
  click(at, static_cast<int>(265 + (-88000 + 300 * at) / 1500 + 0.5), 770 + 29);
  click(4.0, 500, 15);    // RED
  click(7.0, 620, 920);   // FIRE
  click(20.0, 670, 920);  // Manual Burst
  click(24.0, 975, 5);    // Text
  host.ScheduleKey(t0 + 25.0, '>');
  host.ScheduleKey(t0 + 26.0, 'x');
  click(28.0, 880, 5, 0.15);  // Pause
  click(30.0, 880, 5, 0.15);  // and on
  host.ScheduleKey(t0 + 31.0, 'p');
  host.ScheduleKey(t0 + 32.0, ' ');
  click(33.0, 820, 5);  // Auto
  click(58.0, 770, 5);  // Normal
  host.ScheduleKey(t0 + 60.0, 'q');
}

class SessionReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Named for the test and the process: ctest runs tests side by side.
    path_ =
        (fs::temp_directory_path() /
         ("vorn-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
          "-" + std::to_string(getpid()) + ".vornj"))
            .string();
  }
  void TearDown() override {
    fs::remove(path_);
    fs::remove(path_ + ".part");
  }
  std::string path_;
};

TEST_F(SessionReplayTest, AScriptedSessionReplaysToTheSameCanvasAtEveryCheck) {
  // Run without a recorder.
  std::vector<std::uint64_t> plain;
  {
    HeadlessHost host;
    Script(host);
    CheckingHost checking(host);
    EXPECT_EQ(RunFresh(checking), 0);
    plain = checking.hashes_;
    plain.push_back(CanvasHash());
    EXPECT_TRUE(checking.sawHelpPages_);
  }
  // Recorded: the recorder changes nothing the console sees.
  double seconds = 0.0;
  {
    HeadlessHost host;
    Script(host);
    const double start = host.Time();
    JournalFile file;
    ASSERT_TRUE(file.Create(path_)) << file.Error();
    JournalWriter writer(file);
    ASSERT_TRUE(writer.Start(Header{kFormatVersion, "test", 1280, 1024, 16}));
    RecordingHost recorder(host, writer);
    CheckingHost checking(recorder);
    EXPECT_EQ(RunFresh(checking), 0);
    ASSERT_TRUE(writer.Finish());
    ASSERT_TRUE(file.Commit()) << file.Error();
    checking.hashes_.push_back(CanvasHash());
    EXPECT_EQ(checking.hashes_, plain);
    seconds = host.Time() - start;
  }
  ASSERT_GT(plain.size(), 10u);
  EXPECT_NE(plain.front(), plain.back());
  const double kilobytesPerMinute =
      static_cast<double>(fs::file_size(path_)) / 1024.0 / (seconds / 60.0);
  std::printf("journal: %.0f bytes for %.1f simulated s: %.1f KB a simulated minute\n",
              static_cast<double>(fs::file_size(path_)), seconds, kilobytesPerMinute);
  EXPECT_LE(kilobytesPerMinute, 200.0);

  // Replayed, twice over in this process, as a looping replay does: the
  // console starts afresh by itself, though the last run left its state.
  for (int pass = 1; pass <= 2; ++pass) {
    JournalReader reader;
    ASSERT_TRUE(reader.Open(path_)) << reader.Error();
    ReplayingHost replay(reader, nullptr);
    CheckingHost checking(replay);
    const auto wallStart = std::chrono::steady_clock::now();
    EXPECT_EQ(RunConsole(checking), 0);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Ended) << "pass " << pass << ": "
                                                             << replay.Message();
    checking.hashes_.push_back(CanvasHash());
    EXPECT_EQ(checking.hashes_, plain) << "pass " << pass;
    std::printf("replay: %.1f simulated s in %.2f wall s\n", replay.Seconds(), wall);
  }
}

TEST_F(SessionReplayTest, AConsoleThatBehavesOtherwiseStopsAtTheFirstDifferingFrame) {
  {
    HeadlessHost host;
    Script(host);
    JournalFile file;
    ASSERT_TRUE(file.Create(path_)) << file.Error();
    JournalWriter writer(file);
    ASSERT_TRUE(writer.Start(Header{kFormatVersion, "test", 1280, 1024, 16}));
    RecordingHost recorder(host, writer);
    RunFresh(recorder);
    ASSERT_TRUE(writer.Finish());
    ASSERT_TRUE(file.Commit());
  }
  JournalReader reader;
  ASSERT_TRUE(reader.Open(path_));
  ReplayingHost replay(reader, nullptr);
  // The alert status changed after frame 100: the lamps differ from the
  // next refresh of the panels, at most half a second (30 frames) on.
  CheckingHost meddling(replay, 100);
  RunFresh(meddling);
  EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Diverged);
  const std::string& message = replay.Message();
  const std::string::size_type at = message.find(": frame ");
  ASSERT_NE(at, std::string::npos) << message;
  ASSERT_NE(message.find(" differs from the recorded one", at), std::string::npos) << message;
  const int frame = std::stoi(message.substr(at + 8));
  EXPECT_GT(frame, 100) << message;
  EXPECT_LE(frame, 131) << message;
}

// Passes through to a host and, once its clock has passed `at`, does
// `act` once, after the wait that got there.
class AtMomentHost : public Host {
 public:
  AtMomentHost(HeadlessHost& inner, double at, std::function<void()> act)
      : inner_(inner), at_(at), act_(std::move(act)) {}
  double Clock() override { return inner_.Clock(); }
  void Wait(double seconds, InputSink& input) override {
    inner_.Wait(seconds, input);
    Due();
  }
  void WaitUntil(double clock, InputSink& input) override {
    inner_.WaitUntil(clock, input);
    Due();
  }
  void Show(const Frame& frame) override { inner_.Show(frame); }

 private:
  void Due() {
    if (act_ && inner_.Time() >= at_) std::exchange(act_, nullptr)();
  }
  HeadlessHost& inner_;
  double at_;
  std::function<void()> act_;
};

// Ctrl+C, kill or a closed terminal end the console the way q does, from
// wherever it is (the console, the help pages, the p hold, Paused); the
// recording is whole and replays to its end, on the same canvas.
TEST_F(SessionReplayTest, ASignalEndsTheRecordingWholeFromAnywhere) {
  struct Case {
    const char* where;
    double at;  // seconds into the scripted session
    int signal;
  };
  const Case cases[] = {
      {"the console", 10.0, SIGINT},
      {"the help pages", 25.5, SIGTERM},
      {"Paused", 29.0, SIGHUP},
      {"the p hold", 31.5, SIGTERM},
  };
  for (const Case& c : cases) {
    fs::remove(path_);
    std::uint64_t ended = 0;
    double endedAt = 0.0;
    {
      HeadlessHost host;
      Script(host);
      const double start = host.Time();
      CatchEndSignals();
      AtMomentHost raising(host, start + c.at, [&] { std::raise(c.signal); });
      EndOnSignalHost ending(raising);
      JournalFile file;
      ASSERT_TRUE(file.Create(path_)) << file.Error();
      JournalWriter writer(file);
      ASSERT_TRUE(writer.Start(Header{kFormatVersion, "test", 1280, 1024, 16}));
      RecordingHost recorder(ending, writer);
      EXPECT_EQ(RunFresh(recorder), 0);
      ASSERT_TRUE(writer.Finish());
      ASSERT_TRUE(file.Commit()) << file.Error();
      ended = CanvasHash();
      endedAt = host.Time() - start;
    }
    ReleaseEndSignals();
    EXPECT_TRUE(EndSignalled()) << c.where;
    EXPECT_GT(endedAt, c.at) << c.where;
    EXPECT_LT(endedAt, c.at + 1.0) << c.where << ": ends within a tick or two";
    JournalReader reader;
    ASSERT_TRUE(reader.Open(path_)) << reader.Error();
    ReplayingHost replay(reader, nullptr);
    EXPECT_EQ(RunFresh(replay), 0);
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Ended) << c.where << ": " << replay.Message();
    EXPECT_EQ(CanvasHash(), ended) << c.where;
  }
}

// A journal that stops while the help pages are shown (saved there, or cut
// off there) replays to the help page the recording showed, not to a fresh
// console it never showed.
TEST_F(SessionReplayTest, AReplayThatStopsOnTheHelpPagesEndsOnTheHelpPage) {
  MemoryBlocks memory;
  std::string saved, cutOff;
  std::uint64_t shown = 0;
  {
    HeadlessHost host;
    Script(host);
    JournalWriter writer(memory);
    ASSERT_TRUE(writer.Start(Header{kFormatVersion, "test", 1280, 1024, 16}));
    // On the second help page, which the session shows from 25 s to 26 s.
    AtMomentHost saving(host, host.Time() + 25.5, [&] {
      saved = memory.Bytes() + writer.SavedClosing();
      writer.FlushBlock();
      cutOff = memory.Bytes();
      shown = CanvasHash();
      EXPECT_EQ(Display.Canvas.Width, 800);
    });
    RecordingHost recorder(saving, writer);
    RunFresh(recorder);
  }
  ASSERT_FALSE(saved.empty());
  struct Case {
    const std::string& bytes;
    ReplayingHost::State outcome;
  };
  const Case cases[] = {{saved, ReplayingHost::State::Saved},
                        {cutOff, ReplayingHost::State::CutOff}};
  for (const Case& c : cases) {
    JournalReader reader;
    ASSERT_TRUE(reader.OpenBytes(
        {reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size()}));
    ReplayingHost replay(reader, nullptr);
    EXPECT_EQ(RunFresh(replay), 0);
    replay.ConsoleEnded();
    EXPECT_EQ(replay.Outcome(), c.outcome) << replay.Message();
    EXPECT_EQ(Display.Canvas.Width, 800);
    EXPECT_EQ(CanvasHash(), shown);
  }
}

}  // namespace
}  // namespace vorn::journal
