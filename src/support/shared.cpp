// Reference-counted shared objects: the header, the default shared operations and the
// query by type name that runs down a kind's chain to the root name.
#include <orbmath/shared.h>
#include <orbmath/support.h>

#include "support/shared_internal.hpp"

#include <atomic>
#include <cstddef>

static_assert(sizeof(cstd_shared) == 6 * 8, "the shared header is six 64-bit words");
static_assert(offsetof(cstd_shared, outer) == 8, "the second word holds the outer object");
static_assert(sizeof(cstd_ptrh) == 16 && sizeof(cstd_ptrhConst) == 16, "handles are 16 bytes");
static_assert(std::atomic_ref<int64_t>::required_alignment <= alignof(int64_t),
              "the reference count is naturally aligned");

namespace {

constexpr char16_t kRootName[] = u"cstd_shared";

constexpr cstd_sharedOps kDefaultOps = {
    cstd_shared_destroy_default,
    cstd_shared_increment_default,
    cstd_shared_decrement_default,
};

std::atomic_ref<int64_t> count(cstd_shared* header) { return std::atomic_ref<int64_t>(header->references); }

} // namespace

bool orb::dropReference(cstd_shared* header)
{
    // Release our writes to the object; the thread that drops the last reference acquires
    // all of them.
    return count(header).fetch_sub(1, std::memory_order_acq_rel) == 1;
}

extern "C" {

// `extern` gives the const pointer external linkage.
ORBMATH_API extern const cstd_sharedOps* const cstd_shared_vtable_default = &kDefaultOps;

ORBMATH_API int32_t cstd_typename_equal(const char16_t* a, const char16_t* b)
{
    if (a == b) {
        return 1;
    }
    if (a == nullptr || b == nullptr) {
        return 0;
    }
    for (;; ++a, ++b) {
        if (*a != *b) {
            return 0;
        }
        if (*a == 0) {
            return 1;
        }
    }
}

ORBMATH_API cmath_status cstd_shared_initCustomTyped(cstd_shared* header, void* outer,
                                                     const cstd_sharedDescriptor* descriptor,
                                                     const cstd_sharedTypeTable* typeTable)
{
    if (header == nullptr || outer == nullptr) {
        return cmath_errNullArgument;
    }
    const cstd_sharedOps* ops = descriptor != nullptr ? descriptor->ops : nullptr;
    header->ops = ops != nullptr ? ops : &kDefaultOps;
    header->outer = outer;
    header->typeTable = typeTable;
    header->references = 0;
    header->reserved[0] = 0;
    header->reserved[1] = 0;
    return 0;
}

ORBMATH_API cmath_status cstd_shared_destroy_default(cstd_shared* header)
{
    if (header == nullptr) {
        return cmath_errNullArgument;
    }
    void* block = header->outer;
    return csys_memory_free_internal(&block);
}

ORBMATH_API cmath_status cstd_shared_increment_default(cstd_shared* header)
{
    if (header == nullptr) {
        return cmath_errNullArgument;
    }
    // A new reference is always made from an existing one (or by the creator), so nothing
    // needs to be ordered here.
    count(header).fetch_add(1, std::memory_order_relaxed);
    return 0;
}

ORBMATH_API cmath_status cstd_shared_decrement_default(cstd_shared* header)
{
    if (header == nullptr) {
        return cmath_errNullArgument;
    }
    if (orb::dropReference(header)) {
        return header->ops->destroy(header);
    }
    return 0;
}

ORBMATH_API cmath_status cstd_shared_getReferenceCount(const cstd_shared* header, int64_t* out)
{
    if (header == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = std::atomic_ref<const int64_t>(header->references).load(std::memory_order_relaxed);
    return 0;
}

ORBMATH_API cmath_status cstd_shared_getTypename(cstd_shared* header, const char16_t** out)
{
    if (header == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    const cstd_sharedTypeTable* t = header->typeTable;
    if (t == nullptr || t->getTypename == nullptr) {
        *out = nullptr;
        return 0;
    }
    const char16_t* name = nullptr;
    const cmath_status st = t->getTypename(header->outer, &name);
    if (st < 0) {
        return st;
    }
    *out = name;
    return st;
}

ORBMATH_API cmath_status cstd_shared_queryInterfaceByTypenameFinal(cstd_shared* header,
                                                                   const char16_t* name,
                                                                   void** out, int32_t /*reserved*/)
{
    if (name == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = nullptr;
    if (header != nullptr && cstd_typename_equal(name, kRootName)) {
        *out = header;
    }
    return 0;
}

ORBMATH_API cmath_status cstd_shared_queryInterfaceByTypename(cstd_shared* header,
                                                              const char16_t* name, void** out,
                                                              int32_t reserved)
{
    if (name == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = nullptr;
    if (header == nullptr) {
        return 0;
    }
    const cstd_sharedTypeTable* t = header->typeTable;
    if (t != nullptr && t->queryInterfaceByTypenameFinal != nullptr) {
        void* found = nullptr;
        const cmath_status st = t->queryInterfaceByTypenameFinal(header->outer, name, &found);
        if (st < 0) {
            *out = nullptr;
            return st;
        }
        if (found != nullptr) {
            *out = found;
            return st;
        }
    }
    // A kind whose chain does not end in the root still gets the root's answer.
    return cstd_shared_queryInterfaceByTypenameFinal(header, name, out, reserved);
}

} // extern "C"
