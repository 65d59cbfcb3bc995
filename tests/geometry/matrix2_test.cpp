// 2x2 matrices: singular refusals with outputs untouched, exact inverse, products in the right
// order and with aliased targets, and the decomposition round trips over many random parameters.
#include "geom_util.h"

#include <cmath>

using namespace geomtest;

TEST(Matrix, SingularIsRefusedAndNothingIsWritten)
{
    const cmath_matrix singular[] = {{1.0, 2.0, 2.0, 4.0}, {1.0, 0.0, 0.0, 0.0}, {0.0, 0.0, 0.0, 0.0}};
    for (const cmath_matrix& a : singular) {
        cmath_matrix m = kMatrixSentinel;
        EXPECT_EQ(cmath_matrix_initInverse(&m, &a), cmath_errSingular);
        EXPECT_TRUE(sameBits(m, kMatrixSentinel));

        cmath_vect p{1.0, 2.0}, v = kVectSentinel;
        EXPECT_EQ(cmath_matrix_invMapPoint(&a, &p, &v), cmath_errSingular);
        EXPECT_TRUE(sameBits(v, kVectSentinel));

        // Every decomposition getter refuses, also the scale getters whose formula is defined.
        const double sentinel = -99.5;
        cmath_radian r{sentinel};
        double d = sentinel;
        EXPECT_EQ(cmath_matrix_getRotation(&a, &r), cmath_errSingular);
        EXPECT_EQ(cmath_matrix_getXRotation(&a, &r), cmath_errSingular);
        EXPECT_EQ(cmath_matrix_getYRotation(&a, &r), cmath_errSingular);
        EXPECT_EQ(cmath_matrix_getShear(&a, &r), cmath_errSingular);
        EXPECT_EQ(cmath_matrix_getScale(&a, &d), cmath_errSingular);
        EXPECT_EQ(cmath_matrix_getXScale(&a, &d), cmath_errSingular);
        EXPECT_EQ(cmath_matrix_getYScale(&a, &d), cmath_errSingular);
        EXPECT_EQ(cmath_matrix_getAspect(&a, &d), cmath_errSingular);
        EXPECT_EQ(r.value, sentinel);
        EXPECT_EQ(d, sentinel);

        int32_t flag = -1;
        EXPECT_EQ(cmath_matrix_getIsSingular(&a, &flag), 0);
        EXPECT_EQ(flag, 1);
    }
    // Near-singular is accepted: no hidden tolerance.
    const cmath_matrix tiny{1e-300, 0.0, 0.0, 1e-10};
    cmath_matrix inv = kMatrixSentinel;
    EXPECT_EQ(cmath_matrix_initInverse(&inv, &tiny), 0);
    int32_t flag = -1;
    cmath_matrix_getIsSingular(&tiny, &flag);
    EXPECT_EQ(flag, 0);
}

TEST(Matrix, InverseUsesOneReciprocal)
{
    const cmath_matrix a{2.0, 0.0, 0.0, 4.0};
    cmath_matrix inv;
    ASSERT_EQ(cmath_matrix_initInverse(&inv, &a), 0);
    EXPECT_TRUE(sameBits(inv, cmath_matrix{0.5, -0.0, -0.0, 0.25}));

    // det = 10: elements are multiplied by the rounded 1/10, not divided by 10.
    const cmath_matrix b{10.0, 3.0, 0.0, 1.0};
    ASSERT_EQ(cmath_matrix_initInverse(&inv, &b), 0);
    const double r = 1.0 / 10.0;
    EXPECT_TRUE(sameBits(inv, cmath_matrix{1.0 * r, -(3.0 * r), -(0.0 * r), 10.0 * r}));
    EXPECT_NE(inv.e12, -3.0 / 10.0);

    // invMapPoint agrees with mapping through A and back.
    const cmath_matrix c{1.5, -0.25, 0.75, 2.0};
    cmath_vect p{3.0, -1.0}, q, back;
    cmath_matrix_mapPoint(&c, &p, &q);
    ASSERT_EQ(cmath_matrix_invMapPoint(&c, &q, &back), 0);
    EXPECT_NEAR(back.x, p.x, 1e-14);
    EXPECT_NEAR(back.y, p.y, 1e-14);
}

