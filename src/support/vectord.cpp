// The growable vector of doubles used as scratch space.
#include <orbmath/support.h>

#include "support/null_check.hpp"

#include <cstring>

namespace {

cmath_status grow(cstd_vectord* v, intptr_t capacity)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(static_cast<size_t>(capacity) * sizeof(double), &block);
    if (st < 0) {
        return st;
    }
    if (v->size > 0) {
        std::memcpy(block, v->begin, static_cast<size_t>(v->size) * sizeof(double));
    }
    void* old = v->begin;
    csys_memory_free_internal(&old);
    v->begin = static_cast<double*>(block);
    v->capacity = capacity;
    return 0;
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cstd_vectord_constructEmpty(cstd_vectord* v)
{
    if (orb::anyNull(v)) {
        return cmath_errNullArgument;
    }
    v->begin = nullptr;
    v->size = 0;
    v->capacity = 0;
    return 0;
}

ORBMATH_API cmath_status cstd_vectord_reserve(cstd_vectord* v, intptr_t n)
{
    if (orb::anyNull(v)) {
        return cmath_errNullArgument;
    }
    return n > v->capacity ? grow(v, n) : 0;
}

ORBMATH_API cmath_status cstd_vectord_pushBack(cstd_vectord* v, double value)
{
    if (orb::anyNull(v)) {
        return cmath_errNullArgument;
    }
    if (v->size == v->capacity) {
        cmath_status st = grow(v, v->capacity < 4 ? 4 : 2 * v->capacity);
        if (st < 0) {
            return st;
        }
    }
    v->begin[v->size++] = value;
    return 0;
}

ORBMATH_API cmath_status cstd_vectord_getBegin(cstd_vectord* v, double** out)
{
    if (orb::anyNull(v, out)) {
        return cmath_errNullArgument;
    }
    *out = v->begin;
    return 0;
}

ORBMATH_API cmath_status cstd_vectord_getBeginConst(const cstd_vectord* v, const double** out)
{
    if (orb::anyNull(v, out)) {
        return cmath_errNullArgument;
    }
    *out = v->begin;
    return 0;
}

ORBMATH_API cmath_status cstd_vectord_getBeginSize(cstd_vectord* v, double** begin, intptr_t* size)
{
    if (orb::anyNull(v, begin, size)) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *size = v->size;
    return 0;
}

ORBMATH_API cmath_status cstd_vectord_getBeginSizeConst(const cstd_vectord* v, const double** begin,
                                                        intptr_t* size)
{
    if (orb::anyNull(v, begin, size)) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *size = v->size;
    return 0;
}

ORBMATH_API cmath_status cstd_vectord_destruct(cstd_vectord* v)
{
    if (orb::anyNull(v)) {
        return cmath_errNullArgument;
    }
    void* p = v->begin;
    csys_memory_free_internal(&p);
    v->begin = nullptr;
    v->size = 0;
    v->capacity = 0;
    return 0;
}

} // extern "C"
