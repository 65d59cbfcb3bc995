// The chi-squared test: argument checks before anything is written, the grouping rule, the
// p-value, the reset result on later failures, allocation failures without leaks; the
// distribution function against an independent long-double series; ln Gamma against the
// standard library over its documented range.
#include "fault.h"

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

struct Expected {
    std::vector<double> counts;
    std::vector<int32_t> calls;
};

double expectedCount(int32_t bin, void* context)
{
    auto* e = static_cast<Expected*>(context);
    e->calls.push_back(bin);
    return e->counts.at(static_cast<size_t>(bin));
}

cmath_chiSqTestResult sentinelResult()
{
    return cmath_chiSqTestResult{7, 7, -3.5, 77};
}

void expectResult(const cmath_chiSqTestResult& r, int32_t computed, int32_t passed, double p, int32_t dofs)
{
    EXPECT_EQ(r.isComputed, computed);
    EXPECT_EQ(r.passed, passed);
    EXPECT_EQ(r.testStatistic, p);
    EXPECT_EQ(r.numDofs, dofs);
}

cmath_chiSqTestParams params(double alpha)
{
    cmath_chiSqTestParams p;
    cmath_chiSqTestParams_construct(&p);
    p.significance = alpha;
    return p;
}

// P(a, y) by its power series in long double, summed until the terms no longer matter.
long double referenceP(long double a, long double y)
{
    long double term = 1.0L / a;
    long double sum = term;
    for (int n = 1; n < 200000; ++n) {
        term *= y / (a + n);
        sum += term;
        if (term < sum * 1e-21L) {
            break;
        }
    }
    return std::exp(a * std::log(y) - y - std::lgamma(a)) * sum;
}

} // namespace

TEST(ChiSqTest, ArgumentErrorsLeaveTheResultUntouched)
{
    Expected e{{5, 5, 5}, {}};
    const double observed[] = {5, 5, 5};
    for (double alpha : {0.0, 1.0, -0.1, 1.5, std::numeric_limits<double>::quiet_NaN()}) {
        cmath_chiSqTestResult r = sentinelResult();
        const cmath_chiSqTestParams p = params(alpha);
        EXPECT_EQ(cmath_chiSqTest(observed, 3, &p, expectedCount, &e, &r), cmath_errBadSignificance) << alpha;
        expectResult(r, 7, 7, -3.5, 77);
        EXPECT_EQ(cmath_chiSqTestParams_validate(&p), cmath_errBadSignificance);
    }
    cmath_chiSqTestResult r = sentinelResult();
    const cmath_chiSqTestParams p = params(0.05);
    EXPECT_EQ(cmath_chiSqTest(observed, 2, &p, expectedCount, &e, &r), cmath_errOutOfDomain);
    expectResult(r, 7, 7, -3.5, 77);
    EXPECT_TRUE(e.calls.empty());

    const cmath_chiSqTestParams high = params(0.999);
    EXPECT_EQ(cmath_chiSqTestParams_validate(&high), 0);
    EXPECT_EQ(cmath_chiSqTest(observed, 3, &high, expectedCount, &e, &r), 0);
    expectResult(r, 1, 1, 1.0, 2); // p = 1 > 0.999
}

