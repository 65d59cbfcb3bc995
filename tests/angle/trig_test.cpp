// Binary-angle trigonometry: every table entry against tables this test derives from the rules.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// The quarter-wave Q30 sine with `steps` steps per turn, from its rule.
std::vector<int32_t> quarterWave(int32_t steps)
{
    std::vector<int32_t> t(static_cast<size_t>(steps / 4 + 1));
    for (int32_t i = 0; i <= steps / 4; ++i) {
        t[static_cast<size_t>(i)] =
            static_cast<int32_t>(std::llround(std::sin(kTwoPi * i / steps) * 1073741824.0));
    }
    return t;
}

// The Q30 sine of count a: the table at the distance of a to the nearest multiple of a half
// turn, negated in the lower half-plane.
int32_t foldedSine(const std::vector<int32_t>& t, int32_t steps, int32_t a)
{
    const int32_t half = steps / 2;
    if (a <= half) {
        return t[static_cast<size_t>(std::min(a, half - a))];
    }
    return -t[static_cast<size_t>(std::min(a - half, steps - a))];
}

// v / 2^(30 - f) to nearest with halves away from zero (exact in double); v itself for f >= 30.
int32_t expectedFixed(int32_t v, int f)
{
    if (f >= 30) {
        return v;
    }
    return static_cast<int32_t>(std::round(std::ldexp(static_cast<double>(v), f - 30)));
}

bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

const std::array<int, 11> kFractionBits = {0, 1, 2, 8, 14, 15, 16, 24, 29, 30, 31};

// The interpolation records from their rule: theta0 = float(pi) / 128 in double, the slopes
// (s[i + 1] - s[i]) / 256 with s[256] = s[0], the cosine records the sine ones a quarter on.
struct Records {
    float sin[256], cos[256], dsin[256], dcos[256];
    Records()
    {
        const double theta0 = static_cast<double>(static_cast<float>(kPi)) / 128.0;
        for (int i = 0; i < 256; ++i) {
            const int j = (i + 64) & 255;
            sin[i] = static_cast<float>(std::sin(i * theta0));
            dsin[i] = static_cast<float>((std::sin(((i + 1) & 255) * theta0) - std::sin(i * theta0)) / 256.0);
            cos[i] = static_cast<float>(std::sin(j * theta0));
            dcos[i] = static_cast<float>((std::sin(((j + 1) & 255) * theta0) - std::sin(j * theta0)) / 256.0);
        }
    }
};

const Records kRecords;

// Every count of the 16-bit (steps 65536) or 8-bit (steps 256) functions against the rule.
template <class Count, class Fn, class FnF, class Fixed>
void checkEveryCount(int32_t steps, Fn sin, Fn cos, FnF sinF, FnF cosF, Fixed sinFixed, Fixed cosFixed)
{
    const std::vector<int32_t> t = quarterWave(steps);
    for (int32_t a = 0; a < steps; ++a) {
        const auto c = static_cast<Count>(a);
        const int32_t vs = foldedSine(t, steps, a), vc = foldedSine(t, steps, (a + steps / 4) % steps);
        ASSERT_EQ(sin(&c), std::ldexp(static_cast<double>(vs), -30)) << a;
        ASSERT_EQ(cos(&c), std::ldexp(static_cast<double>(vc), -30)) << a; // cos a = sin(a + quarter)
        ASSERT_TRUE(sameFloat(sinF(&c), static_cast<float>(vs) * 0x1p-30f)) << a;
        ASSERT_TRUE(sameFloat(cosF(&c), static_cast<float>(vc) * 0x1p-30f)) << a;
        for (int f : kFractionBits) {
            ASSERT_EQ(sinFixed(&c, f), expectedFixed(vs, f)) << a << " f=" << f;
            ASSERT_EQ(cosFixed(&c, f), expectedFixed(vc, f)) << a << " f=" << f;
        }
        ASSERT_NEAR(sin(&c), std::sin(kTwoPi * a / steps), 1e-9) << a; // the table really is the sine
    }
}

} // namespace

TEST(Q30Trig, EveryCountMatchesTheRule)
{
    // Quoted rows of the tables derived here.
    EXPECT_TRUE(quarterWave(65536)[1] == 102944 && quarterWave(65536)[16383] == 1073741819);
    EXPECT_EQ(quarterWave(256)[63], 1073418433);
    checkEveryCount<uint16_t>(65536, cmath_sin16, cmath_cos16, cmath_sin16F, cmath_cos16F,
                              cmath_sin16FixedPoint, cmath_cos16FixedPoint);
    checkEveryCount<uint8_t>(256, cmath_sin8, cmath_cos8, cmath_sin8F, cmath_cos8F, cmath_sin8FixedPoint,
                             cmath_cos8FixedPoint);
    // Above 30 fraction bits the Q30 value itself; below 0 the rounding continues: +-1 only at the
    // quarter turns for -1, then 0 (also where a shift would leave the 64-bit range).
    const uint16_t q = 16384, tq = 49152, nearQ = 16383;
    EXPECT_TRUE(cmath_sin16FixedPoint(&q, 45) == 1073741824 && cmath_sin16FixedPoint(&q, -1) == 1 &&
                cmath_sin16FixedPoint(&tq, -1) == -1 && cmath_sin16FixedPoint(&nearQ, -1) == 0);
    EXPECT_TRUE(cmath_sin16FixedPoint(&q, -2) == 0 && cmath_sin16FixedPoint(&q, -1000) == 0 &&
                cmath_sin16FixedPoint(&q, INT32_MIN) == 0);
}

