// cxNMMatrix arithmetic: size rules and error precedence with targets left untouched, exact
// products against a sequential reference, aliasing, allocation failures, sub-block copies and
// row / column operations.
#include "fault.h"
#include "nm_helpers.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

using nmtest::at;
using nmtest::sentinel;
using nmtest::setRows;
using nmtest::values;

namespace {

// A 7 x 5 target full of sentinels; `untouched` checks that it still is.
struct Target {
    cxNMMatrix m;
    Target() { sentinel(m, 7, 5); }
    void untouched()
    {
        cxNMMatrix ref;
        sentinel(ref, 7, 5);
        ASSERT_TRUE(m.isSizeEqual(7, 5));
        EXPECT_EQ(values(m), values(ref));
    }
};

void fillRandom(cxNMMatrix& m, int r, int c, std::mt19937_64& rng)
{
    // Magnitudes spread over 2^-30 .. 2^30 so that any change of summation order shows.
    std::uniform_real_distribution<double> mant(-1.0, 1.0);
    std::uniform_int_distribution<int> expo(-30, 30);
    ASSERT_EQ(m.initResize(r, c), 0);
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) {
            ASSERT_EQ(m.setElement(i, j, std::ldexp(mant(rng), expo(rng))), 0);
        }
    }
}

// Sequential references: every element summed from 0.0 in increasing k.
enum class Kind { AB, ABt, AtB };
std::vector<double> reference(const cxNMMatrix& A, const cxNMMatrix& B, Kind kind)
{
    const int n = kind == Kind::AtB ? A.cols() : A.rows();
    const int q = kind == Kind::ABt ? B.rows() : B.cols();
    const int m = kind == Kind::AtB ? A.rows() : A.cols();
    const std::vector<double> a = values(A), b = values(B);
    const size_t ac = static_cast<size_t>(A.cols()), bc = static_cast<size_t>(B.cols());
    std::vector<double> out;
    for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
        for (size_t j = 0; j < static_cast<size_t>(q); ++j) {
            double s = 0.0;
            for (size_t k = 0; k < static_cast<size_t>(m); ++k) {
                const double x = kind == Kind::AtB ? a[k * ac + i] : a[i * ac + k];
                const double y = kind == Kind::ABt ? b[j * bc + k] : b[k * bc + j];
                s += x * y;
            }
            out.push_back(s);
        }
    }
    return out;
}

bool bitEqual(const std::vector<double>& x, const std::vector<double>& y)
{
    return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0;
}

} // namespace

