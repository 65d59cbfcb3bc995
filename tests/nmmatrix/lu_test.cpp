// Determinant and inverse through the pivoted LU decomposition.
#include "nm_helpers.h"

using namespace nmtest;

namespace {

// The determinant of the rows given and the status; `d` starts as a sentinel.
std::pair<double, long> det(std::initializer_list<std::initializer_list<double>> rows)
{
    cxNMMatrix m;
    setRows(m, rows);
    double d = -12345.0;
    const long st = m.getDeterminant(d);
    return {d, st};
}

} // namespace

TEST(LuDeterminant, ExactValuesRowTestAndStatuses)
{
    using R = std::pair<double, long>;
    EXPECT_EQ(det({{0, 1}, {1, 0}}), R(-1.0, 0));
    EXPECT_EQ(det({{5}}), R(5.0, 0));
    // The rows tie in the scaled pivot test, the later one wins (parity -1), the second pivot
    // is exactly 0 and becomes 1e-20.
    EXPECT_EQ(det({{1, 2}, {2, 4}}), R(-2e-20, 0));
    EXPECT_EQ(det({{2, 0, 0}, {0, 3, 0}, {0, 0, 4}}), R(24.0, 0));
    // A permutation matrix: only exchanges, the determinant is its sign.
    EXPECT_EQ(det({{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}, {0, 1, 0, 0}}), R(-1.0, 0));
    // A row below the threshold: refused with d = 1; just above it, accepted.
    EXPECT_EQ(det({{0, 0}, {0, 0}}), R(1.0, cxNMMatrix_errSingular));
    EXPECT_EQ(det({{1e-16, 0}, {0, 1}}), R(1.0, cxNMMatrix_errSingular));
    EXPECT_EQ(det({{2e-15, 0}, {0, 1}}), R(2e-15, 0));
    EXPECT_EQ(det({{1, 2, 3}, {4, 5, 6}}), R(-12345.0, cxNMMatrix_errNotSquare));
    cxNMMatrix empty;
    double d = -12345.0;
    EXPECT_EQ(empty.getDeterminant(d), cxNMMatrix_errBadSize);
    EXPECT_EQ(d, -12345.0);
}

TEST(LuInverse, ValuesAliasingAndFailures)
{
    cxNMMatrix m, inv;
    setRows(m, {{4, 7}, {2, 6}});
    ASSERT_EQ(m.getInverse(inv), 0);
    const V want{0.6, -0.7, -0.2, 0.4};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(values(inv)[k], want[k], 1e-15);
    }
    ASSERT_EQ(m.getInverse(m), 0);
    EXPECT_EQ(values(m), values(inv));

    cxNMMatrix out, empty;
    sentinel(out, 2, 2);
    const V before = values(out);
    setRows(m, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(m.getInverse(out), cxNMMatrix_errNotSquare);
    setRows(m, {{1, 2, 3}, {0, 0, 0}, {4, 5, 6}});
    EXPECT_EQ(m.getInverse(out), cxNMMatrix_errSingular);
    EXPECT_EQ(empty.getInverse(out), cxNMMatrix_errBadSize);
    EXPECT_EQ(values(out), before);
    // Singular without a small row: accepted with the 1e-20 pivot, so the inverse is huge.
    setRows(m, {{1, 2}, {2, 4}});
    ASSERT_EQ(m.getInverse(out), 0);
    EXPECT_GT(std::fabs(at(out, 1, 1)), 1e15);
}
