// Shared objects and handles with kinds of the test's own whose operations fail: the status
// passes up and the handles stay as they were. (Reference counts, the default operations, type
// names and handles shared between threads: through the transform handles and typed vectors.)
#include "fault.h"
#include "orbtest_a.h"

namespace {

// A test kind: a payload before the header (so outer != header) and a destroy that counts.
struct Counted {
    double payload;
    cstd_shared shared;
    int* destroyed;
};

cmath_status countedDestroy(cstd_shared* header)
{
    auto* c = static_cast<Counted*>(header->outer);
    ++*c->destroyed;
    void* block = c;
    return csys_memory_free_internal(&block);
}
int g_incrementFailures = 0;
const cstd_sharedOps kFailingIncrementOps = {
    countedDestroy, [](cstd_shared*) { return ++g_incrementFailures, cmath_errFailed; }, cstd_shared_decrement_default};
const cstd_sharedOps kFailingDestroyOps = {[](cstd_shared* h) { return countedDestroy(h), cmath_errSingular; },
                                           cstd_shared_increment_default, cstd_shared_decrement_default};

Counted* makeCounted(int* destroyed, const cstd_sharedOps* ops)
{
    void* block = nullptr;
    EXPECT_EQ(csys_memory_alloc_internal(sizeof(Counted), &block), 0);
    auto* c = new (block) Counted{1.5, {}, destroyed};
    const cstd_sharedDescriptor d = {nullptr, nullptr, ops};
    EXPECT_EQ(cstd_shared_initCustomTyped(&c->shared, c, &d, nullptr), 0);
    return c;
}

} // namespace

TEST(Handles, FailingIncrementLeavesHandlesUnchangedAndDestroyStatusPassesUp)
{
    int d1 = 0, d2 = 0;
    Counted* stuck = makeCounted(&d1, &kFailingIncrementOps);
    Counted* held = makeCounted(&d2, &kFailingDestroyOps);
    const cstd_ptrh sentinel{reinterpret_cast<cstd_shared*>(0x10), u"sentinel"};
    EXPECT_TRUE(orbtest::refusesWith(cmath_errFailed, sentinel, [&](cstd_ptrh* h) {
        return cstd_ptrh_constructBaseTypename(h, &stuck->shared, u"cstd_shared");
    }));
    cstd_ptrh h;
    ASSERT_EQ(cstd_ptrh_construct(&h, &held->shared), 0);
    EXPECT_EQ(cstd_ptrh_assignShared(&h, &stuck->shared), cmath_errFailed);
    EXPECT_TRUE(h.header == &held->shared && orbtest::result<int64_t>(cstd_shared_getReferenceCount, h.header) == 1);
    EXPECT_TRUE(cstd_ptrh_destruct(&h) == cmath_errSingular && h.header == nullptr && d2 == 1);
    EXPECT_TRUE(g_incrementFailures == 2 && d1 == 0);
    void* block = stuck; // never had a handle: its creator frees it
    csys_memory_free_internal(&block);
}
