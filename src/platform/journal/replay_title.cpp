#include "platform/journal/replay_title.h"

#include <cmath>
#include <cstdio>

#include "platform/journal/journal_reader.h"

namespace vorn::journal {

namespace {

// Whole seconds elapsed, never below 0 (nor a NaN, from a crafted journal).
long long WholeSeconds(double seconds) {
  return seconds >= 1.0 ? static_cast<long long>(std::floor(std::fmin(seconds, 1e12))) : 0;
}

// "3:05", or "1:02:03" from an hour on.
std::string Elapsed(long long seconds) {
  char text[32];
  const long long hours = seconds / 3600;
  const long long minutes = seconds / 60 % 60;
  if (hours > 0)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, seconds % 60);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", minutes, seconds % 60);
  return text;
}

}  // namespace

double RecordedSeconds(const std::string& path) {
  JournalReader reader;
  if (!reader.Open(path)) return 0.0;
  Event event;
  bool any = false;
  double first = 0.0;
  double last = 0.0;
  while (reader.Next(event) == JournalReader::Result::Event) {
    if (event.Kind != Event::Type::Clock) continue;
    if (!any) first = event.Seconds;
    any = true;
    last = event.Seconds;
  }
  return last - first;
}

std::string ReplayTitle(const std::string& name, double position, double length, double speed) {
  std::string title = "vorn: replay of " + name + " " + Elapsed(WholeSeconds(position)) + " / " +
                      Elapsed(WholeSeconds(length));
  if (speed != 1.0) {
    char pace[32];
    std::snprintf(pace, sizeof pace, " at %g\u00d7", speed);
    title += pace;
  }
  return title;
}

double TitledReplayHost::Clock() {
  const double reading = replay_.Clock();
  if (!started_) {
    started_ = true;
    first_ = reading;
  }
  const long long second = WholeSeconds(reading - first_);
  if (second != shownSecond_) {
    shownSecond_ = second;
    title_(ReplayTitle(name_, reading - first_, length_, speed_));
  }
  return reading;
}

}  // namespace vorn::journal
