#include "radar/tracking_scopes.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "display/angles.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "display/services.h"
#include "radar/radar_state.h"

namespace vorn {

namespace {

constexpr int kTraceGreen = 0x00C800;
constexpr int kBlack = 0x000000;

constexpr double kRefreshPeriod = 0.2;  // read-outs, gate range and the MTR trace
constexpr double kFirstRefreshDelay = 0.1;
constexpr double kYardsPerColumn = 495.0;  // range scale of both traces outside the gate
constexpr double kRadiansToDegrees = kDegreesPerRadian;

// The TTR holds its target out to 200,000 yards; when it loses it the gate
// is parked just inside that range. It never closes in below 8000 yards.
constexpr double kTtrMaxRange = 200000.0;
constexpr double kTtrParkedRange = 199990.0;
constexpr double kTtrMinRange = 8000.0;

// TTR trace: column c stands at x = 770 + c about the baseline y = 800.
// Random columns come from 4..449, to the right of the range-zero pulse.
constexpr int kTtrLeft = 770;
constexpr double kTtrBaseline = 800.0;
constexpr int kTtrFirstRandomColumn = 4;
constexpr double kTtrRandomColumns = 446.0;
constexpr double kNoiseHeight = 40.0;  // grass height at full noise, pixels
constexpr double kGateWidth = 50.0;    // columns; the gate spans the range +-1000 yards
constexpr double kGateHalfYards = 1000.0;
constexpr double kGateDepth = 20.0;  // the gate floor lies this far below the baseline
constexpr double kPipHeight = 40.0;  // above the gate floor
constexpr double kPipHalfWidth = 10.0;

// MTR trace: same scale, baseline y = 980; the polyline ends at column 450.
constexpr int kMtrLeft = 770;
constexpr int kMtrBaseline = 980;
constexpr double kMtrMaxRange = 200000.0;
constexpr int kMtrLastColumn = 450;

// A segment end in whole pixels as the trace keeps it: nearest, ties to even.
// Ends far off the canvas are held far off it, so the conversion is defined.
int StoredEnd(double v) {
  constexpr double kFar = 1.0e6;
  if (!(v > -kFar)) return -static_cast<int>(kFar);  // also NaN
  if (v > kFar) return static_cast<int>(kFar);
  return static_cast<int>(std::nearbyint(v));
}

// One number at column 110 of a read-out row, then a line break.
void PrintReadout(int row, std::string_view picture, double value) {
  SetTextPosition(row, 110);
  BeginPicture(picture);
  PrintPictureNumber(value, true, true);
}

void DrawMtrSegments(int colour) {
  const auto& xs = Radar.MtrTraceX;
  const auto& ys = Radar.MtrTraceY;
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    DrawLine(static_cast<float>(kMtrLeft + xs[i]), static_cast<float>(kMtrBaseline + ys[i]),
             static_cast<float>(kMtrLeft + xs[i + 1]), static_cast<float>(kMtrBaseline + ys[i + 1]),
             colour, LineKind::Line);
  }
}

// The 0.2 s refresh: fixed marks, the MTR scope, the TTR read-outs, and the
// gate following the designated target.
void RefreshScopes() {
  Radar.NextScopeTime = Radar.NextScopeTime + kRefreshPeriod;

  DrawLine(770, 800, 772, 801, kTraceGreen, LineKind::FilledBox);
  DrawLine(773, 730, 773, 800, kTraceGreen, LineKind::Line);

  DrawMtrScope();

  // Compass bearing: atan2 of east over north, 0..2 pi.
  double azimuth = std::atan2(Radar.TrackX, Radar.TrackY);
  if (azimuth < 0.0) azimuth = azimuth + kTwoPi;
  PrintReadout(44, "TTR Az      ###.# ", azimuth * kRadiansToDegrees);
  const double elevation = std::atan2(
      Radar.TrackAlt, std::sqrt(Radar.TrackX * Radar.TrackX + Radar.TrackY * Radar.TrackY));
  PrintReadout(45, "TTR EL      ###.# ", elevation * kRadiansToDegrees);
  PrintReadout(46, "TTR RG  ###,### ", Radar.TtrRange);

  if (Radar.TtrRange > kTtrMaxRange) {
    // Lost beyond the radar's reach: drop the track and the designation.
    Radar.TargetTracked = 0;
    Radar.ComputerSettled = 0;
    Radar.TargetDesignated = 0;
    Radar.TtrRange = kTtrParkedRange;
  } else {
    Radar.TtrRange = Radar.TrackSlantRange;
  }
}

// Rebuilds one random column of the TTR trace.
void RedrawTtrColumn() {
  const double level = Radar.TtrNoiseLevel;
  const int k =
      static_cast<int>(std::floor(NextRandom(1) * kTtrRandomColumns)) + kTtrFirstRandomColumn;
  const auto at = static_cast<std::size_t>(k);
  auto& traceTop = Radar.TtrTraceTop;
  auto& traceBottom = Radar.TtrTraceBottom;
  const float x = static_cast<float>(kTtrLeft + k);

  // Erase the old segment with a pixel to spare at each end.
  DrawLine(x, static_cast<float>(799 + traceTop[at]), x, static_cast<float>(801 + traceBottom[at]),
           kBlack, LineKind::Line);

  double top = -std::floor(std::sqrt(NextRandom(1)) * level * kNoiseHeight);
  double bottom = std::floor(std::sqrt(NextRandom(1)) * level * kNoiseHeight);

  // Gate columns stay doubles: a far-out range must not overflow an int.
  const double column = k;
  const double gateStartColumn = std::floor((Radar.TtrRange - kGateHalfYards) / kYardsPerColumn);
  const double gateEndColumn = gateStartColumn + kGateWidth;
  const double pipColumn = gateStartColumn + 25.0;
  if (column == gateStartColumn || column == gateEndColumn) {
    bottom = kGateDepth;  // the gate edge runs down to the floor
  } else if (column > gateStartColumn && column < gateEndColumn) {
    // Inside the gate the trace joins the neighbour on the gate centre's
    // side, so it builds up as a connected line from the edges inwards.
    const std::size_t neighbour = column > gateStartColumn + 25.0 ? at - 1 : at + 1;
    const double m = (static_cast<double>(traceTop[neighbour]) + traceBottom[neighbour]) / 2.0;
    double p = std::floor((NextRandom(1) * 80.0 - 40.0) * level) + kGateDepth;
    const double w = (kPipHalfWidth - std::abs(pipColumn - column)) / kPipHalfWidth;
    if (w > 0.0 && Radar.TargetTracked != 0) p = p - kPipHeight * w;
    top = std::min(p, m);
    bottom = std::max(p, m);
  }

  DrawLine(x, static_cast<float>(kTtrBaseline + top), x, static_cast<float>(kTtrBaseline + bottom),
           kTraceGreen, LineKind::Line);
  traceTop[at] = StoredEnd(top);
  traceBottom[at] = StoredEnd(bottom);
}

}  // namespace

