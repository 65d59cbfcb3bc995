// Ranges and arcs against a reference model of their documented rules, with hostile doubles
// (NaN, infinities, subnormals, huge values) as bounds, values, scales and transforms. The input
// is a program: each step picks an operation and its arguments; ranges come from the library's
// own constructors or are raw records of a valid kind with any bounds. Every answer is compared
// with the model bit for bit, refused calls must leave their target as it was, and an output
// that is also the input gives what a separate output gets. Arcs whose bounds and value lie on a
// grid inside [0, 2 pi) are also checked against plain geometry.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;
constexpr double kTurn = 6.283185307179586;
constexpr int kMaxTurnSteps = 65536; // a loop that needs more whole-turn steps answers 0

// Bit-for-bit equality of doubles (NaN equals NaN of any payload, -0 differs from +0).
bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

template <class R>
bool sameRange(const R& a, const R& b)
{
    return a.kind == b.kind && same(a.start, b.start) && same(a.end, b.end);
}

// ---- the model ------------------------------------------------------------------------

double smaller(double a, double b) { return a < b ? a : b; } // b when unordered
double larger(double a, double b) { return a > b ? a : b; }

int32_t rangeValueWithin(double v, const cmath_range& r)
{
    if (r.kind != cmath_rangeKind_bounded) {
        return r.kind == cmath_rangeKind_full ? 1 : 0;
    }
    return r.start <= v && v <= r.end ? 1 : 0;
}

int32_t rangeWithin(const cmath_range& a, const cmath_range& b)
{
    if (a.kind == cmath_rangeKind_empty) {
        return 1;
    }
    if (a.kind == cmath_rangeKind_full || b.kind != cmath_rangeKind_bounded) {
        return b.kind == cmath_rangeKind_full ? 1 : 0;
    }
    return b.start <= a.start && a.start <= b.end && b.start <= a.end && a.end <= b.end ? 1 : 0;
}

int32_t rangeOverlap(const cmath_range& a, const cmath_range& b)
{
    if (a.kind == cmath_rangeKind_empty || b.kind == cmath_rangeKind_empty) {
        return 0;
    }
    if (a.kind == cmath_rangeKind_full || b.kind == cmath_rangeKind_full) {
        return 1;
    }
    return smaller(a.end, b.end) >= larger(a.start, b.start) ? 1 : 0;
}

// Moves x by whole turns while `more(x)` holds; false when that takes more than the budget.
template <class More>
bool turn(double& x, double step, More more)
{
    for (int n = 0; more(x); ++n) {
        if (n == kMaxTurnSteps) {
            return false;
        }
        x = x + step;
    }
    return true;
}

int32_t arcValueWithin(double x, const cmath_angleRange& r)
{
    if (r.kind != cmath_rangeKind_bounded) {
        return r.kind == cmath_rangeKind_full ? 1 : 0;
    }
    double s = r.start, e = r.end;
    if (!std::isfinite(s) || !std::isfinite(e) || !std::isfinite(x)) {
        return 0;
    }
    if (!turn(e, kTurn, [&](double v) { return s > v; }) || !turn(s, -kTurn, [](double v) { return v >= kTurn; })) {
        return 0;
    }
    const double limit = s + kTurn;
    if (!turn(e, -kTurn, [&](double v) { return v >= limit; }) || !turn(x, kTurn, [&](double v) { return v < s; })) {
        return 0;
    }
    return e >= x ? 1 : 0;
}

int32_t arcWithin(const cmath_angleRange& a, const cmath_angleRange& b)
{
    if (a.kind != cmath_rangeKind_bounded) {
        return a.kind == cmath_rangeKind_empty || b.kind == cmath_rangeKind_full ? 1 : 0;
    }
    return arcValueWithin(a.start, b) != 0 && arcValueWithin(a.end, b) != 0 ? 1 : 0;
}

int32_t arcOverlap(const cmath_angleRange& a, const cmath_angleRange& b)
{
    if (a.kind == cmath_rangeKind_empty || b.kind == cmath_rangeKind_empty) {
        return 0;
    }
    if (a.kind == cmath_rangeKind_full || b.kind == cmath_rangeKind_full) {
        return 1;
    }
    return arcValueWithin(b.start, a) || arcValueWithin(b.end, a) || arcValueWithin(a.start, b) ||
                   arcValueWithin(a.end, b)
               ? 1
               : 0;
}

double clampUnit(double x)
{
    const double c = x > -1.0 ? x : -1.0; // NaN becomes -1
    return c < 1.0 ? c : 1.0;
}

