// The generic vector: contiguous elements of a size fixed at construction, per-element
// behaviour from a five-entry element table. Every operation either completes or leaves the
// vector as it was: new elements are built (in fresh storage, or in a gap that is closed again
// on failure) before anything old is destroyed or freed.
#include <orbmath/support.h>
#include <orbmath/vector.h>

#include <cstdint>
#include <cstring>

namespace {

using Byte = unsigned char;
constexpr intptr_t kMaxCount = INT32_MAX;

// Where the elements of an insertion or a rebuild come from.
struct Source {
    enum Kind { Default, Uninit, Array, Repeat } kind;
    const Byte* data; // Array: `count` elements; Repeat: one element; else unused
};

Source defaultSource() { return {Source::Default, nullptr}; }
Source uninitSource() { return {Source::Uninit, nullptr}; }
Source arraySource(const void* p) { return {Source::Array, static_cast<const Byte*>(p)}; }
Source repeatSource(const void* p) { return {Source::Repeat, static_cast<const Byte*>(p)}; }

Byte* at(const cstd_vector* v, intptr_t i) { return static_cast<Byte*>(v->begin) + i * v->elementSize; }

// Does the source read any byte of v's live elements?
bool aliases(const cstd_vector* v, const Source& src, intptr_t n)
{
    if (src.data == nullptr || v->begin == nullptr || v->size == 0) {
        return false;
    }
    const auto lo = reinterpret_cast<uintptr_t>(v->begin);
    const auto hi = lo + static_cast<uintptr_t>(v->size * v->elementSize);
    const auto s = reinterpret_cast<uintptr_t>(src.data);
    const auto len = static_cast<uintptr_t>((src.kind == Source::Array ? n : 1) * v->elementSize);
    return s < hi && lo < s + len;
}

cmath_status allocElements(intptr_t count, intptr_t elementSize, void** out)
{
    if (count > kMaxCount || count > PTRDIFF_MAX / elementSize) {
        return csys_errNoMemory;
    }
    return csys_memory_alloc_internal(static_cast<size_t>(count * elementSize), out);
}

void freeBlock(void* p) { csys_memory_free_internal(&p); }

void destroyRange(const cstd_vectorVtable* t, intptr_t es, Byte* p, intptr_t n)
{
    if (t != nullptr && t->destruct != nullptr) {
        for (intptr_t i = 0; i < n; ++i) {
            t->destruct(p + i * es);
        }
    }
}

// Moves n elements from src to dst; the ranges may overlap when the distance is a whole
// number of elements (shifts inside one block).
void relocateRange(const cstd_vectorVtable* t, intptr_t es, Byte* dst, Byte* src, intptr_t n)
{
    if (n <= 0 || dst == src) {
        return;
    }
    if (t == nullptr || t->relocate == nullptr) {
        std::memmove(dst, src, static_cast<size_t>(n * es));
    } else if (dst < src) {
        for (intptr_t i = 0; i < n; ++i) {
            t->relocate(dst + i * es, src + i * es);
        }
    } else {
        for (intptr_t i = n - 1; i >= 0; --i) {
            t->relocate(dst + i * es, src + i * es);
        }
    }
}

// Builds n elements in raw memory at dst; on failure destroys those already built.
cmath_status constructRange(const cstd_vectorVtable* t, intptr_t es, Byte* dst, intptr_t n, const Source& src)
{
    const size_t bytes = static_cast<size_t>(n * es);
    switch (src.kind) {
    case Source::Uninit:
        return 0;
    case Source::Default:
        if (t == nullptr || t->construct == nullptr) {
            std::memset(dst, 0, bytes);
            return 0;
        }
        break;
    case Source::Array:
        if (t == nullptr || t->constructCopy == nullptr) {
            if (n > 0) {
                std::memcpy(dst, src.data, bytes);
            }
            return 0;
        }
        break;
    case Source::Repeat:
        if (t == nullptr || t->constructCopy == nullptr) {
            for (intptr_t i = 0; i < n; ++i) {
                std::memcpy(dst + i * es, src.data, static_cast<size_t>(es));
            }
            return 0;
        }
        break;
    }
    for (intptr_t i = 0; i < n; ++i) {
        Byte* e = dst + i * es;
        cmath_status st = 0;
        if (src.kind == Source::Default) {
            st = t->construct(e);
        } else {
            st = t->constructCopy(e, src.kind == Source::Array ? src.data + i * es : src.data);
        }
        if (st < 0) {
            destroyRange(t, es, dst, i);
            return st;
        }
    }
    return 0;
}

// Capacity for at least `needed` elements, at least doubling the current one.
intptr_t grownCapacity(intptr_t capacity, intptr_t needed)
{
    const intptr_t doubled = capacity > kMaxCount / 2 ? kMaxCount : 2 * capacity;
    return needed > doubled ? needed : doubled;
}

// Opens a gap of n elements before index and fills it from src.
cmath_status insertGap(cstd_vector* v, intptr_t index, intptr_t n, const Source& src)
{
    if (n == 0) {
        return 0;
    }
    if (n > kMaxCount - v->size) {
        return csys_errNoMemory;
    }
    const cstd_vectorVtable* t = v->vtable;
    const intptr_t es = v->elementSize;
    const intptr_t newSize = v->size + n;
    // Shifting the tail in place would move an aliased source; build in fresh storage then.
    if (newSize > v->capacity || (index < v->size && aliases(v, src, n))) {
        const intptr_t newCapacity = newSize > v->capacity ? grownCapacity(v->capacity, newSize) : v->capacity;
        void* block = nullptr;
        cmath_status st = allocElements(newCapacity, es, &block);
        if (st < 0) {
            return st;
        }
        Byte* b = static_cast<Byte*>(block);
        st = constructRange(t, es, b + index * es, n, src);
        if (st < 0) {
            freeBlock(block);
            return st;
        }
        if (v->begin != nullptr) {
            relocateRange(t, es, b, at(v, 0), index);
            relocateRange(t, es, b + (index + n) * es, at(v, index), v->size - index);
            freeBlock(v->begin);
        }
        v->begin = block;
        v->capacity = newCapacity;
        v->size = newSize;
        return 0;
    }
    relocateRange(t, es, at(v, index + n), at(v, index), v->size - index);
    const cmath_status st = constructRange(t, es, at(v, index), n, src);
    if (st < 0) {
        relocateRange(t, es, at(v, index), at(v, index + n), v->size - index);
        return st;
    }
    v->size = newSize;
    return 0;
}

// Replaces every element of v by n elements from src.
cmath_status rebuild(cstd_vector* v, intptr_t n, const Source& src)
{
    const cstd_vectorVtable* t = v->vtable;
    const intptr_t es = v->elementSize;
    const bool plain = t == nullptr || (t->constructCopy == nullptr && t->destruct == nullptr);
    if (plain && n <= v->capacity) {
        if (n > 0) {
            std::memmove(v->begin, src.data, static_cast<size_t>(n * es));
        }
        v->size = n;
        return 0;
    }
    if (n == 0) {
        destroyRange(t, es, at(v, 0), v->size);
        v->size = 0;
        return 0;
    }
    void* block = nullptr;
    cmath_status st = allocElements(n, es, &block);
    if (st < 0) {
        return st;
    }
    st = constructRange(t, es, static_cast<Byte*>(block), n, src);
    if (st < 0) {
        freeBlock(block);
        return st;
    }
    if (v->begin != nullptr) {
        destroyRange(t, es, at(v, 0), v->size);
        freeBlock(v->begin);
    }
    v->begin = block;
    v->size = n;
    v->capacity = n;
    return 0;
}

cmath_status constructWith(cstd_vector* v, intptr_t count, intptr_t es, const cstd_vectorVtable* t,
                           const void* mtable, const Source& src)
{
    if (v == nullptr || ((src.kind == Source::Array || src.kind == Source::Repeat) && src.data == nullptr && count > 0)) {
        return cmath_errNullArgument;
    }
    if (count < 0 || es < 1) {
        return cstd_vector_errOutOfRange;
    }
    void* block = nullptr;
    if (count > 0) {
        cmath_status st = allocElements(count, es, &block);
        if (st < 0) {
            return st;
        }
        st = constructRange(t, es, static_cast<Byte*>(block), count, src);
        if (st < 0) {
            freeBlock(block);
            return st;
        }
    }
    v->begin = block;
    v->size = count;
    v->capacity = count;
    v->elementSize = es;
    v->vtable = t;
    v->mtable = mtable;
    return 0;
}

cmath_status resizeWith(cstd_vector* v, int32_t size, const Source& src)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    if (size < 0) {
        return cstd_vector_errOutOfRange;
    }
    if (size <= v->size) {
        destroyRange(v->vtable, v->elementSize, at(v, size), v->size - size);
        v->size = size;
        return 0;
    }
    return insertGap(v, v->size, size - v->size, src);
}

