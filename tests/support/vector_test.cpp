// The generic vector on three element kinds: plain int32, int32 with a destructor that only
// counts, and "boxed" elements whose copies allocate (so that they can fail as well). Every
// operation is a row run on each kind, with sources outside and inside the vector; on the boxed
// kind every allocation failure must leave the vector exactly as it was.
#include "fault.h"
#include "orbtest_a.h"

#include <cstring>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

namespace {

// ---- a boxed element: one int32 in a block of its own ----------------------------------
struct Boxed {
    int32_t* p;
};
int g_live = 0;      // boxed elements alive
int g_destroyed = 0; // counted elements destroyed

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
const cstd_vectorVtable kCounted = {nullptr, nullptr, [](void*) { ++g_destroyed; }, nullptr, nullptr};
const cstd_vectorVtable* const kKinds[] = {nullptr, &kCounted, &kBoxed};

using V = std::vector<int32_t>;
constexpr int32_t D = INT32_MIN; // stands for a default-constructed element: 0, or -1 when boxed

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

// Storage, size, capacity and elements: what a refused or failed operation must not change.
auto snap(const cstd_vector* v) { return std::make_tuple(v->begin, v->size, v->capacity, values(v)); }

// A vector of the given kind holding `init`, built by pushing back, with room for `reserve`.
void make(cstd_vector* v, const cstd_vectorVtable* kind, const V& init, int32_t reserve = 0)
{
    const Elems e(kind, init);
    ASSERT_EQ(cstd_vector__constructWithVtable(v, 0, e.size(), kind), 0);
    for (size_t i = 0; i < e.raw.size(); ++i) {
        ASSERT_EQ(cstd_vector__pushBack(v, e.at(i)), 0);
    }
    ASSERT_EQ(cstd_vector__reserve(v, reserve), 0);
}

void* el(cstd_vector* v, intptr_t i) { return static_cast<char*>(v->begin) + i * v->elementSize; }

// v becomes a copy of another vector: of its kind holding the source elements, or of wider ones.
cmath_status assignFrom(cstd_vector* v, const Elems& s, bool wider)
{
    cstd_vector w;
    cmath_status st = wider ? cstd_vector__constructWithVtable(&w, 1, s.size() + 1, nullptr)
                            : cstd_vector__constructFromBlockWithVtable(&w, s.size(), s.at(), 5, v->vtable);
    if (st >= 0) {
        st = cstd_vector__assign(v, &w);
        cstd_vector__destruct(&w);
    }
    return st;
}

// A constructor run on a sentinel-filled vector that must stay untouched when it fails; what it
// builds replaces v's elements (so that the table below checks them).
template <class Ctor>
cmath_status construct(cstd_vector* v, Ctor ctor)
{
    cstd_vector w, sentinel;
    std::memset(&w, 0xCD, sizeof w);
    sentinel = w;
    const cmath_status st = ctor(&w);
    if (st < 0) {
        EXPECT_EQ(std::memcmp(&w, &sentinel, sizeof w), 0);
        return st;
    }
    EXPECT_TRUE(w.capacity == w.size && w.elementSize == v->elementSize && w.vtable == v->vtable);
    cstd_vector__swap(v, &w);
    return cstd_vector__destruct(&w);
}

// Every test leaves no boxed element alive.
class Vector : public ::testing::Test {
    void TearDown() override { EXPECT_EQ(g_live, 0); }
};

#define OP(...) [](cstd_vector * v, [[maybe_unused]] const Elems& s) { return __VA_ARGS__; }
#define CTOR(...) OP(construct(v, [&](cstd_vector* w) { return __VA_ARGS__; }))
const int kMethods = 42;

} // namespace

