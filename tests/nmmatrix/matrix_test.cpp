// cxNMMatrix storage, life cycle, element access and the element tolerance.
#include "fault.h"
#include "nm_helpers.h"

#include <cmath>
#include <limits>

using nmtest::at;
using nmtest::setRows;
using nmtest::values;

TEST(NMMatrixStorage, NewMatrixIsEmpty)
{
    cxNMMatrix m;
    EXPECT_EQ(m.rows(), 0);
    EXPECT_EQ(m.cols(), 0);
    EXPECT_TRUE(m.isSquare());
    EXPECT_TRUE(m.isSymmetric());
    EXPECT_TRUE(m == 0.0);
    EXPECT_TRUE(m == 12345.0);
    EXPECT_FALSE(m != -1.0);
    EXPECT_TRUE(m.isSizeEqual(0, 0));
    EXPECT_EQ(m.reset(), 0);
    EXPECT_EQ(m.assign(3.0), 0);
    EXPECT_EQ(m.identity(), 0);
    cxNMMatrix other;
    EXPECT_TRUE(m == other);
}

TEST(NMMatrixStorage, ResizeRulesAndStorageReuse)
{
    cxNMMatrix m;
    ASSERT_EQ(m.initResize(3, 4, 2.5), 0);
    EXPECT_EQ(m.rows(), 3);
    EXPECT_EQ(m.cols(), 4);
    EXPECT_EQ(values(m), std::vector<double>(12, 2.5));

    // Sizes below 1 are refused and change nothing.
    EXPECT_EQ(m.initResize(0, 5), cxNMMatrix_errBadSize);
    EXPECT_EQ(m.initResize(3, 0), cxNMMatrix_errBadSize);
    EXPECT_EQ(m.initResize(-1, -1, 7.0), cxNMMatrix_errBadSize);
    EXPECT_TRUE(m.isSizeEqual(3, 4));
    EXPECT_EQ(values(m), std::vector<double>(12, 2.5));

    // The same size keeps storage and values and allocates nothing.
    ASSERT_EQ(m.setElement(2, 3, -8.0), 0);
    const int64_t before = csys_memory_testRequests();
    EXPECT_EQ(m.initResize(3, 4), 0);
    EXPECT_EQ(csys_memory_testRequests(), before);
    EXPECT_EQ(at(m, 2, 3), -8.0);
    EXPECT_EQ(at(m, 0, 0), 2.5);

    // Another size replaces the storage: one element block and one row table.
    EXPECT_EQ(m.initResize(4, 3), 0);
    EXPECT_EQ(csys_memory_testRequests(), before + 2);
    EXPECT_TRUE(m.isSizeEqual(4, 3));
    EXPECT_EQ(m.initResize(4, 3, -1.0), 0);
    EXPECT_EQ(values(m), std::vector<double>(12, -1.0));
    EXPECT_EQ(m.reset(), 0);
    EXPECT_EQ(values(m), std::vector<double>(12, 0.0));
}

TEST(NMMatrixStorage, FailedAllocationLeavesAnEmptyUsableMatrix)
{
    const int covered = orbtest::sweepAllocations([](bool) -> cmath_status {
        cxNMMatrix m;
        const long st = m.initResize(5, 3, 4.0);
        if (st < 0) {
            EXPECT_EQ(st, csys_errNoMemory);
            EXPECT_TRUE(m.isSizeEqual(0, 0));
            EXPECT_TRUE(m == 4.0); // no elements
            EXPECT_EQ(m.initResize(1, 1, 9.0), 0); // usable again
            EXPECT_EQ(at(m, 0, 0), 9.0);
        } else {
            EXPECT_EQ(values(m), std::vector<double>(15, 4.0));
        }
        return static_cast<cmath_status>(st);
    });
    EXPECT_EQ(covered, 2); // the element block, then the row table
}

TEST(NMMatrixStorage, AllocationFailureInsideResizeSweep)
{
    // Every request of the resize failing in turn: the element block, then the row table.
    cxNMMatrix m;
    ASSERT_EQ(m.initResize(1, 2, 3.0), 0);
    orbtest::FaultGuard guard;
    for (int n = 1; n <= 2; ++n) {
        ASSERT_EQ(m.initResize(1, 2, 3.0), 0);
        const int64_t outstanding = csys_memory_testOutstanding();
        csys_memory_testFailAfter(n, 0);
        EXPECT_EQ(m.initResize(6, 7), csys_errNoMemory);
        csys_memory_testFailAfter(0, 0);
        EXPECT_TRUE(m.isSizeEqual(0, 0));
        EXPECT_EQ(csys_memory_testOutstanding(), outstanding - 2); // old storage released too
    }
    EXPECT_EQ(m.initResize(6, 7, 1.0), 0);
}