TEST(Matrix, ProductOrderAndAliasedTargets)
{
    const cmath_matrix a{1.0, 2.0, 3.0, 4.0}, b{0.0, 1.0, -1.0, 0.0};
    const cmath_matrix ab{-2.0, 1.0, -4.0, 3.0}, ba{3.0, 4.0, -1.0, -2.0};
    cmath_matrix t;
    cmath_matrix_initMultiply(&t, &a, &b);
    EXPECT_TRUE(sameBits(t, ab));

    // (A B) p applies B first.
    cmath_vect p{5.0, 7.0}, bp, abp, tp;
    cmath_matrix_mapPoint(&b, &p, &bp);
    cmath_matrix_mapPoint(&a, &bp, &abp);
    cmath_matrix_mapPoint(&t, &p, &tp);
    EXPECT_TRUE(sameBits(tp, abp));

    cmath_matrix x = a;
    cmath_matrix_initMultiply(&x, &x, &b);
    EXPECT_TRUE(sameBits(x, ab));
    x = b;
    cmath_matrix_initMultiply(&x, &a, &x);
    EXPECT_TRUE(sameBits(x, ab));
    x = b;
    cmath_matrix_initMultiply(&x, &x, &a);
    EXPECT_TRUE(sameBits(x, ba));
    x = a;
    cmath_matrix_initMultiply(&x, &x, &x);
    EXPECT_TRUE(sameBits(x, cmath_matrix{7.0, 10.0, 15.0, 22.0}));

    // Multiply3 and Multiply4 associate to the left, and any operand may be the target.
    const cmath_matrix c{0.5, 0.25, -1.5, 3.0}, d{1.0, -1.0, 2.0, 0.125};
    cmath_matrix abc, abcd, ref;
    cmath_matrix_initMultiply(&ref, &a, &b);
    cmath_matrix_initMultiply(&ref, &ref, &c);
    cmath_matrix_initMultiply3(&abc, &a, &b, &c);
    EXPECT_TRUE(sameBits(abc, ref));
    cmath_matrix_initMultiply(&ref, &ref, &d);
    cmath_matrix_initMultiply4(&abcd, &a, &b, &c, &d);
    EXPECT_TRUE(sameBits(abcd, ref));
    cmath_matrix ops[4] = {a, b, c, d};
    for (int k = 0; k < 4; ++k) {
        cmath_matrix o[4] = {a, b, c, d};
        cmath_matrix_initMultiply4(&o[k], &o[0], &o[1], &o[2], &o[3]);
        EXPECT_TRUE(sameBits(o[k], abcd)) << "target = operand " << k;
        if (k < 3) {
            cmath_matrix o3[3] = {ops[0], ops[1], ops[2]};
            cmath_matrix_initMultiply3(&o3[k], &o3[0], &o3[1], &o3[2]);
            EXPECT_TRUE(sameBits(o3[k], abc)) << "target = operand " << k;
        }
    }

    x = a;
    cmath_matrix_initTranspose(&x, &x);
    EXPECT_TRUE(sameBits(x, cmath_matrix{1.0, 3.0, 2.0, 4.0}));
    x = cmath_matrix{2.0, 0.0, 0.0, 4.0};
    cmath_matrix_initInverse(&x, &x);
    EXPECT_TRUE(sameBits(x, cmath_matrix{0.5, -0.0, -0.0, 0.25}));
    x = a;
    cmath_matrix_initAdd(&x, &x, &x);
    EXPECT_TRUE(sameBits(x, cmath_matrix{2.0, 4.0, 6.0, 8.0}));
    cmath_vect v{1.0, 1.0};
    cmath_matrix_mapPoint(&a, &v, &v);
    EXPECT_TRUE(sameBits(v, cmath_vect{3.0, 7.0}));
    cmath_matrix_invMapPoint(&a, &v, &v);
    EXPECT_NEAR(v.x, 1.0, 1e-15);
    EXPECT_NEAR(v.y, 1.0, 1e-15);
}

