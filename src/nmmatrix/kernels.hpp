// Helpers shared by the numerical kernels of cxNMMatrix (LU, SVD, eigenvalues). The kernels
// themselves are private static members of the class, hidden from the library's interface.
#ifndef ORBMATH_SRC_NMMATRIX_KERNELS_HPP
#define ORBMATH_SRC_NMMATRIX_KERNELS_HPP

#include <orbmath/common.h>

#include <cmath>
#include <cstring>

namespace orb::nm {

// |a| with the sign of b (b >= 0 counts as positive).
inline double withSign(double a, double b)
{
    return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}

// Inner product of x[0..n) and y[0..n), accumulated in four interleaved partial sums so that
// the loop vectorises. The association is fixed by this code, so results are reproducible
// whatever the compiler flags; they may differ in the last bits from a sequential sum.
inline double dot(const double* x, const double* y, int n)
{
    double s0 = 0.0;
    double s1 = 0.0;
    double s2 = 0.0;
    double s3 = 0.0;
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        s0 += x[k] * y[k];
        s1 += x[k + 1] * y[k + 1];
        s2 += x[k + 2] * y[k + 2];
        s3 += x[k + 3] * y[k + 3];
    }
    for (; k < n; ++k) {
        s0 += x[k] * y[k];
    }
    return (s0 + s1) + (s2 + s3);
}

// Four inner products at once: result r is x[r][0..n) . y[r][0..n) with exactly the
// association of orb::nm::dot (partial sums by k mod 4, the tail into the first, then
// (s0 + s1) + (s2 + s3)), so each equals dot(x[r], y[r], n) bit for bit; the four run as
// independent chains, which is where the speed comes from.
inline void dot4(const double* const x[4], const double* const y[4], int n, double out[4])
{
    typedef double Lanes __attribute__((vector_size(16))); // (s0, s1) and (s2, s3): lane-wise IEEE
    Lanes lo[4], hi[4];
    for (int r = 0; r < 4; ++r) {
        lo[r] = Lanes{0.0, 0.0};
        hi[r] = Lanes{0.0, 0.0};
    }
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        for (int r = 0; r < 4; ++r) {
            Lanes xl, xh, yl, yh;
            std::memcpy(&xl, x[r] + k, sizeof xl);
            std::memcpy(&xh, x[r] + k + 2, sizeof xh);
            std::memcpy(&yl, y[r] + k, sizeof yl);
            std::memcpy(&yh, y[r] + k + 2, sizeof yh);
            lo[r] += xl * yl;
            hi[r] += xh * yh;
        }
    }
    for (int r = 0; r < 4; ++r) {
        double s0 = lo[r][0];
        for (int t = k; t < n; ++t) {
            s0 += x[r][t] * y[r][t];
        }
        out[r] = (s0 + lo[r][1]) + (hi[r][0] + hi[r][1]);
    }
}

// The block part of dot for four rows at once: the terms k < p (p a multiple of 4) of
// x[r] . y, in the lanes dot keeps them in (lo = (s0, s1), hi = (s2, s3)). A dot of length
// n >= p whose blocks end at p (n < p + 4) is then finished by dotFinish.
typedef double DotLanes __attribute__((vector_size(16)));
struct DotPartial {
    DotLanes lo;
    DotLanes hi;
};

inline void dotBlocks4(const double* const x[4], const double* y, int p, DotPartial out[4])
{
    for (int r = 0; r < 4; ++r) {
        out[r].lo = DotLanes{0.0, 0.0};
        out[r].hi = DotLanes{0.0, 0.0};
    }
    for (int k = 0; k < p; k += 4) {
        DotLanes yl, yh;
        std::memcpy(&yl, y + k, sizeof yl);
        std::memcpy(&yh, y + k + 2, sizeof yh);
        for (int r = 0; r < 4; ++r) {
            DotLanes xl, xh;
            std::memcpy(&xl, x[r] + k, sizeof xl);
            std::memcpy(&xh, x[r] + k + 2, sizeof xh);
            out[r].lo += xl * yl;
            out[r].hi += xh * yh;
        }
    }
}

// dot(x, y, n) from its block part over k < p (p = 4 * floor(n / 4)): the tail terms into s0 in
// increasing k, then (s0 + s1) + (s2 + s3).
inline double dotFinish(const DotPartial& part, const double* x, const double* y, int p, int n)
{
    double s0 = part.lo[0];
    for (int k = p; k < n; ++k) {
        s0 += x[k] * y[k];
    }
    return (s0 + part.lo[1]) + (part.hi[0] + part.hi[1]);
}

} // namespace orb::nm

#endif
