// 2x2 matrices: singular refusals, exact inverse, product order, aliasing, decomposition.
#include "geom_util.h"

using namespace geomtest;
using M = cmath_matrix;

namespace {

using AngleGetter = cmath_status (*)(const M*, cmath_radian*);
using ScalarGetter = cmath_status (*)(const M*, double*);
const AngleGetter kAngles[] = {cmath_matrix_getRotation, cmath_matrix_getXRotation, cmath_matrix_getYRotation,
                               cmath_matrix_getShear};
const ScalarGetter kScalars[] = {cmath_matrix_getScale, cmath_matrix_getXScale, cmath_matrix_getYScale,
                                 cmath_matrix_getAspect};
double get(AngleGetter f, const M& m) { return result<cmath_radian>(f, &m).value; }
double get(ScalarGetter f, const M& m) { return result<double>(f, &m); }
M inverse(const M& a) { return result<M>([](const M* x, M* out) { return cmath_matrix_initInverse(out, x); }, &a); }

} // namespace

TEST(Matrix, SingularIsRefusedAndNothingIsWritten)
{
    const cmath_vect p{1.0, 2.0};
    for (const M& a : {M{1.0, 2.0, 2.0, 4.0}, M{1.0, 0.0, 0.0, 0.0}, M{0.0, 0.0, 0.0, 0.0}}) {
        EXPECT_TRUE(refusesWith(cmath_errSingular, kMatrixSentinel,
                                [&](M* m) { return cmath_matrix_initInverse(m, &a); }));
        EXPECT_TRUE(refuses(cmath_errSingular, kVectSentinel, cmath_matrix_invMapPoint, &a, &p));
        // Every decomposition getter refuses, also the scale getters whose formula is defined.
        for (AngleGetter f : kAngles) {
            EXPECT_TRUE(refuses(cmath_errSingular, cmath_radian{-99.5}, f, &a));
        }
        for (ScalarGetter f : kScalars) {
            EXPECT_TRUE(refuses(cmath_errSingular, -99.5, f, &a));
        }
        EXPECT_EQ(result<int32_t>(cmath_matrix_getIsSingular, &a), 1);
    }
    // Near-singular is accepted: no hidden tolerance.
    const M tiny{1e-300, 0.0, 0.0, 1e-10};
    EXPECT_EQ(result<int32_t>(cmath_matrix_getIsSingular, &tiny), 0);
    inverse(tiny);
}

TEST(Matrix, InverseUsesOneReciprocal)
{
    EXPECT_TRUE(sameBytes(inverse(M{2.0, 0.0, 0.0, 4.0}), M{0.5, -0.0, -0.0, 0.25}));
    // det = 10: elements are multiplied by the rounded 1/10, not divided by 10.
    const double r = 1.0 / 10.0;
    const M inv = inverse(M{10.0, 3.0, 0.0, 1.0});
    EXPECT_TRUE(sameBytes(inv, M{1.0 * r, -(3.0 * r), -(0.0 * r), 10.0 * r}));
    EXPECT_NE(inv.e12, -3.0 / 10.0);
    M x{2.0, 0.0, 0.0, 4.0};
    cmath_matrix_initInverse(&x, &x); // aliased
    EXPECT_TRUE(sameBytes(x, M{0.5, -0.0, -0.0, 0.25}));

    // invMapPoint agrees with mapping through A and back, also in place.
    const M c{1.5, -0.25, 0.75, 2.0};
    cmath_vect v{3.0, -1.0};
    cmath_matrix_mapPoint(&c, &v, &v);
    ASSERT_EQ(cmath_matrix_invMapPoint(&c, &v, &v), 0);
    EXPECT_NEAR(v.x, 3.0, 1e-14);
    EXPECT_NEAR(v.y, -1.0, 1e-14);
}

