#pragma once
// The missile steering indicator: the pitch and yaw orders as red bars.

namespace vorn {

struct SteeringState {
  double ShownSteerLateral = 0.0;  // the orders at which the bars were last drawn
  double ShownSteerVertical = 0.0;
  bool SteeringBarsShown = false;  // false until the first drawing
};

void DrawSteeringFrame();
void DrawSteeringOrders();

}  // namespace vorn
