// The typed vector families: one definition, instantiated once per element type.
//
// `TypedVector<Traits>` holds everything a family adds to the generic vector (element size,
// element table, type name and query chain, heap creation) and the forwards that must turn the
// generic void pointers into element pointers; ORB_TYPED_VECTOR_DEFINE stamps out the exported
// C functions of one family from it. A family's traits give:
//   Element, Vector, Shareable   the element type and the family's two C types;
//   typeName                     the shareable kind's 16-bit type name;
//   shareableEqual               the equality handed to the generic shareable vector (or null).
#ifndef ORBMATH_SRC_CONTAINERS_TYPED_VECTOR_HPP
#define ORBMATH_SRC_CONTAINERS_TYPED_VECTOR_HPP

#include <orbmath/orbmath.h>

#include "support/cleanup.hpp"

#include <cstddef>
#include <type_traits>

namespace orb {

// A generic accessor writes void pointers; the typed one hands them on as element pointers
// (written only on success, like every output). A null target stays null, so the generic
// operation still refuses it.
template <class P> // P = T* or const T*
class ElementOut {
public:
    using Raw = std::conditional_t<std::is_const_v<std::remove_pointer_t<P>>, const void*, void*>;
    explicit ElementOut(P* target) : target_(target) {}
    Raw* arg() { return target_ != nullptr ? &raw_ : nullptr; }
    void commit() const
    {
        if (target_ != nullptr) {
            *target_ = static_cast<P>(raw_);
        }
    }

private:
    P* target_;
    Raw raw_ = nullptr;
};

// new / newClone / delete of a heap object made of one block from csys_memory_alloc_internal.
template <class Obj, cmath_status (*ConstructEmpty)(Obj*), cmath_status (*Destruct)(Obj*),
          cmath_status (*Assign)(Obj*, const Obj*)>
struct HeapObject {
    static cmath_status remove(Obj** p)
    {
        if (p == nullptr) {
            return cmath_errNullArgument;
        }
        if (*p == nullptr) {
            return 0;
        }
        const cmath_status st = Destruct(*p);
        if (st < 0) {
            return st; // nothing freed: the object may still own storage
        }
        void* block = *p;
        const cmath_status freed = csys_memory_free_internal(&block);
        *p = static_cast<Obj*>(block);
        return freed;
    }

    static cmath_status make(Obj** p)
    {
        if (p == nullptr) {
            return cmath_errNullArgument;
        }
        cmath_status st = remove(p);
        if (st < 0) {
            return st;
        }
        orb::Cleanup cl(st);
        void* block = nullptr;
        st = csys_memory_alloc_internal(sizeof(Obj), &block);
        if (st < 0) {
            return cl.close();
        }
        cl.freshBlock(&block);
        st = ConstructEmpty(static_cast<Obj*>(block));
        if (st >= 0) {
            *p = static_cast<Obj*>(block);
        }
        return cl.close();
    }

    static cmath_status clone(Obj** p, const Obj* src)
    {
        if (p == nullptr) {
            return cmath_errNullArgument;
        }
        if (src == nullptr) {
            return remove(p);
        }
        if (src == *p) {
            // Cloning the held object onto itself: copy first, then let the original go.
            Obj* fresh = nullptr;
            cmath_status st = clone(&fresh, src);
            if (st >= 0) {
                st = remove(p);
                if (st < 0) {
                    remove(&fresh);
                    return st;
                }
                *p = fresh;
            }
            return st;
        }
        cmath_status st = make(p);
        if (st < 0) {
            return st;
        }
        st = Assign(*p, src);
        if (st < 0) {
            remove(p);
        }
        return st;
    }
};

template <class Traits>
struct TypedVector {
    using T = typename Traits::Element;
    using V = typename Traits::Vector;
    using S = typename Traits::Shareable;

