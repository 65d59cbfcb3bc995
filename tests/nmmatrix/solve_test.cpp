// Conditioned solves, the partial (Schur complement) solve, constrained minimisation and the
// quadratic-form error.
#include "fault.h"
#include "linalg_helpers.h"
#include "nm_helpers.h"

#include <cmath>
#include <limits>

using latest::Dense;
using nmtest::setRows;

namespace {

Dense spd(std::mt19937& rng, int n)
{
    const Dense a = latest::randomDense(rng, n, n);
    Dense s = latest::mul(latest::transpose(a), a);
    for (int i = 0; i < n; ++i) {
        s(i, i) += 0.5;
    }
    return s;
}

} // namespace

TEST(Solve, ConditionLimit)
{
    cxNMMatrix a, b, x;
    setRows(a, {{2, 0}, {0, 4}});
    setRows(b, {{2}, {4}});
    double cond = 0.0;
    ASSERT_EQ(cxNMMatrix::solve(a, b, false, cond, 10.0, x), 0);
    EXPECT_EQ(nmtest::values(x), (std::vector<double>{1.0, 1.0}));
    EXPECT_EQ(cond, 2.0);

    nmtest::sentinel(x, 3, 1);
    const auto before = nmtest::values(x);
    cond = 0.0;
    EXPECT_EQ(cxNMMatrix::solve(a, b, true, cond, 1.5, x), cxNMMatrix_errSingular);
    EXPECT_EQ(cond, 2.0);
    cond = 0.0;
    EXPECT_EQ(cxNMMatrix::solve(a, b, false, cond, std::numeric_limits<double>::quiet_NaN(), x),
              cxNMMatrix_errSingular);
    EXPECT_EQ(cond, 2.0);
    // The limit passes (cond 1e28 for the zero singular value), the decomposition refuses
    // the zero row.
    setRows(a, {{0, 0}, {0, 1}});
    EXPECT_EQ(cxNMMatrix::solve(a, b, false, cond, 1e30, x), cxNMMatrix_errSingular);
    EXPECT_EQ(cond, 1e28);
    EXPECT_EQ(nmtest::values(x), before);
}

TEST(Solve, SizeRules)
{
    cxNMMatrix a, b, x;
    nmtest::sentinel(x, 1, 1);
    double cond = -1.0;
    setRows(a, {{1, 2, 3}, {4, 5, 6}});
    setRows(b, {{1}, {2}});
    EXPECT_EQ(cxNMMatrix::solve(a, b, false, cond, 1e10, x), cxNMMatrix_errNotSquare);
    EXPECT_EQ(cond, -1.0);
    // A right-hand side without n rows is refused after cond is known.
    setRows(a, {{2, 1, 0}, {1, 3, 1}, {0, 1, 4}});
    EXPECT_EQ(cxNMMatrix::solve(a, b, false, cond, 1e10, x), cxNMMatrix_errBadSize);
    EXPECT_GT(cond, 1.0);
    cxNMMatrix empty;
    cond = -1.0;
    EXPECT_EQ(cxNMMatrix::solve(a, empty, true, cond, 1e10, x), cxNMMatrix_errBadSize);
    EXPECT_GT(cond, 1.0);
    EXPECT_EQ(cxNMMatrix::solve(empty, b, false, cond, 1e10, x), cxNMMatrix_errBadSize);
    EXPECT_EQ(nmtest::values(x), std::vector<double>{-1000.0});
}

TEST(Solve, EveryColumnOfRandomSystems)
{
    std::mt19937 rng(31);
    for (int n = 1; n <= 30; n += (n < 5 ? 1 : 6)) {
        for (bool symmetric : {false, true}) {
            const Dense a = symmetric ? spd(rng, n) : latest::randomDense(rng, n, n);
            const Dense b = latest::randomDense(rng, n, 3);
            cxNMMatrix ma, mb, x;
            latest::fromDense(ma, a);
            latest::fromDense(mb, b);
            double cond = 0.0;
            ASSERT_EQ(cxNMMatrix::solve(ma, mb, symmetric, cond, 1e12, x), 0);
            ASSERT_TRUE(x.isSizeEqual(n, 3));
            EXPECT_GE(cond, 1.0);
            EXPECT_LT(latest::maxDiff(latest::mul(a, latest::toDense(x)), b), 1e-13 * cond * n) << n;
            // The output may be an operand.
            ASSERT_EQ(cxNMMatrix::solve(ma, mb, symmetric, cond, 1e12, mb), 0);
            EXPECT_EQ(nmtest::values(mb), nmtest::values(x));
        }
    }
}

