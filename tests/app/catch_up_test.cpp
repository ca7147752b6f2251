// Time away: after the help pages left open for an hour, or "p" held for ten
// minutes, the console catches up as a fast-forward, showing frames and
// answering "q" as it goes, and ends where the deadlines say it must. Driven
// on the scripted clock, at a millisecond per reading: about what a slice of
// catch-up work between two readings costs on a slow machine.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>

#include "app/console_state.h"
#include "app/help_pages.h"
#include "app/scheduler.h"
#include "support/console_test.h"

namespace vorn {
namespace {

constexpr double kSecondsPerReading = 0.001;

// Passes run so far, as the sweep steps and panel runs they held.
std::int64_t PassesSoFar() {
  return State.SweepSteps + std::llround(State.NextPanelTime / kPanelPeriod);
}
// The tracking scopes' 0.2 s refreshes so far, which make up their own
// backlog one per scope update.
std::int64_t RefreshesSoFar() {
  return std::llround(State.NextScopeTime / 0.2);
}

// A fresh console on the host, run for two seconds.
void StartConsole(HeadlessHost& host) {
  ResetConsoleState();
  AttachHost(&host);
  InitializeState();
  RestartConsole();
  const double start = State.Now;
  while (State.Now < start + 2.0) RunSchedulerPass();
}

// The headless host through a stall: at the first 10 ms nap after
// StallAtNextNap (the help page's or the "p" wait's) its clock jumps ahead.
// From then on it watches the frames shown and the readings of its clock,
// until the console has caught up, which it knows by the loop's first wait
// for a time still ahead; it then has nothing more to give, and the loop
// ends.
class StallHost : public HeadlessHost {
 public:
  StallHost() : HeadlessHost(kSecondsPerReading) {}

  void StallAtNextNap(double seconds) { stall_ = seconds; }

  void Wait(double seconds, InputSink& input) override {
    if (stall_ > 0.0 && seconds == 0.010) {
      Advance(stall_);
      stall_ = 0.0;
      stalled_ = true;
      lastFrame_ = Time();
      readings_ = ClockReads();
      passes_ = lastFramePasses_ = PassesSoFar();
      lastFrameRefreshes_ = RefreshesSoFar();
    }
    HeadlessHost::Wait(seconds, input);
  }
  void WaitUntil(double clock, InputSink& input) override {
    if (stalled_ && !caughtUp_ && clock > Time()) {
      caughtUp_ = true;
      readings_ = ClockReads() - readings_;
      passes_ = PassesSoFar() - passes_;
    }
    HeadlessHost::WaitUntil(clock, input);
  }
  void Show(const Frame& frame) override {
    const std::uint64_t before = FramesShown();
    HeadlessHost::Show(frame);
    if (!stalled_ || caughtUp_ || FramesShown() == before) return;
    ++catchUpFrames_;
    longestGap_ = std::max(longestGap_, Time() - lastFrame_);
    lastFrame_ = Time();
    mostPasses_ = std::max(mostPasses_, PassesSoFar() - lastFramePasses_);
    lastFramePasses_ = PassesSoFar();
    mostRefreshes_ = std::max(mostRefreshes_, RefreshesSoFar() - lastFrameRefreshes_);
    lastFrameRefreshes_ = RefreshesSoFar();
  }
  bool Finished() override { return caughtUp_; }

  bool CaughtUp() const { return caughtUp_; }
  int CatchUpFrames() const { return catchUpFrames_; }
  // The longest time on the clock without a frame, from the end of the stall.
  double LongestGap() const { return longestGap_; }
  // The most passes between two frames.
  std::int64_t MostPassesBetweenFrames() const { return mostPasses_; }
  std::int64_t MostRefreshesBetweenFrames() const { return mostRefreshes_; }
  // Over the whole catch-up: passes run for each reading of the clock.
  double PassesPerReading() const {
    return static_cast<double>(passes_) / static_cast<double>(readings_);
  }

 private:
  double stall_ = 0.0;
  bool stalled_ = false;
  bool caughtUp_ = false;
  int catchUpFrames_ = 0;
  double lastFrame_ = 0.0;
  double longestGap_ = 0.0;
  std::uint64_t readings_ = 0;
  std::int64_t passes_ = 0;
  std::int64_t lastFramePasses_ = 0;
  std::int64_t mostPasses_ = 0;
  std::int64_t lastFrameRefreshes_ = 0;
  std::int64_t mostRefreshes_ = 0;
};

struct Deadlines {
  double TickTime, NextPanelTime, NextSweepTime;
  std::int64_t SweepSteps;
};
Deadlines DeadlinesNow() {
  return {State.TickTime, State.NextPanelTime, State.NextSweepTime, State.SweepSteps};
}

enum class Away { HelpPages, PHeld };
struct Case {
  const char* Name;
  Away How;
  double Seconds;
  bool QDuringCatchUp;
};
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.Name;
}

class CatchUpTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override { StartConsole(host_); }
  void TearDown() override { AttachHost(nullptr); }

