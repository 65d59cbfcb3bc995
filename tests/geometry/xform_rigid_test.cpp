// Rigid transforms: the sine/cosine invariant after every setter, composition order and angle
// sums without reduction, inverses in both orders, aliased targets, and the affine form.
#include "geom_util.h"

#include <cmath>
#include <cstring>

using namespace geomtest;

namespace {

::testing::AssertionResult consistent(const cmath_xformRigid& x)
{
    if (bits(x.sine) == bits(std::sin(x.angle)) && bits(x.cosine) == bits(std::cos(x.angle))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "sine/cosine do not belong to angle " << x.angle;
}

cmath_xformRigid rigid(double angle, double tx, double ty)
{
    const cmath_radian a{angle};
    cmath_xformRigid x;
    cmath_xformRigid_initAngleTransElements(&x, &a, tx, ty);
    return x;
}

} // namespace

TEST(XformRigid, SettersKeepSineAndCosineOfTheAngle)
{
    cmath_xformRigid x;
    cmath_xformRigid_initIdentity(&x);
    EXPECT_TRUE(sameBits(x.trans, cmath_vect{0.0, 0.0}));
    EXPECT_EQ(x.angle, 0.0);
    EXPECT_EQ(x.sine, 0.0);
    EXPECT_EQ(x.cosine, 1.0);

    const cmath_radian a{kPi / 2};
    cmath_xformRigid_initAngleTransElements(&x, &a, 1.0, 0.0);
    EXPECT_TRUE(consistent(x));
    cmath_vect p{1.0, 0.0};
    cmath_xformRigid_mapPoint(&x, &p, &p); // aliased
    EXPECT_NEAR(p.x, 1.0, 1e-15);
    EXPECT_NEAR(p.y, 1.0, 1e-15);

    const cmath_radian b{-0.4};
    cmath_xformRigid_initAngleTrans(&x, &b, &x.trans); // translation taken from the target itself
    EXPECT_TRUE(consistent(x));
    EXPECT_TRUE(sameBits(x.trans, cmath_vect{1.0, 0.0}));
    const cmath_radian c{12.5};
    cmath_xformRigid_setAngle(&x, &c);
    EXPECT_TRUE(consistent(x));
    EXPECT_EQ(x.angle, 12.5); // not reduced
    EXPECT_TRUE(sameBits(x.trans, cmath_vect{1.0, 0.0}));

    cmath_radian ga{};
    double gs = 0.0, gc = 0.0;
    cmath_xformRigid_getAngle(&x, &ga);
    cmath_xformRigid_getSine(&x, &gs);
    cmath_xformRigid_getCosine(&x, &gc);
    EXPECT_EQ(ga.value, 12.5);
    EXPECT_EQ(bits(gs), bits(x.sine));
    EXPECT_EQ(bits(gc), bits(x.cosine));

    // mapPoint uses the cached values, not the angle.
    cmath_xformRigid odd = rigid(0.0, 0.5, 0.25);
    odd.cosine = 2.0;
    odd.sine = 3.0;
    const cmath_vect q{1.0, 1.0};
    cmath_vect r;
    cmath_xformRigid_mapPoint(&odd, &q, &r);
    EXPECT_TRUE(sameBits(r, cmath_vect{(1.0 * 2.0 - 1.0 * 3.0) + 0.5, (1.0 * 2.0 + 1.0 * 3.0) + 0.25}));
}

TEST(XformRigid, CompositionOrderAndInverse)
{
    Rng rng;
    for (int i = 0; i < 500; ++i) {
        const cmath_xformRigid a = rigid(rng.uniform(-4, 4), rng.uniform(-9, 9), rng.uniform(-9, 9));
        const cmath_xformRigid b = rigid(rng.uniform(-4, 4), rng.uniform(-9, 9), rng.uniform(-9, 9));
        cmath_xformRigid ab;
        cmath_xformRigid_initCompose(&ab, &a, &b);
        EXPECT_TRUE(consistent(ab));
        EXPECT_EQ(ab.angle, a.angle + b.angle);
        const cmath_vect p{rng.uniform(-5, 5), rng.uniform(-5, 5)};
        cmath_vect viaB, viaBA, direct;
        cmath_xformRigid_mapPoint(&b, &p, &viaB);
        cmath_xformRigid_mapPoint(&a, &viaB, &viaBA);
        cmath_xformRigid_mapPoint(&ab, &p, &direct);
        EXPECT_NEAR(direct.x, viaBA.x, 1e-12);
        EXPECT_NEAR(direct.y, viaBA.y, 1e-12);

        // Either operand, or both, may be the target.
        cmath_xformRigid t = a;
        cmath_xformRigid_initCompose(&t, &t, &b);
        EXPECT_EQ(std::memcmp(&t, &ab, sizeof t), 0);
        t = b;
        cmath_xformRigid_initCompose(&t, &a, &t);
        EXPECT_EQ(std::memcmp(&t, &ab, sizeof t), 0);
        cmath_xformRigid aa, self = a;
        cmath_xformRigid_initCompose(&aa, &a, &a);
        cmath_xformRigid_initCompose(&self, &self, &self);
        EXPECT_EQ(std::memcmp(&self, &aa, sizeof aa), 0);

        // With the inverse, in either order: angle exactly 0, cosine exactly 1.
        cmath_xformRigid inv, id;
        cmath_xformRigid_getInverse(&a, &inv);
        EXPECT_TRUE(consistent(inv));
        EXPECT_EQ(inv.angle, -a.angle);
        for (int order = 0; order < 2; ++order) {
            if (order == 0) {
                cmath_xformRigid_initCompose(&id, &a, &inv);
            } else {
                cmath_xformRigid_initCompose(&id, &inv, &a);
            }
            EXPECT_EQ(id.angle, 0.0);
            EXPECT_EQ(id.cosine, 1.0);
            EXPECT_NEAR(id.trans.x, 0.0, 1e-14);
            EXPECT_NEAR(id.trans.y, 0.0, 1e-14);
        }
        cmath_xformRigid in = a;
        cmath_xformRigid_getInverse(&in, &in); // aliased
        EXPECT_EQ(std::memcmp(&in, &inv, sizeof in), 0);
    }

    // Angles add without reduction.
    const cmath_xformRigid three = rigid(3.0, 0.0, 0.0);
    cmath_xformRigid six;
    cmath_xformRigid_initCompose(&six, &three, &three);
    EXPECT_EQ(six.angle, 6.0);
    EXPECT_TRUE(consistent(six));
}

TEST(XformRigid, AffineFormAgreesWithTheRigidMapping)
{
    const cmath_xformRigid x = rigid(0.9, -2.0, 3.5);
    cmath_xformLinear l = kXformSentinel;
    ASSERT_EQ(cmath_xformRigid_getXformLinear(&x, &l), 0);
    const double c = std::cos(0.9), s = std::sin(0.9);
    EXPECT_TRUE(sameBits(l.matrix, cmath_matrix{c * 1.0, -(s * 1.0), s * 1.0, c * 1.0}));
    EXPECT_TRUE(sameBits(l.trans, x.trans));
    const cmath_vect p{4.0, -1.5};
    cmath_vect a, b;
    cmath_xformRigid_mapPoint(&x, &p, &a);
    cmath_xformLinear_mapPoint(&l, &p, &b);
    EXPECT_NEAR(a.x, b.x, 1e-14);
    EXPECT_NEAR(a.y, b.y, 1e-14);
}
