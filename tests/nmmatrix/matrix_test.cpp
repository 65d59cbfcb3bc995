// cxNMMatrix storage, life cycle and element access.
#include "nm_helpers.h"

#include <limits>

using namespace nmtest;

TEST(NMMatrixStorage, LifeCycleResizeAssignAndIdentity)
{
    cxNMMatrix m, other, a, b;
    // An empty matrix is square, symmetric, equal to every value and to another empty one.
    EXPECT_TRUE(m.isSizeEqual(0, 0) && m.isSquare() && m.isSymmetric() && m == other && m.isSizeEqual(other));
    EXPECT_TRUE(m == 12345.0 && !(m != -1.0) && !(m != other));
    EXPECT_EQ(m.reset() | m.assign(3.0) | m.identity(), 0);
    ASSERT_EQ(m.initResize(3, 4, 2.5), 0);
    EXPECT_TRUE(m.rows() == 3 && m.cols() == 4 && !m.isSquare() && !m.isSizeEqual(4, 3) && !m.isSizeEqual(other));
    // Sizes below 1 are refused and change nothing; the same size keeps the values.
    EXPECT_EQ(m.initResize(0, 5), cxNMMatrix_errBadSize);
    EXPECT_EQ(m.initResize(3, 0), cxNMMatrix_errBadSize);
    EXPECT_EQ(m.initResize(-1, -1, 7.0), cxNMMatrix_errBadSize);
    EXPECT_EQ(values(m), V(12, 2.5));
    ASSERT_EQ(m.setElement(2, 3, -8.0) | m.initResize(3, 4), 0);
    EXPECT_TRUE(at(m, 2, 3) == -8.0 && at(m, 0, 0) == 2.5);
    EXPECT_EQ(m.initResize(4, 3, -1.0), 0);
    EXPECT_EQ(values(m), V(12, -1.0));
    EXPECT_EQ(m.reset(), 0);
    EXPECT_EQ(values(m), V(12, 0.0));

    load(a, {{1, 2, 3}, {4, 5, 6}});
    ASSERT_EQ(b.initResize(7, 7, 0.0) | b.assign(a) | a.assign(a), 0);
    EXPECT_TRUE(b.isSizeEqual(a) && values(b) == values(a) && values(a) == (V{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(a.identity(), cxNMMatrix_errNotSquare);
    EXPECT_EQ(cxNMMatrix::I(0, a), cxNMMatrix_errBadSize);
    EXPECT_EQ(cxNMMatrix::I(-3, a), cxNMMatrix_errBadSize);
    EXPECT_EQ(values(a), (V{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(cxNMMatrix::I(3, a), 0);
    EXPECT_EQ(values(a), (V{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    load(b, {{5, 5}, {5, 5}});
    EXPECT_EQ(b.identity(), 0);
    EXPECT_EQ(values(b), (V{1, 0, 0, 1}));
    EXPECT_EQ(b.assign(other), 0);
    EXPECT_TRUE(b.isSizeEqual(0, 0));
}

TEST(NMMatrixStorage, ElementAccessChecksRowBeforeColumn)
{
    cxNMMatrix m, empty;
    load(m, {{1, 2}, {3, 4}, {5, 6}});
    const struct { int row, col; long want; } cases[] = {
        {3, 7, cxNMMatrix_errBadRow},     {-1, -1, cxNMMatrix_errBadRow},   {3, 0, cxNMMatrix_errBadRow},
        {1, 7, cxNMMatrix_errBadColumn},  {0, -1, cxNMMatrix_errBadColumn}, {1, 2, cxNMMatrix_errBadColumn}};
    for (const auto& c : cases) {
        double out = -7.5;
        EXPECT_EQ(m.getElement(c.row, c.col, out), c.want);
        EXPECT_EQ(out, -7.5);
        EXPECT_EQ(m.setElement(c.row, c.col, 9.0), c.want);
    }
    EXPECT_EQ(values(m), (V{1, 2, 3, 4, 5, 6}));
    double out = 0.0;
    EXPECT_EQ(empty.getElement(0, 0, out), cxNMMatrix_errBadRow);
    EXPECT_EQ(empty.setElement(0, 0, 1.0), cxNMMatrix_errBadRow);
}
