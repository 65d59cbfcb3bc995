// Private to the transform object model: the hidden operations the three families share, the
// handle casts and the type-name comparison.
#ifndef ORBMATH_SRC_XFORM_INTERNAL_HPP
#define ORBMATH_SRC_XFORM_INTERNAL_HPP

#include <orbmath/orbmath.h>

#include <cstddef>

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

// The two handle types share one representation; the library uses either as the other.
inline cstd_ptrh* mut(cmath_xformPtrh* h) { return &h->handle; }
inline const cstd_ptrh* mut(const cmath_xformPtrh* h) { return &h->handle; }
inline cstd_ptrh* mut(cmath_xformPtrhConst* h) { return reinterpret_cast<cstd_ptrh*>(&h->handle); }
inline cstd_ptrhConst* cst(cmath_xformPtrhConst* h) { return &h->handle; }
inline const cstd_ptrhConst* cst(const cmath_xformPtrhConst* h) { return &h->handle; }
inline cstd_ptrhConst* cst(cmath_xformPtrh* h) { return reinterpret_cast<cstd_ptrhConst*>(&h->handle); }
inline const cstd_ptrhConst* cst(const cmath_xformPtrh* h) { return reinterpret_cast<const cstd_ptrhConst*>(&h->handle); }
inline cmath_xformPtrhConst* asConst(cmath_xformPtrh* h) { return reinterpret_cast<cmath_xformPtrhConst*>(h); }
inline const cmath_xformPtrhConst* asConst(const cmath_xformPtrh* h)
{
    return reinterpret_cast<const cmath_xformPtrhConst*>(h);
}
inline cmath_xformPtrh* asMut(cmath_xformPtrhConst* h) { return reinterpret_cast<cmath_xformPtrh*>(h); }

// Clean-up actions for temporaries and fresh handles.
inline void releaseHandle(void* h) { cstd_ptrh_destruct(static_cast<cstd_ptrh*>(h)); }

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
    return cstd_ptrh_constructBaseTypename(&h->handle, nullptr, kXformName);
}

} // namespace orb::xf

#endif
