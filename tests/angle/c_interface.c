/* Compiled as C11: the angle, range and legacy headers must be usable from C. */
#include <orbmath/orbmath.h>

int orbmath_angle_c_check(void);

int orbmath_angle_c_check(void)
{
    const uint16_t quarter = 16384;
    const uint8_t half = 128;
    cmath_degree d = {-90.0};
    cmath_radian a = {3.0}, b = {-3.0}, pi = {3.141592653589793}, middle;
    cmath_angleRange arc;
    cmath_range r;
    csFVec v;
    csDXform x, inv;
    int32_t within = -1;
    csDXformElemCT(&x, 2.0, 0.0, 0.0, 4.0, 1.0, 1.0);
    return cmath_sin16(&quarter) != 1.0 || cmath_cos8(&half) != -1.0 || cfAtanBin8(1, 1) != 32 ||
           cmath_degree_norm(&d).value != 270.0 || csFVecBin8(0, &v) != &v || v.x != 1.0f ||
           cmath_angleRange_init(&arc, &a, &b) != 0 ||
           cmath_angleRange_isValueWithin(&pi, &arc, &within) != 0 || within != 1 ||
           cmath_angleRange_getMiddle(&arc, &middle) != 0 || middle.value != 0.0 ||
           cmath_range_init(&r, 2.0, 1.0) != cmath_errBadRange || cordic7b8r1_sobel[0] != 32 ||
           csDXformInv(&x, &inv)->matrix.e22 != 0.25 || csDXformJacob(&x) != &x.matrix ||
           csDXformI.matrix.e11 != 1.0;
}
