// Transform handles owned by a test (empty, a plain transform, a warp, a composition) and small
// tools for chains, shared by the transform tests and the reliability sweeps.
#ifndef ORBMATH_TESTS_XFORM_HANDLE_H
#define ORBMATH_TESTS_XFORM_HANDLE_H

#include "orbtest_a.h"
#include "warp_kind.hpp"

#include <iterator>
#include <vector>

namespace orbtest {

inline cmath_xformPtrh* mut(cmath_xformPtrhConst* h) { return reinterpret_cast<cmath_xformPtrh*>(h); }

// A const handle owned by the test: empty, a new plain transform, a new warp, or a o b.
struct Handle {
    cmath_xformPtrhConst h;
    Handle() { EXPECT_EQ(cmath_xformPtrhConst_construct(&h), 0); }
    explicit Handle(const cmath_xformLinear& lin) { EXPECT_EQ(cmath_xformPtrhConst_constructLinear(&h, &lin), 0); }
    explicit Handle(double warpK, std::atomic<int>* destroyed = nullptr) : Handle()
    {
        EXPECT_EQ(warp::make(warpK, destroyed, m()), 0);
    }
    Handle(const Handle& a, const Handle& b) : Handle() { EXPECT_EQ(cmath_xformPtrhConst_assignCompose(&h, &a.h, &b.h), 0); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { EXPECT_EQ(cmath_xformPtrhConst_destruct(&h), 0); }

    cmath_xformPtrh* m() const { return reinterpret_cast<cmath_xformPtrh*>(const_cast<cmath_xformPtrhConst*>(&h)); }
    const cmath_xform* x() const { return result<const cmath_xform*>(cmath_xformPtrhConst_getXform, &h); }
    cmath_vect map(cmath_vect p) const { return result<cmath_vect>(cmath_xformPtrhConst_mapPoint, &h, &p); }
    cmath_xformLinear lin(const cmath_vect* at = nullptr) const { return result<cmath_xformLinear>(cmath_xformPtrhConst_getLinear, &h, at); }
    int32_t composed() const { return result<int32_t>(cmath_xformPtrhConst_getIsComposed, &h); }
    int32_t linear() const { return result<int32_t>(cmath_xformPtrhConst_getIsLinear, &h); }
    int64_t refs() const { return h.handle.header == nullptr ? 0 : result<int64_t>(cstd_shared_getReferenceCount, h.handle.header); }
};

// chain = a new composed transform [list...] (the first part applied first).
inline void makeChain(Handle& chain, const std::vector<const Handle*>& list)
{
    cmath_xfcomposed c;
    ASSERT_EQ(cmath_xfcomposed_construct(&c), 0);
    for (auto it = std::rbegin(list); it != std::rend(list); ++it) {
        ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &(*it)->h), 0);
    }
    ASSERT_EQ(cmath_xformPtrhConst_assignComposed(&chain.h, &c), 0);
    ASSERT_EQ(cmath_xfcomposed_destruct(&c), 0);
}

inline const cmath_xfcomposed* chainOf(const Handle& h)
{
    EXPECT_EQ(h.composed(), 1);
    return reinterpret_cast<const cmath_xfcomposed*>(h.x());
}

// The transforms a chain refers to, in application order.
inline std::vector<const cmath_xform*> parts(const cmath_xfcomposed* c)
{
    std::vector<const cmath_xform*> list;
    for (const cmath_xfcomposedNode* n = c->head; n != nullptr; n = n->next) {
        list.push_back(result<const cmath_xform*>(cmath_xformPtrhConst_getXform, &n->part));
    }
    return list;
}

inline cmath_vect mapLinear(const cmath_xformLinear& x, cmath_vect p) { return result<cmath_vect>(cmath_xformLinear_mapPoint, &x, &p); }

} // namespace orbtest

#endif
