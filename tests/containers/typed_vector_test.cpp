// Typed vectors of statistics records and of one-dimensional vectors, both families through the
// same typed tests. Allocation failures of every typed operation: tests/reliability.
#include "fault.h"
#include "typed_family.h"

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

extern "C" int orbmath_c_containers_check(void);

namespace {

using orbtest::StatisticsFamily;
using orbtest::Vect1Family;

template <class F>
class TypedVector : public ::testing::Test {
protected:
    using Elem = typename F::T;
    using Vec = typename F::Vec;
    using Sh = typename F::Sh;

    static std::vector<Elem> seq(int from, int count)
    {
        std::vector<Elem> r;
        for (int i = 0; i < count; ++i) {
            r.push_back(F::make(from + i));
        }
        return r;
    }
    static std::vector<Elem> contents(const Vec* v)
    {
        const Elem* b = nullptr;
        const Elem* e = nullptr;
        EXPECT_EQ(F::getBeginEndConst(v, &b, &e), 0);
        return b == nullptr ? std::vector<Elem>{} : std::vector<Elem>(b, e);
    }
    static std::vector<Elem> contents(const Sh* s)
    {
        const Elem* b = nullptr;
        const Elem* e = nullptr;
        EXPECT_EQ(F::shGetBeginEndConst(s, &b, &e), 0);
        return b == nullptr ? std::vector<Elem>{} : std::vector<Elem>(b, e);
    }
    static bool same(const std::vector<Elem>& a, const std::vector<Elem>& b)
    {
        if (a.size() != b.size()) {
            return false;
        }
        for (size_t i = 0; i < a.size(); ++i) {
            if (!F::same(a[i], b[i])) {
                return false;
            }
        }
        return true;
    }
    static bool zero(const Elem& e)
    {
        static const Elem z{};
        return std::memcmp(&e, &z, sizeof(Elem)) == 0;
    }
    static void fromBlock(Vec* v, const std::vector<Elem>& block)
    {
        ASSERT_EQ(F::constructFromBlock(v, block.data(), static_cast<int32_t>(block.size())), 0);
    }
};

using Families = ::testing::Types<StatisticsFamily, Vect1Family>;
TYPED_TEST_SUITE(TypedVector, Families);

TYPED_TEST(TypedVector, ConstructorsFixTheElementSizeAndAPlainElementTable)
{
    using F = TypeParam;
    using T = typename F::T;
    const std::vector<T> block = this->seq(1, 3);
    const T fill = F::make(7);
    const int marker = 0;
    typename F::Vec v[7];
    ASSERT_EQ(F::construct(&v[0], 4), 0);
    ASSERT_EQ(F::constructEmpty(&v[1]), 0);
    ASSERT_EQ(F::constructUninit(&v[2], 3), 0);
    ASSERT_EQ(F::constructWithMtable(&v[3], 2, &marker), 0);
    ASSERT_EQ(F::constructEmptyWithMtable(&v[4], &marker), 0);
    ASSERT_EQ(F::constructFill(&v[5], 5, &fill), 0);
    ASSERT_EQ(F::constructFromBlock(&v[6], block.data(), 3), 0);
    const int32_t sizes[7] = {4, 0, 3, 2, 0, 5, 3};
    for (int i = 0; i < 7; ++i) {
        intptr_t elementSize = -1;
        int32_t n = -1;
        EXPECT_EQ(F::getElementSize(&v[i], &elementSize), 0);
        EXPECT_EQ(elementSize, static_cast<intptr_t>(sizeof(T)));
        EXPECT_EQ(F::getSize(&v[i], &n), 0);
        EXPECT_EQ(n, sizes[i]);
        const cstd_vectorVtable* table = v[i].vector.vtable;
        ASSERT_NE(table, nullptr);
        EXPECT_TRUE(table->construct == nullptr && table->constructCopy == nullptr && table->destruct == nullptr &&
                    table->assign == nullptr && table->relocate == nullptr);
        EXPECT_EQ(table, v[0].vector.vtable) << "one static table per family";
    }
    for (const T& e : this->contents(&v[0])) {
        EXPECT_TRUE(this->zero(e));
    }
    EXPECT_EQ(v[3].vector.mtable, &marker);
    EXPECT_EQ(v[4].vector.mtable, &marker);
    for (const T& e : this->contents(&v[5])) {
        EXPECT_TRUE(F::same(e, fill));
    }
    EXPECT_TRUE(this->same(this->contents(&v[6]), block));
    for (auto& x : v) {
        EXPECT_EQ(F::destruct(&x), 0);
    }
}

TYPED_TEST(TypedVector, ElementsReadBackThroughEveryAccessor)
{
    using F = TypeParam;
    using T = typename F::T;
    const std::vector<T> block = this->seq(-2, 5);
    typename F::Vec v;
    this->fromBlock(&v, block);

    T* begin = nullptr;
    T* end = nullptr;
    ASSERT_EQ(F::getBeginEnd(&v, &begin, &end), 0);
    EXPECT_EQ(end - begin, 5);
    for (int32_t i = 0; i < 5; ++i) {
        T* e = nullptr;
        const T* ce = nullptr;
        ASSERT_EQ(F::getElement(&v, i, &e), 0);
        ASSERT_EQ(F::getElementConst(&v, i, &ce), 0);
        EXPECT_EQ(e, begin + i);
        EXPECT_EQ(ce, begin + i);
        EXPECT_TRUE(F::same(*e, block[static_cast<size_t>(i)]));
    }
    // Iteration from null to null visits every element once, in order.
    std::vector<T*> seen;
    for (T* e = nullptr; F::getNextElement(&v, e, &e) == 0 && e != nullptr;) {
        seen.push_back(e);
    }
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen.front(), begin);
    EXPECT_EQ(seen.back(), begin + 4);
    const T* last = nullptr;
    ASSERT_EQ(F::getNextElementConst(&v, begin + 3, &last), 0);
    EXPECT_EQ(last, begin + 4);

