// The generic vector: every operation on plain int32 elements and on "boxed" elements whose
// per-element operations allocate (so that element copies can fail as well), growth, insertion
// and erasure at the ends and in the middle, aliasing, and every allocation failed in turn with
// the vector left exactly as it was.
#include "fault.h"

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

// ---- a boxed element: one int32 in a block of its own ----------------------------------
struct Boxed {
    int32_t* p;
};
int g_live = 0;        // boxed elements alive
int g_relocations = 0; // relocate calls

cmath_status boxNew(void* e, int32_t value)
{
    void* b = nullptr;
    const cmath_status st = csys_memory_alloc_internal(sizeof(int32_t), &b);
    if (st < 0) {
        return st;
    }
    *static_cast<int32_t*>(b) = value;
    static_cast<Boxed*>(e)->p = static_cast<int32_t*>(b);
    ++g_live;
    return 0;
}
cmath_status boxConstruct(void* e) { return boxNew(e, -1); }
cmath_status boxCopy(void* e, const void* s) { return boxNew(e, *static_cast<const Boxed*>(s)->p); }
void boxDestruct(void* e)
{
    void* b = static_cast<Boxed*>(e)->p;
    csys_memory_free_internal(&b);
    --g_live;
}
cmath_status boxAssign(void* e, const void* s)
{
    *static_cast<Boxed*>(e)->p = *static_cast<const Boxed*>(s)->p;
    return 0;
}
void boxRelocate(void* d, void* s)
{
    std::memcpy(d, s, sizeof(Boxed));
    ++g_relocations;
}
const cstd_vectorVtable kBoxed = {boxConstruct, boxCopy, boxDestruct, boxAssign, boxRelocate};

// ---- helpers ---------------------------------------------------------------------------
std::vector<int32_t> values(const cstd_vector* v)
{
    std::vector<int32_t> out;
    for (intptr_t i = 0; i < v->size; ++i) {
        const void* e = static_cast<const unsigned char*>(v->begin) + i * v->elementSize;
        out.push_back(v->vtable == &kBoxed ? *static_cast<const Boxed*>(e)->p : *static_cast<const int32_t*>(e));
    }
    return out;
}

struct Snapshot {
    void* begin;
    intptr_t size;
    intptr_t capacity;
    std::vector<int32_t> elements;
    bool operator==(const Snapshot&) const = default;
};
Snapshot snap(const cstd_vector* v) { return {v->begin, v->size, v->capacity, values(v)}; }

// A vector of the given kind holding `init`.
void make(cstd_vector* v, const cstd_vectorVtable* kind, std::initializer_list<int32_t> init)
{
    const intptr_t es = kind == &kBoxed ? sizeof(Boxed) : sizeof(int32_t);
    ASSERT_EQ(cstd_vector__constructWithVtable(v, 0, es, kind), 0);
    for (int32_t x : init) {
        if (kind == &kBoxed) {
            Boxed b{&x};
            ASSERT_EQ(cstd_vector__pushBack(v, &b), 0);
        } else {
            ASSERT_EQ(cstd_vector__pushBack(v, &x), 0);
        }
    }
}

// Runs op on a fresh vector (built by setup, outside the failure window) with allocation
// 1, 2, 3, ... failing; each failing run must leave the vector exactly as it was and leak
// nothing; the succeeding run is checked by `done`. Returns the failure points covered.
int sweep(const std::function<void(cstd_vector*)>& setup, const std::function<cmath_status(cstd_vector*)>& op,
          const std::function<void(const cstd_vector*)>& done)
{
    int n = 0;
    return orbtest::sweepAllocations([&](bool) {
        ++n;
        csys_memory_testFailAfter(0, 0);
        const int base = g_live;
        cstd_vector v;
        setup(&v);
        const Snapshot before = snap(&v);
        const int live = g_live;
        csys_memory_testFailAfter(n, 0);
        const cmath_status st = op(&v);
        csys_memory_testFailAfter(0, 0);
        if (st < 0) {
            EXPECT_EQ(st, csys_errNoMemory);
            EXPECT_TRUE(snap(&v) == before) << "vector changed by a failing run, allocation " << n;
            EXPECT_EQ(g_live, live);
        } else {
            done(&v);
        }
        cstd_vector__destruct(&v);
        EXPECT_EQ(g_live, base);
        return st;
    });
}

