// Transform handles: the support layer's handles typed "cmath_xform", handles to new plain and
// composed transforms, and the transform operations that work through a handle (an empty handle
// is the identity).
#include "geometry/linear_map.hpp"
#include "support/cleanup.hpp"
#include "support/null_check.hpp"
#include "xform/xform_internal.hpp"

using namespace orb::xf;

namespace {

cmath_status emptyConst(cmath_xformPtrhConst* h)
{
    return constructEmpty(h);
}

void identity(cmath_xformLinear* out)
{
    out->trans.x = 0.0;
    out->trans.y = 0.0;
    out->matrix.e11 = 1.0;
    out->matrix.e12 = 0.0;
    out->matrix.e21 = 0.0;
    out->matrix.e22 = 1.0;
}

// The steps shared by assignComposed of either handle type.
cmath_status assignComposedImpl(cmath_xformPtrhConst* h, const cmath_xfcomposed* c)
{
    return assignFromNew(
        h, [&](cmath_xformPtrhConst* temp) { return cmath_xformPtrhConst_constructComposed(temp, c); });
}

} // namespace

extern "C" {

// ---- construction, destruction and assignment ----------------------------------------------

ORBMATH_API cmath_status cmath_xformPtrhConst_construct(cmath_xformPtrhConst* h)
{
    return constructEmpty(h);
}

ORBMATH_API cmath_status cmath_xformPtrh_construct(cmath_xformPtrh* h)
{
    return constructEmpty(h);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_constructCopy(cmath_xformPtrhConst* dst, const cmath_xformPtrhConst* src)
{
    return cstd_ptrhConst_constructCopy(cst(dst), cst(src));
}

ORBMATH_API cmath_status cmath_xformPtrhConst_constructConstCopy(cmath_xformPtrhConst* dst,
                                                                 const cmath_xformPtrh* src)
{
    return cstd_ptrhConst_constructConstCopy(cst(dst), mut(src));
}

ORBMATH_API cmath_status cmath_xformPtrh_constructCopy(cmath_xformPtrh* dst, const cmath_xformPtrh* src)
{
    return cstd_ptrh_constructCopy(mut(dst), mut(src));
}

ORBMATH_API cmath_status cmath_xformPtrhConst_destruct(cmath_xformPtrhConst* h)
{
    return cstd_ptrhConst_destruct(cst(h));
}

ORBMATH_API cmath_status cmath_xformPtrh_destruct(cmath_xformPtrh* h)
{
    return cstd_ptrh_destruct(mut(h));
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assign(cmath_xformPtrhConst* dst, const cmath_xformPtrhConst* src)
{
    return cstd_ptrhConst_assign(cst(dst), cst(src));
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignConst(cmath_xformPtrhConst* dst, const cmath_xformPtrh* src)
{
    return cstd_ptrhConst_assignConst(cst(dst), mut(src));
}

ORBMATH_API cmath_status cmath_xformPtrh_assign(cmath_xformPtrh* dst, const cmath_xformPtrh* src)
{
    return cstd_ptrh_assign(mut(dst), mut(src));
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignNull(cmath_xformPtrhConst* h)
{
    return cstd_ptrhConst_assignShared(cst(h), nullptr);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_reset(cmath_xformPtrhConst* h)
{
    return cmath_xformPtrhConst_assignNull(h);
}

ORBMATH_API cmath_status cmath_xformPtrh_assignNull(cmath_xformPtrh* h)
{
    return cstd_ptrh_assignShared(mut(h), nullptr);
}

ORBMATH_API cmath_status cmath_xformPtrh_reset(cmath_xformPtrh* h)
{
    return cmath_xformPtrh_assignNull(h);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_getXform(const cmath_xformPtrhConst* h, const cmath_xform** out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    return xformOf(h, out);
}

ORBMATH_API cmath_status cmath_xformPtrh_getXform(const cmath_xformPtrh* h, const cmath_xform** out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    return xformOf(asConst(h), out);
}

// ---- handles to new transforms -------------------------------------------------------------

ORBMATH_API cmath_status cmath_xformPtrhConst_constructLinear(cmath_xformPtrhConst* h, const cmath_xformLinear* lin)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(cmath_xform), &block);
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    cl.freshBlock(&block);
    auto* x = static_cast<cmath_xform*>(block);
    st = cmath_xform_constructLinear(x, lin);
    if (st >= 0) {
        st = cstd_ptrhConst_constructBaseTypename(cst(h), &x->shared, kXformName);
    }
    return cl.close();
}

ORBMATH_API cmath_status cmath_xformPtrh_constructLinear(cmath_xformPtrh* h, const cmath_xformLinear* lin)
{
    return cmath_xformPtrhConst_constructLinear(asConst(h), lin);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignLinear(cmath_xformPtrhConst* h, const cmath_xformLinear* lin)
{
    return assignFromNew(
        h, [&](cmath_xformPtrhConst* temp) { return cmath_xformPtrhConst_constructLinear(temp, lin); });
}

ORBMATH_API cmath_status cmath_xformPtrh_assignLinear(cmath_xformPtrh* h, const cmath_xformLinear* lin)
{
    return cmath_xformPtrhConst_assignLinear(asConst(h), lin);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_constructComposed(cmath_xformPtrhConst* h, const cmath_xfcomposed* c)
{
    if (orb::anyNull(h, c)) {
        return cmath_errNullArgument;
    }
    // h empty, then a new copy of c handed to an empty temporary and h assigned from it.
    return constructEmptyThen(h, [&](cmath_xformPtrhConst* fresh) {
        return fillThenAssignConst(fresh, [&](cmath_xformPtrh* temp) { return newComposedCopy(c, temp); });
    });
}

ORBMATH_API cmath_status cmath_xformPtrh_constructComposed(cmath_xformPtrh* h, const cmath_xfcomposed* c)
{
    return cmath_xformPtrhConst_constructComposed(asConst(h), c);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposed(cmath_xformPtrhConst* h, const cmath_xfcomposed* c)
{
    if (orb::anyNull(h, c)) {
        return cmath_errNullArgument;
    }
    return assignComposedImpl(h, c);
}

ORBMATH_API cmath_status cmath_xformPtrh_assignComposed(cmath_xformPtrh* h, const cmath_xfcomposed* c)
{
    if (orb::anyNull(h, c)) {
        return cmath_errNullArgument;
    }
    return assignComposedImpl(asConst(h), c);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_constructClone(cmath_xformPtrhConst* h, const cmath_xform* x)
{
    if (orb::anyNull(h, x)) {
        return cmath_errNullArgument;
    }
    return constructEmptyThen(h,
                              [&](cmath_xformPtrhConst* fresh) { return cmath_xform_cloneConst(x, fresh); });
}

ORBMATH_API cmath_status cmath_xformPtrh_constructClone(cmath_xformPtrh* h, const cmath_xform* x)
{
    if (orb::anyNull(h, x)) {
        return cmath_errNullArgument;
    }
    // cmath_xform_clone: the clone slot of a derived kind, cmath_xformPtrhConst_assignLinear of a
    // plain transform's value.
    return constructEmptyThen(h, [&](cmath_xformPtrh* fresh) { return cmath_xform_clone(x, fresh); });
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignClone(cmath_xformPtrhConst* h, const cmath_xform* x)
{
    if (orb::anyNull(h, x)) {
        return cmath_errNullArgument;
    }
    // An empty temporary filled by cmath_xform_cloneConst (destructed at once if that fails),
    // then h assigned from it.
    return assignFromNew(
        h, [&](cmath_xformPtrhConst* temp) { return cmath_xformPtrhConst_constructClone(temp, x); });
}

ORBMATH_API cmath_status cmath_xformPtrh_assignClone(cmath_xformPtrh* h, const cmath_xform* x)
{
    if (orb::anyNull(h, x)) {
        return cmath_errNullArgument;
    }
    return assignFromNew(h, [&](cmath_xformPtrh* temp) { return cmath_xformPtrh_constructClone(temp, x); });
}

// ---- operations on the transform behind a handle -------------------------------------------

ORBMATH_API cmath_status cmath_xformPtrhConst_mapPoint(const cmath_xformPtrhConst* h, const cmath_vect* in,
                                                       cmath_vect* out)
{
    if (orb::anyNull(h, in, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* x = nullptr;
    const cmath_status st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    if (x == nullptr) {
        *out = *in;
        return 0;
    }
    if (x->ops != nullptr) {
        return x->ops->mapPoint(outerOf(x), in, out);
    }
    orb::mapLinear(x->linear, in, out); // a plain transform, as cmath_xform_mapPoint maps it
    return 0;
}

ORBMATH_API cmath_status cmath_xformPtrh_mapPoint(const cmath_xformPtrh* h, const cmath_vect* in, cmath_vect* out)
{
    return cmath_xformPtrhConst_mapPoint(asConst(h), in, out);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_getIsLinear(const cmath_xformPtrhConst* h, int32_t* out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* x = nullptr;
    const cmath_status st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    if (x == nullptr) {
        *out = 1;
        return 0;
    }
    return cmath_xform_getIsLinear(x, out);
}

ORBMATH_API cmath_status cmath_xformPtrh_getIsLinear(const cmath_xformPtrh* h, int32_t* out)
{
    return cmath_xformPtrhConst_getIsLinear(asConst(h), out);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_getIsComposed(const cmath_xformPtrhConst* h, int32_t* out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* x = nullptr;
    const cmath_status st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    *out = (x != nullptr && x->ops == &kComposedOps) ? 1 : 0;
    return 0;
}

ORBMATH_API cmath_status cmath_xformPtrhConst_getLinear(const cmath_xformPtrhConst* h, const cmath_vect* point,
                                                        cmath_xformLinear* out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* x = nullptr;
    cmath_status st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    if (x == nullptr) {
        identity(out);
        return 0;
    }
    if (x->ops == nullptr) {
        *out = x->linear;
        return 0;
    }
    const cmath_vect origin = {0.0, 0.0};
    if (point == nullptr) {
        // Without a point only an affine transform has one linear form.
        int32_t linear = 0;
        st = x->ops->getIsLinear(outerOf(x), &linear);
        if (st < 0) {
            return st;
        }
        if (linear == 0) {
            return cmath_errNotLinear;
        }
        point = &origin;
    }
    return x->ops->getLinear(outerOf(x), point, out);
}

ORBMATH_API cmath_status cmath_xformPtrh_getLinear(const cmath_xformPtrh* h, const cmath_vect* point,
                                                   cmath_xformLinear* out)
{
    return cmath_xformPtrhConst_getLinear(asConst(h), point, out);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_clone(const cmath_xformPtrhConst* h, cmath_xformPtrh* out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* x = nullptr;
    const cmath_status st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    if (x == nullptr) {
        return cstd_ptrh_assignShared(mut(out), nullptr);
    }
    return cmath_xform_clone(x, out);
}

ORBMATH_API cmath_status cmath_xformPtrh_clone(const cmath_xformPtrh* h, cmath_xformPtrh* out)
{
    return cmath_xformPtrhConst_clone(asConst(h), out);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_cloneConst(const cmath_xformPtrhConst* h, cmath_xformPtrhConst* out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    return fillThenAssignConst(out,
                               [&](cmath_xformPtrh* temp) { return cmath_xformPtrhConst_clone(h, temp); });
}

ORBMATH_API cmath_status cmath_xformPtrh_cloneConst(const cmath_xformPtrh* h, cmath_xformPtrhConst* out)
{
    return cmath_xformPtrhConst_cloneConst(asConst(h), out);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_getInverse(const cmath_xformPtrhConst* h, cmath_xformPtrh* out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* x = nullptr;
    const cmath_status st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    if (x == nullptr) {
        return cmath_xformPtrhConst_clone(h, out);
    }
    return cmath_xform_getInverse(x, out);
}

ORBMATH_API cmath_status cmath_xformPtrh_getInverse(const cmath_xformPtrh* h, cmath_xformPtrh* out)
{
    return cmath_xformPtrhConst_getInverse(asConst(h), out);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_getInverseConst(const cmath_xformPtrhConst* h, cmath_xformPtrhConst* out)
{
    if (orb::anyNull(h, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* x = nullptr;
    cmath_status st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    return fillThenAssignConst(out, [&](cmath_xformPtrh* temp) {
        return x == nullptr ? cmath_xformPtrhConst_clone(h, temp) : cmath_xform_getInverse(x, temp);
    });
}

ORBMATH_API cmath_status cmath_xformPtrhConst_compareEqual(const cmath_xformPtrhConst* a, const cmath_xformPtrhConst* b,
                                                           int32_t* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* xa = nullptr;
    const cmath_xform* xb = nullptr;
    cmath_status st = xformOf(a, &xa);
    if (st < 0) {
        return st;
    }
    st = xformOf(b, &xb);
    if (st < 0) {
        return st;
    }
    *out = 0;
    if (xa == xb) {
        *out = 1;
        return 0;
    }
    int32_t linearA = 1;
    int32_t linearB = 1;
    if (xa != nullptr) {
        st = cmath_xform_getIsLinear(xa, &linearA);
        if (st < 0) {
            return st;
        }
    }
    st = cmath_xformPtrhConst_getIsLinear(b, &linearB);
    if (st < 0) {
        return st;
    }
    // Transforms that are not affine are equal only to themselves.
    if (linearA != linearB || linearA == 0) {
        return 0;
    }
    cmath_xformLinear la;
    cmath_xformLinear lb;
    st = cmath_xformPtrhConst_getLinear(a, nullptr, &la);
    if (st < 0) {
        return st;
    }
    st = cmath_xformPtrhConst_getLinear(b, nullptr, &lb);
    if (st < 0) {
        return st;
    }
    if (la.trans.x == lb.trans.x && la.trans.y == lb.trans.y && la.matrix.e11 == lb.matrix.e11 &&
        la.matrix.e12 == lb.matrix.e12 && la.matrix.e21 == lb.matrix.e21 && la.matrix.e22 == lb.matrix.e22) {
        *out = 1;
    }
    return 0;
}

// ---- composition ---------------------------------------------------------------------------

ORBMATH_API cmath_status cmath_xformPtrhConst_assignCompose(cmath_xformPtrhConst* out, const cmath_xformPtrhConst* a,
                                                            const cmath_xformPtrhConst* b)
{
    if (orb::anyNull(out, a, b)) {
        return cmath_errNullArgument;
    }
    const cmath_xform* xa = nullptr;
    const cmath_xform* xb = nullptr;
    cmath_status st = xformOf(a, &xa);
    if (st < 0) {
        return st;
    }
    st = xformOf(b, &xb);
    if (st < 0) {
        return st;
    }
    return fillThenAssignConst(out, [&](cmath_xformPtrh* temp) {
        if (xa != nullptr && xb != nullptr) {
            return cmath_xform_compose(xa, xb, temp);
        }
        if (xa != nullptr) {
            // One side empty: a new copy of the other, never a share of it.
            return cmath_xformPtrhConst_clone(a, temp);
        }
        if (xb != nullptr) {
            return cmath_xformPtrhConst_clone(b, temp);
        }
        return cmath_xformPtrhConst_clone(a, temp);
    });
}

ORBMATH_API cmath_status cmath_xformPtrh_assignCompose(cmath_xformPtrh* out, const cmath_xformPtrh* a,
                                                       const cmath_xformPtrh* b)
{
    return cmath_xformPtrhConst_assignCompose(asConst(out), asConst(a), asConst(b));
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignCompose3(cmath_xformPtrhConst* out, const cmath_xformPtrhConst* a,
                                                             const cmath_xformPtrhConst* b,
                                                             const cmath_xformPtrhConst* c)
{
    if (orb::anyNull(out, a, b, c)) {
        return cmath_errNullArgument;
    }
    return withTemp<cmath_xformPtrhConst>(emptyConst, [&](cmath_xformPtrhConst* ab) {
        cmath_status st = cmath_xformPtrhConst_assignCompose(ab, a, b);
        if (st >= 0) {
            st = cmath_xformPtrhConst_assignCompose(out, ab, c);
        }
        return st;
    });
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignCompose4(cmath_xformPtrhConst* out, const cmath_xformPtrhConst* a,
                                                             const cmath_xformPtrhConst* b,
                                                             const cmath_xformPtrhConst* c,
                                                             const cmath_xformPtrhConst* d)
{
    if (orb::anyNull(out, a, b, c, d)) {
        return cmath_errNullArgument;
    }
    return withTemp<cmath_xformPtrhConst>(emptyConst, [&](cmath_xformPtrhConst* ab) {
        return withTemp<cmath_xformPtrhConst>(emptyConst, [&](cmath_xformPtrhConst* abc) {
            cmath_status st = cmath_xformPtrhConst_assignCompose(ab, a, b);
            if (st >= 0) {
                st = cmath_xformPtrhConst_assignCompose(abc, ab, c);
            }
            if (st >= 0) {
                st = cmath_xformPtrhConst_assignCompose(out, abc, d);
            }
            return st;
        });
    });
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposeLinearLinear(cmath_xformPtrhConst* out,
                                                                        const cmath_xformLinear* A,
                                                                        const cmath_xformLinear* B)
{
    if (orb::anyNull(out, A, B)) {
        return cmath_errNullArgument;
    }
    cmath_xformLinear folded;
    cmath_status st = cmath_matrix_mapPoint(&A->matrix, &B->trans, &folded.trans);
    if (st < 0) {
        return st;
    }
    folded.trans.x = folded.trans.x + A->trans.x;
    folded.trans.y = folded.trans.y + A->trans.y;
    st = cmath_matrix_initMultiply(&folded.matrix, &A->matrix, &B->matrix);
    if (st < 0) {
        return st;
    }
    return cmath_xformPtrhConst_assignLinear(out, &folded);
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposeLinearPtrh(cmath_xformPtrhConst* out,
                                                                      const cmath_xformLinear* A,
                                                                      const cmath_xformPtrhConst* b)
{
    if (orb::anyNull(out, A, b)) {
        return cmath_errNullArgument;
    }
    return withTemp<cmath_xformPtrhConst>(
        [&](cmath_xformPtrhConst* temp) { return cmath_xformPtrhConst_constructLinear(temp, A); },
        [&](cmath_xformPtrhConst* temp) { return cmath_xformPtrhConst_assignCompose(out, temp, b); });
}

ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposePtrhLinear(cmath_xformPtrhConst* out,
                                                                      const cmath_xformPtrhConst* a,
                                                                      const cmath_xformLinear* B)
{
    if (orb::anyNull(out, a, B)) {
        return cmath_errNullArgument;
    }
    return withTemp<cmath_xformPtrhConst>(
        [&](cmath_xformPtrhConst* temp) { return cmath_xformPtrhConst_constructLinear(temp, B); },
        [&](cmath_xformPtrhConst* temp) { return cmath_xformPtrhConst_assignCompose(out, a, temp); });
}

} // extern "C"
