#include "radar/ppi_scope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "display/canvas.h"
#include "display/services.h"
#include "model/targets.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::Colour;
using test::ConsoleTest;
using test::ReadCanvasText;

constexpr double kPi = 3.141592653589793;
constexpr double kStep = 0.00174532925199433;

double Radians(double degrees) {
  return degrees * kPi / 180.0;
}

// A grid cell as the operator sees it: distance from the centre in pixels
// and bearing in degrees counter-clockwise from east.
struct CellPosition {
  double Distance;
  double Degrees;
};

CellPosition PositionOf(int gx, int gy) {
  const double dx = gx - 200, dy = gy - 200;
  return {std::hypot(dx, dy), std::atan2(dy, dx) * 180.0 / kPi};
}

// Angle from a to b folded into -180..180, for measuring only.
double DegreesApart(double a, double b) {
  double d = std::fmod(a - b, 360.0);
  if (d > 180.0) d -= 360.0;
  if (d < -180.0) d += 360.0;
  return d;
}

// Brightness of a scope cell read back from the 16-bit canvas: green keeps
// the top six bits, so this is the shown value rounded down to a multiple of 4.
int ShownBrightness(int gx, int gy) {
  return static_cast<int>((PixelAt(65 + gx, 970 - gy) >> 5) & 63u) << 2;
}

bool ShownFull(int gx, int gy) {
  return PixelAt(65 + gx, 970 - gy) == Colour(0xFFFF00);
}

void Sweep(int steps) {
  for (int i = 0; i < steps; ++i) StepPpiSweep();
}

class PpiScopeTest : public test::ConsoleScreenTest {
 protected:
  // Parks every aircraft where no beam comes near.
  static void HideAllTargets() {
    for (std::size_t i = 1; i < kTargetSlots; ++i) {
      State.TargetAz[i] = 30.0;
      State.TargetSlantRange[i] = 100000.0;
    }
  }

  static void PlaceTarget(std::size_t slot, double azimuth, double range) {
    State.TargetAz[slot] = azimuth;
    State.TargetSlantRange[slot] = range;
  }

  static void FillGrid(int intensity, std::int8_t phase) {
    std::fill(State.PpiCells.begin(), State.PpiCells.end(),
              PpiPhosphor{static_cast<std::uint8_t>(intensity), phase});
  }
};

TEST_F(PpiScopeTest, SweepTurnsClockwiseAndJumpsFromMinus180ToPlus180) {
  Sweep(1);
  EXPECT_EQ(State.SweepAngle, -0.00174532925199433);
  Sweep(1798);
  EXPECT_NEAR(State.SweepAngle, Radians(-179.9), 1e-9);
  Sweep(1);
  EXPECT_EQ(State.SweepAngle, kPi);

  // Run by the main loop, one revolution takes 4.32 s.
  ResetConsoleState();
  StartConsole();
  RunFor(0.0012);  // the first pass sets the simulated clock
  const double start = State.Now;
  const double angle = State.SweepAngle;
  RunUntil(start + 1.08);
  EXPECT_NEAR(State.SweepAngle, angle - Radians(90.0), Radians(0.3));
  RunUntil(start + 4.32);
  EXPECT_NEAR(State.SweepAngle, angle, Radians(0.3));
}

TEST_F(PpiScopeTest, EveryAircraftShowsAsABrightArcAtItsRange) {
  StartConsole();
  MoveTargets();  // the scenario's azimuths and ranges, held still from here on

  // Each aircraft is checked just after the live beam has left its arc,
  // before the first decay beam reaches it. The sweep starts at east and
  // turns clockwise, so an azimuth is reached after (360 - degrees) mod 360.
  struct Arc {
    std::size_t Slot;
    int CheckStep;
    int Radius;
    double Degrees;
    double HalfWidth;
  };
  std::vector<Arc> arcs;
  for (std::size_t i = 1; i < kTargetSlots; ++i) {
    const double range = State.TargetSlantRange[i];
    const double degrees = State.TargetAz[i] * 180.0 / kPi;
    const double halfWidth = 27.0 - 2.0 * std::log(range);
    const double travelled = std::fmod(360.0 - degrees, 360.0);
    const int checkStep =
        std::min(3600, static_cast<int>(std::ceil((travelled + halfWidth + 1.0) / 0.1)));
    arcs.push_back(
        {i, checkStep, static_cast<int>(std::floor(200.0 * range / 300000.0)), degrees, halfWidth});
  }
  std::sort(arcs.begin(), arcs.end(),
            [](const Arc& a, const Arc& b) { return a.CheckStep < b.CheckStep; });

  int steps = 0;
  for (const Arc& arc : arcs) {
    SCOPED_TRACE("slot " + std::to_string(arc.Slot));
    Sweep(arc.CheckStep - steps);
    steps = arc.CheckStep;
    int bright = 0;
    for (int gx = 0; gx < kPpiGridSize; ++gx) {
      for (int gy = 0; gy < kPpiGridSize; ++gy) {
        const CellPosition p = PositionOf(gx, gy);
        const double apart = DegreesApart(p.Degrees, arc.Degrees);
        if (std::fabs(p.Distance - arc.Radius) > 8.0 || std::fabs(apart) > arc.HalfWidth + 5.0)
          continue;
        if (ShownBrightness(gx, gy) < 224) continue;
        ++bright;
        EXPECT_LT(std::fabs(p.Distance - arc.Radius), 2.75) << gx << "," << gy;
        EXPECT_LT(std::fabs(apart), arc.HalfWidth + 1.0) << gx << "," << gy;
      }
    }
    EXPECT_GE(bright, 10);
  }
}

