// Shared objects and handles: reference counts, destruction exactly once, ownership of fresh
// objects, concurrent copies, queries by type name and empty handles.
#include "fault.h"

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

extern "C" int orbmath_c_shared_check(void);

namespace {

// A test kind: a payload before the header (so outer != header) and a destroy that counts.
struct Counted {
    double payload;
    cstd_shared shared;
    std::atomic<int>* destroyed;
};

constexpr char16_t kKindName[] = u"test_counted";
constexpr char16_t kAltName[] = u"test_counted_payload";

cmath_status countedDestroy(cstd_shared* header)
{
    auto* c = static_cast<Counted*>(header->outer);
    c->destroyed->fetch_add(1);
    void* block = c;
    return csys_memory_free_internal(&block);
}

const cstd_sharedOps kCountedOps = {countedDestroy, cstd_shared_increment_default,
                                    cstd_shared_decrement_default};

cmath_status countedQueryFinal(void* object, const char16_t* name, void** out)
{
    auto* c = static_cast<Counted*>(object);
    *out = nullptr;
    if (cstd_typename_equal(name, kKindName)) {
        *out = c;
        return 0;
    }
    if (cstd_typename_equal(name, kAltName)) {
        *out = &c->payload;
        return 0;
    }
    return cstd_shared_queryInterfaceByTypenameFinal(&c->shared, name, out, 0);
}

cmath_status countedGetTypename(void*, const char16_t** out)
{
    *out = kKindName;
    return 0;
}

const cstd_sharedTypeTable kCountedTypes = {countedQueryFinal, countedGetTypename};

Counted* makeCounted(std::atomic<int>* destroyed, const cstd_sharedOps* ops = &kCountedOps,
                     const cstd_sharedTypeTable* types = &kCountedTypes)
{
    void* block = nullptr;
    if (csys_memory_alloc_internal(sizeof(Counted), &block) < 0) {
        return nullptr;
    }
    auto* c = new (block) Counted{1.5, {}, destroyed};
    const cstd_sharedDescriptor d = {nullptr, nullptr, ops};
    EXPECT_EQ(cstd_shared_initCustomTyped(&c->shared, c, &d, types), 0);
    return c;
}

int64_t refs(const cstd_shared* h)
{
    int64_t n = -1;
    EXPECT_EQ(cstd_shared_getReferenceCount(h, &n), 0);
    return n;
}

} // namespace

TEST(SharedC, HeaderCompilesAsC11AndHandlesWork) { EXPECT_EQ(orbmath_c_shared_check(), 0); }

TEST(Shared, InitRecordsOuterInSecondWordAndStartsUnowned)
{
    std::atomic<int> destroyed{0};
    Counted* c = makeCounted(&destroyed);
    ASSERT_NE(c, nullptr);
    const auto* words = reinterpret_cast<const uint64_t*>(&c->shared);
    EXPECT_EQ(words[1], reinterpret_cast<uint64_t>(c));
    EXPECT_EQ(refs(&c->shared), 0);
    EXPECT_EQ(cstd_shared_initCustomTyped(nullptr, c, nullptr, nullptr), cmath_errNullArgument);
    EXPECT_EQ(cstd_shared_initCustomTyped(&c->shared, nullptr, nullptr, nullptr), cmath_errNullArgument);
    EXPECT_EQ(c->shared.outer, c); // the failures wrote nothing

    // Never attached: the creator disposes of it directly.
    void* block = c;
    csys_memory_free_internal(&block);
    EXPECT_EQ(destroyed.load(), 0);
}

