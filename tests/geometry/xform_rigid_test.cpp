// Rigid transforms: sine and cosine of the angle after every setter, composition, inverse, aliasing.
#include "geom_util.h"

using namespace geomtest;
using R = cmath_xformRigid;

namespace {

::testing::AssertionResult consistent(const R& x)
{
    if (bits(x.sine) == bits(std::sin(x.angle)) && bits(x.cosine) == bits(std::cos(x.angle))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "sine/cosine do not belong to angle " << x.angle;
}

R rigid(double angle, double tx, double ty)
{
    const cmath_radian a{angle};
    R x;
    cmath_xformRigid_initAngleTransElements(&x, &a, tx, ty);
    return x;
}

R compose(const R& a, const R& b)
{
    R t;
    cmath_xformRigid_initCompose(&t, &a, &b);
    return t;
}

} // namespace

TEST(XformRigid, SettersKeepSineAndCosineOfTheAngle)
{
    R x;
    cmath_xformRigid_initIdentity(&x);
    EXPECT_TRUE(sameBytes(x, R{{0.0, 0.0}, 0.0, 0.0, 1.0}));
    x = rigid(kPi / 2, 1.0, 0.0);
    EXPECT_TRUE(consistent(x));
    const cmath_radian b{-0.4}, c{12.5};
    cmath_xformRigid_initAngleTrans(&x, &b, &x.trans); // translation taken from the target itself
    EXPECT_TRUE(consistent(x));
    cmath_xformRigid_setAngle(&x, &c);
    EXPECT_TRUE(consistent(x));
    EXPECT_TRUE(sameBytes(x.trans, cmath_vect{1.0, 0.0}));
    EXPECT_EQ(result<cmath_radian>(cmath_xformRigid_getAngle, &x).value, 12.5); // not reduced

    // mapPoint uses the cached values, not the angle; the output may alias the input.
    R odd = rigid(0.0, 0.5, 0.25);
    odd.cosine = 2.0;
    odd.sine = 3.0;
    cmath_vect q{1.0, 1.0};
    cmath_xformRigid_mapPoint(&odd, &q, &q);
    EXPECT_TRUE(sameBytes(q, cmath_vect{(1.0 * 2.0 - 1.0 * 3.0) + 0.5, (1.0 * 2.0 + 1.0 * 3.0) + 0.25}));
}

TEST(XformRigid, CompositionOrderAndInverse)
{
    Rng rng;
    for (int i = 0; i < 500; ++i) {
        const R a = rigid(rng.uniform(-4, 4), rng.uniform(-9, 9), rng.uniform(-9, 9));
        const R b = rigid(rng.uniform(-4, 4), rng.uniform(-9, 9), rng.uniform(-9, 9));
        const R ab = compose(a, b);
        EXPECT_TRUE(consistent(ab));
        EXPECT_EQ(ab.angle, a.angle + b.angle); // not reduced
        // a o b applies b first: its translation is a's rotation of b's plus a's.
        EXPECT_NEAR(ab.trans.x, a.cosine * b.trans.x - a.sine * b.trans.y + a.trans.x, 1e-12);
        EXPECT_NEAR(ab.trans.y, a.sine * b.trans.x + a.cosine * b.trans.y + a.trans.y, 1e-12);

        // Either operand, or both, may be the target.
        R t = a, u = b, self = a;
        cmath_xformRigid_initCompose(&t, &t, &b);
        cmath_xformRigid_initCompose(&u, &a, &u);
        cmath_xformRigid_initCompose(&self, &self, &self);
        EXPECT_TRUE(sameBytes(t, ab));
        EXPECT_TRUE(sameBytes(u, ab));
        EXPECT_TRUE(sameBytes(self, compose(a, a)));

        // With the inverse, in either order: angle exactly 0, cosine exactly 1.
        R inv = a;
        cmath_xformRigid_getInverse(&inv, &inv); // aliased
        EXPECT_TRUE(sameBytes(inv, result<R>(cmath_xformRigid_getInverse, &a)));
        EXPECT_TRUE(consistent(inv));
        EXPECT_EQ(inv.angle, -a.angle);
        for (const R& id : {compose(a, inv), compose(inv, a)}) {
            EXPECT_EQ(id.angle, 0.0);
            EXPECT_EQ(id.cosine, 1.0);
            EXPECT_NEAR(id.trans.x, 0.0, 1e-14);
            EXPECT_NEAR(id.trans.y, 0.0, 1e-14);
        }
    }
}

TEST(XformRigid, AffineFormAgreesWithTheRigidMapping)
{
    const R x = rigid(0.9, -2.0, 3.5);
    const cmath_xformLinear l = result<cmath_xformLinear>(cmath_xformRigid_getXformLinear, &x);
    const double c = std::cos(0.9), s = std::sin(0.9);
    EXPECT_TRUE(sameBytes(l, cmath_xformLinear{x.trans, {c * 1.0, -(s * 1.0), s * 1.0, c * 1.0}}));
}
