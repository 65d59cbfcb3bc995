// Affine transforms: composition order, inverse, the mappings of points, vectors, angles and
// areas, aliased targets, and the least-squares fit (exact recovery, agreement with an
// independent long-double solution, bit-identity with a sequential accumulation, refusals).
#include "fault.h"
#include "geom_util.h"

#include <cmath>
#include <limits>
#include <vector>

using namespace geomtest;

namespace {

cmath_xformLinear make(double e11, double e12, double e21, double e22, double tx, double ty)
{
    cmath_xformLinear x;
    cmath_xformLinear_initMatrixTransElements(&x, e11, e12, e21, e22, tx, ty);
    return x;
}

cmath_xformLinear randomXform(Rng& rng)
{
    for (;;) {
        cmath_xformLinear x = make(rng.uniform(-2, 2), rng.uniform(-2, 2), rng.uniform(-2, 2), rng.uniform(-2, 2),
                                   rng.uniform(-50, 50), rng.uniform(-50, 50));
        double det = 0.0;
        cmath_matrix_getDeterminant(&x.matrix, &det);
        if (std::fabs(det) > 0.1) {
            return x;
        }
    }
}

// The fit re-derived the plain way: one scalar accumulator per sum, one point per iteration.
cmath_status sequentialFit(cmath_xformLinear* t, const cmath_vect* dst, const cmath_vect* src, int32_t n)
{
    if (n < 3) {
        return cmath_errFailed;
    }
    double Sx = 0, Sy = 0, Sqx = 0, Sqy = 0, Sxx = 0, Syy = 0, Sxy = 0, Sqxpx = 0, Sqxpy = 0, Sqypx = 0, Sqypy = 0;
    for (int32_t i = 0; i < n; ++i) {
        const cmath_vect p = src[i], q = dst[i];
        Sx += p.x;
        Sy += p.y;
        Sqx += q.x;
        Sqy += q.y;
        Sxx += p.x * p.x;
        Syy += p.y * p.y;
        Sxy += p.x * p.y;
        Sqxpx += q.x * p.x;
        Sqxpy += q.x * p.y;
        Sqypx += q.y * p.x;
        Sqypy += q.y * p.y;
    }
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

// An independent least-squares solution: the 3x3 normal equations of each output coordinate,
// accumulated and solved in long double by Gaussian elimination with partial pivoting.
cmath_xformLinear longDoubleFit(const std::vector<cmath_vect>& dst, const std::vector<cmath_vect>& src)
{
    long double a[3][3] = {}, bx[3] = {}, by[3] = {};
    for (size_t i = 0; i < src.size(); ++i) {
        const long double v[3] = {src[i].x, src[i].y, 1.0L};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                a[r][c] += v[r] * v[c];
            }
            bx[r] += v[r] * dst[i].x;
            by[r] += v[r] * dst[i].y;
        }
    }
    for (int k = 0; k < 3; ++k) {
        int piv = k;
        for (int r = k + 1; r < 3; ++r) {
            if (std::fabs(a[r][k]) > std::fabs(a[piv][k])) {
                piv = r;
            }
        }
        std::swap(a[k], a[piv]);
        std::swap(bx[k], bx[piv]);
        std::swap(by[k], by[piv]);
        for (int r = k + 1; r < 3; ++r) {
            const long double f = a[r][k] / a[k][k];
            for (int c = k; c < 3; ++c) {
                a[r][c] -= f * a[k][c];
            }
            bx[r] -= f * bx[k];
            by[r] -= f * by[k];
        }
    }
    long double x[3], y[3];
    for (int k = 2; k >= 0; --k) {
        long double sx = bx[k], sy = by[k];
        for (int c = k + 1; c < 3; ++c) {
            sx -= a[k][c] * x[c];
            sy -= a[k][c] * y[c];
        }
        x[k] = sx / a[k][k];
        y[k] = sy / a[k][k];
    }
    return make(double(x[0]), double(x[1]), double(y[0]), double(y[1]), double(x[2]), double(y[2]));
}