TEST(Shared, DefaultOperationsFreeTheBlockOnLastRelease)
{
    const int64_t before = csys_memory_testOutstanding();
    struct Plain {
        int64_t tag;
        cstd_shared shared;
    };
    void* block = nullptr;
    ASSERT_EQ(csys_memory_alloc_internal(sizeof(Plain), &block), 0);
    auto* p = static_cast<Plain*>(block);
    const cstd_sharedDescriptor d = {nullptr, nullptr, cstd_shared_vtable_default};
    ASSERT_EQ(cstd_shared_initCustomTyped(&p->shared, p, &d, nullptr), 0);
    EXPECT_EQ(p->shared.ops, cstd_shared_vtable_default);
    EXPECT_EQ(cstd_shared_vtable_default->increment, &cstd_shared_increment_default);
    EXPECT_EQ(cstd_shared_vtable_default->decrement, &cstd_shared_decrement_default);
    EXPECT_EQ(cstd_shared_vtable_default->destroy, &cstd_shared_destroy_default);

    cstd_ptrhConst a, b;
    ASSERT_EQ(cstd_ptrhConst_constructBaseTypename(&a, &p->shared, u"plain"), 0);
    EXPECT_EQ(refs(&p->shared), 1); // the first handle owns the fresh object
    ASSERT_EQ(cstd_ptrhConst_constructCopy(&b, &a), 0);
    EXPECT_EQ(refs(&p->shared), 2);
    const char16_t* tn = nullptr;
    EXPECT_EQ(cstd_ptrhConst_getBaseTypename(&b, &tn), 0);
    EXPECT_EQ(tn, a.baseTypename);
    EXPECT_EQ(cstd_ptrhConst_destruct(&a), 0);
    EXPECT_EQ(a.header, nullptr);
    EXPECT_EQ(csys_memory_testOutstanding(), before + 1);
    EXPECT_EQ(cstd_ptrhConst_destruct(&b), 0);
    EXPECT_EQ(csys_memory_testOutstanding(), before);

    // A null descriptor selects the default operations as well.
    ASSERT_EQ(csys_memory_alloc_internal(sizeof(Plain), &block), 0);
    p = static_cast<Plain*>(block);
    ASSERT_EQ(cstd_shared_initCustomTyped(&p->shared, p, nullptr, nullptr), 0);
    EXPECT_EQ(p->shared.ops, cstd_shared_vtable_default);
    cstd_ptrh h;
    ASSERT_EQ(cstd_ptrh_construct(&h, nullptr), 0);
    ASSERT_EQ(cstd_ptrh_assignShared(&h, &p->shared), 0);
    EXPECT_EQ(cstd_ptrh_destruct(&h), 0);
    EXPECT_EQ(csys_memory_testOutstanding(), before);
}

