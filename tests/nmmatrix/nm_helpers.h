// Small helpers shared by the matrix tests: building matrices from rows and reading them back.
#ifndef ORBMATH_TESTS_NM_HELPERS_H
#define ORBMATH_TESTS_NM_HELPERS_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace nmtest {

// Fills m (resized to the rows given) from nested rows.
inline void setRows(cxNMMatrix& m, std::initializer_list<std::initializer_list<double>> rows)
{
    const int r = static_cast<int>(rows.size());
    const int c = static_cast<int>(rows.begin()->size());
    ASSERT_EQ(m.initResize(r, c), 0);
    int i = 0;
    for (const auto& row : rows) {
        int j = 0;
        for (double v : row) {
            ASSERT_EQ(m.setElement(i, j, v), 0);
            ++j;
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
inline std::vector<double> values(const cxNMMatrix& m)
{
    std::vector<double> out;
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

} // namespace nmtest

#endif
