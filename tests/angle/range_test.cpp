// Ranges and angle ranges: kinds, refusals, aliasing, containment across the wrap; safe acos/asin.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.141592653589793;
constexpr double kTurn = 6.283185307179586;
const cmath_range kSentinel{7, 123.5, -456.25};

cmath_range bounded(double s, double e) { return cmath_range{cmath_rangeKind_bounded, s, e}; }
// What initEmpty and initFull write (checked below).
const cmath_range kEmpty{cmath_rangeKind_empty, -kInf, -kInf}, kFull{cmath_rangeKind_full, -kInf, kInf};

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
    EXPECT_TRUE(r.kind == cmath_rangeKind_bounded && withinRange(1.5, r) == 1);
    EXPECT_TRUE(withinRange(std::nextafter(1.5, 2.0), r) == 0 &&
                withinRange(std::nextafter(1.5, 1.0), r) == 0);

    // Field by field: the record's padding is not written.
    const auto fields = [](const cmath_range& a, const cmath_range& b) {
        return a.kind == b.kind && a.start == b.start && a.end == b.end;
    };
    cmath_range_initEmpty(&r);
    EXPECT_TRUE(fields(r, kEmpty));
    cmath_range_initFull(&r);
    EXPECT_TRUE(fields(r, kFull));
    cmath_range_reset(&r);
    EXPECT_TRUE(same(r, kEmpty));

    EXPECT_EQ(cmath_range_validate(&kSentinel), cmath_errBadRange);
    const cmath_range good = bounded(1.0, 2.0);
    EXPECT_EQ(cmath_range_validate(&good), 0);
    EXPECT_EQ(cmath_range_validate(&r), 0); // empty: -inf >= -inf
}

TEST(Range, ScaleChecksTheScaleFirstAndKeepsSpecialKinds)
{
    cmath_range r = kSentinel;
    const cmath_range src = bounded(-1.0, 3.0), e = kEmpty, f = kFull;
    EXPECT_EQ(cmath_range_initScale(&r, 0.0, &src), cmath_errBadScale);
    EXPECT_EQ(cmath_range_initScale(&r, -2.0, &e), cmath_errBadScale);
    EXPECT_EQ(cmath_range_initScale(&r, kNaN, &src), cmath_errBadScale);
    const cmath_range inverted = bounded(3.0, 1.0); // not made by cmath_range_init
    EXPECT_EQ(cmath_range_initScale(&r, 2.0, &inverted), cmath_errBadRange);
    EXPECT_TRUE(same(r, kSentinel));

    ASSERT_EQ(cmath_range_initScale(&r, 2.0, &src), 0);
    EXPECT_TRUE(same(r, bounded(-2.0, 6.0)));
    EXPECT_TRUE(cmath_range_initScale(&r, 2.0, &f) == 0 && same(r, f));
    EXPECT_TRUE(cmath_range_initScale(&r, 0.5, &e) == 0 && same(r, e));
    cmath_range self = bounded(1.0, 4.0);
    ASSERT_EQ(cmath_range_initScale(&self, 0.25, &self), 0);
    EXPECT_TRUE(same(self, bounded(0.25, 1.0)));
}

TEST(Range, MapThroughAOneDimensionalTransform)
{
    cmath_xformLinear1 flip, stretch;
    cmath_xformLinear1_initMatrixTransElements(&flip, -1.0, 0.0);
    cmath_xformLinear1_initMatrixTransElements(&stretch, 0.1, 0.3);
    const cmath_range src = bounded(1.0, 2.0), e = kEmpty, f = kFull;
    cmath_range r = kSentinel;
    ASSERT_EQ(cmath_range_map(&src, &stretch, &r), 0);
    EXPECT_TRUE(same(r, bounded(1.0 * 0.1 + 0.3, 2.0 * 0.1 + 0.3)));
    EXPECT_TRUE(cmath_range_map(&e, &stretch, &r) == 0 && same(r, e));
    EXPECT_TRUE(cmath_range_map(&f, &flip, &r) == 0 && same(r, f));
    cmath_range self = bounded(-3.0, 5.0);
    ASSERT_EQ(cmath_range_map(&self, &flip, &self), 0);
    EXPECT_TRUE(same(self, bounded(-5.0, 3.0)));
    // An infinite bound maps to NaN through a zero scale; the kind stays bounded.
    cmath_xformLinear1 zero;
    cmath_xformLinear1_initMatrixTransElements(&zero, 0.0, 1.0);
    const cmath_range half = bounded(0.0, std::numeric_limits<double>::infinity());
    ASSERT_EQ(cmath_range_map(&half, &zero, &r), 0);
    EXPECT_TRUE(r.kind == cmath_rangeKind_bounded && r.start == 1.0 && std::isnan(r.end));
}