TEST_F(PpiScopeTest, ArcsAreCutAtTheSeamDueWest) {
  HideAllTargets();
  PlaceTarget(1, Radians(179.0), 100000.0);  // radius 66, half-width 3.97 degrees
  Sweep(1900);                               // the beam is now at +170 degrees
  int painted = 0, pastSeam = 0;
  for (int gx = 0; gx < 200; ++gx) {
    for (int gy = 150; gy < 250; ++gy) {
      const CellPosition p = PositionOf(gx, gy);
      if (std::fabs(p.Distance - 66.0) > 2.75 || ShownBrightness(gx, gy) < 224) continue;
      if (p.Degrees >= 176.0 && p.Degrees <= 179.5) ++painted;
      if (p.Degrees >= -179.5 && p.Degrees <= -176.5) ++pastSeam;
    }
  }
  EXPECT_GE(painted, 10);
  EXPECT_EQ(pastSeam, 0);
}

TEST_F(PpiScopeTest, FadingRoundsSoSixStaysAndSevenBecomesSix) {
  HideAllTargets();
  // Every cell freshly painted: only the first decay beam has work.
  FillGrid(0, 0);
  for (int gx = 0; gx < kPpiGridSize; ++gx)
    for (int gy = 0; gy < kPpiGridSize; ++gy)
      State.PpiCells[static_cast<std::size_t>(PpiCell(gx, gy))].Intensity = 6 + (gx + gy) % 2;
  Sweep(1);
  int fadedSevens = 0, untouched = 0;
  for (int gx = 0; gx < kPpiGridSize; ++gx) {
    for (int gy = 0; gy < kPpiGridSize; ++gy) {
      const auto at = static_cast<std::size_t>(PpiCell(gx, gy));
      if (State.PpiCells[at].Phase == 0) {
        // Not under a decay beam: neither changed nor plotted.
        EXPECT_EQ(State.PpiCells[at].Intensity, 6 + (gx + gy) % 2);
        if (PixelAt(65 + gx, 970 - gy) != 0) ADD_FAILURE() << "plotted " << gx << "," << gy;
        ++untouched;
        continue;
      }
      EXPECT_EQ(State.PpiCells[at].Intensity, 6) << gx << "," << gy;
      EXPECT_EQ(PixelAt(65 + gx, 970 - gy), Colour(0x060600));
      if ((gx + gy) % 2 == 1) ++fadedSevens;
    }
  }
  EXPECT_GE(fadedSevens, 50);
  EXPECT_GT(untouched, 150000);
}

TEST_F(PpiScopeTest, EchoOnABrightPixelIsCappedAt255) {
  HideAllTargets();
  FillGrid(100, 5);  // faded five times: the live beam repaints it
  // On the first step the live beam points 0.1 degree south of east, along
  // grid row 200. An aircraft at 100,000 yards has echo radius 66: the
  // samples r = 64.4 ... 67.6. Cells 265 ... 268 take the echo; cell 264 was
  // already painted with noise by r = 63.6 and is not painted twice.
  PlaceTarget(3, -0.00174532925199433, 100000.0);
  Sweep(1);
  for (int gx = 265; gx <= 268; ++gx) {
    EXPECT_TRUE(ShownFull(gx, 200)) << gx;
    EXPECT_EQ(State.PpiCells[static_cast<std::size_t>(PpiCell(gx, 200))].Intensity, 255);
  }
  for (int gx : {262, 264, 270}) {
    EXPECT_GE(ShownBrightness(gx, 200), 100) << gx;
    EXPECT_LT(ShownBrightness(gx, 200), 160) << gx;  // noise tops out at 52 this far out
  }
}

