// Soak: the auto crew engages on its own for simulated hours on the headless
// host, with the console's invariants checked after every tick, the hostile
// aircraft destroyed counted per hour, and the process's memory kept flat.
//
// CI runs one simulated hour (about a minute of processor time in the debug
// build). The full day, run directly rather than through ctest, whose time
// limit it would pass (about 25 minutes of processor time in the debug build):
//   cmake --preset debug && cmake --build --preset debug
//   VORN_SOAK_HOURS=24 build/debug/tests/vorn_tests --gtest_filter='SoakTest.*'

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/console_state.h"
#include "app/site_controls.h"
#include "support/console_test.h"
#include "support/invariants.h"

namespace vorn {
namespace {

// Simulated hours to run: VORN_SOAK_HOURS, default 1.
int SoakHours() {
  const char* text = std::getenv("VORN_SOAK_HOURS");
  const int hours = text != nullptr ? std::atoi(text) : 1;
  return hours > 0 ? hours : 1;
}

class SoakTest : public test::ConsoleTest {};

TEST_F(SoakTest, AutoCrewRunsForHoursWithSoundStateAndFlatMemory) {
  const int hours = SoakHours();
  StartConsole();
  test::CheckedRun run;
  test::DestructionLog log;
  run.AfterTick = [&] { log.Observe(); };

  // Auto from the menu, as the operator chooses it.
  Host().MoveMouse(820, 5, 1);
  ASSERT_EQ(run.RunTicks(1), Transfer::None);
  Host().MoveMouse(820, 5, 0);
  ASSERT_EQ(run.RunTicks(1), Transfer::None);
  ASSERT_EQ(State.OperatingMode, Mode::Auto);

  // Memory is taken once the first minutes have settled every buffer.
  ASSERT_EQ(run.RunUntil(State.Now + 300.0), Transfer::None);
  const long residentBefore = test::ResidentBytes();
  const long heapBefore = test::LiveHeapBytes();
  const double start = State.Now - 300.0;

  std::vector<int> perHour;
  for (int hour = 1; hour <= hours; ++hour) {
    const int before = log.Hostile();
    ASSERT_EQ(run.RunUntil(start + 3600.0 * hour), Transfer::None);
    ASSERT_EQ(run.Failure(), "");
    perHour.push_back(log.Hostile() - before);
    std::printf(
        "[ soak     ] hour %d: %d hostile aircraft destroyed; heap %ld KiB, resident %ld KiB\n",
        hour, perHour.back(), test::LiveHeapBytes() / 1024, test::ResidentBytes() / 1024);
    std::fflush(stdout);
  }
  const long residentAfter = test::ResidentBytes();
  const long heapAfter = test::LiveHeapBytes();

  EXPECT_EQ(log.Friendly(), 0);
  EXPECT_EQ(log.FriendlyLaunches(), 0);
  for (std::size_t h = 0; h < perHour.size(); ++h) EXPECT_GE(perHour[h], 10) << "hour " << h + 1;
  EXPECT_EQ(test::ConsoleInvariants::CheckWholePpi(), "");
  // Nothing grows with the running time. The live heap must stay put; the
  // resident size too, except under AddressSanitizer, whose quarantine of
  // freed blocks (the read-outs' short-lived texts) fills over hours.
  EXPECT_LE(heapAfter, heapBefore + 64L * 1024)
      << "heap " << heapBefore / 1024 << " KiB -> " << heapAfter / 1024 << " KiB";
  if (!test::UnderAddressSanitizer()) {
    EXPECT_LE(residentAfter, residentBefore + 4L * 1024 * 1024)
        << "resident " << residentBefore / 1024 << " KiB -> " << residentAfter / 1024 << " KiB";
  }
}

}  // namespace
}  // namespace vorn
