// The generic vector on plain int32 elements and on "boxed" elements whose copies allocate (so
// that they can fail as well): growth, insertion and erasure, aliasing, and allocation failures
// that must leave the vector exactly as it was.
#include "fault.h"
#include "orbtest_a.h"

#include <cstring>
#include <functional>
#include <memory>
#include <numeric>
#include <tuple>
#include <vector>

namespace {

// ---- a boxed element: one int32 in a block of its own ----------------------------------
struct Boxed {
    int32_t* p;
};
int g_live = 0; // boxed elements alive

cmath_status boxNew(void* e, int32_t value)
{
    void* b = nullptr;
    const cmath_status st = csys_memory_alloc_internal(sizeof(int32_t), &b);
    if (st >= 0) {
        *static_cast<int32_t*>(b) = value;
        static_cast<Boxed*>(e)->p = static_cast<int32_t*>(b);
        ++g_live;
    }
    return st;
}
void boxDestruct(void* e)
{
    void* b = static_cast<Boxed*>(e)->p;
    csys_memory_free_internal(&b);
    --g_live;
}
const cstd_vectorVtable kBoxed = {
    [](void* e) { return boxNew(e, -1); },
    [](void* e, const void* s) { return boxNew(e, *static_cast<const Boxed*>(s)->p); },
    boxDestruct,
    [](void* e, const void* s) {
        *static_cast<Boxed*>(e)->p = *static_cast<const Boxed*>(s)->p;
        return cmath_status{0};
    },
    [](void* d, void* s) { std::memcpy(d, s, sizeof(Boxed)); },
};
const cstd_vectorVtable* const kKinds[] = {nullptr, &kBoxed};

using V = std::vector<int32_t>;

// Elements holding the given values as the kind stores them: plain, or boxes pointing at them.
struct Elems {
    V raw;
    std::vector<Boxed> boxes;
    bool boxed;
    Elems(const cstd_vectorVtable* kind, V values) : raw(std::move(values)), boxed(kind == &kBoxed)
    {
        for (int32_t& x : raw) {
            boxes.push_back(Boxed{&x});
        }
    }
    Elems(const Elems&) = delete;
    const void* at(size_t i = 0) const { return boxed ? static_cast<const void*>(&boxes[i]) : &raw[i]; }
    intptr_t size() const { return boxed ? sizeof(Boxed) : sizeof(int32_t); }
};

V values(const cstd_vector* v)
{
    V out;
    for (intptr_t i = 0; i < v->size; ++i) {
        const void* e = static_cast<const unsigned char*>(v->begin) + i * v->elementSize;
        out.push_back(v->vtable == &kBoxed ? *static_cast<const Boxed*>(e)->p : *static_cast<const int32_t*>(e));
    }
    return out;
}

// The elements after an operation that must succeed.
V after(cmath_status st, const cstd_vector* v)
{
    EXPECT_EQ(st, 0);
    return values(v);
}

// Storage, size, capacity and elements: what a refused or failed operation must not change.
auto snap(const cstd_vector* v) { return std::make_tuple(v->begin, v->size, v->capacity, values(v)); }

// A vector of the given kind holding `init`, built by pushing back (capacity 4 for 4 elements).
void make(cstd_vector* v, const cstd_vectorVtable* kind, V init)
{
    const Elems e(kind, std::move(init));
    ASSERT_EQ(cstd_vector__constructWithVtable(v, 0, e.size(), kind), 0);
    for (size_t i = 0; i < e.raw.size(); ++i) {
        ASSERT_EQ(cstd_vector__pushBack(v, e.at(i)), 0);
    }
}

// Runs op on a fresh vector (built by setup) with allocation 1, 2, 3, ... failing: a failing run
// leaves the vector exactly as it was, the run that gets through gives `want`.
int sweep(const std::function<void(cstd_vector*)>& setup, const std::function<cmath_status(cstd_vector*)>& op,
          const V& want)
{
    return orbtest::sweepPrepared([&]() {
        auto v = std::make_shared<cstd_vector>();
        setup(v.get());
        const auto before = snap(v.get());
        const int live = g_live;
        orbtest::Trial t;
        t.op = [&op, v]() { return op(v.get()); };
        t.failed = [v, before, live]() { EXPECT_TRUE(snap(v.get()) == before && g_live == live); };
        t.succeeded = [v, &want]() { EXPECT_EQ(values(v.get()), want); };
        t.teardown = [v]() { cstd_vector__destruct(v.get()); }; // boxes are blocks: the sweep counts them
        return t;
    });
}

// Every test leaves no boxed element alive.
class Vector : public ::testing::Test {
    void TearDown() override { EXPECT_EQ(g_live, 0); }
};

} // namespace

