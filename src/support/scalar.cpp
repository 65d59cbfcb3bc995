// Scalar helpers shared by every family.
#include <orbmath/support.h>

#include <cmath>

extern "C" {

ORBMATH_API int32_t cmath_double_epsilonEqual(double a, double b, double epsilon)
{
    // a == b first so that equal infinities compare equal.
    return (a == b || std::fabs(a - b) <= epsilon) ? 1 : 0;
}

ORBMATH_API double cmath_double_sqr(double v) { return v * v; }

ORBMATH_API double cmath_double_min(double a, double b) { return a < b ? a : b; }

ORBMATH_API double cmath_double_max(double a, double b) { return a > b ? a : b; }

ORBMATH_API uint64_t cmath_sqrt64(uint64_t v)
{
    if (v < 2) {
        return v;
    }
    // Start from the double estimate and correct it by at most a few steps either way.
    uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
    if (r > 0xFFFFFFFFull) {
        r = 0xFFFFFFFFull;
    }
    while (r * r > v) {
        --r;
    }
    while (r < 0xFFFFFFFFull && (r + 1) * (r + 1) <= v) {
        ++r;
    }
    return r;
}

ORBMATH_API double cf_fmod64MSVC8Workaround(double x, double y) { return std::fmod(x, y); }

} // extern "C"
