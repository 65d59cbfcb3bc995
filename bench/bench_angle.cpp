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
        AllocCounter ac(st);
        for (auto _ : st) {
            double acc = 0.0;
            for (const uint16_t& a : in.a16) {
                acc += cmath_sin16(&a);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("sin16", "std-sin", kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        for (auto _ : st) {
            double acc = 0.0;
            for (const double r : in.rad) {
                acc += std::sin(r);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("sinBin", kOurs, kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        AllocCounter ac(st);
        for (auto _ : st) {
            float acc = 0.0f;
            for (const uint16_t a : in.a16) {
                acc += cfSinBin(a);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("sinBin", "std-sinf", kAngles, [](benchmark::State& st) {
        const Angles& in = angles();
        for (auto _ : st) {
            float acc = 0.0f;
            for (const float r : in.radF) {
                acc += std::sin(r);
            }
            benchmark::DoNotOptimize(acc);
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
