// Affine transforms: composition order, inverse, the mappings of points, vectors, angles and
// areas, aliased targets, and the least-squares fit (exact recovery, agreement with an
// independent least-squares condition, bit-identity with a sequential accumulation, refusals).
#include "fault.h"
#include "geom_util.h"

#include <limits>
#include <vector>

using namespace geomtest;
using X = cmath_xformLinear;
using V = cmath_vect;

namespace {

X make(double e11, double e12, double e21, double e22, double tx, double ty) { return X{{tx, ty}, {e11, e12, e21, e22}}; }

X randomXform(Rng& rng)
{
    for (;;) {
        const X x = make(rng.uniform(-2, 2), rng.uniform(-2, 2), rng.uniform(-2, 2), rng.uniform(-2, 2),
                         rng.uniform(-50, 50), rng.uniform(-50, 50));
        if (std::fabs(result<double>(cmath_matrix_getDeterminant, &x.matrix)) > 0.1) {
            return x;
        }
    }
}

cmath_status fit(X* t, const V* dst, const V* src, int32_t n) { return cmath_xformLinear_initPoints(t, dst, src, n); }

// The fit re-derived the plain way: one scalar accumulator per sum, one point per iteration.
cmath_status sequentialFit(X* t, const V* dst, const V* src, int32_t n)
{
    if (n < 3) {
        return cmath_errFailed;
    }
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
        if (!(std::fabs(D) > 1e-15 * std::fabs(v))) {
            return cmath_errFailed;
        }
    }
    const double e11 = N[0] / D, e12 = N[1] / D, e21 = N[2] / D, e22 = N[3] / D;
    *t = make(e11, e12, e21, e22, (Sqx - e11 * Sx - e12 * Sy) * w, (Sqy - e21 * Sx - e22 * Sy) * w);
    return 0;
}

// An independent check of the least-squares optimum: the residuals are orthogonal to x, y and 1
// (the normal equations), in long double and relative to the size of the terms.
void expectLeastSquares(const X& t, const std::vector<V>& dst, const std::vector<V>& src)
{
    long double dot[2][3] = {}, size[2][3] = {};
    for (size_t i = 0; i < src.size(); ++i) {
        const V q = result<V>(cmath_xformLinear_mapPoint, &t, &src[i]);
        const long double r[2] = {dst[i].x - (long double)q.x, dst[i].y - (long double)q.y};
        const long double v[3] = {src[i].x, src[i].y, 1.0L};
        for (int k = 0; k < 6; ++k) {
            dot[k / 3][k % 3] += r[k / 3] * v[k % 3];
            size[k / 3][k % 3] += std::fabs(r[k / 3] * v[k % 3]);
        }
    }
    for (int k = 0; k < 6; ++k) {
        EXPECT_LE(std::fabs(dot[k / 3][k % 3]), 1e-10L * size[k / 3][k % 3]) << "normal equation " << k;
    }
}

void expectNear(const X& a, const X& b, double tolM, double tolT)
{
    const double ga[6] = {a.matrix.e11, a.matrix.e12, a.matrix.e21, a.matrix.e22, a.trans.x, a.trans.y};
    const double gb[6] = {b.matrix.e11, b.matrix.e12, b.matrix.e21, b.matrix.e22, b.trans.x, b.trans.y};
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(ga[k], gb[k], k < 4 ? tolM : tolT) << "element " << k;
    }
}

std::vector<V> randomPoints(Rng& rng, size_t n)
{
    std::vector<V> s(n);
    for (V& p : s) {
        p = V{rng.uniform(-100, 100), rng.uniform(-100, 100)};
    }
    return s;
}

} // namespace

