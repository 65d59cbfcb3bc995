// The value types, one row per function: exact results (small integers and halves where the
// arithmetic is exact, the documented formula where it rounds), the output fresh and aliasing
// each operand, refusals that write nothing, and every field of every comparison.
#include "orbtest_a.h"

#include <limits>

using namespace orbtest;

namespace {

using V = cmath_vect;
using M = cmath_matrix;
using X = cmath_xformLinear;
using R = cmath_xformRigid;
using Rad = cmath_radian;

// compareEqual (and epsilonEqual, if any) of a with itself, and with copies that differ by d in
// one field each: unequal, equal within the gap (inclusive), unequal just below it.
template <class F, class T>
void fieldwise(cmath_status (*eq)(const T*, const T*, int32_t*),
               std::type_identity_t<cmath_status (*)(const T*, const T*, double, int32_t*)> eps, const T& a, F d)
{
    ROW(eq, int32_t{1}, &a, &a, out);
    for (size_t k = 0; k < sizeof(T) / sizeof(F); ++k) {
        SCOPED_TRACE(k);
        T b = a;
        F* f = reinterpret_cast<F*>(&b) + k;
        *f += d;
        const double gap = static_cast<double>(*f) - static_cast<double>(reinterpret_cast<const F*>(&a)[k]);
        ROW(eq, int32_t{0}, &a, &b, out);
        if (eps != nullptr) {
            ROW(eps, int32_t{1}, &a, &b, gap, out);
            ROW(eps, int32_t{0}, &a, &b, std::nextafter(gap, 0.0), out);
        }
    }
}

// getIsIdentity of the identity and of copies with one field off by 0.5.
template <class T> void identityTest(cmath_status (*is)(const T*, int32_t*), const T& id)
{
    ROW(is, int32_t{1}, &id, out);
    for (size_t k = 0; k < sizeof(T) / sizeof(double); ++k) {
        T b = id;
        reinterpret_cast<double*>(&b)[k] += 0.5;
        ROW(is, int32_t{0}, &b, out);
    }
}

// The two vector families under one set of names.
#define VECT_OP(P, name) static constexpr auto name = P##_##name;
#define VECT_FAMILY(P, S)                                                                          \
    using V = P;                                                                                   \
    using T = S;                                                                                   \
    VECT_OP(P, init) VECT_OP(P, initClear) VECT_OP(P, reset) VECT_OP(P, initAdd) VECT_OP(P, initSubtract)   \
    VECT_OP(P, initMultiply) VECT_OP(P, initDivide) VECT_OP(P, initLengthAngle)                    \
    VECT_OP(P, initPerpendicular) VECT_OP(P, cross) VECT_OP(P, dot) VECT_OP(P, getLength)          \
    VECT_OP(P, getDistance) VECT_OP(P, getDirection) VECT_OP(P, getUnit) VECT_OP(P, project)       \
    VECT_OP(P, compareEqual) VECT_OP(P, epsilonEqual)
struct DoubleVect {
    VECT_FAMILY(cmath_vect, double)
};
struct FloatVect {
    VECT_FAMILY(cmath_vectF, float)
};

// Both families, each in its own precision (the float one: float arithmetic and square root,
// cos and sin rounded to float, direction and tolerance in double).
template <class F> void vectRows()
{
    using Vec = typename F::V;
    using T = typename F::T;
    const Vec a{1.5, -2}, b{4, 0.25}, ten{1, 10}, e34{3, 4}, ex{10, 0}, zero{0, 0};
    const Vec tiny{std::numeric_limits<T>::min(), 0}; // its squared length underflows to 0
    const Rad th{0.5};
    ROW(F::init, Vec{3, -4}, out, T(3), T(-4));
    ROW(F::initClear, Vec{0, 0}, out);
    ROW(F::reset, Vec{0, 0}, out);
    ROW(F::initAdd, Vec{5.5, -1.75}, out, &a, &b);
    ROW(F::initSubtract, Vec{-2.5, -2.25}, out, &a, &b);
    ROW(F::initMultiply, Vec{4.5, -6}, out, &a, T(3));
    ROW(F::initDivide, Vec{0.375, -0.5}, out, &a, T(4));
    ROW(F::initDivide, Vec{T(1) / T(3), T(1) / T(3) * T(10)}, out, &ten, T(3)); // one reciprocal
    ROW(F::initLengthAngle, Vec{T(std::cos(0.5)) * T(2), T(std::sin(0.5)) * T(2)}, out, T(2), &th);
    ROW_DISTINCT(F::initPerpendicular, Vec{2, 1.5}, out, &a);
    ROW(F::cross, T(8.375), &a, &b, out);
    ROW(F::dot, T(5.5), &a, &b, out);
    ROW(F::getLength, T(5), &e34, out);
    ROW(F::getDistance, std::sqrt(T(11.3125)), &a, &b, out);
    ROW(F::getDirection, Rad{std::atan2(0.25, 4.0)}, &b, out);
    ROW(F::getDirection, Rad{std::atan2(-2.0, 1.5)}, &a, out);
    const T r = T(1) / T(5), ux = r * T(3), uy = r * T(4), s = ux * T(4) + uy * T(0.25);
    ROW(F::getUnit, Vec{ux, uy}, &e34, out);
    ROW(F::project, Vec{s * ux, s * uy}, &e34, &b, out);
    ROW(F::project, Vec{4, 0}, &ex, &b, out);
    for (const Vec* z : {&zero, &tiny}) {
        REFUSAL(Vec, F::getUnit, cmath_errZeroVector, z, out);
        REFUSAL(Vec, F::project, cmath_errZeroVector, z, &b, out);
    }
    for (T d : {T(0), T(-0.0)}) {
        REFUSAL(Vec, F::initDivide, cmath_errDivideByZero, out, &a, d);
    }
    fieldwise<T>(F::compareEqual, F::epsilonEqual, a, T(0.125));
}

} // namespace

