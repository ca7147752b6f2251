// The loop as the program runs it: one reading of the clock per wake-up,
// the passes that fell due, the scopes and the frame at frame time, then a
// wait in the host. Driven on the scripted clock, so every run is the same.

#include <gtest/gtest.h>

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

// A host that notes, at each of the panel task's 1 ms naps, how many ticks
// and sweep steps have run since it was told to start counting.
class PassWatchingHost : public HeadlessHost {
 public:
  struct Seen {
    int Ticks;
    std::int64_t Sweeps;
  };
  void StartCounting() {
    tick_ = State.TickTime;
    sweeps_ = State.SweepSteps;
    counting_ = true;
  }
  void Wait(double seconds, InputSink& input) override {
    if (counting_ && seconds == 0.001)
      seen_.push_back(Seen{static_cast<int>(std::lround((State.TickTime - tick_) / kTickPeriod)),
                           State.SweepSteps - sweeps_});
    HeadlessHost::Wait(seconds, input);
  }
  const std::vector<Seen>& PanelRuns() const { return seen_; }

 private:
  bool counting_ = false;
  double tick_ = 0.0;
  std::int64_t sweeps_ = 0;
  std::vector<Seen> seen_;
};

// After a stall, one wake-up catches every task up at one reading of the
// clock, pass by pass: each pass runs the overdue tick, then the overdue
// panel task, then one sweep step, each advancing its deadline by its own
// period.
TEST_F(PacedLoopTest, BurstAfterAStallCatchesUpPassByPass) {
  PassWatchingHost host;
  AttachHost(&host);
  StartConsole();
  RunBurst(host.Clock(), true);
  host.Advance(10.0);
  host.StartCounting();
  const double tick = State.TickTime, panel = State.NextPanelTime;
  const std::int64_t steps = State.SweepSteps;
  EXPECT_EQ(RunBurst(host.Clock(), false), Transfer::None);
  EXPECT_NEAR((State.TickTime - tick) / kTickPeriod, 100.0, 1.0);
  EXPECT_NEAR((State.NextPanelTime - panel) / kPanelPeriod, 20.0, 1.0);
  EXPECT_NEAR(static_cast<double>(State.SweepSteps - steps), 8333.0, 1.0);
  const auto& runs = host.PanelRuns();
  ASSERT_GE(runs.size(), 20u);
  for (std::size_t k = 0; k < runs.size(); ++k) {
    EXPECT_EQ(runs[k].Ticks, static_cast<int>(k) + 1) << "panel run " << k;
    EXPECT_EQ(runs[k].Sweeps, static_cast<std::int64_t>(k)) << "panel run " << k;
  }
  AttachHost(&Host());
}

}  // namespace
}  // namespace vorn
