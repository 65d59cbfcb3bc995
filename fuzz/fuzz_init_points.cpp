// The least-squares fit of an affine transform to point pairs with any count and any doubles
// (NaN, infinities, huge and tiny values): it either fails with cmath_errFailed and leaves the
// target as it was, or succeeds with matrix elements below 1e15 in magnitude.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const auto n = static_cast<int32_t>(in.range(-2, 64));
    std::vector<cmath_vect> src(n > 0 ? static_cast<size_t>(n) : 1u), dst(src.size());
    for (size_t i = 0; i < src.size(); ++i) {
        src[i] = {in.real(), in.real()};
        dst[i] = {in.real(), in.real()};
    }
    cmath_xformLinear target = {{-7.0, -7.0}, {-7.0, -7.0, -7.0, -7.0}};
    const cmath_xformLinear sentinel = target;
    const cmath_status st = cmath_xformLinear_initPoints(&target, dst.data(), src.data(), n);
    if (st < 0) {
        FUZZ_CHECK(st == cmath_errFailed);
        FUZZ_CHECK(std::memcmp(&target, &sentinel, sizeof target) == 0);
        return 0;
    }
    FUZZ_CHECK(st == 0 && n >= 3);
    const double e[] = {target.matrix.e11, target.matrix.e12, target.matrix.e21, target.matrix.e22};
    for (double v : e) {
        FUZZ_CHECK(std::fabs(v) <= 1e15);
    }
    // The fit maps through the other operations of the type without trouble.
    cmath_vect q;
    FUZZ_CHECK(cmath_xformLinear_mapPoint(&target, &src[0], &q) == 0);
    cmath_xformLinear inv;
    const cmath_status si = cmath_xformLinear_getInverse(&target, &inv);
    FUZZ_CHECK(si == 0 || si == cmath_errSingular);
    return 0;
}