TEST(Matrix, DecompositionOfStatedCases)
{
    const cmath_radian shear{0.3}, rot{0.7};
    cmath_matrix m;
    cmath_matrix_initScaleAspect(&m, 2.0, 0.5, &shear, &rot);
    // The construction's own order of operations is the contract the averagers rely on.
    const double s = std::sin(0.7), c = std::cos(0.7), t = std::tan(0.3);
    EXPECT_TRUE(sameBits(m, cmath_matrix{c * 2.0, (-s - t * c) * (2.0 * 0.5), s * 2.0, (c - t * s) * (2.0 * 0.5)}));

    cmath_radian r{};
    double d = 0.0;
    ASSERT_EQ(cmath_matrix_getScale(&m, &d), 0);
    EXPECT_NEAR(d, 2.0, 1e-15);
    ASSERT_EQ(cmath_matrix_getAspect(&m, &d), 0);
    EXPECT_NEAR(d, 0.5, 1e-15);
    ASSERT_EQ(cmath_matrix_getShear(&m, &r), 0);
    EXPECT_NEAR(r.value, 0.3, 1e-15);
    ASSERT_EQ(cmath_matrix_getRotation(&m, &r), 0);
    EXPECT_NEAR(r.value, 0.7, 1e-15);
    ASSERT_EQ(cmath_matrix_getYRotation(&m, &r), 0);
    EXPECT_NEAR(r.value, 1.0, 1e-15);
    ASSERT_EQ(cmath_matrix_getYScale(&m, &d), 0);
    EXPECT_NEAR(d, 2.0 * 0.5 / std::cos(0.3), 1e-15);

    const cmath_radian xr{0.7}, yr{1.0};
    cmath_matrix_initRotationScale(&m, &xr, &yr, 2.0, 3.0);
    EXPECT_TRUE(sameBits(m, cmath_matrix{std::cos(0.7) * 2.0, -(std::sin(1.0) * 3.0), std::sin(0.7) * 2.0,
                                         std::cos(1.0) * 3.0}));
    cmath_matrix_getShear(&m, &r);
    EXPECT_NEAR(r.value, 0.3, 1e-15);
    cmath_matrix_getXScale(&m, &d);
    EXPECT_NEAR(d, 2.0, 1e-15);
    cmath_matrix_getYScale(&m, &d);
    EXPECT_NEAR(d, 3.0, 1e-15);
    cmath_matrix_getAspect(&m, &d);
    EXPECT_NEAR(d, 1.5 * std::cos(0.3), 1e-15);

    // A reflection: rotation 0, aspect -1, shear 0.
    const cmath_matrix refl{1.0, 0.0, 0.0, -1.0};
    cmath_matrix_getRotation(&refl, &r);
    EXPECT_EQ(r.value, 0.0);
    cmath_matrix_getAspect(&refl, &d);
    EXPECT_EQ(d, -1.0);
    cmath_matrix_getShear(&refl, &r);
    EXPECT_EQ(r.value, 0.0);

    // A pure rotation has no shear and unit aspect.
    const cmath_radian q{2.5};
    cmath_matrix_initRotationScale(&m, &q, &q, 1.0, 1.0);
    cmath_matrix_getShear(&m, &r);
    EXPECT_NEAR(r.value, 0.0, 1e-16);
    cmath_matrix_getAspect(&m, &d);
    EXPECT_NEAR(d, 1.0, 1e-15);
}

