/* The transform handles used from C11: compose a translation with a rotation, map a point and
 * release everything. Returns 0 when every step gave what it should. */
#include <orbmath/orbmath.h>

int xform_c_translateAfterRotate(void);

int xform_c_translateAfterRotate(void)
{
    const cmath_xformLinear translate = {{1.0, 0.0}, {1.0, 0.0, 0.0, 1.0}};
    const cmath_xformLinear rotate = {{0.0, 0.0}, {0.0, -1.0, 1.0, 0.0}};
    cmath_xformPtrhConst a, b, out;
    const cmath_vect p = {1.0, 0.0};
    cmath_vect q = {0.0, 0.0};
    int32_t composed = -1;
    int failures = (cmath_xformPtrhConst_constructLinear(&a, &translate) < 0) +
                   (cmath_xformPtrhConst_constructLinear(&b, &rotate) < 0) + (cmath_xformPtrhConst_construct(&out) < 0);
    failures += cmath_xformPtrhConst_assignCompose(&out, &a, &b) < 0 || cmath_xformPtrhConst_mapPoint(&out, &p, &q) < 0;
    failures += q.x != 1.0 || q.y != 1.0 || cmath_xformPtrhConst_getIsComposed(&out, &composed) < 0 || composed != 0;
    cmath_xformPtrhConst_destruct(&out);
    cmath_xformPtrhConst_destruct(&b);
    cmath_xformPtrhConst_destruct(&a);
    return failures;
}
