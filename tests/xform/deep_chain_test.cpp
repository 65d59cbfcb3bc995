// Transforms nested a million deep (h = h o p once a frame nests one level a frame): mapping,
// linearising, the linearity query, equality, inversion, cloning and release all run on a thread
// whose stack is 256 KiB, and every block comes back.
#include "fault.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

namespace {

// (x, y) -> (x + y + 1, y + 1): its powers stay exact integers, and no power is the identity.
const cmath_xformLinear kLin = {{1.0, 1.0}, {1.0, 1.0, 0.0, 1.0}};
const cmath_vect kAt = {3.0, -2.0};

// The first nonzero status of calls made in order (a braced list is evaluated in order), or 0.
cmath_status inOrder(std::initializer_list<cmath_status> statuses)
{
    for (const cmath_status st : statuses) {
        if (st != 0) {
            return st;
        }
    }
    return 0;
}

// Runs fn on a thread with a 256 KiB stack; a walk that recursed once per level would overflow it.
void onSmallStack(const std::function<void()>& fn)
{
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, 256 * 1024), 0);
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
    cmath_xformPtrhConst h, p;
    Nested(int depth, bool atTail)
    {
        cmath_xformPtrhConst lin;
        cmath_xfcomposed one;
        EXPECT_EQ(inOrder({cmath_xformPtrhConst_construct(&h), cmath_xformPtrhConst_construct(&p),
                           cmath_xformPtrhConst_constructLinear(&lin, &kLin), cmath_xfcomposed_construct(&one),
                           cmath_xfcomposed_composeFrontPH_(&one, &lin), cmath_xformPtrhConst_assignComposed(&p, &one),
                           cmath_xfcomposed_destruct(&one), cmath_xformPtrhConst_destruct(&lin)}),
                  0);
        cmath_status st = 0;
        for (int k = 0; k < depth && st == 0; ++k) {
            st = atTail ? cmath_xformPtrhConst_assignCompose(&h, &h, &p) : cmath_xformPtrhConst_assignCompose(&h, &p, &h);
        }
        EXPECT_EQ(st, 0);
    }
    ~Nested() { EXPECT_EQ(cmath_xformPtrhConst_destruct(&h) | cmath_xformPtrhConst_destruct(&p), 0); }
    Nested(const Nested&) = delete;
    Nested& operator=(const Nested&) = delete;
};

// kLin^n computed plainly: its value and its image of kAt.
cmath_xformLinear power(int n)
{
    cmath_xformLinear acc;
    cmath_xformLinear_initIdentity(&acc);
    for (int k = 0; k < n; ++k) {
        cmath_xformLinear_initCompose(&acc, &kLin, &acc);
    }
    return acc;
}

// Its image of kAt: exact, as every coordinate is an integer below 2^53.
cmath_vect image(int n)
{
    const cmath_xformLinear p = power(n);
    cmath_vect q;
    cmath_xformLinear_mapPoint(&p, &kAt, &q);
    return q;
}

bool same(const cmath_xformLinear& a, const cmath_xformLinear& b)
{
    return a.trans.x == b.trans.x && a.trans.y == b.trans.y && a.matrix.e11 == b.matrix.e11 &&
           a.matrix.e12 == b.matrix.e12 && a.matrix.e21 == b.matrix.e21 && a.matrix.e22 == b.matrix.e22;
}

TEST(DeepChain, WalksOnASmallStackGiveThePlainComposition)
{
    onSmallStack([] {
        struct Case {
            int depth;
            bool atTail;
        };
        for (const Case c : {Case{1000000, true}, Case{100000, true}, Case{100000, false}}) {
            SCOPED_TRACE(std::to_string(c.depth) + (c.atTail ? " deep, h = h o p" : " deep, h = p o h"));
            const int64_t start = csys_memory_testOutstanding();
            const cmath_xformLinear want = power(c.depth);
            const cmath_vect img = image(c.depth);
            {
                Nested n(c.depth, c.atTail);
                cmath_vect q = {0.0, 0.0}, back = {0.0, 0.0}, cloned = {0.0, 0.0};
                cmath_xformLinear lin = {};
                int32_t linear = 0, equal = 0, cloneEqual = 0;
                cmath_xformPtrhConst plain, inverse, clone;
                ASSERT_EQ(cmath_xformPtrhConst_constructLinear(&plain, &want) | cmath_xformPtrhConst_construct(&inverse) |
                              cmath_xformPtrhConst_construct(&clone),
                          0);
                EXPECT_EQ(cmath_xformPtrhConst_mapPoint(&n.h, &kAt, &q) | cmath_xformPtrhConst_getLinear(&n.h, &kAt, &lin) |
                              cmath_xformPtrhConst_getIsLinear(&n.h, &linear) |
                              cmath_xformPtrhConst_compareEqual(&n.h, &plain, &equal),
                          0);
                EXPECT_TRUE(q.x == img.x && q.y == img.y && same(lin, want) && linear == 1 && equal == 1);
                if (c.depth <= 100000) { // inversion and cloning
                    EXPECT_EQ(inOrder({cmath_xformPtrhConst_getInverseConst(&n.h, &inverse), cmath_xformPtrhConst_cloneConst(&n.h, &clone),
                                       cmath_xformPtrhConst_mapPoint(&inverse, &q, &back), cmath_xformPtrhConst_mapPoint(&clone, &kAt, &cloned),
                                       cmath_xformPtrhConst_compareEqual(&n.h, &clone, &cloneEqual)}),
                              0);
                    EXPECT_TRUE(back.x == kAt.x && back.y == kAt.y && cloned.x == q.x && cloned.y == q.y && cloneEqual == 1);
                }
                EXPECT_EQ(cmath_xformPtrhConst_destruct(&plain) | cmath_xformPtrhConst_destruct(&inverse) |
                              cmath_xformPtrhConst_destruct(&clone),
                          0);
            }
            EXPECT_EQ(csys_memory_testOutstanding(), start);
        }
    });
}

