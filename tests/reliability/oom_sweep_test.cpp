// Allocation failure on every path of every allocating exported operation: a failing run must
// return the allocator's status, keep the outputs it promises to keep, every operand's reference
// count, and leak nothing; the run that gets through must give the right result. (The generic,
// shareable and double vectors are swept in tests/support, with elements whose copies allocate.)
#include "fault.h"
#include "orbtest_a.h"
#include "sweep_util.hpp"
#include "xform_handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using orbtest::Handle;
using orbtest::mapLinear;
using orbtest::mut;
using orbtest::Trial;

using rel::report;
using rel::sweep;

const cmath_xformLinear kA = {{1.0, 2.0}, {2.0, 0.5, -1.0, 1.5}};
const cmath_xformLinear kB = {{-3.0, 0.25}, {0.0, -1.0, 1.0, 0.0}};
const cmath_xformLinear kSentinel = {{7.0, 7.0}, {3.0, 0.0, 0.0, 3.0}};
const cmath_vect kProbe = {0.75, -1.25};

// The operands of the transform sweeps: two plain transforms, a warp (a kind defined outside the
// library), a chain [a, b], a chain holding that chain and the warp, and an empty handle.
struct World {
    Handle a{kA}, b{kB}, warp{0.5}, chain, nested, empty;
    World()
    {
        orbtest::makeChain(chain, {&a, &b});
        orbtest::makeChain(nested, {&chain, &warp, &a});
    }
    std::vector<int64_t> refs() const { return {a.refs(), b.refs(), warp.refs(), chain.refs(), nested.refs()}; }
    std::vector<const Handle*> unary() const { return {&a, &warp, &chain, &nested, &empty}; }
    std::vector<std::pair<const Handle*, const Handle*>> binary() const
    {
        return {{&a, &b}, {&a, &chain}, {&chain, &a}, {&chain, &nested}, {&empty, &chain}, {&a, &empty}, {&warp, &chain}, {&a, &warp}};
    }
    std::string name(const Handle* h) const
    {
        return h == &chain ? "a chain" : h == &nested ? "a nested chain" : h == &warp ? "a warp" : h == &empty ? "an empty handle" : "a plain transform";
    }
};

// How an out-handle starts and what a failing run leaves in it: a second reference to a
// sentinel transform, kept; a byte pattern, kept (constructLinear writes nothing); or a byte
// pattern, with the handle left empty (the constructors that construct it empty first).
enum class Out { Sentinel, Pattern, Emptied };

// A sweep of an operation writing an out-handle. A failing run keeps the operands' counts; the
// run that gets through must map the probe as `want` says (with `inverseOf`, inverseOf(out(p))
// must give back the probe).
template <class Op, class Want>
int sweepOut(const std::string& name, const World& w, Op op, Want want, Out start = Out::Sentinel,
             const Handle* inverseOf = nullptr)
{
    return sweep(name, [&]() {
        auto sentinel = std::make_shared<Handle>(kSentinel);
        auto out = std::make_shared<cmath_xformPtrhConst>();
        std::memset(static_cast<void*>(out.get()), 0xCD, sizeof *out);
        if (start == Out::Sentinel) {
            EXPECT_EQ(cmath_xformPtrhConst_constructCopy(out.get(), &sentinel->h), 0);
        }
        const cmath_xformPtrhConst before = *out;
        const std::vector<int64_t> refs = w.refs();
        Trial t;
        t.op = [=]() { return op(out.get()); };
        t.failed = [=, &w]() {
            if (start == Out::Emptied) {
                EXPECT_EQ(out->handle.header, nullptr);
            } else {
                EXPECT_EQ(std::memcmp(out.get(), &before, sizeof before), 0);
            }
            EXPECT_EQ(sentinel->refs(), start == Out::Sentinel ? 2 : 1);
            EXPECT_EQ(w.refs(), refs);
        };
        t.succeeded = [=]() {
            cmath_vect q = {-99.0, -99.0};
            EXPECT_EQ(cmath_xformPtrhConst_mapPoint(out.get(), &kProbe, &q), 0);
            q = inverseOf != nullptr ? inverseOf->map(q) : q;
            const cmath_vect e = want();
            EXPECT_NEAR(q.x, e.x, 1e-12);
            EXPECT_NEAR(q.y, e.y, 1e-12);
            EXPECT_EQ(sentinel->refs(), 1);
        };
        t.teardown = [=]() {
            if (start != Out::Pattern || std::memcmp(out.get(), &before, sizeof before) != 0) {
                EXPECT_EQ(cmath_xformPtrhConst_destruct(out.get()), 0);
            }
        };
        return t;
    });
}