void expectNear(const cmath_xformLinear& a, const cmath_xformLinear& b, double tolM, double tolT)
{
    EXPECT_NEAR(a.matrix.e11, b.matrix.e11, tolM);
    EXPECT_NEAR(a.matrix.e12, b.matrix.e12, tolM);
    EXPECT_NEAR(a.matrix.e21, b.matrix.e21, tolM);
    EXPECT_NEAR(a.matrix.e22, b.matrix.e22, tolM);
    EXPECT_NEAR(a.trans.x, b.trans.x, tolT);
    EXPECT_NEAR(a.trans.y, b.trans.y, tolT);
}

} // namespace

TEST(XformLinear, CompositionOrder)
{
    const cmath_xformLinear shift = make(1, 0, 0, 1, 1, 0);
    const cmath_xformLinear quarter = make(0, -1, 1, 0, 0, 0); // rotation by pi/2
    const cmath_vect p{1.0, 0.0};
    cmath_xformLinear t;
    cmath_vect q;
    cmath_xformLinear_initCompose(&t, &shift, &quarter);
    cmath_xformLinear_mapPoint(&t, &p, &q);
    EXPECT_TRUE(sameBits(q, cmath_vect{1.0, 1.0})); // rotate first, then translate
    cmath_xformLinear_initCompose(&t, &quarter, &shift);
    cmath_xformLinear_mapPoint(&t, &p, &q);
    EXPECT_TRUE(sameBits(q, cmath_vect{0.0, 2.0}));

    // Compose3 and Compose4 apply the last operand first and fold left, whichever operand is
    // also the target.
    Rng rng;
    const cmath_xformLinear ops[4] = {randomXform(rng), randomXform(rng), randomXform(rng), randomXform(rng)};
    cmath_xformLinear ab, abc, abcd, t3, t4;
    cmath_xformLinear_initCompose(&ab, &ops[0], &ops[1]);
    cmath_xformLinear_initCompose(&abc, &ab, &ops[2]);
    cmath_xformLinear_initCompose(&abcd, &abc, &ops[3]);
    cmath_xformLinear_initCompose3(&t3, &ops[0], &ops[1], &ops[2]);
    cmath_xformLinear_initCompose4(&t4, &ops[0], &ops[1], &ops[2], &ops[3]);
    EXPECT_TRUE(sameBits(t3, abc));
    EXPECT_TRUE(sameBits(t4, abcd));
    cmath_vect r{3.0, -2.0}, seq = r, direct;
    for (int k = 3; k >= 0; --k) {
        cmath_xformLinear_mapPoint(&ops[k], &seq, &seq);
    }
    cmath_xformLinear_mapPoint(&t4, &r, &direct);
    EXPECT_NEAR(direct.x, seq.x, 1e-11);
    EXPECT_NEAR(direct.y, seq.y, 1e-11);

    for (int k = 0; k < 4; ++k) {
        cmath_xformLinear o[4] = {ops[0], ops[1], ops[2], ops[3]};
        cmath_xformLinear_initCompose4(&o[k], &o[0], &o[1], &o[2], &o[3]);
        EXPECT_TRUE(sameBits(o[k], abcd)) << "target = operand " << k;
        if (k < 3) {
            cmath_xformLinear o3[3] = {ops[0], ops[1], ops[2]};
            cmath_xformLinear_initCompose3(&o3[k], &o3[0], &o3[1], &o3[2]);
            EXPECT_TRUE(sameBits(o3[k], abc)) << "target = operand " << k;
        }
        if (k < 2) {
            cmath_xformLinear o2[2] = {ops[0], ops[1]};
            cmath_xformLinear_initCompose(&o2[k], &o2[0], &o2[1]);
            EXPECT_TRUE(sameBits(o2[k], ab)) << "target = operand " << k;
        }
    }
    cmath_xformLinear self = ops[0], twice;
    cmath_xformLinear_initCompose(&twice, &ops[0], &ops[0]);
    cmath_xformLinear_initCompose(&self, &self, &self);
    EXPECT_TRUE(sameBits(self, twice));
}

