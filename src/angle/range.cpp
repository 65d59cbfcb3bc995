// Numeric ranges and angle ranges. Angle containment moves angles by whole turns one step at a
// time (not by a remainder), so answers near a bound follow the rounding of those steps.
#include <orbmath/range.h>
#include <orbmath/support.h>

#include "support/null_check.hpp"

#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;
constexpr double kTurn = 6.283185307179586; // the double nearest 2 pi

// No loop of the containment test takes more steps than this; the test answers 0 instead.
constexpr int kMaxTurnSteps = 65536;

// Containment of x in the bounded arc [s, e].
int32_t angleWithin(double s, double e, double x)
{
    if (!std::isfinite(s) || !std::isfinite(e) || !std::isfinite(x)) {
        return 0;
    }
    int steps = 0;
    // 1. The end follows the start.
    while (s > e) {
        e = e + kTurn;
        if (++steps > kMaxTurnSteps) {
            return 0;
        }
    }
    // 2. The start lies below one turn.
    steps = 0;
    while (s >= kTurn) {
        s = s - kTurn;
        if (++steps > kMaxTurnSteps) {
            return 0;
        }
    }
    // 3. The end lies within one turn after the start.
    const double limit = s + kTurn;
    steps = 0;
    while (e >= limit) {
        e = e - kTurn;
        if (++steps > kMaxTurnSteps) {
            return 0;
        }
    }
    // 4. The value is raised (never lowered) to the start.
    steps = 0;
    while (x < s) {
        x = x + kTurn;
        if (++steps > kMaxTurnSteps) {
            return 0;
        }
    }
    return e >= x ? 1 : 0;
}

int32_t angleValueWithin(double value, const cmath_angleRange* r)
{
    switch (r->kind) {
    case cmath_rangeKind_empty: return 0;
    case cmath_rangeKind_full: return 1;
    default: return angleWithin(r->start, r->end, value);
    }
}

// Overlap of two ranges of either family: an empty range overlaps nothing, a full one every
// range that is not empty; two bounded ranges are decided by `bounded`.
template <class Range, class Bounded>
int32_t overlapByKind(const Range* a, const Range* b, Bounded bounded)
{
    if (a->kind == cmath_rangeKind_empty || b->kind == cmath_rangeKind_empty) {
        return 0;
    }
    if (a->kind == cmath_rangeKind_full || b->kind == cmath_rangeKind_full) {
        return 1;
    }
    return bounded(a, b) ? 1 : 0;
}

} // namespace

extern "C" {

// ---- cmath_range

ORBMATH_API cmath_status cmath_range_init(cmath_range* target, double start, double end)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    if (start > end) {
        return cmath_errBadRange;
    }
    *target = cmath_range{cmath_rangeKind_bounded, start, end};
    return 0;
}

ORBMATH_API cmath_status cmath_range_initEmpty(cmath_range* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    *target = cmath_range{cmath_rangeKind_empty, -kInf, -kInf};
    return 0;
}

ORBMATH_API cmath_status cmath_range_reset(cmath_range* target)
{
    return cmath_range_initEmpty(target);
}

ORBMATH_API cmath_status cmath_range_initFull(cmath_range* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    *target = cmath_range{cmath_rangeKind_full, -kInf, kInf};
    return 0;
}

ORBMATH_API cmath_status cmath_range_initScale(cmath_range* target, double scale, const cmath_range* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    if (!(scale > 0.0)) {
        return cmath_errBadScale;
    }
    if (source->kind != cmath_rangeKind_bounded) {
        *target = *source;
        return 0;
    }
    const double lo = scale * source->start;
    const double hi = scale * source->end;
    if (lo > hi) {
        return cmath_errBadRange;
    }
    *target = cmath_range{cmath_rangeKind_bounded, lo, hi};
    return 0;
}

