// Helpers shared by the reliability tests: an owning transform handle and small chain tools.
#ifndef ORBMATH_TESTS_RELIABILITY_UTIL_HPP
#define ORBMATH_TESTS_RELIABILITY_UTIL_HPP

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace rel {

inline cmath_xformPtrh* mut(cmath_xformPtrhConst* h) { return reinterpret_cast<cmath_xformPtrh*>(h); }

// A const handle owned by the test: empty, or a new plain transform.
struct Handle {
    cmath_xformPtrhConst h;
    Handle() { EXPECT_EQ(cmath_xformPtrhConst_construct(&h), 0); }
    explicit Handle(const cmath_xformLinear& lin) { EXPECT_EQ(cmath_xformPtrhConst_constructLinear(&h, &lin), 0); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { EXPECT_EQ(cmath_xformPtrhConst_destruct(&h), 0); }

    cmath_xformPtrh* m() const { return reinterpret_cast<cmath_xformPtrh*>(const_cast<cmath_xformPtrhConst*>(&h)); }
    const cmath_xform* x() const
    {
        const cmath_xform* p = nullptr;
        EXPECT_EQ(cmath_xformPtrhConst_getXform(&h, &p), 0);
        return p;
    }
    cmath_vect map(cmath_vect p) const
    {
        cmath_vect q = {-99.0, -99.0};
        EXPECT_EQ(cmath_xformPtrhConst_mapPoint(&h, &p, &q), 0);
        return q;
    }
    int64_t refs() const
    {
        if (h.handle.header == nullptr) {
            return 0;
        }
        int64_t n = -1;
        EXPECT_EQ(cstd_shared_getReferenceCount(h.handle.header, &n), 0);
        return n;
    }
};

// out = a new composed transform [parts...] (the first part applied first).
inline void makeChain(Handle& out, std::initializer_list<const Handle*> parts)
{
    cmath_xfcomposed c;
    ASSERT_EQ(cmath_xfcomposed_construct(&c), 0);
    std::vector<const Handle*> reversed(parts.begin(), parts.end());
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) {
        ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &(*it)->h), 0);
    }
    ASSERT_EQ(cmath_xformPtrhConst_assignComposed(&out.h, &c), 0);
    ASSERT_EQ(cmath_xfcomposed_destruct(&c), 0);
}

inline const cmath_xfcomposed* chainOf(const Handle& h)
{
    int32_t composed = 0;
    EXPECT_EQ(cmath_xformPtrhConst_getIsComposed(&h.h, &composed), 0);
    EXPECT_EQ(composed, 1);
    return reinterpret_cast<const cmath_xfcomposed*>(h.x());
}

// The transforms a chain refers to, in application order.
inline std::vector<const cmath_xform*> parts(const cmath_xfcomposed* c)
{
    std::vector<const cmath_xform*> out;
    for (const cmath_xfcomposedNode* n = c->head; n != nullptr; n = n->next) {
        const cmath_xform* x = nullptr;
        EXPECT_EQ(cmath_xformPtrhConst_getXform(&n->part, &x), 0);
        out.push_back(x);
    }
    return out;
}

inline cmath_vect mapLinear(const cmath_xformLinear& x, cmath_vect p)
{
    cmath_vect q = {-99.0, -99.0};
    EXPECT_EQ(cmath_xformLinear_mapPoint(&x, &p, &q), 0);
    return q;
}

inline std::string describe(const Handle* h, const Handle& plain, const Handle& chain, const Handle& nested)
{
    if (h == &plain) {
        return "a plain transform";
    }
    if (h == &chain) {
        return "a chain";
    }
    if (h == &nested) {
        return "a nested chain";
    }
    return h->x() == nullptr ? "an empty handle" : "a plain transform";
}

} // namespace rel

#endif
