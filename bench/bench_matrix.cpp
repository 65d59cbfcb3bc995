// General matrices: product, inverse, determinant, singular value decomposition (and the
// singular values alone), symmetric and general eigenvalues and the conditioned solve, against
// OpenBLAS, LAPACK and GSL on the same matrices (Eigen, built for this machine, is in
// native_eigen.cpp).
//
// LAPACK is called at its best: column-major (its own layout), through the LAPACKE *_work entries
// with the workspace sized by a query and allocated before the timed loop, and for each task its
// fastest driver beside the classic one (dgesdd beside dgesvd, dsyevd beside dsyev). Peers that
// overwrite their input work on a copy made inside the timed loop, as the library copies
// internally. The library's rows carry two counters: allocs (requests to its allocator per call)
// and peak (the most heap bytes in use at once during one call, outputs sized beforehand).
#include "common.hpp"

#include <orbmath/orbmath.h>

#include <lapacke.h>

#include <gsl/gsl_eigen.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_permutation.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace orbbench {
void blasDgemm(int n, const double* a, const double* b, double* c); // peer_blas.cpp
std::string blasCore();                                              // peer_blas.cpp
} // namespace orbbench

namespace {

using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;

// The sizes the library runs at for a workload: the peers' sizes and the scaling table's, up to
// maxN; withScaling = false keeps the peers' sizes only.
std::vector<int> oursSizes(int maxN, bool withScaling)
{
    std::vector<int> s;
    for (const int n : orbbench::kPeerSizes) {
        if (n <= maxN) {
            s.push_back(n);
        }
    }
    if (withScaling) {
        for (const int n : orbbench::kScalingSizes) {
            if (n <= maxN && std::find(s.begin(), s.end(), n) == s.end()) {
                s.push_back(n);
            }
        }
    }
    std::sort(s.begin(), s.end());
    return s;
}

std::vector<int> peerSizes(int maxN)
{
    std::vector<int> s;
    for (const int n : orbbench::kPeerSizes) {
        if (n <= maxN) {
            s.push_back(n);
        }
    }
    return s;
}

// One test matrix in the library's and in LAPACK's layout, made once per (n, kind).
struct Mat {
    int n = 0;
    cxNMMatrix ours;
    std::vector<double> colMajor;
    gsl_matrix* gsl = nullptr;
    Mat(const std::vector<double>& rowMajor, int order) : n(order)
    {
        ours.initResize(n, n);
        colMajor.resize(rowMajor.size());
        gsl = gsl_matrix_alloc(static_cast<size_t>(n), static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const double v = rowMajor[static_cast<size_t>(i) * n + j];
                ours.setElement(i, j, v);
                colMajor[static_cast<size_t>(j) * n + i] = v;
                gsl_matrix_set(gsl, static_cast<size_t>(i), static_cast<size_t>(j), v);
            }
        }
    }
    ~Mat() { gsl_matrix_free(gsl); }
    Mat(const Mat&) = delete;
    Mat& operator=(const Mat&) = delete;
};

const Mat& general(int n, int which = 0)
{
    static std::map<std::pair<int, int>, Mat*> cache;
    Mat*& m = cache[{n, which}];
    if (m == nullptr) {
        m = new Mat(orbbench::generalMatrix(n, which), n);
    }
    return *m;
}