TEST_F(Vector, ConstructorsAndRefusals)
{
    cstd_vector v, copy;
    static const int kMethods = 42;
    ASSERT_EQ(cstd_vector__constructWithVtableWithMtable(&v, 0, sizeof(int32_t), nullptr, &kMethods), 0);
    EXPECT_EQ(orbtest::result<const void*>(cstd_vector__getMethodTable, &v), &kMethods);
    ASSERT_EQ(cstd_vector__constructCopy(&copy, &v), 0);
    EXPECT_EQ(copy.mtable, &kMethods);
    cstd_vector__destruct(&copy);
    cstd_vector__destruct(&v);

    // Refusals write nothing.
    cstd_vector sentinel;
    std::memset(&sentinel, 0xAB, sizeof sentinel);
    const std::function<cmath_status(cstd_vector*)> refused[] = {
        [](cstd_vector* p) { return cstd_vector__constructWithVtable(p, -1, 4, nullptr); },
        [](cstd_vector* p) { return cstd_vector__constructWithVtable(p, 1, 0, nullptr); },
        [](cstd_vector* p) { return cstd_vector__constructFromBlockWithVtable(p, 4, nullptr, 2, nullptr); },
    };
    EXPECT_TRUE(orbtest::refusesWith(cstd_vector_errOutOfRange, sentinel, refused[0]));
    EXPECT_TRUE(orbtest::refusesWith(cstd_vector_errOutOfRange, sentinel, refused[1]));
    EXPECT_TRUE(orbtest::refusesWith(cmath_errNullArgument, sentinel, refused[2]));
    EXPECT_EQ(cstd_vector__constructWithVtable(nullptr, 1, 4, nullptr), cmath_errNullArgument);
    // A zero-filled vector may be destructed.
    std::memset(&v, 0, sizeof v);
    EXPECT_EQ(cstd_vector__destruct(&v), 0);
}

TEST_F(Vector, PushBackGrowsByAtLeastDoublingAndKeepsElements)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        V seq(100);
        std::iota(seq.begin(), seq.end(), 0);
        const Elems src(kind, seq);
        cstd_vector v;
        make(&v, kind, {});
        intptr_t lastCapacity = 0;
        for (int32_t i = 0; i < 100; ++i) {
            ASSERT_EQ(cstd_vector__pushBack(&v, src.at(i)), 0);
            if (v.capacity != lastCapacity) {
                EXPECT_GE(v.capacity, 2 * lastCapacity);
                lastCapacity = v.capacity;
            }
        }
        EXPECT_EQ(values(&v), src.raw);
        cstd_vector__destruct(&v);
    }
}

