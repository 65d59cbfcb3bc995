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

#include "nmmatrix/internal.hpp"
#include "nmmatrix/kernels.hpp"
#include "support/cleanup.hpp"

using orb::nm::dot;

// In place on the n x n array a: U on and above the diagonal, the multipliers of L below.
// perm[j] is the row exchanged with row j at step j; parity flips with every exchange. A row
// whose largest magnitude is not above 1e-15 is refused with cxNMMatrix_errSingular (parity
// is then 1.0); an exactly zero pivot becomes 1e-20 and the decomposition goes on.
long cxNMMatrix::luDecompose(double** a, int n, int* perm, double& parity)
{
    cmath_status st = 0;
    orb::Cleanup cl(st);
    // One block: the row scales, then a gathered copy of the current column so that the
    // column sums run over contiguous memory.
    double* scale = nullptr;
    st = csys_memory_alloc_internal(sizeof(double) * 2 * static_cast<size_t>(n), reinterpret_cast<void**>(&scale));
    if (st < 0) {
        return st;
    }
    cl.workBlock(reinterpret_cast<void**>(&scale));
    double* col = scale + n;

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
            st = cxNMMatrix_errSingular;
            return cl.close();
        }
        scale[i] = 1.0 / big;
    }

    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) {
            col[k] = a[k][j];
        }
        // Above the diagonal: U(i, j), using the U(k, j) of this column already computed.
        for (int i = 1; i < j; ++i) {
            col[i] = col[i] - dot(a[i], col, i);
        }
        // On and below the diagonal: pivot candidates.
        double big = 0.0;
        int imax = j;
        for (int i = j; i < n; ++i) {
            col[i] = col[i] - dot(a[i], col, j);
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
    return cl.close();
}

// Solves M x = b with the output of luDecompose; b (n elements) is replaced by x.
void cxNMMatrix::luBackSubstitute(const double* const* a, int n, const int* perm, double* b)
{
    // Forward pass with the permutation applied on the fly; leading zeros of the permuted
    // right-hand side are skipped.
    int first = -1;
    for (int i = 0; i < n; ++i) {
        const int p = perm[i];
        double s = b[p];
        b[p] = b[i];
        if (first >= 0) {
            s = s - dot(a[i] + first, b + first, i - first);
        } else if (s != 0.0) {
            first = i;
        }
        b[i] = s;
    }
    for (int i = n - 1; i >= 0; --i) {
        const double s = b[i] - dot(a[i] + i + 1, b + i + 1, n - 1 - i);
        b[i] = s / a[i][i];
    }
}


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
    int* perm = nullptr;
    st = csys_memory_alloc_internal(sizeof(int) * static_cast<size_t>(n), reinterpret_cast<void**>(&perm));
    if (st < 0) {
        return cl.close();
    }
    cl.workBlock(reinterpret_cast<void**>(&perm));
    cxNMMatrix lu;
    st = static_cast<cmath_status>(lu.assign(*this));
    if (st < 0) {
        return cl.close();
    }
    double** a = cxNMMatrixAccess::table(lu);
    // The parity is written straight into det: a refused matrix leaves det = 1.0.
    st = static_cast<cmath_status>(luDecompose(a, n, perm, det));
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
    cmath_status st = 0;
    orb::Cleanup cl(st);
    int* perm = nullptr;
    st = csys_memory_alloc_internal(sizeof(int) * static_cast<size_t>(n), reinterpret_cast<void**>(&perm));
    if (st < 0) {
        return cl.close();
    }
    cl.workBlock(reinterpret_cast<void**>(&perm));
    cxNMMatrix lu;
    st = static_cast<cmath_status>(lu.assign(*this));
    if (st < 0) {
        return cl.close();
    }
    // R collects the columns of the inverse as its rows, so that each substitution runs over
    // contiguous memory; out is its transpose.
    cxNMMatrix r;
    st = static_cast<cmath_status>(r.initResize(n, n, 0.0));
    if (st < 0) {
        return cl.close();
    }
    double** a = cxNMMatrixAccess::table(lu);
    double parity = 1.0;
    st = static_cast<cmath_status>(luDecompose(a, n, perm, parity));
    if (st < 0) {
        return cl.close();
    }
    double** rt = cxNMMatrixAccess::table(r);
    for (int i = 0; i < n; ++i) {
        rt[i][i] = 1.0;
        luBackSubstitute(a, n, perm, rt[i]);
    }
    st = static_cast<cmath_status>(r.getTranspose(out));
    return cl.close();
}
