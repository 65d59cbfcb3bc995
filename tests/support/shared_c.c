/* Compiled as C11: shared objects and handles are usable from C. */
#include <orbmath/orbmath.h>

int orbmath_c_shared_check(void);

typedef struct c_object {
    int32_t value;
    cstd_shared shared;
} c_object;

int orbmath_c_shared_check(void)
{
    void* block = NULL;
    if (csys_memory_alloc_internal(sizeof(c_object), &block) != 0) {
        return 1;
    }
    c_object* o = (c_object*)block;
    o->value = 7;
    cstd_sharedDescriptor d = {NULL, NULL, cstd_shared_vtable_default};
    if (cstd_shared_initCustomTyped(&o->shared, o, &d, NULL) != 0) {
        return 2;
    }
    cstd_ptrhConst a;
    cstd_ptrhConst b;
    if (cstd_ptrhConst_constructBaseTypename(&a, &o->shared, u"c_object") != 0) {
        return 3;
    }
    if (cstd_ptrhConst_constructCopy(&b, &a) != 0) {
        return 4;
    }
    void* whole = NULL;
    int64_t n = 0;
    if (cstd_ptrhConst_getWholeShared(&b, &whole) != 0 || whole != o ||
        cstd_shared_getReferenceCount(&o->shared, &n) != 0 || n != 2) {
        return 5;
    }
    cstd_ptrhConst_destruct(&a);
    cstd_ptrhConst_destruct(&b); /* frees the block */
    return 0;
}
