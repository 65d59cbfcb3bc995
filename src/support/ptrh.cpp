// Handles: two words {object header, type name}; each handle holds one reference to its
// object. The mutable and the const handle share one layout and one implementation.
#include <orbmath/shared.h>

#include <type_traits>

namespace {

static_assert(std::is_standard_layout_v<cstd_ptrh> && std::is_standard_layout_v<cstd_ptrhConst>);

cmath_status acquire(cstd_shared* header)
{
    return header != nullptr ? header->ops->increment(header) : 0;
}

cmath_status release(cstd_shared* header)
{
    return header != nullptr ? header->ops->decrement(header) : 0;
}

template <class H>
cmath_status construct(H* h, cstd_shared* header, const char16_t* typeName)
{
    if (h == nullptr) {
        return cmath_errNullArgument;
    }
    const cmath_status st = acquire(header);
    if (st < 0) {
        return st;
    }
    h->header = header;
    h->baseTypename = typeName;
    return 0;
}

template <class D, class S>
cmath_status constructCopy(D* dst, const S* src)
{
    if (src == nullptr) {
        return cmath_errNullArgument;
    }
    return construct(dst, src->header, src->baseTypename);
}

template <class H>
cmath_status destruct(H* h)
{
    if (h == nullptr) {
        return cmath_errNullArgument;
    }
    cstd_shared* old = h->header;
    h->header = nullptr;
    return release(old);
}

// Takes the new reference first, then moves h and releases the old one: assigning an object
// to a handle that already holds it never lets the count touch 0.
template <class H>
cmath_status assignShared(H* h, cstd_shared* header)
{
    if (h == nullptr) {
        return cmath_errNullArgument;
    }
    const cmath_status st = acquire(header);
    if (st < 0) {
        return st;
    }
    cstd_shared* old = h->header;
    h->header = header;
    return release(old);
}

template <class D, class S>
cmath_status assign(D* dst, const S* src)
{
    if (src == nullptr) {
        return cmath_errNullArgument;
    }
    return assignShared(dst, src->header);
}

template <class H>
cmath_status getWholeShared(const H* h, void** out)
{
    if (h == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = h->header != nullptr ? h->header->outer : nullptr;
    return 0;
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cstd_ptrh_constructBaseTypename(cstd_ptrh* h, cstd_shared* header,
                                                         const char16_t* typeName)
{
    return construct(h, header, typeName);
}

ORBMATH_API cmath_status cstd_ptrhConst_constructBaseTypename(cstd_ptrhConst* h, cstd_shared* header,
                                                              const char16_t* typeName)
{
    return construct(h, header, typeName);
}

ORBMATH_API cmath_status cstd_ptrh_construct(cstd_ptrh* h, cstd_shared* header)
{
    return construct(h, header, nullptr);
}

ORBMATH_API cmath_status cstd_ptrhConst_construct(cstd_ptrhConst* h, cstd_shared* header)
{
    return construct(h, header, nullptr);
}

ORBMATH_API cmath_status cstd_ptrh_constructCopy(cstd_ptrh* dst, const cstd_ptrh* src)
{
    return constructCopy(dst, src);
}

ORBMATH_API cmath_status cstd_ptrhConst_constructCopy(cstd_ptrhConst* dst, const cstd_ptrhConst* src)
{
    return constructCopy(dst, src);
}

ORBMATH_API cmath_status cstd_ptrhConst_constructConstCopy(cstd_ptrhConst* dst, const cstd_ptrh* src)
{
    return constructCopy(dst, src);
}

ORBMATH_API cmath_status cstd_ptrh_destruct(cstd_ptrh* h) { return destruct(h); }

ORBMATH_API cmath_status cstd_ptrhConst_destruct(cstd_ptrhConst* h) { return destruct(h); }

ORBMATH_API cmath_status cstd_ptrh_assign(cstd_ptrh* dst, const cstd_ptrh* src) { return assign(dst, src); }

ORBMATH_API cmath_status cstd_ptrhConst_assign(cstd_ptrhConst* dst, const cstd_ptrhConst* src)
{
    return assign(dst, src);
}

ORBMATH_API cmath_status cstd_ptrhConst_assignConst(cstd_ptrhConst* dst, const cstd_ptrh* src)
{
    return assign(dst, src);
}

ORBMATH_API cmath_status cstd_ptrh_assignShared(cstd_ptrh* h, cstd_shared* header)
{
    return assignShared(h, header);
}

ORBMATH_API cmath_status cstd_ptrhConst_assignShared(cstd_ptrhConst* h, cstd_shared* header)
{
    return assignShared(h, header);
}

ORBMATH_API cmath_status cstd_ptrhConst_getWholeShared(const cstd_ptrhConst* h, void** out)
{
    return getWholeShared(h, out);
}

ORBMATH_API cmath_status cstd_ptrh_getWholeShared(const cstd_ptrh* h, void** out)
{
    return getWholeShared(h, out);
}

ORBMATH_API cmath_status cstd_ptrhConst_getBaseTypename(const cstd_ptrhConst* h, const char16_t** out)
{
    if (h == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = h->baseTypename;
    return 0;
}

} // extern "C"