using V = std::vector<int32_t>;
const cstd_vectorVtable* const kKinds[] = {nullptr, &kBoxed};

} // namespace

TEST(Vector, ConstructorsBuildWhatTheyAreAskedFor)
{
    const int64_t blocks = csys_memory_testOutstanding();
    cstd_vector v;
    ASSERT_EQ(cstd_vector__constructWithVtable(&v, 3, sizeof(int32_t), nullptr), 0);
    EXPECT_EQ(values(&v), (V{0, 0, 0})); // no construct entry: zero-filled
    EXPECT_EQ(v.capacity, 3);
    cstd_vector__destruct(&v);
    EXPECT_EQ(v.begin, nullptr);

    ASSERT_EQ(cstd_vector__constructWithVtable(&v, 2, sizeof(Boxed), &kBoxed), 0);
    EXPECT_EQ(values(&v), (V{-1, -1}));
    EXPECT_EQ(g_live, 2);
    cstd_vector__destruct(&v);
    EXPECT_EQ(g_live, 0);

    ASSERT_EQ(cstd_vector__constructWithVtableUninit(&v, 5, sizeof(int32_t), nullptr), 0);
    intptr_t size = 0;
    EXPECT_EQ(cstd_vector__getSize(&v, &size), 0);
    EXPECT_EQ(size, 5);
    cstd_vector__destruct(&v);

    static const int kMethods = 42;
    ASSERT_EQ(cstd_vector__constructWithVtableWithMtable(&v, 0, sizeof(int32_t), nullptr, &kMethods), 0);
    const void* mt = nullptr;
    EXPECT_EQ(cstd_vector__getMethodTable(&v, &mt), 0);
    EXPECT_EQ(mt, &kMethods);
    EXPECT_EQ(v.begin, nullptr); // empty: nothing allocated
    cstd_vector copy;
    ASSERT_EQ(cstd_vector__constructCopy(&copy, &v), 0);
    EXPECT_EQ(copy.mtable, &kMethods);
    cstd_vector__destruct(&copy);
    cstd_vector__destruct(&v);

    const int32_t seven = 7;
    for (const cstd_vectorVtable* kind : kKinds) {
        Boxed b{const_cast<int32_t*>(&seven)};
        const void* value = kind == &kBoxed ? static_cast<const void*>(&b) : &seven;
        const intptr_t es = kind == &kBoxed ? sizeof(Boxed) : sizeof(int32_t);
        ASSERT_EQ(cstd_vector__constructFillWithVtable(&v, 4, es, value, kind), 0);
        EXPECT_EQ(values(&v), (V{7, 7, 7, 7}));
        ASSERT_EQ(cstd_vector__constructCopy(&copy, &v), 0);
        EXPECT_EQ(values(&copy), (V{7, 7, 7, 7}));
        EXPECT_NE(copy.begin, v.begin);
        cstd_vector__destruct(&copy);
        cstd_vector__destruct(&v);
    }
    const int32_t block[] = {1, 2, 3};
    ASSERT_EQ(cstd_vector__constructFromBlockWithVtable(&v, sizeof(int32_t), block, 3, nullptr), 0);
    EXPECT_EQ(values(&v), (V{1, 2, 3}));
    cstd_vector__destruct(&v);
    EXPECT_EQ(csys_memory_testOutstanding(), blocks);

    // Refusals write nothing.
    std::memset(&v, 0xAB, sizeof v);
    const cstd_vector sentinel = v;
    EXPECT_EQ(cstd_vector__constructWithVtable(&v, -1, 4, nullptr), cstd_vector_errOutOfRange);
    EXPECT_EQ(cstd_vector__constructWithVtable(&v, 1, 0, nullptr), cstd_vector_errOutOfRange);
    EXPECT_EQ(cstd_vector__constructFromBlockWithVtable(&v, 4, nullptr, 2, nullptr), cmath_errNullArgument);
    EXPECT_EQ(cstd_vector__constructWithVtable(nullptr, 1, 4, nullptr), cmath_errNullArgument);
    EXPECT_EQ(std::memcmp(&v, &sentinel, sizeof v), 0);

    // A zero-filled vector may be destructed.
    std::memset(&v, 0, sizeof v);
    EXPECT_EQ(cstd_vector__destruct(&v), 0);
}