TEST_F(Vector, InsertAndEraseAtTheEndsAndInTheMiddle)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        const Elems src(kind, {10, 11, 12});
        cstd_vector v;
        make(&v, kind, {1, 2, 3});
        ASSERT_EQ(cstd_vector__reserve(&v, 16), 0); // in-place shifts
        ASSERT_EQ(cstd_vector__insertElement(&v, 0, src.at(0)), 0);
        EXPECT_EQ(after(cstd_vector__insertElement(&v, 4, src.at(1)), &v), (V{10, 1, 2, 3, 11}));
        ASSERT_EQ(cstd_vector__insert(&v, 2, src.at(), 3), 0);
        ASSERT_EQ(cstd_vector__append(&v, src.at(2), 1), 0);
        EXPECT_EQ(after(cstd_vector__insert(&v, 3, nullptr, 0), &v), (V{10, 1, 10, 11, 12, 2, 3, 11, 12}));
        EXPECT_EQ(v.capacity, 16);

        EXPECT_EQ(after(cstd_vector__erase(&v, 2, 3), &v), (V{10, 1, 2, 3, 11, 12}));
        ASSERT_EQ(cstd_vector__eraseElement(&v, 0), 0);
        ASSERT_EQ(cstd_vector__eraseElement(&v, 4), 0);
        ASSERT_EQ(cstd_vector__popBack(&v), 0);
        EXPECT_EQ(after(cstd_vector__erase(&v, 3, 0), &v), (V{1, 2, 3}));

        // Out of range: refused, nothing changed.
        const auto before = snap(&v);
        EXPECT_EQ(cstd_vector__insertElement(&v, 4, src.at()), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__insertElement(&v, -1, src.at()), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__insert(&v, 0, src.at(), -1), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__insertElement(&v, 0, nullptr), cmath_errNullArgument);
        EXPECT_EQ(cstd_vector__erase(&v, 2, 2), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__erase(&v, -1, 1), cstd_vector_errOutOfRange);
        EXPECT_EQ(cstd_vector__eraseElement(&v, 3), cstd_vector_errOutOfRange);
        EXPECT_TRUE(snap(&v) == before);

        ASSERT_EQ(cstd_vector__clearAndFreeMemory(&v), 0);
        EXPECT_EQ(v.capacity, 0);
        EXPECT_EQ(cstd_vector__popBack(&v), cstd_vector_errOutOfRange);
        cstd_vector__destruct(&v);
    }
}

TEST_F(Vector, SourcesInsideTheVectorItself)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        cstd_vector v, w;
        make(&v, kind, {1, 2, 3, 4});
        ASSERT_EQ(cstd_vector__reserve(&v, 32), 0);
        auto el = [&](int i) { return static_cast<char*>(v.begin) + i * v.elementSize; };
        // The element moves when the tail shifts: the copy must be of the value before.
        EXPECT_EQ(after(cstd_vector__insertElement(&v, 0, el(2)), &v), (V{3, 1, 2, 3, 4}));
        ASSERT_EQ(cstd_vector__insert(&v, 1, el(0), 3), 0);
        EXPECT_EQ(after(cstd_vector__pushBack(&v, el(7)), &v), (V{3, 3, 1, 2, 1, 2, 3, 4, 4}));
        ASSERT_EQ(cstd_vector__assignElements(&v, el(5), 3), 0);
        EXPECT_EQ(after(cstd_vector__resizeFill(&v, 5, el(0)), &v), (V{2, 3, 4, 2, 2}));

        // The same while the storage grows (the old block is read before it is freed).
        ASSERT_EQ(cstd_vector__assignElements(&v, el(0), 2), 0);
        make(&w, kind, {5, 6});
        cstd_vector__swap(&v, &w);
        EXPECT_EQ(values(&w), (V{2, 3}));
        EXPECT_EQ(v.capacity, 2);
        ASSERT_EQ(cstd_vector__pushBack(&v, el(0)), 0);
        EXPECT_EQ(after(cstd_vector__insertElement(&v, 0, el(2)), &v), (V{5, 5, 6, 5}));
        EXPECT_EQ(after(cstd_vector__append(&v, v.begin, 4), &v), (V{5, 5, 6, 5, 5, 5, 6, 5}));
        cstd_vector__destruct(&v);
        cstd_vector__destruct(&w);
    }
}

