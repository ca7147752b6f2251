// Measures what syncing a recording's blocks to the disk costs the frame
// pace. A loop at the console's pace (a frame every 1/60 s, each with a
// clock reading, a frame digest, a wait and an input, as the console's
// journal has them) records into a journal in the given folder, syncing each
// block as it is written or only at the close, and reports the largest gap
// between two frames, how many frames came a frame late or more, and how
// long the close took.
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
    writer.FlushIfDue();
    next += kPeriod;
    if (next < now) next = now + kPeriod;
  }
  const double closing = Now();
  const bool closed = writer.Finish() && file.Commit();
  const double closeSeconds = Now() - closing;
  if (!closed) std::fprintf(stderr, "%s\n", file.Error().c_str());
  std::sort(gaps.begin(), gaps.end());
  const auto late = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g > 1.5 * kPeriod; });
  std::printf("%s: %zu frames, largest gap %.1f ms, 99.9%% %.1f ms, %ld a frame late or more, close %.1f ms\n",
              argv[3], gaps.size() + 1, gaps.back() * 1e3, gaps[gaps.size() * 999 / 1000] * 1e3,
              static_cast<long>(late), closeSeconds * 1e3);
  return closed ? 0 : 1;
}
