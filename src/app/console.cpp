#include "app/console.h"

#include "app/console_state.h"
#include "app/help_pages.h"
#include "app/scheduler.h"
#include "display/services.h"

namespace vorn {

int RunConsole(Host& host) {
  // A fresh record is a fresh console, so a second run in the same process
  // (a replay played again) starts as the program does.
  ResetConsoleState();
  AttachHost(&host);
  InitializeState();
  for (;;) {
    RestartConsole();
    if (RunScheduler() == Transfer::EndProgram) break;
    RunHelpPages();
    // A host with nothing more to give (a replay at its end) ends the
    // program on the help page it shows, not on a console it never showed.
    if (HostFinished()) break;
  }
  AttachHost(nullptr);
  return 0;
}

}  // namespace vorn
