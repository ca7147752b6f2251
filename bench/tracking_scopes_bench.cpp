// The TTR scope's column update: it runs on every pass of the main loop that
// has no sweep step due, so it must stay cheap.

#include <benchmark/benchmark.h>

#include "app/console_state.h"
#include "display/canvas.h"
#include "radar/tracking_scopes.h"

namespace {

// Argument 0: no track, full grass. Argument 1: a target tracked at 50,000
// yards, so the gate carries the pip and the noise is small.
void BM_TtrScopeColumn(benchmark::State& state) {
  vorn::ResetConsoleState();
  vorn::OpenScreen(vorn::kConsoleMode, 16);
  if (state.range(0) != 0) {
    vorn::State.TargetTracked = vorn::State.TargetDesignated = 2;
    vorn::State.TrackSlantRange = 50000.0;
    vorn::State.TtrRange = 50000.0;
  }
  // The refresh stays out of reach: every call is a column update.
  vorn::State.Now = 100.0;
  vorn::State.ScopeClockSet = 1;
  vorn::State.NextScopeTime = 1.0e9;
  for (int i = 0; i < 10000; ++i) vorn::UpdateTtrScope();

  for (auto _ : state) {
    vorn::UpdateTtrScope();
    benchmark::DoNotOptimize(vorn::State.TtrTraceTop.data());
  }
}
BENCHMARK(BM_TtrScopeColumn)->Arg(0)->Arg(1);

}  // namespace
