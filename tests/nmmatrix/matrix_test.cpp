// cxNMMatrix storage, life cycle, element access and the element tolerance.
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

TEST(NMMatrixCompare, ElementToleranceAtItsBoundary)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct { double a, b; bool equal; } cases[] = {
        // Absolute 1e-12 below magnitude 1 (0.5 and 0.5 - 1.5e-12: s just below 1).
        {0.1, 0.1 + 5e-13, true}, {0.1, 0.1 + 2e-12, false}, {0.0, 1e-12, true},
        {0.0, std::nextafter(1e-12, 1.0), false}, {0.5, 0.5 - 1.5e-12, false}, {0.5, 0.5 - 0.9e-12, true},
        // Relative 1e-12 * (|a| + |b|) from magnitude 1 on: 2^-38 = 3.6e-12 <= 4e-12 < 2^-37.
        {1000.0, 1000.0 + 1e-9, true}, {1000.0, 1000.0 + 2.5e-9, false}, {2.0, 2.0 + std::ldexp(1.0, -38), true},
        {2.0, 2.0 + std::ldexp(1.0, -37), false}, {1.0, -1.0, false},
        // A NaN difference is not "greater", so it counts as equal.
        {1.0, nan, true}, {nan, nan, true}};
    for (const auto& c : cases) {
        // Every use of the element tolerance must agree, at every position of a 2 x 3 matrix.
        for (int k = 0; k < 6; ++k) {
            cxNMMatrix x, y, s;
            ASSERT_EQ(x.initResize(2, 3, c.a) | y.initResize(2, 3, c.a) | y.setElement(k / 3, k % 3, c.b), 0);
            ASSERT_EQ(s.initResize(3, 3, c.a) | s.setElement(k % 3, k / 3 + 1, c.b), 0);
            EXPECT_EQ(x == y, c.equal) << c.a << " " << c.b << " at " << k;
            EXPECT_EQ(x != y, !c.equal) << c.a << " " << c.b;
            EXPECT_EQ(y == c.a, c.equal) << c.a << " " << c.b;
            EXPECT_EQ(y != c.a, !c.equal) << c.a << " " << c.b;
            EXPECT_EQ(s.isSymmetric(), c.equal || k % 3 == k / 3 + 1) << c.a << " " << c.b << " at " << k;
        }
    }
    // Same elements in another shape are not equal.
    cxNMMatrix a, b;
    load(a, {{1, 2, 3}, {4, 5, 6}});
    load(b, {{1, 2}, {3, 4}, {5, 6}});
    EXPECT_TRUE(!(a == b) && a != b && !a.isSymmetric());
}