TEST(NMMatrixArithmetic, SizeRulesAndErrorPrecedence)
{
    cxNMMatrix a23, a32, a33, empty;
    setRows(a23, {{1, 2, 3}, {4, 5, 6}});
    setRows(a32, {{1, 2}, {3, 4}, {5, 6}});
    setRows(a33, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    Target t;

    // Sums: the size mismatch is reported before an empty operand.
    EXPECT_EQ(t.m.initAdd(a23, a32), cxNMMatrix_errSizeMismatch);
    EXPECT_EQ(t.m.initAdd(a23, empty), cxNMMatrix_errSizeMismatch);
    EXPECT_EQ(t.m.initAdd(empty, empty), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initSubtract(a32, a23), cxNMMatrix_errSizeMismatch);
    EXPECT_EQ(t.m.initSubtract(empty, empty), cxNMMatrix_errBadSize);
    // Products report every misfit as a bad size, never as a size mismatch.
    EXPECT_EQ(t.m.initMultiply(a23, a23), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initMultiply(empty, empty), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initMultiply(a23, empty), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initMultiplyT(a23, a32), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initMultiplyT(empty, empty), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initTmultiply(a23, a32), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initTmultiply(empty, empty), cxNMMatrix_errBadSize);
    // Transpose and Gram matrix of a matrix without storage.
    EXPECT_EQ(empty.getTranspose(t.m), cxNMMatrix_errBadSize);
    EXPECT_EQ(empty.getSquare(t.m), cxNMMatrix_errBadSize);
    // Row and column operations.
    EXPECT_EQ(t.m.addRows(0, 7), cxNMMatrix_errBadRow);
    EXPECT_EQ(t.m.addRows(-1, 0), cxNMMatrix_errBadRow);
    EXPECT_EQ(t.m.subRows(7, 0), cxNMMatrix_errBadRow);
    EXPECT_EQ(t.m.addColumns(0, 5), cxNMMatrix_errBadColumn);
    EXPECT_EQ(t.m.subColumns(-1, 0), cxNMMatrix_errBadColumn);
    EXPECT_EQ(t.m.swapRows(0, 7), cxNMMatrix_errBadRow);
    EXPECT_EQ(t.m.swapRows(-2, 1), cxNMMatrix_errBadRow);
    EXPECT_EQ(t.m.swapColumns(0, 5), cxNMMatrix_errBadColumn);
    EXPECT_EQ(empty.swapRows(0, 0), cxNMMatrix_errBadRow);
    // Sub-blocks outside either matrix.
    EXPECT_EQ(t.m.copySub(a33, 0, 0, 6, 0, 2, 2), cxNMMatrix_errBadSize); // past the target's end
    EXPECT_EQ(t.m.copySub(a33, 2, 0, 0, 0, 2, 2), cxNMMatrix_errBadSize); // past the source's end
    EXPECT_EQ(t.m.copySub(a33, -1, 0, 0, 0, 1, 1), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.copySub(a33, 0, 0, 0, -1, 1, 1), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.copySub(a33, 0, 1, 0, 0, 1, -1), cxNMMatrix_errBadSize);   // negative width
    EXPECT_EQ(t.m.copySub(a33, 0, 0, 0, 0, INT32_MAX, 1), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.copySub(a33, 0, 0, 0, 0, 1, INT32_MAX), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initCopyRange(a33, 0, 0, 0, 0, 0, 2), cxNMMatrix_errBadSize);  // 0 rows
    EXPECT_EQ(t.m.initCopyRange(a33, 0, 0, 0, 0, 2, -1), cxNMMatrix_errBadSize); // 0 columns
    EXPECT_EQ(t.m.initCopyRange(a33, 2, 2, 0, 0, 2, 2), cxNMMatrix_errBadSize);  // outside src
    EXPECT_EQ(t.m.initCopyRange(a33, 0, 0, -1, 0, 2, 2), cxNMMatrix_errBadSize);
    EXPECT_EQ(t.m.initCopyRange(a33, 0, 0, INT32_MAX, 0, 1, 1), cxNMMatrix_errBadSize);
    t.untouched();

    // Counts that fit: the copies of nothing succeed and change nothing.
    EXPECT_EQ(t.m.copySub(a33, 0, 0, 0, 0, 0, 2), 0);
    EXPECT_EQ(t.m.copySub(a33, 3, 3, 7, 5, 0, 0), 0);
    EXPECT_EQ(t.m.copySub(a33, 0, 0, 0, 0, -4, 2), 0);
    EXPECT_EQ(t.m.copySub(a33, 0, 0, 0, 0, 3, 0), 0);
    t.untouched();

    // A 2 x 2 target cannot take a 2 x 2 block at (1, 1).
    cxNMMatrix small, big;
    sentinel(small, 2, 2);
    sentinel(big, 4, 4);
    EXPECT_EQ(small.copySub(big, 0, 0, 1, 1, 2, 2), cxNMMatrix_errBadSize);
    EXPECT_EQ(at(small, 1, 1), -1011.0);

    // Scaling has no checks: an empty operand gives an empty target.
    EXPECT_EQ(t.m.initMultiply(empty, 2.0), 0);
    EXPECT_TRUE(t.m.isSizeEqual(0, 0));
    EXPECT_EQ(t.m.initDivide(empty, 0.0), 0);
    EXPECT_TRUE(t.m.isSizeEqual(0, 0));
}

TEST(NMMatrixArithmetic, SmallExactResults)
{
    cxNMMatrix a, b, t;
    setRows(a, {{1, 2, 3}, {4, 5, 6}});
    setRows(b, {{1, 0, 2, 1}, {0, 1, 1, 2}, {1, 1, 0, 3}});
    ASSERT_EQ(t.initResize(1, 1, 0.0), 0);
    EXPECT_EQ(t.initMultiply(a, b), 0);
    EXPECT_TRUE(t.isSizeEqual(2, 4));
    EXPECT_EQ(values(t), (std::vector<double>{4, 5, 4, 14, 10, 11, 13, 32}));
    EXPECT_EQ(t.initMultiplyT(a, a), 0);
    EXPECT_EQ(values(t), (std::vector<double>{14, 32, 32, 77}));
    EXPECT_EQ(t.initTmultiply(a, a), 0);
    EXPECT_EQ(values(t), (std::vector<double>{17, 22, 27, 22, 29, 36, 27, 36, 45}));
    EXPECT_EQ(a.getSquare(t), 0);
    EXPECT_EQ(values(t), (std::vector<double>{17, 22, 27, 22, 29, 36, 27, 36, 45}));
    EXPECT_EQ(a.getTranspose(t), 0);
    EXPECT_TRUE(t.isSizeEqual(3, 2));
    EXPECT_EQ(values(t), (std::vector<double>{1, 4, 2, 5, 3, 6}));
    cxNMMatrix c;
    setRows(c, {{10, 20, 30}, {40, 50, 60}});
    EXPECT_EQ(t.initAdd(a, c), 0);
    EXPECT_EQ(values(t), (std::vector<double>{11, 22, 33, 44, 55, 66}));
    EXPECT_EQ(t.initSubtract(a, c), 0);
    EXPECT_EQ(values(t), (std::vector<double>{-9, -18, -27, -36, -45, -54}));

    // A 1 x 1 target takes a 3 x 3 operand's size when scaling.
    cxNMMatrix s;
    setRows(s, {{1, -2, 3}, {4, 5, 6}, {7, 8, 9.5}});
    ASSERT_EQ(t.initResize(1, 1, 0.0), 0);
    EXPECT_EQ(t.initMultiply(s, 2.0), 0);
    EXPECT_EQ(values(t), (std::vector<double>{2, -4, 6, 8, 10, 12, 14, 16, 19}));

    // The Gram matrix of a 3 x 2 matrix is 2 x 2 symmetric; of (x) it is (x^2).
    cxNMMatrix g;
    EXPECT_EQ(a.getTranspose(g), 0);
    EXPECT_EQ(g.getSquare(t), 0);
    EXPECT_EQ(values(t), (std::vector<double>{14, 32, 32, 77}));
    setRows(g, {{-3.5}});
    EXPECT_EQ(g.getSquare(t), 0);
    EXPECT_EQ(values(t), (std::vector<double>{12.25}));
}

TEST(NMMatrixArithmetic, DivideMultipliesByTheReciprocal)
{
    cxNMMatrix a, t;
    ASSERT_EQ(a.initResize(10, 10), 0);
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 10; ++j) {
            ASSERT_EQ(a.setElement(i, j, 1.0 + 10 * i + j), 0);
        }
    }
    ASSERT_EQ(t.initDivide(a, 3.0), 0);
    const double r = 1.0 / 3.0;
    int differFromQuotient = 0;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 10; ++j) {
            const double v = 1.0 + 10 * i + j;
            EXPECT_EQ(at(t, i, j), v * r);
            differFromQuotient += at(t, i, j) != v / 3.0;
        }
    }
    EXPECT_GT(differFromQuotient, 0); // the quotients would round differently somewhere

    // Division by zero is no error: infinities, and NaN for 0 / 0.
    cxNMMatrix z;
    setRows(z, {{1.0, -2.0, 0.0}});
    EXPECT_EQ(t.initDivide(z, 0.0), 0);
    EXPECT_EQ(at(t, 0, 0), INFINITY);
    EXPECT_EQ(at(t, 0, 1), -INFINITY);
    EXPECT_TRUE(std::isnan(at(t, 0, 2)));
}

