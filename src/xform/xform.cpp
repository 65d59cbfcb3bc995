// The polymorphic transform base: construction, value assignment, dispatch to a kind's slots,
// plain composition and the query by type name.
#include "geometry/linear_map.hpp"
#include "support/null_check.hpp"
#include "xform/xform_internal.hpp"

using namespace orb::xf;

namespace {

cmath_status plainQueryFinal(void* object, const char16_t* name, void** out)
{
    return cmath_xform_queryInterfaceByTypenameFinal(static_cast<const cmath_xform*>(object), name, out);
}

cmath_status plainGetTypename(void* object, const char16_t** out)
{
    return cmath_xform_getTypename(static_cast<const cmath_xform*>(object), out);
}

const cstd_sharedTypeTable kPlainTypeTable = {plainQueryFinal, plainGetTypename};

// Writes the identity into lin.
cmath_status initIdentity(cmath_xformLinear* lin)
{
    lin->trans.x = 0.0;
    lin->trans.y = 0.0;
    return cmath_matrix_initIdentity(&lin->matrix);
}

// Compares name with "cmath_xform", all twelve units; stops at the first difference.
bool isXformName(const char16_t* name)
{
    return sameName(name, kXformName);
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_xform_constructStandard(cmath_xform* x, void* outer, const cmath_xformOps* ops,
                                                       const cstd_sharedOps* sharedOps,
                                                       const cstd_sharedTypeTable* typeTable)
{
    if (orb::anyNull(x, outer, ops, sharedOps, typeTable)) {
        return cmath_errNullArgument;
    }
    x->ops = ops;
    const cmath_status st = initIdentity(&x->linear);
    if (st < 0) {
        return st;
    }
    const cstd_sharedDescriptor descriptor = {nullptr, nullptr, sharedOps};
    return cstd_shared_initCustomTyped(&x->shared, outer, &descriptor, typeTable);
}

cmath_status cmath_xform_constructLinear(cmath_xform* x, const cmath_xformLinear* lin)
{
    x->ops = nullptr;
    if (lin != nullptr) {
        x->linear = *lin;
    } else {
        const cmath_status st = initIdentity(&x->linear);
        if (st < 0) {
            return st;
        }
    }
    const cstd_sharedDescriptor descriptor = {nullptr, nullptr, cstd_shared_vtable_default};
    return cstd_shared_initCustomTyped(&x->shared, x, &descriptor, &kPlainTypeTable);
}

ORBMATH_API cmath_status cmath_xform_constructLinearIdentity(cmath_xform* x)
{
    if (orb::anyNull(x)) {
        return cmath_errNullArgument;
    }
    return cmath_xform_constructLinear(x, nullptr);
}

ORBMATH_API cmath_status cmath_xform_destruct(cmath_xform* x)
{
    if (orb::anyNull(x)) {
        return cmath_errNullArgument;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_xform_reset(cmath_xform* x)
{
    if (orb::anyNull(x)) {
        return cmath_errNullArgument;
    }
    return initIdentity(&x->linear);
}

ORBMATH_API cmath_status cmath_xform_assign(cmath_xform* dst, const cmath_xform* src)
{
    if (orb::anyNull(dst, src)) {
        return cmath_errNullArgument;
    }
    if (dst == src) {
        return 0;
    }
    if (dst->ops != src->ops) {
        // Same kind is decided by the most-derived type names, not by the tables.
        const char16_t* dstName = nullptr;
        const char16_t* srcName = nullptr;
        cmath_status st = cstd_shared_getTypename(headerOf(dst), &dstName);
        if (st < 0) {
            return st;
        }
        st = cstd_shared_getTypename(headerOf(src), &srcName);
        if (st < 0) {
            return st;
        }
        if (dstName == nullptr || srcName == nullptr || !sameName(dstName, srcName)) {
            return cmath_errTypeMismatch;
        }
    }
    dst->linear = src->linear;
    return 0;
}

ORBMATH_API cmath_status cmath_xform_mapPoint(const cmath_xform* x, const cmath_vect* in, cmath_vect* out)
{
    if (orb::anyNull(x, in, out)) {
        return cmath_errNullArgument;
    }
    if (x->ops != nullptr) {
        return x->ops->mapPoint(outerOf(x), in, out);
    }
    orb::mapLinear(x->linear, in, out); // what cmath_xformLinear_mapPoint computes
    return 0;
}

ORBMATH_API cmath_status cmath_xform_getIsLinear(const cmath_xform* x, int32_t* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    if (x->ops != nullptr) {
        return x->ops->getIsLinear(outerOf(x), out);
    }
    *out = 1;
    return 0;
}

ORBMATH_API cmath_status cmath_xform_getLinear(const cmath_xform* x, const cmath_vect* point, cmath_xformLinear* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    if (x->ops != nullptr) {
        return x->ops->getLinear(outerOf(x), point, out);
    }
    *out = x->linear;
    return 0;
}

ORBMATH_API cmath_status cmath_xform_getInverse(const cmath_xform* x, cmath_xformPtrh* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    if (x->ops != nullptr) {
        return x->ops->getInverse(outerOf(x), out);
    }
    cmath_xformLinear inverse;
    const cmath_status st = cmath_xformLinear_getInverse(&x->linear, &inverse);
    if (st < 0) {
        return st;
    }
    return cmath_xformPtrhConst_assignLinear(asConst(out), &inverse);
}

ORBMATH_API cmath_status cmath_xform_clone(const cmath_xform* x, cmath_xformPtrh* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    if (x->ops != nullptr) {
        return x->ops->clone(outerOf(x), out);
    }
    return cmath_xformPtrhConst_assignLinear(asConst(out), &x->linear);
}

ORBMATH_API cmath_status cmath_xform_getInverseConst(const cmath_xform* x, cmath_xformPtrhConst* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    return fillThenAssignConst(out, [&](cmath_xformPtrh* temp) { return cmath_xform_getInverse(x, temp); });
}

ORBMATH_API cmath_status cmath_xform_cloneConst(const cmath_xform* x, cmath_xformPtrhConst* out)
{
    if (orb::anyNull(x, out)) {
        return cmath_errNullArgument;
    }
    return fillThenAssignConst(out, [&](cmath_xformPtrh* temp) {
        if (x->ops != nullptr) {
            return x->ops->clone(outerOf(x), temp);
        }
        // A plain transform: a second, const temporary holds a new plain transform and the
        // first is assigned from it (assignLinear makes, assigns and releases that temporary).
        return cmath_xformPtrhConst_assignLinear(asConst(temp), &x->linear);
    });
}

ORBMATH_API cmath_status cmath_xform_compose(const cmath_xform* a, const cmath_xform* b, cmath_xformPtrh* out)
{
    if (orb::anyNull(a, b, out)) {
        return cmath_errNullArgument;
    }
    if (a->ops == nullptr && b->ops == nullptr) {
        // Two plain transforms fold into a new plain one: translation A.matrix * B.trans + A.trans,
        // matrix A * B, made through a temporary const handle and assigned to out.
        return cmath_xformPtrhConst_assignComposeLinearLinear(asConst(out), &a->linear, &b->linear);
    }
    // Otherwise a new chain [b, a] that shares both operands.
    return makeComposed(
        [&](cmath_xfcomposed* c, cmath_xfcomposed** fresh) {
            const cmath_status st = cmath_xfcomposed_constructPair(c, a, b);
            if (st >= 0) {
                *fresh = c;
            }
            return st;
        },
        [&](cmath_xfcomposed* c, bool* owned) {
            // out is released before it is attached anew; should the attachment fail, out stays
            // released.
            cmath_status st = cstd_ptrh_destruct(mut(out));
            if (st < 0) {
                return st;
            }
            st = cstd_ptrh_constructBaseTypename(mut(out), &c->base.shared, kXformName);
            *owned = st >= 0;
            return st;
        });
}

ORBMATH_API cmath_status cmath_xform_queryInterfaceByTypename(const cmath_xform* x, const char16_t* name, void** out)
{
    if (name == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = nullptr;
    if (x == nullptr) {
        return 0;
    }
    if (isXformName(name)) {
        *out = const_cast<cmath_xform*>(x);
        return 0;
    }
    return cstd_shared_queryInterfaceByTypename(headerOf(x), name, out, 0);
}

ORBMATH_API cmath_status cmath_xform_queryInterfaceByTypenameFinal(const cmath_xform* x, const char16_t* name,
                                                                   void** out)
{
    if (orb::anyNull(name, out)) {
        return cmath_errNullArgument;
    }
    *out = nullptr;
    if (x == nullptr) {
        return 0;
    }
    if (isXformName(name)) {
        *out = const_cast<cmath_xform*>(x);
        return 0;
    }
    return cstd_shared_queryInterfaceByTypenameFinal(headerOf(x), name, out, 0);
}

ORBMATH_API cmath_status cmath_xform_getTypename(const cmath_xform* /*x*/, const char16_t** out)
{
    if (orb::anyNull(out)) {
        return cmath_errNullArgument;
    }
    *out = kXformName;
    return 0;
}

} // extern "C"