  // Goes away as the case says and comes back: on return the console has
  // the whole backlog before it. "q" comes a tick period after the return.
  void GoAwayAndComeBack(const Case& c) {
    host_.StallAtNextNap(c.Seconds);
    const double back = host_.Time() + c.Seconds;
    if (c.How == Away::HelpPages) {
      host_.MoveMouse(975, 5, 1);  // Text
      ASSERT_EQ(RunScheduler(), Transfer::HelpPages);
      host_.ScheduleMouse(host_.Time() + 0.005, 975, 5, 0);
      host_.ScheduleKey(back, 'x');
      RunHelpPages();
      RestartConsole();
    } else {
      host_.PressKey('p');
      host_.ScheduleKey(back, ' ');
      const double tick = State.TickTime;
      while (State.TickTime == tick) ASSERT_EQ(RunSchedulerPass(), Transfer::None);
    }
    ASSERT_GE(host_.Time(), back);
    ASSERT_TRUE(host_.ScriptDone());
    qAt_ = host_.Time() + kTickPeriod;
    if (c.QDuringCatchUp) host_.ScheduleKey(qAt_, 'q');
  }

  StallHost host_;
  double qAt_ = 0.0;
};

TEST_P(CatchUpTest, PlaysAsAFastForwardThatAnswersQ) {
  const Case& c = GetParam();
  GoAwayAndComeBack(c);
  const auto before = std::make_unique<ConsoleState>(State);

  EXPECT_EQ(RunScheduler(), Transfer::EndProgram);
  // Frames all through, none further apart than two frame periods, and the
  // clock looked at every few hundred passes: at a millisecond a reading, no
  // more than about 2 x 17 x 256 passes between two frames, and no frame
  // held up by the scopes' refreshes, which cost about eight passes each.
  EXPECT_GE(host_.CatchUpFrames(), 3);
  EXPECT_LE(host_.LongestGap(), 2 * kFramePeriod);
  EXPECT_LE(host_.MostPassesBetweenFrames(), 10000);
  EXPECT_LE(host_.MostRefreshesBetweenFrames(), 1000);

  if (c.QDuringCatchUp) {
    // "q" ended it within a tick and a slice, with much of the backlog
    // still before it.
    EXPECT_FALSE(host_.CaughtUp());
    EXPECT_EQ(State.KeyPressed, "q");
    EXPECT_LE(host_.Time() - qAt_, kTickPeriod + kCatchUpSlice + 0.005);
    EXPECT_GT(State.Now - std::min(State.NextPanelTime, State.NextSweepTime), 1.0);
    return;
  }

  // Caught up, with few readings of the clock (a journal keeps each one);
  // and every deadline where the passes of one reading would have left it,
  // from the same start.
  ASSERT_TRUE(host_.CaughtUp());
  EXPECT_GE(host_.PassesPerReading(), 10.0);
  const Deadlines sliced = DeadlinesNow();
  const double now = State.Now;
  State = *before;
  host_.SetTime(now + State.PauseOffset);
  host_.SetSecondsPerClockRead(0.0);
  do ASSERT_EQ(RunSchedulerPass(), Transfer::None);
  while (TaskDue());
  const Deadlines whole = DeadlinesNow();
  EXPECT_EQ(sliced.TickTime, whole.TickTime);
  EXPECT_EQ(sliced.NextPanelTime, whole.NextPanelTime);
  EXPECT_EQ(sliced.NextSweepTime, whole.NextSweepTime);
  EXPECT_EQ(sliced.SweepSteps, whole.SweepSteps);
  EXPECT_GE((sliced.NextPanelTime - before->NextPanelTime) / kPanelPeriod,
            c.Seconds / kPanelPeriod);
}

INSTANTIATE_TEST_SUITE_P(
    TimeAway, CatchUpTest,
    ::testing::Values(Case{"HelpPagesAnHour", Away::HelpPages, 3600.0, false},
                      Case{"HelpPagesAnHourThenQ", Away::HelpPages, 3600.0, true},
                      Case{"PHeldTenMinutes", Away::PHeld, 600.0, false},
                      Case{"PHeldTenMinutesThenQ", Away::PHeld, 600.0, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return info.param.Name; });

// Paused, a tick only takes the input, and the catch-up of a paused console
// counts just that: a tick's work, eight sweep steps, about thirty-two ticks
// to a look at the clock, not the panel task and scope updates a tick runs
// when not paused.
TEST(PausedCatchUpTest, CountsOnlyTheWorkItDoes) {
  class UntilCaughtUp : public HeadlessHost {
   public:
    UntilCaughtUp() : HeadlessHost(kSecondsPerReading) {}
    void WaitUntil(double clock, InputSink& input) override {
      caughtUp_ = caughtUp_ || clock > Time();
      HeadlessHost::WaitUntil(clock, input);
    }
    bool Finished() override { return caughtUp_; }

   private:
    bool caughtUp_ = false;
  } host;
  StartConsole(host);
  State.OperatingMode = Mode::Paused;
  host.Advance(60.0);
  const double offset = State.PauseOffset;
  const std::uint64_t readings = host.ClockReads();
  EXPECT_EQ(RunScheduler(), Transfer::EndProgram);
  AttachHost(nullptr);
  const double ticks = (State.PauseOffset - offset) / kTickPeriod;
  EXPECT_GE(ticks, 600.0);
  EXPECT_GE(ticks / static_cast<double>(host.ClockReads() - readings), 20.0);
}

}  // namespace
}  // namespace vorn
