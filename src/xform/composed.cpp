// The composed transform: a chain of shared parts applied from head to tail, mapped point by
// point, linearised by the chain rule and inverted by reversing the chain.
#include "support/cleanup.hpp"
#include "support/null_check.hpp"
#include "support/shared_internal.hpp"
#include "xform/chain_walk.hpp"
#include "xform/xform_internal.hpp"

using namespace orb::xf;

namespace {

constexpr char16_t kComposedName[] = u"cmath_xfcomposed";

const cmath_xfcomposed* self(const void* outer)
{
    return static_cast<const cmath_xfcomposed*>(outer);
}

extern const cstd_sharedOps kComposedSharedOps;

// Releases every node of c's chain from the head; the first failure stops the walk and leaves
// the chain starting at the node that failed. A part that is a composed chain of which this was
// the last reference is not destroyed through its destroy entry (which would release its own
// nodes by recursion, as deep as the chains are nested): its nodes take its place in c's chain
// and are released by this same loop, and its block is freed.
cmath_status releaseChain(cmath_xfcomposed* c)
{
    while (c->head != nullptr) {
        cmath_xfcomposedNode* node = c->head;
        cstd_shared* header = node->part.handle.header;
        if (header != nullptr && header->ops == &kComposedSharedOps) {
            node->part.handle.header = nullptr;
            if (orb::dropReference(header)) {
                auto* nested = static_cast<cmath_xfcomposed*>(header->outer);
                if (nested->head != nullptr) {
                    cmath_xfcomposedNode* tail = nested->head;
                    while (tail->next != nullptr) {
                        tail = tail->next;
                    }
                    tail->next = node->next;
                    node->next = nested->head;
                    nested->head = nullptr;
                }
                const cmath_status st = cmath_xform_destruct(&nested->base);
                if (st < 0) {
                    return st;
                }
                void* block = nested;
                csys_memory_free_internal(&block);
            }
        } else {
            const cmath_status st = cmath_xformPtrhConst_destruct(&node->part);
            if (st < 0) {
                return st;
            }
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
// releaseChain relies on the default decrement: it drops references to composed parts itself.
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
    if (orb::anyNull(c)) {
        return cmath_errNullArgument;
    }
    const cmath_status st =
        cmath_xform_constructStandard(&c->base, c, &kComposedOps, &kComposedSharedOps, &kComposedTypeTable);
    if (st >= 0) {
        c->head = nullptr;
    }
    return st;
}

ORBMATH_API cmath_status cmath_xfcomposed_constructCopy(cmath_xfcomposed* c, const cmath_xfcomposed* src)
{
    if (orb::anyNull(c, src)) {
        return cmath_errNullArgument;
    }
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
    if (orb::anyNull(c, a, b)) {
        return cmath_errNullArgument;
    }
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
    if (orb::anyNull(c)) {
        return cmath_errNullArgument;
    }
    const cmath_status st = releaseChain(c);
    if (st < 0) {
        return st;
    }
    return cmath_xform_destruct(&c->base);
}

ORBMATH_API cmath_status cmath_xfcomposed_assign(cmath_xfcomposed* dst, const cmath_xfcomposed* src)
{
    if (orb::anyNull(dst, src)) {
        return cmath_errNullArgument;
    }
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
    if (orb::anyNull(c, h)) {
        return cmath_errNullArgument;
    }
    // The node's handle is constructed empty and then shares h's transform; should that fail,
    // the handle is destructed again.
    return pushFront(c, [&](cmath_xformPtrhConst* part) {
        return constructEmptyThen(part, [&](cmath_xformPtrhConst* fresh) {
            return cstd_ptrhConst_assign(&fresh->handle, cst(h));
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
    if (orb::anyNull(self, other, out)) {
        return cmath_errNullArgument;
    }
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
    if (orb::anyNull(c, in, out)) {
        return cmath_errNullArgument;
    }
    *out = *in;
    // Each part as cmath_xformPtrhConst_mapPoint maps it, without the exported calls: an empty
    // part is the identity, a plain one is mapped inline, a derived kind through its slot, and
    // a nested chain part by part.
    return forEachPart(c, [out](const cmath_xform* x) { return mapPart(x, out, out); });
}

ORBMATH_API cmath_status cmath_xfcomposed_getIsLinear(const cmath_xfcomposed* c, int32_t* out)
{
    if (orb::anyNull(c, out)) {
        return cmath_errNullArgument;
    }
    *out = 1;
    // Empty and plain parts are linear; the first part of another kind that answers 0 decides.
    return forEachPart(c, [out](const cmath_xform* x) {
        if (x->ops == nullptr) {
            return cmath_status{0};
        }
        int32_t linear = 1;
        const cmath_status st = x->ops->getIsLinear(outerOf(x), &linear);
        if (st < 0) {
            return st;
        }
        if (linear == 0) {
            *out = 0;
            return kStopWalk;
        }
        return cmath_status{0};
    });
}

} // extern "C"

namespace {

// The chain rule over a chain and the chains nested in it: each part is linearised about the
// point where the chain reaches it, and the form A accumulated over a chain becomes L o A. A
// nested chain accumulates its own form from the identity, which then counts as one part's L
// in the enclosing chain (so the products are those of the chains one inside the other).
struct Linearise {
    struct Frame {
        cmath_xformLinear acc; // the enclosing chain's form so far
    };
    static constexpr bool kResumes = true;
    static constexpr bool kTransparent = false;

    cmath_xformLinear acc;
    cmath_xformLinear scratch;
    cmath_vect p;

    cmath_status part(const cmath_xformPtrhConst* h, const cmath_xform* /*x*/)
    {
        cmath_status st = cmath_xformPtrhConst_getLinear(h, &p, &scratch);
        if (st >= 0) {
            st = cmath_xformLinear_initCompose(&acc, &scratch, &acc);
        }
        if (st >= 0) {
            st = cmath_xformPtrhConst_mapPoint(h, &p, &p);
        }
        return st < 0 ? st : 0;
    }
    cmath_status enter(const cmath_xfcomposed* /*nested*/, Frame* saved)
    {
        saved->acc = acc;
        const cmath_status st = cmath_xformLinear_initIdentity(&acc);
        return st < 0 ? st : 0;
    }
    cmath_status leave(Frame* saved)
    {
        scratch = acc;
        acc = saved->acc;
        const cmath_status st = cmath_xformLinear_initCompose(&acc, &scratch, &acc);
        return st < 0 ? st : 0;
    }
};

// Builds the inverse chain into `target`: each part's inverse goes to the front of the chain
// being built, so that [P1, ..., Pn] becomes [Pn^-1, ..., P1^-1]. A nested chain's inverse is a
// new composed transform, put at the front first and then filled with the inverses of the nested
// parts (nobody else refers to it yet).
struct Invert {
    struct Frame {
        cmath_xfcomposed* target; // the chain the enclosing parts' inverses go to
    };
    static constexpr bool kResumes = false; // once a nested chain is done, so is its target
    static constexpr bool kTransparent = false;

    cmath_xfcomposed* target;

    // Puts the transform that fill(temp) makes in an empty temporary handle at the front of
    // the target; the temporary is released on every path.
    template <class Fill> cmath_status frontFrom(Fill fill)
    {
        return withTemp<cmath_xformPtrh>([](cmath_xformPtrh* temp) { return cmath_xformPtrh_construct(temp); },
                                         [&](cmath_xformPtrh* temp) {
                                             cmath_status st = fill(temp);
                                             if (st >= 0) {
                                                 st = cmath_xfcomposed_composeFrontPH_(target, asConst(temp));
                                             }
                                             return st;
                                         });
    }

    cmath_status part(const cmath_xformPtrhConst* h, const cmath_xform* /*x*/)
    {
        const cmath_status st =
            frontFrom([h](cmath_xformPtrh* temp) { return cmath_xformPtrhConst_getInverse(h, temp); });
        return st < 0 ? st : 0;
    }
    cmath_status enter(const cmath_xfcomposed* /*nested*/, Frame* saved)
    {
        cmath_xfcomposed* inverse = nullptr;
        const cmath_status st = frontFrom([&](cmath_xformPtrh* temp) {
            return makeComposed(
                [&](cmath_xfcomposed* c, cmath_xfcomposed** fresh) {
                    const cmath_status built = cmath_xfcomposed_construct(c);
                    if (built >= 0) {
                        *fresh = c;
                        inverse = c;
                    }
                    return built;
                },
                [&](cmath_xfcomposed* c, bool* owned) { return handOver(c, temp, owned); });
        });
        if (st < 0) {
            return st;
        }
        saved->target = target;
        target = inverse;
        return 0;
    }
    cmath_status leave(Frame* saved)
    {
        target = saved->target;
        return 0;
    }
};

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_xfcomposed_getLinearXform(const cmath_xfcomposed* c, const cmath_vect* point,
                                                         cmath_xformLinear* out)
{
    if (orb::anyNull(c, point, out)) {
        return cmath_errNullArgument;
    }
    // A chain has no linear form without a point to linearise about (the handle operations
    // supply the origin); a null point is refused rather than read.
    if (point == nullptr) {
        return cmath_errNullArgument;
    }
    Linearise v;
    cmath_status st = cmath_xformLinear_initIdentity(&v.acc);
    if (st < 0) {
        return st;
    }
    st = cmath_xformLinear_initIdentity(&v.scratch);
    if (st < 0) {
        return st;
    }
    v.p = *point;
    st = walkChain(c, v);
    if (st < 0) {
        return st;
    }
    *out = v.acc;
    return 0;
}

ORBMATH_API cmath_status cmath_xfcomposed_getInverse(const cmath_xfcomposed* c, cmath_xfcomposed* out)
{
    if (orb::anyNull(c, out)) {
        return cmath_errNullArgument;
    }
    cmath_xfcomposed local;
    cmath_status st = cmath_xfcomposed_construct(&local);
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    cl.tempHandle(&local, [](void* p) { cmath_xfcomposed_destruct(static_cast<cmath_xfcomposed*>(p)); });
    Invert v{&local};
    st = walkChain(c, v);
    if (st < 0) {
        return cl.close();
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
    if (orb::anyNull(out)) {
        return cmath_errNullArgument;
    }
    *out = kComposedName;
    return 0;
}

ORBMATH_API cmath_status cmath_xfcomposed_queryInterfaceByTypename(const cmath_xfcomposed* c, const char16_t* name,
                                                                   void** out)
{
    if (orb::anyNull(name, out)) {
        return cmath_errNullArgument;
    }
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
    if (orb::anyNull(name, out)) {
        return cmath_errNullArgument;
    }
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
