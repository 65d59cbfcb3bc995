// Names the geometry tests share: the compact checks, a seeded generator, a transform sentinel.
#ifndef ORBMATH_TESTS_GEOM_UTIL_H
#define ORBMATH_TESTS_GEOM_UTIL_H

#include "orbtest_a.h"

namespace geomtest {

using orbtest::refuses;
using orbtest::refusesWith;
using orbtest::result;
using orbtest::Rng;
using orbtest::sameBytes;

constexpr double kPi = 3.141592653589793;

inline const cmath_xformLinear kXformSentinel{{-3.5, 9.25}, {-7.25, 11.5, 13.75, -17.0}};

} // namespace geomtest

#endif
