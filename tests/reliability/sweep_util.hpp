// The reliability sweeps' booking: every sweep of the program adds its failure points to one
// process-wide total, printed per test and at the end of a whole-program run.
#ifndef ORBMATH_TESTS_RELIABILITY_SWEEP_UTIL_HPP
#define ORBMATH_TESTS_RELIABILITY_SWEEP_UTIL_HPP

#include "fault.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace rel {

inline int g_totalFailurePoints = 0;

// Runs one named prepared sweep (orbtest::sweepPrepared) and books its failure points.
template <class Prepare>
int sweep(const std::string& name, Prepare prepare, cmath_status expected = csys_errNoMemory)
{
    SCOPED_TRACE(name);
    const int n = orbtest::sweepPrepared(prepare, expected);
    g_totalFailurePoints += n;
    return n;
}

// Books a test's failure points on standard output (CI prints these lines).
inline void report(const char* what, int n)
{
    std::printf("[ oom-sweep ] %-28s %5d failure points (process total %d)\n", what, n, g_totalFailurePoints);
}

} // namespace rel

#endif