cmath_vect mapBy(const Handle* h, cmath_vect p) { return h->map(p); }

TEST(OomSweep, TransformsThroughEveryEntryPoint)
{
    World w;
    int n = 0;

    // Copies and inverses of one transform (plain, chain, nested chain, empty handle).
    for (const Handle* h : w.unary()) {
        const std::string on = " of " + w.name(h);
        const cmath_xform* x = h->x();
        auto same = [=]() { return mapBy(h, kProbe); };
        // An inverse is checked through the transform itself: h(inverse(p)) = p.
        auto clone = [&](const std::string& name, auto op) { n += sweepOut(name + on, w, op, same); };
        auto inverse = [&](const std::string& name, auto op) {
            n += sweepOut(name + on, w, op, []() { return kProbe; }, Out::Sentinel, h);
        };
        clone("cmath_xformPtrhConst_clone", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_clone(&h->h, mut(o)); });
        clone("cmath_xformPtrh_clone", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrh_clone(h->m(), mut(o)); });
        clone("cmath_xformPtrhConst_cloneConst", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_cloneConst(&h->h, o); });
        clone("cmath_xformPtrh_cloneConst", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrh_cloneConst(h->m(), o); });
        inverse("cmath_xformPtrhConst_getInverse", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_getInverse(&h->h, mut(o)); });
        inverse("cmath_xformPtrh_getInverse", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrh_getInverse(h->m(), mut(o)); });
        inverse("cmath_xformPtrhConst_getInverseConst", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_getInverseConst(&h->h, o); });
        if (x == nullptr) {
            continue; // the object-level entry points need an object
        }
        clone("cmath_xform_clone", [=](cmath_xformPtrhConst* o) { return cmath_xform_clone(x, mut(o)); });
        clone("cmath_xform_cloneConst", [=](cmath_xformPtrhConst* o) { return cmath_xform_cloneConst(x, o); });
        clone("cmath_xformPtrhConst_assignClone", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignClone(o, x); });
        clone("cmath_xformPtrh_assignClone", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrh_assignClone(mut(o), x); });
        // Constructors that construct the handle empty first leave it so when they fail.
        n += sweepOut("cmath_xformPtrhConst_constructClone" + on, w, [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_constructClone(o, x); }, same, Out::Emptied);
        n += sweepOut("cmath_xformPtrh_constructClone" + on, w, [=](cmath_xformPtrhConst* o) { return cmath_xformPtrh_constructClone(mut(o), x); }, same, Out::Emptied);
        inverse("cmath_xform_getInverse", [=](cmath_xformPtrhConst* o) { return cmath_xform_getInverse(x, mut(o)); });
        inverse("cmath_xform_getInverseConst", [=](cmath_xformPtrhConst* o) { return cmath_xform_getInverseConst(x, o); });
        if (x->ops != nullptr) { // the composed kind's own slots
            clone("clone slot", [=](cmath_xformPtrhConst* o) { return x->ops->clone(x->shared.outer, mut(o)); });
            inverse("getInverse slot", [=](cmath_xformPtrhConst* o) { return x->ops->getInverse(x->shared.outer, mut(o)); });
        }
    }

    // Compositions of two operands; each must map the probe like a(b(p)).
    for (const auto& operands : w.binary()) {
        const Handle *ha = operands.first, *hb = operands.second;
        const std::string on = " of " + w.name(ha) + ", " + w.name(hb);
        const cmath_xform *xa = ha->x(), *xb = hb->x();
        auto ab = [=]() { return mapBy(ha, mapBy(hb, kProbe)); };
        auto compose = [&](const std::string& name, auto op, auto want) { n += sweepOut(name + on, w, op, want); };
        compose("cmath_xformPtrhConst_assignCompose", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignCompose(o, &ha->h, &hb->h); }, ab);
        compose("cmath_xformPtrh_assignCompose", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrh_assignCompose(mut(o), ha->m(), hb->m()); }, ab);
        compose("cmath_xformPtrhConst_assignCompose3", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignCompose3(o, &ha->h, &hb->h, &ha->h); },
                [=]() { return mapBy(ha, mapBy(hb, mapBy(ha, kProbe))); });
        compose("cmath_xformPtrhConst_assignCompose4", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignCompose4(o, &ha->h, &hb->h, &hb->h, &ha->h); },
                [=]() { return mapBy(ha, mapBy(hb, mapBy(hb, mapBy(ha, kProbe)))); });
        compose("cmath_xformPtrhConst_assignComposeLinearPtrh", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignComposeLinearPtrh(o, &kB, &hb->h); },
                [=]() { return mapLinear(kB, mapBy(hb, kProbe)); });
        compose("cmath_xformPtrhConst_assignComposePtrhLinear", [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignComposePtrhLinear(o, &ha->h, &kB); },
                [=]() { return mapBy(ha, mapLinear(kB, kProbe)); });
        if (xa == nullptr || xb == nullptr) {
            continue;
        }
        compose("cmath_xform_compose", [=](cmath_xformPtrhConst* o) { return cmath_xform_compose(xa, xb, mut(o)); }, ab);
        if (xa->ops != nullptr) {
            compose("compose slot", [=](cmath_xformPtrhConst* o) { return xa->ops->compose(xa->shared.outer, xb, mut(o)); }, ab);
            compose("cmath_xfcomposed_defaultCompose", [=](cmath_xformPtrhConst* o) { return cmath_xfcomposed_defaultCompose(xa, xb, mut(o)); }, ab);
        }
    }

    // New plain and composed transforms from values.
    const cmath_xfcomposed* c = orbtest::chainOf(w.chain);
    auto viaA = [=]() { return mapLinear(kA, kProbe); };
    auto viaChain = [&]() { return w.chain.map(kProbe); };
    n += sweepOut("cmath_xformPtrhConst_assignComposeLinearLinear", w,
                        [](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignComposeLinearLinear(o, &kA, &kB); },
                        []() { return mapLinear(kA, mapLinear(kB, kProbe)); });
    n += sweepOut("cmath_xformPtrhConst_assignLinear", w, [](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignLinear(o, &kA); }, viaA);
    n += sweepOut("cmath_xformPtrh_assignLinear", w, [](cmath_xformPtrhConst* o) { return cmath_xformPtrh_assignLinear(mut(o), &kA); }, viaA);
    n += sweepOut("cmath_xformPtrhConst_assignComposed", w, [=](cmath_xformPtrhConst* o) { return cmath_xformPtrhConst_assignComposed(o, c); }, viaChain);
    n += sweepOut("cmath_xformPtrh_assignComposed", w, [=](cmath_xformPtrhConst* o) { return cmath_xformPtrh_assignComposed(mut(o), c); }, viaChain);

    // Constructors of handles.
    n += sweepOut("cmath_xformPtrhConst_constructLinear", w, [](cmath_xformPtrhConst* h) { return cmath_xformPtrhConst_constructLinear(h, &kA); }, viaA, Out::Pattern);
    n += sweepOut("cmath_xformPtrh_constructLinear", w, [](cmath_xformPtrhConst* h) { return cmath_xformPtrh_constructLinear(mut(h), &kA); }, viaA, Out::Pattern);
    n += sweepOut("cmath_xformPtrhConst_constructComposed", w, [=](cmath_xformPtrhConst* h) { return cmath_xformPtrhConst_constructComposed(h, c); }, viaChain, Out::Emptied);
    n += sweepOut("cmath_xformPtrh_constructComposed", w, [=](cmath_xformPtrhConst* h) { return cmath_xformPtrh_constructComposed(mut(h), c); }, viaChain, Out::Emptied);
    report("transforms", n);
    EXPECT_GT(n, 100);
}

