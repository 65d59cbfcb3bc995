// Helpers of the matrix tests: building matrices and reading them back, sentinels, and reference
// arithmetic and solvers independent of the library.
#ifndef ORBMATH_TESTS_NM_HELPERS_H
#define ORBMATH_TESTS_NM_HELPERS_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <initializer_list>
#include <random>
#include <vector>

namespace nmtest {

using V = std::vector<double>;

// Fills m (resized to the rows given) from nested rows.
inline void setRows(cxNMMatrix& m, std::initializer_list<std::initializer_list<double>> rows)
{
    ASSERT_EQ(m.initResize(static_cast<int>(rows.size()), static_cast<int>(rows.begin()->size())), 0);
    int i = 0;
    for (const auto& row : rows) {
        int j = 0;
        for (double v : row) {
            ASSERT_EQ(m.setElement(i, j++, v), 0);
        }
        ++i;
    }
}

inline double at(const cxNMMatrix& m, int i, int j)
{
    double v = -999.0;
    EXPECT_EQ(m.getElement(i, j, v), 0);
    return v;
}

// The elements row by row, for exact comparisons.
inline V values(const cxNMMatrix& m)
{
    V out;
    for (int i = 0; i < m.rows(); ++i) {
        for (int j = 0; j < m.cols(); ++j) {
            out.push_back(at(m, i, j));
        }
    }
    return out;
}

// Sizes m to r x c and writes a distinct recognisable value into every element.
inline void sentinel(cxNMMatrix& m, int r, int c)
{
    ASSERT_EQ(m.initResize(r, c), 0);
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) {
            ASSERT_EQ(m.setElement(i, j, -1000.0 - 10.0 * i - j), 0);
        }
    }
}

// A plain row-major matrix for reference computations.
struct Dense {
    int r = 0, c = 0;
    V v;
    Dense() = default;
    Dense(int rows, int cols) : r(rows), c(cols), v(static_cast<size_t>(rows) * cols, 0.0) {}
    double& operator()(int i, int j) { return v[static_cast<size_t>(i) * c + j]; }
    double operator()(int i, int j) const { return v[static_cast<size_t>(i) * c + j]; }
};

inline Dense toDense(const cxNMMatrix& m)
{
    Dense d(m.rows(), m.cols());
    d.v = values(m);
    return d;
}

// load(m1, d1, m2, d2, ...) sets every matrix from its reference.
inline void load() {}
template <class... Rest>
void load(cxNMMatrix& m, const Dense& d, Rest&&... rest)
{
    ASSERT_EQ(m.initResize(d.r, d.c), 0);
    for (int i = 0; i < d.r; ++i) {
        for (int j = 0; j < d.c; ++j) {
            ASSERT_EQ(m.setElement(i, j, d(i, j)), 0);
        }
    }
    load(rest...);
}

inline Dense randomDense(std::mt19937& rng, int r, int c)
{
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Dense d(r, c);
    for (double& x : d.v) {
        x = u(rng);
    }
    return d;
}

// Products summed in long double.
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

// Largest element difference (NaN counts as larger than everything).
inline double maxDiff(const Dense& a, const Dense& b)
{
    EXPECT_TRUE(a.r == b.r && a.c == b.c);
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
    auto dot = [&](int a, int b) {
        double s = 0.0;
        for (int i = 0; i < n; ++i) {
            s += q(i, a) * q(i, b);
        }
        return s;
    };
    for (int j = 0; j < n; ++j) {
        for (int pass = 0; pass < 2; ++pass) {
            for (int k = 0; k < j; ++k) {
                const double s = dot(k, j);
                for (int i = 0; i < n; ++i) {
                    q(i, j) -= s * q(i, k);
                }
            }
        }
        const double s = std::sqrt(dot(j, j));
        for (int i = 0; i < n; ++i) {
            q(i, j) /= s;
        }
    }
    return q;
}

// Q·diag(s)·Pᵀ for an r x c matrix with the given singular values (min(r, c) of them).
inline Dense withSingularValues(std::mt19937& rng, int r, int c, const V& s)
{
    const Dense q = randomOrthogonal(rng, r), p = randomOrthogonal(rng, c);
    Dense d(r, c);
    for (size_t i = 0; i < s.size(); ++i) {
        d(static_cast<int>(i), static_cast<int>(i)) = s[i];
    }
    return mul(mul(q, d), transpose(p));
}

// Residual ‖A·v − λ·v‖ / ‖v‖ for the vector v of one inverse-iteration step with the complex
// shift λ (Gaussian elimination with partial pivoting in complex arithmetic). Small only when
// λ is an eigenvalue of A.
inline double inverseIterationResidual(const Dense& a, std::complex<double> lambda)
{
    using C = std::complex<double>;
    const int n = a.r;
    std::vector<std::vector<C>> m(static_cast<size_t>(n), std::vector<C>(static_cast<size_t>(n)));
    std::vector<C> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            m[i][j] = a(i, j) - (i == j ? lambda : C(0.0));
        }
        x[i] = C(1.0 + 0.37 * i, 0.11 * i - 0.5);
    }
    for (int k = 0; k < n; ++k) {
        int p = k;
        for (int i = k + 1; i < n; ++i) {
            p = std::abs(m[i][k]) > std::abs(m[p][k]) ? i : p;
        }
        std::swap(m[k], m[p]);
        std::swap(x[k], x[p]);
        if (m[k][k] == C(0.0)) {
            m[k][k] = C(1e-300);
        }
        for (int i = k + 1; i < n; ++i) {
            const C f = m[i][k] / m[k][k];
            for (int j = k; j < n; ++j) {
                m[i][j] -= f * m[k][j];
            }
            x[i] -= f * x[k];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        for (int j = i + 1; j < n; ++j) {
            x[i] -= m[i][j] * x[j];
        }
        x[i] /= m[i][i];
    }
    double norm = 0.0, res = 0.0;
    for (int i = 0; i < n; ++i) {
        C s = -lambda * x[i];
        for (int j = 0; j < n; ++j) {
            s += a(i, j) * x[j];
        }
        norm += std::norm(x[i]);
        res += std::norm(s);
    }
    return std::sqrt(res / norm);
}

} // namespace nmtest

#endif
