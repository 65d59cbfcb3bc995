// The register-blocked product kernel (see gemm.hpp). Panels of B (kc x NR) and of A (MR x kc)
// are packed into contiguous buffers on the stack; a micro-kernel keeps an MR x NR tile of C
// in vector registers for kc steps of k. The machine's widest kernel is chosen at run time
// (AVX-512F: 8 x 16 tiles, AVX2: 4 x 8 tiles); the library itself is built for the baseline
// instruction set. Multiplications and additions are separate instructions in both kernels.
#include "nmmatrix/gemm.hpp"
#include "support/isa.hpp"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

namespace orb::nm {
namespace {

constexpr int kKc = 128; // k steps per block
constexpr int kNc = 96;    // columns of B packed at once (a multiple of both NR)

using Micro = void (*)(const double* ap, const double* bp, int kc, double* c, std::ptrdiff_t ldc);
// The same with A in place (row stride lda, k stride 1); null when the kernel has no such form.
using MicroRows = void (*)(const double* a, std::ptrdiff_t lda, const double* bp, int kc, double* c,
                           std::ptrdiff_t ldc);

// c[r][0..16) += sum over k of a(r, k) * bp[k * 16 + 0..16), k = 0 .. kc-1 in order, where a(r, k)
// is a[k * 8 + r] in a packed panel (kPacked) and a[r * lda + k] for A read in place (a
// row-major operand needs no packing; the eight rows are eight sequential streams).
template <bool kPacked>
__attribute__((target("avx512f"))) void tileAvx512(const double* a, std::ptrdiff_t lda, const double* bp, int kc,
                                                   double* c, std::ptrdiff_t ldc)
{
    const double* ar[8];
    for (int r = 0; r < 8; ++r) {
        ar[r] = a + r * lda;
    }
    __m512d acc[8][2];
    for (int r = 0; r < 8; ++r) {
        acc[r][0] = _mm512_loadu_pd(c + r * ldc);
        acc[r][1] = _mm512_loadu_pd(c + r * ldc + 8);
    }
#pragma GCC unroll 4
    for (int k = 0; k < kc; ++k) {
        const __m512d b0 = _mm512_loadu_pd(bp + 16 * k);
        const __m512d b1 = _mm512_loadu_pd(bp + 16 * k + 8);
        for (int r = 0; r < 8; ++r) {
            const __m512d x = _mm512_set1_pd(kPacked ? a[8 * k + r] : ar[r][k]);
            acc[r][0] = _mm512_add_pd(acc[r][0], _mm512_mul_pd(x, b0));
            acc[r][1] = _mm512_add_pd(acc[r][1], _mm512_mul_pd(x, b1));
        }
    }
    for (int r = 0; r < 8; ++r) {
        _mm512_storeu_pd(c + r * ldc, acc[r][0]);
        _mm512_storeu_pd(c + r * ldc + 8, acc[r][1]);
    }
}

__attribute__((target("avx512f"))) void microAvx512(const double* ap, const double* bp, int kc, double* c,
                                                    std::ptrdiff_t ldc)
{
    tileAvx512<true>(ap, 0, bp, kc, c, ldc);
}

// c[r][0..8) += sum over k of ap[k * 4 + r] * bp[k * 8 + 0..8), k = 0 .. kc-1 in order.
__attribute__((target("avx2"))) void microAvx2(const double* ap, const double* bp, int kc, double* c,
                                               std::ptrdiff_t ldc)
{
    __m256d acc[4][2];
    for (int r = 0; r < 4; ++r) {
        acc[r][0] = _mm256_loadu_pd(c + r * ldc);
        acc[r][1] = _mm256_loadu_pd(c + r * ldc + 4);
    }
#pragma GCC unroll 4
    for (int k = 0; k < kc; ++k) {
        const __m256d b0 = _mm256_loadu_pd(bp + 8 * k);
        const __m256d b1 = _mm256_loadu_pd(bp + 8 * k + 4);
        for (int r = 0; r < 4; ++r) {
            const __m256d a = _mm256_broadcast_sd(ap + 4 * k + r);
            acc[r][0] = _mm256_add_pd(acc[r][0], _mm256_mul_pd(a, b0));
            acc[r][1] = _mm256_add_pd(acc[r][1], _mm256_mul_pd(a, b1));
        }
    }
    for (int r = 0; r < 4; ++r) {
        _mm256_storeu_pd(c + r * ldc, acc[r][0]);
        _mm256_storeu_pd(c + r * ldc + 4, acc[r][1]);
    }
}

template <int MR, int NR>
void blocked(Micro micro, MicroRows microRows, double* C, int n, int q, int m, const double* A, std::ptrdiff_t asx, std::ptrdiff_t asy,
             const double* B, std::ptrdiff_t bsx, std::ptrdiff_t bsy, bool upperOnly)
{
    static_assert(kNc % NR == 0, "whole panels");
    alignas(64) double bpack[kKc * kNc];
    alignas(64) double apack[kKc * MR];
    alignas(64) double edge[MR * NR];
    for (int jc = 0; jc < q; jc += kNc) {
        const int nc = std::min(kNc, q - jc);
        const int iEnd = upperOnly ? std::min(n, jc + nc) : n;
        for (int kb = 0; kb < m; kb += kKc) {
            const int kc = std::min(kKc, m - kb);
            // B(kb.., jc..) as panels of NR columns, row k of a panel contiguous; columns past
            // q are zero (their products land only in the edge tile's unused part).
            for (int p = 0; p < nc; p += NR) {
                double* dst = bpack + static_cast<std::ptrdiff_t>(p) * kc;
                const int w = std::min(NR, nc - p);
                for (int k = 0; k < kc; ++k) {
                    const double* src = B + (kb + k) * bsx + (jc + p) * bsy;
                    double* row = dst + k * NR;
                    int j = 0;
                    if (bsy == 1 && w == NR) {
                        std::memcpy(row, src, NR * sizeof(double)); // a fixed size: inline moves
                        j = w;
                    }
                    for (; j < w; ++j) {
                        row[j] = src[j * bsy];
                    }
                    for (; j < NR; ++j) {
                        row[j] = 0.0;
                    }
                }
            }
            for (int i = 0; i < iEnd; i += MR) {
                const int h = std::min(MR, n - i);
                // Whole tiles of a row-major A are read in place; others go through a packed panel.
                const bool inPlace = microRows != nullptr && asy == 1 && h == MR && nc % NR == 0;
                for (int k = 0; k < (inPlace ? 0 : kc); ++k) {
                    const double* src = A + i * asx + (kb + k) * asy;
                    double* col = apack + k * MR;
                    int r = 0;
                    for (; r < h; ++r) {
                        col[r] = src[r * asx];
                    }
                    for (; r < MR; ++r) {
                        col[r] = 0.0;
                    }
                }
                for (int p = 0; p < nc; p += NR) {
                    const int j = jc + p;
                    if (upperOnly && j + NR <= i) {
                        continue; // wholly below the diagonal
                    }
                    const int w = std::min(NR, nc - p);
                    double* c = C + static_cast<std::ptrdiff_t>(i) * q + j;
                    const double* bp = bpack + static_cast<std::ptrdiff_t>(p) * kc;
                    if (h == MR && w == NR) {
                        if (inPlace) {
                            microRows(A + i * asx + kb, asx, bp, kc, c, q);
                        } else {
                            micro(apack, bp, kc, c, q);
                        }
                        continue;
                    }
                    // A partial tile runs through a full-size copy.
                    std::memset(edge, 0, sizeof edge);
                    for (int r = 0; r < h; ++r) {
                        std::memcpy(edge + r * NR, c + static_cast<std::ptrdiff_t>(r) * q, w * sizeof(double));
                    }
                    micro(apack, bp, kc, edge, NR);
                    for (int r = 0; r < h; ++r) {
                        std::memcpy(c + static_cast<std::ptrdiff_t>(r) * q, edge + r * NR, w * sizeof(double));
                    }
                }
            }
        }
    }
}

using orb::hasAvx2;
using orb::hasAvx512;

} // namespace

bool gemmAvailable() { return hasAvx512() || hasAvx2(); }

void gemmAccumulate(double* C, int n, int q, int m, const double* A, std::ptrdiff_t asx, std::ptrdiff_t asy,
                    const double* B, std::ptrdiff_t bsx, std::ptrdiff_t bsy, bool upperOnly)
{
    if (hasAvx512()) {
        blocked<8, 16>(microAvx512, tileAvx512<false>, C, n, q, m, A, asx, asy, B, bsx, bsy, upperOnly);
    } else {
        blocked<4, 8>(microAvx2, nullptr, C, n, q, m, A, asx, asy, B, bsx, bsy, upperOnly);
    }
}

} // namespace orb::nm
