/** @file
 * orbmath transform object model: the polymorphic transform cmath_xform, its reference-counted
 * handles cmath_xformPtrh / cmath_xformPtrhConst, and the composed transform cmath_xfcomposed.
 *
 * Composition a o b applies b first, then a, everywhere. An empty handle stands for the
 * identity. Operations never change a transform reached through a handle: every result is a
 * new object and only the out-handle moves to it. On failure out-pointers and out-handles keep
 * what they held, unless a line below says otherwise; every status of the support layer, of the
 * linear transforms and of a kind's slots is passed up unchanged.
 *
 * Other modules define transform kinds of their own: embed a cmath_xform in the kind's object,
 * call cmath_xform_constructStandard with the object's address and three static tables (the
 * transform operations below, shared operations {destroy, increment, decrement} and a type table
 * whose final query answers the kind's name and passes every other name to
 * cmath_xform_queryInterfaceByTypenameFinal), allocate the object with csys_memory_alloc_internal
 * and give it to a handle with cstd_ptrh_assignShared(&h.handle, &object->base.shared). The
 * cmath_xform may sit anywhere in the kind's object; the slots receive the outer object.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning (an empty
 * handle stands for the identity: a handle is never null, its transform may be). */
#ifndef ORBMATH_XFORM_H
#define ORBMATH_XFORM_H

#include "common.h"
#include "geometry.h"
#include "shared.h"
#include "vect.h"

ORBMATH_C_BEGIN

/** The polymorphic transform (defined below). */
typedef struct cmath_xform cmath_xform;

/** A handle to a transform: the support layer's 16-byte handle typed to "cmath_xform". The
 * mutable and the const handle have one representation; construct before use, destruct after. */
typedef struct cmath_xformPtrh {
    cstd_ptrh handle; /**< the underlying handle; empty stands for the identity */
} cmath_xformPtrh;
/** A handle to a const transform; the layout of cmath_xformPtrh. */
typedef struct cmath_xformPtrhConst {
    cstd_ptrhConst handle; /**< the underlying handle; empty stands for the identity */
} cmath_xformPtrhConst;

/** The transform operations table of a derived kind (static, read-only). `self` is the outer
 * object recorded at construction; every slot returns a status. */
typedef struct cmath_xformOps {
    /** out = T(in); in and out may be the same object. */
    cmath_status (*mapPoint)(const void* self, const cmath_vect* in, cmath_vect* out);
    /** *out = 1 when T is affine everywhere, else 0. */
    cmath_status (*getIsLinear)(const void* self, int32_t* out);
    /** The affine transform approximating T about point (T itself when T is affine). */
    cmath_status (*getLinear)(const void* self, const cmath_vect* point, cmath_xformLinear* out);
    /** out = T o other (other applied first); a new object. */
    cmath_status (*compose)(const void* self, const cmath_xform* other, cmath_xformPtrh* out);
    /** out refers to a new transform, the inverse of T. */
    cmath_status (*getInverse)(const void* self, cmath_xformPtrh* out);
    /** out refers to a new, independent copy of T. */
    cmath_status (*clone)(const void* self, cmath_xformPtrh* out);
} cmath_xformOps;

/** The polymorphic transform. A null `ops` marks a plain transform whose value is `linear`;
 * derived kinds keep `linear` at the identity and put their own fields after `shared`. */
struct cmath_xform {
    const cmath_xformOps* ops; /**< the kind's operations; null for a plain transform */
    cmath_xformLinear linear;  /**< the value of a plain transform */
    cstd_shared shared;        /**< the shared-object header */
};

/* ---- the base (cmath_xform) ------------------------------------------------------------ */

/** For derived kinds: sets ops, linear = identity, and initialises the shared header with outer,
 * the descriptor {0, 0, sharedOps} and typeTable. cmath_errNullArgument (x untouched) for any null
 * argument. */
