// Wild input: an operator gone mad for simulated hours. The pointer goes
// anywhere, on and off the canvas, with every button combination, held or
// let go; the wheel turns; every key is pressed, special keys and the
// window's close request included; Pause, Auto, Normal and Text are chosen at
// random and the help pages left with a random key, as the program does. The
// console's invariants are checked after every tick; the sanitizers of the
// debug build stop the run on any fault. Exit, "q", "Q" and Escape are never
// given: they would end the run.
//
// Defaults: two simulated hours, a fresh seed. The seed is printed; replay a
// run with
//   VORN_WILD_SEED=<seed> build/debug/tests/vorn_tests --gtest_filter='WildInputTest.*'
// and set VORN_WILD_HOURS (say 0.1, or 24) for another length.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "app/console_state.h"
#include "app/help_pages.h"
#include "app/site_controls.h"
#include "display/services.h"
#include "model/missile.h"
#include "support/console_test.h"
#include "support/invariants.h"

namespace vorn {
namespace {

// Pointer columns of the menu's Normal, Auto, Pause and Text.
constexpr int kModeX[] = {770, 825, 880, 975};

double WildHours() {
  const char* text = std::getenv("VORN_WILD_HOURS");
  const double hours = text != nullptr ? std::atof(text) : 2.0;
  return hours > 0.0 ? hours : 2.0;
}

std::uint32_t WildSeed() {
  const char* text = std::getenv("VORN_WILD_SEED");
  if (text != nullptr) return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
  return std::random_device{}();
}

// What the run went through, to show that the input reached the console.
struct Coverage {
  long Steps = 0, HelpVisits = 0, PauseKeyWaits = 0, PausedTicks = 0, AutoTicks = 0, Launches = 0;
  long ManualBursts = 0;
};

class WildInputTest : public test::ConsoleTest {
 protected:
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }

  // Mouse states that could choose Exit are turned into others: any with
  // the left button over it, since other buttons pressed off the canvas
  // are forgotten there and the left then reads as pressed alone. (In full
  // screen the pointer is clamped to the canvas, which moves no pointer off
  // the menu row onto Exit.)
  static bool ChoosesExit(int x, int y, int buttons) {
    return (buttons & kButtonLeft) != 0 && y > 0 && y < 12 && x >= 910 && x <= 957;
  }

  // Sets the mouse from `delay` seconds on, keeping clear of Exit.
  void Mouse(double delay, int x, int y, int buttons) {
    while (ChoosesExit(x, y, buttons)) x = Uniform(-50, 1330);
    Host().ScheduleMouse(Host().Time() + delay, x, y, buttons);
  }

  // Any key but those that end the program and the pause key: the close
  // request and the special keys, characters, control codes.
  int AnyKey() {
    for (;;) {
      const int pick = Uniform(0, 3);
      const int code = pick == 0   ? Uniform(kKeyCloseRequest, kKeyF1 + 9)
                       : pick == 1 ? Uniform(0, 255)
                                   : Uniform(32, 126);
      if (code != 'q' && code != 'Q' && code != kKeyEscape && code != 'p' && code != 'P')
        return code;
    }
  }

  // A key that leaves either help page.
  int LeavingKey() {
    for (;;) {
      const int code = AnyKey();
      if (code != '>' && code != '<') return code;
    }
  }

  int Buttons() { return Chance(0.6) ? 1 : Uniform(0, 7); }

  // The pixel of an aircraft's echo on the scope (far-off ones off it).
  static int EchoX(std::size_t slot) {
    return PpiPixelX(std::clamp(State.TargetX[slot], -6e5, 6e5));
  }
  static int EchoY(std::size_t slot) {
    return PpiPixelY(std::clamp(State.TargetY[slot], -6e5, 6e5));
  }