TEST(Vector, PushBackGrowsByAtLeastDoublingAndKeepsElements)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        cstd_vector v;
        make(&v, kind, {});
        intptr_t lastCapacity = 0;
        int reallocations = 0;
        V expect;
        for (int32_t i = 0; i < 100; ++i) {
            if (kind == &kBoxed) {
                Boxed b{&i};
                ASSERT_EQ(cstd_vector__pushBack(&v, &b), 0);
            } else {
                ASSERT_EQ(cstd_vector__pushBack(&v, &i), 0);
            }
            expect.push_back(i);
            if (v.capacity != lastCapacity) {
                EXPECT_GE(v.capacity, 2 * lastCapacity);
                lastCapacity = v.capacity;
                ++reallocations;
            }
        }
        EXPECT_EQ(values(&v), expect);
        EXPECT_LE(reallocations, 8);

        int32_t n32 = 0;
        intptr_t n = 0, es = 0;
        void *b = nullptr, *e = nullptr;
        EXPECT_EQ(cstd_vector__getBeginSize32(&v, &b, &n32), 0);
        EXPECT_EQ(cstd_vector__getSize(&v, &n), 0);
        EXPECT_EQ(cstd_vector__getElementSize(&v, &es), 0);
        EXPECT_EQ(cstd_vector__getBeginEnd(&v, &b, &e), 0);
        EXPECT_EQ(n32, 100);
        EXPECT_EQ(n, 100);
        EXPECT_EQ(es, kind == &kBoxed ? static_cast<intptr_t>(sizeof(Boxed)) : 4);
        EXPECT_EQ(static_cast<char*>(e) - static_cast<char*>(b), 100 * es);
        cstd_vector__destruct(&v);
    }
    EXPECT_EQ(g_live, 0);
}