    int32_t n = -1;
    intptr_t np = -1;
    const T* b = nullptr;
    EXPECT_EQ(F::getBeginSize32Const(&v, &b, &n), 0);
    EXPECT_EQ(F::getSizeIntPtr(&v, &np), 0);
    EXPECT_TRUE(n == 5 && np == 5 && b == begin);

    // Failures write nothing.
    T sentinel{};
    T* out = &sentinel;
    const T* cout = &sentinel;
    EXPECT_EQ(F::getElement(&v, 5, &out), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getElementConst(&v, -1, &cout), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::getNextElement(&v, &sentinel, &out), cstd_vector_errOutOfRange);
    EXPECT_EQ(out, &sentinel);
    EXPECT_EQ(cout, &sentinel);
    EXPECT_EQ(F::getBeginEnd(&v, &out, nullptr), cmath_errNullArgument);
    EXPECT_EQ(out, &sentinel);
    EXPECT_EQ(F::getBegin(nullptr, &out), cmath_errNullArgument);
    EXPECT_EQ(out, &sentinel);
    EXPECT_EQ(F::destruct(&v), 0);
}

TYPED_TEST(TypedVector, GrowsInsertsAndErasesLikeAModel)
{
    using F = TypeParam;
    using T = typename F::T;
    typename F::Vec v;
    ASSERT_EQ(F::constructEmpty(&v), 0);
    std::vector<T> model;
    for (int i = 0; i < 40; ++i) {
        const T e = F::make(i);
        ASSERT_EQ(F::pushBack(&v, &e), 0);
        model.push_back(e);
    }
    const T front = F::make(100);
    const std::vector<T> middle = this->seq(200, 3);
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
    const T fill = F::make(-9);
    ASSERT_EQ(F::resizeFill(&v, 40, &fill), 0);
    model.resize(40, fill);
    ASSERT_EQ(F::resize(&v, 42), 0);
    model.resize(42, T{});
    EXPECT_TRUE(this->same(this->contents(&v), model));
    EXPECT_EQ(F::insertElement(&v, 43, &fill), cstd_vector_errOutOfRange);
    EXPECT_EQ(F::resizeUninit(&v, -1), cstd_vector_errOutOfRange);

    // (Copies, assignment and swap: the generic vector's, tests/support.)
    intptr_t capacity = -1;
    ASSERT_EQ(F::reserve(&v, 100), 0);
    ASSERT_EQ(F::clear(&v), 0);
    EXPECT_EQ(F::getCapacity(&v, &capacity), 0);
    EXPECT_EQ(capacity, 100);
    ASSERT_EQ(F::clearAndFreeMemory(&v), 0);
    EXPECT_EQ(F::getCapacity(&v, &capacity), 0);
    EXPECT_EQ(capacity, 0);
    EXPECT_EQ(F::destruct(&v), 0);
}

