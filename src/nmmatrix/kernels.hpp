// Numerical kernels behind the dense linear algebra of cxNMMatrix. They work in place on
// square or rectangular arrays given as row tables (pointer i addresses element (i, 0) of a
// row-major block) and are not exported: only the members of cxNMMatrix call them.
#ifndef ORBMATH_SRC_NMMATRIX_KERNELS_HPP
#define ORBMATH_SRC_NMMATRIX_KERNELS_HPP

#include <orbmath/common.h>

namespace orb::nm {

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

// Crout LU decomposition with implicit (row-scaled) partial pivoting of the n x n array a,
// in place: U on and above the diagonal, the multipliers of the unit lower L below it.
// perm[j] is the row exchanged with row j at step j; parity is +-1 by the exchange count.
// A row whose largest magnitude is not above 1e-15 is refused with cxNMMatrix_errSingular
// (parity then 1.0); an exactly zero pivot is replaced by 1e-20 without error.
cmath_status luDecompose(double* const* a, int n, int* perm, double& parity);

// Solves A x = b with the output of luDecompose; b (n elements) is replaced by x.
void luBackSubstitute(const double* const* a, int n, const int* perm, double* b);

// Golub-Reinsch singular value decomposition of the m x n array a (m >= n) in place:
// a becomes U (orthonormal columns), w the n singular values (not sorted), v (n x n) V.
// cxNMMatrix_errSingular when m < n or a value needs a 100th QR sweep.
cmath_status svdDecompose(double* const* a, int m, int n, double* w, double* const* v);

// Reduces the n x n array a to upper Hessenberg form by stabilised elimination; the
// multipliers are left below the subdiagonal.
void hessenbergReduce(double* const* a, int n);

// Francis double-shift QR on the upper Hessenberg array a (destroyed). wr, wi receive the
// real and imaginary parts in the positions the iteration leaves them. False when an
// eigenvalue or pair needs a 31st sweep.
bool hessenbergEigenvalues(double* const* a, int n, double* wr, double* wi);

// Householder reduction of the symmetric n x n array a (lower triangle read) to tridiagonal
// form: d the diagonal, e the subdiagonal in e[1..n), e[0] = 0. With withVectors a becomes
// the orthogonal transformation; work holds n doubles of scratch for that accumulation.
void tridiagonalize(double* const* a, int n, double* d, double* e, bool withVectors, double* work);

// QL with implicit shifts on the tridiagonal (d, e) of tridiagonalize; d receives the
// eigenvalues in place. With z (n x n, non-null) the rotations are applied to its columns.
// False when an eigenvalue needs a 31st sweep.
bool tridiagonalEigenvalues(double* d, double* e, int n, double* const* z);

} // namespace orb::nm

#endif
