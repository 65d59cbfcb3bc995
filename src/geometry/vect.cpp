// 2D vectors in double (cmath_vect) and single (cmath_vectF) precision.
// Every input is read into locals before the output is written, so outputs may alias inputs.
#include <orbmath/support.h>
#include <orbmath/vect.h>

#include "support/null_check.hpp"

#include <cmath>

extern "C" {

// ---------------------------------------------------------------- cmath_vect

ORBMATH_API cmath_status cmath_vect_init(cmath_vect* target, double x, double y)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->x = x;
    target->y = y;
    return 0;
}

ORBMATH_API cmath_status cmath_vect_initClear(cmath_vect* target)
{
    return cmath_vect_init(target, 0.0, 0.0);
}

ORBMATH_API cmath_status cmath_vect_reset(cmath_vect* target)
{
    return cmath_vect_init(target, 0.0, 0.0);
}

ORBMATH_API cmath_status cmath_vect_initAdd(cmath_vect* target, const cmath_vect* a, const cmath_vect* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return cmath_vect_init(target, a->x + b->x, a->y + b->y);
}

ORBMATH_API cmath_status cmath_vect_initSubtract(cmath_vect* target, const cmath_vect* a, const cmath_vect* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return cmath_vect_init(target, a->x - b->x, a->y - b->y);
}

ORBMATH_API cmath_status cmath_vect_initMultiply(cmath_vect* target, const cmath_vect* a, double s)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    return cmath_vect_init(target, s * a->x, s * a->y);
}

ORBMATH_API cmath_status cmath_vect_initDivide(cmath_vect* target, const cmath_vect* a, double d)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    if (d == 0.0) {
        return cmath_errDivideByZero;
    }
    // Division is multiplication by the one reciprocal, never component by component.
    const double r = 1.0 / d;
    return cmath_vect_init(target, r * a->x, r * a->y);
}

ORBMATH_API cmath_status cmath_vect_initLengthAngle(cmath_vect* target, double length, const cmath_radian* angle)
{
    if (orb::anyNull(target, angle)) {
        return cmath_errNullArgument;
    }
    const double theta = angle->value;
    return cmath_vect_init(target, std::cos(theta) * length, std::sin(theta) * length);
}

ORBMATH_API cmath_status cmath_vect_initPerpendicular(cmath_vect* target, const cmath_vect* a)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    target->x = -a->y;
    target->y = a->x;
    return 0;
}

ORBMATH_API cmath_status cmath_vect_cross(const cmath_vect* a, const cmath_vect* b, double* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = a->x * b->y - a->y * b->x;
    return 0;
}

ORBMATH_API cmath_status cmath_vect_dot(const cmath_vect* a, const cmath_vect* b, double* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = a->x * b->x + a->y * b->y;
    return 0;
}

ORBMATH_API cmath_status cmath_vect_getLength(const cmath_vect* a, double* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    *out = std::sqrt(a->x * a->x + a->y * a->y);
    return 0;
}

ORBMATH_API cmath_status cmath_vect_getDistance(const cmath_vect* a, const cmath_vect* b, double* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    const double dx = a->x - b->x;
    const double dy = a->y - b->y;
    *out = std::sqrt(dx * dx + dy * dy);
    return 0;
}

ORBMATH_API cmath_status cmath_vect_getDirection(const cmath_vect* a, cmath_radian* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    out->value = std::atan2(a->y, a->x);
    return 0;
}

ORBMATH_API cmath_status cmath_vect_getUnit(const cmath_vect* a, cmath_vect* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    const double len = std::sqrt(a->x * a->x + a->y * a->y);
    if (len == 0.0) {
        return cmath_errZeroVector;
    }
    const double r = 1.0 / len;
    return cmath_vect_init(out, r * a->x, r * a->y);
}

ORBMATH_API cmath_status cmath_vect_project(const cmath_vect* a, const cmath_vect* b, cmath_vect* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    const double len = std::sqrt(a->x * a->x + a->y * a->y);
    if (len == 0.0) {
        return cmath_errZeroVector;
    }
    const double r = 1.0 / len;
    const double ux = r * a->x;
    const double uy = r * a->y;
    const double s = ux * b->x + uy * b->y;
    return cmath_vect_init(out, s * ux, s * uy);
}

