// Matrix and transform averagers in both modes: the means of each parameter, the validity
// rules, refused contributions leaving every field alone, and untouched outputs on failure.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

const double kPi = std::acos(-1.0);

cmath_matrix scaleAspect(double s, double a, double k, double theta)
{
    cmath_matrix m;
    const cmath_radian shear{k}, rotation{theta};
    cmath_matrix_initScaleAspect(&m, s, a, &shear, &rotation);
    return m;
}

void expectSameAverager(const cmath_matrixAverager& a, const cmath_matrixAverager& b)
{
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_EQ(a.count, b.count);
    EXPECT_EQ(a.totalWeight, b.totalWeight);
    EXPECT_EQ(a.shearSum, b.shearSum);
    EXPECT_EQ(a.rotationSum.x, b.rotationSum.x);
    EXPECT_EQ(a.rotationSum.y, b.rotationSum.y);
    EXPECT_EQ(a.scaleProduct, b.scaleProduct);
    EXPECT_EQ(a.aspectProduct, b.aspectProduct);
    EXPECT_EQ(a.aspectSignSum, b.aspectSignSum);
    EXPECT_EQ(std::memcmp(&a.elementSum, &b.elementSum, sizeof a.elementSum), 0);
}

constexpr cmath_matrix kSentinelMatrix{-9, -9, -9, -9};

} // namespace

TEST(MatrixAverager, ElementModeMeansAndSingularValidity)
{
    cmath_matrixAverager a;
    cmath_matrixAverager_constructElement(&a);
    cmath_matrix out = kSentinelMatrix;
    int32_t valid = -1;
    EXPECT_EQ(cmath_matrixAverager_getAverage(&a, &out, &valid), cmath_errSingular);
    EXPECT_EQ(out.e11, -9.0);
    EXPECT_EQ(valid, -1);

    const cmath_matrix id{1, 0, 0, 1}, three{3, 0, 0, 3}, minus{-1, 0, 0, -1};
    ASSERT_EQ(cmath_matrixAverager_add(&a, &id), 0);
    ASSERT_EQ(cmath_matrixAverager_add(&a, &three), 0);
    ASSERT_EQ(cmath_matrixAverager_getAverage(&a, &out, &valid), 0);
    EXPECT_EQ(out.e11, 2.0);
    EXPECT_EQ(out.e12, 0.0);
    EXPECT_EQ(out.e21, 0.0);
    EXPECT_EQ(out.e22, 2.0);
    EXPECT_EQ(valid, 1);

    cmath_matrixAverager z;
    cmath_matrixAverager_constructElement(&z);
    cmath_matrixAverager_add(&z, &id);
    cmath_matrixAverager_add(&z, &minus);
    out = kSentinelMatrix;
    ASSERT_EQ(cmath_matrixAverager_getAverage(&z, &out, &valid), 0);
    EXPECT_EQ(out.e11, 0.0);
    EXPECT_EQ(out.e22, 0.0);
    EXPECT_EQ(valid, 0);

    // Element mode takes a singular matrix; weights give a weighted mean; isValid may be null.
    cmath_matrixAverager w;
    cmath_matrixAverager_constructElement(&w);
    const cmath_matrix sing{1, 2, 2, 4}, m{4, 8, -4, 0};
    ASSERT_EQ(cmath_matrixAverager_addWeighted(&w, &sing, 3.0), 0);
    ASSERT_EQ(cmath_matrixAverager_addWeighted(&w, &m, 1.0), 0);
    EXPECT_EQ(w.count, 2);
    ASSERT_EQ(cmath_matrixAverager_getAverage(&w, &out, nullptr), 0);
    EXPECT_EQ(out.e11, 0.25 * 7.0);
    EXPECT_EQ(out.e12, 0.25 * 14.0);
    EXPECT_EQ(out.e21, 0.25 * 2.0);
    EXPECT_EQ(out.e22, 0.25 * 12.0);
}

