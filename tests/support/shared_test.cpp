// Shared objects and handles: reference counts, destruction exactly once, ownership of fresh
// objects, failing kinds, queries by type name and empty handles. (Handles copied and released
// from several threads at once: the transform handles in tests/reliability.)
#include "fault.h"
#include "orbtest_a.h"

#include <atomic>

namespace {

// A test kind: a payload before the header (so outer != header) and a destroy that counts.
struct Counted {
    double payload;
    cstd_shared shared;
    std::atomic<int>* destroyed;
};

constexpr char16_t kKindName[] = u"test_counted";

cmath_status countedDestroy(cstd_shared* header)
{
    auto* c = static_cast<Counted*>(header->outer);
    c->destroyed->fetch_add(1);
    void* block = c;
    return csys_memory_free_internal(&block);
}
std::atomic<int> g_incrementFailures{0};
const cstd_sharedOps kCountedOps = {countedDestroy, cstd_shared_increment_default, cstd_shared_decrement_default};
const cstd_sharedOps kFailingIncrementOps = {
    countedDestroy, [](cstd_shared*) { return g_incrementFailures.fetch_add(1), cmath_errFailed; },
    cstd_shared_decrement_default};
const cstd_sharedOps kFailingDestroyOps = {[](cstd_shared* h) { return countedDestroy(h), cmath_errSingular; },
                                           cstd_shared_increment_default, cstd_shared_decrement_default};

// The kind answers its own name with the object and a second name with the payload.
cmath_status countedQueryFinal(void* object, const char16_t* name, void** out)
{
    auto* c = static_cast<Counted*>(object);
    *out = cstd_typename_equal(name, kKindName) ? static_cast<void*>(c)
           : cstd_typename_equal(name, u"test_counted_payload") ? &c->payload
                                                                : nullptr;
    return *out != nullptr ? 0 : cstd_shared_queryInterfaceByTypenameFinal(&c->shared, name, out, 0);
}
cmath_status countedName(void*, const char16_t** out) { return *out = kKindName, 0; }
const cstd_sharedTypeTable kCountedTypes = {countedQueryFinal, countedName};
// A kind whose table fails (writing garbage to the name it then must not pass on).
const cstd_sharedTypeTable kErroringTypes = {
    [](void*, const char16_t*, void** out) { return *out = nullptr, cmath_errTypeMismatch; },
    [](void*, const char16_t** out) { return *out = u"garbage", cmath_errFailed; }};

Counted* makeCounted(std::atomic<int>* destroyed, const cstd_sharedOps* ops = &kCountedOps,
                     const cstd_sharedTypeTable* types = &kCountedTypes)
{
    void* block = nullptr;
    EXPECT_EQ(csys_memory_alloc_internal(sizeof(Counted), &block), 0);
    auto* c = new (block) Counted{1.5, {}, destroyed};
    const cstd_sharedDescriptor d = {nullptr, nullptr, ops};
    EXPECT_EQ(cstd_shared_initCustomTyped(&c->shared, c, &d, types), 0);
    return c;
}

// Frees an object that never had a handle: its creator disposes of it directly.
void freeUnowned(Counted* c)
{
    void* block = c;
    csys_memory_free_internal(&block);
}

int64_t refs(const cstd_shared* h) { return orbtest::result<int64_t>(cstd_shared_getReferenceCount, h); }

// What a query writes (a success always writes, if only null).
void* query(cstd_shared* h, const char16_t* name, bool final)
{
    void* out = &out;
    auto* fn = final ? cstd_shared_queryInterfaceByTypenameFinal : cstd_shared_queryInterfaceByTypename;
    EXPECT_EQ(fn(h, name, &out, 0), 0);
    return out;
}

} // namespace