TEST(Range, MiddleContainmentAndOverlap)
{
    double m = 0.0;
    const cmath_range e = kEmpty, f = kFull, a = bounded(0.0, 1.0), b = bounded(1.0, 2.0);
    auto middle = [&](const cmath_range& x) {
        cmath_range_getMiddle(&x, &m);
        return m;
    };
    EXPECT_TRUE(std::isnan(middle(f)) && middle(e) == -kInf && middle(b) == 1.5);
    const struct {
        double v;
        cmath_range r;
        int32_t want;
    } values[] = {{0.0, a, 1}, {1.0, a, 1}, {kNaN, a, 0}, {0.5, e, 0}, {kNaN, f, 1}};
    for (const auto& c : values) {
        EXPECT_EQ(withinRange(c.v, c.r), c.want) << c.v;
    }
    // isOverlap and isWithin of x and y.
    const struct {
        cmath_range x, y;
        int32_t overlap, within;
    } pairs[] = {{a, b, 1, 0}, {b, a, 1, 0}, {a, bounded(1.5, 2.0), 0, 0}, {e, f, 0, 1}, {f, e, 0, 0},
                 {f, a, 1, 0}, {a, f, 1, 1}, {a, e, 0, 0}, {e, e, 0, 1}, {e, a, 0, 1}, {f, f, 1, 1},
                 {a, a, 1, 1},
                 {bounded(-1.0, 5.0), bounded(2.0, 3.0), 1, 0}, {bounded(0.25, 1.0), a, 1, 1},
                 {bounded(0.25, 1.5), a, 1, 0}, {bounded(-0.5, 0.5), a, 1, 0}};
    for (size_t k = 0; k < sizeof pairs / sizeof pairs[0]; ++k) {
        int32_t out = -1;
        EXPECT_EQ(cmath_range_isOverlap(&pairs[k].x, &pairs[k].y, &out), 0);
        EXPECT_EQ(out, pairs[k].overlap) << k;
        EXPECT_EQ(cmath_range_isWithin(&pairs[k].x, &pairs[k].y, &out), 0);
        EXPECT_EQ(out, pairs[k].within) << k;
    }
    EXPECT_FALSE(same(a, b));
    EXPECT_FALSE(same(e, cmath_range{cmath_rangeKind_bounded, -kInf, -kInf}));
}

TEST(AngleRange, KindsMiddleAndValidate)
{
    cmath_angleRange r;
    cmath_angleRange_initEmpty(&r);
    EXPECT_TRUE(r.kind == cmath_rangeKind_empty && r.start == -kPi && r.end == -kPi && within(0.0, r) == 0);
    cmath_angleRange_initFull(&r);
    EXPECT_TRUE(r.kind == cmath_rangeKind_full && r.start == -kPi && r.end == kPi && within(kNaN, r) == 1);
    cmath_angleRange_reset(&r);
    EXPECT_EQ(r.kind, cmath_rangeKind_empty);

    const cmath_angleRange w = arc(3.0, -3.0), w2 = arc(3.0, -3.0), odd = arc(100.0, -50.0);
    cmath_radian mid{1.0};
    cmath_angleRange_getMiddle(&w, &mid);
    EXPECT_EQ(mid.value, 0.0);
    EXPECT_EQ(cmath_angleRange_validate(&odd), 0);
    int32_t eq = -1, ne = -1;
    cmath_angleRange_compareEqual(&w, &w2, &eq);
    cmath_angleRange_compareEqual(&w, &odd, &ne);
    EXPECT_TRUE(eq == 1 && ne == 0);
}