cmath_status checkIndex(const cstd_vector* v, int32_t index, const void* out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    return index < 0 || index >= v->size ? cstd_vector_errOutOfRange : 0;
}

// The index of `element` in v, or -1 when it is not one of v's elements.
intptr_t indexOf(const cstd_vector* v, const void* element)
{
    if (v->begin == nullptr) {
        return -1;
    }
    const auto lo = reinterpret_cast<uintptr_t>(v->begin);
    const auto p = reinterpret_cast<uintptr_t>(element);
    if (p < lo) {
        return -1;
    }
    const uintptr_t off = p - lo;
    const auto es = static_cast<uintptr_t>(v->elementSize);
    if (off % es != 0 || off / es >= static_cast<uintptr_t>(v->size)) {
        return -1;
    }
    return static_cast<intptr_t>(off / es);
}

} // namespace

extern "C" {

// ---- construction ----------------------------------------------------------------------

ORBMATH_API cmath_status cstd_vector__constructWithVtable(cstd_vector* v, int32_t count, intptr_t elementSize,
                                                          const cstd_vectorVtable* vtable)
{
    return constructWith(v, count, elementSize, vtable, nullptr, defaultSource());
}

ORBMATH_API cmath_status cstd_vector__constructWithVtableUninit(cstd_vector* v, int32_t count,
                                                                intptr_t elementSize,
                                                                const cstd_vectorVtable* vtable)
{
    return constructWith(v, count, elementSize, vtable, nullptr, uninitSource());
}

ORBMATH_API cmath_status cstd_vector__constructWithVtableWithMtable(cstd_vector* v, int32_t count,
                                                                    intptr_t elementSize,
                                                                    const cstd_vectorVtable* vtable,
                                                                    const void* mtable)
{
    return constructWith(v, count, elementSize, vtable, mtable, defaultSource());
}

ORBMATH_API cmath_status cstd_vector__constructFillWithVtable(cstd_vector* v, int32_t count,
                                                              intptr_t elementSize, const void* value,
                                                              const cstd_vectorVtable* vtable)
{
    return constructWith(v, count, elementSize, vtable, nullptr, repeatSource(value));
}

ORBMATH_API cmath_status cstd_vector__constructFromBlockWithVtable(cstd_vector* v, intptr_t elementSize,
                                                                   const void* block, int32_t count,
                                                                   const cstd_vectorVtable* vtable)
{
    return constructWith(v, count, elementSize, vtable, nullptr, arraySource(block));
}

ORBMATH_API cmath_status cstd_vector__constructCopy(cstd_vector* v, const cstd_vector* src)
{
    if (src == nullptr) {
        return cmath_errNullArgument;
    }
    return constructWith(v, src->size, src->elementSize, src->vtable, src->mtable, arraySource(src->begin));
}

ORBMATH_API cmath_status cstd_vector__destruct(cstd_vector* v)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    if (v->begin != nullptr) {
        destroyRange(v->vtable, v->elementSize, at(v, 0), v->size);
        freeBlock(v->begin);
    }
    v->begin = nullptr;
    v->size = 0;
    v->capacity = 0;
    return 0;
}

