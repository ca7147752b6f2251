#include "app/site_controls.h"

#include "app/console_state.h"

namespace vorn {

void ClickAlertLamps() {}

void RunModeMenu() {}

void RunEvasionSelection() {}

void PlaceMessageLine1() {}

void PlaceMessageLine2() {}

void ExpireMessageLines() {}

}  // namespace vorn
