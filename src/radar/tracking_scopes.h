#pragma once
// The target tracking radar (TTR) and missile tracking radar (MTR) range
// scopes with their read-outs.

#include <array>

namespace vorn {

inline constexpr int kTtrColumns = 454;

struct TrackingScopeState {
  double TtrRange = 30000.0;   // the TTR range gate, yards; never below 8000
  double TtrNoiseLevel = 0.0;  // grass amplitude of the TTR trace, 1.0 = full
  double NextScopeTime = 0.0;  // when the next 0.2 s refresh of both scopes is due
  int ScopeClockSet = 0;       // NextScopeTime has been set by the first call
  // Ends of the segment last drawn in each TTR column, pixels from the
  // baseline (negative = above it).
  std::array<int, kTtrColumns> TtrTraceTop{};
  std::array<int, kTtrColumns> TtrTraceBottom{};
  // The MTR polyline last drawn: columns, and rows from its baseline.
  std::array<int, 10> MtrTraceX{};
  std::array<int, 10> MtrTraceY{};
};

// One column of the TTR trace, and the 0.2 s refresh of both scopes when it
// is due; returns whether it refreshed them (the costly part).
bool UpdateTtrScope();
void DrawMtrScope();

}  // namespace vorn
