/** @file
 * orbmath support layer: reference-counted shared objects and the handles that own them.
 *
 * A shared object embeds a `cstd_shared` header (anywhere inside it) and names its outermost
 * ("outer") object at initialisation. The header counts the handles that refer to the object;
 * the object's shared operations destroy it when the last one lets go.
 *
 * Ownership rule: `cstd_shared_initCustomTyped` leaves the count at 0 (nobody owns the object
 * yet). Every handle that attaches to the object (construct, constructBaseTypename, copy,
 * assign, assignShared) adds one reference, every release removes one, and the release that
 * brings the count back to 0 runs the object's destroy entry. So the first handle attached to
 * a fresh object owns it alone (count 1); an object that no handle ever reached is destructed
 * by its creator directly, and attaching a temporary handle to such an object and releasing
 * it destroys the object. Reference counts are atomic: handles to one object may be copied
 * and released from several threads at once (a single handle is not itself thread-safe).
 *
 * The table entries are called through exactly the function types declared here (object
 * arguments as void* or cstd_shared*); a kind whose functions take typed pointers puts small
 * adapters in its tables, since calls through another function type are undefined (and
 * sanitizer builds report them).
 *
 * Type names are 16-bit strings, compared exactly: unit by unit, case-sensitive, terminator
 * included, so a proper prefix of a name never matches it. The support layer answers one root
 * name itself, "cstd_shared" (its answer is the address of the header); each kind answers its
 * own names through its type table and passes every other name down to the root.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning; cstd_typename_equal,
 * which returns its answer directly, compares null strings as its line says. */
#ifndef ORBMATH_SHARED_H
#define ORBMATH_SHARED_H

#include "common.h"

ORBMATH_C_BEGIN

/** The header every shared object embeds (defined below). */
typedef struct cstd_shared cstd_shared;

/** The shared operations of a kind; each takes the object's header. `increment` and
 * `decrement` adjust the count; `decrement` runs `destroy` when the count reaches 0. */
typedef struct cstd_sharedOps {
    cmath_status (*destroy)(cstd_shared* header);   /**< releases the object and its resources */
    cmath_status (*increment)(cstd_shared* header); /**< adds one reference */
    cmath_status (*decrement)(cstd_shared* header); /**< removes one reference, destroys at 0 */
} cstd_sharedOps;

/** Handed to cstd_shared_initCustomTyped: {0, 0, shared operations}. Only `ops` is read, and
 * it is copied, so the descriptor may be a temporary. */
typedef struct cstd_sharedDescriptor {
    void* reserved0;           /**< 0 */
    void* reserved1;           /**< 0 */
    const cstd_sharedOps* ops; /**< the kind's shared operations (null: the default ones) */
} cstd_sharedDescriptor;

/** A kind's answers by type name; `object` is always the outer object. The final query answers
 * the kind's own names (writing the matching interface's address into *out) and passes every
 * other name down its chain, ending in cstd_shared_queryInterfaceByTypenameFinal; `getTypename`
 * writes the kind's most-derived type name. */
typedef struct cstd_sharedTypeTable {
    /** *out = the interface named `name`, or the answer of the next kind down the chain. */
    cmath_status (*queryInterfaceByTypenameFinal)(void* object, const char16_t* name, void** out);
    /** *out = the kind's most-derived type name. */
    cmath_status (*getTypename)(void* object, const char16_t** out);
} cstd_sharedTypeTable;

/** The header: six 64-bit words owned by the support layer. Only `outer` (the second word) is
 * for readers; the other fields are private. An all-zero header is not a valid object. */
struct cstd_shared {
    const cstd_sharedOps* ops;              /**< word 0: shared operations (never null) */
    void* outer;                            /**< word 1: the outer (most-derived) object */
    const cstd_sharedTypeTable* typeTable;  /**< word 2: null when the kind has none */
    int64_t references;                     /**< word 3: handle count, accessed atomically */
    uint64_t reserved[2];                   /**< words 4 and 5: zero */
};

/** The default shared operations: destroy frees the outer object's block (which must come from
 * csys_memory_alloc_internal and own no resources), increment and decrement below. */
ORBMATH_API extern const cstd_sharedOps* const cstd_shared_vtable_default;

/** Initialises a new object's header: count 0, outer recorded in the second word, the
 * descriptor's operations (the default ones when descriptor or its ops is null) and the type
 * table (may be null). Fails with cmath_errNullArgument for a null header or outer. */
ORBMATH_API cmath_status cstd_shared_initCustomTyped(cstd_shared* header, void* outer,
                                                     const cstd_sharedDescriptor* descriptor,
                                                     const cstd_sharedTypeTable* typeTable);

/** Default destroy: frees the block at header->outer with csys_memory_free_internal. */
ORBMATH_API cmath_status cstd_shared_destroy_default(cstd_shared* header);
/** Default increment: adds one reference atomically. Never fails. */
ORBMATH_API cmath_status cstd_shared_increment_default(cstd_shared* header);
/** Default decrement: removes one reference atomically; the release that reaches 0 runs
 * header->ops->destroy and returns its status. */
ORBMATH_API cmath_status cstd_shared_decrement_default(cstd_shared* header);

/** *out = the current reference count (a snapshot). Fails with cmath_errNullArgument. */
ORBMATH_API cmath_status cstd_shared_getReferenceCount(const cstd_shared* header, int64_t* out);

/** *out = the most-derived type name from the kind's type table, or null when the kind has no
 * getTypename. A failure of the kind is returned; *out is then left as it was. */
ORBMATH_API cmath_status cstd_shared_getTypename(cstd_shared* header, const char16_t** out);