ORBMATH_API cmath_status cmath_xform_constructStandard(cmath_xform* x, void* outer, const cmath_xformOps* ops,
                                                       const cstd_sharedOps* sharedOps,
                                                       const cstd_sharedTypeTable* typeTable);
/** A plain identity transform whose memory the default shared operations free: x must be a
 * block of the support layer's allocator before it is handed to a handle. */
ORBMATH_API cmath_status cmath_xform_constructLinearIdentity(cmath_xform* x);
/** Does nothing and returns 0; derived destructors call it last. */
ORBMATH_API cmath_status cmath_xform_destruct(cmath_xform* x);
/** linear = identity; ops and the header are not touched. */
ORBMATH_API cmath_status cmath_xform_reset(cmath_xform* x);
/** Copies src's linear into dst when both have the same type; cmath_errTypeMismatch (dst
 * unchanged) when their most-derived type names differ. */
ORBMATH_API cmath_status cmath_xform_assign(cmath_xform* dst, const cmath_xform* src);

/** out = x(in); a derived kind's mapPoint slot. */
ORBMATH_API cmath_status cmath_xform_mapPoint(const cmath_xform* x, const cmath_vect* in, cmath_vect* out);
/* Arrays of points (cmath_xform_mapPoints, cmath_xformPtrhConst_mapPoints, cmath_xformPtrh_mapPoints,
 * cmath_xfcomposed_mapPoints): out[i] is, bit for bit, what the single-point mapPoint gives for
 * in[i], under the array rules of cmath_matrix_mapPoints (geometry.h: out may be in itself, other
 * overlap cmath_errFailed, n < 0 cmath_errNegativeCount, a null transform, handle or array with
 * n > 0 cmath_errNullArgument, n = 0 maps nothing). They return 0 on success. A part of a kind of
 * another module that fails on any point ends the call with its status and out untouched: a
 * transform with such a part is mapped into a scratch array of n points from the library's
 * allocator (csys_errNoMemory, out untouched, when there is none) and copied to out at the end.
 * Chains nested more than 16 deep or of more than 64 parts allocate as well; a transform with no
 * such part and no chain beyond those sizes makes no allocation and, its arguments accepted,
 * cannot fail. */
/** out[i] = x(in[i]) for i < n (array rules above). */
ORBMATH_API cmath_status cmath_xform_mapPoints(const cmath_xform* x, const cmath_vect* in, cmath_vect* out, int32_t n);
/** *out = 1 for a plain transform, else the getIsLinear slot. */
ORBMATH_API cmath_status cmath_xform_getIsLinear(const cmath_xform* x, int32_t* out);
/** *out = linear for a plain transform (point unread, may be null), else the getLinear slot. */
ORBMATH_API cmath_status cmath_xform_getLinear(const cmath_xform* x, const cmath_vect* point, cmath_xformLinear* out);
/** out refers to a new inverse; a singular plain transform fails with cmath_errSingular. */
ORBMATH_API cmath_status cmath_xform_getInverse(const cmath_xform* x, cmath_xformPtrh* out);
/** out refers to a new copy of x. */
ORBMATH_API cmath_status cmath_xform_clone(const cmath_xform* x, cmath_xformPtrh* out);
/** As getInverse, into a const handle. */
ORBMATH_API cmath_status cmath_xform_getInverseConst(const cmath_xform* x, cmath_xformPtrhConst* out);
/** As clone, into a const handle. */
ORBMATH_API cmath_status cmath_xform_cloneConst(const cmath_xform* x, cmath_xformPtrhConst* out);
/** out refers to a o b. Two plain transforms fold into a new plain one; otherwise a new composed
 * transform shares a and b (both must live in shared storage). If out cannot be re-attached to
 * the new object it is left released. */
ORBMATH_API cmath_status cmath_xform_compose(const cmath_xform* a, const cmath_xform* b, cmath_xformPtrh* out);
/** *out = x for the name "cmath_xform", else the support layer's query from the most-derived
 * kind; cmath_errNullArgument for a null name or out; a null x gives *out = null and 0. */
