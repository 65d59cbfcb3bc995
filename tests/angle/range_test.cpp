// Ranges and angle ranges: every writer in place and aliased, refusals, containment and overlap
// across the wrap; safe acos/asin.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.141592653589793;
constexpr double kTurn = 6.283185307179586;
constexpr int32_t B = cmath_rangeKind_bounded, E = cmath_rangeKind_empty, F = cmath_rangeKind_full;
// x -> -x - 0, x -> 0.1 x + 0.3 and x -> 1 (trans, then factor).
const cmath_xformLinear1 kFlip{{-0.0}, {-1.0}}, kStretch{{0.3}, {0.1}}, kZero{{1.0}, {0.0}};

// Equal bit for bit (the sign of zero included), or both NaN.
bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

template <class R>
bool same(const R& a, const R& b)
{
    return a.kind == b.kind && same(a.start, b.start) && same(a.end, b.end);
}

cmath_angleRange arc(double s, double e)
{
    const cmath_radian rs{s}, re{e};
    cmath_angleRange r{7, 0, 0};
    EXPECT_EQ(cmath_angleRange_init(&r, &rs, &re), 0);
    return r;
}

int32_t within(double value, const cmath_angleRange& r)
{
    const cmath_radian v{value};
    int32_t out = -1;
    EXPECT_EQ(cmath_angleRange_isValueWithin(&v, &r, &out), 0);
    return out;
}

// Calls a range query that answers through its last pointer; the call must succeed.
template <class Fn, class... A>
int32_t ask(Fn fn, A... args)
{
    int32_t out = -1;
    EXPECT_EQ(fn(args..., &out), 0);
    return out;
}

} // namespace

// An operation writing a range t, with s as its source where it has one.
#define WRITER(...) [](cmath_range* t, [[maybe_unused]] const cmath_range* s) { return __VA_ARGS__; }

TEST(Range, WritersInPlaceAndAliased)
{
    const cmath_range e{E, -kInf, -kInf}, f{F, -kInf, kInf}, src{B, -1.0, 3.0}, one{B, 1.0, 2.0};
    const cmath_range inverted{B, 3.0, 1.0}; // not made by cmath_range_init
    // The operation, its source, the status and what it writes (refusals write nothing).
    const struct {
        cmath_status (*op)(cmath_range*, const cmath_range*);
        cmath_range source;
        cmath_status st;
        cmath_range want;
    } rows[] = {
        {WRITER(cmath_range_init(t, 2.0, 1.0)), src, cmath_errBadRange, {}},
        {WRITER(cmath_range_init(t, 1.5, 1.5)), src, 0, {B, 1.5, 1.5}},
        {WRITER(cmath_range_initEmpty(t)), src, 0, e},
        {WRITER(cmath_range_initFull(t)), src, 0, f},
        {WRITER(cmath_range_reset(t)), src, 0, e},
        // The scale is checked first, also for the special kinds.
        {WRITER(cmath_range_initScale(t, 0.0, s)), src, cmath_errBadScale, {}},
        {WRITER(cmath_range_initScale(t, -kNaN, s)), src, cmath_errBadScale, {}},
        {WRITER(cmath_range_initScale(t, -2.0, s)), e, cmath_errBadScale, {}},
        {WRITER(cmath_range_initScale(t, 2.0, s)), inverted, cmath_errBadRange, {}},
        {WRITER(cmath_range_initScale(t, 2.0, s)), src, 0, {B, -2.0, 6.0}},
        {WRITER(cmath_range_initScale(t, 2.0, s)), {B, 1.5, 1.5}, 0, {B, 3.0, 3.0}},
        {WRITER(cmath_range_initScale(t, 2.0, s)), f, 0, f},
        {WRITER(cmath_range_initScale(t, 0.5, s)), e, 0, e},
        {WRITER(cmath_range_map(s, &kStretch, t)), one, 0, {B, 1.0 * 0.1 + 0.3, 2.0 * 0.1 + 0.3}},
        {WRITER(cmath_range_map(s, &kFlip, t)), one, 0, {B, -2.0, -1.0}}, // the bounds come back in order
        {WRITER(cmath_range_map(s, &kStretch, t)), e, 0, e},
        {WRITER(cmath_range_map(s, &kFlip, t)), f, 0, f},
        {WRITER(cmath_range_map(s, &kFlip, t)), {B, -0.0, 0.0}, 0, {B, 0.0, -0.0}}, // equal bounds stay
        {WRITER(cmath_range_map(s, &kZero, t)), {B, 0.0, kInf}, 0, {B, 1.0, kNaN}}, // 0 * inf, still bounded
    };
    for (size_t k = 0; k < std::size(rows); ++k) {
        const auto& row = rows[k];
        cmath_range out{7, 123.5, -456.25}, alias = row.source;
        const cmath_range before = out;
        EXPECT_TRUE(row.op(&out, &row.source) == row.st && same(out, row.st < 0 ? before : row.want)) << k;
        EXPECT_TRUE(row.op(&alias, &alias) == row.st && same(alias, row.st < 0 ? row.source : row.want)) << k;
    }
}