TYPED_TEST(TypedVector, HeapVectorsThroughPointerVariables)
{
    using F = TypeParam;
    using V = typename F::Vec;
    const int64_t blocks = csys_memory_testOutstanding();
    const std::vector<typename F::T> block = this->seq(3, 6);

    V* p = nullptr;
    EXPECT_EQ(F::deleteVector(&p), 0); // nothing held
    V src;
    this->fromBlock(&src, block);
    ASSERT_EQ(F::newClone(&p, &src), 0);
    const typename F::T extra = F::make(0);
    ASSERT_EQ(F::pushBack(&src, &extra), 0);
    EXPECT_TRUE(this->same(this->contents(p), block)); // independent of its source
    // A null source deletes.
    ASSERT_EQ(F::newClone(&p, nullptr), 0);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(F::newClone(&p, nullptr), 0);
    EXPECT_EQ(F::newVector(nullptr), cmath_errNullArgument);
    EXPECT_EQ(F::deleteVector(nullptr), cmath_errNullArgument);
    EXPECT_EQ(F::destruct(&src), 0);
    EXPECT_EQ(csys_memory_testOutstanding(), blocks);
    F::unused(); // harmless: every generic operation refuses its null arguments
}

TYPED_TEST(TypedVector, ShareableForwardsAndHeapObjects)
{
    using F = TypeParam;
    using T = typename F::T;
    const int64_t blocks = csys_memory_testOutstanding();
    typename F::Sh a, b, c, d;
    ASSERT_EQ(F::shConstruct(&a, 3), 0);
    ASSERT_EQ(F::shConstructEmpty(&b), 0);
    EXPECT_EQ(a.shareable.vector.vtable, b.shareable.vector.vtable);
    EXPECT_NE(a.shareable.vector.vtable, nullptr);
    EXPECT_EQ(a.shareable.shared.outer, &a);
    int32_t n = -1;
    intptr_t np = -1;
    EXPECT_EQ(F::shGetSize(&a, &n), 0);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(F::shGetElementSize(&b, &np), 0);
    EXPECT_EQ(np, static_cast<intptr_t>(sizeof(T)));
    for (const T& e : this->contents(&a)) {
        EXPECT_TRUE(this->zero(e));
    }
    const std::vector<T> block = this->seq(5, 4);
    typename F::Vec plain;
    this->fromBlock(&plain, block);
    ASSERT_EQ(F::shConstructVector(&c, &plain), 0);
    ASSERT_EQ(F::shConstructCopy(&d, &c), 0);
    ASSERT_EQ(F::shAssignVector(&a, &plain), 0);
    ASSERT_EQ(F::assignElements(&plain, block.data(), 1), 0);
    EXPECT_TRUE(this->same(this->contents(&a), block));
    EXPECT_TRUE(this->same(this->contents(&d), block));

    const T e = F::make(-4);
    ASSERT_EQ(F::shPushBack(&b, &e), 0);
    ASSERT_EQ(F::shAssign(&c, &b), 0);
    EXPECT_TRUE(this->same(this->contents(&c), {e}));
    ASSERT_EQ(F::shAssignElements(&c, block.data(), 2), 0);
    ASSERT_EQ(F::shResize(&c, 3), 0);
    EXPECT_TRUE(this->same(this->contents(&c), {block[0], block[1], T{}}));
    ASSERT_EQ(F::shReserve(&c, 64), 0);
    EXPECT_EQ(F::shGetCapacity(&c, &np), 0);
    EXPECT_EQ(np, 64);
    T* begin = nullptr;
    n = -1;
    ASSERT_EQ(F::shGetBeginSize(&c, &begin, &n), 0);
    EXPECT_EQ(n, 3);
    ASSERT_EQ(F::shReset(&c), 0);
    EXPECT_EQ(F::shGetCapacity(&c, &np), 0);
    EXPECT_EQ(np, 0);

    // A handle may take a heap object over.
    typename F::Sh* q = nullptr;
    ASSERT_EQ(F::shNewClone(&q, &a), 0);
    cstd_ptrh h;
    ASSERT_EQ(cstd_ptrh_construct(&h, &q->shareable.shared), 0);
    EXPECT_EQ(cstd_ptrh_destruct(&h), 0); // the last release destroys the object and its block
    for (auto* s : {&a, &b, &c, &d}) {
        EXPECT_EQ(F::shDestruct(s), 0);
    }
    EXPECT_EQ(F::destruct(&plain), 0);
    EXPECT_EQ(csys_memory_testOutstanding(), blocks);
}