TEST(Shared, InitAndTheDefaultOperationsFreeTheBlockOnLastRelease)
{
    std::atomic<int> destroyed{0};
    Counted* c = makeCounted(&destroyed);
    EXPECT_EQ(reinterpret_cast<const uint64_t*>(&c->shared)[1], reinterpret_cast<uint64_t>(c)); // outer
    EXPECT_TRUE(refs(&c->shared) == 0 && c->shared.ops == &kCountedOps && c->shared.typeTable == &kCountedTypes);
    freeUnowned(c);
    // The default operations, named or by a null descriptor or entry: the first handle owns the
    // fresh object, the last release frees its block.
    const int64_t before = csys_memory_testOutstanding();
    const cstd_sharedDescriptor d = {nullptr, nullptr, cstd_shared_vtable_default}, none = {nullptr, nullptr, nullptr};
    for (const cstd_sharedDescriptor* desc : {&d, &none, static_cast<const cstd_sharedDescriptor*>(nullptr)}) {
        void* block = nullptr;
        ASSERT_EQ(csys_memory_alloc_internal(2 * sizeof(cstd_shared), &block), 0);
        cstd_shared* header = static_cast<cstd_shared*>(block) + 1;
        ASSERT_EQ(cstd_shared_initCustomTyped(header, block, desc, nullptr), 0);
        EXPECT_EQ(header->ops, cstd_shared_vtable_default);
        cstd_ptrhConst a, b;
        ASSERT_TRUE(cstd_ptrhConst_constructBaseTypename(&a, header, u"plain") == 0 && refs(header) == 1);
        ASSERT_TRUE(cstd_ptrhConst_constructCopy(&b, &a) == 0 && refs(header) == 2);
        EXPECT_EQ(orbtest::result<const char16_t*>(cstd_ptrhConst_getBaseTypename, &b), a.baseTypename);
        EXPECT_EQ(orbtest::result<void*>(cstd_ptrhConst_getWholeShared, &b), block);
        EXPECT_TRUE(cstd_ptrhConst_destruct(&a) == 0 && a.header == nullptr);
        EXPECT_EQ(csys_memory_testOutstanding(), before + 1);
        EXPECT_TRUE(cstd_ptrhConst_destruct(&b) == 0 && csys_memory_testOutstanding() == before);
    }
}

TEST(Handles, CopyAssignAndReleaseDestroyExactlyOnce)
{
    std::atomic<int> d1{0}, d2{0};
    Counted* o1 = makeCounted(&d1);
    Counted* o2 = makeCounted(&d2);
    cstd_ptrh a, a2, b, e;
    cstd_ptrhConst c, k;
    ASSERT_EQ(cstd_ptrh_constructBaseTypename(&a, &o1->shared, kKindName), 0);
    ASSERT_EQ(cstd_ptrh_construct(&b, &o2->shared), 0);
    ASSERT_EQ(cstd_ptrh_constructBaseTypename(&e, nullptr, kKindName), 0);
    // Self-assignment, and assigning an object a handle already holds, keep the count.
    EXPECT_TRUE(cstd_ptrh_assign(&a, &a) == 0 && refs(&o1->shared) == 1);
    ASSERT_EQ(cstd_ptrh_constructCopy(&a2, &a), 0);
    EXPECT_TRUE(cstd_ptrh_assign(&a, &a2) == 0 && cstd_ptrh_assignShared(&a2, &o1->shared) == 0);
    EXPECT_TRUE(refs(&o1->shared) == 2 && d1 == 0);
    // Const handles from mutable ones.
    ASSERT_EQ(cstd_ptrhConst_constructConstCopy(&c, &a), 0);
    ASSERT_EQ(cstd_ptrhConst_construct(&k, &o2->shared), 0);
    EXPECT_TRUE(c.baseTypename == kKindName && refs(&o1->shared) == 3 && refs(&o2->shared) == 2);
    EXPECT_TRUE(cstd_ptrhConst_assignConst(&k, &a) == 0 && cstd_ptrhConst_assignShared(&c, &o2->shared) == 0);
    EXPECT_TRUE(cstd_ptrhConst_assign(&c, &k) == 0 && refs(&o1->shared) == 4 && refs(&o2->shared) == 1);

    // b moves to o1: o2 loses its only handle and is destroyed, once.
    EXPECT_TRUE(cstd_ptrh_assign(&b, &a) == 0 && d2 == 1 && refs(&o1->shared) == 5);
    EXPECT_EQ(b.baseTypename, nullptr); // assignment keeps the destination's type name
    // Assigning an empty handle empties; releasing empty handles is harmless.
    EXPECT_TRUE(cstd_ptrh_assign(&b, &e) == 0 && b.header == nullptr);
    EXPECT_TRUE(cstd_ptrh_destruct(&e) == 0 && cstd_ptrh_destruct(&e) == 0);
    EXPECT_EQ(orbtest::result<void*>(cstd_ptrh_getWholeShared, &b), nullptr);
    EXPECT_EQ(orbtest::result<void*>(cstd_ptrh_getWholeShared, &a), o1);
    for (cstd_ptrh* h : {&a2, &b}) {
        EXPECT_EQ(cstd_ptrh_destruct(h), 0);
    }
    EXPECT_TRUE(cstd_ptrhConst_destruct(&c) == 0 && cstd_ptrhConst_destruct(&k) == 0 && d1 == 0);
    EXPECT_TRUE(cstd_ptrh_destruct(&a) == 0 && d1 == 1 && d2 == 1);
}

