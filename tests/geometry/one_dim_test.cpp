// One-dimensional types: composition order, inverse by reciprocal versus mappings by division,
// refusals of a zero scale with outputs untouched, aliased targets.
#include "geom_util.h"

using namespace geomtest;

TEST(OneDim, ComposeAndMapInTheRightOrder)
{
    cmath_xformLinear1 a, b, t;
    cmath_xformLinear1_initMatrixTransElements(&a, 2.0, 1.0);
    cmath_xformLinear1_initMatrixTransElements(&b, 5.0, 3.0);
    cmath_xformLinear1_initCompose(&t, &a, &b);
    EXPECT_EQ(t.trans.x, 7.0);
    EXPECT_EQ(t.matrix.e11, 10.0);
    double v = 0.0, viaB = 0.0, viaBA = 0.0;
    cmath_xformLinear1_mapValue(&t, 1.0, &v);
    cmath_xformLinear1_mapValue(&b, 1.0, &viaB);
    cmath_xformLinear1_mapValue(&a, viaB, &viaBA);
    EXPECT_EQ(v, 17.0);
    EXPECT_EQ(viaBA, 17.0);

    // Either operand may be the target.
    cmath_xformLinear1 x = a;
    cmath_xformLinear1_initCompose(&x, &x, &b);
    EXPECT_EQ(x.trans.x, 7.0);
    EXPECT_EQ(x.matrix.e11, 10.0);
    x = b;
    cmath_xformLinear1_initCompose(&x, &a, &x);
    EXPECT_EQ(x.trans.x, 7.0);
    EXPECT_EQ(x.matrix.e11, 10.0);
    x = a;
    cmath_xformLinear1_initCompose(&x, &x, &x);
    EXPECT_EQ(x.trans.x, 3.0);
    EXPECT_EQ(x.matrix.e11, 4.0);

    cmath_vect1 p{4.0};
    cmath_xformLinear1_mapPoint(&a, &p, &p);
    EXPECT_EQ(p.x, 9.0);
    cmath_xformLinear1_mapVector(&a, &p, &p);
    EXPECT_EQ(p.x, 18.0);
    cmath_matrix1 m{3.0};
    cmath_matrix1_multv(&m, &p, &p);
    EXPECT_EQ(p.x, 54.0);
}

TEST(OneDim, InverseAndZeroScale)
{
    cmath_xformLinear1 x, inv;
    cmath_xformLinear1_initMatrixTransElements(&x, 2.0, 4.0);
    ASSERT_EQ(cmath_xformLinear1_initInverse(&inv, &x), 0);
    EXPECT_EQ(inv.trans.x, -2.0);
    EXPECT_EQ(inv.matrix.e11, 0.5);
    cmath_vect1 p{10.0}, out{};
    ASSERT_EQ(cmath_xformLinear1_invMapPoint(&x, &p, &out), 0);
    EXPECT_EQ(out.x, 3.0);

    // The inverse multiplies by the reciprocal, the mappings divide.
    cmath_xformLinear1_initMatrixTransElements(&x, 10.0, 3.0);
    ASSERT_EQ(cmath_xformLinear1_initInverse(&x, &x), 0); // aliased
    EXPECT_EQ(x.matrix.e11, 1.0 / 10.0);
    EXPECT_EQ(x.trans.x, -((1.0 / 10.0) * 3.0));
    EXPECT_NE(x.trans.x, -(3.0 / 10.0));
    cmath_xformLinear1_initMatrixTransElements(&x, 10.0, 0.0);
    cmath_vect1 three{3.0};
    cmath_xformLinear1_invMapVector(&x, &three, &out);
    EXPECT_EQ(out.x, 3.0 / 10.0);
    cmath_xformLinear1_invMapPoint(&x, &three, &three); // aliased
    EXPECT_EQ(three.x, 3.0 / 10.0);
    cmath_matrix1 m{10.0}, mi{};
    ASSERT_EQ(cmath_matrix1_getInverse(&m, &mi), 0);
    EXPECT_EQ(mi.e11, 1.0 / 10.0);

    // A zero scale (either sign) is refused everywhere and nothing is written.
    for (double zero : {0.0, -0.0}) {
        cmath_xformLinear1 z, target;
        cmath_xformLinear1_initMatrixTransElements(&z, zero, 1.0);
        cmath_xformLinear1_initMatrixTransElements(&target, -7.5, 8.25);
        EXPECT_EQ(cmath_xformLinear1_initInverse(&target, &z), cmath_errSingular);
        EXPECT_EQ(target.matrix.e11, -7.5);
        EXPECT_EQ(target.trans.x, 8.25);
        cmath_vect1 o{-99.0};
        EXPECT_EQ(cmath_xformLinear1_invMapPoint(&z, &p, &o), cmath_errSingular);
        EXPECT_EQ(cmath_xformLinear1_invMapVector(&z, &p, &o), cmath_errSingular);
        EXPECT_EQ(o.x, -99.0);
        cmath_matrix1 zm{zero}, mo{-99.0};
        EXPECT_EQ(cmath_matrix1_getInverse(&zm, &mo), cmath_errSingular);
        EXPECT_EQ(mo.e11, -99.0);
    }
}

TEST(OneDim, InPlaceScaleIdentitiesAndEquality)
{
    cmath_matrix1 m{3.0};
    cmath_matrix1_scale(&m, 2.0); // the one operation that updates its target from itself
    EXPECT_EQ(m.e11, 6.0);
    cmath_matrix1_initMultiply(&m, &m, &m);
    EXPECT_EQ(m.e11, 36.0);
    for (auto fn : {cmath_matrix1_initIdentity, cmath_matrix1_reset, cmath_matrix1_setToIdentity}) {
        cmath_matrix1 i{-5.0};
        fn(&i);
        EXPECT_EQ(i.e11, 1.0);
    }
    cmath_vect1 a{1.5};
    cmath_vect1_initScale(&a, &a, 4.0);
    cmath_vect1_initSubtract(&a, &a, &a);
    EXPECT_EQ(a.x, 0.0);

    // Both fields decide equality.
    int32_t f = -1;
    cmath_xformLinear1 x, y;
    cmath_xformLinear1_initMatrixTransElements(&x, 2.0, 3.0);
    cmath_xformLinear1_initMatrixTrans(&x, &x.matrix, &x.trans); // aliased
    y = x;
    cmath_xformLinear1_compareEqual(&x, &y, &f);
    EXPECT_EQ(f, 1);
    y.trans.x = 3.5;
    cmath_xformLinear1_compareEqual(&x, &y, &f);
    EXPECT_EQ(f, 0);
    y = x;
    y.matrix.e11 = 2.5;
    cmath_xformLinear1_compareEqual(&x, &y, &f);
    EXPECT_EQ(f, 0);
    cmath_xformLinear1_reset(&y);
    EXPECT_EQ(y.matrix.e11, 1.0);
    EXPECT_EQ(y.trans.x, 0.0);
}
