// Rigid 2D transforms (cmath_xformRigid): rotation counter-clockwise by an angle, then a
// translation. The sine and cosine of the angle travel with it, refreshed from the angle by
// every operation that sets it, so that mapping a point needs no trigonometry. Angles are
// never reduced: composing adds them as they are.
#include <orbmath/geometry.h>

#include "support/null_check.hpp"

#include <cmath>

namespace {

// Stores the angle, then its cosine, then its sine, keeping the invariant in one place.
inline void setAngleOf(cmath_xformRigid* target, double angle)
{
    target->angle = angle;
    target->cosine = std::cos(angle);
    target->sine = std::sin(angle);
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_xformRigid_initIdentity(cmath_xformRigid* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->trans = cmath_vect{0.0, 0.0};
    target->angle = 0.0;
    target->sine = 0.0;
    target->cosine = 1.0;
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_initAngleTransElements(cmath_xformRigid* target, const cmath_radian* angle,
                                                                 double tx, double ty)
{
    if (orb::anyNull(target, angle)) {
        return cmath_errNullArgument;
    }
    setAngleOf(target, angle->value);
    target->trans = cmath_vect{tx, ty};
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_initAngleTrans(cmath_xformRigid* target, const cmath_radian* angle,
                                                         const cmath_vect* trans)
{
    if (orb::anyNull(target, angle, trans)) {
        return cmath_errNullArgument;
    }
    const cmath_vect t = *trans;
    return cmath_xformRigid_initAngleTransElements(target, angle, t.x, t.y);
}

ORBMATH_API cmath_status cmath_xformRigid_setAngle(cmath_xformRigid* target, const cmath_radian* angle)
{
    if (orb::anyNull(target, angle)) {
        return cmath_errNullArgument;
    }
    setAngleOf(target, angle->value);
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_initCompose(cmath_xformRigid* target, const cmath_xformRigid* a,
                                                      const cmath_xformRigid* b)
{
    if (orb::anyNull(target, a, b)) {
        return cmath_errNullArgument;
    }
    const double angle = a->angle + b->angle;
    const double tx = (b->trans.x * a->cosine - b->trans.y * a->sine) + a->trans.x;
    const double ty = (a->sine * b->trans.x + b->trans.y * a->cosine) + a->trans.y;
    // The sum's sine and cosine come from the summed angle, not from the operands' products.
    setAngleOf(target, angle);
    target->trans = cmath_vect{tx, ty};
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_getInverse(const cmath_xformRigid* x, cmath_xformRigid* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    const double angle = -x->angle;
    const double tx = -(x->trans.x * x->cosine) - x->trans.y * x->sine;
    const double ty = x->sine * x->trans.x - x->trans.y * x->cosine;
    setAngleOf(out, angle);
    out->trans = cmath_vect{tx, ty};
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_getAngle(const cmath_xformRigid* x, cmath_radian* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    out->value = x->angle;
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_getSine(const cmath_xformRigid* x, double* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    *out = x->sine;
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_getCosine(const cmath_xformRigid* x, double* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    *out = x->cosine;
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_getXformLinear(const cmath_xformRigid* x, cmath_xformLinear* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    // The matrix is computed afresh from the angle (the x and y axes turned alike, unit scales).
    const cmath_radian angle{x->angle};
    const cmath_vect t = x->trans;
    cmath_matrix m;
    const cmath_status st = cmath_matrix_initRotationScale(&m, &angle, &angle, 1.0, 1.0);
    if (st < 0) {
        return st;
    }
    out->matrix = m;
    out->trans = t;
    return 0;
}

ORBMATH_API cmath_status cmath_xformRigid_mapPoint(const cmath_xformRigid* x, const cmath_vect* p, cmath_vect* out)
{
    if (orb::anyNull(x, p, out)) {
        return cmath_errNullArgument;
    }
    const double px = p->x;
    const double py = p->y;
    return cmath_vect_init(out, (px * x->cosine - py * x->sine) + x->trans.x,
                           (py * x->cosine + px * x->sine) + x->trans.y);
}

} // extern "C"
