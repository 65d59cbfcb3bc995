// Transform objects nested deep: a composed transform built by h = h o p (the nested chain at the
// tail of each level, as a tracker's pose = pose o delta builds it) and by h = p o h (nested at the
// head), mapped point by point and linearised. The peer is the same parts applied in a plain loop.
#include "common.hpp"

#include <orbmath/orbmath.h>

namespace {

using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;

constexpr int kDepth = 1000;

// p: a chain of one plain part (a small rotation and shift), so that every composition nests.
const cmath_xformLinear kPart = {{0.5, -0.25}, {0.999, -0.0447, 0.0447, 0.999}};

// A handle to a transform nested kDepth deep: h = h o p (tail) or h = p o h (head).
struct Nested {
    cmath_xformPtrhConst h, p;
    explicit Nested(bool atTail)
    {
        cmath_xformPtrhConst lin;
        cmath_xformPtrhConst_construct(&h);
        cmath_xformPtrhConst_construct(&p);
        cmath_xformPtrhConst_construct(&lin);
        cmath_xformPtrhConst_assignLinear(&lin, &kPart);
        cmath_xfcomposed one;
        cmath_xfcomposed_construct(&one);
        cmath_xfcomposed_composeFrontPH_(&one, &lin);
        cmath_xformPtrhConst_assignComposed(&p, &one);
        cmath_xfcomposed_destruct(&one);
        cmath_xformPtrhConst_destruct(&lin);
        for (int k = 0; k < kDepth; ++k) {
            if (atTail) {
                cmath_xformPtrhConst_assignCompose(&h, &h, &p);
            } else {
                cmath_xformPtrhConst_assignCompose(&h, &p, &h);
            }
        }
    }
    ~Nested()
    {
        cmath_xformPtrhConst_destruct(&h);
        cmath_xformPtrhConst_destruct(&p);
    }
    Nested(const Nested&) = delete;
    Nested& operator=(const Nested&) = delete;
};

void registerNested()
{
    for (const bool atTail : {true, false}) {
        const std::string where = atTail ? "tail" : "head";
        add("xform-nested-map-" + where, kOurs, kDepth, [atTail](benchmark::State& st) {
            Nested n(atTail);
            cmath_vect q = {1.0, 2.0};
            AllocCounter ac(st);
            for (auto _ : st) {
                const cmath_vect in = {1.0, 2.0};
                cmath_xformPtrhConst_mapPoint(&n.h, &in, &q);
                benchmark::DoNotOptimize(q);
            }
        });
        add("xform-nested-map-" + where, "ours-linear-loop", kDepth, [](benchmark::State& st) {
            cmath_vect q = {1.0, 2.0};
            for (auto _ : st) {
                q = {1.0, 2.0};
                for (int k = 0; k < kDepth; ++k) {
                    cmath_xformLinear_mapPoint(&kPart, &q, &q);
                }
                benchmark::DoNotOptimize(q);
            }
        });
        add("xform-nested-linear-" + where, kOurs, kDepth, [atTail](benchmark::State& st) {
            Nested n(atTail);
            const cmath_vect at = {1.0, 2.0};
            cmath_xformLinear lin;
            AllocCounter ac(st);
            for (auto _ : st) {
                cmath_xformPtrhConst_getLinear(&n.h, &at, &lin);
                benchmark::DoNotOptimize(lin);
            }
        });
    }
}

[[maybe_unused]] const int registered = (registerNested(), 0);

} // namespace
