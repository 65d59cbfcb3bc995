/** @file
 * orbmath support layer: memory, the clean-up list, scalar helpers, a vector of doubles,
 * diagnostics and the root class. Other modules use these to define transform kinds.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning. The functions
 * that return no status take non-null pointers as a precondition (not checked), except where a
 * line below says what a null one does. */
#ifndef ORBMATH_SUPPORT_H
#define ORBMATH_SUPPORT_H

#include "common.h"

ORBMATH_C_BEGIN

/* ---- memory ------------------------------------------------------------------------- */

/** Allocates an uninitialised block of `size` bytes (at least 1) into *out. On failure returns
 * csys_errNoMemory and leaves *out untouched. Blocks are 16-byte aligned. */
ORBMATH_API cmath_status csys_memory_alloc_internal(size_t size, void** out);
/** Frees *p (a null *p is allowed) and sets *p to null; returns 0 for any non-null p. */
ORBMATH_API cmath_status csys_memory_free_internal(void** p);
/** A block of `size` bytes from the same allocator, or null; give it back with cxfFree. */
ORBMATH_API void* cxfMalloc(size_t size);
/** Frees a block from cxfMalloc (null is allowed). */
ORBMATH_API void cxfFree(void* block);

/* ---- clean-up list ------------------------------------------------------------------ */

/** Record kinds: fresh results are undone only when the operation fails; work blocks and
 * temporary handles are released always. */
#define csys_cleanup_freshBlock    0x21 /**< free a fresh block; target = address of the pointer */
#define csys_cleanup_freshObject   0x22 /**< destruct an object or out-handle made by this operation */
#define csys_cleanup_workBlock     0x31 /**< free a work block; target = address of the pointer */
#define csys_cleanup_tempHandle    0x32 /**< release a temporary handle */

/** One undo action: action(target) runs when the record's kind says so. */
typedef struct csys_cleanupRecord {
    int32_t sequence;             /**< registration order; compared with the close level */
    int32_t kind;                 /**< one of the csys_cleanup_... kinds */
    void* target;                 /**< what the action receives */
    void (*action)(void* target); /**< the undo action */
} csys_cleanupRecord;

/** Closes an operation: runs the records of sequence number <= `level` (as unsigned; pass
 * 0xFFFFFFFF for all) from the last to the first, kinds 0x21 and 0x22 only when *status is
 * negative, kinds 0x31 and 0x32 always, and sets *count to 0. *status is left as it was. */
ORBMATH_API void csys_cleanupExecute_(csys_cleanupRecord* records, int32_t* count,
                                      cmath_status* status, uint32_t level);
/** The action of kinds 0x21 and 0x31: csys_memory_free_internal of (void**)target. */
ORBMATH_API void csys_cleanup_freeBlockAction(void* target);

/* ---- scalar helpers ----------------------------------------------------------------- */

/** 1 when |a - b| <= epsilon (absolute, inclusive) or a == b, else 0. NaN is never equal. */
ORBMATH_API int32_t cmath_double_epsilonEqual(double a, double b, double epsilon);
/** v * v. */
ORBMATH_API double cmath_double_sqr(double v);
/** The smaller of a and b (b when they compare unordered). */
ORBMATH_API double cmath_double_min(double a, double b);
/** The larger of a and b (b when they compare unordered). */
ORBMATH_API double cmath_double_max(double a, double b);
/** floor(sqrt(v)), exact for every 64-bit v. */
ORBMATH_API uint64_t cmath_sqrt64(uint64_t v);
/** The floating remainder of x / y with the sign of x, as the standard fmod. */
ORBMATH_API double cf_fmod64MSVC8Workaround(double x, double y);

/* ---- vector of doubles -------------------------------------------------------------- */

/** A growable array of doubles. Construct before use and destruct after. */
typedef struct cstd_vectord {
    double* begin;     /**< first element; null while no storage is held */
    intptr_t size;     /**< elements in use */
    intptr_t capacity; /**< elements the storage can hold */
} cstd_vectord;

/** Makes v empty; allocates nothing. */
ORBMATH_API cmath_status cstd_vectord_constructEmpty(cstd_vectord* v);
/** Makes room for at least n elements; on failure v is unchanged. */
ORBMATH_API cmath_status cstd_vectord_reserve(cstd_vectord* v, intptr_t n);
/** Appends value, growing the capacity at least twofold; on failure v is unchanged. */
ORBMATH_API cmath_status cstd_vectord_pushBack(cstd_vectord* v, double value);
/** The first element (null when v never held storage). */
ORBMATH_API cmath_status cstd_vectord_getBegin(cstd_vectord* v, double** out);
/** As cstd_vectord_getBegin, read-only. */
ORBMATH_API cmath_status cstd_vectord_getBeginConst(const cstd_vectord* v, const double** out);
/** The first element and the element count. */
ORBMATH_API cmath_status cstd_vectord_getBeginSize(cstd_vectord* v, double** begin, intptr_t* size);
/** As cstd_vectord_getBeginSize, read-only. */
ORBMATH_API cmath_status cstd_vectord_getBeginSizeConst(const cstd_vectord* v, const double** begin,
                                                        intptr_t* size);
/** Frees the storage; v is empty afterwards. */
ORBMATH_API cmath_status cstd_vectord_destruct(cstd_vectord* v);

/* ---- diagnostics -------------------------------------------------------------------- */

/** Formats the UTF-16 printf-style `format` with the arguments and writes the message to
 * standard error at once, whatever the stream's orientation. Returns the units written or -1. */
ORBMATH_API int32_t cfDiagPrint2(int32_t reserved, const char16_t* format, ...);

ORBMATH_C_END

#ifdef __cplusplus
/** Root class of the library's C++ classes. */
class ORBMATH_API cxObject {
public:
    cxObject() = default;
    /** Copies nothing: the root class has no state. */
    cxObject(const cxObject&) = default;
    /** Copies nothing: the root class has no state. */
    cxObject& operator=(const cxObject&) = default;
    virtual ~cxObject();
};
#endif

#endif