// ---- modification ----------------------------------------------------------------------

ORBMATH_API cmath_status cstd_vector__assign(cstd_vector* v, const cstd_vector* src)
{
    if (v == nullptr || src == nullptr) {
        return cmath_errNullArgument;
    }
    if (v == src) {
        return 0;
    }
    if (v->elementSize != src->elementSize) {
        return cstd_vector_errElementSize;
    }
    return rebuild(v, src->size, arraySource(src->begin));
}

ORBMATH_API cmath_status cstd_vector__assignElements(cstd_vector* v, const void* elements, int32_t count)
{
    if (v == nullptr || (elements == nullptr && count > 0)) {
        return cmath_errNullArgument;
    }
    if (count < 0) {
        return cstd_vector_errOutOfRange;
    }
    return rebuild(v, count, arraySource(elements));
}

ORBMATH_API cmath_status cstd_vector__insert(cstd_vector* v, int32_t index, const void* elements, int32_t count)
{
    if (v == nullptr || (elements == nullptr && count > 0)) {
        return cmath_errNullArgument;
    }
    if (count < 0 || index < 0 || index > v->size) {
        return cstd_vector_errOutOfRange;
    }
    return insertGap(v, index, count, arraySource(elements));
}

ORBMATH_API cmath_status cstd_vector__append(cstd_vector* v, const void* elements, int32_t count)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    return cstd_vector__insert(v, static_cast<int32_t>(v->size), elements, count);
}

