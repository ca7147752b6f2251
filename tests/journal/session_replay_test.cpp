// Whole sessions through the console: a scripted session on the headless
// host (designate, RED, FIRE, Manual Burst, the help pages and back, Pause,
// the p hold, Auto) recorded and replayed gives the same canvas at every
// checked frame and at the end, and the same as the session run without a
// recorder; a console that behaves otherwise during the replay is stopped at
// the first frame that differs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/console_state.h"
#include "display/canvas.h"
#include "platform/headless/headless_host.h"
#include "platform/journal/recording_host.h"
#include "platform/journal/replaying_host.h"

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
  void TearDown() override { fs::remove(path_); }
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
    JournalWriter writer;
    ASSERT_TRUE(writer.Open(path_, Header{kFormatVersion, "test", 1280, 1024, 16}));
    RecordingHost recorder(host, writer);
    CheckingHost checking(recorder);
    EXPECT_EQ(RunFresh(checking), 0);
    ASSERT_TRUE(writer.Close()) << writer.Error();
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

  // Replayed.
  JournalReader reader;
  ASSERT_TRUE(reader.Open(path_)) << reader.Error();
  ReplayingHost replay(reader, nullptr);
  CheckingHost checking(replay);
  const auto wallStart = std::chrono::steady_clock::now();
  EXPECT_EQ(RunFresh(checking), 0);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  replay.ConsoleEnded();
  EXPECT_EQ(replay.Outcome(), ReplayingHost::State::Ended) << replay.Message();
  checking.hashes_.push_back(CanvasHash());
  EXPECT_EQ(checking.hashes_, plain);
  std::printf("replay: %.1f simulated s in %.2f wall s\n", replay.Seconds(), wall);
}

TEST_F(SessionReplayTest, AConsoleThatBehavesOtherwiseStopsAtTheFirstDifferingFrame) {
  {
    HeadlessHost host;
    Script(host);
    JournalWriter writer;
    ASSERT_TRUE(writer.Open(path_, Header{kFormatVersion, "test", 1280, 1024, 16}));
    RecordingHost recorder(host, writer);
    RunFresh(recorder);
    ASSERT_TRUE(writer.Close());
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

}  // namespace
}  // namespace vorn::journal
