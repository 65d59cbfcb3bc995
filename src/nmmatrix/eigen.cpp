// Eigenvalues of square matrices and condition numbers.
//
// General matrices: reduction to upper Hessenberg form by Gaussian elimination with pivoting
// (no balancing), then the Francis double-shift QR iteration (both in hessenberg.cpp); complex
// pairs come back with the negative imaginary part first. Symmetric matrices: Householder reduction to tridiagonal
// form, then QL with implicit shifts, optionally accumulating the eigenvectors. Nothing is
// sorted: values stay where the iterations leave them. Reference: Wilkinson & Reinsch,
// Handbook for Automatic Computation II (elmhes, hqr, tred2, tql2).
#include <orbmath/nmmatrix.h>

#include <algorithm>
#include <cmath>

#include "nmmatrix/internal.hpp"
#include "nmmatrix/kernels.hpp"
#include "support/cleanup.hpp"


// Householder tridiagonalisation of the symmetric a (lower triangle read): d the diagonal,
// e the subdiagonal in e[1..n), e[0] = 0. withVectors: a becomes the orthogonal transform.
void cxNMMatrix::tridiagonalize(double** a, int n, double* d, double* e, bool withVectors, double* work)
{
    for (int i = n - 1; i >= 1; --i) {
        const int l = i - 1;
        double h = 0.0;
        double* rowi = a[i];
        if (l > 0) {
            double scale = 0.0;
            for (int k = 0; k <= l; ++k) {
                scale += std::fabs(rowi[k]);
            }
            if (scale == 0.0) {
                e[i] = rowi[l];
            } else {
                for (int k = 0; k <= l; ++k) {
                    rowi[k] /= scale;
                    h += rowi[k] * rowi[k];
                }
                double f = rowi[l];
                double g = f > 0.0 ? -std::sqrt(h) : std::sqrt(h);
                e[i] = scale * g;
                h -= f * g;
                rowi[l] = f - g;
                // p = A·u / h into e[0..l], from the lower triangle read row by row: row j
                // gives p(j) its terms k <= j and every p(k), k < j, its term (j, k).
                for (int j = 0; j <= l; ++j) {
                    e[j] = 0.0;
                }
                for (int j = 0; j <= l; ++j) {
                    const double* rowj = a[j];
                    const double uj = rowi[j];
                    g = e[j];
                    for (int k = 0; k < j; ++k) {
                        g += rowj[k] * rowi[k];
                        e[k] += rowj[k] * uj;
                    }
                    g += rowj[j] * uj;
                    e[j] = g;
                }
                f = 0.0;
                for (int j = 0; j <= l; ++j) {
                    if (withVectors) {
                        a[j][i] = rowi[j] / h;
                    }
                    e[j] = e[j] / h;
                    f += e[j] * rowi[j];
                }
                const double hh = f / (h + h);
                // q = p − K·u and the rank-two update of the lower triangle.
                for (int j = 0; j <= l; ++j) {
                    f = rowi[j];
                    g = e[j] - hh * f;
                    e[j] = g;
                    double* rowj = a[j];
                    for (int k = 0; k <= j; ++k) {
                        rowj[k] -= (f * e[k] + g * rowi[k]);
                    }
                }
            }
        } else {
            e[i] = rowi[l];
        }
        d[i] = h;
    }
    d[0] = 0.0;
    e[0] = 0.0;
    if (!withVectors) {
        for (int i = 0; i < n; ++i) {
            d[i] = a[i][i];
        }
        return;
    }
    // Accumulate the transformations; d[i] still holds h of step i.
    for (int i = 0; i < n; ++i) {
        const int l = i - 1;
        double* rowi = a[i];
        if (d[i] != 0.0) {
            // work[j] = Σ_k a(i, k)·a(k, j), gathered row by row (the terms of each sum are
            // still added in increasing k), then column j -= work[j]·column i.
            for (int j = 0; j <= l; ++j) {
                work[j] = 0.0;
            }
            for (int k = 0; k <= l; ++k) {
                const double aik = rowi[k];
                const double* rowk = a[k];
                for (int j = 0; j <= l; ++j) {
                    work[j] += aik * rowk[j];
                }
            }
            for (int k = 0; k <= l; ++k) {
                double* rowk = a[k];
                const double aki = rowk[i];
                for (int j = 0; j <= l; ++j) {
                    rowk[j] -= work[j] * aki;
                }
            }
        }
        d[i] = rowi[i];
        rowi[i] = 1.0;
        for (int j = 0; j <= l; ++j) {
            a[j][i] = 0.0;
            rowi[j] = 0.0;
        }
    }
}

