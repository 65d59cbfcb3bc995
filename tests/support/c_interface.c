/* Compiled as C11: the flat interface is usable from C. Returns the number of the first step that
 * went wrong, 0 when all went right. */
#include <orbmath/orbmath.h>

int orbmath_c_interface_check(void);

int orbmath_c_interface_check(void)
{
    cmath_vect a = {1.0, 2.0}, b = {3.0, -4.0}, sum;
    if (cmath_vect_initAdd(&sum, &a, &b) != 0 || sum.x != 4.0 || sum.y != -2.0 ||
        cmath_vect_initDivide(&sum, &a, 0.0) != cmath_errDivideByZero) {
        return 1;
    }
    cstd_vector v;
    if (cstd_vector__constructWithVtable(&v, 0, (intptr_t)sizeof(double), NULL) != 0) {
        return 2;
    }
    for (int i = 0; i < 10; ++i) {
        double x = i * 0.5;
        cstd_vector__pushBack(&v, &x);
    }
    const void* e = NULL;
    int32_t n = 0;
    if (cstd_vector__getElementConst(&v, 3, &e) != 0 || *(const double*)e != 1.5 || cstd_vector__getSize32(&v, &n) != 0 ||
        n != 10) {
        return 3;
    }
    cstd_vector__destruct(&v);
    return 0;
}
