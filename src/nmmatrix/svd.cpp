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
#include "support/isa.hpp"

using orb::nm::dot;
using orb::nm::dot4;
using orb::nm::withSign;

namespace {

// The singular values depend only on the code that touches w and rv1. Those routines are kept
// as one out-of-line body each (neither inlined nor cloned), which the decomposition and the
// values-only path both call: the same instructions, so the same bits even where operand order
// decides a NaN's payload.
#if defined(__clang__)
#  define ORBMATH_ONE_BODY_ __attribute__((noinline))
#else
#  define ORBMATH_ONE_BODY_ __attribute__((noinline, noclone))
#endif

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

// y[j] = (((y[j] + x[0][j]·a[0]) + x[1][j]·a[1]) + x[2][j]·a[2]) + x[3][j]·a[3]: four
// addScaled calls in one pass over y, each element receiving the same operations in the same
// order.
using AddScaled4 = void (*)(double* y, const double* const x[4], const double a[4], int n);

// Elements from .. n-1: the plain loop, and the tail of the vector forms.
void addScaled4From(double* y, const double* const x[4], const double a[4], int from, int n)
{
    for (int j = from; j < n; ++j) {
        double t = y[j];
        t += x[0][j] * a[0];
        t += x[1][j] * a[1];
        t += x[2][j] * a[2];
        t += x[3][j] * a[3];
        y[j] = t;
    }
}

void addScaled4Base(double* y, const double* const x[4], const double a[4], int n)
{
    addScaled4From(y, x, a, 0, n);
}

__attribute__((target("avx512f"))) void addScaled4Avx512(double* y, const double* const x[4], const double a[4],
                                                          int n)
{
    const __m512d a0 = _mm512_set1_pd(a[0]);
    const __m512d a1 = _mm512_set1_pd(a[1]);
    const __m512d a2 = _mm512_set1_pd(a[2]);
    const __m512d a3 = _mm512_set1_pd(a[3]);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        __m512d t = _mm512_loadu_pd(y + j);
        t = _mm512_add_pd(t, _mm512_mul_pd(_mm512_loadu_pd(x[0] + j), a0));
        t = _mm512_add_pd(t, _mm512_mul_pd(_mm512_loadu_pd(x[1] + j), a1));
        t = _mm512_add_pd(t, _mm512_mul_pd(_mm512_loadu_pd(x[2] + j), a2));
        t = _mm512_add_pd(t, _mm512_mul_pd(_mm512_loadu_pd(x[3] + j), a3));
        _mm512_storeu_pd(y + j, t);
    }
    addScaled4From(y, x, a, j, n);
}

// The machine's widest forms, chosen once per call of the library.
struct Kernels {
    AddScaled addScaled;
    AddScaled4 addScaled4;

    static Kernels choose()
    {
        const bool avx512 = orb::hasAvx512();
        return Kernels{avx512 ? addScaledAvx512 : addScaledBase, avx512 ? addScaled4Avx512 : addScaled4Base};
    }

    // sc[j] += a(k, i)·a(k, j) for k = k0 .. k1-1 in order (j from l on, len of them): the column
    // sums of a Householder step, gathered row by row, four rows per pass over sc.
    void gatherColumn(double* sc, const double* const* a, int k0, int k1, int i, int l, int len) const
    {
        int k = k0;
        for (; k + 4 <= k1; k += 4) {
            const double* const x[4] = {a[k] + l, a[k + 1] + l, a[k + 2] + l, a[k + 3] + l};
            const double f[4] = {a[k][i], a[k + 1][i], a[k + 2][i], a[k + 3][i]};
            addScaled4(sc + l, x, f, len);
        }
        for (; k < k1; ++k) {
            addScaled(sc + l, a[k] + l, a[k][i], len);
        }
    }
};

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
    return orb::hasAvx512() ? rotatePairAvx512 : rotatePairBase;
}