ORBMATH_API cmath_status cmath_range_map(const cmath_range* source, const cmath_xformLinear1* xf, cmath_range* target)
{
    if (orb::anyNull(source, xf, target)) {
        return cmath_errNullArgument;
    }
    if (source->kind != cmath_rangeKind_bounded) {
        *target = *source;
        return 0;
    }
    // Both bounds are read before anything is written: the target may be the source.
    const double start = source->start, end = source->end;
    target->kind = cmath_rangeKind_bounded;
    cmath_status st = cmath_xformLinear1_mapValue(xf, start, &target->start);
    if (st < 0) {
        return st;
    }
    st = cmath_xformLinear1_mapValue(xf, end, &target->end);
    if (st < 0) {
        return st;
    }
    if (target->end < target->start) {
        const double low = target->end;
        target->end = target->start;
        target->start = low;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_range_getMiddle(const cmath_range* r, double* out)
{
    if (orb::anyNull(r, out)) {
        return cmath_errNullArgument;
    }
    *out = (r->start + r->end) * 0.5;
    return 0;
}

ORBMATH_API cmath_status cmath_range_isValueWithin(double value, const cmath_range* r, int32_t* out)
{
    if (orb::anyNull(r, out)) {
        return cmath_errNullArgument;
    }
    switch (r->kind) {
    case cmath_rangeKind_empty: *out = 0; break;
    case cmath_rangeKind_full: *out = 1; break;
    default: *out = (r->start <= value && value <= r->end) ? 1 : 0; break;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_range_isWithin(const cmath_range* a, const cmath_range* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    int32_t answer = 0;
    if (a->kind == cmath_rangeKind_empty) {
        answer = 1;
    } else if (a->kind == cmath_rangeKind_full) {
        answer = b->kind == cmath_rangeKind_full ? 1 : 0;
    } else if (b->kind == cmath_rangeKind_empty) {
        answer = 0;
    } else if (b->kind == cmath_rangeKind_full) {
        answer = 1;
    } else if (b->start <= a->start && a->start <= b->end) {
        answer = (b->start <= a->end && a->end <= b->end) ? 1 : 0;
    }
    *out = answer;
    return 0;
}

ORBMATH_API cmath_status cmath_range_isOverlap(const cmath_range* a, const cmath_range* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = overlapByKind(a, b, [](const cmath_range* x, const cmath_range* y) {
        return cmath_double_min(x->end, y->end) >= cmath_double_max(x->start, y->start);
    });
    return 0;
}

ORBMATH_API cmath_status cmath_range_compareEqual(const cmath_range* a, const cmath_range* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->kind == b->kind && a->start == b->start && a->end == b->end) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_range_validate(const cmath_range* r)
{
    if (orb::anyNull(r)) {
        return cmath_errNullArgument;
    }
    return r->end >= r->start ? 0 : cmath_errBadRange;
}

// ---- cmath_angleRange

ORBMATH_API cmath_status cmath_angleRange_init(cmath_angleRange* target, const cmath_radian* start,
                                               const cmath_radian* end)
{
    if (orb::anyNull(target, start, end)) {
        return cmath_errNullArgument;
    }
    *target = cmath_angleRange{cmath_rangeKind_bounded, start->value, end->value};
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_initEmpty(cmath_angleRange* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    *target = cmath_angleRange{cmath_rangeKind_empty, -kPi, -kPi};
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_reset(cmath_angleRange* target)
{
    return cmath_angleRange_initEmpty(target);
}

ORBMATH_API cmath_status cmath_angleRange_initFull(cmath_angleRange* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    *target = cmath_angleRange{cmath_rangeKind_full, -kPi, kPi};
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_getMiddle(const cmath_angleRange* r, cmath_radian* out)
{
    if (orb::anyNull(r, out)) {
        return cmath_errNullArgument;
    }
    out->value = (r->start + r->end) * 0.5;
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_isValueWithin(const cmath_radian* value, const cmath_angleRange* r,
                                                        int32_t* out)
{
    if (orb::anyNull(value, r, out)) {
        return cmath_errNullArgument;
    }
    *out = angleValueWithin(value->value, r);
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_isWithin(const cmath_angleRange* a, const cmath_angleRange* b,
                                                   int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    int32_t answer = 0;
    if (a->kind == cmath_rangeKind_empty) {
        answer = 1;
    } else if (a->kind == cmath_rangeKind_full) {
        answer = b->kind == cmath_rangeKind_full ? 1 : 0;
    } else if (angleValueWithin(a->start, b) != 0) {
        answer = angleValueWithin(a->end, b);
    }
    *out = answer;
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_isOverlap(const cmath_angleRange* a, const cmath_angleRange* b,
                                                    int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = overlapByKind(a, b, [](const cmath_angleRange* x, const cmath_angleRange* y) {
        return angleValueWithin(y->start, x) != 0 || angleValueWithin(y->end, x) != 0 ||
               angleValueWithin(x->start, y) != 0 || angleValueWithin(x->end, y) != 0;
    });
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_compareEqual(const cmath_angleRange* a, const cmath_angleRange* b,
                                                       int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->kind == b->kind && a->start == b->start && a->end == b->end) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_angleRange_validate(const cmath_angleRange* r)
{
    if (orb::anyNull(r)) {
        return cmath_errNullArgument;
    }
    return 0;
}

// ---- clamped inverse trigonometry

ORBMATH_API cmath_radian cmath_acosSafe(double x)
{
    double c = x > -1.0 ? x : -1.0; // a NaN fails the test and becomes -1
    c = c < 1.0 ? c : 1.0;
    return cmath_radian{std::acos(c)};
}

ORBMATH_API cmath_radian cmath_asinSafe(double x)
{
    double c = x > -1.0 ? x : -1.0;
    c = c < 1.0 ? c : 1.0;
    return cmath_radian{std::asin(c)};
}

} // extern "C"
