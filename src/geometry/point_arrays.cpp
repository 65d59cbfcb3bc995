// Arrays of points, vectors and values through the value types: each function is the
// single-element mapping of its name without the trailing s, applied to n elements at once by a
// kernel of point_kernels.hpp that repeats that mapping's arithmetic. Whatever can fail (the
// arguments, a singular matrix) is decided before the first element is written.
#include <orbmath/geometry.h>

#include "geometry/point_kernels.hpp"

namespace {

static_assert(sizeof(cmath_vect) == 2 * sizeof(double), "points are two packed doubles");

using orb::pts::checkArrays;

// The checks, then kernel over the n elements; make(&kernel) builds the kernel and may fail.
template <class K, class Make>
cmath_status mapPoints(const void* x, const cmath_vect* in, cmath_vect* out, int32_t n, Make make)
{
    cmath_status st = checkArrays(x, in, out, n);
    if (st < 0 || n == 0) {
        return st;
    }
    K kernel{};
    st = make(&kernel);
    if (st < 0) {
        return st;
    }
    orb::pts::mapArray(kernel, reinterpret_cast<const double*>(in), reinterpret_cast<double*>(out),
                       static_cast<std::size_t>(n));
    return 0;
}

orb::pts::Linear linearOf(const cmath_matrix& m)
{
    return {m.e11, m.e12, m.e21, m.e22};
}

orb::pts::Affine<double> affineOf(const cmath_xformLinear& x)
{
    return {x.matrix.e11, x.matrix.e12, x.matrix.e21, x.matrix.e22, x.trans.x, x.trans.y};
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_matrix_mapPoints(const cmath_matrix* a, const cmath_vect* in, cmath_vect* out,
                                                int32_t n)
{
    return mapPoints<orb::pts::Linear>(a, in, out, n, [&](orb::pts::Linear* k) {
        *k = linearOf(*a);
        return 0;
    });
}

ORBMATH_API cmath_status cmath_matrix_invMapPoints(const cmath_matrix* a, const cmath_vect* in, cmath_vect* out,
                                                   int32_t n)
{
    return mapPoints<orb::pts::InverseLinear>(a, in, out, n, [&](orb::pts::InverseLinear* k) {
        double det = 0.0;
        const cmath_status st = cmath_matrix_getDeterminant(a, &det);
        if (st < 0) {
            return st;
        }
        if (det == 0.0) {
            return cmath_errSingular;
        }
        const double r = 1.0 / det;
        *k = {a->e22 * r, a->e12 * r, a->e11 * r, a->e21 * r};
        return 0;
    });
}

ORBMATH_API cmath_status cmath_xformLinear_mapPoints(const cmath_xformLinear* x, const cmath_vect* in,
                                                     cmath_vect* out, int32_t n)
{
    return mapPoints<orb::pts::Affine<double>>(x, in, out, n, [&](orb::pts::Affine<double>* k) {
        *k = affineOf(*x);
        return 0;
    });
}

ORBMATH_API cmath_status cmath_xformLinear_invMapPoints(const cmath_xformLinear* x, const cmath_vect* in,
                                                        cmath_vect* out, int32_t n)
{
    return mapPoints<orb::pts::Affine<double>>(x, in, out, n, [&](orb::pts::Affine<double>* k) {
        cmath_xformLinear inverse;
        const cmath_status st = cmath_xformLinear_getInverse(x, &inverse);
        if (st >= 0) {
            *k = affineOf(inverse);
        }
        return st;
    });
}

ORBMATH_API cmath_status cmath_xformLinear_mapVectors(const cmath_xformLinear* x, const cmath_vect* in,
                                                      cmath_vect* out, int32_t n)
{
    return mapPoints<orb::pts::Linear>(x, in, out, n, [&](orb::pts::Linear* k) {
        *k = linearOf(x->matrix);
        return 0;
    });
}

ORBMATH_API cmath_status cmath_xformLinear_invMapVectors(const cmath_xformLinear* x, const cmath_vect* in,
                                                         cmath_vect* out, int32_t n)
{
    return mapPoints<orb::pts::Linear>(x, in, out, n, [&](orb::pts::Linear* k) {
        cmath_matrix inverse;
        const cmath_status st = cmath_matrix_initInverse(&inverse, &x->matrix);
        if (st >= 0) {
            *k = linearOf(inverse);
        }
        return st;
    });
}

ORBMATH_API cmath_status cmath_xformRigid_mapPoints(const cmath_xformRigid* x, const cmath_vect* in, cmath_vect* out,
                                                    int32_t n)
{
    return mapPoints<orb::pts::Rigid>(x, in, out, n, [&](orb::pts::Rigid* k) {
        *k = {x->cosine, x->sine, x->trans.x, x->trans.y};
        return 0;
    });
}

ORBMATH_API cmath_status cmath_xformLinear1_mapValues(const cmath_xformLinear1* x, const double* in, double* out,
                                                      int32_t n)
{
    const cmath_status st = checkArrays(x, in, out, n);
    if (st < 0 || n == 0) {
        return st;
    }
    orb::pts::mapArray(orb::pts::Affine1{x->matrix.e11, x->trans.x}, in, out, static_cast<std::size_t>(n));
    return 0;
}

} // extern "C"
