/** @file
 * orbmath angles: the degree and radian records of the flat interface and their normalisation,
 * the binary-angle trigonometry (table lookups, no run-time library calls), and the C++ angle
 * classes cxAngle8, cxAngle16, cxDegree, cxRadian with cxfRealEq.
 *
 * Binary angles count a full turn in 256 (8-bit) or 65536 (16-bit) unsigned steps, counter-clockwise
 * like radians, and wrap modulo one turn. norm reduces an angle to [0, P), signedNorm to [-P/2, P/2),
 * with P = 360 for degrees and P = 6.283185307179586 (the double nearest 2 pi) for radians.
 * None of these functions fails; they return their result directly, and a pointer they take must
 * not be null (a precondition, not checked). */
#ifndef ORBMATH_ANGLE_H
#define ORBMATH_ANGLE_H

#include "common.h"
#include "legacy.h"
#include "vect.h"

ORBMATH_C_BEGIN

/* ---- normalisation --------------------------------------------------------------------- */

/** The angle reduced to [0, 360): r = fmod(v, 360), plus 360 when r < 0 (so a tiny negative
 * angle gives exactly 360). */
ORBMATH_API cmath_degree cmath_degree_norm(const cmath_degree* angle);
/** The angle reduced to [-180, 180): norm, then minus 360 when r >= 360 - r (180 gives -180). */
ORBMATH_API cmath_degree cmath_degree_signedNorm(const cmath_degree* angle);
/** The angle reduced to [0, P), P = 6.283185307179586, as cmath_degree_norm. */
ORBMATH_API cmath_radian cmath_radian_norm(const cmath_radian* angle);
/** The angle reduced to [-P/2, P/2), as cmath_degree_signedNorm (pi gives -pi). */
ORBMATH_API cmath_radian cmath_radian_signedNorm(const cmath_radian* angle);
/** cmath_double_epsilonEqual(d, 0.0, *tolerance) of the wrapped difference d = signedNorm(a - b):
 * 0.01 and 2 pi - 0.01 differ by 0.02, not by 6.26. */
ORBMATH_API int32_t cmath_radian_epsilonEqual(const cmath_radian* a, const cmath_radian* b,
                                              const double* tolerance);

/* ---- binary-angle trigonometry ----------------------------------------------------------- */

/* Sine and cosine of a 16-bit binary angle come from the Q30 quarter-wave table (65536 steps per
 * turn), folded by quadrant: exact table values or their negations (sin of a quarter turn is
 * exactly 1, cos of it exactly 0). The 8-bit twins (256 steps per turn) use the 8-bit Q30 table
 * and equal the 16-bit forms of the count * 256. */

/** Sine of a 16-bit binary angle: the Q30 table entry * 2^-30. */
ORBMATH_API double cmath_sin16(const uint16_t* angle);
/** Cosine of a 16-bit binary angle: the Q30 table entry * 2^-30. */
ORBMATH_API double cmath_cos16(const uint16_t* angle);
/** Sine: the table entry rounded to float, then * 2^-30 in float (24 significant bits). */
ORBMATH_API float cmath_sin16F(const uint16_t* angle);
/** Cosine: the table entry rounded to float, then * 2^-30 in float (24 significant bits). */
ORBMATH_API float cmath_cos16F(const uint16_t* angle);
/** Sine with `fractionBits` fraction bits: the Q30 entry itself for 30 or more, else rounded to
 * nearest with halves away from zero (symmetric in sign). Meant for 0 ... 30; below 0 the same
 * rounding continues (the result is 0 from -2 down, apart from +-1 at -1). */
ORBMATH_API int32_t cmath_sin16FixedPoint(const uint16_t* angle, int32_t fractionBits);
/** Cosine with `fractionBits` fraction bits, rounded as cmath_sin16FixedPoint. */
ORBMATH_API int32_t cmath_cos16FixedPoint(const uint16_t* angle, int32_t fractionBits);
/** Sine of an 8-bit binary angle, as cmath_sin16 of the count * 256. */
ORBMATH_API double cmath_sin8(const uint8_t* angle);
/** Cosine of an 8-bit binary angle, as cmath_cos16 of the count * 256. */
ORBMATH_API double cmath_cos8(const uint8_t* angle);
/** Sine of an 8-bit binary angle, as cmath_sin16F of the count * 256. */
ORBMATH_API float cmath_sin8F(const uint8_t* angle);
/** Cosine of an 8-bit binary angle, as cmath_cos16F of the count * 256. */
ORBMATH_API float cmath_cos8F(const uint8_t* angle);
/** Sine of an 8-bit binary angle, as cmath_sin16FixedPoint of the count * 256. */
ORBMATH_API int32_t cmath_sin8FixedPoint(const uint8_t* angle, int32_t fractionBits);
/** Cosine of an 8-bit binary angle, as cmath_cos16FixedPoint of the count * 256. */
ORBMATH_API int32_t cmath_cos8FixedPoint(const uint8_t* angle, int32_t fractionBits);