TEST(Matrix, DecompositionRoundTripsOverRandomParameters)
{
    Rng rng;
    for (int i = 0; i < 20000; ++i) {
        const double s = std::exp(rng.uniform(-5.0, 5.0));
        const double a = (i % 2 == 0 ? 1.0 : -1.0) * std::exp(rng.uniform(-4.0, 4.0));
        const cmath_radian k{rng.uniform(-1.4, 1.4)};
        const cmath_radian th{rng.uniform(-kPi, kPi)};
        cmath_matrix m;
        ASSERT_EQ(cmath_matrix_initScaleAspect(&m, s, a, &k, &th), 0);

        double gs = 0.0, ga = 0.0, ys = 0.0;
        cmath_radian gk{}, gth{}, gyr{};
        ASSERT_EQ(cmath_matrix_getScale(&m, &gs), 0);
        ASSERT_EQ(cmath_matrix_getAspect(&m, &ga), 0);
        ASSERT_EQ(cmath_matrix_getShear(&m, &gk), 0);
        ASSERT_EQ(cmath_matrix_getRotation(&m, &gth), 0);
        ASSERT_EQ(cmath_matrix_getYRotation(&m, &gyr), 0);
        ASSERT_EQ(cmath_matrix_getYScale(&m, &ys), 0);
        EXPECT_NEAR(gs / s, 1.0, 1e-14) << i;
        EXPECT_NEAR(ga / a, 1.0, 1e-13) << i;
        EXPECT_NEAR(gk.value, k.value, 1e-13) << i;
        EXPECT_NEAR(gth.value, th.value, 1e-14) << i;
        EXPECT_NEAR(ys / (s * std::fabs(a) / std::cos(k.value)), 1.0, 1e-13) << i;
        // The image of the y axis turns by rotation + shear (reversed by a reflection).
        const double expectY = std::remainder(th.value + k.value + (a < 0.0 ? kPi : 0.0), 2.0 * kPi);
        EXPECT_NEAR(std::remainder(gyr.value - expectY, 2.0 * kPi), 0.0, 1e-13) << i;

        // initRotationScale round trip for positive scales.
        const cmath_radian xr{rng.uniform(-3.1, 3.1)}, yr{rng.uniform(-3.1, 3.1)};
        const double sx = std::exp(rng.uniform(-5.0, 5.0)), sy = std::exp(rng.uniform(-5.0, 5.0));
        ASSERT_EQ(cmath_matrix_initRotationScale(&m, &xr, &yr, sx, sy), 0);
        int32_t sing = 0;
        cmath_matrix_getIsSingular(&m, &sing);
        if (sing != 0) {
            continue;
        }
        cmath_matrix_getXRotation(&m, &gth);
        cmath_matrix_getYRotation(&m, &gyr);
        cmath_matrix_getXScale(&m, &gs);
        cmath_matrix_getYScale(&m, &ys);
        EXPECT_NEAR(gth.value, xr.value, 1e-14) << i;
        EXPECT_NEAR(gyr.value, yr.value, 1e-14) << i;
        EXPECT_NEAR(gs / sx, 1.0, 1e-15) << i;
        EXPECT_NEAR(ys / sy, 1.0, 1e-15) << i;
    }
}

TEST(Matrix, EqualityIdentityAndDeterminant)
{
    const cmath_matrix a{1.0, 2.0, 3.0, 4.0};
    double det = 0.0;
    cmath_matrix_getDeterminant(&a, &det);
    EXPECT_EQ(det, -2.0);

    int32_t f = -1;
    cmath_matrix id{};
    cmath_matrix_reset(&id);
    cmath_matrix_getIsIdentity(&id, &f);
    EXPECT_EQ(f, 1);
    const cmath_matrix nearId{1.0, 0.0, 1e-300, 1.0};
    cmath_matrix_getIsIdentity(&nearId, &f);
    EXPECT_EQ(f, 0);

    // The first differing element decides; every element is looked at.
    double cmath_matrix::*const fields[] = {&cmath_matrix::e11, &cmath_matrix::e12, &cmath_matrix::e21,
                                            &cmath_matrix::e22};
    for (int k = 0; k < 4; ++k) {
        cmath_matrix b = a;
        b.*fields[k] += 1e-9;
        cmath_matrix_compareEqual(&a, &b, &f);
        EXPECT_EQ(f, 0) << k;
        cmath_matrix_epsilonEqual(&a, &b, 1e-8, &f);
        EXPECT_EQ(f, 1) << k;
        cmath_matrix_epsilonEqual(&a, &b, 1e-10, &f);
        EXPECT_EQ(f, 0) << k;
    }
    cmath_matrix_compareEqual(&a, &a, &f);
    EXPECT_EQ(f, 1);
    const cmath_matrix withNan{1.0, 2.0, 3.0, std::nan("")};
    cmath_matrix_compareEqual(&withNan, &withNan, &f);
    EXPECT_EQ(f, 0);
}

extern "C" int orbmath_geometry_c_check(void);

TEST(Geometry, UsableFromC) { EXPECT_EQ(orbmath_geometry_c_check(), 0); }
