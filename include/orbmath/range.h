/** @file
 * orbmath ranges: cmath_range, a closed interval of reals, and cmath_angleRange, an arc running
 * counter-clockwise from a start angle to an end angle (wrapping through 0 when the end lies below
 * the start); both with an explicit kind so that empty and full are exact states. Also the clamped
 * inverse trigonometry cmath_acosSafe and cmath_asinSafe.
 *
 * The functions follow the calling frame of the flat interface: a cmath_status result, structures
 * and angles by address, answers through a final out-pointer (truth values as 1 or 0), nothing
 * written on failure, outputs may be inputs.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning. */
#ifndef ORBMATH_RANGE_H
#define ORBMATH_RANGE_H

#include "common.h"
#include "geometry.h"
#include "vect.h"

ORBMATH_C_BEGIN

/** The kinds of a range. */
#define cmath_rangeKind_bounded 0 /**< a closed interval between two values */
#define cmath_rangeKind_empty   1 /**< holds no value */
#define cmath_rangeKind_full    2 /**< holds every value */

/** A closed interval [start, end]. Empty: start = end = -inf; full: start = -inf, end = +inf. */
typedef struct cmath_range {
    int32_t kind; /**< one of the cmath_rangeKind_... values */
    double start; /**< lower end */
    double end;   /**< upper end */
} cmath_range;

/** An arc from start to end in radians, any representation. Empty: start = end = -pi;
 * full: start = -pi, end = +pi. */
typedef struct cmath_angleRange {
    int32_t kind; /**< one of the cmath_rangeKind_... values */
    double start; /**< where the arc begins, in radians */
    double end;   /**< where the arc ends, counter-clockwise from start, in radians */
} cmath_angleRange;

/* ---- cmath_range ------------------------------------------------------------------------ */

/** target = bounded [start, end]; cmath_errBadRange when start > end (target untouched). */
ORBMATH_API cmath_status cmath_range_init(cmath_range* target, double start, double end);
/** target = the empty range. */
ORBMATH_API cmath_status cmath_range_initEmpty(cmath_range* target);
/** target = the empty range, the default value. */
ORBMATH_API cmath_status cmath_range_reset(cmath_range* target);
/** target = the full range. */
ORBMATH_API cmath_status cmath_range_initFull(cmath_range* target);
/** target = source scaled by `scale` (empty and full copied); cmath_errBadScale when scale is not
 * above 0 (NaN included, tested first), cmath_errBadRange when the scaled start lies above the
 * scaled end. The target is untouched on failure. */
ORBMATH_API cmath_status cmath_range_initScale(cmath_range* target, double scale, const cmath_range* source);
/** target = source mapped by xf (empty and full copied): kind 0, both bounds through
 * cmath_xformLinear1_mapValue, exchanged when the end comes out below the start. A failure of the
 * mapping is returned unchanged and leaves the target partly written (kind 0 is written first). */
ORBMATH_API cmath_status cmath_range_map(const cmath_range* source, const cmath_xformLinear1* xf, cmath_range* target);
/** *out = (start + end) * 0.5 whatever the kind (full gives NaN, empty -inf). */
ORBMATH_API cmath_status cmath_range_getMiddle(const cmath_range* r, double* out);
/** *out = 1 when start <= value <= end (bounded), 0 for empty, 1 for full; NaN is not within. */
ORBMATH_API cmath_status cmath_range_isValueWithin(double value, const cmath_range* r, int32_t* out);
/** *out = 1 when a lies inside b (an empty a lies inside anything, a full a only in a full b). */
ORBMATH_API cmath_status cmath_range_isWithin(const cmath_range* a, const cmath_range* b, int32_t* out);
/** *out = 1 when a and b share a point (ranges that only touch overlap; empty overlaps nothing). */
ORBMATH_API cmath_status cmath_range_isOverlap(const cmath_range* a, const cmath_range* b, int32_t* out);
/** *out = 1 when kind, start and end are all exactly equal. */
ORBMATH_API cmath_status cmath_range_compareEqual(const cmath_range* a, const cmath_range* b, int32_t* out);
/** 0 when end >= start, else cmath_errBadRange; the kind is not looked at. */
ORBMATH_API cmath_status cmath_range_validate(const cmath_range* r);

/* ---- cmath_angleRange ------------------------------------------------------------------- */

/** target = the bounded arc from *start to *end, stored unchanged (no check, no normalisation). */
ORBMATH_API cmath_status cmath_angleRange_init(cmath_angleRange* target, const cmath_radian* start,
                                               const cmath_radian* end);
/** target = the empty arc. */
ORBMATH_API cmath_status cmath_angleRange_initEmpty(cmath_angleRange* target);
/** target = the empty arc, the default value. */
ORBMATH_API cmath_status cmath_angleRange_reset(cmath_angleRange* target);
/** target = the full circle. */
ORBMATH_API cmath_status cmath_angleRange_initFull(cmath_angleRange* target);
/** *out = (start + end) * 0.5 whatever the kind and without regard to wrapping. */
ORBMATH_API cmath_status cmath_angleRange_getMiddle(const cmath_angleRange* r, cmath_radian* out);
/** *out = 1 when the angle lies on the arc: empty gives 0, full 1; bounded, with T = 2 pi:
 * raise the end by T while below the start, lower the start by T while at or above T, lower the
 * end by T while at or above start + T, raise the value by T while below the start; the answer is
 * end >= value. Values are only raised: one turn or more above the start gives 0. A bound or value
 * that is infinite or NaN, or that needs more than 65536 whole-turn steps in one of these loops,
 * gives 0. */
ORBMATH_API cmath_status cmath_angleRange_isValueWithin(const cmath_radian* value, const cmath_angleRange* r,
                                                        int32_t* out);
/** *out = 1 when a lies inside b: empty a is inside anything, full a only in full b; a bounded a
 * when its start and then its end are within b (by cmath_angleRange_isValueWithin). */
ORBMATH_API cmath_status cmath_angleRange_isWithin(const cmath_angleRange* a, const cmath_angleRange* b,
                                                   int32_t* out);
/** *out = 1 when a and b share an angle: bounded arcs when b.start, b.end lie in a or a.start,
 * a.end lie in b (tested in that order). */
ORBMATH_API cmath_status cmath_angleRange_isOverlap(const cmath_angleRange* a, const cmath_angleRange* b,
                                                    int32_t* out);
/** *out = 1 when kind, start and end are all exactly equal. */
ORBMATH_API cmath_status cmath_angleRange_compareEqual(const cmath_angleRange* a, const cmath_angleRange* b,
                                                       int32_t* out);
/** 0: every pair of angles is a valid arc. */
ORBMATH_API cmath_status cmath_angleRange_validate(const cmath_angleRange* r);

/* ---- clamped inverse trigonometry ------------------------------------------------------- */

/** acos of x clamped to [-1, 1]; NaN is clamped to -1 (giving pi). */
ORBMATH_API cmath_radian cmath_acosSafe(double x);
/** asin of x clamped to [-1, 1]; NaN is clamped to -1 (giving -pi/2). */
ORBMATH_API cmath_radian cmath_asinSafe(double x);

ORBMATH_C_END

#endif
