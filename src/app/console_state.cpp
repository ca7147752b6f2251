#include "app/console_state.h"

namespace vorn {

ConsoleState State;

void ResetConsoleState() {
  State = ConsoleState{};
}

}  // namespace vorn