ORBMATH_API cmath_status cmath_xform_queryInterfaceByTypename(const cmath_xform* x, const char16_t* name, void** out);
/** As queryInterfaceByTypename, but below the derived levels: the plain kind's type-table entry
 * and the fallback of every derived kind's final query; the same null rules. */
ORBMATH_API cmath_status cmath_xform_queryInterfaceByTypenameFinal(const cmath_xform* x, const char16_t* name,
                                                                   void** out);
/** *out = the static string "cmath_xform" (always the same address); x is not read. */
ORBMATH_API cmath_status cmath_xform_getTypename(const cmath_xform* x, const char16_t** out);

/* ---- handles ----------------------------------------------------------------------------- */

/** h empty, typed "cmath_xform". */
ORBMATH_API cmath_status cmath_xformPtrhConst_construct(cmath_xformPtrhConst* h);
/** As cmath_xformPtrhConst_construct, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_construct(cmath_xformPtrh* h);
/** dst shares src's transform. */
ORBMATH_API cmath_status cmath_xformPtrhConst_constructCopy(cmath_xformPtrhConst* dst, const cmath_xformPtrhConst* src);
/** Constructs a const handle sharing a mutable handle's transform. */
ORBMATH_API cmath_status cmath_xformPtrhConst_constructConstCopy(cmath_xformPtrhConst* dst,
                                                                 const cmath_xformPtrh* src);
/** As cmath_xformPtrhConst_constructCopy, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_constructCopy(cmath_xformPtrh* dst, const cmath_xformPtrh* src);
/** Releases h's reference; the last release destroys the transform. */
ORBMATH_API cmath_status cmath_xformPtrhConst_destruct(cmath_xformPtrhConst* h);
/** As cmath_xformPtrhConst_destruct, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_destruct(cmath_xformPtrh* h);
/** dst shares src's transform (dst's previous one is released). */
ORBMATH_API cmath_status cmath_xformPtrhConst_assign(cmath_xformPtrhConst* dst, const cmath_xformPtrhConst* src);
/** A const handle shares a mutable handle's transform (its previous one is released). */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignConst(cmath_xformPtrhConst* dst, const cmath_xformPtrh* src);
/** As cmath_xformPtrhConst_assign, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_assign(cmath_xformPtrh* dst, const cmath_xformPtrh* src);
/** h becomes empty. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignNull(cmath_xformPtrhConst* h);
/** h becomes empty, as assignNull. */
ORBMATH_API cmath_status cmath_xformPtrhConst_reset(cmath_xformPtrhConst* h);
/** As cmath_xformPtrhConst_assignNull, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_assignNull(cmath_xformPtrh* h);
/** h becomes empty, as assignNull. */
ORBMATH_API cmath_status cmath_xformPtrh_reset(cmath_xformPtrh* h);
/** *out = the transform behind h, null when h is empty. */
ORBMATH_API cmath_status cmath_xformPtrhConst_getXform(const cmath_xformPtrhConst* h, const cmath_xform** out);
/** As cmath_xformPtrhConst_getXform, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_getXform(const cmath_xformPtrh* h, const cmath_xform** out);

/** Constructs h to refer to a new plain transform with value *lin (identity for a null lin);
 * on failure h is not constructed and nothing is kept. */
ORBMATH_API cmath_status cmath_xformPtrhConst_constructLinear(cmath_xformPtrhConst* h, const cmath_xformLinear* lin);
/** As cmath_xformPtrhConst_constructLinear, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_constructLinear(cmath_xformPtrh* h, const cmath_xformLinear* lin);
/** h refers to a new plain transform with value *lin (identity for a null lin). */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignLinear(cmath_xformPtrhConst* h, const cmath_xformLinear* lin);
/** As cmath_xformPtrhConst_assignLinear, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_assignLinear(cmath_xformPtrh* h, const cmath_xformLinear* lin);
/** The composed transform (defined below). */
typedef struct cmath_xfcomposed cmath_xfcomposed;
/** Constructs h to refer to a new composed transform whose chain shares c's parts; on failure
 * h is not constructed. */
