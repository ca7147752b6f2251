// The whole main loop on the headless host: one simulated second of an
// engagement in Auto mode, and the catch-up after a long stall.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "app/console_state.h"
#include "app/scheduler.h"
#include "app/site_controls.h"
#include "display/services.h"
#include "platform/headless/headless_host.h"

namespace {

// Passes that make one simulated second when the clock moves 0.4 ms per pass.
constexpr int kPassesPerSecond = 2500;
// How long the crew gets to launch its first missile.
constexpr double kLaunchWithin = 600.0;

// A console started in Auto mode on the given host.
void StartAutoConsole(vorn::HeadlessHost& host) {
  vorn::ResetConsoleState();
  vorn::AttachHost(&host);
  vorn::InitializeState();
  vorn::State.OperatingMode = vorn::Mode::Auto;
  vorn::RestartConsole();
}

// Starts an Auto console and runs passes until the crew has a missile in
// flight; if it never launches, marks the benchmark failed and returns false.
bool StartWithMissileInFlight(benchmark::State& state, vorn::HeadlessHost& host) {
  StartAutoConsole(host);
  vorn::RunSchedulerPass();
  const double start = vorn::State.Now;
  while (vorn::State.MissilePhase == vorn::FlightPhase::Ready) {
    if (vorn::State.Now > start + kLaunchWithin) {
      state.SkipWithError("the auto crew launched no missile");
      vorn::AttachHost(nullptr);
      return false;
    }
    vorn::RunSchedulerPass();
  }
  return true;
}

void BM_SimulatedSecond(benchmark::State& state) {
  vorn::HeadlessHost host;  // 0.4 ms per clock read, one read per pass
  if (!StartWithMissileInFlight(state, host)) return;
  const vorn::ConsoleState saved = vorn::State;
  const double savedTime = host.Time();

  // How long the missile stays in flight from here: iterations start over
  // from the launch before a second would run past its end.
  while (vorn::State.MissilePhase != vorn::FlightPhase::Ready) vorn::RunSchedulerPass();
  const double flightSeconds = vorn::State.Now - saved.Now;
  vorn::State = saved;
  host.SetTime(savedTime);

  std::int64_t restarts = 0;
  for (auto _ : state) {
    if (vorn::State.Now + 1.1 > saved.Now + flightSeconds) {
      state.PauseTiming();
      vorn::State = saved;
      host.SetTime(savedTime);
      ++restarts;
      state.ResumeTiming();
    }
    for (int i = 0; i < kPassesPerSecond; ++i) vorn::RunSchedulerPass();
  }
  state.counters["flight_s"] = flightSeconds;
  state.counters["restarts"] = static_cast<double>(restarts);
  state.counters["sim_s_per_cpu_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  vorn::AttachHost(nullptr);
}
BENCHMARK(BM_SimulatedSecond)->Unit(benchmark::kMillisecond);

// Ten seconds pass between two passes, as after "p" and a wait for a key.
// The loop then runs about 100 ticks, 20 panel tasks and 8333 sweep steps
// back to back. The clock stands still while it does (the panel task does
// not nap while the console is behind), so this is the loop's own work.
void BM_CatchUpAfterStall(benchmark::State& state) {
  constexpr double kStall = 10.0;
  vorn::HeadlessHost host;
  if (!StartWithMissileInFlight(state, host)) return;
  const vorn::ConsoleState saved = vorn::State;
  const double savedTime = host.Time();

  const auto behind = [] {
    const auto& s = vorn::State;
    return s.Now > s.TickTime + 0.1 || s.Now > s.NextPanelTime || s.Now > s.NextSweepTime;
  };
  std::int64_t passes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    vorn::State = saved;
    host.SetTime(savedTime + kStall);
    host.SetSecondsPerClockRead(0.0);
    state.ResumeTiming();
    do {
      vorn::RunSchedulerPass();
      ++passes;
    } while (behind());
  }
  state.counters["passes"] =
      benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kAvgIterations);
  vorn::AttachHost(nullptr);
}
BENCHMARK(BM_CatchUpAfterStall)->Unit(benchmark::kMillisecond);

// Ten minutes in the help pages: on return only the panel task is behind,
// 1200 runs of it (each in a pass with a scope update), which is what a
// catch-up slice counts a panel task as.
void BM_CatchUpAfterHelpPages(benchmark::State& state) {
  constexpr double kAway = 600.0;
  vorn::HeadlessHost host;
  if (!StartWithMissileInFlight(state, host)) return;
  const vorn::ConsoleState saved = vorn::State;
  const double savedTime = host.Time();
  std::int64_t panels = 0;
  for (auto _ : state) {
    state.PauseTiming();
    vorn::State = saved;
    vorn::State.NextPanelTime -= kAway;
    host.SetTime(savedTime);
    host.SetSecondsPerClockRead(0.0);
    state.ResumeTiming();
    do {
      vorn::RunSchedulerPass();
      ++panels;
    } while (vorn::State.Now > vorn::State.NextPanelTime);
  }
  state.counters["panel_runs"] =
      benchmark::Counter(static_cast<double>(panels), benchmark::Counter::kAvgIterations);
  vorn::AttachHost(nullptr);
}
BENCHMARK(BM_CatchUpAfterHelpPages)->Unit(benchmark::kMillisecond);

}  // namespace
