// 2D vectors: exact results, failure statuses with outputs untouched, aliasing, and the float
// family staying in single precision.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;
const cmath_vect kSentinel{-123.25, 456.5};
const cmath_vectF kSentinelF{-123.25f, 456.5f};
} // namespace

TEST(Vect, FailuresLeaveTheOutputUntouched)
{
    cmath_vect zero{0.0, 0.0}, a{2.0, 5.0}, out = kSentinel;
    EXPECT_EQ(cmath_vect_getUnit(&zero, &out), cmath_errZeroVector);
    EXPECT_EQ(cmath_vect_project(&zero, &a, &out), cmath_errZeroVector);
    EXPECT_EQ(cmath_vect_initDivide(&out, &a, 0.0), cmath_errDivideByZero);
    EXPECT_EQ(cmath_vect_initDivide(&out, &a, -0.0), cmath_errDivideByZero);
    EXPECT_EQ(out.x, kSentinel.x);
    EXPECT_EQ(out.y, kSentinel.y);

    cmath_vectF zf{0.0f, 0.0f}, af{2.0f, 5.0f}, outf = kSentinelF;
    EXPECT_EQ(cmath_vectF_getUnit(&zf, &outf), cmath_errZeroVector);
    EXPECT_EQ(cmath_vectF_project(&zf, &af, &outf), cmath_errZeroVector);
    EXPECT_EQ(cmath_vectF_initDivide(&outf, &af, 0.0f), cmath_errDivideByZero);
    EXPECT_EQ(outf.x, kSentinelF.x);
    EXPECT_EQ(outf.y, kSentinelF.y);

    // A tiny but non-zero length is accepted; one whose square underflows has length 0
    // (no rescaling) and is refused.
    cmath_vect tiny{1e-150, 0.0};
    EXPECT_EQ(cmath_vect_getUnit(&tiny, &out), 0);
    EXPECT_EQ(out.x, 1.0 / std::sqrt(1e-150 * 1e-150) * 1e-150);
    cmath_vect tinier{1e-300, 0.0};
    out = kSentinel;
    EXPECT_EQ(cmath_vect_getUnit(&tinier, &out), cmath_errZeroVector);
    EXPECT_EQ(out.x, kSentinel.x);
}

TEST(Vect, ExactResultsAndSignConventions)
{
    cmath_vect a{3.0, 4.0}, out;
    ASSERT_EQ(cmath_vect_getUnit(&a, &out), 0);
    EXPECT_EQ(out.x, (1.0 / 5.0) * 3.0);
    EXPECT_EQ(out.y, (1.0 / 5.0) * 4.0);

    cmath_vect x{10.0, 0.0}, b{2.0, 5.0};
    ASSERT_EQ(cmath_vect_project(&x, &b, &out), 0);
    EXPECT_EQ(out.x, 2.0);
    EXPECT_EQ(out.y, 0.0);

    cmath_vect ex{1.0, 0.0}, ey{0.0, 1.0};
    double c = 0.0;
    cmath_vect_cross(&ex, &ey, &c);
    EXPECT_EQ(c, 1.0);
    cmath_vect_initPerpendicular(&out, &ex);
    EXPECT_EQ(out.x, -0.0);
    EXPECT_EQ(out.y, 1.0);

    cmath_radian r{99.0};
    cmath_vect_getDirection(&ey, &r);
    EXPECT_EQ(r.value, kPi / 2);
    cmath_vect mx{-1.0, 0.0}, z{0.0, 0.0};
    cmath_vect_getDirection(&mx, &r);
    EXPECT_EQ(r.value, kPi);
    EXPECT_EQ(cmath_vect_getDirection(&z, &r), 0);
    EXPECT_EQ(r.value, 0.0);

    // Division multiplies by the reciprocal: 1/3 rounded, then times 1.
    cmath_vect one{1.0, 10.0};
    ASSERT_EQ(cmath_vect_initDivide(&out, &one, 3.0), 0);
    EXPECT_EQ(out.x, 1.0 / 3.0);
    EXPECT_EQ(out.y, (1.0 / 3.0) * 10.0);
    EXPECT_NE(out.y, 10.0 / 3.0);

    cmath_radian th{0.5};
    ASSERT_EQ(cmath_vect_initLengthAngle(&out, 2.0, &th), 0);
    EXPECT_EQ(out.x, std::cos(0.5) * 2.0);
    EXPECT_EQ(out.y, std::sin(0.5) * 2.0);

    double d = 0.0;
    cmath_vect p{1.0, 1.0}, q{4.0, 5.0};
    cmath_vect_getDistance(&p, &q, &d);
    EXPECT_EQ(d, 5.0);
}