ORBMATH_API cmath_status cmath_xformPtrhConst_constructComposed(cmath_xformPtrhConst* h, const cmath_xfcomposed* c);
/** As cmath_xformPtrhConst_constructComposed, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_constructComposed(cmath_xformPtrh* h, const cmath_xfcomposed* c);
/** h refers to a new composed transform whose chain shares c's parts. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposed(cmath_xformPtrhConst* h, const cmath_xfcomposed* c);
/** As cmath_xformPtrhConst_assignComposed, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_assignComposed(cmath_xformPtrh* h, const cmath_xfcomposed* c);
/** Constructs h to refer to a new copy of x; on failure h is not constructed. */
ORBMATH_API cmath_status cmath_xformPtrhConst_constructClone(cmath_xformPtrhConst* h, const cmath_xform* x);
/** As cmath_xformPtrhConst_constructClone, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_constructClone(cmath_xformPtrh* h, const cmath_xform* x);
/** h refers to a new copy of x. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignClone(cmath_xformPtrhConst* h, const cmath_xform* x);
/** As cmath_xformPtrhConst_assignClone, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_assignClone(cmath_xformPtrh* h, const cmath_xform* x);

/** out = h(in); an empty h copies in. */
ORBMATH_API cmath_status cmath_xformPtrhConst_mapPoint(const cmath_xformPtrhConst* h, const cmath_vect* in,
                                                       cmath_vect* out);
/** As cmath_xformPtrhConst_mapPoint, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_mapPoint(const cmath_xformPtrh* h, const cmath_vect* in, cmath_vect* out);
/** out[i] = h(in[i]) for i < n, an empty h copying in (arrays: see cmath_xform_mapPoints). */
ORBMATH_API cmath_status cmath_xformPtrhConst_mapPoints(const cmath_xformPtrhConst* h, const cmath_vect* in,
                                                        cmath_vect* out, int32_t n);
/** As cmath_xformPtrhConst_mapPoints, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_mapPoints(const cmath_xformPtrh* h, const cmath_vect* in, cmath_vect* out,
                                                   int32_t n);
/** *out = 1 when h's transform is affine (an empty or plain one is). */
ORBMATH_API cmath_status cmath_xformPtrhConst_getIsLinear(const cmath_xformPtrhConst* h, int32_t* out);
/** As cmath_xformPtrhConst_getIsLinear, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_getIsLinear(const cmath_xformPtrh* h, int32_t* out);
/** *out = 1 when h refers to a composed transform, else 0. */
ORBMATH_API cmath_status cmath_xformPtrhConst_getIsComposed(const cmath_xformPtrhConst* h, int32_t* out);
/** The affine transform approximating h's about point; a null point means the origin and is
 * refused with cmath_errNotLinear (out unchanged) by a transform that is not linear. */
ORBMATH_API cmath_status cmath_xformPtrhConst_getLinear(const cmath_xformPtrhConst* h, const cmath_vect* point,
                                                        cmath_xformLinear* out);