TEST_F(Vector, ResizeReserveAssignAndSwap)
{
    for (const cstd_vectorVtable* kind : kKinds) {
        const bool boxed = kind == &kBoxed;
        const Elems nine(kind, {9}), two(kind, {4, 5});
        cstd_vector v, w, other;
        make(&v, kind, {1, 2});
        ASSERT_EQ(cstd_vector__resize(&v, 1), 0);
        EXPECT_EQ(after(cstd_vector__resizeFill(&v, 3, nine.at()), &v), (V{1, 9, 9}));
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
        EXPECT_EQ(after(cstd_vector__assign(&v, &v), &v), (V{7, 8, 9, 10}));
        if (!boxed) {
            EXPECT_EQ(v.capacity, 50); // plain elements are copied into the storage in place
        }
        EXPECT_EQ(after(cstd_vector__assignElements(&v, two.at(), 2), &v), (V{4, 5}));
        ASSERT_EQ(cstd_vector__assignElements(&v, nullptr, 0), 0);
        EXPECT_EQ(v.size, 0);

        ASSERT_EQ(cstd_vector__constructWithVtable(&other, 1, 3, nullptr), 0);
        const auto before = snap(&w);
        EXPECT_EQ(cstd_vector__assign(&w, &other), cstd_vector_errElementSize);
        EXPECT_TRUE(snap(&w) == before);
        cstd_vector__swap(&w, &other);
        EXPECT_EQ(w.elementSize, 3);
        EXPECT_EQ(values(&other), (V{7, 8, 9, 10}));
        ASSERT_EQ(cstd_vector__resizeUninit(&w, 3), 0);
        EXPECT_EQ(w.size, 3);
        for (cstd_vector* x : {&other, &w, &v}) {
            cstd_vector__destruct(x);
        }
    }
}

// Element access and iteration: through the typed vectors in tests/containers.
TEST_F(Vector, EqualityUsesTheElementEqualityAndPassesItsFailureUp)
{
    // Equal modulo 10, failing on 99; without an element equality the bytes decide.
    auto mod10 = [](const void* a, const void* b, int32_t* out) -> cmath_status {
        const int32_t x = *static_cast<const int32_t*>(a), y = *static_cast<const int32_t*>(b);
        if (x == 99 || y == 99) {
            return cmath_errFailed;
        }
        *out = x % 10 == y % 10 ? 1 : 0;
        return 0;
    };
    cstd_vector v, tens, bad;
    make(&v, nullptr, {5, 6, 7});
    make(&tens, nullptr, {15, 16, 17});
    make(&bad, nullptr, {5, 99, 7});
    auto eq = [](const cstd_vector* a, const cstd_vector* b, cstd_vectorElementEqual fn) {
        return orbtest::result<int32_t>([&](int32_t* out) { return cstd_vector__compareEqual(a, b, out, fn); });
    };
    EXPECT_EQ(eq(&v, &tens, nullptr), 0);
    EXPECT_EQ(eq(&v, &tens, mod10), 1);
    EXPECT_TRUE(orbtest::refusesWith(cmath_errFailed, int32_t{-5},
                                     [&](int32_t* out) { return cstd_vector__compareEqual(&v, &bad, out, mod10); }));
    for (cstd_vector* x : {&v, &tens, &bad}) {
        cstd_vector__destruct(x);
    }
}