TEST(Handles, FailingIncrementLeavesHandlesUnchangedAndDestroyStatusPassesUp)
{
    std::atomic<int> d1{0}, d2{0};
    Counted* stuck = makeCounted(&d1, &kFailingIncrementOps);
    Counted* held = makeCounted(&d2, &kFailingDestroyOps);
    const cstd_ptrh sentinel{reinterpret_cast<cstd_shared*>(0x10), u"sentinel"};
    EXPECT_TRUE(orbtest::refusesWith(cmath_errFailed, sentinel, [&](cstd_ptrh* h) {
        return cstd_ptrh_constructBaseTypename(h, &stuck->shared, kKindName);
    }));
    cstd_ptrh h;
    ASSERT_EQ(cstd_ptrh_construct(&h, &held->shared), 0);
    EXPECT_EQ(cstd_ptrh_assignShared(&h, &stuck->shared), cmath_errFailed);
    EXPECT_TRUE(h.header == &held->shared && refs(&held->shared) == 1); // still holds its old object
    EXPECT_TRUE(cstd_ptrh_destruct(&h) == cmath_errSingular && h.header == nullptr && d2 == 1);
    EXPECT_EQ(g_incrementFailures.load(), 2);
    freeUnowned(stuck);
}

TEST(TypeNames, QueriesMatchExactlyAndRunDownToTheRoot)
{
    std::atomic<int> destroyed{0};
    Counted* o = makeCounted(&destroyed);
    Counted* bare = makeCounted(&destroyed, &kCountedOps, nullptr);
    Counted* bad = makeCounted(&destroyed, &kCountedOps, &kErroringTypes);
    cstd_shared* h = &o->shared;
    EXPECT_EQ(orbtest::result<const char16_t*>(cstd_shared_getTypename, h), kKindName);
    EXPECT_EQ(orbtest::result<const char16_t*>(cstd_shared_getTypename, &bare->shared), nullptr);
    EXPECT_TRUE(orbtest::refuses(cmath_errFailed, static_cast<const char16_t*>(u"kept"), cstd_shared_getTypename,
                                 &bad->shared));

    // The full query consults the kind first, the final one only the root; a proper prefix and
    // a longer name match nothing, which is not a failure.
    const struct {
        cstd_shared* h;
        const char16_t* name;
        void *full, *final;
    } cases[] = {
        {h, u"test_counted", o, nullptr},       {h, u"test_counted_payload", &o->payload, nullptr},
        {h, u"cstd_shared", h, h},              {h, u"test_count", nullptr, nullptr},
        {h, u"test_countedX", nullptr, nullptr}, {h, u"", nullptr, nullptr},
        {h, u"cstd_sharee", nullptr, nullptr},  {&bare->shared, u"cstd_shared", &bare->shared, &bare->shared},
        {nullptr, u"cstd_shared", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(query(c.h, c.name, false) == c.full && query(c.h, c.name, true) == c.final);
    }
    // A failing kind passes its status up.
    void* out = &out;
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(&bad->shared, u"cstd_shared", &out, 0), cmath_errTypeMismatch);
    EXPECT_EQ(out, nullptr);
    const char16_t e[] = u"", a[] = u"a", ab[] = u"ab", b[] = u"b";
    const char16_t *names[] = {nullptr, u"", u"a", u"ab", u"b"}, *copies[] = {nullptr, e, a, ab, b};
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            EXPECT_EQ(cstd_typename_equal(names[i], copies[j]), i == j ? 1 : 0) << i << " " << j;
        }
    }
    for (Counted* c : {o, bare, bad}) {
        freeUnowned(c);
    }
}
