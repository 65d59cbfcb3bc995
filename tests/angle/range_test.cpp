// Ranges and angle ranges: kinds, failures with the target untouched, aliasing, containment by
// whole-turn steps across the wrap, and the clamped inverse trigonometry.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.141592653589793;
constexpr double kTurn = 6.283185307179586;
const cmath_range kSentinel{7, 123.5, -456.25};

cmath_range bounded(double s, double e) { return cmath_range{cmath_rangeKind_bounded, s, e}; }
cmath_range emptyRange()
{
    cmath_range r;
    cmath_range_initEmpty(&r);
    return r;
}
cmath_range fullRange()
{
    cmath_range r;
    cmath_range_initFull(&r);
    return r;
}

bool same(const cmath_range& a, const cmath_range& b)
{
    int32_t eq = -1;
    cmath_range_compareEqual(&a, &b, &eq);
    return eq == 1;
}

cmath_angleRange arc(double s, double e)
{
    const cmath_radian rs{s}, re{e};
    cmath_angleRange r;
    cmath_angleRange_init(&r, &rs, &re);
    return r;
}

int32_t within(double value, const cmath_angleRange& r)
{
    const cmath_radian v{value};
    int32_t out = -1;
    EXPECT_EQ(cmath_angleRange_isValueWithin(&v, &r, &out), 0);
    return out;
}

int32_t withinRange(double value, const cmath_range& r)
{
    int32_t out = -1;
    EXPECT_EQ(cmath_range_isValueWithin(value, &r, &out), 0);
    return out;
}

} // namespace

TEST(Range, InitKindsAndFailures)
{
    cmath_range r = kSentinel;
    EXPECT_EQ(cmath_range_init(&r, 2.0, 1.0), cmath_errBadRange);
    EXPECT_TRUE(same(r, kSentinel));
    ASSERT_EQ(cmath_range_init(&r, 1.5, 1.5), 0);
    EXPECT_EQ(r.kind, cmath_rangeKind_bounded);
    EXPECT_EQ(withinRange(1.5, r), 1);
    EXPECT_EQ(withinRange(std::nextafter(1.5, 2.0), r), 0);
    EXPECT_EQ(withinRange(std::nextafter(1.5, 1.0), r), 0);

    cmath_range_initEmpty(&r);
    EXPECT_EQ(r.kind, cmath_rangeKind_empty);
    EXPECT_EQ(r.start, -kInf);
    EXPECT_EQ(r.end, -kInf);
    cmath_range_initFull(&r);
    EXPECT_EQ(r.kind, cmath_rangeKind_full);
    EXPECT_EQ(r.start, -kInf);
    EXPECT_EQ(r.end, kInf);
    cmath_range_reset(&r);
    EXPECT_TRUE(same(r, emptyRange()));

    EXPECT_EQ(cmath_range_validate(&kSentinel), cmath_errBadRange);
    const cmath_range good = bounded(1.0, 2.0);
    EXPECT_EQ(cmath_range_validate(&good), 0);
    EXPECT_EQ(cmath_range_validate(&r), 0); // empty: -inf >= -inf
}

TEST(Range, ScaleChecksTheScaleFirstAndKeepsSpecialKinds)
{
    cmath_range r = kSentinel;
    const cmath_range src = bounded(-1.0, 3.0), e = emptyRange(), f = fullRange();
    EXPECT_EQ(cmath_range_initScale(&r, 0.0, &src), cmath_errBadScale);
    EXPECT_EQ(cmath_range_initScale(&r, -2.0, &e), cmath_errBadScale);
    EXPECT_EQ(cmath_range_initScale(&r, kNaN, &src), cmath_errBadScale);
    const cmath_range inverted = bounded(3.0, 1.0); // not made by cmath_range_init
    EXPECT_EQ(cmath_range_initScale(&r, 2.0, &inverted), cmath_errBadRange);
    EXPECT_TRUE(same(r, kSentinel));

    ASSERT_EQ(cmath_range_initScale(&r, 2.0, &src), 0);
    EXPECT_TRUE(same(r, bounded(-2.0, 6.0)));
    ASSERT_EQ(cmath_range_initScale(&r, 2.0, &f), 0);
    EXPECT_TRUE(same(r, f));
    ASSERT_EQ(cmath_range_initScale(&r, 0.5, &e), 0);
    EXPECT_TRUE(same(r, e));
    cmath_range self = bounded(1.0, 4.0);
    ASSERT_EQ(cmath_range_initScale(&self, 0.25, &self), 0);
    EXPECT_TRUE(same(self, bounded(0.25, 1.0)));
}

