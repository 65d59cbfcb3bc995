// The legacy geometry interface in both editions: the stated operation orders, compared exactly
// with the formula evaluated in the edition's precision on values that are inexact in both (so
// that the order shows); "Transpose" as the coordinate exchange.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The two editions behind one name, so that each test runs for float and for double.
#define LEGACY_NAMES(F)                                                                          \
    F(VecCT) F(VecX) F(VecY) F(VecAdd) F(VecSub) F(VecScale) F(VecDot) F(VecCross) F(VecLen)    \
    F(VecAng) F(VecUnit) F(VecPerp) F(VecTranspose) F(MatrixCT) F(MatrixDet) F(MatrixMul)       \
    F(MatrixInv) F(MatrixVecMul) F(MatrixVecInv) F(MatrixTranspose) F(MatrixAng) F(MatrixScale) \
    F(MatrixAspect) F(MatrixSkew) F(XformCT) F(XformElemCT) F(XformMapPt) F(XformMapVec)        \
    F(XformInvMapPt) F(XformInvMapVec) F(XformCompose) F(XformInv) F(XformTranspose)            \
    F(XformJacob) F(XformMapOrg) F(XformAng) F(XformScale) F(XformAspect) F(XformSkew)          \
    F(RformCT) F(RformElemCT) F(RformMapPt) F(RformMapVec) F(RformInvMapPt) F(RformInvMapVec)   \
    F(RformCompose) F(RformInv) F(RformJacob) F(RformMapOrg) F(RformAng) F(RformScale)          \
    F(VecNull) F(VecUnitX) F(VecUnitY) F(MatrixI) F(XformI) F(RformI)
#define LEGACY_F(N) static constexpr auto& N = csF##N;
#define LEGACY_D(N) static constexpr auto& N = csD##N;
#define LEGACY_EDITION(Name, P, Scalar)                                                          \
    struct Name {                                                                              \
        using T = Scalar;                                                                      \
        using Vec = cs##P##Vec;                                                                \
        using Matrix = cs##P##Matrix;                                                          \
        using Xform = cs##P##Xform;                                                            \
        using Rform = cs##P##Rform;                                                            \
        LEGACY_NAMES(LEGACY_##P)                                                               \
    };
} // namespace

namespace legacy_editions { // named, so that the typed tests' names carry no blanks
LEGACY_EDITION(FloatEdition, F, float)
LEGACY_EDITION(DoubleEdition, D, double)
} // namespace legacy_editions

namespace {


template <class E>
class Legacy : public ::testing::Test {};
using Editions = ::testing::Types<legacy_editions::FloatEdition, legacy_editions::DoubleEdition>;
TYPED_TEST_SUITE(Legacy, Editions);

// The fields of a legacy record in memory order (every record is made of scalars of one type).
template <class T, class S>
std::vector<T> fields(const S& s)
{
    std::vector<T> out(sizeof s / sizeof(T));
    std::memcpy(out.data(), &s, sizeof s);
    return out;
}

} // namespace

