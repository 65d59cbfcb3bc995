// One-dimensional types: composition order, reciprocal versus division, zero-scale refusals.
#include "geom_util.h"

using namespace geomtest;
using X1 = cmath_xformLinear1;

namespace {
X1 x1(double m, double t) { return X1{{t}, {m}}; }
} // namespace

TEST(OneDim, ComposeAndMapInTheRightOrder)
{
    const X1 a = x1(2.0, 1.0), b = x1(5.0, 3.0);
    // Either operand, or both, may be the target; a o b applies b first: a(b(1)) = 17.
    X1 x = a, y = b, z = a;
    cmath_xformLinear1_initCompose(&x, &x, &b);
    cmath_xformLinear1_initCompose(&y, &a, &y);
    cmath_xformLinear1_initCompose(&z, &z, &z);
    EXPECT_TRUE(sameBytes(x, x1(10.0, 7.0)));
    EXPECT_TRUE(sameBytes(y, x1(10.0, 7.0)));
    EXPECT_TRUE(sameBytes(z, x1(4.0, 3.0)));
    EXPECT_EQ(result<double>(cmath_xformLinear1_mapValue, &x, 1.0), 17.0);

    cmath_vect1 p{4.0};
    cmath_xformLinear1_mapPoint(&a, &p, &p);
    EXPECT_EQ(p.x, 9.0);
    cmath_xformLinear1_mapVector(&a, &p, &p);
    EXPECT_EQ(p.x, 18.0);
    const cmath_matrix1 m{3.0};
    cmath_matrix1_multv(&m, &p, &p);
    EXPECT_EQ(p.x, 54.0);
}

TEST(OneDim, InverseAndZeroScale)
{
    // The inverse multiplies by the reciprocal, the mappings divide.
    X1 x = x1(10.0, 3.0);
    ASSERT_EQ(cmath_xformLinear1_initInverse(&x, &x), 0); // aliased
    EXPECT_TRUE(sameBytes(x, x1(1.0 / 10.0, -((1.0 / 10.0) * 3.0))));
    EXPECT_NE(x.trans.x, -(3.0 / 10.0));
    x = x1(10.0, 4.0);
    cmath_vect1 three{3.0}, seven{7.0};
    EXPECT_EQ(result<cmath_vect1>(cmath_xformLinear1_invMapVector, &x, &three).x, 3.0 / 10.0);
    cmath_xformLinear1_invMapPoint(&x, &seven, &seven); // aliased
    EXPECT_EQ(seven.x, 3.0 / 10.0);
    const cmath_matrix1 m{10.0};
    EXPECT_EQ(result<cmath_matrix1>(cmath_matrix1_getInverse, &m).e11, 1.0 / 10.0);

    // A zero scale (either sign) is refused everywhere and nothing is written.
    for (double zero : {0.0, -0.0}) {
        const X1 z = x1(zero, 1.0);
        const cmath_matrix1 zm{zero};
        EXPECT_TRUE(refusesWith(cmath_errSingular, x1(-7.5, 8.25),
                                [&](X1* t) { return cmath_xformLinear1_initInverse(t, &z); }));
        EXPECT_TRUE(refuses(cmath_errSingular, cmath_vect1{-99.0}, cmath_xformLinear1_invMapPoint, &z, &three));
        EXPECT_TRUE(refuses(cmath_errSingular, cmath_vect1{-99.0}, cmath_xformLinear1_invMapVector, &z, &three));
        EXPECT_TRUE(refuses(cmath_errSingular, cmath_matrix1{-99.0}, cmath_matrix1_getInverse, &zm));
    }
}

TEST(OneDim, InPlaceScaleIdentitiesAndEquality)
{
    cmath_matrix1 m{3.0};
    cmath_matrix1_scale(&m, 2.0); // the one operation that updates its target from itself
    cmath_matrix1_initMultiply(&m, &m, &m);
    EXPECT_EQ(m.e11, 36.0);

    // Both fields decide equality.
    X1 x = x1(2.0, 3.0);
    EXPECT_EQ(result<int32_t>(cmath_xformLinear1_compareEqual, &x, &x), 1);
    for (X1 y : {x1(2.0, 3.5), x1(2.5, 3.0)}) {
        EXPECT_EQ(result<int32_t>(cmath_xformLinear1_compareEqual, &x, &y), 0);
    }
    cmath_xformLinear1_reset(&x);
    EXPECT_TRUE(sameBytes(x, x1(1.0, 0.0)));
}