TEST(XformLinear, InverseAndSingularRefusals)
{
    cmath_xformLinear x = make(2, 0, 0, 4, 2, 4), inv;
    ASSERT_EQ(cmath_xformLinear_getInverse(&x, &inv), 0);
    EXPECT_TRUE(sameBits(inv.matrix, cmath_matrix{0.5, -0.0, -0.0, 0.25}));
    EXPECT_EQ(inv.trans.x, -1.0);
    EXPECT_EQ(inv.trans.y, -1.0);
    ASSERT_EQ(cmath_xformLinear_getInverse(&x, &x), 0); // out aliasing the input
    EXPECT_TRUE(sameBits(x, inv));

    const cmath_xformLinear singular = make(1, 2, 2, 4, 5, 6);
    cmath_xformLinear xo = kXformSentinel;
    cmath_vect p{1.0, 2.0}, v = kVectSentinel;
    cmath_radian th{0.5}, ro{-42.0};
    double area = -42.0;
    EXPECT_EQ(cmath_xformLinear_getInverse(&singular, &xo), cmath_errSingular);
    EXPECT_EQ(cmath_xformLinear_invMapPoint(&singular, &p, &v), cmath_errSingular);
    EXPECT_EQ(cmath_xformLinear_invMapVector(&singular, &p, &v), cmath_errSingular);
    EXPECT_EQ(cmath_xformLinear_invMapAngle(&singular, &th, &ro), cmath_errSingular);
    EXPECT_EQ(cmath_xformLinear_invMapArea(&singular, 2.0, &area), cmath_errSingular);
    EXPECT_TRUE(sameBits(xo, kXformSentinel));
    EXPECT_TRUE(sameBits(v, kVectSentinel));
    EXPECT_EQ(ro.value, -42.0);
    EXPECT_EQ(area, -42.0);

    // The forward mappings accept a singular transform.
    EXPECT_EQ(cmath_xformLinear_mapArea(&singular, 2.0, &area), 0);
    EXPECT_EQ(area, 0.0);
    const cmath_xformLinear zero = make(0, 0, 0, 0, 1, 1);
    EXPECT_EQ(cmath_xformLinear_mapAngle(&zero, &th, &ro), 0);
    EXPECT_EQ(ro.value, 0.0);

    // Round trips through random transforms, with out aliasing p.
    Rng rng;
    for (int i = 0; i < 1000; ++i) {
        const cmath_xformLinear t = randomXform(rng);
        const cmath_vect a{rng.uniform(-10, 10), rng.uniform(-10, 10)};
        cmath_vect b = a;
        cmath_xformLinear_mapPoint(&t, &b, &b);
        ASSERT_EQ(cmath_xformLinear_invMapPoint(&t, &b, &b), 0);
        EXPECT_NEAR(b.x, a.x, 1e-10);
        EXPECT_NEAR(b.y, a.y, 1e-10);
        b = a;
        cmath_xformLinear_mapVector(&t, &b, &b);
        ASSERT_EQ(cmath_xformLinear_invMapVector(&t, &b, &b), 0);
        EXPECT_NEAR(b.x, a.x, 1e-10);
        EXPECT_NEAR(b.y, a.y, 1e-10);
        cmath_radian ang{rng.uniform(-3.0, 3.0)}, m;
        cmath_xformLinear_mapAngle(&t, &ang, &m);
        ASSERT_EQ(cmath_xformLinear_invMapAngle(&t, &m, &m), 0);
        EXPECT_NEAR(std::remainder(m.value - ang.value, 2 * kPi), 0.0, 1e-10);
        double ar = 0.0;
        cmath_xformLinear_mapArea(&t, 3.0, &ar);
        ASSERT_EQ(cmath_xformLinear_invMapArea(&t, ar, &ar), 0);
        EXPECT_NEAR(ar, 3.0, 1e-12);
    }
}