TEST(NMMatrixArithmetic, ProductsMatchSequentialSumsBitForBit)
{
    std::mt19937_64 rng(20261205);
    std::uniform_int_distribution<int> size(1, 150);
    cxNMMatrix A, B, T, G;
    for (int round = 0; round < 40; ++round) {
        // A few rounds at fixed sizes straddle the tile edges and the four-row groups.
        const int n = round < 3 ? 64 + round : size(rng);
        const int m = round < 3 ? 63 + 2 * round : size(rng);
        const int q = round < 3 ? 65 - round : size(rng);
        fillRandom(A, n, m, rng);

        fillRandom(B, m, q, rng);
        ASSERT_EQ(T.initMultiply(A, B), 0);
        EXPECT_TRUE(bitEqual(values(T), reference(A, B, Kind::AB))) << n << "x" << m << "x" << q;

        fillRandom(B, q, m, rng);
        ASSERT_EQ(T.initMultiplyT(A, B), 0); // T already has the size from before or not
        EXPECT_TRUE(bitEqual(values(T), reference(A, B, Kind::ABt))) << n << "x" << m << "x" << q;

        fillRandom(B, n, q, rng);
        ASSERT_EQ(T.initTmultiply(A, B), 0);
        EXPECT_TRUE(bitEqual(values(T), reference(A, B, Kind::AtB))) << n << "x" << m << "x" << q;

        // The Gram matrix: the upper triangle summed, the lower one mirrored.
        ASSERT_EQ(A.getSquare(G), 0);
        const std::vector<double> ref = reference(A, A, Kind::AtB);
        std::vector<double> want(ref.size());
        for (int i = 0; i < m; ++i) {
            for (int j = 0; j < m; ++j) {
                want[static_cast<size_t>(i * m + j)] = ref[static_cast<size_t>(j >= i ? i * m + j : j * m + i)];
            }
        }
        EXPECT_TRUE(bitEqual(values(G), want)) << n << "x" << m;
        EXPECT_TRUE(G.isSymmetric());
    }
}

