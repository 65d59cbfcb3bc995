// Typed vectors of statistics records and of one-dimensional vectors, both families through the
// same typed tests. Allocation failures of every typed operation: tests/reliability.
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

template <class F>
std::vector<typename F::T> seq(int from, int count)
{
    std::vector<typename F::T> r;
    for (int i = 0; i < count; ++i) {
        r.push_back(F::make(from + i));
    }
    return r;
}

// Whether [b, e) holds exactly `want`.
template <class F, class T>
bool holds(const T* b, const T* e, const std::vector<T>& want)
{
    bool ok = e - b == static_cast<ptrdiff_t>(want.size());
    for (size_t i = 0; ok && i < want.size(); ++i) {
        ok = F::same(b[i], want[i]);
    }
    return ok;
}

template <class F, class T>
bool holds(const typename F::Vec* v, const std::vector<T>& want)
{
    const T *b = nullptr, *e = nullptr;
    return F::getBeginEndConst(v, &b, &e) == 0 && holds<F>(b, e, want);
}

template <class F, class T>
bool holds(const typename F::Sh* s, const std::vector<T>& want)
{
    const T *b = nullptr, *e = nullptr;
    return F::shGetBeginEndConst(s, &b, &e) == 0 && holds<F>(b, e, want);
}

} // namespace

TYPED_TEST(TypedVector, ConstructorsFixTheElementSizeAndAPlainElementTable)
{
    using F = TypeParam;
    using T = typename F::T;
    const std::vector<T> block = seq<F>(1, 3), zeros(4, T{});
    const T fill = F::make(7);
    const int marker = 0;
    typename F::Vec v[8];
    ASSERT_EQ(F::construct(&v[0], 4), 0);
    ASSERT_EQ(F::constructEmpty(&v[1]), 0);
    ASSERT_EQ(F::constructUninit(&v[2], 3), 0);
    ASSERT_EQ(F::constructWithMtable(&v[3], 2, &marker), 0);
    ASSERT_EQ(F::constructEmptyWithMtable(&v[4], &marker), 0);
    ASSERT_EQ(F::constructFill(&v[5], 5, &fill), 0);
    ASSERT_EQ(F::constructFromBlock(&v[6], block.data(), 3), 0);
    ASSERT_EQ(F::constructCopy(&v[7], &v[6]), 0);
    const int32_t sizes[] = {4, 0, 3, 2, 0, 5, 3, 3};
    for (int i = 0; i < 8; ++i) {
        const cstd_vectorVtable* table = v[i].vector.vtable;
        EXPECT_TRUE(v[i].vector.size == sizes[i] && v[i].vector.elementSize == static_cast<intptr_t>(sizeof(T)));
        ASSERT_TRUE(table != nullptr && table == v[0].vector.vtable) << "one static table per family";
        EXPECT_TRUE(table->construct == nullptr && table->constructCopy == nullptr && table->destruct == nullptr &&
                    table->assign == nullptr && table->relocate == nullptr);
    }
    EXPECT_TRUE(holds<F>(&v[0], zeros) && holds<F>(&v[3], std::vector<T>(2, T{})));
    EXPECT_TRUE(v[3].vector.mtable == &marker && v[4].vector.mtable == &marker);
    EXPECT_TRUE(holds<F>(&v[5], std::vector<T>(5, fill)) && holds<F>(&v[6], block) && holds<F>(&v[7], block));
    for (auto& x : v) {
        EXPECT_EQ(F::destruct(&x), 0);
    }
}

