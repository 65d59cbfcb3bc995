// The chi-squared test: argument checks, grouping, p-value; the distribution function against a
// long-double series; ln Gamma against the standard library.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

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

const cmath_chiSqTestResult kSentinel{7, 7, -3.5, 77};

void expectResult(const cmath_chiSqTestResult& r, int32_t computed, int32_t passed, double p, int32_t dofs)
{
    EXPECT_TRUE(r.isComputed == computed && r.passed == passed && r.testStatistic == p && r.numDofs == dofs)
        << r.isComputed << " " << r.passed << " " << r.testStatistic << " " << r.numDofs;
}

cmath_chiSqTestParams params(double alpha)
{
    cmath_chiSqTestParams p;
    cmath_chiSqTestParams_construct(&p);
    p.significance = alpha;
    return p;
}

// Runs the test on `observed` against `e` at significance alpha, the result starting as the
// sentinel.
cmath_status run(const std::vector<double>& observed, Expected& e, double alpha, cmath_chiSqTestResult& r)
{
    const cmath_chiSqTestParams p = params(alpha);
    r = kSentinel;
    return cmath_chiSqTest(observed.data(), static_cast<int32_t>(observed.size()), &p, expectedCount, &e, &r);
}

double cdf(double x, int32_t dofs)
{
    double f = -1;
    EXPECT_EQ(cmath_chiSquaredCDF(x, dofs, &f), 0);
    return f;
}

// P(a, y) by its power series in long double, summed until the terms no longer matter.
long double referenceP(long double a, long double y)
{
    long double term = 1.0L / a, sum = term;
    for (int n = 1; n < 200000 && term >= sum * 1e-21L; ++n) {
        term *= y / (a + n);
        sum += term;
    }
    return std::exp(a * std::log(y) - y - std::lgamma(a)) * sum;
}

} // namespace

TEST(ChiSqTest, ArgumentErrorsLeaveTheResultUntouched)
{
    Expected e{{5, 5, 5}, {}};
    cmath_chiSqTestResult r;
    for (double alpha : {0.0, 1.0, -0.1, 1.5, kNaN}) {
        EXPECT_EQ(run({5, 5, 5}, e, alpha, r), cmath_errBadSignificance) << alpha;
        expectResult(r, 7, 7, -3.5, 77);
        const cmath_chiSqTestParams p = params(alpha);
        EXPECT_EQ(cmath_chiSqTestParams_validate(&p), cmath_errBadSignificance);
    }
    EXPECT_EQ(run({5, 5}, e, 0.05, r), cmath_errOutOfDomain);
    expectResult(r, 7, 7, -3.5, 77);
    EXPECT_TRUE(e.calls.empty());
    const cmath_chiSqTestParams high = params(0.999);
    EXPECT_EQ(cmath_chiSqTestParams_validate(&high), 0);
    EXPECT_EQ(run({5, 5, 5}, e, 0.999, r), 0);
    expectResult(r, 1, 1, 1.0, 2); // a perfect fit: p = 1 > 0.999
    EXPECT_EQ(e.calls, (std::vector<int32_t>{0, 1, 2}));
}

TEST(ChiSqTest, TheStatedGroups)
{
    // {10}, {0, 0, 10}, {10} against 6, 18, 6.
    Expected e{{6, 6, 6, 6, 6}, {}};
    cmath_chiSqTestResult r;
    ASSERT_EQ(run({10, 0, 0, 10, 10}, e, 0.05, r), 0);
    EXPECT_EQ(e.calls, (std::vector<int32_t>{0, 1, 2, 3, 4}));
    const double x2 = 16.0 / 6.0 + 64.0 / 18.0 + 16.0 / 6.0;
    expectResult(r, 1, 0, 1.0 - cdf(x2, 2), 2); // p ~ 0.0117 is not above 0.05
    EXPECT_NEAR(r.testStatistic, std::exp(-x2 / 2), 1e-7);
    ASSERT_EQ(run({10, 0, 0, 10, 10}, e, 0.01, r), 0);
    int32_t passed = -1, dofs = -1;
    double stat = -1;
    EXPECT_EQ(cmath_chiSqTestResult_getPassed(&r, &passed) | cmath_chiSqTestResult_getNumDofs(&r, &dofs) |
                  cmath_chiSqTestResult_getTestStatistic(&r, &stat), 0);
    EXPECT_TRUE(passed == 1 && dofs == 2 && stat == r.testStatistic);

    // Observed 5, 5, 5, 1, 3 against 4, 4, 4, 1, 1: the groups are {5}, {5}, {5, 1, 3}, with
    // expected 4, 4, 6. Had the remainder formed its own group, or been dropped, X^2 differs.
    Expected e2{{4, 4, 4, 1, 1}, {}};
    ASSERT_EQ(run({5, 5, 5, 1, 3}, e2, 0.05, r), 0);
    expectResult(r, 1, 1, 1.0 - cdf(1.0 / 4.0 + 1.0 / 4.0 + 9.0 / 6.0, 2), 2);

    // Fewer than three groups (the rule is on the observed totals): refused after the calls,
    // with the result reset. Observed 2 x 8: groups close after bins 2 and 5, 6 and 7 join.
    Expected e3{std::vector<double>(8, 2.0), {}}, e4{{100, 100, 100}, {}};
    EXPECT_EQ(run(std::vector<double>(8, 2.0), e3, 0.05, r), cmath_errOutOfDomain);
    expectResult(r, 0, 0, 0.0, 0);
    EXPECT_EQ(e3.calls.size(), 8u);
    EXPECT_EQ(run({1, 1, 1}, e4, 0.05, r), cmath_errOutOfDomain);
    expectResult(r, 0, 0, 0.0, 0);
}

