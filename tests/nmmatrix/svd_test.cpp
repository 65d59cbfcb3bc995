// Singular value decomposition, damped pseudo-inverse, minimal inverse and pseudo-solve.
#include "nm_helpers.h"

#include <string>

using namespace nmtest;

TEST(Svd, SmallExactCasesAliasingAndFailures)
{
    cxNMMatrix m, u, w, v, copy, empty;
    load(m, {{-3}});
    ASSERT_EQ(m.decompose(u, w, v), 0);
    EXPECT_TRUE(values(u) == V{-1.0} && values(w) == V{3.0} && values(v) == V{1.0});
    // Not sorted: the values stay where the iteration leaves them.
    load(m, {{1, 0}, {0, 2}});
    ASSERT_EQ(m.decompose(u, w, v), 0);
    EXPECT_EQ(values(w), (V{1.0, 0.0, 0.0, 2.0}));
    // The outputs may be the matrix itself.
    load(m, {{2, 1}, {1, 3}, {0, 1}});
    ASSERT_EQ(copy.assign(m) | copy.decompose(u, copy, v) | m.decompose(u, w, v), 0);
    EXPECT_EQ(values(copy), values(w));
    sentinel(u, 1, 1);
    EXPECT_EQ(empty.decompose(u, w, v), cxNMMatrix_errBadSize);
    EXPECT_EQ(values(u), V{-1000.0});
}

// M = U·W·Vᵀ with W diagonal and non-negative, V orthogonal, and the columns of U that belong to
// non-zero singular values orthonormal (all of them unless M is wide): together they make W the
// singular values. Random shapes, rank-deficient, badly scaled and clustered ones.
TEST(Svd, ReconstructsManyShapes)
{
    std::mt19937 rng(21);
    std::vector<std::pair<std::string, Dense>> cases;
    for (int k = 0; k < 81; ++k) {
        cases.emplace_back("random " + std::to_string(k / 9 + 1) + "x" + std::to_string(k % 9 + 1),
                           randomDense(rng, k / 9 + 1, k % 9 + 1));
    }
    cases.emplace_back("random 40x25", randomDense(rng, 40, 25));
    for (int k = 1; k <= 3; ++k) {
        cases.emplace_back("rank " + std::to_string(k), mul(randomDense(rng, 8, k), randomDense(rng, k, 6)));
    }
    Dense dup = randomDense(rng, 7, 5), bad = randomDense(rng, 9, 7);
    for (int i = 0; i < 7; ++i) {
        dup(i, 3) = dup(i, 1);
        dup(i, 4) = 0.0;
    }
    for (int k = 0; k < 63; ++k) {
        bad(k / 7, k % 7) *= std::pow(10.0, (k / 7 % 3) * 4 - (k % 7 % 4) * 3);
    }
    cases.emplace_back("duplicate and zero columns", dup);
    cases.emplace_back("zero matrix", Dense(4, 3));
    cases.emplace_back("badly scaled rows and columns", bad);
    cases.emplace_back("nearly singular", withSingularValues(rng, 6, 6, {1, 0.5, 0.25, 1e-13, 0.125, 2}));
    cases.emplace_back("equal singular values", withSingularValues(rng, 5, 5, {1, 1, 1, 1, 1}));
    for (const auto& [what, d] : cases) {
        SCOPED_TRACE(what);
        cxNMMatrix a, u, w, v;
        load(a, d);
        ASSERT_EQ(a.decompose(u, w, v), 0);
        const int n = d.c;
        ASSERT_TRUE(u.isSizeEqual(d.r, n) && w.isSizeEqual(n, n) && v.isSizeEqual(n, n));
        const Dense du = toDense(u), dw = toDense(w), dv = toDense(v), utu = mul(transpose(du), du);
        double wmax = 0.0, scale = 1e-300;
        for (int k = 0; k < n * n; ++k) {
            ASSERT_TRUE(k % (n + 1) == 0 ? dw.v[k] >= 0.0 : dw.v[k] == 0.0) << k;
            wmax = std::max(wmax, dw.v[k]);
        }
        for (double x : d.v) {
            scale = std::max(scale, std::fabs(x));
        }
        EXPECT_LT(maxDiff(mul(mul(du, dw), transpose(dv)), d) / scale, 1e-13 * (n + d.r));
        EXPECT_LT(maxDiff(mul(transpose(dv), dv), identity(n)), 1e-13 * n);
        for (int k = 0; k < n * n; ++k) {
            const int i = k / n, j = k % n;
            if (d.r >= n || (dw(i, i) > 1e-12 * wmax && dw(j, j) > 1e-12 * wmax)) {
                EXPECT_NEAR(utu(i, j), i == j ? 1.0 : 0.0, 1e-13 * n) << i << "," << j;
            }
        }
    }
}

