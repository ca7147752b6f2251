#include "app/site_controls.h"

#include <string>
#include <string_view>

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "display/services.h"

namespace vorn {

namespace {

constexpr int kRed = 0xFF0000;
constexpr int kWhite = 0xFFFFFF;

// A stretch of pixel columns, both ends included.
struct ClickRange {
  int Left;
  int Right;
  bool Holds(int x) const { return x >= Left && x <= Right; }
};

// The menu's click ranges each begin three pixels left of their word; the
// evasion row shares the first three.
constexpr ClickRange kNormalRange{741, 801};
constexpr ClickRange kAutoRange{802, 852};
constexpr ClickRange kPauseRange{853, 909};
constexpr ClickRange kExitRange{910, 957};
constexpr ClickRange kTextRange{958, 997};

struct EvasionChoice {
  ClickRange Range;
  double G;
  std::string_view Word;
};
constexpr EvasionChoice kEvasionChoices[] = {
    {kNormalRange, 0.0, "0.0 g   "},
    {kAutoRange, 0.2, "0.2 g   "},
    {kPauseRange, 1.0, "1.0 g   "},
};

// The auto crew's line at row 4, which Normal wipes out.
constexpr int kAutoLineRow = 4;
constexpr int kAutoLineColumn = 86;
constexpr std::size_t kAutoLineWidth = 34;

// The Pause button holds the loop this long (20 x 10 ms), so that an
// ordinary click is over before the next tick and toggles only once.
constexpr int kPauseHoldReads = 20;
constexpr int kPauseHoldSleepMs = 10;

bool LeftButtonAlone() {
  return State.MouseButtons == 1;
}

void PrintPiece(std::string_view text, bool lit, bool newLine) {
  SetColors(lit ? kRed : kWhite, -1);
  PrintText(text, newLine);
}

void ChooseNormal() {
  State.OperatingMode = Mode::Normal;
  SetTextPosition(kAutoLineRow, kAutoLineColumn);
  PrintText(std::string(kAutoLineWidth, ' '), true);
}

void TogglePause() {
  if (State.OperatingMode == Mode::Paused) {
    State.OperatingMode = State.ModeBeforePause;
  } else {
    State.ModeBeforePause = State.OperatingMode;
    State.OperatingMode = Mode::Paused;
  }
  for (int i = 0; i < kPauseHoldReads; ++i) {
    ShowCanvas();
    SleepMs(kPauseHoldSleepMs);
    TakeMouseSnapshot();
  }
}

void DrawModeMenu() {
  const Mode mode = State.OperatingMode;
  SetTextPosition(1, 82);
  PrintPiece("Game Modes: ", false, false);
  PrintPiece("Normal, ", mode == Mode::Normal, false);
  if (mode == Mode::Auto) {
    SetColors(kRed, -1);
    BeginPicture("Auto# ");
    PrintPictureNumber(static_cast<int>(State.AutoEngagementCount), false, false);
    EndPicture();
  } else {
    PrintPiece("Auto, ", false, false);
  }
  PrintPiece(mode == Mode::Paused ? "Paused," : "Pause ,", mode == Mode::Paused, false);
  PrintPiece("Exit, ", false, false);
  PrintPiece("Text ", mode == Mode::Text, true);
  SetColors(kWhite, -1);
}

}  // namespace

void ClickAlertLamps() {
  if (!(State.MouseY > 0 && State.MouseY < 33 && LeftButtonAlone())) return;
  // Lamp i is centred at x = 500 + 40 i; the borders between lamps select
  // nothing.
  for (int i = 0; i < 4; ++i)
    if (485 + 40 * i < State.MouseX && State.MouseX < 525 + 40 * i) State.AlertStatus = 3 - i;
}

void RunModeMenu() {
  if (State.MouseY > 0 && State.MouseY < 12 && LeftButtonAlone()) {
    const int x = State.MouseX;
    if (kNormalRange.Holds(x)) {
      ChooseNormal();
    } else if (kAutoRange.Holds(x)) {
      State.OperatingMode = Mode::Auto;
      State.AutoEngagementCount = CrewStep::StartScan;  // the crew starts over
    } else if (kPauseRange.Holds(x)) {
      TogglePause();
    } else if (kExitRange.Holds(x)) {
      State.OperatingMode = Mode::Exit;
      State.PendingTransfer = Transfer::EndProgram;
      return;
    } else if (kTextRange.Holds(x)) {
      State.OperatingMode = Mode::Text;
      State.PendingTransfer = Transfer::HelpPages;
      return;
    }
  }
  DrawModeMenu();
}

void RunEvasionSelection() {
  if (State.MouseY > 14 && State.MouseY < 29 && LeftButtonAlone()) {
    for (const EvasionChoice& choice : kEvasionChoices)
      if (choice.Range.Holds(State.MouseX)) State.EvasionG = choice.G;
  }
  SetTextPosition(2, 82);
  PrintPiece("Evasion Gs: ", false, false);
  for (const EvasionChoice& choice : kEvasionChoices)
    PrintPiece(choice.Word, State.EvasionG == choice.G, false);
  PrintPiece("tracked target only", false, true);
}

}  // namespace vorn
