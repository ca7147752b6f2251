#include "radar/ppi_scope.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "display/angles.h"
#include "display/canvas.h"
#include "display/services.h"
#include "model/ppi_geometry.h"
#include "radar/radar_state.h"

namespace vorn {

namespace {

constexpr double kSweepStep = 0.00174532925199433;       // 0.1 degree
constexpr double kSweepWrap = -3.140719988963796;        // -(pi - 0.05 degree)
constexpr double kSectorsPerRadian = 42.97183463481173;  // 135 / pi: sectors 4/3 degree wide
constexpr double kFade = 0.92;                           // brightness kept by each decay beam
constexpr double kNoiseScale = 76.5;  // noise brightness at the centre, before the taper
constexpr int kEchoBrightness = 225;
constexpr int kMarkerBrightness = 255;
constexpr int kScreenLeft = kPpiLeft;      // screen x of grid column 0
constexpr int kScreenBottom = kPpiBottom;  // screen y of grid row 0 (grid y grows upwards)

// The radial samples of a beam: r = 2.0, 2.8, ... while r <= 200, accumulated
// in double exactly as the beam walks outwards.
constexpr int CountSamples() {
  int n = 0;
  for (double r = 2.0; r <= 200.0; r += 0.8) ++n;
  return n;
}
constexpr int kSamples = CountSamples();
static_assert(kSamples == 248);

constexpr std::array<double, kSamples> kRadii = [] {
  std::array<double, kSamples> radii{};
  double r = 2.0;
  for (double& out : radii) {
    out = r;
    r += 0.8;
  }
  return radii;
}();

// Noise tapers linearly from the centre to nothing at the edge.
constexpr std::array<double, kSamples> kNoiseTaper = [] {
  std::array<double, kSamples> taper{};
  for (int k = 0; k < kSamples; ++k) taper[k] = 1.0 - kRadii[k] / 200.0;
  return taper;
}();

// Nearest integer, ties to even, for |v| < 2^51, as a double. Adding
// 1.5 * 2^52 leaves no fraction bits in the mantissa, so the default rounding
// mode does the work; unlike a call to nearbyint these are two plain adds
// that the loops below can vectorise, and they work at compile time too.
constexpr double RoundHalfEven(double v) {
  constexpr double kShifter = 6755399441055744.0;  // 1.5 * 2^52
  return (v + kShifter) - kShifter;
}

// Brightness left after one decay beam.
constexpr std::array<std::int32_t, 256> kFaded = [] {
  std::array<std::int32_t, 256> faded{};
  for (int n = 0; n < 256; ++n) faded[n] = static_cast<std::int32_t>(RoundHalfEven(n * kFade));
  return faded;
}();
static_assert(kFaded[6] == 6 && kFaded[7] == 6 && kFaded[255] == 235);

// Grid cells (PpiCell) under one beam at every radial sample.
using BeamCells = std::array<std::int32_t, kSamples>;

// Where the processor has them, the cell loop runs on the wider AVX2
// registers: the same arithmetic bit for bit (no fused multiply-add).
#if defined(__x86_64__)
#define VORN_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define VORN_WIDE_VECTORS
#endif

// The cells of a direction (c, s) and of its opposite (-c, -s), which share
// one cosine and sine. The cell index is formed in double, where it is exact,
// so each sample needs one conversion.
VORN_WIDE_VECTORS
void ComputeBeamCells(double c, double s, BeamCells& ahead, BeamCells& behind) {
  const double nc = -c, ns = -s;
  for (int k = 0; k < kSamples; ++k) {
    const double r = kRadii[static_cast<std::size_t>(k)];
    const double x = RoundHalfEven(r * c + 200.0), y = RoundHalfEven(r * s + 200.0);
    const double bx = RoundHalfEven(r * nc + 200.0), by = RoundHalfEven(r * ns + 200.0);
    ahead[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(x * kPpiColumnStride + y);
    behind[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(bx * kPpiColumnStride + by);
  }
}

void BuildColourTable() {
  const int bits = Radar.Canvas.BitsPerPixel;
  if (bits == Radar.PpiColourBits) return;
  for (int n = 0; n < 256; ++n)
    Radar.PpiColours[static_cast<std::size_t>(n)] = ConvertColour(n << 16 | n << 8);
  Radar.PpiColourBits = bits;
}

void FindTrackSector() {
  if (std::fabs(Radar.SweepAngle - Radar.TrackAz) < kTenDegrees) {
    Radar.TrackNear = 1;
    Radar.TrackSector = std::floor(Radar.SweepAngle * kSectorsPerRadian) ==
                                std::floor(Radar.TrackAz * kSectorsPerRadian)
                            ? 1
                            : 0;
  } else {
    Radar.TrackNear = 0;
  }
}

// The echoes and IFF replies under the live beam. Angle differences are not
// wrapped: arcs of aircraft near due west are cut at the +-180 degree seam.
void FindEchoes() {
  Radar.EchoCount = 0;
  Radar.IffCount = 0;
  for (std::size_t i = 1; i < kTargetSlots; ++i) {
    const double d = std::fabs(Radar.TargetAz[i] - Radar.SweepAngle);
    const double range = Radar.TargetSlantRange[i];
    // The arc's half-width in degrees shrinks with range.
    if (d < kTenDegrees && d < kOneDegree * (27.0 - 2.0 * std::log(range)))
      Radar.EchoRadii[static_cast<std::size_t>(Radar.EchoCount++)] =
          static_cast<int>(std::floor(200.0 * range / 300000.0));
    if (d < kTwentyDegrees && Radar.IffMode1 == 1 && Radar.TargetIffResponder[i] == 1.0 &&
        d < kOneDegree * (35.0 - 2.0 * std::log(range)))
      Radar.IffRadii[static_cast<std::size_t>(Radar.IffCount++)] =
          static_cast<int>(std::floor(200.0 * range / 300000.0 + 8.0));
  }
}

// The brightness an echo, IFF reply or track marker forces at radius r, or
// -1 where the noise stands.
int ForcedBrightness(double r) {
  int n = -1;
  for (int j = 0; j < Radar.EchoCount; ++j)
    if (std::fabs(r - Radar.EchoRadii[static_cast<std::size_t>(j)]) < 2.0) n = kEchoBrightness;
  for (int j = 0; j < Radar.IffCount; ++j)
    if (std::fabs(r - Radar.IffRadii[static_cast<std::size_t>(j)]) < 2.0) n = kEchoBrightness;
  if (Radar.TrackNear != 0) {
    const double t = Radar.TtrRange / kPpiYardsPerPixel;
    if (std::floor(r) == std::floor(t)) n = kMarkerBrightness;
    if (std::fabs(t - r) < 15.0 && Radar.TrackSector != 0) n = kMarkerBrightness;
  }
  return n;
}

// A cell the step has changed, kept until the radial pass is done: the cell
// in the low bits, its new brightness above them.
constexpr int kPlotShift = 18;
static_assert(kPpiGridSize * kPpiColumnStride <= 1 << kPlotShift);
using PlotList = std::array<std::uint32_t, 6 * kSamples>;

// One bit per radial sample of a beam, bit k of word k / 64 for sample k:
// the samples at which the beam acts.
using SampleMask = std::array<std::uint64_t, (kSamples + 63) / 64>;

// Which samples of a beam act: those that reach a cell the beam has not
// reached before in this step and whose phase passes the beam's test (the
// live beam: anything but 0; a decay beam: its own phase). Along a ray both
// cell coordinates change monotonically, so a cell already reached is always
// the one of the sample before, and after that sample it fails the test
// anyway (the live beam leaves it at phase 0, a decay beam at the next
// phase). So the phases can all be read before any cell changes.
SampleMask SelectSamplesPortable(const BeamCells& cells, const PpiPhosphor* grid, int from) {
  SampleMask mask{};
  std::int32_t previous = -1;
  for (int k = 0; k < kSamples; ++k) {
    const std::int32_t at = cells[static_cast<std::size_t>(k)];
    const int p = grid[at].Phase;
    const bool acts = at != previous && (from < 0 ? p != 0 : p == from);
    mask[static_cast<std::size_t>(k / 64)] |= static_cast<std::uint64_t>(acts) << (k % 64);
    previous = at;
  }
  return mask;
}

#if defined(__x86_64__)
// The same, eight samples at a time: the phases are gathered (four bytes
// from each cell's phase byte; the grid's padding keeps the last cell's read
// inside it), so no branch waits on a phase that is not yet in the cache.
static_assert(kSamples % 8 == 0);
static_assert(sizeof(PpiPhosphor) == 2 && offsetof(PpiPhosphor, Phase) == 1);
static_assert(PpiCell(kPpiGridSize - 1, kPpiGridSize - 1) * 2 + 1 + 4 <=
              kPpiGridSize * kPpiColumnStride * 2);
__attribute__((target("avx2"))) SampleMask SelectSamplesAvx2(const BeamCells& cells,
                                                             const PpiPhosphor* grid, int from) {
  SampleMask mask{};
  const __m256i lowByte = _mm256_set1_epi32(0xFF);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i wanted = _mm256_set1_epi32(from);
  const __m256i allOnes = _mm256_set1_epi32(-1);
  const auto* base = reinterpret_cast<const int*>(reinterpret_cast<const char*>(grid) + 1);
  for (int k = 0; k < kSamples; k += 8) {
    const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cells.data() + k));
    // The cells of the samples before: no sample comes before the first.
    const __m256i before =
        k == 0 ? _mm256_blend_epi32(
                     _mm256_permutevar8x32_epi32(at, _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6)),
                     allOnes, 0x01)
               : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cells.data() + k - 1));
    const __m256i p = _mm256_and_si256(_mm256_i32gather_epi32(base, at, 2), lowByte);
    const __m256i passes = from < 0 ? _mm256_xor_si256(_mm256_cmpeq_epi32(p, zero), allOnes)
                                    : _mm256_cmpeq_epi32(p, wanted);
    const __m256i acts = _mm256_andnot_si256(_mm256_cmpeq_epi32(at, before), passes);
    const auto bits = static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(acts)));
    mask[static_cast<std::size_t>(k / 64)] |= static_cast<std::uint64_t>(bits) << (k % 64);
  }
  return mask;
}
#endif

