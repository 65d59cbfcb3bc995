// LU decomposition (Crout's method with implicit partial pivoting), determinant and inverse.
//
// P·A = L·U is computed column by column (Crout): for column j the elements above the
// diagonal become U(i, j) = A(i, j) − Σ_{k<i} L(i, k)·U(k, j), those on and below it are
// reduced by Σ_{k<j} L(i, k)·U(k, j) and the pivot is the candidate with the largest
// magnitude relative to the largest element of its original row (ties go to the later row).
// The working array then holds U on and above the diagonal and L (unit diagonal implied)
// below it. Reference: Crout's algorithm as in the classic numerical-methods texts.
#include <orbmath/nmmatrix.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "nmmatrix/internal.hpp"
#include "nmmatrix/kernels.hpp"
#include "support/cleanup.hpp"

using orb::nm::dot;
using orb::nm::dot4;

namespace {

// The forward pass of luBackSubstitute: the permutation applied on the fly, leading zeros of
// the permuted right-hand side skipped. Each row's inner product needs the rows before it, but
// rows first + 4q .. first + 4q + 3 share the block part of theirs (the terms before
// first + 4q), which is computed for the four side by side; their tails follow row by row.
void forwardPass(const double* const* a, int n, const int* perm, double* b)
{
    int first = -1;
    int i = 0;
    for (; i < n && first < 0; ++i) {
        const int p = perm[i];
        const double s = b[p];
        b[p] = b[i];
        if (s != 0.0) {
            first = i;
        }
        b[i] = s;
    }
    const double* y = b + first;
    while (i < n) {
        const int len = i - first;
        if (len % 4 == 0 && i + 4 <= n) {
            const double* const x[4] = {a[i] + first, a[i + 1] + first, a[i + 2] + first, a[i + 3] + first};
            orb::nm::DotPartial part[4];
            orb::nm::dotBlocks4(x, y, len, part);
            for (int r = 0; r < 4; ++r, ++i) {
                const int p = perm[i];
                const double s = b[p];
                b[p] = b[i];
                b[i] = s - orb::nm::dotFinish(part[r], x[r], y, len, len + r);
            }
            continue;
        }
        const int p = perm[i];
        const double s = b[p];
        b[p] = b[i];
        b[i] = s - dot(a[i] + first, y, len);
        ++i;
    }
}

// Up to this order the inverse interleaves four forward passes (short chains gain from the
// overlap; longer ones measured faster one at a time).
constexpr int kInterleavedForwardMax = 32;

// The forward pass for four right-hand sides at once; each gets exactly the operations of
// forwardPass (its own first non-zero position, its own inner products). The four are
// independent chains that the processor overlaps.
void forwardPass4(const double* const* a, int n, const int* perm, double* const b[4])
{
    int first[4] = {-1, -1, -1, -1};
    for (int i = 0; i < n; ++i) {
        const int p = perm[i];
        for (int r = 0; r < 4; ++r) {
            double* br = b[r];
            double s = br[p];
            br[p] = br[i];
            if (first[r] >= 0) {
                s = s - dot(a[i] + first[r], br + first[r], i - first[r]);
            } else if (s != 0.0) {
                first[r] = i;
            }
            br[i] = s;
        }
    }
}

// The backward pass of luBackSubstitute for one right-hand side.
void backwardPass(const double* const* a, int n, double* b)
{
    for (int i = n - 1; i >= 0; --i) {
        const double s = b[i] - dot(a[i] + i + 1, b + i + 1, n - 1 - i);
        b[i] = s / a[i][i];
    }
}

// The backward pass for four right-hand sides at once; each gets exactly the operations of
// backwardPass.
void backwardPass4(const double* const* a, int n, double* const b[4])
{
    for (int i = n - 1; i >= 0; --i) {
        const double* x[4] = {a[i] + i + 1, a[i] + i + 1, a[i] + i + 1, a[i] + i + 1};
        const double* y[4] = {b[0] + i + 1, b[1] + i + 1, b[2] + i + 1, b[3] + i + 1};
        double d[4];
        dot4(x, y, n - 1 - i, d);
        for (int r = 0; r < 4; ++r) {
            const double s = b[r][i] - d[r];
            b[r][i] = s / a[i][i];
        }
    }
}

} // namespace

