// General matrices: product, inverse, determinant, singular value decomposition, symmetric and
// general eigenvalues and the linear solve, against Eigen, OpenBLAS/LAPACKE and GSL on the same
// matrices. Peers that overwrite their input work on a copy made inside the timed loop (the
// library copies internally too). LAPACK is called in column-major order, its native layout.
#include "common.hpp"

#include <orbmath/orbmath.h>

#include <Eigen/Dense>
#include <Eigen/Eigenvalues>
#include <Eigen/SVD>

#include <lapacke.h>

#include <gsl/gsl_eigen.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_permutation.h>

#include <cstring>
#include <map>
#include <vector>

namespace orbbench {
void blasDgemm(int n, const double* a, const double* b, double* c); // peer_blas.cpp
}

namespace {

using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;

const int kSizes[] = {4, 16, 64, 256};

// One test matrix of order n in every layout: row-major values in [-1, 1) (general), their
// symmetric part (A + A^T) / 2, and the same numbers as a cxNMMatrix, an Eigen matrix, a
// column-major array for LAPACK and a GSL matrix.
struct Mat {
    int n;
    std::vector<double> rowMajor, colMajor;
    cxNMMatrix ours;
    Eigen::MatrixXd eigen;
    gsl_matrix* gsl;
    explicit Mat(int order, uint64_t seed, bool symmetric) : n(order)
    {
        rowMajor = orbbench::uniform(static_cast<size_t>(n) * n, -1.0, 1.0, seed);
        if (symmetric) {
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < i; ++j) {
                    const double s = 0.5 * (at(i, j) + at(j, i));
                    at(i, j) = s;
                    at(j, i) = s;
                }
            }
        }
        colMajor.resize(rowMajor.size());
        ours.initResize(n, n);
        eigen.resize(n, n);
        gsl = gsl_matrix_alloc(static_cast<size_t>(n), static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const double v = at(i, j);
                colMajor[static_cast<size_t>(j) * n + i] = v;
                ours.setElement(i, j, v);
                eigen(i, j) = v;
                gsl_matrix_set(gsl, static_cast<size_t>(i), static_cast<size_t>(j), v);
            }
        }
    }
    ~Mat() { gsl_matrix_free(gsl); }
    Mat(const Mat&) = delete;
    Mat& operator=(const Mat&) = delete;
    double& at(int i, int j) { return rowMajor[static_cast<size_t>(i) * n + j]; }
};

const Mat& general(int n, int which = 0)
{
    static std::map<std::pair<int, int>, Mat*> cache;
    Mat*& m = cache[{n, which}];
    if (m == nullptr) {
        m = new Mat(n, 1000 + 10 * static_cast<uint64_t>(n) + which, false);
    }
    return *m;
}

const Mat& symmetric(int n)
{
    static std::map<int, Mat*> cache;
    Mat*& m = cache[n];
    if (m == nullptr) {
        m = new Mat(n, 5000 + static_cast<uint64_t>(n), true);
    }
    return *m;
}

// A GSL matrix copied from src (allocation included, as the library makes its working copy).
struct GslCopy {
    gsl_matrix* m;
    explicit GslCopy(const gsl_matrix* src) : m(gsl_matrix_alloc(src->size1, src->size2)) { gsl_matrix_memcpy(m, src); }
    ~GslCopy() { gsl_matrix_free(m); }
    GslCopy(const GslCopy&) = delete;
    GslCopy& operator=(const GslCopy&) = delete;
};

void registerProduct()
{
    for (const int n : {4, 16, 64, 256, 512}) {
        add("product", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n, 0);
            const Mat& b = general(n, 1);
            cxNMMatrix c;
            c.initResize(n, n);
            AllocCounter ac(st);
            for (auto _ : st) {
                c.initMultiply(a.ours, b.ours);
                benchmark::ClobberMemory();
            }
        });
        add("product", "eigen", n, [n](benchmark::State& st) {
            const Mat& a = general(n, 0);
            const Mat& b = general(n, 1);
            Eigen::MatrixXd c(n, n);
            for (auto _ : st) {
                c.noalias() = a.eigen * b.eigen;
                benchmark::ClobberMemory();
            }
        });
        add("product", "openblas-dgemm", n, [n](benchmark::State& st) {
            const Mat& a = general(n, 0);
            const Mat& b = general(n, 1);
            std::vector<double> c(static_cast<size_t>(n) * n);
            for (auto _ : st) {
                orbbench::blasDgemm(n, a.rowMajor.data(), b.rowMajor.data(), c.data());
                benchmark::ClobberMemory();
            }
        });
    }
}