TEST(NMMatrixArithmetic, TargetMayBeAnOperand)
{
    std::mt19937_64 rng(7);
    cxNMMatrix A, B, want;
    // A = A * B with A 2 x 3 and B 3 x 4 (the target changes size).
    fillRandom(A, 2, 3, rng);
    fillRandom(B, 3, 4, rng);
    std::vector<double> ref = reference(A, B, Kind::AB);
    ASSERT_EQ(A.initMultiply(A, B), 0);
    EXPECT_TRUE(A.isSizeEqual(2, 4));
    EXPECT_TRUE(bitEqual(values(A), ref));

    // Square operands: the target keeps its size and storage, and the operand it replaces is
    // read completely first.
    for (int side = 1; side <= 9; side += 4) {
        fillRandom(A, side, side, rng);
        fillRandom(B, side, side, rng);
        ref = reference(A, B, Kind::AB);
        ASSERT_EQ(B.initMultiply(A, B), 0);
        EXPECT_TRUE(bitEqual(values(B), ref));
        ref = reference(A, A, Kind::AB);
        ASSERT_EQ(A.initMultiply(A, A), 0);
        EXPECT_TRUE(bitEqual(values(A), ref));
        fillRandom(A, side, side, rng);
        ref = reference(A, A, Kind::ABt);
        ASSERT_EQ(A.initMultiplyT(A, A), 0);
        EXPECT_TRUE(bitEqual(values(A), ref));
        fillRandom(A, side, side, rng);
        ref = reference(A, A, Kind::AtB);
        ASSERT_EQ(A.initTmultiply(A, A), 0);
        EXPECT_TRUE(bitEqual(values(A), ref));
    }

    // Sums, scaling, transpose and Gram matrix into an operand.
    setRows(A, {{1, 2, 3}, {4, 5, 6}});
    setRows(B, {{6, 5, 4}, {3, 2, 1}});
    ASSERT_EQ(A.initAdd(A, B), 0);
    EXPECT_EQ(values(A), (std::vector<double>{7, 7, 7, 7, 7, 7}));
    ASSERT_EQ(B.initSubtract(A, B), 0);
    EXPECT_EQ(values(B), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(B.initMultiply(B, -1.0), 0);
    EXPECT_EQ(values(B), (std::vector<double>{-1, -2, -3, -4, -5, -6}));
    ASSERT_EQ(B.getTranspose(B), 0);
    EXPECT_TRUE(B.isSizeEqual(3, 2));
    EXPECT_EQ(values(B), (std::vector<double>{-1, -4, -2, -5, -3, -6}));
    ASSERT_EQ(B.getSquare(B), 0);
    EXPECT_EQ(values(B), (std::vector<double>{14, 32, 32, 77}));
    setRows(A, {{1, 2}, {3, 4}});
    ASSERT_EQ(A.getTranspose(A), 0); // square: in place through the temporary
    EXPECT_EQ(values(A), (std::vector<double>{1, 3, 2, 4}));
    ASSERT_EQ(A.initDivide(A, 0.5), 0);
    EXPECT_EQ(values(A), (std::vector<double>{2, 6, 4, 8}));
}

TEST(NMMatrixArithmetic, AllocationFailuresLeaveTheTargetUnchanged)
{
    std::mt19937_64 rng(99);
    cxNMMatrix A, B, C;
    fillRandom(A, 3, 4, rng);
    fillRandom(B, 4, 5, rng);
    fillRandom(C, 3, 4, rng);

    using Op = std::function<long(cxNMMatrix&)>;
    const std::vector<Op> ops = {
        [&](cxNMMatrix& t) { return t.initAdd(A, C); },
        [&](cxNMMatrix& t) { return t.initSubtract(A, C); },
        [&](cxNMMatrix& t) { return t.initMultiply(A, B); },
        [&](cxNMMatrix& t) { return t.initMultiplyT(A, C); },
        [&](cxNMMatrix& t) { return t.initTmultiply(A, C); },
        [&](cxNMMatrix& t) { return t.initMultiply(A, 3.0); },
        [&](cxNMMatrix& t) { return t.initDivide(A, 3.0); },
        [&](cxNMMatrix& t) { return A.getTranspose(t); },
        [&](cxNMMatrix& t) { return A.getSquare(t); },
        [&](cxNMMatrix& t) { return t.initCopyRange(A, 1, 1, 0, 0, 2, 3); },
    };
    for (size_t k = 0; k < ops.size(); ++k) {
        cxNMMatrix want;
        ASSERT_EQ(ops[k](want), 0);
        // A target of another size: the temporary block, then the new row table, may fail.
        const int covered = nmtest::sweepAfterSetup([] { return std::make_unique<Target>(); },
                                                    [&](Target& t) -> long {
            const long st = ops[k](t.m);
            if (st < 0) {
                EXPECT_EQ(st, csys_errNoMemory);
                if (k < 9) {
                    t.untouched();
                } else {
                    EXPECT_TRUE(t.m.isSizeEqual(0, 0)); // resized like initResize: left empty
                }
            } else {
                EXPECT_TRUE(bitEqual(values(t.m), values(want))) << k;
            }
            return st;
        });
        EXPECT_EQ(covered, 2) << k;
    }

    // Aliased target of the right size: only the temporary block is requested.
    const int covered = nmtest::sweepAfterSetup(
        [] {
            auto s = std::make_unique<cxNMMatrix>();
            setRows(*s, {{1, 2}, {3, 4}});
            return s;
        },
        [](cxNMMatrix& s) {
            const long st = s.initMultiply(s, s);
            EXPECT_EQ(values(s), st < 0 ? (std::vector<double>{1, 2, 3, 4}) : (std::vector<double>{7, 10, 15, 22}));
            return st;
        });
    EXPECT_EQ(covered, 1);

    // A separate target of the right size keeps its storage: no request at all.
    cxNMMatrix t;
    ASSERT_EQ(t.initResize(3, 5), 0);
    const int64_t before = csys_memory_testRequests();
    EXPECT_EQ(t.initMultiply(A, B), 0);
    EXPECT_EQ(t.initMultiply(t, 2.0), 0); // aliased: one temporary
    EXPECT_EQ(csys_memory_testRequests(), before + 1);
    ASSERT_EQ(t.initResize(3, 4), 0);
    const int64_t before2 = csys_memory_testRequests();
    EXPECT_EQ(t.initAdd(A, C), 0);
    EXPECT_EQ(t.initMultiply(A, 0.5), 0);
    EXPECT_EQ(t.copySub(A, 0, 0, 0, 0, 3, 4), 0);
    EXPECT_EQ(t.initCopyRange(A, 0, 0, 0, 0, 3, 4), 0);
    EXPECT_EQ(t.swapRows(0, 2), 0);
    EXPECT_EQ(csys_memory_testRequests(), before2);
}

TEST(NMMatrixArithmetic, SubBlockCopies)
{
    cxNMMatrix src, t;
    ASSERT_EQ(src.initResize(4, 4), 0);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            ASSERT_EQ(src.setElement(i, j, 10.0 * i + j), 0);
        }
    }
    EXPECT_EQ(t.initCopyRange(src, 1, 1, 0, 0, 2, 3), 0);
    EXPECT_TRUE(t.isSizeEqual(2, 3));
    EXPECT_EQ(values(t), (std::vector<double>{11, 12, 13, 21, 22, 23}));

    // The same size keeps the elements outside the block.
    ASSERT_EQ(t.initResize(3, 4, -1.0), 0);
    EXPECT_EQ(t.initCopyRange(src, 2, 0, 1, 2, 2, 2), 0);
    EXPECT_EQ(values(t), (std::vector<double>{-1, -1, -1, -1, -1, -1, 20, 21, -1, -1, 30, 31}));

    // Self copies with overlapping blocks behave as if the source were read first.
    for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
            cxNMMatrix m, copy;
            ASSERT_EQ(m.assign(src), 0);
            ASSERT_EQ(copy.assign(src), 0);
            EXPECT_EQ(m.copySub(m, 1, 1, 1 + dr, 1 + dc, 3 - std::max(dr, 0), 3 - std::max(dc, 0)), 0);
            EXPECT_EQ(copy.copySub(src, 1, 1, 1 + dr, 1 + dc, 3 - std::max(dr, 0), 3 - std::max(dc, 0)), 0);
            EXPECT_EQ(values(m), values(copy)) << dr << "," << dc;
        }
    }

    // initCopyRange from itself: to a new size through fresh storage, or in place.
    cxNMMatrix m;
    ASSERT_EQ(m.assign(src), 0);
    EXPECT_EQ(m.initCopyRange(m, 1, 1, 1, 0, 2, 3), 0);
    EXPECT_TRUE(m.isSizeEqual(3, 3));
    EXPECT_EQ(at(m, 1, 0), 11.0);
    EXPECT_EQ(at(m, 2, 2), 23.0);
    ASSERT_EQ(m.assign(src), 0);
    EXPECT_EQ(m.initCopyRange(m, 0, 0, 1, 1, 3, 3), 0); // 4 x 4 already: shifts down-right
    EXPECT_EQ(values(m), (std::vector<double>{0, 1, 2, 3, 10, 0, 1, 2, 20, 10, 11, 12, 30, 20, 21, 22}));
}

