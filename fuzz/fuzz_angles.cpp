// Angle conversions, normalisation and arc containment with any doubles (NaN, infinities,
// huge values): normalised angles land in their documented intervals, binary-angle conversions
// of values out of range give their defined counts, containment loops end with 0 or 1, and the
// clamped inverse trigonometry stays in its range.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

namespace {

constexpr double kP = 6.283185307179586;

void checkNorms(double v)
{
    const cmath_degree d = {v};
    const cmath_radian r = {v};
    const double n = cmath_degree_norm(&d).value, s = cmath_degree_signedNorm(&d).value;
    const double rn = cmath_radian_norm(&r).value, rs = cmath_radian_signedNorm(&r).value;
    if (std::isfinite(v)) {
        FUZZ_CHECK(n >= 0.0 && n <= 360.0);
        FUZZ_CHECK(s >= -180.0 && s < 180.0);
        FUZZ_CHECK(rn >= 0.0 && rn <= kP);
        FUZZ_CHECK(rs >= -kP / 2 && rs < kP / 2);
        FUZZ_CHECK(cxDegree(v).norm().value == n && cxRadian(v).signedNorm().value == rs);
    }
    // Conversions to binary angles are defined for every double (0 when out of range or NaN).
    const cxAngle16 a16 = cxAngle16(cxDegree(v));
    const cxAngle16 b16 = cxAngle16(cxRadian(v));
    const cxAngle8 a8 = cxAngle8(cxDegree(v));
    const cxAngle8 b8 = cxAngle8(cxRadian(v));
    if (!std::isfinite(v)) {
        FUZZ_CHECK(a16.value == 0 && b16.value == 0 && a8.value == 0 && b8.value == 0);
    }
    // Back to degrees and radians: inside one turn.
    const double back = cxDegree(a16).value + cxDegree(a8).value + cxRadian(b16).value + cxRadian(b8).value;
    FUZZ_CHECK(back >= 0.0 && back < 720.0 + 2 * kP);
    const cmath_radian ac = cmath_acosSafe(v), as = cmath_asinSafe(v);
    FUZZ_CHECK(ac.value >= 0.0 && ac.value <= 3.1415926535897936);
    FUZZ_CHECK(as.value >= -1.5707963267948968 && as.value <= 1.5707963267948968);
}

int32_t kindFrom(uint8_t b) { return static_cast<int32_t>(b % 4 == 3 ? 0 : b % 4); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const double v = in.real();
    checkNorms(v);
    const cmath_radian a = {in.real()}, b = {in.real()};
    const double tol = in.real();
    const int32_t eq = cmath_radian_epsilonEqual(&a, &b, &tol);
    FUZZ_CHECK(eq == 0 || eq == 1);
    const bool real = cxfRealEq(cxRadian(a.value), cxRadian(b.value), cxRadian(tol));
    (void)real;

    cmath_angleRange r1, r2;
    const cmath_radian s1 = {in.real()}, e1 = {in.real()}, s2 = {in.real()}, e2 = {in.real()};
    FUZZ_CHECK(cmath_angleRange_init(&r1, &s1, &e1) == 0);
    FUZZ_CHECK(cmath_angleRange_init(&r2, &s2, &e2) == 0);
    r1.kind = kindFrom(in.byte()); // the kinds with any bounds, as a caller may store them
    r2.kind = kindFrom(in.byte());
    int32_t out = 7;
    const cmath_radian value = {in.real()};
    FUZZ_CHECK(cmath_angleRange_isValueWithin(&value, &r1, &out) == 0 && (out == 0 || out == 1));
    if (r1.kind == cmath_rangeKind_bounded &&
        (!std::isfinite(value.value) || !std::isfinite(r1.start) || !std::isfinite(r1.end))) {
        FUZZ_CHECK(out == 0);
    }
    out = 7;
    FUZZ_CHECK(cmath_angleRange_isWithin(&r1, &r2, &out) == 0 && (out == 0 || out == 1));
    out = 7;
    FUZZ_CHECK(cmath_angleRange_isOverlap(&r1, &r2, &out) == 0 && (out == 0 || out == 1));
    cmath_radian mid;
    FUZZ_CHECK(cmath_angleRange_getMiddle(&r1, &mid) == 0);

    // Numeric ranges with the same values.
    cmath_range n1 = {9, 9.0, 9.0}, n2;
    const cmath_status si = cmath_range_init(&n1, s1.value, e1.value);
    FUZZ_CHECK(si == 0 || (si == cmath_errBadRange && n1.kind == 9));
    if (si == 0) {
        const double scale = in.real();
        n2 = {9, 9.0, 9.0};
        const cmath_status ss = cmath_range_initScale(&n2, scale, &n1);
        FUZZ_CHECK(ss == 0 || (ss == cmath_errBadScale && n2.kind == 9));
        FUZZ_CHECK(cmath_range_isValueWithin(value.value, &n1, &out) == 0 && (out == 0 || out == 1));
        const cmath_xformLinear1 xf = {{in.real()}, {in.real()}};
        cmath_range mapped = {9, 9.0, 9.0};
        const cmath_status sm = cmath_range_map(&n1, &xf, &mapped);
        (void)sm;
    }
    return 0;
}