// Boxed elements only: plain ones take the same paths in the typed-vector sweeps of
// tests/reliability, which cover the unconstructed (uninit) forms as well.
TEST_F(Vector, EveryAllocationFailureLeavesTheVectorUnchanged)
{
    const cstd_vectorVtable* kind = &kBoxed;
    const int32_t c = -1; // a constructed element
    const Elems src(kind, {20, 21, 22, 23, 24});
    cstd_vector w;
    make(&w, kind, {7, 8, 9, 10, 11, 12});
    auto full = [&](cstd_vector* v) { make(v, kind, {1, 2, 3, 4}); }; // capacity 4: full
    auto roomy = [&](cstd_vector* v) {
        make(v, kind, {1, 2, 3, 4});
        ASSERT_EQ(cstd_vector__reserve(v, 16), 0);
    };
    const std::pair<std::function<cmath_status(cstd_vector*)>, V> growing[] = {
        {[&](cstd_vector* v) { return cstd_vector__pushBack(v, src.at()); }, {1, 2, 3, 4, 20}},
        {[&](cstd_vector* v) { return cstd_vector__insert(v, 2, src.at(), 3); }, {1, 2, 20, 21, 22, 3, 4}},
        {[&](cstd_vector* v) { return cstd_vector__insertElement(v, 0, v->begin); }, {1, 1, 2, 3, 4}},
        {[&](cstd_vector* v) { return cstd_vector__append(v, src.at(), 5); }, {1, 2, 3, 4, 20, 21, 22, 23, 24}},
        {[&](cstd_vector* v) { return cstd_vector__resize(v, 6); }, {1, 2, 3, 4, c, c}},
        {[&](cstd_vector* v) { return cstd_vector__resizeFill(v, 7, src.at()); }, {1, 2, 3, 4, 20, 20, 20}},
        {[&](cstd_vector* v) { return cstd_vector__reserve(v, 9); }, {1, 2, 3, 4}},
        {[&](cstd_vector* v) { return cstd_vector__assignElements(v, src.at(), 5); }, {20, 21, 22, 23, 24}},
        {[&](cstd_vector* v) { return cstd_vector__assign(v, &w); }, {7, 8, 9, 10, 11, 12}},
    };
    for (const auto& [op, want] : growing) {
        EXPECT_GT(sweep(full, op, want), 0);
    }
    // Element copies allocate: in place they can still fail.
    EXPECT_EQ(sweep(roomy, [&](cstd_vector* v) { return cstd_vector__insert(v, 1, src.at(), 3); },
                    {1, 20, 21, 22, 2, 3, 4}),
              3);
    EXPECT_EQ(sweep(roomy, [&](cstd_vector* v) { return cstd_vector__resizeFill(v, 6, src.at()); },
                    {1, 2, 3, 4, 20, 20}),
              2);
    cstd_vector__destruct(&w);
}

TEST_F(Vector, ConstructorsBuildTheirElementsOrWriteAndLeakNothing)
{
    const cstd_vectorVtable* kind = &kBoxed;
    const Elems src(kind, {1, 2, 3});
    const intptr_t es = src.size();
    cstd_vector source;
    make(&source, kind, {4, 5, 6});
    const std::pair<std::function<cmath_status(cstd_vector*)>, V> ctors[] = {
        {[&](cstd_vector* v) { return cstd_vector__constructWithVtable(v, 3, es, kind); }, V{-1, -1, -1}},
        {[&](cstd_vector* v) { return cstd_vector__constructFillWithVtable(v, 2, es, src.at(), kind); }, V{1, 1}},
        {[&](cstd_vector* v) { return cstd_vector__constructFromBlockWithVtable(v, es, src.at(), 3, kind); },
         V{1, 2, 3}},
        {[&](cstd_vector* v) { return cstd_vector__constructCopy(v, &source); }, V{4, 5, 6}},
        {[&](cstd_vector* v) { return cstd_vector__constructWithVtableWithMtable(v, 3, es, kind, &source); },
         V{-1, -1, -1}},
    };
    for (const auto& entry : ctors) {
        const auto& ctor = entry.first; // (a structured binding could not be captured below)
        const V& want = entry.second;
        const int covered = orbtest::sweepAllocations([&](bool) {
            cstd_vector v;
            std::memset(&v, 0xCD, sizeof v);
            const cstd_vector sentinel = v;
            const cmath_status st = ctor(&v);
            if (st < 0) {
                EXPECT_EQ(std::memcmp(&v, &sentinel, sizeof v), 0);
            } else {
                EXPECT_EQ(values(&v), want);
                EXPECT_EQ(v.capacity, static_cast<intptr_t>(want.size()));
                cstd_vector__destruct(&v);
            }
            return st;
        });
        // One block for the storage, one per boxed element.
        EXPECT_EQ(covered, 1 + static_cast<int>(want.size()));
    }
    cstd_vector__destruct(&source);
}