// In place on the n x n array a: U on and above the diagonal, the multipliers of L below.
// perm[j] is the row exchanged with row j at step j; parity flips with every exchange. A row
// whose largest magnitude is not above 1e-15 is refused with cxNMMatrix_errSingular (parity
// is then 1.0); an exactly zero pivot becomes 1e-20 and the decomposition goes on. work: 2n
// doubles, the row scales and a gathered copy of the current column (so that the column sums
// run over contiguous memory).
long cxNMMatrix::luDecompose(double** a, int n, int* perm, double& parity, double* work)
{
    double* scale = work;
    double* col = work + n;

    parity = 1.0;
    for (int i = 0; i < n; ++i) {
        double big = 0.0;
        const double* row = a[i];
        for (int j = 0; j < n; ++j) {
            const double t = std::fabs(row[j]);
            if (t > big) {
                big = t;
            }
        }
        if (!(big > 1e-15)) {
            return cxNMMatrix_errSingular;
        }
        scale[i] = 1.0 / big;
    }

    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) {
            col[k] = a[k][j];
        }
        // Above the diagonal: U(i, j), using the U(k, j) of this column already computed. Rows
        // 4q .. 4q + 3 share the block part of their inner products (the terms k < 4q), computed
        // for the four side by side; their tails follow row by row.
        int iu = 1;
        for (int p = 4; p + 4 <= j; p += 4) {
            for (; iu < p; ++iu) {
                col[iu] = col[iu] - dot(a[iu], col, iu);
            }
            const double* const x[4] = {a[p], a[p + 1], a[p + 2], a[p + 3]};
            orb::nm::DotPartial part[4];
            orb::nm::dotBlocks4(x, col, p, part);
            for (int r = 0; r < 4; ++r, ++iu) {
                col[iu] = col[iu] - orb::nm::dotFinish(part[r], a[iu], col, p, iu);
            }
        }
        for (; iu < j; ++iu) {
            col[iu] = col[iu] - dot(a[iu], col, iu);
        }
        // On and below the diagonal: pivot candidates.
        // The reductions of the rows below are independent of one another: four at a time.
        int i4 = j;
        for (; i4 + 4 <= n; i4 += 4) {
            const double* x[4] = {a[i4], a[i4 + 1], a[i4 + 2], a[i4 + 3]};
            const double* y[4] = {col, col, col, col};
            double d[4];
            dot4(x, y, j, d);
            for (int r = 0; r < 4; ++r) {
                col[i4 + r] = col[i4 + r] - d[r];
            }
        }
        for (; i4 < n; ++i4) {
            col[i4] = col[i4] - dot(a[i4], col, j);
        }
        double big = 0.0;
        int imax = j;
        for (int i = j; i < n; ++i) {
            const double w = scale[i] * std::fabs(col[i]);
            if (w >= big) {
                big = w;
                imax = i;
            }
        }
        for (int k = 0; k < n; ++k) {
            a[k][j] = col[k];
        }
        if (imax != j) {
            std::swap_ranges(a[imax], a[imax] + n, a[j]);
            parity = -parity;
            scale[imax] = scale[j];
        }
        perm[j] = imax;
        double* rowj = a[j];
        if (rowj[j] == 0.0) {
            rowj[j] = 1e-20;
        }
        if (j < n - 1) {
            const double r = 1.0 / rowj[j];
            for (int i = j + 1; i < n; ++i) {
                a[i][j] = a[i][j] * r;
            }
        }
    }
    return 0;
}

void cxNMMatrixAccess::LuWork::take(orb::nm::Carve& c, int n)
{
    a.take(c, n, n);
    scratch = c.take<double>(2 * static_cast<size_t>(n));
    perm = c.take<int>(static_cast<size_t>(n));
}

void cxNMMatrixAccess::LuWork::load(const double* const* src, int n) const
{
    for (int i = 0; i < n; ++i) {
        std::memcpy(a.rows[i], src[i], sizeof(double) * static_cast<size_t>(n));
    }
}

// R collects the columns of the inverse as its rows, so that each substitution runs over
// contiguous memory: luBackSubstitute on the unit vectors, four rows at a time (each row with
// its own operations).
long cxNMMatrixAccess::invertTransposed(const double* const* src, int n, const LuWork& lu, double* r)
{
    lu.load(src, n);
    double** a = lu.a.rows;
    double parity = 1.0;
    const long st = cxNMMatrix::luDecompose(a, n, lu.perm, parity, lu.scratch);
    if (st < 0) {
        return st;
    }
    const int* perm = lu.perm;
    std::memset(r, 0, sizeof(double) * static_cast<size_t>(n) * static_cast<size_t>(n));
    auto row = [&](int i) { return r + static_cast<size_t>(i) * static_cast<size_t>(n); };
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        double* const rows[4] = {row(i), row(i + 1), row(i + 2), row(i + 3)};
        for (int q = 0; q < 4; ++q) {
            rows[q][i + q] = 1.0;
        }
        if (n <= kInterleavedForwardMax) {
            forwardPass4(a, n, perm, rows);
        } else {
            for (int q = 0; q < 4; ++q) {
                forwardPass(a, n, perm, rows[q]);
            }
        }
        backwardPass4(a, n, rows);
    }
    for (; i < n; ++i) {
        row(i)[i] = 1.0;
        forwardPass(a, n, perm, row(i));
        backwardPass(a, n, row(i));
    }
    return 0;
}

// Solves M x = b with the output of luDecompose; b (n elements) is replaced by x.
void cxNMMatrix::luBackSubstitute(const double* const* a, int n, const int* perm, double* b)
{
    forwardPass(a, n, perm, b);
    backwardPass(a, n, b);
}


// The copy, the row scales, the permutation (and for the inverse the columns it collects) share
// one work block: one request of the allocator whatever the order.
long cxNMMatrix::getDeterminant(double& det) const
{
    if (rows_ != cols_) {
        return cxNMMatrix_errNotSquare;
    }
    const int n = rows_;
    if (n < 1) {
        return cxNMMatrix_errBadSize;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* block = nullptr;
    cxNMMatrixAccess::LuWork lu;
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) { lu.take(c, n); });
    if (st < 0) {
        return cl.close();
    }
    lu.load(m_, n);
    double** a = lu.a.rows;
    // The parity is written straight into det: a refused matrix leaves det = 1.0.
    st = static_cast<cmath_status>(luDecompose(a, n, lu.perm, det, lu.scratch));
    if (st < 0) {
        return cl.close();
    }
    for (int i = 0; i < n; ++i) {
        det = det * a[i][i];
    }
    return cl.close();
}

long cxNMMatrix::getInverse(cxNMMatrix& out) const
{
    if (rows_ != cols_) {
        return cxNMMatrix_errNotSquare;
    }
    const int n = rows_;
    if (n < 1) {
        return cxNMMatrix_errBadSize;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* block = nullptr;
    cxNMMatrixAccess::LuWork lu;
    double* r = nullptr; // the inverse, transposed
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) {
        lu.take(c, n);
        r = c.take<double>(static_cast<size_t>(n) * static_cast<size_t>(n));
    });
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::invertTransposed(m_, n, lu, r));
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::storeTransposed(out, r, n, n));
    return cl.close();
}
