// Singular value decomposition M = U·W·Vᵀ (Golub–Reinsch) and what is built on it: the
// damped pseudo-inverse, the minimal inverse and the pseudo-solve.
//
// The kernel is the classic in-place form: Householder bidiagonalisation (column then row
// reflection for each column, each scaled by the 1-norm of what it annihilates), accumulation
// of the right and then the left transformations, and implicit-shift QR on the bidiagonal
// with exact "x + anorm == anorm" negligibility tests. Singular values are left in the
// positions where the iteration leaves them (not sorted). Reference: Golub & Reinsch (1970).
#include <orbmath/nmmatrix.h>

#include <cmath>
#include <cstring>
#include <immintrin.h>

#include "nmmatrix/internal.hpp"
#include "nmmatrix/kernels.hpp"
#include "support/cleanup.hpp"

using orb::nm::dot;
using orb::nm::withSign;

namespace {

// sqrt(a² + b²) without destructive underflow or overflow.
double hypotSafe(double a, double b)
{
    const double absa = std::fabs(a);
    const double absb = std::fabs(b);
    if (absa > absb) {
        const double r = absb / absa;
        return absa * std::sqrt(1.0 + r * r);
    }
    if (absb == 0.0) {
        return 0.0;
    }
    const double r = absa / absb;
    return absb * std::sqrt(1.0 + r * r);
}

// Largest of the two, keeping a NaN once one has been seen.
double maxKeepNan(double acc, double v)
{
    if (acc != acc) {
        return acc;
    }
    return (v > acc || v != v) ? v : acc;
}

// y[j] = y[j] + x[j]·a for j < n: each element one multiplication and one addition, so any
// vector width gives the same bits. The machine's widest form is chosen once per decomposition.
using AddScaled = void (*)(double* y, const double* x, double a, int n);

void addScaledBase(double* y, const double* x, double a, int n)
{
    for (int j = 0; j < n; ++j) {
        y[j] += x[j] * a;
    }
}

__attribute__((target("avx512f"))) void addScaledAvx512(double* y, const double* x, double a, int n)
{
    const __m512d av = _mm512_set1_pd(a);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        _mm512_storeu_pd(y + j, _mm512_add_pd(_mm512_loadu_pd(y + j), _mm512_mul_pd(_mm512_loadu_pd(x + j), av)));
    }
    for (; j < n; ++j) {
        y[j] += x[j] * a;
    }
}

AddScaled chooseAddScaled()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") ? addScaledAvx512 : addScaledBase;
}

// Column copies for the QR sweeps: col[i * rows + r] = x[r][i], and back.
void toColumns(const double* const* x, int rows, int cols, double* col)
{
    for (int r = 0; r < rows; ++r) {
        const double* row = x[r];
        for (int i = 0; i < cols; ++i) {
            col[static_cast<size_t>(i) * rows + r] = row[i];
        }
    }
}

void fromColumns(const double* col, int rows, int cols, double* const* x)
{
    for (int r = 0; r < rows; ++r) {
        double* row = x[r];
        for (int i = 0; i < cols; ++i) {
            row[i] = col[static_cast<size_t>(i) * rows + r];
        }
    }
}

// Rotates two columns held as contiguous copies: (p, q) <- (p·c + q·s, q·c − p·s),
// element by element, so the vector form gives the same bits.
using RotatePair = void (*)(double* p, double* q, int rows, double c, double s);

void rotatePairBase(double* p, double* q, int rows, double c, double s)
{
    for (int r = 0; r < rows; ++r) {
        const double y = p[r];
        const double z = q[r];
        p[r] = y * c + z * s;
        q[r] = z * c - y * s;
    }
}

__attribute__((target("avx512f"))) void rotatePairAvx512(double* p, double* q, int rows, double c, double s)
{
    const __m512d cv = _mm512_set1_pd(c);
    const __m512d sv = _mm512_set1_pd(s);
    int r = 0;
    for (; r + 8 <= rows; r += 8) {
        const __m512d y = _mm512_loadu_pd(p + r);
        const __m512d z = _mm512_loadu_pd(q + r);
        _mm512_storeu_pd(p + r, _mm512_add_pd(_mm512_mul_pd(y, cv), _mm512_mul_pd(z, sv)));
        _mm512_storeu_pd(q + r, _mm512_sub_pd(_mm512_mul_pd(z, cv), _mm512_mul_pd(y, sv)));
    }
    for (; r < rows; ++r) {
        const double y = p[r];
        const double z = q[r];
        p[r] = y * c + z * s;
        q[r] = z * c - y * s;
    }
}

