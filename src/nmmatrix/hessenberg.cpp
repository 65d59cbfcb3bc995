// General eigenvalues: reduction to upper Hessenberg form by Gaussian elimination with
// pivoting, then the Francis double-shift QR iteration on the Hessenberg matrix (Wilkinson &
// Reinsch, Handbook for Automatic Computation II: elmhes, hqr).
//
// Both routines keep the classic operations and their order for every element; what differs
// from the textbook loops is the order in which independent elements are visited. The
// elimination brings each row through a whole step in one pass along it, and the QR sweeps put
// off the column changes of the rows above the active step to the end of the sweep, where they
// run on eight rows at a time, one vector lane each. Row-wise passes over the same elements
// run through the widest vector kernels the machine has (each element still one
// multiplication and one addition or subtraction, never fused).
#include <orbmath/nmmatrix.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <immintrin.h>

#include "nmmatrix/kernels.hpp"
#include "support/isa.hpp"

using orb::nm::withSign;

namespace {

// y[j] = y[j] - x[j]·a for j < n.
void subScaledBase(double* y, const double* x, double a, int n)
{
    for (int j = 0; j < n; ++j) {
        y[j] -= x[j] * a;
    }
}

// The row change of a QR step on rows r0, r1 (and r2 when given) over columns j < n, with
// the step's x, y, z, q, r in c: p = r0 + q·r1 (+ r·r2), then r2 -= p·z, r1 -= p·y, r0 -= p·x.
void rowStepBase(double* r0, double* r1, double* r2, int n, const double* c)
{
    if (r2 != nullptr) {
        for (int j = 0; j < n; ++j) {
            const double pj = r0[j] + c[3] * r1[j] + c[4] * r2[j];
            r2[j] -= pj * c[2];
            r1[j] -= pj * c[1];
            r0[j] -= pj * c[0];
        }
    } else {
        for (int j = 0; j < n; ++j) {
            const double pj = r0[j] + c[3] * r1[j];
            r1[j] -= pj * c[1];
            r0[j] -= pj * c[0];
        }
    }
}

__attribute__((target("avx512f"))) void rowStepAvx512(double* r0, double* r1, double* r2, int n, const double* c)
{
    const __m512d x = _mm512_set1_pd(c[0]);
    const __m512d y = _mm512_set1_pd(c[1]);
    const __m512d z = _mm512_set1_pd(c[2]);
    const __m512d q = _mm512_set1_pd(c[3]);
    const __m512d r = _mm512_set1_pd(c[4]);
    int j = 0;
    if (r2 != nullptr) {
        for (; j + 8 <= n; j += 8) {
            const __m512d a0 = _mm512_loadu_pd(r0 + j);
            const __m512d a1 = _mm512_loadu_pd(r1 + j);
            const __m512d a2 = _mm512_loadu_pd(r2 + j);
            const __m512d pj = _mm512_add_pd(_mm512_add_pd(a0, _mm512_mul_pd(q, a1)), _mm512_mul_pd(r, a2));
            _mm512_storeu_pd(r2 + j, _mm512_sub_pd(a2, _mm512_mul_pd(pj, z)));
            _mm512_storeu_pd(r1 + j, _mm512_sub_pd(a1, _mm512_mul_pd(pj, y)));
            _mm512_storeu_pd(r0 + j, _mm512_sub_pd(a0, _mm512_mul_pd(pj, x)));
        }
    } else {
        for (; j + 8 <= n; j += 8) {
            const __m512d a0 = _mm512_loadu_pd(r0 + j);
            const __m512d a1 = _mm512_loadu_pd(r1 + j);
            const __m512d pj = _mm512_add_pd(a0, _mm512_mul_pd(q, a1));
            _mm512_storeu_pd(r1 + j, _mm512_sub_pd(a1, _mm512_mul_pd(pj, y)));
            _mm512_storeu_pd(r0 + j, _mm512_sub_pd(a0, _mm512_mul_pd(pj, x)));
        }
    }
    // The remainder here rather than through rowStepBase: a call from this function would
    // enter legacy-SSE code with the upper vector state dirty.
    if (r2 != nullptr) {
        for (; j < n; ++j) {
            const double pj = r0[j] + c[3] * r1[j] + c[4] * r2[j];
            r2[j] -= pj * c[2];
            r1[j] -= pj * c[1];
            r0[j] -= pj * c[0];
        }
    } else {
        for (; j < n; ++j) {
            const double pj = r0[j] + c[3] * r1[j];
            r1[j] -= pj * c[1];
            r0[j] -= pj * c[0];
        }
    }
}

// The column change of a QR step on columns k, k+1 (and k+2 when three) of one row, with the
// step's x, y, z, q, r in c.
inline void columnStep(double* ri, int k, const double* c, bool three)
{
    double pi = c[0] * ri[k] + c[1] * ri[k + 1];
    if (three) {
        pi += c[2] * ri[k + 2];
        ri[k + 2] -= pi * c[4];
    }
    ri[k + 1] -= pi * c[3];
    ri[k] -= pi;
}

// The column changes a sweep put off: rows r0 .. r0+rows-1 (rows <= 8) take the steps
// k = max(kBase, row + 1) .. last that changed anything (active[k - kBase]), in order, each with
// its x, y, z, q, r at steps + 5 (k - kBase); three columns except at the last step.
struct Deferred {
    const double* steps;
    const int* active;
    int kBase;
    int last;
};

void deferredBase(double* const* a, int r0, int rows, const Deferred& d)
{
    for (int q0 = 0; q0 < rows; q0 += 4) {
        const int lanes = rows - q0 < 4 ? rows - q0 : 4;
        const int i0 = r0 + q0;
        for (int k = (d.kBase > i0 + 1 ? d.kBase : i0 + 1); k <= d.last; ++k) {
            if (d.active[k - d.kBase] == 0) {
                continue;
            }
            const double* c = d.steps + 5 * static_cast<size_t>(k - d.kBase);
            for (int q = 0; q < lanes; ++q) {
                if (k > i0 + q) {
                    columnStep(a[i0 + q], k, c, k != d.last);
                }
            }
        }
    }
}

// Eight rows side by side, one vector lane each: the two columns a step shares with the next
// stay in registers, and each step gathers one new column and stores one finished one.
__attribute__((target("avx512f"))) void deferredAvx512(double* const* a, int r0, int rows, const Deferred& d)
{
    const int c0 = d.kBase > r0 + 1 ? d.kBase : r0 + 1;
    if (c0 > d.last) {
        return;
    }
    double* base = a[r0];
    alignas(64) long long offsets[8];
    for (int q = 0; q < 8; ++q) {
        offsets[q] = q < rows ? static_cast<long long>(a[r0 + q] - base) : 0;
    }
    const __m512i index = _mm512_load_si512(offsets);
    const __mmask8 rowMask = static_cast<__mmask8>((1u << rows) - 1u);
    const __m512d zero = _mm512_setzero_pd();
    __m512d a0 = _mm512_mask_i64gather_pd(zero, rowMask, index, base + c0, 8);
    __m512d a1 = _mm512_mask_i64gather_pd(zero, rowMask, index, base + c0 + 1, 8);
    for (int k = c0; k <= d.last; ++k) {
        const bool three = k != d.last;
        __m512d a2 = three ? _mm512_mask_i64gather_pd(zero, rowMask, index, base + k + 2, 8) : zero;
        if (d.active[k - d.kBase] != 0) {
            const double* c = d.steps + 5 * static_cast<size_t>(k - d.kBase);
            // The rows above step k: lanes q < k - r0.
            const __mmask8 m = k - r0 >= 8 ? rowMask : static_cast<__mmask8>(rowMask & ((1u << (k - r0)) - 1u));
            __m512d pi = _mm512_add_pd(_mm512_mul_pd(_mm512_set1_pd(c[0]), a0), _mm512_mul_pd(_mm512_set1_pd(c[1]), a1));
            if (three) {
                pi = _mm512_add_pd(pi, _mm512_mul_pd(_mm512_set1_pd(c[2]), a2));
                a2 = _mm512_mask_sub_pd(a2, m, a2, _mm512_mul_pd(pi, _mm512_set1_pd(c[4])));
            }
            a1 = _mm512_mask_sub_pd(a1, m, a1, _mm512_mul_pd(pi, _mm512_set1_pd(c[3])));
            a0 = _mm512_mask_sub_pd(a0, m, a0, pi);
        }
        _mm512_mask_i64scatter_pd(base + k, rowMask, index, a0, 8);
        a0 = a1;
        a1 = a2;
    }
    _mm512_mask_i64scatter_pd(base + d.last + 1, rowMask, index, a0, 8);
}

// The share of elimination step m of rows rows[0 .. cnt) (cnt <= 8, increasing, none of them m),
// after their column exchange: a(j, m) += y(i)·a(j, i) for each multiplier in the order of i,
// preceded, when i is row j itself, by row j's subtraction of y(j)·row m (with a(m, m) as it
// stood then, mm).
struct ReduceStep {
    const double* ys;  // the multipliers, in the order of their rows
    const double* mm;  // a(m, m) before each one's column addition
    const int* index;  // their rows, increasing
    int count;
    const double* rowm;
    int m;
    int n;
};

void reduceRowsBase(double* const* a, const int* rows, int cnt, const ReduceStep& s)
{
    for (int q = 0; q < cnt; ++q) {
        double* rowj = a[rows[q]];
        double acc = rowj[s.m];
        for (int t = 0; t < s.count; ++t) {
            const int it = s.index[t];
            const double y = s.ys[t];
            if (it == rows[q]) {
                acc -= y * s.mm[t];
                subScaledBase(rowj + s.m + 1, s.rowm + s.m + 1, y, s.n - s.m - 1);
            }
            acc += y * rowj[it];
        }
        rowj[s.m] = acc;
    }
}

// One vector lane per row: the column additions gather one element of each row per multiplier.
__attribute__((target("avx512f"))) void reduceRowsAvx512(double* const* a, const int* rows, int cnt,
                                                          const ReduceStep& s)
{
    double* base = a[rows[0]];
    alignas(64) long long offsets[8];
    for (int q = 0; q < 8; ++q) {
        offsets[q] = q < cnt ? static_cast<long long>(a[rows[q]] - base) : 0;
    }
    const __m512i index = _mm512_load_si512(offsets);
    const __mmask8 rowMask = static_cast<__mmask8>((1u << cnt) - 1u);
    const __m512d zero = _mm512_setzero_pd();
    __m512d acc = _mm512_mask_i64gather_pd(zero, rowMask, index, base + s.m, 8);
    // The multipliers that belong to rows of this group, in order (index is increasing).
    int q = 0;
    for (int t = 0; t < s.count; ++t) {
        const int it = s.index[t];
        const double y = s.ys[t];
        while (q < cnt && rows[q] < it) {
            ++q;
        }
        if (q < cnt && rows[q] == it) {
            const __mmask8 lane = static_cast<__mmask8>(1u << q);
            acc = _mm512_mask_sub_pd(acc, lane, acc, _mm512_set1_pd(y * s.mm[t]));
            double* rowj = a[it] + s.m + 1;
            const double* rowm = s.rowm + s.m + 1;
            const int len = s.n - s.m - 1;
            const __m512d yv = _mm512_set1_pd(y);
            int c = 0;
            for (; c + 8 <= len; c += 8) {
                _mm512_storeu_pd(rowj + c, _mm512_sub_pd(_mm512_loadu_pd(rowj + c),
                                                          _mm512_mul_pd(_mm512_loadu_pd(rowm + c), yv)));
            }
            for (; c < len; ++c) {
                rowj[c] -= rowm[c] * y;
            }
        }
        const __m512d g = _mm512_mask_i64gather_pd(zero, rowMask, index, base + it, 8);
        acc = _mm512_add_pd(acc, _mm512_mul_pd(_mm512_set1_pd(y), g));
    }
    _mm512_mask_i64scatter_pd(base + s.m, rowMask, index, acc, 8);
}

// The machine's widest forms, chosen once per call.
struct Kernels {
    void (*rowStep)(double* r0, double* r1, double* r2, int n, const double* c);
    void (*deferred)(double* const* a, int r0, int rows, const Deferred& d);
    void (*reduceRows)(double* const* a, const int* rows, int cnt, const ReduceStep& s);

