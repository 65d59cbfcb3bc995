/* Compiled as C11: the flat interface must be usable from C. */
#include <orbmath/orbmath.h>

int orbmath_c_interface_check(void);

int orbmath_c_interface_check(void)
{
    cmath_vect a = {1.0, 2.0};
    cmath_vect b = {3.0, -4.0};
    cmath_vect sum;
    double dot = 0.0;
    if (cmath_vect_initAdd(&sum, &a, &b) != 0 || sum.x != 4.0 || sum.y != -2.0) {
        return 1;
    }
    if (cmath_vect_dot(&a, &b, &dot) != 0 || dot != -5.0) {
        return 2;
    }
    if (cmath_vect_initDivide(&sum, &a, 0.0) != cmath_errDivideByZero) {
        return 3;
    }
    return 0;
}