ORBMATH_API cmath_status cstd_vector__insertElement(cstd_vector* v, int32_t index, const void* element)
{
    if (element == nullptr) {
        return cmath_errNullArgument;
    }
    return cstd_vector__insert(v, index, element, 1);
}

ORBMATH_API cmath_status cstd_vector__pushBack(cstd_vector* v, const void* element)
{
    if (v == nullptr || element == nullptr) {
        return cmath_errNullArgument;
    }
    return insertGap(v, v->size, 1, arraySource(element));
}

ORBMATH_API cmath_status cstd_vector__erase(cstd_vector* v, int32_t index, int32_t count)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    if (index < 0 || count < 0 || index > v->size || count > v->size - index) {
        return cstd_vector_errOutOfRange;
    }
    const intptr_t end = index + count;
    destroyRange(v->vtable, v->elementSize, at(v, index), count);
    relocateRange(v->vtable, v->elementSize, at(v, index), at(v, end), v->size - end);
    v->size -= count;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__eraseElement(cstd_vector* v, int32_t index)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    if (index < 0 || index >= v->size) {
        return cstd_vector_errOutOfRange;
    }
    return cstd_vector__erase(v, index, 1);
}

ORBMATH_API cmath_status cstd_vector__popBack(cstd_vector* v)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    if (v->size == 0) {
        return cstd_vector_errOutOfRange;
    }
    return cstd_vector__erase(v, static_cast<int32_t>(v->size - 1), 1);
}

ORBMATH_API cmath_status cstd_vector__clear(cstd_vector* v)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    destroyRange(v->vtable, v->elementSize, at(v, 0), v->size);
    v->size = 0;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__clearAndFreeMemory(cstd_vector* v) { return cstd_vector__destruct(v); }