TEST(Vect, OutputsMayAliasInputs)
{
    cmath_vect v{1.5, -2.0};
    cmath_vect_initAdd(&v, &v, &v);
    EXPECT_EQ(v.x, 3.0);
    EXPECT_EQ(v.y, -4.0);
    cmath_vect_initSubtract(&v, &v, &v);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 0.0);

    cmath_vect a{3.0, 4.0};
    cmath_vect_getUnit(&a, &a);
    EXPECT_EQ(a.x, (1.0 / 5.0) * 3.0);
    EXPECT_EQ(a.y, (1.0 / 5.0) * 4.0);

    // project with out aliasing either operand.
    cmath_vect dir{10.0, 0.0}, b{2.0, 5.0};
    cmath_vect_project(&dir, &b, &b);
    EXPECT_EQ(b.x, 2.0);
    EXPECT_EQ(b.y, 0.0);
    cmath_vect dir2{0.0, 2.0}, b2{7.0, 3.0};
    cmath_vect_project(&dir2, &b2, &dir2);
    EXPECT_EQ(dir2.x, 0.0);
    EXPECT_EQ(dir2.y, 3.0);

    cmath_vect m{2.0, 4.0};
    cmath_vect_initDivide(&m, &m, 4.0);
    EXPECT_EQ(m.x, 0.5);
    EXPECT_EQ(m.y, 1.0);
}

TEST(Vect, EqualityExactAndWithinTolerance)
{
    cmath_vect a{1.0, 2.0}, b{1.0, 2.0 + 1e-9};
    int32_t f = -1;
    cmath_vect_compareEqual(&a, &b, &f);
    EXPECT_EQ(f, 0);
    cmath_vect_compareEqual(&a, &a, &f);
    EXPECT_EQ(f, 1);
    cmath_vect_epsilonEqual(&a, &b, 1e-8, &f);
    EXPECT_EQ(f, 1);
    cmath_vect_epsilonEqual(&a, &b, 1e-10, &f);
    EXPECT_EQ(f, 0);
    cmath_vect c{1.5, 2.0};
    cmath_vect_epsilonEqual(&a, &c, 0.5, &f); // inclusive bound
    EXPECT_EQ(f, 1);
}

TEST(VectF, SinglePrecisionWhereStated)
{
    cmath_vectF a{1.0f, 3.0f}, out;
    ASSERT_EQ(cmath_vectF_initDivide(&out, &a, 3.0f), 0);
    EXPECT_EQ(out.x, 1.0f / 3.0f);
    EXPECT_EQ(out.y, (1.0f / 3.0f) * 3.0f);

    cmath_vectF p{0.1f, 0.7f};
    float len = 0.0f;
    cmath_vectF_getLength(&p, &len);
    EXPECT_EQ(len, std::sqrt(0.1f * 0.1f + 0.7f * 0.7f));
    float dot = 0.0f;
    cmath_vectF_dot(&p, &p, &dot);
    EXPECT_EQ(dot, 0.1f * 0.1f + 0.7f * 0.7f);

    cmath_radian th{1.0};
    ASSERT_EQ(cmath_vectF_initLengthAngle(&out, 3.0f, &th), 0);
    EXPECT_EQ(out.x, static_cast<float>(std::cos(1.0)) * 3.0f);
    EXPECT_EQ(out.y, static_cast<float>(std::sin(1.0)) * 3.0f);

    cmath_vectF u{3.0f, 4.0f};
    ASSERT_EQ(cmath_vectF_getUnit(&u, &u), 0);
    EXPECT_EQ(u.x, (1.0f / 5.0f) * 3.0f);
}

TEST(VectF, DirectionIsADoubleAndEpsilonWidens)
{
    // The direction is written as a whole double: a float write would leave the high half.
    struct {
        cmath_radian r;
    } box{{1.0e300}};
    cmath_vectF v{0.1f, 0.3f};
    cmath_vectF_getDirection(&v, &box.r);
    EXPECT_EQ(box.r.value, std::atan2(static_cast<double>(0.3f), static_cast<double>(0.1f)));
    EXPECT_NE(box.r.value, static_cast<double>(static_cast<float>(box.r.value)));

    cmath_vectF a{0.1f, 0.0f}, b{0.2f, 0.0f};
    int32_t f = -1;
    const double gap = static_cast<double>(0.2f) - static_cast<double>(0.1f);
    cmath_vectF_epsilonEqual(&a, &b, gap, &f);
    EXPECT_EQ(f, 1);
    cmath_vectF_epsilonEqual(&a, &b, std::nextafter(gap, 0.0), &f);
    EXPECT_EQ(f, 0);
}