void registerLu()
{
    for (const int n : kSizes) {
        add("inverse", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            cxNMMatrix out;
            out.initResize(n, n);
            AllocCounter ac(st);
            for (auto _ : st) {
                a.ours.getInverse(out);
                benchmark::ClobberMemory();
            }
        });
        add("inverse", "eigen-partialpivlu", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            Eigen::MatrixXd out(n, n);
            for (auto _ : st) {
                out = a.eigen.partialPivLu().inverse();
                benchmark::ClobberMemory();
            }
        });
        add("inverse", "lapacke-dgetrf-dgetri", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            std::vector<double> w(a.colMajor.size());
            std::vector<lapack_int> ipiv(static_cast<size_t>(n));
            for (auto _ : st) {
                std::memcpy(w.data(), a.colMajor.data(), w.size() * sizeof(double));
                LAPACKE_dgetrf(LAPACK_COL_MAJOR, n, n, w.data(), n, ipiv.data());
                LAPACKE_dgetri(LAPACK_COL_MAJOR, n, w.data(), n, ipiv.data());
                benchmark::ClobberMemory();
            }
        });
        add("inverse", "gsl-lu", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            gsl_permutation* p = gsl_permutation_alloc(static_cast<size_t>(n));
            gsl_matrix* inv = gsl_matrix_alloc(static_cast<size_t>(n), static_cast<size_t>(n));
            for (auto _ : st) {
                GslCopy w(a.gsl);
                int sign;
                gsl_linalg_LU_decomp(w.m, p, &sign);
                gsl_linalg_LU_invert(w.m, p, inv);
                benchmark::ClobberMemory();
            }
            gsl_matrix_free(inv);
            gsl_permutation_free(p);
        });

        add("determinant", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            AllocCounter ac(st);
            for (auto _ : st) {
                double d;
                a.ours.getDeterminant(d);
                benchmark::DoNotOptimize(d);
            }
        });
        add("determinant", "eigen-partialpivlu", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            for (auto _ : st) {
                const double d = a.eigen.partialPivLu().determinant();
                benchmark::DoNotOptimize(d);
            }
        });
        add("determinant", "lapacke-dgetrf", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            std::vector<double> w(a.colMajor.size());
            std::vector<lapack_int> ipiv(static_cast<size_t>(n));
            for (auto _ : st) {
                std::memcpy(w.data(), a.colMajor.data(), w.size() * sizeof(double));
                LAPACKE_dgetrf(LAPACK_COL_MAJOR, n, n, w.data(), n, ipiv.data());
                double d = 1.0;
                for (int i = 0; i < n; ++i) {
                    d *= ipiv[static_cast<size_t>(i)] != i + 1 ? -w[static_cast<size_t>(i) * n + i]
                                                                : w[static_cast<size_t>(i) * n + i];
                }
                benchmark::DoNotOptimize(d);
            }
        });
        add("determinant", "gsl-lu", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            gsl_permutation* p = gsl_permutation_alloc(static_cast<size_t>(n));
            for (auto _ : st) {
                GslCopy w(a.gsl);
                int sign;
                gsl_linalg_LU_decomp(w.m, p, &sign);
                const double d = gsl_linalg_LU_det(w.m, sign);
                benchmark::DoNotOptimize(d);
            }
            gsl_permutation_free(p);
        });
    }
}

