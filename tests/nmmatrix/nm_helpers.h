// Small helpers shared by the matrix tests: building matrices from rows and reading them back.
#ifndef ORBMATH_TESTS_NM_HELPERS_H
#define ORBMATH_TESTS_NM_HELPERS_H

#include <orbmath/orbmath.h>

#include "fault.h"

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
    out.reserve(static_cast<size_t>(m.rows()) * static_cast<size_t>(m.cols()));
    for (int i = 0; i < m.rows(); ++i) {
        for (int j = 0; j < m.cols(); ++j) {
            double v = 0.0;
            if (m.getElement(i, j, v) != 0) {
                ADD_FAILURE() << "getElement(" << i << ", " << j << ")";
            }
            out.push_back(v);
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

// orbtest::sweepAllocations for operations that need objects made beforehand: for n = 1, 2, ...
// `setup()` runs without injection and returns the state (a pointer-like owner), then
// `op(state)` runs with the nth request failing. Checks that nothing leaked once the state is
// destroyed; stops at the first success and returns the number of failure points covered.
template <class Setup, class Op>
int sweepAfterSetup(Setup setup, Op op, int limit = 1000)
{
    orbtest::FaultGuard guard;
    for (int n = 1; n <= limit; ++n) {
        const int64_t before = csys_memory_testOutstanding();
        long st = 0;
        {
            auto state = setup();
            csys_memory_testFailAfter(n, 0);
            st = op(*state);
            csys_memory_testFailAfter(0, 0);
        }
        EXPECT_EQ(csys_memory_testOutstanding(), before) << "leak with request " << n << " failing";
        if (st >= 0) {
            return n - 1;
        }
    }
    ADD_FAILURE() << "still failing after " << limit << " injected failures";
    return limit;
}

} // namespace nmtest

#endif
