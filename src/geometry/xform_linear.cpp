// Affine 2D transforms (cmath_xformLinear): p maps to matrix * p + trans, the product first.
// Composition a o b applies b first. Every operation reads its operands into locals before it
// writes the target, so a target may be one of the operands.
#include <orbmath/geometry.h>
#include <orbmath/support.h>

#include "geometry/fit_sums.hpp"
#include "geometry/linear_map.hpp"
#include "support/cleanup.hpp"
#include "support/null_check.hpp"

#include <cmath>

namespace {

cmath_status compose(cmath_xformLinear* target, const cmath_xformLinear& a, const cmath_xformLinear& b)
{
    // trans = a.matrix * b.trans + a.trans, matrix = a.matrix * b.matrix: the arithmetic of
    // cmath_matrix_mapPoint, cmath_vect_initAdd and cmath_matrix_initMultiply, spelt out so
    // that composing makes no calls.
    cmath_vect t;
    orb::mapLinear(a, &b.trans, &t);
    const cmath_matrix& p = a.matrix;
    const cmath_matrix& q = b.matrix;
    const cmath_matrix m{p.e11 * q.e11 + p.e12 * q.e21, p.e11 * q.e12 + p.e12 * q.e22,
                         p.e21 * q.e11 + p.e22 * q.e21, p.e21 * q.e12 + p.e22 * q.e22};
    target->trans = t;
    target->matrix = m;
    return 0;
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_xformLinear_initMatrixTransElements(cmath_xformLinear* target, double e11, double e12,
                                                                   double e21, double e22, double tx, double ty)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    cmath_status st = cmath_matrix_init(&target->matrix, e11, e12, e21, e22);
    if (st < 0) {
        return st;
    }
    return cmath_vect_init(&target->trans, tx, ty);
}

ORBMATH_API cmath_status cmath_xformLinear_initIdentity(cmath_xformLinear* target)
{
    return cmath_xformLinear_initMatrixTransElements(target, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0);
}

ORBMATH_API cmath_status cmath_xformLinear_reset(cmath_xformLinear* target)
{
    return cmath_xformLinear_initIdentity(target);
}

ORBMATH_API cmath_status cmath_xformLinear_initMatrixTrans(cmath_xformLinear* target, const cmath_matrix* m,
                                                           const cmath_vect* t)
{
    if (orb::anyNull(target, m, t)) {
        return cmath_errNullArgument;
    }
    const cmath_matrix mm = *m;
    const cmath_vect tt = *t;
    target->matrix = mm;
    target->trans = tt;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear_initCompose(cmath_xformLinear* target, const cmath_xformLinear* a,
                                                       const cmath_xformLinear* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return compose(target, *a, *b);
}

ORBMATH_API cmath_status cmath_xformLinear_initCompose3(cmath_xformLinear* target, const cmath_xformLinear* a,
                                                        const cmath_xformLinear* b, const cmath_xformLinear* c)
{
    if (orb::anyNull(target, a, b, c)) {
        return cmath_errNullArgument;
    }
    cmath_xformLinear ab;
    cmath_status st = compose(&ab, *a, *b);
    if (st < 0) {
        return st;
    }
    return compose(target, ab, *c);
}

ORBMATH_API cmath_status cmath_xformLinear_initCompose4(cmath_xformLinear* target, const cmath_xformLinear* a,
                                                        const cmath_xformLinear* b, const cmath_xformLinear* c,
                                                        const cmath_xformLinear* d)
{
    if (orb::anyNull(target, a, b, c, d)) {
        return cmath_errNullArgument;
    }
    cmath_xformLinear acc;
    cmath_status st = compose(&acc, *a, *b);
    if (st < 0) {
        return st;
    }
    st = compose(&acc, acc, *c);
    if (st < 0) {
        return st;
    }
    return compose(target, acc, *d);
}

/* Least-squares affine fit. With the sums S.. over the pairs (p = source[i], q = destination[i])
 * centred by w = 1/n, the two rows of the matrix solve the normal equations
 *
 *     (Cxx Cxy; Cxy Cyy) (e11; e12) = (Cqxpx; Cqxpy),   likewise (e21; e22) from the qy sums,
 *
 * by Cramer's rule with D = Cyy Cxx - Cxy^2; the translation then takes the centroid of the
 * sources to that of the destinations. One pass, no allocation. */
ORBMATH_API cmath_status cmath_xformLinear_initPoints(cmath_xformLinear* target, const cmath_vect* destination,
                                                      const cmath_vect* source, int32_t n)
{
    if (target == nullptr || ((destination == nullptr || source == nullptr) && n > 0)) {
        return cmath_errNullArgument;
    }
    if (n < 3) {
        return cmath_errFailed;
    }

    // Unrolled four-fold; each sum still receives the points in index order.
    orb::FitSums acc;
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        acc.add(source[i], destination[i]);
        acc.add(source[i + 1], destination[i + 1]);
        acc.add(source[i + 2], destination[i + 2]);
        acc.add(source[i + 3], destination[i + 3]);
    }
    for (; i < n; ++i) {
        acc.add(source[i], destination[i]);
    }
    return orb::solveAffine(acc, 1.0 / static_cast<double>(n), target);
}

ORBMATH_API cmath_status cmath_xformLinear_getInverse(const cmath_xformLinear* x, cmath_xformLinear* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    double det = 0.0;
    cmath_status st = cmath_matrix_getDeterminant(&x->matrix, &det);
    if (st < 0) {
        return st;
    }
    if (det == 0.0) {
        return cmath_errSingular;
    }
    const double r = 1.0 / det;
    const cmath_matrix m{x->matrix.e22 * r, -(x->matrix.e12 * r), -(x->matrix.e21 * r), x->matrix.e11 * r};
    const double ntx = -x->trans.x;
    const double nty = -x->trans.y;
    out->matrix = m;
    return cmath_vect_init(&out->trans, nty * m.e12 + ntx * m.e11, nty * m.e22 + ntx * m.e21);
}

ORBMATH_API cmath_status cmath_xformLinear_getIsIdentity(const cmath_xformLinear* x, int32_t* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    *out = (x->trans.x == 0.0 && x->trans.y == 0.0 && x->matrix.e11 == 1.0 && x->matrix.e12 == 0.0 &&
            x->matrix.e21 == 0.0 && x->matrix.e22 == 1.0) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear_compareEqual(const cmath_xformLinear* a, const cmath_xformLinear* b,
                                                        int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->trans.x == b->trans.x && a->trans.y == b->trans.y && a->matrix.e11 == b->matrix.e11 &&
            a->matrix.e12 == b->matrix.e12 && a->matrix.e21 == b->matrix.e21 && a->matrix.e22 == b->matrix.e22)
               ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear_epsilonEqual(const cmath_xformLinear* a, const cmath_xformLinear* b,
                                                        double epsilon, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (cmath_double_epsilonEqual(a->trans.x, b->trans.x, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->trans.y, b->trans.y, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->matrix.e11, b->matrix.e11, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->matrix.e12, b->matrix.e12, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->matrix.e21, b->matrix.e21, epsilon) != 0 &&
            cmath_double_epsilonEqual(a->matrix.e22, b->matrix.e22, epsilon) != 0) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear_mapPoint(const cmath_xformLinear* x, const cmath_vect* p, cmath_vect* out)
{
    if (orb::anyNull(x, p, out)) {
        return cmath_errNullArgument;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    orb::mapLinear(*x, p, out); // matrix * p, then + trans: no calls on the hot path
    return cl.close();
}

ORBMATH_API cmath_status cmath_xformLinear_invMapPoint(const cmath_xformLinear* x, const cmath_vect* p,
                                                       cmath_vect* out)
{
    if (orb::anyNull(x, p, out)) {
        return cmath_errNullArgument;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    cmath_xformLinear inv;
    st = cmath_xformLinear_getInverse(x, &inv);
    if (st >= 0) {
        st = cmath_xformLinear_mapPoint(&inv, p, out);
    }
    return cl.close();
}

ORBMATH_API cmath_status cmath_xformLinear_mapVector(const cmath_xformLinear* x, const cmath_vect* v, cmath_vect* out)
{
    if (orb::anyNull(x, v, out)) {
        return cmath_errNullArgument;
    }
    return cmath_matrix_mapPoint(&x->matrix, v, out);
}

ORBMATH_API cmath_status cmath_xformLinear_invMapVector(const cmath_xformLinear* x, const cmath_vect* v,
                                                        cmath_vect* out)
{
    if (orb::anyNull(x, v, out)) {
        return cmath_errNullArgument;
    }
    cmath_matrix inv;
    const cmath_status st = cmath_matrix_initInverse(&inv, &x->matrix);
    if (st < 0) {
        return st;
    }
    return cmath_matrix_mapPoint(&inv, v, out);
}

ORBMATH_API cmath_status cmath_xformLinear_mapAngle(const cmath_xformLinear* x, const cmath_radian* angle,
                                                    cmath_radian* out)
{
    if (orb::anyNull(x, angle, out)) {
        return cmath_errNullArgument;
    }
    const double c = std::cos(angle->value);
    const double s = std::sin(angle->value);
    const cmath_matrix& m = x->matrix;
    out->value = std::atan2(m.e21 * c + m.e22 * s, m.e11 * c + m.e12 * s);
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear_invMapAngle(const cmath_xformLinear* x, const cmath_radian* angle,
                                                       cmath_radian* out)
{
    if (orb::anyNull(x, angle, out)) {
        return cmath_errNullArgument;
    }
    double det = 0.0;
    const cmath_status st = cmath_matrix_getDeterminant(&x->matrix, &det);
    if (st < 0) {
        return st;
    }
    if (det == 0.0) {
        return cmath_errSingular;
    }
    // The adjugate times (c, s) points along the inverse image; only det's sign matters.
    const double c = std::cos(angle->value);
    const double s = std::sin(angle->value);
    const cmath_matrix& m = x->matrix;
    double vx = m.e22 * c - m.e12 * s;
    double vy = m.e11 * s - m.e21 * c;
    if (!(det > 0.0)) {
        vx = -vx;
        vy = -vy;
    }
    out->value = std::atan2(vy, vx);
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear_mapArea(const cmath_xformLinear* x, double area, double* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    double det = 0.0;
    const cmath_status st = cmath_matrix_getDeterminant(&x->matrix, &det);
    if (st < 0) {
        return st;
    }
    *out = area * std::fabs(det);
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear_invMapArea(const cmath_xformLinear* x, double area, double* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    double det = 0.0;
    const cmath_status st = cmath_matrix_getDeterminant(&x->matrix, &det);
    if (st < 0) {
        return st;
    }
    if (det == 0.0) {
        return cmath_errSingular;
    }
    *out = area / std::fabs(det);
    return 0;
}

} // extern "C"