void registerSvd()
{
    for (const int n : kSizes) {
        add("svd", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            cxNMMatrix U, W, V;
            a.ours.decompose(U, W, V); // outputs sized before counting
            AllocCounter ac(st);
            for (auto _ : st) {
                a.ours.decompose(U, W, V);
                benchmark::ClobberMemory();
            }
        });
        add("svd", "eigen-jacobisvd", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            for (auto _ : st) {
                Eigen::JacobiSVD<Eigen::MatrixXd> svd(a.eigen, Eigen::ComputeThinU | Eigen::ComputeThinV);
                benchmark::DoNotOptimize(svd.singularValues().data());
            }
        });
        add("svd", "eigen-bdcsvd", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            for (auto _ : st) {
                Eigen::BDCSVD<Eigen::MatrixXd> svd(a.eigen, Eigen::ComputeThinU | Eigen::ComputeThinV);
                benchmark::DoNotOptimize(svd.singularValues().data());
            }
        });
        add("svd", "lapacke-dgesvd", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            std::vector<double> w(a.colMajor.size()), s(static_cast<size_t>(n)), u(w.size()), vt(w.size()),
                superb(static_cast<size_t>(n));
            for (auto _ : st) {
                std::memcpy(w.data(), a.colMajor.data(), w.size() * sizeof(double));
                LAPACKE_dgesvd(LAPACK_COL_MAJOR, 'S', 'S', n, n, w.data(), n, s.data(), u.data(), n, vt.data(), n,
                               superb.data());
                benchmark::ClobberMemory();
            }
        });
        add("svd", "gsl-sv_decomp", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            gsl_matrix* v = gsl_matrix_alloc(static_cast<size_t>(n), static_cast<size_t>(n));
            gsl_vector* s = gsl_vector_alloc(static_cast<size_t>(n));
            gsl_vector* work = gsl_vector_alloc(static_cast<size_t>(n));
            for (auto _ : st) {
                GslCopy u(a.gsl);
                gsl_linalg_SV_decomp(u.m, v, s, work);
                benchmark::ClobberMemory();
            }
            gsl_vector_free(work);
            gsl_vector_free(s);
            gsl_matrix_free(v);
        });
    }
}

void registerEigen()
{
    for (const int n : kSizes) {
        add("eig-symmetric", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = symmetric(n);
            cxVector<double> re, im;
            a.ours.eigenvalues(true, re, im); // outputs sized before counting
            AllocCounter ac(st);
            for (auto _ : st) {
                a.ours.eigenvalues(true, re, im);
                benchmark::ClobberMemory();
            }
        });
        add("eig-symmetric", "eigen-selfadjoint", n, [n](benchmark::State& st) {
            const Mat& a = symmetric(n);
            for (auto _ : st) {
                Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> es(a.eigen, Eigen::EigenvaluesOnly);
                benchmark::DoNotOptimize(es.eigenvalues().data());
            }
        });
        add("eig-symmetric", "lapacke-dsyev", n, [n](benchmark::State& st) {
            const Mat& a = symmetric(n);
            std::vector<double> w(a.colMajor.size()), ev(static_cast<size_t>(n));
            for (auto _ : st) {
                std::memcpy(w.data(), a.colMajor.data(), w.size() * sizeof(double));
                LAPACKE_dsyev(LAPACK_COL_MAJOR, 'N', 'U', n, w.data(), n, ev.data());
                benchmark::ClobberMemory();
            }
        });
        add("eig-symmetric", "gsl-eigen_symm", n, [n](benchmark::State& st) {
            const Mat& a = symmetric(n);
            gsl_eigen_symm_workspace* ws = gsl_eigen_symm_alloc(static_cast<size_t>(n));
            gsl_vector* ev = gsl_vector_alloc(static_cast<size_t>(n));
            for (auto _ : st) {
                GslCopy w(a.gsl);
                gsl_eigen_symm(w.m, ev, ws);
                benchmark::ClobberMemory();
            }
            gsl_vector_free(ev);
            gsl_eigen_symm_free(ws);
        });

        add("eig-general", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            cxVector<double> re, im;
            a.ours.eigenvalues(false, re, im); // outputs sized before counting
            AllocCounter ac(st);
            for (auto _ : st) {
                a.ours.eigenvalues(false, re, im);
                benchmark::ClobberMemory();
            }
        });
        add("eig-general", "eigen-eigensolver", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            for (auto _ : st) {
                Eigen::EigenSolver<Eigen::MatrixXd> es(a.eigen, false);
                benchmark::DoNotOptimize(es.eigenvalues().data());
            }
        });
        add("eig-general", "lapacke-dgeev", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            std::vector<double> w(a.colMajor.size()), wr(static_cast<size_t>(n)), wi(static_cast<size_t>(n));
            for (auto _ : st) {
                std::memcpy(w.data(), a.colMajor.data(), w.size() * sizeof(double));
                LAPACKE_dgeev(LAPACK_COL_MAJOR, 'N', 'N', n, w.data(), n, wr.data(), wi.data(), nullptr, n, nullptr,
                              n);
                benchmark::ClobberMemory();
            }
        });
        add("eig-general", "gsl-eigen_nonsymm", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            gsl_eigen_nonsymm_workspace* ws = gsl_eigen_nonsymm_alloc(static_cast<size_t>(n));
            gsl_vector_complex* ev = gsl_vector_complex_alloc(static_cast<size_t>(n));
            for (auto _ : st) {
                GslCopy w(a.gsl);
                gsl_eigen_nonsymm(w.m, ev, ws);
                benchmark::ClobberMemory();
            }
            gsl_vector_complex_free(ev);
            gsl_eigen_nonsymm_free(ws);
        });
    }
}

