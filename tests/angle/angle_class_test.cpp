// Angle classes: conversion rounding and modular binary arithmetic.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace {

constexpr double kK16Deg = 182.04444444444445;
constexpr double kK8Deg = 0.7111111111111111;
constexpr double kP = 6.283185307179586;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The classes share the layout of the flat records and counts.
static_assert(sizeof(cxAngle8) == 1 && sizeof(cxAngle16) == 2 && std::is_trivially_copyable_v<cxAngle16>);
static_assert(sizeof(cxDegree) == sizeof(cmath_degree) && sizeof(cxRadian) == sizeof(cmath_radian));

} // namespace

TEST(AngleConversion, BinaryCountsRoundTripThroughDegreesAndRadians)
{
    for (uint32_t c = 0; c < 65536; ++c) {
        const cxAngle16 a(static_cast<unsigned short>(c));
        const cxDegree d(a);
        const cxRadian r(a);
        ASSERT_EQ(d.plain(), c * (360.0 / 65536.0)) << c;
        ASSERT_EQ(r.plain(), c * 9.587379924285257e-05) << c;
        ASSERT_TRUE(d.plain() >= 0.0 && d.plain() < 360.0);
        ASSERT_TRUE(r.plain() >= 0.0 && r.plain() < kP);
        ASSERT_EQ(cxAngle16(d).plain(), c) << c;
        ASSERT_EQ(cxAngle16(r).plain(), c) << c;
        // Nearest 8-bit count with halves up, wrapping past the last.
        const auto nearest8 = static_cast<unsigned>(std::floor(c / 256.0 + 0.5)) & 255u;
        ASSERT_EQ(cxAngle8(a).plain(), nearest8) << c;
        // A third of a step either way still rounds to the same count.
        ASSERT_EQ(cxAngle16(cxDegree(d.plain() + 0.0054931640625 / 3)).plain(), c) << c;
        ASSERT_EQ(cxAngle16(cxDegree(d.plain() - 0.0054931640625 / 3)).plain(), c) << c;
    }
    for (uint32_t c = 0; c < 256; ++c) {
        const cxAngle8 a(static_cast<unsigned char>(c));
        EXPECT_EQ(cxAngle16(a).plain(), c << 8);
        EXPECT_EQ(cxDegree(a).plain(), c * 1.40625);
        EXPECT_EQ(cxAngle8(cxDegree(a)).plain(), c);
        EXPECT_EQ(cxAngle8(cxRadian(a)).plain(), c);
    }
}

TEST(AngleConversion, WrapAroundAndTheThirtyTwoBitEdges)
{
    // floor(x) = 2^31 - 1 keeps its low bits; 2^31 leaves the 32-bit range and gives 0;
    // floor(x) = -2^31 + 1 is 0x80000001 (count 1); one step below -2^31 leaves the range.
    const double degrees16[][2] = {{720.0 + 90.0, 16384},         {-270.0, 16384},
                                   {2147483647.0 / kK16Deg, 65535}, {2147483648.0 / kK16Deg, 0},
                                   {-2147483647.0 / kK16Deg, 1},    {-2147483649.0 / kK16Deg, 0},
                                   {1e300, 0},                      {kNaN, 0}};
    for (const auto& c : degrees16) {
        EXPECT_EQ(cxAngle16(cxDegree(c[0])).plain(), c[1]) << c[0];
    }
    EXPECT_EQ(cxAngle8(cxDegree(-360.0 * 3 - 90.0)).plain(), 192);
    EXPECT_EQ(cxAngle8(cxDegree(2147483647.0 / kK8Deg)).plain(), 255);
}

namespace {

// Every operator of a binary angle class A whose largest count is `top`: all wrap modulo one turn.
template <class A, class U>
void expectWraps(U top)
{
    const U two = 2;
    const A a(top), b(two);
    A c = a;
    EXPECT_TRUE((a + b).plain() == 1 && (b - a).plain() == 3 && (-b).plain() == top - 1 && (a * top).plain() == 1 &&
                a * a == 1 && (a / two).plain() == top / 2 && a / b == top / 2);
    EXPECT_TRUE((c += b).plain() == 1 && (c -= a).plain() == 2 && (c *= top).plain() == top - 1 &&
                (c *= b).plain() == top - 3 && (c /= two).plain() == (top - 3) / 2 &&
                (c /= b).plain() == (top - 3) / 4);
    EXPECT_TRUE(a > b && b < a && a >= a && b <= a && a != b && !(a == b) && a.toDouble() == top &&
                (c = two).plain() == 2);
}

} // namespace

TEST(BinaryAngle, EveryOperatorWrapsModuloOneTurn)
{
    expectWraps<cxAngle16, unsigned short>(65535);
    expectWraps<cxAngle8, unsigned char>(255);
}
