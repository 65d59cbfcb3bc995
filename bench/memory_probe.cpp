// The heap probe behind orbbench::peakHeapBytes: this program's malloc, calloc, realloc, free and
// the aligned forms forward to the C library's own entries (glibc's __libc_* names) and, while a
// probe runs, keep the bytes in use and their peak. The shared library's requests reach these
// through the dynamic linker, as every other caller's do. Outside a probe the cost is one test.
#include "common.hpp"

#include <malloc.h>

#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

namespace {

bool g_probing = false;
long long g_inUse = 0;
long long g_peak = 0;

void grow(void* p)
{
    if (g_probing && p != nullptr) {
        g_inUse += static_cast<long long>(malloc_usable_size(p));
        if (g_inUse > g_peak) {
            g_peak = g_inUse;
        }
    }
}

void shrink(void* p)
{
    if (g_probing && p != nullptr) {
        g_inUse -= static_cast<long long>(malloc_usable_size(p));
    }
}

} // namespace

extern "C" {

void* malloc(size_t size)
{
    void* p = __libc_malloc(size);
    grow(p);
    return p;
}

void* calloc(size_t count, size_t size)
{
    void* p = __libc_calloc(count, size);
    grow(p);
    return p;
}

void* realloc(void* old, size_t size)
{
    shrink(old);
    void* p = __libc_realloc(old, size);
    grow(p != nullptr ? p : (size == 0 ? nullptr : old));
    return p;
}

void free(void* p)
{
    shrink(p);
    __libc_free(p);
}

void* memalign(size_t alignment, size_t size)
{
    void* p = __libc_memalign(alignment, size);
    grow(p);
    return p;
}

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** out, size_t alignment, size_t size)
{
    void* p = memalign(alignment, size);
    if (p == nullptr) {
        return ENOMEM;
    }
    *out = p;
    return 0;
}

} // extern "C"

size_t orbbench::peakHeapBytes(const std::function<void()>& fn)
{
    g_inUse = 0;
    g_peak = 0;
    g_probing = true;
    fn();
    g_probing = false;
    return static_cast<size_t>(g_peak);
}