// ---- the program ----------------------------------------------------------------------

int32_t kindOf(fuzz::Input& in) { return static_cast<int32_t>(in.byte() % 3); }

cmath_range rangeFrom(fuzz::Input& in)
{
    cmath_range r{};
    switch (in.byte() % 4) {
    case 0: {
        const double s = in.real(), e = in.real();
        if (cmath_range_init(&r, s, e) < 0) {
            FUZZ_CHECK(cmath_range_initFull(&r) == 0);
        }
        return r;
    }
    case 1: FUZZ_CHECK(cmath_range_initEmpty(&r) == 0); return r;
    case 2: FUZZ_CHECK(cmath_range_initFull(&r) == 0); return r;
    default: r.kind = kindOf(in); r.start = in.real(); r.end = in.real(); return r;
    }
}

cmath_angleRange arcFrom(fuzz::Input& in)
{
    cmath_angleRange r{};
    switch (in.byte() % 4) {
    case 0: {
        const cmath_radian s = {in.real()}, e = {in.real()};
        FUZZ_CHECK(cmath_angleRange_init(&r, &s, &e) == 0);
        FUZZ_CHECK(r.kind == cmath_rangeKind_bounded && same(r.start, s.value) && same(r.end, e.value));
        return r;
    }
    case 1: FUZZ_CHECK(cmath_angleRange_reset(&r) == 0); return r;
    case 2: FUZZ_CHECK(cmath_angleRange_initFull(&r) == 0); return r;
    default: r.kind = kindOf(in); r.start = in.real(); r.end = in.real(); return r;
    }
}

// The constructors and the scale and map rules, with refusals and aliasing.
void rangeConstruction(fuzz::Input& in)
{
    const cmath_range sentinel = {cmath_rangeKind_bounded, 7.0, 9.0};
    const double s = in.real(), e = in.real();
    cmath_range r = sentinel;
    cmath_status st = cmath_range_init(&r, s, e);
    FUZZ_CHECK(s > e ? st == cmath_errBadRange && sameRange(r, sentinel)
                     : st == 0 && sameRange(r, cmath_range{cmath_rangeKind_bounded, s, e}));
    FUZZ_CHECK(cmath_range_validate(&r) == (r.end >= r.start ? 0 : cmath_errBadRange));
    FUZZ_CHECK(cmath_range_reset(&r) == 0 && sameRange(r, cmath_range{cmath_rangeKind_empty, -kInf, -kInf}));
    FUZZ_CHECK(cmath_range_initFull(&r) == 0 && sameRange(r, cmath_range{cmath_rangeKind_full, -kInf, kInf}));

    const cmath_range src = rangeFrom(in);
    const double scale = in.real();
    cmath_range want = sentinel;
    cmath_status wantSt = 0;
    if (!(scale > 0.0)) {
        wantSt = cmath_errBadScale;
    } else if (src.kind != cmath_rangeKind_bounded) {
        want = src;
    } else if (scale * src.start > scale * src.end) {
        wantSt = cmath_errBadRange;
    } else {
        want = {cmath_rangeKind_bounded, scale * src.start, scale * src.end};
    }
    r = sentinel;
    FUZZ_CHECK(cmath_range_initScale(&r, scale, &src) == wantSt && sameRange(r, want));
    r = src; // the target is the source: as above, or untouched when refused
    FUZZ_CHECK(cmath_range_initScale(&r, scale, &r) == wantSt && sameRange(r, wantSt < 0 ? src : want));

    const cmath_xformLinear1 xf = {{in.real()}, {in.real()}};
    want = src;
    if (src.kind == cmath_rangeKind_bounded) {
        const double a = src.start * xf.matrix.e11 + xf.trans.x, b = src.end * xf.matrix.e11 + xf.trans.x;
        want = b < a ? cmath_range{cmath_rangeKind_bounded, b, a} : cmath_range{cmath_rangeKind_bounded, a, b};
    }
    r = sentinel;
    FUZZ_CHECK(cmath_range_map(&src, &xf, &r) == 0 && sameRange(r, want));
    r = src;
    FUZZ_CHECK(cmath_range_map(&r, &xf, &r) == 0 && sameRange(r, want));
}

