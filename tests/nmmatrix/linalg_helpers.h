// Helpers of the linear-algebra tests: random matrices, reference arithmetic in long double
// (independent of the library's products) and small reference solvers written here.
#ifndef ORBMATH_TESTS_LINALG_HELPERS_H
#define ORBMATH_TESTS_LINALG_HELPERS_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <utility>
#include <vector>

namespace latest {

// A plain row-major matrix for reference computations.
struct Dense {
    int r = 0;
    int c = 0;
    std::vector<double> v;
    Dense() = default;
    Dense(int rows, int cols) : r(rows), c(cols), v(static_cast<size_t>(rows) * cols, 0.0) {}
    double& operator()(int i, int j) { return v[static_cast<size_t>(i) * c + j]; }
    double operator()(int i, int j) const { return v[static_cast<size_t>(i) * c + j]; }
};

inline Dense toDense(const cxNMMatrix& m)
{
    Dense d(m.rows(), m.cols());
    for (int i = 0; i < d.r; ++i) {
        for (int j = 0; j < d.c; ++j) {
            EXPECT_EQ(m.getElement(i, j, d(i, j)), 0);
        }
    }
    return d;
}

inline void fromDense(cxNMMatrix& m, const Dense& d)
{
    ASSERT_EQ(m.initResize(d.r, d.c), 0);
    for (int i = 0; i < d.r; ++i) {
        for (int j = 0; j < d.c; ++j) {
            ASSERT_EQ(m.setElement(i, j, d(i, j)), 0);
        }
    }
}

inline Dense randomDense(std::mt19937& rng, int r, int c, double lo = -1.0, double hi = 1.0)
{
    std::uniform_real_distribution<double> u(lo, hi);
    Dense d(r, c);
    for (double& x : d.v) {
        x = u(rng);
    }
    return d;
}

inline Dense mul(const Dense& a, const Dense& b)
{
    Dense out(a.r, b.c);
    for (int i = 0; i < a.r; ++i) {
        for (int j = 0; j < b.c; ++j) {
            long double s = 0.0L;
            for (int k = 0; k < a.c; ++k) {
                s += static_cast<long double>(a(i, k)) * b(k, j);
            }
            out(i, j) = static_cast<double>(s);
        }
    }
    return out;
}

inline Dense transpose(const Dense& a)
{
    Dense out(a.c, a.r);
    for (int i = 0; i < a.r; ++i) {
        for (int j = 0; j < a.c; ++j) {
            out(j, i) = a(i, j);
        }
    }
    return out;
}

inline Dense identity(int n)
{
    Dense d(n, n);
    for (int i = 0; i < n; ++i) {
        d(i, i) = 1.0;
    }
    return d;
}

inline double maxAbs(const Dense& a)
{
    double m = 0.0;
    for (double x : a.v) {
        m = std::max(m, std::fabs(x));
    }
    return m;
}

inline double maxDiff(const Dense& a, const Dense& b)
{
    EXPECT_EQ(a.r, b.r);
    EXPECT_EQ(a.c, b.c);
    double m = 0.0;
    for (size_t i = 0; i < a.v.size() && i < b.v.size(); ++i) {
        const double d = std::fabs(a.v[i] - b.v[i]);
        m = (d > m || d != d) ? d : m;
    }
    return m;
}

// An orthogonal n x n matrix: Gram-Schmidt (twice) of random columns.
inline Dense randomOrthogonal(std::mt19937& rng, int n)
{
    Dense q = randomDense(rng, n, n);
    for (int j = 0; j < n; ++j) {
        for (int pass = 0; pass < 2; ++pass) {
            for (int k = 0; k < j; ++k) {
                double s = 0.0;
                for (int i = 0; i < n; ++i) {
                    s += q(i, k) * q(i, j);
                }
                for (int i = 0; i < n; ++i) {
                    q(i, j) -= s * q(i, k);
                }
            }
        }
        double s = 0.0;
        for (int i = 0; i < n; ++i) {
            s += q(i, j) * q(i, j);
        }
        s = std::sqrt(s);
        for (int i = 0; i < n; ++i) {
            q(i, j) /= s;
        }
    }
    return q;
}

// Q·diag(s)·Pᵀ for an r x c matrix with the given singular values (min(r, c) of them).
inline Dense withSingularValues(std::mt19937& rng, int r, int c, const std::vector<double>& s)
{
    const Dense q = randomOrthogonal(rng, r);
    const Dense p = randomOrthogonal(rng, c);
    Dense d(r, c);
    for (size_t i = 0; i < s.size(); ++i) {
        d(static_cast<int>(i), static_cast<int>(i)) = s[i];
    }
    return mul(mul(q, d), transpose(p));
}

// Eigenvalues of a symmetric matrix by the cyclic Jacobi method, ascending.
inline std::vector<double> jacobiEigenvalues(Dense a)
{
    const int n = a.r;
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0.0;
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                off += a(i, j) * a(i, j);
            }
        }
        if (off < 1e-300) {
            break;
        }
        for (int p = 0; p < n; ++p) {
            for (int q = p + 1; q < n; ++q) {
                if (a(p, q) == 0.0) {
                    continue;
                }
                const double theta = (a(q, q) - a(p, p)) / (2.0 * a(p, q));
                const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                for (int k = 0; k < n; ++k) {
                    const double akp = a(k, p);
                    const double akq = a(k, q);
                    a(k, p) = c * akp - s * akq;
                    a(k, q) = s * akp + c * akq;
                }
                for (int k = 0; k < n; ++k) {
                    const double apk = a(p, k);
                    const double aqk = a(q, k);
                    a(p, k) = c * apk - s * aqk;
                    a(q, k) = s * apk + c * aqk;
                }
            }
        }
    }
    std::vector<double> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        out[static_cast<size_t>(i)] = a(i, i);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Residual ‖A·v − λ·v‖ / ‖v‖ for the vector v of one inverse-iteration step with the complex
