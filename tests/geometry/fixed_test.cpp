// Fixed-point vectors: flooring shifts, the floored root, the unit vector's rounding, direction.
#include "geom_util.h"

using namespace geomtest;
using V3 = cmath_vect3Fixed64;

TEST(Fixed, CrossLengthAndUnitOfStatedCases)
{
    // Each product is shifted on its own (flooring: -3 >> 1 = -2) before the subtraction.
    const struct { V3 a, b; int32_t s; V3 want; } cross[] = {
        {{256, 0, 0}, {0, 256, 0}, 8, {0, 0, 256}}, {{0, 256, 0}, {256, 0, 0}, 8, {0, 0, -256}},
        {{-3, 0, 0}, {0, 1, 0}, 1, {0, 0, -2}},     {{2, 1, 0}, {1, 1, 0}, 1, {0, 0, 1}}, // (2 >> 1) - (1 >> 1)
        {{1, 2, 3}, {4, 5, 6}, 0, {-3, 6, -3}},
    };
    for (const auto& c : cross) {
        EXPECT_TRUE(sameBytes(result<V3>(cmath_vect3Fixed64_cross, &c.a, &c.b, c.s), c.want));
    }
    // s = 4: sqrt(3 * 1.5^2) = 2.598..., floored at 1/16: 41/16.
    const struct { V3 v; int32_t s; uint64_t want; } length[] = {
        {{3, 4, 0}, 0, 5}, {{-768, 1024, 0}, 8, 1280}, {{1, 1, 1}, 0, 1}, {{24, -24, 24}, 4, 41}};
    for (const auto& c : length) {
        EXPECT_EQ(result<uint64_t>(cmath_vect3Fixed64_getLength, &c.v, c.s), c.want);
    }
    // (v << s + h) / len with h = len >> 1, truncating: negative components and a negative
    // length (h = -5 >> 1 = -3) go through the same formula.
    const struct { V3 v; int64_t len; V3 want; } unit[] = {
        {{3, 4, 0}, 5, {154, 205, 0}},
        {{-3, -4, 7}, 5, {-153, -204, (7 * 256 + 2) / 5}},
        {{3, 4, 0}, -5, {(768 - 3) / -5, (1024 - 3) / -5, 0}},
    };
    for (const auto& c : unit) {
        EXPECT_TRUE(sameBytes(result<V3>(cmath_vect3Fixed64_getUnitFromLength, &c.v, c.len, 8), c.want));
    }
    V3 self{3, 4, 0};
    ASSERT_EQ(cmath_vect3Fixed64_getUnitFromLength(&self, 5, 8, &self), 0); // aliased
    EXPECT_TRUE(sameBytes(self, V3{154, 205, 0}));
    EXPECT_TRUE(refuses(cmath_errDivideByZero, V3{-1, -1, -1}, cmath_vect3Fixed64_getUnitFromLength, &self,
                        int64_t{0}, int32_t{8}));
    // The one unrepresentable quotient saturates instead of trapping.
    const V3 m{INT64_MIN + 1, 0, 0};
    EXPECT_EQ(result<V3>(cmath_vect3Fixed64_getUnitFromLength, &m, int64_t{-1}, int32_t{0}).x, INT64_MAX);
}

TEST(Fixed, DirectionOf31_4Vectors)
{
    const struct { cmath_vectFixed31_4 v; double want; } cases[] = {
        {{0, -16}, -kPi / 2}, {{16, 16}, kPi / 4}, {{-1, 0}, kPi},
        {{INT32_MIN, INT32_MAX}, std::atan2(2147483647.0, -2147483648.0)}};
    for (const auto& c : cases) {
        EXPECT_EQ(result<cmath_radian>(cmath_vectFixed31_4_getAngle, &c.v).value, c.want);
    }
}