TEST(OomSweep, ComposedTransformsConstructAndAssign)
{
    World w;
    const cmath_xfcomposed* c = orbtest::chainOf(w.chain);
    const cmath_xfcomposed* nested = orbtest::chainOf(w.nested);
    int n = 0;

    // Constructors: a failure leaves nothing behind (the harness counts blocks) and the operands'
    // counts unchanged. Operations on an existing chain [b, b, b] (longer than what assign copies
    // before it fails): composeFrontPH_ and getInverse leave it exactly as it was; assign may leave
    // the nodes it copied so far, but never a leak or a stray reference.
    enum Kind { Constructs, Untouched, Partial };
    auto onChain = [&](const std::string& name, auto op, Kind kind, size_t parts) {
        n += sweep(name, [&, op, kind, parts]() {
            auto target = std::make_shared<cmath_xfcomposed>();
            for (int k = kind == Constructs ? 4 : 0; k < 4; ++k) {
                EXPECT_EQ(k == 0 ? cmath_xfcomposed_construct(target.get()) : cmath_xfcomposed_composeFrontPH_(target.get(), &w.b.h), 0);
            }
            const std::vector<const cmath_xform*> before = kind == Constructs ? std::vector<const cmath_xform*>{} : orbtest::parts(target.get());
            const cmath_xfcomposedNode* head = kind == Constructs ? nullptr : target->head;
            const std::vector<int64_t> refs = w.refs();
            Trial t;
            t.op = [=]() { return op(target.get()); };
            t.failed = [=, &w]() {
                EXPECT_TRUE(kind != Constructs || w.refs() == refs);
                EXPECT_TRUE(kind != Untouched || (target->head == head && orbtest::parts(target.get()) == before));
            };
            t.succeeded = [=]() {
                EXPECT_EQ(orbtest::parts(target.get()).size(), parts);
                EXPECT_EQ(kind == Constructs ? cmath_xfcomposed_destruct(target.get()) : 0, 0);
            };
            t.teardown = [=]() { EXPECT_EQ(kind == Constructs ? 0 : cmath_xfcomposed_destruct(target.get()), 0); };
            return t;
        });
    };
    onChain("cmath_xfcomposed_constructCopy", [=](cmath_xfcomposed* m) { return cmath_xfcomposed_constructCopy(m, c); }, Constructs, 2);
    onChain("cmath_xfcomposed_constructCopy of a nested chain", [=](cmath_xfcomposed* m) { return cmath_xfcomposed_constructCopy(m, nested); }, Constructs, 3);
    for (const auto& [ha, hb] : w.binary()) {
        const cmath_xform *xa = ha->x(), *xb = hb->x();
        if (xa != nullptr && xb != nullptr) {
            onChain("cmath_xfcomposed_constructPair", [=](cmath_xfcomposed* m) { return cmath_xfcomposed_constructPair(m, xa, xb); }, Constructs, 2);
        }
    }
    onChain("cmath_xfcomposed_composeFrontPH_", [&](cmath_xfcomposed* t) { return cmath_xfcomposed_composeFrontPH_(t, &w.chain.h); }, Untouched, 4);
    onChain("cmath_xfcomposed_getInverse", [=](cmath_xfcomposed* t) { return cmath_xfcomposed_getInverse(c, t); }, Untouched, 2);
    onChain("cmath_xfcomposed_assign", [=](cmath_xfcomposed* t) { return cmath_xfcomposed_assign(t, c); }, Partial, 2);
    onChain("cmath_xfcomposed_assign of a nested chain", [=](cmath_xfcomposed* t) { return cmath_xfcomposed_assign(t, nested); }, Partial, 3);
    report("composed transforms", n);
    EXPECT_GT(n, 10);
}

