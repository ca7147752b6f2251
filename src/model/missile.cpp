#include "model/missile.h"

#include "app/console_state.h"

namespace vorn {

void UpdateFlightPhase() {}

void FlyMissile() {}

}  // namespace vorn
