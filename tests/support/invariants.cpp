#include "support/invariants.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string_view>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of bytes in use (its header is not always
// installed with the compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "app/console_state.h"
#include "app/site_controls.h"
#include "model/missile.h"
#include "radar/ppi_scope.h"

namespace vorn::test {

namespace {

// Collects the first broken rule; later checks are skipped once one failed,
// and texts are built only for a failure.
class Report {
 public:
  bool Ok() const { return text_.empty(); }
  std::string Take() { return std::move(text_); }

  void Finite(std::string_view name, double v) {
    if (Ok() && !std::isfinite(v)) Fail(name, -1, v);
  }
  void Finite(std::string_view name, const std::array<double, kTargetSlots>& values) {
    for (int i = 0; i < kTargetSlots && Ok(); ++i)
      if (!std::isfinite(values[static_cast<std::size_t>(i)]))
        Fail(name, i, values[static_cast<std::size_t>(i)]);
  }
  void Within(const char* name, double v, double lo, double hi) {
    if (Ok() && !(v >= lo && v <= hi)) Fail(name, -1, v);
  }
  void OneOf(const char* name, double v, std::initializer_list<double> allowed) {
    if (!Ok()) return;
    for (const double a : allowed)
      if (v == a) return;
    Fail(name, -1, v);
  }
  void Holds(bool condition, const char* rule) {
    if (Ok() && !condition) text_ = rule;
  }
  void Fail(std::string text) {
    if (Ok()) text_ = std::move(text);
  }

 private:
  void Fail(std::string_view name, int index, double v) {
    std::ostringstream out;
    out.precision(17);
    out << name;
    if (index >= 0) out << '[' << index << ']';
    out << " = " << v << " at Now = " << State.Now;
    text_ = out.str();
  }

