#pragma once
// The controls along the top edge: alert status lamps, operating-mode menu
// and evasion selection, and the self-clearing message lines.

#include <string_view>

namespace vorn {

inline constexpr int kModeNormal = 0;
inline constexpr int kModeAuto = 1;
inline constexpr int kModePaused = 2;
inline constexpr int kModeExit = 3;
inline constexpr int kModeText = 4;

struct SiteState {
  double AlertStatus = 3.0;  // 3 RED, 2 BLUE, 1 YELLOW, 0 WHITE
  int MissileSelected = 1;   // 1 while AlertStatus >= 2
  int OperatingMode = kModeNormal;
  double ModeBeforePause = 0.0;
  double EvasionG = 0.0;  // 0.0, 0.2 or 1.0
  double MessageClearTime = 0.0;
};

void ClickAlertLamps();
void RunModeMenu();
void RunEvasionSelection();
void PlaceMessageLine1();
void PlaceMessageLine2();
void ExpireMessageLines();

// Fifteen blanks: a message line with nothing to say.
inline constexpr std::string_view kBlankMessageLine = "               ";
// Places and prints both message lines (red, each ending its line), then sets
// the standing white again.
void PostMessageLines(std::string_view line1, std::string_view line2);

}  // namespace vorn
