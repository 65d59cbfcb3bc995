/** @file
 * orbmath: typed vectors of statistics records and of one-dimensional vectors.
 *
 * Two families with one interface:
 *   cstd_vector_cmath_statistics[Shareable]   elements of type cmath_statistics
 *   cstd_vector_cmath_vect1[Shareable]        elements of type cmath_vect1
 * Each family is the generic vector of vector.h with the element type fixed: the typed layer
 * adds the element size, an element table (all entries null: the elements are plain memory),
 * the shareable kind's type name and query chain, creation on the heap (new / newClone /
 * delete) and, for cmath_vect1, element-wise equality. Every other behaviour, every failure
 * and every status is the generic vector's, returned unchanged (see vector.h: failures leave
 * the vector as it was and write no output; allocation failures give csys_errNoMemory).
 *
 * Types. Each family has its own C types, so that a C compiler refuses a vector of one family
 * where the other is expected:
 *   typedef struct cstd_vector_cmath_statistics { cstd_vector vector; } ...;
 *   typedef struct cstd_vector_cmath_statisticsShareable { cstd_vectorShareable shareable; } ...;
 * (and likewise for cmath_vect1). The wrapped generic object is the only member, so a typed
 * vector has exactly the layout of the generic one; the member may be handed to the generic
 * operations of vector.h.
 *
 * Both families are declared by one macro, ORBMATH_TYPED_VECTOR_DECLARE_(V, T), with V the
 * family name and T the element type; the exported names are V_<operation> and
 * VShareable_<operation>, e.g. cstd_vector_cmath_statistics_pushBack,
 * cstd_vector_cmath_vect1Shareable_getSize. Naming of sizes: the plain names (getSize,
 * getBeginSize) write int32_t counts, the ...IntPtr names pointer-sized ones; getSize32,
 * getBeginSize32 and getBeginSize32Const are the same operations under the generic names.
 *
 * Shareable vectors are shared objects (shared.h) holding a plain vector of the family; the
 * kind answers its type name ("cstd_vector_cmath_statisticsShareable",
 * "cstd_vector_cmath_vect1Shareable") with its own address and passes every other name on to
 * the generic shareable vector ("cstd_vectorShareable", then "cstd_shared").
 *
 * Heap objects: new / newClone / delete work on a pointer variable that holds a vector made by
 * new, or null. new replaces what the variable held by a new empty vector; delete destructs and
 * frees it and leaves the variable null.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning. */
#ifndef ORBMATH_CONTAINERS_H
#define ORBMATH_CONTAINERS_H

#include "common.h"
#include "geometry.h"
#include "stats.h"
#include "vector.h"

/* clang-format off */
/** Declares the typed vector family V with elements of type T (both plain and shareable). */
#define ORBMATH_TYPED_VECTOR_DECLARE_(V, T)                                                          \
/* A vector of T elements: the generic vector with the element type fixed. */                        \
typedef struct V { cstd_vector vector; /**< the generic vector */ } V;                               \
/* A shared object holding a vector of T elements. */                                                \
typedef struct V##Shareable { cstd_vectorShareable shareable; /**< the generic shareable vector */ } V##Shareable;\
                                                                                                     \
/* ---- plain vector: construction (on failure v is left unconstructed) ---- */                      \
/* v holds count zero-filled elements. */                                                            \
ORBMATH_API cmath_status V##_construct(V* v, int32_t count);                                         \
/* v is empty; allocates nothing. */                                                                 \
ORBMATH_API cmath_status V##_constructEmpty(V* v);                                                   \
/* v holds count elements left uninitialised (to be written by the caller at once). */               \
ORBMATH_API cmath_status V##_constructUninit(V* v, int32_t count);                                   \
/* As construct, attaching the caller's method table (opaque, never called). */                      \
ORBMATH_API cmath_status V##_constructWithMtable(V* v, int32_t count, const void* mtable);           \
/* As constructEmpty, attaching the caller's method table (opaque, never called). */                 \
ORBMATH_API cmath_status V##_constructEmptyWithMtable(V* v, const void* mtable);                     \
/* v holds count copies of *value. */                                                                \
ORBMATH_API cmath_status V##_constructFill(V* v, int32_t count, const T* value);                     \
/* v holds copies of the count elements at block (null only when count is 0). */                     \
ORBMATH_API cmath_status V##_constructFromBlock(V* v, const T* block, int32_t count);                \
/* v is a copy of src. */                                                                            \
ORBMATH_API cmath_status V##_constructCopy(V* v, const V* src);                                      \
/* Frees v's storage; v is empty afterwards. */                                                      \
ORBMATH_API cmath_status V##_destruct(V* v);                                                         \
                                                                                                     \