TEST(ChiSqTest, PerfectFitAndTheStatedGroups)
{
    const cmath_chiSqTestParams p = params(0.05);
    Expected fit{{5, 5, 5}, {}};
    const double flat[] = {5, 5, 5};
    cmath_chiSqTestResult r = sentinelResult();
    ASSERT_EQ(cmath_chiSqTest(flat, 3, &p, expectedCount, &fit, &r), 0);
    expectResult(r, 1, 1, 1.0, 2);
    EXPECT_EQ(fit.calls, (std::vector<int32_t>{0, 1, 2}));

    // {10}, {0, 0, 10}, {10} against 6, 18, 6.
    Expected e{{6, 6, 6, 6, 6}, {}};
    const double observed[] = {10, 0, 0, 10, 10};
    ASSERT_EQ(cmath_chiSqTest(observed, 5, &p, expectedCount, &e, &r), 0);
    EXPECT_EQ(e.calls, (std::vector<int32_t>{0, 1, 2, 3, 4}));
    const double x2 = 16.0 / 6.0 + 64.0 / 18.0 + 16.0 / 6.0;
    EXPECT_NEAR(x2, 8.889, 1e-3);
    double f = -1;
    ASSERT_EQ(cmath_chiSquaredCDF(x2, 2, &f), 0);
    EXPECT_EQ(r.testStatistic, 1.0 - f);
    EXPECT_NEAR(r.testStatistic, std::exp(-x2 / 2), 1e-7);
    EXPECT_EQ(r.numDofs, 2);
    EXPECT_EQ(r.passed, 0); // p ~ 0.0117 is not above 0.05
    const cmath_chiSqTestParams strict = params(0.01);
    ASSERT_EQ(cmath_chiSqTest(observed, 5, &strict, expectedCount, &e, &r), 0);
    EXPECT_EQ(r.passed, 1);

    int32_t passed = -1, dofs = -1;
    double stat = -1;
    EXPECT_EQ(cmath_chiSqTestResult_getPassed(&r, &passed), 0);
    EXPECT_EQ(cmath_chiSqTestResult_getNumDofs(&r, &dofs), 0);
    EXPECT_EQ(cmath_chiSqTestResult_getTestStatistic(&r, &stat), 0);
    EXPECT_EQ(passed, 1);
    EXPECT_EQ(dofs, 2);
    EXPECT_EQ(stat, r.testStatistic);
}

TEST(ChiSqTest, TrailingRemainderJoinsTheLastGroup)
{
    // Observed 2 x 8: groups close after bins 2 and 5; bins 6 and 7 join the second group.
    const cmath_chiSqTestParams p = params(0.05);
    Expected e{std::vector<double>(8, 2.0), {}};
    const std::vector<double> twos(8, 2.0);
    cmath_chiSqTestResult r = sentinelResult();
    EXPECT_EQ(cmath_chiSqTest(twos.data(), 8, &p, expectedCount, &e, &r), cmath_errOutOfDomain);
    expectResult(r, 0, 0, 0.0, 0);
    EXPECT_EQ(e.calls.size(), 8u);

    // Observed 5, 5, 5, 1, 3 against 4, 4, 4, 1, 1: the groups are {5}, {5}, {5, 1, 3}, with
    // expected 4, 4, 6. Had the remainder formed its own group, or been dropped, X^2 differs.
    Expected e2{{4, 4, 4, 1, 1}, {}};
    const double observed[] = {5, 5, 5, 1, 3};
    ASSERT_EQ(cmath_chiSqTest(observed, 5, &p, expectedCount, &e2, &r), 0);
    const double x2 = 1.0 / 4.0 + 1.0 / 4.0 + 9.0 / 6.0;
    double f = -1;
    ASSERT_EQ(cmath_chiSquaredCDF(x2, 2, &f), 0);
    expectResult(r, 1, 1, 1.0 - f, 2);

    // Only expected counts below 5 do not close a group: the rule is on the observed total.
    Expected e3{{100, 100, 100}, {}};
    const double small[] = {1, 1, 1};
    r = sentinelResult();
    EXPECT_EQ(cmath_chiSqTest(small, 3, &p, expectedCount, &e3, &r), cmath_errOutOfDomain);
    expectResult(r, 0, 0, 0.0, 0);
}

