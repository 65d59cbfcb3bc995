/** @file
 * orbmath support layer: the generic growable vector and the shareable vector.
 *
 * A `cstd_vector` stores elements of one fixed size (given at construction) contiguously in
 * one block from csys_memory_alloc_internal. Growth at least doubles the capacity (reserve
 * and the constructors allocate exactly what they are asked for). Sizes, indices and counts
 * count elements; counts and indices passed in are int32_t, so a vector never holds more than
 * INT32_MAX elements; getSize / getBeginSize / getCapacity write pointer-sized values, the
 * ...32 variants int32_t. Elements are passed by const pointer and may point into the vector
 * itself. Every failure leaves the vector exactly as it was (contents, size, capacity, storage)
 * and writes no output; every allocation failure returns csys_errNoMemory.
 *
 * Per-element behaviour comes from an element table (`cstd_vectorVtable`) of five entries;
 * a null table or a null entry means plain memory: zero-fill, memcpy, nothing to destroy.
 * The method table is an opaque pointer a typed layer may attach to its vectors; the vector
 * stores it, copies it with the vector and hands it back, and never calls through it.
 *
 * Callbacks (element table entries, equalities) are called through exactly the types declared
 * here; give functions of these types (a typed function goes behind a small adapter), since
 * calling through a pointer of another function type is undefined and sanitizer builds
 * report it.
 *
 * A `cstd_vectorShareable` is a shared object (shared.h) holding a plain vector: it can be
 * held by handles, answers queries by type name through its kind's type table and carries an
 * optional equality for two shareable vectors of its kind.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning. */
#ifndef ORBMATH_VECTOR_H
#define ORBMATH_VECTOR_H

#include "common.h"
#include "shared.h"

/** An index or count outside the vector, a negative count or an element size below 1. */
#define cstd_vector_errOutOfRange   ORBMATH_STATUS_(0x80000005u)
/** The two vectors of an assignment hold elements of different sizes. */
#define cstd_vector_errElementSize  ORBMATH_STATUS_(0x80000006u)

ORBMATH_C_BEGIN

/** The five per-element operations, in this slot order:
 *  construct(e):         default-construct a raw element (null: zero-fill); may fail.
 *  constructCopy(e, s):  copy-construct a raw element from *s (null: memcpy); may fail.
 *  destruct(e):          destroy an element (null: nothing); must not fail.
 *  assign(e, s):         copy *s over a live element (null: memcpy); may fail. The vector
 *                        itself always copies into fresh elements; typed layers may use it.
 *  relocate(d, s):       move an element to raw memory d, leaving s raw (null: memcpy); must
 *                        not fail. Used when storage grows and elements shift. */
typedef struct cstd_vectorVtable {
    cmath_status (*construct)(void* element);                          /**< default-construct */
    cmath_status (*constructCopy)(void* element, const void* source);  /**< copy-construct */
    void (*destruct)(void* element);                                   /**< destroy */
    cmath_status (*assign)(void* element, const void* source);         /**< copy over a live element */
    void (*relocate)(void* destination, void* source);                 /**< move to raw memory */
} cstd_vectorVtable;

/** Element equality for compareEqual: *out = 1 when *a equals *b, else 0. */
typedef cmath_status (*cstd_vectorElementEqual)(const void* a, const void* b, int32_t* out);

/** The generic vector. Fields are read-only for users; an all-zero vector is a valid empty
 * vector for destruct only. */
typedef struct cstd_vector {
    void* begin;                     /**< first element; null while no storage is held */
    intptr_t size;                   /**< elements in use */
    intptr_t capacity;               /**< elements the storage can hold */
    intptr_t elementSize;            /**< bytes per element, fixed at construction */
    const cstd_vectorVtable* vtable; /**< element table (may be null) */
    const void* mtable;              /**< caller's method table (may be null) */
} cstd_vector;

/* ---- construction ------------------------------------------------------------------ */

/** Constructs v with count default-constructed elements of elementSize bytes. On failure v is
 * left as it was (not constructed). Fails for count < 0 or elementSize < 1. */
ORBMATH_API cmath_status cstd_vector__constructWithVtable(cstd_vector* v, int32_t count, intptr_t elementSize,
                                                          const cstd_vectorVtable* vtable);
/** As constructWithVtable, but the count elements are left unconstructed (raw memory): only for
 * element kinds without construct/destruct, or ones the caller fills at once. */