const Mat& symmetric(int n)
{
    static std::map<int, Mat*> cache;
    Mat*& m = cache[n];
    if (m == nullptr) {
        m = new Mat(orbbench::symmetricMatrix(n), n);
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

// The library's benchmark: op runs once to size the outputs, once under the heap probe, then in
// the timed loop with the allocator's requests counted.
template <class Op>
void oursLoop(benchmark::State& st, Op op)
{
    op();
    st.counters["peak"] = static_cast<double>(orbbench::peakHeapBytes(op));
    AllocCounter ac(st);
    for (auto _ : st) {
        op();
        benchmark::ClobberMemory();
    }
}

// LAPACK's optimal workspace from a query call (lwork = -1), as a size for the buffer.
lapack_int lwork(double query) { return std::max<lapack_int>(1, static_cast<lapack_int>(query)); }

void copyIn(std::vector<double>& w, const Mat& a) { std::memcpy(w.data(), a.colMajor.data(), w.size() * sizeof(double)); }

void registerProduct()
{
    for (const int n : oursSizes(1024, true)) {
        add("product", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n, 0);
            const Mat& b = general(n, 1);
            cxNMMatrix c;
            oursLoop(st, [&] { c.initMultiply(a.ours, b.ours); });
        });
    }
    for (const int n : peerSizes(1024)) {
        add("product", "openblas-dgemm", n, [n](benchmark::State& st) {
            const std::vector<double>& a = orbbench::generalMatrix(n, 0);
            const std::vector<double>& b = orbbench::generalMatrix(n, 1);
            std::vector<double> c(static_cast<size_t>(n) * n);
            for (auto _ : st) {
                orbbench::blasDgemm(n, a.data(), b.data(), c.data());
                benchmark::ClobberMemory();
            }
        });
    }
}

void registerLu()
{
    for (const int n : oursSizes(1024, true)) {
        add("inverse", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            cxNMMatrix out;
            oursLoop(st, [&] { a.ours.getInverse(out); });
        });
    }
    for (const int n : oursSizes(1024, false)) {
        add("determinant", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            double d = 0.0;
            oursLoop(st, [&] { a.ours.getDeterminant(d); });
        });
    }
    for (const int n : peerSizes(1024)) {
        add("inverse", "lapack-dgetrf+dgetri", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            std::vector<double> w(a.colMajor.size());
            std::vector<lapack_int> ipiv(static_cast<size_t>(n));
            double q = 0.0;
            LAPACKE_dgetri_work(LAPACK_COL_MAJOR, n, w.data(), n, ipiv.data(), &q, -1);
            std::vector<double> work(static_cast<size_t>(lwork(q)));
            for (auto _ : st) {
                copyIn(w, a);
                LAPACKE_dgetrf_work(LAPACK_COL_MAJOR, n, n, w.data(), n, ipiv.data());
                LAPACKE_dgetri_work(LAPACK_COL_MAJOR, n, w.data(), n, ipiv.data(), work.data(), lwork(q));
                benchmark::ClobberMemory();
            }
        });
        add("determinant", "lapack-dgetrf", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            std::vector<double> w(a.colMajor.size());
            std::vector<lapack_int> ipiv(static_cast<size_t>(n));
            for (auto _ : st) {
                copyIn(w, a);
                LAPACKE_dgetrf_work(LAPACK_COL_MAJOR, n, n, w.data(), n, ipiv.data());
                double d = 1.0;
                for (int i = 0; i < n; ++i) {
                    const double u = w[static_cast<size_t>(i) * n + i];
                    d *= ipiv[static_cast<size_t>(i)] != i + 1 ? -u : u;
                }
                benchmark::DoNotOptimize(d);
            }
        });
    }
    for (const int n : peerSizes(256)) {
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
    }
}

