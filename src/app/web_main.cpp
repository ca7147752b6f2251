// vorn in a browser tab. The page runs one session after another: a live
// console, journaled in memory from its start so the page can save it at
// any moment, or the replay of a journal the user opened (the kiosk's
// demonstration is one too). Each session is a fresh run of the console;
// a command from the page that needs another one ends the current one.

#include <emscripten.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/console_state.h"
#include "display/canvas.h"
#include "platform/journal/journal_reader.h"
#include "platform/journal/journal_writer.h"
#include "platform/journal/recording_host.h"
#include "platform/journal/replaying_host.h"
#include "platform/web/page_commands.h"
#include "platform/web/web_host.h"

// For the browser tests only: the PPI sweep steps made since the start, to
// check the pace of the simulation against the page's real clock.
extern "C" EMSCRIPTEN_KEEPALIVE double vorn_test_sweep_steps() {
  return static_cast<double>(vorn::State.SweepSteps);
}

namespace {

using vorn::journal::JournalReader;
using vorn::journal::ReplayingHost;
using vorn::web::PageCommand;
using vorn::web::Session;

// How often the page is asked for commands between sessions.
constexpr double kIdleLook = 0.1;

// The hash of the canvas as it stands, as `vorn --replay` prints it.
std::string HashText() {
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, vorn::CanvasHash());
  return text;
}

// A journal read once through: damaged or not, and its length in recorded
// seconds (its last clock reading less its first).
struct Scan {
  std::string Damage;
  double Length = 0.0;
};

Scan ScanJournal(std::span<const std::uint8_t> bytes, const std::string& name) {
  Scan scan;
  JournalReader reader;
  if (!reader.OpenBytes(bytes, name)) {
    scan.Damage = reader.Error();
    return scan;
  }
  vorn::journal::Event event;
  bool first = true;
  double start = 0.0;
  for (;;) {
    const JournalReader::Result result = reader.Next(event);
    if (result == JournalReader::Result::Damaged) scan.Damage = reader.Error();
    if (result != JournalReader::Result::Event) break;
    if (event.Kind != vorn::journal::Event::Type::Clock) continue;
    if (first) start = event.Seconds;
    first = false;
    scan.Length = event.Seconds - start;
  }
  return scan;
}

class NoInput final : public vorn::InputSink {
 public:
  void Hand(const vorn::InputEvent&) override {}
};

class Sessions final : public vorn::web::PageListener {
 public:
  Sessions() : kiosk_(vorn::web::KioskPage()) {
    host_.Listen(this);
    if (kiosk_) demo_ = vorn::web::TakeDemoJournal();
  }

  void Run() {
    Next next = kiosk_ && !demo_.empty() ? Next::Demo : Next::Live;
    for (;;) {
      next_ = Next::None;
      host_.EndSession(false);
      switch (next) {
        case Next::Live:
          RunLive();
          break;
        case Next::Replay:
          opened_.swap(toOpen_);
          RunReplay(opened_, openedLength_, false);
          break;
        case Next::Demo:
          RunReplay(demo_, demoLength_, true);
          break;
        case Next::None:
          break;
      }
      if (next_ == Next::None) next_ = AfterSession(next);
      next = next_;
      if (next != Next::None) continue;
      vorn::web::TellSession(Session::Idle, 0.0);
      host_.EndSession(false);
      NoInput ignore;
      while (next_ == Next::None) host_.Wait(kIdleLook, ignore);
      next = next_;
    }
  }

  void AtWait(bool slept) override {
    // A live console takes commands only when it has done all that was due,
    // so that a journal saved then replays to the canvas it has.
    if (replay_ == nullptr && !slept) return;
    for (PageCommand c = vorn::web::TakePageCommand(); c.Type != PageCommand::Kind::None;
         c = vorn::web::TakePageCommand())
      Obey(c);
    if (replay_ != nullptr) vorn::web::TellPosition(replay_->Seconds(), replay_->Paused(), replay_->Speed());
  }

 private:
  enum class Next { None, Live, Replay, Demo };

  // What follows a session that ended by itself: the kiosk's demonstration
  // loops and hands over to a live console on a touch, and a live console
  // ended in the kiosk goes back to the demonstration. Elsewhere the page
  // waits for the user.
  Next AfterSession(Next ended) const {
    if (!kiosk_) return Next::None;
    if (ended != Next::Demo) return Next::Demo;
    return demoOutcome_ == ReplayingHost::State::Stopped ? Next::Live : Next::Demo;
  }