// Mapping, linearising, comparing and copying handles are hot paths, and the robust fits keep
// their working state (the best model and counts) on the stack: none asks the allocator for
// anything.
TEST(OomSweep, HotPathsAndRobustFitsAllocateNothing)
{
    World w;
    const auto none = [](const std::string& name, const std::function<cmath_status()>& op) {
        const int64_t requests = csys_memory_testRequests();
        EXPECT_GE(op(), 0) << name;
        EXPECT_EQ(csys_memory_testRequests(), requests) << name;
    };
    for (const Handle* h : w.unary()) {
        none("map, linearise, compare, copy and release " + w.name(h), [h, &w]() {
            cmath_vect q;
            cmath_xformLinear l;
            int32_t b, e;
            cmath_xformPtrhConst c;
            const cmath_status st = cmath_xformPtrhConst_mapPoint(&h->h, &kProbe, &q) |
                                    cmath_xformPtrhConst_getLinear(&h->h, &kProbe, &l) |
                                    cmath_xformPtrhConst_getIsLinear(&h->h, &b) |
                                    cmath_xformPtrhConst_compareEqual(&h->h, &w.chain.h, &e) |
                                    cmath_xformPtrhConst_constructCopy(&c, &h->h);
            return st < 0 ? st : cmath_xformPtrhConst_destruct(&c);
        });
    }
    // The robust fits (documented to make no allocation), on pairs a third of which are outliers.
    std::vector<cmath_vect> src, dst;
    for (int i = 0; i < 60; ++i) {
        src.push_back(cmath_vect{static_cast<double>(i % 8), static_cast<double>(i / 8)});
        dst.push_back(i % 3 ? cmath_vect{2.0 * src[i].x - src[i].y + 1.0, src[i].x + 3.0} : cmath_vect{-50.0 * i, 9.0});
    }
    using Robust = cmath_status (*)(cmath_xformLinear*, const cmath_vect*, const cmath_vect*, int32_t, csRandomUniform2*,
                                    double, int32_t, double, int32_t*, int32_t*);
    for (Robust fit : {cmath_xformLinear_initPointsRobust, cmath_xformLinear_initPointsSimilarityRobust,
                       cmath_xformLinear_initPointsRigidRobust}) {
        none("a robust fit", [&]() {
            csRandomUniform2 g;
            csRandomUniformInit2(&g, 3);
            cmath_xformLinear t;
            std::vector<int32_t> mask(60);
            int32_t count = 0;
            return fit(&t, dst.data(), src.data(), 60, &g, 0.5, 200, 0.99, mask.data(), &count);
        });
    }
    none("cmath_xformRigid_initPointsRobust", [&]() {
        csRandomUniform2 g;
        csRandomUniformInit2(&g, 3);
        cmath_xformRigid r;
        return cmath_xformRigid_initPointsRobust(&r, dst.data(), src.data(), 60, &g, 0.5, 200, 0.99, nullptr, nullptr);
    });
}