TEST(Range, QueriesMiddleAndValidate)
{
    const cmath_range e{E, -kInf, -kInf}, f{F, -kInf, kInf}, a{B, 0.0, 1.0}, b{B, 1.0, 2.0}, p{B, 1.5, 1.5};
    double m = 0.0;
    EXPECT_TRUE(cmath_range_getMiddle(&f, &m) == 0 && std::isnan(m));
    EXPECT_TRUE(cmath_range_getMiddle(&e, &m) == 0 && m == -kInf);
    EXPECT_TRUE(cmath_range_getMiddle(&b, &m) == 0 && m == 1.5);
    const struct {
        double v;
        cmath_range r;
        int32_t want;
    } values[] = {{0.0, a, 1}, {1.0, a, 1}, {-0.5, a, 0}, {1.5, a, 0}, {kNaN, a, 0}, {0.5, e, 0}, {kNaN, f, 1},
                  {1.5, p, 1}, {std::nextafter(1.5, 2.0), p, 0}, {std::nextafter(1.5, 1.0), p, 0}};
    for (const auto& c : values) {
        EXPECT_EQ(ask(cmath_range_isValueWithin, c.v, &c.r), c.want) << c.v;
    }
    // isOverlap, isWithin and compareEqual of x and y.
    const struct {
        cmath_range x, y;
        int32_t overlap, within, equal;
    } pairs[] = {{a, b, 1, 0, 0}, {b, a, 1, 0, 0}, {a, {B, 1.5, 2.0}, 0, 0, 0}, {e, f, 0, 1, 0}, {f, e, 0, 0, 0},
                 {f, a, 1, 0, 0}, {a, f, 1, 1, 0}, {a, e, 0, 0, 0}, {e, e, 0, 1, 1}, {e, a, 0, 1, 0},
                 {f, f, 1, 1, 1}, {a, a, 1, 1, 1}, {{B, -1.0, 5.0}, {B, 2.0, 3.0}, 1, 0, 0},
                 {{B, 0.25, 1.0}, a, 1, 1, 0}, {{B, 0.25, 1.5}, a, 1, 0, 0}, {{B, -0.5, 0.5}, a, 1, 0, 0},
                 {e, {B, -kInf, -kInf}, 0, 1, 0}, {a, {B, 0.0, 2.0}, 1, 1, 0}, {a, {B, -1.0, 1.0}, 1, 1, 0}};
    for (size_t k = 0; k < std::size(pairs); ++k) {
        const auto& c = pairs[k];
        EXPECT_EQ(ask(cmath_range_isOverlap, &c.x, &c.y), c.overlap) << k;
        EXPECT_EQ(ask(cmath_range_isWithin, &c.x, &c.y), c.within) << k;
        EXPECT_EQ(ask(cmath_range_compareEqual, &c.x, &c.y), c.equal) << k;
    }
    const cmath_range bad{7, 123.5, -456.25};
    EXPECT_TRUE(cmath_range_validate(&bad) == cmath_errBadRange && cmath_range_validate(&a) == 0);
    EXPECT_TRUE(cmath_range_validate(&p) == 0 && cmath_range_validate(&e) == 0); // the kind is not looked at
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
        {arc(-kInf, 1.0), 0.5, 0}, {arc(0.0, kInf), 0.5, 0}, {arc(kNaN, 1.0), 0.5, 0}, {arc(1e300, 1.0), 0.5, 0},
        {arc(0.0, -1e300), 0.5, 0}, {arc(1e6 * kTurn, 1e6 * kTurn + 0.5), 0.5, 0}, {arc(0.0, 1e6 * kTurn), 0.1, 0},
        {arc(0.0, 1.0), -1e300, 0}, {arc(0.0, 1.0), 0.5 - 1e6 * kTurn, 0}, {arc(0.0, 1.0), 0.5 - 1000 * kTurn, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(within(c.v, c.r), c.want) << c.r.start << " " << c.r.end << " " << c.v;
    }
    // isWithin of a in b and isOverlap of a and b, across the wrap and for the special kinds.
    cmath_angleRange e, f;
    ASSERT_TRUE(cmath_angleRange_initEmpty(&e) == 0 && cmath_angleRange_initFull(&f) == 0);
    const struct {
        cmath_angleRange a, b;
        int32_t within, overlap;
    } pairs[] = {{arc(3.05, -3.1), w, 1, 1}, {w, arc(3.05, -3.1), 0, 1}, {w, m, 0, 0}, {w, arc(-3.0, -2.0), 0, 1},
                 {e, m, 1, 0},  {f, m, 0, 1}, {m, f, 1, 1}, {e, f, 1, 0}, {arc(-2.0, -1.5), m, 0, 0}};
    for (const auto& c : pairs) {
        EXPECT_TRUE(ask(cmath_angleRange_isWithin, &c.a, &c.b) == c.within &&
                    ask(cmath_angleRange_isOverlap, &c.a, &c.b) == c.overlap) << c.a.start << " " << c.b.start;
    }
}

TEST(SafeInverseTrig, ClampsIncludingNaN)
{
    // Arguments outside [-1, 1] are clamped into it; NaN becomes -1.
    EXPECT_TRUE(cmath_acosSafe(1.5).value == 0.0 && cmath_acosSafe(kNaN).value == std::acos(-1.0) &&
                cmath_acosSafe(-7.0).value == std::acos(-1.0) && cmath_acosSafe(0.25).value == std::acos(0.25));
    EXPECT_TRUE(cmath_asinSafe(-kInf).value == std::asin(-1.0) && cmath_asinSafe(0.5).value == std::asin(0.5) &&
                cmath_asinSafe(2.0).value == std::asin(1.0) && cmath_asinSafe(kNaN).value == std::asin(-1.0));
}
