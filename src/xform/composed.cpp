// The composed transform: a chain of shared parts applied from head to tail, mapped point by
// point, linearised by the chain rule and inverted by reversing the chain.
#include "geometry/linear_map.hpp"
#include "support/cleanup.hpp"
#include "xform/xform_internal.hpp"

using namespace orb::xf;

namespace {

constexpr char16_t kComposedName[] = u"cmath_xfcomposed";

const cmath_xfcomposed* self(const void* outer)
{
    return static_cast<const cmath_xfcomposed*>(outer);
}

// Releases every node of c's chain from the head; the first failure stops the walk and leaves
// the chain starting at the node that failed.
cmath_status releaseChain(cmath_xfcomposed* c)
{
    while (c->head != nullptr) {
        cmath_xfcomposedNode* node = c->head;
        const cmath_status st = cmath_xformPtrhConst_destruct(&node->part);
        if (st < 0) {
            return st;
        }
        c->head = node->next;
        void* block = node;
        csys_memory_free_internal(&block);
    }
    return 0;
}

// A new node at the front of c's chain, its handle made by makePart(&node->part); on failure
// the node is freed and c is unchanged.
template <class MakePart> cmath_status pushFront(cmath_xfcomposed* c, MakePart makePart)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(cmath_xfcomposedNode), &block);
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    cl.freshBlock(&block);
    auto* node = static_cast<cmath_xfcomposedNode*>(block);
    st = makePart(&node->part);
    if (st >= 0) {
        node->next = c->head;
        c->head = node;
    }
    return cl.close();
}

// ---- the composed kind's tables --------------------------------------------------------------

cmath_status slotMapPoint(const void* outer, const cmath_vect* in, cmath_vect* out)
{
    return cmath_xfcomposed_mapPoint(self(outer), in, out);
}

cmath_status slotGetIsLinear(const void* outer, int32_t* out)
{
    return cmath_xfcomposed_getIsLinear(self(outer), out);
}

cmath_status slotGetLinear(const void* outer, const cmath_vect* point, cmath_xformLinear* out)
{
    return cmath_xfcomposed_getLinearXform(self(outer), point, out);
}

// Slots 3 to 5 make their result with makeComposed (xform_internal.hpp): a new composed block
// that a failure before a handle owns it destructs (if constructed) and frees.
cmath_status slotCompose(const void* outer, const cmath_xform* other, cmath_xformPtrh* out)
{
    return makeComposed(
        [&](cmath_xfcomposed* c, cmath_xfcomposed** fresh) {
            cmath_status st = cmath_xfcomposed_construct(c);
            if (st < 0) {
                return st;
            }
            *fresh = c;
            st = cmath_xfcomposed_assign(c, self(outer));
            if (st < 0) {
                return st;
            }
            // other goes first: the result is self o other.
            return cmath_xfcomposed_composeFront(c, other);
        },
        [&](cmath_xfcomposed* c, bool* owned) {
            // A temporary handle to the new object owns it; out is assigned from it.
            return withTemp<cmath_xformPtrh>(
                [&](cmath_xformPtrh* temp) {
                    const cmath_status st = cstd_ptrh_construct(&temp->handle, &c->base.shared);
                    *owned = st >= 0;
                    return st;
                },
                [&](cmath_xformPtrh* temp) { return cstd_ptrh_assign(&out->handle, &temp->handle); });
        });
}

cmath_status slotGetInverse(const void* outer, cmath_xformPtrh* out)
{
    return makeComposed(
        [&](cmath_xfcomposed* c, cmath_xfcomposed** fresh) {
            cmath_status st = cmath_xfcomposed_construct(c);
            if (st < 0) {
                return st;
            }
            *fresh = c;
            return cmath_xfcomposed_getInverse(self(outer), c);
        },
        [&](cmath_xfcomposed* c, bool* owned) { return handOver(c, out, owned); });
}

cmath_status slotClone(const void* outer, cmath_xformPtrh* out)
{
    return newComposedCopy(self(outer), out);
}

cmath_status composedQueryFinal(void* object, const char16_t* name, void** out)
{
    return cmath_xfcomposed_queryInterfaceByTypenameFinal(self(object), name, out);
}

cmath_status composedGetTypename(void* object, const char16_t** out)
{
    return cmath_xfcomposed_getTypename(self(object), out);
}

// Destructs the chain and, only if that succeeds, frees the object's block.
cmath_status composedDestroy(cstd_shared* header)
{
    auto* c = static_cast<cmath_xfcomposed*>(header->outer);
    const cmath_status st = cmath_xfcomposed_destruct(c);
    if (st < 0) {
        return st;
    }
    void* block = c;
    return csys_memory_free_internal(&block);
}

const cstd_sharedTypeTable kComposedTypeTable = {composedQueryFinal, composedGetTypename};
const cstd_sharedOps kComposedSharedOps = {composedDestroy, cstd_shared_increment_default,
                                           cstd_shared_decrement_default};

} // namespace