// A nested chain's linear form is accumulated on its own and then counts as one part of the
// chain around it: the rounding of those products, not of one flat product, is the result.
TEST(DeepChain, LinearFormKeepsTheProductsOfTheNesting)
{
    const cmath_xformLinear lin = {{0.3, -1.7}, {0.9, 0.2, -0.35, 1.1}};
    const auto compose = [](const cmath_xformLinear& a, const cmath_xformLinear& b) {
        cmath_xformLinear ab;
        cmath_xformLinear_initCompose(&ab, &a, &b);
        return ab;
    };
    cmath_xformLinear id;
    cmath_xformLinear_initIdentity(&id);
    const cmath_xformLinear inner = compose(lin, id);
    for (const bool atTail : {true, false}) {
        cmath_xformPtrhConst plain, p, h;
        cmath_xfcomposed one;
        ASSERT_EQ(inOrder({cmath_xformPtrhConst_constructLinear(&plain, &lin), cmath_xformPtrhConst_construct(&h),
                           cmath_xfcomposed_construct(&one), cmath_xfcomposed_composeFrontPH_(&one, &plain),
                           cmath_xformPtrhConst_constructComposed(&p, &one), cmath_xfcomposed_destruct(&one)}),
                  0);
        // The first step makes h a copy of p, [lin]; each further one nests h in [p, h] or [h, p].
        cmath_xformLinear want = inner;
        for (int k = 1; k <= 30; ++k) {
            ASSERT_EQ(atTail ? cmath_xformPtrhConst_assignCompose(&h, &h, &p) : cmath_xformPtrhConst_assignCompose(&h, &p, &h), 0);
            want = k == 1 ? want : atTail ? compose(want, compose(inner, id)) : compose(inner, compose(want, id));
        }
        cmath_xformLinear got;
        ASSERT_EQ(cmath_xformPtrhConst_getLinear(&h, &kAt, &got), 0);
        EXPECT_TRUE(same(got, want)) << (atTail ? "h = h o p" : "h = p o h");
        EXPECT_EQ(cmath_xformPtrhConst_destruct(&h) | cmath_xformPtrhConst_destruct(&p) | cmath_xformPtrhConst_destruct(&plain), 0);
    }
}

// Nested deeper than the walk keeps on its own stack, the walk allocates: each such allocation
// failing in turn, in mapping, linearising and inverting, is returned and leaks nothing; the
// linear form and the out-handle stay as they were (a point is left mapped so far).
TEST(DeepChain, AllocationFailuresInTheWalk)
{
    constexpr int kDepth = 40;
    const cmath_xformLinear sentinel = {{7.0, 7.0}, {7.0, 7.0, 7.0, 7.0}};
    const cmath_vect q = image(kDepth);
    int points = 0;
    for (const bool atTail : {true, false}) {
        for (const int walk : {0, 1, 2}) {
            points += orbtest::sweepPrepared([&] {
                auto n = std::make_shared<Nested>(kDepth, atTail);
                auto lin = std::make_shared<cmath_xformLinear>(sentinel);
                auto out = std::make_shared<cmath_xformPtrhConst>();
                EXPECT_EQ(cmath_xformPtrhConst_constructLinear(out.get(), &sentinel), 0);
                const cstd_shared* held = out->handle.header;
                return orbtest::Trial{[=] {
                                          return walk == 0   ? cmath_xformPtrhConst_mapPoint(&n->h, &kAt, &lin->trans)
                                                 : walk == 1 ? cmath_xformPtrhConst_getLinear(&n->h, &kAt, lin.get())
                                                             : cmath_xformPtrhConst_getInverseConst(&n->h, out.get());
                                      },
                                      [=] { EXPECT_TRUE((walk == 0 || same(*lin, sentinel)) && out->handle.header == held); },
                                      [=] {
                                          cmath_vect back = {0.0, 0.0};
                                          EXPECT_EQ(cmath_xformPtrhConst_mapPoint(out.get(), &q, &back), 0);
                                          EXPECT_TRUE(walk == 0   ? lin->trans.x == q.x && lin->trans.y == q.y
                                                      : walk == 1 ? same(*lin, power(kDepth))
                                                                  : back.x == kAt.x && back.y == kAt.y);
                                      },
                                      [=] { EXPECT_EQ(cmath_xformPtrhConst_destruct(out.get()), 0); }};
            });
        }
    }
    EXPECT_GE(points, 2 * 2 * kDepth);
}

} // namespace
