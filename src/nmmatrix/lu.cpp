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

#include "nmmatrix/kernels.hpp"
#include "support/cleanup.hpp"

namespace orb::nm {

cmath_status luDecompose(double* const* a, int n, int* perm, double& parity)
{
    cmath_status st = 0;
    Cleanup cl(st);
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

void luBackSubstitute(const double* const* a, int n, const int* perm, double* b)
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

} // namespace orb::nm
