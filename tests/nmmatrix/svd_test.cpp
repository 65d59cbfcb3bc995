// Singular value decomposition, damped pseudo-inverse, minimal inverse and pseudo-solve.
#include "fault.h"
#include "linalg_helpers.h"
#include "nm_helpers.h"

#include <cmath>
#include <limits>
#include <string>

using latest::Dense;
using nmtest::setRows;

namespace {

std::vector<double> diagonal(const cxNMMatrix& w)
{
    std::vector<double> d;
    for (int i = 0; i < w.rows(); ++i) {
        d.push_back(nmtest::at(w, i, i));
    }
    return d;
}

// Checks M = U·W·Vᵀ, W diagonal and non-negative, V orthogonal, and the columns of U that
// belong to non-zero singular values orthonormal (all of them unless M is wide).
void checkDecomposition(const Dense& m, const std::string& what)
{
    SCOPED_TRACE(what);
    cxNMMatrix a;
    latest::fromDense(a, m);
    cxNMMatrix u, w, v;
    ASSERT_EQ(a.decompose(u, w, v), 0);
    const int n = m.c;
    ASSERT_TRUE(u.isSizeEqual(m.r, n));
    ASSERT_TRUE(w.isSizeEqual(n, n));
    ASSERT_TRUE(v.isSizeEqual(n, n));
    const Dense du = latest::toDense(u);
    const Dense dw = latest::toDense(w);
    const Dense dv = latest::toDense(v);
    double wmax = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (i != j) {
                ASSERT_EQ(dw(i, j), 0.0);
            }
        }
        ASSERT_GE(dw(i, i), 0.0);
        wmax = std::max(wmax, dw(i, i));
    }
    const double scale = std::max(latest::maxAbs(m), 1e-300);
    const Dense rebuilt = latest::mul(latest::mul(du, dw), latest::transpose(dv));
    EXPECT_LT(latest::maxDiff(rebuilt, m) / scale, 1e-13 * (n + m.r));
    EXPECT_LT(latest::maxDiff(latest::mul(latest::transpose(dv), dv), latest::identity(n)), 1e-13 * n);
    const Dense utu = latest::mul(latest::transpose(du), du);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const bool wide = m.r < n;
            if (wide && (dw(i, i) <= 1e-12 * wmax || dw(j, j) <= 1e-12 * wmax)) {
                continue;
            }
            EXPECT_NEAR(utu(i, j), i == j ? 1.0 : 0.0, 1e-13 * n) << i << "," << j;
        }
    }
    // The squared singular values are the eigenvalues of MᵀM (independent Jacobi solver).
    std::vector<double> sq;
    for (int i = 0; i < n; ++i) {
        sq.push_back(dw(i, i) * dw(i, i));
    }
    std::sort(sq.begin(), sq.end());
    const std::vector<double> ref = latest::jacobiEigenvalues(latest::mul(latest::transpose(m), m));
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(sq[static_cast<size_t>(i)], ref[static_cast<size_t>(i)], 1e-12 * n * wmax * wmax) << i;
    }
}

} // namespace

