#pragma once
// The pattern's grid of points, 1 degree apart in phi and theta.
#include <cstdint>

namespace vorn {

// The one value of pi the figures are computed with.
constexpr double kPi = 3.141592653589793;

constexpr int kPoints = 65341;    // 181 theta x 361 phi
constexpr int kGainSize = 65342;  // element 0 holds no point

// phi 0..360, theta 0..180; theta varies fastest.
constexpr int32_t point_index(int phi, int theta) { return phi * 181 + theta + 1; }

}  // namespace vorn
