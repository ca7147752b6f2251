#include "radar/tracking_scopes.h"

#include "app/console_state.h"

namespace vorn {

void UpdateTtrScope() {}

void DrawMtrScope() {}

}  // namespace vorn