TEST(Handles, CopyAssignAndReleaseDestroyExactlyOnce)
{
    std::atomic<int> d1{0}, d2{0};
    Counted* o1 = makeCounted(&d1);
    Counted* o2 = makeCounted(&d2);
    ASSERT_TRUE(o1 && o2);

    cstd_ptrh a, b, e;
    ASSERT_EQ(cstd_ptrh_constructBaseTypename(&a, &o1->shared, kKindName), 0);
    ASSERT_EQ(cstd_ptrh_construct(&b, &o2->shared), 0);
    ASSERT_EQ(cstd_ptrh_constructBaseTypename(&e, nullptr, kKindName), 0);
    EXPECT_EQ(refs(&o1->shared), 1);

    // Self-assignment keeps the object alive and the count unchanged.
    EXPECT_EQ(cstd_ptrh_assign(&a, &a), 0);
    EXPECT_EQ(refs(&o1->shared), 1);
    EXPECT_EQ(d1.load(), 0);
    // Assigning the object a handle already holds, through another handle.
    cstd_ptrh a2;
    ASSERT_EQ(cstd_ptrh_constructCopy(&a2, &a), 0);
    EXPECT_EQ(cstd_ptrh_assign(&a, &a2), 0);
    EXPECT_EQ(refs(&o1->shared), 2);
    EXPECT_EQ(cstd_ptrh_assignShared(&a2, &o1->shared), 0);
    EXPECT_EQ(refs(&o1->shared), 2);

    // b moves to o1: o2 loses its only handle and is destroyed, once.
    EXPECT_EQ(cstd_ptrh_assign(&b, &a), 0);
    EXPECT_EQ(d2.load(), 1);
    EXPECT_EQ(refs(&o1->shared), 3);
    EXPECT_EQ(b.baseTypename, nullptr); // assignment keeps the destination's type name

    // Assigning an empty handle empties; releasing empty handles is harmless.
    EXPECT_EQ(cstd_ptrh_assign(&b, &e), 0);
    EXPECT_EQ(b.header, nullptr);
    EXPECT_EQ(cstd_ptrh_destruct(&e), 0);
    EXPECT_EQ(cstd_ptrh_destruct(&e), 0);
    void* whole = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(cstd_ptrh_getWholeShared(&b, &whole), 0);
    EXPECT_EQ(whole, nullptr);
    EXPECT_EQ(cstd_ptrh_getWholeShared(&a, &whole), 0);
    EXPECT_EQ(whole, o1);

    // Const handles interoperate with mutable ones.
    cstd_ptrhConst c1, c2;
    ASSERT_EQ(cstd_ptrhConst_constructConstCopy(&c1, &a), 0);
    ASSERT_EQ(cstd_ptrhConst_constructBaseTypename(&c2, nullptr, kKindName), 0);
    EXPECT_EQ(cstd_ptrhConst_assignConst(&c2, &a2), 0);
    EXPECT_EQ(refs(&o1->shared), 4);
    EXPECT_EQ(cstd_ptrhConst_getWholeShared(&c2, &whole), 0);
    EXPECT_EQ(whole, o1);
    EXPECT_EQ(cstd_ptrhConst_assignShared(&c2, nullptr), 0);
    EXPECT_EQ(refs(&o1->shared), 3);
    EXPECT_EQ(cstd_ptrhConst_assign(&c2, &c1), 0);
    EXPECT_EQ(refs(&o1->shared), 4);

    EXPECT_EQ(cstd_ptrhConst_destruct(&c1), 0);
    EXPECT_EQ(cstd_ptrhConst_destruct(&c2), 0);
    EXPECT_EQ(cstd_ptrh_destruct(&a2), 0);
    EXPECT_EQ(d1.load(), 0);
    EXPECT_EQ(cstd_ptrh_destruct(&a), 0);
    EXPECT_EQ(d1.load(), 1);
    EXPECT_EQ(cstd_ptrh_destruct(&b), 0);
    EXPECT_EQ(d1.load(), 1);
    EXPECT_EQ(d2.load(), 1);
}

namespace {
std::atomic<int> g_incrementFailures{0};
cmath_status failingIncrement(cstd_shared*)
{
    g_incrementFailures.fetch_add(1);
    return cmath_errFailed;
}
cmath_status failingDestroy(cstd_shared* header)
{
    countedDestroy(header);
    return cmath_errSingular;
}
const cstd_sharedOps kFailingIncrementOps = {countedDestroy, failingIncrement, cstd_shared_decrement_default};
const cstd_sharedOps kFailingDestroyOps = {failingDestroy, cstd_shared_increment_default,
                                           cstd_shared_decrement_default};
} // namespace

TEST(Handles, FailingIncrementLeavesHandlesUnchangedAndDestroyStatusPassesUp)
{
    std::atomic<int> d1{0}, d2{0};
    Counted* stuck = makeCounted(&d1, &kFailingIncrementOps);
    Counted* held = makeCounted(&d2, &kFailingDestroyOps);
    ASSERT_TRUE(stuck && held);

    cstd_ptrh h;
    h.header = reinterpret_cast<cstd_shared*>(0x10);
    h.baseTypename = u"sentinel";
    EXPECT_EQ(cstd_ptrh_constructBaseTypename(&h, &stuck->shared, kKindName), cmath_errFailed);
    EXPECT_EQ(h.header, reinterpret_cast<cstd_shared*>(0x10)); // left as it was

    ASSERT_EQ(cstd_ptrh_construct(&h, &held->shared), 0);
    EXPECT_EQ(cstd_ptrh_assignShared(&h, &stuck->shared), cmath_errFailed);
    EXPECT_EQ(h.header, &held->shared); // still holds its old object
    EXPECT_EQ(refs(&held->shared), 1);
    EXPECT_EQ(cstd_ptrh_destruct(&h), cmath_errSingular); // the destroy status passes up
    EXPECT_EQ(h.header, nullptr);
    EXPECT_EQ(d2.load(), 1);
    EXPECT_EQ(g_incrementFailures.load(), 2);

    void* block = stuck;
    csys_memory_free_internal(&block);
}