// Householder reduction of a (m x n, m >= n) to bidiagonal form: w receives the diagonal, rv1
// the superdiagonal (rv1[0] = 0), a keeps the reflections. Returns anorm, the largest
// |w(i)| + |rv1(i)| (NaN once one is NaN). sc: n doubles of scratch.
//
// Step i applies the column reflection to rows i .. m-1 (a(k, j) += sc(j)·a(k, i) for j > i,
// then a(k, i) *= scale) and the row reflection to rows i+1 .. m-1 (a(k, j) += s(k)·rv1(j) with
// s(k) the inner product of row k with row i). Every operation of a row reads only that row,
// row i and the vectors sc and rv1, so after row i is done both reach each further row in one
// pass, in their classic order, four rows at a time (their inner products side by side).
ORBMATH_ONE_BODY_ double bidiagonalize(double* const* a, int m, int n, double* w, double* rv1, double* sc,
                                       const Kernels& kern)
{
    const AddScaled addScaled = kern.addScaled;
    double g = 0.0;
    double scale = 0.0;
    double anorm = 0.0;
    for (int i = 0; i < n; ++i) {
        const int l = i + 1;
        const int len = n - l;
        rv1[i] = scale * g;
        g = 0.0;
        double s = 0.0;
        double colScale = 0.0;
        for (int k = i; k < m; ++k) {
            colScale += std::fabs(a[k][i]);
        }
        if (colScale != 0.0) {
            for (int k = i; k < m; ++k) {
                a[k][i] /= colScale;
                s += a[k][i] * a[k][i];
            }
            const double f = a[i][i];
            g = -withSign(std::sqrt(s), f);
            const double h = f * g - s;
            a[i][i] = f - g;
            if (len > 0) {
                // Column sums Σ_k a(k, i)·a(k, j) for every j > i, gathered row by row.
                for (int j = l; j < n; ++j) {
                    sc[j] = 0.0;
                }
                kern.gatherColumn(sc, a, i, m, i, l, len);
                for (int j = l; j < n; ++j) {
                    sc[j] = sc[j] / h;
                }
                addScaled(a[i] + l, sc + l, a[i][i], len);
            }
            a[i][i] *= colScale;
        }
        w[i] = colScale * g;
        g = 0.0;
        s = 0.0;
        scale = 0.0;
        double* rowi = a[i];
        bool rowReflection = false;
        if (i != n - 1) {
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
                rowReflection = true;
            }
        }
        // The rows below row i: the rest of the column reflection, then the row reflection.
        const auto columnStep = [&](double* row) {
            if (colScale != 0.0) {
                if (len > 0) {
                    addScaled(row + l, sc + l, row[i], len); // a(k, j) += sc[j]·a(k, i)
                }
                row[i] *= colScale;
            }
        };
        int k = l;
        for (; k + 4 <= m; k += 4) {
            double* const rows[4] = {a[k], a[k + 1], a[k + 2], a[k + 3]};
            for (double* row : rows) {
                columnStep(row);
            }
            if (rowReflection) {
                const double* const x[4] = {rows[0] + l, rows[1] + l, rows[2] + l, rows[3] + l};
                const double* const y[4] = {rowi + l, rowi + l, rowi + l, rowi + l};
                double sk[4];
                dot4(x, y, len, sk);
                for (int q = 0; q < 4; ++q) {
                    addScaled(rows[q] + l, rv1 + l, sk[q], len); // a(k, j) += s(k)·rv1[j]
                }
            }
        }
        for (; k < m; ++k) {
            double* row = a[k];
            columnStep(row);
            if (rowReflection) {
                addScaled(row + l, rv1 + l, dot(row + l, rowi + l, len), len);
            }
        }
        if (rowReflection) {
            for (int j = l; j < n; ++j) {
                rowi[j] *= scale;
            }
        }
        anorm = maxKeepNan(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
    }
    return anorm;
}

