// The reliability sweeps' booking: the failure points each test covered, printed for CI.
#ifndef ORBMATH_TESTS_RELIABILITY_SWEEP_UTIL_HPP
#define ORBMATH_TESTS_RELIABILITY_SWEEP_UTIL_HPP

#include "fault.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace rel {

// Runs one named prepared sweep (orbtest::sweepPrepared).
template <class Prepare>
int sweep(const std::string& name, Prepare prepare, cmath_status expected = csys_errNoMemory)
{
    SCOPED_TRACE(name);
    return orbtest::sweepPrepared(prepare, expected);
}

// Books a test's failure points on standard output (CI prints these lines).
inline void report(const char* what, int n)
{
    std::printf("[ oom-sweep ] %-28s %5d failure points\n", what, n);
}

} // namespace rel

#endif
