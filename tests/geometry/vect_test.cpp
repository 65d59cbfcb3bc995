// 2D vectors: exact results, refusals, aliasing; the float family in single precision.
#include "geom_util.h"

using namespace geomtest;
using V = cmath_vect;
using VF = cmath_vectF;

TEST(Vect, FailuresLeaveTheOutputUntouched)
{
    const V zero{0.0, 0.0}, a{2.0, 5.0}, tinier{1e-300, 0.0};
    const VF zf{0.0f, 0.0f}, af{2.0f, 5.0f};
    const VF sentF{-123.25f, 456.5f};
    // A length whose square underflows is 0 (no rescaling) and refused.
    for (const V& z : {zero, tinier}) {
        EXPECT_TRUE(refuses(cmath_errZeroVector, kVectSentinel, cmath_vect_getUnit, &z));
    }
    EXPECT_TRUE(refuses(cmath_errZeroVector, kVectSentinel, cmath_vect_project, &zero, &a));
    EXPECT_TRUE(refuses(cmath_errZeroVector, sentF, cmath_vectF_getUnit, &zf));
    EXPECT_TRUE(refuses(cmath_errZeroVector, sentF, cmath_vectF_project, &zf, &af));
    for (double d : {0.0, -0.0}) {
        EXPECT_TRUE(refusesWith(cmath_errDivideByZero, kVectSentinel,
                                [&](V* out) { return cmath_vect_initDivide(out, &a, d); }));
        EXPECT_TRUE(refusesWith(cmath_errDivideByZero, sentF,
                                [&](VF* out) { return cmath_vectF_initDivide(out, &af, static_cast<float>(d)); }));
    }
    // A tiny but non-zero length is accepted.
    const V tiny{1e-150, 0.0};
    EXPECT_EQ(result<V>(cmath_vect_getUnit, &tiny).x, 1.0 / std::sqrt(1e-150 * 1e-150) * 1e-150);
}

TEST(Vect, ExactResultsSignConventionsAndAliasing)
{
    // The unit vector and division multiply by one rounded reciprocal.
    V u{3.0, 4.0};
    ASSERT_EQ(cmath_vect_getUnit(&u, &u), 0); // aliased
    EXPECT_TRUE(sameBytes(u, V{(1.0 / 5.0) * 3.0, (1.0 / 5.0) * 4.0}));
    V m{1.0, 10.0};
    ASSERT_EQ(cmath_vect_initDivide(&m, &m, 3.0), 0); // aliased
    EXPECT_TRUE(sameBytes(m, V{1.0 / 3.0, (1.0 / 3.0) * 10.0}));
    EXPECT_NE(m.y, 10.0 / 3.0);

    // project with out aliasing either operand.
    V dir{10.0, 0.0}, b{2.0, 5.0}, dir2{0.0, 2.0}, b2{7.0, 3.0};
    cmath_vect_project(&dir, &b, &b);
    cmath_vect_project(&dir2, &b2, &dir2);
    EXPECT_TRUE(sameBytes(b, V{2.0, 0.0}));
    EXPECT_TRUE(sameBytes(dir2, V{0.0, 3.0}));
    V v;

    const V ex{1.0, 0.0}, ey{0.0, 1.0}, mx{-1.0, 0.0}, zero{0.0, 0.0}, p{1.0, 1.0}, q{4.0, 5.0};
    EXPECT_EQ(result<double>(cmath_vect_cross, &ex, &ey), 1.0);
    cmath_vect_initPerpendicular(&v, &ex);
    EXPECT_TRUE(sameBytes(v, V{-0.0, 1.0}));
    EXPECT_EQ(result<cmath_radian>(cmath_vect_getDirection, &ey).value, kPi / 2);
    EXPECT_EQ(result<cmath_radian>(cmath_vect_getDirection, &mx).value, kPi);
    EXPECT_EQ(result<cmath_radian>(cmath_vect_getDirection, &zero).value, 0.0);
    const cmath_radian th{0.5};
    ASSERT_EQ(cmath_vect_initLengthAngle(&v, 2.0, &th), 0);
    EXPECT_TRUE(sameBytes(v, V{std::cos(0.5) * 2.0, std::sin(0.5) * 2.0}));
    EXPECT_EQ(result<double>(cmath_vect_getDistance, &p, &q), 5.0);

    // Exact and tolerant equality; the bound is inclusive.
    const V e{1.0, 2.0}, f{1.0, 2.0 + 1e-9}, g{1.5, 2.0};
    EXPECT_EQ(result<int32_t>(cmath_vect_compareEqual, &e, &f), 0);
    EXPECT_EQ(result<int32_t>(cmath_vect_compareEqual, &e, &e), 1);
    EXPECT_EQ(result<int32_t>(cmath_vect_epsilonEqual, &e, &f, 1e-8), 1);
    EXPECT_EQ(result<int32_t>(cmath_vect_epsilonEqual, &e, &f, 1e-10), 0);
    EXPECT_EQ(result<int32_t>(cmath_vect_epsilonEqual, &e, &g, 0.5), 1);
}

TEST(VectF, SinglePrecisionWhereStated)
{
    VF out;
    const VF a{1.0f, 3.0f}, p{0.1f, 0.7f};
    ASSERT_EQ(cmath_vectF_initDivide(&out, &a, 3.0f), 0);
    EXPECT_TRUE(sameBytes(out, VF{1.0f / 3.0f, (1.0f / 3.0f) * 3.0f}));
    EXPECT_EQ(result<float>(cmath_vectF_getLength, &p), std::sqrt(0.1f * 0.1f + 0.7f * 0.7f));
    EXPECT_EQ(result<float>(cmath_vectF_dot, &p, &p), 0.1f * 0.1f + 0.7f * 0.7f);
    const cmath_radian th{1.0};
    ASSERT_EQ(cmath_vectF_initLengthAngle(&out, 3.0f, &th), 0);
    const float c = static_cast<float>(std::cos(1.0)), s = static_cast<float>(std::sin(1.0));
    EXPECT_TRUE(sameBytes(out, VF{c * 3.0f, s * 3.0f}));
    VF u{3.0f, 4.0f};
    ASSERT_EQ(cmath_vectF_getUnit(&u, &u), 0);
    EXPECT_EQ(u.x, (1.0f / 5.0f) * 3.0f);

    // The direction is written as a whole double (a float write would leave the high half).
    cmath_radian r{1.0e300};
    const VF d{0.1f, 0.3f};
    cmath_vectF_getDirection(&d, &r);
    EXPECT_EQ(r.value, std::atan2(static_cast<double>(0.3f), static_cast<double>(0.1f)));
    EXPECT_NE(r.value, static_cast<double>(static_cast<float>(r.value)));
    // The tolerance is compared in double.
    const VF g{0.1f, 0.0f}, h{0.2f, 0.0f};
    const double gap = static_cast<double>(0.2f) - static_cast<double>(0.1f);
    EXPECT_EQ(result<int32_t>(cmath_vectF_epsilonEqual, &g, &h, gap), 1);
    EXPECT_EQ(result<int32_t>(cmath_vectF_epsilonEqual, &g, &h, std::nextafter(gap, 0.0)), 0);
}
