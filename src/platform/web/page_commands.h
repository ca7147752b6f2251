#pragma once
// The page's buttons, file picker and kiosk timers (web/page.js) reach the
// program only as commands the page queues; the program takes them while
// it waits, never while the page would call into it asleep. The program
// tells the page back what it plays and where it stands, so the page can
// draw its bar.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::web {

struct PageCommand {
  enum class Kind {
    None,      // nothing queued
    Save,      // the journal of the live session so far, as a download
    Open,      // a journal the user opened or dropped: TakeOpenedJournal
    Speed,     // Value: recorded seconds per real second
    Pause,     // Value: 1 paused, 0 playing
    TakeOver,  // a fresh live console
    Demo,      // the kiosk's demonstration again (idle for two minutes)
  };
  Kind Type = Kind::None;
  double Value = 0.0;
};

PageCommand TakePageCommand();
// The bytes and the file name of the journal of the last Open taken.
std::vector<std::uint8_t> TakeOpenedJournal(std::string& name);
// Whether the page is a kiosk, and its demonstration journal (fetched by
// the page before the program started).
bool KioskPage();
std::vector<std::uint8_t> TakeDemoJournal();

enum class Session { Live, Replay, Demo, Idle };
// A session begins: `length` is a replay's recorded seconds.
void TellSession(Session session, double length);
void TellPosition(double seconds, bool paused, double speed);
// A replay ended: how (one line) and the canvas hash of its last frame.
void TellReplayEnd(const std::string& how, std::string_view hash);
// An opened journal that will not be played, and why.
void TellRefused(const std::string& reason);
// A journal saved from the live session, for the page to download, and the
// canvas hash at the moment it was saved.
void OfferJournal(std::string_view bytes, std::string_view hash);

}  // namespace vorn::web
