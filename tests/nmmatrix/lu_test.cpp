// Determinant and inverse through the pivoted LU decomposition.
#include "fault.h"
#include "linalg_helpers.h"
#include "nm_helpers.h"

#include <cmath>
#include <limits>

using latest::Dense;
using nmtest::setRows;

namespace {

double det(const cxNMMatrix& m, long* status = nullptr)
{
    double d = -12345.0;
    const long st = m.getDeterminant(d);
    if (status != nullptr) {
        *status = st;
    } else {
        EXPECT_EQ(st, 0);
    }
    return d;
}

} // namespace

TEST(LuDeterminant, ExactValuesOfSmallMatrices)
{
    cxNMMatrix m;
    setRows(m, {{0, 1}, {1, 0}});
    EXPECT_EQ(det(m), -1.0);
    setRows(m, {{5}});
    EXPECT_EQ(det(m), 5.0);
    // The rows tie in the scaled pivot test, the later one wins (parity -1), the second pivot
    // is exactly 0 and becomes 1e-20.
    setRows(m, {{1, 2}, {2, 4}});
    EXPECT_EQ(det(m), -2e-20);
    setRows(m, {{2, 0, 0}, {0, 3, 0}, {0, 0, 4}});
    EXPECT_EQ(det(m), 24.0);
    // A permutation matrix: only exchanges, the determinant is its sign.
    setRows(m, {{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}, {0, 1, 0, 0}});
    EXPECT_EQ(det(m), -1.0);
}

TEST(LuDeterminant, RowTestAndSizeErrors)
{
    cxNMMatrix m;
    long st = 0;
    setRows(m, {{0, 0}, {0, 0}});
    EXPECT_EQ(det(m, &st), 1.0);
    EXPECT_EQ(st, cxNMMatrix_errSingular);
    setRows(m, {{1e-16, 0}, {0, 1}});
    EXPECT_EQ(det(m, &st), 1.0);
    EXPECT_EQ(st, cxNMMatrix_errSingular);
    // Just above the row threshold the matrix is accepted.
    setRows(m, {{2e-15, 0}, {0, 1}});
    EXPECT_EQ(det(m, &st), 2e-15);
    EXPECT_EQ(st, 0);

    setRows(m, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(det(m, &st), -12345.0);
    EXPECT_EQ(st, cxNMMatrix_errNotSquare);
    cxNMMatrix empty;
    EXPECT_EQ(det(empty, &st), -12345.0);
    EXPECT_EQ(st, cxNMMatrix_errBadSize);
}

TEST(LuDeterminant, AgreesWithProductsAndTransposes)
{
    std::mt19937 rng(11);
    for (int n = 1; n <= 25; n += 3) {
        cxNMMatrix a, b, ab, at;
        latest::fromDense(a, latest::randomDense(rng, n, n));
        latest::fromDense(b, latest::randomDense(rng, n, n));
        ASSERT_EQ(ab.initMultiply(a, b), 0);
        ASSERT_EQ(a.getTranspose(at), 0);
        const double da = det(a);
        const double db = det(b);
        EXPECT_NEAR(det(ab), da * db, 1e-11 * std::fabs(da * db) + 1e-13) << n;
        EXPECT_NEAR(det(at), da, 1e-11 * std::fabs(da) + 1e-14) << n;
    }
}

TEST(LuInverse, SmallMatrixAndAliasing)
{
    cxNMMatrix m;
    setRows(m, {{4, 7}, {2, 6}});
    cxNMMatrix inv;
    ASSERT_EQ(m.getInverse(inv), 0);
    ASSERT_TRUE(inv.isSizeEqual(2, 2));
    EXPECT_NEAR(nmtest::at(inv, 0, 0), 0.6, 1e-15);
    EXPECT_NEAR(nmtest::at(inv, 0, 1), -0.7, 1e-15);
    EXPECT_NEAR(nmtest::at(inv, 1, 0), -0.2, 1e-15);
    EXPECT_NEAR(nmtest::at(inv, 1, 1), 0.4, 1e-15);

    ASSERT_EQ(m.getInverse(m), 0);
    EXPECT_EQ(nmtest::values(m), nmtest::values(inv));
}

TEST(LuInverse, RandomMatricesTimesInverseGiveIdentity)
{
    std::mt19937 rng(5);
    for (int n = 1; n <= 40; n += (n < 8 ? 1 : 7)) {
        // Rows of very different magnitude: the implicit (row-scaled) pivoting handles them.
        Dense d = latest::randomDense(rng, n, n);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                d(i, j) *= std::pow(10.0, (i % 5) * 3 - 6);
            }
        }
        cxNMMatrix a, inv;
        latest::fromDense(a, d);
        ASSERT_EQ(a.getInverse(inv), 0);
        const Dense prod = latest::mul(latest::toDense(inv), d);
        EXPECT_LT(latest::maxDiff(prod, latest::identity(n)), 1e-9) << n;
    }
}