TEST(ValueTypes, Vectors)
{
    vectRows<DoubleVect>();
    vectRows<FloatVect>();
}

TEST(ValueTypes, Matrices)
{
    const M a{1, 2, 3, 4}, b{5, 6, 7, 8}, c{0, 1, 1, 0}, d{2, 0, 0, -1}, sing{1, 2, 2, 4}, id{1, 0, 0, 1};
    const Rad xr{0.7}, yr{1.0}, k{0.3}, th{0.7};
    const V p{5, -1};
    ROW(cmath_matrix_init, a, out, 1.0, 2.0, 3.0, 4.0);
    ROW(cmath_matrix_initIdentity, id, out);
    ROW(cmath_matrix_reset, id, out);
    ROW(cmath_matrix_initAdd, M{6, 8, 10, 12}, out, &a, &b);
    ROW(cmath_matrix_initMultiply, M{19, 22, 43, 50}, out, &a, &b);
    ROW(cmath_matrix_initMultiply, M{23, 34, 31, 46}, out, &b, &a);
    ROW(cmath_matrix_initMultiply3, M{22, 19, 50, 43}, out, &a, &b, &c);
    ROW(cmath_matrix_initMultiply4, M{44, -19, 100, -43}, out, &a, &b, &c, &d);
    ROW(cmath_matrix_initTranspose, M{1, 3, 2, 4}, out, &a);
    ROW(cmath_matrix_initInverse, M{-2, 1, 1.5, -0.5}, out, &a); // r = 1 / det = -0.5
    ROW(cmath_matrix_initRotationScale,
        M{std::cos(0.7) * 2, -(std::sin(1.0) * 3), std::sin(0.7) * 2, std::cos(1.0) * 3}, out, &xr, &yr, 2.0, 3.0);
    const double sn = std::sin(0.7), cs = std::cos(0.7), t = std::tan(0.3);
    ROW(cmath_matrix_initScaleAspect, M{cs * 2, (-sn - t * cs) * 1.5, sn * 2, (cs - t * sn) * 1.5}, out,
        2.0, 0.75, &k, &th);
    ROW(cmath_matrix_getDeterminant, -2.0, &a, out);
    ROW(cmath_matrix_getIsSingular, int32_t{0}, &a, out);
    ROW(cmath_matrix_getIsSingular, int32_t{1}, &sing, out);
    ROW(cmath_matrix_getXRotation, Rad{std::atan2(3.0, 1.0)}, &a, out);
    ROW(cmath_matrix_getRotation, Rad{std::atan2(3.0, 1.0)}, &a, out);
    ROW(cmath_matrix_getYRotation, Rad{std::atan2(-2.0, 4.0)}, &a, out);
    ROW(cmath_matrix_getXScale, std::sqrt(10.0), &a, out);
    ROW(cmath_matrix_getScale, std::sqrt(10.0), &a, out);
    ROW(cmath_matrix_getYScale, std::sqrt(20.0), &a, out);
    ROW(cmath_matrix_getAspect, -0.2, &a, out);
    ROW(cmath_matrix_getShear, Rad{-std::atan(14.0 / -2.0)}, &a, out);
    ROW(cmath_matrix_mapPoint, V{3, 11}, &a, &p, out);
    ROW(cmath_matrix_invMapPoint, V{-11, 8}, &a, &p, out);
    // Singular: refused by the inverse and by every getter of the decomposition, also those whose
    // own formula is defined.
    for (const M& s : {sing, M{1, 0, 0, 0}}) {
        REFUSAL(M, cmath_matrix_initInverse, cmath_errSingular, out, &s);
        REFUSAL(V, cmath_matrix_invMapPoint, cmath_errSingular, &s, &p, out);
        for (auto f : {cmath_matrix_getRotation, cmath_matrix_getXRotation, cmath_matrix_getYRotation,
                       cmath_matrix_getShear}) {
            REFUSAL(Rad, f, cmath_errSingular, &s, out);
        }
        for (auto f : {cmath_matrix_getScale, cmath_matrix_getXScale, cmath_matrix_getYScale, cmath_matrix_getAspect}) {
            REFUSAL(double, f, cmath_errSingular, &s, out);
        }
    }
    fieldwise<double>(cmath_matrix_compareEqual, cmath_matrix_epsilonEqual, a, 0.125);
    identityTest(cmath_matrix_getIsIdentity, id);
}