TEST(FloatTrig, RecordsAndInterpolatedFormsEveryCountInFloatArithmetic)
{
    const Records& r = kRecords;
    EXPECT_TRUE(r.sin[1] == 0.024541229009628296f && r.dcos[1] == -3.52876418219239e-06f); // quoted rows
    // The quarter turns: float(pi) is not pi, so cos 64 is not 0.
    EXPECT_TRUE(cfCosBin8(64) == -8.742277657347586e-08f && cfSinBin8(64) == 1.0f && cfCosBin8(192) == 0.0f);
    for (int32_t a = 0; a < 65536; ++a) {
        const int s = a >> 8;
        // Rounded to float after each operation (the build does not contract a*b + c).
        const float t = static_cast<float>(a & 255), ps = t * r.dsin[s], pc = t * r.dcos[s];
        const float sine = ps + r.sin[s], cosine = pc + r.cos[s];
        const auto c16 = static_cast<uint16_t>(a);
        csFVec v{-7.0f, -7.0f}, v8{-7.0f, -7.0f};
        ASSERT_TRUE(sameFloat(cfSinBin(c16), sine) && sameFloat(cfCosBin(c16), cosine) && csFVecBin(c16, &v) == &v &&
                    sameFloat(v.x, cosine) && sameFloat(v.y, sine)) << a;
        ASSERT_NEAR(sine, std::sin(kTwoPi * a / 65536.0), 8e-5) << a; // chord error of a segment
        const auto c = static_cast<uint8_t>(s); // the 8-bit forms: the records themselves
        ASSERT_TRUE(sameFloat(cfSinBin8(c), r.sin[s]) && sameFloat(cfCosBin8(c), r.cos[s]) &&
                    csFVecBin8(c, &v8) == &v8 && sameFloat(v8.x, r.cos[s]) && sameFloat(v8.y, r.sin[s])) << a;
    }
}

namespace {

// The 8-bit angle of (x, y) from a table of this test: the angle within the first quadrant, then
// reflected across the y axis (x < 0) and the x axis (y < 0).
uint8_t expectedAtan(const std::array<int, 257>& table, int32_t y, int32_t x)
{
    if (x == 0 && y == 0) {
        return 0;
    }
    const int64_t ax = std::llabs(x), ay = std::llabs(y);
    const int64_t m = std::min(ax, ay), M = std::max(ax, ay);
    const int b = table[static_cast<size_t>(m * 256 / M)];
    const int first = ay > ax ? 64 - b : b, upper = x < 0 ? 128 - first : first;
    return static_cast<uint8_t>((y < 0 ? 256 - upper : upper) & 255);
}

std::array<int, 257> atanTable()
{
    std::array<int, 257> t{};
    for (int i = 0; i <= 256; ++i) {
        t[static_cast<size_t>(i)] = static_cast<int>(std::lround(std::atan(i / 256.0) * 128.0 / kPi));
    }
    return t;
}

} // namespace

TEST(AtanBin8, EveryTableEntryAndQuadrant)
{
    const std::array<int, 257> t = atanTable();
    EXPECT_TRUE(t[0] == 0 && t[256] == 32);
    auto check = [&](int32_t y, int32_t x) {
        const uint8_t got = cfAtanBin8(y, x);
        // Within one step of the true direction (the table index truncates).
        const double off = std::remainder(got - std::atan2(y, x) * 128.0 / kPi, 256.0);
        return got == expectedAtan(t, y, x) && (x == 0 && y == 0 ? got == 0 : std::fabs(off) <= 1.5);
    };
    // Small vectors (the axes and diagonals of every quadrant among them), then large ones that
    // reach every table index.
    for (int32_t k = 0; k < 141 * 141; ++k) {
        ASSERT_TRUE(check(k / 141 - 70, k % 141 - 70)) << k;
    }
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int32_t> big(-(1 << 23) + 1, (1 << 23) - 1);
    for (int k = 0; k < 200000; ++k) {
        const int32_t x = big(rng), y = big(rng);
        ASSERT_TRUE(check(y, x)) << x << "," << y;
    }
}

TEST(Sobel, EveryByteFollowsItsRule)
{
    // b(c): the angle from the nearer axis for each sub-sector code.
    const int b[16] = {32, 32, 30, 32, 20, 23, 28, 25, 1, 3, 8, 5, 18, 15, 10, 13};
    for (int g = 0; g < 8; ++g) { // bit 2: y < 0, bit 1: x < 0, bit 0: nearer the x axis
        for (int c = 0; c < 16; ++c) {
            const int first = (g & 1) != 0 ? b[c] : 64 - b[c], upper = (g & 2) != 0 ? 128 - first : first;
            const int angle = (g & 4) != 0 ? 256 - upper : upper;
            EXPECT_EQ(cordic7b8r1_sobel[16 * g + c], angle & 255) << g << "," << c;
        }
    }
}