TEST(XformLinear, VectorsAnglesAndAreas)
{
    const cmath_xformLinear shift = make(1, 0, 0, 1, 7, -3);
    cmath_vect v{1.0, 2.0}, out;
    cmath_xformLinear_mapVector(&shift, &v, &out);
    EXPECT_TRUE(sameBits(out, v));
    cmath_xformLinear_mapPoint(&shift, &v, &out);
    EXPECT_TRUE(sameBits(out, cmath_vect{8.0, -1.0}));

    const cmath_xformLinear refl = make(1, 0, 0, -1, 5, 5);
    double area = 0.0;
    cmath_xformLinear_mapArea(&refl, 2.0, &area);
    EXPECT_EQ(area, 2.0);
    const cmath_xformLinear flip = make(2, 0, 0, -4, 0, 0);
    cmath_xformLinear_invMapArea(&flip, 8.0, &area);
    EXPECT_EQ(area, 1.0);

    cmath_radian in{kPi / 4}, r{};
    cmath_xformLinear_mapAngle(&refl, &in, &r);
    EXPECT_NEAR(r.value, -kPi / 4, 1e-15);
    in.value = -kPi / 4;
    ASSERT_EQ(cmath_xformLinear_invMapAngle(&refl, &in, &r), 0); // negative determinant branch
    EXPECT_NEAR(r.value, kPi / 4, 1e-15);
    // A uniform scale keeps directions.
    const cmath_xformLinear big = make(-3, 0, 0, -3, 0, 0);
    in.value = 0.25;
    cmath_xformLinear_mapAngle(&big, &in, &r);
    EXPECT_NEAR(std::remainder(r.value - (0.25 + kPi), 2 * kPi), 0.0, 1e-15);
    cmath_xformLinear_invMapAngle(&big, &in, &in); // aliased
    EXPECT_NEAR(std::remainder(in.value - (0.25 + kPi), 2 * kPi), 0.0, 1e-15);
}

TEST(XformLinear, InitEqualityAndIdentity)
{
    cmath_xformLinear x = make(1, 2, 3, 4, 5, 6);
    cmath_xformLinear_initMatrixTrans(&x, &x.matrix, &x.trans);
    EXPECT_TRUE(sameBits(x, make(1, 2, 3, 4, 5, 6)));
    const cmath_matrix m{9, 8, 7, 6};
    const cmath_vect t{-1, -2};
    cmath_xformLinear_initMatrixTrans(&x, &m, &t);
    EXPECT_TRUE(sameBits(x, make(9, 8, 7, 6, -1, -2)));

    int32_t f = -1;
    cmath_xformLinear id = kXformSentinel;
    cmath_xformLinear_reset(&id);
    cmath_xformLinear_getIsIdentity(&id, &f);
    EXPECT_EQ(f, 1);
    EXPECT_TRUE(sameBits(id, make(1, 0, 0, 1, 0, 0)));

    double* fields[6] = {&x.trans.x, &x.trans.y, &x.matrix.e11, &x.matrix.e12, &x.matrix.e21, &x.matrix.e22};
    const cmath_xformLinear base = x;
    for (int k = 0; k < 6; ++k) {
        x = base;
        *fields[k] += 1e-9;
        cmath_xformLinear_compareEqual(&base, &x, &f);
        EXPECT_EQ(f, 0) << k;
        cmath_xformLinear_epsilonEqual(&base, &x, 1e-8, &f);
        EXPECT_EQ(f, 1) << k;
        cmath_xformLinear_epsilonEqual(&base, &x, 1e-10, &f);
        EXPECT_EQ(f, 0) << k;
        cmath_xformLinear idk = id;
        double* idFields[6] = {&idk.trans.x, &idk.trans.y, &idk.matrix.e11, &idk.matrix.e12, &idk.matrix.e21,
                               &idk.matrix.e22};
        *idFields[k] += 0.5;
        cmath_xformLinear_getIsIdentity(&idk, &f);
        EXPECT_EQ(f, 0) << k;
    }
    cmath_xformLinear_compareEqual(&base, &base, &f);
    EXPECT_EQ(f, 1);
}