TEST(NMMatrixStorage, AssignIdentityAndI)
{
    cxNMMatrix a, b;
    setRows(a, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(a.assign(a), 0);
    EXPECT_EQ(values(a), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(b.initResize(7, 7, 0.0), 0);
    EXPECT_EQ(b.assign(a), 0);
    EXPECT_TRUE(b.isSizeEqual(2, 3));
    EXPECT_EQ(values(b), values(a));
    EXPECT_EQ(b.assign(-0.5), 0);
    EXPECT_EQ(values(b), std::vector<double>(6, -0.5));

    EXPECT_EQ(a.identity(), cxNMMatrix_errNotSquare);
    EXPECT_EQ(values(a), (std::vector<double>{1, 2, 3, 4, 5, 6}));

    EXPECT_EQ(cxNMMatrix::I(0, a), cxNMMatrix_errBadSize);
    EXPECT_EQ(cxNMMatrix::I(-3, a), cxNMMatrix_errBadSize);
    EXPECT_EQ(values(a), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(cxNMMatrix::I(3, a), 0);
    EXPECT_EQ(values(a), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    setRows(b, {{5, 5}, {5, 5}});
    EXPECT_EQ(b.identity(), 0);
    EXPECT_EQ(values(b), (std::vector<double>{1, 0, 0, 1}));

    // An assigned empty matrix empties the target.
    cxNMMatrix empty;
    EXPECT_EQ(b.assign(empty), 0);
    EXPECT_TRUE(b.isSizeEqual(0, 0));

    orbtest::sweepAllocations([&](bool) -> cmath_status {
        cxNMMatrix t;
        const long st = t.assign(a);
        if (st < 0) {
            EXPECT_TRUE(t.isSizeEqual(0, 0));
        } else {
            EXPECT_EQ(values(t), values(a));
        }
        return static_cast<cmath_status>(st);
    });
    orbtest::sweepAllocations([&](bool) -> cmath_status {
        cxNMMatrix t;
        const long st = cxNMMatrix::I(4, t);
        if (st >= 0) {
            EXPECT_TRUE(t.isSymmetric());
            EXPECT_EQ(at(t, 3, 3), 1.0);
        }
        return static_cast<cmath_status>(st);
    });
}

TEST(NMMatrixStorage, ElementAccessChecksRowBeforeColumn)
{
    cxNMMatrix m;
    setRows(m, {{1, 2}, {3, 4}});
    double out = -7.5;
    EXPECT_EQ(m.getElement(3, 7, out), cxNMMatrix_errBadRow);
    EXPECT_EQ(m.getElement(-1, -1, out), cxNMMatrix_errBadRow);
    EXPECT_EQ(m.getElement(2, 0, out), cxNMMatrix_errBadRow);
    EXPECT_EQ(m.getElement(1, 7, out), cxNMMatrix_errBadColumn);
    EXPECT_EQ(m.getElement(0, -1, out), cxNMMatrix_errBadColumn);
    EXPECT_EQ(m.getElement(0, 2, out), cxNMMatrix_errBadColumn);
    EXPECT_EQ(out, -7.5);
    EXPECT_EQ(m.getElement(1, 0, out), 0);
    EXPECT_EQ(out, 3.0);

    cxNMMatrix t;
    setRows(t, {{1, 2}, {3, 4}, {5, 6}});
    EXPECT_EQ(t.setElement(1, 2, 9.0), cxNMMatrix_errBadColumn);
    EXPECT_EQ(t.setElement(3, 0, 9.0), cxNMMatrix_errBadRow);
    EXPECT_EQ(t.setElement(3, 2, 9.0), cxNMMatrix_errBadRow);
    EXPECT_EQ(t.setElement(0, -1, 9.0), cxNMMatrix_errBadColumn);
    EXPECT_EQ(values(t), (std::vector<double>{1, 2, 3, 4, 5, 6}));

    cxNMMatrix empty;
    EXPECT_EQ(empty.getElement(0, 0, out), cxNMMatrix_errBadRow);
    EXPECT_EQ(empty.setElement(0, 0, 1.0), cxNMMatrix_errBadRow);
}

namespace {
bool pairEqual(double a, double b)
{
    cxNMMatrix x, y;
    EXPECT_EQ(x.initResize(1, 1, a), 0);
    EXPECT_EQ(y.initResize(1, 1, b), 0);
    const bool eq = x == y;
    EXPECT_EQ(eq, y == x);
    EXPECT_EQ(eq, !(x != y));
    EXPECT_EQ(eq, x == b);
    EXPECT_EQ(eq, !(x != b));
    // isSymmetric compares (0, 1) with (1, 0) by the same rule.
    cxNMMatrix s;
    EXPECT_EQ(s.initResize(2, 2, 0.0), 0);
    EXPECT_EQ(s.setElement(0, 1, a), 0);
    EXPECT_EQ(s.setElement(1, 0, b), 0);
    EXPECT_EQ(eq, s.isSymmetric());
    return eq;
}
} // namespace

TEST(NMMatrixCompare, ElementToleranceAtItsBoundary)
{
    // Absolute 1e-12 below magnitude 1.
    EXPECT_TRUE(pairEqual(0.1, 0.1 + 5e-13));
    EXPECT_FALSE(pairEqual(0.1, 0.1 + 2e-12));
    EXPECT_TRUE(pairEqual(0.0, 1e-12));
    EXPECT_FALSE(pairEqual(0.0, std::nextafter(1e-12, 1.0)));
    EXPECT_TRUE(pairEqual(-1e-12, 0.0));
    // Relative 1e-12 * (|a| + |b|) from magnitude 1 on.
    EXPECT_TRUE(pairEqual(1000.0, 1000.0 + 1e-9));
    EXPECT_FALSE(pairEqual(1000.0, 1000.0 + 2.5e-9));
    EXPECT_TRUE(pairEqual(2.0, 2.0 + std::ldexp(1.0, -38)));  // 3.6e-12 <= 4e-12
    EXPECT_FALSE(pairEqual(2.0, 2.0 + std::ldexp(1.0, -37))); // 7.3e-12 >  4e-12
    // Just below s = 1 the absolute rule holds: 0.5 and 0.5 - 1.5e-12 (s < 1) differ.
    EXPECT_FALSE(pairEqual(0.5, 0.5 - 1.5e-12));
    EXPECT_TRUE(pairEqual(0.5, 0.5 - 0.9e-12));
    // A NaN difference is not "greater", so it counts as equal.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(pairEqual(1.0, nan));
    EXPECT_TRUE(pairEqual(nan, nan));
    EXPECT_FALSE(pairEqual(1.0, -1.0));
}

TEST(NMMatrixCompare, SizesScanAndSymmetry)
{
    cxNMMatrix a, b;
    setRows(a, {{1, 2, 3}, {4, 5, 6}});
    setRows(b, {{1, 2}, {3, 4}, {5, 6}});
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    EXPECT_FALSE(a.isSymmetric());
    EXPECT_TRUE(a.isSizeEqual(2, 3));
    EXPECT_FALSE(a.isSizeEqual(b));
    ASSERT_EQ(b.initResize(2, 3), 0);
    EXPECT_TRUE(a.isSizeEqual(b));
    ASSERT_EQ(b.assign(a), 0);
    EXPECT_TRUE(a == b);
    ASSERT_EQ(b.setElement(1, 2, 6.1), 0); // the last element differs
    EXPECT_FALSE(a == b);

    cxNMMatrix c;
    ASSERT_EQ(c.initResize(2, 3, 4.0), 0);
    EXPECT_TRUE(c == 4.0);
    EXPECT_FALSE(c == 4.01);
    ASSERT_EQ(c.setElement(1, 2, 4.0 + 1e-12), 0);
    EXPECT_TRUE(c == 4.0);

    // The diagonal is not examined.
    cxNMMatrix s;
    setRows(s, {{1, 7, 8}, {7, 100, 9}, {8, 9, -3}});
    EXPECT_TRUE(s.isSymmetric());
    ASSERT_EQ(s.setElement(2, 1, 9.5), 0);
    EXPECT_FALSE(s.isSymmetric());
}
