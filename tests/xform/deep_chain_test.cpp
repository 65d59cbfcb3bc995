// Transforms nested a million deep (h = h o p once a frame nests one level a frame): mapping,
// linearising, the linearity query, equality, inversion, cloning and release all run on a thread
// whose stack is 256 KiB, and every block comes back; the walk's own allocations may fail.
#include "fault.h"
#include "orbtest_a.h"

#include <pthread.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

using L = cmath_xformLinear;
using V = cmath_vect;
using H = cmath_xformPtrhConst;

// (x, y) -> (x + y + 1, y + 1): its powers stay exact integers, and no power is the identity.
const L kLin = {{1, 1}, {1, 1, 0, 1}};
const V kAt = {3, -2};

// Runs fn on a thread with a 256 KiB stack; a walk that recursed once per level would overflow it.
void onSmallStack(const std::function<void()>& fn)
{
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr) | pthread_attr_setstacksize(&attr, 256 * 1024), 0);
    pthread_t thread;
    const auto run = [](void* f) -> void* {
        (*static_cast<const std::function<void()>*>(f))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&fn)), 0);
    EXPECT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attr);
}

// h nested `depth` deep from p, a chain of the one plain part kLin: h = h o p (each level's
// nested chain last in its chain) or h = p o h (first). Either way h maps like kLin^depth.
struct Nested {
    H h, p;
    Nested(int depth, bool atTail)
    {
        H lin;
        cmath_xfcomposed one;
        EXPECT_EQ(cmath_xformPtrhConst_construct(&h) | cmath_xformPtrhConst_construct(&p) |
                      cmath_xformPtrhConst_constructLinear(&lin, &kLin) | cmath_xfcomposed_construct(&one) |
                      cmath_xfcomposed_composeFrontPH_(&one, &lin) | cmath_xformPtrhConst_assignComposed(&p, &one) |
                      cmath_xfcomposed_destruct(&one) | cmath_xformPtrhConst_destruct(&lin),
                  0);
        cmath_status st = 0;
        for (int k = 0; k < depth && st == 0; ++k) {
            st = atTail ? cmath_xformPtrhConst_assignCompose(&h, &h, &p) : cmath_xformPtrhConst_assignCompose(&h, &p, &h);
        }
        EXPECT_EQ(st, 0);
    }
    ~Nested() { EXPECT_EQ(cmath_xformPtrhConst_destruct(&h) | cmath_xformPtrhConst_destruct(&p), 0); }
};

// kLin^n computed plainly, and its image of kAt.
L power(int n)
{
    L acc = {{0, 0}, {1, 0, 0, 1}};
    for (int k = 0; k < n; ++k) {
        cmath_xformLinear_initCompose(&acc, &kLin, &acc);
    }
    return acc;
}
V image(int n)
{
    const L x = power(n);
    return orbtest::result<V>(cmath_xformLinear_mapPoint, &x, &kAt);
}

template <class T> bool same(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

} // namespace

TEST(DeepChain, MapLineariseCompareAndReleaseOnASmallStack)
{
    onSmallStack([] {
        for (const auto& [depth, atTail] : {std::pair{1000000, true}, std::pair{100000, false}}) {
            SCOPED_TRACE(atTail ? "h = h o p" : "h = p o h");
            const int64_t start = csys_memory_testOutstanding();
            const L want = power(depth);
            {
                Nested n(depth, atTail);
                V q = {0, 0};
                L lin = {};
                int32_t linear = 0, equal = 0;
                H plain;
                ASSERT_EQ(cmath_xformPtrhConst_mapPoint(&n.h, &kAt, &q), 0);
                EXPECT_TRUE(same(q, image(depth)));
                ASSERT_EQ(cmath_xformPtrhConst_getLinear(&n.h, &kAt, &lin), 0);
                EXPECT_TRUE(same(lin, want));
                EXPECT_EQ(cmath_xformPtrhConst_getIsLinear(&n.h, &linear), 0);
                EXPECT_EQ(linear, 1);
                ASSERT_EQ(cmath_xformPtrhConst_constructLinear(&plain, &want), 0);
                EXPECT_EQ(cmath_xformPtrhConst_compareEqual(&n.h, &plain, &equal), 0);
                EXPECT_EQ(equal, 1);
                EXPECT_EQ(cmath_xformPtrhConst_destruct(&plain), 0);
            }
            EXPECT_EQ(csys_memory_testOutstanding(), start);
        }
    });
}