TEST(XformLinearFit, RefusalsLeaveTheTargetUntouched)
{
    const cmath_vect src3[] = {{0, 0}, {1, 0}, {2, 0}};
    const cmath_vect dst3[] = {{5, 5}, {7, 5}, {9, 5}};
    cmath_xformLinear t = kXformSentinel;
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, dst3, src3, 2), cmath_errFailed);
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, dst3, src3, 0), cmath_errFailed);
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, dst3, src3, -1), cmath_errFailed);
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, nullptr, nullptr, std::numeric_limits<int32_t>::min()),
              cmath_errFailed);
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, dst3, src3, 3), cmath_errFailed); // collinear: D = 0
    const cmath_vect same[] = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, same, same, 4), cmath_errFailed); // coincident
    const cmath_vect tri[] = {{0, 0}, {1, 0}, {0, 1}};
    const cmath_vect nanDst[] = {{0, 0}, {std::nan(""), 0}, {0, 1}};
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, nanDst, tri, 3), cmath_errFailed);
    const cmath_vect infSrc[] = {{0, 0}, {1, 0}, {0, std::numeric_limits<double>::infinity()}};
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, tri, infSrc, 3), cmath_errFailed);
    // The test is relative: an element of 1e16 is refused, one of 1e14 accepted.
    const cmath_vect hugeDst[] = {{0, 0}, {1e16, 0}, {0, 1}};
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, hugeDst, tri, 3), cmath_errFailed);
    const cmath_vect hugeDst2[] = {{0, 0}, {0, 0}, {0, 1e16}}; // refused at the last numerator
    EXPECT_EQ(cmath_xformLinear_initPoints(&t, hugeDst2, tri, 3), cmath_errFailed);
    EXPECT_TRUE(sameBits(t, kXformSentinel));

    const cmath_vect bigDst[] = {{0, 0}, {1e14, 0}, {0, 1}};
    ASSERT_EQ(cmath_xformLinear_initPoints(&t, bigDst, tri, 3), 0);
    EXPECT_NEAR(t.matrix.e11 / 1e14, 1.0, 1e-12);
    // A tiny but well-shaped source set is fine: nothing absolute in the test.
    const cmath_vect tinySrc[] = {{0, 0}, {1e-50, 0}, {0, 1e-50}};
    const cmath_vect tinyDst[] = {{0, 0}, {2e-50, 0}, {0, 3e-50}};
    ASSERT_EQ(cmath_xformLinear_initPoints(&t, tinyDst, tinySrc, 3), 0);
    EXPECT_NEAR(t.matrix.e11, 2.0, 1e-12);
    EXPECT_NEAR(t.matrix.e22, 3.0, 1e-12);
}

