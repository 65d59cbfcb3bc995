// Angle classes: the conversions between units (with the rounding rule into binary angles), the
// normalisations and the wrap-aware tolerance test. The arithmetic operators are inline in the
// header; everything here that rounds lives in the library so that callers' compiler settings
// cannot change a result.
#include <orbmath/angle.h>
#include <orbmath/support.h>

#include <cmath>

namespace {

constexpr double kDegreePeriod = 360.0;
constexpr double kRadianPeriod = 6.283185307179586; // the double nearest 2 pi

// Rounding rule R: floor(v * K + 0.5) as a signed 64-bit integer, then its low bits as a signed
// 32-bit integer; a value outside the 32-bit range (or a NaN) gives count 0. Halves round towards
// +infinity, and negative angles wrap to the top of the range (-1 degree gives 65354).
uint32_t roundToCount(double v, double k)
{
    const double x = v * k + 0.5;
    // The negated test also catches NaN. floor(x) lies in the 32-bit range exactly when x does.
    if (!(x >= -2147483648.0 && x < 2147483648.0)) {
        return 0u;
    }
    const auto m = static_cast<int64_t>(std::floor(x));
    return static_cast<uint32_t>(static_cast<int32_t>(m));
}

// Steps 1 and 2 of the normalisation: the remainder with the sign of v, lifted into [0, P]
// (exactly P for a negative remainder smaller than half an ulp of P).
double normalise(double v, double period)
{
    double r = cf_fmod64MSVC8Workaround(v, period);
    if (r < 0.0) {
        r = r + period;
    }
    return r;
}

// Step 3: the upper half moves down one period; the test holds at r = P/2 exactly.
double signedNormalise(double v, double period)
{
    double r = normalise(v, period);
    if (r >= period - r) {
        r = r - period;
    }
    return r;
}

} // namespace

extern "C" {

ORBMATH_API cmath_degree cmath_degree_norm(const cmath_degree* angle)
{
    return cmath_degree{normalise(angle->value, kDegreePeriod)};
}

ORBMATH_API cmath_degree cmath_degree_signedNorm(const cmath_degree* angle)
{
    return cmath_degree{signedNormalise(angle->value, kDegreePeriod)};
}

ORBMATH_API cmath_radian cmath_radian_norm(const cmath_radian* angle)
{
    return cmath_radian{normalise(angle->value, kRadianPeriod)};
}

ORBMATH_API cmath_radian cmath_radian_signedNorm(const cmath_radian* angle)
{
    return cmath_radian{signedNormalise(angle->value, kRadianPeriod)};
}

ORBMATH_API int32_t cmath_radian_epsilonEqual(const cmath_radian* a, const cmath_radian* b,
                                              const double* tolerance)
{
    const double d = signedNormalise(a->value - b->value, kRadianPeriod);
    return cmath_double_epsilonEqual(d, 0.0, *tolerance);
}

} // extern "C"

// ---- conversions into binary angles

cxAngle16::cxAngle16(cxAngle8 a) : value(static_cast<unsigned short>(a.value << 8)) {}

cxAngle16::cxAngle16(cxDegree d)
    : value(static_cast<unsigned short>(roundToCount(d.value, 182.04444444444445)))
{
}

cxAngle16::cxAngle16(cxRadian r)
    : value(static_cast<unsigned short>(roundToCount(r.value, 10430.378350470453)))
{
}

cxAngle8::cxAngle8(cxAngle16 a) : value(static_cast<unsigned char>((static_cast<uint32_t>(a.value) + 128u) >> 8))
{
}

cxAngle8::cxAngle8(cxDegree d) : value(static_cast<unsigned char>(roundToCount(d.value, 0.7111111111111111))) {}

cxAngle8::cxAngle8(cxRadian r) : value(static_cast<unsigned char>(roundToCount(r.value, 40.74366543152521))) {}

// ---- conversions into degrees and radians (binary angles give values in [0, P))

cxDegree::cxDegree(cxAngle16 a) : value(a.value * 0.0054931640625) {}

cxDegree::cxDegree(cxAngle8 a) : value(a.value * 1.40625) {}

cxDegree::cxDegree(cxRadian r) : value(r.value * 57.29577951308232) {}

cxRadian::cxRadian(cxAngle16 a) : value(a.value * 9.587379924285257e-05) {}

cxRadian::cxRadian(cxAngle8 a) : value(a.value * 0.02454369260617026) {}

cxRadian::cxRadian(cxDegree d) : value(d.value * 0.017453292519943295) {}

// ---- normalisation and comparison

cxDegree cxDegree::norm() const { return cxDegree(normalise(value, kDegreePeriod)); }

cxDegree cxDegree::signedNorm() const { return cxDegree(signedNormalise(value, kDegreePeriod)); }

cxRadian cxRadian::norm() const { return cxRadian(normalise(value, kRadianPeriod)); }

cxRadian cxRadian::signedNorm() const { return cxRadian(signedNormalise(value, kRadianPeriod)); }

ORBMATH_API bool cxfRealEq(cxRadian a, cxRadian b, cxRadian tolerance)
{
    const double d = signedNormalise(a.value - b.value, kRadianPeriod);
    return tolerance.value >= std::fabs(d);
}
