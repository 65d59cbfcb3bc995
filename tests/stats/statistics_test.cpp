// Running statistics: stated values, clamping, merging, the bulk path against one by one.
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
const double kNaN = std::numeric_limits<double>::quiet_NaN();

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

using Getter = cmath_status (*)(const cmath_statistics*, double*);

double get(Getter g, const cmath_statistics& s)
{
    double out = kSentinel;
    EXPECT_EQ(g(&s, &out), 0);
    return out;
}

} // namespace

TEST(Statistics, EmptyStateAndGettersRefuseIt)
{
    cmath_statistics s, c;
    std::memset(&s, 0x5A, sizeof s);
    std::memset(&c, 0x33, sizeof c);
    ASSERT_EQ(cmath_statistics_init(&s), 0);
    ASSERT_EQ(cmath_statistics_initClear(&c), 0);
    expectSameBits(c, s);
    EXPECT_EQ(s.n, 0);
    EXPECT_EQ(bits(s.minimum), 0x7FEFFFFFFFFFFFFFull);
    EXPECT_EQ(bits(s.maximum), 0xFFEFFFFFFFFFFFFFull);
    int32_t n = -1;
    EXPECT_EQ(cmath_statistics_getN(&s, &n), 0);
    EXPECT_EQ(n, 0);

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
    EXPECT_TRUE(m == kSentinel && sd == kSentinel && r == kSentinel);
}

TEST(Statistics, StatedValues)
{
    const cmath_statistics one = filled({-3.5}), s = filled({1, 2, 3, 4});
    const cmath_statistics e = filled({-5, 3}), p = filled({-1, 7});
    const struct {
        const cmath_statistics& s;
        Getter g;
        double want;
    } cases[] = {{one, cmath_statistics_getVariance, 0.0}, {one, cmath_statistics_getStdDev, 0.0},
                 {one, cmath_statistics_getRMS, 3.5},      {one, cmath_statistics_getMinimum, -3.5},
                 {one, cmath_statistics_getMaximum, -3.5}, {s, cmath_statistics_getSum, 10.0},
                 {s, cmath_statistics_getSumSquares, 30.0}, {s, cmath_statistics_getMean, 2.5},
                 {s, cmath_statistics_getVariance, 1.6666666666666667},
                 {s, cmath_statistics_getStdDev, 1.2909944487358056},
                 {s, cmath_statistics_getRMS, 2.7386127875258306}};
    for (const auto& c : cases) {
        EXPECT_EQ(get(c.g, c.s), c.want) << c.s.n;
    }
    double r = kSentinel, ext = kSentinel;
    ASSERT_EQ(cmath_statistics_getMeanStdDevRms(&s, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(cmath_statistics_getAbsExtremeAndRMS(&e, &ext, nullptr), 0);
    EXPECT_EQ(ext, 5.0);
    ASSERT_EQ(cmath_statistics_getAbsExtremeAndRMS(&e, nullptr, &r), 0);
    EXPECT_EQ(r, std::sqrt(34.0 / 2.0));
    ASSERT_EQ(cmath_statistics_getAbsExtremeAndRMS(&p, &ext, &r), 0);
    EXPECT_EQ(ext, 7.0);
}

TEST(Statistics, ClampingOnlyWhereStated)
{
    // 0.1 three times: the raw formula goes below zero; only the flat getters clamp.
    const cmath_statistics s = filled({0.1, 0.1, 0.1});
    EXPECT_EQ(bits(get(cmath_statistics_getVariance, s)), bits(0.0));
    EXPECT_EQ(bits(get(cmath_statistics_getStdDev, s)), bits(0.0));
    csStats2 legacy;
    csStats2Reset(&legacy);
    for (int i = 0; i < 3; ++i) {
        csStats2Add(&legacy, 0.1);
    }
    EXPECT_EQ(csStats2Variance(&legacy), -1.734723475976807e-18);
    EXPECT_TRUE(std::isnan(csStats2StdDev(&legacy)));

    // 0.7 five times: getVariance's order gives exactly 0, the one-pass order through 1/n goes
    // to -1.1102230246251565e-16 and is clamped before the square root.
    const cmath_statistics f = filled({0.7, 0.7, 0.7, 0.7, 0.7});
    EXPECT_EQ((f.sumSquares - ((1.0 / 5.0) * f.sum) * f.sum) / 4.0, -1.1102230246251565e-16);
    EXPECT_EQ(get(cmath_statistics_getVariance, f), 0.0);
    double m = 0, sd = kSentinel, r = 0;
    ASSERT_EQ(cmath_statistics_getMeanStdDevRms(&f, &m, &sd, &r), 0);
    EXPECT_EQ(bits(sd), bits(0.0));
    EXPECT_EQ(m, (1.0 / 5.0) * f.sum);
    EXPECT_EQ(r, std::sqrt(f.sumSquares * (1.0 / 5.0)));

    // A NaN is not clamped away; it is taken as minimum, never as maximum, and a later value
    // replaces it as minimum.
    cmath_statistics n = filled({2.0, kNaN});
    EXPECT_TRUE(std::isnan(n.minimum));
    EXPECT_EQ(n.maximum, 2.0);
    EXPECT_TRUE(std::isnan(get(cmath_statistics_getVariance, n)));
    cmath_statistics_add(&n, 1.0);
    EXPECT_EQ(n.minimum, 1.0);
}

TEST(Statistics, NegativeAndZeroCountsLeaveTheTargetAlone)
{
    cmath_statistics s = filled({1, 2, 3});
    const cmath_statistics before = s;
    const double values[] = {9.0};
    EXPECT_EQ(cmath_statistics_addValues(&s, nullptr, 0), 0);
    EXPECT_EQ(cmath_statistics_addValues(&s, values, -1), cmath_errNegativeCount);
    EXPECT_EQ(cmath_statistics_initValues(&s, values, -1), cmath_errNegativeCount);
    expectSameBits(s, before);
    EXPECT_EQ(cmath_statistics_initValues(&s, nullptr, 0), 0);
    expectSameBits(s, filled({}));
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
                v[v.size() / 2] = kNaN;
            }
            if (trial == 3) {
                v.front() = std::numeric_limits<double>::infinity();
                v.back() = -std::numeric_limits<double>::infinity();
            }
            cmath_statistics bulk = filled({0.3, -1e10});
            cmath_statistics single = bulk;
            ASSERT_EQ(cmath_statistics_addValues(&bulk, v.data(), len), 0);
            cmath_statistics fresh;
            ASSERT_EQ(cmath_statistics_initValues(&fresh, v.data(), len), 0);
            cmath_statistics ref = filled({});
            for (double x : v) {
                cmath_statistics_add(&single, x);
                cmath_statistics_add(&ref, x);
            }
            expectSameBits(bulk, single);
            expectSameBits(fresh, ref);
        }
    }
}

