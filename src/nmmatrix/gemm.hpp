// Private to src/nmmatrix/: the register-blocked product kernel used for the larger products.
//
// C (n x q, row-major, already holding the running sums) += sum over k of a(i, k) * b(k, j),
// where a(i, k) = A[i * asx + k * asy] and b(k, j) = B[k * bsx + j * bsy]. Every element of C
// receives its terms one at a time in increasing k, as a separate multiplication and addition
// (never fused): blocks of k are visited in increasing order and C is carried between them in
// memory, so the result is bit-identical to the plain triple loop. Vectorisation runs across a
// row of C, which leaves each element's order of additions untouched.
#ifndef ORBMATH_SRC_NMMATRIX_GEMM_HPP
#define ORBMATH_SRC_NMMATRIX_GEMM_HPP

#include <cstddef>

namespace orb::nm {

// True when the machine offers a vector kernel (AVX-512F or AVX2); gemmAccumulate then runs.
bool gemmAvailable();

// As described above; upperOnly skips tiles lying wholly below the diagonal (j < i). Uses about
// 100 KiB of stack and allocates nothing.
void gemmAccumulate(double* C, int n, int q, int m, const double* A, std::ptrdiff_t asx, std::ptrdiff_t asy,
                    const double* B, std::ptrdiff_t bsx, std::ptrdiff_t bsy, bool upperOnly);

} // namespace orb::nm

#endif
