// Typed vectors of statistics records and of one-dimensional vectors, both families through the
// same typed tests: what the typed layer adds to the generic vector (element size and table, each
// forward reaching its generic operation, heap objects, type names, the vect1 equality). The
// generic behaviour: tests/support; allocation failures of every typed operation: tests/reliability.
#include "fault.h"
#include "typed_family.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using orbtest::StatisticsFamily;
using orbtest::Vect1Family;

template <class F>
class TypedVector : public ::testing::Test {};
using Families = ::testing::Types<StatisticsFamily, Vect1Family>;
TYPED_TEST_SUITE(TypedVector, Families);

constexpr int kZero = -1000; // elements T{} instead of make(from + i)

// Whether [b, e) holds make(from), make(from + 1), ... (count of them).
template <class F>
bool holds(const typename F::T* b, const typename F::T* e, int from, int count)
{
    bool ok = e - b == count;
    for (int i = 0; ok && i < count; ++i) {
        ok = F::same(b[i], from == kZero ? typename F::T{} : F::make(from + i));
    }
    return ok;
}

template <class F>
bool holds(const typename F::Vec* v, int from, int count)
{
    const typename F::T *b = nullptr, *e = nullptr;
    return F::getBeginEndConst(v, &b, &e) == 0 && holds<F>(b, e, from, count);
}

template <class F>
bool holds(const typename F::Sh* s, int from, int count)
{
    const typename F::T *b = nullptr, *e = nullptr;
    return F::shGetBeginEndConst(s, &b, &e) == 0 && holds<F>(b, e, from, count);
}

template <class F>
std::vector<typename F::T> seq(int from, int count)
{
    std::vector<typename F::T> r;
    for (int i = 0; i < count; ++i) {
        r.push_back(F::make(from + i));
    }
    return r;
}

} // namespace

TYPED_TEST(TypedVector, ConstructorsAndEveryAccessor)
{
    using F = TypeParam;
    using T = typename F::T;
    const std::vector<T> block = seq<F>(1, 5);
    const int marker = 0;
    typename F::Vec v[8];
    ASSERT_TRUE(F::construct(&v[0], 4) == 0 && F::constructEmpty(&v[1]) == 0 && F::constructUninit(&v[2], 3) == 0);
    ASSERT_TRUE(F::constructWithMtable(&v[3], 2, &marker) == 0 && F::constructEmptyWithMtable(&v[4], &marker) == 0);
    ASSERT_TRUE(F::constructFill(&v[5], 1, &block[3]) == 0 && F::constructFromBlock(&v[6], block.data(), 5) == 0);
    ASSERT_EQ(F::constructCopy(&v[7], &v[6]), 0);
    const int32_t sizes[] = {4, 0, 3, 2, 0, 1, 5, 5};
    for (int i = 0; i < 8; ++i) { // one static table of null entries per family
        const cstd_vectorVtable* t = v[i].vector.vtable;
        EXPECT_TRUE(v[i].vector.size == sizes[i] && v[i].vector.elementSize == static_cast<intptr_t>(sizeof(T)));
        ASSERT_TRUE(t != nullptr && t == v[0].vector.vtable && !t->construct && !t->constructCopy && !t->destruct &&
                    !t->assign && !t->relocate);
    }
    EXPECT_TRUE(holds<F>(&v[0], kZero, 4) && holds<F>(&v[3], kZero, 2) && holds<F>(&v[5], 4, 1));
    EXPECT_TRUE(holds<F>(&v[6], 1, 5) && holds<F>(&v[7], 1, 5));
    EXPECT_TRUE(v[3].vector.mtable == &marker && v[4].vector.mtable == &marker);

    // Each accessor reaches its generic operation; failures write nothing.
    typename F::Vec& w = v[6];
    ASSERT_EQ(F::reserve(&w, 9), 0);
    T* b = static_cast<T*>(w.vector.begin);
    T *p = nullptr, *q = nullptr;
    const T *c = nullptr, *d = nullptr;
    int32_t n = -1;
    intptr_t m = -1;
    EXPECT_TRUE(F::getBegin(&w, &p) == 0 && p == b && F::getBeginConst(&w, &c) == 0 && c == b);
    EXPECT_TRUE(F::getBeginEnd(&w, &p, &q) == 0 && p == b && q == b + 5);
    EXPECT_TRUE(F::getBeginEndConst(&w, &c, &d) == 0 && c == b && d == b + 5);
    EXPECT_TRUE((p = nullptr, F::getBeginSize(&w, &p, &n)) == 0 && p == b && n == 5);
    EXPECT_TRUE((c = nullptr, n = -1, F::getBeginSizeConst(&w, &c, &n)) == 0 && c == b && n == 5);
    EXPECT_TRUE((p = nullptr, n = -1, F::getBeginSize32(&w, &p, &n)) == 0 && p == b && n == 5);
    EXPECT_TRUE((c = nullptr, n = -1, F::getBeginSize32Const(&w, &c, &n)) == 0 && c == b && n == 5);
    EXPECT_TRUE((p = nullptr, F::getBeginSizeIntPtr(&w, &p, &m)) == 0 && p == b && m == 5);
    EXPECT_TRUE((c = nullptr, m = -1, F::getBeginSizeIntPtrConst(&w, &c, &m)) == 0 && c == b && m == 5);
    EXPECT_TRUE((n = -1, F::getSize(&w, &n)) == 0 && n == 5 && (n = -1, F::getSize32(&w, &n)) == 0 && n == 5);
    EXPECT_TRUE((m = -1, F::getSizeIntPtr(&w, &m)) == 0 && m == 5 && F::getCapacity(&w, &m) == 0 && m == 9);
    EXPECT_TRUE(F::getElementSize(&w, &m) == 0 && m == static_cast<intptr_t>(sizeof(T)));
    EXPECT_TRUE(F::getElement(&w, 4, &p) == 0 && p == b + 4 && F::getElementConst(&w, 2, &c) == 0 && c == b + 2);
    EXPECT_TRUE(F::getNextElement(&w, nullptr, &p) == 0 && p == b && F::getNextElement(&w, b + 3, &p) == 0 &&
                p == b + 4 && F::getNextElementConst(&w, b + 4, &c) == 0 && c == nullptr);
    T sentinel{};
    p = &sentinel, c = &sentinel;
    EXPECT_EQ(F::getElement(&w, 5, &p), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getElementConst(&w, -1, &c), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getNextElement(&w, &sentinel, &p), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getNextElementConst(&w, b + 5, &c), cstd_vector_errOutOfRange); // the end is no element
    EXPECT_EQ(F::getNextElementConst(&w, reinterpret_cast<const T*>(reinterpret_cast<const char*>(b) + 1), &c),
              cstd_vector_errOutOfRange);
    EXPECT_TRUE(p == &sentinel && c == &sentinel);

    // The removing forwards and swap (the others: with their allocation failures in tests/reliability).
    EXPECT_TRUE(F::erase(&w, 1, 2) == 0 && F::eraseElement(&w, 0) == 0 && F::popBack(&w) == 0 && holds<F>(&w, 4, 1));
    EXPECT_TRUE(F::swap(&w, &v[7]) == 0 && holds<F>(&w, 1, 5) && holds<F>(&v[7], 4, 1) && v[7].vector.capacity == 9);
    EXPECT_TRUE(F::clear(&v[7]) == 0 && v[7].vector.size == 0 && v[7].vector.capacity == 9);
    EXPECT_TRUE(F::clearAndFreeMemory(&v[7]) == 0 && v[7].vector.capacity == 0 && v[7].vector.begin == nullptr);
    F::unused(); // harmless: every generic operation refuses its null arguments
    for (auto& x : v) {
        EXPECT_EQ(F::destruct(&x), 0);
    }
}

