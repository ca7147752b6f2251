#include "display/message_lines.h"

#include <string>

#include "display/canvas.h"
#include "display/display_state.h"

namespace vorn {

namespace {

// 15-character fields under each other; a third row is blanked with them.
constexpr int kMessageRow1 = 50;
constexpr int kMessageRow2 = 51;
constexpr int kMessageRow3 = 52;
constexpr int kMessageColumn = 76;
constexpr std::size_t kMessageWidth = 15;
constexpr double kMessageLifetime = 4.0;  // seconds before a blanking may fall due

void PlaceMessageLine(int row) {
  Display.MessageClearTime = Display.Now + kMessageLifetime;
  SetColors(0xFF0000, -1);
  SetTextPosition(row, kMessageColumn);
}

}  // namespace

void PlaceMessageLine1() {
  PlaceMessageLine(kMessageRow1);
}

void PlaceMessageLine2() {
  PlaceMessageLine(kMessageRow2);
}

void PostMessageLines(std::string_view line1, std::string_view line2) {
  PlaceMessageLine1();
  PrintText(line1, true);
  PlaceMessageLine2();
  PrintText(line2, true);
  SetColors(0xFFFFFF, -1);
}

void ExpireMessageLines() {
  if (!(Display.Now > Display.MessageClearTime)) return;
  const std::string blanks(kMessageWidth, ' ');
  for (const int row : {kMessageRow1, kMessageRow2, kMessageRow3}) {
    SetTextPosition(row, kMessageColumn);
    PrintText(blanks, true);
  }
  Display.MessageClearTime = Display.Now + kMessageLifetime;
}

}  // namespace vorn