// The conditioned solve of one right-hand side: the library estimates the condition number
// from the singular values before its LU solve; the peers solve without that estimate.
void registerSolve()
{
    for (const int n : kSizes) {
        add("solve", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            const std::vector<double> b = orbbench::uniform(static_cast<size_t>(n), -1.0, 1.0, 77);
            cxNMMatrix B, X;
            B.initResize(n, 1);
            for (int i = 0; i < n; ++i) {
                B.setElement(i, 0, b[static_cast<size_t>(i)]);
            }
            double cond0;
            cxNMMatrix::solve(a.ours, B, false, cond0, 1e300, X); // X sized before counting
            AllocCounter ac(st);
            for (auto _ : st) {
                double cond;
                cxNMMatrix::solve(a.ours, B, false, cond, 1e300, X);
                benchmark::DoNotOptimize(cond);
            }
        });
        add("solve", "eigen-partialpivlu", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            const std::vector<double> b = orbbench::uniform(static_cast<size_t>(n), -1.0, 1.0, 77);
            const Eigen::VectorXd B = Eigen::Map<const Eigen::VectorXd>(b.data(), n);
            Eigen::VectorXd x(n);
            for (auto _ : st) {
                x = a.eigen.partialPivLu().solve(B);
                benchmark::ClobberMemory();
            }
        });
        add("solve", "lapacke-dgesv", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            const std::vector<double> b = orbbench::uniform(static_cast<size_t>(n), -1.0, 1.0, 77);
            std::vector<double> w(a.colMajor.size()), x(b.size());
            std::vector<lapack_int> ipiv(static_cast<size_t>(n));
            for (auto _ : st) {
                std::memcpy(w.data(), a.colMajor.data(), w.size() * sizeof(double));
                x = b;
                LAPACKE_dgesv(LAPACK_COL_MAJOR, n, 1, w.data(), n, ipiv.data(), x.data(), n);
                benchmark::ClobberMemory();
            }
        });
    }
}

// The floor that the stated algorithms set at small sizes: getInverse makes six requests of the
// library's allocator (permutation, row scales, the working copy's block and row table, R's block
// and row table), getDeterminant four. This times that many request/release pairs alone.
void registerAllocationFloor()
{
    for (const int count : {4, 6}) {
        add("alloc-free-pairs", kOurs, count, [count](benchmark::State& st) {
            void* blocks[6];
            AllocCounter ac(st);
            for (auto _ : st) {
                for (int i = 0; i < count; ++i) {
                    csys_memory_alloc_internal(128, &blocks[i]);
                }
                for (int i = count - 1; i >= 0; --i) {
                    csys_memory_free_internal(&blocks[i]);
                }
                benchmark::ClobberMemory();
            }
        });
    }
}

[[maybe_unused]] const int registered = (registerAllocationFloor(), registerProduct(), registerLu(), registerSvd(), registerEigen(), registerSolve(), 0);

} // namespace
