// vorn_measure: runs the console in its real window, switches it to Auto as
// an operator would, and reports what it costs and how smoothly it runs:
// CPU time per wall second, wake-ups and frames per second, how late the
// tick was found at each wake-up, and peak memory.
//
//   vorn_measure [seconds]    (default 30)
//   vorn_measure stall help|p [minutes]    (the catch-up after time away)

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/console.h"
#include "app/console_state.h"
#include "measure_stall.h"
#include "platform/sdl/sdl_host.h"

namespace {

// Lateness and rates are only counted from here on: start-up (opening the
// window, the first frames, the click on Auto) is not the steady state.
constexpr double kSettleSeconds = 2.0;
// The mode menu's Auto, where the operator clicks it.
constexpr int kAutoX = 820, kAutoY = 5;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The window, watched: every reading of the clock is a wake-up of the loop;
// at each, how far past its deadline the tick is; the click on Auto; the end
// after the given time.
class MeasuringHost : public vorn::Host {
 public:
  MeasuringHost(vorn::SdlHost& window, double seconds) : window_(window), seconds_(seconds) {}

  double Clock() override {
    const double now = window_.Clock();
    if (start_ < 0) start_ = now;
    last_ = now;
    if (!counting_ && now >= start_ + kSettleSeconds) {
      counting_ = true;
      settledAt_ = now;
      framesAtSettle_ = window_.FramesShown();
      cpuAtSettle_ = CpuSeconds();
    }
    if (counting_) {
      ++wakeUps_;
      const auto& s = vorn::State;
      const double tickDue = s.TickTime + vorn::kTickPeriod + s.PauseOffset;
      worstTickLag_ = std::max(worstTickLag_, now - tickDue);
    }
    return now;
  }
  void Wait(double seconds, vorn::InputSink& input) override {
    window_.Wait(seconds, input);
    ClickAuto(input);
  }
  void WaitUntil(double clock, vorn::InputSink& input) override {
    window_.WaitUntil(clock, input);
    ClickAuto(input);
  }
  void Show(const vorn::Frame& frame) override { window_.Show(frame); }
  bool Finished() override { return start_ >= 0 && last_ >= start_ + seconds_; }

  void Report() const {
    const double measured = last_ - settledAt_;
    const double cpu = CpuSeconds() - cpuAtSettle_;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("display path             %s\n", window_.DisplayPath().c_str());
    std::printf("seconds measured         %.1f (after the first %.0f)\n", measured, kSettleSeconds);
    std::printf("CPU per wall second      %.1f %% of one core\n", 100.0 * cpu / measured);
    std::printf("wake-ups per second      %.1f\n", static_cast<double>(wakeUps_) / measured);
    std::printf("frames shown per second  %.1f\n",
                static_cast<double>(window_.FramesShown() - framesAtSettle_) / measured);
    std::printf("time per frame shown     %.2f ms on average, %.2f ms at most\n",
                1000.0 * window_.FrameSeconds() /
                    static_cast<double>(std::max<std::uint64_t>(window_.FramesShown(), 1)),
                1000.0 * window_.LongestFrameSeconds());
    std::printf("largest tick lag         %.2f ms\n", worstTickLag_ * 1000.0);
    std::printf("sweep steps              %lld\n", static_cast<long long>(vorn::State.SweepSteps));
    std::printf("context switches         %ld voluntary, %ld involuntary\n", usage.ru_nvcsw,
                usage.ru_nivcsw);
    std::printf("mode at end              %s\n",
                vorn::State.OperatingMode == vorn::Mode::Auto ? "Auto" : "not Auto");
    std::printf("peak resident memory     %.1f MiB\n",
                static_cast<double>(usage.ru_maxrss) / 1024.0);
  }

 private:
  // Presses the left button on Auto half a second in and lets go 0.3 s later.
  void ClickAuto(vorn::InputSink& input) {
    using Kind = vorn::InputEvent::Kind;
    if (clickStep_ == 0 && last_ >= start_ + 0.5) {
      input.Hand(vorn::InputEvent{Kind::ButtonDown, vorn::kButtonLeft, kAutoX, kAutoY});
      clickStep_ = 1;
    } else if (clickStep_ == 1 && last_ >= start_ + 0.8) {
      input.Hand(vorn::InputEvent{Kind::ButtonUp, vorn::kButtonLeft, kAutoX, kAutoY});
      clickStep_ = 2;
    }
  }

  vorn::SdlHost& window_;
  double seconds_;
  double start_ = -1.0;
  double last_ = 0.0;
  double settledAt_ = 0.0;
  double cpuAtSettle_ = 0.0;
  bool counting_ = false;
  int clickStep_ = 0;
  std::uint64_t wakeUps_ = 0;
  std::uint64_t framesAtSettle_ = 0;
  double worstTickLag_ = 0.0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool stall = argc > 1 && std::string(argv[1]) == "stall";
  const double seconds = argc > 1 && !stall ? std::atof(argv[1]) : 30.0;
  if (!(seconds > kSettleSeconds)) {
    std::fprintf(stderr, "usage: vorn_measure [seconds > %.0f]\n", kSettleSeconds);
    return 2;
  }
  vorn::SdlHost window;
  if (!window.Open()) {
    std::fprintf(stderr, "vorn_measure: cannot open the console window: %s\n",
                 window.Error().c_str());
    return 1;
  }
  if (stall) return vorn::measure::MeasureStall(window, argc, argv);
  MeasuringHost host(window, seconds);
  vorn::RunConsole(host);
  host.Report();
  return 0;
}
