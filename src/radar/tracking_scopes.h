#pragma once
// The target tracking radar (TTR) and missile tracking radar (MTR) range
// scopes with their read-outs.

#include <array>

namespace vorn {

inline constexpr int kTtrColumns = 454;

struct TrackingScopeState {
  double TtrRange = 30000.0;  // the TTR range gate, yards
  double TtrNoiseLevel = 0.0;
  double NextScopeTime = 0.0;
  int ScopeClockSet = 0;
  std::array<int, kTtrColumns> TtrTraceTop{};  // segment ends last drawn, relative to the baseline
  std::array<int, kTtrColumns> TtrTraceBottom{};
  std::array<int, 10> MtrTraceX{};
  std::array<int, 10> MtrTraceY{};
};

void UpdateTtrScope();
void DrawMtrScope();

}  // namespace vorn
