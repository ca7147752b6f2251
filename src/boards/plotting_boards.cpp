#include "boards/plotting_boards.h"

#include "app/console_state.h"

namespace vorn {

void DrawPlottingBoards() {}

void UpdateTargetHeightPen() {}

void UpdateInterceptHeightPen() {}

void UpdateTargetXyPen() {}

void UpdateInterceptXyPen() {}

}  // namespace vorn