// Picks the gathering form where the processor has AVX2. The choice is made
// once, by hand rather than by the compiler's function versions, so that
// every compiler the project builds with treats it alike.
SampleMask SelectSamples(const BeamCells& cells, const PpiPhosphor* grid, int from) {
#if defined(__x86_64__)
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  if (hasAvx2) return SelectSamplesAvx2(cells, grid, from);
#endif
  return SelectSamplesPortable(cells, grid, from);
}

// Calls act(k) for each sample k in the mask, outwards.
template <typename Act>
void ForEachSample(const SampleMask& mask, Act act) {
  for (std::size_t w = 0; w < mask.size(); ++w) {
    for (std::uint64_t m = mask[w]; m != 0; m &= m - 1)
      act(static_cast<std::size_t>(w * 64 + static_cast<std::size_t>(__builtin_ctzll(m))));
  }
}

// The beams' work on the grid. The changed cells are listed and
// plotted afterwards, which keeps the canvas out of the radial pass.
//
// Each beam works on local copies of the grid pointer, the list and its
// count: the grid's cells are bytes, and a byte store may alias anything in
// memory, so members would be reloaded after every cell.
struct Phosphor {
  PpiPhosphor* Grid;
  bool AnyForced;  // any echo, reply or marker under the live beam
  PlotList& Plots;
  int PlotCount = 0;