RotatePair chooseRotatePair()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") ? rotatePairAvx512 : rotatePairBase;
}

} // namespace

// In place on the m x n array a (m >= n): a becomes U, w the singular values, v (n x n) V.
// cxNMMatrix_errSingular when m < n or a singular value would need a 100th QR sweep.
long cxNMMatrix::svdDecompose(double** a, int m, int n, double* w, double** v)
{
    if (m < n) {
        return cxNMMatrix_errSingular;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    // The superdiagonal, scratch for column sums gathered row by row, the rotations of one QR
    // sweep (four numbers per step) and the column copies, all in the one work block.
    double* rv1 = nullptr;
    // The QR iteration works on the columns of a and v, each copied into contiguous storage
    // (at, vt) after the block above, so the block holds n (m + n) more doubles.
    const size_t nm2 = static_cast<size_t>(n) * (static_cast<size_t>(m) + static_cast<size_t>(n));
    st = csys_memory_alloc_internal(sizeof(double) * (6 * static_cast<size_t>(n) + nm2),
                                    reinterpret_cast<void**>(&rv1));
    if (st < 0) {
        return st;
    }
    cl.workBlock(reinterpret_cast<void**>(&rv1));
    double* sc = rv1 + n;
    double* rot = sc + n;
    double* at = rot + 4 * static_cast<size_t>(n); // column i of a at at + i m
    double* vt = at + static_cast<size_t>(n) * static_cast<size_t>(m); // column i of v at vt + i n
    const AddScaled addScaled = chooseAddScaled();

    double g = 0.0;
    double scale = 0.0;
    double anorm = 0.0;
    int l = 0;

    // Householder reduction to bidiagonal form.
    for (int i = 0; i < n; ++i) {
        l = i + 1;
        rv1[i] = scale * g;
        g = 0.0;
        double s = 0.0;
        scale = 0.0;
        for (int k = i; k < m; ++k) {
            scale += std::fabs(a[k][i]);
        }
        if (scale != 0.0) {
            for (int k = i; k < m; ++k) {
                a[k][i] /= scale;
                s += a[k][i] * a[k][i];
            }
            const double f = a[i][i];
            g = -withSign(std::sqrt(s), f);
            const double h = f * g - s;
            a[i][i] = f - g;
            if (l < n) {
                // Column sums Σ_k a(k, i)·a(k, j) for every j > i, gathered row by row.
                for (int j = l; j < n; ++j) {
                    sc[j] = 0.0;
                }
                for (int k = i; k < m; ++k) {
                    addScaled(sc + l, a[k] + l, a[k][i], n - l); // sc[j] += a(k, i)·a(k, j)
                }
                for (int j = l; j < n; ++j) {
                    sc[j] = sc[j] / h;
                }
                for (int k = i; k < m; ++k) {
                    addScaled(a[k] + l, sc + l, a[k][i], n - l); // a(k, j) += sc[j]·a(k, i)
                }
            }
            for (int k = i; k < m; ++k) {
                a[k][i] *= scale;
            }
        }
        w[i] = scale * g;
        g = 0.0;
        s = 0.0;
        scale = 0.0;
        if (i != n - 1) {
            double* rowi = a[i];
            for (int k = l; k < n; ++k) {
                scale += std::fabs(rowi[k]);
            }
            if (scale != 0.0) {
                for (int k = l; k < n; ++k) {
                    rowi[k] /= scale;
                    s += rowi[k] * rowi[k];
                }
                const double f = rowi[l];
                g = -withSign(std::sqrt(s), f);
                const double h = f * g - s;
                rowi[l] = f - g;
                for (int k = l; k < n; ++k) {
                    rv1[k] = rowi[k] / h;
                }
                for (int j = l; j < m; ++j) {
                    double* rowj = a[j];
                    const double sj = dot(rowj + l, rowi + l, n - l);
                    addScaled(rowj + l, rv1 + l, sj, n - l); // a(j, k) += sj·rv1[k]
                }
                for (int k = l; k < n; ++k) {
                    rowi[k] *= scale;
                }
            }
        }
        anorm = maxKeepNan(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
    }

    // Accumulation of the right-hand transformations into v.
    for (int i = n - 1; i >= 0; --i) {
        if (i < n - 1) {
            const double* rowi = a[i];
            if (g != 0.0) {
                // Double division avoids a possible underflow.
                for (int j = l; j < n; ++j) {
                    v[j][i] = (rowi[j] / rowi[l]) / g;
                }
                for (int j = l; j < n; ++j) {
                    sc[j] = 0.0;
                }
                for (int k = l; k < n; ++k) {
                    addScaled(sc + l, v[k] + l, rowi[k], n - l); // sc[j] += a(i, k)·v(k, j)
                }
                for (int k = l; k < n; ++k) {
                    addScaled(v[k] + l, sc + l, v[k][i], n - l); // v(k, j) += sc[j]·v(k, i)
                }
            }
            for (int j = l; j < n; ++j) {
                v[i][j] = 0.0;
                v[j][i] = 0.0;
            }
        }
        v[i][i] = 1.0;
        g = rv1[i];
        l = i;
    }

    // Accumulation of the left-hand transformations into a.
    for (int i = n - 1; i >= 0; --i) {
        l = i + 1;
        g = w[i];
        double* rowi = a[i];
        for (int j = l; j < n; ++j) {
            rowi[j] = 0.0;
        }
        if (g != 0.0) {
            g = 1.0 / g;
            if (l < n) {
                for (int j = l; j < n; ++j) {
                    sc[j] = 0.0;
                }
                for (int k = l; k < m; ++k) {
                    addScaled(sc + l, a[k] + l, a[k][i], n - l); // sc[j] += a(k, i)·a(k, j)
                }
                const double aii = rowi[i];
                for (int j = l; j < n; ++j) {
                    sc[j] = (sc[j] / aii) * g;
                }
                for (int k = i; k < m; ++k) {
                    addScaled(a[k] + l, sc + l, a[k][i], n - l); // a(k, j) += sc[j]·a(k, i)
                }
            }
            for (int j = i; j < m; ++j) {
                a[j][i] *= g;
            }
        } else {
            for (int j = i; j < m; ++j) {
                a[j][i] = 0.0;
            }
        }
        rowi[i] += 1.0;
    }

    // The QR sweeps rotate pairs of columns of a and v; they work on column copies, where a
    // rotation runs over contiguous memory and vectorises across rows (every element still
    // receives the same operations in the same order). The copies go back before either return
    // (the work block that holds them is released by the clean-up list).
    toColumns(a, m, n, at);
    toColumns(v, n, n, vt);
    const RotatePair rotatePair = chooseRotatePair();

    // Diagonalisation of the bidiagonal form: for each singular value, QR sweeps until the
    // superdiagonal element above it is negligible.
    for (int k = n - 1; k >= 0; --k) {
        for (int its = 1;; ++its) {
            bool cancel = true;
            int nm = 0;
            for (l = k; l >= 0; --l) {
                nm = l - 1;
                // rv1[0] is always 0; the explicit l == 0 stop also holds when anorm is NaN.
                if (l == 0 || std::fabs(rv1[l]) + anorm == anorm) {
                    cancel = false;
                    break;
                }
                if (std::fabs(w[nm]) + anorm == anorm) {
                    break;
                }
            }
            if (cancel) {
                // w[nm] is negligible: chase rv1[l] out with rotations.
                double c = 0.0;
                double s = 1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = s * rv1[i];
                    rv1[i] = c * rv1[i];
                    if (std::fabs(f) + anorm == anorm) {
                        break;
                    }
                    g = w[i];
                    double h = hypotSafe(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    c = g * h;
                    s = -f * h;
                    rotatePair(at + static_cast<size_t>(nm) * m, at + static_cast<size_t>(i) * m, m, c, s);
                }
            }
            double z = w[k];
            if (l == k) {
                if (!(z >= 0.0)) {
                    w[k] = -z;
                    double* vk = vt + static_cast<size_t>(k) * n;
                    for (int j = 0; j < n; ++j) {
                        vk[j] = -vk[j];
                    }
                }
                break;
            }
            if (its == 100) {
                fromColumns(at, m, n, a);
                fromColumns(vt, n, n, v);
                st = cxNMMatrix_errSingular;
                return cl.close();
            }
            // Shift from the trailing 2 x 2 block.
            double x = w[l];
            nm = k - 1;
            double y = w[nm];
            g = rv1[nm];
            double h = rv1[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = hypotSafe(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + withSign(g, f))) - h)) / x;
            // Next QR transformation.
            double c = 1.0;
            double s = 1.0;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = rv1[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = hypotSafe(f, h);
                rv1[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                rot[4 * (j - l)] = c; // the rotation of columns j, i of v
                rot[4 * (j - l) + 1] = s;
                z = hypotSafe(f, h);
                w[j] = z;
                if (z != 0.0) {
                    z = 1.0 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                rot[4 * (j - l) + 2] = c; // the rotation of columns j, i of a
                rot[4 * (j - l) + 3] = s;
            }
            // The sweep's rotations read only w and rv1, so they are applied to the columns of v
            // and a afterwards, in the same order.
            for (int j = l; j <= nm; ++j) {
                const double* r = rot + 4 * (j - l);
                rotatePair(vt + static_cast<size_t>(j) * n, vt + static_cast<size_t>(j + 1) * n, n, r[0], r[1]);
                rotatePair(at + static_cast<size_t>(j) * m, at + static_cast<size_t>(j + 1) * m, m, r[2], r[3]);
            }
            rv1[l] = 0.0;
            rv1[k] = f;
            w[k] = x;
        }
    }
    fromColumns(at, m, n, a);
    fromColumns(vt, n, n, v);
    return cl.close();
}


long cxNMMatrix::decompose(cxNMMatrix& U, cxNMMatrix& W, cxNMMatrix& V) const
{
    const int mrows = rows_;
    const int n = cols_;
    const int p = mrows > n ? mrows : n;
    if (p < 1 || n < 1) {
        return cxNMMatrix_errBadSize;
    }
    // A wide matrix is padded with zero rows so that the kernel always sees rows >= cols.
    cxNMMatrix work;
    long st = work.initResize(p, n, 0.0);
    if (st < 0) {
        return st;
    }
    std::memcpy(cxNMMatrixAccess::block(work), cxNMMatrixAccess::block(*this),
                sizeof(double) * static_cast<size_t>(mrows) * static_cast<size_t>(n));
    st = V.initResize(n, n, 0.0);
    if (st < 0) {
        return st;
    }
    cxNMMatrix w;
    st = w.initResize(1, n, 0.0);
    if (st < 0) {
        return st;
    }
    const double* wv = cxNMMatrixAccess::block(w);
    st = svdDecompose(cxNMMatrixAccess::table(work), p, n, cxNMMatrixAccess::block(w), cxNMMatrixAccess::table(V));
    if (st < 0) {
        return st;
    }
    st = W.initResize(n, n, 0.0);
    if (st < 0) {
        return st;
    }
    double** wt = cxNMMatrixAccess::table(W);
    for (int i = 0; i < n; ++i) {
        wt[i][i] = wv[i];
    }
    st = U.initResize(mrows, n);
    if (st < 0) {
        return st;
    }
    std::memcpy(cxNMMatrixAccess::block(U), cxNMMatrixAccess::block(work),
                sizeof(double) * static_cast<size_t>(mrows) * static_cast<size_t>(n));
    return 0;
}

long cxNMMatrix::getPseudoinverse(double tolerance, cxNMMatrix& out) const
{
    cxNMMatrix u;
    cxNMMatrix w;
    cxNMMatrix v;
    long st = decompose(u, w, v);
    if (st < 0) {
        return st;
    }
    const int n = w.rows_;
    const double* const* wt = cxNMMatrixAccess::table(w);
    double wmax = wt[0][0];
    for (int i = 1; i < n; ++i) {
        if (wt[i][i] > wmax) {
            wmax = wt[i][i];
        }
    }
    const double t = wmax / std::sqrt(tolerance);
    if (!(t >= 1e-9)) {
        // Nothing to invert (a zero matrix, or a tolerance that is negative or NaN).
        return out.assign(*this);
    }
    // V·D with D = diag(1/w) above t and diag(w/t²) below it (damped rather than dropped),
    // applied as a column scaling of V; then (V·D)·Uᵀ.
    const double t2 = t * t;
    double** dt = cxNMMatrixAccess::table(w);
    for (int j = 0; j < n; ++j) {
        const double wj = dt[j][j];
        dt[j][j] = wj >= t ? 1.0 / wj : wj / t2;
    }
    double** vt = cxNMMatrixAccess::table(v);
    for (int i = 0; i < n; ++i) {
        double* row = vt[i];
        for (int j = 0; j < n; ++j) {
            row[j] = row[j] * dt[j][j];
        }
    }
    return out.initMultiplyT(v, u);
}

long cxNMMatrix::getMinimalInverse(const cxNMMatrix& B, double tolerance, cxNMMatrix& out) const
{
    cxNMMatrix t;
    long st = t.initMultiply(*this, B);
    if (st < 0) {
        return st;
    }
    cxNMMatrix p;
    st = t.getPseudoinverse(tolerance, p);
    if (st < 0) {
        return st;
    }
    return out.initMultiply(B, p);
}

long cxNMMatrix::pseudoSolve(const cxNMMatrix& A, const cxNMMatrix& B, double tolerance, cxNMMatrix& X)
{
    cxNMMatrix p;
    const long st = A.getPseudoinverse(tolerance, p);
    if (st < 0) {
        return st;
    }
    return X.initMultiply(p, B);
}