ORBMATH_API cmath_status cmath_vect_compareEqual(const cmath_vect* a, const cmath_vect* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->x == b->x && a->y == b->y) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_vect_epsilonEqual(const cmath_vect* a, const cmath_vect* b, double epsilon,
                                                 int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (cmath_double_epsilonEqual(a->x, b->x, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->y, b->y, epsilon) != 0) ? 1 : 0;
    return 0;
}

// ---------------------------------------------------------------- cmath_vectF

ORBMATH_API cmath_status cmath_vectF_init(cmath_vectF* target, float x, float y)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->x = x;
    target->y = y;
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_initClear(cmath_vectF* target)
{
    return cmath_vectF_init(target, 0.0f, 0.0f);
}

ORBMATH_API cmath_status cmath_vectF_reset(cmath_vectF* target)
{
    return cmath_vectF_init(target, 0.0f, 0.0f);
}

ORBMATH_API cmath_status cmath_vectF_initAdd(cmath_vectF* target, const cmath_vectF* a, const cmath_vectF* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return cmath_vectF_init(target, a->x + b->x, a->y + b->y);
}

ORBMATH_API cmath_status cmath_vectF_initSubtract(cmath_vectF* target, const cmath_vectF* a, const cmath_vectF* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return cmath_vectF_init(target, a->x - b->x, a->y - b->y);
}

ORBMATH_API cmath_status cmath_vectF_initMultiply(cmath_vectF* target, const cmath_vectF* a, float s)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    return cmath_vectF_init(target, s * a->x, s * a->y);
}

ORBMATH_API cmath_status cmath_vectF_initDivide(cmath_vectF* target, const cmath_vectF* a, float d)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    if (d == 0.0f) {
        return cmath_errDivideByZero;
    }
    const float r = 1.0f / d;
    return cmath_vectF_init(target, r * a->x, r * a->y);
}

ORBMATH_API cmath_status cmath_vectF_initLengthAngle(cmath_vectF* target, float length, const cmath_radian* angle)
{
    if (orb::anyNull(target, angle)) {
        return cmath_errNullArgument;
    }
    const double theta = angle->value;
    const auto c = static_cast<float>(std::cos(theta));
    const auto s = static_cast<float>(std::sin(theta));
    return cmath_vectF_init(target, c * length, s * length);
}

ORBMATH_API cmath_status cmath_vectF_initPerpendicular(cmath_vectF* target, const cmath_vectF* a)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    target->x = -a->y;
    target->y = a->x;
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_cross(const cmath_vectF* a, const cmath_vectF* b, float* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = a->x * b->y - a->y * b->x;
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_dot(const cmath_vectF* a, const cmath_vectF* b, float* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = a->x * b->x + a->y * b->y;
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_getLength(const cmath_vectF* a, float* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    *out = std::sqrt(a->x * a->x + a->y * a->y);
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_getDistance(const cmath_vectF* a, const cmath_vectF* b, float* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    const float dx = a->x - b->x;
    const float dy = a->y - b->y;
    *out = std::sqrt(dx * dx + dy * dy);
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_getDirection(const cmath_vectF* a, cmath_radian* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    out->value = std::atan2(static_cast<double>(a->y), static_cast<double>(a->x));
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_getUnit(const cmath_vectF* a, cmath_vectF* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    const float len = std::sqrt(a->x * a->x + a->y * a->y);
    if (len == 0.0f) {
        return cmath_errZeroVector;
    }
    const float r = 1.0f / len;
    return cmath_vectF_init(out, r * a->x, r * a->y);
}

ORBMATH_API cmath_status cmath_vectF_project(const cmath_vectF* a, const cmath_vectF* b, cmath_vectF* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    const float len = std::sqrt(a->x * a->x + a->y * a->y);
    if (len == 0.0f) {
        return cmath_errZeroVector;
    }
    const float r = 1.0f / len;
    const float ux = r * a->x;
    const float uy = r * a->y;
    const float s = ux * b->x + uy * b->y;
    return cmath_vectF_init(out, s * ux, s * uy);
}

ORBMATH_API cmath_status cmath_vectF_compareEqual(const cmath_vectF* a, const cmath_vectF* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->x == b->x && a->y == b->y) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_vectF_epsilonEqual(const cmath_vectF* a, const cmath_vectF* b, double epsilon,
                                                  int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (cmath_double_epsilonEqual(a->x, b->x, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->y, b->y, epsilon) != 0) ? 1 : 0;
    return 0;
}

} // extern "C"
