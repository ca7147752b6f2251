#pragma once
// Angle constants shared by the model and the scopes, written out to the
// last digit so that every routine computes with exactly the same values.

namespace vorn {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kHalfPi = 1.570796326794897;
inline constexpr double kDegreesPerRadian = 57.29577951308231;
inline constexpr double kOneDegree = 0.0174532925199433;  // in radians
inline constexpr double kTenDegrees = 0.174532925199433;
inline constexpr double kTwentyDegrees = 0.349065850398866;
inline constexpr double kThirtyDegrees = 0.5235987755982988;
inline constexpr double kSixtyDegrees = 1.047197551196598;
inline constexpr double kHundredTwentyDegrees = 2.094395102393195;

}  // namespace vorn
