#pragma once
// The system status panel: whether the battery can fire, at a glance.

namespace vorn {

void DrawStatusPanel();

}  // namespace vorn