TEST(SvdDecompose, SmallExactCases)
{
    cxNMMatrix m;
    setRows(m, {{-3}});
    cxNMMatrix u, w, v;
    ASSERT_EQ(m.decompose(u, w, v), 0);
    EXPECT_EQ(nmtest::values(u), std::vector<double>{-1.0});
    EXPECT_EQ(nmtest::values(w), std::vector<double>{3.0});
    EXPECT_EQ(nmtest::values(v), std::vector<double>{1.0});

    // Not sorted: the values stay where the iteration leaves them.
    setRows(m, {{1, 0}, {0, 2}});
    ASSERT_EQ(m.decompose(u, w, v), 0);
    EXPECT_EQ(diagonal(w), (std::vector<double>{1.0, 2.0}));

    // A wide matrix: U 2 x 3, W and V 3 x 3, and a zero singular value.
    setRows(m, {{1, 2, 3}, {4, 5, 6}});
    ASSERT_EQ(m.decompose(u, w, v), 0);
    EXPECT_TRUE(u.isSizeEqual(2, 3));
    EXPECT_TRUE(w.isSizeEqual(3, 3));
    EXPECT_TRUE(v.isSizeEqual(3, 3));
    const std::vector<double> d = diagonal(w);
    EXPECT_LT(*std::min_element(d.begin(), d.end()), 1e-14);

    // The outputs may be the matrix itself.
    setRows(m, {{2, 1}, {1, 3}, {0, 1}});
    cxNMMatrix copy;
    ASSERT_EQ(copy.assign(m), 0);
    ASSERT_EQ(copy.decompose(u, copy, v), 0);
    ASSERT_EQ(m.decompose(u, w, v), 0);
    EXPECT_EQ(nmtest::values(copy), nmtest::values(w));
}

TEST(SvdDecompose, ReconstructsManyShapes)
{
    std::mt19937 rng(21);
    for (int r = 1; r <= 9; ++r) {
        for (int c = 1; c <= 9; ++c) {
            checkDecomposition(latest::randomDense(rng, r, c), "random " + std::to_string(r) + "x" + std::to_string(c));
        }
    }
    checkDecomposition(latest::randomDense(rng, 40, 25), "random 40x25");
    checkDecomposition(latest::randomDense(rng, 17, 33), "wide 17x33");
    // Rank-deficient: a product through a thin inner dimension, and duplicated columns.
    for (int k = 1; k <= 3; ++k) {
        checkDecomposition(latest::mul(latest::randomDense(rng, 8, k), latest::randomDense(rng, k, 6)),
                           "rank " + std::to_string(k));
    }
    Dense dup = latest::randomDense(rng, 7, 5);
    for (int i = 0; i < 7; ++i) {
        dup(i, 3) = dup(i, 1);
        dup(i, 4) = 0.0;
    }
    checkDecomposition(dup, "duplicate and zero columns");
    checkDecomposition(Dense(4, 3), "zero matrix");
    // Badly scaled rows and columns.
    Dense bad = latest::randomDense(rng, 9, 7);
    for (int i = 0; i < 9; ++i) {
        for (int j = 0; j < 7; ++j) {
            bad(i, j) *= std::pow(10.0, (i % 3) * 4 - (j % 4) * 3);
        }
    }
    checkDecomposition(bad, "badly scaled");
    // Nearly singular: one singular value 1e-13 of the largest.
    checkDecomposition(latest::withSingularValues(rng, 6, 6, {1, 0.5, 0.25, 1e-13, 0.125, 2}), "nearly singular");
    checkDecomposition(latest::withSingularValues(rng, 5, 5, {1, 1, 1, 1, 1}), "equal singular values");
}

TEST(SvdDecompose, SizeErrorsAndNonFinite)
{
    cxNMMatrix empty, u, w, v;
    nmtest::sentinel(u, 1, 1);
    EXPECT_EQ(empty.decompose(u, w, v), cxNMMatrix_errBadSize);
    EXPECT_EQ(nmtest::values(u), std::vector<double>{-1000.0});

    // NaN and infinity: a status or non-finite values, and the call ends.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf}) {
        cxNMMatrix m;
        setRows(m, {{1, 2, 3}, {4, bad, 6}, {7, 8, 10}});
        const long st = m.decompose(u, w, v);
        if (st == 0) {
            bool nonFinite = false;
            for (double x : nmtest::values(w)) {
                nonFinite = nonFinite || !std::isfinite(x);
            }
            EXPECT_TRUE(nonFinite);
        } else {
            EXPECT_EQ(st, cxNMMatrix_errSingular);
        }
    }
}