void rangeQueries(fuzz::Input& in)
{
    const cmath_range a = rangeFrom(in), b = rangeFrom(in);
    const double v = in.real();
    double mid = 0.0;
    int32_t out = -1;
    FUZZ_CHECK(cmath_range_getMiddle(&a, &mid) == 0 && same(mid, (a.start + a.end) * 0.5));
    FUZZ_CHECK(cmath_range_isValueWithin(v, &a, &out) == 0 && out == rangeValueWithin(v, a));
    FUZZ_CHECK(cmath_range_isWithin(&a, &b, &out) == 0 && out == rangeWithin(a, b));
    FUZZ_CHECK(cmath_range_isOverlap(&a, &b, &out) == 0 && out == rangeOverlap(a, b));
    FUZZ_CHECK(cmath_range_compareEqual(&a, &b, &out) == 0 &&
               out == (a.kind == b.kind && a.start == b.start && a.end == b.end ? 1 : 0));
    FUZZ_CHECK(cmath_range_compareEqual(&a, &a, &out) == 0 && out == (a.start == a.start && a.end == a.end));
    FUZZ_CHECK(cmath_range_validate(&a) == (a.end >= a.start ? 0 : cmath_errBadRange));
}

void arcQueries(fuzz::Input& in)
{
    const cmath_angleRange a = arcFrom(in), b = arcFrom(in);
    const cmath_radian v = {in.real()};
    cmath_radian mid = {0.0};
    int32_t out = -1;
    FUZZ_CHECK(cmath_angleRange_getMiddle(&a, &mid) == 0 && same(mid.value, (a.start + a.end) * 0.5));
    FUZZ_CHECK(cmath_angleRange_isValueWithin(&v, &a, &out) == 0 && out == arcValueWithin(v.value, a));
    FUZZ_CHECK(cmath_angleRange_isWithin(&a, &b, &out) == 0 && out == arcWithin(a, b));
    FUZZ_CHECK(cmath_angleRange_isOverlap(&a, &b, &out) == 0 && out == arcOverlap(a, b));
    FUZZ_CHECK(cmath_angleRange_compareEqual(&a, &b, &out) == 0 &&
               out == (a.kind == b.kind && a.start == b.start && a.end == b.end ? 1 : 0));
    FUZZ_CHECK(cmath_angleRange_validate(&a) == 0);
    cmath_angleRange r = a;
    FUZZ_CHECK(cmath_angleRange_initEmpty(&r) == 0 && sameRange(r, cmath_angleRange{cmath_rangeKind_empty, -kPi, -kPi}));
    FUZZ_CHECK(cmath_angleRange_initFull(&r) == 0 && sameRange(r, cmath_angleRange{cmath_rangeKind_full, -kPi, kPi}));
}

// Bounds and value on a grid of 1/64 inside [0, 2 pi): adding a turn keeps their order, so
// the answer is the geometric one.
void arcGeometry(fuzz::Input& in)
{
    const auto grid = [&in]() { return static_cast<double>(in.range(0, 402)) / 64.0; };
    const cmath_radian s = {grid()}, e = {grid()}, x = {grid()};
    cmath_angleRange r{};
    FUZZ_CHECK(cmath_angleRange_init(&r, &s, &e) == 0);
    const bool inside = s.value <= e.value ? s.value <= x.value && x.value <= e.value
                                           : x.value >= s.value || x.value <= e.value;
    int32_t out = -1;
    FUZZ_CHECK(cmath_angleRange_isValueWithin(&x, &r, &out) == 0 && out == (inside ? 1 : 0));
}

void clampedTrig(fuzz::Input& in)
{
    const double x = in.real();
    FUZZ_CHECK(same(cmath_acosSafe(x).value, std::acos(clampUnit(x))));
    FUZZ_CHECK(same(cmath_asinSafe(x).value, std::asin(clampUnit(x))));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    // A bounded program: huge finite arcs cost up to 65536 steps per loop.
    for (int step = 0; step < 64 && in.left() > 0; ++step) {
        switch (in.byte() % 6) {
        case 0: rangeConstruction(in); break;
        case 1: rangeQueries(in); break;
        case 2: arcQueries(in); break;
        case 3: arcGeometry(in); break;
        case 4: clampedTrig(in); break;
        default: {
            // A value about 65536 turns below the start: the loop budget decides the answer.
            const cmath_radian st = {in.real()}, e = {in.real()};
            const cmath_radian v = {st.value - static_cast<double>(in.range(kMaxTurnSteps - 4, kMaxTurnSteps + 4)) * kTurn};
            cmath_angleRange a{};
            FUZZ_CHECK(cmath_angleRange_init(&a, &st, &e) == 0);
            int32_t out = -1;
            FUZZ_CHECK(cmath_angleRange_isValueWithin(&v, &a, &out) == 0 && out == arcValueWithin(v.value, a));
            break;
        }
        }
    }
    return 0;
}