ORBMATH_API cmath_status cstd_vector__constructWithVtableUninit(cstd_vector* v, int32_t count,
                                                                intptr_t elementSize,
                                                                const cstd_vectorVtable* vtable);
/** As constructWithVtable, and attaches the method table mtable. */
ORBMATH_API cmath_status cstd_vector__constructWithVtableWithMtable(cstd_vector* v, int32_t count,
                                                                    intptr_t elementSize,
                                                                    const cstd_vectorVtable* vtable,
                                                                    const void* mtable);
/** Constructs v with count copies of *value. */
ORBMATH_API cmath_status cstd_vector__constructFillWithVtable(cstd_vector* v, int32_t count,
                                                              intptr_t elementSize, const void* value,
                                                              const cstd_vectorVtable* vtable);
/** Constructs v as a copy of the block of count elements at `block` (null only when count
 * is 0). */
ORBMATH_API cmath_status cstd_vector__constructFromBlockWithVtable(cstd_vector* v, intptr_t elementSize,
                                                                   const void* block, int32_t count,
                                                                   const cstd_vectorVtable* vtable);
/** Constructs v as a copy of src: elements, element size, tables; capacity = src's size. */
ORBMATH_API cmath_status cstd_vector__constructCopy(cstd_vector* v, const cstd_vector* src);
/** Destroys the elements and frees the storage; v is an empty vector afterwards. */
ORBMATH_API cmath_status cstd_vector__destruct(cstd_vector* v);

/* ---- modification ------------------------------------------------------------------ */

/** v becomes a copy of src's elements (v keeps its tables). Fails with
 * cstd_vector_errElementSize when the element sizes differ. v == src does nothing. */
ORBMATH_API cmath_status cstd_vector__assign(cstd_vector* v, const cstd_vector* src);
/** v becomes a copy of the count elements at `elements`. */
ORBMATH_API cmath_status cstd_vector__assignElements(cstd_vector* v, const void* elements, int32_t count);
/** Appends copies of the count elements at `elements`. */
ORBMATH_API cmath_status cstd_vector__append(cstd_vector* v, const void* elements, int32_t count);
/** Inserts copies of the count elements at `elements` before index (0 <= index <= size). */
ORBMATH_API cmath_status cstd_vector__insert(cstd_vector* v, int32_t index, const void* elements,
                                             int32_t count);
/** Inserts a copy of *element before index (0 <= index <= size). */
ORBMATH_API cmath_status cstd_vector__insertElement(cstd_vector* v, int32_t index, const void* element);
/** Appends a copy of *element. */
ORBMATH_API cmath_status cstd_vector__pushBack(cstd_vector* v, const void* element);
/** Removes count elements from index on (index + count <= size); never fails otherwise. */
ORBMATH_API cmath_status cstd_vector__erase(cstd_vector* v, int32_t index, int32_t count);
/** Removes the element at index (0 <= index < size). */
ORBMATH_API cmath_status cstd_vector__eraseElement(cstd_vector* v, int32_t index);
/** Removes the last element; an empty v fails with cstd_vector_errOutOfRange. */
ORBMATH_API cmath_status cstd_vector__popBack(cstd_vector* v);
/** Removes every element and keeps the storage. */
ORBMATH_API cmath_status cstd_vector__clear(cstd_vector* v);
/** Removes every element and frees the storage (capacity 0). */
ORBMATH_API cmath_status cstd_vector__clearAndFreeMemory(cstd_vector* v);
/** Makes the capacity at least `capacity` (exactly that when it grows); never shrinks. */
ORBMATH_API cmath_status cstd_vector__reserve(cstd_vector* v, int32_t capacity);
/** Sets the size to `size`: removes elements from the end or appends default-constructed ones. */
ORBMATH_API cmath_status cstd_vector__resize(cstd_vector* v, int32_t size);
/** As resize, appending copies of *value. */
ORBMATH_API cmath_status cstd_vector__resizeFill(cstd_vector* v, int32_t size, const void* value);
/** As resize, leaving appended elements unconstructed (see constructWithVtableUninit). */
ORBMATH_API cmath_status cstd_vector__resizeUninit(cstd_vector* v, int32_t size);
/** Exchanges the whole contents of a and b (elements, storage, element size, tables). */
ORBMATH_API cmath_status cstd_vector__swap(cstd_vector* a, cstd_vector* b);

