// Private to the library: which vector instruction sets its kernels may use. The processor's
// features, capped by the environment variable ORBMATH_ISA when it names a narrower set
// ("baseline": SSE2 only, "avx2"); read once, at the first kernel choice. Every kernel gives
// the same results bit for bit, so the cap changes only speed; it lets one machine run and
// check the kernels that narrower processors use.
#ifndef ORBMATH_SRC_SUPPORT_ISA_HPP
#define ORBMATH_SRC_SUPPORT_ISA_HPP

namespace orb {

enum class Isa { baseline = 0, avx2 = 1, avx512 = 2 };

Isa isa();

inline bool hasAvx512()
{
    return isa() >= Isa::avx512;
}

inline bool hasAvx2()
{
    return isa() >= Isa::avx2;
}

} // namespace orb

#endif