/* ---- plain vector: modification (a failure leaves v as it was) ---- */                            \
/* v becomes a copy of src. */                                                                       \
ORBMATH_API cmath_status V##_assign(V* v, const V* src);                                             \
/* v becomes a copy of the count elements at `elements`. */                                          \
ORBMATH_API cmath_status V##_assignElements(V* v, const T* elements, int32_t count);                 \
/* Appends copies of the count elements at `elements`. */                                            \
ORBMATH_API cmath_status V##_append(V* v, const T* elements, int32_t count);                         \
/* Removes every element, keeping the storage. */                                                    \
ORBMATH_API cmath_status V##_clear(V* v);                                                            \
/* Removes every element and frees the storage. */                                                   \
ORBMATH_API cmath_status V##_clearAndFreeMemory(V* v);                                               \
/* Removes count elements from index on; a range outside v fails. */                                 \
ORBMATH_API cmath_status V##_erase(V* v, int32_t index, int32_t count);                              \
/* Removes the element at index; an index outside v fails. */                                        \
ORBMATH_API cmath_status V##_eraseElement(V* v, int32_t index);                                      \
/* Inserts copies of the count elements at `elements` before index (<= size). */                     \
ORBMATH_API cmath_status V##_insert(V* v, int32_t index, const T* elements, int32_t count);          \
/* Inserts a copy of *element before index (<= size). */                                             \
ORBMATH_API cmath_status V##_insertElement(V* v, int32_t index, const T* element);                   \
/* Appends a copy of *element. */                                                                    \
ORBMATH_API cmath_status V##_pushBack(V* v, const T* element);                                       \
/* Removes the last element; an empty v fails. */                                                    \
ORBMATH_API cmath_status V##_popBack(V* v);                                                          \
/* Makes room for capacity elements (never shrinks). */                                              \
ORBMATH_API cmath_status V##_reserve(V* v, int32_t capacity);                                        \
/* Sets the size, appending zero-filled elements. */                                                 \
ORBMATH_API cmath_status V##_resize(V* v, int32_t size);                                             \
/* Sets the size, appending copies of *value. */                                                     \
ORBMATH_API cmath_status V##_resizeFill(V* v, int32_t size, const T* value);                         \
/* Sets the size, appending uninitialised elements. */                                               \
ORBMATH_API cmath_status V##_resizeUninit(V* v, int32_t size);                                       \
/* Exchanges the contents of a and b. */                                                             \
ORBMATH_API cmath_status V##_swap(V* a, V* b);                                                       \
                                                                                                     \
