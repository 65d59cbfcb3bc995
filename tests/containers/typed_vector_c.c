/* Compiled as C11: the typed vectors are usable from C, each family with its own types. */
#include <orbmath/orbmath.h>

int orbmath_c_containers_check(void);

int orbmath_c_containers_check(void)
{
    cstd_vector_cmath_statistics stats;
    const cmath_statistics* third = NULL;
    int32_t n = 0, equal = 0;
    int bad = cstd_vector_cmath_statistics_constructEmpty(&stats) != 0;
    for (int i = 0; i < 5; ++i) {
        cmath_statistics s;
        double value = i;
        bad |= cmath_statistics_initValues(&s, &value, 1) != 0 || cstd_vector_cmath_statistics_pushBack(&stats, &s) != 0;
    }
    bad |= cstd_vector_cmath_statistics_getSize(&stats, &n) != 0 || n != 5 ||
           cstd_vector_cmath_statistics_getElementConst(&stats, 2, &third) != 0 || third->maximum != 2.0 ||
           cstd_vector_cmath_statistics_destruct(&stats) != 0;

    cstd_vector_cmath_vect1 *a = NULL, *b = NULL;
    const cmath_vect1 xs[3] = {{0.5}, {-1.0}, {2.0}};
    bad |= cstd_vector_cmath_vect1_new(&a) != 0 || cstd_vector_cmath_vect1_assignElements(a, xs, 3) != 0 ||
           cstd_vector_cmath_vect1_newClone(&b, a) != 0 || cstd_vector_cmath_vect1_compareEqual(a, b, &equal) != 0 ||
           equal != 1 || cstd_vector_cmath_vect1_delete(&a) != 0 || cstd_vector_cmath_vect1_delete(&b) != 0 || a != NULL;
    return bad;
}
