// Running statistics: stated values, clamping, sentinels, merging, the bulk path against the
// one-by-one path, and untouched outputs on failure.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kSentinel = -777.25;

uint64_t bits(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

void expectSameBits(const cmath_statistics& a, const cmath_statistics& b)
{
    EXPECT_EQ(a.n, b.n);
    EXPECT_EQ(bits(a.sum), bits(b.sum));
    EXPECT_EQ(bits(a.sumSquares), bits(b.sumSquares));
    EXPECT_EQ(bits(a.minimum), bits(b.minimum));
    EXPECT_EQ(bits(a.maximum), bits(b.maximum));
}

cmath_statistics filled(std::initializer_list<double> values)
{
    cmath_statistics s;
    cmath_statistics_init(&s);
    for (double v : values) {
        cmath_statistics_add(&s, v);
    }
    return s;
}

} // namespace

TEST(Statistics, EmptyStateAndGettersRefuseIt)
{
    cmath_statistics s;
    std::memset(&s, 0x5A, sizeof s);
    ASSERT_EQ(cmath_statistics_init(&s), 0);
    EXPECT_EQ(s.n, 0);
    EXPECT_EQ(bits(s.minimum), 0x7FEFFFFFFFFFFFFFull);
    EXPECT_EQ(bits(s.maximum), 0xFFEFFFFFFFFFFFFFull);
    int32_t n = -1;
    EXPECT_EQ(cmath_statistics_getN(&s, &n), 0);
    EXPECT_EQ(n, 0);

    using Getter = cmath_status (*)(const cmath_statistics*, double*);
    for (Getter g : {cmath_statistics_getSum, cmath_statistics_getSumSquares, cmath_statistics_getMinimum,
                     cmath_statistics_getMaximum, cmath_statistics_getMean, cmath_statistics_getVariance,
                     cmath_statistics_getStdDev, cmath_statistics_getRMS}) {
        double out = kSentinel;
        EXPECT_EQ(g(&s, &out), cmath_errNoValues);
        EXPECT_EQ(out, kSentinel);
    }
    double m = kSentinel, sd = kSentinel, r = kSentinel;
    EXPECT_EQ(cmath_statistics_getMeanStdDevRms(&s, &m, &sd, &r), cmath_errNoValues);
    EXPECT_EQ(cmath_statistics_getAbsExtremeAndRMS(&s, &m, &r), cmath_errNoValues);
    EXPECT_EQ(m, kSentinel);
    EXPECT_EQ(sd, kSentinel);
    EXPECT_EQ(r, kSentinel);

    cmath_statistics c;
    std::memset(&c, 0x33, sizeof c);
    ASSERT_EQ(cmath_statistics_initClear(&c), 0);
    expectSameBits(c, s);
}

TEST(Statistics, OneValueAndOneToFour)
{
    cmath_statistics one = filled({-3.5});
    double v = kSentinel;
    ASSERT_EQ(cmath_statistics_getVariance(&one, &v), 0);
    EXPECT_EQ(v, 0.0);
    ASSERT_EQ(cmath_statistics_getStdDev(&one, &v), 0);
    EXPECT_EQ(v, 0.0);
    ASSERT_EQ(cmath_statistics_getRMS(&one, &v), 0);
    EXPECT_EQ(v, 3.5);
    ASSERT_EQ(cmath_statistics_getMinimum(&one, &v), 0);
    EXPECT_EQ(v, -3.5);
    ASSERT_EQ(cmath_statistics_getMaximum(&one, &v), 0);
    EXPECT_EQ(v, -3.5);
    double m = kSentinel, sd = kSentinel;
    ASSERT_EQ(cmath_statistics_getMeanStdDevRms(&one, &m, &sd, nullptr), 0);
    EXPECT_EQ(m, -3.5);
    EXPECT_EQ(sd, 0.0);

    cmath_statistics s = filled({1, 2, 3, 4});
    ASSERT_EQ(cmath_statistics_getMean(&s, &v), 0);
    EXPECT_EQ(v, 2.5);
    ASSERT_EQ(cmath_statistics_getVariance(&s, &v), 0);
    EXPECT_EQ(v, 1.6666666666666667);
    ASSERT_EQ(cmath_statistics_getStdDev(&s, &v), 0);
    EXPECT_EQ(v, 1.2909944487358056);
    ASSERT_EQ(cmath_statistics_getRMS(&s, &v), 0);
    EXPECT_EQ(v, 2.7386127875258306);
    double r = kSentinel;
    ASSERT_EQ(cmath_statistics_getMeanStdDevRms(&s, &m, &sd, &r), 0);
    EXPECT_EQ(m, 2.5);
    EXPECT_EQ(sd, 1.2909944487358056);
    EXPECT_EQ(r, 2.7386127875258306);
    double sum = 0, sq = 0;
    ASSERT_EQ(cmath_statistics_getSum(&s, &sum), 0);
    ASSERT_EQ(cmath_statistics_getSumSquares(&s, &sq), 0);
    EXPECT_EQ(sum, 10.0);
    EXPECT_EQ(sq, 30.0);
}

