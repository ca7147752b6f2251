// Measures what syncing a recording's blocks to the disk costs the frame
// pace. A loop at the console's pace (a frame every 1/60 s, each with a
// clock reading, a frame digest, a wait and an input, as the console's
// journal has them) records into a journal in the given folder, syncing each
// block as it is written (and waiting), starting each block's writing, or
// syncing only at the close, and reports the longest time a frame spent
// handing a block on (what the syncing costs a frame), the largest gap
// between two frames and how many came a frame late or more (which the
// machine's other work adds to), and how long the close took.
//   journal_sync FOLDER SECONDS close|start|block

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/journal/journal_file.h"
#include "platform/journal/journal_writer.h"

namespace {

double Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

void SleepUntil(double when) {
  const double left = when - Now();
  if (left <= 0.0) return;
  timespec pause{static_cast<time_t>(left), static_cast<long>((left - static_cast<time_t>(left)) * 1e9)};
  nanosleep(&pause, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vorn::journal;
  const std::string policy = argc == 4 ? argv[3] : "";
  if (policy != "close" && policy != "start" && policy != "block") {
    std::fprintf(stderr, "usage: journal_sync FOLDER SECONDS close|start|block\n");
    return 2;
  }
  const std::string path = std::string(argv[1]) + "/sync-" + argv[3] + ".vornj";
  const double seconds = std::stod(argv[2]);
  JournalFile file(policy == "block"   ? JournalFile::Sync::EachBlock
                   : policy == "start" ? JournalFile::Sync::StartEachBlock
                                       : JournalFile::Sync::AtClose);
  if (!file.Create(path)) {
    std::fprintf(stderr, "%s\n", file.Error().c_str());
    return 1;
  }
  JournalWriter writer(file);
  writer.Start(Header{kFormatVersion, "measure", 1280, 1024, 16});
  constexpr double kPeriod = 1.0 / 60.0;
  std::vector<double> gaps;
  double longestFlush = 0.0;
  const double start = Now();
  double next = start, last = start;
  for (int frame = 0; Now() - start < seconds; ++frame) {
    SleepUntil(next);
    const double now = Now();
    if (frame > 0) gaps.push_back(now - last);
    last = now;
    writer.Clock(now);
    writer.Shown(static_cast<std::uint32_t>(frame * 2654435761u));
    writer.Wait();
    writer.Input(vorn::InputEvent{vorn::InputEvent::Kind::Pointer, 0, frame % 1280, frame % 1024});
    const double flushing = Now();
    writer.FlushIfDue();
    longestFlush = std::max(longestFlush, Now() - flushing);
    next += kPeriod;
    if (next < now) next = now + kPeriod;
  }
  const double closing = Now();
  const bool closed = writer.Finish() && file.Commit();
  const double closeSeconds = Now() - closing;
  if (!closed) std::fprintf(stderr, "%s\n", file.Error().c_str());
  std::sort(gaps.begin(), gaps.end());
  const auto late = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g > 1.5 * kPeriod; });
  std::printf(
      "%-5s: %zu frames, longest block %.1f ms, largest gap %.1f ms, %ld a frame late or more, "
      "close %.1f ms\n",
      policy.c_str(), gaps.size() + 1, longestFlush * 1e3, gaps.back() * 1e3,
      static_cast<long>(late), closeSeconds * 1e3);
  return closed ? 0 : 1;
}