// QL with implicit shifts on (d, e); d receives the eigenvalues, and the columns of z (when
// given) are rotated along. False when an eigenvalue would need a 31st sweep.
bool cxNMMatrix::tridiagonalEigenvalues(double* d, double* e, int n, double** z)
{
    for (int i = 1; i < n; ++i) {
        e[i - 1] = e[i];
    }
    e[n - 1] = 0.0;
    for (int l = 0; l < n; ++l) {
        int iter = 0;
        int m = l;
        do {
            for (m = l; m < n - 1; ++m) {
                const double dd = std::fabs(d[m]) + std::fabs(d[m + 1]);
                if (std::fabs(e[m]) + dd == dd) {
                    break;
                }
            }
            if (m != l) {
                if (iter == 30) {
                    return false;
                }
                ++iter;
                double g = (d[l + 1] - d[l]) / (2.0 * e[l]);
                double r = std::sqrt(g * g + 1.0);
                g = d[m] - d[l] + e[l] / (g >= 0.0 ? g + r : g - r);
                double s = 1.0;
                double c = 1.0;
                double p = 0.0;
                for (int i = m - 1; i >= l; --i) {
                    double f = s * e[i];
                    const double b = c * e[i];
                    if (std::fabs(f) >= std::fabs(g)) {
                        c = g / f;
                        r = std::sqrt(c * c + 1.0);
                        e[i + 1] = f * r;
                        s = 1.0 / r;
                        c = c * s;
                    } else {
                        s = f / g;
                        r = std::sqrt(s * s + 1.0);
                        e[i + 1] = g * r;
                        c = 1.0 / r;
                        s = s * c;
                    }
                    g = d[i + 1] - p;
                    r = (d[i] - g) * s + 2.0 * c * b;
                    p = s * r;
                    d[i + 1] = g + p;
                    g = c * r - b;
                    if (z != nullptr) {
                        for (int k = 0; k < n; ++k) {
                            double* zk = z[k];
                            f = zk[i + 1];
                            zk[i + 1] = s * zk[i] + c * f;
                            zk[i] = c * zk[i] - s * f;
                        }
                    }
                }
                d[l] = d[l] - p;
                e[l] = g;
                e[m] = 0.0;
            }
        } while (m != l);
    }
    return true;
}


namespace {

// Sizes out to n elements and copies src into it.
long copyOut(cxVector<double>& out, const double* src, int n)
{
    const long st = out.resize(static_cast<std::size_t>(n));
    if (st < 0) {
        return st;
    }
    std::copy(src, src + n, out.begin());
    return 0;
}

} // namespace

double orb::nm::conditionNumber(const double* v, int n)
{
    double hi = std::fabs(v[0]);
    double lo = hi;
    for (int i = 1; i < n; ++i) {
        const double x = std::fabs(v[i]);
        if (x > hi) {
            hi = x;
        }
        if (x < lo || x != x) {
            lo = x;
        }
        if (lo != lo) {
            break;
        }
    }
    if (lo != 0.0 && lo == lo && hi >= 1e-14) {
        return hi / lo;
    }
    return 1e28;
}

long cxNMMatrixAccess::beginEigen(const cxNMMatrix& src, cxNMMatrix& d, cxNMMatrix& e, int eRows,
                                  cxNMMatrix& copy)
{
    if (src.rows_ != src.cols_) {
        return cxNMMatrix_errNotSquare;
    }
    const int n = src.rows_;
    if (n < 1) {
        return cxNMMatrix_errBadSize;
    }
    long st = d.initResize(1, n, 0.0);
    if (st < 0) {
        return st;
    }
    st = e.initResize(eRows, n, 0.0);
    if (st < 0) {
        return st;
    }
    return copy.assign(src);
}

// The working copy has a padded row stride (orb::nm::paddedStride): the elimination and the QR
// sweeps walk down columns, and rows a power of two apart would all fall into the same few
// cache sets. The stride does not enter the arithmetic.
long cxNMMatrix::genEigenvalues_(cxVector<double>& re, cxVector<double>& im) const
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
    orb::nm::WorkMatrix a;
    double* wr = nullptr;
    double* wi = nullptr;
    double* scratch = nullptr;
    int* index = nullptr;
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) {
        a.take(c, n, n);
        wr = c.take<double>(static_cast<size_t>(n));
        wi = c.take<double>(static_cast<size_t>(n));
        scratch = c.take<double>(5 * static_cast<size_t>(n));
        index = c.take<int>(static_cast<size_t>(n));
    });
    if (st < 0) {
        return cl.close();
    }
    for (int i = 0; i < n; ++i) {
        std::copy(m_[i], m_[i] + n, a.rows[i]);
    }
    std::fill(wr, wr + n, 0.0);
    std::fill(wi, wi + n, 0.0);
    hessenbergReduce(a.rows, n, scratch, index);
    if (!hessenbergEigenvalues(a.rows, n, wr, wi, scratch, index)) {
        st = cxNMMatrix_errSingular;
        return cl.close();
    }
    st = static_cast<cmath_status>(re.resize(static_cast<std::size_t>(n)));
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(im.resize(static_cast<std::size_t>(n)));
    if (st < 0) {
        return cl.close();
    }
    std::copy(wr, wr + n, re.begin());
    std::copy(wi, wi + n, im.begin());
    return cl.close();
}

void cxNMMatrixAccess::SymWork::take(orb::nm::Carve& c, int n)
{
    a.take(c, n, n);
    e = c.take<double>(static_cast<size_t>(n));
}