TEST(Statistics, ClampingOnlyWhereStated)
{
    // 0.1 three times: the raw formula goes below zero; only the flat getters clamp.
    cmath_statistics s = filled({0.1, 0.1, 0.1});
    double v = kSentinel;
    ASSERT_EQ(cmath_statistics_getVariance(&s, &v), 0);
    EXPECT_EQ(bits(v), bits(0.0));
    ASSERT_EQ(cmath_statistics_getStdDev(&s, &v), 0);
    EXPECT_EQ(bits(v), bits(0.0));
    csStats2 legacy;
    csStats2Reset(&legacy);
    for (int i = 0; i < 3; ++i) {
        csStats2Add(&legacy, 0.1);
    }
    EXPECT_EQ(csStats2Variance(&legacy), -1.734723475976807e-18);
    EXPECT_TRUE(std::isnan(csStats2StdDev(&legacy)));

    // 0.7 five times: getVariance's order gives exactly 0, the one-pass order goes negative
    // (-1.1102230246251565e-16) and is clamped before the square root.
    cmath_statistics f = filled({0.7, 0.7, 0.7, 0.7, 0.7});
    const double n = 5.0;
    EXPECT_EQ((f.sumSquares - (f.sum / n) * f.sum) / (n - 1.0), 0.0);
    EXPECT_EQ((f.sumSquares - ((1.0 / n) * f.sum) * f.sum) / (n - 1.0), -1.1102230246251565e-16);
    ASSERT_EQ(cmath_statistics_getVariance(&f, &v), 0);
    EXPECT_EQ(v, 0.0);
    double m = 0, sd = kSentinel, r = 0;
    ASSERT_EQ(cmath_statistics_getMeanStdDevRms(&f, &m, &sd, &r), 0);
    EXPECT_EQ(bits(sd), bits(0.0));
    EXPECT_EQ(m, (1.0 / 5.0) * f.sum);
    EXPECT_EQ(r, std::sqrt(f.sumSquares * (1.0 / 5.0)));
}

TEST(Statistics, AbsExtremeAndNullOutputs)
{
    cmath_statistics s = filled({-5, 3});
    double e = kSentinel, r = kSentinel;
    ASSERT_EQ(cmath_statistics_getAbsExtremeAndRMS(&s, &e, &r), 0);
    EXPECT_EQ(e, 5.0);
    EXPECT_EQ(r, std::sqrt(34.0 / 2.0));
    e = kSentinel;
    ASSERT_EQ(cmath_statistics_getAbsExtremeAndRMS(&s, nullptr, &r), 0);
    ASSERT_EQ(cmath_statistics_getAbsExtremeAndRMS(&s, &e, nullptr), 0);
    EXPECT_EQ(e, 5.0);
    cmath_statistics p = filled({-1, 7});
    ASSERT_EQ(cmath_statistics_getAbsExtremeAndRMS(&p, &e, nullptr), 0);
    EXPECT_EQ(e, 7.0);
    ASSERT_EQ(cmath_statistics_getMeanStdDevRms(&s, nullptr, nullptr, nullptr), 0);
}

TEST(Statistics, NegativeAndZeroCountsLeaveTheTargetAlone)
{
    cmath_statistics s = filled({1, 2, 3});
    const cmath_statistics before = s;
    const double values[] = {9.0};
    EXPECT_EQ(cmath_statistics_addValues(&s, nullptr, 0), 0);
    expectSameBits(s, before);
    EXPECT_EQ(cmath_statistics_addValues(&s, values, -1), cmath_errNegativeCount);
    expectSameBits(s, before);
    EXPECT_EQ(cmath_statistics_initValues(&s, values, -1), cmath_errNegativeCount);
    expectSameBits(s, before);
    EXPECT_EQ(cmath_statistics_initValues(&s, nullptr, 0), 0);
    EXPECT_EQ(s.n, 0);
    EXPECT_EQ(s.minimum, DBL_MAX);
    EXPECT_EQ(cmath_statistics_initValues(&s, values, 1), 0);
    EXPECT_EQ(s.n, 1);
    EXPECT_EQ(s.maximum, 9.0);
}

