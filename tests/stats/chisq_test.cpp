// The chi-squared test: argument checks, grouping, p-value; the distribution function against a
// long-double series; ln Gamma against the standard library; the parameter and result records.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const cmath_chiSqTestResult kSentinel{7, 7, -3.5, 77};

bool same(const cmath_chiSqTestResult& a, const cmath_chiSqTestResult& b)
{
    return a.isComputed == b.isComputed && a.passed == b.passed && a.testStatistic == b.testStatistic &&
           a.numDofs == b.numDofs;
}

// The expected counts of the bins, and the bins asked for.
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

// Runs the test at significance alpha, the result starting as the sentinel.
cmath_status run(const std::vector<double>& observed, Expected& e, double alpha, cmath_chiSqTestResult& r)
{
    const cmath_chiSqTestParams p{alpha};
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

TEST(ChiSqTest, GroupsPValueAndVerdict)
{
    // {10}, {0, 0, 10}, {10} against 6, 18, 6; p ~ 0.0117 fails at 0.05 and passes at 0.01.
    Expected e{{6, 6, 6, 6, 6}, {}};
    cmath_chiSqTestResult r;
    const double p = 1.0 - cdf(16.0 / 6.0 + 64.0 / 18.0 + 16.0 / 6.0, 2);
    EXPECT_NEAR(p, std::exp(-(16.0 / 6.0 + 64.0 / 18.0 + 16.0 / 6.0) / 2), 1e-7);
    EXPECT_TRUE(run({10, 0, 0, 10, 10}, e, 0.05, r) == 0 && same(r, {1, 0, p, 2}));
    EXPECT_EQ(e.calls, (std::vector<int32_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(run({10, 0, 0, 10, 10}, e, 0.01, r) == 0 && same(r, {1, 1, p, 2}));
    ASSERT_EQ(run({10, 0, 0, 10, 10}, e, p, r), 0); // passing needs p strictly above alpha
    EXPECT_EQ(r.passed, 0);

    // Observed 5, 5, 5, 1, 3 against 4, 4, 4, 1, 1: the groups are {5}, {5}, {5, 1, 3}, with
    // expected 4, 4, 6. Had the remainder formed its own group, or been dropped, X^2 differs.
    Expected e2{{4, 4, 4, 1, 1}, {}};
    ASSERT_EQ(run({5, 5, 5, 1, 3}, e2, 0.05, r), 0);
    EXPECT_TRUE(same(r, {1, 1, 1.0 - cdf(1.0 / 4.0 + 1.0 / 4.0 + 9.0 / 6.0, 2), 2}));

    // Fewer than three groups (the rule is on the observed totals): refused after the calls,
    // with the result reset. Observed 2 x 8: groups close after bins 2 and 5, 6 and 7 join.
    Expected e3{std::vector<double>(8, 2.0), {}}, e4{{100, 100, 100}, {}};
    EXPECT_EQ(run(std::vector<double>(8, 2.0), e3, 0.05, r), cmath_errOutOfDomain);
    EXPECT_TRUE(same(r, {0, 0, 0.0, 0}) && e3.calls.size() == 8u);
    EXPECT_TRUE(run({1, 1, 1}, e4, 0.05, r) == cmath_errOutOfDomain && same(r, {0, 0, 0.0, 0}));

    // 1001 groups whose X^2 is 1001 against 1000 degrees of freedom: the series of the
    // distribution function does not converge there, and the test reports it instead of p = 1.
    std::vector<double> observed;
    Expected e5;
    for (size_t i = 0; i < 1001; ++i) {
        observed.push_back(i % 2 == 0 ? 6.0 : 12.0);
        e5.counts.push_back(9.0);
    }
    EXPECT_TRUE(run(observed, e5, 0.05, r) == cmath_errFailed && same(r, {0, 0, 0.0, 0}));
}

TEST(ChiSquaredCDF, StatedValuesDomainAndALongDoubleSeriesOnBothBranches)
{
    EXPECT_NEAR(cdf(2.0, 2), 1.0 - std::exp(-1.0), 1e-7);
    EXPECT_NEAR(cdf(10.0, 2), 1.0 - std::exp(-5.0), 1e-7);
    EXPECT_TRUE(cdf(0.0, 3) == 0.0 && cdf(-1.0, 3) == 0.0 && cdf(kNaN, 3) == 0.0 &&
                cdf(std::numeric_limits<double>::infinity(), 3) == 1.0);
    double out = -2.0; // refusals write nothing; at 1001 and 1000 degrees the series does not converge
    EXPECT_TRUE(cmath_chiSquaredCDF(5.0, 0, &out) == cmath_errBadDofs &&
                cmath_chiSquaredCDF(-5.0, -3, &out) == cmath_errBadDofs &&
                cmath_chiSquaredCDF(1001.0, 1000, &out) == cmath_errFailed && out == -2.0);
    EXPECT_NEAR(cdf(600.0, 1000), static_cast<double>(referenceP(500.0L, 300.0L)), 1e-6); // far from the mean
    EXPECT_NEAR(cdf(2002.0, 2000), static_cast<double>(referenceP(1000.0L, 1001.0L)), 1e-6); // y = a + 1: fraction

    for (int dofs : {1, 2, 3, 4, 5, 7, 10, 17, 30, 55, 100, 200}) {
        for (double q : {0.01, 0.1, 0.3, 0.6, 0.9, 1.0, 1.2, 1.6, 2.5, 4.0}) {
            const double x = q * dofs + 0.05, got = cdf(x, dofs);
            const auto want = static_cast<double>(referenceP(dofs * 0.5L, x * 0.5L));
            EXPECT_NEAR(got, want, 2e-6 * std::fmax(1e-3, want) + 1e-9) << "dofs " << dofs << " x " << x;
            EXPECT_TRUE(got >= 0.0 && got <= 1.0);
        }
    }
}

TEST(LogGamma, DomainAndAccuracyAgainstTheStandardLibrary)
{
    double out = -2.0;
    for (double x : {0.0, -0.0, -1.0, -std::numeric_limits<double>::infinity(), kNaN}) {
        EXPECT_EQ(cmath_lgamma(x, &out), cmath_errOutOfDomain);
    }
    EXPECT_EQ(out, -2.0);
    // 0.5, 1 and 2, then 0.001 ... 1000 on a logarithmic grid: absolute error below 2e-10.
    for (int i = -3; i <= 6000; ++i) {
        const double x = i < 0 ? std::ldexp(1.0, i + 2) : 0.001 * std::pow(10.0, i / 1000.0);
        ASSERT_EQ(cmath_lgamma(x, &out), 0);
        const double err = std::fabs(out - static_cast<double>(std::lgamma(static_cast<long double>(x))));
        ASSERT_LT(err, 2e-10) << "x = " << x;
    }
}

TEST(ChiSqRecords, InitialisersCopiesAndGetters)
{
    // Parameters: default 0.05; valid strictly inside (0, 1).
    cmath_chiSqTestParams p{0.3}, q{0.7}, w{0.999};
    EXPECT_TRUE(cmath_chiSqTestParams_construct(&p) == 0 && p.significance == 0.05);
    EXPECT_TRUE((p.significance = 0.3, cmath_chiSqTestParams_reset(&p)) == 0 && p.significance == 0.05);
    EXPECT_TRUE(cmath_chiSqTestParams_constructCopy(&p, &q) == 0 && p.significance == 0.7);
    EXPECT_TRUE(cmath_chiSqTestParams_assign(&q, &w) == 0 && q.significance == 0.999);
    EXPECT_TRUE(cmath_chiSqTestParams_validate(&q) == 0 && cmath_chiSqTestParams_destruct(&q) == 0);
    // Refused by the test as well, before any call, with the result untouched; so are fewer than 3 bins.
    Expected e{{5, 5, 5}, {}};
    cmath_chiSqTestResult t;
    for (double alpha : {0.0, 1.0, -0.1, 1.5, kNaN}) {
        q.significance = alpha;
        EXPECT_TRUE(cmath_chiSqTestParams_validate(&q) == cmath_errBadSignificance &&
                    run({5, 5, 5}, e, alpha, t) == cmath_errBadSignificance && same(t, kSentinel)) << alpha;
    }
    EXPECT_TRUE(run({5, 5}, e, 0.05, t) == cmath_errOutOfDomain && same(t, kSentinel) && e.calls.empty());

    // Results: construct and reset zero every field; copies take every field.
    const cmath_chiSqTestResult zero{0, 0, 0.0, 0}, computed{1, 0, 0.25, 4};
    cmath_chiSqTestResult r = kSentinel;
    EXPECT_TRUE(cmath_chiSqTestResult_construct(&r) == 0 && same(r, zero));
    EXPECT_TRUE((r = kSentinel, cmath_chiSqTestResult_reset(&r)) == 0 && same(r, zero));
    EXPECT_TRUE(cmath_chiSqTestResult_constructCopy(&r, &computed) == 0 && same(r, computed));
    EXPECT_TRUE((r = kSentinel, cmath_chiSqTestResult_assign(&r, &computed)) == 0 && same(r, computed));
    EXPECT_EQ(cmath_chiSqTestResult_destruct(&r), 0);

    // Getters: a result not computed refuses all but getIsComputed and writes nothing.
    for (const cmath_chiSqTestResult& c : {zero, computed}) {
        const cmath_status st = c.isComputed ? 0 : cmath_errNotComputed;
        int32_t flag = -1, passed = -1, dofs = -1;
        double stat = -1;
        EXPECT_TRUE(cmath_chiSqTestResult_getIsComputed(&c, &flag) == 0 && flag == c.isComputed);
        EXPECT_EQ(cmath_chiSqTestResult_getPassed(&c, &passed), st);
        EXPECT_EQ(cmath_chiSqTestResult_getNumDofs(&c, &dofs), st);
        EXPECT_EQ(cmath_chiSqTestResult_getTestStatistic(&c, &stat), st);
        EXPECT_TRUE(c.isComputed ? passed == 0 && dofs == 4 && stat == 0.25 : passed == -1 && dofs == -1 && stat == -1);
    }
}
