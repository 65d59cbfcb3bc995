#include "support/isa.hpp"

#include <cstdlib>
#include <cstring>

namespace orb {

namespace {

Isa detect()
{
    __builtin_cpu_init();
    Isa level = __builtin_cpu_supports("avx512f") ? Isa::avx512
                : __builtin_cpu_supports("avx2")  ? Isa::avx2
                                                  : Isa::baseline;
    const char* cap = std::getenv("ORBMATH_ISA");
    if (cap != nullptr) {
        if (std::strcmp(cap, "baseline") == 0) {
            level = Isa::baseline;
        } else if (std::strcmp(cap, "avx2") == 0 && level > Isa::avx2) {
            level = Isa::avx2;
        }
    }
    return level;
}

} // namespace

Isa isa()
{
    static const Isa level = detect();
    return level;
}

} // namespace orb
