// Binary-angle trigonometry by table lookup: integer index arithmetic on constant tables, no
// call into the run-time library and no allocation.
#include <orbmath/angle.h>

#include "angle/trig_tables.hpp"

namespace {

using orb::trig::kAtan8;
using orb::trig::kQ30Sin16;
using orb::trig::kQ30Sin8;
using orb::trig::kSinCosRecords;
using orb::trig::kVecTable;

// Quadrant folding of the quarter-wave Q30 table: q = a / Q; T[a], T[H - a], -T[a - H], -T[F - a].
int32_t q30Sin16(uint32_t a)
{
    switch (a >> 14) {
    case 0: return kQ30Sin16[a];
    case 1: return kQ30Sin16[32768u - a];
    case 2: return -kQ30Sin16[a - 32768u];
    default: return -kQ30Sin16[65536u - a];
    }
}

// The cosine is the sine of a quarter turn minus the angle.
int32_t q30Cos16(uint32_t a) { return q30Sin16((16384u - a) & 0xFFFFu); }

int32_t q30Sin8(uint32_t a)
{
    switch (a >> 6) {
    case 0: return kQ30Sin8[a];
    case 1: return kQ30Sin8[128u - a];
    case 2: return -kQ30Sin8[a - 128u];
    default: return -kQ30Sin8[256u - a];
    }
}

int32_t q30Cos8(uint32_t a) { return q30Sin8((64u - a) & 0xFFu); }

constexpr double kQ30ToDouble = 9.313225746154785e-10; // 2^-30
constexpr float kQ30ToFloat = 9.313225746154785e-10f;

float q30ToFloat(int32_t v) { return static_cast<float>(v) * kQ30ToFloat; }

// v / 2^(30 - f) rounded to nearest, halves away from zero, symmetric in sign; v itself when
// f >= 30. Shifts are formed in 64 bits so that out-of-contract counts stay defined: every
// shift of 32 or more gives 0 because |v| <= 2^30.
int32_t q30ToFixed(int32_t v, int32_t fractionBits)
{
    if (fractionBits >= 30) {
        return v;
    }
    const int64_t k = 30 - static_cast<int64_t>(fractionBits);
    if (k > 62) {
        return 0;
    }
    const int64_t half = int64_t{1} << (k - 1);
    const int64_t magnitude = v < 0 ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    const auto rounded = static_cast<int32_t>((magnitude + half) >> k);
    return v < 0 ? -rounded : rounded;
}

// Linear interpolation in float: one product and one sum, each rounded to float.
float interpolate(float value, float slope, uint32_t t)
{
    const float step = static_cast<float>(t) * slope;
    return step + value;
}

} // namespace

extern "C" {

ORBMATH_API double cmath_sin16(const uint16_t* angle) { return q30Sin16(*angle) * kQ30ToDouble; }
ORBMATH_API double cmath_cos16(const uint16_t* angle) { return q30Cos16(*angle) * kQ30ToDouble; }
ORBMATH_API float cmath_sin16F(const uint16_t* angle) { return q30ToFloat(q30Sin16(*angle)); }
ORBMATH_API float cmath_cos16F(const uint16_t* angle) { return q30ToFloat(q30Cos16(*angle)); }
ORBMATH_API int32_t cmath_sin16FixedPoint(const uint16_t* angle, int32_t fractionBits)
{
    return q30ToFixed(q30Sin16(*angle), fractionBits);
}
ORBMATH_API int32_t cmath_cos16FixedPoint(const uint16_t* angle, int32_t fractionBits)
{
    return q30ToFixed(q30Cos16(*angle), fractionBits);
}

ORBMATH_API double cmath_sin8(const uint8_t* angle) { return q30Sin8(*angle) * kQ30ToDouble; }
ORBMATH_API double cmath_cos8(const uint8_t* angle) { return q30Cos8(*angle) * kQ30ToDouble; }
ORBMATH_API float cmath_sin8F(const uint8_t* angle) { return q30ToFloat(q30Sin8(*angle)); }
ORBMATH_API float cmath_cos8F(const uint8_t* angle) { return q30ToFloat(q30Cos8(*angle)); }
ORBMATH_API int32_t cmath_sin8FixedPoint(const uint8_t* angle, int32_t fractionBits)
{
    return q30ToFixed(q30Sin8(*angle), fractionBits);
}
ORBMATH_API int32_t cmath_cos8FixedPoint(const uint8_t* angle, int32_t fractionBits)
{
    return q30ToFixed(q30Cos8(*angle), fractionBits);
}

ORBMATH_API float cfSinBin8(uint8_t angle) { return kSinCosRecords[angle].sin; }
ORBMATH_API float cfCosBin8(uint8_t angle) { return kSinCosRecords[angle].cos; }

ORBMATH_API csFVec* csFVecBin8(uint8_t angle, csFVec* out)
{
    *out = kVecTable[angle];
    return out;
}

ORBMATH_API float cfSinBin(uint16_t angle)
{
    const orb::trig::SinCosRecord& r = kSinCosRecords[angle >> 8];
    return interpolate(r.sin, r.dsin, angle & 0xFFu);
}

ORBMATH_API float cfCosBin(uint16_t angle)
{
    const orb::trig::SinCosRecord& r = kSinCosRecords[angle >> 8];
    return interpolate(r.cos, r.dcos, angle & 0xFFu);
}

ORBMATH_API csFVec* csFVecBin(uint16_t angle, csFVec* out)
{
    const orb::trig::SinCosRecord& r = kSinCosRecords[angle >> 8];
    const uint32_t t = angle & 0xFFu;
    out->x = interpolate(r.cos, r.dcos, t);
    out->y = interpolate(r.sin, r.dsin, t);
    return out;
}

// The angle from the nearer axis comes from the table at i = 256 * min / max (0 ... 256); the
// quadrant and the larger component place it on the full turn, modulo 256.
ORBMATH_API uint8_t cfAtanBin8(int32_t y, int32_t x)
{
    if (x == 0 && y == 0) {
        return 0;
    }
    const uint32_t ax = x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x);
    const uint32_t ay = y < 0 ? 0u - static_cast<uint32_t>(y) : static_cast<uint32_t>(y);
    const bool yLarger = ay > ax;
    const uint64_t m = yLarger ? ax : ay;
    const uint64_t M = yLarger ? ay : ax;
    const uint32_t b = kAtan8[(m << 8) / M];
    uint32_t angle;
    if (y >= 0) {
        if (x >= 0) {
            angle = yLarger ? 64u - b : b;
        } else {
            angle = yLarger ? 64u + b : 128u - b;
        }
    } else {
        if (x >= 0) {
            angle = yLarger ? 192u + b : 256u - b;
        } else {
            angle = yLarger ? 192u - b : 128u + b;
        }
    }
    return static_cast<uint8_t>(angle); // modulo 256: (256 - 0) gives 0
}

} // extern "C"
