// For the journal's window tests: reads a journal to its end and prints, on
// one line, how it ended (end, saved, cut-off or damaged), the number of
// events read and the last clock reading; with --now, prints the clock a
// recording reads (SDL's: CLOCK_MONOTONIC_RAW), to compare with it.

#include <time.h>

#include <cstdio>
#include <cstring>

#include "platform/journal/journal_reader.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--now") == 0) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    std::printf("%.6f\n", static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9);
    return 0;
  }
  if (argc != 2) return 2;
  using vorn::journal::JournalReader;
  JournalReader reader;
  if (!reader.Open(argv[1])) {
    std::printf("refused 0 0\n");
    return 1;
  }
  vorn::journal::Event e;
  double last = 0.0;
  std::size_t events = 0;
  JournalReader::Result result;
  while ((result = reader.Next(e)) == JournalReader::Result::Event) {
    ++events;
    if (e.Kind == vorn::journal::Event::Type::Clock) last = e.Seconds;
  }
  const char* names[] = {"event", "end", "saved", "cut-off", "damaged"};
  std::printf("%s %zu %.6f\n", names[static_cast<int>(result)], events, last);
  return 0;
}
