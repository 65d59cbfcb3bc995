// Arrays of points through transform objects: bit-identical to the single-point mapping through
// every entry point (plain, warp, chains with empty, plain, warp and nested parts, a chain longer
// than the inline part list, one nested deeper than the walk's inline frames), every length
// 0..67 and ones spanning several blocks, in place and out of place; a failing part leaves out
// untouched; refusals.
#include "fault.h"
#include "xform_handle.h"

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using orbtest::Handle;

// A warp that refuses points right of x = 100 (a kind whose slot can fail).
constexpr cmath_status kRefused = cmath_errOutOfDomain;
cmath_status refusingMap(const void* outer, const cmath_vect* in, cmath_vect* out)
{
    return in->x > 100.0 ? kRefused : warp::mapPoint(outer, in, out);
}
const cmath_xformOps kRefusingOps = {refusingMap, warp::getIsLinear, warp::getLinear, warp::compose,
                                     warp::getInverse, warp::clone};

void makeRefusing(double k, Handle& out)
{
    void* block = nullptr;
    ASSERT_EQ(csys_memory_alloc_internal(sizeof(warp::Warp), &block), 0);
    auto* w = static_cast<warp::Warp*>(block);
    w->k = k;
    w->destroyed = nullptr;
    ASSERT_EQ(cmath_xform_constructStandard(&w->base, w, &kRefusingOps, &warp::kSharedOps, &warp::kTypeTable), 0);
    ASSERT_EQ(cstd_ptrh_assignShared(&out.m()->handle, &w->base.shared), 0);
}

std::mt19937_64& engine()
{
    static std::mt19937_64 e(0xa77a75);
    return e;
}
double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine()); }

cmath_xformLinear randomLinear()
{
    return {{uniform(-5, 5), uniform(-5, 5)}, {uniform(0.5, 1.5), uniform(-0.5, 0.5), uniform(-0.5, 0.5), uniform(0.5, 1.5)}};
}

std::vector<cmath_vect> randomPoints(size_t n)
{
    std::vector<cmath_vect> p(n);
    for (cmath_vect& v : p) {
        v = {uniform(-20, 20), uniform(-20, 20)}; // the chains below keep these left of x = 100
    }
    return p;
}

// The transforms under test, each behind a handle.
struct World {
    Handle empty, plain{randomLinear()}, b{randomLinear()}, warp{1e-3}, refusing, hollow, chain, mixed, nested, longChain,
        deep, one;
    std::vector<std::unique_ptr<Handle>> owned;
    World()
    {
        makeRefusing(-1e-3, refusing);
        orbtest::makeChain(hollow, {&empty, &empty});
        orbtest::makeChain(chain, {&plain, &b});
        orbtest::makeChain(mixed, {&plain, &warp, &empty, &b});
        orbtest::makeChain(nested, {&chain, &refusing, &mixed, &plain});
        // 70 plain parts: more than the list holds without an allocation.
        cmath_xfcomposed c;
        EXPECT_EQ(cmath_xfcomposed_construct(&c), 0);
        for (int k = 0; k < 70; ++k) {
            owned.push_back(std::make_unique<Handle>(randomLinear()));
            EXPECT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &owned.back()->h), 0);
        }
        EXPECT_EQ(cmath_xformPtrhConst_assignComposed(&longChain.h, &c), 0);
        EXPECT_EQ(cmath_xfcomposed_destruct(&c), 0);
        // deep = one o (one o (... o one)) 20 levels, each nested chain first in its own.
        orbtest::makeChain(one, {&b});
        orbtest::makeChain(deep, {&one});
        for (int k = 0; k < 20; ++k) {
            EXPECT_EQ(cmath_xformPtrhConst_assignCompose(&deep.h, &one.h, &deep.h), 0);
        }
    }
    std::vector<std::pair<std::string, const Handle*>> all() const
    {
        return {{"empty", &empty},   {"plain", &plain},         {"warp", &warp},     {"refusing warp", &refusing},
                {"hollow", &hollow}, {"chain", &chain},         {"mixed", &mixed},   {"nested", &nested},
                {"70 parts", &longChain}, {"21 deep", &deep}};
    }
};