  std::string text_;
};

// The next name of a list such as "s.Now, s.TickTime", without the "s.".
std::string_view NextName(std::string_view& names) {
  const std::size_t comma = std::min(names.find(','), names.size());
  std::string_view name = names.substr(0, comma);
  names.remove_prefix(std::min(comma + 1, names.size()));
  name.remove_prefix(std::min(name.find_first_not_of(' '), name.size()));
  if (name.starts_with("s.")) name.remove_prefix(2);
  return name;
}

template <typename... Values>
void CheckFiniteFields(Report& r, std::string_view names, const Values&... values) {
  (r.Finite(NextName(names), values), ...);
}

// Checks that each field is finite, naming the first that is not.
#define VORN_CHECK_FINITE(report, ...) CheckFiniteFields(report, #__VA_ARGS__, __VA_ARGS__)

void CheckFinite(Report& r) {
  const auto& s = State;
  // Clock and deadlines.
  VORN_CHECK_FINITE(r, s.Now, s.PauseOffset, s.TickTime, s.NextPanelTime, s.NextSweepTime,
                    s.BoardMarkTime, s.BoardMarkDue, s.NextScopeTime, s.MessageClearTime,
                    s.AutoStepTime, s.AutoBestTime);
  // Aircraft table and observed track.
  VORN_CHECK_FINITE(r, s.TargetX, s.TargetY, s.TargetAlt, s.TargetVX, s.TargetVY, s.TargetVZ,
                    s.TargetAz, s.TargetSlantRange, s.TrackX, s.TrackY, s.TrackAlt, s.TrackVX,
                    s.TrackVY, s.TrackVZ, s.TrackAz, s.TrackSlantRange, s.TrackGroundSpeed,
                    s.PrevTrackedSlot, s.PrevTrackX, s.PrevTrackY, s.PrevTrackAlt, s.WeaveOffset);
  // Computer.
  VORN_CHECK_FINITE(r, s.SolverTime, s.SolverAz, s.PredX, s.PredY, s.PredRange, s.PredAz,
                    s.MissileReach, s.TimeToIntercept, s.PipX, s.PipY, s.PipAlt, s.PipBearingDeg);
  // Missile.
  VORN_CHECK_FINITE(r, s.MissileX, s.MissileY, s.MissileAlt, s.MissileVX, s.MissileVY, s.MissileVZ,
                    s.MissileHeading, s.MissilePitch, s.MissileSpeed, s.MissileFlightTime,
                    s.GyroSettleTimer, s.BurstTimer, s.BurstSnapPending, s.SteerLateral,
                    s.SteerVertical, s.LauncherNumber, s.SectionNumber, s.BurstClutter);
  // Site, scopes and what the panels last showed.
  VORN_CHECK_FINITE(r, s.AlertStatus, s.EvasionG, s.SweepAngle, s.TtrRange, s.TtrNoiseLevel,
                    s.ShownSteerLateral, s.ShownSteerVertical);
}

void CheckRanges(Report& r) {
  const auto& s = State;
  r.OneOf("AlertStatus", s.AlertStatus, {0.0, 1.0, 2.0, 3.0});
  r.OneOf("OperatingMode", static_cast<int>(s.OperatingMode),
          {static_cast<int>(Mode::Normal), static_cast<int>(Mode::Auto),
           static_cast<int>(Mode::Paused), static_cast<int>(Mode::Text)});
  r.OneOf(
      "ModeBeforePause", static_cast<int>(s.ModeBeforePause),
      {static_cast<int>(Mode::Normal), static_cast<int>(Mode::Auto), static_cast<int>(Mode::Text)});
  r.OneOf("EvasionG", s.EvasionG, {0.0, 0.2, 1.0});
  r.OneOf("MissileSelected", s.MissileSelected, {0, 1});
  r.Within("MissilePhase", static_cast<int>(s.MissilePhase), 0, 6);
  r.Within("TargetDesignated", s.TargetDesignated, 0, 7);
  r.Within("TargetTracked", s.TargetTracked, 0, 7);
  r.Holds(s.TargetDesignated == s.TargetTracked,
          "TargetDesignated and TargetTracked differ: they are set and cleared together");
  r.OneOf("IffMode1", s.IffMode1, {0, 1});
  r.OneOf("IffMode2", s.IffMode2, {0, 1});
  r.OneOf("FireCommand", s.FireCommand, {0, 1});
  r.OneOf("BurstCommand", s.BurstCommand, {0, 1});
  r.Within("AutoEngagementCount", static_cast<int>(s.AutoEngagementCount), 0, 8);
  r.Within("AutoCandidate", s.AutoCandidate, 0, 8);
  r.Within("AutoBestSlot", s.AutoBestSlot, 0, 7);
  // A launch counts the launcher up; the panel task wraps it to 1..3.
  r.Within("LauncherNumber", s.LauncherNumber, 1.0, 4.0);
  r.OneOf("SectionNumber", s.SectionNumber, {1.0, 2.0});
  r.Within("SteerVertical", s.SteerVertical, -9.0, 9.0);
  r.Within("SteerLateral", s.SteerLateral, -3.141592653589793, 3.141592653589793);
  r.Within("BurstClutter", s.BurstClutter, 1.0, 2.0);
  r.Within("TtrRange", s.TtrRange, 8000.0, 1e9);
  r.Within("MissileSpeed", s.MissileSpeed, 0.0, 1227.6);
  // A ready missile stands on its launcher, once the first tick has put it there.
  if (s.MissilePhase == FlightPhase::Ready && s.MissileX != 0.0) {
    r.OneOf("MissileX of the ready missile", s.MissileX,
            {14 * s.LauncherNumber + 15 * s.SectionNumber + 876});
    r.Holds(s.MissileY == 0.0 && s.MissileAlt == 0.0, "the ready missile is off its launcher");
  }
  // Zero until the computer first ran, then kept between 1 yard and 80,000 ft.
  if (s.PipAlt != 0.0) r.Within("PipAlt", s.PipAlt, 1.0, 26666.66666666667);

  // Slot 0 is no aircraft and keeps its zeros; 1-4 are hostile, 5-7 friendly.
  for (const auto* field : {&s.TargetX, &s.TargetY, &s.TargetAlt, &s.TargetVX, &s.TargetVY,
                            &s.TargetVZ, &s.TargetIffResponder, &s.TargetAz, &s.TargetSlantRange})
    r.Holds((*field)[0] == 0.0, "slot 0 of the target table is not all zero");
  for (std::size_t i = 1; i < kTargetSlots; ++i)
    r.Holds(s.TargetIffResponder[i] == (i >= 5 ? 1.0 : 0.0), "an aircraft changed sides");

  // The screen stays the console's.
  r.Holds(s.Canvas.Width == 1280 && s.Canvas.Height == 1024 && s.Canvas.BitsPerPixel == 16,
          "the console screen is not 1280 x 1024 x 16");
}

// Phosphor brightness 0..255; phase 0..5 after painting, 10 before.
void CheckPpiColumns(Report& r, int first, int last) {
  for (int x = first; x <= last && r.Ok(); ++x) {
    for (int y = 0; y < kPpiGridSize; ++y) {
      const auto at = static_cast<std::size_t>(PpiCell(x, y));
      const int n = State.PpiCells[at].Intensity;
      const int phase = State.PpiCells[at].Phase;
      if (n < 0 || n > 255 || ((phase < 0 || phase > 5) && phase != kPpiNeverPainted)) {
        std::ostringstream out;
        out << "PPI cell (" << x << ", " << y << ") intensity " << n << " phase " << phase;
        r.Fail(out.str());
        return;
      }
    }
  }
}

// Columns per tick: the whole store in about one revolution (43 ticks).
constexpr int kPpiColumnsPerTick = 10;

}  // namespace

std::string ConsoleInvariants::CheckTick() {
  Report r;
  CheckFinite(r);
  CheckRanges(r);
  const int last = std::min(nextPpiColumn_ + kPpiColumnsPerTick, kPpiGridSize) - 1;
  CheckPpiColumns(r, nextPpiColumn_, last);
  nextPpiColumn_ = last + 1 == kPpiGridSize ? 0 : last + 1;
  return r.Take();
}

std::string ConsoleInvariants::CheckPanel() {
  Report r;
  r.OneOf("LauncherNumber after the panel task", State.LauncherNumber, {1.0, 2.0, 3.0});
  r.OneOf("SectionNumber after the panel task", State.SectionNumber, {1.0, 2.0});
  // Aircraft that left the picture (or were destroyed) have been replaced.
  for (std::size_t i = 1; i < kTargetSlots && r.Ok(); ++i) {
    const double x = State.TargetX[i], y = State.TargetY[i];
    r.Within("ground range after the panel task", std::sqrt(x * x + y * y), 0.0, 300000.0);
  }
  return r.Take();
}

std::string ConsoleInvariants::CheckWholePpi() {
  Report r;
  CheckPpiColumns(r, 0, kPpiGridSize - 1);
  return r.Take();
}

void CheckedRun::Pass(Transfer& transfer) {
  const double tickTime = State.TickTime, pauseOffset = State.PauseOffset;
  const double panelTime = State.NextPanelTime;
  transfer = RunSchedulerPass();
  if (transfer != Transfer::None) return;
  if (State.NextPanelTime != panelTime && failure_.empty()) failure_ = invariants_.CheckPanel();
  if (State.TickTime != tickTime || State.PauseOffset != pauseOffset) {
    ++ticks_;
    if (failure_.empty()) failure_ = invariants_.CheckTick();
    if (AfterTick) AfterTick();
  }
}

Transfer CheckedRun::RunWhile(const std::function<bool()>& more) {
  Transfer transfer = Transfer::None;
  while (failure_.empty() && more()) {
    Pass(transfer);
    if (transfer != Transfer::None) break;
  }
  return transfer;
}

Transfer CheckedRun::RunTicks(int ticks) {
  const long last = ticks_ + ticks;
  return RunWhile([&] { return ticks_ < last; });
}

Transfer CheckedRun::RunUntil(double now) {
  return RunWhile([&] { return State.Now < now; });
}

Transfer CheckedRun::RunUntilPanelTask() {
  const double panelTime = State.NextPanelTime;
  return RunWhile([&] { return State.NextPanelTime == panelTime; });
}

void DestructionLog::Observe() {
  const FlightPhase phase = State.MissilePhase;
  justDestroyed_ = 0;
  // The burst's last tick clears the engagement, so the slot is taken while
  // the burst lasts. A held FIRE may launch again in that same tick.
  if (previousPhase_ == FlightPhase::Burst && phase != FlightPhase::Burst && engagedSlot_ != 0 &&
      State.TargetX[static_cast<std::size_t>(engagedSlot_)] == 500000.0) {
    justDestroyed_ = engagedSlot_;
    ++(engagedSlot_ >= 5 ? friendly_ : hostile_);
  }
  if (phase == FlightPhase::SettleGyro && previousPhase_ != FlightPhase::SettleGyro &&
      State.TargetTracked >= 5)
    ++friendlyLaunches_;
  if (phase == FlightPhase::Burst) engagedSlot_ = State.TargetTracked;
  previousPhase_ = phase;
}

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * sysconf(_SC_PAGESIZE);
}

long LiveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>(info.uordblks + info.hblkhd);
#endif
}

bool UnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#else
  return false;
#endif
}

}  // namespace vorn::test