TYPED_TEST(TypedVector, ShareableForwardsTypeNamesAndHeapObjects)
{
    using F = TypeParam;
    using T = typename F::T;
    const std::vector<T> e = seq<F>(0, 4);
    typename F::Sh a, b, c, *h = nullptr;
    typename F::Vec plain;
    ASSERT_TRUE(F::shConstruct(&a, 3) == 0 && F::shConstructEmpty(&b) == 0);
    EXPECT_TRUE(a.shareable.vector.vtable == b.shareable.vector.vtable && a.shareable.vector.vtable != nullptr);
    EXPECT_TRUE(a.shareable.shared.outer == &a && holds<F>(&a, kZero, 3));
    int32_t n = -1;
    intptr_t m = -1;
    EXPECT_TRUE(F::shGetSize(&a, &n) == 0 && n == 3 && F::shGetElementSize(&b, &m) == 0 &&
                m == static_cast<intptr_t>(sizeof(T)));
    ASSERT_TRUE(F::constructFromBlock(&plain, e.data(), 4) == 0 && F::shConstructVector(&c, &plain) == 0);
    ASSERT_TRUE(F::shAssignVector(&a, &plain) == 0 && F::assignElements(&plain, e.data(), 1) == 0);
    EXPECT_TRUE(holds<F>(&a, 0, 4) && holds<F>(&c, 0, 4)); // copies of the plain vector
    ASSERT_TRUE(F::shPushBack(&b, &e[2]) == 0 && F::shAssign(&a, &b) == 0 && holds<F>(&a, 2, 1));
    ASSERT_TRUE(F::shAssignElements(&a, &e[1], 3) == 0 && F::shResize(&a, 2) == 0 && F::shReserve(&a, 64) == 0);
    EXPECT_TRUE(holds<F>(&a, 1, 2) && F::shGetCapacity(&a, &m) == 0 && m == 64);
    T *p = nullptr, *q = nullptr;
    const T* k = nullptr;
    EXPECT_TRUE(F::shGetBeginSize(&a, &p, &n) == 0 && n == 2 && p == a.shareable.vector.begin);
    EXPECT_TRUE((n = -1, F::shGetBeginSizeConst(&a, &k, &n)) == 0 && n == 2 && k == p);
    EXPECT_TRUE(F::shGetBeginEnd(&a, &q, &p) == 0 && p == q + 2);
    EXPECT_TRUE(F::shReset(&a) == 0 && F::shGetCapacity(&a, &m) == 0 && m == 0);

    // Copies carry the family's table and equality (which decides, else the element bytes).
    ASSERT_TRUE(F::shNewClone(&h, &c) == 0 && F::shNewClone(&h, h) == 0 && holds<F>(h, 0, 4));
    EXPECT_TRUE(h->shareable.shared.typeTable == c.shareable.shared.typeTable &&
                h->shareable.equal == c.shareable.equal);
    int32_t equal = -1;
    EXPECT_TRUE(cstd_vectorShareable_compareEqual(&h->shareable, &c.shareable, &equal) == 0 && equal == 1);
    EXPECT_TRUE(cstd_vectorShareable_compareEqual(&b.shareable, &c.shareable, &equal) == 0 && equal == 0);
    ASSERT_TRUE(F::shDelete(&h) == 0 && h == nullptr && F::shNew(&h) == 0);
    cstd_ptrh handle; // a handle may take a heap object over; its last release frees the block
    ASSERT_TRUE(cstd_ptrh_construct(&handle, &h->shareable.shared) == 0 && cstd_ptrh_destruct(&handle) == 0);

    // Type names: the family's own, then the generic ones; near misses and the other family's name.
    const char16_t *name = nullptr, *viaShared = nullptr, *viaGeneric = nullptr;
    ASSERT_EQ(F::shGetTypename(nullptr, &name), 0); // the object is not read
    EXPECT_TRUE(cstd_typename_equal(name, F::name) && cstd_shared_getTypename(&c.shareable.shared, &viaShared) == 0 &&
                cstd_vectorShareable_getTypename(&c.shareable, &viaGeneric) == 0 && viaShared == name &&
                viaGeneric == name);
    const char16_t* other = std::is_same_v<F, StatisticsFamily> ? Vect1Family::name : StatisticsFamily::name;
    const struct {
        const char16_t* name;
        void* want;
    } names[] = {{F::name, &c}, {u"cstd_vectorShareable", &c}, {u"cstd_shared", &c.shareable.shared},
                 {F::prefix, nullptr}, {u"cstd_vector_cmath_statisticsshareable", nullptr}, {other, nullptr}};
    using Query = cmath_status (*)(typename F::Sh*, const char16_t*, void**);
    for (Query query : {Query(F::shQuery), Query(F::shQueryFinal), Query(F::shQueryFinal_)}) {
        void* out = &c;
        for (const auto& x : names) {
            EXPECT_TRUE((out = &c, query(&c, x.name, &out)) == 0 && out == x.want);
        }
        EXPECT_TRUE((out = &c, query(nullptr, F::name, &out)) == 0 && out == nullptr);
    }
    // The generic level: the full query goes through the family's table, the final one does not.
    void* out = nullptr;
    EXPECT_TRUE(cstd_vectorShareable_queryInterfaceByTypename(&c.shareable, F::name, &out) == 0 && out == &c);
    EXPECT_TRUE(cstd_vectorShareable_queryInterfaceByTypenameFinal(&c.shareable, F::name, &out) == 0 && !out);
    for (auto* s : {&a, &b, &c}) {
        EXPECT_EQ(F::shDestruct(s), 0);
    }
    EXPECT_EQ(F::destruct(&plain), 0);
}

TEST(Vect1Vector, TheElementEqualityDecidesNotTheBytes)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        cmath_vect1 a, b;
        int32_t equal;
    } cases[] = {{{0.0}, {-0.0}, 1}, {{nan}, {nan}, 0}, {{1.5}, {1.5}, 1}, {{1.5}, {-1.5}, 0}};
    for (const auto& c : cases) {
        cstd_vector_cmath_vect1Shareable a, b;
        ASSERT_TRUE(Vect1Family::shConstructEmpty(&a) == 0 && Vect1Family::shAssignElements(&a, &c.a, 1) == 0);
        ASSERT_TRUE(Vect1Family::shConstructEmpty(&b) == 0 && Vect1Family::shAssignElements(&b, &c.b, 1) == 0);
        int32_t typed = -1, generic = -1;
        EXPECT_TRUE(cstd_vector_cmath_vect1Shareable_compareEqual(&a, &b, &typed) == 0 && typed == c.equal);
        EXPECT_TRUE(cstd_vectorShareable_compareEqual(&a.shareable, &b.shareable, &generic) == 0 && generic == c.equal);
        EXPECT_TRUE(Vect1Family::shDestruct(&a) == 0 && Vect1Family::shDestruct(&b) == 0);
    }
}