    static_assert(std::is_standard_layout_v<V> && sizeof(V) == sizeof(cstd_vector) && offsetof(V, vector) == 0,
                  "a typed vector is the generic vector");
    static_assert(std::is_standard_layout_v<S> && sizeof(S) == sizeof(cstd_vectorShareable) &&
                      offsetof(S, shareable) == 0,
                  "a typed shareable vector is the generic shareable vector");

    static constexpr intptr_t kElementSize = sizeof(T);
    // The elements are plain memory: no per-element operations.
    static constexpr cstd_vectorVtable kElementTable = {nullptr, nullptr, nullptr, nullptr, nullptr};
    // The one module-level pointer through which the type name is read.
    static constexpr const char16_t* kTypeName = Traits::typeName;

    // The typed objects are their generic ones (first and only member), so the pointers convert
    // both ways, null included.
    static cstd_vector* vec(V* v) { return reinterpret_cast<cstd_vector*>(v); }
    static const cstd_vector* vec(const V* v) { return reinterpret_cast<const cstd_vector*>(v); }
    static cstd_vectorShareable* sh(S* s) { return reinterpret_cast<cstd_vectorShareable*>(s); }
    static const cstd_vectorShareable* sh(const S* s) { return reinterpret_cast<const cstd_vectorShareable*>(s); }

    // ---- constructors that add the element size and table ----
    static cmath_status construct(V* v, int32_t count)
    {
        return cstd_vector__constructWithVtable(vec(v), count, kElementSize, &kElementTable);
    }
    static cmath_status constructUninit(V* v, int32_t count)
    {
        return cstd_vector__constructWithVtableUninit(vec(v), count, kElementSize, &kElementTable);
    }
    static cmath_status constructWithMtable(V* v, int32_t count, const void* mtable)
    {
        return cstd_vector__constructWithVtableWithMtable(vec(v), count, kElementSize, &kElementTable, mtable);
    }
    static cmath_status constructFill(V* v, int32_t count, const T* value)
    {
        return cstd_vector__constructFillWithVtable(vec(v), count, kElementSize, value, &kElementTable);
    }
    static cmath_status constructFromBlock(V* v, const T* block, int32_t count)
    {
        return cstd_vector__constructFromBlockWithVtable(vec(v), kElementSize, block, count, &kElementTable);
    }
    static cmath_status destruct(V* v) { return cstd_vector__destruct(vec(v)); }
    static cmath_status assign(V* v, const V* src) { return cstd_vector__assign(vec(v), vec(src)); }
    static cmath_status constructEmpty(V* v) { return construct(v, 0); }

    // ---- accessors with element out-pointers ----
    // The generic accessor is called on the already converted object; `P* out` is the
    // element out-pointer, in the position the generic operation has it.
    template <class Obj, class P, class Generic>
    static cmath_status one(Obj* obj, P* out, Generic generic)
    {
        ElementOut<P> o(out);
        const cmath_status st = generic(obj, o.arg());
        if (st >= 0) {
            o.commit();
        }
        return st;
    }
    template <class Obj, class P, class Generic>
    static cmath_status pair(Obj* obj, P* first, P* second, Generic generic)
    {
        ElementOut<P> a(first);
        ElementOut<P> b(second);
        const cmath_status st = generic(obj, a.arg(), b.arg());
        if (st >= 0) {
            a.commit();
            b.commit();
        }
        return st;
    }
    template <class Obj, class P, class Size, class Generic>
    static cmath_status withSize(Obj* obj, P* first, Size* size, Generic generic)
    {
        ElementOut<P> o(first);
        const cmath_status st = generic(obj, o.arg(), size);
        if (st >= 0) {
            o.commit();
        }
        return st;
    }
    template <class Obj, class Arg, class P, class Generic>
    static cmath_status after(Obj* obj, Arg arg, P* out, Generic generic)
    {
        ElementOut<P> o(out);
        const cmath_status st = generic(obj, arg, o.arg());
        if (st >= 0) {
            o.commit();
        }
        return st;
    }