TYPED_TEST(TypedVector, ShareableAnswersItsTypeNameThenPassesOthersOn)
{
    using F = TypeParam;
    typename F::Sh s;
    ASSERT_EQ(F::shConstructEmpty(&s), 0);
    const char16_t* name = nullptr;
    ASSERT_EQ(F::shGetTypename(nullptr, &name), 0); // s is not read
    EXPECT_EQ(cstd_typename_equal(name, F::name), 1);
    const char16_t* viaShared = nullptr;
    ASSERT_EQ(cstd_shared_getTypename(&s.shareable.shared, &viaShared), 0);
    EXPECT_EQ(viaShared, name);
    ASSERT_EQ(cstd_vectorShareable_getTypename(&s.shareable, &viaShared), 0);
    EXPECT_EQ(viaShared, name);
    EXPECT_EQ(F::shGetTypename(&s, nullptr), cmath_errNullArgument);

    using Query = cmath_status (*)(typename F::Sh*, const char16_t*, void**);
    for (Query q : {Query(F::shQuery), Query(F::shQueryFinal), Query(F::shQueryFinal_)}) {
        void* out = nullptr;
        EXPECT_EQ(q(&s, F::name, &out), 0);
        EXPECT_EQ(out, &s);
        EXPECT_EQ(q(&s, u"cstd_vectorShareable", &out), 0);
        EXPECT_EQ(out, &s);
        EXPECT_EQ(q(&s, u"cstd_shared", &out), 0);
        EXPECT_EQ(out, &s.shareable.shared);
        for (const char16_t* miss : {F::prefix, u"cstd_vector_cmath_statisticsshareable"}) {
            out = &s;
            EXPECT_EQ(q(&s, miss, &out), 0);
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_EQ(q(&s, nullptr, &out), cmath_errNullArgument);
    }
    // The two families do not answer each other's names.
    void* out = nullptr;
    const char16_t* other = std::is_same_v<F, StatisticsFamily> ? Vect1Family::name : StatisticsFamily::name;
    EXPECT_EQ(F::shQuery(&s, other, &out), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(F::shDestruct(&s), 0);
}

// ---- vect1 equality ----------------------------------------------------------------------

cstd_vector_cmath_vect1 vect1s(std::initializer_list<double> xs)
{
    std::vector<cmath_vect1> e;
    for (double x : xs) {
        e.push_back({x});
    }
    cstd_vector_cmath_vect1 v;
    EXPECT_EQ(cstd_vector_cmath_vect1_constructFromBlock(&v, e.data(), static_cast<int32_t>(e.size())), 0);
    return v;
}

TEST(Vect1Vector, EqualityComparesElementsWithTheVect1Equality)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        std::initializer_list<double> a, b;
        int32_t equal;
    };
    // -0 equals +0 and NaN differs from itself: the element equality decides, not the bytes.
    const Case cases[] = {{{}, {}, 1},         {{1.5, -2}, {1.5, -2}, 1}, {{1.5, -2}, {1.5, -2.5}, 0},
                          {{1.5}, {1.5, 0}, 0}, {{0.0}, {-0.0}, 1},        {{nan}, {nan}, 0}};
    for (const Case& c : cases) {
        cstd_vector_cmath_vect1 a = vect1s(c.a);
        cstd_vector_cmath_vect1 b = vect1s(c.b);
        int32_t out = -1;
        EXPECT_EQ(cstd_vector_cmath_vect1_compareEqual(&a, &b, &out), 0);
        EXPECT_EQ(out, c.equal);

        cstd_vector_cmath_vect1Shareable sa, sb;
        ASSERT_EQ(cstd_vector_cmath_vect1Shareable_constructVector(&sa, &a), 0);
        ASSERT_EQ(cstd_vector_cmath_vect1Shareable_constructVector(&sb, &b), 0);
        out = -1;
        EXPECT_EQ(cstd_vector_cmath_vect1Shareable_compareEqual(&sa, &sb, &out), 0);
        EXPECT_EQ(out, c.equal);
        // The kind hands its equality to the generic shareable vector.
        out = -1;
        EXPECT_EQ(cstd_vectorShareable_compareEqual(&sa.shareable, &sb.shareable, &out), 0);
        EXPECT_EQ(out, c.equal);
        for (auto* s : {&sa, &sb}) {
            cstd_vector_cmath_vect1Shareable_destruct(s);
        }
        cstd_vector_cmath_vect1_destruct(&a);
        cstd_vector_cmath_vect1_destruct(&b);
    }
}

TEST(TypedVectorC, HeaderCompilesAsC11AndTheVectorsWork) { EXPECT_EQ(orbmath_c_containers_check(), 0); }

} // namespace
