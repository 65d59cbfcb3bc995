// Helpers shared by the numerical kernels of cxNMMatrix (LU, SVD, eigenvalues). The kernels
// themselves are private static members of the class, hidden from the library's interface.
#ifndef ORBMATH_SRC_NMMATRIX_KERNELS_HPP
#define ORBMATH_SRC_NMMATRIX_KERNELS_HPP

#include <orbmath/common.h>

#include <cmath>

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

} // namespace orb::nm

#endif
