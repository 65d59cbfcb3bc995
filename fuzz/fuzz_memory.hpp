// The allocator's test switches (exported by the library for test programs, declared here
// rather than in orbmath.h) and a scoped way for a fuzz program to fail one allocation.
#ifndef ORBMATH_FUZZ_MEMORY_HPP
#define ORBMATH_FUZZ_MEMORY_HPP

#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

extern "C" {
// Makes the nth allocation request from now fail (0 switches failures off); with
// `persistent` every request after it fails too.
ORBMATH_API void csys_memory_testFailAfter(int64_t nth, int32_t persistent);
// Blocks handed out and not yet freed.
ORBMATH_API int64_t csys_memory_testOutstanding(void);
}

namespace fuzz {

// Arms the switch for the span of one operation: one input byte in four picks which of the
// next eight requests fails, the others leave the allocator alone. Disarmed when the scope
// ends, whether or not the chosen request came.
class FailOne {
public:
    explicit FailOne(Input& in)
    {
        const uint8_t b = in.byte();
        armed_ = b % 4 == 3;
        if (armed_) {
            csys_memory_testFailAfter(1 + (b >> 2) % 8, 0);
        }
    }
    FailOne(const FailOne&) = delete;
    FailOne& operator=(const FailOne&) = delete;
    ~FailOne() { csys_memory_testFailAfter(0, 0); }

    // Whether a request may fail (a failure seen with the switch off is a fault).
    bool armed() const { return armed_; }

private:
    bool armed_ = false;
};

} // namespace fuzz

#endif