/** Root query: *out = header for the name "cstd_shared", else null; nothing found is not a
 * failure. A null header gives null and 0; a null name or out fails with cmath_errNullArgument.
 * `reserved` is 0. */
ORBMATH_API cmath_status cstd_shared_queryInterfaceByTypenameFinal(cstd_shared* header,
                                                                   const char16_t* name,
                                                                   void** out, int32_t reserved);
/** Full query: asks the most-derived kind's final query first (with the outer object), then the
 * root names; *out = null when nobody answers. A kind's failure is returned unchanged. */
ORBMATH_API cmath_status cstd_shared_queryInterfaceByTypename(cstd_shared* header,
                                                              const char16_t* name, void** out,
                                                              int32_t reserved);

/* ---- handles ------------------------------------------------------------------------- */

/** A handle: refers to one shared object, holding one reference to it, or is empty (header
 * null). `baseTypename` is the interface the handle is typed to (null: untyped); it is
 * recorded at construction, copied by constructCopy and never checked against the object.
 * cstd_ptrh refers to a mutable object, cstd_ptrhConst to a const one; both have this one
 * layout and a pointer to either may be cast to the other. Construct before use, destruct
 * after. */
typedef struct cstd_ptrh {
    cstd_shared* header;          /**< the object's header; null for an empty handle */
    const char16_t* baseTypename; /**< the interface the handle is typed to, or null */
} cstd_ptrh;

/** A handle to a const shared object; the layout of cstd_ptrh. */
typedef struct cstd_ptrhConst {
    cstd_shared* header;          /**< the object's header; null for an empty handle */
    const char16_t* baseTypename; /**< the interface the handle is typed to, or null */
} cstd_ptrhConst;

/** Constructs h typed `typeName`, referring to header's object (adding a reference) or empty
 * when header is null. A failing increment is returned and h is left as it was. */
ORBMATH_API cmath_status cstd_ptrh_constructBaseTypename(cstd_ptrh* h, cstd_shared* header,
                                                         const char16_t* typeName);
/** As cstd_ptrh_constructBaseTypename, for a const handle. */
ORBMATH_API cmath_status cstd_ptrhConst_constructBaseTypename(cstd_ptrhConst* h, cstd_shared* header,
                                                              const char16_t* typeName);
/** As constructBaseTypename with no type name. */
ORBMATH_API cmath_status cstd_ptrh_construct(cstd_ptrh* h, cstd_shared* header);
/** As cstd_ptrh_construct, for a const handle. */
ORBMATH_API cmath_status cstd_ptrhConst_construct(cstd_ptrhConst* h, cstd_shared* header);

/** Constructs dst as a copy of src: same object (one more reference) and same type name. */
ORBMATH_API cmath_status cstd_ptrh_constructCopy(cstd_ptrh* dst, const cstd_ptrh* src);
/** As cstd_ptrh_constructCopy, for const handles. */
ORBMATH_API cmath_status cstd_ptrhConst_constructCopy(cstd_ptrhConst* dst, const cstd_ptrhConst* src);
/** Constructs a const handle as a copy of a mutable one. */
ORBMATH_API cmath_status cstd_ptrhConst_constructConstCopy(cstd_ptrhConst* dst, const cstd_ptrh* src);

/** Releases h's reference (the last release destroys the object and returns the destroy
 * status); h is empty afterwards in every case. An empty h gives 0. */
ORBMATH_API cmath_status cstd_ptrh_destruct(cstd_ptrh* h);
/** As cstd_ptrh_destruct, for a const handle. */
ORBMATH_API cmath_status cstd_ptrhConst_destruct(cstd_ptrhConst* h);

/** dst shares src's object (or becomes empty); dst keeps its type name. The new reference is
 * taken before the old one is released, so self-assignment and dst == src are safe. A failing
 * increment leaves dst unchanged; a failing release of the old object is returned with dst
 * already moved. */
ORBMATH_API cmath_status cstd_ptrh_assign(cstd_ptrh* dst, const cstd_ptrh* src);
/** As cstd_ptrh_assign, for const handles. */
ORBMATH_API cmath_status cstd_ptrhConst_assign(cstd_ptrhConst* dst, const cstd_ptrhConst* src);
/** As cstd_ptrh_assign, a const handle from a mutable one. */
ORBMATH_API cmath_status cstd_ptrhConst_assignConst(cstd_ptrhConst* dst, const cstd_ptrh* src);

/** h refers to header's object (null: h becomes empty), adding one reference and releasing its
 * old one. For a fresh object (count 0) the handle becomes its sole owner. */
ORBMATH_API cmath_status cstd_ptrh_assignShared(cstd_ptrh* h, cstd_shared* header);
/** As cstd_ptrh_assignShared, for a const handle. */
ORBMATH_API cmath_status cstd_ptrhConst_assignShared(cstd_ptrhConst* h, cstd_shared* header);

/** *out = the outer object of h's object, null for an empty handle. */
ORBMATH_API cmath_status cstd_ptrhConst_getWholeShared(const cstd_ptrhConst* h, void** out);
/** As cstd_ptrhConst_getWholeShared, for a mutable handle. */
ORBMATH_API cmath_status cstd_ptrh_getWholeShared(const cstd_ptrh* h, void** out);
/** *out = the type name h was constructed with (may be null). */
ORBMATH_API cmath_status cstd_ptrhConst_getBaseTypename(const cstd_ptrhConst* h,
                                                        const char16_t** out);

/** 1 when the 16-bit strings a and b are equal unit by unit up to and including the
 * terminator, else 0; two null strings are equal, a null and a non-null one are not. */
ORBMATH_API int32_t cstd_typename_equal(const char16_t* a, const char16_t* b);

ORBMATH_C_END

#endif