long cxNMMatrixAccess::symmetricValues(orb::nm::Rows src, const SymWork& work, double* d)
{
    const int n = src.rows;
    for (int i = 0; i < n; ++i) {
        std::copy(src.row[i], src.row[i] + n, work.a.rows[i]);
    }
    std::fill(d, d + n, 0.0);
    std::fill(work.e, work.e + n, 0.0);
    cxNMMatrix::tridiagonalize(work.a.rows, n, d, work.e, false, nullptr);
    return cxNMMatrix::tridiagonalEigenvalues(d, work.e, n, nullptr) ? 0 : cxNMMatrix_errSingular;
}

void cxNMMatrixAccess::CondWork::take(orb::nm::Carve& c, int rows, int cols, bool withSymmetric)
{
    symmetric = withSymmetric;
    if (symmetric) {
        sym.take(c, cols);
    } else {
        svd.take(c, rows, cols);
    }
    values = c.take<double>(static_cast<size_t>(cols));
}

long cxNMMatrixAccess::conditionNumber(orb::nm::Rows src, const CondWork& work, double& cond)
{
    const long st =
        work.symmetric ? symmetricValues(src, work.sym, work.values) : singularValues(src, work.svd, work.values);
    if (st < 0) {
        return st;
    }
    cond = orb::nm::conditionNumber(work.values, src.cols);
    return 0;
}

long cxNMMatrix::getSymEigenvalues_(cxVector<double>& values) const
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
    cxNMMatrixAccess::SymWork work;
    double* d = nullptr;
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) {
        work.take(c, n);
        d = c.take<double>(static_cast<size_t>(n));
    });
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::symmetricValues(cxNMMatrixAccess::rowsOf(*this), work, d));
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(copyOut(values, d, n));
    return cl.close();
}

long cxNMMatrix::getSymEigenvalues_(cxVector<double>& values, cxNMMatrix& vectors) const
{
    cxNMMatrix d;
    // e in row 0; row 1 is the scratch of the eigenvector accumulation.
    cxNMMatrix e;
    const long st = cxNMMatrixAccess::beginEigen(*this, d, e, 2, vectors);
    if (st < 0) {
        return st;
    }
    const int n = rows_;
    double* dv = cxNMMatrixAccess::block(d);
    double** et = cxNMMatrixAccess::table(e);
    double** z = cxNMMatrixAccess::table(vectors);
    tridiagonalize(z, n, dv, et[0], true, et[1]);
    if (!tridiagonalEigenvalues(dv, et[0], n, z)) {
        return cxNMMatrix_errSingular;
    }
    return copyOut(values, dv, n);
}

// The singular values, as eigenvalue magnitudes of a symmetric matrix.
long cxNMMatrix::getSymEigenvalues2_(cxVector<double>& values) const { return getSingularValues(values); }

namespace {

// The two eigenvalues overloads once the matrix is known to be square (order n): a general
// matrix goes to general(); for a symmetric one im becomes n zeros, then symmetricValues().
template <class General, class Symmetric>
long eigenvaluesBy(bool symmetric, int n, cxVector<double>& im, General general, Symmetric symmetricValues)
{
    if (!symmetric) {
        return general();
    }
    const long st = im.resize(static_cast<std::size_t>(n));
    if (st < 0) {
        return st;
    }
    std::fill(im.begin(), im.end(), 0.0);
    return symmetricValues();
}

} // namespace

long cxNMMatrix::eigenvalues(bool symmetric, cxVector<double>& re, cxVector<double>& im) const
{
    if (rows_ != cols_) {
        return cxNMMatrix_errNotSquare;
    }
    return eigenvaluesBy(
        symmetric, rows_, im, [&] { return genEigenvalues_(re, im); }, [&] { return getSymEigenvalues_(re); });
}

long cxNMMatrix::eigenvalues(bool symmetric, cxVector<double>& re, cxVector<double>& im, cxNMMatrix& vectors) const
{
    if (rows_ != cols_) {
        return cxNMMatrix_errNotSquare;
    }
    return eigenvaluesBy(
        symmetric, rows_, im, [&] { return genEigenvalues_(re, im); },
        [&] { return getSymEigenvalues_(re, vectors); });
}

// Only the values enter the rule: the singular values come without U and V, bit for bit those
// of decompose.
long cxNMMatrix::getConditionNumber(bool symmetric, double& cond) const
{
    if (symmetric && rows_ != cols_) {
        return cxNMMatrix_errNotSquare;
    }
    if (cols_ < 1) {
        return cxNMMatrix_errBadSize;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* block = nullptr;
    cxNMMatrixAccess::CondWork work;
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) { work.take(c, rows_, cols_, symmetric); });
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::conditionNumber(cxNMMatrixAccess::rowsOf(*this), work, cond));
    return cl.close();
}

long cxNMMatrix::getSymEigenvaluesAndConditionNumber(cxVector<double>& values, double& cond) const
{
    const long st = getSymEigenvalues_(values);
    if (st < 0) {
        return st;
    }
    cond = orb::nm::conditionNumber(values.begin(), cols_);
    return 0;
}
