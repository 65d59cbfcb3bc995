// Eigen at its best: this unit is compiled for the machine it runs on (-O3 -march=native, see
// CMakeLists.txt, with contraction into fused multiply-add allowed), so Eigen runs its AVX-512 or
// AVX2 kernels with FMA. The general-matrix workloads of bench_matrix.cpp, on the same matrices.
//
// Eigen is a header library: its functions compiled here and in a portable unit would carry the
// same names, and the linker would keep only one copy. Renaming the namespace keeps this unit's
// code its own.
#define Eigen EigenNative

#include "common.hpp"

#include <Eigen/Dense>
#include <Eigen/Eigenvalues>
#include <Eigen/SVD>

namespace {

using orbbench::add;

Eigen::MatrixXd load(const std::vector<double>& rowMajor, int n)
{
    return Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(rowMajor.data(),
                                                                                                      n, n);
}

const Eigen::MatrixXd& general(int n, int which = 0)
{
    static std::map<std::pair<int, int>, Eigen::MatrixXd> cache;
    Eigen::MatrixXd& m = cache[{n, which}];
    if (m.size() == 0) {
        m = load(orbbench::generalMatrix(n, which), n);
    }
    return m;
}

const Eigen::MatrixXd& symmetric(int n)
{
    static std::map<int, Eigen::MatrixXd> cache;
    Eigen::MatrixXd& m = cache[n];
    if (m.size() == 0) {
        m = load(orbbench::symmetricMatrix(n), n);
    }
    return m;
}

std::vector<int> sizes(int maxN)
{
    std::vector<int> s;
    for (const int n : orbbench::kPeerSizes) {
        if (n <= maxN) {
            s.push_back(n);
        }
    }
    return s;
}

void registerAll()
{
    for (const int n : sizes(1024)) {
        add("product", "eigen-native", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n, 0);
            const Eigen::MatrixXd& b = general(n, 1);
            Eigen::MatrixXd c(n, n);
            for (auto _ : st) {
                c.noalias() = a * b;
                benchmark::ClobberMemory();
            }
        });
        // Dynamic-size PartialPivLU: the decomposition of a copy, then its inverse.
        add("inverse", "eigen-native-partialpivlu", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n);
            Eigen::MatrixXd out(n, n);
            for (auto _ : st) {
                out = a.partialPivLu().inverse();
                benchmark::ClobberMemory();
            }
        });
        add("determinant", "eigen-native-partialpivlu", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n);
            for (auto _ : st) {
                const double d = a.partialPivLu().determinant();
                benchmark::DoNotOptimize(d);
            }
        });
        add("svd", "eigen-native-bdcsvd", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n);
            for (auto _ : st) {
                Eigen::BDCSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
                benchmark::DoNotOptimize(svd.singularValues().data());
            }
        });
        add("svd-values", "eigen-native-bdcsvd", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n);
            for (auto _ : st) {
                Eigen::BDCSVD<Eigen::MatrixXd> svd(a);
                benchmark::DoNotOptimize(svd.singularValues().data());
            }
        });
        add("eig-symmetric", "eigen-native-selfadjoint", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = symmetric(n);
            for (auto _ : st) {
                Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> es(a, Eigen::EigenvaluesOnly);
                benchmark::DoNotOptimize(es.eigenvalues().data());
            }
        });
    }
    for (const int n : sizes(512)) {
        add("eig-general", "eigen-native-eigensolver", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n);
            for (auto _ : st) {
                Eigen::EigenSolver<Eigen::MatrixXd> es(a, false);
                benchmark::DoNotOptimize(es.eigenvalues().data());
            }
        });
        add("solve", "eigen-native-partialpivlu", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n);
            const std::vector<double>& b = orbbench::rightHandSide(n);
            const Eigen::VectorXd B = Eigen::Map<const Eigen::VectorXd>(b.data(), n);
            Eigen::VectorXd x(n);
            for (auto _ : st) {
                x = a.partialPivLu().solve(B);
                benchmark::ClobberMemory();
            }
        });
    }
    for (const int n : sizes(64)) {
        add("svd", "eigen-native-jacobisvd", n, [n](benchmark::State& st) {
            const Eigen::MatrixXd& a = general(n);
            for (auto _ : st) {
                Eigen::JacobiSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
                benchmark::DoNotOptimize(svd.singularValues().data());
            }
        });
    }
}

[[maybe_unused]] const int registered =
    (benchmark::AddCustomContext("eigen_native", Eigen::SimdInstructionSetsInUse()), registerAll(), 0);

} // namespace