// shift λ (Gaussian elimination with partial pivoting in complex arithmetic). Small only when
// λ is an eigenvalue of A.
inline double inverseIterationResidual(const Dense& a, std::complex<double> lambda)
{
    using C = std::complex<double>;
    const int n = a.r;
    std::vector<C> m(static_cast<size_t>(n) * n);
    std::vector<C> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            m[static_cast<size_t>(i) * n + j] = a(i, j) - (i == j ? lambda : C(0.0));
        }
        x[static_cast<size_t>(i)] = C(1.0 + 0.37 * i, 0.11 * i - 0.5);
    }
    for (int k = 0; k < n; ++k) {
        int p = k;
        for (int i = k + 1; i < n; ++i) {
            if (std::abs(m[static_cast<size_t>(i) * n + k]) > std::abs(m[static_cast<size_t>(p) * n + k])) {
                p = i;
            }
        }
        for (int j = 0; j < n; ++j) {
            std::swap(m[static_cast<size_t>(k) * n + j], m[static_cast<size_t>(p) * n + j]);
        }
        std::swap(x[static_cast<size_t>(k)], x[static_cast<size_t>(p)]);
        C piv = m[static_cast<size_t>(k) * n + k];
        if (piv == C(0.0)) {
            piv = C(1e-300);
            m[static_cast<size_t>(k) * n + k] = piv;
        }
        for (int i = k + 1; i < n; ++i) {
            const C f = m[static_cast<size_t>(i) * n + k] / piv;
            for (int j = k; j < n; ++j) {
                m[static_cast<size_t>(i) * n + j] -= f * m[static_cast<size_t>(k) * n + j];
            }
            x[static_cast<size_t>(i)] -= f * x[static_cast<size_t>(k)];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        C s = x[static_cast<size_t>(i)];
        for (int j = i + 1; j < n; ++j) {
            s -= m[static_cast<size_t>(i) * n + j] * x[static_cast<size_t>(j)];
        }
        x[static_cast<size_t>(i)] = s / m[static_cast<size_t>(i) * n + i];
    }
    double norm = 0.0;
    for (const C& xi : x) {
        norm += std::norm(xi);
    }
    norm = std::sqrt(norm);
    double res = 0.0;
    for (int i = 0; i < n; ++i) {
        C s = -lambda * x[static_cast<size_t>(i)];
        for (int j = 0; j < n; ++j) {
            s += a(i, j) * x[static_cast<size_t>(j)];
        }
        res += std::norm(s);
    }
    return std::sqrt(res) / norm;
}

// The allocator's failure status.
constexpr long kNoMemory = csys_errNoMemory;

} // namespace latest

#endif
