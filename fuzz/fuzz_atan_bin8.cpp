// cfAtanBin8 with any pair of 32-bit integers (the index is formed without overflow for any
// int), and the binary-angle table functions with any count and fraction-bit count: no
// undefined behaviour, and inside the contract (|x|, |y| below 2^23) the angle is within two
// steps of the exact direction.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const auto y = in.raw<int32_t>();
    const auto x = in.raw<int32_t>();
    const uint8_t a = cfAtanBin8(y, x);
    if (x == 0 && y == 0) {
        FUZZ_CHECK(a == 0);
    } else if (x > -(1 << 23) && x < (1 << 23) && y > -(1 << 23) && y < (1 << 23)) {
        const double exact = std::atan2(static_cast<double>(y), static_cast<double>(x)) * 128.0 / 3.141592653589793;
        double d = std::fmod(static_cast<double>(a) - exact, 256.0);
        if (d > 128.0) {
            d -= 256.0;
        }
        if (d < -128.0) {
            d += 256.0;
        }
        FUZZ_CHECK(std::fabs(d) <= 2.0);
    }

    const auto a16 = in.raw<uint16_t>();
    const auto a8 = static_cast<uint8_t>(a16 >> 8);
    const auto bits = in.raw<int32_t>();
    const double s = cmath_sin16(&a16), c = cmath_cos16(&a16);
    FUZZ_CHECK(s >= -1.0 && s <= 1.0 && c >= -1.0 && c <= 1.0);
    FUZZ_CHECK(cmath_sin8(&a8) == cmath_sin16(&a16) || (a16 & 0xff) != 0);
    if (bits >= 0) { // below 0 is out of contract
        const int32_t fs = cmath_sin16FixedPoint(&a16, bits), fc = cmath_cos8FixedPoint(&a8, bits);
        FUZZ_CHECK(fs >= -(1 << 30) && fs <= (1 << 30) && fc >= -(1 << 30) && fc <= (1 << 30));
    }
    csFVec v;
    FUZZ_CHECK(csFVecBin(a16, &v) == &v && csFVecBin8(a8, &v) == &v);
    FUZZ_CHECK(cfSinBin(a16) <= 1.0f && cfCosBin(a16) >= -1.0f && cfSinBin8(a8) == cfSinBin(static_cast<uint16_t>(a8 << 8)));
    (void)cmath_sin16F(&a16), (void)cmath_cos8F(&a8);
    return 0;
}
