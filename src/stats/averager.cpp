// Weighted averagers of 2x2 matrices and of linear transforms.
//
// Element mode sums w*M element by element. Scale-aspect mode decomposes each matrix into
//   M = R(theta) * diag(s, s*a) * H(k)
// and averages each parameter in the way that suits it: the scale and |aspect| as weighted
// geometric means (running products of pow(x, w)), the shear as a weighted arithmetic mean,
// the rotation as a circular mean (the direction of the weighted sum of unit vectors), the
// sign of the aspect by a weighted vote that must be unanimous. The average is then rebuilt
// with cmath_matrix_initScaleAspect. The translation of a transform is averaged element-wise.
#include <orbmath/geometry.h>
#include <orbmath/stats.h>
#include <orbmath/support.h>
#include <orbmath/vect.h>

#include "support/null_check.hpp"

#include <cmath>

namespace {

constexpr double kAspectSignTolerance = 1e-06;

void setInitial(cmath_matrixAverager* a, int32_t mode)
{
    a->mode = mode;
    a->count = 0;
    a->totalWeight = 0.0;
    a->shearSum = 0.0;
    a->rotationSum = cmath_vect{0.0, 0.0};
    a->scaleProduct = 1.0;
    a->aspectProduct = 1.0;
    a->aspectSignSum = 0.0;
    a->elementSum = cmath_matrix{0.0, 0.0, 0.0, 0.0};
}

} // namespace

