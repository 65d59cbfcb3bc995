// Shared helpers of the geometry tests: sentinels, bit-exact comparisons, a seeded generator.
#ifndef ORBMATH_TESTS_GEOM_UTIL_H
#define ORBMATH_TESTS_GEOM_UTIL_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

namespace geomtest {

constexpr double kPi = 3.141592653589793;

inline uint64_t bits(double v) { return std::bit_cast<uint64_t>(v); }

inline const cmath_matrix kMatrixSentinel{-7.25, 11.5, 13.75, -17.0};
inline const cmath_vect kVectSentinel{-123.25, 456.5};
inline const cmath_xformLinear kXformSentinel{{-3.5, 9.25}, {-7.25, 11.5, 13.75, -17.0}};

inline ::testing::AssertionResult sameBits(const cmath_matrix& a, const cmath_matrix& b)
{
    if (bits(a.e11) == bits(b.e11) && bits(a.e12) == bits(b.e12) && bits(a.e21) == bits(b.e21) &&
        bits(a.e22) == bits(b.e22)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << a.e11 << ", " << a.e12 << ", " << a.e21 << ", " << a.e22
                                         << ") vs (" << b.e11 << ", " << b.e12 << ", " << b.e21 << ", " << b.e22
                                         << ")";
}

inline ::testing::AssertionResult sameBits(const cmath_vect& a, const cmath_vect& b)
{
    if (bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ") vs (" << b.x << ", " << b.y << ")";
}

inline ::testing::AssertionResult sameBits(const cmath_xformLinear& a, const cmath_xformLinear& b)
{
    auto r = sameBits(a.matrix, b.matrix);
    if (!r) {
        return r << " (matrix)";
    }
    r = sameBits(a.trans, b.trans);
    if (!r) {
        return r << " (trans)";
    }
    return ::testing::AssertionSuccess();
}

// A fixed-seed generator so that every run sees the same "random" cases.
struct Rng {
    std::mt19937_64 engine{0x0b5e55edULL};
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine); }
    double normal(double sigma) { return std::normal_distribution<double>(0.0, sigma)(engine); }
};

} // namespace geomtest

#endif