TEST_F(Vector, EveryModifierOnEachKindAndUnderEveryAllocationFailure)
{
    constexpr cmath_status R = cstd_vector_errOutOfRange;
    // The elements, the capacity reserved, the operation (s holds 20, 21, 22, 23, 24), its
    // status and the elements after it (refusals leave the vector exactly as it was).
    const struct {
        V init;
        int32_t reserve;
        cmath_status (*op)(cstd_vector*, const Elems&);
        cmath_status st;
        V want;
    } rows[] = {
        {{1, 2, 3}, 16, OP(cstd_vector__insertElement(v, 0, s.at(0))), 0, {20, 1, 2, 3}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__insertElement(v, 4, s.at(1))), 0, {1, 2, 3, 4, 21}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__insert(v, 2, s.at(), 3)), 0, {1, 2, 20, 21, 22, 3, 4}},
        {{1, 2, 3, 4}, 16, OP(cstd_vector__insert(v, 1, s.at(), 3)), 0, {1, 20, 21, 22, 2, 3, 4}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__append(v, s.at(), 5)), 0, {1, 2, 3, 4, 20, 21, 22, 23, 24}},
        {{1, 2, 3}, 0, OP(cstd_vector__insert(v, 3, nullptr, 0)), 0, {1, 2, 3}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__pushBack(v, s.at())), 0, {1, 2, 3, 4, 20}},
        {{}, 0, OP(cstd_vector__pushBack(v, s.at(2))), 0, {22}},
        {{1, 2, 3, 4, 5}, 0, OP(cstd_vector__erase(v, 1, 3)), 0, {1, 5}},
        {{1, 2, 3}, 0, OP(cstd_vector__erase(v, 3, 0)), 0, {1, 2, 3}},
        {{1, 2, 3}, 0, OP(cstd_vector__eraseElement(v, 0)), 0, {2, 3}},
        {{1, 2, 3}, 0, OP(cstd_vector__eraseElement(v, 2)), 0, {1, 2}},
        {{1, 2, 3}, 0, OP(cstd_vector__popBack(v)), 0, {1, 2}},
        {{1, 2, 3}, 0, OP(cstd_vector__clear(v)), 0, {}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__resize(v, 1)), 0, {1}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__resize(v, 6)), 0, {1, 2, 3, 4, D, D}},
        {{1, 2}, 0, OP(cstd_vector__resizeFill(v, 4, s.at())), 0, {1, 2, 20, 20}},
        {{1, 2, 3, 4}, 16, OP(cstd_vector__resizeFill(v, 6, s.at())), 0, {1, 2, 3, 4, 20, 20}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__reserve(v, 9)), 0, {1, 2, 3, 4}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__assignElements(v, s.at(), 5)), 0, {20, 21, 22, 23, 24}},
        {{1, 2, 3, 4}, 16, OP(cstd_vector__assignElements(v, s.at(), 2)), 0, {20, 21}},
        {{1, 2}, 0, OP(cstd_vector__assignElements(v, nullptr, 0)), 0, {}},
        {{1, 2, 3}, 0, OP(assignFrom(v, s, false)), 0, {20, 21, 22, 23, 24}},
        {{1, 2, 3}, 0, OP(cstd_vector__assign(v, v)), 0, {1, 2, 3}},
        // Constructors (into a fresh vector whose elements then replace v's).
        {{1}, 0, CTOR(cstd_vector__constructWithVtable(w, 3, v->elementSize, v->vtable)), 0, {D, D, D}},
        {{1}, 0, CTOR(cstd_vector__constructFillWithVtable(w, 2, v->elementSize, s.at(1), v->vtable)), 0, {21, 21}},
        {{1}, 0, CTOR(cstd_vector__constructFromBlockWithVtable(w, v->elementSize, s.at(), 3, v->vtable)), 0,
         {20, 21, 22}},
        {{4, 5, 6}, 0, CTOR(cstd_vector__constructCopy(w, v)), 0, {4, 5, 6}},
        {{1}, 0, CTOR(cstd_vector__constructWithVtableWithMtable(w, 2, v->elementSize, v->vtable, &kMethods)), 0,
         {D, D}},
        {{1}, 0, CTOR(cstd_vector__constructWithVtable(w, -1, v->elementSize, v->vtable)), R, {}},
        {{1}, 0, CTOR(cstd_vector__constructWithVtable(w, 1, 0, v->vtable)), R, {}},
        {{1}, 0, CTOR(cstd_vector__constructFromBlockWithVtable(w, v->elementSize, nullptr, 2, v->vtable)),
         cmath_errNullArgument, {}},
        // Sources inside the vector: the copy is of the value before anything moves or is freed.
        {{1, 2, 3, 4}, 16, OP(cstd_vector__insertElement(v, 0, el(v, 2))), 0, {3, 1, 2, 3, 4}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__insertElement(v, 0, el(v, 2))), 0, {3, 1, 2, 3, 4}},
        {{1, 2, 3, 4}, 16, OP(cstd_vector__insert(v, 1, el(v, 0), 3)), 0, {1, 1, 2, 3, 2, 3, 4}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__append(v, v->begin, 4)), 0, {1, 2, 3, 4, 1, 2, 3, 4}},
        {{1, 2, 3, 4}, 16, OP(cstd_vector__pushBack(v, el(v, 3))), 0, {1, 2, 3, 4, 4}},
        {{1, 2, 3, 4}, 0, OP(cstd_vector__pushBack(v, el(v, 0))), 0, {1, 2, 3, 4, 1}},
        {{1, 2, 3, 4}, 16, OP(cstd_vector__assignElements(v, el(v, 1), 3)), 0, {2, 3, 4}},
        {{1, 2, 3}, 16, OP(cstd_vector__resizeFill(v, 5, el(v, 0))), 0, {1, 2, 3, 1, 1}},
        // Refusals.
        {{1, 2, 3}, 0, OP(cstd_vector__insertElement(v, 4, s.at())), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__insertElement(v, -1, s.at())), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__insert(v, 0, s.at(), -1)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__insert(v, 0, nullptr, 2)), cmath_errNullArgument, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__erase(v, 2, 2)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__erase(v, -1, 1)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__erase(v, 1, -1)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__eraseElement(v, 3)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__eraseElement(v, -1)), R, {}},
        {{}, 0, OP(cstd_vector__popBack(v)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__resize(v, -1)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__reserve(v, -1)), R, {}},
        {{1, 2, 3}, 0, OP(cstd_vector__assignElements(v, s.at(), -1)), R, {}},
        {{1, 2, 3}, 0, OP(assignFrom(v, s, true)), cstd_vector_errElementSize, {}},
    };
    for (const cstd_vectorVtable* kind : kKinds) {
        const Elems src(kind, {20, 21, 22, 23, 24});
        for (size_t k = 0; k < std::size(rows); ++k) {
            const auto& row = rows[k];
            V want = row.st < 0 ? row.init : row.want;
            for (int32_t& x : want) {
                x = x == D ? (kind == &kBoxed ? -1 : 0) : x;
            }
            cstd_vector v;
            make(&v, kind, row.init, row.reserve);
            const auto before = snap(&v);
            EXPECT_TRUE(row.op(&v, src) == row.st && values(&v) == want && (row.st >= 0 || snap(&v) == before))
                << "row " << k;
            cstd_vector__destruct(&v);
            if (kind != &kBoxed || row.st < 0) {
                continue;
            }
            orbtest::sweepPrepared([&]() {
                auto w = std::make_shared<cstd_vector>();
                make(w.get(), kind, row.init, row.reserve);
                const auto start = snap(w.get());
                const int live = g_live;
                return orbtest::Trial{[&row, &src, w]() { return row.op(w.get(), src); },
                                      [w, start, live]() { EXPECT_TRUE(snap(w.get()) == start && g_live == live); },
                                      [w, &want]() { EXPECT_EQ(values(w.get()), want); },
                                      [w]() { cstd_vector__destruct(w.get()); }};
            });
        }
    }
}

