// Private to the library: the affine mapping matrix * p + trans as an inline function, so that
// the transform object model maps points without a chain of exported calls. The arithmetic is
// that of cmath_xformLinear_mapPoint (the product first, each row summed left to right, then
// the translation added).
#ifndef ORBMATH_SRC_GEOMETRY_LINEAR_MAP_HPP
#define ORBMATH_SRC_GEOMETRY_LINEAR_MAP_HPP

#include <orbmath/geometry.h>

namespace orb {

// *out = x.matrix * in + x.trans; in and out may be the same object.
inline void mapLinear(const cmath_xformLinear& x, const cmath_vect* in, cmath_vect* out)
{
    const cmath_matrix& m = x.matrix;
    const double px = in->x;
    const double py = in->y;
    const double qx = m.e11 * px + m.e12 * py;
    const double qy = m.e21 * px + m.e22 * py;
    out->x = qx + x.trans.x;
    out->y = qy + x.trans.y;
}

} // namespace orb

#endif