  static std::uint32_t Plot(std::int32_t at, int n) {
    return static_cast<std::uint32_t>(at) | static_cast<std::uint32_t>(n) << kPlotShift;
  }

  // The live beam: fresh noise, or an echo, reply or marker, on top of what
  // is left of the old picture. A cell already painted this revolution
  // (phase 0) waits for the first decay beam.
  void Paint(const BeamCells& cells) {
    PpiPhosphor* const grid = Grid;
    std::uint32_t* const plots = Plots.data();
    int count = PlotCount;
    const bool anyForced = AnyForced;
    RandomGenerator random = Radar.Random;
    ForEachSample(SelectSamples(cells, grid, -1), [&](std::size_t sample) {
      const std::int32_t at = cells[sample];
      const double u = random.Next();
      int n = static_cast<int>(RoundHalfEven(u * kNoiseTaper[sample] * kNoiseScale));
      if (anyForced) {
        const int forced = ForcedBrightness(kRadii[sample]);
        if (forced >= 0) n = forced;
      }
      PpiPhosphor& cell = grid[at];
      n += cell.Intensity;
      if (n > 255) n = 255;
      cell.Intensity = static_cast<std::uint8_t>(n);
      cell.Phase = 0;
      plots[count++] = Plot(at, n);
    });
    Radar.Random = random;
    PlotCount = count;
  }

  // A decay beam fades the cells that the beam ahead of it has left.
  void Fade(const BeamCells& cells, int from) {
    PpiPhosphor* const grid = Grid;
    std::uint32_t* const plots = Plots.data();
    int count = PlotCount;
    const auto next = static_cast<std::int8_t>(from + 1);
    ForEachSample(SelectSamples(cells, grid, from), [&](std::size_t sample) {
      const std::int32_t at = cells[sample];
      PpiPhosphor& cell = grid[at];
      const int faded = kFaded[static_cast<std::size_t>(cell.Intensity)];
      cell.Intensity = static_cast<std::uint8_t>(faded);
      cell.Phase = next;
      plots[count++] = Plot(at, faded);
    });
    PlotCount = count;
  }
};

}  // namespace