bool UpdateTtrScope() {
  if (Radar.ScopeClockSet == 0) {
    Radar.NextScopeTime = Radar.Now + kFirstRefreshDelay;
    Radar.ScopeClockSet = 1;
  }
  // One refresh per call at most: a late one is made up on the next calls.
  const bool refresh = Radar.Now > Radar.NextScopeTime;
  if (refresh) RefreshScopes();

  if (Radar.TtrRange < kTtrMinRange) Radar.TtrRange = kTtrMinRange;

  // Full noise without a track; with one it falls off steeply as the target
  // closes in, and a burst's clutter adds to it.
  Radar.TtrNoiseLevel = Radar.TargetTracked == 0 ? 1.0
                                                 : std::pow(Radar.TtrRange / kTtrMaxRange, 4.0) +
                                                       Radar.BurstClutter - 1.0;

  RedrawTtrColumn();
  return refresh;
}

void DrawMtrScope() {
  const double x = Radar.MissileX, y = Radar.MissileY, alt = Radar.MissileAlt;
  double s = std::sqrt(y * y + x * x + alt * alt);
  // Beyond the radar's reach the range is shown and plotted at its limit
  // (a range that is no number too, so the pip column stays defined).
  if (!(s <= kMtrMaxRange)) s = kMtrMaxRange;

  SetTextPosition(56, 106);
  PrintText("Missile Tracking Radar Display", true);

  if (Radar.MissileSelected != 0) {
    double azimuth = std::atan2(x, y) * kRadiansToDegrees;
    if (azimuth < 0.0) azimuth = azimuth + 360.0;
    PrintReadout(57, "MSL Az      ###.# ", azimuth);
    PrintReadout(58, "MSL EL      ###.# ",
                 std::atan2(alt, std::sqrt(y * y + x * x)) * kRadiansToDegrees);
    PrintReadout(59, "MSL RG  ###,### ", s);
  }

  DrawMtrSegments(kBlack);

  // Range-zero pulse, baseline, the gate lowered around the pip column c
  // with the pip rising from its floor, and the baseline again.
  const int c = static_cast<int>(std::floor(s / kYardsPerColumn)) + 25;
  const int gateLeft = std::max(0, c - 25);
  const int pipRow = Radar.MissilePhase == FlightPhase::Burst ? 20 : -20;
  Radar.MtrTraceX = {0, 0,      gateLeft, gateLeft, std::max(0, c - 10),
                     c, c + 10, c + 25,   c + 25,   kMtrLastColumn};
  Radar.MtrTraceY = {-70, 0, 0, 20, 20, pipRow, 20, 20, 0, 0};
  DrawMtrSegments(kTraceGreen);
}

}  // namespace vorn