/* ---- plain vector: access (a failure writes nothing) ---- */                                      \
/* *out = the first element (null while v holds no storage). */                                      \
ORBMATH_API cmath_status V##_getBegin(V* v, T** out);                                                \
/* As getBegin, read-only. */                                                                        \
ORBMATH_API cmath_status V##_getBeginConst(const V* v, const T** out);                               \
/* *begin = the first element, *end = one past the last. */                                          \
ORBMATH_API cmath_status V##_getBeginEnd(V* v, T** begin, T** end);                                  \
/* As getBeginEnd, read-only. */                                                                     \
ORBMATH_API cmath_status V##_getBeginEndConst(const V* v, const T** begin, const T** end);           \
/* *begin = the first element, *size = the count as int32_t (as getBeginSize32). */                  \
ORBMATH_API cmath_status V##_getBeginSize(V* v, T** begin, int32_t* size);                           \
/* As getBeginSize, read-only. */                                                                    \
ORBMATH_API cmath_status V##_getBeginSizeConst(const V* v, const T** begin, int32_t* size);          \
/* *begin = the first element, *size = the count as int32_t. */                                      \
ORBMATH_API cmath_status V##_getBeginSize32(V* v, T** begin, int32_t* size);                         \
/* As getBeginSize32, read-only. */                                                                  \
ORBMATH_API cmath_status V##_getBeginSize32Const(const V* v, const T** begin, int32_t* size);        \
/* *begin = the first element, *size = the count as intptr_t. */                                     \
ORBMATH_API cmath_status V##_getBeginSizeIntPtr(V* v, T** begin, intptr_t* size);                    \
/* As getBeginSizeIntPtr, read-only. */                                                              \
ORBMATH_API cmath_status V##_getBeginSizeIntPtrConst(const V* v, const T** begin, intptr_t* size);   \
/* *out = the element count as int32_t (as getSize32). */                                            \
ORBMATH_API cmath_status V##_getSize(const V* v, int32_t* out);                                      \
/* *out = the element count as int32_t. */                                                           \
ORBMATH_API cmath_status V##_getSize32(const V* v, int32_t* out);                                    \
/* *out = the element count as intptr_t. */                                                          \
ORBMATH_API cmath_status V##_getSizeIntPtr(const V* v, intptr_t* out);                               \
/* *out = the capacity in elements. */                                                               \
ORBMATH_API cmath_status V##_getCapacity(const V* v, intptr_t* out);                                 \
/* *out = the size of one element in bytes (sizeof(T)). */                                           \
ORBMATH_API cmath_status V##_getElementSize(const V* v, intptr_t* out);                              \
/* *out = the element at index (0 <= index < size). */                                               \
ORBMATH_API cmath_status V##_getElement(V* v, int32_t index, T** out);                               \
/* As getElement, read-only. */                                                                      \
ORBMATH_API cmath_status V##_getElementConst(const V* v, int32_t index, const T** out);              \
/* *out = the element after `element` (the first for null, null after the last). */                  \
ORBMATH_API cmath_status V##_getNextElement(V* v, T* element, T** out);                              \
/* As getNextElement, read-only. */                                                                  \
ORBMATH_API cmath_status V##_getNextElementConst(const V* v, const T* element, const T** out);       \
                                                                                                     \
/* ---- plain vector on the heap ---- */                                                             \
/* Deletes what *p holds (a failure is returned), then *p = a new empty vector; *p stays null        \
 * when the new one cannot be made. */                                                               \
ORBMATH_API cmath_status V##_new(V** p);                                                             \
/* *p = a new copy of src (new, then assign); when the copy fails *p is left deleted (null). A       \
 * null src deletes *p; newClone(p, *p) replaces *p by a copy and keeps it on failure. */            \
ORBMATH_API cmath_status V##_newClone(V** p, const V* src);                                          \
/* Destructs and frees *p and sets it to null; a null *p gives 0; a failing destruct frees           \
 * nothing. */                                                                                       \
ORBMATH_API cmath_status V##_delete(V** p);                                                          \
/* Not meant to be called: references the generic vector operations (with null arguments). */        \
ORBMATH_API void V##__unused__(void);                                                                \
                                                                                                     \
/* ---- shareable vector (reference count 0 after construction; see shared.h) ---- */                \
/* s holds count zero-filled elements. */                                                            \
ORBMATH_API cmath_status V##Shareable_construct(V##Shareable* s, int32_t count);                     \
/* s holds no element. */                                                                            \
ORBMATH_API cmath_status V##Shareable_constructEmpty(V##Shareable* s);                               \
/* s holds a copy of *v. */                                                                          \
ORBMATH_API cmath_status V##Shareable_constructVector(V##Shareable* s, const V* v);                  \
/* s holds a copy of src's vector. */                                                                \
ORBMATH_API cmath_status V##Shareable_constructCopy(V##Shareable* s, const V##Shareable* src);       \
/* Frees the vector's storage (the object's own block is the owner's). */                            \
ORBMATH_API cmath_status V##Shareable_destruct(V##Shareable* s);                                     \
/* s's vector becomes a copy of src's. */                                                            \
ORBMATH_API cmath_status V##Shareable_assign(V##Shareable* s, const V##Shareable* src);              \
/* s's vector becomes a copy of the count elements at `elements`. */                                 \
ORBMATH_API cmath_status V##Shareable_assignElements(V##Shareable* s, const T* elements,             \
                                                     int32_t count);                                 \
