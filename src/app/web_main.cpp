// vorn in a browser tab: the console on the page's canvas until the operator
// ends it, then a message over the canvas. The program's own state stays in
// the page; nothing is saved.

#include <emscripten.h>

#include "app/console.h"
#include "app/console_state.h"
#include "platform/web/web_host.h"

// For the browser tests only: the PPI sweep steps made since the start, to
// check the pace of the simulation against the page's real clock.
extern "C" EMSCRIPTEN_KEEPALIVE double vorn_test_sweep_steps() {
  return static_cast<double>(vorn::State.SweepSteps);
}

int main() {
  vorn::web::WebHost host;
  const int exitCode = vorn::RunConsole(host);
  host.ShowEnded();
  return exitCode;
}
