// The shareable vector: a shared object holding a vector, answering type names down to the root,
// copies and equality.
#include "orbtest_a.h"

#include <vector>

namespace {

constexpr char16_t kKind[] = u"test_intsShareable";
using V = std::vector<int32_t>;

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

V values(const cstd_vectorShareable* s)
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

void* query(cstd_vectorShareable* s, const char16_t* name, bool final = false)
{
    void* out = &out;
    EXPECT_EQ((final ? cstd_vectorShareable_queryInterfaceByTypenameFinal
                     : cstd_vectorShareable_queryInterfaceByTypename)(s, name, &out),
              0);
    return out;
}

} // namespace

TEST(VectorShareable, QueriesRunFromTheKindDownToTheRoot)
{
    cstd_vector v;
    plain(&v, {});
    cstd_vectorShareable typed, bare;
    ASSERT_EQ(cstd_vectorShareable_construct(&typed, &v, &kTypes, nullptr), 0);
    ASSERT_EQ(cstd_vectorShareable_construct(&bare, &v, nullptr, nullptr), 0);
    EXPECT_EQ(orbtest::result<const char16_t*>(cstd_vectorShareable_getTypename, &typed), kKind);
    EXPECT_EQ(cstd_typename_equal(orbtest::result<const char16_t*>(cstd_vectorShareable_getTypename, &bare),
                                  u"cstd_vectorShareable"),
              1);
    // (Names, near misses and null arguments: with the typed families in tests/containers.)
    EXPECT_EQ(query(&typed, kKind), &typed);
    EXPECT_EQ(query(&bare, u"cstd_vectorShareable"), &bare);
    EXPECT_EQ(query(&bare, u"cstd_shared"), &bare.shared);
    // The final query does not know the kind.
    EXPECT_EQ(query(&typed, kKind, true), nullptr);
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
    EXPECT_EQ(values(&b), (V{5, 6}));
    EXPECT_EQ(orbtest::result<int64_t>(cstd_shared_getReferenceCount, &b.shared), 0); // fresh, unowned

    // (The modifying forwards and their allocation failures: through the typed shareable vectors in
    // tests/containers and tests/reliability, which call them directly.)
    ASSERT_EQ(cstd_vectorShareable_reserve(&b, 10), 0);
    EXPECT_EQ(orbtest::result<intptr_t>(cstd_vectorShareable_getCapacity, &b), 10);
    EXPECT_EQ(orbtest::result<int32_t>(cstd_vectorShareable_getSize32, &b), 2);

    // The kind's equality decides when there is one (same size here), else the element bytes.
    const int32_t seven = 7;
    ASSERT_EQ(cstd_vectorShareable_pushBack(&b, &seven), 0);
    EXPECT_EQ(orbtest::result<int32_t>(cstd_vectorShareable_compareEqual, &a, &b), 0);
    const int32_t two[] = {8, 9};
    ASSERT_EQ(cstd_vectorShareable_assignElements(&b, two, 2), 0);
    const int calls = g_equalCalls;
    EXPECT_EQ(orbtest::result<int32_t>(cstd_vectorShareable_compareEqual, &a, &b), 1);
    EXPECT_EQ(g_equalCalls, calls + 1);
    b.equal = nullptr;
    EXPECT_EQ(orbtest::result<int32_t>(cstd_vectorShareable_compareEqual, &b, &a), 0);

    ASSERT_EQ(cstd_vectorShareable_reset(&b), 0);
    EXPECT_EQ(b.vector.size, 0);
    EXPECT_EQ(b.vector.capacity, 0);
    cstd_vectorShareable_destruct(&a);
    cstd_vectorShareable_destruct(&b);
    cstd_vector__destruct(&v);
}
