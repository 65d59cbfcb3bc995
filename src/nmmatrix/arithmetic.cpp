// cxNMMatrix arithmetic: element-wise sums, scaling, the three products, the transpose and
// the Gram matrix.
//
// Every result is computed completely before the target changes, so the target may be one of
// the operands. When the target already has the result's size and is none of the operands,
// the result is written straight into its storage and nothing is allocated; the element-wise
// operations (sums, scaling) and the transpose of a square matrix do so even when the target
// is an operand, since every element they write depends only on elements already read. Otherwise it is
// computed into a temporary element block (the first request); the target then either copies
// it (size already right: the target keeps its storage) or takes it over with a new row table
// (the second request). A failure of either request leaves the target unchanged.
//
// Products: each element starts at 0.0 and receives its terms one by one in increasing k,
// without fused multiply-add. The loops run i-k-j over tiles, so the innermost loop runs
// along a row of the result and vectorises, while every element still sees its terms in
// increasing k (tiles of k are visited in increasing order for each element).
#include "nmmatrix/gemm.hpp"
#include "nmmatrix/internal.hpp"
#include "support/cleanup.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

using Access = cxNMMatrixAccess;

size_t elementCount(int r, int c) { return static_cast<size_t>(r) * static_cast<size_t>(c); }

// Hands a finished result block of r x c to the target: a copy into the target's own block
// when the size is already right, otherwise the target's old storage is released and it takes
// over *block with a new row table (*block becomes null). The target is unchanged on failure.
long moveInto(cxNMMatrix& target, void** block, int r, int c)
{
    if (Access::hasStorage(target) && target.isSizeEqual(r, c)) {
        std::memcpy(Access::block(target), *block, elementCount(r, c) * sizeof(double));
        return 0;
    }
    void* t = nullptr;
    const cmath_status st = csys_memory_alloc_internal(static_cast<size_t>(r) * sizeof(double*), &t);
    if (st < 0) {
        return st;
    }
    double** table = static_cast<double**>(t);
    double* e = static_cast<double*>(*block);
    for (int i = 0; i < r; ++i) {
        table[i] = e + static_cast<size_t>(i) * static_cast<size_t>(c);
    }
    Access::adopt(target, table, r, c);
    *block = nullptr;
    return 0;
}

