// Private to the transform object model: the hidden operations the three families share, the
// handle casts and the type-name comparison.
#ifndef ORBMATH_SRC_XFORM_INTERNAL_HPP
#define ORBMATH_SRC_XFORM_INTERNAL_HPP

#include <orbmath/orbmath.h>

#include <cstddef>

#include "support/cleanup.hpp"

extern "C" {
// A plain transform with value *lin (identity for a null lin) whose memory the default shared
// operations free when the last handle goes. Not exported.
cmath_status cmath_xform_constructLinear(cmath_xform* x, const cmath_xformLinear* lin);
// Puts x itself (an object in shared storage) at the front of c's chain, adding a reference to
// it; on failure c is unchanged. Not exported.
cmath_status cmath_xfcomposed_composeFront(cmath_xfcomposed* c, const cmath_xform* x);
}

namespace orb::xf {

inline constexpr char16_t kXformName[] = u"cmath_xform";

// The composed kind's operations table; getIsComposed compares against its address.
extern const cmath_xformOps kComposedOps;

// Exact comparison of two 16-bit type names, unit by unit, terminator included.
inline bool sameName(const char16_t* a, const char16_t* b)
{
    for (;; ++a, ++b) {
        if (*a != *b) {
            return false;
        }
        if (*a == 0) {
            return true;
        }
    }
}

// The outer object recorded in the header at construction (the header's second word).
inline void* outerOf(const cmath_xform* x)
{
    return x->shared.outer;
}

// The two handle types share one representation; the library uses either as the other. The
// handle is each type's only member, so the casts need no member access and pass a null handle
// on to the support layer's calls, which refuse it.
static_assert(offsetof(cmath_xformPtrh, handle) == 0 && offsetof(cmath_xformPtrhConst, handle) == 0);
inline cstd_ptrh* mut(cmath_xformPtrh* h) { return reinterpret_cast<cstd_ptrh*>(h); }
inline const cstd_ptrh* mut(const cmath_xformPtrh* h) { return reinterpret_cast<const cstd_ptrh*>(h); }
inline cstd_ptrh* mut(cmath_xformPtrhConst* h) { return reinterpret_cast<cstd_ptrh*>(h); }
inline cstd_ptrhConst* cst(cmath_xformPtrhConst* h) { return reinterpret_cast<cstd_ptrhConst*>(h); }
inline const cstd_ptrhConst* cst(const cmath_xformPtrhConst* h) { return reinterpret_cast<const cstd_ptrhConst*>(h); }
inline cstd_ptrhConst* cst(cmath_xformPtrh* h) { return reinterpret_cast<cstd_ptrhConst*>(h); }
inline const cstd_ptrhConst* cst(const cmath_xformPtrh* h) { return reinterpret_cast<const cstd_ptrhConst*>(h); }
inline cmath_xformPtrhConst* asConst(cmath_xformPtrh* h) { return reinterpret_cast<cmath_xformPtrhConst*>(h); }
inline const cmath_xformPtrhConst* asConst(const cmath_xformPtrh* h)
{
    return reinterpret_cast<const cmath_xformPtrhConst*>(h);
}
inline cmath_xformPtrh* asMut(cmath_xformPtrhConst* h) { return reinterpret_cast<cmath_xformPtrh*>(h); }

// Clean-up actions for temporaries and fresh handles.
inline void releaseHandle(void* h) { cstd_ptrh_destruct(static_cast<cstd_ptrh*>(h)); }
inline void releaseConstHandle(void* h)
{
    cstd_ptrhConst_destruct(static_cast<cstd_ptrhConst*>(h));
}

// Destructs the composed object a pointer variable holds, when it still holds one.
inline void dropComposed(void* slot)
{
    auto** composed = static_cast<cmath_xfcomposed**>(slot);
    if (*composed != nullptr) {
        cmath_xfcomposed_destruct(*composed);
    }
}

// The transform behind a handle, null for an empty one. Every object a transform handle reaches
// is a cmath_xform whose header is the one the handle holds, so the transform is found from the
// header; the outer object (which a kind of another module may place elsewhere) is not needed.
inline const cmath_xform* xformOfHeader(const cstd_shared* header)
{
    return reinterpret_cast<const cmath_xform*>(reinterpret_cast<const char*>(header) -
                                                offsetof(cmath_xform, shared));
}

inline cmath_status xformOf(const cmath_xformPtrhConst* h, const cmath_xform** out)
{
    if (h == nullptr) {
        return cmath_errNullArgument;
    }
    *out = h->handle.header != nullptr ? xformOfHeader(h->handle.header) : nullptr;
    return 0;
}

// The header of a transform, for the support layer's calls, which take it mutable.
inline cstd_shared* headerOf(const cmath_xform* x)
{
    return const_cast<cstd_shared*>(&x->shared);
}

// An empty handle typed "cmath_xform".
inline cmath_status constructEmpty(cmath_xformPtrh* h)
{
    return cstd_ptrh_constructBaseTypename(mut(h), nullptr, kXformName);
}
inline cmath_status constructEmpty(cmath_xformPtrhConst* h)
{
    return cstd_ptrhConst_constructBaseTypename(cst(h), nullptr, kXformName);
}

// Registers the release of a handle of either type with a clean-up list, as a temporary
// (released always) or as a fresh result (released on failure).
inline void releaseAlways(orb::Cleanup& cl, cmath_xformPtrh* h)
{
    cl.tempHandle(mut(h), releaseHandle);
}
inline void releaseAlways(orb::Cleanup& cl, cmath_xformPtrhConst* h)
{
    cl.tempHandle(cst(h), releaseConstHandle);
}
inline void releaseOnFailure(orb::Cleanup& cl, cmath_xformPtrh* h)
{
    cl.freshObject(mut(h), releaseHandle);
}
inline void releaseOnFailure(orb::Cleanup& cl, cmath_xformPtrhConst* h)
{
    cl.freshObject(cst(h), releaseConstHandle);
}

// Assignment between handles of one type, through the support layer's call for that type.
inline cmath_status assignHandle(cmath_xformPtrh* dst, cmath_xformPtrh* src)
{
    return cstd_ptrh_assign(mut(dst), mut(src));
}
inline cmath_status assignHandle(cmath_xformPtrhConst* dst, cmath_xformPtrhConst* src)
{
    return cstd_ptrhConst_assign(cst(dst), cst(src));
}

// ---- the shapes every handle-producing operation takes ----------------------------------------

// A temporary handle of type Handle made by construct(&temp), handed to use(&temp) and released
// on every path; a failed construction is returned as it is (there is nothing to release).
template <class Handle, class Construct, class Use> cmath_status withTemp(Construct construct, Use use)
{
    Handle temp;
    cmath_status st = construct(&temp);
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    releaseAlways(cl, &temp);
    st = use(&temp);
    return cl.close();
}

// h assigned from a temporary handle of its own type that construct(&temp) makes; the
// temporary is released on every path and h keeps its transform on failure.
template <class Handle, class Construct> cmath_status assignFromNew(Handle* h, Construct construct)
{
    return withTemp<Handle>(construct, [&](Handle* temp) { return assignHandle(h, temp); });
}

// An empty temporary mutable handle filled by fill(&temp); on success out is assigned from it
// (cstd_ptrhConst_assignConst). The temporary is released on every path; on failure out keeps
// its transform.
template <class Fill> cmath_status fillThenAssignConst(cmath_xformPtrhConst* out, Fill fill)
{
    return withTemp<cmath_xformPtrh>([](cmath_xformPtrh* temp) { return constructEmpty(temp); },
                                     [&](cmath_xformPtrh* temp) {
                                         cmath_status st = fill(temp);
                                         if (st >= 0) {
                                             st = cstd_ptrhConst_assignConst(cst(out), mut(temp));
                                         }
                                         return st;
                                     });
}

// h constructed empty, then filled by fill(h); on failure h is destructed again.
template <class Handle, class Fill> cmath_status constructEmptyThen(Handle* h, Fill fill)
{
    cmath_status st = constructEmpty(h);
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    releaseOnFailure(cl, h);
    st = fill(h);
    return cl.close();
}

// A new composed object in a block of its own: fill(c, &fresh) constructs it in the block and
// sets fresh to it once it is constructed; attach(c, &owned) hands it to a handle and sets owned
// as soon as a handle owns it. Until then a failure destructs the object (if it was constructed)
// and frees the block.
template <class Fill, class Attach> cmath_status makeComposed(Fill fill, Attach attach)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(cmath_xfcomposed), &block);
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    cmath_xfcomposed* fresh = nullptr;
    cl.freshBlock(&block);
    cl.freshObject(&fresh, dropComposed);
    auto* c = static_cast<cmath_xfcomposed*>(block);
    st = fill(c, &fresh);
    if (st < 0) {
        return cl.close();
    }
    bool owned = false;
    st = attach(c, &owned);
    if (owned) {
        fresh = nullptr;
        block = nullptr;
    }
    return cl.close();
}

// Gives a fresh composed object to out (cstd_ptrh_assignShared), which releases what it held.
inline cmath_status handOver(cmath_xfcomposed* c, cmath_xformPtrh* out, bool* owned)
{
    const cmath_status st = cstd_ptrh_assignShared(&out->handle, &c->base.shared);
    *owned = st >= 0;
    return st;
}

// A new composed object copy-constructed from src (its own chain sharing src's parts) and
// handed to out; until out owns it, a failure destructs and frees it.
inline cmath_status newComposedCopy(const cmath_xfcomposed* src, cmath_xformPtrh* out)
{
    return makeComposed(
        [&](cmath_xfcomposed* c, cmath_xfcomposed** fresh) {
            const cmath_status st = cmath_xfcomposed_constructCopy(c, src);
            if (st >= 0) {
                *fresh = c;
            }
            return st;
        },
        [&](cmath_xfcomposed* c, bool* owned) { return handOver(c, out, owned); });
}

} // namespace orb::xf

#endif
