// Eigen's 2D affine transform and normal equations compiled for this machine (-O3
// -march=native, see CMakeLists.txt): the peers of bench_2d.cpp at their best, on the same
// inputs (same seeds and formulas).
#define Eigen EigenNative // keeps these instantiations apart from the portable ones (see native_eigen.cpp)

#include "common.hpp"

#include <orbmath/orbmath.h>

#include <Eigen/Dense>
#include <Eigen/Geometry>

#include <vector>

namespace {

using orbbench::add;
using Affine = Eigen::Transform<double, 2, Eigen::Affine>;

constexpr long kPoints = 1024;
constexpr long kFitPoints = 1000000;
constexpr int kParts = 10;

cmath_xformLinear linear(const double* r)
{
    cmath_xformLinear x;
    cmath_xformLinear_initMatrixTransElements(&x, 1.0 + 0.1 * r[0], 0.1 * r[1], 0.1 * r[2], 1.0 + 0.1 * r[3], r[4],
                                              r[5]);
    return x;
}

Affine affine(const double* r)
{
    const cmath_xformLinear x = linear(r);
    Affine a;
    a.matrix() << x.matrix.e11, x.matrix.e12, x.trans.x, x.matrix.e21, x.matrix.e22, x.trans.y, 0.0, 0.0, 1.0;
    return a;
}

std::vector<Eigen::Vector2d> points(long n, uint64_t seed)
{
    const std::vector<double> v = orbbench::uniform(static_cast<size_t>(2 * n), -100.0, 100.0, seed);
    std::vector<Eigen::Vector2d> p(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
        p[static_cast<size_t>(i)] = Eigen::Vector2d(v[static_cast<size_t>(2 * i)], v[static_cast<size_t>(2 * i + 1)]);
    }
    return p;
}

struct Inputs {
    std::vector<double> r = orbbench::uniform(6 * kParts, -1.0, 1.0, 7);
    std::vector<Eigen::Vector2d> pts = points(kPoints, 11);
    Affine x[kParts];
    Inputs()
    {
        for (int k = 0; k < kParts; ++k) {
            x[k] = affine(&r[static_cast<size_t>(6 * k)]);
        }
    }
};

const Inputs& inputs()
{
    static const Inputs in;
    return in;
}

// The fit's point pairs, interleaved x, y as in bench_2d.cpp: dst = transform 3 applied to src
// (by the library, as there), plus noise.
struct FitInputs {
    std::vector<Eigen::Vector2d> src = points(kFitPoints, 21);
    std::vector<Eigen::Vector2d> dst;
    FitInputs()
    {
        const cmath_xformLinear x = linear(&inputs().r[18]);
        const std::vector<double> noise = orbbench::uniform(static_cast<size_t>(2 * kFitPoints), -0.01, 0.01, 22);
        dst.resize(src.size());
        for (size_t i = 0; i < src.size(); ++i) {
            const cmath_vect p{src[i].x(), src[i].y()};
            cmath_vect q;
            cmath_xformLinear_mapPoint(&x, &p, &q);
            dst[i] = Eigen::Vector2d(q.x + noise[2 * i], q.y + noise[2 * i + 1]);
        }
    }
};

void registerAll()
{
    add("2d-mapPoint", "eigen-native-affine2d", kPoints, [](benchmark::State& st) {
        const Inputs& in = inputs();
        const Affine a = in.x[0];
        std::vector<Eigen::Vector2d> out(in.pts.size());
        for (auto _ : st) {
            for (size_t i = 0; i < in.pts.size(); ++i) {
                out[i] = a * in.pts[i];
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("2d-initCompose", "eigen-native-affine2d", 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        Affine a = in.x[0], b = in.x[1], c;
        for (auto _ : st) {
            benchmark::DoNotOptimize(&a);
            benchmark::DoNotOptimize(&b);
            c = a * b;
            benchmark::DoNotOptimize(&c);
        }
    });
    add("2d-getInverse", "eigen-native-affine2d", 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        Affine a = in.x[2], c;
        for (auto _ : st) {
            benchmark::DoNotOptimize(&a);
            c = a.inverse(Eigen::Affine);
            benchmark::DoNotOptimize(&c);
        }
    });
    add("2d-initPoints", "eigen-native-normal-eq", kFitPoints, [](benchmark::State& st) {
        static const FitInputs in;
        using Pts = Eigen::Map<const Eigen::Matrix<double, 2, Eigen::Dynamic>>;
        for (auto _ : st) {
            const Pts S(in.src[0].data(), 2, kFitPoints);
            const Pts D(in.dst[0].data(), 2, kFitPoints);
            Eigen::Matrix3d AtA;
            Eigen::Matrix<double, 3, 2> AtB;
            const Eigen::Vector2d s = S.rowwise().sum();
            const Eigen::Vector2d d = D.rowwise().sum();
            AtA.topLeftCorner<2, 2>() = S * S.transpose();
            AtA.block<2, 1>(0, 2) = s;
            AtA.block<1, 2>(2, 0) = s.transpose();
            AtA(2, 2) = static_cast<double>(kFitPoints);
            AtB.topRows<2>() = S * D.transpose();
            AtB.row(2) = d.transpose();
            const Eigen::Matrix<double, 3, 2> sol = AtA.ldlt().solve(AtB);
            benchmark::DoNotOptimize(sol.data());
        }
    });
    add("xform-chain10-map", "eigen-native-affine2d-loop", kPoints, [](benchmark::State& st) {
        const Inputs& in = inputs();
        std::vector<Eigen::Vector2d> out(in.pts.size());
        for (auto _ : st) {
            for (size_t i = 0; i < in.pts.size(); ++i) {
                Eigen::Vector2d p = in.pts[i];
                for (int k = 0; k < kParts; ++k) {
                    p = in.x[k] * p;
                }
                out[i] = p;
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
}

[[maybe_unused]] const int registered = (registerAll(), 0);

} // namespace
