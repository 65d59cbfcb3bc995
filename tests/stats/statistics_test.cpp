// Running statistics: every getter of both records over a table of accumulators, refusals that
// write nothing, and the bulk path against adding one by one.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kS = -777.25; // what a refused getter leaves in its output
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Equal bit for bit, or both NaN.
bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

bool sameBits(const cmath_statistics& a, const cmath_statistics& b)
{
    return a.n == b.n && same(a.sum, b.sum) && same(a.sumSquares, b.sumSquares) && same(a.minimum, b.minimum) &&
           same(a.maximum, b.maximum);
}

cmath_statistics filled(const std::vector<double>& values)
{
    cmath_statistics s;
    EXPECT_EQ(cmath_statistics_init(&s), 0);
    for (double v : values) {
        EXPECT_EQ(cmath_statistics_add(&s, v), 0);
    }
    return s;
}

// Every value the flat getters write; the combined getters through one pointer, the others null.
using Getter = cmath_status (*)(const cmath_statistics*, double*);
const Getter kGetters[] = {
    cmath_statistics_getSum, cmath_statistics_getSumSquares, cmath_statistics_getMinimum,
    cmath_statistics_getMaximum, cmath_statistics_getMean, cmath_statistics_getVariance,
    cmath_statistics_getStdDev, cmath_statistics_getRMS,
    [](const cmath_statistics* s, double* o) { return cmath_statistics_getMeanStdDevRms(s, o, nullptr, nullptr); },
    [](const cmath_statistics* s, double* o) { return cmath_statistics_getMeanStdDevRms(s, nullptr, o, nullptr); },
    [](const cmath_statistics* s, double* o) { return cmath_statistics_getMeanStdDevRms(s, nullptr, nullptr, o); },
    [](const cmath_statistics* s, double* o) { return cmath_statistics_getAbsExtremeAndRMS(s, o, nullptr); },
    [](const cmath_statistics* s, double* o) { return cmath_statistics_getAbsExtremeAndRMS(s, nullptr, o); }};

} // namespace

TEST(Statistics, EveryGetterOfBothRecords)
{
    const double r32 = std::sqrt(32.0), r17 = std::sqrt(17.0), k = kS;
    // The values, what the flat getters give in the order of kGetters, and csStats2's N, Sum,
    // Min, Max, Mean, Variance and StdDev. 0.1 three times: the raw variance is
    // -1.734723475976807e-18, clamped by the flat getters only; 0.7 five times: only the
    // combined getter's order goes below zero (-1.1102230246251565e-16) and is clamped.
    const struct {
        std::vector<double> values;
        double flat[13], legacy[7];
    } rows[] = {
        {{}, {k, k, k, k, k, k, k, k, k, k, k, k, k}, {0, 0, DBL_MAX, -DBL_MAX, 0, 0, 0}},
        {{-3.5}, {-3.5, 12.25, -3.5, -3.5, -3.5, 0, 0, 3.5, -3.5, 0, 3.5, 3.5, 3.5}, {1, -3.5, -3.5, -3.5, -3.5, 0, 0}},
        {{1, 2, 3, 4},
         {10, 30, 1, 4, 2.5, 1.6666666666666667, 1.2909944487358056, 2.7386127875258306, 2.5, 1.2909944487358056,
          2.7386127875258306, 4, 2.7386127875258306},
         {4, 10, 1, 4, 2.5, 1.6666666666666667, 1.2909944487358056}},
        {{-5, 3}, {-2, 34, -5, 3, -1, 32, r32, r17, -1, r32, r17, 5, r17}, {2, -2, -5, 3, -1, 32, r32}},
        {{0.1, 0.1, 0.1},
         {0.30000000000000004, 0.030000000000000006, 0.1, 0.1, 0.10000000000000002, 0, 0, 0.1, 0.1, 0, 0.1, 0.1, 0.1},
         {3, 0.30000000000000004, 0.1, 0.1, 0.10000000000000002, -1.734723475976807e-18, kNaN}},
        {{0.7, 0.7, 0.7, 0.7, 0.7},
         {3.5, 2.4499999999999997, 0.7, 0.7, 0.7, 0, 0, 0.7, 0.7000000000000001, 0, 0.7, 0.7, 0.7},
         {5, 3.5, 0.7, 0.7, 0.7, 0, 0}},
        // A NaN is taken as minimum, never as maximum; a later value replaces it as minimum.
        {{2, kNaN, 1}, {kNaN, kNaN, 1, 2, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, 2, kNaN},
         {3, kNaN, 1, 2, kNaN, kNaN, kNaN}},
    };
    for (const auto& row : rows) {
        const cmath_statistics s = filled(row.values);
        const int32_t n = static_cast<int32_t>(row.values.size());
        int32_t gotN = -1;
        EXPECT_TRUE(cmath_statistics_getN(&s, &gotN) == 0 && gotN == n);
        for (size_t g = 0; g < std::size(kGetters); ++g) {
            double out = kS;
            EXPECT_EQ(kGetters[g](&s, &out), n == 0 ? cmath_errNoValues : 0) << n << " values, getter " << g;
            EXPECT_TRUE(same(out, row.flat[g])) << n << " values, getter " << g << ": " << out;
        }
        csStats2 legacy;
        std::memset(&legacy, 0x7F, sizeof legacy);
        csStats2Reset(&legacy);
        EXPECT_TRUE(legacy.last == 0.0 && legacy.outliers == 0u && legacy.sumSquares == 0.0);
        legacy.outliers = 3; // only reset changes it
        for (double v : row.values) {
            EXPECT_TRUE((csStats2Add(&legacy, v), same(legacy.last, v)));
        }
        const double got[] = {static_cast<double>(csStats2N(&legacy)), csStats2Sum(&legacy), csStats2Min(&legacy),
                              csStats2Max(&legacy), csStats2Mean(&legacy), csStats2Variance(&legacy),
                              csStats2StdDev(&legacy)};
        for (size_t g = 0; g < std::size(got); ++g) {
            EXPECT_TRUE(same(got[g], row.legacy[g])) << n << " values, legacy getter " << g << ": " << got[g];
        }
        EXPECT_EQ(legacy.outliers, 3u);
    }
}