ORBMATH_API cmath_status cstd_vector__reserve(cstd_vector* v, int32_t capacity)
{
    if (v == nullptr) {
        return cmath_errNullArgument;
    }
    if (capacity < 0) {
        return cstd_vector_errOutOfRange;
    }
    if (capacity <= v->capacity) {
        return 0;
    }
    void* block = nullptr;
    const cmath_status st = allocElements(capacity, v->elementSize, &block);
    if (st < 0) {
        return st;
    }
    if (v->begin != nullptr) {
        relocateRange(v->vtable, v->elementSize, static_cast<Byte*>(block), at(v, 0), v->size);
        freeBlock(v->begin);
    }
    v->begin = block;
    v->capacity = capacity;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__resize(cstd_vector* v, int32_t size)
{
    return resizeWith(v, size, defaultSource());
}

ORBMATH_API cmath_status cstd_vector__resizeFill(cstd_vector* v, int32_t size, const void* value)
{
    if (value == nullptr) {
        return cmath_errNullArgument;
    }
    return resizeWith(v, size, repeatSource(value));
}

ORBMATH_API cmath_status cstd_vector__resizeUninit(cstd_vector* v, int32_t size)
{
    return resizeWith(v, size, uninitSource());
}

ORBMATH_API cmath_status cstd_vector__swap(cstd_vector* a, cstd_vector* b)
{
    if (a == nullptr || b == nullptr) {
        return cmath_errNullArgument;
    }
    const cstd_vector t = *a;
    *a = *b;
    *b = t;
    return 0;
}

// ---- access ----------------------------------------------------------------------------

ORBMATH_API cmath_status cstd_vector__getBegin(cstd_vector* v, void** out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = v->begin;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getBeginConst(const cstd_vector* v, const void** out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = v->begin;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getBeginEnd(cstd_vector* v, void** begin, void** end)
{
    if (v == nullptr || begin == nullptr || end == nullptr) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *end = at(v, v->size);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getBeginEndConst(const cstd_vector* v, const void** begin,
                                                       const void** end)
{
    if (v == nullptr || begin == nullptr || end == nullptr) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *end = at(v, v->size);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getBeginSize(cstd_vector* v, void** begin, intptr_t* size)
{
    if (v == nullptr || begin == nullptr || size == nullptr) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *size = v->size;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getBeginSizeConst(const cstd_vector* v, const void** begin,
                                                        intptr_t* size)
{
    if (v == nullptr || begin == nullptr || size == nullptr) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *size = v->size;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getBeginSize32(cstd_vector* v, void** begin, int32_t* size)
{
    if (v == nullptr || begin == nullptr || size == nullptr) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *size = static_cast<int32_t>(v->size);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getBeginSize32Const(const cstd_vector* v, const void** begin,
                                                          int32_t* size)
{
    if (v == nullptr || begin == nullptr || size == nullptr) {
        return cmath_errNullArgument;
    }
    *begin = v->begin;
    *size = static_cast<int32_t>(v->size);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getSize(const cstd_vector* v, intptr_t* out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = v->size;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getSize32(const cstd_vector* v, int32_t* out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = static_cast<int32_t>(v->size);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getCapacity(const cstd_vector* v, intptr_t* out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = v->capacity;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getElementSize(const cstd_vector* v, intptr_t* out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = v->elementSize;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getMethodTable(const cstd_vector* v, const void** out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    *out = v->mtable;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getElement(cstd_vector* v, int32_t index, void** out)
{
    const cmath_status st = checkIndex(v, index, out);
    if (st < 0) {
        return st;
    }
    *out = at(v, index);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getElementConst(const cstd_vector* v, int32_t index, const void** out)
{
    const cmath_status st = checkIndex(v, index, out);
    if (st < 0) {
        return st;
    }
    *out = at(v, index);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getNextElementConst(const cstd_vector* v, const void* element,
                                                          const void** out)
{
    if (v == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    intptr_t next = 0;
    if (element != nullptr) {
        const intptr_t i = indexOf(v, element);
        if (i < 0) {
            return cstd_vector_errOutOfRange;
        }
        next = i + 1;
    }
    *out = next < v->size ? at(v, next) : nullptr;
    return 0;
}

ORBMATH_API cmath_status cstd_vector__getNextElement(cstd_vector* v, void* element, void** out)
{
    if (out == nullptr) {
        return cmath_errNullArgument;
    }
    const void* next = nullptr;
    const cmath_status st = cstd_vector__getNextElementConst(v, element, &next);
    if (st < 0) {
        return st;
    }
    *out = const_cast<void*>(next);
    return 0;
}

ORBMATH_API cmath_status cstd_vector__compareEqual(const cstd_vector* a, const cstd_vector* b, int32_t* out,
                                                   cstd_vectorElementEqual equal)
{
    if (a == nullptr || b == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    int32_t result = a->size == b->size && a->elementSize == b->elementSize ? 1 : 0;
    for (intptr_t i = 0; result != 0 && i < a->size; ++i) {
        const Byte* ea = at(a, i);
        const Byte* eb = at(b, i);
        if (equal == nullptr) {
            result = std::memcmp(ea, eb, static_cast<size_t>(a->elementSize)) == 0 ? 1 : 0;
        } else {
            int32_t same = 0;
            const cmath_status st = equal(ea, eb, &same);
            if (st < 0) {
                return st;
            }
            result = same != 0 ? 1 : 0;
        }
    }
    *out = result;
    return 0;
}

} // extern "C"