TEST(Range, MapThroughAOneDimensionalTransform)
{
    cmath_xformLinear1 flip, stretch;
    cmath_xformLinear1_initMatrixTransElements(&flip, -1.0, 0.0);
    cmath_xformLinear1_initMatrixTransElements(&stretch, 0.1, 0.3);
    const cmath_range src = bounded(1.0, 2.0), e = emptyRange(), f = fullRange();
    cmath_range r = kSentinel;
    ASSERT_EQ(cmath_range_map(&src, &flip, &r), 0);
    EXPECT_TRUE(same(r, bounded(-2.0, -1.0)));
    ASSERT_EQ(cmath_range_map(&src, &stretch, &r), 0);
    EXPECT_TRUE(same(r, bounded(1.0 * 0.1 + 0.3, 2.0 * 0.1 + 0.3)));
    ASSERT_EQ(cmath_range_map(&e, &stretch, &r), 0);
    EXPECT_TRUE(same(r, e));
    ASSERT_EQ(cmath_range_map(&f, &flip, &r), 0);
    EXPECT_TRUE(same(r, f));
    cmath_range self = bounded(-3.0, 5.0);
    ASSERT_EQ(cmath_range_map(&self, &flip, &self), 0);
    EXPECT_TRUE(same(self, bounded(-5.0, 3.0)));
    // An infinite bound maps to NaN through a zero scale; the kind stays bounded.
    cmath_xformLinear1 zero;
    cmath_xformLinear1_initMatrixTransElements(&zero, 0.0, 1.0);
    const cmath_range half = bounded(0.0, std::numeric_limits<double>::infinity());
    ASSERT_EQ(cmath_range_map(&half, &zero, &r), 0);
    EXPECT_EQ(r.kind, cmath_rangeKind_bounded);
    EXPECT_EQ(r.start, 1.0);
    EXPECT_TRUE(std::isnan(r.end));
}

TEST(Range, MiddleContainmentAndOverlap)
{
    double m = 0.0;
    const cmath_range e = emptyRange(), f = fullRange(), a = bounded(0.0, 1.0), b = bounded(1.0, 2.0);
    cmath_range_getMiddle(&f, &m);
    EXPECT_TRUE(std::isnan(m));
    cmath_range_getMiddle(&e, &m);
    EXPECT_EQ(m, -kInf);
    cmath_range_getMiddle(&b, &m);
    EXPECT_EQ(m, 1.5);

    EXPECT_EQ(withinRange(0.0, a), 1);
    EXPECT_EQ(withinRange(1.0, a), 1);
    EXPECT_EQ(withinRange(kNaN, a), 0);
    EXPECT_EQ(withinRange(0.5, e), 0);
    EXPECT_EQ(withinRange(kNaN, f), 1);

    int32_t out = -1;
    auto overlap = [&](const cmath_range& x, const cmath_range& y) {
        EXPECT_EQ(cmath_range_isOverlap(&x, &y, &out), 0);
        return out;
    };
    auto inside = [&](const cmath_range& x, const cmath_range& y) {
        EXPECT_EQ(cmath_range_isWithin(&x, &y, &out), 0);
        return out;
    };
    EXPECT_EQ(overlap(a, b), 1);
    EXPECT_EQ(overlap(b, a), 1);
    EXPECT_EQ(overlap(a, bounded(1.5, 2.0)), 0);
    EXPECT_EQ(overlap(e, f), 0);
    EXPECT_EQ(overlap(f, e), 0);
    EXPECT_EQ(overlap(f, a), 1);
    EXPECT_EQ(overlap(a, f), 1);
    EXPECT_EQ(overlap(a, e), 0);
    EXPECT_EQ(overlap(bounded(-1.0, 5.0), bounded(2.0, 3.0)), 1);

    EXPECT_EQ(inside(e, e), 1);
    EXPECT_EQ(inside(e, a), 1);
    EXPECT_EQ(inside(f, a), 0);
    EXPECT_EQ(inside(f, f), 1);
    EXPECT_EQ(inside(a, e), 0);
    EXPECT_EQ(inside(a, f), 1);
    EXPECT_EQ(inside(bounded(0.25, 1.0), a), 1);
    EXPECT_EQ(inside(bounded(0.25, 1.5), a), 0);
    EXPECT_EQ(inside(bounded(-0.5, 0.5), a), 0);
    EXPECT_EQ(inside(a, a), 1);

    EXPECT_TRUE(same(a, a));
    EXPECT_FALSE(same(a, b));
    EXPECT_FALSE(same(e, cmath_range{cmath_rangeKind_bounded, -kInf, -kInf}));
}

