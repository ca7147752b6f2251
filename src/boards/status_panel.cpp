#include "boards/status_panel.h"

#include "app/console_state.h"

namespace vorn {

void DrawStatusPanel() {}

}  // namespace vorn
