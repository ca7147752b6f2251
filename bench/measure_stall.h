#pragma once
// vorn_measure stall help|p [minutes]: the console in its real window goes
// away for a while (the help pages left open, or "p" held) and comes back;
// measures the catch-up that follows on the real clock.

#include "platform/sdl/sdl_host.h"

namespace vorn::measure {

// Runs the measurement in the window and prints the figures; the exit code.
int MeasureStall(SdlHost& window, int argc, char** argv);

}  // namespace vorn::measure