/** Float sine of an 8-bit angle: the entry of the full-turn float table built on the
 * single-precision pi. */
ORBMATH_API float cfSinBin8(uint8_t angle);
/** Float cosine of an 8-bit angle from the same table (so cfCosBin8(64) is -8.742278e-08, not 0). */
ORBMATH_API float cfCosBin8(uint8_t angle);
/** *out = {cos, sin} of an 8-bit angle from the same table; returns out. */
ORBMATH_API csFVec* csFVecBin8(uint8_t angle, csFVec* out);
/** Float sine of a 16-bit angle, interpolated in float within the segment of the high byte:
 * t * slope + value with t the low byte (one float product, one float sum). */
ORBMATH_API float cfSinBin(uint16_t angle);
/** Float cosine of a 16-bit angle, interpolated as cfSinBin. */
ORBMATH_API float cfCosBin(uint16_t angle);
/** *out = {interpolated cosine, interpolated sine}; returns out. */
ORBMATH_API csFVec* csFVecBin(uint16_t angle, csFVec* out);
/** The 8-bit binary angle of the vector (x, y) (y first) from a 257-entry arctangent table; (0, 0)
 * gives 0. Meant for |x|, |y| below 2^23; the index is formed without overflow for any int. */
ORBMATH_API uint8_t cfAtanBin8(int32_t y, int32_t x);

/** Maps the 7-bit direction code 16 * octant + sub-sector to an 8-bit binary angle. Octant bits:
 * 4 when y < 0, 2 when x < 0, 1 when |x| >= |y|. Not read by this library. */
ORBMATH_API extern const uint8_t cordic7b8r1_sobel[128];

ORBMATH_C_END

#ifdef __cplusplus

class cxAngle8;
class cxAngle16;
class cxDegree;
class cxRadian;

/** A 16-bit binary angle: 65536 steps per turn (one step is 0.0054931640625 degrees). All
 * arithmetic keeps the low 16 bits; comparisons compare the counts (65535 > 1). The count is the
 * public field `value`, whose address the flat cmath_sin16 family takes. */
class ORBMATH_API cxAngle16 {
public:
    unsigned short value; /**< the count, 0 ... 65535 */

    cxAngle16() = default; /**< uninitialised */
    /** Copy and move: the count is copied. */
    ///@{
    cxAngle16(const cxAngle16&) = default;
    cxAngle16(cxAngle16&&) = default;
    ///@}
    /** The angle of count n. */
    cxAngle16(unsigned short n) : value(n) {}
    /** The 8-bit count shifted left by 8. */
    cxAngle16(cxAngle8 a);
    /** Rounding rule R of d * 182.04444444444445: floor(v * K + 0.5) as a 64-bit integer, low
     * 16 bits of it as a 32-bit integer; count 0 when it leaves the 32-bit range or v is NaN. */
    cxAngle16(cxDegree d);
    /** Rule R of r * 10430.378350470453. */
    cxAngle16(cxRadian r);

    /** Move and copy assignment. */
    ///@{
    cxAngle16& operator=(cxAngle16&&) = default;
    cxAngle16& operator=(const cxAngle16&) = default;
    ///@}
    /** Sets the count to n. */
    cxAngle16& operator=(unsigned short n) { value = n; return *this; }