TEST(AngleRange, KindsMiddleAndValidate)
{
    cmath_angleRange r;
    cmath_angleRange_initEmpty(&r);
    EXPECT_EQ(r.kind, cmath_rangeKind_empty);
    EXPECT_EQ(r.start, -kPi);
    EXPECT_EQ(r.end, -kPi);
    EXPECT_EQ(within(0.0, r), 0);
    cmath_angleRange_initFull(&r);
    EXPECT_EQ(r.kind, cmath_rangeKind_full);
    EXPECT_EQ(r.start, -kPi);
    EXPECT_EQ(r.end, kPi);
    EXPECT_EQ(within(kNaN, r), 1);
    cmath_angleRange_reset(&r);
    EXPECT_EQ(r.kind, cmath_rangeKind_empty);

    const cmath_angleRange w = arc(3.0, -3.0);
    EXPECT_EQ(w.start, 3.0);
    EXPECT_EQ(w.end, -3.0);
    cmath_radian mid{1.0};
    cmath_angleRange_getMiddle(&w, &mid);
    EXPECT_EQ(mid.value, 0.0);
    const cmath_angleRange odd = arc(100.0, -50.0);
    EXPECT_EQ(cmath_angleRange_validate(&odd), 0);

    int32_t eq = -1;
    const cmath_angleRange w2 = arc(3.0, -3.0);
    cmath_angleRange_compareEqual(&w, &w2, &eq);
    EXPECT_EQ(eq, 1);
    cmath_angleRange_compareEqual(&w, &odd, &eq);
    EXPECT_EQ(eq, 0);
}

TEST(AngleRange, ContainmentAcrossTheWrap)
{
    const cmath_angleRange w = arc(3.0, -3.0); // through pi
    EXPECT_EQ(within(kPi, w), 1);
    EXPECT_EQ(within(-kPi, w), 1);
    EXPECT_EQ(within(3.0, w), 1);
    EXPECT_EQ(within(-3.0, w), 1);
    EXPECT_EQ(within(0.0, w), 0);
    EXPECT_EQ(within(-2.9, w), 0);

    const cmath_angleRange m = arc(-1.0, 1.0);
    EXPECT_EQ(within(-0.3, m), 1);
    EXPECT_EQ(within(-0.3 + kTurn, m), 0); // raised only, never lowered
    EXPECT_EQ(within(-0.3 - kTurn, m), 1);
    EXPECT_EQ(within(1.0, m), 1);
    EXPECT_EQ(within(-1.0, m), 1);
    EXPECT_EQ(within(std::nextafter(1.0, 2.0), m), 0);

    const cmath_angleRange hi = arc(5.5, 7.0); // the end lies beyond one turn
    EXPECT_EQ(within(0.5, hi), 1);
    EXPECT_EQ(within(5.6, hi), 1);
    EXPECT_EQ(within(0.5 - kTurn, hi), 1); // raised twice
    EXPECT_EQ(within(1.0, hi), 0);
    EXPECT_EQ(within(7.5, hi), 0);

    const cmath_angleRange beyond = arc(7.0, 8.0); // both bounds come down one turn
    EXPECT_EQ(within(1.0, beyond), 1);
    EXPECT_EQ(within(7.5, beyond), 0); // same direction as 1.2, but values are never lowered
    EXPECT_EQ(within(0.5, beyond), 0);

    const cmath_angleRange circle = arc(-kPi, kPi); // shrinks to the single angle -pi
    EXPECT_EQ(within(-kPi, circle), 1);
    EXPECT_EQ(within(0.0, circle), 0);
    EXPECT_EQ(within(kPi, circle), 0);

    const cmath_angleRange farEnd = arc(0.5, 0.5 + 5 * kTurn + 0.25); // the end comes down
    EXPECT_EQ(within(0.6, farEnd), 1);
    EXPECT_EQ(within(1.0, farEnd), 0);
}

TEST(AngleRange, SameConventionAgreesWithGeometry)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> angle(0.0, kTurn);
    int checked = 0;
    for (int k = 0; k < 50000; ++k) {
        const double s = angle(rng), e = angle(rng), x = angle(rng);
        const double length = e >= s ? e - s : e - s + kTurn;
        const double offset = x >= s ? x - s : x - s + kTurn;
        if (std::fabs(offset - length) < 1e-9 || offset < 1e-9 || kTurn - offset < 1e-9) {
            continue; // too near a bound for the geometric answer to be certain
        }
        ASSERT_EQ(within(x, arc(s, e)), offset <= length ? 1 : 0) << s << " " << e << " " << x;
        // Shifted to [-pi, pi) together the answer is the same.
        const double s2 = s >= kPi ? s - kTurn : s, e2 = e >= kPi ? e - kTurn : e, x2 = x >= kPi ? x - kTurn : x;
        ASSERT_EQ(within(x2, arc(s2, e2)), offset <= length ? 1 : 0) << s2 << " " << e2 << " " << x2;
        ++checked;
    }
    EXPECT_GT(checked, 49000);
}