TEST(Statistics, InitialisersCountsAndCopies)
{
    const cmath_statistics empty{0, 0.0, 0.0, DBL_MAX, -DBL_MAX};
    cmath_statistics s;
    for (auto init : {cmath_statistics_init, cmath_statistics_initClear}) {
        EXPECT_TRUE((std::memset(&s, 0x5A, sizeof s), init(&s)) == 0 && sameBits(s, empty));
    }
    // Negative counts are refused with the target untouched; a count of 0 reads nothing.
    s = filled({1, 2, 3});
    const cmath_statistics before = s;
    const double values[] = {9.0};
    EXPECT_TRUE(cmath_statistics_addValues(&s, nullptr, 0) == 0 &&
                cmath_statistics_addValues(&s, values, -1) == cmath_errNegativeCount);
    EXPECT_TRUE(cmath_statistics_initValues(&s, values, -1) == cmath_errNegativeCount && sameBits(s, before));
    cmath_statistics copy;
    EXPECT_TRUE(cmath_statistics_assign(&copy, &s) == 0 && sameBits(copy, before));
    EXPECT_TRUE(cmath_statistics_initValues(&s, nullptr, 0) == 0 && sameBits(s, empty));
}

// The bulk path must equal adding one by one, bit for bit, for every length around the unroll
// width, for awkward magnitudes, and with NaN and infinities where the comparison order shows.
TEST(Statistics, AddValuesIsBitIdenticalToAddingOneByOne)
{
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> mag(-30.0, 30.0), unit(-1.0, 1.0);
    constexpr double kInf = std::numeric_limits<double>::infinity();
    for (int len = 1; len <= 13; ++len) {
        for (int trial = 0; trial < 4; ++trial) { // trial 2 with a NaN, trial 3 with infinities at the ends
            std::vector<double> v(static_cast<size_t>(len)), all{0.3, -1e10};
            for (double& x : v) {
                x = unit(rng) * std::exp2(mag(rng));
            }
            v[v.size() / 2] = trial == 2 ? kNaN : v[v.size() / 2];
            v.front() = trial == 3 ? kInf : v.front();
            v.back() = trial == 3 ? -kInf : v.back();
            cmath_statistics bulk = filled(all), fresh = bulk;
            ASSERT_TRUE(cmath_statistics_addValues(&bulk, v.data(), len) == 0 &&
                        cmath_statistics_initValues(&fresh, v.data(), len) == 0);
            all.insert(all.end(), v.begin(), v.end());
            EXPECT_TRUE(sameBits(bulk, filled(all)) && sameBits(fresh, filled(v))) << len;
        }
    }
}