/** As cmath_xformPtrhConst_getLinear, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_getLinear(const cmath_xformPtrh* h, const cmath_vect* point,
                                                   cmath_xformLinear* out);
/** out refers to a new copy of h's transform; an empty h makes out empty. */
ORBMATH_API cmath_status cmath_xformPtrhConst_clone(const cmath_xformPtrhConst* h, cmath_xformPtrh* out);
/** As cmath_xformPtrhConst_clone, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_clone(const cmath_xformPtrh* h, cmath_xformPtrh* out);
/** As cmath_xformPtrhConst_clone, into a const handle. */
ORBMATH_API cmath_status cmath_xformPtrhConst_cloneConst(const cmath_xformPtrhConst* h, cmath_xformPtrhConst* out);
/** As cmath_xformPtrhConst_clone, from a mutable handle into a const one. */
ORBMATH_API cmath_status cmath_xformPtrh_cloneConst(const cmath_xformPtrh* h, cmath_xformPtrhConst* out);
/** out refers to a new inverse of h's transform; an empty h makes out empty. */
ORBMATH_API cmath_status cmath_xformPtrhConst_getInverse(const cmath_xformPtrhConst* h, cmath_xformPtrh* out);
/** As cmath_xformPtrhConst_getInverse, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_getInverse(const cmath_xformPtrh* h, cmath_xformPtrh* out);
/** As cmath_xformPtrhConst_getInverse, into a const handle. */
ORBMATH_API cmath_status cmath_xformPtrhConst_getInverseConst(const cmath_xformPtrhConst* h, cmath_xformPtrhConst* out);
/** *out = 1 when both refer to one object or are both empty, or when both are linear with
 * exactly equal linear forms (about the origin); transforms that are not linear are equal
 * only to themselves. On failure *out is 0 (unchanged when a handle cannot be read). */
ORBMATH_API cmath_status cmath_xformPtrhConst_compareEqual(const cmath_xformPtrhConst* a, const cmath_xformPtrhConst* b,
                                                           int32_t* out);

/** out = a o b (b first). Plain operands fold into a plain transform; one empty operand gives a
 * new copy of the other. out may be one of the operands. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignCompose(cmath_xformPtrhConst* out, const cmath_xformPtrhConst* a,
                                                            const cmath_xformPtrhConst* b);
/** As cmath_xformPtrhConst_assignCompose, for a mutable handle. */
ORBMATH_API cmath_status cmath_xformPtrh_assignCompose(cmath_xformPtrh* out, const cmath_xformPtrh* a,
                                                       const cmath_xformPtrh* b);
/** out = (a o b) o c. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignCompose3(cmath_xformPtrhConst* out, const cmath_xformPtrhConst* a,
                                                             const cmath_xformPtrhConst* b,
                                                             const cmath_xformPtrhConst* c);
/** out = ((a o b) o c) o d. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignCompose4(cmath_xformPtrhConst* out, const cmath_xformPtrhConst* a,
                                                             const cmath_xformPtrhConst* b,
                                                             const cmath_xformPtrhConst* c,
                                                             const cmath_xformPtrhConst* d);
/** out refers to a new plain transform A o B. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposeLinearLinear(cmath_xformPtrhConst* out,
                                                                        const cmath_xformLinear* A,
                                                                        const cmath_xformLinear* B);
/** out = A o b, A made a new plain transform first. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposeLinearPtrh(cmath_xformPtrhConst* out,
                                                                      const cmath_xformLinear* A,
                                                                      const cmath_xformPtrhConst* b);
/** out = a o B, B made a new plain transform first. */
ORBMATH_API cmath_status cmath_xformPtrhConst_assignComposePtrhLinear(cmath_xformPtrhConst* out,
                                                                      const cmath_xformPtrhConst* a,
                                                                      const cmath_xformLinear* B);

/* ---- the composed transform (cmath_xfcomposed) ----------------------------------------- */

/** One link of a chain: a handle to the part (empty = identity part) and the next link. */
typedef struct cmath_xfcomposedNode {
    cmath_xformPtrhConst part;         /**< the part; empty stands for the identity */
    struct cmath_xfcomposedNode* next; /**< the next link, null at the tail */
} cmath_xfcomposedNode;

/** A chain of transforms applied from head to tail: [P1, ..., Pn] is Pn o ... o P1. An empty
 * chain is the identity. The parts are shared, never copied. A part may itself be a chain, nested
 * to any depth (h = h o p, repeated, nests one level each time): mapping, linearisation, the
 * linearity query, comparison, inversion and release walk the nesting without recursion. A walk
 * through chains nested more than 16 deep keeps its place in blocks from the allocator, and may
 * then fail with the allocator's status. */