TEST(MatrixAverager, WeightsSummingToZeroAreRefused)
{
    for (int mode = 0; mode < 2; ++mode) {
        cmath_matrixAverager a;
        mode == 0 ? cmath_matrixAverager_constructElement(&a) : cmath_matrixAverager_constructScaleAspect(&a);
        const cmath_matrix m{2, 0, 0, 2};
        ASSERT_EQ(cmath_matrixAverager_addWeighted(&a, &m, 1.0), 0);
        ASSERT_EQ(cmath_matrixAverager_addWeighted(&a, &m, -1.0), 0);
        EXPECT_EQ(a.count, 2);
        cmath_matrix out = kSentinelMatrix;
        int32_t valid = -1;
        EXPECT_EQ(cmath_matrixAverager_getAverage(&a, &out, &valid), cmath_errSingular);
        EXPECT_EQ(out.e12, -9.0);
        EXPECT_EQ(valid, -1);
    }
}

TEST(MatrixAverager, ScaleAspectMeansEachParameterItsOwnWay)
{
    // Scales 1 and 4: geometric mean 2.
    cmath_matrixAverager a;
    cmath_matrixAverager_constructScaleAspect(&a);
    const cmath_matrix one{1, 0, 0, 1}, four{4, 0, 0, 4};
    ASSERT_EQ(cmath_matrixAverager_add(&a, &one), 0);
    ASSERT_EQ(cmath_matrixAverager_add(&a, &four), 0);
    cmath_matrix out = kSentinelMatrix;
    int32_t valid = -1;
    ASSERT_EQ(cmath_matrixAverager_getAverage(&a, &out, &valid), 0);
    double s = 0;
    cmath_matrix_getScale(&out, &s);
    EXPECT_EQ(s, 2.0);
    EXPECT_EQ(out.e11, 2.0);
    EXPECT_EQ(out.e22, 2.0);
    EXPECT_EQ(valid, 1);

    // Weights 3 and 1, shears 0.2 and 0.6: shear 0.3; aspects 2 and 0.5: (2^3 * 0.5)^(1/4).
    cmath_matrixAverager b;
    cmath_matrixAverager_constructScaleAspect(&b);
    const cmath_matrix m1 = scaleAspect(1.5, 2.0, 0.2, 0.4), m2 = scaleAspect(1.5, 0.5, 0.6, 0.4);
    ASSERT_EQ(cmath_matrixAverager_addWeighted(&b, &m1, 3.0), 0);
    ASSERT_EQ(cmath_matrixAverager_addWeighted(&b, &m2, 1.0), 0);
    ASSERT_EQ(cmath_matrixAverager_getAverage(&b, &out, &valid), 0);
    EXPECT_EQ(valid, 1);
    double aspect = 0;
    cmath_radian shear{}, rot{};
    cmath_matrix_getScale(&out, &s);
    cmath_matrix_getAspect(&out, &aspect);
    cmath_matrix_getShear(&out, &shear);
    cmath_matrix_getRotation(&out, &rot);
    EXPECT_NEAR(s, 1.5, 1e-14);
    EXPECT_NEAR(aspect, std::pow(4.0, 0.25), 1e-14);
    EXPECT_NEAR(shear.value, 0.3, 1e-14);
    EXPECT_NEAR(rot.value, 0.4, 1e-14);

    // A reflected pair keeps its negative aspect.
    cmath_matrixAverager c;
    cmath_matrixAverager_constructScaleAspect(&c);
    const cmath_matrix r1 = scaleAspect(1.0, -2.0, 0.0, 0.0), r2 = scaleAspect(1.0, -8.0, 0.0, 0.0);
    cmath_matrixAverager_add(&c, &r1);
    cmath_matrixAverager_add(&c, &r2);
    ASSERT_EQ(cmath_matrixAverager_getAverage(&c, &out, &valid), 0);
    cmath_matrix_getAspect(&out, &aspect);
    EXPECT_NEAR(aspect, -4.0, 1e-14);
    EXPECT_EQ(valid, 1);
}

