// Fixed-point vectors: arithmetic (flooring) shifts of negative products, rounding of the unit
// vector for negative components and lengths, the zero-length refusal, and the direction.
#include "geom_util.h"

#include <cstdint>

using namespace geomtest;

namespace {

::testing::AssertionResult equals(const cmath_vect3Fixed64& v, int64_t x, int64_t y, int64_t z)
{
    if (v.x == x && v.y == y && v.z == z) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << v.x << ", " << v.y << ", " << v.z << ") vs (" << x << ", " << y
                                         << ", " << z << ")";
}

cmath_vect3Fixed64 v3(int64_t x, int64_t y, int64_t z)
{
    cmath_vect3Fixed64 v;
    cmath_vect3Fixed64_init(&v, x, y, z);
    return v;
}

} // namespace

TEST(Fixed, CrossShiftsEachProduct)
{
    cmath_vect3Fixed64 out;
    const cmath_vect3Fixed64 ex = v3(1 << 8, 0, 0), ey = v3(0, 1 << 8, 0);
    cmath_vect3Fixed64_cross(&ex, &ey, 8, &out);
    EXPECT_TRUE(equals(out, 0, 0, 1 << 8));
    cmath_vect3Fixed64_cross(&ey, &ex, 8, &out);
    EXPECT_TRUE(equals(out, 0, 0, -(1 << 8)));

    // -3 >> 1 floors to -2; each product is shifted on its own before the subtraction.
    const cmath_vect3Fixed64 a = v3(-3, 0, 0), b = v3(0, 1, 0);
    cmath_vect3Fixed64_cross(&a, &b, 1, &out);
    EXPECT_TRUE(equals(out, 0, 0, -2));
    const cmath_vect3Fixed64 c = v3(3, 3, 0), d = v3(1, 1, 0);
    cmath_vect3Fixed64_cross(&c, &d, 1, &out); // (3 >> 1) - (3 >> 1) = 0
    EXPECT_TRUE(equals(out, 0, 0, 0));
    const cmath_vect3Fixed64 e = v3(1, 2, 3), f = v3(4, 5, 6);
    cmath_vect3Fixed64_cross(&e, &f, 0, &out);
    EXPECT_TRUE(equals(out, -3, 6, -3));
}

TEST(Fixed, LengthIsTheFlooredRoot)
{
    uint64_t len = 0;
    const cmath_vect3Fixed64 a = v3(3, 4, 0);
    cmath_vect3Fixed64_getLength(&a, 0, &len);
    EXPECT_EQ(len, 5u);
    const cmath_vect3Fixed64 b = v3(-3 * 256, 4 * 256, 0);
    cmath_vect3Fixed64_getLength(&b, 8, &len);
    EXPECT_EQ(len, 5u * 256u);
    const cmath_vect3Fixed64 c = v3(1, 1, 1);
    cmath_vect3Fixed64_getLength(&c, 0, &len);
    EXPECT_EQ(len, 1u);
    // s = 4: 1.5^2 >> 4 loses nothing, sqrt(3 * 2.25) = 2.598..., floored at 1/16: 41/16.
    const cmath_vect3Fixed64 d = v3(24, -24, 24);
    cmath_vect3Fixed64_getLength(&d, 4, &len);
    EXPECT_EQ(len, 41u);
}

TEST(Fixed, UnitFromLengthRoundsThroughOneFormula)
{
    cmath_vect3Fixed64 out = v3(-1, -1, -1);
    const cmath_vect3Fixed64 v = v3(3, 4, 0);
    EXPECT_EQ(cmath_vect3Fixed64_getUnitFromLength(&v, 0, 8, &out), cmath_errDivideByZero);
    EXPECT_TRUE(equals(out, -1, -1, -1));

    ASSERT_EQ(cmath_vect3Fixed64_getUnitFromLength(&v, 5, 8, &out), 0);
    EXPECT_TRUE(equals(out, 154, 205, 0));
    // Negative components go through the same formula: (-768 + 2) / 5 truncates to -153.
    const cmath_vect3Fixed64 n = v3(-3, -4, 7);
    ASSERT_EQ(cmath_vect3Fixed64_getUnitFromLength(&n, 5, 8, &out), 0);
    EXPECT_TRUE(equals(out, -153, -204, (7 * 256 + 2) / 5));
    // A negative length: h = -5 >> 1 = -3.
    ASSERT_EQ(cmath_vect3Fixed64_getUnitFromLength(&v, -5, 8, &out), 0);
    EXPECT_TRUE(equals(out, (768 - 3) / -5, (1024 - 3) / -5, -3 / -5));

    cmath_vect3Fixed64 self = v3(3, 4, 0);
    cmath_vect3Fixed64_getUnitFromLength(&self, 5, 8, &self); // aliased
    EXPECT_TRUE(equals(self, 154, 205, 0));

    // The round trip with getLength gives a vector of length 1.0 (256 at s = 8) up to rounding.
    const cmath_vect3Fixed64 w = v3(1000, -2000, 500);
    uint64_t len = 0;
    cmath_vect3Fixed64_getLength(&w, 8, &len);
    cmath_vect3Fixed64_getUnitFromLength(&w, static_cast<int64_t>(len), 8, &out);
    cmath_vect3Fixed64_getLength(&out, 8, &len);
    EXPECT_NEAR(static_cast<double>(len), 256.0, 2.0);

    // The one unrepresentable quotient saturates instead of trapping.
    const cmath_vect3Fixed64 m = v3(INT64_MIN + 1, 0, 0);
    ASSERT_EQ(cmath_vect3Fixed64_getUnitFromLength(&m, -1, 0, &out), 0);
    EXPECT_EQ(out.x, INT64_MAX);

    cmath_vect3Fixed64_initClear(&out);
    EXPECT_TRUE(equals(out, 0, 0, 0));
}

TEST(Fixed, DirectionOf31_4Vectors)
{
    cmath_radian r{};
    const cmath_vectFixed31_4 down{0, -16}, diag{16, 16}, left{-1, 0};
    cmath_vectFixed31_4_getAngle(&down, &r);
    EXPECT_EQ(r.value, -kPi / 2);
    cmath_vectFixed31_4_getAngle(&diag, &r);
    EXPECT_EQ(r.value, kPi / 4);
    cmath_vectFixed31_4_getAngle(&left, &r);
    EXPECT_EQ(r.value, kPi);
    const cmath_vectFixed31_4 big{INT32_MIN, INT32_MAX};
    cmath_vectFixed31_4_getAngle(&big, &r);
    EXPECT_EQ(r.value, std::atan2(2147483647.0, -2147483648.0));
}