TYPED_TEST(TypedVector, EveryAccessorAndSize)
{
    using F = TypeParam;
    using T = typename F::T;
    typename F::Vec v;
    ASSERT_EQ(F::constructFromBlock(&v, seq<F>(-2, 5).data(), 5), 0);
    ASSERT_EQ(F::reserve(&v, 9), 0);
    T* b = static_cast<T*>(v.vector.begin);
    T *p = nullptr, *q = nullptr;
    const T *c = nullptr, *d = nullptr;
    int32_t n = -1;
    intptr_t m = -1;
    EXPECT_TRUE(F::getBegin(&v, &p) == 0 && p == b);
    EXPECT_TRUE(F::getBeginConst(&v, &c) == 0 && c == b);
    EXPECT_TRUE(F::getBeginEnd(&v, &p, &q) == 0 && p == b && q == b + 5);
    EXPECT_TRUE(F::getBeginEndConst(&v, &c, &d) == 0 && c == b && d == b + 5);
    p = nullptr, c = nullptr, n = -1;
    EXPECT_TRUE(F::getBeginSize(&v, &p, &n) == 0 && p == b && n == 5);
    EXPECT_TRUE((n = -1, F::getBeginSizeConst(&v, &c, &n)) == 0 && c == b && n == 5);
    p = nullptr, c = nullptr, n = -1;
    EXPECT_TRUE(F::getBeginSize32(&v, &p, &n) == 0 && p == b && n == 5);
    EXPECT_TRUE((n = -1, F::getBeginSize32Const(&v, &c, &n)) == 0 && c == b && n == 5);
    p = nullptr, c = nullptr;
    EXPECT_TRUE(F::getBeginSizeIntPtr(&v, &p, &m) == 0 && p == b && m == 5);
    EXPECT_TRUE((m = -1, F::getBeginSizeIntPtrConst(&v, &c, &m)) == 0 && c == b && m == 5);
    EXPECT_TRUE((n = -1, F::getSize(&v, &n)) == 0 && n == 5 && (n = -1, F::getSize32(&v, &n)) == 0 && n == 5);
    EXPECT_TRUE((m = -1, F::getSizeIntPtr(&v, &m)) == 0 && m == 5 && F::getCapacity(&v, &m) == 0 && m == 9);
    EXPECT_TRUE(F::getElementSize(&v, &m) == 0 && m == static_cast<intptr_t>(sizeof(T)));
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(F::getElement(&v, i, &p) == 0 && p == b + i && F::getElementConst(&v, i, &c) == 0 && c == b + i);
    }
    // Iteration from null to null visits every element once, in order.
    std::vector<T*> seen;
    for (p = nullptr; F::getNextElement(&v, p, &p) == 0 && p != nullptr;) {
        seen.push_back(p);
    }
    EXPECT_EQ(seen, (std::vector<T*>{b, b + 1, b + 2, b + 3, b + 4}));
    EXPECT_TRUE(F::getNextElementConst(&v, b + 3, &c) == 0 && c == b + 4);
    EXPECT_TRUE(F::getNextElementConst(&v, b + 4, &c) == 0 && c == nullptr);

    // Failures write nothing.
    T sentinel{};
    p = &sentinel, c = &sentinel;
    EXPECT_EQ(F::getElement(&v, 5, &p), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getElementConst(&v, -1, &c), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getNextElement(&v, &sentinel, &p), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getNextElementConst(&v, &sentinel, &c), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getNextElementConst(&v, b + 5, &c), cstd_vector_errOutOfRange); // the end is no element
    EXPECT_EQ(F::getNextElementConst(&v, reinterpret_cast<const T*>(reinterpret_cast<const char*>(b) + 1), &c),
              cstd_vector_errOutOfRange);
    EXPECT_TRUE(p == &sentinel && c == &sentinel);
    EXPECT_EQ(F::destruct(&v), 0);
}