TEST(MatrixAverager, RotationIsACircularMean)
{
    cmath_matrixAverager a;
    cmath_matrixAverager_constructScaleAspect(&a);
    const cmath_matrix p = scaleAspect(1, 1, 0, kPi - 0.1), q = scaleAspect(1, 1, 0, -kPi + 0.1);
    cmath_matrixAverager_add(&a, &p);
    cmath_matrixAverager_add(&a, &q);
    cmath_matrix out = kSentinelMatrix;
    int32_t valid = -1;
    ASSERT_EQ(cmath_matrixAverager_getAverage(&a, &out, &valid), 0);
    cmath_radian rot{};
    cmath_matrix_getRotation(&out, &rot);
    EXPECT_NEAR(std::fabs(rot.value), kPi, 1e-12); // the arithmetic mean would give 0
    EXPECT_NEAR(out.e11, -1.0, 1e-12);
    EXPECT_EQ(valid, 1);

    // Rotations that cancel exactly: 0 with weight 2, then +pi and -pi (the sines of +pi and
    // -pi cancel bit for bit): rotation 0 is used and the average is not valid.
    cmath_matrixAverager c;
    cmath_matrixAverager_constructScaleAspect(&c);
    const cmath_matrix id{1, 0, 0, 1}, plusPi{-1, 0, 0.0, -1}, minusPi{-1, 0, -0.0, -1};
    cmath_matrixAverager_addWeighted(&c, &id, 2.0);
    cmath_matrixAverager_add(&c, &plusPi);
    cmath_matrixAverager_add(&c, &minusPi);
    ASSERT_EQ(c.rotationSum.x, 0.0);
    ASSERT_EQ(c.rotationSum.y, 0.0);
    out = kSentinelMatrix;
    ASSERT_EQ(cmath_matrixAverager_getAverage(&c, &out, &valid), 0);
    EXPECT_EQ(valid, 0);
    EXPECT_EQ(out.e11, 1.0);
    EXPECT_EQ(out.e21, 0.0);
    EXPECT_EQ(out.e22, 1.0);
}

TEST(MatrixAverager, MixedAspectSignsAreNotValid)
{
    cmath_matrixAverager a;
    cmath_matrixAverager_constructScaleAspect(&a);
    const cmath_matrix p = scaleAspect(3, 2.0, 0, 0), n = scaleAspect(3, -0.5, 0, 0);
    cmath_matrixAverager_add(&a, &p);
    cmath_matrixAverager_add(&a, &n);
    EXPECT_EQ(a.aspectSignSum, 0.0);
    cmath_matrix out = kSentinelMatrix;
    int32_t valid = -1;
    ASSERT_EQ(cmath_matrixAverager_getAverage(&a, &out, &valid), 0);
    EXPECT_EQ(valid, 0);
    double aspect = 0;
    cmath_matrix_getAspect(&out, &aspect);
    EXPECT_NEAR(aspect, 1.0, 1e-15);
    // isValid may be null; the average is still written.
    out = kSentinelMatrix;
    ASSERT_EQ(cmath_matrixAverager_getAverage(&a, &out, nullptr), 0);
    EXPECT_NEAR(out.e11, 3.0, 1e-15);
}

TEST(MatrixAverager, RefusedContributionChangesNothing)
{
    cmath_matrixAverager a;
    cmath_matrixAverager_constructScaleAspect(&a);
    const cmath_matrix good = scaleAspect(2, 1, 0.1, 0.2);
    cmath_matrixAverager_addWeighted(&a, &good, 2.0);
    const cmath_matrixAverager before = a;
    const cmath_matrix singular{1, 0, 0, 0};
    EXPECT_EQ(cmath_matrixAverager_add(&a, &singular), cmath_errSingular);
    expectSameAverager(a, before);

    cmath_matrixAverager e;
    cmath_matrixAverager_constructElement(&e);
    EXPECT_EQ(cmath_matrixAverager_add(&e, &singular), 0);
    EXPECT_EQ(e.count, 1);
}