TEST(SvdPseudoinverse, DampingRule)
{
    cxNMMatrix m, p;
    setRows(m, {{4, 0}, {0, 1}});
    // t = 4 / √4 = 2: 4 is inverted, 1 is damped to 1 / 2² = 0.25.
    ASSERT_EQ(m.getPseudoinverse(4.0, p), 0);
    EXPECT_EQ(nmtest::values(p), (std::vector<double>{0.25, 0.0, 0.0, 0.25}));
    ASSERT_EQ(m.getPseudoinverse(1e6, p), 0);
    EXPECT_EQ(nmtest::values(p), (std::vector<double>{0.25, 0.0, 0.0, 1.0}));
    // Tolerance 0: every value is damped to 0.
    ASSERT_EQ(m.getPseudoinverse(0.0, p), 0);
    EXPECT_EQ(nmtest::values(p), (std::vector<double>{0.0, 0.0, 0.0, 0.0}));
    // t = 4 / 1e10 falls below 1e-9: a copy of the matrix, as for a negative tolerance (NaN
    // threshold) and for a zero matrix.
    ASSERT_EQ(m.getPseudoinverse(1e20, p), 0);
    EXPECT_EQ(nmtest::values(p), nmtest::values(m));
    ASSERT_EQ(m.getPseudoinverse(-1.0, p), 0);
    EXPECT_EQ(nmtest::values(p), nmtest::values(m));
    cxNMMatrix zero;
    ASSERT_EQ(zero.initResize(2, 3, 0.0), 0);
    ASSERT_EQ(zero.getPseudoinverse(1e6, p), 0);
    EXPECT_TRUE(p.isSizeEqual(2, 3));
    EXPECT_TRUE(p == 0.0);
    // Aliasing: the result may replace the matrix.
    setRows(m, {{4, 0}, {0, 1}});
    ASSERT_EQ(m.getPseudoinverse(1e6, m), 0);
    EXPECT_EQ(nmtest::values(m), (std::vector<double>{0.25, 0.0, 0.0, 1.0}));
}

TEST(SvdPseudoinverse, MoorePenroseConditionsOnRankDeficientMatrices)
{
    std::mt19937 rng(8);
    for (int trial = 0; trial < 12; ++trial) {
        const int r = 2 + trial % 5;
        const int c = 2 + (trial * 3) % 6;
        const int k = 1 + trial % std::min(r, c);
        // Singular values 1, 1/2, 1/3, ... for the first k, exact zeros after them.
        std::vector<double> sv(static_cast<size_t>(std::min(r, c)), 0.0);
        for (int i = 0; i < k; ++i) {
            sv[static_cast<size_t>(i)] = 1.0 / (i + 1);
        }
        const Dense a = latest::withSingularValues(rng, r, c, sv);
        cxNMMatrix m, p;
        latest::fromDense(m, a);
        // t = wmax·1e-4: the rounding-level values of the null space are damped to ~1e-8.
        ASSERT_EQ(m.getPseudoinverse(1e8, p), 0);
        ASSERT_TRUE(p.isSizeEqual(c, r));
        const Dense dp = latest::toDense(p);
        const Dense ap = latest::mul(a, dp);
        const Dense pa = latest::mul(dp, a);
        EXPECT_LT(latest::maxDiff(latest::mul(ap, a), a), 1e-10) << trial;
        EXPECT_LT(latest::maxDiff(latest::mul(pa, dp), dp), 1e-6) << trial;
        EXPECT_LT(latest::maxDiff(ap, latest::transpose(ap)), 1e-10) << trial;
        EXPECT_LT(latest::maxDiff(pa, latest::transpose(pa)), 1e-10) << trial;
    }
}

