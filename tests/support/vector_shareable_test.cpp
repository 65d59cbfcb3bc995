// The shareable vector: a shared object holding a vector, owned by handles, answering type
// names down to the root, and the forwards to the vector inside.
#include "fault.h"

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

extern "C" int orbmath_c_vector_check(void);

namespace {

constexpr char16_t kKind[] = u"test_intsShareable";

cmath_status kindFinal(void* object, const char16_t* name, void** out)
{
    *out = nullptr;
    if (cstd_typename_equal(name, kKind)) {
        *out = object;
        return 0;
    }
    return cstd_vectorShareable_queryInterfaceByTypenameFinal(static_cast<cstd_vectorShareable*>(object), name, out);
}
cmath_status kindName(void*, const char16_t** out)
{
    *out = kKind;
    return 0;
}
const cstd_sharedTypeTable kTypes = {kindFinal, kindName};

int g_equalCalls = 0;
// Equal when the sizes agree (whatever the elements): shows that the kind's equality is used.
cmath_status sameSize(const cstd_vectorShareable* a, const cstd_vectorShareable* b, int32_t* out)
{
    ++g_equalCalls;
    *out = a->vector.size == b->vector.size;
    return 0;
}

std::vector<int32_t> values(const cstd_vectorShareable* s)
{
    const void *b = nullptr, *e = nullptr;
    EXPECT_EQ(cstd_vectorShareable_getBeginEndConst(s, &b, &e), 0);
    return {static_cast<const int32_t*>(b), static_cast<const int32_t*>(e)};
}

void plain(cstd_vector* v, std::initializer_list<int32_t> init)
{
    ASSERT_EQ(cstd_vector__constructFromBlockWithVtable(v, sizeof(int32_t), init.begin(),
                                                        static_cast<int32_t>(init.size()), nullptr),
              0);
}

} // namespace

TEST(VectorC, HeaderCompilesAsC11AndVectorsWork) { EXPECT_EQ(orbmath_c_vector_check(), 0); }

TEST(VectorShareable, HandlesOwnItAndTheLastReleaseFreesEverything)
{
    const int64_t blocks = csys_memory_testOutstanding();
    cstd_vector v;
    plain(&v, {1, 2, 3});
    void* block = nullptr;
    ASSERT_EQ(csys_memory_alloc_internal(sizeof(cstd_vectorShareable), &block), 0);
    auto* s = static_cast<cstd_vectorShareable*>(block);
    ASSERT_EQ(cstd_vectorShareable_construct(s, &v, &kTypes, nullptr), 0);
    cstd_vector__destruct(&v);
    EXPECT_EQ(values(s), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(s->shared.outer, s);

    cstd_ptrh h, g;
    ASSERT_EQ(cstd_ptrh_construct(&h, nullptr), 0);
    ASSERT_EQ(cstd_ptrh_assignShared(&h, &s->shared), 0);
    int64_t refs = 0;
    EXPECT_EQ(cstd_shared_getReferenceCount(&s->shared, &refs), 0);
    EXPECT_EQ(refs, 1);
    ASSERT_EQ(cstd_ptrh_constructCopy(&g, &h), 0);
    int32_t x = 4;
    ASSERT_EQ(cstd_vectorShareable_pushBack(s, &x), 0);
    void* whole = nullptr;
    EXPECT_EQ(cstd_ptrh_getWholeShared(&g, &whole), 0);
    EXPECT_EQ(whole, s);
    EXPECT_EQ(cstd_ptrh_destruct(&h), 0);
    EXPECT_EQ(values(s), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(cstd_ptrh_destruct(&g), 0); // destructs the vector, frees the object's block
    EXPECT_EQ(csys_memory_testOutstanding(), blocks);
}

TEST(VectorShareable, QueriesRunFromTheKindDownToTheRoot)
{
    cstd_vector v;
    plain(&v, {});
    cstd_vectorShareable typed, bare;
    ASSERT_EQ(cstd_vectorShareable_construct(&typed, &v, &kTypes, nullptr), 0);
    ASSERT_EQ(cstd_vectorShareable_construct(&bare, &v, nullptr, nullptr), 0);

    const char16_t* name = nullptr;
    EXPECT_EQ(cstd_vectorShareable_getTypename(&typed, &name), 0);
    EXPECT_EQ(name, kKind);
    EXPECT_EQ(cstd_vectorShareable_getTypename(&bare, &name), 0);
    EXPECT_EQ(cstd_typename_equal(name, u"cstd_vectorShareable"), 1);

    void* out = nullptr;
    EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypename(&typed, kKind, &out), 0);
    EXPECT_EQ(out, &typed);
    EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypename(&typed, u"cstd_vectorShareable", &out), 0);
    EXPECT_EQ(out, &typed);
    EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypename(&typed, u"cstd_shared", &out), 0);
    EXPECT_EQ(out, &typed.shared);
    EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypename(&bare, u"cstd_vectorShareable", &out), 0);
    EXPECT_EQ(out, &bare);
    // The final query does not know the kind; near misses match nothing.
    EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypenameFinal(&typed, kKind, &out), 0);
    EXPECT_EQ(out, nullptr);
    for (const char16_t* miss : {u"cstd_vectorShare", u"cstd_vectorShareableX", u"test_ints", u"cstd_vector"}) {
        out = &v;
        EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypename(&typed, miss, &out), 0);
        EXPECT_EQ(out, nullptr);
    }
    // The generic shared query reaches the kind's table too.
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(&typed.shared, kKind, &out, 0), 0);
    EXPECT_EQ(out, &typed);
    out = &v;
    EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypename(nullptr, kKind, &out), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(cstd_vectorShareable_queryInterfaceByTypename(&typed, nullptr, &out), cmath_errNullArgument);

    cstd_vectorShareable_destruct(&typed);
    cstd_vectorShareable_destruct(&bare);
    cstd_vector__destruct(&v);
}