TEST(Vector, InsertAndEraseAtTheEndsAndInTheMiddle)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        const bool boxed = kind == &kBoxed;
        int32_t raw[] = {10, 11, 12};
        Boxed boxes[] = {{&raw[0]}, {&raw[1]}, {&raw[2]}};
        const void* src = boxed ? static_cast<const void*>(boxes) : raw;
        const intptr_t es = boxed ? sizeof(Boxed) : sizeof(int32_t);
        auto elem = [&](int i) { return static_cast<const char*>(src) + i * es; };

        cstd_vector v;
        make(&v, kind, {1, 2, 3});
        ASSERT_EQ(cstd_vector__reserve(&v, 16), 0); // in-place shifts
        ASSERT_EQ(cstd_vector__insertElement(&v, 0, elem(0)), 0);
        EXPECT_EQ(values(&v), (V{10, 1, 2, 3}));
        ASSERT_EQ(cstd_vector__insertElement(&v, 4, elem(1)), 0);
        EXPECT_EQ(values(&v), (V{10, 1, 2, 3, 11}));
        ASSERT_EQ(cstd_vector__insert(&v, 2, src, 3), 0);
        EXPECT_EQ(values(&v), (V{10, 1, 10, 11, 12, 2, 3, 11}));
        ASSERT_EQ(cstd_vector__append(&v, elem(2), 1), 0);
        EXPECT_EQ(values(&v), (V{10, 1, 10, 11, 12, 2, 3, 11, 12}));
        EXPECT_EQ(v.capacity, 16);
        ASSERT_EQ(cstd_vector__insert(&v, 3, nullptr, 0), 0);

        ASSERT_EQ(cstd_vector__erase(&v, 2, 3), 0);
        EXPECT_EQ(values(&v), (V{10, 1, 2, 3, 11, 12}));
        ASSERT_EQ(cstd_vector__eraseElement(&v, 0), 0);
        ASSERT_EQ(cstd_vector__eraseElement(&v, 4), 0);
        EXPECT_EQ(values(&v), (V{1, 2, 3, 11}));
        ASSERT_EQ(cstd_vector__popBack(&v), 0);
        EXPECT_EQ(values(&v), (V{1, 2, 3}));
        ASSERT_EQ(cstd_vector__erase(&v, 3, 0), 0);

        // Out of range: refused, nothing changed.
        const Snapshot before = snap(&v);
        EXPECT_EQ(cstd_vector__insertElement(&v, 4, elem(0)), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__insertElement(&v, -1, elem(0)), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__insert(&v, 0, src, -1), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__insertElement(&v, 0, nullptr), cmath_errNullArgument);
        EXPECT_EQ(cstd_vector__erase(&v, 2, 2), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__erase(&v, -1, 1), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__eraseElement(&v, 3), cstd_vector_errOutOfRange);
        EXPECT_TRUE(snap(&v) == before);

        // Growing insertion in the middle.
        ASSERT_EQ(cstd_vector__reserve(&v, 3), 0);
        ASSERT_EQ(cstd_vector__clearAndFreeMemory(&v), 0);
        EXPECT_EQ(v.capacity, 0);
        ASSERT_EQ(cstd_vector__append(&v, src, 2), 0);
        ASSERT_EQ(cstd_vector__insert(&v, 1, src, 3), 0);
        EXPECT_EQ(values(&v), (V{10, 10, 11, 12, 11}));
        ASSERT_EQ(cstd_vector__clear(&v), 0);
        EXPECT_EQ(v.size, 0);
        EXPECT_EQ(cstd_vector__popBack(&v), cstd_vector_errOutOfRange);
        cstd_vector__destruct(&v);
    }
    EXPECT_EQ(g_live, 0);
}

TEST(Vector, SourcesInsideTheVectorItself)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        cstd_vector v;
        make(&v, kind, {1, 2, 3, 4});
        ASSERT_EQ(cstd_vector__reserve(&v, 32), 0);
        const intptr_t es = v.elementSize;
        auto el = [&](int i) { return static_cast<char*>(v.begin) + i * es; };

        // The element moves when the tail shifts: the copy must be of the value before.
        ASSERT_EQ(cstd_vector__insertElement(&v, 0, el(2)), 0);
        EXPECT_EQ(values(&v), (V{3, 1, 2, 3, 4}));
        ASSERT_EQ(cstd_vector__insert(&v, 1, el(0), 3), 0);
        EXPECT_EQ(values(&v), (V{3, 3, 1, 2, 1, 2, 3, 4}));
        ASSERT_EQ(cstd_vector__pushBack(&v, el(7)), 0);
        EXPECT_EQ(values(&v), (V{3, 3, 1, 2, 1, 2, 3, 4, 4}));
        ASSERT_EQ(cstd_vector__assignElements(&v, el(5), 3), 0);
        EXPECT_EQ(values(&v), (V{2, 3, 4}));
        ASSERT_EQ(cstd_vector__resizeFill(&v, 5, el(0)), 0);
        EXPECT_EQ(values(&v), (V{2, 3, 4, 2, 2}));

        // The same while the storage grows (the old block is read before it is freed).
        ASSERT_EQ(cstd_vector__assignElements(&v, el(0), 2), 0);
        cstd_vector w;
        make(&w, kind, {5, 6});
        cstd_vector__swap(&v, &w);
        EXPECT_EQ(values(&v), (V{5, 6}));
        EXPECT_EQ(values(&w), (V{2, 3}));
        EXPECT_EQ(v.capacity, 2);
        auto el2 = [&](int i) { return static_cast<char*>(v.begin) + i * es; };
        ASSERT_EQ(cstd_vector__pushBack(&v, el2(0)), 0);
        ASSERT_EQ(cstd_vector__insertElement(&v, 0, el2(2)), 0);
        EXPECT_EQ(values(&v), (V{5, 5, 6, 5}));
        ASSERT_EQ(cstd_vector__append(&v, v.begin, 4), 0);
        EXPECT_EQ(values(&v), (V{5, 5, 6, 5, 5, 5, 6, 5}));
        cstd_vector__destruct(&v);
        cstd_vector__destruct(&w);
    }
    EXPECT_EQ(g_live, 0);
}