TEST(Matrix, ProductOrderAndAliasedTargets)
{
    const M a{1.0, 2.0, 3.0, 4.0}, b{0.0, 1.0, -1.0, 0.0}, c{0.5, 0.25, -1.5, 3.0}, d{1.0, -1.0, 2.0, 0.125};
    const M ab{-2.0, 1.0, -4.0, 3.0}, ba{3.0, 4.0, -1.0, -2.0};
    M x = a, y = b, z = b, w = a;
    cmath_matrix_initMultiply(&x, &x, &b);
    cmath_matrix_initMultiply(&y, &a, &y);
    cmath_matrix_initMultiply(&z, &z, &a);
    cmath_matrix_initMultiply(&w, &w, &w);
    EXPECT_TRUE(sameBytes(x, ab));
    EXPECT_TRUE(sameBytes(y, ab));
    EXPECT_TRUE(sameBytes(z, ba));
    EXPECT_TRUE(sameBytes(w, M{7.0, 10.0, 15.0, 22.0}));
    // (A B) p applies B first.
    const cmath_vect p{5.0, 7.0};
    const cmath_vect bp = result<cmath_vect>(cmath_matrix_mapPoint, &b, &p);
    EXPECT_TRUE(sameBytes(result<cmath_vect>(cmath_matrix_mapPoint, &ab, &p),
                          result<cmath_vect>(cmath_matrix_mapPoint, &a, &bp)));

    // Multiply3 and Multiply4 associate to the left, whichever operand is also the target.
    M abc, abcd;
    cmath_matrix_initMultiply(&abc, &ab, &c);
    cmath_matrix_initMultiply(&abcd, &abc, &d);
    for (int k = 0; k < 4; ++k) {
        M o[4] = {a, b, c, d};
        cmath_matrix_initMultiply4(&o[k], &o[0], &o[1], &o[2], &o[3]);
        EXPECT_TRUE(sameBytes(o[k], abcd)) << "target = operand " << k;
        M o3[4] = {a, b, c, d};
        cmath_matrix_initMultiply3(&o3[k % 3], &o3[0], &o3[1], &o3[2]);
        EXPECT_TRUE(sameBytes(o3[k % 3], abc)) << "target = operand " << k % 3;
    }
    x = a;
    cmath_matrix_initTranspose(&x, &x);
    EXPECT_TRUE(sameBytes(x, M{1.0, 3.0, 2.0, 4.0}));
    EXPECT_EQ(result<double>(cmath_matrix_getDeterminant, &a), -2.0);
}

TEST(Matrix, DecompositionOfStatedCases)
{
    const cmath_radian shear{0.3}, rot{0.7}, xr{0.7}, yr{1.0}, q{2.5};
    M m;
    cmath_matrix_initScaleAspect(&m, 2.0, 0.5, &shear, &rot);
    // The construction's own order of operations is the contract the averagers rely on.
    const double s = std::sin(0.7), c = std::cos(0.7), t = std::tan(0.3);
    EXPECT_TRUE(sameBytes(m, M{c * 2.0, (-s - t * c) * (2.0 * 0.5), s * 2.0, (c - t * s) * (2.0 * 0.5)}));
    cmath_matrix_initRotationScale(&m, &xr, &yr, 2.0, 3.0);
    EXPECT_TRUE(sameBytes(m, M{std::cos(0.7) * 2.0, -(std::sin(1.0) * 3.0), std::sin(0.7) * 2.0,
                               std::cos(1.0) * 3.0}));
    // The shear is the angle between the axes' images less a right angle; the aspect carries it.
    EXPECT_NEAR(get(cmath_matrix_getShear, m), 0.3, 1e-15);
    EXPECT_NEAR(get(cmath_matrix_getAspect, m), 1.5 * std::cos(0.3), 1e-15);

    // A reflection: rotation 0, aspect -1, shear 0; a pure rotation: no shear, unit aspect.
    const M refl{1.0, 0.0, 0.0, -1.0};
    EXPECT_EQ(get(cmath_matrix_getRotation, refl), 0.0);
    EXPECT_EQ(get(cmath_matrix_getAspect, refl), -1.0);
    EXPECT_EQ(get(cmath_matrix_getShear, refl), 0.0);
    cmath_matrix_initRotationScale(&m, &q, &q, 1.0, 1.0);
    EXPECT_NEAR(get(cmath_matrix_getShear, m), 0.0, 1e-16);
    EXPECT_NEAR(get(cmath_matrix_getAspect, m), 1.0, 1e-15);
}