TEST(Handles, ConcurrentCopiesAndReleasesKeepTheCountExact)
{
    std::atomic<int> destroyed{0};
    Counted* o = makeCounted(&destroyed);
    ASSERT_NE(o, nullptr);
    cstd_ptrhConst root;
    ASSERT_EQ(cstd_ptrhConst_constructBaseTypename(&root, &o->shared, kKindName), 0);

    constexpr int kThreads = 4;
    constexpr int kRounds = 10000;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            cstd_ptrhConst mine;
            cstd_ptrhConst_constructBaseTypename(&mine, nullptr, kKindName);
            for (int i = 0; i < kRounds; ++i) {
                cstd_ptrhConst copy;
                if (cstd_ptrhConst_constructCopy(&copy, &root) != 0) {
                    failures.fetch_add(1);
                }
                if (cstd_ptrhConst_assign(&mine, &copy) != 0) {
                    failures.fetch_add(1);
                }
                if (cstd_ptrhConst_destruct(&copy) != 0 || (i % 3 == 0 && cstd_ptrhConst_destruct(&mine) != 0)) {
                    failures.fetch_add(1);
                }
            }
            cstd_ptrhConst_destruct(&mine);
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(refs(&o->shared), 1);
    EXPECT_EQ(destroyed.load(), 0);
    EXPECT_EQ(cstd_ptrhConst_destruct(&root), 0);
    EXPECT_EQ(destroyed.load(), 1);
}

TEST(Handles, LastReleaseFromAnyThreadDestroysOnce)
{
    // Every thread holds a copy; the one that lets go last destroys the object.
    for (int round = 0; round < 50; ++round) {
        std::atomic<int> destroyed{0};
        Counted* o = makeCounted(&destroyed);
        ASSERT_NE(o, nullptr);
        cstd_ptrh copies[4];
        cstd_ptrh_construct(&copies[0], &o->shared);
        for (int i = 1; i < 4; ++i) {
            cstd_ptrh_constructCopy(&copies[i], &copies[0]);
        }
        std::vector<std::thread> threads;
        for (auto& c : copies) {
            threads.emplace_back([&c] { cstd_ptrh_destruct(&c); });
        }
        for (auto& th : threads) {
            th.join();
        }
        EXPECT_EQ(destroyed.load(), 1);
    }
}