TEST(XformLinear, CompositionOrder)
{
    // Rotate by pi/2 first, then translate, and the other way round.
    const X shift = make(1, 0, 0, 1, 1, 0), quarter = make(0, -1, 1, 0, 0, 0);
    const V p{1.0, 0.0};
    X t;
    cmath_xformLinear_initCompose(&t, &shift, &quarter);
    EXPECT_TRUE(sameBytes(result<V>(cmath_xformLinear_mapPoint, &t, &p), V{1.0, 1.0}));
    cmath_xformLinear_initCompose(&t, &quarter, &shift);
    EXPECT_TRUE(sameBytes(result<V>(cmath_xformLinear_mapPoint, &t, &p), V{0.0, 2.0}));

    // Compose3 and Compose4 apply the last operand first and fold left, whichever operand is
    // also the target.
    Rng rng;
    const X ops[4] = {randomXform(rng), randomXform(rng), randomXform(rng), randomXform(rng)};
    X ab, abc, abcd;
    cmath_xformLinear_initCompose(&ab, &ops[0], &ops[1]);
    cmath_xformLinear_initCompose(&abc, &ab, &ops[2]);
    cmath_xformLinear_initCompose(&abcd, &abc, &ops[3]);
    V seq{3.0, -2.0}, direct = seq;
    for (int k = 3; k >= 0; --k) {
        cmath_xformLinear_mapPoint(&ops[k], &seq, &seq);
    }
    cmath_xformLinear_mapPoint(&abcd, &direct, &direct);
    EXPECT_NEAR(direct.x, seq.x, 1e-11);
    EXPECT_NEAR(direct.y, seq.y, 1e-11);
    for (int k = 0; k < 4; ++k) {
        X o4[4] = {ops[0], ops[1], ops[2], ops[3]}, o3[4] = {ops[0], ops[1], ops[2]}, o2[4] = {ops[0], ops[1]};
        cmath_xformLinear_initCompose4(&o4[k], &o4[0], &o4[1], &o4[2], &o4[3]);
        cmath_xformLinear_initCompose3(&o3[k % 3], &o3[0], &o3[1], &o3[2]);
        cmath_xformLinear_initCompose(&o2[k % 2], &o2[0], &o2[1]);
        EXPECT_TRUE(sameBytes(o4[k], abcd)) << "target = operand " << k;
        EXPECT_TRUE(sameBytes(o3[k % 3], abc)) << "target = operand " << k % 3;
        EXPECT_TRUE(sameBytes(o2[k % 2], ab)) << "target = operand " << k % 2;
    }
    X self = ops[0], twice;
    cmath_xformLinear_initCompose(&twice, &ops[0], &ops[0]);
    cmath_xformLinear_initCompose(&self, &self, &self);
    EXPECT_TRUE(sameBytes(self, twice));
}

TEST(XformLinear, InverseAndSingularRefusals)
{
    X x = make(2, 0, 0, 4, 2, 4);
    ASSERT_EQ(cmath_xformLinear_getInverse(&x, &x), 0); // out aliasing the input
    EXPECT_TRUE(sameBytes(x, make(0.5, -0.0, -0.0, 0.25, -1.0, -1.0)));

    const X singular = make(1, 2, 2, 4, 5, 6), zero = make(0, 0, 0, 0, 1, 1);
    const V p{1.0, 2.0};
    const cmath_radian th{0.5}, rs{-42.0};
    EXPECT_TRUE(refuses(cmath_errSingular, kXformSentinel, cmath_xformLinear_getInverse, &singular));
    EXPECT_TRUE(refuses(cmath_errSingular, kVectSentinel, cmath_xformLinear_invMapPoint, &singular, &p));
    EXPECT_TRUE(refuses(cmath_errSingular, kVectSentinel, cmath_xformLinear_invMapVector, &singular, &p));
    EXPECT_TRUE(refuses(cmath_errSingular, rs, cmath_xformLinear_invMapAngle, &singular, &th));
    EXPECT_TRUE(refuses(cmath_errSingular, -42.0, cmath_xformLinear_invMapArea, &singular, 2.0));
    // The forward mappings accept a singular transform.
    EXPECT_EQ(result<double>(cmath_xformLinear_mapArea, &singular, 2.0), 0.0);
    EXPECT_EQ(result<cmath_radian>(cmath_xformLinear_mapAngle, &zero, &th).value, 0.0);

    // Round trips through random transforms, with out aliasing the input.
    Rng rng;
    for (int i = 0; i < 1000; ++i) {
        const X t = randomXform(rng);
        const V a{rng.uniform(-10, 10), rng.uniform(-10, 10)};
        V b = a, c = a;
        cmath_xformLinear_mapPoint(&t, &b, &b);
        cmath_xformLinear_mapVector(&t, &c, &c);
        ASSERT_EQ(cmath_xformLinear_invMapPoint(&t, &b, &b), 0);
        ASSERT_EQ(cmath_xformLinear_invMapVector(&t, &c, &c), 0);
        for (const V& r : {b, c}) {
            EXPECT_NEAR(r.x, a.x, 1e-10);
            EXPECT_NEAR(r.y, a.y, 1e-10);
        }
        const cmath_radian ang{rng.uniform(-3.0, 3.0)};
        cmath_radian m = result<cmath_radian>(cmath_xformLinear_mapAngle, &t, &ang);
        ASSERT_EQ(cmath_xformLinear_invMapAngle(&t, &m, &m), 0);
        EXPECT_NEAR(std::remainder(m.value - ang.value, 2 * kPi), 0.0, 1e-10);
        double ar = result<double>(cmath_xformLinear_mapArea, &t, 3.0);
        ASSERT_EQ(cmath_xformLinear_invMapArea(&t, ar, &ar), 0);
        EXPECT_NEAR(ar, 3.0, 1e-12);
    }
}

