// The full redraw of the three plotting boards, run at start-up and each time
// the fire-control computer settles: 342,003 board pixels plus the labels.

#include <benchmark/benchmark.h>

#include "app/console_state.h"
#include "boards/plotting_boards.h"
#include "display/canvas.h"

namespace {

void BM_DrawPlottingBoards(benchmark::State& state) {
  vorn::ResetConsoleState();
  vorn::OpenScreen(vorn::kConsoleMode, 16);
  for (auto _ : state) {
    vorn::DrawPlottingBoards();
    benchmark::DoNotOptimize(vorn::State.Canvas.Pixels16.data());
  }
  state.SetItemsProcessed(state.iterations() * 342003);
}
BENCHMARK(BM_DrawPlottingBoards)->Unit(benchmark::kMillisecond);

}  // namespace