    /** Sum of the counts modulo one turn. */
    cxAngle16 operator+(cxAngle16 o) const { return cxAngle16(static_cast<unsigned short>(value + o.value)); }
    /** Difference of the counts modulo one turn. */
    cxAngle16 operator-(cxAngle16 o) const { return cxAngle16(static_cast<unsigned short>(value - o.value)); }
    /** The negated angle modulo one turn. */
    cxAngle16 operator-() const { return cxAngle16(static_cast<unsigned short>(0u - value)); }
    /** The angle times f modulo one turn. */
    cxAngle16 operator*(unsigned short f) const { return cxAngle16(static_cast<unsigned short>(1u * value * f)); }
    /** The low 16 bits of the product of the counts, as a plain number. */
    unsigned short operator*(cxAngle16 o) const { return static_cast<unsigned short>(1u * value * o.value); }
    /** Unsigned division, remainder dropped; a zero divisor is outside the contract. */
    cxAngle16 operator/(unsigned short d) const { return cxAngle16(static_cast<unsigned short>(value / d)); }
    /** The ratio of the counts, as a plain number (integer division; a zero divisor is outside the contract). */
    unsigned short operator/(cxAngle16 o) const { return static_cast<unsigned short>(value / o.value); }
    /** Compound assignment: *this = *this op operand, as the binary operators. */
    ///@{
    cxAngle16& operator+=(cxAngle16 o) { return *this = *this + o; }
    cxAngle16& operator-=(cxAngle16 o) { return *this = *this - o; }
    cxAngle16& operator*=(unsigned short f) { return *this = *this * f; }
    cxAngle16& operator*=(cxAngle16 o) { value = *this * o; return *this; }
    cxAngle16& operator/=(unsigned short d) { return *this = *this / d; }
    cxAngle16& operator/=(cxAngle16 o) { value = *this / o; return *this; }
    ///@}
    /** Comparison of the counts (65535 > 1: no wrapping). */
    ///@{
    bool operator==(cxAngle16 o) const { return value == o.value; }
    bool operator!=(cxAngle16 o) const { return value != o.value; }
    bool operator<(cxAngle16 o) const { return value < o.value; }
    bool operator<=(cxAngle16 o) const { return value <= o.value; }
    bool operator>(cxAngle16 o) const { return value > o.value; }
    bool operator>=(cxAngle16 o) const { return value >= o.value; }
    ///@}
    /** The count. */
    unsigned short plain() const { return value; }
    /** The count as a double (not degrees or radians). */
    double toDouble() const { return static_cast<double>(value); }
};

/** An 8-bit binary angle: 256 steps per turn (one step is 1.40625 degrees); arithmetic keeps the
 * low 8 bits. The count is the public field `value`. */
class ORBMATH_API cxAngle8 {
public:
    unsigned char value; /**< the count, 0 ... 255 */

    cxAngle8() = default; /**< uninitialised */
    /** Copy and move: the count is copied. */
    ///@{
    cxAngle8(const cxAngle8&) = default;
    cxAngle8(cxAngle8&&) = default;
    ///@}
    /** The angle of count n. */
    cxAngle8(unsigned char n) : value(n) {}
    /** The nearest 8-bit count, halves up: low 8 bits of (a + 128) >> 8 (65408 ... 65535 give 0). */
    cxAngle8(cxAngle16 a);
    /** Rule R (see cxAngle16) of d * 0.7111111111111111. */
    cxAngle8(cxDegree d);
    /** Rule R of r * 40.74366543152521. */
    cxAngle8(cxRadian r);

    /** Move and copy assignment. */
    ///@{
    cxAngle8& operator=(cxAngle8&&) = default;
    cxAngle8& operator=(const cxAngle8&) = default;
    ///@}
    /** Sets the count to n. */
    cxAngle8& operator=(unsigned char n) { value = n; return *this; }