  void Obey(const PageCommand& c) {
    switch (c.Type) {
      case PageCommand::Kind::Save:
        Save();
        break;
      case PageCommand::Kind::Open:
        Open();
        break;
      case PageCommand::Kind::Speed:
        if (replay_ != nullptr) replay_->SetSpeed(c.Value);
        break;
      case PageCommand::Kind::Pause:
        if (replay_ != nullptr) replay_->SetPaused(c.Value != 0.0);
        break;
      case PageCommand::Kind::TakeOver:
        EndWith(Next::Live);
        break;
      case PageCommand::Kind::Demo:
        if (kiosk_ && !demo_.empty()) EndWith(Next::Demo);
        break;
      case PageCommand::Kind::None:
        break;
    }
  }

  void EndWith(Next next) {
    next_ = next;
    if (replay_ != nullptr) replay_->Stop();
    host_.EndSession(true);
  }

  // The journal so far, closed with the saved mark; or whole, ended, when
  // the live console has ended.
  void Save() {
    if (writer_ == nullptr) return;
    std::string bytes = memory_->Bytes();
    if (!liveEnded_) bytes += writer_->SavedClosing();
    vorn::web::OfferJournal(bytes, HashText());
  }

  // A journal that cannot be read through is refused with the reader's
  // reason, and whatever runs goes on.
  void Open() {
    std::string name;
    std::vector<std::uint8_t> bytes = vorn::web::TakeOpenedJournal(name);
    const Scan scan = ScanJournal(bytes, name);
    if (!scan.Damage.empty()) {
      vorn::web::TellRefused(scan.Damage);
      return;
    }
    toOpen_.swap(bytes);
    toOpenName_ = name;
    openedLength_ = scan.Length;
    EndWith(Next::Replay);
  }

  void RunLive() {
    memory_ = std::make_unique<vorn::journal::MemoryBlocks>();
    writer_ = std::make_unique<vorn::journal::JournalWriter>(*memory_);
    liveEnded_ = false;
    // The console's screen: 1280 x 1024 at 16 bits a pixel.
    writer_->Start({vorn::journal::kFormatVersion, VORN_VERSION, 1280, 1024, 16});
    vorn::journal::RecordingHost recorder(host_, *writer_);
    vorn::web::TellSession(Session::Live, 0.0);
    vorn::RunConsole(recorder);
    // Ended by the operator: the journal is whole. Ended for another session:
    // the console did not end by itself, and the journal is dropped.
    if (next_ == Next::None) {
      writer_->Finish();
      liveEnded_ = true;
      if (!kiosk_) host_.ShowEnded();
    } else {
      writer_.reset();
      memory_.reset();
    }
  }

  void RunReplay(const std::vector<std::uint8_t>& bytes, double& length, bool demo) {
    writer_.reset();
    memory_.reset();
    if (demo && length == 0.0) length = ScanJournal(demo_, "the demonstration").Length;
    JournalReader reader;
    if (!reader.OpenBytes(bytes, demo ? "the demonstration" : toOpenName_)) {
      vorn::web::TellRefused(reader.Error());
      demoOutcome_ = ReplayingHost::State::Damaged;
      return;
    }
    ReplayingHost replay(reader, &host_);
    replay.StopOnAnyInput(demo);
    replay_ = &replay;
    vorn::web::TellSession(demo ? Session::Demo : Session::Replay, length);
    vorn::RunConsole(replay);
    replay.ConsoleEnded();
    replay_ = nullptr;
    if (demo) demoOutcome_ = replay.Outcome();
    vorn::web::TellReplayEnd(Outcome(replay), HashText());
  }

  static std::string Outcome(const ReplayingHost& replay) {
    using State = ReplayingHost::State;
    switch (replay.Outcome()) {
      case State::Ended:
        return "the end: the console ended here";
      case State::Saved:
        return "the end: saved here while the console ran";
      case State::CutOff:
        return replay.Message() + "; replayed up to its last whole block";
      case State::Stopped:
        return "stopped";
      case State::Diverged:
      case State::Damaged:
      case State::Playing:
        break;
    }
    return replay.Message();
  }

  vorn::web::WebHost host_;
  const bool kiosk_;
  Next next_ = Next::None;
  // The live session's journal, kept after its console ended for a save.
  std::unique_ptr<vorn::journal::MemoryBlocks> memory_;
  std::unique_ptr<vorn::journal::JournalWriter> writer_;
  bool liveEnded_ = false;
  ReplayingHost* replay_ = nullptr;
  // The journal being replayed, and the one opened to replay next.
  std::vector<std::uint8_t> opened_;
  std::vector<std::uint8_t> toOpen_;
  std::string toOpenName_;
  double openedLength_ = 0.0;
  std::vector<std::uint8_t> demo_;
  double demoLength_ = 0.0;
  ReplayingHost::State demoOutcome_ = ReplayingHost::State::Ended;
};

}  // namespace

int main() {
  // Sessions live as long as the page: the program never returns from here.
  static Sessions sessions;
  sessions.Run();
  return 0;
}
