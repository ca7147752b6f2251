#pragma once
// The controls along the top edge: alert status lamps, operating-mode menu
// and evasion selection.

namespace vorn {

// The operating modes, with the numbers the console has always given them.
enum class Mode : int {
  Normal = 0,
  Auto = 1,
  Paused = 2,
  Exit = 3,
  Text = 4,
};

struct SiteControlState {
  Mode OperatingMode = Mode::Normal;
  Mode ModeBeforePause = Mode::Normal;
};

void ClickAlertLamps();
void RunModeMenu();
void RunEvasionSelection();

}  // namespace vorn
