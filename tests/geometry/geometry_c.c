/* The geometry header compiles as C11 and its functions link from C. */
#include <orbmath/orbmath.h>

int orbmath_geometry_c_check(void);

int orbmath_geometry_c_check(void)
{
    cmath_xformLinear x;
    cmath_vect p = {1.0, 0.0}, q;
    cmath_matrix m;
    cmath_xformRigid r;
    cmath_vect3Fixed64 v;
    cmath_radian a = {0.0};
    uint64_t len = 0;
    return cmath_matrix_init(&m, 0.0, -1.0, 1.0, 0.0) < 0 || cmath_xformLinear_initMatrixTrans(&x, &m, &p) < 0 ||
           cmath_xformLinear_mapPoint(&x, &p, &q) < 0 || q.x != 1.0 || q.y != 1.0 ||
           cmath_xformRigid_initAngleTrans(&r, &a, &p) < 0 || r.cosine != 1.0 || cmath_vect3Fixed64_init(&v, 3, 4, 0) < 0 ||
           cmath_vect3Fixed64_getLength(&v, 0, &len) < 0 || len != 5u;
}