    // ---- heap objects ----
    using PlainHeap = HeapObject<V, constructEmpty, destruct, assign>;

    static cmath_status shareableConstructEmpty(S* s) { return shareableConstruct(s, 0); }
    static cmath_status shareableDestruct(S* s) { return cstd_vectorShareable_destruct(sh(s)); }
    static cmath_status shareableAssign(S* s, const S* src) { return cstd_vectorShareable_assign(sh(s), sh(src)); }
    using ShareableHeap = HeapObject<S, shareableConstructEmpty, shareableDestruct, shareableAssign>;

    // ---- shareable vector ----
    static cmath_status shareableConstruct(S* s, int32_t count)
    {
        cmath_status st = 0;
        orb::Cleanup cl(st);
        V temporary;
        st = construct(&temporary, count);
        if (st < 0) {
            return cl.close();
        }
        cl.tempHandle(&temporary, [](void* t) { destruct(static_cast<V*>(t)); });
        st = shareableConstructVector(s, &temporary);
        return cl.close();
    }
    static cmath_status shareableConstructVector(S* s, const V* v)
    {
        return cstd_vectorShareable_construct(sh(s), vec(v), &kTypeTable, Traits::shareableEqual);
    }

    static cmath_status getTypename(const S*, const char16_t** out)
    {
        if (out == nullptr) {
            return cmath_errNullArgument;
        }
        *out = kTypeName;
        return 0;
    }

    // Both queries answer the kind's own name and differ only in where they pass other names.
    template <class Generic>
    static cmath_status query(S* s, const char16_t* name, void** out, Generic generic)
    {
        if (name == nullptr || out == nullptr) {
            return cmath_errNullArgument;
        }
        *out = nullptr;
        if (s == nullptr) {
            return 0;
        }
        if (cstd_typename_equal(name, kTypeName)) {
            *out = s;
            return 0;
        }
        return generic(sh(s), name, out);
    }
    static cmath_status queryFull(S* s, const char16_t* name, void** out)
    {
        return query(s, name, out, cstd_vectorShareable_queryInterfaceByTypename);
    }
    static cmath_status queryFinal(S* s, const char16_t* name, void** out)
    {
        return query(s, name, out, cstd_vectorShareable_queryInterfaceByTypenameFinal);
    }

    // The kind's type table; its entries take the outer object as void*.
    static cmath_status tableQueryFinal(void* object, const char16_t* name, void** out)
    {
        return queryFinal(static_cast<S*>(object), name, out);
    }
    static cmath_status tableGetTypename(void* object, const char16_t** out)
    {
        return getTypename(static_cast<const S*>(object), out);
    }
    static constexpr cstd_sharedTypeTable kTypeTable = {tableQueryFinal, tableGetTypename};

