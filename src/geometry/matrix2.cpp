// 2x2 matrices (cmath_matrix): algebra, inverse, and the decomposition
//
//     A = R(theta) * diag(s, s*a) * H(k),   R(theta) = (cos, -sin; sin, cos),  H(k) = (1, -tan k; 0, 1)
//
// into rotation theta, scale s, aspect a and shear k, with its two constructions. The matrix
// averagers average in exactly these parameters, so every formula and order of operations here
// is part of the interface. Every input is read into locals before the target is written, so a
// target may be one of its operands.
#include <orbmath/geometry.h>
#include <orbmath/support.h>

#include "support/null_check.hpp"

#include <cmath>

namespace {

inline double determinant(const cmath_matrix& m) { return m.e11 * m.e22 - m.e12 * m.e21; }

inline cmath_matrix product(const cmath_matrix& a, const cmath_matrix& b)
{
    return cmath_matrix{a.e11 * b.e11 + a.e12 * b.e21, a.e11 * b.e12 + a.e12 * b.e22,
                        a.e21 * b.e11 + a.e22 * b.e21, a.e21 * b.e12 + a.e22 * b.e22};
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_matrix_init(cmath_matrix* target, double e11, double e12, double e21, double e22)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->e11 = e11;
    target->e12 = e12;
    target->e21 = e21;
    target->e22 = e22;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_initIdentity(cmath_matrix* target)
{
    return cmath_matrix_init(target, 1.0, 0.0, 0.0, 1.0);
}

ORBMATH_API cmath_status cmath_matrix_reset(cmath_matrix* target)
{
    return cmath_matrix_initIdentity(target);
}

ORBMATH_API cmath_status cmath_matrix_initAdd(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return cmath_matrix_init(target, a->e11 + b->e11, a->e12 + b->e12, a->e21 + b->e21, a->e22 + b->e22);
}

ORBMATH_API cmath_status cmath_matrix_initMultiply(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    *target = product(*a, *b);
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_initMultiply3(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b,
                                                    const cmath_matrix* c)
{
    if (orb::anyNull(target, a, b, c)) {
        return cmath_errNullArgument;
    }
    *target = product(product(*a, *b), *c);
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_initMultiply4(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b,
                                                    const cmath_matrix* c, const cmath_matrix* d)
{
    if (orb::anyNull(target, a, b, c, d)) {
        return cmath_errNullArgument;
    }
    *target = product(product(product(*a, *b), *c), *d);
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_initTranspose(cmath_matrix* target, const cmath_matrix* a)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    return cmath_matrix_init(target, a->e11, a->e21, a->e12, a->e22);
}

ORBMATH_API cmath_status cmath_matrix_initInverse(cmath_matrix* target, const cmath_matrix* a)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    const double det = determinant(*a);
    if (det == 0.0) {
        return cmath_errSingular;
    }
    // One reciprocal multiplied in; no element is divided.
    const double r = 1.0 / det;
    return cmath_matrix_init(target, a->e22 * r, -(a->e12 * r), -(a->e21 * r), a->e11 * r);
}

ORBMATH_API cmath_status cmath_matrix_initRotationScale(cmath_matrix* target, const cmath_radian* xRotation,
                                                        const cmath_radian* yRotation, double xScale, double yScale)
{
    if (orb::anyNull(target, xRotation, yRotation)) {
        return cmath_errNullArgument;
    }
    const double ax = xRotation->value;
    const double ay = yRotation->value;
    return cmath_matrix_init(target, std::cos(ax) * xScale, -(std::sin(ay) * yScale), std::sin(ax) * xScale,
                             std::cos(ay) * yScale);
}

ORBMATH_API cmath_status cmath_matrix_initScaleAspect(cmath_matrix* target, double scale, double aspect,
                                                      const cmath_radian* shear, const cmath_radian* rotation)
{
    if (orb::anyNull(target, shear, rotation)) {
        return cmath_errNullArgument;
    }
    const double sn = std::sin(rotation->value);
    const double cs = std::cos(rotation->value);
    const double t = std::tan(shear->value);
    const double sa = scale * aspect;
    return cmath_matrix_init(target, cs * scale, (-sn - t * cs) * sa, sn * scale, (cs - t * sn) * sa);
}

ORBMATH_API cmath_status cmath_matrix_getDeterminant(const cmath_matrix* a, double* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    *out = determinant(*a);
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_getIsSingular(const cmath_matrix* a, int32_t* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    *out = determinant(*a) == 0.0 ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_getIsIdentity(const cmath_matrix* a, int32_t* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->e11 == 1.0 && a->e12 == 0.0 && a->e21 == 0.0 && a->e22 == 1.0) ? 1 : 0;
    return 0;
}

// The decomposition getters refuse a singular matrix first, whatever their own formula needs,
// so that a caller reading all four parameters sees one consistent answer.

ORBMATH_API cmath_status cmath_matrix_getXRotation(const cmath_matrix* a, cmath_radian* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    if (determinant(*a) == 0.0) {
        return cmath_errSingular;
    }
    out->value = std::atan2(a->e21, a->e11);
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_getRotation(const cmath_matrix* a, cmath_radian* out)
{
    return cmath_matrix_getXRotation(a, out);
}

ORBMATH_API cmath_status cmath_matrix_getYRotation(const cmath_matrix* a, cmath_radian* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    if (determinant(*a) == 0.0) {
        return cmath_errSingular;
    }
    out->value = std::atan2(-a->e12, a->e22);
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_getXScale(const cmath_matrix* a, double* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    if (determinant(*a) == 0.0) {
        return cmath_errSingular;
    }
    *out = std::sqrt(cmath_double_sqr(a->e11) + cmath_double_sqr(a->e21));
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_getScale(const cmath_matrix* a, double* out)
{
    return cmath_matrix_getXScale(a, out);
}

ORBMATH_API cmath_status cmath_matrix_getYScale(const cmath_matrix* a, double* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    if (determinant(*a) == 0.0) {
        return cmath_errSingular;
    }
    *out = std::sqrt(cmath_double_sqr(a->e12) + cmath_double_sqr(a->e22));
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_getAspect(const cmath_matrix* a, double* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    const double det = determinant(*a);
    if (det == 0.0) {
        return cmath_errSingular;
    }
    *out = det / (cmath_double_sqr(a->e11) + cmath_double_sqr(a->e21));
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_getShear(const cmath_matrix* a, cmath_radian* out)
{
    if (orb::anyNull(a, out)) {
        return cmath_errNullArgument;
    }
    const double det = determinant(*a);
    if (det == 0.0) {
        return cmath_errSingular;
    }
    // The columns' dot product over det is tan of the shear; the one-argument arctangent keeps
    // the result inside (-pi/2, pi/2).
    out->value = -std::atan((a->e11 * a->e12 + a->e21 * a->e22) / det);
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_mapPoint(const cmath_matrix* a, const cmath_vect* p, cmath_vect* out)
{
    if (orb::anyNull(a, p, out)) {
        return cmath_errNullArgument;
    }
    const double x = p->x;
    const double y = p->y;
    return cmath_vect_init(out, a->e11 * x + a->e12 * y, a->e21 * x + a->e22 * y);
}

ORBMATH_API cmath_status cmath_matrix_invMapPoint(const cmath_matrix* a, const cmath_vect* p, cmath_vect* out)
{
    if (orb::anyNull(a, p, out)) {
        return cmath_errNullArgument;
    }
    const double det = determinant(*a);
    if (det == 0.0) {
        return cmath_errSingular;
    }
    const double r = 1.0 / det;
    const double x = p->x;
    const double y = p->y;
    return cmath_vect_init(out, (a->e22 * r) * x - (a->e12 * r) * y, (a->e11 * r) * y - (a->e21 * r) * x);
}

ORBMATH_API cmath_status cmath_matrix_compareEqual(const cmath_matrix* a, const cmath_matrix* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->e11 == b->e11 && a->e12 == b->e12 && a->e21 == b->e21 && a->e22 == b->e22) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix_epsilonEqual(const cmath_matrix* a, const cmath_matrix* b, double epsilon,
                                                   int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (cmath_double_epsilonEqual(a->e11, b->e11, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->e12, b->e12, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->e21, b->e21, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->e22, b->e22, epsilon) != 0) ? 1 : 0;
    return 0;
}

} // extern "C"