TEST(Statistics, Merging)
{
    cmath_statistics a = filled({1, 5});
    const cmath_statistics before = a;
    const cmath_statistics empty = filled({});
    ASSERT_EQ(cmath_statistics_addStatistics(&a, &empty), 0);
    expectSameBits(a, before);
    cmath_statistics e = filled({});
    ASSERT_EQ(cmath_statistics_addStatistics(&e, &a), 0);
    expectSameBits(e, a);

    const cmath_statistics b = filled({-2, 3});
    ASSERT_EQ(cmath_statistics_addStatistics(&a, &b), 0);
    expectSameBits(a, filled({1, 5, -2, 3}));
    cmath_statistics self = filled({2, 4});
    ASSERT_EQ(cmath_statistics_addStatistics(&self, &self), 0);
    expectSameBits(self, filled({2, 4, 2, 4}));
}

TEST(Stats2, ResetAddAndFixedValuesWhenEmpty)
{
    csStats2 s;
    std::memset(&s, 0x7F, sizeof s);
    csStats2Reset(&s);
    EXPECT_TRUE(csStats2N(&s) == 0u && s.outliers == 0u && s.last == 0.0 && csStats2Sum(&s) == 0.0);
    EXPECT_TRUE(csStats2Min(&s) == DBL_MAX && csStats2Max(&s) == -DBL_MAX);
    EXPECT_TRUE(csStats2Mean(&s) == 0.0 && csStats2StdDev(&s) == 0.0);
    csStats2Add(&s, 2.0);
    EXPECT_EQ(csStats2Variance(&s), 0.0);
    s.outliers = 3;
    csStats2Add(&s, 7.0);
    EXPECT_TRUE(s.last == 7.0 && s.outliers == 3u && csStats2N(&s) == 2u);
    EXPECT_TRUE(csStats2Min(&s) == 2.0 && csStats2Max(&s) == 7.0 && csStats2Mean(&s) == 4.5);
    EXPECT_TRUE(csStats2Variance(&s) == 12.5 && csStats2StdDev(&s) == std::sqrt(12.5));
}

extern "C" int orbmath_stats_c_check(void);

TEST(StatsCInterface, HeaderCompilesAsC11AndCallsWork) { EXPECT_EQ(orbmath_stats_c_check(), 0); }