    /** Sum of the counts modulo one turn. */
    cxAngle8 operator+(cxAngle8 o) const { return cxAngle8(static_cast<unsigned char>(value + o.value)); }
    /** Difference of the counts modulo one turn. */
    cxAngle8 operator-(cxAngle8 o) const { return cxAngle8(static_cast<unsigned char>(value - o.value)); }
    /** The negated angle modulo one turn. */
    cxAngle8 operator-() const { return cxAngle8(static_cast<unsigned char>(0u - value)); }
    /** The angle times f modulo one turn. */
    cxAngle8 operator*(unsigned char f) const { return cxAngle8(static_cast<unsigned char>(1u * value * f)); }
    /** The product of the counts, as a plain number (low 8 bits). */
    unsigned char operator*(cxAngle8 o) const { return static_cast<unsigned char>(1u * value * o.value); }
    /** Unsigned division, remainder dropped; a zero divisor is outside the contract. */
    cxAngle8 operator/(unsigned char d) const { return cxAngle8(static_cast<unsigned char>(value / d)); }
    /** The ratio of the counts, as a plain number (integer division; a zero divisor is outside the contract). */
    unsigned char operator/(cxAngle8 o) const { return static_cast<unsigned char>(value / o.value); }
    /** Compound assignment: *this = *this op operand, as the binary operators. */
    ///@{
    cxAngle8& operator+=(cxAngle8 o) { return *this = *this + o; }
    cxAngle8& operator-=(cxAngle8 o) { return *this = *this - o; }
    cxAngle8& operator*=(unsigned char f) { return *this = *this * f; }
    cxAngle8& operator*=(cxAngle8 o) { value = *this * o; return *this; }
    cxAngle8& operator/=(unsigned char d) { return *this = *this / d; }
    cxAngle8& operator/=(cxAngle8 o) { value = *this / o; return *this; }
    ///@}
    /** Comparison of the counts (65535 > 1: no wrapping). */
    ///@{
    bool operator==(cxAngle8 o) const { return value == o.value; }
    bool operator!=(cxAngle8 o) const { return value != o.value; }
    bool operator<(cxAngle8 o) const { return value < o.value; }
    bool operator<=(cxAngle8 o) const { return value <= o.value; }
    bool operator>(cxAngle8 o) const { return value > o.value; }
    bool operator>=(cxAngle8 o) const { return value >= o.value; }
    ///@}
    /** The count. */
    unsigned char plain() const { return value; }
    /** The count as a double (not degrees or radians). */
    double toDouble() const { return static_cast<double>(value); }
};

/** An angle in degrees: plain double arithmetic, never normalised unless norm or signedNorm is
 * called; comparisons are exact. Same layout as cmath_degree. */
class ORBMATH_API cxDegree {
public:
    double value; /**< the angle, in degrees */

    cxDegree() = default; /**< uninitialised */
    /** Copy and move: the value is copied. */
    ///@{
    cxDegree(const cxDegree&) = default;
    cxDegree(cxDegree&&) = default;
    ///@}
    /** The angle v, unchanged. */
    cxDegree(double v) : value(v) {}
    /** count * 0.0054931640625 (exact), in [0, 360). */
    cxDegree(cxAngle16 a);
    /** count * 1.40625 (exact), in [0, 360). */
    cxDegree(cxAngle8 a);
    /** r * 57.29577951308232. */
    cxDegree(cxRadian r);

    /** Move and copy assignment. */
    ///@{
    cxDegree& operator=(cxDegree&&) = default;
    cxDegree& operator=(const cxDegree&) = default;
    ///@}
    /** Sets the value to v. */
    cxDegree& operator=(double v) { value = v; return *this; }

    /** Sum of the values. */
    cxDegree operator+(cxDegree o) const { return cxDegree(value + o.value); }
    /** Difference of the values. */
    cxDegree operator-(cxDegree o) const { return cxDegree(value - o.value); }
    /** The negated angle. */
    cxDegree operator-() const { return cxDegree(-value); }
    /** The angle times f. */
    cxDegree operator*(double f) const { return cxDegree(value * f); }
    /** The product of the values, as a plain number. */
    double operator*(cxDegree o) const { return value * o.value; }
    /** The angle divided by d. */
    cxDegree operator/(double d) const { return cxDegree(value / d); }
    /** The ratio of the values, as a plain number. */
    double operator/(cxDegree o) const { return value / o.value; }
    /** Compound assignment: *this = *this op operand, as the binary operators. */
    ///@{
    cxDegree& operator+=(cxDegree o) { value = value + o.value; return *this; }
    cxDegree& operator-=(cxDegree o) { value = value - o.value; return *this; }
    cxDegree& operator*=(double f) { value = value * f; return *this; }
    cxDegree& operator*=(cxDegree o) { value = value * o.value; return *this; }
    cxDegree& operator/=(double d) { value = value / d; return *this; }
    cxDegree& operator/=(cxDegree o) { value = value / o.value; return *this; }
    ///@}
    /** Comparison of the values, exact. */
    ///@{
    bool operator==(cxDegree o) const { return value == o.value; }
    bool operator!=(cxDegree o) const { return value != o.value; }
    bool operator<(cxDegree o) const { return value < o.value; }
    bool operator<=(cxDegree o) const { return value <= o.value; }
    bool operator>(cxDegree o) const { return value > o.value; }
    bool operator>=(cxDegree o) const { return value >= o.value; }
    ///@}
    /** The value. */
    double plain() const { return value; }
    /** The value. */
    double toDouble() const { return value; }
    /** A new angle reduced to [0, 360), as cmath_degree_norm; *this is unchanged. */
    cxDegree norm() const;
    /** A new angle reduced to [-180, 180), as cmath_degree_signedNorm; *this is unchanged. */
    cxDegree signedNorm() const;
};

