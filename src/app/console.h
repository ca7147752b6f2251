#pragma once
// The whole program on a host: start-up, the console, the help pages and
// back, until the operator ends it or the host has nothing more to give.

#include "platform/host.h"

namespace vorn {

// Returns the exit code.
int RunConsole(Host& host);

}  // namespace vorn