TEST(XformLinearFit, RecoversAnExactTransform)
{
    const cmath_vect src[] = {{0, 0}, {1, 0}, {0, 1}};
    const cmath_vect dst[] = {{5, 5}, {7, 5}, {5, 8}};
    cmath_xformLinear t = kXformSentinel;
    ASSERT_EQ(cmath_xformLinear_initPoints(&t, dst, src, 3), 0);
    expectNear(t, make(2, 0, 0, 3, 5, 5), 1e-14, 1e-14);

    Rng rng;
    for (int trial = 0; trial < 200; ++trial) {
        const cmath_xformLinear truth = randomXform(rng);
        const int32_t n = trial % 2 == 0 ? 3 : 1000 + trial * 37;
        std::vector<cmath_vect> s(n), d(n);
        for (int32_t i = 0; i < n; ++i) {
            s[i] = cmath_vect{rng.uniform(-100, 100), rng.uniform(-100, 100)};
            cmath_xformLinear_mapPoint(&truth, &s[i], &d[i]);
        }
        cmath_xformLinear fit;
        const int64_t requests = csys_memory_testRequests();
        const cmath_status st = cmath_xformLinear_initPoints(&fit, d.data(), s.data(), n);
        EXPECT_EQ(csys_memory_testRequests(), requests) << "the fit must not allocate";
        if (n == 3 && st < 0) {
            continue; // three random points that happen to be nearly collinear
        }
        ASSERT_EQ(st, 0) << "n = " << n;
        expectNear(fit, truth, 1e-9, 1e-7);
    }
}

TEST(XformLinearFit, MatchesAnIndependentSolutionOnNoisyPoints)
{
    Rng rng;
    for (int trial = 0; trial < 50; ++trial) {
        const cmath_xformLinear truth = randomXform(rng);
        const int32_t n = 3 + trial * trial * 7;
        std::vector<cmath_vect> s(n), d(n);
        for (int32_t i = 0; i < n; ++i) {
            s[i] = cmath_vect{rng.uniform(-100, 100), rng.uniform(-100, 100)};
            cmath_xformLinear_mapPoint(&truth, &s[i], &d[i]);
            d[i].x += rng.normal(0.5);
            d[i].y += rng.normal(0.5);
        }
        cmath_xformLinear fit;
        ASSERT_EQ(cmath_xformLinear_initPoints(&fit, d.data(), s.data(), n), 0);
        expectNear(fit, longDoubleFit(d, s), 1e-11, 1e-9);
    }
}

TEST(XformLinearFit, UnrolledSumsAreBitIdenticalToSequential)
{
    Rng rng;
    std::vector<cmath_vect> s(20011), d(20011);
    for (size_t i = 0; i < s.size(); ++i) {
        // Wildly mixed magnitudes so that any change of summation order shows in the last bits.
        const double scale = std::exp(rng.uniform(-8.0, 8.0));
        s[i] = cmath_vect{rng.uniform(-1, 1) * scale, rng.uniform(-1, 1) * scale};
        d[i] = cmath_vect{rng.uniform(-1, 1) * scale + 0.1, rng.uniform(-1, 1) * scale - 0.3};
    }
    // Every remainder of the four-fold unrolling, small and large counts, and offsets so that
    // no point happens to sit on an aligned boundary.
    const int32_t counts[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 97, 1000, 1001, 1002, 1003, 20000};
    for (int32_t n : counts) {
        for (int32_t off : {0, 1, 3, 8}) {
            cmath_xformLinear fit = kXformSentinel, ref = kXformSentinel;
            const cmath_status st = cmath_xformLinear_initPoints(&fit, d.data() + off, s.data() + off, n);
            const cmath_status rst = sequentialFit(&ref, d.data() + off, s.data() + off, n);
            ASSERT_EQ(st, rst) << "n = " << n;
            EXPECT_TRUE(sameBits(fit, ref)) << "n = " << n << ", offset " << off;
        }
    }

    // The data is sensitive to the order of summation: the same points in reverse order give
    // different bits, so the comparison above would see a reordered accumulation.
    std::vector<cmath_vect> rs(s.rbegin(), s.rend()), rd(d.rbegin(), d.rend());
    cmath_xformLinear fwd, rev;
    ASSERT_EQ(sequentialFit(&fwd, d.data(), s.data(), 20011), 0);
    ASSERT_EQ(sequentialFit(&rev, rd.data(), rs.data(), 20011), 0);
    EXPECT_FALSE(sameBits(fwd, rev));
}
