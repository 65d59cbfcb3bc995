// Compact checks for the "call, check the status, check the output" pattern: the value an
// operation writes, and refusals that must leave a sentinel-filled output bitwise untouched.
#ifndef ORBMATH_TESTS_ORBTEST_A_H
#define ORBMATH_TESTS_ORBTEST_A_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

namespace orbtest {

// Bitwise equality of two plain values (tells -0.0 from 0.0 and the last bit of every field).
template <class T>
::testing::AssertionResult sameBytes(const T& a, const T& b)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (std::memcmp(&a, &b, sizeof(T)) == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << ::testing::PrintToString(a) << " vs " << ::testing::PrintToString(b);
}

// The generator state has padding after its five counters, which nothing writes: its fields.
inline ::testing::AssertionResult sameBytes(const csRandomUniform2& a, const csRandomUniform2& b)
{
    if (a.seed == b.seed && a.count == b.count && a.ix1 == b.ix1 && a.ix2 == b.ix2 && a.ix3 == b.ix3 &&
        std::memcmp(a.table, b.table, sizeof a.table) == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "generator states differ (seed " << a.seed << " vs " << b.seed
                                         << ", count " << a.count << " vs " << b.count << ")";
}

// What f(args..., &out) writes; the call must succeed.
template <class T, class F, class... A>
T result(F f, A... args)
{
    T out{};
    const cmath_status st = f(args..., &out);
    EXPECT_EQ(st, 0) << "status of a call expected to succeed";
    return out;
}

// Runs op(&out) with out holding `sentinel`; it must return `want` and leave out untouched.
template <class T, class Op>
::testing::AssertionResult refusesWith(cmath_status want, const T& sentinel, Op op)
{
    T out = sentinel;
    const cmath_status st = op(&out);
    if (st != want) {
        return ::testing::AssertionFailure() << "status " << st << ", expected " << want;
    }
    if (std::memcmp(&out, &sentinel, sizeof(T)) != 0) {
        return ::testing::AssertionFailure() << "output written by a refused call";
    }
    return ::testing::AssertionSuccess();
}

// The same for an output passed last: f(args..., &out).
template <class T, class F, class... A>
::testing::AssertionResult refuses(cmath_status want, const T& sentinel, F f, A... args)
{
    return refusesWith(want, sentinel, [&](T* out) { return f(args..., out); });
}

} // namespace orbtest

#endif
