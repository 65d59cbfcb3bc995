// Table-driven binary-angle trigonometry against the standard library's sin, sinf and atan2
// on the same angles (the standard library receives them converted to radians beforehand).
#include "common.hpp"

#include <orbmath/orbmath.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;

constexpr long kAngles = 1024;
constexpr double kTwoPi = 6.283185307179586;

struct Angles {
    std::vector<uint16_t> a16;
    std::vector<double> rad;
    std::vector<float> radF;
    std::vector<int32_t> x, y;
    Angles()
    {
        const std::vector<double> u = orbbench::uniform(kAngles, 0.0, 65536.0, 51);
        const std::vector<double> v = orbbench::uniform(2 * kAngles, -1e6, 1e6, 52);
        for (long i = 0; i < kAngles; ++i) {
            const auto a = static_cast<uint16_t>(u[static_cast<size_t>(i)]);
            a16.push_back(a);
            rad.push_back(a * (kTwoPi / 65536.0));
            radF.push_back(static_cast<float>(rad.back()));
            x.push_back(static_cast<int32_t>(v[static_cast<size_t>(2 * i)]));
            y.push_back(static_cast<int32_t>(v[static_cast<size_t>(2 * i + 1)]));
        }
    }
};

const Angles& angles()
{
    static const Angles a;
    return a;
}

void registerAll()
{
    add("sin16", kOurs, kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        std::vector<double> out(in.a16.size());
        AllocCounter ac(st);
        for (auto _ : st) {
            for (size_t i = 0; i < out.size(); ++i) {
                out[i] = cmath_sin16(&in.a16[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("sin16", "std-sin", kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        std::vector<double> out(in.rad.size());
        for (auto _ : st) {
            for (size_t i = 0; i < out.size(); ++i) {
                out[i] = std::sin(in.rad[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    // The floor of any exported per-value function: the same loop around cmath_double_sqr (one
    // multiplication) measures the call itself, against std::sin and the table lookups.
    add("sin16", "ours-call-floor-sqr", kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        std::vector<double> out(in.rad.size());
        for (auto _ : st) {
            for (size_t i = 0; i < out.size(); ++i) {
                out[i] = cmath_double_sqr(in.rad[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("sinBin", kOurs, kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        std::vector<float> out(in.a16.size());
        AllocCounter ac(st);
        for (auto _ : st) {
            for (size_t i = 0; i < out.size(); ++i) {
                out[i] = cfSinBin(in.a16[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("sinBin", "std-sinf", kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        std::vector<float> out(in.radF.size());
        for (auto _ : st) {
            for (size_t i = 0; i < out.size(); ++i) {
                out[i] = std::sin(in.radF[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("atanBin8", kOurs, kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        AllocCounter ac(st);
        for (auto _ : st) {
            unsigned acc = 0;
            for (size_t i = 0; i < in.x.size(); ++i) {
                acc += cfAtanBin8(in.y[i], in.x[i]);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("atanBin8", "std-atan2", kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        for (auto _ : st) {
            double acc = 0.0;
            for (size_t i = 0; i < in.x.size(); ++i) {
                acc += std::atan2(static_cast<double>(in.y[i]), static_cast<double>(in.x[i]));
            }
            benchmark::DoNotOptimize(acc);
        }
    });
}

[[maybe_unused]] const int registered = (registerAll(), 0);

} // namespace
