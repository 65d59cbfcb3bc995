// Helpers of the matrix tests: a plain row-major matrix for reference arithmetic independent of
// the library, loading and reading cxNMMatrix, sentinels, random and orthogonal matrices.
#ifndef ORBMATH_TESTS_NM_HELPERS_H
#define ORBMATH_TESTS_NM_HELPERS_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

namespace nmtest {

using V = std::vector<double>;

// A plain row-major matrix for reference computations.
struct Dense {
    int r = 0, c = 0;
    V v;
    Dense() = default;
    Dense(int rows, int cols) : r(rows), c(cols), v(static_cast<size_t>(rows) * cols, 0.0) {}
    Dense(std::initializer_list<std::initializer_list<double>> rows)
        : r(static_cast<int>(rows.size())), c(static_cast<int>(rows.begin()->size()))
    {
        for (const auto& row : rows) {
            v.insert(v.end(), row);
        }
    }
    double& operator()(int i, int j) { return v[static_cast<size_t>(i) * c + j]; }
    double operator()(int i, int j) const { return v[static_cast<size_t>(i) * c + j]; }
};

inline double at(const cxNMMatrix& m, int i, int j)
{
    double x = -999.0;
    EXPECT_EQ(m.getElement(i, j, x), 0);
    return x;
}

// The elements row by row, for exact comparisons.
inline V values(const cxNMMatrix& m)
{
    V out;
    for (int k = 0; k < m.rows() * m.cols(); ++k) {
        out.push_back(at(m, k / m.cols(), k % m.cols()));
    }
    return out;
}

inline Dense toDense(const cxNMMatrix& m)
{
    Dense d(m.rows(), m.cols());
    d.v = values(m);
    return d;
}

// load(m1, d1, m2, d2, ...) sets every matrix from its reference.
inline void load() {}
template <class... Rest> void load(cxNMMatrix& m, const Dense& d, Rest&&... rest)
{
    ASSERT_EQ(m.initResize(d.r, d.c), 0);
    for (int k = 0; k < d.r * d.c; ++k) {
        ASSERT_EQ(m.setElement(k / d.c, k % d.c, d.v[k]), 0);
    }
    load(rest...);
}

// Fills m (resized to the rows given) from nested rows.
inline void setRows(cxNMMatrix& m, std::initializer_list<std::initializer_list<double>> rows) { load(m, Dense(rows)); }

// Sizes m to r x c and writes a distinct recognisable value into every element.
inline void sentinel(cxNMMatrix& m, int r, int c)
{
    Dense d(r, c);
    for (int k = 0; k < r * c; ++k) {
        d.v[k] = -1000.0 - 10.0 * (k / c) - k % c;
    }
    load(m, d);
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
    for (int k = 0; k < a.r * b.c; ++k) {
        long double s = 0.0L;
        for (int j = 0; j < a.c; ++j) {
            s += static_cast<long double>(a(k / b.c, j)) * b(j, k % b.c);
        }
        out.v[k] = static_cast<double>(s);
    }
    return out;
}

inline Dense transpose(const Dense& a)
{
    Dense out(a.c, a.r);
    for (int k = 0; k < a.r * a.c; ++k) {
        out(k % a.c, k / a.c) = a.v[k];
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

// An orthogonal n x n matrix: a product of plane rotations by random angles over every pair.
inline Dense randomOrthogonal(std::mt19937& rng, int n)
{
    std::uniform_real_distribution<double> angle(-3.14, 3.14);
    Dense q = identity(n);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const double t = angle(rng), c = std::cos(t), s = std::sin(t);
            for (int k = 0; k < n; ++k) {
                const double a = q(k, i), b = q(k, j);
                q(k, i) = c * a - s * b;
                q(k, j) = s * a + c * b;
            }
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

} // namespace nmtest

#endif
