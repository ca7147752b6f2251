// Records a journal of the console in Auto for SECONDS simulated seconds on
// the headless host, ended by q, for the browser's measurements (opening a
// long journal, replaying fast, the kiosk's loops). The headless host keeps
// the console's frame pace, so the journal is as large as one recorded at
// the screen.
//
//   vorn_record_headless FILE SECONDS

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/console.h"
#include "platform/headless/headless_host.h"
#include "platform/journal/journal_file.h"
#include "platform/journal/journal_writer.h"
#include "platform/journal/recording_host.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vorn_record_headless FILE SECONDS\n");
    return 2;
  }
  const double seconds = std::atof(argv[2]);
  vorn::journal::JournalFile file(vorn::journal::JournalFile::Sync::AtClose);
  if (!file.Create(argv[1])) {
    std::fprintf(stderr, "%s\n", file.Error().c_str());
    return 1;
  }
  vorn::journal::JournalWriter writer(file);
  if (!writer.Start({vorn::journal::kFormatVersion, "measure", 1280, 1024, 16})) return 1;
  vorn::HeadlessHost host;
  const double t0 = host.Time();
  // Auto from the mode menu, then q at the end.
  host.ScheduleMouse(t0 + 1.0, 820, 5, vorn::kButtonLeft);
  host.ScheduleMouse(t0 + 1.3, 820, 5, 0);
  host.ScheduleKey(t0 + seconds, 'q');
  vorn::journal::RecordingHost recorder(host, writer);
  vorn::RunConsole(recorder);
  if (!writer.Finish() || !file.Commit()) {
    std::fprintf(stderr, "%s\n", file.Error().c_str());
    return 1;
  }
  std::printf("%s: %.0f simulated seconds, %llu bytes\n", argv[1], seconds,
              static_cast<unsigned long long>(writer.BytesWritten()));
  return 0;
}
