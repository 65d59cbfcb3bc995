/* Compiled as C11: generic and shareable vectors are usable from C. */
#include <orbmath/orbmath.h>

int orbmath_c_vector_check(void);

int orbmath_c_vector_check(void)
{
    cstd_vector v;
    if (cstd_vector__constructWithVtable(&v, 0, (intptr_t)sizeof(double), NULL) != 0) {
        return 1;
    }
    for (int i = 0; i < 10; ++i) {
        double x = i * 0.5;
        if (cstd_vector__pushBack(&v, &x) != 0) {
            return 2;
        }
    }
    const void* e = NULL;
    int32_t n = 0;
    if (cstd_vector__getElementConst(&v, 3, &e) != 0 || *(const double*)e != 1.5 ||
        cstd_vector__getSize32(&v, &n) != 0 || n != 10) {
        return 3;
    }
    void* block = NULL;
    if (csys_memory_alloc_internal(sizeof(cstd_vectorShareable), &block) != 0) {
        return 4;
    }
    cstd_vectorShareable* s = (cstd_vectorShareable*)block;
    if (cstd_vectorShareable_construct(s, &v, NULL, NULL) != 0) {
        return 5;
    }
    cstd_ptrhConst h;
    cstd_ptrhConst_construct(&h, &s->shared);
    if (cstd_vectorShareable_getSize32(s, &n) != 0 || n != 10) {
        return 6;
    }
    cstd_ptrhConst_destruct(&h); /* frees the shareable vector */
    cstd_vector__destruct(&v);
    return 0;
}