TYPED_TEST(TypedVector, ModifiersAgreeWithAModel)
{
    using F = TypeParam;
    using T = typename F::T;
    typename F::Vec v, w;
    ASSERT_EQ(F::constructEmpty(&v), 0);
    std::vector<T> model;
    for (int i = 0; i < 40; ++i) {
        const T e = F::make(i);
        ASSERT_EQ(F::pushBack(&v, &e), 0);
        model.push_back(e);
    }
    const T front = F::make(100), fill = F::make(-9);
    const std::vector<T> middle = seq<F>(200, 3);
    ASSERT_EQ(F::insertElement(&v, 0, &front), 0);
    model.insert(model.begin(), front);
    ASSERT_EQ(F::insert(&v, 10, middle.data(), 3), 0);
    model.insert(model.begin() + 10, middle.begin(), middle.end());
    ASSERT_EQ(F::append(&v, middle.data(), 2), 0);
    model.insert(model.end(), middle.begin(), middle.begin() + 2);
    ASSERT_EQ(F::erase(&v, 5, 7), 0);
    model.erase(model.begin() + 5, model.begin() + 12);
    ASSERT_EQ(F::eraseElement(&v, 0), 0);
    model.erase(model.begin());
    ASSERT_EQ(F::popBack(&v), 0);
    model.pop_back();
    ASSERT_EQ(F::resizeFill(&v, 40, &fill), 0);
    model.resize(40, fill);
    ASSERT_EQ(F::resize(&v, 42), 0);
    model.resize(42, T{});
    EXPECT_TRUE(holds<F>(&v, model));
    EXPECT_TRUE(F::resizeUninit(&v, 41) == 0 && v.vector.size == 41);
    EXPECT_EQ(F::insertElement(&v, 43, &fill), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::resizeUninit(&v, -1), cstd_vector_errOutOfRange);

    // Copies between vectors; clearing keeps the storage, clearAndFreeMemory gives it back.
    ASSERT_EQ(F::constructEmpty(&w), 0);
    ASSERT_EQ(F::assign(&w, &v), 0);
    ASSERT_EQ(F::assignElements(&v, middle.data(), 3), 0);
    ASSERT_EQ(F::swap(&v, &w), 0);
    model.pop_back();
    EXPECT_TRUE(holds<F>(&v, model) && holds<F>(&w, middle));
    ASSERT_EQ(F::reserve(&v, 100), 0);
    ASSERT_EQ(F::clear(&v), 0);
    EXPECT_TRUE(v.vector.size == 0 && v.vector.capacity == 100);
    ASSERT_EQ(F::clearAndFreeMemory(&v), 0);
    EXPECT_TRUE(v.vector.capacity == 0 && v.vector.begin == nullptr);
    EXPECT_TRUE(F::destruct(&v) == 0 && F::destruct(&w) == 0);
}

TYPED_TEST(TypedVector, HeapObjectsThroughPointerVariables)
{
    using F = TypeParam;
    using T = typename F::T;
    const int64_t blocks = csys_memory_testOutstanding();
    const std::vector<T> block = seq<F>(3, 6), extra = seq<F>(0, 1);
    typename F::Vec src;
    ASSERT_EQ(F::constructFromBlock(&src, block.data(), 6), 0);
    typename F::Vec* p = nullptr;
    EXPECT_EQ(F::deleteVector(&p), 0); // nothing held
    ASSERT_EQ(F::newVector(&p), 0);
    ASSERT_EQ(F::newVector(&p), 0); // replaces the one held
    EXPECT_TRUE(p != nullptr && holds<F>(p, std::vector<T>{}));
    ASSERT_EQ(F::newClone(&p, &src), 0);
    ASSERT_EQ(F::pushBack(&src, extra.data()), 0);
    EXPECT_TRUE(holds<F>(p, block)); // independent of its source
    ASSERT_EQ(F::newClone(&p, p), 0); // onto itself: copied, then the original let go
    EXPECT_TRUE(holds<F>(p, block));
    EXPECT_EQ(csys_memory_testOutstanding(), blocks + 3); // src's storage, p and its storage
    ASSERT_EQ(F::newClone(&p, nullptr), 0); // a null source deletes
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(F::newClone(&p, nullptr), 0);

    // The shareable family the same way; a handle may take a heap object over.
    typename F::Sh s, *q = nullptr;
    ASSERT_EQ(F::shConstructVector(&s, &src), 0);
    ASSERT_EQ(F::shNew(&q), 0);
    ASSERT_EQ(F::shNewClone(&q, &s), 0);
    ASSERT_EQ(F::shNewClone(&q, q), 0);
    std::vector<T> all = block;
    all.push_back(extra[0]);
    EXPECT_TRUE(holds<F>(q, all));
    EXPECT_EQ(F::shDelete(&q), 0);
    EXPECT_EQ(q, nullptr);
    ASSERT_EQ(F::shNewClone(&q, &s), 0);
    cstd_ptrh h;
    ASSERT_EQ(cstd_ptrh_construct(&h, &q->shareable.shared), 0);
    EXPECT_EQ(cstd_ptrh_destruct(&h), 0); // the last release destroys the object and its block
    EXPECT_TRUE(F::shDestruct(&s) == 0 && F::destruct(&src) == 0);
    EXPECT_EQ(csys_memory_testOutstanding(), blocks);
    F::unused(); // harmless: every generic operation refuses its null arguments
}