  // One step of wild input: schedules it and says for how many ticks to run.
  int ScheduleStep() {
    State.Mouse.WindowActive = true;  // a lost focus comes back at the next step
    const int kind = Uniform(0, 99);
    if (kind < 20) {  // anywhere, on or off the canvas, any buttons, held a while
      Mouse(0, Uniform(-300, 1580), Uniform(-300, 1324), Uniform(0, 7));
      return Uniform(1, 40);
    }
    if (kind < 28) {  // the top row: lamps, menu, evasion
      Mouse(0, Uniform(470, 1110), Uniform(-4, 36), Buttons());
      return Uniform(1, 12);
    }
    if (kind < 36) {  // a mode from the menu, sometimes held long
      Mouse(0, kModeX[Uniform(0, 3)], Uniform(1, 11), 1);
      const int held = Chance(0.8) ? 1 : Uniform(2, 12);
      Mouse(0.1 * held + 0.05, Uniform(0, 1279), Uniform(40, 1023), 0);
      return held + 1;
    }
    if (kind < 48) {  // an aircraft's echo on the scope
      const auto slot = static_cast<std::size_t>(Uniform(1, 7));
      Mouse(0, EchoX(slot) + Uniform(-3, 3), EchoY(slot) + Uniform(-3, 3), Buttons());
      const int held = Uniform(1, 3);
      Mouse(0.1 * held + 0.05, EchoX(slot), EchoY(slot), 0);
      return held + Uniform(1, 60);
    }
    if (kind < 56) {  // a whole engagement: RED, an aircraft, FIRE
      const auto slot = static_cast<std::size_t>(Chance(0.8) ? Uniform(1, 4) : Uniform(5, 7));
      Mouse(0, 500, 15, 1);
      Mouse(0.2, EchoX(slot), EchoY(slot), 1);
      Mouse(0.4, EchoX(slot), EchoY(slot), 0);
      const double fire = 0.6 + 0.1 * Uniform(0, 30);
      Mouse(fire, 620, 920, 1);
      Mouse(fire + 0.2, 620, 920, 0);
      return static_cast<int>(fire * 10) + Uniform(3, 300);
    }
    if (kind < 62) {  // FIRE, or a near miss of it; held, or let go later
      Mouse(0, Uniform(596, 644), Uniform(896, 944), Buttons());
      const int held = Uniform(1, 20);
      if (Chance(0.8)) Mouse(0.1 * held + 0.05, 620, 920, 0);
      return held + Uniform(1, 30);
    }
    if (kind < 67) {  // Manual Burst, now or a while later
      const double at = Chance(0.5) ? 0.0 : 0.1 * Uniform(1, 600);
      Mouse(at, Uniform(651, 689), Uniform(901, 939), Buttons());
      Mouse(at + 0.2, 670, 920, 0);
      return static_cast<int>(at * 10) + Uniform(2, 10);
    }
    if (kind < 72) {  // IFF buttons
      Mouse(0, Uniform(596, 694), Uniform(696, 744), Buttons());
      return Uniform(1, 20);
    }
    if (kind < 82) {  // keys, one after another or all at once
      const int keys = Uniform(1, 20);
      for (int i = 0; i < keys; ++i)
        Host().ScheduleKey(Host().Time() + 0.01 * Uniform(0, 300), AnyKey());
      return Uniform(1, 40);
    }
    if (kind < 86) {  // "p" holds the loop until some key comes
      Host().PressKey(Chance(0.5) ? 'p' : 'P');
      Host().ScheduleKey(Host().Time() + 0.01 * Uniform(0, 2000), AnyKey());
      ++coverage_.PauseKeyWaits;
      return Uniform(1, 10);
    }
    if (kind < 91) {  // the wheel
      State.Mouse.Wheel += Uniform(-5, 5);
      return Uniform(1, 10);
    }
    if (kind < 92) {  // the window loses the focus a while
      State.Mouse.WindowActive = false;
      return Uniform(1, 30);
    }
    if (kind < 93) {  // full screen: the host holds the pointer on the canvas's edge
      Mouse(0, Chance(0.5) ? 0 : 1279, Uniform(0, 1023), Buttons());
      return Uniform(1, 30);
    }
    return Uniform(50, 800);  // hands off: flights run to their end
  }

  // Text was chosen: a few keys on the help pages, then one that leaves them,
  // and back to the console as the program does.
  void VisitHelpPages() {
    ++coverage_.HelpVisits;
    double at = Host().Time();
    for (int i = Uniform(0, 3); i > 0; --i) {
      at += 0.01 * Uniform(1, 100);
      Host().ScheduleKey(at, Chance(0.5) ? (Chance(0.5) ? '>' : '<') : AnyKey());
    }
    Host().ScheduleKey(at + 0.01 * Uniform(1, 100), LeavingKey());
    RunHelpPages();
    RestartConsole();
  }

  void Observe() {
    if (State.OperatingMode == Mode::Paused) ++coverage_.PausedTicks;
    if (State.OperatingMode == Mode::Auto) ++coverage_.AutoTicks;
    if (State.MissilePhase == FlightPhase::SettleGyro && previousPhase_ == FlightPhase::Ready)
      ++coverage_.Launches;
    if (State.MissilePhase == FlightPhase::Ready && previousPhase_ >= FlightPhase::RollStab &&
        previousPhase_ != FlightPhase::Burst)
      ++coverage_.ManualBursts;
    previousPhase_ = State.MissilePhase;
  }

  std::mt19937 random_;
  Coverage coverage_;
  FlightPhase previousPhase_ = FlightPhase::Ready;
};

TEST_F(WildInputTest, RandomOperatorKeepsTheConsoleSound) {
  const double hours = WildHours();
  const std::uint32_t seed = WildSeed();
  // On standard error, unbuffered, so that the seed reaches CI's log even
  // when a sanitizer ends the run; every failure message names it as well.
  std::fprintf(stderr, "[ wild     ] seed %u, %g simulated hours (replay: VORN_WILD_SEED=%u)\n",
               seed, hours, seed);
  SCOPED_TRACE(testing::Message() << "replay with VORN_WILD_SEED=" << seed);
  std::fflush(stdout);
  random_.seed(seed);

  StartConsole();
  test::CheckedRun run;
  run.AfterTick = [this] { Observe(); };
  ASSERT_EQ(run.RunTicks(1), Transfer::None);
  const double end = State.Now + 3600.0 * hours;

  while (State.Now < end) {
    ++coverage_.Steps;
    const Transfer transfer = run.RunTicks(ScheduleStep());
    ASSERT_EQ(run.Failure(), "") << "seed " << seed;
    ASSERT_NE(transfer, Transfer::EndProgram) << "seed " << seed;
    if (transfer == Transfer::HelpPages) VisitHelpPages();
  }
  EXPECT_EQ(test::ConsoleInvariants::CheckWholePpi(), "") << "seed " << seed;

  std::printf(
      "[ wild     ] %ld steps, %ld ticks: %ld paused, %ld in Auto; %ld launches, %ld manual "
      "bursts, %ld help visits, %ld \"p\" waits\n",
      coverage_.Steps, run.TicksChecked(), coverage_.PausedTicks, coverage_.AutoTicks,
      coverage_.Launches, coverage_.ManualBursts, coverage_.HelpVisits, coverage_.PauseKeyWaits);
}

}  // namespace
}  // namespace vorn