TEST(TypeNames, QueriesMatchExactlyAndRunDownToTheRoot)
{
    std::atomic<int> destroyed{0};
    Counted* o = makeCounted(&destroyed);
    ASSERT_NE(o, nullptr);
    cstd_shared* h = &o->shared;
    void* out = reinterpret_cast<void*>(0x1);

    const char16_t* name = nullptr;
    EXPECT_EQ(cstd_shared_getTypename(h, &name), 0);
    EXPECT_EQ(name, kKindName);

    // The non-final query consults the kind first.
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(h, u"test_counted", &out, 0), 0);
    EXPECT_EQ(out, o);
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(h, u"test_counted_payload", &out, 0), 0);
    EXPECT_EQ(out, &o->payload);
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(h, u"cstd_shared", &out, 0), 0);
    EXPECT_EQ(out, h);
    // A proper prefix, a longer name and a different case match nothing; not a failure.
    for (const char16_t* miss : {u"test_count", u"test_countedX", u"Test_counted", u"cstd_share", u""}) {
        out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(cstd_shared_queryInterfaceByTypename(h, miss, &out, 0), 0);
        EXPECT_EQ(out, nullptr);
    }
    // The final query answers only the root names.
    EXPECT_EQ(cstd_shared_queryInterfaceByTypenameFinal(h, u"test_counted", &out, 0), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(cstd_shared_queryInterfaceByTypenameFinal(h, u"cstd_shared", &out, 0), 0);
    EXPECT_EQ(out, h);

    // Null header: nothing found; null name or out: refused.
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(nullptr, u"cstd_shared", &out, 0), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(h, nullptr, &out, 0), cmath_errNullArgument);
    EXPECT_EQ(cstd_shared_queryInterfaceByTypenameFinal(h, u"x", nullptr, 0), cmath_errNullArgument);

    // Exact comparison helper.
    EXPECT_EQ(cstd_typename_equal(u"abc", u"abc"), 1);
    EXPECT_EQ(cstd_typename_equal(u"ab", u"abc"), 0);
    EXPECT_EQ(cstd_typename_equal(u"abc", u"ab"), 0);
    EXPECT_EQ(cstd_typename_equal(nullptr, u""), 0);
    EXPECT_EQ(cstd_typename_equal(nullptr, nullptr), 1);

    void* block = o;
    csys_memory_free_internal(&block);
}

namespace {
cmath_status erroringQuery(void*, const char16_t*, void** out)
{
    *out = nullptr;
    return cmath_errTypeMismatch;
}
cmath_status erroringName(void*, const char16_t** out)
{
    *out = u"garbage";
    return cmath_errFailed;
}
const cstd_sharedTypeTable kErroringTypes = {erroringQuery, erroringName};
} // namespace

TEST(TypeNames, KindsWithoutTableAndKindFailures)
{
    std::atomic<int> destroyed{0};
    Counted* bare = makeCounted(&destroyed, &kCountedOps, nullptr);
    Counted* bad = makeCounted(&destroyed, &kCountedOps, &kErroringTypes);
    ASSERT_TRUE(bare && bad);

    const char16_t* name = u"sentinel";
    EXPECT_EQ(cstd_shared_getTypename(&bare->shared, &name), 0);
    EXPECT_EQ(name, nullptr);
    void* out = nullptr;
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(&bare->shared, u"cstd_shared", &out, 0), 0);
    EXPECT_EQ(out, &bare->shared);
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(&bare->shared, u"test_counted", &out, 0), 0);
    EXPECT_EQ(out, nullptr);

    const char16_t* kept = u"kept";
    name = kept;
    EXPECT_EQ(cstd_shared_getTypename(&bad->shared, &name), cmath_errFailed);
    EXPECT_EQ(name, kept);
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(cstd_shared_queryInterfaceByTypename(&bad->shared, u"cstd_shared", &out, 0),
              cmath_errTypeMismatch);
    EXPECT_EQ(out, nullptr);

    for (Counted* c : {bare, bad}) {
        void* block = c;
        csys_memory_free_internal(&block);
    }
}

TEST(Handles, NullArgumentsAreRefused)
{
    cstd_ptrh h;
    cstd_ptrh_construct(&h, nullptr);
    EXPECT_EQ(cstd_ptrh_construct(nullptr, nullptr), cmath_errNullArgument);
    EXPECT_EQ(cstd_ptrh_constructCopy(&h, nullptr), cmath_errNullArgument);
    EXPECT_EQ(cstd_ptrh_assign(&h, nullptr), cmath_errNullArgument);
    EXPECT_EQ(cstd_ptrh_destruct(nullptr), cmath_errNullArgument);
    EXPECT_EQ(cstd_ptrh_getWholeShared(&h, nullptr), cmath_errNullArgument);
    int64_t n = 0;
    EXPECT_EQ(cstd_shared_getReferenceCount(nullptr, &n), cmath_errNullArgument);
    EXPECT_EQ(cstd_ptrh_destruct(&h), 0);
}