/* ---- access ------------------------------------------------------------------------ */

/** *out = the first element (null while v holds no storage). */
ORBMATH_API cmath_status cstd_vector__getBegin(cstd_vector* v, void** out);
/** As cstd_vector__getBegin, read-only. */
ORBMATH_API cmath_status cstd_vector__getBeginConst(const cstd_vector* v, const void** out);
/** *begin = the first element, *end = one past the last. */
ORBMATH_API cmath_status cstd_vector__getBeginEnd(cstd_vector* v, void** begin, void** end);
/** As cstd_vector__getBeginEnd, read-only. */
ORBMATH_API cmath_status cstd_vector__getBeginEndConst(const cstd_vector* v, const void** begin,
                                                       const void** end);
/** *begin = the first element, *size = the element count. */
ORBMATH_API cmath_status cstd_vector__getBeginSize(cstd_vector* v, void** begin, intptr_t* size);
/** As cstd_vector__getBeginSize, read-only. */
ORBMATH_API cmath_status cstd_vector__getBeginSizeConst(const cstd_vector* v, const void** begin,
                                                        intptr_t* size);
/** As cstd_vector__getBeginSize, the count as int32_t. */
ORBMATH_API cmath_status cstd_vector__getBeginSize32(cstd_vector* v, void** begin, int32_t* size);
/** As cstd_vector__getBeginSize32, read-only. */
ORBMATH_API cmath_status cstd_vector__getBeginSize32Const(const cstd_vector* v, const void** begin,
                                                          int32_t* size);
/** *out = the element count. */
ORBMATH_API cmath_status cstd_vector__getSize(const cstd_vector* v, intptr_t* out);
/** As cstd_vector__getSize, the count as int32_t. */
ORBMATH_API cmath_status cstd_vector__getSize32(const cstd_vector* v, int32_t* out);
/** *out = the capacity in elements. */
ORBMATH_API cmath_status cstd_vector__getCapacity(const cstd_vector* v, intptr_t* out);
/** *out = the size of one element in bytes. */
ORBMATH_API cmath_status cstd_vector__getElementSize(const cstd_vector* v, intptr_t* out);
/** *out = the method table given at construction (null when none). */
ORBMATH_API cmath_status cstd_vector__getMethodTable(const cstd_vector* v, const void** out);
/** *out = the element at index (0 <= index < size). */
ORBMATH_API cmath_status cstd_vector__getElement(cstd_vector* v, int32_t index, void** out);
/** As cstd_vector__getElement, read-only. */
ORBMATH_API cmath_status cstd_vector__getElementConst(const cstd_vector* v, int32_t index, const void** out);
/** Iteration: *out = the element after `element`, the first one for a null `element`, null
 * after the last. An element that is not one of v's fails with cstd_vector_errOutOfRange. */
ORBMATH_API cmath_status cstd_vector__getNextElement(cstd_vector* v, void* element, void** out);
/** As cstd_vector__getNextElement, read-only. */
ORBMATH_API cmath_status cstd_vector__getNextElementConst(const cstd_vector* v, const void* element,
                                                          const void** out);
/** *out = 1 when a and b have the same element size and count and every pair of elements is
 * equal by `equal` (null: equal bytes), else 0. A failure of `equal` is returned. */
ORBMATH_API cmath_status cstd_vector__compareEqual(const cstd_vector* a, const cstd_vector* b, int32_t* out,
                                                   cstd_vectorElementEqual equal);

/* ---- shareable vector -------------------------------------------------------------- */

/** A shared object holding a vector (defined below). */
typedef struct cstd_vectorShareable cstd_vectorShareable;

/** Equality of two shareable vectors of one kind: *out = 1 when *a equals *b, else 0. */
typedef cmath_status (*cstd_vectorShareableEqual)(const cstd_vectorShareable* a,
                                                  const cstd_vectorShareable* b, int32_t* out);

/** A shared object holding a vector. Its outer object is itself (a kind that embeds it must
 * place it first); its shared operations destruct the vector and free the object's block
 * (from csys_memory_alloc_internal) when the last handle lets go. It answers the type name
 * "cstd_vectorShareable" (with its own address) and then "cstd_shared". */
struct cstd_vectorShareable {
    cstd_shared shared;              /**< the shared-object header (first: the object is its own outer) */
    cstd_vector vector;              /**< the elements */
    cstd_vectorShareableEqual equal; /**< null when the kind has none */
};