TEST_F(PpiScopeTest, IffRepliesNeedModeOneAndAResponder) {
  // Echo radius 66 (cells 264..268), reply radius 74 (cells 272..276).
  const struct {
    std::size_t Slot;
    int IffMode1;
    bool Replies;
  } cases[] = {{5, 1, true}, {5, 0, false}, {2, 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "slot " << c.Slot << " mode 1 " << c.IffMode1);
    ResetConsoleState();
    OpenScreen(kConsoleMode, 16);
    HideAllTargets();
    PlaceTarget(c.Slot, -0.00174532925199433, 100000.0);
    State.IffMode1 = c.IffMode1;
    Sweep(1);
    EXPECT_EQ(ShownBrightness(266, 200), 224);
    if (c.Replies) {
      EXPECT_EQ(PixelAt(65 + 274, 770), Colour(0xE1E100));
    } else {
      EXPECT_LT(ShownBrightness(274, 200), 64);
    }
  }
}

TEST_F(PpiScopeTest, TrackMarkerShowsOnlyOnceATrackExists) {
  StartConsole();
  MoveTargets();
  ASSERT_EQ(State.TrackAz, 30.0);
  Sweep(3590);  // a revolution, short of repainting the first cells
  EXPECT_EQ(test::CountPixels(65, 570, 465, 970, 0xFFFF00), 0);
}

TEST_F(PpiScopeTest, TrackMarkerIsAnArcAtTheGateAndATickAtTheBearing) {
  HideAllTargets();
  State.TrackAz = -0.5;      // -28.6 degrees
  State.TtrRange = 90000.0;  // 60 pixels out
  Sweep(400);                // the beam has passed 40 degrees south of east
  const double bearing = -0.5 * 180.0 / kPi;
  int arc = 0, tick = 0;
  for (int gx = 0; gx < kPpiGridSize; ++gx) {
    for (int gy = 0; gy < kPpiGridSize; ++gy) {
      if (!ShownFull(gx, gy)) continue;
      const CellPosition p = PositionOf(gx, gy);
      const double apart = p.Degrees - bearing;
      const bool onArc = p.Distance > 59.0 && p.Distance < 62.0 && std::fabs(apart) < 10.7;
      const bool onTick = std::fabs(p.Distance - 60.0) < 15.8 && std::fabs(apart) < 1.5;
      EXPECT_TRUE(onArc || onTick) << gx << "," << gy;
      if (onArc && std::fabs(apart) > 2.0) ++arc;
      if (onTick && std::fabs(p.Distance - 60.0) > 3.0) ++tick;
    }
  }
  EXPECT_GE(arc, 15);
  EXPECT_GE(tick, 20);
}

TEST_F(PpiScopeTest, BearingMarksAndLabelsSurroundTheScope) {
  SetColors(0xFFFFFF, -1);
  DrawPpiMarkings();
  const std::pair<std::string, std::pair<int, int>> labels[] = {
      {"0", {34, 33}},   {"30", {36, 48}},  {"60", {41, 59}},  {"90", {49, 63}},
      {"120", {56, 59}}, {"150", {61, 48}}, {"180", {63, 33}}, {"210", {61, 18}},
      {"240", {56, 7}},  {"270", {49, 3}},  {"300", {41, 7}},  {"330", {36, 18}}};
  for (const auto& [text, cell] : labels)
    EXPECT_EQ(ReadCanvasText(cell.first, cell.second, static_cast<int>(text.size())), text) << text;
  // Ticks from 210 to 220 pixels out: north, east, south, west.
  for (const auto& [x, y] : {std::pair{265, 555}, {480, 770}, {265, 985}, {50, 770}})
    EXPECT_EQ(PixelAt(x, y), Colour(0xFFFFFF)) << x << "," << y;
  EXPECT_EQ(PixelAt(265, 565), 0u);
  // Only the ticks: nothing crosses the scope.
  for (const auto& [x, y] : {std::pair{300, 770}, {230, 770}, {265, 700}, {265, 840}})
    EXPECT_EQ(PixelAt(x, y), 0u) << x << "," << y;
}

// A literal, unhurried transcription of the sweep step, kept beside the fast
// one to show that both paint the same picture, cell for cell.
struct ReferenceScope {
  std::vector<int> Intensity = std::vector<int>(401 * 401, 0);
  std::vector<int> Phase = std::vector<int>(401 * 401, 10);
  std::vector<int> Shown = std::vector<int>(401 * 401, -1);  // -1: never plotted
  double SweepAngle = 0.0;
  RandomGenerator Random;

