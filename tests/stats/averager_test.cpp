// Matrix and transform averagers in both modes: the mean of each parameter, validity, refusals.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

const double kPi = std::acos(-1.0);
constexpr cmath_matrix kSentinelMatrix{-9, -9, -9, -9};

cmath_matrix scaleAspect(double s, double a, double k, double theta)
{
    cmath_matrix m;
    const cmath_radian shear{k}, rotation{theta};
    cmath_matrix_initScaleAspect(&m, s, a, &shear, &rotation);
    return m;
}

// An averager of the given mode (0 element, 1 scale-aspect) fed with (matrix, weight) pairs.
cmath_matrixAverager averager(int mode, std::vector<std::pair<cmath_matrix, double>> items)
{
    cmath_matrixAverager a;
    mode == 0 ? cmath_matrixAverager_constructElement(&a) : cmath_matrixAverager_constructScaleAspect(&a);
    for (const auto& [m, w] : items) {
        EXPECT_EQ(cmath_matrixAverager_addWeighted(&a, &m, w), 0);
    }
    return a;
}

struct Average {
    cmath_status status;
    cmath_matrix m;
    int32_t valid;
    double scale, aspect, shear, rotation;
};

// The average, starting from sentinels, and its parameters.
Average average(const cmath_matrixAverager& a)
{
    Average r{0, kSentinelMatrix, -1, 0, 0, 0, 0};
    r.status = cmath_matrixAverager_getAverage(&a, &r.m, &r.valid);
    cmath_radian k{}, t{};
    cmath_matrix_getScale(&r.m, &r.scale);
    cmath_matrix_getAspect(&r.m, &r.aspect);
    cmath_matrix_getShear(&r.m, &k);
    cmath_matrix_getRotation(&r.m, &t);
    r.shear = k.value;
    r.rotation = t.value;
    return r;
}

void expectFields(const cmath_matrix& m, double e11, double e12, double e21, double e22)
{
    EXPECT_TRUE(m.e11 == e11 && m.e12 == e12 && m.e21 == e21 && m.e22 == e22)
        << m.e11 << " " << m.e12 << " " << m.e21 << " " << m.e22;
}

} // namespace

TEST(MatrixAverager, NothingOrZeroTotalWeightIsRefusedWithTheOutputsUntouched)
{
    const cmath_matrix m{2, 0, 0, 2};
    for (int mode = 0; mode < 2; ++mode) {
        for (const auto& items : {std::vector<std::pair<cmath_matrix, double>>{},
                                  std::vector<std::pair<cmath_matrix, double>>{{m, 1.0}, {m, -1.0}}}) {
            const cmath_matrixAverager a = averager(mode, items);
            EXPECT_EQ(a.count, static_cast<int32_t>(items.size()));
            const Average r = average(a);
            EXPECT_EQ(r.status, cmath_errSingular);
            expectFields(r.m, -9, -9, -9, -9);
            EXPECT_EQ(r.valid, -1);
        }
    }
}

TEST(MatrixAverager, ElementModeMeansAndSingularValidity)
{
    const cmath_matrix id{1, 0, 0, 1}, three{3, 0, 0, 3}, minus{-1, 0, 0, -1};
    Average r = average(averager(0, {{id, 1}, {three, 1}}));
    ASSERT_EQ(r.status, 0);
    expectFields(r.m, 2, 0, 0, 2);
    EXPECT_EQ(r.valid, 1);
    r = average(averager(0, {{id, 1}, {minus, 1}}));
    ASSERT_EQ(r.status, 0);
    expectFields(r.m, 0, 0, 0, 0);
    EXPECT_EQ(r.valid, 0);

    // Element mode takes a singular matrix; weights give a weighted mean; isValid may be null.
    cmath_matrixAverager w = averager(0, {{{1, 2, 2, 4}, 3.0}});
    const cmath_matrix m{4, 8, -4, 0};
    ASSERT_EQ(cmath_matrixAverager_add(&w, &m), 0);
    cmath_matrix out = kSentinelMatrix;
    ASSERT_EQ(cmath_matrixAverager_getAverage(&w, &out, nullptr), 0);
    expectFields(out, 0.25 * 7.0, 0.25 * 14.0, 0.25 * 2.0, 0.25 * 12.0);
}