    // References every generic vector operation with null arguments (each refuses them).
    static void referenceGeneric()
    {
        cstd_vector__constructWithVtable(nullptr, 0, 0, nullptr);
        cstd_vector__constructWithVtableUninit(nullptr, 0, 0, nullptr);
        cstd_vector__constructWithVtableWithMtable(nullptr, 0, 0, nullptr, nullptr);
        cstd_vector__constructFillWithVtable(nullptr, 0, 0, nullptr, nullptr);
        cstd_vector__constructFromBlockWithVtable(nullptr, 0, nullptr, 0, nullptr);
        cstd_vector__constructCopy(nullptr, nullptr);
        cstd_vector__destruct(nullptr);
        cstd_vector__assign(nullptr, nullptr);
        cstd_vector__assignElements(nullptr, nullptr, 0);
        cstd_vector__append(nullptr, nullptr, 0);
        cstd_vector__insert(nullptr, 0, nullptr, 0);
        cstd_vector__insertElement(nullptr, 0, nullptr);
        cstd_vector__pushBack(nullptr, nullptr);
        cstd_vector__erase(nullptr, 0, 0);
        cstd_vector__eraseElement(nullptr, 0);
        cstd_vector__popBack(nullptr);
        cstd_vector__clear(nullptr);
        cstd_vector__clearAndFreeMemory(nullptr);
        cstd_vector__reserve(nullptr, 0);
        cstd_vector__resize(nullptr, 0);
        cstd_vector__resizeFill(nullptr, 0, nullptr);
        cstd_vector__resizeUninit(nullptr, 0);
        cstd_vector__swap(nullptr, nullptr);
        cstd_vector__getBegin(nullptr, nullptr);
        cstd_vector__getBeginConst(nullptr, nullptr);
        cstd_vector__getBeginEnd(nullptr, nullptr, nullptr);
        cstd_vector__getBeginEndConst(nullptr, nullptr, nullptr);
        cstd_vector__getBeginSize(nullptr, nullptr, nullptr);
        cstd_vector__getBeginSizeConst(nullptr, nullptr, nullptr);
        cstd_vector__getBeginSize32(nullptr, nullptr, nullptr);
        cstd_vector__getBeginSize32Const(nullptr, nullptr, nullptr);
        cstd_vector__getSize(nullptr, nullptr);
        cstd_vector__getSize32(nullptr, nullptr);
        cstd_vector__getCapacity(nullptr, nullptr);
        cstd_vector__getElementSize(nullptr, nullptr);
        cstd_vector__getMethodTable(nullptr, nullptr);
        cstd_vector__getElement(nullptr, 0, nullptr);
        cstd_vector__getElementConst(nullptr, 0, nullptr);
        cstd_vector__getNextElement(nullptr, nullptr, nullptr);
        cstd_vector__getNextElementConst(nullptr, nullptr, nullptr);
        cstd_vector__compareEqual(nullptr, nullptr, nullptr, nullptr);
    }
};

} // namespace orb

