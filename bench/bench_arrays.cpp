// Arrays of points, this library's side: one affine transform, and a composed transform of ten
// plain parts, over 16, 1024 and 10^6 points with the array function and with the single-point
// function in a loop. The peers built for this machine are in native_arrays.cpp.
#include "arrays_inputs.hpp"

#include <orbmath/orbmath.h>

#include <cstring>
#include <vector>

namespace {

using namespace orbbench::arrays;
using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;

cmath_xformLinear linearOf(const Affine6& a)
{
    return {{a.e[4], a.e[5]}, {a.e[0], a.e[1], a.e[2], a.e[3]}};
}

std::vector<cmath_vect> vects(long n)
{
    const std::vector<double> v = points(n);
    std::vector<cmath_vect> p(static_cast<size_t>(n));
    std::memcpy(p.data(), v.data(), v.size() * sizeof(double));
    return p;
}

void registerAffine()
{
    for (const long n : kSizes) {
        add("arrays-affine", kOurs, n, [n](benchmark::State& st) {
            const cmath_xformLinear x = linearOf(transforms()[0]);
            const std::vector<cmath_vect> in = vects(n);
            std::vector<cmath_vect> out(in.size());
            AllocCounter ac(st);
            for (auto _ : st) {
                cmath_xformLinear_mapPoints(&x, in.data(), out.data(), static_cast<int32_t>(n));
                benchmark::DoNotOptimize(out.data());
                benchmark::ClobberMemory();
            }
        });
        add("arrays-affine", "ours-mapPoint-loop", n, [n](benchmark::State& st) {
            const cmath_xformLinear x = linearOf(transforms()[0]);
            const std::vector<cmath_vect> in = vects(n);
            std::vector<cmath_vect> out(in.size());
            for (auto _ : st) {
                for (size_t i = 0; i < in.size(); ++i) {
                    cmath_xformLinear_mapPoint(&x, &in[i], &out[i]);
                }
                benchmark::DoNotOptimize(out.data());
                benchmark::ClobberMemory();
            }
        });
    }
}

// A composed transform (on the stack) of the ten transforms, transform 0 applied first.
struct Chain {
    cmath_xfcomposed c;
    cmath_xformPtrhConst h[kParts];
    Chain()
    {
        const std::vector<Affine6> t = transforms();
        cmath_xfcomposed_construct(&c);
        for (int k = 0; k < kParts; ++k) {
            const cmath_xformLinear x = linearOf(t[static_cast<size_t>(k)]);
            cmath_xformPtrhConst_constructLinear(&h[k], &x);
        }
        for (int k = kParts - 1; k >= 0; --k) {
            cmath_xfcomposed_composeFrontPH_(&c, &h[k]);
        }
    }
    ~Chain()
    {
        cmath_xfcomposed_destruct(&c);
        for (cmath_xformPtrhConst& part : h) {
            cmath_xformPtrhConst_destruct(&part);
        }
    }
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;
};

void registerChain()
{
    for (const long n : kSizes) {
        add("arrays-chain10", kOurs, n, [n](benchmark::State& st) {
            const Chain chain;
            const std::vector<cmath_vect> in = vects(n);
            std::vector<cmath_vect> out(in.size());
            AllocCounter ac(st);
            for (auto _ : st) {
                cmath_xfcomposed_mapPoints(&chain.c, in.data(), out.data(), static_cast<int32_t>(n));
                benchmark::DoNotOptimize(out.data());
                benchmark::ClobberMemory();
            }
        });
        add("arrays-chain10", "ours-mapPoint-loop", n, [n](benchmark::State& st) {
            const Chain chain;
            const std::vector<cmath_vect> in = vects(n);
            std::vector<cmath_vect> out(in.size());
            for (auto _ : st) {
                for (size_t i = 0; i < in.size(); ++i) {
                    cmath_xfcomposed_mapPoint(&chain.c, &in[i], &out[i]);
                }
                benchmark::DoNotOptimize(out.data());
                benchmark::ClobberMemory();
            }
        });
    }
}

[[maybe_unused]] const int registered = (registerAffine(), registerChain(), 0);

} // namespace
