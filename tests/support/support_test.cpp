// The support layer: the scalar helpers, the vector of doubles, diagnostics and the allocator's
// failure switch.
#include "fault.h"
#include "orbtest_a.h"

#include <cmath>
#include <vector>

TEST(Scalars, EdgesOfEachHelper)
{
    const struct {
        double a, b, eps;
        int32_t equal;
    } eq[] = {{1.0, 1.5, 0.5, 1}, {1.0, std::nextafter(1.5, 2.0), 0.5, 0}, {2.0, 1.0, 0.5, 0},
              {INFINITY, INFINITY, 0.0, 1}, {NAN, NAN, 1.0, 0}};
    for (const auto& c : eq) {
        EXPECT_EQ(cmath_double_epsilonEqual(c.a, c.b, c.eps), c.equal) << c.a << " " << c.b;
    }
    EXPECT_TRUE(cmath_double_sqr(-1.5) == 2.25 && cmath_double_min(2.0, -3.0) == -3.0 &&
                cmath_double_min(-3.0, 2.0) == -3.0 && cmath_double_max(2.0, -3.0) == 2.0 &&
                cmath_double_max(-3.0, 2.0) == 2.0 && cf_fmod64MSVC8Workaround(-7.5, 2.0) == -1.5);
    // The floor of the square root, also where the double estimate is off by one.
    const uint64_t big = 0xFFFFFFFFull * 0xFFFFFFFFull;
    const uint64_t roots[][2] = {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {15, 3}, {16, 4}, {big, 0xFFFFFFFF},
                                 {big - 1, 0xFFFFFFFE}, {UINT64_MAX, 0xFFFFFFFF}, {(1ull << 52) + 1, 1ull << 26}};
    for (const auto& r : roots) {
        EXPECT_EQ(cmath_sqrt64(r[0]), r[1]) << r[0];
    }
}

TEST(VectorOfDoubles, GrowsKeepsValuesAndFailsCleanly)
{
    const int64_t base = csys_memory_testOutstanding();
    cstd_vectord v;
    ASSERT_EQ(cstd_vectord_constructEmpty(&v), 0);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(cstd_vectord_pushBack(&v, i * 0.5), 0);
    }
    // Every accessor sees the five values, kept across the growth from 4 to 8.
    const double *b = nullptr, *c = nullptr;
    double *d = nullptr, *e = nullptr;
    intptr_t n = 0, m = 0;
    ASSERT_TRUE(cstd_vectord_getBeginSizeConst(&v, &b, &n) == 0 && cstd_vectord_getBeginSize(&v, &d, &m) == 0);
    ASSERT_TRUE(cstd_vectord_getBeginConst(&v, &c) == 0 && cstd_vectord_getBegin(&v, &e) == 0);
    EXPECT_TRUE(n == 5 && m == 5 && b == v.begin && c == b && d == b && e == b && v.capacity == 8);
    EXPECT_TRUE(b[0] == 0.0 && b[1] == 0.5 && b[2] == 1.0 && b[3] == 1.5 && b[4] == 2.0);
    EXPECT_TRUE(cstd_vectord_reserve(&v, 8) == 0 && cstd_vectord_reserve(&v, 2) == 0 && v.begin == b); // no growth
    // A failed growth leaves the vector as it was.
    for (bool push : {true, false}) {
        while (v.size < v.capacity) {
            ASSERT_EQ(cstd_vectord_pushBack(&v, 1.0), 0); // full: growing needs a new block
        }
        const cstd_vectord before = v;
        const double last = v.begin[v.size - 1];
        EXPECT_EQ(orbtest::sweepAllocations([&](bool) {
            const cmath_status st = push ? cstd_vectord_pushBack(&v, -2.0) : cstd_vectord_reserve(&v, 4 * v.capacity);
            if (st < 0) {
                EXPECT_TRUE(st == csys_errNoMemory && orbtest::sameBytes(v, before));
                EXPECT_EQ(v.begin[v.size - 1], last);
            }
            return st;
        }), 1);
    }
    EXPECT_TRUE(cstd_vectord_destruct(&v) == 0 && csys_memory_testOutstanding() == base);
}

TEST(Diagnostics, WritesFormattedText)
{
    testing::internal::CaptureStderr();
    cfDiagPrint2(0, u"value %d of %.2f %ls \u20ac\U0001F600\u0080\n", 7, 2.5, L"\u00e9t\u00e9");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "value 7 of 2.50 \xc3\xa9t\xc3\xa9 \xe2\x82\xac\xf0\x9f\x98\x80\xc2\x80\n");
}

// A kind whose table answers nothing leaves the generic names to the vector; a failing one passes up.
TEST(VectorShareable, KindsAnsweringNothingOrFailing)
{
    const cstd_sharedTypeTable silent = {[](void*, const char16_t*, void** o) { return *o = nullptr, 0; }, nullptr};
    const cstd_sharedTypeTable failing = {
        [](void*, const char16_t*, void** o) { return *o = nullptr, cmath_errTypeMismatch; }, nullptr};
    cstd_vector v;
    cstd_vectorShareable s, f;
    ASSERT_TRUE(cstd_vector__constructWithVtable(&v, 2, sizeof(int32_t), nullptr) == 0 &&
                cstd_vectorShareable_construct(&s, &v, &silent, nullptr) == 0 &&
                cstd_vectorShareable_construct(&f, &v, &failing, nullptr) == 0);
    void* out = nullptr;
    EXPECT_TRUE(cstd_vectorShareable_queryInterfaceByTypename(&s, u"cstd_shared", &out) == 0 && out == &s.shared);
    EXPECT_TRUE(cstd_vectorShareable_queryInterfaceByTypename(&f, u"cstd_shared", &out) == cmath_errTypeMismatch &&
                out == nullptr);
    EXPECT_TRUE(cstd_vectorShareable_destruct(&s) == 0 && cstd_vectorShareable_destruct(&f) == 0 &&
                cstd_vector__destruct(&v) == 0);
}

TEST(Memory, FailureSwitchFailsTheNthRequestOnceOrFromThereOn)
{
    for (const int32_t persistent : {0, 1}) {
        csys_memory_testFailAfter(2, persistent);
        void* block[3] = {nullptr, nullptr, nullptr};
        const cmath_status want[3] = {0, csys_errNoMemory, persistent ? csys_errNoMemory : 0};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(csys_memory_alloc_internal(16, &block[i]), want[i]) << persistent << " " << i;
            EXPECT_EQ(block[i] == nullptr, want[i] != 0);
        }
        csys_memory_testFailAfter(0, 0);
        for (void*& b : block) {
            if (b != nullptr) {
                csys_memory_free_internal(&b);
            }
        }
    }
}
