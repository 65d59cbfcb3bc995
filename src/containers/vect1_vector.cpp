// Typed vectors of one-dimensional vectors, plain and shareable, compared element by element
// with cmath_vect1_compareEqual.
#include "containers/typed_vector.hpp"

namespace {

// The generic comparison calls its element equality through void pointers.
cmath_status vect1Equal(const void* a, const void* b, int32_t* out)
{
    return cmath_vect1_compareEqual(static_cast<const cmath_vect1*>(a), static_cast<const cmath_vect1*>(b), out);
}

// The generic shareable vector calls the kind's equality with the generic objects, which are
// the typed ones (first and only member).
cmath_status vect1ShareableEqual(const cstd_vectorShareable* a, const cstd_vectorShareable* b, int32_t* out)
{
    return cstd_vector_cmath_vect1Shareable_compareEqual(
        reinterpret_cast<const cstd_vector_cmath_vect1Shareable*>(a),
        reinterpret_cast<const cstd_vector_cmath_vect1Shareable*>(b), out);
}

struct Vect1Family {
    using Element = cmath_vect1;
    using Vector = cstd_vector_cmath_vect1;
    using Shareable = cstd_vector_cmath_vect1Shareable;
    static constexpr const char16_t* typeName = u"cstd_vector_cmath_vect1Shareable";
    static constexpr cstd_vectorShareableEqual shareableEqual = vect1ShareableEqual;
};

using Vect1Ops = orb::TypedVector<Vect1Family>;

} // namespace

ORB_TYPED_VECTOR_DEFINE(cstd_vector_cmath_vect1, cmath_vect1, Vect1Ops)

extern "C" {

ORBMATH_API cmath_status cstd_vector_cmath_vect1_compareEqual(const cstd_vector_cmath_vect1* a,
                                                             const cstd_vector_cmath_vect1* b, int32_t* out)
{
    return cstd_vector__compareEqual(Vect1Ops::vec(a), Vect1Ops::vec(b), out, vect1Equal);
}

ORBMATH_API cmath_status cstd_vector_cmath_vect1Shareable_compareEqual(const cstd_vector_cmath_vect1Shareable* a,
                                                                      const cstd_vector_cmath_vect1Shareable* b,
                                                                      int32_t* out)
{
    // The vectors inside; null objects are refused by the generic comparison.
    const cstd_vector* va = a != nullptr ? &a->shareable.vector : nullptr;
    const cstd_vector* vb = b != nullptr ? &b->shareable.vector : nullptr;
    return cstd_vector__compareEqual(va, vb, out, vect1Equal);
}

} // extern "C"