struct cmath_xfcomposed {
    cmath_xform base;           /**< the transform base, first in the object */
    cmath_xfcomposedNode* head; /**< the first part applied; null for an empty chain */
};

/** An empty chain. */
ORBMATH_API cmath_status cmath_xfcomposed_construct(cmath_xfcomposed* c);
/** A chain whose nodes share src's parts; on failure c is destructed again. */
ORBMATH_API cmath_status cmath_xfcomposed_constructCopy(cmath_xfcomposed* c, const cmath_xfcomposed* src);
/** The chain [b, a] = a o b sharing a and b (objects in shared storage); on failure c is
 * destructed again. */
ORBMATH_API cmath_status cmath_xfcomposed_constructPair(cmath_xfcomposed* c, const cmath_xform* a, const cmath_xform* b);
/** Releases every node and its reference; the first failure stops the walk. */
ORBMATH_API cmath_status cmath_xfcomposed_destruct(cmath_xfcomposed* c);
/** dst's chain becomes a shallow copy of src's. A failure leaves the nodes copied so far;
 * cmath_errTypeMismatch (dst unchanged) when the base types differ. */
ORBMATH_API cmath_status cmath_xfcomposed_assign(cmath_xfcomposed* dst, const cmath_xfcomposed* src);
/** Puts h's transform (shared) at the front of c's chain; on failure c is unchanged. */
ORBMATH_API cmath_status cmath_xfcomposed_composeFrontPH_(cmath_xfcomposed* c, const cmath_xformPtrhConst* h);
/** out = self o other for a kind whose cmath_xform begins its object (self is that transform);
 * fits the compose slot. */
ORBMATH_API cmath_status cmath_xfcomposed_defaultCompose(const void* self, const cmath_xform* other,
                                                         cmath_xformPtrh* out);
/** out = the chain applied to in; a failing part stops the walk with out mapped so far. */
ORBMATH_API cmath_status cmath_xfcomposed_mapPoint(const cmath_xfcomposed* c, const cmath_vect* in, cmath_vect* out);
/** out[i] = the chain applied to in[i] for i < n, in blocks of points part by part; a failing
 * part leaves out untouched (arrays: see cmath_xform_mapPoints). */
ORBMATH_API cmath_status cmath_xfcomposed_mapPoints(const cmath_xfcomposed* c, const cmath_vect* in, cmath_vect* out,
                                                    int32_t n);
/** *out = 1 when every part is linear (an empty chain is); a failure leaves 1. */
ORBMATH_API cmath_status cmath_xfcomposed_getIsLinear(const cmath_xfcomposed* c, int32_t* out);
/** The chain rule about *point: each part linearised where the chain reaches it; a null point is
 *  refused with cmath_errNullArgument and out is untouched. */
ORBMATH_API cmath_status cmath_xfcomposed_getLinearXform(const cmath_xfcomposed* c, const cmath_vect* point,
                                                         cmath_xformLinear* out);
/** out (constructed) receives the inverse chain [Pn^-1, ..., P1^-1]; on failure out is unchanged. */
ORBMATH_API cmath_status cmath_xfcomposed_getInverse(const cmath_xfcomposed* c, cmath_xfcomposed* out);
/** *out = the static string "cmath_xfcomposed"; c is not read. */
ORBMATH_API cmath_status cmath_xfcomposed_getTypename(const cmath_xfcomposed* c, const char16_t** out);
/** *out = c for "cmath_xfcomposed", otherwise cmath_xform_queryInterfaceByTypename(Final). */
ORBMATH_API cmath_status cmath_xfcomposed_queryInterfaceByTypename(const cmath_xfcomposed* c, const char16_t* name,
                                                                   void** out);
/** As cmath_xfcomposed_queryInterfaceByTypename, the final query of the composed kind's type table. */
ORBMATH_API cmath_status cmath_xfcomposed_queryInterfaceByTypenameFinal(const cmath_xfcomposed* c,
                                                                        const char16_t* name, void** out);

ORBMATH_C_END

#endif