// The entry points, each given a handle.
using Entry = std::function<cmath_status(const Handle&, const cmath_vect*, cmath_vect*, int32_t)>;
std::vector<std::pair<std::string, Entry>> entries(bool composedToo)
{
    std::vector<std::pair<std::string, Entry>> e = {
        {"xformPtrhConst", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xformPtrhConst_mapPoints(&h.h, in, out, n); }},
        {"xformPtrh", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xformPtrh_mapPoints(h.m(), in, out, n); }},
        {"xform", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xform_mapPoints(h.x(), in, out, n); }},
    };
    if (composedToo) {
        e.push_back({"xfcomposed", [](const Handle& h, const cmath_vect* in, cmath_vect* out, int32_t n) {
                         return cmath_xfcomposed_mapPoints(orbtest::chainOf(h), in, out, n);
                     }});
    }
    return e;
}

bool sameArrays(const cmath_vect* a, const cmath_vect* b, size_t n)
{
    return n == 0 || std::memcmp(a, b, n * sizeof(cmath_vect)) == 0;
}

} // namespace

TEST(XformMapPoints, EveryPointAsTheSinglePointMapping)
{
    World w;
    const std::vector<cmath_vect> pool = randomPoints(1500);
    const cmath_vect sentinel = {-1234.5, 6789.25};
    for (const auto& [name, h] : w.all()) {
        for (const auto& [entry, map] : entries(h->x() != nullptr && h->composed() == 1)) {
            if (h->x() == nullptr && entry == "xform") {
                continue;
            }
            for (size_t n = 0; n <= 1500; n = n < 67 ? n + 1 : n == 67 ? 1029 : n + 471) {
                SCOPED_TRACE(name + " through " + entry + ", n = " + std::to_string(n));
                std::vector<cmath_vect> want(n);
                for (size_t i = 0; i < n; ++i) {
                    want[i] = h->map(pool[i]);
                }
                std::vector<cmath_vect> out(n + 1, sentinel);
                ASSERT_EQ(map(*h, pool.data(), out.data(), static_cast<int32_t>(n)), 0);
                EXPECT_TRUE(sameArrays(out.data(), want.data(), n));
                EXPECT_TRUE(sameArrays(&out[n], &sentinel, 1));
                std::vector<cmath_vect> inPlace(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(n));
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
        for (const auto& [entry, map] : entries(h == &w.nested)) {
            for (const size_t bad : {size_t{0}, size_t{700}, size_t{1499}}) { // first block, second, last point
                SCOPED_TRACE(entry + ", refused point " + std::to_string(bad));
                std::vector<cmath_vect> in = randomPoints(1500);
                in[bad].x = 1e4;
                const std::vector<cmath_vect> original = in;
                std::vector<cmath_vect> out(1500, {-1.0, -2.0});
                const std::vector<cmath_vect> untouched = out;
                EXPECT_EQ(map(*h, in.data(), out.data(), 1500), kRefused);
                EXPECT_TRUE(sameArrays(out.data(), untouched.data(), out.size()));
                EXPECT_EQ(map(*h, in.data(), in.data(), 1500), kRefused);
                EXPECT_TRUE(sameArrays(in.data(), original.data(), in.size()));
            }
        }
    }
}

TEST(XformMapPoints, Refusals)
{
    World w;
    const std::vector<cmath_vect> in = randomPoints(8);
    std::vector<cmath_vect> out(8, {-1.0, -2.0});
    const std::vector<cmath_vect> untouched = out;
    for (const auto& [entry, map] : entries(true)) { // the checks of the value types' arrays
        SCOPED_TRACE(entry);
        EXPECT_EQ(map(w.chain, in.data(), out.data(), -1), cmath_errNegativeCount);
        EXPECT_EQ(map(w.chain, out.data() + 1, out.data(), 4), cmath_errFailed);
        EXPECT_EQ(map(w.chain, nullptr, nullptr, 0), 0);
        EXPECT_TRUE(sameArrays(out.data(), untouched.data(), out.size()));
    }
    EXPECT_EQ(cmath_xform_mapPoints(nullptr, in.data(), out.data(), 8), cmath_errNullArgument);
    EXPECT_EQ(cmath_xformPtrhConst_mapPoints(nullptr, in.data(), out.data(), 8), cmath_errNullArgument);
    EXPECT_EQ(cmath_xformPtrh_mapPoints(nullptr, in.data(), out.data(), 8), cmath_errNullArgument);
    EXPECT_EQ(cmath_xfcomposed_mapPoints(nullptr, in.data(), out.data(), 8), cmath_errNullArgument);
    EXPECT_TRUE(sameArrays(out.data(), untouched.data(), out.size()));
}