TEST(NMMatrixArithmetic, SelfCopyToANewSizeFailsCleanly)
{
    // The new storage is made before the old one is released: a failed request (element block,
    // then row table) leaves the matrix as it was.
    cxNMMatrix src;
    setRows(src, {{1, 2, 3}, {4, 5, 6}});
    orbtest::FaultGuard guard;
    for (int n = 1; n <= 3; ++n) {
        cxNMMatrix m;
        ASSERT_EQ(m.assign(src), 0);
        const int64_t outstanding = csys_memory_testOutstanding();
        csys_memory_testFailAfter(n, 0);
        const long st = m.initCopyRange(m, 0, 1, 0, 0, 2, 2);
        csys_memory_testFailAfter(0, 0);
        EXPECT_EQ(csys_memory_testOutstanding(), outstanding);
        if (n <= 2) {
            EXPECT_EQ(st, csys_errNoMemory);
            EXPECT_EQ(values(m), values(src));
        } else {
            EXPECT_EQ(st, 0);
            EXPECT_EQ(values(m), (std::vector<double>{2, 3, 5, 6}));
        }
    }
}

TEST(NMMatrixArithmetic, RowAndColumnOperations)
{
    cxNMMatrix m;
    setRows(m, {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}});
    EXPECT_EQ(m.addRows(0, 2), 0);
    EXPECT_EQ(values(m), (std::vector<double>{8, 10, 13, 4, 5, 6, 7, 8, 10}));
    EXPECT_EQ(m.subRows(2, 1), 0);
    EXPECT_EQ(values(m), (std::vector<double>{8, 10, 13, 4, 5, 6, 3, 3, 4}));
    EXPECT_EQ(m.addRows(1, 1), 0); // doubles the row
    EXPECT_EQ(values(m), (std::vector<double>{8, 10, 13, 8, 10, 12, 3, 3, 4}));
    EXPECT_EQ(m.subRows(0, 0), 0); // clears the row
    EXPECT_EQ(values(m), (std::vector<double>{0, 0, 0, 8, 10, 12, 3, 3, 4}));
    EXPECT_EQ(m.addColumns(0, 2), 0);
    EXPECT_EQ(values(m), (std::vector<double>{0, 0, 0, 20, 10, 12, 7, 3, 4}));
    EXPECT_EQ(m.subColumns(1, 0), 0);
    EXPECT_EQ(values(m), (std::vector<double>{0, 0, 0, 20, -10, 12, 7, -4, 4}));
    EXPECT_EQ(m.addColumns(2, 2), 0);
    EXPECT_EQ(values(m), (std::vector<double>{0, 0, 0, 20, -10, 24, 7, -4, 8}));
    EXPECT_EQ(m.subColumns(1, 1), 0);
    EXPECT_EQ(values(m), (std::vector<double>{0, 0, 0, 20, 0, 24, 7, 0, 8}));
    EXPECT_EQ(m.swapRows(0, 2), 0);
    EXPECT_EQ(values(m), (std::vector<double>{7, 0, 8, 20, 0, 24, 0, 0, 0}));
    EXPECT_EQ(m.swapRows(1, 1), 0);
    EXPECT_EQ(m.swapColumns(0, 2), 0);
    EXPECT_EQ(values(m), (std::vector<double>{8, 0, 7, 24, 0, 20, 0, 0, 0}));
    EXPECT_EQ(m.swapColumns(1, 1), 0);
    EXPECT_EQ(values(m), (std::vector<double>{8, 0, 7, 24, 0, 20, 0, 0, 0}));
}