TEST(Vector, ResizeReserveAssignAndSwap)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        const bool boxed = kind == &kBoxed;
        cstd_vector v, w;
        make(&v, kind, {1, 2});
        ASSERT_EQ(cstd_vector__resize(&v, 4), 0);
        EXPECT_EQ(values(&v), (V{1, 2, boxed ? -1 : 0, boxed ? -1 : 0}));
        ASSERT_EQ(cstd_vector__resize(&v, 1), 0);
        EXPECT_EQ(values(&v), (V{1}));
        int32_t nine = 9;
        Boxed b{&nine};
        ASSERT_EQ(cstd_vector__resizeFill(&v, 3, boxed ? static_cast<void*>(&b) : &nine), 0);
        EXPECT_EQ(values(&v), (V{1, 9, 9}));
        EXPECT_EQ(cstd_vector__resize(&v, -1), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__reserve(&v, -1), cstd_vector_errOutOfRange);
        void* begin = v.begin;
        ASSERT_EQ(cstd_vector__reserve(&v, 2), 0); // never shrinks
        EXPECT_EQ(v.begin, begin);
        ASSERT_EQ(cstd_vector__reserve(&v, 50), 0);
        EXPECT_EQ(v.capacity, 50);
        EXPECT_EQ(values(&v), (V{1, 9, 9}));

        make(&w, kind, {7, 8, 9, 10});
        ASSERT_EQ(cstd_vector__assign(&v, &w), 0);
        EXPECT_EQ(values(&v), (V{7, 8, 9, 10}));
        ASSERT_EQ(cstd_vector__assign(&v, &v), 0);
        EXPECT_EQ(values(&v), (V{7, 8, 9, 10}));
        if (!boxed) {
            EXPECT_EQ(v.capacity, 50); // plain elements are copied into the storage in place
        }
        const int32_t arr[] = {4, 5};
        Boxed barr[] = {{const_cast<int32_t*>(&arr[0])}, {const_cast<int32_t*>(&arr[1])}};
        ASSERT_EQ(cstd_vector__assignElements(&v, boxed ? static_cast<const void*>(barr) : arr, 2), 0);
        EXPECT_EQ(values(&v), (V{4, 5}));
        ASSERT_EQ(cstd_vector__assignElements(&v, nullptr, 0), 0);
        EXPECT_EQ(v.size, 0);

        cstd_vector other;
        ASSERT_EQ(cstd_vector__constructWithVtable(&other, 1, 3, nullptr), 0);
        const Snapshot before = snap(&w);
        EXPECT_EQ(cstd_vector__assign(&w, &other), cstd_vector_errElementSize);
        EXPECT_TRUE(snap(&w) == before);

        cstd_vector__swap(&w, &other);
        EXPECT_EQ(w.elementSize, 3);
        EXPECT_EQ(values(&other), (V{7, 8, 9, 10}));

        ASSERT_EQ(cstd_vector__resizeUninit(&w, 3), 0);
        EXPECT_EQ(w.size, 3);
        cstd_vector__destruct(&other);
        cstd_vector__destruct(&w);
        cstd_vector__destruct(&v);
    }
    EXPECT_EQ(g_live, 0);
}