    static Kernels choose()
    {
        if (orb::hasAvx512()) {
            return Kernels{rowStepAvx512, deferredAvx512, reduceRowsAvx512};
        }
        return Kernels{rowStepBase, deferredBase, reduceRowsBase};
    }
};

} // namespace

// Upper Hessenberg form by elimination with pivoting (the first of equal maxima is kept);
// the multipliers stay below the subdiagonal. Nothing happens for n < 3.
//
// Step m exchanges rows and columns i and m, then for every row i > m with a(i, m-1) != 0
// subtracts y(i)·row m from row i (columns m ..) and adds y(i)·column i to column m. The
// multipliers y(i) = a(i, m-1) / x are known before any of this, and row m changes only in
// a(m, m), so every other row's share of the work reads only that row, the y(i) and row m
// with a(m, m) as it stood at each point: each row is brought through all of step m in one
// pass along it (its column additions in the order of i, its own row subtraction in its
// place), four rows side by side, instead of walking every column down all rows.
// work: 2n doubles, index: n ints.
void cxNMMatrix::hessenbergReduce(double** a, int n, double* work, int* index)
{
    const Kernels kern = Kernels::choose();
    double* ys = work;     // the multipliers of the rows in index[0 .. count)
    double* mm = work + n; // a(m, m) before the column addition of each of them
    for (int m = 1; m < n - 1; ++m) {
        double x = 0.0;
        int i = m;
        for (int j = m; j < n; ++j) {
            if (std::fabs(a[j][m - 1]) > std::fabs(x)) {
                x = a[j][m - 1];
                i = j;
            }
        }
        if (x == 0.0) {
            continue; // nothing to eliminate (and i = m: no exchange)
        }
        const int piv = i;
        double* rowm = a[m];
        if (piv != m) {
            std::swap_ranges(a[piv] + m - 1, a[piv] + n, rowm + m - 1);
            std::swap(rowm[piv], rowm[m]);
        }
        int count = 0;
        for (i = m + 1; i < n; ++i) {
            double y = a[i][m - 1];
            if (y != 0.0) {
                y /= x;
                a[i][m - 1] = y;
                index[count] = i;
                ys[count] = y;
                ++count;
            }
        }
        double amm = rowm[m];
        for (int t = 0; t < count; ++t) {
            mm[t] = amm;
            amm += ys[t] * rowm[index[t]];
        }
        rowm[m] = amm;
        // Every other row: its column exchange, then the rest of the step, eight rows at a time.
        const ReduceStep step{ys, mm, index, count, rowm, m, n};
        int j = 0;
        while (j < n) {
            int rows[8];
            int b = 0;
            for (; b < 8 && j < n; ++j) {
                if (j != m) {
                    rows[b++] = j;
                    if (piv != m) {
                        std::swap(a[j][piv], a[j][m]);
                    }
                }
            }
            kern.reduceRows(a, rows, b, step);
        }
    }
}

