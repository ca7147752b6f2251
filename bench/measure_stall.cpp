#include "measure_stall.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/console_state.h"

namespace vorn::measure {

namespace {

using Kind = InputEvent::Kind;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// What the operator does, in seconds of the wall clock from the start: Auto
// is clicked (the crew engages meanwhile), then the console is left.
constexpr double kAutoAt = 0.5;
constexpr double kGoAwayAt = 3.0;
constexpr int kAutoX = 820, kTextX = 975, kMenuY = 5;
// Once caught up the console runs on this long, and the run ends.
constexpr double kRunOn = 0.5;

enum class Away { HelpPages, PHeld };

// The window with a clock that jumps: the wall clock plus an offset, moved on
// by the stall at the first 10 ms nap of the help page or of the "p" wait.
// The key that brings the console back is handed at once, and the catch-up
// is watched on the wall clock: the frames shown, until the loop first waits
// for a time still ahead. With a `quitAfter`, "q" is pressed that long after
// the return.
class StallHost : public Host {
 public:
  StallHost(SdlHost& window, Away away, double stall, double quitAfter)
      : window_(window),
        away_(away),
        stall_(stall),
        quitAfter_(quitAfter),
        start_(window.Clock()) {}

  double Clock() override { return window_.Clock() + offset_; }
  void Wait(double seconds, InputSink& input) override {
    if (step_ == Step::Away && seconds == 0.010) ComeBack(input);
    window_.Wait(seconds, input);
    Act(input);
  }
  void WaitUntil(double clock, InputSink& input) override {
    if (step_ == Step::CatchingUp && clock > Clock()) {
      caughtUpAt_ = Wall();
      step_ = Step::RunningOn;
    }
    window_.WaitUntil(clock - offset_, input);
    Act(input);
  }
  void Show(const Frame& frame) override {
    const std::uint64_t shown = window_.FramesShown();
    window_.Show(frame);
    if (step_ != Step::CatchingUp || window_.FramesShown() == shown) return;
    const double cpu = CpuSeconds();
    if (frames_++ == 0) {
      firstFrame_ = Wall() - backAt_;
    } else {
      gaps_.push_back(Wall() - lastFrame_);
      mostCpu_ = std::max(mostCpu_, cpu - lastCpu_);
    }
    lastFrame_ = Wall();
    lastCpu_ = cpu;
  }
  bool Finished() override { return step_ == Step::RunningOn && Wall() >= caughtUpAt_ + kRunOn; }

  double Wall() const { return window_.Clock() - start_; }
  bool CaughtUp() const { return step_ == Step::RunningOn; }
  double BackAt() const { return backAt_; }
  double CatchUpSeconds() const { return caughtUpAt_ - backAt_; }
  int Frames() const { return frames_; }
  // From the return to the first frame, and then between two frames.
  double FirstFrame() const { return firstFrame_; }
  double LongestGap() const {
    return gaps_.empty() ? 0.0 : *std::max_element(gaps_.begin(), gaps_.end());
  }
  // The most processor time the loop took between two frames: the gap less
  // the time the machine gave to others.
  double MostCpuBetweenFrames() const { return mostCpu_; }
  double MedianGap() {
    if (gaps_.empty()) return 0.0;
    std::nth_element(gaps_.begin(), gaps_.begin() + gaps_.size() / 2, gaps_.end());
    return gaps_[gaps_.size() / 2];
  }
  double QuitPressedAt() const { return backAt_ + quitAfter_; }

 private:
  enum class Step { Starting, AutoDown, Running, Away, CatchingUp, RunningOn };