/** An angle in radians; behaves as cxDegree except for the conversions and the period
 * P = 6.283185307179586 of norm and signedNorm. Same layout as cmath_radian. */
class ORBMATH_API cxRadian {
public:
    double value; /**< the angle, in radians */

    cxRadian() = default; /**< uninitialised */
    /** Copy and move: the value is copied. */
    ///@{
    cxRadian(const cxRadian&) = default;
    cxRadian(cxRadian&&) = default;
    ///@}
    /** The angle v, unchanged. */
    cxRadian(double v) : value(v) {}
    /** count * 9.587379924285257e-05. */
    cxRadian(cxAngle16 a);
    /** count * 0.02454369260617026. */
    cxRadian(cxAngle8 a);
    /** d * 0.017453292519943295. */
    cxRadian(cxDegree d);

    /** Move and copy assignment. */
    ///@{
    cxRadian& operator=(cxRadian&&) = default;
    cxRadian& operator=(const cxRadian&) = default;
    ///@}
    /** Sets the value to v. */
    cxRadian& operator=(double v) { value = v; return *this; }

    /** Sum of the values. */
    cxRadian operator+(cxRadian o) const { return cxRadian(value + o.value); }
    /** Difference of the values. */
    cxRadian operator-(cxRadian o) const { return cxRadian(value - o.value); }
    /** The negated angle. */
    cxRadian operator-() const { return cxRadian(-value); }
    /** The angle times f. */
    cxRadian operator*(double f) const { return cxRadian(value * f); }
    /** The product of the values, as a plain number. */
    double operator*(cxRadian o) const { return value * o.value; }
    /** The angle divided by d. */
    cxRadian operator/(double d) const { return cxRadian(value / d); }
    /** The ratio of the values, as a plain number. */
    double operator/(cxRadian o) const { return value / o.value; }
    /** Compound assignment: *this = *this op operand, as the binary operators. */
    ///@{
    cxRadian& operator+=(cxRadian o) { value = value + o.value; return *this; }
    cxRadian& operator-=(cxRadian o) { value = value - o.value; return *this; }
    cxRadian& operator*=(double f) { value = value * f; return *this; }
    cxRadian& operator*=(cxRadian o) { value = value * o.value; return *this; }
    cxRadian& operator/=(double d) { value = value / d; return *this; }
    cxRadian& operator/=(cxRadian o) { value = value / o.value; return *this; }
    ///@}
    /** Comparison of the values, exact. */
    ///@{
    bool operator==(cxRadian o) const { return value == o.value; }
    bool operator!=(cxRadian o) const { return value != o.value; }
    bool operator<(cxRadian o) const { return value < o.value; }
    bool operator<=(cxRadian o) const { return value <= o.value; }
    bool operator>(cxRadian o) const { return value > o.value; }
    bool operator>=(cxRadian o) const { return value >= o.value; }
    ///@}
    /** The value. */
    double plain() const { return value; }
    /** The value. */
    double toDouble() const { return value; }
    /** A new angle reduced to [0, P), as cmath_radian_norm; *this is unchanged. */
    cxRadian norm() const;
    /** A new angle reduced to [-P/2, P/2), as cmath_radian_signedNorm; *this is unchanged. */
    cxRadian signedNorm() const;
};

/** True when the wrapped difference d = signedNorm(a - b) satisfies tolerance >= |d| (equality at
 * the tolerance counts as equal). */
ORBMATH_API bool cxfRealEq(cxRadian a, cxRadian b, cxRadian tolerance);

#endif /* __cplusplus */

#endif