extern "C" {

// ---- cmath_matrixAverager ------------------------------------------------------------------

ORBMATH_API cmath_status cmath_matrixAverager_constructElement(cmath_matrixAverager* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    setInitial(target, cmath_matrixAverager_modeElement);
    return 0;
}

ORBMATH_API cmath_status cmath_matrixAverager_constructScaleAspect(cmath_matrixAverager* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    setInitial(target, cmath_matrixAverager_modeScaleAspect);
    return 0;
}

ORBMATH_API cmath_status cmath_matrixAverager_constructCopy(cmath_matrixAverager* target,
                                                            const cmath_matrixAverager* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    const cmath_matrixAverager copy = *source; // source may be target
    setInitial(target, cmath_matrixAverager_modeElement);
    *target = copy;
    return 0;
}

ORBMATH_API cmath_status cmath_matrixAverager_assign(cmath_matrixAverager* target, const cmath_matrixAverager* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    if (target != source) {
        *target = *source;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_matrixAverager_destruct(cmath_matrixAverager* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_matrixAverager_add(cmath_matrixAverager* averager, const cmath_matrix* m)
{
    return cmath_matrixAverager_addWeighted(averager, m, 1.0);
}

ORBMATH_API cmath_status cmath_matrixAverager_addWeighted(cmath_matrixAverager* averager, const cmath_matrix* m,
                                                          double weight)
{
    if (orb::anyNull(averager, m)) {
        return cmath_errNullArgument;
    }
    const double w = weight;
    if (averager->mode == cmath_matrixAverager_modeScaleAspect) {
        // Decompose first: a matrix the getters refuse (a singular one) changes nothing.
        double s = 0.0;
        double a = 0.0;
        cmath_radian k{0.0};
        cmath_radian theta{0.0};
        cmath_status st = cmath_matrix_getScale(m, &s);
        if (st >= 0) {
            st = cmath_matrix_getAspect(m, &a);
        }
        if (st >= 0) {
            st = cmath_matrix_getShear(m, &k);
        }
        if (st >= 0) {
            st = cmath_matrix_getRotation(m, &theta);
        }
        if (st < 0) {
            return st;
        }
        averager->scaleProduct = std::pow(s, w) * averager->scaleProduct;
        averager->aspectProduct = std::pow(std::fabs(a), w) * averager->aspectProduct;
        averager->aspectSignSum = a >= 0.0 ? averager->aspectSignSum + w : averager->aspectSignSum - w;
        averager->shearSum = k.value * w + averager->shearSum;
        cmath_vect v{0.0, 0.0};
        cmath_vect_initLengthAngle(&v, w, &theta);
        cmath_vect_initAdd(&averager->rotationSum, &averager->rotationSum, &v);
    } else {
        cmath_matrix& e = averager->elementSum;
        e.e11 = w * m->e11 + e.e11;
        e.e12 = w * m->e12 + e.e12;
        e.e21 = w * m->e21 + e.e21;
        e.e22 = w * m->e22 + e.e22;
    }
    averager->totalWeight = w + averager->totalWeight;
    averager->count = averager->count + 1;
    return 0;
}

ORBMATH_API cmath_status cmath_matrixAverager_getAverage(const cmath_matrixAverager* averager, cmath_matrix* out,
                                                         int32_t* isValid)
{
    if (orb::anyNull(averager, out)) {
        return cmath_errNullArgument;
    }
    if (averager->count == 0 || averager->totalWeight == 0.0) {
        return cmath_errSingular;
    }
    const double r = 1.0 / averager->totalWeight;
    bool invalid = false;
    cmath_matrix avg{0.0, 0.0, 0.0, 0.0};
    cmath_status st = 0;
    if (averager->mode == cmath_matrixAverager_modeScaleAspect) {
        const double scale = std::pow(averager->scaleProduct, r);
        const cmath_radian shear{r * averager->shearSum};
        cmath_radian rotation{0.0};
        if (averager->rotationSum.x == 0.0 && averager->rotationSum.y == 0.0) {
            invalid = true; // the rotations cancel: no mean direction
        } else if ((st = cmath_vect_getDirection(&averager->rotationSum, &rotation)) < 0) {
            return st;
        }
        double aspect = 1.0;
        if (!cmath_double_epsilonEqual(std::fabs(averager->aspectSignSum), averager->totalWeight,
                                       kAspectSignTolerance)) {
            invalid = true; // reflected and unreflected matrices were mixed
        } else {
            aspect = std::pow(averager->aspectProduct, r);
            if (averager->aspectSignSum < 0.0) {
                aspect = -aspect;
            }
        }
        if ((st = cmath_matrix_initScaleAspect(&avg, scale, aspect, &shear, &rotation)) < 0) {
            return st;
        }
    } else {
        const cmath_matrix& e = averager->elementSum;
        avg = cmath_matrix{r * e.e11, r * e.e12, r * e.e21, r * e.e22};
    }
    if (!invalid) {
        int32_t singular = 0;
        if ((st = cmath_matrix_getIsSingular(&avg, &singular)) < 0) {
            return st;
        }
        invalid = singular != 0;
    }
    *out = avg;
    if (isValid != nullptr) {
        *isValid = invalid ? 0 : 1;
    }
    return 0;
}

// ---- cmath_xformLinearAverager -------------------------------------------------------------

ORBMATH_API cmath_status cmath_xformLinearAverager_constructElement(cmath_xformLinearAverager* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->translationSum = cmath_vect{0.0, 0.0};
    return cmath_matrixAverager_constructElement(&target->base);
}

ORBMATH_API cmath_status cmath_xformLinearAverager_constructScaleAspect(cmath_xformLinearAverager* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->translationSum = cmath_vect{0.0, 0.0};
    return cmath_matrixAverager_constructScaleAspect(&target->base);
}

ORBMATH_API cmath_status cmath_xformLinearAverager_constructCopy(cmath_xformLinearAverager* target,
                                                                 const cmath_xformLinearAverager* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    const cmath_xformLinearAverager copy = *source; // source may be target
    cmath_xformLinearAverager_constructElement(target);
    return cmath_xformLinearAverager_assign(target, &copy);
}

ORBMATH_API cmath_status cmath_xformLinearAverager_assign(cmath_xformLinearAverager* target,
                                                          const cmath_xformLinearAverager* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    if (target != source) {
        *target = *source;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinearAverager_destruct(cmath_xformLinearAverager* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinearAverager_add(cmath_xformLinearAverager* averager, const cmath_xformLinear* x)
{
    if (orb::anyNull(averager, x)) {
        return cmath_errNullArgument;
    }
    const cmath_status st = cmath_matrixAverager_addWeighted(&averager->base, &x->matrix, 1.0);
    if (st < 0) {
        return st;
    }
    cmath_vect_initAdd(&averager->translationSum, &averager->translationSum, &x->trans);
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinearAverager_addWeighted(cmath_xformLinearAverager* averager,
                                                               const cmath_xformLinear* x, double weight)
{
    if (orb::anyNull(averager, x)) {
        return cmath_errNullArgument;
    }
    const cmath_status st = cmath_matrixAverager_addWeighted(&averager->base, &x->matrix, weight);
    if (st < 0) {
        return st;
    }
    cmath_vect wt{0.0, 0.0};
    cmath_vect_initMultiply(&wt, &x->trans, weight);
    cmath_vect_initAdd(&averager->translationSum, &averager->translationSum, &wt);
    return 0;
}

ORBMATH_API cmath_status cmath_xformLinearAverager_getAverage(const cmath_xformLinearAverager* averager,
                                                              cmath_xformLinear* out, int32_t* isValid)
{
    if (orb::anyNull(averager, out)) {
        return cmath_errNullArgument;
    }
    cmath_matrix m{0.0, 0.0, 0.0, 0.0};
    const cmath_status st = cmath_matrixAverager_getAverage(&averager->base, &m, isValid);
    if (st < 0) {
        return st;
    }
    const double r = 1.0 / averager->base.totalWeight;
    out->matrix = m;
    out->trans = cmath_vect{r * averager->translationSum.x, r * averager->translationSum.y};
    return 0;
}

} // extern "C"