TEST(ValueTypes, AffineTransforms)
{
    // x: matrix a = (1, 2; 3, 4) (det -2), translation (1, 2); then (5, 6; 7, 8), a column swap
    // and a reflection, each with its own translation.
    const X x{{1, 2}, {1, 2, 3, 4}}, y{{-1, 0.5}, {5, 6, 7, 8}}, z{{2, 0}, {0, 1, 1, 0}}, w{{0, 1}, {2, 0, 0, -1}};
    const X id{{0, 0}, {1, 0, 0, 1}}, pos{{0, 0}, {2, 1, 1, 3}}, sing{{3, 4}, {1, 2, 2, 4}};
    const V p{5, -1}, img{4, 13}, v{3, 11};
    const Rad th{0.3};
    ROW(cmath_xformLinear_initIdentity, id, out);
    ROW(cmath_xformLinear_reset, id, out);
    ROW(cmath_xformLinear_initMatrixTrans, x, out, &x.matrix, &x.trans);
    ROW(cmath_xformLinear_initMatrixTransElements, x, out, 1.0, 2.0, 3.0, 4.0, 1.0, 2.0);
    ROW(cmath_xformLinear_initCompose, X{{1, 1}, {19, 22, 43, 50}}, out, &x, &y);
    ROW(cmath_xformLinear_initCompose3, X{{39, 87}, {22, 19, 50, 43}}, out, &x, &y, &z);
    ROW(cmath_xformLinear_initCompose4, X{{58, 130}, {44, -19, 100, -43}}, out, &x, &y, &z, &w);
    ROW(cmath_xformLinear_getInverse, X{{0, -0.5}, {-2, 1, 1.5, -0.5}}, &x, out);
    ROW(cmath_xformLinear_mapPoint, img, &x, &p, out);
    ROW(cmath_xformLinear_invMapPoint, p, &x, &img, out);
    ROW(cmath_xformLinear_mapVector, v, &x, &p, out);
    ROW(cmath_xformLinear_invMapVector, p, &x, &v, out);
    const double c = std::cos(0.3), s = std::sin(0.3);
    ROW(cmath_xformLinear_mapAngle, Rad{std::atan2(3 * c + 4 * s, 1 * c + 2 * s)}, &x, &th, out);
    // The direction of the adjugate's image, reversed when det is negative.
    ROW(cmath_xformLinear_invMapAngle, Rad{std::atan2(-(1 * s - 3 * c), -(4 * c - 2 * s))}, &x, &th, out);
    ROW(cmath_xformLinear_invMapAngle, Rad{std::atan2(2 * s - 1 * c, 3 * c - 1 * s)}, &pos, &th, out);
    ROW(cmath_xformLinear_mapArea, 6.0, &x, 3.0, out);
    ROW(cmath_xformLinear_invMapArea, 1.5, &x, 3.0, out);
    ROW(cmath_xformLinear_mapArea, 0.0, &sing, 3.0, out); // the forward mappings accept det = 0
    REFUSAL(X, cmath_xformLinear_getInverse, cmath_errSingular, &sing, out);
    REFUSAL(V, cmath_xformLinear_invMapPoint, cmath_errSingular, &sing, &p, out);
    REFUSAL(V, cmath_xformLinear_invMapVector, cmath_errSingular, &sing, &p, out);
    REFUSAL(Rad, cmath_xformLinear_invMapAngle, cmath_errSingular, &sing, &th, out);
    REFUSAL(double, cmath_xformLinear_invMapArea, cmath_errSingular, &sing, 3.0, out);
    fieldwise<double>(cmath_xformLinear_compareEqual, cmath_xformLinear_epsilonEqual, x, 0.125);
    identityTest(cmath_xformLinear_getIsIdentity, id);
}