TEST(ChiSqTest, AllocationFailuresResetTheResultAndLeakNothing)
{
    const cmath_chiSqTestParams p = params(0.05);
    std::vector<double> observed(40);
    Expected e;
    for (size_t i = 0; i < observed.size(); ++i) {
        observed[i] = static_cast<double>(3 + i % 4);
        e.counts.push_back(4.5);
    }
    const int covered = orbtest::sweepAllocations([&](bool) {
        cmath_chiSqTestResult r = sentinelResult();
        e.calls.clear();
        const cmath_status st = cmath_chiSqTest(observed.data(), 40, &p, expectedCount, &e, &r);
        if (st < 0) {
            EXPECT_EQ(st, csys_errNoMemory);
            expectResult(r, 0, 0, 0.0, 0);
        } else {
            EXPECT_EQ(r.isComputed, 1);
            EXPECT_EQ(e.calls.size(), 40u);
        }
        return st;
    });
    EXPECT_EQ(covered, 2); // one reservation per temporary vector
}

TEST(ChiSqTest, NonConvergedDistributionIsReported)
{
    // 1001 groups whose X^2 is 1001 against 1000 degrees of freedom: the series of the
    // distribution function is too slow there, and the test reports it instead of p = 1.
    const size_t bins = 1001;
    std::vector<double> observed(bins);
    Expected e;
    for (size_t i = 0; i < bins; ++i) {
        observed[i] = (i % 2 == 0) ? 6.0 : 12.0;
        e.counts.push_back(9.0);
    }
    const cmath_chiSqTestParams p = params(0.05);
    cmath_chiSqTestResult r = sentinelResult();
    EXPECT_EQ(cmath_chiSqTest(observed.data(), static_cast<int32_t>(bins), &p, expectedCount, &e, &r),
              cmath_errFailed);
    expectResult(r, 0, 0, 0.0, 0);

    double out = -2.0;
    EXPECT_EQ(cmath_chiSquaredCDF(1001.0, 1000, &out), cmath_errFailed);
    EXPECT_EQ(out, -2.0);
    // Far from the mean the same degrees of freedom converge.
    EXPECT_EQ(cmath_chiSquaredCDF(600.0, 1000, &out), 0);
    EXPECT_NEAR(out, static_cast<double>(referenceP(500.0L, 300.0L)), 1e-6);
}

TEST(ChiSquaredCDF, StatedValuesAndDomain)
{
    double out = -2.0;
    ASSERT_EQ(cmath_chiSquaredCDF(2.0, 2, &out), 0);
    EXPECT_NEAR(out, 1.0 - std::exp(-1.0), 1e-7);
    ASSERT_EQ(cmath_chiSquaredCDF(10.0, 2, &out), 0);
    EXPECT_NEAR(out, 1.0 - std::exp(-5.0), 1e-7);
    for (double x : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        out = -2.0;
        ASSERT_EQ(cmath_chiSquaredCDF(x, 3, &out), 0);
        EXPECT_EQ(out, 0.0);
    }
    ASSERT_EQ(cmath_chiSquaredCDF(std::numeric_limits<double>::infinity(), 3, &out), 0);
    EXPECT_EQ(out, 1.0);
    out = -2.0;
    EXPECT_EQ(cmath_chiSquaredCDF(5.0, 0, &out), cmath_errBadDofs);
    EXPECT_EQ(cmath_chiSquaredCDF(-5.0, -3, &out), cmath_errBadDofs);
    EXPECT_EQ(out, -2.0);
}