TYPED_TEST(Legacy, AffineAndSimilarityTransforms)
{
    using E = TypeParam;
    using T = typename E::T;
    using V = std::vector<T>;
    typename E::Xform X, Y, out;
    const T e[6] = {T(1.1), T(0.3), T(-0.7), T(2.9), T(5.5), T(-6.25)};
    EXPECT_EQ(E::XformElemCT(&X, e[0], e[1], e[2], e[3], e[4], e[5]), &X);
    EXPECT_EQ(fields<T>(X), (V{e[4], e[5], e[0], e[1], e[2], e[3]}));
    typename E::Matrix ym{T(0.5), T(-1.3), T(0.2), T(0.9)};
    typename E::Vec yt{T(0.125), T(3.3)};
    EXPECT_TRUE(E::XformCT(&Y, &ym, &yt) == &Y && fields<T>(Y) == (V{yt.x, yt.y, ym.e11, ym.e12, ym.e21, ym.e22}));

    const auto& M = X.matrix;
    typename E::Vec p{T(0.4), T(-1.7)}, q, r, viaMatrix, t;
    EXPECT_TRUE(E::XformMapPt(&X, &p, &q) == &q && q.x == T(T(T(M.e11 * p.x) + T(M.e12 * p.y)) + X.trans.x) &&
                q.y == T(T(T(M.e21 * p.x) + T(M.e22 * p.y)) + X.trans.y));
    E::XformMapVec(&X, &p, &r);
    EXPECT_TRUE(r.x == T(T(M.e11 * p.x) + T(M.e12 * p.y)) && r.y == T(T(M.e21 * p.x) + T(M.e22 * p.y)));
    // The inverse maps subtract the translation, then solve with the matrix.
    const typename E::Vec d{T(q.x - X.trans.x), T(q.y - X.trans.y)};
    E::MatrixVecInv(&M, &d, &viaMatrix);
    EXPECT_TRUE(E::XformInvMapPt(&X, &q, &r) == &r && r.x == viaMatrix.x && r.y == viaMatrix.y);
    EXPECT_TRUE(E::XformInvMapVec(&X, &d, &r) == &r && r.x == viaMatrix.x && r.y == viaMatrix.y);

    // Composition applies Y first; the translation is A.matrix * B.trans + A.trans.
    E::XformCompose(&X, &Y, &out);
    typename E::Matrix mm, inv;
    E::MatrixVecMul(&M, &Y.trans, &t);
    E::MatrixMul(&M, &Y.matrix, &mm);
    const V composed{T(t.x + X.trans.x), T(t.y + X.trans.y), mm.e11, mm.e12, mm.e21, mm.e22};
    EXPECT_EQ(fields<T>(out), composed);
    typename E::Xform alias = X;
    EXPECT_TRUE(E::XformCompose(&alias, &Y, &alias) == &alias && fields<T>(alias) == composed);

    // Inverse: the inverted matrix times the old translation, both components negated.
    E::XformInv(&X, &out);
    E::MatrixInv(&M, &inv);
    E::MatrixVecMul(&inv, &X.trans, &t);
    EXPECT_EQ(fields<T>(out), (V{-t.x, -t.y, inv.e11, inv.e12, inv.e21, inv.e22}));

    typename E::Xform tr;
    E::XformElemCT(&tr, 1, 2, 3, 4, 5, 6);
    EXPECT_TRUE(E::XformTranspose(&tr, &tr) == &tr && fields<T>(tr) == (V{6, 5, 3, 4, 1, 2}));

    EXPECT_EQ(static_cast<void*>(E::XformJacob(&X)), static_cast<void*>(&X.matrix));
    EXPECT_EQ(static_cast<void*>(E::XformMapOrg(&X)), static_cast<void*>(&X));
    EXPECT_TRUE(E::XformAng(&X) == E::MatrixAng(&X.matrix) && E::XformScale(&X) == E::MatrixScale(&X.matrix));
    EXPECT_TRUE(E::XformAspect(&X) == E::MatrixAspect(&X.matrix) && E::XformSkew(&X) == E::MatrixSkew(&X.matrix));
    // A singular matrix gives non-finite elements and no error.
    EXPECT_TRUE(E::XformInv(E::XformElemCT(&tr, 1, 2, 2, 4, 1, 1), &out) == &out && !std::isfinite(out.matrix.e11));

    // Similarity transforms: (a, b) stands for the matrix {a, b, -b, a}.
    typename E::Rform R, S, rout;
    EXPECT_EQ(E::RformElemCT(&R, T(0.8), T(-0.35), T(2.5), T(-1.1)), &R);
    EXPECT_EQ(fields<T>(R), (V{T(2.5), T(-1.1), T(0.8), T(-0.35)}));
    const typename E::Vec ab{T(1.3), T(0.45)}, rt{T(-0.6), T(0.9)};
    EXPECT_TRUE(E::RformCT(&S, &ab, &rt) == &S && fields<T>(S) == (V{rt.x, rt.y, ab.x, ab.y}));
    const T a = R.ab.x, b = R.ab.y, w = T(1) / T(T(a * a) + T(b * b));
    const typename E::Vec pt{T(0.7), T(-2.2)};
    EXPECT_TRUE(E::RformMapPt(&R, &pt, &q) == &q && q.x == T(T(T(a * pt.x) + T(b * pt.y)) + R.trans.x) &&
                q.y == T(T(T(a * pt.y) - T(b * pt.x)) + R.trans.y));
    E::RformMapVec(&R, &pt, &q);
    EXPECT_TRUE(q.x == T(T(a * pt.x) + T(b * pt.y)) && q.y == T(T(a * pt.y) - T(b * pt.x)));
    E::RformInvMapVec(&R, &pt, &q);
    EXPECT_TRUE(q.x == T(T(T(pt.x * a) - T(pt.y * b)) * w) && q.y == T(T(T(pt.y * a) + T(pt.x * b)) * w));
    E::RformInvMapPt(&R, &pt, &q);
    const T dx = T(pt.x - R.trans.x), dy = T(pt.y - R.trans.y);
    EXPECT_TRUE(q.x == T(T(T(dx * a) - T(dy * b)) * w) && q.y == T(T(T(dy * a) + T(dx * b)) * w));

    E::RformCompose(&R, &S, &rout);
    const V rcomposed{T(T(T(a * S.trans.x) + T(b * S.trans.y)) + R.trans.x),
                     T(T(T(a * S.trans.y) - T(b * S.trans.x)) + R.trans.y), T(T(S.ab.x * a) - T(b * S.ab.y)),
                     T(T(S.ab.x * b) + T(S.ab.y * a))};
    EXPECT_EQ(fields<T>(rout), rcomposed);
    typename E::Rform ralias = S;
    EXPECT_TRUE(E::RformCompose(&R, &ralias, &ralias) == &ralias && fields<T>(ralias) == rcomposed);

    E::RformInv(&R, &rout);
    const T a1 = T(w * a), b1 = -T(w * b);
    const V inverse{-T(T(R.trans.x * a1) + T(R.trans.y * b1)), T(T(R.trans.x * b1) - T(R.trans.y * a1)), a1, b1};
    EXPECT_EQ(fields<T>(rout), inverse);
    EXPECT_TRUE(E::RformInv(&R, &R) == &R && fields<T>(R) == inverse);

    EXPECT_EQ(static_cast<void*>(E::RformJacob(&S)), static_cast<void*>(&S.ab));
    EXPECT_EQ(static_cast<void*>(E::RformMapOrg(&S)), static_cast<void*>(&S));
    EXPECT_EQ(E::RformScale(&S), std::sqrt(T(T(S.ab.x * S.ab.x) + T(S.ab.y * S.ab.y))));
    EXPECT_EQ(E::RformAng(&S), std::atan2(-S.ab.y, S.ab.x));
}