TEST(Svd, PseudoinverseDampingRule)
{
    cxNMMatrix m, p, zero, tiny;
    load(m, {{4, 0}, {0, 1}});
    // t = 4 / √4 = 2: 4 is inverted, 1 is damped to 1 / 2² = 0.25.
    ASSERT_EQ(m.getPseudoinverse(4.0, p), 0);
    EXPECT_EQ(values(p), (V{0.25, 0.0, 0.0, 0.25}));
    ASSERT_EQ(m.getPseudoinverse(1e6, p), 0);
    EXPECT_EQ(values(p), (V{0.25, 0.0, 0.0, 1.0}));
    // Tolerance 0: every value is damped to 0.
    ASSERT_EQ(m.getPseudoinverse(0.0, p), 0);
    EXPECT_EQ(values(p), V(4, 0.0));
    // t = 4 / 1e10 falls below 1e-9: a copy of the matrix, as for a negative tolerance (NaN
    // threshold) and for a zero matrix; t = 1e-9 itself still inverts.
    ASSERT_EQ(m.getPseudoinverse(1e20, p), 0);
    EXPECT_EQ(values(p), values(m));
    ASSERT_EQ(m.getPseudoinverse(-1.0, p), 0);
    EXPECT_EQ(values(p), values(m));
    ASSERT_EQ(zero.initResize(2, 3, 0.0) | zero.getPseudoinverse(1e6, p), 0);
    EXPECT_TRUE(p.isSizeEqual(2, 3) && p == 0.0);
    ASSERT_EQ(tiny.initResize(1, 1, 4e-9) | tiny.getPseudoinverse(16.0, p), 0);
    EXPECT_NEAR(at(p, 0, 0), 2.5e8, 1.0); // not the copy of 4e-9
    // Aliasing: the result may replace the matrix.
    ASSERT_EQ(m.getPseudoinverse(1e6, m), 0);
    EXPECT_EQ(values(m), (V{0.25, 0.0, 0.0, 1.0}));
}

TEST(Svd, SolveAndMinimalInverse)
{
    std::mt19937 rng(13);
    const Dense a = randomDense(rng, 5, 5), b = randomDense(rng, 5, 2);
    const Dense wide = randomDense(rng, 3, 5), right = randomDense(rng, 5, 3);
    cxNMMatrix ma, mb, x, mw, mr, out;
    load(ma, a, mb, b, mw, wide, mr, right);
    // t = wmax·1e-6 lies below every singular value: the plain inverse (through the pseudo-inverse).
    ASSERT_EQ(cxNMMatrix::pseudoSolve(ma, mb, 1e12, x), 0);
    EXPECT_LT(maxDiff(mul(a, toDense(x)), b), 1e-12);
    // B·(M·B)⁺ is a right inverse of M when M·B is invertible.
    ASSERT_EQ(mw.getMinimalInverse(mr, 1e12, out), 0);
    ASSERT_TRUE(out.isSizeEqual(5, 3));
    EXPECT_LT(maxDiff(mul(wide, toDense(out)), identity(3)), 1e-12);
    // Operand sizes that do not fit the product.
    sentinel(out, 2, 2);
    EXPECT_EQ(mw.getMinimalInverse(mw, 1e12, out), cxNMMatrix_errBadSize);
    EXPECT_EQ(values(out), (V{-1000, -1001, -1010, -1011}));
}