namespace orb::xf {
const cmath_xformOps kComposedOps = {slotMapPoint, slotGetIsLinear, slotGetLinear,
                                     slotCompose,  slotGetInverse,  slotClone};
} // namespace orb::xf

extern "C" {

ORBMATH_API cmath_status cmath_xfcomposed_construct(cmath_xfcomposed* c)
{
    const cmath_status st =
        cmath_xform_constructStandard(&c->base, c, &kComposedOps, &kComposedSharedOps, &kComposedTypeTable);
    if (st >= 0) {
        c->head = nullptr;
    }
    return st;
}

ORBMATH_API cmath_status cmath_xfcomposed_constructCopy(cmath_xfcomposed* c, const cmath_xfcomposed* src)
{
    cmath_status st = cmath_xfcomposed_construct(c);
    if (st < 0) {
        return st;
    }
    st = cmath_xfcomposed_assign(c, src);
    if (st < 0) {
        cmath_xfcomposed_destruct(c);
    }
    return st;
}

ORBMATH_API cmath_status cmath_xfcomposed_constructPair(cmath_xfcomposed* c, const cmath_xform* a, const cmath_xform* b)
{
    cmath_status st = cmath_xfcomposed_construct(c);
    if (st < 0) {
        return st;
    }
    st = cmath_xfcomposed_composeFront(c, a);
    if (st >= 0) {
        st = cmath_xfcomposed_composeFront(c, b);
    }
    if (st < 0) {
        cmath_xfcomposed_destruct(c);
    }
    return st;
}

ORBMATH_API cmath_status cmath_xfcomposed_destruct(cmath_xfcomposed* c)
{
    const cmath_status st = releaseChain(c);
    if (st < 0) {
        return st;
    }
    return cmath_xform_destruct(&c->base);
}

ORBMATH_API cmath_status cmath_xfcomposed_assign(cmath_xfcomposed* dst, const cmath_xfcomposed* src)
{
    if (dst == src) {
        return 0;
    }
    cmath_status st = cmath_xform_assign(&dst->base, &src->base);
    if (st < 0) {
        return st;
    }
    st = releaseChain(dst);
    if (st < 0) {
        return st;
    }
    cmath_xfcomposedNode** tail = &dst->head;
    for (const cmath_xfcomposedNode* from = src->head; from != nullptr; from = from->next) {
        void* block = nullptr;
        st = csys_memory_alloc_internal(sizeof(cmath_xfcomposedNode), &block);
        if (st < 0) {
            return st;
        }
        auto* node = static_cast<cmath_xfcomposedNode*>(block);
        st = cstd_ptrhConst_constructCopy(&node->part.handle, &from->part.handle);
        if (st < 0) {
            csys_memory_free_internal(&block);
            return st;
        }
        node->next = nullptr;
        *tail = node;
        tail = &node->next;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_xfcomposed_composeFrontPH_(cmath_xfcomposed* c, const cmath_xformPtrhConst* h)
{
    // The node's handle is constructed empty and then shares h's transform; should that fail,
    // the handle is destructed again.
    return pushFront(c, [&](cmath_xformPtrhConst* part) {
        return constructEmptyThen(part, [&](cmath_xformPtrhConst* fresh) {
            return cstd_ptrhConst_assign(&fresh->handle, &h->handle);
        });
    });
}

cmath_status cmath_xfcomposed_composeFront(cmath_xfcomposed* c, const cmath_xform* x)
{
    return pushFront(
        c, [&](cmath_xformPtrhConst* part) { return cstd_ptrhConst_construct(&part->handle, headerOf(x)); });
}

ORBMATH_API cmath_status cmath_xfcomposed_defaultCompose(const void* self, const cmath_xform* other,
                                                         cmath_xformPtrh* out)
{
    const auto* a = static_cast<const cmath_xform*>(self);
    const auto handleTo = [](const cmath_xform* x) {
        return [x](cmath_xformPtrhConst* h) { return cstd_ptrhConst_construct(&h->handle, headerOf(x)); };
    };
    return withTemp<cmath_xformPtrhConst>(handleTo(a), [&](cmath_xformPtrhConst* ha) {
        return withTemp<cmath_xformPtrhConst>(handleTo(other), [&](cmath_xformPtrhConst* hb) {
            return cmath_xformPtrhConst_assignCompose(asConst(out), ha, hb);
        });
    });
}

ORBMATH_API cmath_status cmath_xfcomposed_mapPoint(const cmath_xfcomposed* c, const cmath_vect* in, cmath_vect* out)
{
    *out = *in;
    // Each part as cmath_xformPtrhConst_mapPoint maps it, without the exported calls: an empty
    // part is the identity, a plain one is mapped inline, a derived kind through its slot.
    for (const cmath_xfcomposedNode* node = c->head; node != nullptr; node = node->next) {
        const cstd_shared* header = node->part.handle.header;
        if (header == nullptr) {
            continue;
        }
        const cmath_xform* x = orb::xf::xformOfHeader(header);
        if (x->ops == nullptr) {
            orb::mapLinear(x->linear, out, out);
            continue;
        }
        const cmath_status st = x->ops->mapPoint(orb::xf::outerOf(x), out, out);
        if (st < 0) {
            return st;
        }
    }
    return 0;
}

ORBMATH_API cmath_status cmath_xfcomposed_getIsLinear(const cmath_xfcomposed* c, int32_t* out)
{
    *out = 1;
    for (const cmath_xfcomposedNode* node = c->head; node != nullptr; node = node->next) {
        int32_t linear = 1;
        const cmath_status st = cmath_xformPtrhConst_getIsLinear(&node->part, &linear);
        if (st < 0) {
            return st;
        }
        if (linear == 0) {
            *out = 0;
            return 0;
        }
    }
    return 0;
}

ORBMATH_API cmath_status cmath_xfcomposed_getLinearXform(const cmath_xfcomposed* c, const cmath_vect* point,
                                                         cmath_xformLinear* out)
{
    // A chain has no linear form without a point to linearise about (the handle operations
    // supply the origin); a null point is refused rather than read.
    if (point == nullptr) {
        return cmath_errNullArgument;
    }
    // Chain rule: each part is linearised about the point where the chain reaches it, and the
    // accumulated form A becomes L o A.
    cmath_xformLinear acc;
    cmath_xformLinear part;
    cmath_status st = cmath_xformLinear_initIdentity(&acc);
    if (st < 0) {
        return st;
    }
    st = cmath_xformLinear_initIdentity(&part);
    if (st < 0) {
        return st;
    }
    cmath_vect p = *point;
    for (const cmath_xfcomposedNode* node = c->head; node != nullptr; node = node->next) {
        st = cmath_xformPtrhConst_getLinear(&node->part, &p, &part);
        if (st < 0) {
            return st;
        }
        st = cmath_xformLinear_initCompose(&acc, &part, &acc);
        if (st < 0) {
            return st;
        }
        st = cmath_xformPtrhConst_mapPoint(&node->part, &p, &p);
        if (st < 0) {
            return st;
        }
    }
    *out = acc;
    return 0;
}

ORBMATH_API cmath_status cmath_xfcomposed_getInverse(const cmath_xfcomposed* c, cmath_xfcomposed* out)
{
    cmath_xfcomposed local;
    cmath_status st = cmath_xfcomposed_construct(&local);
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    cl.tempHandle(&local, [](void* p) { cmath_xfcomposed_destruct(static_cast<cmath_xfcomposed*>(p)); });
    // Each inverse goes to the front, so [P1, ..., Pn] becomes [Pn^-1, ..., P1^-1].
    for (const cmath_xfcomposedNode* node = c->head; node != nullptr; node = node->next) {
        st = withTemp<cmath_xformPtrh>([](cmath_xformPtrh* temp) { return cmath_xformPtrh_construct(temp); },
                                       [&](cmath_xformPtrh* temp) {
                                           cmath_status inv =
                                               cmath_xformPtrhConst_getInverse(&node->part, temp);
                                           if (inv >= 0) {
                                               inv = cmath_xfcomposed_composeFrontPH_(&local, asConst(temp));
                                           }
                                           return inv;
                                       });
        if (st < 0) {
            return cl.close();
        }
    }
    // The finished chain is exchanged with out's rather than copied into it, so that out is
    // either the whole inverse or left as it was; its old chain goes with the local object.
    st = cmath_xform_assign(&out->base, &local.base);
    if (st >= 0) {
        cmath_xfcomposedNode* const previous = out->head;
        out->head = local.head;
        local.head = previous;
    }
    return cl.close();
}

ORBMATH_API cmath_status cmath_xfcomposed_getTypename(const cmath_xfcomposed* /*c*/, const char16_t** out)
{
    *out = kComposedName;
    return 0;
}

ORBMATH_API cmath_status cmath_xfcomposed_queryInterfaceByTypename(const cmath_xfcomposed* c, const char16_t* name,
                                                                   void** out)
{
    *out = nullptr;
    if (c == nullptr) {
        return 0;
    }
    if (sameName(name, kComposedName)) {
        *out = const_cast<cmath_xfcomposed*>(c);
        return 0;
    }
    return cmath_xform_queryInterfaceByTypename(&c->base, name, out);
}

ORBMATH_API cmath_status cmath_xfcomposed_queryInterfaceByTypenameFinal(const cmath_xfcomposed* c,
                                                                        const char16_t* name, void** out)
{
    *out = nullptr;
    if (c == nullptr) {
        return 0;
    }
    if (sameName(name, kComposedName)) {
        *out = const_cast<cmath_xfcomposed*>(c);
        return 0;
    }
    return cmath_xform_queryInterfaceByTypenameFinal(&c->base, name, out);
}

} // extern "C"