TEST(Matrix, DecompositionRoundTripsOverRandomParameters)
{
    Rng rng;
    for (int i = 0; i < 20000; ++i) {
        const double s = std::exp(rng.uniform(-5.0, 5.0));
        const double a = (i % 2 == 0 ? 1.0 : -1.0) * std::exp(rng.uniform(-4.0, 4.0));
        const cmath_radian k{rng.uniform(-1.4, 1.4)}, th{rng.uniform(-kPi, kPi)};
        M m;
        ASSERT_EQ(cmath_matrix_initScaleAspect(&m, s, a, &k, &th), 0);
        EXPECT_NEAR(get(cmath_matrix_getScale, m) / s, 1.0, 1e-14) << i;
        EXPECT_NEAR(get(cmath_matrix_getAspect, m) / a, 1.0, 1e-13) << i;
        EXPECT_NEAR(get(cmath_matrix_getShear, m), k.value, 1e-13) << i;
        EXPECT_NEAR(get(cmath_matrix_getRotation, m), th.value, 1e-14) << i;
        EXPECT_NEAR(get(cmath_matrix_getYScale, m) / (s * std::fabs(a) / std::cos(k.value)), 1.0, 1e-13) << i;
        // The image of the y axis turns by rotation + shear (reversed by a reflection).
        const double expectY = th.value + k.value + (a < 0.0 ? kPi : 0.0);
        EXPECT_NEAR(std::remainder(get(cmath_matrix_getYRotation, m) - expectY, 2.0 * kPi), 0.0, 1e-13) << i;

        // initRotationScale round trip for positive scales.
        const cmath_radian xr{rng.uniform(-3.1, 3.1)}, yr{rng.uniform(-3.1, 3.1)};
        const double sx = std::exp(rng.uniform(-5.0, 5.0)), sy = std::exp(rng.uniform(-5.0, 5.0));
        ASSERT_EQ(cmath_matrix_initRotationScale(&m, &xr, &yr, sx, sy), 0);
        if (result<int32_t>(cmath_matrix_getIsSingular, &m) != 0) {
            continue;
        }
        EXPECT_NEAR(get(cmath_matrix_getXRotation, m), xr.value, 1e-14) << i;
        EXPECT_NEAR(get(cmath_matrix_getYRotation, m), yr.value, 1e-14) << i;
        EXPECT_NEAR(get(cmath_matrix_getXScale, m) / sx, 1.0, 1e-15) << i;
        EXPECT_NEAR(get(cmath_matrix_getYScale, m) / sy, 1.0, 1e-15) << i;
    }
}

TEST(Matrix, EqualityAndIdentity)
{
    const M a{1.0, 2.0, 3.0, 4.0}, nearId{1.0, 0.0, 1e-300, 1.0}, withNan{1.0, 2.0, 3.0, std::nan("")};
    M id = kMatrixSentinel;
    cmath_matrix_reset(&id);
    EXPECT_EQ(result<int32_t>(cmath_matrix_getIsIdentity, &id), 1);
    EXPECT_EQ(result<int32_t>(cmath_matrix_getIsIdentity, &nearId), 0);
    // Every element is looked at.
    for (double M::*f : {&M::e11, &M::e12, &M::e21, &M::e22}) {
        M b = a;
        b.*f += 1e-9;
        EXPECT_EQ(result<int32_t>(cmath_matrix_compareEqual, &a, &b), 0);
        EXPECT_EQ(result<int32_t>(cmath_matrix_epsilonEqual, &a, &b, 1e-8), 1);
        EXPECT_EQ(result<int32_t>(cmath_matrix_epsilonEqual, &a, &b, 1e-10), 0);
    }
    EXPECT_EQ(result<int32_t>(cmath_matrix_compareEqual, &a, &a), 1);
    EXPECT_EQ(result<int32_t>(cmath_matrix_compareEqual, &withNan, &withNan), 0);
}

extern "C" int orbmath_geometry_c_check(void);

TEST(Geometry, UsableFromC) { EXPECT_EQ(orbmath_geometry_c_check(), 0); }
