// Conditioned solves, the partial (Schur complement) solve, constrained minimisation and the
// quadratic-form error.
#include "nm_helpers.h"

using namespace nmtest;

namespace {

Dense spd(std::mt19937& rng, int n)
{
    const Dense a = randomDense(rng, n, n);
    Dense s = mul(transpose(a), a);
    for (int i = 0; i < n; ++i) {
        s(i, i) += 0.5;
    }
    return s;
}

} // namespace

TEST(Solve, ConditionLimitAndSizeRules)
{
    cxNMMatrix a, b, x, empty;
    load(a, {{2, 0}, {0, 4}});
    load(b, {{2}, {4}});
    double cond = 0.0;
    ASSERT_EQ(cxNMMatrix::solve(a, b, false, cond, 2.0, x), 0); // a limit equal to cond passes
    EXPECT_EQ(values(x), (V{1.0, 1.0}));
    EXPECT_EQ(cond, 2.0);

    sentinel(x, 3, 1);
    const V before = values(x);
    // Above the limit (or a NaN limit): refused, with cond written.
    for (double limit : {1.5, double(NAN)}) {
        cond = 0.0;
        EXPECT_EQ(cxNMMatrix::solve(a, b, limit == 1.5, cond, limit, x), cxNMMatrix_errSingular);
        EXPECT_EQ(cond, 2.0);
    }
    // The limit passes (cond 1e28 for the zero singular value), the decomposition refuses
    // the zero row.
    load(a, {{0, 0}, {0, 1}});
    EXPECT_EQ(cxNMMatrix::solve(a, b, false, cond, 1e30, x), cxNMMatrix_errSingular);
    EXPECT_EQ(cond, 1e28);

    cond = -1.0;
    load(a, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(cxNMMatrix::solve(a, b, false, cond, 1e10, x), cxNMMatrix_errNotSquare);
    EXPECT_EQ(cxNMMatrix::solve(empty, b, false, cond, 1e10, x), cxNMMatrix_errBadSize);
    EXPECT_EQ(cond, -1.0);
    // A right-hand side without n rows is refused after cond is known.
    load(a, {{2, 1, 0}, {1, 3, 1}, {0, 1, 4}});
    EXPECT_EQ(cxNMMatrix::solve(a, b, false, cond, 1e10, x), cxNMMatrix_errBadSize);
    EXPECT_GT(cond, 1.0);
    cond = -1.0;
    EXPECT_EQ(cxNMMatrix::solve(a, empty, true, cond, 1e10, x), cxNMMatrix_errBadSize);
    EXPECT_GT(cond, 1.0);
    EXPECT_EQ(values(x), before);
}

TEST(Solve, EveryColumnOfRandomSystems)
{
    std::mt19937 rng(31);
    for (int n = 1; n <= 30; n += (n < 5 ? 1 : 6)) {
        for (bool symmetric : {false, true}) {
            const Dense a = symmetric ? spd(rng, n) : randomDense(rng, n, n), b = randomDense(rng, n, 3);
            cxNMMatrix ma, mb, x;
            load(ma, a, mb, b);
            double cond = 0.0;
            ASSERT_EQ(cxNMMatrix::solve(ma, mb, symmetric, cond, 1e12, x), 0);
            ASSERT_TRUE(x.isSizeEqual(n, 3));
            EXPECT_GE(cond, 1.0);
            EXPECT_LT(maxDiff(mul(a, toDense(x)), b), 1e-13 * cond * n) << n;
            // The output may be an operand.
            ASSERT_EQ(cxNMMatrix::solve(ma, mb, symmetric, cond, 1e12, mb), 0);
            EXPECT_EQ(values(mb), values(x));
        }
    }
}

TEST(PartialSolve, MatchesTheFullBlockSystem)
{
    std::mt19937 rng(41);
    for (int n = 1; n <= 7; ++n) {
        const Dense a = spd(rng, n), b = randomDense(rng, n, n), g = randomDense(rng, n, n);
        const Dense d = randomDense(rng, n, 1), e = randomDense(rng, n, 1);
        // K = (A, G; Gᵀ, B), rhs = (D; E), solved in one piece.
        Dense k(2 * n, 2 * n), rhs(2 * n, 1);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                k(i, j) = a(i, j);
                k(i, n + j) = g(i, j);
                k(n + i, j) = g(j, i);
                k(n + i, n + j) = b(i, j);
            }
            rhs(i, 0) = d(i, 0);
            rhs(n + i, 0) = e(i, 0);
        }
        cxNMMatrix mk, mr, full, ma, mb, mg, md, me, x;
        load(mk, k, mr, rhs, ma, a, mb, b, mg, g, md, d, me, e);
        double cond = 0.0;
        ASSERT_EQ(cxNMMatrix::solve(mk, mr, false, cond, 1e14, full), 0);
        ASSERT_EQ(cxNMMatrix::partialSolve(ma, mb, mg, md, me, false, cond, 1e14, x), 0);
        ASSERT_TRUE(x.isSizeEqual(n, 1));
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(at(x, i, 0), at(full, n + i, 0), 1e-9 * (1.0 + std::fabs(at(full, n + i, 0)))) << n;
        }
    }
}