TEST(Vector, ElementAccessAndIteration)
{
    cstd_vector v;
    make(&v, nullptr, {5, 6, 7});
    void* e = nullptr;
    const void* ce = reinterpret_cast<const void*>(0x1);
    ASSERT_EQ(cstd_vector__getElement(&v, 1, &e), 0);
    EXPECT_EQ(*static_cast<int32_t*>(e), 6);
    ASSERT_EQ(cstd_vector__getElementConst(&v, 2, &ce), 0);
    EXPECT_EQ(*static_cast<const int32_t*>(ce), 7);
    ce = reinterpret_cast<const void*>(0x1);
    EXPECT_EQ(cstd_vector__getElementConst(&v, 3, &ce), cstd_vector_errOutOfRange);
    EXPECT_EQ(cstd_vector__getElementConst(&v, -1, &ce), cstd_vector_errOutOfRange);
    EXPECT_EQ(ce, reinterpret_cast<const void*>(0x1));

    V seen;
    for (cstd_vector__getNextElement(&v, nullptr, &e); e != nullptr; cstd_vector__getNextElement(&v, e, &e)) {
        seen.push_back(*static_cast<int32_t*>(e));
    }
    EXPECT_EQ(seen, (V{5, 6, 7}));
    EXPECT_EQ(cstd_vector__getNextElementConst(&v, static_cast<char*>(v.begin) + 2, &ce), cstd_vector_errOutOfRange);
    EXPECT_EQ(cstd_vector__getNextElementConst(&v, static_cast<int32_t*>(v.begin) + 3, &ce), cstd_vector_errOutOfRange);
    EXPECT_EQ(ce, reinterpret_cast<const void*>(0x1));

    cstd_vector empty;
    make(&empty, nullptr, {});
    e = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(cstd_vector__getNextElement(&empty, nullptr, &e), 0);
    EXPECT_EQ(e, nullptr);
    cstd_vector__destruct(&empty);
    cstd_vector__destruct(&v);
}

namespace {
// Equal when the values agree modulo 10; fails on the value 99.
cmath_status mod10Equal(const void* a, const void* b, int32_t* out)
{
    const int32_t x = *static_cast<const int32_t*>(a), y = *static_cast<const int32_t*>(b);
    if (x == 99 || y == 99) {
        return cmath_errFailed;
    }
    *out = x % 10 == y % 10 ? 1 : 0;
    return 0;
}
} // namespace

TEST(Vector, CompareEqualWithAndWithoutElementEquality)
{
    cstd_vector a, b, c, d;
    make(&a, nullptr, {1, 2, 3});
    make(&b, nullptr, {1, 2, 3});
    make(&c, nullptr, {11, 12, 13});
    make(&d, nullptr, {1, 99, 3});
    int32_t out = -5;
    EXPECT_EQ(cstd_vector__compareEqual(&a, &b, &out, nullptr), 0);
    EXPECT_EQ(out, 1);
    EXPECT_EQ(cstd_vector__compareEqual(&a, &c, &out, nullptr), 0);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(cstd_vector__compareEqual(&a, &c, &out, mod10Equal), 0);
    EXPECT_EQ(out, 1);
    out = -5;
    EXPECT_EQ(cstd_vector__compareEqual(&a, &d, &out, mod10Equal), cmath_errFailed);
    EXPECT_EQ(out, -5);
    ASSERT_EQ(cstd_vector__popBack(&b), 0);
    EXPECT_EQ(cstd_vector__compareEqual(&a, &b, &out, mod10Equal), 0);
    EXPECT_EQ(out, 0);
    for (cstd_vector* v : {&a, &b, &c, &d}) {
        cstd_vector__destruct(v);
    }
}