TEST(XformLinear, VectorsAnglesAndAreas)
{
    const X shift = make(1, 0, 0, 1, 7, -3), refl = make(1, 0, 0, -1, 5, 5), flip = make(2, 0, 0, -4, 0, 0);
    const X big = make(-3, 0, 0, -3, 0, 0);
    const V v{1.0, 2.0};
    EXPECT_TRUE(sameBytes(result<V>(cmath_xformLinear_mapVector, &shift, &v), v));
    EXPECT_TRUE(sameBytes(result<V>(cmath_xformLinear_mapPoint, &shift, &v), V{8.0, -1.0}));
    EXPECT_EQ(result<double>(cmath_xformLinear_mapArea, &refl, 2.0), 2.0);
    EXPECT_EQ(result<double>(cmath_xformLinear_invMapArea, &flip, 8.0), 1.0);

    const cmath_radian q{kPi / 4}, mq{-kPi / 4};
    EXPECT_NEAR(result<cmath_radian>(cmath_xformLinear_mapAngle, &refl, &q).value, -kPi / 4, 1e-15);
    // The negative determinant branch of the inverse.
    EXPECT_NEAR(result<cmath_radian>(cmath_xformLinear_invMapAngle, &refl, &mq).value, kPi / 4, 1e-15);
    // A uniform scale keeps directions (up to the half turn of its sign).
    cmath_radian in{0.25};
    const double r = result<cmath_radian>(cmath_xformLinear_mapAngle, &big, &in).value;
    EXPECT_NEAR(std::remainder(r - (0.25 + kPi), 2 * kPi), 0.0, 1e-15);
    cmath_xformLinear_invMapAngle(&big, &in, &in); // aliased
    EXPECT_NEAR(std::remainder(in.value - (0.25 + kPi), 2 * kPi), 0.0, 1e-15);
}

TEST(XformLinear, InitEqualityAndIdentity)
{
    X x = make(1, 2, 3, 4, 5, 6);
    cmath_xformLinear_initMatrixTrans(&x, &x.matrix, &x.trans); // aliased
    EXPECT_TRUE(sameBytes(x, make(1, 2, 3, 4, 5, 6)));
    X id = kXformSentinel;
    cmath_xformLinear_reset(&id);
    EXPECT_TRUE(sameBytes(id, make(1, 0, 0, 1, 0, 0)));
    EXPECT_EQ(result<int32_t>(cmath_xformLinear_getIsIdentity, &id), 1);
    EXPECT_EQ(result<int32_t>(cmath_xformLinear_compareEqual, &x, &x), 1);
    // Every field is looked at.
    for (int k = 0; k < 6; ++k) {
        X y = x, idk = id;
        reinterpret_cast<double*>(&y)[k] += 1e-9;
        reinterpret_cast<double*>(&idk)[k] += 0.5;
        EXPECT_EQ(result<int32_t>(cmath_xformLinear_compareEqual, &x, &y), 0) << k;
        EXPECT_EQ(result<int32_t>(cmath_xformLinear_epsilonEqual, &x, &y, 1e-8), 1) << k;
        EXPECT_EQ(result<int32_t>(cmath_xformLinear_epsilonEqual, &x, &y, 1e-10), 0) << k;
        EXPECT_EQ(result<int32_t>(cmath_xformLinear_getIsIdentity, &idk), 0) << k;
    }
}

