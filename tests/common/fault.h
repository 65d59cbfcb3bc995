// Test support: the allocator's fault-injection switch and outstanding-block count, and a
// sweep that fails each allocation of an operation in turn.
#ifndef ORBMATH_TESTS_FAULT_H
#define ORBMATH_TESTS_FAULT_H

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

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

// One trial of a prepared sweep: the objects an operation works on, built before the failure
// window opens. `op` runs with one allocation failing; `failed` checks what a failing run must
// leave untouched, `succeeded` the result of the run that got through; `teardown` releases
// everything the trial built (and what a successful op made).
struct Trial {
    std::function<cmath_status()> op;
    std::function<void()> failed;
    std::function<void()> succeeded;
    std::function<void()> teardown;
};

// Runs trial.op with allocation 1, 2, 3, ... failing until a run succeeds; `prepare` builds a
// fresh Trial (with injection off) for each failure point. A failing run must return `expected`
// and leave no more blocks than preparation left; after teardown the count must be back where it
// was before preparation. Returns the failure points covered.
template <class Prepare>
int sweepPrepared(Prepare prepare, cmath_status expected = csys_errNoMemory, int limit = 10000)
{
    FaultGuard guard;
    for (int n = 1; n <= limit; ++n) {
        const int64_t before = csys_memory_testOutstanding();
        std::optional<Trial> trial(prepare());
        Trial& t = *trial;
        const int64_t prepared = csys_memory_testOutstanding();
        csys_memory_testFailAfter(n, 0);
        const cmath_status st = t.op();
        csys_memory_testFailAfter(0, 0);
        if (st < 0 && st != expected) {
            ADD_FAILURE() << "status " << st << " instead of " << expected << " with allocation " << n << " failing";
            if (t.teardown) {
                t.teardown();
            }
            return n - 1;
        }
        if (st < 0) {
            // No block made by a failing run survives it (some operations, such as an
            // assignment that drops the old contents first, legitimately free blocks).
            EXPECT_LE(csys_memory_testOutstanding(), prepared) << "leak with allocation " << n << " failing";
            if (t.failed) {
                t.failed();
            }
        } else if (t.succeeded) {
            t.succeeded();
        }
        if (t.teardown) {
            t.teardown();
        }
        trial.reset(); // releases what the trial's checks still held
        EXPECT_EQ(csys_memory_testOutstanding(), before) << "leak after the run with allocation " << n << " failing";
        if (st >= 0) {
            return n - 1;
        }
    }
    ADD_FAILURE() << "operation still failing after " << limit << " injected failures";
    return limit;
}

// The same for an operation `op(failing)` that sets up and tears down its own objects and checks
// what must hold for the run itself; returns its status.
template <class Op>
int sweepAllocations(Op op, int limit = 10000)
{
    return sweepPrepared([&]() { return Trial{[&]() { return op(true); }, {}, {}, {}}; }, csys_errNoMemory, limit);
}

} // namespace orbtest

#endif