TEST(DeepChain, InverseAndCloneOnASmallStack)
{
    onSmallStack([] {
        constexpr int kDepth = 100000;
        const int64_t start = csys_memory_testOutstanding();
        {
            Nested n(kDepth, true);
            H inverse, clone;
            V q = {0, 0}, back = {0, 0}, cloned = {0, 0};
            int32_t equal = 0;
            ASSERT_EQ(cmath_xformPtrhConst_construct(&inverse) | cmath_xformPtrhConst_construct(&clone), 0);
            ASSERT_EQ(cmath_xformPtrhConst_getInverseConst(&n.h, &inverse) | cmath_xformPtrhConst_cloneConst(&n.h, &clone), 0);
            ASSERT_EQ(cmath_xformPtrhConst_mapPoint(&n.h, &kAt, &q) | cmath_xformPtrhConst_mapPoint(&inverse, &q, &back) |
                          cmath_xformPtrhConst_mapPoint(&clone, &kAt, &cloned),
                      0);
            EXPECT_TRUE(same(back, kAt) && same(cloned, q));
            EXPECT_EQ(cmath_xformPtrhConst_compareEqual(&n.h, &clone, &equal), 0);
            EXPECT_EQ(equal, 1);
            EXPECT_EQ(cmath_xformPtrhConst_destruct(&inverse) | cmath_xformPtrhConst_destruct(&clone), 0);
        }
        EXPECT_EQ(csys_memory_testOutstanding(), start);
    });
}

// Nested deeper than the walk keeps on its own stack, the walk allocates: each such allocation
// failing in turn is returned, leaves the outputs as they were (a linear form, an out-handle)
// and leaks nothing.
TEST(DeepChain, AllocationFailuresInTheWalk)
{
    constexpr int kDepth = 40;
    const L sentinel = {{7, 7}, {7, 7, 7, 7}};
    int points = 0;
    for (const bool atTail : {true, false}) {
        const auto trial = [&](auto op, auto good) {
            return orbtest::sweepPrepared([&] {
                auto n = std::make_shared<Nested>(kDepth, atTail);
                auto q = std::make_shared<V>(V{7, 7});
                auto lin = std::make_shared<L>(sentinel);
                auto out = std::make_shared<H>();
                EXPECT_EQ(cmath_xformPtrhConst_constructLinear(out.get(), &sentinel), 0);
                const cstd_shared* held = out->handle.header;
                return orbtest::Trial{[=] { return op(n->h, q.get(), lin.get(), out.get()); },
                                      [=] { EXPECT_TRUE(same(*lin, sentinel) && out->handle.header == held); }, // (a point may be half mapped)
                                      [=] { good(*q, *lin, *out); },
                                      [=] { EXPECT_EQ(cmath_xformPtrhConst_destruct(out.get()), 0); }};
            });
        };
        points += trial([](const H& h, V* q, L*, H*) { return cmath_xformPtrhConst_mapPoint(&h, &kAt, q); },
                        [](const V& q, const L&, const H&) { EXPECT_TRUE(same(q, image(kDepth))); });
        points += trial([](const H& h, V*, L* lin, H*) { return cmath_xformPtrhConst_getLinear(&h, &kAt, lin); },
                        [](const V&, const L& lin, const H&) { EXPECT_TRUE(same(lin, power(kDepth))); });
        points += trial([](const H& h, V*, L*, H* out) { return cmath_xformPtrhConst_getInverseConst(&h, out); },
                        [](const V&, const L&, const H& out) {
                            const V q = image(kDepth);
                            EXPECT_TRUE(same(orbtest::result<V>(cmath_xformPtrhConst_mapPoint, &out, &q), kAt));
                        });
    }
    EXPECT_GE(points, 2 * 2 * kDepth);
}