TEST(VectorShareable, ForwardsCopiesAndEquality)
{
    cstd_vector v;
    plain(&v, {5, 6});
    cstd_vectorShareable a, b;
    ASSERT_EQ(cstd_vectorShareable_construct(&a, &v, &kTypes, sameSize), 0);
    ASSERT_EQ(cstd_vectorShareable_constructCopy(&b, &a), 0);
    EXPECT_EQ(b.shared.typeTable, &kTypes);
    EXPECT_EQ(b.equal, &sameSize);
    EXPECT_NE(b.vector.begin, a.vector.begin);
    int64_t refs = -1;
    cstd_shared_getReferenceCount(&b.shared, &refs);
    EXPECT_EQ(refs, 0); // a copy is a fresh, unowned object

    ASSERT_EQ(cstd_vectorShareable_reserve(&b, 10), 0);
    intptr_t n = 0;
    int32_t n32 = 0;
    EXPECT_EQ(cstd_vectorShareable_getCapacity(&b, &n), 0);
    EXPECT_EQ(n, 10);
    ASSERT_EQ(cstd_vectorShareable_resize(&b, 4), 0);
    EXPECT_EQ(values(&b), (std::vector<int32_t>{5, 6, 0, 0}));
    EXPECT_EQ(cstd_vectorShareable_getSize(&b, &n), 0);
    EXPECT_EQ(cstd_vectorShareable_getSize32(&b, &n32), 0);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(n32, 4);
    EXPECT_EQ(cstd_vectorShareable_getElementSize(&b, &n), 0);
    EXPECT_EQ(n, 4);
    void *p = nullptr, *e = nullptr;
    const void* cp = nullptr;
    EXPECT_EQ(cstd_vectorShareable_getBeginEnd(&b, &p, &e), 0);
    EXPECT_EQ(static_cast<int32_t*>(e) - static_cast<int32_t*>(p), 4);
    EXPECT_EQ(cstd_vectorShareable_getBeginSize32(&b, &p, &n32), 0);
    EXPECT_EQ(cstd_vectorShareable_getBeginSize32Const(&b, &cp, &n32), 0);
    EXPECT_EQ(cp, p);
    EXPECT_EQ(n32, 4);

    int32_t eq = -1;
    EXPECT_EQ(cstd_vectorShareable_compareEqual(&a, &b, &eq), 0);
    EXPECT_EQ(eq, 0);
    const int32_t two[] = {8, 9};
    ASSERT_EQ(cstd_vectorShareable_assignElements(&b, two, 2), 0);
    EXPECT_EQ(values(&b), (std::vector<int32_t>{8, 9}));
    const int calls = g_equalCalls;
    EXPECT_EQ(cstd_vectorShareable_compareEqual(&a, &b, &eq), 0);
    EXPECT_EQ(eq, 1); // the kind's equality decides: same size
    EXPECT_EQ(g_equalCalls, calls + 1);
    b.equal = nullptr;
    EXPECT_EQ(cstd_vectorShareable_compareEqual(&b, &a, &eq), 0);
    EXPECT_EQ(eq, 0); // no equality: element bytes

    ASSERT_EQ(cstd_vectorShareable_assign(&b, &a), 0);
    EXPECT_EQ(values(&b), (std::vector<int32_t>{5, 6}));
    cstd_vector w;
    plain(&w, {1});
    ASSERT_EQ(cstd_vectorShareable_assignVector(&b, &w), 0);
    EXPECT_EQ(values(&b), (std::vector<int32_t>{1}));
    ASSERT_EQ(cstd_vectorShareable_reset(&b), 0);
    EXPECT_EQ(b.vector.size, 0);
    EXPECT_EQ(b.vector.capacity, 0);

    for (cstd_vectorShareable* s : {&a, &b}) {
        cstd_vectorShareable_destruct(s);
    }
    cstd_vector__destruct(&v);
    cstd_vector__destruct(&w);
}

TEST(VectorShareable, FailingConstructionWritesNothing)
{
    cstd_vector v;
    plain(&v, {1, 2, 3});
    const int covered = orbtest::sweepAllocations([&](bool) {
        cstd_vectorShareable s;
        std::memset(&s, 0xEE, sizeof s);
        const cstd_vectorShareable sentinel = s;
        const cmath_status st = cstd_vectorShareable_construct(&s, &v, &kTypes, nullptr);
        if (st < 0) {
            EXPECT_EQ(std::memcmp(&s, &sentinel, sizeof s), 0);
        } else {
            EXPECT_EQ(values(&s), (std::vector<int32_t>{1, 2, 3}));
            cstd_vectorShareable_destruct(&s);
        }
        return st;
    });
    EXPECT_EQ(covered, 1);
    cstd_vector__destruct(&v);
}