TEST(MatrixAverager, ScaleAspectMeansEachParameterItsOwnWay)
{
    // Scales 1 and 4: geometric mean 2.
    Average r = average(averager(1, {{{1, 0, 0, 1}, 1}, {{4, 0, 0, 4}, 1}}));
    ASSERT_EQ(r.status, 0);
    expectFields(r.m, 2, 0, 0, 2);
    EXPECT_TRUE(r.scale == 2.0 && r.valid == 1);

    // Weights 3 and 1, shears 0.2 and 0.6: shear 0.3; aspects 2 and 0.5: (2^3 * 0.5)^(1/4).
    r = average(averager(1, {{scaleAspect(1.5, 2.0, 0.2, 0.4), 3.0},
                            {scaleAspect(1.5, 0.5, 0.6, 0.4), 1.0}}));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.valid, 1);
    EXPECT_NEAR(r.scale, 1.5, 1e-14);
    EXPECT_NEAR(r.aspect, std::pow(4.0, 0.25), 1e-14);
    EXPECT_NEAR(r.shear, 0.3, 1e-14);
    EXPECT_NEAR(r.rotation, 0.4, 1e-14);

    // A reflected pair keeps its negative aspect; mixed signs give a mean that is not valid.
    r = average(averager(1, {{scaleAspect(1.0, -2.0, 0.0, 0.0), 1}, {scaleAspect(1.0, -8.0, 0.0, 0.0), 1}}));
    EXPECT_NEAR(r.aspect, -4.0, 1e-14);
    EXPECT_EQ(r.valid, 1);
    const cmath_matrixAverager mixed = averager(1, {{scaleAspect(3, 2.0, 0, 0), 1},
                                                   {scaleAspect(3, -0.5, 0, 0), 1}});
    EXPECT_EQ(mixed.aspectSignSum, 0.0);
    r = average(mixed);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.valid, 0);
    EXPECT_NEAR(r.aspect, 1.0, 1e-15);
    EXPECT_NEAR(r.m.e11, 3.0, 1e-15);
}

TEST(MatrixAverager, RotationIsACircularMean)
{
    Average r = average(averager(1, {{scaleAspect(1, 1, 0, kPi - 0.1), 1},
                                    {scaleAspect(1, 1, 0, -kPi + 0.1), 1}}));
    ASSERT_EQ(r.status, 0);
    EXPECT_NEAR(std::fabs(r.rotation), kPi, 1e-12); // the arithmetic mean would give 0
    EXPECT_NEAR(r.m.e11, -1.0, 1e-12);
    EXPECT_EQ(r.valid, 1);

    // Rotations that cancel exactly: 0 with weight 2, then +pi and -pi (the sines of +pi and
    // -pi cancel bit for bit): rotation 0 is used and the average is not valid.
    const cmath_matrixAverager c = averager(1, {{{1, 0, 0, 1}, 2.0}, {{-1, 0, 0.0, -1}, 1},
                                               {{-1, 0, -0.0, -1}, 1}});
    ASSERT_TRUE(c.rotationSum.x == 0.0 && c.rotationSum.y == 0.0);
    r = average(c);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.valid, 0);
    expectFields(r.m, 1, 0, 0, 1);
}

TEST(XformAverager, TranslationFollowsTheMatrixPart)
{
    for (int mode = 0; mode < 2; ++mode) {
        cmath_xformLinearAverager a;
        std::memset(&a, 0x44, sizeof a);
        mode == 0 ? cmath_xformLinearAverager_constructElement(&a)
                  : cmath_xformLinearAverager_constructScaleAspect(&a);
        EXPECT_TRUE(a.base.mode == mode && a.translationSum.x == 0.0 && a.translationSum.y == 0.0);

        cmath_xformLinear out{{-9, -9}, kSentinelMatrix};
        int32_t valid = -1;
        const cmath_xformLinear t0{{0, 0}, {1, 0, 0, 1}}, t1{{2, 4}, {1, 0, 0, 1}};
        ASSERT_EQ(cmath_xformLinearAverager_add(&a, &t0), 0);
        ASSERT_EQ(cmath_xformLinearAverager_addWeighted(&a, &t1, 3.0), 0);
        ASSERT_EQ(cmath_xformLinearAverager_getAverage(&a, &out, &valid), 0);
        EXPECT_TRUE(out.trans.x == 1.5 && out.trans.y == 3.0 && valid == 1);
        expectFields(out.matrix, 1, 0, 0, 1);

        // A singular matrix: refused with its translation in scale-aspect mode only, changing nothing.
        const cmath_xformLinear bad{{100, 100}, {0, 0, 0, 0}};
        const cmath_xformLinearAverager before = a;
        EXPECT_EQ(cmath_xformLinearAverager_add(&a, &bad), mode == 1 ? cmath_errSingular : 0);
        EXPECT_EQ(std::memcmp(&a, &before, sizeof a) == 0, mode == 1); // no padding: every field
        EXPECT_TRUE(a.translationSum.x == (mode == 1 ? 6.0 : 106.0) && a.base.count == (mode == 1 ? 2 : 3));
    }
}