TEST(Vector, EveryAllocationFailureLeavesTheVectorUnchanged)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        const bool boxed = kind == &kBoxed;
        int32_t raw[] = {20, 21, 22, 23, 24};
        Boxed boxes[] = {{&raw[0]}, {&raw[1]}, {&raw[2]}, {&raw[3]}, {&raw[4]}};
        const void* src = boxed ? static_cast<const void*>(boxes) : raw;
        auto full = [&](cstd_vector* v) { make(v, kind, {1, 2, 3, 4}); }; // capacity 4: full
        auto roomy = [&](cstd_vector* v) {
            make(v, kind, {1, 2, 3, 4});
            ASSERT_EQ(cstd_vector__reserve(v, 16), 0);
        };
        auto expect = [](V want) { return [want](const cstd_vector* v) { EXPECT_EQ(values(v), want); }; };

        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__pushBack(v, src); }, expect({1, 2, 3, 4, 20})), 0);
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__insert(v, 2, src, 3); },
                        expect({1, 2, 20, 21, 22, 3, 4})), 0);
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__insertElement(v, 0, v->begin); },
                        expect({1, 1, 2, 3, 4})), 0);
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__append(v, src, 5); },
                        expect({1, 2, 3, 4, 20, 21, 22, 23, 24})), 0);
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__resize(v, 6); },
                        expect({1, 2, 3, 4, boxed ? -1 : 0, boxed ? -1 : 0})), 0);
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__resizeFill(v, 7, src); },
                        expect({1, 2, 3, 4, 20, 20, 20})), 0);
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__reserve(v, 9); }, expect({1, 2, 3, 4})), 0);
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__assignElements(v, src, 5); },
                        expect({20, 21, 22, 23, 24})), 0);
        cstd_vector w;
        make(&w, kind, {7, 8, 9, 10, 11, 12});
        EXPECT_GT(sweep(full, [&](cstd_vector* v) { return cstd_vector__assign(v, &w); },
                        expect({7, 8, 9, 10, 11, 12})), 0);
        cstd_vector__destruct(&w);
        // Element copies allocate only for boxed elements: in place they can still fail.
        const int inPlace = sweep(roomy, [&](cstd_vector* v) { return cstd_vector__insert(v, 1, src, 3); },
                                  expect({1, 20, 21, 22, 2, 3, 4}));
        EXPECT_EQ(inPlace, boxed ? 3 : 0);
        EXPECT_EQ(sweep(roomy, [&](cstd_vector* v) { return cstd_vector__resizeFill(v, 6, src); },
                        expect({1, 2, 3, 4, 20, 20})),
                  boxed ? 2 : 0);
    }
    EXPECT_EQ(g_live, 0);
}

TEST(Vector, FailingConstructorsWriteNothingAndLeakNothing)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        const bool boxed = kind == &kBoxed;
        const intptr_t es = boxed ? sizeof(Boxed) : sizeof(int32_t);
        int32_t raw[] = {1, 2, 3};
        Boxed boxes[] = {{&raw[0]}, {&raw[1]}, {&raw[2]}};
        const void* src = boxed ? static_cast<const void*>(boxes) : raw;
        cstd_vector source;
        make(&source, kind, {4, 5, 6});

        using Ctor = std::function<cmath_status(cstd_vector*)>;
        const std::pair<Ctor, V> ctors[] = {
            {[&](cstd_vector* v) { return cstd_vector__constructWithVtable(v, 3, es, kind); },
             boxed ? V{-1, -1, -1} : V{0, 0, 0}},
            {[&](cstd_vector* v) { return cstd_vector__constructFillWithVtable(v, 2, es, src, kind); }, V{1, 1}},
            {[&](cstd_vector* v) { return cstd_vector__constructFromBlockWithVtable(v, es, src, 3, kind); },
             V{1, 2, 3}},
            {[&](cstd_vector* v) { return cstd_vector__constructCopy(v, &source); }, V{4, 5, 6}},
        };
        for (const auto& entry : ctors) {
            const auto& ctor = entry.first;
            const V& want = entry.second;
            const int covered = orbtest::sweepAllocations([&](bool) {
                cstd_vector v;
                std::memset(&v, 0xCD, sizeof v);
                cstd_vector sentinel = v;
                const cmath_status st = ctor(&v);
                if (st < 0) {
                    EXPECT_EQ(std::memcmp(&v, &sentinel, sizeof v), 0);
                } else {
                    EXPECT_EQ(values(&v), want);
                    cstd_vector__destruct(&v);
                }
                return st;
            });
            EXPECT_EQ(covered, boxed ? 1 + static_cast<int>(want.size()) : 1);
        }
        cstd_vector__destruct(&source);
    }
    EXPECT_EQ(g_live, 0);
}
