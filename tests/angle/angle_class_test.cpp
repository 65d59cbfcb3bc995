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
