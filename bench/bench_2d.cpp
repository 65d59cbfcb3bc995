// 2D value types and transform objects: mapping, composing and inverting affine transforms,
// the least-squares fit to point pairs, a chain of ten transforms, and the allocations made
// when transform objects are created. Peer: Eigen's 2D affine transform.
#include "common.hpp"

#include <orbmath/orbmath.h>

#include <Eigen/Dense>
#include <Eigen/Geometry>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;
using Affine = Eigen::Transform<double, 2, Eigen::Affine>;

constexpr long kPoints = 1024;
constexpr long kFitPoints = 1000000;
constexpr int kParts = 10;

// A well-conditioned affine transform from six numbers in [-1, 1).
cmath_xformLinear makeLinear(const double* r)
{
    cmath_xformLinear x;
    cmath_xformLinear_initMatrixTransElements(&x, 1.0 + 0.1 * r[0], 0.1 * r[1], 0.1 * r[2], 1.0 + 0.1 * r[3],
                                              r[4], r[5]);
    return x;
}

Affine toEigen(const cmath_xformLinear& x)
{
    Affine a;
    a.matrix() << x.matrix.e11, x.matrix.e12, x.trans.x, x.matrix.e21, x.matrix.e22, x.trans.y, 0.0, 0.0, 1.0;
    return a;
}

std::vector<cmath_vect> points(long n, uint64_t seed)
{
    const std::vector<double> v = orbbench::uniform(static_cast<size_t>(2 * n), -100.0, 100.0, seed);
    std::vector<cmath_vect> p(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
        p[static_cast<size_t>(i)] = cmath_vect{v[static_cast<size_t>(2 * i)], v[static_cast<size_t>(2 * i + 1)]};
    }
    return p;
}

struct Inputs {
    std::vector<double> r = orbbench::uniform(6 * kParts, -1.0, 1.0, 7);
    std::vector<cmath_vect> pts = points(kPoints, 11);
    cmath_xformLinear x[kParts];
    Inputs()
    {
        for (int k = 0; k < kParts; ++k) {
            x[k] = makeLinear(&r[static_cast<size_t>(6 * k)]);
        }
    }
};

const Inputs& inputs()
{
    static const Inputs in;
    return in;
}

