// A transform kind defined outside the library through the public header: the quadratic warp
// (x, y) -> (x, y + k x^2), whose inverse is the warp with -k. Its object does not begin with the
// cmath_xform, so the outer object and the transform have different addresses.
#ifndef ORBMATH_TESTS_WARP_KIND_HPP
#define ORBMATH_TESTS_WARP_KIND_HPP

#include <orbmath/orbmath.h>

#include <atomic>

namespace warp {

inline constexpr char16_t kName[] = u"test_warp";

struct Warp {
    double k;
    std::atomic<int>* destroyed; // counts destructions; may be null
    cmath_xform base;
};

inline const Warp* self(const void* outer)
{
    return static_cast<const Warp*>(outer);
}

cmath_status make(double k, std::atomic<int>* destroyed, cmath_xformPtrh* out);

inline cmath_status mapPoint(const void* outer, const cmath_vect* in, cmath_vect* out)
{
    const double k = self(outer)->k, x = in->x;
    *out = {x, in->y + k * (x * x)};
    return 0;
}

inline cmath_status getIsLinear(const void* outer, int32_t* out)
{
    *out = self(outer)->k == 0.0 ? 1 : 0;
    return 0;
}

// About p: matrix [[1, 0], [2 k p.x, 1]] and the translation f(p) - J p = (0, -k p.x^2).
inline cmath_status getLinear(const void* outer, const cmath_vect* point, cmath_xformLinear* out)
{
    const double k = self(outer)->k, px = point != nullptr ? point->x : 0.0;
    *out = {{0.0, -(k * (px * px))}, {1.0, 0.0, 2.0 * k * px, 1.0}};
    return 0;
}

// self o other through the library's handle composition.
inline cmath_status compose(const void* outer, const cmath_xform* other, cmath_xformPtrh* out)
{
    cmath_xformPtrh a;
    cmath_xformPtrh b;
    cmath_status st = cstd_ptrh_constructBaseTypename(&a.handle, const_cast<cstd_shared*>(&self(outer)->base.shared),
                                                      u"cmath_xform");
    if (st < 0) {
        return st;
    }
    st = cstd_ptrh_constructBaseTypename(&b.handle, const_cast<cstd_shared*>(&other->shared), u"cmath_xform");
    if (st >= 0) {
        st = cmath_xformPtrh_assignCompose(out, &a, &b);
        cstd_ptrh_destruct(&b.handle);
    }
    cstd_ptrh_destruct(&a.handle);
    return st;
}

inline cmath_status getInverse(const void* outer, cmath_xformPtrh* out)
{
    return make(-self(outer)->k, self(outer)->destroyed, out);
}

inline cmath_status clone(const void* outer, cmath_xformPtrh* out)
{
    return make(self(outer)->k, self(outer)->destroyed, out);
}

inline cmath_status queryFinal(void* object, const char16_t* name, void** out)
{
    auto* w = static_cast<Warp*>(object);
    if (cstd_typename_equal(name, kName) != 0) {
        *out = w;
        return 0;
    }
    return cmath_xform_queryInterfaceByTypenameFinal(&w->base, name, out);
}

inline cmath_status getTypename(void* /*object*/, const char16_t** out)
{
    *out = kName;
    return 0;
}

inline cmath_status destroy(cstd_shared* header)
{
    auto* w = static_cast<Warp*>(header->outer);
    if (w->destroyed != nullptr) {
        w->destroyed->fetch_add(1);
    }
    const cmath_status st = cmath_xform_destruct(&w->base);
    if (st < 0) {
        return st;
    }
    void* block = w;
    return csys_memory_free_internal(&block);
}

inline const cmath_xformOps kOps = {mapPoint, getIsLinear, getLinear, compose, getInverse, clone};
inline const cstd_sharedTypeTable kTypeTable = {queryFinal, getTypename};
inline const cstd_sharedOps kSharedOps = {destroy, cstd_shared_increment_default, cstd_shared_decrement_default};

// out refers to a new warp with coefficient k; on failure out keeps its transform.
inline cmath_status make(double k, std::atomic<int>* destroyed, cmath_xformPtrh* out)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(Warp), &block);
    if (st < 0) {
        return st;
    }
    auto* w = static_cast<Warp*>(block);
    w->k = k;
    w->destroyed = destroyed;
    st = cmath_xform_constructStandard(&w->base, w, &kOps, &kSharedOps, &kTypeTable);
    if (st >= 0) {
        st = cstd_ptrh_assignShared(&out->handle, &w->base.shared);
    }
    if (st < 0) {
        csys_memory_free_internal(&block);
    }
    return st;
}

} // namespace warp

#endif
