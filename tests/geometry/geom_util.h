// Shared helpers of the geometry tests: sentinels, bit-exact comparisons, a seeded generator.
#ifndef ORBMATH_TESTS_GEOM_UTIL_H
#define ORBMATH_TESTS_GEOM_UTIL_H

#include "orbtest_a.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>

inline void PrintTo(const cmath_vect& v, std::ostream* os) { *os << "(" << v.x << ", " << v.y << ")"; }
inline void PrintTo(const cmath_matrix& m, std::ostream* os)
{
    *os << "[" << m.e11 << ", " << m.e12 << "; " << m.e21 << ", " << m.e22 << "]";
}
inline void PrintTo(const cmath_xformLinear& x, std::ostream* os)
{
    PrintTo(x.matrix, os);
    PrintTo(x.trans, os);
}

namespace geomtest {

using orbtest::refuses;
using orbtest::refusesWith;
using orbtest::result;
using orbtest::sameBytes;

constexpr double kPi = 3.141592653589793;

inline uint64_t bits(double v) { return std::bit_cast<uint64_t>(v); }

inline const cmath_matrix kMatrixSentinel{-7.25, 11.5, 13.75, -17.0};
inline const cmath_vect kVectSentinel{-123.25, 456.5};
inline const cmath_xformLinear kXformSentinel{{-3.5, 9.25}, {-7.25, 11.5, 13.75, -17.0}};

// A fixed-seed generator so that every run sees the same "random" cases.
struct Rng {
    std::mt19937_64 engine{0x0b5e55edULL};
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine); }
    double normal(double sigma) { return std::normal_distribution<double>(0.0, sigma)(engine); }
};

} // namespace geomtest

#endif
