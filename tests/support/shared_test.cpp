// Shared objects and handles with kinds of the test's own: failing operations and type tables
// whose status passes up, queries by type name down to the root. (Reference counts, ownership of
// fresh objects, the default operations, const handles and handles used from several threads at
// once: through the transform handles in tests/xform and tests/reliability, built on these.)
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

TEST(Shared, TheDefaultOperationsFreeTheBlockOnTheLastRelease)
{
    // Named, or by a null descriptor or entry: the first handle owns the fresh object.
    const int64_t before = csys_memory_testOutstanding();
    const cstd_sharedDescriptor d = {nullptr, nullptr, cstd_shared_vtable_default}, none = {nullptr, nullptr, nullptr};
    for (const cstd_sharedDescriptor* desc : {&d, &none, static_cast<const cstd_sharedDescriptor*>(nullptr)}) {
        void* block = nullptr;
        ASSERT_EQ(csys_memory_alloc_internal(2 * sizeof(cstd_shared), &block), 0);
        cstd_shared* header = static_cast<cstd_shared*>(block) + 1;
        ASSERT_TRUE(cstd_shared_initCustomTyped(header, block, desc, nullptr) == 0 && refs(header) == 0);
        EXPECT_TRUE(header->ops == cstd_shared_vtable_default && header->outer == block);
        cstd_ptrh a, b;
        ASSERT_TRUE(cstd_ptrh_construct(&a, header) == 0 && cstd_ptrh_constructCopy(&b, &a) == 0 && refs(header) == 2);
        EXPECT_TRUE(cstd_ptrh_destruct(&a) == 0 && csys_memory_testOutstanding() == before + 1);
        EXPECT_TRUE(cstd_ptrh_destruct(&b) == 0 && csys_memory_testOutstanding() == before);
    }
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
