// The support layer: allocator accounting and fault injection, the clean-up list's run rules,
// the scalar helpers, the vector of doubles and the C view of the headers.
#include "fault.h"
#include "orbtest_a.h"

#include <cmath>
#include <vector>

extern "C" int orbmath_c_interface_check(void);

TEST(CInterface, HeadersCompileAsC11AndCallsWork)
{
    const int64_t blocks = csys_memory_testOutstanding();
    EXPECT_EQ(orbmath_c_interface_check(), 0);
    EXPECT_EQ(csys_memory_testOutstanding(), blocks);
}

// The sweeps rely on failing exactly the nth request; here: the out pointer of a failed request
// is untouched, the persistent mode fails every later request, and the counts balance.
TEST(Memory, FailedRequestsWriteNothingAndPersistentModeFailsAll)
{
    orbtest::FaultGuard guard;
    const int64_t base = csys_memory_testOutstanding();
    void* b = &guard;
    csys_memory_testFailAfter(1, 0);
    EXPECT_EQ(csys_memory_alloc_internal(8, &b), csys_errNoMemory);
    EXPECT_EQ(b, &guard);
    csys_memory_testFailAfter(1, 1);
    EXPECT_EQ(cxfMalloc(8), nullptr);
    EXPECT_EQ(cxfMalloc(8), nullptr);
    csys_memory_testFailAfter(0, 0);
    ASSERT_EQ(csys_memory_alloc_internal(16, &b), 0);
    EXPECT_EQ(csys_memory_testOutstanding(), base + 1);
    EXPECT_EQ(csys_memory_free_internal(&b), 0);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(csys_memory_free_internal(&b), 0); // a null block is no error
    EXPECT_EQ(csys_memory_testOutstanding(), base);
}

namespace {
std::vector<int>* g_log = nullptr;
void logAction(void* target) { g_log->push_back(*static_cast<int*>(target)); }
} // namespace

TEST(Cleanup, KindsRunInTheirCasesLastFirst)
{
    std::vector<int> log;
    g_log = &log;
    int ids[4] = {1, 2, 3, 4};
    for (cmath_status st : {cmath_status{0}, cmath_status{5}, cmath_errSingular}) {
        log.clear();
        csys_cleanupRecord rec[4] = {
            {0, csys_cleanup_freshBlock, &ids[0], logAction},
            {1, csys_cleanup_freshObject, &ids[1], logAction},
            {2, csys_cleanup_workBlock, &ids[2], logAction},
            {3, csys_cleanup_tempHandle, &ids[3], logAction},
        };
        int32_t count = 4;
        cmath_status s = st;
        csys_cleanupExecute_(rec, &count, &s, 0xFFFFFFFFu);
        EXPECT_EQ(s, st);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(log, st < 0 ? (std::vector<int>{4, 3, 2, 1}) : (std::vector<int>{4, 3}));
    }

}

TEST(Scalars, EpsilonEqualAtItsEdges)
{
    EXPECT_EQ(cmath_double_epsilonEqual(1.0, 1.5, 0.5), 1);
    EXPECT_EQ(cmath_double_epsilonEqual(1.0, std::nextafter(1.5, 2.0), 0.5), 0);
    EXPECT_EQ(cmath_double_epsilonEqual(INFINITY, INFINITY, 0.0), 1);
    EXPECT_EQ(cmath_double_epsilonEqual(NAN, NAN, 1.0), 0);
    // cmath_sqrt64 and the fmod work-around: pinned bit for bit by the golden test.
}

TEST(VectorOfDoubles, GrowsKeepsValuesAndFailsCleanly)
{
    const int64_t base = csys_memory_testOutstanding();
    cstd_vectord v;
    ASSERT_EQ(cstd_vectord_constructEmpty(&v), 0);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(cstd_vectord_pushBack(&v, i * 0.5), 0);
    }
    const double* b = nullptr;
    intptr_t n = 0;
    ASSERT_EQ(cstd_vectord_getBeginSizeConst(&v, &b, &n), 0);
    EXPECT_TRUE(n == 5 && b[4] == 2.0); // (the chi-squared test's grouping runs on these vectors)
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
                EXPECT_EQ(st, csys_errNoMemory);
                EXPECT_TRUE(orbtest::sameBytes(v, before));
                EXPECT_EQ(v.begin[v.size - 1], last);
            }
            return st;
        }), 1);
    }
    ASSERT_EQ(cstd_vectord_destruct(&v), 0);
    EXPECT_EQ(csys_memory_testOutstanding(), base);
}

TEST(Diagnostics, WritesFormattedText)
{
    testing::internal::CaptureStderr();
    cfDiagPrint2(0, u"value %d of %.2f %ls\n", 7, 2.5, L"\u00e9t\u00e9");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "value 7 of 2.50 \xc3\xa9t\xc3\xa9\n");
}
