// vorn: the console of a surface-to-air missile battery, from the Battery
// Control Officer's seat.

#include <cstdio>

#include "app/scheduler.h"
#include "display/host.h"
#include "display/sdl_host.h"

int main() {
  vorn::SdlHost window;
  if (!window.Open()) {
    std::fprintf(stderr, "vorn: cannot open the console window: %s\n", window.Error().c_str());
    return 1;
  }
  vorn::SetActiveHost(&window);
  const int exitCode = vorn::RunConsole();
  vorn::SetActiveHost(nullptr);
  return exitCode;
}