TEST(LuInverse, FailuresLeaveOutUntouched)
{
    cxNMMatrix out;
    nmtest::sentinel(out, 2, 2);
    const auto before = nmtest::values(out);
    cxNMMatrix m;
    setRows(m, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(m.getInverse(out), cxNMMatrix_errNotSquare);
    setRows(m, {{1, 2, 3}, {0, 0, 0}, {4, 5, 6}});
    EXPECT_EQ(m.getInverse(out), cxNMMatrix_errSingular);
    cxNMMatrix empty;
    EXPECT_EQ(empty.getInverse(out), cxNMMatrix_errBadSize);
    EXPECT_EQ(nmtest::values(out), before);
    EXPECT_TRUE(out.isSizeEqual(2, 2));

    // Singular without a small row: accepted with the 1e-20 pivot, so the inverse is huge.
    setRows(m, {{1, 2}, {2, 4}});
    ASSERT_EQ(m.getInverse(out), 0);
    EXPECT_GT(std::fabs(nmtest::at(out, 1, 1)), 1e15);
}

TEST(LuFaults, EveryAllocationFailureIsReported)
{
    std::mt19937 rng(3);
    cxNMMatrix m;
    latest::fromDense(m, latest::randomDense(rng, 6, 6));
    int points = orbtest::sweepAllocations([&](bool) -> long {
        double d = 7.5;
        const long st = m.getDeterminant(d);
        if (st < 0) {
            EXPECT_EQ(st, latest::kNoMemory);
            EXPECT_EQ(d, 7.5);
        }
        return st;
    });
    EXPECT_GE(points, 3);
    cxNMMatrix out;
    nmtest::sentinel(out, 6, 6); // the result's size: the last step reuses the storage
    const auto before = nmtest::values(out);
    points = orbtest::sweepAllocations([&](bool) -> long {
        const long st = m.getInverse(out);
        if (st < 0) {
            EXPECT_EQ(st, latest::kNoMemory);
            EXPECT_EQ(nmtest::values(out), before);
        }
        return st;
    });
    EXPECT_GE(points, 5);
}

TEST(LuNonFinite, NaNAndInfinityEndWithoutHanging)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    cxNMMatrix m;
    setRows(m, {{nan, 1}, {2, 3}});
    long st = 0;
    EXPECT_TRUE(std::isnan(det(m, &st)));
    EXPECT_EQ(st, 0);
    setRows(m, {{nan, nan}, {2, 3}});
    EXPECT_EQ(det(m, &st), 1.0);
    EXPECT_EQ(st, cxNMMatrix_errSingular);
    setRows(m, {{inf, 1}, {2, 3}});
    const double d = det(m, &st);
    EXPECT_EQ(st, 0);
    EXPECT_FALSE(std::isfinite(d));
    cxNMMatrix inv;
    EXPECT_EQ(m.getInverse(inv), 0);
    bool anyNonFinite = false;
    for (double v : nmtest::values(inv)) {
        anyNonFinite = anyNonFinite || !std::isfinite(v);
    }
    EXPECT_TRUE(anyNonFinite);
}