void StepPpiSweep() {
  ++Radar.SweepSteps;
  Radar.SweepAngle = Radar.SweepAngle - kSweepStep;
  if (Radar.SweepAngle < kSweepWrap) Radar.SweepAngle = kPi;
  const double a = Radar.SweepAngle;

  // Three direction pairs, each a beam and the one opposite it: the live
  // beam and decay beam 3 (+180), decay beams 5 (-60) and 2 (+120), decay
  // beams 4 (-120) and 1 (+60).
  BeamCells live, beam3, beam5, beam2, beam4, beam1;
  ComputeBeamCells(std::cos(a), std::sin(a), live, beam3);
  ComputeBeamCells(std::cos(a - kSixtyDegrees), std::sin(a - kSixtyDegrees), beam5, beam2);
  ComputeBeamCells(std::cos(a - kHundredTwentyDegrees), std::sin(a - kHundredTwentyDegrees), beam4,
                   beam1);

  FindTrackSector();
  FindEchoes();
  BuildColourTable();

  PlotList plots;
  Phosphor phosphor{Radar.PpiCells.data(),
                    Radar.EchoCount > 0 || Radar.IffCount > 0 || Radar.TrackNear != 0, plots};
  // The beams are taken one after the other, each outwards from the centre.
  // That gives the same picture as going outwards once with all six beams
  // at each radius: two beams of a step never share a cell (beams 60 degrees
  // apart at radii of 2 or more lie at least 2 pixels apart), so only the
  // order of the random draws matters, and the live beam keeps it. Each
  // decay beam acts only on cells in the phase the beam ahead of it left, so
  // a cell crossed by several neighbouring beam positions (as near the
  // centre) gets one paint and five fades per revolution.
  phosphor.Paint(live);
  phosphor.Fade(beam3, 2);
  phosphor.Fade(beam5, 4);
  phosphor.Fade(beam2, 1);
  phosphor.Fade(beam4, 3);
  phosphor.Fade(beam1, 0);

  CanvasState& canvas = Radar.Canvas;
  const std::uint32_t* colours = Radar.PpiColours.data();
  if (canvas.BitsPerPixel == 16 && canvas.Width >= kScreenLeft + kPpiGridSize &&
      canvas.Height > kScreenBottom) {
    // The scope lies wholly on the console canvas: the pixels are stored as
    // PutPixel would, without testing the bounds and the depth each time.
    std::uint16_t* const pixels = canvas.Pixels16.data();
    std::uint8_t* const tiles = canvas.TileChanged.data();
    const auto tileColumns = static_cast<std::size_t>(canvas.TileColumns);
    const auto width = static_cast<std::size_t>(canvas.Width);
    for (int i = 0; i < phosphor.PlotCount; ++i) {
      const std::uint32_t plot = plots[static_cast<std::size_t>(i)];
      const auto row = static_cast<std::size_t>(kScreenBottom - static_cast<int>(plot & 511));
      const std::size_t column = kScreenLeft + (plot >> 9 & 511);
      pixels[row * width + column] = static_cast<std::uint16_t>(colours[plot >> kPlotShift]);
      tiles[(row >> kTileHeightShift) * tileColumns + (column >> kTileWidthShift)] = 1;
    }
    if (phosphor.PlotCount > 0) canvas.AnyChanged = true;
    return;
  }
  for (int i = 0; i < phosphor.PlotCount; ++i) {
    const std::uint32_t plot = plots[static_cast<std::size_t>(i)];
    const int x = static_cast<int>(plot >> 9 & 511), y = static_cast<int>(plot & 511);
    PutPixel(canvas, kScreenLeft + x, kScreenBottom - y, colours[plot >> kPlotShift]);
  }
}

void DrawPpiMarkings() {
  constexpr double kLastMark = 6.282185307179586;  // just short of a full turn
  // Bearings here are compass bearings, clockwise from north.
  for (double theta = 0.0; theta <= kLastMark; theta += kThirtyDegrees) {
    const double sn = std::sin(theta), cs = std::cos(theta);
    constexpr double cx = kPpiCentreX, cy = kPpiCentreY;
    DrawLine(static_cast<float>(std::nearbyint(cx + 210.0 * sn)),
             static_cast<float>(std::nearbyint(cy - 210.0 * cs)),
             static_cast<float>(std::nearbyint(cx + 220.0 * sn)),
             static_cast<float>(std::nearbyint(cy - 220.0 * cs)), 0xFFFFFF, LineKind::Line);
    const double ty = std::nearbyint(cy + 8.0 - 235.0 * cs);
    const double tx = std::nearbyint(cx + 240.0 * sn);
    SetTextPosition(static_cast<int>(std::nearbyint(ty / 16.0)),
                    static_cast<int>(std::nearbyint(tx / 8.0)));
    PrintText(std::to_string(static_cast<int>(std::floor(theta * kDegreesPerRadian + 0.01))), true);
  }
}

}  // namespace vorn