// Accumulation of the right-hand transformations (kept in the rows of a) into v.
void accumulateRight(const double* const* a, int n, const double* rv1, double* const* v, double* sc,
                     const Kernels& kern)
{
    const AddScaled addScaled = kern.addScaled;
    double g = 0.0;
    int l = 0;
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
                int k = l;
                for (; k + 4 <= n; k += 4) { // sc[j] += a(i, k)·v(k, j), four k per pass
                    const double* const x[4] = {v[k] + l, v[k + 1] + l, v[k + 2] + l, v[k + 3] + l};
                    kern.addScaled4(sc + l, x, rowi + k, n - l);
                }
                for (; k < n; ++k) {
                    addScaled(sc + l, v[k] + l, rowi[k], n - l);
                }
                for (int r = l; r < n; ++r) {
                    addScaled(v[r] + l, sc + l, v[r][i], n - l); // v(r, j) += sc[j]·v(r, i)
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
}

// Accumulation of the left-hand transformations (kept in the columns of a) into a itself.
void accumulateLeft(double* const* a, int m, int n, const double* w, double* sc, const Kernels& kern)
{
    const AddScaled addScaled = kern.addScaled;
    for (int i = n - 1; i >= 0; --i) {
        const int l = i + 1;
        double g = w[i];
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
                kern.gatherColumn(sc, a, l, m, i, l, n - l); // sc[j] += a(k, i)·a(k, j)
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
}

// What one pass of the diagonalisation did (qrStep).
enum class Step { Converged, Failed, Swept };

struct StepLog {
    int l = 0;            // the start of the active block (the sweep ran on l .. k)
    int chaseEnd = 0;     // the chase rotated columns l - 1 and i for i = l .. chaseEnd - 1
    bool negated = false; // w(k) converged negative and was negated
};

// One pass for singular value k, its being the pass counter: the splitting test, the chase of
// a negligible w(l - 1), then convergence (w(k) made non-negative), failure (its = 100) or one
// implicit-shift QR sweep on l .. k. Every operation on w and rv1 happens in this one compiled
// body, which the decomposition and the singular-values-only path share, so both give the
// same bits, NaN payloads included. The rotations that U and V receive are recorded instead of
// applied: the chase's in chase (c, s per step), the sweep's in rot (four numbers per step).
ORBMATH_ONE_BODY_ Step qrStep(double* w, double* rv1, double anorm, int k, int its, StepLog& log, double* chase,
                              double* rot)
{
    bool cancel = true;
    int nm = 0;
    int l = k;
    for (; l >= 0; --l) {
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
    log.l = l;
    log.chaseEnd = l;
    log.negated = false;
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
            const double g = w[i];
            double h = hypotSafe(f, g);
            w[i] = h;
            h = 1.0 / h;
            c = g * h;
            s = -f * h;
            chase[2 * (i - l)] = c;
            chase[2 * (i - l) + 1] = s;
            log.chaseEnd = i + 1;
        }
    }
    double z = w[k];
    if (l == k) {
        if (!(z >= 0.0)) {
            w[k] = -z;
            log.negated = true;
        }
        return Step::Converged;
    }
    if (its == 100) {
        return Step::Failed;
    }
    // Shift from the trailing 2 x 2 block.
    double x = w[l];
    nm = k - 1;
    double y = w[nm];
    double g = rv1[nm];
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
    rv1[l] = 0.0;
    rv1[k] = f;
    w[k] = x;
    return Step::Swept;
}

// The diagonalisation of the bidiagonal form (w, rv1): for each singular value, passes until
// the superdiagonal element above it is negligible. false when one would need a 100th sweep.
// When at is given, the recorded rotations are applied to the column copies of U (at, m rows)
// and V (vt, n rows) after each pass, in the order the classic loop applies them. rot: 6n
// doubles (the chase's rotations, then the sweep's).
bool diagonalize(double* w, double* rv1, int n, double anorm, double* rot, double* at, int m, double* vt)
{
    double* chase = rot + 4 * static_cast<size_t>(n);
    const RotatePair rotatePair = at != nullptr ? chooseRotatePair() : nullptr;
    auto colA = [&](int i) { return at + static_cast<size_t>(i) * static_cast<size_t>(m); };
    auto colV = [&](int i) { return vt + static_cast<size_t>(i) * static_cast<size_t>(n); };
    for (int k = n - 1; k >= 0; --k) {
        for (int its = 1;; ++its) {
            StepLog log;
            const Step step = qrStep(w, rv1, anorm, k, its, log, chase, rot);
            if (step == Step::Failed) {
                return false;
            }
            if (at != nullptr) {
                for (int i = log.l; i < log.chaseEnd; ++i) {
                    rotatePair(colA(log.l - 1), colA(i), m, chase[2 * (i - log.l)], chase[2 * (i - log.l) + 1]);
                }
                if (log.negated) {
                    double* vk = colV(k);
                    for (int j = 0; j < n; ++j) {
                        vk[j] = -vk[j];
                    }
                }
                if (step == Step::Swept) {
                    // The sweep's rotations read only w and rv1: applied afterwards, in order.
                    for (int j = log.l; j < k; ++j) {
                        const double* r = rot + 4 * (j - log.l);
                        rotatePair(colV(j), colV(j + 1), n, r[0], r[1]);
                        rotatePair(colA(j), colA(j + 1), m, r[2], r[3]);
                    }
                }
            }
            if (step == Step::Converged) {
                break;
            }
        }
    }
    return true;
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
    // pass (six numbers per step) and the column copies, all in the one work block.
    double* rv1 = nullptr;
    // The QR iteration works on the columns of a and v, each copied into contiguous storage
    // (at, vt) after the block above, so the block holds n (m + n) more doubles.
    const size_t nm2 = static_cast<size_t>(n) * (static_cast<size_t>(m) + static_cast<size_t>(n));
    st = csys_memory_alloc_internal(sizeof(double) * (8 * static_cast<size_t>(n) + nm2),
                                    reinterpret_cast<void**>(&rv1));
    if (st < 0) {
        return st;
    }
    cl.workBlock(reinterpret_cast<void**>(&rv1));
    double* sc = rv1 + n;
    double* rot = sc + n;
    double* at = rot + 6 * static_cast<size_t>(n); // column i of a at at + i m
    double* vt = at + static_cast<size_t>(n) * static_cast<size_t>(m); // column i of v at vt + i n
    const Kernels kern = Kernels::choose();

    const double anorm = bidiagonalize(a, m, n, w, rv1, sc, kern);
    accumulateRight(a, n, rv1, v, sc, kern);
    accumulateLeft(a, m, n, w, sc, kern);

    // The QR sweeps rotate pairs of columns of a and v; they work on column copies, where a
    // rotation runs over contiguous memory and vectorises across rows (every element still
    // receives the same operations in the same order). The copies go back on both exits.
    toColumns(a, m, n, at);
    toColumns(v, n, n, vt);
    const bool converged = diagonalize(w, rv1, n, anorm, rot, at, m, vt);
    fromColumns(at, m, n, a);
    fromColumns(vt, n, n, v);
    if (!converged) {
        st = cxNMMatrix_errSingular;
    }
    return cl.close();
}

void cxNMMatrixAccess::SvdWork::take(orb::nm::Carve& c, int m, int n)
{
    a.take(c, m > n ? m : n, n);
    rv1 = c.take<double>(static_cast<size_t>(n));
    sc = c.take<double>(static_cast<size_t>(n));
    rot = c.take<double>(6 * static_cast<size_t>(n));
}

// decompose's steps without U and V: the same zero-padded working matrix (its row stride does
// not enter the arithmetic), the same bidiagonalisation, then the QR sweeps on w and rv1 alone.
long cxNMMatrixAccess::singularValues(orb::nm::Rows src, const SvdWork& work, double* w)
{
    const int rows = src.rows;
    const int n = src.cols;
    const int p = rows > n ? rows : n;
    double* const* a = work.a.rows;
    for (int i = 0; i < p; ++i) {
        if (i < rows) {
            std::memcpy(a[i], src.row[i], sizeof(double) * static_cast<size_t>(n));
        } else {
            std::memset(a[i], 0, sizeof(double) * static_cast<size_t>(n));
        }
    }
    const double anorm = bidiagonalize(a, p, n, w, work.rv1, work.sc, Kernels::choose());
    return diagonalize(w, work.rv1, n, anorm, work.rot, nullptr, p, nullptr) ? 0 : cxNMMatrix_errSingular;
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

long cxNMMatrix::getSingularValues(cxVector<double>& values) const
{
    const int n = cols_;
    if (n < 1) {
        return cxNMMatrix_errBadSize;
    }
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* block = nullptr;
    cxNMMatrixAccess::SvdWork work;
    double* w = nullptr;
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) {
        work.take(c, rows_, n);
        w = c.take<double>(static_cast<size_t>(n));
    });
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::singularValues(cxNMMatrixAccess::rowsOf(*this), work, w));
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(values.resize(static_cast<size_t>(n)));
    if (st >= 0) {
        std::memcpy(values.begin(), w, sizeof(double) * static_cast<size_t>(n));
    }
    return cl.close();
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
