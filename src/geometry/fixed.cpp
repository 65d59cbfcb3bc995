// Fixed-point vectors: the direction of a 32-bit 2D vector, and the cross product, length and
// unit vector of a 64-bit 3D vector with a caller-given number s of fraction bits (0..63).
// Arithmetic is two's complement on 64 bits: products keep their low 64 bits and right shifts
// are arithmetic. Wrapping steps go through uint64_t so that overflow, which the caller is
// responsible for avoiding, is at least well defined.
#include <orbmath/geometry.h>
#include <orbmath/support.h>

#include "support/null_check.hpp"

#include <cmath>
#include <cstdint>

namespace {

inline int64_t wrapMul(int64_t a, int64_t b)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}

inline int64_t wrapSub(int64_t a, int64_t b)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

inline int64_t wrapAdd(int64_t a, int64_t b)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

inline int64_t wrapShl(int64_t a, int32_t s)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) << s);
}

// ((c << s) + h) / length, truncating toward zero. The one quotient that does not fit,
// INT64_MIN / -1, saturates instead of trapping.
inline int64_t unitComponent(int64_t c, int64_t h, int64_t length, int32_t s)
{
    const int64_t num = wrapAdd(wrapShl(c, s), h);
    if (num == INT64_MIN && length == -1) {
        return INT64_MAX;
    }
    return num / length;
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_vectFixed31_4_getAngle(const cmath_vectFixed31_4* v, cmath_radian* out)
{
    if (orb::anyNull(v, out)) {
        return cmath_errNullArgument;
    }
    out->value = std::atan2(static_cast<double>(v->y), static_cast<double>(v->x));
    return 0;
}

ORBMATH_API cmath_status cmath_vect3Fixed64_init(cmath_vect3Fixed64* target, int64_t x, int64_t y, int64_t z)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->x = x;
    target->y = y;
    target->z = z;
    return 0;
}

ORBMATH_API cmath_status cmath_vect3Fixed64_initClear(cmath_vect3Fixed64* target)
{
    return cmath_vect3Fixed64_init(target, 0, 0, 0);
}

ORBMATH_API cmath_status cmath_vect3Fixed64_cross(const cmath_vect3Fixed64* a, const cmath_vect3Fixed64* b, int32_t s,
                                                  cmath_vect3Fixed64* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    // Each product is brought back to s fraction bits before the subtraction.
    const int64_t x = wrapSub(wrapMul(a->y, b->z) >> s, wrapMul(a->z, b->y) >> s);
    const int64_t y = wrapSub(wrapMul(a->z, b->x) >> s, wrapMul(a->x, b->z) >> s);
    const int64_t z = wrapSub(wrapMul(a->x, b->y) >> s, wrapMul(a->y, b->x) >> s);
    return cmath_vect3Fixed64_init(out, x, y, z);
}

ORBMATH_API cmath_status cmath_vect3Fixed64_getLength(const cmath_vect3Fixed64* v, int32_t s, uint64_t* out)
{
    if (orb::anyNull(v, out)) {
        return cmath_errNullArgument;
    }
    // The sum of squares has s fraction bits; shifted to 2s, its integer square root has s.
    const int64_t q = wrapAdd(wrapAdd(wrapMul(v->x, v->x) >> s, wrapMul(v->y, v->y) >> s), wrapMul(v->z, v->z) >> s);
    const uint64_t root = cmath_sqrt64(static_cast<uint64_t>(q) << s);
    *out = static_cast<uint64_t>(static_cast<uint32_t>(root));
    return 0;
}

ORBMATH_API cmath_status cmath_vect3Fixed64_getUnitFromLength(const cmath_vect3Fixed64* v, int64_t length, int32_t s,
                                                              cmath_vect3Fixed64* out)
{
    if (orb::anyNull(v, out)) {
        return cmath_errNullArgument;
    }
    if (length == 0) {
        return cmath_errDivideByZero;
    }
    const int64_t h = length >> 1; // rounds the quotient to nearest for positive components
    const int64_t x = unitComponent(v->x, h, length, s);
    const int64_t y = unitComponent(v->y, h, length, s);
    const int64_t z = unitComponent(v->z, h, length, s);
    return cmath_vect3Fixed64_init(out, x, y, z);
}

} // extern "C"