TYPED_TEST(TypedVector, ShareableForwards)
{
    using F = TypeParam;
    using T = typename F::T;
    const std::vector<T> block = seq<F>(5, 4), one = seq<F>(-4, 1);
    typename F::Sh a, b, c, d;
    typename F::Vec plain;
    ASSERT_EQ(F::shConstruct(&a, 3), 0);
    ASSERT_EQ(F::shConstructEmpty(&b), 0);
    EXPECT_TRUE(a.shareable.vector.vtable == b.shareable.vector.vtable && a.shareable.vector.vtable != nullptr);
    EXPECT_TRUE(a.shareable.shared.outer == &a && holds<F>(&a, std::vector<T>(3, T{})));
    int32_t n = -1;
    intptr_t m = -1;
    EXPECT_TRUE(F::shGetSize(&a, &n) == 0 && n == 3 && F::shGetElementSize(&b, &m) == 0 &&
                m == static_cast<intptr_t>(sizeof(T)));
    ASSERT_EQ(F::constructFromBlock(&plain, block.data(), 4), 0);
    ASSERT_EQ(F::shConstructVector(&c, &plain), 0);
    ASSERT_EQ(F::shConstructCopy(&d, &c), 0);
    ASSERT_EQ(F::shAssignVector(&a, &plain), 0);
    ASSERT_EQ(F::assignElements(&plain, block.data(), 1), 0); // the shareable vectors hold copies
    EXPECT_TRUE(holds<F>(&a, block) && holds<F>(&c, block) && holds<F>(&d, block));
    EXPECT_TRUE(d.shareable.shared.typeTable == c.shareable.shared.typeTable && d.shareable.equal == c.shareable.equal);
    int32_t equal = -1; // through the family's equality, or the element bytes when it has none
    EXPECT_TRUE(cstd_vectorShareable_compareEqual(&a.shareable, &d.shareable, &equal) == 0 && equal == 1);
    EXPECT_TRUE(cstd_vectorShareable_compareEqual(&a.shareable, &b.shareable, &equal) == 0 && equal == 0);

    ASSERT_EQ(F::shPushBack(&b, one.data()), 0);
    ASSERT_EQ(F::shAssign(&c, &b), 0);
    EXPECT_TRUE(holds<F>(&c, one));
    ASSERT_EQ(F::shAssignElements(&c, block.data(), 2), 0);
    ASSERT_EQ(F::shResize(&c, 3), 0);
    EXPECT_TRUE(holds<F>(&c, std::vector<T>{block[0], block[1], T{}}));
    ASSERT_EQ(F::shReserve(&c, 64), 0);
    EXPECT_TRUE(F::shGetCapacity(&c, &m) == 0 && m == 64);
    T *p = nullptr, *q = nullptr;
    const T* k = nullptr;
    EXPECT_TRUE(F::shGetBeginSize(&c, &p, &n) == 0 && n == 3 && p == c.shareable.vector.begin);
    EXPECT_TRUE((n = -1, F::shGetBeginSizeConst(&c, &k, &n)) == 0 && n == 3 && k == p);
    EXPECT_TRUE(F::shGetBeginEnd(&c, &q, &p) == 0 && p == q + 3);
    EXPECT_TRUE(F::shReset(&c) == 0 && F::shGetCapacity(&c, &m) == 0 && m == 0);
    for (auto* s : {&a, &b, &c, &d}) {
        EXPECT_EQ(F::shDestruct(s), 0);
    }
    EXPECT_EQ(F::destruct(&plain), 0);
}