// Runs compute(out) for an r x c result (r, c >= 1) and stores it in target as described at
// the top of this file. `aliased` tells whether target is one of the operands.
template <class Compute>
long produce(cxNMMatrix& target, int r, int c, bool aliased, Compute&& compute)
{
    if (!aliased && Access::hasStorage(target) && target.isSizeEqual(r, c)) {
        compute(Access::block(target));
        return 0;
    }
    if (static_cast<size_t>(c) > SIZE_MAX / sizeof(double) / static_cast<size_t>(r)) {
        return csys_errNoMemory;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* tmp = nullptr;
    st = csys_memory_alloc_internal(elementCount(r, c) * sizeof(double), &tmp);
    if (st < 0) {
        return cl.close();
    }
    cl.workBlock(&tmp);
    compute(static_cast<double*>(tmp));
    st = static_cast<cmath_status>(moveInto(target, &tmp, r, c));
    return cl.close();
}

// ---------------------------------------------------------------- the product kernel

// Element (x, y) of a product operand is p[x * sx + y * sy]; for the left operand x is the
// result row i and y the summation index k, for the right operand x is k and y the result
// column j. Transposed operands are thus only a matter of strides.
struct Operand {
    const double* p;
    ptrdiff_t sx;
    ptrdiff_t sy;
};

// Products of at least this many multiply-adds use the vector kernel.
constexpr long long kVectorKernelWork = 8 * 8 * 8;

constexpr int kTileK = 64;
constexpr int kTileJ = 64;

// c_g[j] += a_g * b[j] for four result rows g at once; each element gets one term.
void addRows4(double* __restrict c0, double* __restrict c1, double* __restrict c2,
              double* __restrict c3, const double* __restrict b, double a0, double a1, double a2,
              double a3, int jw)
{
    for (int j = 0; j < jw; ++j) {
        const double bj = b[j];
        c0[j] += a0 * bj;
        c1[j] += a1 * bj;
        c2[j] += a2 * bj;
        c3[j] += a3 * bj;
    }
}

void addRow1(double* __restrict c0, const double* __restrict b, double a0, int jw)
{
    for (int j = 0; j < jw; ++j) {
        c0[j] += a0 * b[j];
    }
}

// C (n x q, row-major) = sum over k = 0 .. m-1 of a(i, k) * b(k, j), each element accumulated
// from 0.0 in increasing k (m = 0 gives zeros without reading an operand). With upperOnly only elements with j >= i are required (a few
// below the diagonal are computed as well; the caller overwrites them).
void product(double* C, int n, int q, int m, Operand A, Operand B, bool upperOnly)
{
    std::memset(C, 0, elementCount(n, q) * sizeof(double));
    // Larger products go to the register-blocked vector kernel, which keeps the same order of
    // operations for every element (see gemm.hpp).
    if (static_cast<long long>(n) * q * m >= kVectorKernelWork && orb::nm::gemmAvailable()) {
        orb::nm::gemmAccumulate(C, n, q, m, A.p, A.sx, A.sy, B.p, B.sx, B.sy, upperOnly);
        return;
    }
    double tile[kTileK * kTileJ]; // b(kb .. kb+kw, jb .. jb+jw), rows of kTileJ
    for (int jb = 0; jb < q; jb += kTileJ) {
        const int jw = std::min(kTileJ, q - jb);
        const int iEnd = upperOnly ? std::min(n, jb + jw) : n;
        for (int kb = 0; kb < m; kb += kTileK) {
            const int kw = std::min(kTileK, m - kb);
            for (int k = 0; k < kw; ++k) {
                const double* src = B.p + (kb + k) * B.sx + jb * B.sy;
                double* dst = tile + k * kTileJ;
                if (B.sy == 1) {
                    std::memcpy(dst, src, static_cast<size_t>(jw) * sizeof(double));
                } else {
                    for (int j = 0; j < jw; ++j) {
                        dst[j] = src[j * B.sy];
                    }
                }
            }
            int i = 0;
            for (; i + 4 <= iEnd; i += 4) {
                double* c = C + static_cast<ptrdiff_t>(i) * q + jb;
                const double* a = A.p + i * A.sx + kb * A.sy;
                for (int k = 0; k < kw; ++k) {
                    const double* ak = a + k * A.sy;
                    addRows4(c, c + q, c + 2 * static_cast<ptrdiff_t>(q), c + 3 * static_cast<ptrdiff_t>(q),
                             tile + k * kTileJ, ak[0], ak[A.sx], ak[2 * A.sx], ak[3 * A.sx], jw);
                }
            }
            for (; i < iEnd; ++i) {
                double* c = C + static_cast<ptrdiff_t>(i) * q + jb;
                const double* a = A.p + i * A.sx + kb * A.sy;
                for (int k = 0; k < kw; ++k) {
                    addRow1(c, tile + k * kTileJ, a[k * A.sy], jw);
                }
            }
        }
    }
}

// dst (c x r) = the transpose of src (r x c), both row-major. Tiles keep both the rows read and
// the rows written in cache.
void transposeInto(double* dst, const double* src, int r, int c)
{
    constexpr int kTile = 32;
    for (int ib = 0; ib < r; ib += kTile) {
        const int ie = std::min(r, ib + kTile);
        for (int jb = 0; jb < c; jb += kTile) {
            const int je = std::min(c, jb + kTile);
            for (int i = ib; i < ie; ++i) {
                for (int j = jb; j < je; ++j) {
                    dst[static_cast<ptrdiff_t>(j) * r + i] = src[static_cast<ptrdiff_t>(i) * c + j];
                }
            }
        }
    }
}

Operand rowsOf(const cxNMMatrix& M) { return Operand{Access::block(M), M.cols(), 1}; }
Operand columnsOf(const cxNMMatrix& M) { return Operand{Access::block(M), 1, M.cols()}; }

// ---------------------------------------------------------------- element-wise

template <class Op>
long elementWise(cxNMMatrix& target, const cxNMMatrix& A, const cxNMMatrix& B, Op op)
{
    if (!A.isSizeEqual(B)) {
        return cxNMMatrix_errSizeMismatch;
    }
    if (A.rows() < 1 || A.cols() < 1) {
        return cxNMMatrix_errBadSize;
    }
    const size_t n = elementCount(A.rows(), A.cols());
    const double* a = Access::block(A);
    const double* b = Access::block(B);
    // out[k] depends on a[k] and b[k] only: safe in place.
    return produce(target, A.rows(), A.cols(), false, [&](double* out) {
        for (size_t k = 0; k < n; ++k) {
            out[k] = op(a[k], b[k]);
        }
    });
}

} // namespace

