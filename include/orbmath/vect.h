/** @file
 * orbmath 2D vectors: cmath_vect (double) and cmath_vectF (float), and the angle records.
 *
 * Calling frame shared by every value-type family: init and reset write their first argument
 * from the others; get, compareEqual, epsilonEqual, cross, dot, project and map take their
 * inputs first and write through a final out-pointer. Every function returns a cmath_status;
 * on failure nothing is written. An output may be one of the inputs unless stated otherwise.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning. */
#ifndef ORBMATH_VECT_H
#define ORBMATH_VECT_H

#include "common.h"

ORBMATH_C_BEGIN

/** A 2D point or vector in double precision. */
typedef struct cmath_vect {
    double x; /**< horizontal component */
    double y; /**< vertical component */
} cmath_vect;
/** A 2D point or vector in single precision. */
typedef struct cmath_vectF {
    float x; /**< horizontal component */
    float y; /**< vertical component */
} cmath_vectF;
/** An angle in radians; the angle type of the flat interface, passed by address. */
typedef struct cmath_radian {
    double value; /**< the angle in radians */
} cmath_radian;
/** An angle in degrees. */
typedef struct cmath_degree {
    double value; /**< the angle in degrees */
} cmath_degree;

/** target = (x, y). */
ORBMATH_API cmath_status cmath_vect_init(cmath_vect* target, double x, double y);
/** target = (0, 0). */
ORBMATH_API cmath_status cmath_vect_initClear(cmath_vect* target);
/** target = (0, 0), the default value. */
ORBMATH_API cmath_status cmath_vect_reset(cmath_vect* target);
/** target = a + b. */
ORBMATH_API cmath_status cmath_vect_initAdd(cmath_vect* target, const cmath_vect* a, const cmath_vect* b);
/** target = a - b. */
ORBMATH_API cmath_status cmath_vect_initSubtract(cmath_vect* target, const cmath_vect* a, const cmath_vect* b);
/** target = s * a. */
ORBMATH_API cmath_status cmath_vect_initMultiply(cmath_vect* target, const cmath_vect* a, double s);
/** target = (1/d) * a; cmath_errDivideByZero when d is exactly 0. */
ORBMATH_API cmath_status cmath_vect_initDivide(cmath_vect* target, const cmath_vect* a, double d);
/** target = (cos(angle) * length, sin(angle) * length). */
ORBMATH_API cmath_status cmath_vect_initLengthAngle(cmath_vect* target, double length, const cmath_radian* angle);
/** target = a rotated by +90 degrees, (-a.y, a.x); target must not be a. */
ORBMATH_API cmath_status cmath_vect_initPerpendicular(cmath_vect* target, const cmath_vect* a);
/** *out = a.x * b.y - a.y * b.x (positive when b lies counter-clockwise of a). */
ORBMATH_API cmath_status cmath_vect_cross(const cmath_vect* a, const cmath_vect* b, double* out);
/** *out = a.x * b.x + a.y * b.y. */
ORBMATH_API cmath_status cmath_vect_dot(const cmath_vect* a, const cmath_vect* b, double* out);
/** *out = sqrt(a.x^2 + a.y^2). */
ORBMATH_API cmath_status cmath_vect_getLength(const cmath_vect* a, double* out);
/** *out = length of a - b. */
ORBMATH_API cmath_status cmath_vect_getDistance(const cmath_vect* a, const cmath_vect* b, double* out);
/** *out = atan2(a.y, a.x), in [-pi, pi]; the zero vector gives 0. */
ORBMATH_API cmath_status cmath_vect_getDirection(const cmath_vect* a, cmath_radian* out);
/** *out = a scaled to length 1; cmath_errZeroVector when the length is exactly 0. */
ORBMATH_API cmath_status cmath_vect_getUnit(const cmath_vect* a, cmath_vect* out);
/** *out = component of b along the direction of a; cmath_errZeroVector when a has length 0. */
ORBMATH_API cmath_status cmath_vect_project(const cmath_vect* a, const cmath_vect* b, cmath_vect* out);
/** *out = 1 when a and b are exactly equal, else 0. */
ORBMATH_API cmath_status cmath_vect_compareEqual(const cmath_vect* a, const cmath_vect* b, int32_t* out);
/** *out = 1 when both components are equal within epsilon (cmath_double_epsilonEqual), else 0. */
ORBMATH_API cmath_status cmath_vect_epsilonEqual(const cmath_vect* a, const cmath_vect* b, double epsilon, int32_t* out);

