// Arrays of points through transform objects: bit-identical to the single-point mapping through
// every entry point (plain, warp, chains with empty, plain, warp and nested parts, a chain longer
// than the inline part list, one nested deeper than the walk's inline frames), every length
// 0..67 and ones spanning several blocks, in place and out of place; a failing part leaves out
// untouched; refusals.
#include "fault.h"
#include "xform_handle.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using orbtest::Handle;
using V = cmath_vect;

// A warp that refuses points right of x = 100 (a kind whose slot can fail).
constexpr cmath_status kRefused = cmath_errOutOfDomain;
cmath_status refusingMap(const void* outer, const V* in, V* out)
{
    return in->x > 100.0 ? kRefused : warp::mapPoint(outer, in, out);
}
const cmath_xformOps kRefusingOps = {refusingMap, warp::getIsLinear, warp::getLinear, warp::compose,
                                     warp::getInverse, warp::clone};

orbtest::Rng rng;
cmath_xformLinear randomLinear()
{
    return {{rng.uniform(-5, 5), rng.uniform(-5, 5)},
            {rng.uniform(0.5, 1.5), rng.uniform(-0.5, 0.5), rng.uniform(-0.5, 0.5), rng.uniform(0.5, 1.5)}};
}
std::vector<V> randomPoints(size_t n)
{
    std::vector<V> p(n);
    for (V& v : p) {
        v = {rng.uniform(-20, 20), rng.uniform(-20, 20)}; // the chains below keep these left of x = 100
    }
    return p;
}

// The transforms under test, each behind a handle.
struct World {
    Handle empty, plain{randomLinear()}, b{randomLinear()}, warp{1e-3}, refusing{-1e-3}, hollow, chain, mixed, nested,
        longChain, deep, one;
    std::vector<std::unique_ptr<Handle>> owned;
    World()
    {
        // The refusing warp is the warp with another operations table.
        auto* w = static_cast<warp::Warp*>(refusing.x()->shared.outer);
        const_cast<cmath_xform&>(w->base).ops = &kRefusingOps;
        orbtest::makeChain(hollow, {&empty, &empty});
        orbtest::makeChain(chain, {&plain, &b});
        orbtest::makeChain(mixed, {&plain, &warp, &empty, &b});
        orbtest::makeChain(nested, {&chain, &refusing, &mixed, &plain});
        // 70 plain parts: more than the list holds without an allocation.
        std::vector<const Handle*> many;
        for (int k = 0; k < 70; ++k) {
            owned.push_back(std::make_unique<Handle>(randomLinear()));
            many.push_back(owned.back().get());
        }
        orbtest::makeChain(longChain, many);
        // deep = one o (one o (... o one)) 20 levels, each nested chain first in its own.
        orbtest::makeChain(one, {&b});
        orbtest::makeChain(deep, {&one});
        for (int k = 0; k < 20; ++k) {
            EXPECT_EQ(cmath_xformPtrhConst_assignCompose(&deep.h, &one.h, &deep.h), 0);
        }
    }
    std::vector<std::pair<std::string, const Handle*>> all() const
    {
        return {{"empty", &empty},   {"plain", &plain}, {"warp", &warp},     {"refusing warp", &refusing},
                {"hollow", &hollow}, {"chain", &chain}, {"mixed", &mixed},   {"nested", &nested},
                {"70 parts", &longChain}, {"21 deep", &deep}};
    }
};

