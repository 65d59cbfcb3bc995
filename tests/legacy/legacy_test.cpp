// The legacy geometry interface in both editions: the constant objects, the stated operation
// orders (results compared exactly with the same formula evaluated in the edition's precision),
// "Transpose" as the coordinate exchange, aliasing of output and input, and the places where the
// float edition stays in single precision or widens to double.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// The two editions behind one name, so that each test runs for float and for double.
#define ORBMATH_TEST_EDITION(Name, P, Scalar)                                                   \
    struct Name {                                                                              \
        using T = Scalar;                                                                      \
        using Vec = cs##P##Vec;                                                                \
        using Matrix = cs##P##Matrix;                                                          \
        using Xform = cs##P##Xform;                                                            \
        using Rform = cs##P##Rform;                                                            \
        static constexpr auto VecCT = cs##P##VecCT;                                            \
        static constexpr auto VecX = cs##P##VecX;                                              \
        static constexpr auto VecY = cs##P##VecY;                                              \
        static constexpr auto VecAdd = cs##P##VecAdd;                                          \
        static constexpr auto VecSub = cs##P##VecSub;                                          \
        static constexpr auto VecScale = cs##P##VecScale;                                      \
        static constexpr auto VecDot = cs##P##VecDot;                                          \
        static constexpr auto VecCross = cs##P##VecCross;                                      \
        static constexpr auto VecLen = cs##P##VecLen;                                          \
        static constexpr auto VecAng = cs##P##VecAng;                                          \
        static constexpr auto VecUnit = cs##P##VecUnit;                                        \
        static constexpr auto VecPerp = cs##P##VecPerp;                                        \
        static constexpr auto VecTranspose = cs##P##VecTranspose;                              \
        static constexpr auto MatrixCT = cs##P##MatrixCT;                                      \
        static constexpr auto MatrixDet = cs##P##MatrixDet;                                    \
        static constexpr auto MatrixMul = cs##P##MatrixMul;                                    \
        static constexpr auto MatrixInv = cs##P##MatrixInv;                                    \
        static constexpr auto MatrixVecMul = cs##P##MatrixVecMul;                              \
        static constexpr auto MatrixVecInv = cs##P##MatrixVecInv;                              \
        static constexpr auto MatrixTranspose = cs##P##MatrixTranspose;                        \
        static constexpr auto MatrixAng = cs##P##MatrixAng;                                    \
        static constexpr auto MatrixScale = cs##P##MatrixScale;                                \
        static constexpr auto MatrixAspect = cs##P##MatrixAspect;                              \
        static constexpr auto MatrixSkew = cs##P##MatrixSkew;                                  \
        static constexpr auto XformCT = cs##P##XformCT;                                        \
        static constexpr auto XformElemCT = cs##P##XformElemCT;                                \
        static constexpr auto XformMapPt = cs##P##XformMapPt;                                  \
        static constexpr auto XformMapVec = cs##P##XformMapVec;                                \
        static constexpr auto XformInvMapPt = cs##P##XformInvMapPt;                            \
        static constexpr auto XformInvMapVec = cs##P##XformInvMapVec;                          \
        static constexpr auto XformCompose = cs##P##XformCompose;                              \
        static constexpr auto XformInv = cs##P##XformInv;                                      \
        static constexpr auto XformTranspose = cs##P##XformTranspose;                          \
        static constexpr auto XformJacob = cs##P##XformJacob;                                  \
        static constexpr auto XformMapOrg = cs##P##XformMapOrg;                                \
        static constexpr auto XformAng = cs##P##XformAng;                                      \
        static constexpr auto XformScale = cs##P##XformScale;                                  \
        static constexpr auto XformAspect = cs##P##XformAspect;                                \
        static constexpr auto XformSkew = cs##P##XformSkew;                                    \
        static constexpr auto RformCT = cs##P##RformCT;                                        \
        static constexpr auto RformElemCT = cs##P##RformElemCT;                                \
        static constexpr auto RformMapPt = cs##P##RformMapPt;                                  \
        static constexpr auto RformMapVec = cs##P##RformMapVec;                                \
        static constexpr auto RformInvMapPt = cs##P##RformInvMapPt;                            \
        static constexpr auto RformInvMapVec = cs##P##RformInvMapVec;                          \
        static constexpr auto RformCompose = cs##P##RformCompose;                              \
        static constexpr auto RformInv = cs##P##RformInv;                                      \
        static constexpr auto RformJacob = cs##P##RformJacob;                                  \
        static constexpr auto RformMapOrg = cs##P##RformMapOrg;                                \
        static constexpr auto RformAng = cs##P##RformAng;                                      \
        static constexpr auto RformScale = cs##P##RformScale;                                  \
        static const Vec& vecNull() { return cs##P##VecNull; }                                 \
        static const Vec& unitX() { return cs##P##VecUnitX; }                                  \
        static const Vec& unitY() { return cs##P##VecUnitY; }                                  \
        static const Matrix& matrixI() { return cs##P##MatrixI; }                              \
        static const Xform& xformI() { return cs##P##XformI; }                                 \
        static const Rform& rformI() { return cs##P##RformI; }                                 \
    };
ORBMATH_TEST_EDITION(FloatEdition, F, float)
ORBMATH_TEST_EDITION(DoubleEdition, D, double)

template <class E>
class Legacy : public ::testing::Test {};
using Editions = ::testing::Types<FloatEdition, DoubleEdition>;
TYPED_TEST_SUITE(Legacy, Editions);

// Values that are not exact in either precision, so that the order of operations shows.
template <class T>
T v(double x)
{
    return static_cast<T>(x);
}

} // namespace

TYPED_TEST(Legacy, ConstantObjects)
{
    using E = TypeParam;
    EXPECT_EQ(E::vecNull().x, 0);
    EXPECT_EQ(E::vecNull().y, 0);
    EXPECT_EQ(E::unitX().x, 1);
    EXPECT_EQ(E::unitX().y, 0);
    EXPECT_EQ(E::unitY().x, 0);
    EXPECT_EQ(E::unitY().y, 1);
    const auto& m = E::matrixI();
    EXPECT_TRUE(m.e11 == 1 && m.e12 == 0 && m.e21 == 0 && m.e22 == 1);
    const auto& x = E::xformI();
    EXPECT_TRUE(x.trans.x == 0 && x.trans.y == 0 && x.matrix.e11 == 1 && x.matrix.e12 == 0 &&
                x.matrix.e21 == 0 && x.matrix.e22 == 1);
    const auto& r = E::rformI();
    EXPECT_TRUE(r.trans.x == 0 && r.trans.y == 0 && r.ab.x == 1 && r.ab.y == 0);
}

TYPED_TEST(Legacy, VectorsExactAndAliased)
{
    using E = TypeParam;
    using T = typename E::T;
    typename E::Vec a, b, out;
    EXPECT_EQ(E::VecCT(&a, v<T>(0.1), v<T>(0.7)), &a);
    E::VecCT(&b, v<T>(0.3), v<T>(-0.2));
    EXPECT_EQ(E::VecX(&a), v<T>(0.1));
    EXPECT_EQ(E::VecY(&a), v<T>(0.7));
    EXPECT_EQ(E::VecAdd(&a, &b, &out), &out);
    EXPECT_TRUE(out.x == T(a.x + b.x) && out.y == T(a.y + b.y));
    E::VecSub(&a, &b, &out);
    EXPECT_TRUE(out.x == T(a.x - b.x) && out.y == T(a.y - b.y));
    E::VecScale(&a, v<T>(3.3), &out);
    EXPECT_TRUE(out.x == T(v<T>(3.3) * a.x) && out.y == T(v<T>(3.3) * a.y));
    EXPECT_EQ(E::VecDot(&a, &b), T(T(a.x * b.x) + T(a.y * b.y)));
    EXPECT_EQ(E::VecCross(&a, &b), T(T(a.x * b.y) - T(a.y * b.x)));
    EXPECT_EQ(E::VecLen(&a), std::sqrt(T(T(a.x * a.x) + T(a.y * a.y))));

    typename E::Vec z{0, 0}, u{3, 4};
    E::VecUnit(&z, &out);
    EXPECT_TRUE(out.x == 0 && out.y == 0);
    E::VecUnit(&u, &out);
    EXPECT_TRUE(out.x == T(3 * T(T(1) / T(5))) && out.y == T(4 * T(T(1) / T(5))));
    EXPECT_NEAR(out.x, 0.6, 1e-7);

    typename E::Vec p{1, 2};
    EXPECT_EQ(E::VecPerp(&p, &p), &p);
    EXPECT_TRUE(p.x == -2 && p.y == 1);
    p = {1, 2};
    EXPECT_EQ(E::VecTranspose(&p, &p), &p);
    EXPECT_TRUE(p.x == 2 && p.y == 1);
    E::VecAdd(&a, &a, &a);
    EXPECT_EQ(a.x, T(v<T>(0.1) + v<T>(0.1)));
    E::VecCT(&a, 0, 1);
    EXPECT_NEAR(E::VecAng(&a), 1.5707963267948966, 1e-7);
}

TYPED_TEST(Legacy, MatricesAndTheirRowExchange)
{
    using E = TypeParam;
    using T = typename E::T;
    typename E::Matrix m, n, out;
    E::MatrixCT(&m, v<T>(1.1), v<T>(0.3), v<T>(-0.7), v<T>(2.9));
    E::MatrixCT(&n, v<T>(0.5), v<T>(-1.3), v<T>(0.2), v<T>(0.9));
    const T det = T(T(m.e11 * m.e22) - T(m.e12 * m.e21));
    EXPECT_EQ(E::MatrixDet(&m), det);

    EXPECT_EQ(E::MatrixMul(&m, &n, &out), &out);
    EXPECT_EQ(out.e11, T(T(m.e11 * n.e11) + T(m.e12 * n.e21)));
    EXPECT_EQ(out.e12, T(T(m.e11 * n.e12) + T(m.e12 * n.e22)));
    EXPECT_EQ(out.e21, T(T(m.e21 * n.e11) + T(m.e22 * n.e21)));
    EXPECT_EQ(out.e22, T(T(m.e21 * n.e12) + T(m.e22 * n.e22)));
    typename E::Matrix self = m;
    E::MatrixMul(&self, &n, &self);
    EXPECT_TRUE(self.e11 == out.e11 && self.e12 == out.e12 && self.e21 == out.e21 && self.e22 == out.e22);

    const T r = T(1) / det;
    E::MatrixInv(&m, &out);
    EXPECT_TRUE(out.e11 == T(m.e22 * r) && out.e12 == -T(r * m.e12) && out.e21 == -T(r * m.e21) &&
                out.e22 == T(m.e11 * r));

    typename E::Vec p{v<T>(0.4), v<T>(-1.7)}, q;
    E::MatrixVecMul(&m, &p, &q);
    EXPECT_TRUE(q.x == T(T(m.e11 * p.x) + T(m.e12 * p.y)) && q.y == T(T(m.e21 * p.x) + T(m.e22 * p.y)));
    E::MatrixVecInv(&m, &p, &q);
    EXPECT_EQ(q.x, T(T(T(p.x * m.e22) - T(p.y * m.e12)) * r));
    EXPECT_EQ(q.y, T(T(T(p.y * m.e11) - T(p.x * m.e21)) * r));
    E::MatrixVecInv(&m, &p, &p); // output = input
    EXPECT_TRUE(p.x == q.x && p.y == q.y);

    typename E::Matrix t{1, 2, 3, 4};
    EXPECT_EQ(E::MatrixTranspose(&t, &t), &t);
    EXPECT_TRUE(t.e11 == 3 && t.e12 == 4 && t.e21 == 1 && t.e22 == 2);

    EXPECT_EQ(E::MatrixScale(&m), std::sqrt(T(T(m.e11 * m.e11) + T(m.e21 * m.e21))));
    EXPECT_EQ(E::MatrixAspect(&m), det / T(T(m.e21 * m.e21) + T(m.e11 * m.e11)));
    typename E::Matrix shear{1, 1, 0, 1};
    EXPECT_NEAR(E::MatrixSkew(&shear), 0.7853981633974483, 1e-7);
    EXPECT_EQ(E::MatrixSkew(&shear), std::atan(T(1)));
    typename E::Matrix rot{0, -1, 1, 0};
    EXPECT_NEAR(E::MatrixAng(&rot), 1.5707963267948966, 1e-7);
}

TYPED_TEST(Legacy, AffineTransforms)
{
    using E = TypeParam;
    using T = typename E::T;
    typename E::Xform X, Y, out;
    EXPECT_EQ(E::XformElemCT(&X, v<T>(1.1), v<T>(0.3), v<T>(-0.7), v<T>(2.9), v<T>(5.5), v<T>(-6.25)), &X);
    EXPECT_TRUE(X.matrix.e12 == v<T>(0.3) && X.trans.x == v<T>(5.5) && X.trans.y == v<T>(-6.25));
    typename E::Matrix ym{v<T>(0.5), v<T>(-1.3), v<T>(0.2), v<T>(0.9)};
    typename E::Vec yt{v<T>(0.125), v<T>(3.3)};
    EXPECT_EQ(E::XformCT(&Y, &ym, &yt), &Y);
    EXPECT_TRUE(Y.matrix.e11 == ym.e11 && Y.matrix.e22 == ym.e22 && Y.trans.y == yt.y);

    typename E::Vec p{v<T>(0.4), v<T>(-1.7)}, q, r;
    E::XformMapPt(&X, &p, &q);
    EXPECT_EQ(q.x, T(T(T(X.matrix.e11 * p.x) + T(X.matrix.e12 * p.y)) + X.trans.x));
    EXPECT_EQ(q.y, T(T(T(X.matrix.e21 * p.x) + T(X.matrix.e22 * p.y)) + X.trans.y));
    E::XformMapVec(&X, &p, &r);
    EXPECT_EQ(r.x, T(T(X.matrix.e11 * p.x) + T(X.matrix.e12 * p.y)));
    E::XformInvMapPt(&X, &q, &r);
    EXPECT_NEAR(r.x, p.x, 1e-5);
    EXPECT_NEAR(r.y, p.y, 1e-5);
    const typename E::Vec d{T(q.x - X.trans.x), T(q.y - X.trans.y)};
    typename E::Vec viaMatrix;
    E::MatrixVecInv(&X.matrix, &d, &viaMatrix);
    EXPECT_TRUE(r.x == viaMatrix.x && r.y == viaMatrix.y);
    E::XformInvMapVec(&X, &d, &r);
    EXPECT_TRUE(r.x == viaMatrix.x && r.y == viaMatrix.y);

    // Composition applies Y first; the translation is A.matrix * B.trans + A.trans.
    E::XformCompose(&X, &Y, &out);
    typename E::Vec t;
    E::MatrixVecMul(&X.matrix, &Y.trans, &t);
    EXPECT_TRUE(out.trans.x == T(t.x + X.trans.x) && out.trans.y == T(t.y + X.trans.y));
    typename E::Matrix mm;
    E::MatrixMul(&X.matrix, &Y.matrix, &mm);
    EXPECT_TRUE(out.matrix.e11 == mm.e11 && out.matrix.e21 == mm.e21 && out.matrix.e22 == mm.e22);
    typename E::Xform alias = X;
    E::XformCompose(&alias, &Y, &alias);
    EXPECT_TRUE(alias.trans.x == out.trans.x && alias.matrix.e12 == out.matrix.e12);

    // Inverse: the inverted matrix times the old translation, both components negated.
    E::XformInv(&X, &out);
    typename E::Matrix inv;
    E::MatrixInv(&X.matrix, &inv);
    E::MatrixVecMul(&inv, &X.trans, &t);
    EXPECT_TRUE(out.trans.x == -t.x && out.trans.y == -t.y && out.matrix.e12 == inv.e12);
    typename E::Xform round;
    E::XformCompose(&out, &X, &round);
    EXPECT_NEAR(round.matrix.e11, 1, 1e-5);
    EXPECT_NEAR(round.trans.y, 0, 1e-5);

    typename E::Xform tr;
    E::XformElemCT(&tr, 1, 2, 3, 4, 5, 6);
    EXPECT_EQ(E::XformTranspose(&tr, &tr), &tr);
    EXPECT_TRUE(tr.trans.x == 6 && tr.trans.y == 5 && tr.matrix.e11 == 3 && tr.matrix.e12 == 4 &&
                tr.matrix.e21 == 1 && tr.matrix.e22 == 2);

    EXPECT_EQ(static_cast<void*>(E::XformJacob(&X)), static_cast<void*>(&X.matrix));
    EXPECT_EQ(static_cast<void*>(E::XformMapOrg(&X)), static_cast<void*>(&X));
    EXPECT_EQ(E::XformAng(&X), E::MatrixAng(&X.matrix));
    EXPECT_EQ(E::XformScale(&X), E::MatrixScale(&X.matrix));
    EXPECT_EQ(E::XformAspect(&X), E::MatrixAspect(&X.matrix));
    EXPECT_EQ(E::XformSkew(&X), E::MatrixSkew(&X.matrix));

    // A singular matrix gives non-finite elements and no error.
    typename E::Xform sing;
    E::XformElemCT(&sing, 1, 2, 2, 4, 1, 1);
    E::XformInv(&sing, &out);
    EXPECT_FALSE(std::isfinite(out.matrix.e11));
}

TYPED_TEST(Legacy, SimilarityTransforms)
{
    using E = TypeParam;
    using T = typename E::T;
    typename E::Rform R, S, out;
    EXPECT_EQ(E::RformElemCT(&R, 0, 1, 0, 0), &R);
    typename E::Vec p{1, 0}, q;
    E::RformMapPt(&R, &p, &q);
    EXPECT_TRUE(q.x == 0 && q.y == -1);
    EXPECT_NEAR(E::RformAng(&R), -1.5707963267948966, 1e-7);
    EXPECT_EQ(E::RformScale(&R), 1);

    E::RformElemCT(&R, v<T>(0.8), v<T>(-0.35), v<T>(2.5), v<T>(-1.1));
    const typename E::Vec ab{v<T>(1.3), v<T>(0.45)}, tr{v<T>(-0.6), v<T>(0.9)};
    EXPECT_EQ(E::RformCT(&S, &ab, &tr), &S);
    EXPECT_TRUE(S.ab.x == ab.x && S.ab.y == ab.y && S.trans.x == tr.x && S.trans.y == tr.y);
    const T a = R.ab.x, b = R.ab.y;
    typename E::Vec pt{v<T>(0.7), v<T>(-2.2)};
    E::RformMapPt(&R, &pt, &q);
    EXPECT_EQ(q.x, T(T(T(a * pt.x) + T(b * pt.y)) + R.trans.x));
    EXPECT_EQ(q.y, T(T(T(a * pt.y) - T(b * pt.x)) + R.trans.y));
    E::RformMapVec(&R, &pt, &q);
    EXPECT_EQ(q.x, T(T(a * pt.x) + T(b * pt.y)));
    EXPECT_EQ(q.y, T(T(a * pt.y) - T(b * pt.x)));
    const T w = T(1) / T(T(a * a) + T(b * b));
    E::RformInvMapVec(&R, &pt, &q);
    EXPECT_EQ(q.x, T(T(T(pt.x * a) - T(pt.y * b)) * w));
    EXPECT_EQ(q.y, T(T(T(pt.y * a) + T(pt.x * b)) * w));
    E::RformInvMapPt(&R, &pt, &q);
    const T dx = T(pt.x - R.trans.x), dy = T(pt.y - R.trans.y);
    EXPECT_EQ(q.x, T(T(T(dx * a) - T(dy * b)) * w));
    EXPECT_EQ(q.y, T(T(T(dy * a) + T(dx * b)) * w));

    E::RformCompose(&R, &S, &out);
    EXPECT_EQ(out.trans.x, T(T(T(a * S.trans.x) + T(b * S.trans.y)) + R.trans.x));
    EXPECT_EQ(out.trans.y, T(T(T(a * S.trans.y) - T(b * S.trans.x)) + R.trans.y));
    EXPECT_EQ(out.ab.x, T(T(S.ab.x * a) - T(b * S.ab.y)));
    EXPECT_EQ(out.ab.y, T(T(S.ab.x * b) + T(S.ab.y * a)));
    // Composition maps like S first, then R.
    typename E::Vec viaBoth, viaS;
    E::RformMapPt(&S, &pt, &viaS);
    E::RformMapPt(&R, &viaS, &viaBoth);
    E::RformMapPt(&out, &pt, &q);
    EXPECT_NEAR(q.x, viaBoth.x, 1e-5);
    EXPECT_NEAR(q.y, viaBoth.y, 1e-5);
    typename E::Rform alias = S;
    E::RformCompose(&R, &alias, &alias);
    EXPECT_TRUE(alias.trans.x == out.trans.x && alias.ab.y == out.ab.y);

    E::RformInv(&R, &out);
    const T a1 = T(w * a), b1 = -T(w * b);
    EXPECT_TRUE(out.ab.x == a1 && out.ab.y == b1);
    EXPECT_EQ(out.trans.x, -T(T(R.trans.x * a1) + T(R.trans.y * b1)));
    EXPECT_EQ(out.trans.y, T(T(R.trans.x * b1) - T(R.trans.y * a1)));
    typename E::Rform self = R;
    E::RformInv(&self, &self);
    EXPECT_TRUE(self.trans.x == out.trans.x && self.ab.x == out.ab.x);

    EXPECT_EQ(static_cast<void*>(E::RformJacob(&R)), static_cast<void*>(&R.ab));
    EXPECT_EQ(static_cast<void*>(E::RformMapOrg(&R)), static_cast<void*>(&R));
    EXPECT_EQ(E::RformScale(&R), std::sqrt(T(T(a * a) + T(b * b))));
    EXPECT_EQ(E::RformAng(&R), std::atan2(-b, a));
}

// The float edition computes in single precision: over many inputs the float results equal
// the single-precision formula, and for some of them differ from the double result rounded once.
TEST(LegacyFloat, SinglePrecisionAndTheWidenedAngle)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> dist(-3.0f, 3.0f);
    int dotDiffers = 0, lenDiffers = 0, skewDiffers = 0;
    for (int k = 0; k < 5000; ++k) {
        const csFVec a{dist(rng), dist(rng)}, b{dist(rng), dist(rng)};
        const float dot = a.x * b.x + a.y * b.y;
        ASSERT_EQ(csFVecDot(&a, &b), dot);
        dotDiffers += dot != static_cast<float>(double(a.x) * b.x + double(a.y) * b.y);
        const float len = std::sqrt(a.x * a.x + a.y * a.y);
        ASSERT_EQ(csFVecLen(&a), len);
        lenDiffers += len != static_cast<float>(std::sqrt(double(a.x) * a.x + double(a.y) * a.y));
        ASSERT_EQ(csFVecAng(&a), std::atan2(a.y, a.x));
        const csFMatrix m{a.x, a.y, b.x, b.y};
        const float ratio = (m.e11 * m.e12 + m.e21 * m.e22) / (m.e11 * m.e22 - m.e12 * m.e21);
        ASSERT_EQ(csFMatrixSkew(&m), std::atan(ratio));
        skewDiffers += std::atan(ratio) != static_cast<float>(std::atan(static_cast<double>(ratio)));
        const float ang = static_cast<float>(std::atan2(static_cast<double>(m.e21), static_cast<double>(m.e11)));
        ASSERT_EQ(csFMatrixAng(&m), ang);
        const csDMatrix md{a.x, a.y, b.x, b.y};
        ASSERT_EQ(csDMatrixAng(&md), std::atan2(double(b.x), double(a.x)));
        const csFRform r{{0, 0}, {a.x, a.y}};
        ASSERT_EQ(csFRformAng(&r), std::atan2(-a.y, a.x));
    }
    EXPECT_GT(dotDiffers, 0);
    EXPECT_GT(lenDiffers + skewDiffers, 0);
}

TEST(LegacyDouble, QuotedCases)
{
    csDMatrix m{1, 2, 3, 4};
    csDMatrixTranspose(&m, &m);
    EXPECT_TRUE(m.e11 == 3 && m.e12 == 4 && m.e21 == 1 && m.e22 == 2);
    csDMatrix shear{1, 1, 0, 1};
    EXPECT_EQ(csDMatrixSkew(&shear), std::atan(1.0));
    csFVec z{0, 0}, u{3, 4}, out{};
    csFVecUnit(&z, &out);
    EXPECT_TRUE(out.x == 0.0f && out.y == 0.0f);
    csFVecUnit(&u, &out);
    EXPECT_EQ(out.x, 3.0f * (1.0f / 5.0f));
    EXPECT_EQ(out.y, 4.0f * (1.0f / 5.0f));
}