TEST(PartialSolve, SmallSystemAndSizeErrors)
{
    cxNMMatrix a, b, g, d, e, x;
    ASSERT_EQ(cxNMMatrix::I(2, a), 0);
    ASSERT_EQ(g.initResize(2, 2, 0.0), 0);
    setRows(b, {{2, 0}, {0, 2}});
    setRows(d, {{1}, {1}});
    setRows(e, {{4}, {6}});
    double cond = 0.0;
    ASSERT_EQ(cxNMMatrix::partialSolve(a, b, g, d, e, false, cond, 10.0, x), 0);
    EXPECT_EQ(nmtest::values(x), (std::vector<double>{2.0, 3.0}));
    EXPECT_EQ(cond, 1.0);

    nmtest::sentinel(x, 1, 1);
    cond = -1.0;
    cxNMMatrix wideG;
    ASSERT_EQ(wideG.initResize(2, 3, 0.0), 0);
    EXPECT_EQ(cxNMMatrix::partialSolve(a, b, wideG, d, e, false, cond, 10.0, x), cxNMMatrix_errBadSize);
    EXPECT_EQ(cxNMMatrix::partialSolve(a, b, g, e, wideG, false, cond, 10.0, x), cxNMMatrix_errBadSize);
    EXPECT_EQ(cxNMMatrix::partialSolve(a, wideG, g, d, e, false, cond, 10.0, x), cxNMMatrix_errNotSquare);
    EXPECT_EQ(cxNMMatrix::partialSolve(wideG, b, g, d, e, false, cond, 10.0, x), cxNMMatrix_errNotSquare);
    // B square but not of A's size: the Schur complement's difference refuses it.
    cxNMMatrix b3, e3;
    ASSERT_EQ(cxNMMatrix::I(3, b3), 0);
    ASSERT_EQ(e3.initResize(3, 1, 1.0), 0);
    EXPECT_EQ(cxNMMatrix::partialSolve(a, b3, g, d, e3, false, cond, 10.0, x), cxNMMatrix_errSizeMismatch);
    // A singular A fails in its inverse; the Schur complement above the limit in the solve.
    cxNMMatrix zero;
    ASSERT_EQ(zero.initResize(2, 2, 0.0), 0);
    EXPECT_EQ(cxNMMatrix::partialSolve(zero, b, g, d, e, false, cond, 10.0, x), cxNMMatrix_errSingular);
    EXPECT_EQ(cond, -1.0);
    setRows(b, {{100, 0}, {0, 1}});
    EXPECT_EQ(cxNMMatrix::partialSolve(a, b, g, d, e, false, cond, 10.0, x), cxNMMatrix_errSingular);
    EXPECT_EQ(cond, 100.0);
    EXPECT_EQ(nmtest::values(x), std::vector<double>{-1000.0});
}

TEST(PartialSolve, MatchesTheFullBlockSystem)
{
    std::mt19937 rng(41);
    for (int n = 1; n <= 7; ++n) {
        const Dense a = spd(rng, n);
        const Dense b = latest::randomDense(rng, n, n);
        const Dense g = latest::randomDense(rng, n, n);
        const Dense d = latest::randomDense(rng, n, 1);
        const Dense e = latest::randomDense(rng, n, 1);
        // K = (A, G; Gᵀ, B), rhs = (D; E), solved in one piece.
        Dense k(2 * n, 2 * n);
        Dense rhs(2 * n, 1);
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
        cxNMMatrix mk, mr, full;
        latest::fromDense(mk, k);
        latest::fromDense(mr, rhs);
        double cond = 0.0;
        ASSERT_EQ(cxNMMatrix::solve(mk, mr, false, cond, 1e14, full), 0);
        cxNMMatrix ma, mb, mg, md, me, x;
        latest::fromDense(ma, a);
        latest::fromDense(mb, b);
        latest::fromDense(mg, g);
        latest::fromDense(md, d);
        latest::fromDense(me, e);
        ASSERT_EQ(cxNMMatrix::partialSolve(ma, mb, mg, md, me, false, cond, 1e14, x), 0);
        ASSERT_TRUE(x.isSizeEqual(n, 1));
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(nmtest::at(x, i, 0), nmtest::at(full, n + i, 0), 1e-9 * (1.0 + std::fabs(nmtest::at(full, n + i, 0))))
                << n;
        }
    }
}