long cxNMMatrix::initAdd(const cxNMMatrix& A, const cxNMMatrix& B)
{
    return elementWise(*this, A, B, [](double x, double y) { return x + y; });
}

long cxNMMatrix::initSubtract(const cxNMMatrix& A, const cxNMMatrix& B)
{
    return elementWise(*this, A, B, [](double x, double y) { return x - y; });
}

long cxNMMatrix::initMultiply(const cxNMMatrix& A, double s)
{
    if (A.m_ == nullptr) {
        return allocate_(A.rows_, A.cols_); // an empty operand gives an empty result
    }
    const size_t n = elementCount(A.rows_, A.cols_);
    const double* a = A.m_[0];
    return produce(*this, A.rows_, A.cols_, false, [&](double* out) { // in place is safe
        for (size_t k = 0; k < n; ++k) {
            out[k] = s * a[k];
        }
    });
}

// Rounded as products with the one reciprocal, not as quotients.
long cxNMMatrix::initDivide(const cxNMMatrix& A, double s) { return initMultiply(A, 1.0 / s); }

long cxNMMatrix::initMultiply(const cxNMMatrix& A, const cxNMMatrix& B)
{
    if (A.cols_ != B.rows_ || A.rows_ < 1 || B.cols_ < 1) {
        return cxNMMatrix_errBadSize;
    }
    const int n = A.rows_, q = B.cols_, m = A.cols_;
    return produce(*this, n, q, this == &A || this == &B,
                   [&](double* out) { product(out, n, q, m, rowsOf(A), rowsOf(B), false); });
}

long cxNMMatrix::initMultiplyT(const cxNMMatrix& A, const cxNMMatrix& B)
{
    if (A.cols_ != B.cols_ || A.rows_ < 1 || B.rows_ < 1) {
        return cxNMMatrix_errBadSize;
    }
    const int n = A.rows_, q = B.rows_, m = A.cols_;
    // b(k, j) = B(j, k)
    return produce(*this, n, q, this == &A || this == &B,
                   [&](double* out) { product(out, n, q, m, rowsOf(A), columnsOf(B), false); });
}

long cxNMMatrix::initTmultiply(const cxNMMatrix& A, const cxNMMatrix& B)
{
    if (A.rows_ != B.rows_ || A.cols_ < 1 || B.cols_ < 1) {
        return cxNMMatrix_errBadSize;
    }
    const int n = A.cols_, q = B.cols_, m = A.rows_;
    // a(i, k) = A(k, i)
    return produce(*this, n, q, this == &A || this == &B,
                   [&](double* out) { product(out, n, q, m, columnsOf(A), rowsOf(B), false); });
}

long cxNMMatrix::getTranspose(cxNMMatrix& out) const
{
    if (rows_ < 1 || cols_ < 1) {
        return cxNMMatrix_errBadSize;
    }
    const int r = rows_, c = cols_;
    if (&out == this && r == c) {
        for (int i = 0; i < r; ++i) {
            for (int j = i + 1; j < c; ++j) {
                std::swap(m_[i][j], m_[j][i]);
            }
        }
        return 0;
    }
    const double* src = m_[0];
    return produce(out, c, r, &out == this, [&](double* dst) { transposeInto(dst, src, r, c); });
}

void cxNMMatrixAccess::multiply(double* C, int n, int q, int m, const double* A, std::ptrdiff_t asx,
                                std::ptrdiff_t asy, const double* B, std::ptrdiff_t bsx, std::ptrdiff_t bsy)
{
    product(C, n, q, m, Operand{A, asx, asy}, Operand{B, bsx, bsy}, false);
}

long cxNMMatrixAccess::storeTransposed(cxNMMatrix& target, const double* src, int r, int c)
{
    return produce(target, c, r, false, [&](double* dst) { transposeInto(dst, src, r, c); });
}

// Only the upper triangle is summed; the lower one is its mirror, so the result is exactly
// symmetric.
long cxNMMatrix::getSquare(cxNMMatrix& out) const
{
    if (cols_ < 1) {
        return cxNMMatrix_errBadSize;
    }
    const int n = cols_, m = rows_;
    return produce(out, n, n, &out == this, [&](double* S) {
        product(S, n, n, m, columnsOf(*this), rowsOf(*this), true);
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                S[static_cast<ptrdiff_t>(j) * n + i] = S[static_cast<ptrdiff_t>(i) * n + j];
            }
        }
    });
}
