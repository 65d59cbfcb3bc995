#include <orbmath/orbmath.h>

#include <stdio.h>

int main(void)
{
    /* Rotate by +90 degrees, then shift by (10, 0): shift o rotate applies rotate first. */
    const cmath_xformLinear rotate = {{0.0, 0.0}, {0.0, -1.0, 1.0, 0.0}};
    const cmath_xformLinear shift = {{10.0, 0.0}, {1.0, 0.0, 0.0, 1.0}};
    const cmath_vect p = {1.0, 0.0}, zero = {0.0, 0.0};
    cmath_xformLinear both;
    cmath_vect q, unit = {0.0, 0.0};

    cmath_status st = cmath_xformLinear_initCompose(&both, &shift, &rotate);
    if (st >= 0) {
        st = cmath_xformLinear_mapPoint(&both, &p, &q);
    }
    if (st < 0) {
        fprintf(stderr, "orbmath failed: status 0x%08X\n", (unsigned)st);
        return 1;
    }
    printf("(1, 0) maps to (%g, %g)\n", q.x, q.y);

    /* A failure is a negative status, and the output is left as it was. */
    st = cmath_vect_getUnit(&zero, &unit);
    printf("unit of (0, 0): %s, unit still (%g, %g)\n",
           st == cmath_errZeroVector ? "cmath_errZeroVector" : "unexpected", unit.x, unit.y);
    return 0;
}