  void Step() {
    std::swap(Random, State.Random);
    SweepAngle = SweepAngle - 0.00174532925199433;
    if (SweepAngle < -3.140719988963796) SweepAngle = 3.141592653589793;
    const double a = SweepAngle;
    const double c0 = std::cos(a), s0 = std::sin(a);
    const double c1 = std::cos(a - 1.047197551196598), s1 = std::sin(a - 1.047197551196598);
    const double c2 = std::cos(a - 2.094395102393195), s2 = std::sin(a - 2.094395102393195);
    const double beams[6][2] = {{c0, s0}, {-c0, -s0}, {c1, s1}, {-c1, -s1}, {c2, s2}, {-c2, -s2}};
    const int acts[6] = {-1, 2, 4, 1, 3, 0};  // live beam, then the decay beams 3, 5, 2, 4, 1

    bool trackNear = false, trackSector = false;
    if (std::fabs(a - State.TrackAz) < 0.174532925199433) {
      trackNear = true;
      trackSector =
          std::floor(a * 42.97183463481173) == std::floor(State.TrackAz * 42.97183463481173);
    }
    std::vector<int> echoes, replies;
    for (std::size_t i = 1; i <= 7; ++i) {
      const double d = std::fabs(State.TargetAz[i] - a), range = State.TargetSlantRange[i];
      if (d < 0.174532925199433 && d < 0.0174532925199433 * (27 - 2 * std::log(range)))
        echoes.push_back(static_cast<int>(std::floor(200 * range / 300000)));
      if (d < 0.349065850398866 && State.IffMode1 == 1 && State.TargetIffResponder[i] == 1.0 &&
          d < 0.0174532925199433 * (35 - 2 * std::log(range)))
        replies.push_back(static_cast<int>(std::floor(200 * range / 300000 + 8.0)));
    }

    for (double r = 2.0; r <= 200.0; r = r + 0.8) {
      for (int b = 0; b < 6; ++b) {
        const int x = static_cast<int>(std::nearbyint(r * beams[b][0] + 200));
        const int y = static_cast<int>(std::nearbyint(r * beams[b][1] + 200));
        const int at = x * 401 + y;
        if (acts[b] < 0) {
          if (Phase[at] == 0) continue;
          int n = static_cast<int>(std::nearbyint(NextRandom(1) * (1 - r / 200) * 76.5));
          for (int e : echoes)
            if (std::fabs(r - e) < 2.0) n = 225;
          for (int e : replies)
            if (std::fabs(r - e) < 2.0) n = 225;
          if (trackNear) {
            const double t = State.TtrRange / 1500;
            if (std::floor(r) == std::floor(t)) n = 255;
            if (std::fabs(t - r) < 15.0 && trackSector) n = 255;
          }
          n = std::min(n + Intensity[at], 255);
          Shown[at] = Intensity[at] = n;
          Phase[at] = 0;
        } else if (Phase[at] == acts[b]) {
          Shown[at] = Intensity[at] = static_cast<int>(std::nearbyint(Intensity[at] * 0.92));
          Phase[at] = acts[b] + 1;
        }
      }
    }
    std::swap(Random, State.Random);
  }

  void ExpectSameAs(const char* when) const {
    SCOPED_TRACE(when);
    int differences = 0;
    for (int gx = 0; gx < 401 && differences < 5; ++gx) {
      for (int gy = 0; gy < 401 && differences < 5; ++gy) {
        const auto at = static_cast<std::size_t>(gx * 401 + gy);
        const auto cell = static_cast<std::size_t>(PpiCell(gx, gy));
        const int shown = Shown[at];
        const std::uint32_t pixel = shown < 0 ? 0u : Colour(shown << 16 | shown << 8);
        if (State.PpiCells[cell].Intensity != Intensity[at] ||
            State.PpiCells[cell].Phase != Phase[at] || PixelAt(65 + gx, 970 - gy) != pixel) {
          ADD_FAILURE() << "cell " << gx << "," << gy << ": intensity "
                        << int{State.PpiCells[cell].Intensity} << " vs " << Intensity[at]
                        << ", phase " << int{State.PpiCells[cell].Phase} << " vs " << Phase[at];
          ++differences;
        }
      }
    }
    EXPECT_EQ(State.SweepAngle, SweepAngle);
    EXPECT_EQ(State.Random.Seed, Random.Seed);
  }
};

TEST_F(PpiScopeTest, PaintsTheSamePictureAsAPlainTranscription) {
  // The scenario with a friendly challenged, a track on slot 4, and aircraft
  // on both sides of the seam, over more than a revolution so that echoes
  // land on faded echoes and hit the cap. (No console text: the labels
  // overlap the scope's corners.)
  State.TargetY[2] = 3000.0;
  State.TargetX[2] = -90000.0;
  State.TargetY[3] = -2000.0;
  State.TargetX[3] = -120000.0;
  State.IffMode1 = 1;
  ReferenceScope reference;
  reference.Random = State.Random;
  for (int step = 0; step < 4400; ++step) {
    if (step % 83 == 0) {
      MoveTargets();
      if (step == 166) State.TargetDesignated = 4;
    }
    reference.Step();
    StepPpiSweep();
    if (step == 1000) reference.ExpectSameAs("after 1000 steps");
  }
  ASSERT_NE(State.TrackAz, 30.0);
  reference.ExpectSameAs("after 4400 steps");
}

}  // namespace
}  // namespace vorn