TEST_F(Vector, CapacityGrowthSwapAndDestroyedElements)
{
    cstd_vector v, w;
    make(&v, nullptr, {});
    intptr_t last = 0;
    for (int32_t i = 0; i < 100; ++i) {
        ASSERT_EQ(cstd_vector__pushBack(&v, &i), 0);
        EXPECT_TRUE(v.capacity == last || v.capacity >= 2 * last) << i; // at least doubling
        last = v.capacity;
    }
    void* begin = v.begin;
    EXPECT_TRUE(cstd_vector__reserve(&v, 50) == 0 && v.begin == begin && v.capacity == last); // never shrinks
    EXPECT_TRUE(cstd_vector__reserve(&v, 300) == 0 && v.capacity == 300 && v.size == 100);
    EXPECT_TRUE(cstd_vector__clear(&v) == 0 && v.size == 0 && v.capacity == 300);
    // With room, insertions shift in place: the storage stays (for sources outside the vector).
    const int32_t three[] = {1, 2, 3};
    begin = v.begin;
    EXPECT_TRUE(cstd_vector__insert(&v, 0, three, 3) == 0 && cstd_vector__insertElement(&v, 1, three) == 0 &&
                cstd_vector__resizeFill(&v, 6, three) == 0 && v.begin == begin && values(&v) == (V{1, 1, 2, 3, 1, 1}));
    make(&w, &kCounted, {5, 6});
    EXPECT_EQ(cstd_vector__swap(&v, &w), 0);
    EXPECT_TRUE(values(&v) == (V{5, 6}) && v.vtable == &kCounted && w.capacity == 300 && w.vtable == nullptr);
    EXPECT_TRUE(cstd_vector__clearAndFreeMemory(&w) == 0 && w.capacity == 0 && w.begin == nullptr);

    // Elements with a destructor are rebuilt in new storage, the old ones destroyed.
    g_destroyed = 0;
    const int32_t two[] = {7, 8};
    EXPECT_TRUE(cstd_vector__assignElements(&v, two, 2) == 0 && g_destroyed == 2 && values(&v) == (V{7, 8}));
    EXPECT_TRUE(cstd_vector__destruct(&v) == 0 && g_destroyed == 4 && v.begin == nullptr && v.size == 0);
    EXPECT_EQ((std::memset(&v, 0, sizeof v), cstd_vector__destruct(&v)), 0); // a zero-filled vector may be destructed
    ASSERT_EQ(cstd_vector__constructWithVtableWithMtable(&v, 1, 4, nullptr, &kMethods), 0);
    EXPECT_EQ(orbtest::result<const void*>(cstd_vector__getMethodTable, &v), &kMethods);
    ASSERT_TRUE(cstd_vector__constructCopy(&w, &v) == 0 && w.mtable == &kMethods);
    EXPECT_TRUE(cstd_vector__destruct(&v) == 0 && cstd_vector__destruct(&w) == 0);
}

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
    cstd_vector v, tens, bad, shorter, wide;
    make(&v, nullptr, {5, 6, 7});
    make(&tens, nullptr, {15, 16, 17});
    make(&bad, nullptr, {5, 99, 7});
    make(&shorter, nullptr, {5, 6});
    const int32_t nine[9] = {5, 6, 7};
    ASSERT_EQ(cstd_vector__constructFromBlockWithVtable(&wide, 12, nine, 3, nullptr), 0); // as many, wider
    auto eq = [](const cstd_vector* a, const cstd_vector* b, cstd_vectorElementEqual fn) {
        return orbtest::result<int32_t>([&](int32_t* out) { return cstd_vector__compareEqual(a, b, out, fn); });
    };
    EXPECT_TRUE(eq(&v, &tens, nullptr) == 0 && eq(&v, &tens, mod10) == 1 && eq(&v, &v, nullptr) == 1);
    EXPECT_TRUE(eq(&v, &shorter, mod10) == 0 && eq(&shorter, &v, nullptr) == 0 && eq(&wide, &wide, nullptr) == 1);
    EXPECT_TRUE(eq(&wide, &v, nullptr) == 0);
    EXPECT_TRUE(orbtest::refusesWith(cmath_errFailed, int32_t{-5},
                                     [&](int32_t* out) { return cstd_vector__compareEqual(&v, &bad, out, mod10); }));
    for (cstd_vector* x : {&v, &tens, &bad, &shorter, &wide}) {
        cstd_vector__destruct(x);
    }
}
