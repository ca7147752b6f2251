// vorn: the console of a surface-to-air missile battery, from the Battery
// Control Officer's seat. Runs the console in its window, records a session
// to a journal, or replays one in the window or without one.

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console.h"
#include "display/canvas.h"
#include "display/display_state.h"
#include "platform/journal/journal_file.h"
#include "platform/journal/journal_reader.h"
#include "platform/journal/journal_writer.h"
#include "platform/journal/png_file.h"
#include "platform/journal/replay_title.h"
#include "platform/journal/recording_host.h"
#include "platform/journal/replaying_host.h"
#include "platform/letterbox.h"
#include "platform/sdl/sdl_host.h"
#include "platform/signals/end_signals.h"

namespace {

// Exit statuses besides the console's own 0.
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitDiverged = 3;

int Fail(const std::string& message) {
  std::fprintf(stderr, "vorn: %s\n", message.c_str());
  return kExitError;
}

bool OpenWindow(vorn::SdlHost& window) {
  if (window.Open()) return true;
  Fail("cannot open the console window: " + window.Error());
  return false;
}

vorn::Scaling ScalingOf(const vorn::CommandLine& line) {
  return line.Fill ? vorn::Scaling::Fill : vorn::Scaling::WholeSteps;
}

int Run(const vorn::CommandLine& line) {
  vorn::CatchEndSignals();
  vorn::SdlHost window(ScalingOf(line));
  if (!OpenWindow(window)) return kExitError;
  vorn::EndOnSignalHost ending(window);
  return vorn::RunConsole(ending);
}

int Record(const vorn::CommandLine& line) {
  using namespace vorn::journal;
  const std::string& path = line.Journal;
  vorn::CatchEndSignals();
  // Everything is checked, and the file made, before the window opens.
  JournalFile file;
  if (!file.Create(path)) return Fail(file.Error());
  JournalWriter writer(file);
  // The console's screen: 1280 x 1024 at 16 bits a pixel.
  const Header header{kFormatVersion, VORN_VERSION, 1280, 1024, 16};
  const std::size_t headerBytes = JournalEncoder::EncodeHeader(header).size();
  if (!writer.Start(header)) {
    const std::string error = file.Error();
    file.Discard(headerBytes);
    return Fail(error);
  }
  vorn::SdlHost window(ScalingOf(line));
  if (!OpenWindow(window)) {
    file.Discard(headerBytes);  // it holds nothing recorded
    return kExitError;
  }
  vorn::EndOnSignalHost ending(window);
  RecordingHost recorder(ending, writer);
  const int code = vorn::RunConsole(recorder);
  if (!writer.Finish())
    return Fail(file.Error() + "; the recording up to then is kept in " + file.PartPath() +
                ", which replays up to its last whole block");
  if (!file.Commit()) {
    if (file.Named())
      return Fail(file.Error() + "; the journal stands as " + path +
                  " but may not survive a power loss");
    return Fail(file.Error() + "; the whole recording is kept in " + file.PartPath());
  }
  return code;
}

// The canvas as it stands, as a frame to save.
vorn::Frame CurrentCanvas() {
  const vorn::CanvasState& canvas = vorn::Display.Canvas;
  vorn::Frame frame;
  frame.Width = canvas.Width;
  frame.Height = canvas.Height;
  frame.BitsPerPixel = canvas.BitsPerPixel;
  frame.Pixels = canvas.BitsPerPixel == 16 ? static_cast<const void*>(canvas.Pixels16.data())
                                           : canvas.Pixels32.data();
  return frame;
}

// One pass of a replay: a fresh console on a fresh reading of the journal.
struct Pass {
  vorn::journal::ReplayingHost::State Outcome;
  std::string Message;
};

Pass PlayOnce(const vorn::CommandLine& line, vorn::SdlHost* window, vorn::Host* windowHost,
              double length) {
  using namespace vorn::journal;
  JournalReader reader;
  // Opened once already: only a file taken away since fails here.
  if (!reader.Open(line.Journal)) return {ReplayingHost::State::Damaged, reader.Error()};
  ReplayingHost replay(reader, windowHost);
  replay.SetSpeed(line.Speed);
  if (window == nullptr) {
    vorn::RunConsole(replay);
  } else {
    TitledReplayHost titled(replay, std::filesystem::path(line.Journal).filename().string(),
                            length, line.Speed,
                            [window](const std::string& title) { window->SetTitle(title); });
    vorn::RunConsole(titled);
  }
  replay.ConsoleEnded();
  return {replay.Outcome(), replay.Message()};
}

void PrintCanvasHash() {
  std::printf("%016" PRIx64 "\n", vorn::CanvasHash());
  std::fflush(stdout);
}

int Replay(const vorn::CommandLine& line) {
  using State = vorn::journal::ReplayingHost::State;
  {
    vorn::journal::JournalReader reader;
    if (!reader.Open(line.Journal)) return Fail(reader.Error());
  }
  std::string error;
  if (!line.Screenshot.empty() &&
      !vorn::journal::CheckPngTarget(line.Screenshot, line.Journal, error))
    return Fail(error);
  std::unique_ptr<vorn::SdlHost> window;
  std::unique_ptr<vorn::EndOnSignalHost> ending;
  double length = 0.0;
  if (!line.Headless) {
    vorn::CatchEndSignals();
    length = vorn::journal::RecordedSeconds(line.Journal);
    window = std::make_unique<vorn::SdlHost>(ScalingOf(line));
    if (!OpenWindow(*window)) return kExitError;
    ending = std::make_unique<vorn::EndOnSignalHost>(*window);
  }
  // With --loop each pass that plays to the journal's end prints its hash,
  // and the next begins, until the viewer (or a signal) ends one.
  std::string cutOff;
  for (;;) {
    const Pass pass = PlayOnce(line, window.get(), ending.get(), length);
    if (pass.Outcome == State::Diverged) {
      std::fprintf(stderr, "vorn: %s: %s\n", line.Journal.c_str(), pass.Message.c_str());
      return kExitDiverged;
    }
    if (pass.Outcome == State::Damaged) return Fail(pass.Message);
    if (pass.Outcome == State::CutOff) cutOff = pass.Message;
    if (!line.Loop || pass.Outcome == State::Stopped || vorn::EndSignalled()) break;
    PrintCanvasHash();
  }
  PrintCanvasHash();
  if (!line.Screenshot.empty() &&
      !vorn::journal::WritePng(line.Screenshot, CurrentCanvas(), error))
    return Fail(error);
  if (!cutOff.empty()) return Fail(cutOff + "; replayed up to its last whole block");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const vorn::CommandLine line =
      vorn::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.Error.empty()) {
    std::fprintf(stderr, "vorn: %s (%s)\n", line.Error.c_str(), vorn::UsageLine());
    return kExitUsage;
  }
  switch (line.Action) {
    case vorn::CommandLine::Mode::Help:
      std::fputs(vorn::HelpText(), stdout);
      return 0;
    case vorn::CommandLine::Mode::Version:
      std::printf("vorn %s\n", VORN_VERSION);
      return 0;
    case vorn::CommandLine::Mode::Record:
      return Record(line);
    case vorn::CommandLine::Mode::Replay:
      return Replay(line);
    case vorn::CommandLine::Mode::Run:
      break;
  }
  return Run(line);
}
