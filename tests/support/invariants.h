#pragma once
// What must hold of the console's state at every tick, however it is driven,
// and a way to run the console with these checks after every tick.

#include <functional>
#include <string>

#include "app/scheduler.h"
#include "model/missile.h"

namespace vorn::test {

// Checks the console state; each check returns the first broken rule as a
// text that names the variable and its value, or "" when all hold. Cheap
// enough to run after every tick for hours: the phosphor store is checked a
// band of columns at a time, all of it once every revolution of the sweep.
class ConsoleInvariants {
 public:
  // After any tick (running or paused).
  std::string CheckTick();
  // After a pass that ran the panel task (launcher wrap, aircraft replaced).
  std::string CheckPanel();
  // The whole phosphor store at once.
  static std::string CheckWholePpi();

 private:
  int nextPpiColumn_ = 0;
};

// Runs scheduler passes and checks the invariants after every tick and every
// panel task, stopping at the first broken one.
class CheckedRun {
 public:
  // Runs until `ticks` ticks have passed (a paused tick counts), control
  // leaves the console, or a check fails. Returns the transfer, if any.
  Transfer RunTicks(int ticks);
  // Runs until Now has reached the given simulated time (or as above).
  Transfer RunUntil(double now);
  // Runs until the next panel task has run (or as above).
  Transfer RunUntilPanelTask();

  // The first broken invariant, "" while all hold.
  const std::string& Failure() const { return failure_; }
  long TicksChecked() const { return ticks_; }

  // Called after each checked tick, for tests that watch the engagement.
  std::function<void()> AfterTick;

 private:
  // One pass, with the checks of what it ran.
  void Pass(Transfer& transfer);
  // Runs passes while `more` says so (or as above).
  Transfer RunWhile(const std::function<bool()>& more);

  ConsoleInvariants invariants_;
  std::string failure_;
  long ticks_ = 0;
};

// Counts aircraft destroyed by bursts, from the missile's phase going from
// Burst back to the launcher with the engaged slot moved out to 500000 yards,
// and launches at friendly aircraft (slots 5 to 7, which answer IFF). Call
// Observe after every tick.
class DestructionLog {
 public:
  void Observe();
  int Hostile() const { return hostile_; }
  int Friendly() const { return friendly_; }
  int FriendlyLaunches() const { return friendlyLaunches_; }
  // The slot destroyed at the last observed tick, 0 if none.
  int JustDestroyed() const { return justDestroyed_; }

 private:
  FlightPhase previousPhase_ = FlightPhase::Ready;
  int engagedSlot_ = 0;
  int hostile_ = 0;
  int friendly_ = 0;
  int justDestroyed_ = 0;
  int friendlyLaunches_ = 0;
};

// Resident set size of this process in bytes, from /proc/self/statm; 0 where
// that is not available. Under AddressSanitizer it also holds the freed
// blocks the sanitizer keeps in quarantine, so it creeps up there even when
// nothing leaks.
long ResidentBytes();
// Bytes the program holds allocated on the heap right now, as the allocator
// counts them (quarantined blocks not included).
long LiveHeapBytes();
// Whether this build runs under AddressSanitizer.
bool UnderAddressSanitizer();

}  // namespace vorn::test