TEST(SvdPseudoinverse, SolveAndMinimalInverse)
{
    std::mt19937 rng(13);
    const Dense a = latest::randomDense(rng, 5, 5);
    const Dense b = latest::randomDense(rng, 5, 2);
    cxNMMatrix ma, mb, x;
    latest::fromDense(ma, a);
    latest::fromDense(mb, b);
    // t = wmax·1e-6 lies below every singular value: the plain inverse.
    ASSERT_EQ(cxNMMatrix::pseudoSolve(ma, mb, 1e12, x), 0);
    EXPECT_LT(latest::maxDiff(latest::mul(a, latest::toDense(x)), b), 1e-12);

    // B·(M·B)⁺ is a right inverse of M when M·B is invertible.
    const Dense wide = latest::randomDense(rng, 3, 5);
    const Dense right = latest::randomDense(rng, 5, 3);
    cxNMMatrix mw, mr, out;
    latest::fromDense(mw, wide);
    latest::fromDense(mr, right);
    ASSERT_EQ(mw.getMinimalInverse(mr, 1e12, out), 0);
    ASSERT_TRUE(out.isSizeEqual(5, 3));
    EXPECT_LT(latest::maxDiff(latest::mul(wide, latest::toDense(out)), latest::identity(3)), 1e-12);

    // Operand sizes that do not fit the product.
    nmtest::sentinel(out, 2, 2);
    EXPECT_EQ(mw.getMinimalInverse(mw, 1e12, out), cxNMMatrix_errBadSize);
    EXPECT_TRUE(out.isSizeEqual(2, 2));
    EXPECT_EQ(nmtest::at(out, 1, 1), -1011.0);
}

TEST(SvdFaults, EveryAllocationFailureIsReported)
{
    std::mt19937 rng(17);
    cxNMMatrix m;
    latest::fromDense(m, latest::randomDense(rng, 4, 3));
    cxNMMatrix u, w, v;
    nmtest::sentinel(u, 4, 3);
    nmtest::sentinel(w, 3, 3);
    nmtest::sentinel(v, 3, 3); // V is written before the iteration; pre-sized it allocates nothing
    const auto u0 = nmtest::values(u);
    const auto w0 = nmtest::values(w);
    int points = orbtest::sweepAllocations([&](bool) -> long {
        const long st = m.decompose(u, w, v);
        if (st < 0) {
            EXPECT_EQ(st, latest::kNoMemory);
            EXPECT_EQ(nmtest::values(u), u0);
            EXPECT_EQ(nmtest::values(w), w0);
        }
        return st;
    });
    EXPECT_GE(points, 3);

    cxNMMatrix p;
    nmtest::sentinel(p, 3, 4);
    const auto p0 = nmtest::values(p);
    points = orbtest::sweepAllocations([&](bool) -> long {
        const long st = m.getPseudoinverse(1e12, p);
        if (st < 0) {
            EXPECT_EQ(st, latest::kNoMemory);
            EXPECT_EQ(nmtest::values(p), p0);
        }
        return st;
    });
    EXPECT_GE(points, 3);

    cxNMMatrix b;
    latest::fromDense(b, latest::randomDense(rng, 3, 4));
    cxNMMatrix x;
    nmtest::sentinel(x, 3, 4);
    const auto x0 = nmtest::values(x);
    points = orbtest::sweepAllocations([&](bool) -> long {
        const long st = m.getMinimalInverse(b, 1e12, x);
        if (st < 0) {
            EXPECT_EQ(st, latest::kNoMemory);
            EXPECT_EQ(nmtest::values(x), x0);
        }
        return st;
    });
    EXPECT_GE(points, 3);
    cxNMMatrix rhs;
    latest::fromDense(rhs, latest::randomDense(rng, 4, 2));
    cxNMMatrix y;
    nmtest::sentinel(y, 3, 2);
    const auto y0 = nmtest::values(y);
    points = orbtest::sweepAllocations([&](bool) -> long {
        const long st = cxNMMatrix::pseudoSolve(m, rhs, 1e12, y);
        if (st < 0) {
            EXPECT_EQ(st, latest::kNoMemory);
            EXPECT_EQ(nmtest::values(y), y0);
        }
        return st;
    });
    EXPECT_GE(points, 3);
}