// The bulk path must equal adding one by one, bit for bit, for every length around the unroll
// width, for awkward magnitudes, and with NaN and infinities where the comparison order shows.
TEST(Statistics, AddValuesIsBitIdenticalToAddingOneByOne)
{
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> mag(-30.0, 30.0);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int len = 1; len <= 67; ++len) {
        for (int trial = 0; trial < 4; ++trial) {
            std::vector<double> v(static_cast<size_t>(len));
            for (double& x : v) {
                x = unit(rng) * std::exp2(mag(rng));
            }
            if (trial == 2) {
                v[static_cast<size_t>(len) / 2] = std::numeric_limits<double>::quiet_NaN();
            }
            if (trial == 3) {
                v[0] = std::numeric_limits<double>::infinity();
                v[static_cast<size_t>(len) - 1] = -std::numeric_limits<double>::infinity();
            }
            cmath_statistics bulk = filled({0.3, -1e10});
            cmath_statistics single = bulk;
            ASSERT_EQ(cmath_statistics_addValues(&bulk, v.data(), len), 0);
            for (double x : v) {
                cmath_statistics_add(&single, x);
            }
            expectSameBits(bulk, single);

            cmath_statistics init;
            ASSERT_EQ(cmath_statistics_initValues(&init, v.data(), len), 0);
            cmath_statistics ref = filled({});
            for (double x : v) {
                cmath_statistics_add(&ref, x);
            }
            expectSameBits(init, ref);
        }
    }
}

TEST(Statistics, NanIsTakenAsMinimumButNeverAsMaximum)
{
    cmath_statistics s = filled({2.0, std::numeric_limits<double>::quiet_NaN()});
    EXPECT_TRUE(std::isnan(s.minimum));
    EXPECT_EQ(s.maximum, 2.0);
    cmath_statistics_add(&s, 1.0); // 1 >= NaN is false: 1 replaces the NaN minimum
    EXPECT_EQ(s.minimum, 1.0);
    double v = 0;
    ASSERT_EQ(cmath_statistics_getVariance(&s, &v), 0);
    EXPECT_TRUE(std::isnan(v)); // a NaN sum is not clamped away
}

TEST(Statistics, MergingAndAssignment)
{
    cmath_statistics a = filled({1, 5});
    const cmath_statistics before = a;
    cmath_statistics empty = filled({});
    ASSERT_EQ(cmath_statistics_addStatistics(&a, &empty), 0);
    expectSameBits(a, before);

    cmath_statistics e = filled({});
    ASSERT_EQ(cmath_statistics_addStatistics(&e, &a), 0);
    expectSameBits(e, a);

    cmath_statistics b = filled({-2, 3});
    ASSERT_EQ(cmath_statistics_addStatistics(&a, &b), 0);
    expectSameBits(a, filled({1, 5, -2, 3}));

    cmath_statistics self = filled({2, 4});
    ASSERT_EQ(cmath_statistics_addStatistics(&self, &self), 0);
    EXPECT_EQ(self.n, 4);
    EXPECT_EQ(self.sum, 12.0);
    EXPECT_EQ(self.sumSquares, 40.0);
    EXPECT_EQ(self.minimum, 2.0);
    EXPECT_EQ(self.maximum, 4.0);

    cmath_statistics c;
    std::memset(&c, 0x11, sizeof c);
    ASSERT_EQ(cmath_statistics_assign(&c, &b), 0);
    expectSameBits(c, b);
}

TEST(Stats2, ResetAddAndFixedValuesWhenEmpty)
{
    csStats2 s;
    std::memset(&s, 0x7F, sizeof s);
    csStats2Reset(&s);
    EXPECT_EQ(csStats2N(&s), 0u);
    EXPECT_EQ(s.outliers, 0u);
    EXPECT_EQ(s.last, 0.0);
    EXPECT_EQ(csStats2Sum(&s), 0.0);
    EXPECT_EQ(csStats2Min(&s), DBL_MAX);
    EXPECT_EQ(csStats2Max(&s), -DBL_MAX);
    EXPECT_EQ(csStats2Mean(&s), 0.0);
    EXPECT_EQ(csStats2Variance(&s), 0.0);
    EXPECT_EQ(csStats2StdDev(&s), 0.0);

    csStats2Add(&s, 2.0);
    EXPECT_EQ(csStats2Variance(&s), 0.0);
    EXPECT_EQ(csStats2StdDev(&s), 0.0);
    csStats2Add(&s, 7.0);
    EXPECT_EQ(s.last, 7.0);
    EXPECT_EQ(csStats2N(&s), 2u);
    EXPECT_EQ(csStats2Min(&s), 2.0);
    EXPECT_EQ(csStats2Max(&s), 7.0);
    EXPECT_EQ(csStats2Mean(&s), 4.5);
    EXPECT_EQ(csStats2Variance(&s), 12.5);
    EXPECT_EQ(csStats2StdDev(&s), std::sqrt(12.5));

    s.outliers = 3;
    csStats2Add(&s, 1.0);
    EXPECT_EQ(s.outliers, 3u);
    csStats2Reset(&s);
    EXPECT_EQ(s.outliers, 0u);
}

extern "C" int orbmath_stats_c_check(void);

TEST(StatsCInterface, HeaderCompilesAsC11AndCallsWork) { EXPECT_EQ(orbmath_stats_c_check(), 0); }