TEST(ChiSqTest, NonConvergedDistributionIsReported)
{
    // 1001 groups whose X^2 is 1001 against 1000 degrees of freedom: the series of the
    // distribution function is too slow there, and the test reports it instead of p = 1.
    std::vector<double> observed;
    Expected e;
    for (size_t i = 0; i < 1001; ++i) {
        observed.push_back(i % 2 == 0 ? 6.0 : 12.0);
        e.counts.push_back(9.0);
    }
    cmath_chiSqTestResult r;
    EXPECT_EQ(run(observed, e, 0.05, r), cmath_errFailed);
    expectResult(r, 0, 0, 0.0, 0);
    double out = -2.0;
    EXPECT_EQ(cmath_chiSquaredCDF(1001.0, 1000, &out), cmath_errFailed);
    EXPECT_EQ(out, -2.0);
    // Far from the mean the same degrees of freedom converge.
    EXPECT_NEAR(cdf(600.0, 1000), static_cast<double>(referenceP(500.0L, 300.0L)), 1e-6);
}

TEST(ChiSquaredCDF, StatedValuesDomainAndALongDoubleSeriesOnBothBranches)
{
    EXPECT_NEAR(cdf(2.0, 2), 1.0 - std::exp(-1.0), 1e-7);
    EXPECT_NEAR(cdf(10.0, 2), 1.0 - std::exp(-5.0), 1e-7);
    for (double x : {0.0, -1.0, kNaN}) {
        EXPECT_EQ(cdf(x, 3), 0.0);
    }
    EXPECT_EQ(cdf(std::numeric_limits<double>::infinity(), 3), 1.0);
    double out = -2.0;
    EXPECT_EQ(cmath_chiSquaredCDF(5.0, 0, &out), cmath_errBadDofs);
    EXPECT_EQ(cmath_chiSquaredCDF(-5.0, -3, &out), cmath_errBadDofs);
    EXPECT_EQ(out, -2.0);

    for (int dofs : {1, 2, 3, 4, 5, 7, 10, 17, 30, 55, 100, 200}) {
        for (double q : {0.01, 0.1, 0.3, 0.6, 0.9, 1.0, 1.2, 1.6, 2.5, 4.0}) {
            const double x = q * dofs + 0.05, got = cdf(x, dofs);
            const auto want = static_cast<double>(referenceP(dofs * 0.5L, x * 0.5L));
            EXPECT_NEAR(got, want, 2e-6 * std::fmax(1e-3, want) + 1e-9) << "dofs " << dofs << " x " << x;
            EXPECT_TRUE(got >= 0.0 && got <= 1.0);
        }
    }
}

TEST(LogGamma, StatedValuesDomainAndAccuracyAgainstTheStandardLibrary)
{
    double out = -2.0;
    for (double x : {0.0, -0.0, -1.0, -std::numeric_limits<double>::infinity(), kNaN}) {
        EXPECT_EQ(cmath_lgamma(x, &out), cmath_errOutOfDomain);
    }
    EXPECT_EQ(out, -2.0);
    // 0.5, 1 and 2, then 0.001 ... 1000 on a logarithmic grid: absolute error below 2e-10.
    double worst = 0.0;
    for (int i = -3; i <= 6000; ++i) {
        const double x = i < 0 ? std::ldexp(1.0, i + 2) : 0.001 * std::pow(10.0, i / 1000.0);
        ASSERT_EQ(cmath_lgamma(x, &out), 0);
        const double err = std::fabs(out - static_cast<double>(std::lgamma(static_cast<long double>(x))));
        worst = std::fmax(worst, err);
        ASSERT_LT(err, 2e-10) << "x = " << x;
    }
    EXPECT_GT(worst, 0.0); // the approximation is not the standard function itself
}

TEST(ChiSqRecords, DefaultsAndTheGettersOfAFreshResult)
{
    cmath_chiSqTestParams p{0.3};
    ASSERT_EQ(cmath_chiSqTestParams_reset(&p), 0);
    EXPECT_EQ(p.significance, 0.05);
    // A fresh result is not computed: its getters refuse and leave the outputs alone.
    cmath_chiSqTestResult r = kSentinel;
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
}
