// vorn: the console of a surface-to-air missile battery, from the Battery
// Control Officer's seat. Runs the console in its window, records a session
// to a journal, or replays one in the window or without one.

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console.h"
#include "display/canvas.h"
#include "display/display_state.h"
#include "platform/journal/journal_reader.h"
#include "platform/journal/journal_writer.h"
#include "platform/journal/png_file.h"
#include "platform/journal/recording_host.h"
#include "platform/journal/replaying_host.h"
#include "platform/letterbox.h"
#include "platform/sdl/sdl_host.h"

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
  vorn::SdlHost window(ScalingOf(line));
  if (!OpenWindow(window)) return kExitError;
  return vorn::RunConsole(window);
}

int Record(const vorn::CommandLine& line) {
  vorn::journal::JournalWriter writer;
  // The console's screen: 1280 x 1024 at 16 bits a pixel.
  const vorn::journal::Header header{vorn::journal::kFormatVersion, VORN_VERSION, 1280, 1024, 16};
  if (!writer.Open(line.Journal, header)) return Fail(writer.Error());
  vorn::SdlHost window(ScalingOf(line));
  if (!OpenWindow(window)) return kExitError;  // the writer removes its file
  vorn::journal::RecordingHost recorder(window, writer);
  const int code = vorn::RunConsole(recorder);
  if (!writer.Close()) return Fail(writer.Error() + "; the recording is abandoned");
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

int Replay(const vorn::CommandLine& line) {
  vorn::journal::JournalReader reader;
  if (!reader.Open(line.Journal)) return Fail(reader.Error());
  std::unique_ptr<vorn::SdlHost> window;
  if (!line.Headless) {
    window = std::make_unique<vorn::SdlHost>(ScalingOf(line));
    if (!OpenWindow(*window)) return kExitError;
  }
  vorn::journal::ReplayingHost replay(reader, window.get());
  vorn::RunConsole(replay);
  replay.ConsoleEnded();
  using State = vorn::journal::ReplayingHost::State;
  switch (replay.Outcome()) {
    case State::Diverged:
      std::fprintf(stderr, "vorn: %s: %s\n", line.Journal.c_str(), replay.Message().c_str());
      return kExitDiverged;
    case State::Damaged:
      return Fail(replay.Message());
    default:
      break;
  }
  std::printf("%016" PRIx64 "\n", vorn::CanvasHash());
  std::fflush(stdout);
  if (!line.Screenshot.empty()) {
    std::string error;
    if (!vorn::journal::WritePng(line.Screenshot, CurrentCanvas(), error)) return Fail(error);
  }
  if (replay.Outcome() == State::CutOff)
    return Fail(replay.Message() + "; replayed up to its last whole block");
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
