/* Compiled as C11: vectors, shared objects and handles of the flat interface are usable from C.
 * Returns the number of the first step that went wrong, 0 when all went right. */
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
    /* A shareable vector owned by two handles; the last release frees it. */
    void* block = NULL;
    int64_t refs = 0;
    void* whole = NULL;
    cstd_ptrhConst h, g;
    if (csys_memory_alloc_internal(sizeof(cstd_vectorShareable), &block) != 0) {
        return 4;
    }
    cstd_vectorShareable* s = (cstd_vectorShareable*)block;
    if (cstd_vectorShareable_construct(s, &v, NULL, NULL) != 0 ||
        cstd_ptrhConst_constructBaseTypename(&h, &s->shared, u"cstd_vectorShareable") != 0) {
        return 5;
    }
    if (cstd_ptrhConst_constructCopy(&g, &h) != 0 || cstd_ptrhConst_getWholeShared(&g, &whole) != 0 || whole != s ||
        cstd_shared_getReferenceCount(&s->shared, &refs) != 0 || refs != 2 ||
        cstd_vectorShareable_getSize32(s, &n) != 0 || n != 10) {
        return 6;
    }
    cstd_ptrhConst_destruct(&h);
    cstd_ptrhConst_destruct(&g);
    cstd_vector__destruct(&v);
    return 0;
}