TEST(ConstraintMinimization, SmallCaseAndQuadraticForm)
{
    cxNMMatrix a, b, g, d, x;
    ASSERT_EQ(cxNMMatrix::I(2, a) | b.initResize(2, 1, 0.0), 0);
    load(g, {{1, 1}});
    load(d, {{2}});
    ASSERT_EQ(cxNMMatrix::constraintMinimization(a, b, g, d, 1e6, x), 0);
    ASSERT_TRUE(x.isSizeEqual(2, 1));
    EXPECT_NEAR(at(x, 0, 0), 1.0, 1e-15);
    EXPECT_NEAR(at(x, 1, 0), 1.0, 1e-15);

    double err = 0.0;
    load(g, {{3}, {4}});
    ASSERT_EQ(cxNMMatrix::getConstraintError(a, b, 1.0, g, err), 0);
    EXPECT_EQ(err, 26.0);
    // GᵀAG − 2·GᵀB + c with a non-trivial A and B.
    load(a, {{2, 1}, {1, 3}});
    load(b, {{1}, {-2}});
    ASSERT_EQ(cxNMMatrix::getConstraintError(a, b, 0.5, g, err), 0);
    EXPECT_EQ(err, (18.0 + 24.0 + 48.0) - 2.0 * (3.0 - 8.0) + 0.5);
    // Sizes that do not fit: err untouched.
    err = -7.0;
    EXPECT_EQ(cxNMMatrix::getConstraintError(a, d, 0.5, g, err), cxNMMatrix_errSizeMismatch);
    EXPECT_EQ(cxNMMatrix::getConstraintError(d, b, 0.5, g, err), cxNMMatrix_errBadSize);
    EXPECT_EQ(err, -7.0);
}

TEST(ConstraintMinimization, RandomProblemsAreFeasibleAndOptimal)
{
    std::mt19937 rng(51);
    for (int n = 2; n <= 8; ++n) {
        for (int k = 1; k < n; k += 2) {
            const Dense a = spd(rng, n), b = randomDense(rng, n, 1);
            // G = R·Qₖᵀ with Q and R orthogonal: the last n − k columns of Q span the null space
            // of G, and G·P·Gᵀ is as well conditioned as A (the damping leaves it alone).
            const Dense q = randomOrthogonal(rng, n);
            Dense qk(n, k);
            for (int i = 0; i < n * k; ++i) {
                qk(i / k, i % k) = q(i / k, i % k);
            }
            const Dense g = mul(randomOrthogonal(rng, k), transpose(qk)), d = randomDense(rng, k, 1);
            cxNMMatrix ma, mb, mg, md, x;
            load(ma, a, mb, b, mg, g, md, d);
            ASSERT_EQ(cxNMMatrix::constraintMinimization(ma, mb, mg, md, 1e12, x), 0);
            Dense r = toDense(x);
            EXPECT_LT(maxDiff(mul(g, r), d), 1e-10) << n << " " << k;
            // Optimality: the gradient A·(X − B) is orthogonal to every feasible direction.
            for (int i = 0; i < n; ++i) {
                r(i, 0) -= b(i, 0);
            }
            const Dense grad = mul(a, r);
            for (int j = k; j < n; ++j) {
                double s = 0.0;
                for (int i = 0; i < n; ++i) {
                    s += q(i, j) * grad(i, 0);
                }
                EXPECT_NEAR(s, 0.0, 1e-9) << n << " " << k << " direction " << j;
            }
        }
    }
}