TEST(ValueTypes, OneDimensional)
{
    using V1 = cmath_vect1;
    using M1 = cmath_matrix1;
    using X1 = cmath_xformLinear1;
    const V1 a{1.5}, b{4}, p{5};
    const M1 m{4}, n{1.5};
    const X1 x{{1}, {2}}, y{{3}, {5}}, ten{{3}, {10}}, id{{0}, {1}};
    ROW(cmath_vect1_init, V1{2.5}, out, 2.5);
    ROW(cmath_vect1_initClear, V1{0}, out);
    ROW(cmath_vect1_reset, V1{0}, out);
    ROW(cmath_vect1_initAdd, V1{5.5}, out, &a, &b);
    ROW(cmath_vect1_initSubtract, V1{-2.5}, out, &a, &b);
    ROW(cmath_vect1_initScale, V1{4.5}, out, &a, 3.0);
    ROW(cmath_matrix1_initIdentity, M1{1}, out);
    ROW(cmath_matrix1_reset, M1{1}, out);
    ROW(cmath_matrix1_setToIdentity, M1{1}, out);
    ROW(cmath_matrix1_initAdd, M1{5.5}, out, &m, &n);
    ROW(cmath_matrix1_initSubtract, M1{2.5}, out, &m, &n);
    ROW(cmath_matrix1_initMultiply, M1{6}, out, &m, &n);
    ROW(cmath_matrix1_multv, V1{6}, &m, &a, out);
    ROW(cmath_matrix1_determinant, 4.0, &m, out);
    ROW(cmath_matrix1_transpose, m, &m, out);
    ROW(cmath_matrix1_getInverse, M1{0.25}, &m, out);
    M1 scaled{3};
    ASSERT_EQ(cmath_matrix1_scale(&scaled, 2.0), 0); // the one update of a target from itself
    EXPECT_EQ(scaled.e11, 6.0);
    ROW(cmath_xformLinear1_initIdentity, id, out);
    ROW(cmath_xformLinear1_reset, id, out);
    ROW(cmath_xformLinear1_initMatrixTrans, X1{{1.5}, {4}}, out, &m, &a);
    ROW(cmath_xformLinear1_initMatrixTransElements, X1{{3}, {2}}, out, 2.0, 3.0);
    ROW(cmath_xformLinear1_initCompose, X1{{7}, {10}}, out, &x, &y); // b first: 17 = x(y(1))
    ROW(cmath_xformLinear1_initInverse, X1{{-(1.0 / 10 * 3)}, {1.0 / 10}}, out, &ten); // not -(3 / 10)
    ROW(cmath_xformLinear1_mapPoint, V1{11}, &x, &p, out);
    ROW(cmath_xformLinear1_mapValue, 11.0, &x, 5.0, out);
    ROW(cmath_xformLinear1_mapVector, V1{10}, &x, &p, out);
    ROW(cmath_xformLinear1_invMapPoint, V1{(5 - 3) / 10.0}, &ten, &p, out); // divisions, no reciprocal
    ROW(cmath_xformLinear1_invMapVector, V1{5 / 10.0}, &ten, &p, out);
    for (double zero : {0.0, -0.0}) {
        const X1 zx{{1}, {zero}};
        const M1 zm{zero};
        REFUSAL(M1, cmath_matrix1_getInverse, cmath_errSingular, &zm, out);
        REFUSAL(X1, cmath_xformLinear1_initInverse, cmath_errSingular, out, &zx);
        REFUSAL(V1, cmath_xformLinear1_invMapPoint, cmath_errSingular, &zx, &p, out);
        REFUSAL(V1, cmath_xformLinear1_invMapVector, cmath_errSingular, &zx, &p, out);
    }
    fieldwise<double>(cmath_vect1_compareEqual, nullptr, a, 0.125);
    fieldwise<double>(cmath_matrix1_compareEqual, nullptr, m, 0.125);
    fieldwise<double>(cmath_xformLinear1_compareEqual, nullptr, x, 0.125);
}

