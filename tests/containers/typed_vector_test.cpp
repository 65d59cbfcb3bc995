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
