// The shareable vector: a shared object (header first, so the object is its own outer
// object) holding a generic vector, destroyed with its block when the last handle lets go.
#include <orbmath/support.h>
#include <orbmath/vector.h>

#include <cstddef>

static_assert(offsetof(cstd_vectorShareable, shared) == 0, "the header opens the shareable vector");

namespace {

constexpr char16_t kShareableName[] = u"cstd_vectorShareable";

cmath_status destroyShareable(cstd_shared* header)
{
    auto* s = static_cast<cstd_vectorShareable*>(header->outer);
    const cmath_status st = cstd_vectorShareable_destruct(s);
    if (st < 0) {
        return st;
    }
    void* block = s;
    return csys_memory_free_internal(&block);
}

constexpr cstd_sharedOps kShareableOps = {destroyShareable, cstd_shared_increment_default,
                                          cstd_shared_decrement_default};

} // namespace

extern "C" {

ORBMATH_API cmath_status cstd_vectorShareable_construct(cstd_vectorShareable* s, const cstd_vector* v,
                                                        const cstd_sharedTypeTable* typeTable,
                                                        cstd_vectorShareableEqual equal)
{
    if (s == nullptr || v == nullptr) {
        return cmath_errNullArgument;
    }
    cstd_vector copy;
    cmath_status st = cstd_vector__constructCopy(&copy, v);
    if (st < 0) {
        return st;
    }
    const cstd_sharedDescriptor d = {nullptr, nullptr, &kShareableOps};
    st = cstd_shared_initCustomTyped(&s->shared, s, &d, typeTable);
    if (st < 0) {
        cstd_vector__destruct(&copy);
        return st;
    }
    s->vector = copy;
    s->equal = equal;
    return 0;
}

ORBMATH_API cmath_status cstd_vectorShareable_constructCopy(cstd_vectorShareable* s,
                                                            const cstd_vectorShareable* src)
{
    if (src == nullptr) {
        return cmath_errNullArgument;
    }
    return cstd_vectorShareable_construct(s, &src->vector, src->shared.typeTable, src->equal);
}

ORBMATH_API cmath_status cstd_vectorShareable_destruct(cstd_vectorShareable* s)
{
    return s != nullptr ? cstd_vector__destruct(&s->vector) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_assign(cstd_vectorShareable* s, const cstd_vectorShareable* src)
{
    if (s == nullptr || src == nullptr) {
        return cmath_errNullArgument;
    }
    return cstd_vector__assign(&s->vector, &src->vector);
}

ORBMATH_API cmath_status cstd_vectorShareable_assignElements(cstd_vectorShareable* s, const void* elements,
                                                             int32_t count)
{
    return s != nullptr ? cstd_vector__assignElements(&s->vector, elements, count) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_assignVector(cstd_vectorShareable* s, const cstd_vector* v)
{
    return s != nullptr ? cstd_vector__assign(&s->vector, v) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_pushBack(cstd_vectorShareable* s, const void* element)
{
    return s != nullptr ? cstd_vector__pushBack(&s->vector, element) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_reserve(cstd_vectorShareable* s, int32_t capacity)
{
    return s != nullptr ? cstd_vector__reserve(&s->vector, capacity) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_reset(cstd_vectorShareable* s)
{
    return s != nullptr ? cstd_vector__clearAndFreeMemory(&s->vector) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_resize(cstd_vectorShareable* s, int32_t size)
{
    return s != nullptr ? cstd_vector__resize(&s->vector, size) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getBeginEnd(cstd_vectorShareable* s, void** begin, void** end)
{
    return s != nullptr ? cstd_vector__getBeginEnd(&s->vector, begin, end) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getBeginEndConst(const cstd_vectorShareable* s,
                                                               const void** begin, const void** end)
{
    return s != nullptr ? cstd_vector__getBeginEndConst(&s->vector, begin, end) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getCapacity(const cstd_vectorShareable* s, intptr_t* out)
{
    return s != nullptr ? cstd_vector__getCapacity(&s->vector, out) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getElementSize(const cstd_vectorShareable* s, intptr_t* out)
{
    return s != nullptr ? cstd_vector__getElementSize(&s->vector, out) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getSize(const cstd_vectorShareable* s, intptr_t* out)
{
    return s != nullptr ? cstd_vector__getSize(&s->vector, out) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getSize32(const cstd_vectorShareable* s, int32_t* out)
{
    return s != nullptr ? cstd_vector__getSize32(&s->vector, out) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getBeginSize32(cstd_vectorShareable* s, void** begin,
                                                             int32_t* size)
{
    return s != nullptr ? cstd_vector__getBeginSize32(&s->vector, begin, size) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_getBeginSize32Const(const cstd_vectorShareable* s,
                                                                  const void** begin, int32_t* size)
{
    return s != nullptr ? cstd_vector__getBeginSize32Const(&s->vector, begin, size) : cmath_errNullArgument;
}

ORBMATH_API cmath_status cstd_vectorShareable_compareEqual(const cstd_vectorShareable* a,
                                                           const cstd_vectorShareable* b, int32_t* out)
{
    if (a == nullptr || b == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    if (a->equal != nullptr) {
        int32_t same = 0;
        const cmath_status st = a->equal(a, b, &same);
        if (st < 0) {
            return st;
        }
        *out = same != 0 ? 1 : 0;
        return st;
    }
    return cstd_vector__compareEqual(&a->vector, &b->vector, out, nullptr);
}

ORBMATH_API cmath_status cstd_vectorShareable_getTypename(cstd_vectorShareable* s, const char16_t** out)
{
    if (s == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    const char16_t* name = nullptr;
    const cmath_status st = cstd_shared_getTypename(&s->shared, &name);
    if (st < 0) {
        return st;
    }
    *out = name != nullptr ? name : kShareableName;
    return st;
}

ORBMATH_API cmath_status cstd_vectorShareable_queryInterfaceByTypenameFinal(cstd_vectorShareable* s,
                                                                            const char16_t* name, void** out)
{
    if (name == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = nullptr;
    if (s == nullptr) {
        return 0;
    }
    if (cstd_typename_equal(name, kShareableName)) {
        *out = s;
        return 0;
    }
    return cstd_shared_queryInterfaceByTypenameFinal(&s->shared, name, out, 0);
}

ORBMATH_API cmath_status cstd_vectorShareable_queryInterfaceByTypename(cstd_vectorShareable* s,
                                                                       const char16_t* name, void** out)
{
    if (name == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = nullptr;
    if (s == nullptr) {
        return 0;
    }
    const cstd_sharedTypeTable* t = s->shared.typeTable;
    if (t != nullptr && t->queryInterfaceByTypenameFinal != nullptr) {
        void* found = nullptr;
        const cmath_status st = t->queryInterfaceByTypenameFinal(s->shared.outer, name, &found);
        if (st < 0 || found != nullptr) {
            *out = st < 0 ? nullptr : found;
            return st;
        }
    }
    return cstd_vectorShareable_queryInterfaceByTypenameFinal(s, name, out);
}

} // extern "C"