// The exported C functions of the family V (element type T) whose TypedVector is OPS.
// clang-format off
#define ORB_TYPED_VECTOR_DEFINE(V, T, OPS)                                                             \
extern "C" {                                                                                           \
ORBMATH_API cmath_status V##_construct(V* v, int32_t count) { return OPS::construct(v, count); }      \
ORBMATH_API cmath_status V##_constructEmpty(V* v) { return OPS::construct(v, 0); }                     \
ORBMATH_API cmath_status V##_constructUninit(V* v, int32_t count) { return OPS::constructUninit(v, count); } \
ORBMATH_API cmath_status V##_constructWithMtable(V* v, int32_t count, const void* mtable)             \
{ return OPS::constructWithMtable(v, count, mtable); }                                                 \
ORBMATH_API cmath_status V##_constructEmptyWithMtable(V* v, const void* mtable)                       \
{ return OPS::constructWithMtable(v, 0, mtable); }                                                     \
ORBMATH_API cmath_status V##_constructFill(V* v, int32_t count, const T* value)                       \
{ return OPS::constructFill(v, count, value); }                                                        \
ORBMATH_API cmath_status V##_constructFromBlock(V* v, const T* block, int32_t count)                  \
{ return OPS::constructFromBlock(v, block, count); }                                                   \
ORBMATH_API cmath_status V##_constructCopy(V* v, const V* src)                                         \
{ return cstd_vector__constructCopy(OPS::vec(v), OPS::vec(src)); }                                     \
ORBMATH_API cmath_status V##_destruct(V* v) { return OPS::destruct(v); }                               \
                                                                                                       \
ORBMATH_API cmath_status V##_assign(V* v, const V* src) { return OPS::assign(v, src); }               \
ORBMATH_API cmath_status V##_assignElements(V* v, const T* elements, int32_t count)                   \
{ return cstd_vector__assignElements(OPS::vec(v), elements, count); }                                  \
ORBMATH_API cmath_status V##_append(V* v, const T* elements, int32_t count)                           \
{ return cstd_vector__append(OPS::vec(v), elements, count); }                                          \
ORBMATH_API cmath_status V##_clear(V* v) { return cstd_vector__clear(OPS::vec(v)); }                   \
ORBMATH_API cmath_status V##_clearAndFreeMemory(V* v) { return cstd_vector__clearAndFreeMemory(OPS::vec(v)); } \
ORBMATH_API cmath_status V##_erase(V* v, int32_t index, int32_t count)                                 \
{ return cstd_vector__erase(OPS::vec(v), index, count); }                                              \
ORBMATH_API cmath_status V##_eraseElement(V* v, int32_t index)                                         \
{ return cstd_vector__eraseElement(OPS::vec(v), index); }                                              \
ORBMATH_API cmath_status V##_insert(V* v, int32_t index, const T* elements, int32_t count)            \
{ return cstd_vector__insert(OPS::vec(v), index, elements, count); }                                   \
ORBMATH_API cmath_status V##_insertElement(V* v, int32_t index, const T* element)                     \
{ return cstd_vector__insertElement(OPS::vec(v), index, element); }                                    \
ORBMATH_API cmath_status V##_pushBack(V* v, const T* element) { return cstd_vector__pushBack(OPS::vec(v), element); } \
ORBMATH_API cmath_status V##_popBack(V* v) { return cstd_vector__popBack(OPS::vec(v)); }               \
ORBMATH_API cmath_status V##_reserve(V* v, int32_t capacity) { return cstd_vector__reserve(OPS::vec(v), capacity); } \
ORBMATH_API cmath_status V##_resize(V* v, int32_t size) { return cstd_vector__resize(OPS::vec(v), size); } \
ORBMATH_API cmath_status V##_resizeFill(V* v, int32_t size, const T* value)                           \
{ return cstd_vector__resizeFill(OPS::vec(v), size, value); }                                          \
ORBMATH_API cmath_status V##_resizeUninit(V* v, int32_t size) { return cstd_vector__resizeUninit(OPS::vec(v), size); } \
ORBMATH_API cmath_status V##_swap(V* a, V* b) { return cstd_vector__swap(OPS::vec(a), OPS::vec(b)); }  \
                                                                                                       \
ORBMATH_API cmath_status V##_getBegin(V* v, T** out) { return OPS::one(OPS::vec(v), out, cstd_vector__getBegin); } \
ORBMATH_API cmath_status V##_getBeginConst(const V* v, const T** out)                                  \
{ return OPS::one(OPS::vec(v), out, cstd_vector__getBeginConst); }                                               \
ORBMATH_API cmath_status V##_getBeginEnd(V* v, T** begin, T** end)                                     \
{ return OPS::pair(OPS::vec(v), begin, end, cstd_vector__getBeginEnd); }                               \
ORBMATH_API cmath_status V##_getBeginEndConst(const V* v, const T** begin, const T** end)              \
{ return OPS::pair(OPS::vec(v), begin, end, cstd_vector__getBeginEndConst); }                          \
ORBMATH_API cmath_status V##_getBeginSize32(V* v, T** begin, int32_t* size)                            \
{ return OPS::withSize(OPS::vec(v), begin, size, cstd_vector__getBeginSize32); }                            \
ORBMATH_API cmath_status V##_getBeginSize32Const(const V* v, const T** begin, int32_t* size)           \
{ return OPS::withSize(OPS::vec(v), begin, size, cstd_vector__getBeginSize32Const); }                       \
ORBMATH_API cmath_status V##_getBeginSize(V* v, T** begin, int32_t* size)                              \
{ return OPS::withSize(OPS::vec(v), begin, size, cstd_vector__getBeginSize32); }                            \
ORBMATH_API cmath_status V##_getBeginSizeConst(const V* v, const T** begin, int32_t* size)             \
{ return OPS::withSize(OPS::vec(v), begin, size, cstd_vector__getBeginSize32Const); }                       \
ORBMATH_API cmath_status V##_getBeginSizeIntPtr(V* v, T** begin, intptr_t* size)                       \
{ return OPS::withSize(OPS::vec(v), begin, size, cstd_vector__getBeginSize); }                              \
ORBMATH_API cmath_status V##_getBeginSizeIntPtrConst(const V* v, const T** begin, intptr_t* size)      \
{ return OPS::withSize(OPS::vec(v), begin, size, cstd_vector__getBeginSizeConst); }                         \
ORBMATH_API cmath_status V##_getSize(const V* v, int32_t* out) { return cstd_vector__getSize32(OPS::vec(v), out); } \
ORBMATH_API cmath_status V##_getSize32(const V* v, int32_t* out) { return cstd_vector__getSize32(OPS::vec(v), out); } \
ORBMATH_API cmath_status V##_getSizeIntPtr(const V* v, intptr_t* out) { return cstd_vector__getSize(OPS::vec(v), out); } \
ORBMATH_API cmath_status V##_getCapacity(const V* v, intptr_t* out) { return cstd_vector__getCapacity(OPS::vec(v), out); } \
ORBMATH_API cmath_status V##_getElementSize(const V* v, intptr_t* out)                                 \
{ return cstd_vector__getElementSize(OPS::vec(v), out); }                                              \
ORBMATH_API cmath_status V##_getElement(V* v, int32_t index, T** out)                                  \
{ return OPS::after(OPS::vec(v), index, out, cstd_vector__getElement); }                             \
ORBMATH_API cmath_status V##_getElementConst(const V* v, int32_t index, const T** out)                 \
{ return OPS::after(OPS::vec(v), index, out, cstd_vector__getElementConst); }                        \
ORBMATH_API cmath_status V##_getNextElement(V* v, T* element, T** out)                                 \
{ return OPS::after(OPS::vec(v), element, out, cstd_vector__getNextElement); }                          \
ORBMATH_API cmath_status V##_getNextElementConst(const V* v, const T* element, const T** out)          \
{ return OPS::after(OPS::vec(v), element, out, cstd_vector__getNextElementConst); }                     \
                                                                                                       \
ORBMATH_API cmath_status V##_new(V** p) { return OPS::PlainHeap::make(p); }                            \
ORBMATH_API cmath_status V##_newClone(V** p, const V* src) { return OPS::PlainHeap::clone(p, src); }   \
ORBMATH_API cmath_status V##_delete(V** p) { return OPS::PlainHeap::remove(p); }                       \
ORBMATH_API void V##__unused__(void) { OPS::referenceGeneric(); }                                      \
                                                                                                       \
ORBMATH_API cmath_status V##Shareable_construct(V##Shareable* s, int32_t count)                        \
{ return OPS::shareableConstruct(s, count); }                                                          \
ORBMATH_API cmath_status V##Shareable_constructEmpty(V##Shareable* s) { return OPS::shareableConstruct(s, 0); } \
ORBMATH_API cmath_status V##Shareable_constructVector(V##Shareable* s, const V* v)                     \
{ return OPS::shareableConstructVector(s, v); }                                                        \
ORBMATH_API cmath_status V##Shareable_constructCopy(V##Shareable* s, const V##Shareable* src)          \
{ return cstd_vectorShareable_constructCopy(OPS::sh(s), OPS::sh(src)); }                               \
ORBMATH_API cmath_status V##Shareable_destruct(V##Shareable* s) { return OPS::shareableDestruct(s); }  \
ORBMATH_API cmath_status V##Shareable_assign(V##Shareable* s, const V##Shareable* src)                 \
{ return OPS::shareableAssign(s, src); }                                                               \
ORBMATH_API cmath_status V##Shareable_assignElements(V##Shareable* s, const T* elements, int32_t count) \
{ return cstd_vectorShareable_assignElements(OPS::sh(s), elements, count); }                           \
ORBMATH_API cmath_status V##Shareable_assignVector(V##Shareable* s, const V* v)                        \
{ return cstd_vectorShareable_assignVector(OPS::sh(s), OPS::vec(v)); }                                 \
ORBMATH_API cmath_status V##Shareable_pushBack(V##Shareable* s, const T* element)                      \
{ return cstd_vectorShareable_pushBack(OPS::sh(s), element); }                                         \
ORBMATH_API cmath_status V##Shareable_reserve(V##Shareable* s, int32_t capacity)                       \
{ return cstd_vectorShareable_reserve(OPS::sh(s), capacity); }                                         \
ORBMATH_API cmath_status V##Shareable_reset(V##Shareable* s) { return cstd_vectorShareable_reset(OPS::sh(s)); } \
ORBMATH_API cmath_status V##Shareable_resize(V##Shareable* s, int32_t size)                            \
{ return cstd_vectorShareable_resize(OPS::sh(s), size); }                                              \
ORBMATH_API cmath_status V##Shareable_getBeginEnd(V##Shareable* s, T** begin, T** end)                 \
{ return OPS::pair(OPS::sh(s), begin, end, cstd_vectorShareable_getBeginEnd); }                        \
ORBMATH_API cmath_status V##Shareable_getBeginEndConst(const V##Shareable* s, const T** begin, const T** end) \
{ return OPS::pair(OPS::sh(s), begin, end, cstd_vectorShareable_getBeginEndConst); }                   \
ORBMATH_API cmath_status V##Shareable_getCapacity(const V##Shareable* s, intptr_t* out)                \
{ return cstd_vectorShareable_getCapacity(OPS::sh(s), out); }                                          \
ORBMATH_API cmath_status V##Shareable_getElementSize(const V##Shareable* s, intptr_t* out)             \
{ return cstd_vectorShareable_getElementSize(OPS::sh(s), out); }                                       \
ORBMATH_API cmath_status V##Shareable_getSize(const V##Shareable* s, int32_t* out)                     \
{ return cstd_vectorShareable_getSize32(OPS::sh(s), out); }                                            \
ORBMATH_API cmath_status V##Shareable_getBeginSize(V##Shareable* s, T** begin, int32_t* size)          \
{ return OPS::withSize(OPS::sh(s), begin, size, cstd_vectorShareable_getBeginSize32); }                     \
ORBMATH_API cmath_status V##Shareable_getBeginSizeConst(const V##Shareable* s, const T** begin, int32_t* size) \
{ return OPS::withSize(OPS::sh(s), begin, size, cstd_vectorShareable_getBeginSize32Const); }                \
ORBMATH_API cmath_status V##Shareable_new(V##Shareable** p) { return OPS::ShareableHeap::make(p); }    \
ORBMATH_API cmath_status V##Shareable_newClone(V##Shareable** p, const V##Shareable* src)              \
{ return OPS::ShareableHeap::clone(p, src); }                                                          \
ORBMATH_API cmath_status V##Shareable_delete(V##Shareable** p) { return OPS::ShareableHeap::remove(p); } \
ORBMATH_API cmath_status V##Shareable_getTypename(const V##Shareable* s, const char16_t** out)         \
{ return OPS::getTypename(s, out); }                                                                   \
ORBMATH_API cmath_status V##Shareable_queryInterfaceByTypename(V##Shareable* s, const char16_t* name, void** out) \
{ return OPS::queryFull(s, name, out); }                                                               \
ORBMATH_API cmath_status V##Shareable_queryInterfaceByTypenameFinal(V##Shareable* s, const char16_t* name, \
                                                                    void** out)                        \
{ return OPS::queryFinal(s, name, out); }                                                              \
ORBMATH_API cmath_status V##Shareable_queryInterfaceByTypename_(V##Shareable* s, const char16_t* name, void** out) \
{ return OPS::queryFinal(s, name, out); }                                                              \
}
// clang-format on

#endif