  // The operator's hand, at the first wait after each moment.
  void Act(InputSink& input) {
    const double wall = Wall();
    if (step_ == Step::Starting && wall >= kAutoAt) {
      input.Hand(InputEvent{Kind::ButtonDown, kButtonLeft, kAutoX, kMenuY});
      step_ = Step::AutoDown;
    } else if (step_ == Step::AutoDown && wall >= kAutoAt + 0.3) {
      input.Hand(InputEvent{Kind::ButtonUp, kButtonLeft, kAutoX, kMenuY});
      step_ = Step::Running;
    } else if (step_ == Step::Running && wall >= kGoAwayAt) {
      if (away_ == Away::HelpPages)
        input.Hand(InputEvent{Kind::ButtonDown, kButtonLeft, kTextX, kMenuY});
      else
        input.Hand(InputEvent{Kind::Key, 'p'});
      step_ = Step::Away;
    }
    if (quitAfter_ > 0.0 && !quitHanded_ && step_ >= Step::CatchingUp && wall >= QuitPressedAt()) {
      input.Hand(InputEvent{Kind::Key, 'q'});
      quitHanded_ = true;
    }
  }

  void ComeBack(InputSink& input) {
    offset_ += stall_;
    if (away_ == Away::HelpPages) {
      input.Hand(InputEvent{Kind::ButtonUp, kButtonLeft, kTextX, kMenuY});
      input.Hand(InputEvent{Kind::Key, 'x'});
    } else {
      input.Hand(InputEvent{Kind::Key, ' '});
    }
    backAt_ = Wall();
    step_ = Step::CatchingUp;
  }

  SdlHost& window_;
  Away away_;
  double stall_;
  double quitAfter_;
  double start_;
  double offset_ = 0.0;
  Step step_ = Step::Starting;
  double backAt_ = 0.0;
  double caughtUpAt_ = 0.0;
  double lastFrame_ = 0.0;
  double firstFrame_ = 0.0;
  double lastCpu_ = 0.0;
  double mostCpu_ = 0.0;
  std::vector<double> gaps_;
  int frames_ = 0;
  bool quitHanded_ = false;
};

}  // namespace

int MeasureStall(SdlHost& window, int argc, char** argv) {
  const std::string where = argc > 2 ? argv[2] : "";
  const double minutes = argc > 3 ? std::atof(argv[3]) : 10.0;
  if ((where != "help" && where != "p") || !(minutes > 0.0)) {
    std::fprintf(stderr, "usage: vorn_measure stall help|p [minutes]\n");
    return 2;
  }
  const Away away = where == "help" ? Away::HelpPages : Away::PHeld;
  const double stall = minutes * 60.0;

  // The whole catch-up first, then a run in which "q" is pressed halfway
  // through it.
  ResetConsoleState();
  StallHost whole(window, away, stall, 0.0);
  RunConsole(whole);
  if (!whole.CaughtUp()) {
    std::fprintf(stderr, "vorn_measure: the console ended before it had caught up\n");
    return 1;
  }
  ResetConsoleState();
  StallHost quit(window, away, stall, 0.5 * whole.CatchUpSeconds());
  RunConsole(quit);
  const double quitSeconds = quit.Wall() - quit.QuitPressedAt();

  std::printf("display path                     %s\n", window.DisplayPath().c_str());
  std::printf("away                             %.0f minutes %s\n", minutes,
              away == Away::HelpPages ? "in the help pages" : "held by \"p\"");
  std::printf("catch-up length (wall)           %.3f s\n", whole.CatchUpSeconds());
  std::printf("frames shown during it           %d\n", whole.Frames());
  std::printf("first frame after the return     %.1f ms\n", 1000.0 * whole.FirstFrame());
  std::printf("gap between two frames           %.1f ms at most, %.1f ms the median\n",
              1000.0 * whole.LongestGap(), 1000.0 * whole.MedianGap());
  std::printf("processor time between frames    %.1f ms at most\n",
              1000.0 * whole.MostCpuBetweenFrames());
  std::printf("q pressed %.3f s after the return  ends the program in %.0f ms%s\n",
              0.5 * whole.CatchUpSeconds(), 1000.0 * quitSeconds,
              quit.CaughtUp() ? " (after the catch-up had ended)" : " (during the catch-up)");
  return 0;
}

}  // namespace vorn::measure
