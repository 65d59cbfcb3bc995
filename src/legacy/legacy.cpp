// The legacy float/double geometry interface. Both editions are one template instantiated with
// float and with double; with float every operation stays in single precision (float operands
// select the single-precision sqrt, atan2 and atan), except the matrix angle, which widens to
// double on purpose.
#include <orbmath/legacy.h>

#include "geometry/point_kernels.hpp"

#include <cmath>

namespace {

template <class T, class Vec, class Matrix, class Xform, class Rform>
struct Legacy {
    // ---- vectors
    static Vec* vecCT(Vec* v, T x, T y)
    {
        v->x = x;
        v->y = y;
        return v;
    }
    static Vec* vecAdd(const Vec* a, const Vec* b, Vec* out)
    {
        const T x = a->x + b->x, y = a->y + b->y;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* vecSub(const Vec* a, const Vec* b, Vec* out)
    {
        const T x = a->x - b->x, y = a->y - b->y;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* vecScale(const Vec* v, T s, Vec* out)
    {
        const T x = s * v->x, y = s * v->y;
        out->x = x;
        out->y = y;
        return out;
    }
    static T vecDot(const Vec* a, const Vec* b) { return a->x * b->x + a->y * b->y; }
    static T vecCross(const Vec* a, const Vec* b) { return a->x * b->y - a->y * b->x; }
    static T vecLen(const Vec* v) { return std::sqrt(v->x * v->x + v->y * v->y); }
    static T vecAng(const Vec* v) { return std::atan2(v->y, v->x); }
    static Vec* vecUnit(const Vec* v, Vec* out)
    {
        const T len = std::sqrt(v->x * v->x + v->y * v->y);
        const T factor = len != T(0) ? T(1) / len : T(0);
        const T x = v->x * factor, y = v->y * factor;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* vecPerp(const Vec* v, Vec* out)
    {
        const T x = -v->y, y = v->x;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* vecTranspose(const Vec* v, Vec* out)
    {
        const T x = v->y, y = v->x;
        out->x = x;
        out->y = y;
        return out;
    }

    // ---- matrices
    static Matrix* matrixCT(Matrix* m, T e11, T e12, T e21, T e22)
    {
        m->e11 = e11;
        m->e12 = e12;
        m->e21 = e21;
        m->e22 = e22;
        return m;
    }
    static T matrixDet(const Matrix* m) { return m->e11 * m->e22 - m->e12 * m->e21; }
    static Matrix* matrixMul(const Matrix* A, const Matrix* B, Matrix* out)
    {
        const Matrix r{A->e11 * B->e11 + A->e12 * B->e21, A->e11 * B->e12 + A->e12 * B->e22,
                       A->e21 * B->e11 + A->e22 * B->e21, A->e21 * B->e12 + A->e22 * B->e22};
        *out = r;
        return out;
    }
    static Matrix* matrixInv(const Matrix* m, Matrix* out)
    {
        const T r = T(1) / matrixDet(m);
        const Matrix inv{m->e22 * r, -(r * m->e12), -(r * m->e21), m->e11 * r};
        *out = inv;
        return out;
    }
    static Vec* matrixVecMul(const Matrix* m, const Vec* v, Vec* out)
    {
        const T x = m->e11 * v->x + m->e12 * v->y, y = m->e21 * v->x + m->e22 * v->y;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* matrixVecInv(const Matrix* m, const Vec* v, Vec* out)
    {
        const T r = T(1) / matrixDet(m);
        const T x = (v->x * m->e22 - v->y * m->e12) * r, y = (v->y * m->e11 - v->x * m->e21) * r;
        out->x = x;
        out->y = y;
        return out;
    }
    static Matrix* matrixTranspose(const Matrix* m, Matrix* out)
    {
        const Matrix r{m->e21, m->e22, m->e11, m->e12};
        *out = r;
        return out;
    }
    // Widened to double in both editions; the float edition rounds the double angle once.
    static T matrixAng(const Matrix* m)
    {
        return static_cast<T>(std::atan2(static_cast<double>(m->e21), static_cast<double>(m->e11)));
    }
    static T matrixScale(const Matrix* m) { return std::sqrt(m->e11 * m->e11 + m->e21 * m->e21); }
    static T matrixAspect(const Matrix* m) { return matrixDet(m) / (m->e21 * m->e21 + m->e11 * m->e11); }
    static T matrixSkew(const Matrix* m)
    {
        const T ratio = (m->e11 * m->e12 + m->e21 * m->e22) / matrixDet(m);
        return std::atan(ratio);
    }

    // ---- affine transforms
    static Xform* xformCT(Xform* X, const Matrix* matrix, const Vec* translation)
    {
        const Xform r{*translation, *matrix};
        *X = r;
        return X;
    }
    static Xform* xformElemCT(Xform* X, T e11, T e12, T e21, T e22, T x, T y)
    {
        const Xform r{{x, y}, {e11, e12, e21, e22}};
        *X = r;
        return X;
    }
    static Vec* xformMapPt(const Xform* X, const Vec* p, Vec* out)
    {
        const Matrix& m = X->matrix;
        const T x = m.e11 * p->x + m.e12 * p->y + X->trans.x;
        const T y = m.e21 * p->x + m.e22 * p->y + X->trans.y;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* xformMapVec(const Xform* X, const Vec* v, Vec* out) { return matrixVecMul(&X->matrix, v, out); }
    static Vec* xformInvMapPt(const Xform* X, const Vec* p, Vec* out)
    {
        const Vec d{p->x - X->trans.x, p->y - X->trans.y};
        return matrixVecInv(&X->matrix, &d, out);
    }
    static Vec* xformInvMapVec(const Xform* X, const Vec* v, Vec* out)
    {
        return matrixVecInv(&X->matrix, v, out);
    }
    static Xform* xformCompose(const Xform* A, const Xform* B, Xform* out)
    {
        Xform r;
        matrixVecMul(&A->matrix, &B->trans, &r.trans);
        r.trans.x = r.trans.x + A->trans.x;
        r.trans.y = r.trans.y + A->trans.y;
        matrixMul(&A->matrix, &B->matrix, &r.matrix);
        *out = r;
        return out;
    }
    static Xform* xformInv(const Xform* X, Xform* out)
    {
        Xform r;
        matrixInv(&X->matrix, &r.matrix);
        matrixVecMul(&r.matrix, &X->trans, &r.trans);
        r.trans.x = -r.trans.x;
        r.trans.y = -r.trans.y;
        *out = r;
        return out;
    }
    static Xform* xformTranspose(const Xform* X, Xform* out)
    {
        Xform r;
        matrixTranspose(&X->matrix, &r.matrix);
        vecTranspose(&X->trans, &r.trans);
        *out = r;
        return out;
    }

    // ---- similarity transforms
    static Rform* rformCT(Rform* R, const Vec* ab, const Vec* translation)
    {
        const Rform r{*translation, *ab};
        *R = r;
        return R;
    }
    static Rform* rformElemCT(Rform* R, T a, T b, T x, T y)
    {
        const Rform r{{x, y}, {a, b}};
        *R = r;
        return R;
    }
    static Vec* rformMapPt(const Rform* R, const Vec* p, Vec* out)
    {
        const T a = R->ab.x, b = R->ab.y;
        const T x = a * p->x + b * p->y + R->trans.x;
        const T y = a * p->y - b * p->x + R->trans.y;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* rformMapVec(const Rform* R, const Vec* v, Vec* out)
    {
        const T a = R->ab.x, b = R->ab.y;
        const T x = a * v->x + b * v->y, y = a * v->y - b * v->x;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* rformInvMapVec(const Rform* R, const Vec* v, Vec* out)
    {
        const T a = R->ab.x, b = R->ab.y;
        const T w = T(1) / (a * a + b * b);
        const T x = (v->x * a - v->y * b) * w, y = (v->y * a + v->x * b) * w;
        out->x = x;
        out->y = y;
        return out;
    }
    static Vec* rformInvMapPt(const Rform* R, const Vec* p, Vec* out)
    {
        const Vec d{p->x - R->trans.x, p->y - R->trans.y};
        return rformInvMapVec(R, &d, out);
    }
    static Rform* rformCompose(const Rform* A, const Rform* B, Rform* out)
    {
        const T aa = A->ab.x, ab = A->ab.y, ba = B->ab.x, bb = B->ab.y;
        const Rform r{{aa * B->trans.x + ab * B->trans.y + A->trans.x, aa * B->trans.y - ab * B->trans.x + A->trans.y},
                      {ba * aa - ab * bb, ba * ab + bb * aa}};
        *out = r;
        return out;
    }
    static Rform* rformInv(const Rform* R, Rform* out)
    {
        const T a = R->ab.x, b = R->ab.y, x = R->trans.x, y = R->trans.y;
        const T w = T(1) / (a * a + b * b);
        const T a1 = w * a;
        const T b1 = -(w * b);
        const Rform r{{-(x * a1 + y * b1), x * b1 - y * a1}, {a1, b1}};
        *out = r;
        return out;
    }
    static T rformAng(const Rform* R) { return std::atan2(-R->ab.y, R->ab.x); }
    static T rformScale(const Rform* R) { return std::sqrt(R->ab.x * R->ab.x + R->ab.y * R->ab.y); }
};

using LF = Legacy<float, csFVec, csFMatrix, csFXform, csFRform>;
using LD = Legacy<double, csDVec, csDMatrix, csDXform, csDRform>;

} // namespace

// One edition of the flat interface: P is F or D, L the instantiation, T the scalar.
#define ORBMATH_LEGACY_EDITION(P, L, T)                                                                  \
    const cs##P##Vec cs##P##VecNull = {0, 0};                                               \
    const cs##P##Vec cs##P##VecUnitX = {1, 0};                                              \
    const cs##P##Vec cs##P##VecUnitY = {0, 1};                                              \
    const cs##P##Matrix cs##P##MatrixI = {1, 0, 0, 1};                                      \
    const cs##P##Xform cs##P##XformI = {{0, 0}, {1, 0, 0, 1}};                              \
    const cs##P##Rform cs##P##RformI = {{0, 0}, {1, 0}};                                    \
                                                                                                         \
    ORBMATH_API cs##P##Vec* cs##P##VecCT(cs##P##Vec* v, T x, T y) { return L::vecCT(v, x, y); }         \
    ORBMATH_API T cs##P##VecX(const cs##P##Vec* v) { return v->x; }                                     \
    ORBMATH_API T cs##P##VecY(const cs##P##Vec* v) { return v->y; }                                     \
    ORBMATH_API cs##P##Vec* cs##P##VecAdd(const cs##P##Vec* a, const cs##P##Vec* b, cs##P##Vec* out)    \
    {                                                                                                    \
        return L::vecAdd(a, b, out);                                                                     \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##VecSub(const cs##P##Vec* a, const cs##P##Vec* b, cs##P##Vec* out)    \
    {                                                                                                    \
        return L::vecSub(a, b, out);                                                                     \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##VecScale(const cs##P##Vec* v, T s, cs##P##Vec* out)                  \
    {                                                                                                    \
        return L::vecScale(v, s, out);                                                                   \
    }                                                                                                    \
    ORBMATH_API T cs##P##VecDot(const cs##P##Vec* a, const cs##P##Vec* b) { return L::vecDot(a, b); }   \
    ORBMATH_API T cs##P##VecCross(const cs##P##Vec* a, const cs##P##Vec* b) { return L::vecCross(a, b); } \
    ORBMATH_API T cs##P##VecLen(const cs##P##Vec* v) { return L::vecLen(v); }                           \
    ORBMATH_API T cs##P##VecAng(const cs##P##Vec* v) { return L::vecAng(v); }                           \
    ORBMATH_API cs##P##Vec* cs##P##VecUnit(const cs##P##Vec* v, cs##P##Vec* out) { return L::vecUnit(v, out); } \
    ORBMATH_API cs##P##Vec* cs##P##VecPerp(const cs##P##Vec* v, cs##P##Vec* out) { return L::vecPerp(v, out); } \
    ORBMATH_API cs##P##Vec* cs##P##VecTranspose(const cs##P##Vec* v, cs##P##Vec* out)                   \
    {                                                                                                    \
        return L::vecTranspose(v, out);                                                                  \
    }                                                                                                    \
                                                                                                         \
    ORBMATH_API cs##P##Matrix* cs##P##MatrixCT(cs##P##Matrix* m, T e11, T e12, T e21, T e22)             \
    {                                                                                                    \
        return L::matrixCT(m, e11, e12, e21, e22);                                                       \
    }                                                                                                    \
    ORBMATH_API T cs##P##MatrixDet(const cs##P##Matrix* m) { return L::matrixDet(m); }                  \
    ORBMATH_API cs##P##Matrix* cs##P##MatrixMul(const cs##P##Matrix* A, const cs##P##Matrix* B,          \
                                                cs##P##Matrix* out)                                      \
    {                                                                                                    \
        return L::matrixMul(A, B, out);                                                                  \
    }                                                                                                    \
    ORBMATH_API cs##P##Matrix* cs##P##MatrixInv(const cs##P##Matrix* m, cs##P##Matrix* out)              \
    {                                                                                                    \
        return L::matrixInv(m, out);                                                                     \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##MatrixVecMul(const cs##P##Matrix* m, const cs##P##Vec* v, cs##P##Vec* out) \
    {                                                                                                    \
        return L::matrixVecMul(m, v, out);                                                               \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##MatrixVecInv(const cs##P##Matrix* m, const cs##P##Vec* v, cs##P##Vec* out) \
    {                                                                                                    \
        return L::matrixVecInv(m, v, out);                                                               \
    }                                                                                                    \
    ORBMATH_API cs##P##Matrix* cs##P##MatrixTranspose(const cs##P##Matrix* m, cs##P##Matrix* out)        \
    {                                                                                                    \
        return L::matrixTranspose(m, out);                                                               \
    }                                                                                                    \
    ORBMATH_API T cs##P##MatrixAng(const cs##P##Matrix* m) { return L::matrixAng(m); }                  \
    ORBMATH_API T cs##P##MatrixScale(const cs##P##Matrix* m) { return L::matrixScale(m); }              \
    ORBMATH_API T cs##P##MatrixAspect(const cs##P##Matrix* m) { return L::matrixAspect(m); }            \
    ORBMATH_API T cs##P##MatrixSkew(const cs##P##Matrix* m) { return L::matrixSkew(m); }                \
                                                                                                         \
    ORBMATH_API cs##P##Xform* cs##P##XformCT(cs##P##Xform* X, const cs##P##Matrix* matrix,               \
                                             const cs##P##Vec* translation)                              \
    {                                                                                                    \
        return L::xformCT(X, matrix, translation);                                                       \
    }                                                                                                    \
    ORBMATH_API cs##P##Xform* cs##P##XformElemCT(cs##P##Xform* X, T e11, T e12, T e21, T e22, T x, T y)  \
    {                                                                                                    \
        return L::xformElemCT(X, e11, e12, e21, e22, x, y);                                              \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##XformMapPt(const cs##P##Xform* X, const cs##P##Vec* p, cs##P##Vec* out) \
    {                                                                                                    \
        return L::xformMapPt(X, p, out);                                                                 \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##XformMapVec(const cs##P##Xform* X, const cs##P##Vec* v, cs##P##Vec* out) \
    {                                                                                                    \
        return L::xformMapVec(X, v, out);                                                                \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##XformInvMapPt(const cs##P##Xform* X, const cs##P##Vec* p,             \
                                                 cs##P##Vec* out)                                        \
    {                                                                                                    \
        return L::xformInvMapPt(X, p, out);                                                              \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##XformInvMapVec(const cs##P##Xform* X, const cs##P##Vec* v,            \
                                                  cs##P##Vec* out)                                       \
    {                                                                                                    \
        return L::xformInvMapVec(X, v, out);                                                             \
    }                                                                                                    \
    ORBMATH_API cs##P##Xform* cs##P##XformCompose(const cs##P##Xform* A, const cs##P##Xform* B,          \
                                                  cs##P##Xform* out)                                     \
    {                                                                                                    \
        return L::xformCompose(A, B, out);                                                               \
    }                                                                                                    \
    ORBMATH_API cs##P##Xform* cs##P##XformInv(const cs##P##Xform* X, cs##P##Xform* out)                  \
    {                                                                                                    \
        return L::xformInv(X, out);                                                                      \
    }                                                                                                    \
    ORBMATH_API cs##P##Xform* cs##P##XformTranspose(const cs##P##Xform* X, cs##P##Xform* out)            \
    {                                                                                                    \
        return L::xformTranspose(X, out);                                                                \
    }                                                                                                    \
    ORBMATH_API cs##P##Matrix* cs##P##XformJacob(cs##P##Xform* X) { return &X->matrix; }                \
    ORBMATH_API cs##P##Vec* cs##P##XformMapOrg(cs##P##Xform* X) { return &X->trans; }                   \
    ORBMATH_API T cs##P##XformAng(const cs##P##Xform* X) { return L::matrixAng(&X->matrix); }           \
    ORBMATH_API T cs##P##XformScale(const cs##P##Xform* X) { return L::matrixScale(&X->matrix); }       \
    ORBMATH_API T cs##P##XformAspect(const cs##P##Xform* X) { return L::matrixAspect(&X->matrix); }     \
    ORBMATH_API T cs##P##XformSkew(const cs##P##Xform* X) { return L::matrixSkew(&X->matrix); }         \
                                                                                                         \
    ORBMATH_API cs##P##Rform* cs##P##RformCT(cs##P##Rform* R, const cs##P##Vec* ab,                      \
                                             const cs##P##Vec* translation)                              \
    {                                                                                                    \
        return L::rformCT(R, ab, translation);                                                           \
    }                                                                                                    \
    ORBMATH_API cs##P##Rform* cs##P##RformElemCT(cs##P##Rform* R, T a, T b, T x, T y)                    \
    {                                                                                                    \
        return L::rformElemCT(R, a, b, x, y);                                                            \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##RformMapPt(const cs##P##Rform* R, const cs##P##Vec* p, cs##P##Vec* out) \
    {                                                                                                    \
        return L::rformMapPt(R, p, out);                                                                 \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##RformMapVec(const cs##P##Rform* R, const cs##P##Vec* v, cs##P##Vec* out) \
    {                                                                                                    \
        return L::rformMapVec(R, v, out);                                                                \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##RformInvMapPt(const cs##P##Rform* R, const cs##P##Vec* p,             \
                                                 cs##P##Vec* out)                                        \
    {                                                                                                    \
        return L::rformInvMapPt(R, p, out);                                                              \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##RformInvMapVec(const cs##P##Rform* R, const cs##P##Vec* v,            \
                                                  cs##P##Vec* out)                                       \
    {                                                                                                    \
        return L::rformInvMapVec(R, v, out);                                                             \
    }                                                                                                    \
    ORBMATH_API cs##P##Rform* cs##P##RformCompose(const cs##P##Rform* A, const cs##P##Rform* B,          \
                                                  cs##P##Rform* out)                                     \
    {                                                                                                    \
        return L::rformCompose(A, B, out);                                                               \
    }                                                                                                    \
    ORBMATH_API cs##P##Rform* cs##P##RformInv(const cs##P##Rform* R, cs##P##Rform* out)                  \
    {                                                                                                    \
        return L::rformInv(R, out);                                                                      \
    }                                                                                                    \
    ORBMATH_API cs##P##Vec* cs##P##RformJacob(cs##P##Rform* R) { return &R->ab; }                       \
    ORBMATH_API cs##P##Vec* cs##P##RformMapOrg(cs##P##Rform* R) { return &R->trans; }                   \
    ORBMATH_API T cs##P##RformAng(const cs##P##Rform* R) { return L::rformAng(R); }                     \
    ORBMATH_API T cs##P##RformScale(const cs##P##Rform* R) { return L::rformScale(R); }

extern "C" {
ORBMATH_LEGACY_EDITION(F, LF, float)
ORBMATH_LEGACY_EDITION(D, LD, double)
}

namespace {

// Arrays of points through an Xform: the arithmetic of xformMapPt, many points at a time.
template <class T, class Vec, class Xform> cmath_status xformMapPts(const Xform* X, const Vec* in, Vec* out, int32_t n)
{
    static_assert(sizeof(Vec) == 2 * sizeof(T), "points are two packed scalars");
    const cmath_status st = orb::pts::checkArrays(X, in, out, n);
    if (st < 0 || n == 0) {
        return st;
    }
    const orb::pts::Affine<T> k{X->matrix.e11, X->matrix.e12, X->matrix.e21, X->matrix.e22, X->trans.x, X->trans.y};
    orb::pts::mapArray(k, reinterpret_cast<const T*>(in), reinterpret_cast<T*>(out), static_cast<std::size_t>(n));
    return 0;
}

} // namespace

extern "C" {

ORBMATH_API cmath_status csFXformMapPts(const csFXform* X, const csFVec* in, csFVec* out, int32_t n)
{
    return xformMapPts<float>(X, in, out, n);
}

ORBMATH_API cmath_status csDXformMapPts(const csDXform* X, const csDVec* in, csDVec* out, int32_t n)
{
    return xformMapPts<double>(X, in, out, n);
}

} // extern "C"