// Francis double-shift QR on the Hessenberg part of a (destroyed); false when an eigenvalue
// or pair would need a 31st sweep. Exceptional shifts at sweeps 10 and 20.
//
// A sweep's step k changes rows k .. k+2 (columns k ..) and then columns k .. k+2 of rows
// l .. k+3. A row above k is never read again during the sweep, so its share of the column
// changes waits for the end of the sweep, where it takes all of them, in order, eight rows
// side by side: the same operations, without walking down the columns at every step.
// work: 5n doubles, flags: n ints.
bool cxNMMatrix::hessenbergEigenvalues(double** a, int n, double* wr, double* wi, double* work, int* flags)
{
    const Kernels kern = Kernels::choose();
    double* const steps = work; // x, y, z, q, r of each step of a sweep
    int* const active = flags;  // whether the step changed anything (s != 0)
    double anorm = std::fabs(a[0][0]);
    for (int i = 1; i < n; ++i) {
        for (int j = i - 1; j < n; ++j) {
            anorm += std::fabs(a[i][j]);
        }
    }
    int nn = n - 1;
    double t = 0.0;
    double p = 0.0;
    double q = 0.0;
    double r = 0.0;
    while (nn >= 0) {
        int its = 0;
        int l = 0;
        do {
            // Look for a single small subdiagonal element.
            for (l = nn; l >= 1; --l) {
                double s = std::fabs(a[l - 1][l - 1]) + std::fabs(a[l][l]);
                if (s == 0.0) {
                    s = anorm;
                }
                if (std::fabs(a[l][l - 1]) + s == s) {
                    break;
                }
            }
            double x = a[nn][nn];
            if (l == nn) {
                // One root.
                wr[nn] = x + t;
                wi[nn] = 0.0;
                --nn;
                continue;
            }
            double y = a[nn - 1][nn - 1];
            double w = a[nn][nn - 1] * a[nn - 1][nn];
            if (l == nn - 1) {
                // Two roots.
                p = 0.5 * (y - x);
                q = p * p + w;
                double z = std::sqrt(std::fabs(q));
                x += t;
                if (q >= 0.0) {
                    z = p > 0.0 ? p + z : p - z;
                    wr[nn - 1] = wr[nn] = x + z;
                    if (z != 0.0) {
                        wr[nn] = x - w / z;
                    }
                    wi[nn - 1] = wi[nn] = 0.0;
                } else {
                    wr[nn - 1] = wr[nn] = x + p;
                    wi[nn] = z;
                    wi[nn - 1] = -z;
                }
                nn -= 2;
                continue;
            }
            // No roots found yet: another sweep.
            if (its == 30) {
                return false;
            }
            if (its == 10 || its == 20) {
                // Exceptional shift.
                t += x;
                for (int i = 0; i <= nn; ++i) {
                    a[i][i] -= x;
                }
                const double s = std::fabs(a[nn][nn - 1]) + std::fabs(a[nn - 1][nn - 2]);
                y = x = 0.75 * s;
                w = -0.4375 * s * s;
            }
            ++its;
            // Form the shift and look for two consecutive small subdiagonal elements.
            int m = nn - 2;
            double z = 0.0;
            for (; m >= l; --m) {
                z = a[m][m];
                r = x - z;
                double s = y - z;
                p = (r * s - w) / a[m + 1][m] + a[m][m + 1];
                q = a[m + 1][m + 1] - z - r - s;
                r = a[m + 2][m + 1];
                s = std::fabs(p) + std::fabs(q) + std::fabs(r);
                p /= s;
                q /= s;
                r /= s;
                if (m == l) {
                    break;
                }
                const double u = std::fabs(a[m][m - 1]) * (std::fabs(q) + std::fabs(r));
                const double v = std::fabs(p) * (std::fabs(a[m - 1][m - 1]) + std::fabs(z) + std::fabs(a[m + 1][m + 1]));
                if (u + v == v) {
                    break;
                }
            }
            for (int i = m + 2; i <= nn; ++i) {
                a[i][i - 2] = 0.0;
                if (i != m + 2) {
                    a[i][i - 3] = 0.0;
                }
            }
            // Double QR step on rows l..nn and columns m..nn.
            for (int k = m; k <= nn - 1; ++k) {
                if (k != m) {
                    p = a[k][k - 1];
                    q = a[k + 1][k - 1];
                    r = 0.0;
                    if (k != nn - 1) {
                        r = a[k + 2][k - 1];
                    }
                    x = std::fabs(p) + std::fabs(q) + std::fabs(r);
                    if (x != 0.0) {
                        p /= x;
                        q /= x;
                        r /= x;
                    }
                }
                const double s = withSign(std::sqrt(p * p + q * q + r * r), p);
                if (s != 0.0) {
                    if (k == m) {
                        if (l != m) {
                            a[k][k - 1] = -a[k][k - 1];
                        }
                    } else {
                        a[k][k - 1] = -s * x;
                    }
                    p += s;
                    x = p / s;
                    y = q / s;
                    z = r / s;
                    q /= p;
                    r /= p;
                    double* const step = steps + 5 * static_cast<size_t>(k - m);
                    step[0] = x;
                    step[1] = y;
                    step[2] = z;
                    step[3] = q;
                    step[4] = r;
                    active[k - m] = 1;
                    // Row modification.
                    const bool three = k != nn - 1;
                    kern.rowStep(a[k] + k, a[k + 1] + k, three ? a[k + 2] + k : nullptr, nn - k + 1, step);
                    // Column modification: rows k .. k+3 now, the rows above at the end of the
                    // sweep.
                    const int mmin = nn < k + 3 ? nn : k + 3;
                    for (int i = k; i <= mmin; ++i) {
                        columnStep(a[i], k, step, three);
                    }
                } else {
                    active[k - m] = 0;
                }
            }
            // The deferred column modifications: row i (l <= i < nn - 1) takes those of the
            // steps k > i (k >= m), in order, eight rows at a time.
            const Deferred deferred{steps, active, m, nn - 1};
            for (int r0 = l; r0 < nn - 1; r0 += 8) {
                kern.deferred(a, r0, nn - 1 - r0 < 8 ? nn - 1 - r0 : 8, deferred);
            }
        } while (l < nn - 1);
    }
    return true;
}

