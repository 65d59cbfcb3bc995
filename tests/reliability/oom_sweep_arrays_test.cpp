// Allocation failure in the array mappings of transform objects: the scratch array of a
// transform with a part of another module's kind, the part list of a long chain and the walk's
// frames in a deep one. A failing run returns the allocator's status with out (and, in place, in)
// untouched and leaks nothing; the run that gets through maps like the single-point function.
// Plain transforms and short, shallow chains of plain parts allocate nothing.
#include "fault.h"
#include "sweep_util.hpp"
#include "xform_handle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using orbtest::Handle;
using orbtest::Trial;

const cmath_xformLinear kA = {{1.0, 2.0}, {1.0, 0.5, -0.25, 1.5}};
const cmath_xformLinear kB = {{-3.0, 0.25}, {0.0, -1.0, 1.0, 0.0}};

struct World {
    Handle a{kA}, b{kB}, warp{0.01}, one, shallow, deep, mixed;
    std::vector<std::unique_ptr<Handle>> many;
    World()
    {
        orbtest::makeChain(shallow, {&a, &b, &a});
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
    }
};

using Map = std::function<cmath_status(const cmath_vect*, cmath_vect*, int32_t)>;

std::vector<std::pair<std::string, Map>> entries(const Handle& h)
{
    std::vector<std::pair<std::string, Map>> e = {
        {"cmath_xformPtrhConst_mapPoints", [&h](const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xformPtrhConst_mapPoints(&h.h, in, out, n); }},
        {"cmath_xformPtrh_mapPoints", [&h](const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xformPtrh_mapPoints(h.m(), in, out, n); }},
        {"cmath_xform_mapPoints", [&h](const cmath_vect* in, cmath_vect* out, int32_t n) { return cmath_xform_mapPoints(h.x(), in, out, n); }},
    };
    if (h.composed() == 1) {
        e.push_back({"cmath_xfcomposed_mapPoints", [&h](const cmath_vect* in, cmath_vect* out, int32_t n) {
                         return cmath_xfcomposed_mapPoints(orbtest::chainOf(h), in, out, n);
                     }});
    }
    return e;
}

// Sweeps map over 600 points (two blocks), out of place or in place.
int sweepMap(const std::string& name, const Handle& h, const Map& map, bool inPlace)
{
    std::vector<cmath_vect> in(600), want(600);
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = {0.01 * static_cast<double>(i), 1.0 - 0.02 * static_cast<double>(i)};
        want[i] = h.map(in[i]);
    }
    return rel::sweep(name + (inPlace ? " in place" : ""), [&]() {
        auto src = std::make_shared<std::vector<cmath_vect>>(in);
        auto dst = inPlace ? src : std::make_shared<std::vector<cmath_vect>>(in.size(), cmath_vect{-7.0, 7.0});
        auto before = std::make_shared<std::vector<cmath_vect>>(*dst);
        Trial t;
        t.op = [=]() { return map(src->data(), dst->data(), static_cast<int32_t>(src->size())); };
        t.failed = [=]() { EXPECT_EQ(std::memcmp(dst->data(), before->data(), dst->size() * sizeof(cmath_vect)), 0); };
        t.succeeded = [=]() { EXPECT_EQ(std::memcmp(dst->data(), want.data(), want.size() * sizeof(cmath_vect)), 0); };
        return t;
    });
}

} // namespace

TEST(OomSweep, ArrayMappingsOfTransformObjects)
{
    World w;
    int n = 0;
    for (const Handle* h : {&w.warp, &w.deep, &w.mixed}) {
        for (const auto& [name, map] : entries(*h)) {
            for (const bool inPlace : {false, true}) {
                const int points = sweepMap(name, *h, map, inPlace);
                EXPECT_GT(points, 0) << name;
                n += points;
            }
        }
    }
    for (const Handle* h : {&w.a, &w.shallow}) {
        for (const auto& [name, map] : entries(*h)) {
            EXPECT_EQ(sweepMap(name, *h, map, false), 0) << name << " allocated";
        }
    }
    rel::report("array mappings", n);
}
