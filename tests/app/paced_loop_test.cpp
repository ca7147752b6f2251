// The loop as the program runs it: one reading of the clock per wake-up,
// the passes that fell due, the scopes and the frame at frame time, then a
// wait in the host. Driven on the scripted clock, so every run is the same.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/console.h"
#include "app/console_state.h"
#include "app/scheduler.h"
#include "display/canvas.h"
#include "support/console_test.h"

namespace vorn {
namespace {

class PacedLoopTest : public test::ConsoleTest {};

// The TTR trace: columns 4 to 449 of x = 770 + c are redrawn at random; the
// gate's columns are left out here because their segments may lie wholly
// below the baseline.
constexpr int kTraceLeft = 770;
constexpr int kBaseline = 800;
bool OutsideTheGate(int column) {
  const int gateStart = static_cast<int>(std::floor((State.TtrRange - 1000.0) / 495.0));
  return column < gateStart - 1 || column > gateStart + 51;
}

// A host that, at every shown frame, marks each trace column's baseline
// pixel; a column rebuilt before the next frame has its mark erased.
class TraceWatchingHost : public HeadlessHost {
 public:
  void Show(const Frame& frame) override {
    HeadlessHost::Show(frame);
    if (frame.Width != 1280 || State.OperatingMode == Mode::Paused) return;
    const std::uint32_t mark = ConvertColour(0xFF00FF);
    if (marked_) {
      ++frames_;
      for (int c = 4; c < 450; ++c) {
        if (!OutsideTheGate(c)) continue;
        ++columns_;
        if (PixelAt(kTraceLeft + c, kBaseline) == mark) ++missed_;
      }
    }
    for (int c = 4; c < 450; ++c)
      if (OutsideTheGate(c)) PutPixel(State.Canvas, kTraceLeft + c, kBaseline, mark);
    marked_ = true;
  }
  int Frames() const { return frames_; }
  // Of all columns watched over all frames, the share not drawn anew.
  double MissedShare() const { return static_cast<double>(missed_) / columns_; }

 private:
  bool marked_ = false;
  int frames_ = 0;
  long columns_ = 0;
  long missed_ = 0;
};

TEST_F(PacedLoopTest, WakesAtFramesAndDeadlinesAndRebuildsTheTraceEveryFrame) {
  TraceWatchingHost host;
  const double start = host.Time();
  host.ScheduleKey(start + 15.0, 'q');
  EXPECT_EQ(RunConsole(host), 0);

  // About 60 frames, 10 ticks and 2 panel runs a second wake the loop; the
  // sweep steps wait for the frames and all of them run.
  const double seconds = host.Time() - start;
  EXPECT_GE(static_cast<double>(host.ClockReads()), 60 * seconds);
  EXPECT_LE(static_cast<double>(host.ClockReads()), 80 * seconds);
  EXPECT_GE(host.FramesShown(), 59u * 15);
  EXPECT_NEAR(static_cast<double>(State.SweepSteps), 12500.0, 13.0);

  // Nearly every column of the trace is drawn anew between two frames:
  // with four updates a column on average about 2 % are left out.
  ASSERT_GT(host.Frames(), 800);
  EXPECT_LT(host.MissedShare(), 0.03);
}

// Paused, the loop still waits for its frames and ticks: it never spins.
TEST_F(PacedLoopTest, PausedLoopWaitsBetweenFramesAndTicks) {
  StartConsole();
  RunFor(1.0);
  State.OperatingMode = Mode::Paused;
  State.ModeBeforePause = Mode::Normal;
  const double start = Host().Time();
  const std::uint64_t reads = Host().ClockReads();
  Host().ScheduleKey(start + 5.0, 'q');
  EXPECT_EQ(RunScheduler(), Transfer::EndProgram);
  const double seconds = Host().Time() - start;
  EXPECT_GE(seconds, 5.0);
  EXPECT_LE(static_cast<double>(Host().ClockReads() - reads), 80 * seconds);
}

// A host that counts the panel task's 1 ms naps.
class NapCountingHost : public HeadlessHost {
 public:
  void Wait(double seconds, InputSink& input) override {
    if (seconds == 0.001) ++naps_;
    HeadlessHost::Wait(seconds, input);
  }
  int Naps() const { return naps_; }

 private:
  int naps_ = 0;
};

// After a stall, the loop catches every task up at one reading of the clock,
// pass by pass, in slices that each end at a later reading: each pass runs
// the overdue tick, then the overdue panel task without its nap, then one
// sweep step, each advancing its deadline by its own period.
TEST_F(PacedLoopTest, CatchUpAfterAStallGoesPassByPassInSlices) {
  NapCountingHost host;
  AttachHost(&host);
  StartConsole();
  RunBurst(host.Clock(), true);
  host.Advance(10.0);
  const double tick = State.TickTime, panel = State.NextPanelTime;
  const std::int64_t steps = State.SweepSteps;
  const double clock = host.Clock();
  host.SetSecondsPerClockRead(0.005);  // a slice is a few readings
  struct Counts {
    long Ticks, Panels, Sweeps;
  };
  const auto counts = [&] {
    return Counts{std::lround((State.TickTime - tick) / kTickPeriod),
                  std::lround((State.NextPanelTime - panel) / kPanelPeriod),
                  static_cast<long>(State.SweepSteps - steps)};
  };
  const int naps = host.Naps();
  std::vector<Counts> slices;
  do {
    EXPECT_EQ(RunBurst(clock, true), Transfer::None);
    slices.push_back(counts());
  } while (TaskDue());
  EXPECT_EQ(host.Naps(), naps);
  const Counts all = counts();
  EXPECT_NEAR(all.Ticks, 100, 1);
  EXPECT_NEAR(all.Panels, 20, 1);
  EXPECT_NEAR(all.Sweeps, 8333, 1);
  // A sweep step in every pass: at the end of each slice as many ticks and
  // panel runs as passes, up to their whole backlog.
  ASSERT_GT(slices.size(), 3u);
  for (const Counts& c : slices) {
    EXPECT_EQ(c.Ticks, std::min(c.Sweeps, all.Ticks)) << "after " << c.Sweeps << " passes";
    EXPECT_EQ(c.Panels, std::min(c.Sweeps, all.Panels)) << "after " << c.Sweeps << " passes";
  }
  // On time again, the panel task naps again.
  const double nextPanel = State.NextPanelTime;
  do RunBurst(nextPanel - 0.0001, true);
  while (TaskDue());
  RunBurst(nextPanel + 0.0001, true);
  EXPECT_EQ(host.Naps(), naps + 1);
  AttachHost(&Host());
}

}  // namespace
}  // namespace vorn
