// Threads sharing transforms: reading and deriving from the same objects gives, bit for bit, what
// one thread alone gets, and every object is destroyed exactly once. (Plain shared objects on many
// threads: tests/support.) The ThreadSanitizer build runs these.
#include "fault.h"
#include "xform_handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using orbtest::Handle;

constexpr int kThreads = 4;

const cmath_xformLinear kA = {{1.0, 2.0}, {2.0, 0.5, -1.0, 1.5}};
const cmath_xformLinear kB = {{-3.0, 0.25}, {0.0, -1.0, 1.0, 0.0}};

// What one thread computes from the shared handles; compared bit for bit.
struct Results {
    cmath_vect mapped[3];
    cmath_xformLinear linear[2];
    cmath_vect derived[3];
    int32_t equal;
    bool operator==(const Results& o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};

// The failing calls among one round's: reading the shared handles, then new objects made from
// them, used and released on this thread (the list is evaluated in order).
int compute(const Handle& a, const Handle& chain, const Handle& nested, int i, Results* r)
{
    std::memset(r, 0, sizeof *r);
    const cmath_vect p = {0.5 + i, -0.25 * i};
    cmath_xformPtrhConst copy, inverse, composed;
    const cmath_status st[] = {
        cmath_xformPtrhConst_mapPoint(&a.h, &p, &r->mapped[0]),
        cmath_xformPtrhConst_mapPoint(&chain.h, &p, &r->mapped[1]),
        cmath_xformPtrhConst_mapPoint(&nested.h, &p, &r->mapped[2]),
        cmath_xformPtrhConst_getLinear(&chain.h, &p, &r->linear[0]),
        cmath_xformPtrhConst_getLinear(&nested.h, nullptr, &r->linear[1]),
        cmath_xformPtrhConst_compareEqual(&chain.h, &nested.h, &r->equal),
        cmath_xformPtrhConst_construct(&inverse),
        cmath_xformPtrhConst_construct(&composed),
        cmath_xformPtrhConst_constructCopy(&copy, &nested.h),
        cmath_xformPtrhConst_cloneConst(&chain.h, &copy),
        cmath_xformPtrhConst_getInverseConst(&nested.h, &inverse),
        cmath_xformPtrhConst_assignCompose3(&composed, &nested.h, &chain.h, &a.h),
        cmath_xformPtrhConst_mapPoint(&copy, &p, &r->derived[0]),
        cmath_xformPtrhConst_mapPoint(&inverse, &p, &r->derived[1]),
        cmath_xformPtrhConst_mapPoint(&composed, &p, &r->derived[2]),
        cmath_xformPtrhConst_destruct(&composed) | cmath_xformPtrhConst_destruct(&inverse) | cmath_xformPtrhConst_destruct(&copy),
    };
    return static_cast<int>(std::count_if(std::begin(st), std::end(st), [](cmath_status s) { return s < 0; }));
}

// Runs fn(t) on kThreads threads at once; returns the sum of what they return.
template <class Fn>
int onThreads(Fn fn)
{
    std::atomic<int> sum{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t]() { sum.fetch_add(fn(t)); });
    }
    for (std::thread& th : threads) {
        th.join();
    }
    return sum.load();
}

TEST(Concurrency, ThreadsReadAndDeriveFromSharedTransforms)
{
    const int64_t baseline = csys_memory_testOutstanding();
    {
        Handle a(kA), b(kB), chain, nested;
        orbtest::makeChain(chain, {&a, &b});
        orbtest::makeChain(nested, {&chain, &a, &b});
        constexpr int kRounds = 64;
        std::vector<Results> alone(kRounds);
        for (int i = 0; i < kRounds; ++i) {
            ASSERT_EQ(compute(a, chain, nested, i, &alone[static_cast<size_t>(i)]), 0);
        }
        const std::vector<int64_t> refs = {a.refs(), chain.refs(), nested.refs()};
        // Failed calls and results that differ from the lone thread's.
        EXPECT_EQ(onThreads([&](int t) {
                      int bad = 0;
                      for (int round = 0; round < 20 * kRounds; ++round) {
                          const int k = (round + t * 7) % kRounds;
                          Results r;
                          bad += compute(a, chain, nested, k, &r) + (r == alone[static_cast<size_t>(k)] ? 0 : 1);
                      }
                      return bad;
                  }),
                  0);
        EXPECT_EQ((std::vector<int64_t>{a.refs(), chain.refs(), nested.refs()}), refs);
    }
    EXPECT_EQ(csys_memory_testOutstanding(), baseline);
}

// The last release of a chain may happen on any thread: each thread drops its handle to a chain
// that holds parts shared with the other threads' chains.
TEST(Concurrency, LastReleaseOfSharedPartsOnAnyThread)
{
    const int64_t baseline = csys_memory_testOutstanding();
    for (int round = 0; round < 50; ++round) {
        std::vector<cmath_xformPtrhConst> mine(kThreads);
        std::atomic<int> destroyed{0};
        {
            Handle a(kA), b(0.25, &destroyed); // b: a warp that counts its destructions
            for (cmath_xformPtrhConst& h : mine) {
                Handle c;
                orbtest::makeChain(c, {&a, &b});
                ASSERT_EQ(cmath_xformPtrhConst_construct(&h), 0);
                ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&h, &a.h, &b.h), 0);
                ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&h, &c.h, &h), 0);
            }
        } // only the threads' chains hold a and b now
        EXPECT_EQ(onThreads([&](int t) {
                      const cmath_vect p = {1.0, 1.0};
                      cmath_vect q;
                      cmath_xformPtrhConst* h = &mine[static_cast<size_t>(t)];
                      return (cmath_xformPtrhConst_mapPoint(h, &p, &q) < 0) + (cmath_xformPtrhConst_destruct(h) < 0);
                  }),
                  0);
        EXPECT_EQ(destroyed.load(), 1);
    }
    EXPECT_EQ(csys_memory_testOutstanding(), baseline);
}

} // namespace