void registerSvd()
{
    for (const int n : oursSizes(1024, true)) {
        add("svd", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            cxNMMatrix U, W, V;
            oursLoop(st, [&] { a.ours.decompose(U, W, V); });
        });
    }
    for (const int n : oursSizes(1024, false)) {
        add("svd-values", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            cxVector<double> s;
            oursLoop(st, [&] { a.ours.getSingularValues(s); });
        });
    }
    // jobu, jobvt: 'S' (thin U and Vᵀ, as decompose) or 'N' (singular values only).
    const auto gesvd = [](int n, char job) {
        return [n, job](benchmark::State& st) {
            const Mat& a = general(n);
            const size_t nn = a.colMajor.size();
            std::vector<double> w(nn), s(static_cast<size_t>(n)), u(job == 'N' ? 1 : nn), vt(job == 'N' ? 1 : nn);
            const lapack_int ld = job == 'N' ? 1 : n;
            double q = 0.0;
            LAPACKE_dgesvd_work(LAPACK_COL_MAJOR, job, job, n, n, w.data(), n, s.data(), u.data(), ld, vt.data(), ld,
                                &q, -1);
            std::vector<double> work(static_cast<size_t>(lwork(q)));
            for (auto _ : st) {
                copyIn(w, a);
                LAPACKE_dgesvd_work(LAPACK_COL_MAJOR, job, job, n, n, w.data(), n, s.data(), u.data(), ld, vt.data(),
                                    ld, work.data(), lwork(q));
                benchmark::ClobberMemory();
            }
        };
    };
    const auto gesdd = [](int n, char job) {
        return [n, job](benchmark::State& st) {
            const Mat& a = general(n);
            const size_t nn = a.colMajor.size();
            std::vector<double> w(nn), s(static_cast<size_t>(n)), u(job == 'N' ? 1 : nn), vt(job == 'N' ? 1 : nn);
            std::vector<lapack_int> iwork(8 * static_cast<size_t>(n));
            const lapack_int ld = job == 'N' ? 1 : n;
            double q = 0.0;
            LAPACKE_dgesdd_work(LAPACK_COL_MAJOR, job, n, n, w.data(), n, s.data(), u.data(), ld, vt.data(), ld, &q, -1,
                                iwork.data());
            std::vector<double> work(static_cast<size_t>(lwork(q)));
            for (auto _ : st) {
                copyIn(w, a);
                LAPACKE_dgesdd_work(LAPACK_COL_MAJOR, job, n, n, w.data(), n, s.data(), u.data(), ld, vt.data(), ld,
                                    work.data(), lwork(q), iwork.data());
                benchmark::ClobberMemory();
            }
        };
    };
    for (const int n : peerSizes(1024)) {
        if (n <= 512) { // the classic driver; dgesdd is the faster one above
            add("svd", "lapack-dgesvd", n, gesvd(n, 'S'));
        }
        add("svd", "lapack-dgesdd", n, gesdd(n, 'S'));
        add("svd-values", "lapack-dgesvd", n, gesvd(n, 'N'));
        add("svd-values", "lapack-dgesdd", n, gesdd(n, 'N'));
    }
    for (const int n : peerSizes(256)) {
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
    for (const int n : oursSizes(1024, true)) {
        add("eig-symmetric", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = symmetric(n);
            cxVector<double> re, im;
            oursLoop(st, [&] { a.ours.eigenvalues(true, re, im); });
        });
        add("eig-general", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            cxVector<double> re, im;
            oursLoop(st, [&] { a.ours.eigenvalues(false, re, im); });
        });
    }
    for (const int n : peerSizes(1024)) {
        add("eig-symmetric", "lapack-dsyev", n, [n](benchmark::State& st) {
            const Mat& a = symmetric(n);
            std::vector<double> w(a.colMajor.size()), ev(static_cast<size_t>(n));
            double q = 0.0;
            LAPACKE_dsyev_work(LAPACK_COL_MAJOR, 'N', 'U', n, w.data(), n, ev.data(), &q, -1);
            std::vector<double> work(static_cast<size_t>(lwork(q)));
            for (auto _ : st) {
                copyIn(w, a);
                LAPACKE_dsyev_work(LAPACK_COL_MAJOR, 'N', 'U', n, w.data(), n, ev.data(), work.data(), lwork(q));
                benchmark::ClobberMemory();
            }
        });
        add("eig-symmetric", "lapack-dsyevd", n, [n](benchmark::State& st) {
            const Mat& a = symmetric(n);
            std::vector<double> w(a.colMajor.size()), ev(static_cast<size_t>(n));
            double q = 0.0;
            lapack_int iq = 0;
            LAPACKE_dsyevd_work(LAPACK_COL_MAJOR, 'N', 'U', n, w.data(), n, ev.data(), &q, -1, &iq, -1);
            std::vector<double> work(static_cast<size_t>(lwork(q)));
            std::vector<lapack_int> iwork(static_cast<size_t>(std::max<lapack_int>(1, iq)));
            for (auto _ : st) {
                copyIn(w, a);
                LAPACKE_dsyevd_work(LAPACK_COL_MAJOR, 'N', 'U', n, w.data(), n, ev.data(), work.data(), lwork(q),
                                    iwork.data(), static_cast<lapack_int>(iwork.size()));
                benchmark::ClobberMemory();
            }
        });
        add("eig-general", "lapack-dgeev", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            std::vector<double> w(a.colMajor.size()), wr(static_cast<size_t>(n)), wi(static_cast<size_t>(n)), vl(1),
                vr(1);
            double q = 0.0;
            LAPACKE_dgeev_work(LAPACK_COL_MAJOR, 'N', 'N', n, w.data(), n, wr.data(), wi.data(), vl.data(), 1,
                               vr.data(), 1, &q, -1);
            std::vector<double> work(static_cast<size_t>(lwork(q)));
            for (auto _ : st) {
                copyIn(w, a);
                LAPACKE_dgeev_work(LAPACK_COL_MAJOR, 'N', 'N', n, w.data(), n, wr.data(), wi.data(), vl.data(), 1,
                                   vr.data(), 1, work.data(), lwork(q));
                benchmark::ClobberMemory();
            }
        });
    }
    for (const int n : peerSizes(256)) {
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

// The conditioned solve of one right-hand side: the library finds the condition number from the
// singular values before its LU solve. Beside the plain LU solve, the LAPACK peer that also
// estimates the condition: the 1-norm, dgetrf, dgecon, dgetrs.
void registerSolve()
{
    for (const int n : oursSizes(512, false)) {
        add("solve", kOurs, n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            const std::vector<double>& b = orbbench::rightHandSide(n);
            cxNMMatrix B, X;
            B.initResize(n, 1);
            for (int i = 0; i < n; ++i) {
                B.setElement(i, 0, b[static_cast<size_t>(i)]);
            }
            double cond = 0.0;
            oursLoop(st, [&] { cxNMMatrix::solve(a.ours, B, false, cond, 1e300, X); });
        });
    }
    for (const int n : peerSizes(512)) {
        add("solve", "lapack-dgesv", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            const std::vector<double>& b = orbbench::rightHandSide(n);
            std::vector<double> w(a.colMajor.size()), x(b.size());
            std::vector<lapack_int> ipiv(static_cast<size_t>(n));
            for (auto _ : st) {
                copyIn(w, a);
                x = b;
                LAPACKE_dgesv_work(LAPACK_COL_MAJOR, n, 1, w.data(), n, ipiv.data(), x.data(), n);
                benchmark::ClobberMemory();
            }
        });
        add("solve", "lapack-dgetrf+dgecon+dgetrs", n, [n](benchmark::State& st) {
            const Mat& a = general(n);
            const std::vector<double>& b = orbbench::rightHandSide(n);
            std::vector<double> w(a.colMajor.size()), x(b.size()), work(4 * static_cast<size_t>(n));
            std::vector<lapack_int> ipiv(static_cast<size_t>(n)), iwork(static_cast<size_t>(n));
            for (auto _ : st) {
                copyIn(w, a);
                x = b;
                const double anorm = LAPACKE_dlange_work(LAPACK_COL_MAJOR, '1', n, n, w.data(), n, work.data());
                LAPACKE_dgetrf_work(LAPACK_COL_MAJOR, n, n, w.data(), n, ipiv.data());
                double rcond = 0.0;
                LAPACKE_dgecon_work(LAPACK_COL_MAJOR, '1', n, w.data(), n, anorm, &rcond, work.data(), iwork.data());
                LAPACKE_dgetrs_work(LAPACK_COL_MAJOR, 'N', n, 1, w.data(), n, ipiv.data(), x.data(), n);
                benchmark::DoNotOptimize(rcond);
                benchmark::ClobberMemory();
            }
        });
    }
}

// The floor under the smallest sizes: this many request/release pairs of the library's
// allocator alone (each request and release updates its test counters).
void registerAllocationFloor()
{
    for (const int count : {1, 2}) {
        add("alloc-free-pairs", kOurs, count, [count](benchmark::State& st) {
            void* blocks[2];
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

[[maybe_unused]] const int registered = (benchmark::AddCustomContext("openblas", orbbench::blasCore()),
                                         registerAllocationFloor(), registerProduct(), registerLu(), registerSvd(),
                                         registerEigen(), registerSolve(), 0);

} // namespace