void registerMapAndCompose()
{
    add("2d-mapPoint", kOurs, kPoints, [](benchmark::State& st) {
        const Inputs& in = inputs();
        std::vector<cmath_vect> out(in.pts.size());
        AllocCounter ac(st);
        for (auto _ : st) {
            for (size_t i = 0; i < in.pts.size(); ++i) {
                cmath_xformLinear_mapPoint(&in.x[0], &in.pts[i], &out[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("2d-mapPoint", "eigen-affine2d", kPoints, [](benchmark::State& st) {
        const Inputs& in = inputs();
        const Affine a = toEigen(in.x[0]);
        std::vector<Eigen::Vector2d> p(in.pts.size()), out(in.pts.size());
        for (size_t i = 0; i < p.size(); ++i) {
            p[i] = Eigen::Vector2d(in.pts[i].x, in.pts[i].y);
        }
        for (auto _ : st) {
            for (size_t i = 0; i < p.size(); ++i) {
                out[i] = a * p[i];
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });

    add("2d-initCompose", kOurs, 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        cmath_xformLinear a = in.x[0], b = in.x[1], c;
        AllocCounter ac(st);
        for (auto _ : st) {
            benchmark::DoNotOptimize(&a);
            benchmark::DoNotOptimize(&b);
            cmath_xformLinear_initCompose(&c, &a, &b);
            benchmark::DoNotOptimize(&c);
        }
    });
    add("2d-initCompose", "eigen-affine2d", 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        Affine a = toEigen(in.x[0]), b = toEigen(in.x[1]), c;
        for (auto _ : st) {
            benchmark::DoNotOptimize(&a);
            benchmark::DoNotOptimize(&b);
            c = a * b;
            benchmark::DoNotOptimize(&c);
        }
    });

    add("2d-getInverse", kOurs, 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        cmath_xformLinear a = in.x[2], c;
        AllocCounter ac(st);
        for (auto _ : st) {
            benchmark::DoNotOptimize(&a);
            cmath_xformLinear_getInverse(&a, &c);
            benchmark::DoNotOptimize(&c);
        }
    });
    add("2d-getInverse", "eigen-affine2d", 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        Affine a = toEigen(in.x[2]), c;
        for (auto _ : st) {
            benchmark::DoNotOptimize(&a);
            c = a.inverse(Eigen::Affine);
            benchmark::DoNotOptimize(&c);
        }
    });
}

// ---- the fit on 10^6 point pairs ----------------------------------------------------------

struct FitInputs {
    std::vector<cmath_vect> src = points(kFitPoints, 21);
    std::vector<cmath_vect> dst;
    FitInputs()
    {
        const Inputs& in = inputs();
        const std::vector<double> noise = orbbench::uniform(static_cast<size_t>(2 * kFitPoints), -0.01, 0.01, 22);
        dst.resize(src.size());
        for (size_t i = 0; i < src.size(); ++i) {
            cmath_xformLinear_mapPoint(&in.x[3], &src[i], &dst[i]);
            dst[i].x += noise[2 * i];
            dst[i].y += noise[2 * i + 1];
        }
    }
};

const FitInputs& fitInputs()
{
    static const FitInputs in;
    return in;
}

void registerFit()
{
    add("2d-initPoints", kOurs, kFitPoints, [](benchmark::State& st) {
        const FitInputs& in = fitInputs();
        cmath_xformLinear x;
        AllocCounter ac(st);
        for (auto _ : st) {
            const cmath_status s = cmath_xformLinear_initPoints(&x, in.dst.data(), in.src.data(), kFitPoints);
            benchmark::DoNotOptimize(s);
            benchmark::DoNotOptimize(&x);
        }
    });
    // Normal equations formed by Eigen from the same interleaved arrays (no copy), solved with LDLT.
    add("2d-initPoints", "eigen-normal-eq", kFitPoints, [](benchmark::State& st) {
        const FitInputs& in = fitInputs();
        using Pts = Eigen::Map<const Eigen::Matrix<double, 2, Eigen::Dynamic>>;
        for (auto _ : st) {
            const Pts S(&in.src[0].x, 2, kFitPoints);
            const Pts D(&in.dst[0].x, 2, kFitPoints);
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
    // The textbook least-squares solve: the 10^6 x 3 design matrix and Householder QR.
    add("2d-initPoints", "eigen-householder-qr", kFitPoints, [](benchmark::State& st) {
        const FitInputs& in = fitInputs();
        for (auto _ : st) {
            Eigen::MatrixXd A(kFitPoints, 3);
            Eigen::MatrixXd B(kFitPoints, 2);
            for (long i = 0; i < kFitPoints; ++i) {
                A(i, 0) = in.src[static_cast<size_t>(i)].x;
                A(i, 1) = in.src[static_cast<size_t>(i)].y;
                A(i, 2) = 1.0;
                B(i, 0) = in.dst[static_cast<size_t>(i)].x;
                B(i, 1) = in.dst[static_cast<size_t>(i)].y;
            }
            const Eigen::MatrixXd sol = A.householderQr().solve(B);
            benchmark::DoNotOptimize(sol.data());
        }
    });
}

// ---- transform objects ------------------------------------------------------------------

// A composed transform (on the stack) whose chain holds ten plain transforms; part 0 applies first.
struct Chain {
    cmath_xfcomposed c;
    cmath_xformPtrhConst h[kParts];
    Chain()
    {
        const Inputs& in = inputs();
        cmath_xfcomposed_construct(&c);
        for (int k = 0; k < kParts; ++k) {
            cmath_xformPtrhConst_construct(&h[k]);
            cmath_xformPtrhConst_assignLinear(&h[k], &in.x[k]);
        }
        for (int k = kParts - 1; k >= 0; --k) {
            cmath_xfcomposed_composeFrontPH_(&c, &h[k]);
        }
    }
    ~Chain()
    {
        cmath_xfcomposed_destruct(&c);
        for (int k = 0; k < kParts; ++k) {
            cmath_xformPtrhConst_destruct(&h[k]);
        }
    }
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;
};

void registerObjects()
{
    add("xform-chain10-map", kOurs, kPoints, [](benchmark::State& st) {
        const Inputs& in = inputs();
        Chain chain;
        std::vector<cmath_vect> out(in.pts.size());
        AllocCounter ac(st);
        for (auto _ : st) {
            for (size_t i = 0; i < in.pts.size(); ++i) {
                cmath_xfcomposed_mapPoint(&chain.c, &in.pts[i], &out[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("xform-chain10-map", "ours-linear-loop", kPoints, [](benchmark::State& st) {
        const Inputs& in = inputs();
        std::vector<cmath_vect> out(in.pts.size());
        for (auto _ : st) {
            for (size_t i = 0; i < in.pts.size(); ++i) {
                cmath_vect p = in.pts[i];
                for (int k = 0; k < kParts; ++k) {
                    cmath_xformLinear_mapPoint(&in.x[k], &p, &p);
                }
                out[i] = p;
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });
    add("xform-chain10-map", "eigen-affine2d-loop", kPoints, [](benchmark::State& st) {
        const Inputs& in = inputs();
        Affine a[kParts];
        for (int k = 0; k < kParts; ++k) {
            a[k] = toEigen(in.x[k]);
        }
        std::vector<Eigen::Vector2d> out(in.pts.size());
        for (auto _ : st) {
            for (size_t i = 0; i < in.pts.size(); ++i) {
                Eigen::Vector2d p(in.pts[i].x, in.pts[i].y);
                for (int k = 0; k < kParts; ++k) {
                    p = a[k] * p;
                }
                out[i] = p;
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    });

    // A new plain transform object behind a handle (the old one released).
    add("xform-new-linear", kOurs, 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        cmath_xformPtrhConst h;
        cmath_xformPtrhConst_construct(&h);
        {
            AllocCounter ac(st);
            for (auto _ : st) {
                cmath_xformPtrhConst_assignLinear(&h, &in.x[0]);
                benchmark::DoNotOptimize(&h);
            }
        }
        cmath_xformPtrhConst_destruct(&h);
    });
    add("xform-new-linear", "std-make_shared", 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        const Affine a = toEigen(in.x[0]);
        std::shared_ptr<const Affine> h;
        for (auto _ : st) {
            h = std::make_shared<const Affine>(a);
            benchmark::DoNotOptimize(h.get());
        }
    });

    // Composing two plain transforms through handles: folded into one new plain object.
    add("xform-compose-handles", kOurs, 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        cmath_xformPtrhConst a, b, c;
        cmath_xformPtrhConst_construct(&a);
        cmath_xformPtrhConst_construct(&b);
        cmath_xformPtrhConst_construct(&c);
        cmath_xformPtrhConst_assignLinear(&a, &in.x[0]);
        cmath_xformPtrhConst_assignLinear(&b, &in.x[1]);
        {
            AllocCounter ac(st);
            for (auto _ : st) {
                cmath_xformPtrhConst_assignCompose(&c, &a, &b);
                benchmark::DoNotOptimize(&c);
            }
        }
        cmath_xformPtrhConst_destruct(&c);
        cmath_xformPtrhConst_destruct(&b);
        cmath_xformPtrhConst_destruct(&a);
    });
    add("xform-compose-handles", "std-make_shared", 1, [](benchmark::State& st) {
        const Inputs& in = inputs();
        const auto a = std::make_shared<const Affine>(toEigen(in.x[0]));
        const auto b = std::make_shared<const Affine>(toEigen(in.x[1]));
        std::shared_ptr<const Affine> c;
        for (auto _ : st) {
            c = std::make_shared<const Affine>(*a * *b);
            benchmark::DoNotOptimize(c.get());
        }
    });
}

[[maybe_unused]] const int registered = (registerMapAndCompose(), registerFit(), registerObjects(), 0);

} // namespace
