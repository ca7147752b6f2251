#include "boards/steering_indicator.h"

#include "app/console_state.h"

namespace vorn {

void DrawSteeringFrame() {}

void DrawSteeringOrders() {}

}  // namespace vorn