// The entry points, each given a handle (the last two need a transform, the last a chain).
using Entry = std::function<cmath_status(const Handle&, const V*, V*, int32_t)>;
const std::pair<const char*, Entry> kEntries[] = {
    {"xformPtrhConst", [](const Handle& h, const V* in, V* out, int32_t n) { return cmath_xformPtrhConst_mapPoints(&h.h, in, out, n); }},
    {"xformPtrh", [](const Handle& h, const V* in, V* out, int32_t n) { return cmath_xformPtrh_mapPoints(h.m(), in, out, n); }},
    {"xform", [](const Handle& h, const V* in, V* out, int32_t n) { return cmath_xform_mapPoints(h.x(), in, out, n); }},
    {"xfcomposed", [](const Handle& h, const V* in, V* out, int32_t n) {
         return cmath_xfcomposed_mapPoints(orbtest::chainOf(h), in, out, n);
     }},
};
size_t entriesFor(const Handle& h) { return h.x() == nullptr ? 2 : h.composed() == 1 ? 4 : 3; }

bool sameArrays(const V* a, const V* b, size_t n) { return n == 0 || std::memcmp(a, b, n * sizeof(V)) == 0; }

} // namespace

TEST(XformMapPoints, EveryPointAsTheSinglePointMapping)
{
    World w;
    const std::vector<V> pool = randomPoints(1500);
    const V sentinel = orbtest::sentinel<V>();
    for (const auto& [name, h] : w.all()) {
        for (size_t e = 0; e < entriesFor(*h); ++e) {
            const auto& [entry, map] = kEntries[e];
            for (size_t n = 0; n <= 1500; n = n < 67 ? n + 1 : n == 67 ? 1029 : n + 471) {
                SCOPED_TRACE(name + " through " + entry + ", n = " + std::to_string(n));
                std::vector<V> want(n);
                for (size_t i = 0; i < n; ++i) {
                    want[i] = h->map(pool[i]);
                }
                std::vector<V> out(n + 1, sentinel);
                ASSERT_EQ(map(*h, pool.data(), out.data(), static_cast<int32_t>(n)), 0);
                EXPECT_TRUE(sameArrays(out.data(), want.data(), n));
                EXPECT_TRUE(sameArrays(&out[n], &sentinel, 1));
                std::vector<V> inPlace(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(n));
                ASSERT_EQ(map(*h, inPlace.data(), inPlace.data(), static_cast<int32_t>(n)), 0);
                EXPECT_TRUE(sameArrays(inPlace.data(), want.data(), n));
            }
        }
    }
}

TEST(XformMapPoints, AFailingPartLeavesTheOutputUntouched)
{
    World w;
    for (const Handle* h : {&w.refusing, &w.nested}) {
        for (size_t e = 0; e < entriesFor(*h); ++e) {
            for (const size_t bad : {size_t{0}, size_t{700}, size_t{1499}}) { // first block, second, last point
                SCOPED_TRACE(std::string(kEntries[e].first) + ", refused point " + std::to_string(bad));
                std::vector<V> in = randomPoints(1500);
                in[bad].x = 1e4;
                const std::vector<V> original = in;
                std::vector<V> out(1500, {-1.0, -2.0});
                const std::vector<V> untouched = out;
                EXPECT_EQ(kEntries[e].second(*h, in.data(), out.data(), 1500), kRefused);
                EXPECT_TRUE(sameArrays(out.data(), untouched.data(), out.size()));
                EXPECT_EQ(kEntries[e].second(*h, in.data(), in.data(), 1500), kRefused);
                EXPECT_TRUE(sameArrays(in.data(), original.data(), in.size()));
            }
        }
    }
}

TEST(XformMapPoints, Refusals)
{
    World w;
    const std::vector<V> in = randomPoints(8);
    std::vector<V> out(8, {-1.0, -2.0});
    const std::vector<V> untouched = out;
    for (const auto& [entry, map] : kEntries) { // the checks of the value types' arrays
        SCOPED_TRACE(entry);
        EXPECT_EQ(map(w.chain, in.data(), out.data(), -1), cmath_errNegativeCount);
        EXPECT_EQ(map(w.chain, out.data() + 1, out.data(), 4), cmath_errFailed);
        EXPECT_EQ(map(w.chain, nullptr, nullptr, 0), 0);
        EXPECT_TRUE(sameArrays(out.data(), untouched.data(), out.size()));
    }
}
