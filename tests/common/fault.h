// Test support: the allocator's fault-injection switch and outstanding-block count, and a
// sweep that fails each allocation of an operation in turn.
#ifndef ORBMATH_TESTS_FAULT_H
#define ORBMATH_TESTS_FAULT_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

extern "C" {
// Makes the nth allocation request from now fail (0 switches failures off); with
// `persistent` every request after it fails too.
ORBMATH_API void csys_memory_testFailAfter(int64_t nth, int32_t persistent);
// Blocks handed out and not yet freed.
ORBMATH_API int64_t csys_memory_testOutstanding(void);
// Allocation requests made so far.
ORBMATH_API int64_t csys_memory_testRequests(void);
}

namespace orbtest {

// Switches injection off when a test scope ends, whatever happens inside it.
struct FaultGuard {
    FaultGuard() = default;
    FaultGuard(const FaultGuard&) = delete;
    FaultGuard& operator=(const FaultGuard&) = delete;
    ~FaultGuard() { csys_memory_testFailAfter(0, 0); }
};

// Runs `op` with allocation 1, 2, 3, ... failing until a run succeeds. `op(failing)` performs
// the operation (setting up and tearing down its own objects), checks what must hold for the
// given run and returns the operation's status. Checks after each run that no block leaked.
// Returns the number of failure points covered.
template <class Op>
int sweepAllocations(Op op, int limit = 10000)
{
    FaultGuard guard;
    int covered = 0;
    for (int n = 1; n <= limit; ++n) {
        const int64_t before = csys_memory_testOutstanding();
        csys_memory_testFailAfter(n, 0);
        const cmath_status st = op(true);
        csys_memory_testFailAfter(0, 0);
        EXPECT_EQ(csys_memory_testOutstanding(), before) << "leak with allocation " << n << " failing";
        if (st >= 0) {
            return covered;
        }
        ++covered;
    }
    ADD_FAILURE() << "operation still failing after " << limit << " injected failures";
    return covered;
}

} // namespace orbtest

#endif