TEST(MatrixAverager, CopyKeepsTheModeAndEveryField)
{
    cmath_matrixAverager a, c, d;
    cmath_matrixAverager_constructScaleAspect(&a);
    const cmath_matrix m = scaleAspect(2, 3, 0.1, 0.2);
    cmath_matrixAverager_addWeighted(&a, &m, 0.5);
    std::memset(&c, 0x21, sizeof c);
    ASSERT_EQ(cmath_matrixAverager_constructCopy(&c, &a), 0);
    expectSameAverager(c, a);
    cmath_matrixAverager_constructElement(&d);
    ASSERT_EQ(cmath_matrixAverager_assign(&d, &a), 0);
    ASSERT_EQ(cmath_matrixAverager_assign(&d, &d), 0);
    expectSameAverager(d, a);
    EXPECT_EQ(cmath_matrixAverager_destruct(&d), 0);
}

TEST(XformAverager, TranslationFollowsTheMatrixPart)
{
    for (int mode = 0; mode < 2; ++mode) {
        cmath_xformLinearAverager a;
        std::memset(&a, 0x44, sizeof a);
        mode == 0 ? cmath_xformLinearAverager_constructElement(&a)
                  : cmath_xformLinearAverager_constructScaleAspect(&a);
        EXPECT_EQ(a.base.mode, mode);
        EXPECT_EQ(a.translationSum.x, 0.0);
        EXPECT_EQ(a.translationSum.y, 0.0);

        cmath_xformLinear out{{-9, -9}, kSentinelMatrix};
        int32_t valid = -1;
        EXPECT_EQ(cmath_xformLinearAverager_getAverage(&a, &out, &valid), cmath_errSingular);
        EXPECT_EQ(out.trans.x, -9.0);
        EXPECT_EQ(out.matrix.e11, -9.0);
        EXPECT_EQ(valid, -1);

        const cmath_xformLinear t0{{0, 0}, {1, 0, 0, 1}}, t1{{2, 4}, {1, 0, 0, 1}};
        ASSERT_EQ(cmath_xformLinearAverager_add(&a, &t0), 0);
        ASSERT_EQ(cmath_xformLinearAverager_addWeighted(&a, &t1, 3.0), 0);
        ASSERT_EQ(cmath_xformLinearAverager_getAverage(&a, &out, &valid), 0);
        EXPECT_EQ(out.trans.x, 1.5);
        EXPECT_EQ(out.trans.y, 3.0);
        EXPECT_EQ(out.matrix.e11, 1.0);
        EXPECT_EQ(out.matrix.e22, 1.0);
        EXPECT_EQ(valid, 1);

        // A singular matrix: refused with its translation in scale-aspect mode only.
        const cmath_xformLinear bad{{100, 100}, {0, 0, 0, 0}};
        const cmath_status st = cmath_xformLinearAverager_add(&a, &bad);
        if (mode == 1) {
            EXPECT_EQ(st, cmath_errSingular);
            EXPECT_EQ(a.translationSum.x, 6.0);
            EXPECT_EQ(a.base.count, 2);
        } else {
            EXPECT_EQ(st, 0);
            EXPECT_EQ(a.translationSum.x, 106.0);
            EXPECT_EQ(a.base.count, 3);
        }

        cmath_xformLinearAverager c;
        ASSERT_EQ(cmath_xformLinearAverager_constructCopy(&c, &a), 0);
        EXPECT_EQ(c.base.mode, mode);
        EXPECT_EQ(c.translationSum.x, a.translationSum.x);
        EXPECT_EQ(c.base.totalWeight, a.base.totalWeight);
        cmath_xformLinearAverager d;
        cmath_xformLinearAverager_constructElement(&d);
        ASSERT_EQ(cmath_xformLinearAverager_assign(&d, &a), 0);
        EXPECT_EQ(d.translationSum.y, a.translationSum.y);
        expectSameAverager(d.base, a.base);
        EXPECT_EQ(cmath_xformLinearAverager_destruct(&d), 0);
    }
}