TYPED_TEST(TypedVector, ShareableAnswersItsTypeNameThenPassesOthersOn)
{
    using F = TypeParam;
    typename F::Sh s;
    ASSERT_EQ(F::shConstructEmpty(&s), 0);
    const char16_t *name = nullptr, *viaShared = nullptr, *viaGeneric = nullptr;
    ASSERT_EQ(F::shGetTypename(nullptr, &name), 0); // s is not read
    EXPECT_EQ(cstd_typename_equal(name, F::name), 1);
    EXPECT_TRUE(cstd_shared_getTypename(&s.shareable.shared, &viaShared) == 0 && viaShared == name);
    EXPECT_TRUE(cstd_vectorShareable_getTypename(&s.shareable, &viaGeneric) == 0 && viaGeneric == name);

    // The family's own name, the generic names, near misses and the other family's name.
    const char16_t* other = std::is_same_v<F, StatisticsFamily> ? Vect1Family::name : StatisticsFamily::name;
    const struct {
        const char16_t* name;
        void* want;
    } names[] = {{F::name, &s}, {u"cstd_vectorShareable", &s}, {u"cstd_shared", &s.shareable.shared},
                 {F::prefix, nullptr}, {u"cstd_vector_cmath_statisticsshareable", nullptr}, {other, nullptr}};
    using Query = cmath_status (*)(typename F::Sh*, const char16_t*, void**);
    for (Query query : {Query(F::shQuery), Query(F::shQueryFinal), Query(F::shQueryFinal_)}) {
        for (const auto& c : names) {
            void* out = &s;
            EXPECT_TRUE(query(&s, c.name, &out) == 0 && out == c.want);
        }
        void* out = &s;
        EXPECT_TRUE(query(nullptr, F::name, &out) == 0 && out == nullptr);
    }
    // The generic level: the full query goes through the family's table, the final one does not.
    void* out = nullptr;
    EXPECT_TRUE(cstd_vectorShareable_queryInterfaceByTypename(&s.shareable, F::name, &out) == 0 && out == &s);
    EXPECT_TRUE(cstd_vectorShareable_queryInterfaceByTypenameFinal(&s.shareable, F::name, &out) == 0 && !out);
    EXPECT_EQ(F::shDestruct(&s), 0);
}

TEST(Vect1Vector, EqualityComparesElementsWithTheVect1Equality)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // -0 equals +0 and NaN differs from itself: the element equality decides, not the bytes.
    const struct {
        std::vector<cmath_vect1> a, b;
        int32_t equal;
    } cases[] = {{{}, {}, 1},           {{{1.5}, {-2}}, {{1.5}, {-2}}, 1}, {{{1.5}, {-2}}, {{1.5}, {-2.5}}, 0},
                 {{{1.5}}, {{1.5}, {0}}, 0}, {{{0.0}}, {{-0.0}}, 1},       {{{nan}}, {{nan}}, 0}};
    for (const auto& c : cases) {
        cstd_vector_cmath_vect1 a, b;
        cstd_vector_cmath_vect1Shareable sa, sb;
        ASSERT_EQ(cstd_vector_cmath_vect1_constructFromBlock(&a, c.a.data(), static_cast<int32_t>(c.a.size())), 0);
        ASSERT_EQ(cstd_vector_cmath_vect1_constructFromBlock(&b, c.b.data(), static_cast<int32_t>(c.b.size())), 0);
        ASSERT_EQ(cstd_vector_cmath_vect1Shareable_constructVector(&sa, &a), 0);
        ASSERT_EQ(cstd_vector_cmath_vect1Shareable_constructVector(&sb, &b), 0);
        int32_t plain = -1, shareable = -1, generic = -1; // the kind hands its equality to the generic vector
        EXPECT_EQ(cstd_vector_cmath_vect1_compareEqual(&a, &b, &plain), 0);
        EXPECT_EQ(cstd_vector_cmath_vect1Shareable_compareEqual(&sa, &sb, &shareable), 0);
        EXPECT_EQ(cstd_vectorShareable_compareEqual(&sa.shareable, &sb.shareable, &generic), 0);
        EXPECT_TRUE(plain == c.equal && shareable == c.equal && generic == c.equal);
        cstd_vector_cmath_vect1Shareable_destruct(&sa);
        cstd_vector_cmath_vect1Shareable_destruct(&sb);
        cstd_vector_cmath_vect1_destruct(&a);
        cstd_vector_cmath_vect1_destruct(&b);
    }
}