double expectedFour(int32_t, void*) { return 4.0; }

TEST(OomSweep, StatisticsAndSampling)
{
    int n = 0;
    // The chi-squared test resets its result on every failure after the arguments are checked.
    for (int32_t bins : {4, 12, 200}) {
        n += sweep("cmath_chiSqTest with " + std::to_string(bins) + " bins", [bins]() {
            auto observed = std::make_shared<std::vector<double>>();
            for (int32_t i = 0; i < bins; ++i) {
                observed->push_back(3.0 + i % 4);
            }
            auto r = std::make_shared<cmath_chiSqTestResult>();
            const cmath_chiSqTestParams p = {0.05};
            cmath_chiSqTestResult want;
            EXPECT_EQ(cmath_chiSqTest(observed->data(), bins, &p, expectedFour, nullptr, &want), 0);
            *r = {7, 7, 7.0, 7};
            Trial t;
            t.op = [=]() { return cmath_chiSqTest(observed->data(), bins, &p, expectedFour, nullptr, r.get()); };
            t.failed = [=]() { EXPECT_TRUE(!r->isComputed && !r->passed && r->testStatistic == 0.0 && !r->numDofs); };
            t.succeeded = [=]() {
                EXPECT_TRUE(r->isComputed && r->passed == want.passed && r->numDofs == want.numDofs); // as a clean run
                EXPECT_TRUE(orbtest::sameBytes(r->testStatistic, want.testStatistic));
            };
            return t;
        });
    }
    // A distribution record made by the library: null when the block cannot be had.
    n += sweep("csUniformDistributionCT2 without a record", []() {
        auto made = std::make_shared<csDistribution*>(nullptr);
        Trial t;
        t.op = [=]() {
            *made = csUniformDistributionCT2(nullptr, -1.0f, 2.0f);
            return *made == nullptr ? csys_errNoMemory : 0;
        };
        t.succeeded = [=]() {
            EXPECT_TRUE((*made)->type == 0 && (*made)->low == -1.0f && (*made)->high == 2.0f);
            cxfFree(*made);
        };
        return t;
    });
    report("statistics", n);
    EXPECT_GE(n, 7);
}

