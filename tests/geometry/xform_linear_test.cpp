// The least-squares fit of an affine transform: refusals that leave the target untouched, exact
// recovery, the normal equations checked independently, bit-identity with a sequential
// accumulation of the documented sums.
#include "fault.h"
#include "orbtest_a.h"

#include <vector>

using namespace orbtest;
using X = cmath_xformLinear;
using V = cmath_vect;

namespace {

cmath_status fit(X* t, const V* dst, const V* src, int32_t n) { return cmath_xformLinear_initPoints(t, dst, src, n); }

// The fit re-derived the plain way: one scalar accumulator per sum, one point per iteration.
cmath_status sequentialFit(X* t, const V* dst, const V* src, int32_t n)
{
    double S[11] = {};
    for (int32_t i = 0; i < n; ++i) {
        const V p = src[i], q = dst[i];
        const double terms[11] = {p.x, p.y, q.x, q.y, p.x * p.x, p.y * p.y, p.x * p.y,
                                  q.x * p.x, q.x * p.y, q.y * p.x, q.y * p.y};
        for (int k = 0; k < 11; ++k) {
            S[k] += terms[k];
        }
    }
    const auto [Sx, Sy, Sqx, Sqy, Sxx, Syy, Sxy, Sqxpx, Sqxpy, Sqypx, Sqypy] = S;
    const double w = 1.0 / n;
    const double Cxx = Sxx - Sx * Sx * w, Cxy = Sxy - Sy * Sx * w, Cyy = Syy - Sy * Sy * w;
    const double Cqxpx = Sqxpx - Sqx * Sx * w, Cqxpy = Sqxpy - Sqx * Sy * w;
    const double Cqypx = Sqypx - Sqy * Sx * w, Cqypy = Sqypy - Sqy * Sy * w;
    const double D = Cyy * Cxx - Cxy * Cxy;
    const double N[4] = {Cqxpx * Cyy - Cqxpy * Cxy, Cqxpy * Cxx - Cqxpx * Cxy, Cqypx * Cyy - Cqypy * Cxy,
                         Cqypy * Cxx - Cqypx * Cxy};
    for (double v : N) {
        if (n < 3 || !(std::fabs(D) > 1e-15 * std::fabs(v))) {
            return cmath_errFailed;
        }
    }
    const double e11 = N[0] / D, e12 = N[1] / D, e21 = N[2] / D, e22 = N[3] / D;
    *t = X{{(Sqx - e11 * Sx - e12 * Sy) * w, (Sqy - e21 * Sx - e22 * Sy) * w}, {e11, e12, e21, e22}};
    return 0;
}

// The least-squares optimum checked independently: the residuals are orthogonal to x, y and 1
// (the normal equations), in long double and relative to the size of the terms.
void expectLeastSquares(const X& t, const std::vector<V>& dst, const std::vector<V>& src)
{
    long double dot[6] = {}, size[6] = {};
    for (size_t i = 0; i < src.size(); ++i) {
        const V q = result<V>(cmath_xformLinear_mapPoint, &t, &src[i]);
        const long double r[2] = {dst[i].x - (long double)q.x, dst[i].y - (long double)q.y};
        const long double v[3] = {src[i].x, src[i].y, 1.0L};
        for (int k = 0; k < 6; ++k) {
            dot[k] += r[k / 3] * v[k % 3];
            size[k] += std::fabs(r[k / 3] * v[k % 3]);
        }
    }
    for (int k = 0; k < 6; ++k) {
        EXPECT_LE(std::fabs(dot[k]), 1e-10L * size[k]) << "normal equation " << k;
    }
}

::testing::AssertionResult near(const X& a, const X& b, double tolM, double tolT)
{
    for (int k = 0; k < 6; ++k) {
        const double x = reinterpret_cast<const double*>(&a)[k], y = reinterpret_cast<const double*>(&b)[k];
        if (!(std::fabs(x - y) <= (k < 2 ? tolT : tolM))) {
            return ::testing::AssertionFailure() << "field " << k << ": " << x << " vs " << y;
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(XformLinearFit, RefusalsLeaveTheTargetUntouched)
{
    const double inf = INFINITY, nan = NAN;
    const V line[] = {{0, 0}, {1, 0}, {2, 0}}, tri[] = {{0, 0}, {1, 0}, {0, 1}}, same[] = {{1, 1}, {1, 1}, {1, 1}};
    const V nanDst[] = {{0, 0}, {nan, 0}, {0, 1}}, infSrc[] = {{0, 0}, {1, 0}, {0, inf}};
    // The test is relative: an element of 1e16 is refused (in each of the four numerators).
    const V huge[4][3] = {{{0, 0}, {1e16, 0}, {0, 1}}, {{0, 0}, {0, 0}, {1e16, 1}},
                          {{0, 0}, {0, 1e16}, {0, 1}}, {{0, 0}, {0, 0}, {0, 1e16}}};
    const struct { const V *dst, *src; int32_t n; } cases[] = {
        {tri, tri, 2},   {tri, tri, 0},   {tri, tri, -1},   {tri, line, 3}, {same, same, 3}, {nanDst, tri, 3},
        {tri, infSrc, 3}, {huge[0], tri, 3}, {huge[1], tri, 3}, {huge[2], tri, 3}, {huge[3], tri, 3},
    };
    for (const auto& c : cases) {
        REFUSAL(X, fit, cmath_errFailed, out, c.dst, c.src, c.n);
    }
    // Nothing absolute either: 1e14, and a tiny but well-shaped source set, are fine.
    const V bigDst[] = {{0, 0}, {1e14, 0}, {0, 1}}, tinySrc[] = {{0, 0}, {1e-50, 0}, {0, 1e-50}};
    const V tinyDst[] = {{0, 0}, {2e-50, 0}, {0, 3e-50}}, dst[] = {{5, 5}, {7, 5}, {5, 8}};
    X t;
    ASSERT_EQ(fit(&t, bigDst, tri, 3), 0);
    EXPECT_TRUE(near(t, X{{0, 0}, {1e14, 0, 0, 1}}, 1e2, 1e-2));
    ASSERT_EQ(fit(&t, tinyDst, tinySrc, 3), 0);
    EXPECT_TRUE(near(t, X{{0, 0}, {2, 0, 0, 3}}, 1e-12, 1e-55));
    ASSERT_EQ(fit(&t, dst, tri, 3), 0);
    EXPECT_TRUE(near(t, X{{5, 5}, {2, 0, 0, 3}}, 1e-14, 1e-14));
}

TEST(XformLinearFit, RecoversExactTransformsAndSolvesTheNormalEquations)
{
    Rng rng;
    for (int trial = 0; trial < 100; ++trial) {
        const X truth{{rng.uniform(-50, 50), rng.uniform(-50, 50)},
                      {rng.uniform(1, 2), rng.uniform(-1, 1), rng.uniform(-1, 1), rng.uniform(-2, -1)}};
        const int32_t n = trial % 2 == 0 ? 4 : 1000 + trial * 37;
        std::vector<V> s(n), d(n), noisy(n);
        for (int32_t i = 0; i < n; ++i) {
            s[i] = V{rng.uniform(-100, 100), rng.uniform(-100, 100)};
            d[i] = result<V>(cmath_xformLinear_mapPoint, &truth, &s[i]);
            noisy[i] = V{d[i].x + rng.uniform(-1, 1), d[i].y + rng.uniform(-1, 1)};
        }
        const int64_t requests = csys_memory_testRequests();
        X t;
        ASSERT_EQ(fit(&t, d.data(), s.data(), n), 0) << "n = " << n;
        EXPECT_EQ(csys_memory_testRequests(), requests) << "the fit must not allocate";
        EXPECT_TRUE(near(t, truth, 1e-9, 1e-7));
        ASSERT_EQ(fit(&t, noisy.data(), s.data(), n), 0);
        expectLeastSquares(t, noisy, s);
    }
}

TEST(XformLinearFit, UnrolledSumsAreBitIdenticalToSequential)
{
    Rng rng;
    std::vector<V> s(20011), d(20011);
    for (size_t i = 0; i < s.size(); ++i) {
        // Wildly mixed magnitudes so that any change of summation order shows in the last bits.
        const double scale = std::exp(rng.uniform(-8.0, 8.0));
        s[i] = V{rng.uniform(-1, 1) * scale, rng.uniform(-1, 1) * scale};
        d[i] = V{rng.uniform(-1, 1) * scale + 0.1, rng.uniform(-1, 1) * scale - 0.3};
    }
    // Every remainder of the four-fold unrolling, at offsets off any aligned boundary.
    for (int32_t n : {3, 4, 5, 6, 7, 8, 9, 10, 11, 97, 1001, 1002, 1003, 20000}) {
        for (int32_t off : {0, 1, 3}) {
            X got = sentinel<X>(), ref = sentinel<X>();
            ASSERT_EQ(fit(&got, d.data() + off, s.data() + off, n), sequentialFit(&ref, d.data() + off, s.data() + off, n));
            EXPECT_TRUE(sameBytes(got, ref)) << "n = " << n << ", offset " << off;
        }
    }
    // The data is sensitive to the order of summation: the same points in reverse order give
    // different bits, so the comparison above would see a reordered accumulation.
    std::vector<V> rs(s.rbegin(), s.rend()), rd(d.rbegin(), d.rend());
    X fwd, rev;
    ASSERT_EQ(sequentialFit(&fwd, d.data(), s.data(), 20011), 0);
    ASSERT_EQ(sequentialFit(&rev, rd.data(), rs.data(), 20011), 0);
    EXPECT_FALSE(sameBytes(fwd, rev));
}