/* The float twins compute in single precision; see each line for the exceptions. */
/** target = (x, y). */
ORBMATH_API cmath_status cmath_vectF_init(cmath_vectF* target, float x, float y);
/** target = (0, 0). */
ORBMATH_API cmath_status cmath_vectF_initClear(cmath_vectF* target);
/** target = (0, 0), the default value. */
ORBMATH_API cmath_status cmath_vectF_reset(cmath_vectF* target);
/** target = a + b in single precision. */
ORBMATH_API cmath_status cmath_vectF_initAdd(cmath_vectF* target, const cmath_vectF* a, const cmath_vectF* b);
/** target = a - b in single precision. */
ORBMATH_API cmath_status cmath_vectF_initSubtract(cmath_vectF* target, const cmath_vectF* a, const cmath_vectF* b);
/** target = s * a in single precision. */
ORBMATH_API cmath_status cmath_vectF_initMultiply(cmath_vectF* target, const cmath_vectF* a, float s);
/** target = (1/d) * a: float reciprocal, then float products; cmath_errDivideByZero when d is exactly 0. */
ORBMATH_API cmath_status cmath_vectF_initDivide(cmath_vectF* target, const cmath_vectF* a, float d);
/** target = (cos, sin) of angle times length: cos and sin in double, each rounded to float, then multiplied by length in float. */
ORBMATH_API cmath_status cmath_vectF_initLengthAngle(cmath_vectF* target, float length, const cmath_radian* angle);
/** target = a rotated by +90 degrees, (-a.y, a.x); target must not be a. */
ORBMATH_API cmath_status cmath_vectF_initPerpendicular(cmath_vectF* target, const cmath_vectF* a);
/** *out = a.x * b.y - a.y * b.x in single precision. */
ORBMATH_API cmath_status cmath_vectF_cross(const cmath_vectF* a, const cmath_vectF* b, float* out);
/** *out = a.x * b.x + a.y * b.y in single precision. */
ORBMATH_API cmath_status cmath_vectF_dot(const cmath_vectF* a, const cmath_vectF* b, float* out);
/** *out = length of a, with a single-precision square root. */
ORBMATH_API cmath_status cmath_vectF_getLength(const cmath_vectF* a, float* out);
/** *out = length of a - b, in single precision. */
ORBMATH_API cmath_status cmath_vectF_getDistance(const cmath_vectF* a, const cmath_vectF* b, float* out);
/** *out = atan2(a.y, a.x) with the components widened to double; the zero vector gives 0. */
ORBMATH_API cmath_status cmath_vectF_getDirection(const cmath_vectF* a, cmath_radian* out);
/** *out = a scaled to length 1; cmath_errZeroVector when the float length is exactly 0. */
ORBMATH_API cmath_status cmath_vectF_getUnit(const cmath_vectF* a, cmath_vectF* out);
/** *out = component of b along the direction of a; cmath_errZeroVector when a has length 0. */
ORBMATH_API cmath_status cmath_vectF_project(const cmath_vectF* a, const cmath_vectF* b, cmath_vectF* out);
/** *out = 1 when a and b are exactly equal, else 0. */
ORBMATH_API cmath_status cmath_vectF_compareEqual(const cmath_vectF* a, const cmath_vectF* b, int32_t* out);
/** *out = 1 when both components, widened to double, are equal within epsilon, else 0. */
ORBMATH_API cmath_status cmath_vectF_epsilonEqual(const cmath_vectF* a, const cmath_vectF* b, double epsilon, int32_t* out);

ORBMATH_C_END

#endif