TEST(AngleRange, ContainmentAcrossTheWrap)
{
    const cmath_angleRange w = arc(3.0, -3.0), m = arc(-1.0, 1.0), hi = arc(5.5, 7.0), beyond = arc(7.0, 8.0);
    const cmath_angleRange circle = arc(-kPi, kPi), farEnd = arc(0.5, 0.5 + 5 * kTurn + 0.25);
    const struct {
        const cmath_angleRange& r;
        double v;
        int32_t want;
    } cases[] = {
        // Through pi.
        {w, kPi, 1}, {w, -kPi, 1}, {w, 3.0, 1}, {w, -3.0, 1}, {w, 0.0, 0}, {w, -2.9, 0},
        // Values are raised by whole turns, never lowered.
        {m, -0.3, 1}, {m, -0.3 + kTurn, 0}, {m, -0.3 - kTurn, 1}, {m, 1.0, 1}, {m, -1.0, 1},
        {m, std::nextafter(1.0, 2.0), 0},
        // The end beyond one turn; raised twice.
        {hi, 0.5, 1}, {hi, 5.6, 1}, {hi, 0.5 - kTurn, 1}, {hi, 1.0, 0}, {hi, 7.5, 0},
        // Both bounds come down one turn; 7.5 has the direction of 1.2 but is never lowered.
        {beyond, 1.0, 1}, {beyond, 7.5, 0}, {beyond, 0.5, 0},
        // The full circle shrinks to the single angle -pi; a far end comes down.
        {circle, -kPi, 1}, {circle, 0.0, 0}, {circle, kPi, 0}, {farEnd, 0.6, 1}, {farEnd, 1.0, 0},
        // Non-finite and far apart inputs end with 0: a start so large that subtracting a turn
        // no longer changes it, more steps than allowed (a thousand turns is fine).
        {arc(0.0, 1.0), kNaN, 0}, {arc(0.0, 1.0), kInf, 0}, {arc(0.0, 1.0), -kInf, 0},
        {arc(-kInf, 1.0), 0.5, 0},
        {arc(0.0, kInf), 0.5, 0}, {arc(kNaN, 1.0), 0.5, 0}, {arc(1e300, 1.0), 0.5, 0},
        {arc(0.0, 1.0), -1e300, 0},
        {arc(0.0, 1.0), 0.5 - 1e6 * kTurn, 0}, {arc(0.0, 1.0), 0.5 - 1000 * kTurn, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(within(c.v, c.r), c.want) << c.r.start << " " << c.r.end << " " << c.v;
    }
}

TEST(AngleRange, WithinAndOverlap)
{
    cmath_angleRange e, f;
    cmath_angleRange_initEmpty(&e);
    cmath_angleRange_initFull(&f);
    const cmath_angleRange w = arc(3.0, -3.0), small = arc(3.05, -3.1), m = arc(-1.0, 1.0);
    const cmath_angleRange inner = arc(-0.5, 0.5), side = arc(0.5, 2.0);
    // isWithin of a in b (-1: not asked).
    const struct {
        const cmath_angleRange &a, &b;
        int32_t within, overlap;
    } cases[] = {{e, e, 1, -1}, {e, m, 1, -1}, {f, m, 0, 1}, {f, f, 1, -1}, {m, f, 1, 1}, {m, e, 0, 0},
                 {small, w, 1, -1}, {w, small, 0, -1},
                 // Both ends inside, but the arc runs round the outside part: still answered 1.
                 {arc(-3.1, 3.1), w, 1, -1},
                 {e, f, -1, 0}, {f, e, -1, 0}, {w, m, -1, 0}, {m, side, -1, 1}, {side, m, -1, 1},
                 // a inside b: found by a's ends; touching at -3.
                 {inner, m, -1, 1}, {m, inner, -1, 1}, {w, arc(-3.0, -2.0), -1, 1}};
    for (size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
        int32_t out = -1;
        if (cases[k].within >= 0) {
            EXPECT_EQ(cmath_angleRange_isWithin(&cases[k].a, &cases[k].b, &out), 0);
            EXPECT_EQ(out, cases[k].within) << k;
        }
        if (cases[k].overlap >= 0) {
            EXPECT_EQ(cmath_angleRange_isOverlap(&cases[k].a, &cases[k].b, &out), 0);
            EXPECT_EQ(out, cases[k].overlap) << k;
        }
    }
}

TEST(SafeInverseTrig, ClampsIncludingNaN)
{
    // Arguments outside [-1, 1] are clamped into it; NaN becomes -1.
    EXPECT_TRUE(cmath_acosSafe(1.5).value == 0.0 && cmath_acosSafe(kNaN).value == std::acos(-1.0));
    EXPECT_TRUE(cmath_asinSafe(-kInf).value == std::asin(-1.0) && cmath_asinSafe(0.5).value == std::asin(0.5));
    EXPECT_EQ(cmath_asinSafe(kNaN).value, std::asin(-1.0));
}