TEST(ValueTypes, FixedPoint)
{
    using V3 = cmath_vect3Fixed64;
    ROW(cmath_vect3Fixed64_init, V3{1, -2, 3}, out, int64_t{1}, int64_t{-2}, int64_t{3});
    ROW(cmath_vect3Fixed64_initClear, V3{0, 0, 0}, out);
    // Each product is shifted on its own (flooring: -3 >> 1 = -2) before the subtraction.
    const struct { V3 a, b; int32_t s; V3 want; } cross[] = {
        {{256, 0, 0}, {0, 256, 0}, 8, {0, 0, 256}}, {{0, 256, 0}, {256, 0, 0}, 8, {0, 0, -256}},
        {{-3, 0, 0}, {0, 1, 0}, 1, {0, 0, -2}},     {{2, 1, 0}, {1, 1, 0}, 1, {0, 0, 1}}, // (2 >> 1) - (1 >> 1)
        {{1, 2, 3}, {4, 5, 6}, 0, {-3, 6, -3}},
    };
    for (const auto& c : cross) {
        ROW_DISTINCT(cmath_vect3Fixed64_cross, c.want, &c.a, &c.b, c.s, out);
    }
    // s = 4: sqrt(3 * 1.5^2) = 2.598..., floored at 1/16: 41/16.
    const struct { V3 v; int32_t s; uint64_t want; } length[] = {
        {{3, 4, 0}, 0, 5}, {{-768, 1024, 0}, 8, 1280}, {{1, 1, 1}, 0, 1}, {{24, -24, 24}, 4, 41}};
    for (const auto& c : length) {
        ROW(cmath_vect3Fixed64_getLength, c.want, &c.v, c.s, out);
    }
    // ((c << s) + h) / len with h = len >> 1, truncating: negative components and a negative
    // length (h = -5 >> 1 = -3) go through the same formula; the one unrepresentable quotient
    // saturates.
    const struct { V3 v; int64_t len; int32_t s; V3 want; } unit[] = {
        {{3, 4, 0}, 5, 8, {154, 205, 0}},
        {{-3, -4, 7}, 5, 8, {-153, -204, (7 * 256 + 2) / 5}},
        {{3, 4, 0}, -5, 8, {(768 - 3) / -5, (1024 - 3) / -5, 0}},
        {{INT64_MIN + 1, 0, 0}, -1, 0, {INT64_MAX, 1, 1}}, // h = -1: 0 becomes -1 / -1
    };
    for (const auto& c : unit) {
        ROW(cmath_vect3Fixed64_getUnitFromLength, c.want, &c.v, c.len, c.s, out);
    }
    const V3 v{3, 4, 0};
    REFUSAL(V3, cmath_vect3Fixed64_getUnitFromLength, cmath_errDivideByZero, &v, int64_t{0}, int32_t{8}, out);
    const double pi = 3.141592653589793;
    const struct { cmath_vectFixed31_4 v; double want; } angles[] = {
        {{0, -16}, -pi / 2}, {{16, 16}, pi / 4}, {{-1, 0}, pi},
        {{INT32_MIN, INT32_MAX}, std::atan2(2147483647.0, -2147483648.0)}};
    for (const auto& c : angles) {
        ROW(cmath_vectFixed31_4_getAngle, Rad{c.want}, &c.v, out);
    }
}