/** Constructs s holding a copy of *v, with the kind's type table (may be null) and equality
 * (may be null); its reference count starts at 0 (see shared.h). On failure s is left as it
 * was. */
ORBMATH_API cmath_status cstd_vectorShareable_construct(cstd_vectorShareable* s, const cstd_vector* v,
                                                        const cstd_sharedTypeTable* typeTable,
                                                        cstd_vectorShareableEqual equal);
/** Constructs s as a copy of src's vector, type table and equality (a fresh, unowned object). */
ORBMATH_API cmath_status cstd_vectorShareable_constructCopy(cstd_vectorShareable* s,
                                                            const cstd_vectorShareable* src);
/** Destructs s's vector; the header needs no clean-up. */
ORBMATH_API cmath_status cstd_vectorShareable_destruct(cstd_vectorShareable* s);
/** s's vector becomes a copy of src's (as cstd_vector__assign); kind and equality are kept. */
ORBMATH_API cmath_status cstd_vectorShareable_assign(cstd_vectorShareable* s, const cstd_vectorShareable* src);
/** s's vector becomes a copy of the count elements at `elements`. */
ORBMATH_API cmath_status cstd_vectorShareable_assignElements(cstd_vectorShareable* s, const void* elements,
                                                             int32_t count);
/** s's vector becomes a copy of *v (as cstd_vector__assign). */
ORBMATH_API cmath_status cstd_vectorShareable_assignVector(cstd_vectorShareable* s, const cstd_vector* v);
/** Appends a copy of *element. */
ORBMATH_API cmath_status cstd_vectorShareable_pushBack(cstd_vectorShareable* s, const void* element);
/** As cstd_vector__reserve. */
ORBMATH_API cmath_status cstd_vectorShareable_reserve(cstd_vectorShareable* s, int32_t capacity);
/** Removes every element and frees the storage. */
ORBMATH_API cmath_status cstd_vectorShareable_reset(cstd_vectorShareable* s);
/** As cstd_vector__resize. */
ORBMATH_API cmath_status cstd_vectorShareable_resize(cstd_vectorShareable* s, int32_t size);
/** As cstd_vector__getBeginEnd, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getBeginEnd(cstd_vectorShareable* s, void** begin, void** end);
/** As cstd_vector__getBeginEndConst, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getBeginEndConst(const cstd_vectorShareable* s,
                                                               const void** begin, const void** end);
/** As cstd_vector__getCapacity, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getCapacity(const cstd_vectorShareable* s, intptr_t* out);
/** As cstd_vector__getElementSize, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getElementSize(const cstd_vectorShareable* s, intptr_t* out);
/** As cstd_vector__getSize, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getSize(const cstd_vectorShareable* s, intptr_t* out);
/** As cstd_vector__getSize32, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getSize32(const cstd_vectorShareable* s, int32_t* out);
/** As cstd_vector__getBeginSize32, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getBeginSize32(cstd_vectorShareable* s, void** begin,
                                                             int32_t* size);
/** As cstd_vector__getBeginSize32Const, of the vector inside s. */
ORBMATH_API cmath_status cstd_vectorShareable_getBeginSize32Const(const cstd_vectorShareable* s,
                                                                  const void** begin, int32_t* size);
/** *out = 1 when a equals b: by a's equality when it has one, else by element bytes
 * (cstd_vector__compareEqual with no element equality). */
ORBMATH_API cmath_status cstd_vectorShareable_compareEqual(const cstd_vectorShareable* a,
                                                           const cstd_vectorShareable* b, int32_t* out);

/** *out = the kind's type name (from its type table), "cstd_vectorShareable" when it has none. */
ORBMATH_API cmath_status cstd_vectorShareable_getTypename(cstd_vectorShareable* s, const char16_t** out);
/** Final query: "cstd_vectorShareable" gives s, then the root names (shared.h); *out = null
 * when nothing matches, and for a null s. A null name or out fails with cmath_errNullArgument. */
ORBMATH_API cmath_status cstd_vectorShareable_queryInterfaceByTypenameFinal(cstd_vectorShareable* s,
                                                                            const char16_t* name, void** out);
/** Full query: the kind's type table first, then the final query above. */
ORBMATH_API cmath_status cstd_vectorShareable_queryInterfaceByTypename(cstd_vectorShareable* s,
                                                                       const char16_t* name, void** out);

ORBMATH_C_END

#endif