/* s's vector becomes a copy of *v. */                                                               \
ORBMATH_API cmath_status V##Shareable_assignVector(V##Shareable* s, const V* v);                     \
/* Appends a copy of *element, as the plain pushBack. */                                             \
ORBMATH_API cmath_status V##Shareable_pushBack(V##Shareable* s, const T* element);                   \
/* Makes room for capacity elements, as the plain reserve. */                                        \
ORBMATH_API cmath_status V##Shareable_reserve(V##Shareable* s, int32_t capacity);                    \
/* Removes every element and frees the storage (the plain clearAndFreeMemory). */                    \
ORBMATH_API cmath_status V##Shareable_reset(V##Shareable* s);                                        \
/* Sets the size, as the plain resize. */                                                            \
ORBMATH_API cmath_status V##Shareable_resize(V##Shareable* s, int32_t size);                         \
/* *begin = the first element, *end = one past the last. */                                          \
ORBMATH_API cmath_status V##Shareable_getBeginEnd(V##Shareable* s, T** begin, T** end);              \
/* As getBeginEnd, read-only. */                                                                     \
ORBMATH_API cmath_status V##Shareable_getBeginEndConst(const V##Shareable* s, const T** begin,       \
                                                       const T** end);                               \
/* *out = the capacity in elements. */                                                               \
ORBMATH_API cmath_status V##Shareable_getCapacity(const V##Shareable* s, intptr_t* out);             \
/* *out = the size of one element in bytes. */                                                       \
ORBMATH_API cmath_status V##Shareable_getElementSize(const V##Shareable* s, intptr_t* out);          \
/* *out = the element count as int32_t. */                                                           \
ORBMATH_API cmath_status V##Shareable_getSize(const V##Shareable* s, int32_t* out);                  \
/* *begin = the first element, *size = the count as int32_t. */                                      \
ORBMATH_API cmath_status V##Shareable_getBeginSize(V##Shareable* s, T** begin, int32_t* size);       \
/* As getBeginSize, read-only. */                                                                    \
ORBMATH_API cmath_status V##Shareable_getBeginSizeConst(const V##Shareable* s, const T** begin,      \
                                                        int32_t* size);                              \
/* As the plain new, on a shareable object. */                                                       \
ORBMATH_API cmath_status V##Shareable_new(V##Shareable** p);                                         \
/* As the plain newClone, on shareable objects. */                                                   \
ORBMATH_API cmath_status V##Shareable_newClone(V##Shareable** p, const V##Shareable* src);           \
/* As the plain delete, on a shareable object. */                                                    \
ORBMATH_API cmath_status V##Shareable_delete(V##Shareable** p);                                      \
/* *out = the kind's type name; s is not read. A null out fails with cmath_errNullArgument. */       \
ORBMATH_API cmath_status V##Shareable_getTypename(const V##Shareable* s, const char16_t** out);      \
/* *out = s for the kind's type name (compared exactly, terminator included), else the answer        \
 * of the generic shareable vector's full query; null when nobody answers or s is null. */           \
ORBMATH_API cmath_status V##Shareable_queryInterfaceByTypename(V##Shareable* s, const char16_t* name,\
                                                               void** out);                          \
/* The kind's final query (first entry of its type table): the kind's name, then the generic         \
 * shareable vector's final query. */                                                                \
ORBMATH_API cmath_status V##Shareable_queryInterfaceByTypenameFinal(V##Shareable* s,                 \
                                                                    const char16_t* name, void** out);\
/* The same function as queryInterfaceByTypenameFinal, exported under this name too. */              \
ORBMATH_API cmath_status V##Shareable_queryInterfaceByTypename_(V##Shareable* s,                     \
                                                                const char16_t* name, void** out);
/* clang-format on */

ORBMATH_C_BEGIN

ORBMATH_TYPED_VECTOR_DECLARE_(cstd_vector_cmath_statistics, cmath_statistics)
ORBMATH_TYPED_VECTOR_DECLARE_(cstd_vector_cmath_vect1, cmath_vect1)

/** *out = 1 when a and b hold the same number of elements and each pair is equal by
 * cmath_vect1_compareEqual, else 0. Nothing is written on failure. */
ORBMATH_API cmath_status cstd_vector_cmath_vect1_compareEqual(const cstd_vector_cmath_vect1* a,
                                                             const cstd_vector_cmath_vect1* b, int32_t* out);
/** The same for the vectors inside two shareable vectors; also the equality the kind gives to
 * the generic shareable vector (cstd_vectorShareable_compareEqual uses it). */
ORBMATH_API cmath_status cstd_vector_cmath_vect1Shareable_compareEqual(const cstd_vector_cmath_vect1Shareable* a,
                                                                      const cstd_vector_cmath_vect1Shareable* b,
                                                                      int32_t* out);

ORBMATH_C_END

#endif