TEST(ChiSquaredCDF, AgreesWithALongDoubleSeriesOnBothBranches)
{
    int checked = 0;
    for (int dofs : {1, 2, 3, 4, 5, 7, 10, 17, 30, 55, 100, 200}) {
        for (double q : {0.01, 0.1, 0.3, 0.6, 0.9, 1.0, 1.2, 1.6, 2.5, 4.0}) {
            const double x = q * dofs + 0.05;
            double out = -2.0;
            const cmath_status st = cmath_chiSquaredCDF(x, dofs, &out);
            if (st < 0) {
                ADD_FAILURE() << "dofs " << dofs << " x " << x << " status " << st;
                continue;
            }
            const long double want = referenceP(dofs * 0.5L, x * 0.5L);
            EXPECT_NEAR(out, static_cast<double>(want), 2e-6 * std::fmax(1e-3, static_cast<double>(want)) + 1e-9)
                << "dofs " << dofs << " x " << x;
            EXPECT_GE(out, 0.0);
            EXPECT_LE(out, 1.0);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 120);
}

TEST(LogGamma, StatedValuesDomainAndAccuracyAgainstTheStandardLibrary)
{
    double out = -2.0;
    ASSERT_EQ(cmath_lgamma(1.0, &out), 0);
    EXPECT_NEAR(out, 0.0, 2e-10);
    ASSERT_EQ(cmath_lgamma(2.0, &out), 0);
    EXPECT_NEAR(out, 0.0, 2e-10);
    ASSERT_EQ(cmath_lgamma(0.5, &out), 0);
    EXPECT_NEAR(out, 0.5723649429247001, 2e-10);
    out = -2.0;
    for (double x : {0.0, -0.0, -1.0, -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(cmath_lgamma(x, &out), cmath_errOutOfDomain);
    }
    EXPECT_EQ(out, -2.0);

    // 0.001 ... 1000 on a logarithmic grid, absolute error below 2e-10.
    double worst = 0.0;
    for (int i = 0; i <= 6000; ++i) {
        const double x = 0.001 * std::pow(10.0, i / 1000.0);
        ASSERT_EQ(cmath_lgamma(x, &out), 0);
        const double err = std::fabs(out - static_cast<double>(std::lgamma(static_cast<long double>(x))));
        worst = std::fmax(worst, err);
        ASSERT_LT(err, 2e-10) << "x = " << x;
    }
    EXPECT_GT(worst, 0.0); // the approximation is not the standard function itself
}

TEST(ChiSqRecords, DefaultsCopiesAndTheGettersOfAFreshResult)
{
    cmath_chiSqTestParams p{0.3}, q{0.9};
    ASSERT_EQ(cmath_chiSqTestParams_construct(&p), 0);
    EXPECT_EQ(p.significance, 0.05);
    p.significance = 0.2;
    ASSERT_EQ(cmath_chiSqTestParams_constructCopy(&q, &p), 0);
    EXPECT_EQ(q.significance, 0.2);
    ASSERT_EQ(cmath_chiSqTestParams_reset(&q), 0);
    ASSERT_EQ(cmath_chiSqTestParams_assign(&p, &q), 0);
    EXPECT_EQ(p.significance, 0.05);

    cmath_chiSqTestResult r = sentinelResult();
    ASSERT_EQ(cmath_chiSqTestResult_construct(&r), 0);
    expectResult(r, 0, 0, 0.0, 0);
    int32_t flag = -1, dofs = -1;
    double stat = -1;
    EXPECT_EQ(cmath_chiSqTestResult_getIsComputed(&r, &flag), 0);
    EXPECT_EQ(flag, 0);
    flag = -1;
    EXPECT_EQ(cmath_chiSqTestResult_getPassed(&r, &flag), cmath_errNotComputed);
    EXPECT_EQ(cmath_chiSqTestResult_getNumDofs(&r, &dofs), cmath_errNotComputed);
    EXPECT_EQ(cmath_chiSqTestResult_getTestStatistic(&r, &stat), cmath_errNotComputed);
    EXPECT_TRUE(flag == -1 && dofs == -1 && stat == -1.0);

    const cmath_chiSqTestResult src{1, 1, 0.25, 4};
    cmath_chiSqTestResult c = sentinelResult(), a = sentinelResult();
    ASSERT_EQ(cmath_chiSqTestResult_constructCopy(&c, &src), 0);
    ASSERT_EQ(cmath_chiSqTestResult_assign(&a, &src), 0);
    expectResult(c, 1, 1, 0.25, 4);
    expectResult(a, 1, 1, 0.25, 4);
    ASSERT_EQ(cmath_chiSqTestResult_reset(&a), 0);
    expectResult(a, 0, 0, 0.0, 0);
}
