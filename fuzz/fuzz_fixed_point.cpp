// Fixed-point vectors with any components and any fraction-bit count the interface allows
// (0..63): products and sums wrap on 64 bits without undefined behaviour, the one
// unrepresentable quotient saturates, a zero length is refused with nothing written.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const auto s = static_cast<int32_t>(in.byte() % 64);
    cmath_vect3Fixed64 a, b;
    FUZZ_CHECK(cmath_vect3Fixed64_init(&a, in.raw<int64_t>(), in.raw<int64_t>(), in.raw<int64_t>()) == 0);
    FUZZ_CHECK(cmath_vect3Fixed64_init(&b, in.raw<int64_t>(), in.raw<int64_t>(), in.raw<int64_t>()) == 0);
    const int64_t length = in.raw<int64_t>();

    cmath_vect3Fixed64 c;
    FUZZ_CHECK(cmath_vect3Fixed64_cross(&a, &b, s, &c) == 0);
    uint64_t len = 0;
    FUZZ_CHECK(cmath_vect3Fixed64_getLength(&a, s, &len) == 0);
    FUZZ_CHECK(len <= UINT32_MAX); // the length is written as a 32-bit magnitude

    cmath_vect3Fixed64 u = {111, 222, 333};
    const cmath_status st = cmath_vect3Fixed64_getUnitFromLength(&a, length, s, &u);
    if (length == 0) {
        FUZZ_CHECK(st == cmath_errDivideByZero);
        FUZZ_CHECK(u.x == 111 && u.y == 222 && u.z == 333);
    } else {
        FUZZ_CHECK(st == 0);
    }
    if (len != 0) {
        FUZZ_CHECK(cmath_vect3Fixed64_getUnitFromLength(&a, static_cast<int64_t>(len), s, &u) == 0);
    }

    cmath_vectFixed31_4 v = {in.raw<int32_t>(), in.raw<int32_t>()};
    cmath_radian angle = {0.0};
    FUZZ_CHECK(cmath_vectFixed31_4_getAngle(&v, &angle) == 0);
    FUZZ_CHECK(angle.value >= -3.1415926535897936 && angle.value <= 3.1415926535897936);
    return 0;
}
