// Compact checks for the "call, check the status, check the output" pattern: the value an
// operation writes; rows of a flat function's calls with their exact results, run with a fresh
// output and with the output aliasing each operand of its type; refusals that must leave a
// sentinel-filled output bitwise untouched; a seeded generator.
#ifndef ORBMATH_TESTS_ORBTEST_A_H
#define ORBMATH_TESTS_ORBTEST_A_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>
#include <type_traits>
#include <utility>

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

// Marks the output in the arguments of a row.
struct Out {};
inline constexpr Out out{};

template <class T> T sentinel()
{
    T t;
    std::memset(&t, 0x5a, sizeof t);
    return t;
}

namespace detail {
// Argument J of a call whose output is *self; with I == J that operand is *self as well.
template <size_t I, size_t J, class W, class A> auto arg(A a, W* self)
{
    if constexpr (std::is_same_v<A, Out>) {
        return self;
    } else if constexpr (I == J) {
        return static_cast<A>(self);
    } else {
        return a;
    }
}
template <class W, class A> constexpr bool kOperand = std::is_same_v<A, const W*> || std::is_same_v<A, W*>;

// f(args...) with the output at *o, operand I (none when I is out of range) aliased to it.
template <size_t I, class F, class W, class... A, size_t... J>
cmath_status call(F f, W* o, std::index_sequence<J...>, A... args)
{
    return f(arg<I, J>(args, o)...);
}

// Every way of running the row: a fresh output first, then each operand of the output's type
// as the output. check(before, after, status, how) judges one run.
template <bool kAlias, class W, class F, class Check, class... A> void runs(F f, Check check, A... args)
{
    using Seq = std::index_sequence_for<A...>;
    W o = sentinel<W>();
    const W fresh = o;
    check(fresh, o, call<sizeof...(A)>(f, &o, Seq{}, args...), "fresh output");
    if constexpr (kAlias) {
        const std::tuple<A...> t(args...);
        [&]<size_t... I>(std::index_sequence<I...>) {
            ([&] {
                if constexpr (kOperand<W, std::tuple_element_t<I, std::tuple<A...>>>) {
                    W self = *std::get<I>(t);
                    const W before = self;
                    check(before, self, call<I>(f, &self, Seq{}, args...), "output aliasing an operand");
                }
            }(), ...);
        }(Seq{});
    }
}
} // namespace detail

// f(args...), `out` marking the output: status 0 and exactly `want`, also with the output
// aliasing any one operand of its type (unless kAlias is false, where the output must be a
// distinct object).
template <bool kAlias = true, class F, class W, class... A> void row(const char* name, F f, const W& want, A... args)
{
    SCOPED_TRACE(name);
    detail::runs<kAlias, W>(f, [&](const W&, const W& o, cmath_status st, const char* how) {
        EXPECT_EQ(st, 0) << how;
        EXPECT_TRUE(sameBytes(o, want)) << how;
    }, args...);
}

// f(args...) must return `status` and leave the output (fresh or aliasing an operand) as it was.
template <class W, class F, class... A> void refusal(const char* name, F f, cmath_status status, A... args)
{
    SCOPED_TRACE(name);
    detail::runs<true, W>(f, [&](const W& before, const W& o, cmath_status st, const char* how) {
        EXPECT_EQ(st, status) << how;
        EXPECT_TRUE(sameBytes(o, before)) << how;
    }, args...);
}

#define ROW(f, ...) ::orbtest::row(#f, f, __VA_ARGS__)
#define ROW_DISTINCT(f, ...) ::orbtest::row<false>(#f, f, __VA_ARGS__)
#define REFUSAL(W, f, ...) ::orbtest::refusal<W>(#f, f, __VA_ARGS__)

// A fixed-seed generator so that every run sees the same "random" cases.
struct Rng {
    std::mt19937_64 engine{0x0b5e55edULL};
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine); }
};

} // namespace orbtest

#endif
