// One-dimensional value types: cmath_vect1 (a position or displacement), cmath_matrix1 (a scale
// factor) and cmath_xformLinear1 (x -> matrix * x + trans). The inverse mappings divide once
// (no reciprocal); the inverse transform alone multiplies by a reciprocal. Inputs are read
// before the target is written, so targets may alias operands.
#include <orbmath/geometry.h>

#include "support/null_check.hpp"

extern "C" {

// ---------------------------------------------------------------- cmath_vect1

ORBMATH_API cmath_status cmath_vect1_init(cmath_vect1* target, double v)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->x = v;
    return 0;
}

ORBMATH_API cmath_status cmath_vect1_initClear(cmath_vect1* target)
{
    return cmath_vect1_init(target, 0.0);
}

ORBMATH_API cmath_status cmath_vect1_reset(cmath_vect1* target)
{
    return cmath_vect1_init(target, 0.0);
}

ORBMATH_API cmath_status cmath_vect1_initAdd(cmath_vect1* target, const cmath_vect1* a, const cmath_vect1* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return cmath_vect1_init(target, a->x + b->x);
}

ORBMATH_API cmath_status cmath_vect1_initSubtract(cmath_vect1* target, const cmath_vect1* a, const cmath_vect1* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    return cmath_vect1_init(target, a->x - b->x);
}

ORBMATH_API cmath_status cmath_vect1_initScale(cmath_vect1* target, const cmath_vect1* a, double s)
{
    if (orb::anyNull(target, a)) {
        return cmath_errNullArgument;
    }
    return cmath_vect1_init(target, s * a->x);
}

ORBMATH_API cmath_status cmath_vect1_compareEqual(const cmath_vect1* a, const cmath_vect1* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = a->x == b->x ? 1 : 0;
    return 0;
}

// ---------------------------------------------------------------- cmath_matrix1

ORBMATH_API cmath_status cmath_matrix1_initIdentity(cmath_matrix1* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->e11 = 1.0;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_reset(cmath_matrix1* target)
{
    return cmath_matrix1_initIdentity(target);
}

ORBMATH_API cmath_status cmath_matrix1_setToIdentity(cmath_matrix1* target)
{
    return cmath_matrix1_initIdentity(target);
}

ORBMATH_API cmath_status cmath_matrix1_initAdd(cmath_matrix1* target, const cmath_matrix1* a, const cmath_matrix1* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    target->e11 = a->e11 + b->e11;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_initSubtract(cmath_matrix1* target, const cmath_matrix1* a,
                                                    const cmath_matrix1* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    target->e11 = a->e11 - b->e11;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_initMultiply(cmath_matrix1* target, const cmath_matrix1* a,
                                                    const cmath_matrix1* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    target->e11 = a->e11 * b->e11;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_scale(cmath_matrix1* target, double s)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->e11 = target->e11 * s;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_multv(const cmath_matrix1* m, const cmath_vect1* v, cmath_vect1* out)
{
    if (orb::anyNull(m, v, out)) {
        return cmath_errNullArgument;
    }
    out->x = m->e11 * v->x;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_determinant(const cmath_matrix1* m, double* out)
{
    if (orb::anyNull(m, out)) {
        return cmath_errNullArgument;
    }
    *out = m->e11;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_transpose(const cmath_matrix1* m, cmath_matrix1* out)
{
    if (orb::anyNull(m, out)) {
        return cmath_errNullArgument;
    }
    out->e11 = m->e11;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_getInverse(const cmath_matrix1* m, cmath_matrix1* out)
{
    if (orb::anyNull(m, out)) {
        return cmath_errNullArgument;
    }
    if (m->e11 == 0.0) {
        return cmath_errSingular;
    }
    out->e11 = 1.0 / m->e11;
    return 0;
}

ORBMATH_API cmath_status cmath_matrix1_compareEqual(const cmath_matrix1* a, const cmath_matrix1* b, int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = a->e11 == b->e11 ? 1 : 0;
    return 0;
}

// ---------------------------------------------------------------- cmath_xformLinear1

ORBMATH_API cmath_status cmath_xformLinear1_initMatrixTransElements(cmath_xformLinear1* target, double m, double t)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->matrix.e11 = m;
    target->trans.x = t;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear1_initIdentity(cmath_xformLinear1* target)
{
    return cmath_xformLinear1_initMatrixTransElements(target, 1.0, 0.0);
}

ORBMATH_API cmath_status cmath_xformLinear1_reset(cmath_xformLinear1* target)
{
    return cmath_xformLinear1_initIdentity(target);
}

ORBMATH_API cmath_status cmath_xformLinear1_initMatrixTrans(cmath_xformLinear1* target, const cmath_matrix1* m,
                                                            const cmath_vect1* t)
{
    if (orb::anyNull(target, m, t)) {
        return cmath_errNullArgument;
    }
    return cmath_xformLinear1_initMatrixTransElements(target, m->e11, t->x);
}

ORBMATH_API cmath_status cmath_xformLinear1_initCompose(cmath_xformLinear1* target, const cmath_xformLinear1* a,
                                                        const cmath_xformLinear1* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    const double am = a->matrix.e11;
    const double trans = b->trans.x * am + a->trans.x;
    const double matrix = b->matrix.e11 * am;
    return cmath_xformLinear1_initMatrixTransElements(target, matrix, trans);
}

ORBMATH_API cmath_status cmath_xformLinear1_initInverse(cmath_xformLinear1* target, const cmath_xformLinear1* x)
{
    if (orb::anyNull(target, x)) {
        return cmath_errNullArgument;
    }
    const double m = x->matrix.e11;
    if (m == 0.0) {
        return cmath_errSingular;
    }
    const double r = 1.0 / m;
    return cmath_xformLinear1_initMatrixTransElements(target, r, -(r * x->trans.x));
}

ORBMATH_API cmath_status cmath_xformLinear1_mapPoint(const cmath_xformLinear1* x, const cmath_vect1* p,
                                                     cmath_vect1* out)
{
    if (orb::anyNull(x, p, out)) {
        return cmath_errNullArgument;
    }
    out->x = x->matrix.e11 * p->x + x->trans.x;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear1_mapValue(const cmath_xformLinear1* x, double v, double* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    *out = v * x->matrix.e11 + x->trans.x;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear1_mapVector(const cmath_xformLinear1* x, const cmath_vect1* v,
                                                      cmath_vect1* out)
{
    if (orb::anyNull(x, v, out)) {
        return cmath_errNullArgument;
    }
    out->x = x->matrix.e11 * v->x;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear1_invMapPoint(const cmath_xformLinear1* x, const cmath_vect1* p,
                                                        cmath_vect1* out)
{
    if (orb::anyNull(x, p, out)) {
        return cmath_errNullArgument;
    }
    const double m = x->matrix.e11;
    if (m == 0.0) {
        return cmath_errSingular;
    }
    out->x = (p->x - x->trans.x) / m;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear1_invMapVector(const cmath_xformLinear1* x, const cmath_vect1* v,
                                                         cmath_vect1* out)
{
    if (orb::anyNull(x, v, out)) {
        return cmath_errNullArgument;
    }
    const double m = x->matrix.e11;
    if (m == 0.0) {
        return cmath_errSingular;
    }
    out->x = v->x / m;
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinear1_compareEqual(const cmath_xformLinear1* a, const cmath_xformLinear1* b,
                                                         int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    *out = (a->matrix.e11 == b->matrix.e11 && a->trans.x == b->trans.x) ? 1 : 0;
    return 0;
}

} // extern "C"
