// The PPI sweep step: the console's hottest routine, due 833 times per
// simulated second.

#include <benchmark/benchmark.h>

#include "app/console_state.h"
#include "app/scheduler.h"
#include "display/services.h"
#include "platform/headless/headless_host.h"
#include "radar/ppi_scope.h"

namespace {

void BM_PpiSweepStep(benchmark::State& state) {
  vorn::ResetConsoleState();
  vorn::HeadlessHost host;
  vorn::AttachHost(&host);
  vorn::InitializeState();
  vorn::RestartConsole();
  // A few revolutions of the scenario, so the picture holds noise, echoes and
  // trails in every phase.
  vorn::RunSchedulerPass();
  const double start = vorn::State.Now;
  while (vorn::State.Now < start + 15.0) vorn::RunSchedulerPass();

  for (auto _ : state) {
    // The step's work is all in the console state; DoNotOptimize on that
    // state would be wrong here, as this compiler may store a stale copy of
    // the value back into it (the beam would never move on).
    vorn::StepPpiSweep();
    benchmark::ClobberMemory();
  }
  vorn::AttachHost(nullptr);
}
BENCHMARK(BM_PpiSweepStep);

}  // namespace