TEST(ConstraintMinimization, SmallCaseAndQuadraticForm)
{
    cxNMMatrix a, b, g, d, x;
    ASSERT_EQ(cxNMMatrix::I(2, a), 0);
    ASSERT_EQ(b.initResize(2, 1, 0.0), 0);
    setRows(g, {{1, 1}});
    setRows(d, {{2}});
    ASSERT_EQ(cxNMMatrix::constraintMinimization(a, b, g, d, 1e6, x), 0);
    ASSERT_TRUE(x.isSizeEqual(2, 1));
    EXPECT_NEAR(nmtest::at(x, 0, 0), 1.0, 1e-15);
    EXPECT_NEAR(nmtest::at(x, 1, 0), 1.0, 1e-15);

    double err = 0.0;
    setRows(g, {{3}, {4}});
    ASSERT_EQ(cxNMMatrix::getConstraintError(a, b, 1.0, g, err), 0);
    EXPECT_EQ(err, 26.0);
    // GᵀAG − 2·GᵀB + c with a non-trivial A and B.
    setRows(a, {{2, 1}, {1, 3}});
    setRows(b, {{1}, {-2}});
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
            const Dense a = spd(rng, n);
            const Dense b = latest::randomDense(rng, n, 1);
            // G = R·Qₖᵀ with Q and R orthogonal: the last n − k columns of Q span the null space
            // of G, and G·P·Gᵀ is as well conditioned as A (the damping leaves it alone).
            const Dense q = latest::randomOrthogonal(rng, n);
            Dense qk(n, k);
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < k; ++j) {
                    qk(i, j) = q(i, j);
                }
            }
            const Dense g = latest::mul(latest::randomOrthogonal(rng, k), latest::transpose(qk));
            const Dense d = latest::randomDense(rng, k, 1);
            cxNMMatrix ma, mb, mg, md, x;
            latest::fromDense(ma, a);
            latest::fromDense(mb, b);
            latest::fromDense(mg, g);
            latest::fromDense(md, d);
            ASSERT_EQ(cxNMMatrix::constraintMinimization(ma, mb, mg, md, 1e12, x), 0);
            const Dense dx = latest::toDense(x);
            EXPECT_LT(latest::maxDiff(latest::mul(g, dx), d), 1e-10) << n << " " << k;
            // Optimality: the gradient A·(X − B) is orthogonal to every feasible direction.
            Dense r = dx;
            for (int i = 0; i < n; ++i) {
                r(i, 0) -= b(i, 0);
            }
            const Dense grad = latest::mul(a, r);
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

TEST(SolveFaults, EveryAllocationFailureIsReported)
{
    std::mt19937 rng(61);
    cxNMMatrix a, b, g, d, e, c;
    latest::fromDense(a, spd(rng, 4));
    latest::fromDense(b, spd(rng, 4));
    latest::fromDense(g, latest::randomDense(rng, 4, 4));
    latest::fromDense(d, latest::randomDense(rng, 4, 1));
    latest::fromDense(e, latest::randomDense(rng, 4, 1));
    latest::fromDense(c, latest::randomDense(rng, 2, 4));
    cxNMMatrix f;
    latest::fromDense(f, latest::randomDense(rng, 2, 1));
    cxNMMatrix x;
    nmtest::sentinel(x, 4, 1);
    const auto x0 = nmtest::values(x);
    for (int form = 0; form < 5; ++form) {
        double cond = -2.0;
        double err = -5.0;
        const int points = orbtest::sweepAllocations([&](bool) -> long {
            long st = 0;
            switch (form) {
            case 0: st = cxNMMatrix::solve(a, d, false, cond, 1e12, x); break;
            case 1: st = cxNMMatrix::solve(a, d, true, cond, 1e12, x); break;
            case 2: st = cxNMMatrix::partialSolve(a, b, g, d, e, false, cond, 1e12, x); break;
            case 3: st = cxNMMatrix::constraintMinimization(a, d, c, f, 1e12, x); break;
            default: st = cxNMMatrix::getConstraintError(a, d, 1.0, e, err); break;
            }
            if (st < 0) {
                EXPECT_EQ(st, latest::kNoMemory) << form;
                EXPECT_EQ(nmtest::values(x), x0) << form;
                EXPECT_EQ(err, -5.0) << form;
            }
            return st;
        });
        EXPECT_GE(points, 3) << form;
        // Restore the sentinel that the successful run replaced.
        nmtest::sentinel(x, 4, 1);
    }
}

TEST(SolveNonFinite, NaNMatrixEndsWithAStatusOrNaN)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    cxNMMatrix a, b, x;
    setRows(a, {{1, 2}, {nan, 3}}); // in the lower triangle, which both flavours read
    setRows(b, {{1}, {1}});
    for (bool symmetric : {false, true}) {
        // Either the decomposition fails, or cond is 1e28 and stops at a limit below it ...
        double cond = -1.0;
        const long st = cxNMMatrix::solve(a, b, symmetric, cond, 1e20, x);
        EXPECT_EQ(st, cxNMMatrix_errSingular) << symmetric;
        // ... or passes a limit above it and the solution is not finite.
        const long st2 = cxNMMatrix::solve(a, b, symmetric, cond, 1e30, x);
        if (st2 == 0) {
            EXPECT_TRUE(std::isnan(nmtest::at(x, 0, 0)) || std::isnan(nmtest::at(x, 1, 0)));
        } else {
            EXPECT_EQ(st2, cxNMMatrix_errSingular);
        }
    }
}