TEST(XformLinearFit, RefusalsLeaveTheTargetUntouched)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    const V line[] = {{0, 0}, {1, 0}, {2, 0}}, tri[] = {{0, 0}, {1, 0}, {0, 1}}, same[] = {{1, 1}, {1, 1}, {1, 1}};
    const V nanDst[] = {{0, 0}, {nan, 0}, {0, 1}}, infSrc[] = {{0, 0}, {1, 0}, {0, inf}};
    // The test is relative: an element of 1e16 is refused (also at the last numerator), 1e14 not.
    const V huge[] = {{0, 0}, {1e16, 0}, {0, 1}}, huge2[] = {{0, 0}, {0, 0}, {0, 1e16}};
    const struct { const V *dst, *src; int32_t n; } cases[] = {
        {tri, tri, 2},    {tri, tri, 0},       {tri, tri, -1},  {nullptr, nullptr, INT32_MIN},
        {tri, line, 3},   {same, same, 3},     {nanDst, tri, 3}, {tri, infSrc, 3},
        {huge, tri, 3},   {huge2, tri, 3},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(refusesWith(cmath_errFailed, kXformSentinel, [&](X* t) { return fit(t, c.dst, c.src, c.n); }))
            << "n = " << c.n;
    }
    const V bigDst[] = {{0, 0}, {1e14, 0}, {0, 1}};
    X t;
    ASSERT_EQ(fit(&t, bigDst, tri, 3), 0);
    EXPECT_NEAR(t.matrix.e11 / 1e14, 1.0, 1e-12);
    // A tiny but well-shaped source set is fine: nothing absolute in the test.
    const V tinySrc[] = {{0, 0}, {1e-50, 0}, {0, 1e-50}}, tinyDst[] = {{0, 0}, {2e-50, 0}, {0, 3e-50}};
    ASSERT_EQ(fit(&t, tinyDst, tinySrc, 3), 0);
    expectNear(t, make(2, 0, 0, 3, 0, 0), 1e-12, 1e-55);
}

TEST(XformLinearFit, RecoversExactTransformsAndMatchesAnIndependentSolution)
{
    const V src[] = {{0, 0}, {1, 0}, {0, 1}}, dst[] = {{5, 5}, {7, 5}, {5, 8}};
    X t;
    ASSERT_EQ(fit(&t, dst, src, 3), 0);
    expectNear(t, make(2, 0, 0, 3, 5, 5), 1e-14, 1e-14);

    Rng rng;
    for (int trial = 0; trial < 200; ++trial) {
        const X truth = randomXform(rng);
        const int32_t n = trial % 2 == 0 ? 3 : 1000 + trial * 37;
        const std::vector<V> s = randomPoints(rng, n);
        std::vector<V> d(n), noisy(n);
        for (int32_t i = 0; i < n; ++i) {
            d[i] = result<V>(cmath_xformLinear_mapPoint, &truth, &s[i]);
            noisy[i] = V{d[i].x + rng.normal(0.5), d[i].y + rng.normal(0.5)};
        }
        const int64_t requests = csys_memory_testRequests();
        const cmath_status st = fit(&t, d.data(), s.data(), n);
        EXPECT_EQ(csys_memory_testRequests(), requests) << "the fit must not allocate";
        if (n == 3 && st < 0) {
            continue; // three random points that happen to be nearly collinear
        }
        ASSERT_EQ(st, 0) << "n = " << n;
        expectNear(t, truth, 1e-9, 1e-7);
        if (trial % 4 == 1) {
            ASSERT_EQ(fit(&t, noisy.data(), s.data(), n), 0);
            expectLeastSquares(t, noisy, s);
        }
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
    // Every remainder of the four-fold unrolling, small and large counts, and offsets so that
    // no point happens to sit on an aligned boundary.
    for (int32_t n : {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 97, 1000, 1001, 1002, 1003, 20000}) {
        for (int32_t off : {0, 1, 3, 8}) {
            X got = kXformSentinel, ref = kXformSentinel;
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
