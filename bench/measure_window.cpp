// vorn_measure: runs the console in its real window in Auto mode for a given
// number of seconds and reports how smoothly it ran: frames shown and
// scheduler passes per second, how late each task was found by the loop,
// CPU time and peak memory.
//
//   vorn_measure [seconds]    (default 10)

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/console_state.h"
#include "app/scheduler.h"
#include "app/site_controls.h"
#include "display/sdl_host.h"

namespace {

constexpr double kTickPeriod = 0.1;
// Lateness is only counted from here on: start-up (opening the window, the
// first frames) is not the loop's steady state.
constexpr double kSettleSeconds = 1.0;

struct Lateness {
  double Tick = 0.0;
  double Panel = 0.0;
  double Sweep = 0.0;
};

double CpuSeconds(const rusage& usage) {
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
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
  vorn::SetActiveHost(&window);

  auto& state = vorn::State;
  vorn::InitializeState();
  state.OperatingMode = vorn::kModeAuto;
  vorn::RestartConsole();

  const double start = window.Clock();
  const double settled = start + kSettleSeconds;
  double now = start;
  std::uint64_t passes = 0, passesSettled = 0, framesAtSettle = 0;
  bool counting = false;
  Lateness worst;
  double longestPass = 0.0;
  std::uint64_t slowPasses = 0;  // passes of 5 ms or more
  while (now < start + seconds) {
    const double passStart = now;
    // The deadlines as the pass finds them: how late each task is when the
    // loop comes round to it.
    const double tickDue = state.TickTime + kTickPeriod;
    const double panelDue = state.NextPanelTime;
    const double sweepDue = state.NextSweepTime;
    if (vorn::RunSchedulerPass() != vorn::Transfer::None) break;
    ++passes;
    now = window.Clock();
    if (!counting && now >= settled) {
      counting = true;
      framesAtSettle = window.FramesShown();
      passesSettled = passes;
    }
    if (counting) {
      longestPass = std::max(longestPass, now - passStart);
      if (now - passStart >= 0.005) ++slowPasses;
      worst.Tick = std::max(worst.Tick, state.Now - tickDue);
      worst.Panel = std::max(worst.Panel, state.Now - panelDue);
      worst.Sweep = std::max(worst.Sweep, state.Now - sweepDue);
    }
  }
  const double measured = now - settled;

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("display path             %s\n", window.DisplayPath().c_str());
  std::printf("seconds run              %.1f (measured after the first %.0f)\n", now - start,
              kSettleSeconds);
  std::printf("frames shown per second  %.1f\n",
              static_cast<double>(window.FramesShown() - framesAtSettle) / measured);
  std::printf("time per frame shown     %.2f ms on average, %.2f ms at most\n",
              1000.0 * window.FrameSeconds() /
                  static_cast<double>(std::max<std::uint64_t>(window.FramesShown(), 1)),
              1000.0 * window.LongestFrameSeconds());
  std::printf("passes per second        %.0f\n",
              static_cast<double>(passes - passesSettled) / measured);
  std::printf("largest tick lag         %.2f ms\n", worst.Tick * 1000.0);
  std::printf("largest panel lag        %.2f ms\n", worst.Panel * 1000.0);
  std::printf("largest sweep lag        %.2f ms\n", worst.Sweep * 1000.0);
  std::printf("longest pass             %.2f ms (%llu of 5 ms or more)\n", longestPass * 1000.0,
              static_cast<unsigned long long>(slowPasses));
  std::printf("context switches         %ld voluntary, %ld involuntary\n", usage.ru_nvcsw,
              usage.ru_nivcsw);
  std::printf("missile phase at end     %d\n", state.MissilePhase);
  std::printf("CPU seconds              %.2f (%.0f%% of one core)\n", CpuSeconds(usage),
              100.0 * CpuSeconds(usage) / (now - start));
  std::printf("peak resident memory     %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  vorn::SetActiveHost(nullptr);
  return 0;
}