// The scratch array of a transform with a part of another module's kind, the part list of a long
// chain and the walk's frames in a deep one allocate: a failing run leaves out (and, in place,
// in) untouched; the run that gets through maps like the single-point function. Plain transforms
// and short, shallow chains of plain parts allocate nothing.
TEST(OomSweep, ArrayMappingsOfTransformObjects)
{
    Handle a{kA}, b{kB}, warp{0.01}, one, shallow, deep, mixed, full;
    orbtest::makeChain(shallow, {&a, &b, &a});
    orbtest::makeChain(full, std::vector<const Handle*>(64, &b)); // as many parts as the list holds inline
    orbtest::makeChain(one, {&b});
    orbtest::makeChain(deep, {&one});
    for (int k = 0; k < 20; ++k) { // each nested chain first in its own: 20 frames of the walk
        EXPECT_EQ(cmath_xformPtrhConst_assignCompose(&deep.h, &one.h, &deep.h), 0);
    }
    cmath_xfcomposed c; // the warp, 70 plain parts and the deep chain
    EXPECT_EQ(cmath_xfcomposed_construct(&c), 0);
    EXPECT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &deep.h), 0);
    for (int k = 0; k < 70; ++k) {
        EXPECT_EQ(cmath_xfcomposed_composeFrontPH_(&c, k % 2 == 0 ? &a.h : &b.h), 0);
    }
    EXPECT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &warp.h), 0);
    EXPECT_EQ(cmath_xformPtrhConst_assignComposed(&mixed.h, &c), 0);
    EXPECT_EQ(cmath_xfcomposed_destruct(&c), 0);
    using Map = std::function<cmath_status(const Handle&, const cmath_vect*, cmath_vect*, int32_t)>;
    const std::pair<const char*, Map> entries[] = {
        {"cmath_xformPtrhConst_mapPoints", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xformPtrhConst_mapPoints(&h.h, in, out, n); }},
        {"cmath_xformPtrh_mapPoints", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xformPtrh_mapPoints(h.m(), in, out, n); }},
        {"cmath_xform_mapPoints", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xform_mapPoints(h.x(), in, out, n); }},
        {"cmath_xfcomposed_mapPoints", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xfcomposed_mapPoints(orbtest::chainOf(h), in, out, n); }},
    };
    std::vector<cmath_vect> in(600); // two blocks
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = {0.01 * static_cast<double>(i), 1.0 - 0.02 * static_cast<double>(i)};
    }
    int n = 0;
    for (const Handle* h : {&warp, &deep, &mixed, &a, &shallow, &full}) {
        const bool allocates = h != &a && h != &shallow && h != &full;
        std::vector<cmath_vect> want(in.size());
        std::transform(in.begin(), in.end(), want.begin(), [h](cmath_vect p) { return h->map(p); });
        for (const auto& [name, map] : entries) {
            if (&map == &entries[3].second && h->composed() == 0) {
                continue; // the chain entry point needs a chain
            }
            for (const bool inPlace : {false, true}) {
                const int points = sweep(std::string(name) + (inPlace ? " in place" : ""), [&, map = map]() {
                    auto src = std::make_shared<std::vector<cmath_vect>>(in);
                    auto dst = inPlace ? src : std::make_shared<std::vector<cmath_vect>>(in.size(), cmath_vect{-7.0, 7.0});
                    const std::vector<cmath_vect> before = *dst;
                    Trial t;
                    t.op = [=]() { return map(*h, src->data(), dst->data(), static_cast<int32_t>(src->size())); };
                    t.failed = [=]() { EXPECT_EQ(std::memcmp(dst->data(), before.data(), before.size() * sizeof(cmath_vect)), 0); };
                    t.succeeded = [=]() { EXPECT_EQ(std::memcmp(dst->data(), want.data(), want.size() * sizeof(cmath_vect)), 0); };
                    return t;
                });
                EXPECT_EQ(points > 0, allocates) << name;
                n += points;
            }
        }
    }
    report("array mappings", n);
}

} // namespace
