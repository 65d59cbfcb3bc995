// The support layer's allocator: every block of the library comes from here, so that the
// test suite can count outstanding blocks and make any single request fail.
#include <orbmath/support.h>

#include "support/null_check.hpp"

#include <atomic>
#include <cstdlib>

namespace {

// Test-only switch (the one piece of global mutable state): the request that brings the
// countdown to zero fails; when `persistent` is set every later request fails as well.
std::atomic<int64_t> g_countdown{0};
std::atomic<bool> g_persistent{false};
std::atomic<int64_t> g_outstanding{0};
std::atomic<int64_t> g_requests{0};

bool injectFailure()
{
    g_requests.fetch_add(1, std::memory_order_relaxed);
    int64_t c = g_countdown.load(std::memory_order_relaxed);
    while (c > 0) {
        if (g_countdown.compare_exchange_weak(c, c - 1, std::memory_order_relaxed)) {
            if (c - 1 == 0) {
                if (g_persistent.load(std::memory_order_relaxed)) {
                    g_countdown.store(-1, std::memory_order_relaxed);
                }
                return true;
            }
            return false;
        }
    }
    return c < 0;
}

void* rawAlloc(size_t size)
{
    if (injectFailure()) {
        return nullptr;
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) {
        g_outstanding.fetch_add(1, std::memory_order_relaxed);
    }
    return p;
}

void rawFree(void* p)
{
    if (p != nullptr) {
        g_outstanding.fetch_sub(1, std::memory_order_relaxed);
        std::free(p);
    }
}

} // namespace

extern "C" {

ORBMATH_API cmath_status csys_memory_alloc_internal(size_t size, void** out)
{
    if (orb::anyNull(out)) {
        return cmath_errNullArgument;
    }
    void* p = rawAlloc(size);
    if (p == nullptr) {
        return csys_errNoMemory;
    }
    *out = p;
    return 0;
}

ORBMATH_API cmath_status csys_memory_free_internal(void** p)
{
    if (orb::anyNull(p)) {
        return cmath_errNullArgument;
    }
    rawFree(*p);
    *p = nullptr;
    return 0;
}

ORBMATH_API void* cxfMalloc(size_t size) { return rawAlloc(size); }

ORBMATH_API void cxfFree(void* block) { rawFree(block); }

// Test-support entries, declared in the tests' own header rather than in orbmath.h.
ORBMATH_API void csys_memory_testFailAfter(int64_t nth, int32_t persistent)
{
    g_persistent.store(persistent != 0, std::memory_order_relaxed);
    g_countdown.store(nth > 0 ? nth : 0, std::memory_order_relaxed);
}

ORBMATH_API int64_t csys_memory_testOutstanding(void)
{
    return g_outstanding.load(std::memory_order_relaxed);
}

ORBMATH_API int64_t csys_memory_testRequests(void)
{
    return g_requests.load(std::memory_order_relaxed);
}

} // extern "C"
