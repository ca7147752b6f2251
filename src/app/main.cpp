// vorn: the console of a surface-to-air missile battery, from the Battery
// Control Officer's seat.

#include <cstdio>

#include "app/console.h"
#include "platform/sdl/sdl_host.h"

int main() {
  vorn::SdlHost window;
  if (!window.Open()) {
    std::fprintf(stderr, "vorn: cannot open the console window: %s\n", window.Error().c_str());
    return 1;
  }
  return vorn::RunConsole(window);
}