TEST(AngleRange, NonFiniteAndFarApartInputsEndWithZero)
{
    EXPECT_EQ(within(kNaN, arc(0.0, 1.0)), 0);
    EXPECT_EQ(within(kInf, arc(0.0, 1.0)), 0);
    EXPECT_EQ(within(-kInf, arc(0.0, 1.0)), 0);
    EXPECT_EQ(within(0.5, arc(-kInf, 1.0)), 0);
    EXPECT_EQ(within(0.5, arc(0.0, kInf)), 0);
    EXPECT_EQ(within(0.5, arc(kNaN, 1.0)), 0);
    EXPECT_EQ(within(0.5, arc(1e300, 1.0)), 0); // subtracting a turn no longer changes the start
    EXPECT_EQ(within(-1e300, arc(0.0, 1.0)), 0);
    EXPECT_EQ(within(0.5 - 1e6 * kTurn, arc(0.0, 1.0)), 0); // more steps than allowed
    EXPECT_EQ(within(0.5 - 1000 * kTurn, arc(0.0, 1.0)), 1); // a thousand turns is fine
}

TEST(AngleRange, WithinAndOverlap)
{
    cmath_angleRange e, f;
    cmath_angleRange_initEmpty(&e);
    cmath_angleRange_initFull(&f);
    const cmath_angleRange w = arc(3.0, -3.0), small = arc(3.05, -3.1), m = arc(-1.0, 1.0);
    int32_t out = -1;
    auto inside = [&](const cmath_angleRange& a, const cmath_angleRange& b) {
        EXPECT_EQ(cmath_angleRange_isWithin(&a, &b, &out), 0);
        return out;
    };
    auto overlap = [&](const cmath_angleRange& a, const cmath_angleRange& b) {
        EXPECT_EQ(cmath_angleRange_isOverlap(&a, &b, &out), 0);
        return out;
    };
    EXPECT_EQ(inside(e, e), 1);
    EXPECT_EQ(inside(e, m), 1);
    EXPECT_EQ(inside(f, m), 0);
    EXPECT_EQ(inside(f, f), 1);
    EXPECT_EQ(inside(m, f), 1);
    EXPECT_EQ(inside(m, e), 0);
    EXPECT_EQ(inside(small, w), 1);
    EXPECT_EQ(inside(w, small), 0);
    // Both ends inside, but the arc runs round the outside part: still answered 1.
    EXPECT_EQ(inside(arc(-3.1, 3.1), w), 1);

    EXPECT_EQ(overlap(e, f), 0);
    EXPECT_EQ(overlap(f, e), 0);
    EXPECT_EQ(overlap(f, m), 1);
    EXPECT_EQ(overlap(m, f), 1);
    EXPECT_EQ(overlap(m, e), 0);
    EXPECT_EQ(overlap(w, m), 0);
    EXPECT_EQ(overlap(m, arc(0.5, 2.0)), 1);
    EXPECT_EQ(overlap(arc(0.5, 2.0), m), 1);
    EXPECT_EQ(overlap(arc(-0.5, 0.5), m), 1); // a inside b: found by a's ends
    EXPECT_EQ(overlap(m, arc(-0.5, 0.5)), 1);
    EXPECT_EQ(overlap(w, arc(-3.0, -2.0)), 1); // touching at -3
}

TEST(SafeInverseTrig, ClampsIncludingNaN)
{
    EXPECT_EQ(cmath_acosSafe(1.5).value, 0.0);
    EXPECT_EQ(cmath_acosSafe(-7.0).value, std::acos(-1.0));
    EXPECT_EQ(cmath_asinSafe(2.0).value, std::asin(1.0));
    EXPECT_EQ(cmath_acosSafe(kNaN).value, std::acos(-1.0));
    EXPECT_EQ(cmath_asinSafe(kNaN).value, std::asin(-1.0));
    EXPECT_EQ(cmath_asinSafe(0.5).value, std::asin(0.5));
    EXPECT_EQ(cmath_acosSafe(-kInf).value, std::acos(-1.0));
    EXPECT_EQ(cmath_asinSafe(kInf).value, std::asin(1.0));
}
