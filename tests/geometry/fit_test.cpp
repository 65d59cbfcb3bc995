// Rigid, similarity, weighted and robust fits to point pairs: exact recovery, the least-squares
// optimum on noisy pairs (checked through its normal equations), weights of 1 and 0, swapping
// the two sets, refusals that write nothing, and the robust fits against gross outliers.
#include "geom_util.h"

#include <orbmath/stats.h>

#include <string>
#include <vector>

using namespace geomtest;
using X = cmath_xformLinear;
using V = cmath_vect;

namespace {

using Plain = cmath_status (*)(X*, const V*, const V*, int32_t);
using Weighted = cmath_status (*)(X*, const V*, const V*, const double*, int32_t);
using Robust = cmath_status (*)(X*, const V*, const V*, int32_t, csRandomUniform2*, double, int32_t, double, int32_t*,
                                int32_t*);

// A rigid fit read back as the affine transform cmath_xformRigid_getXformLinear makes of it.
template <class F, class... A>
cmath_status viaRigid(F f, X* t, A... args)
{
    cmath_xformRigid r;
    const cmath_status st = f(&r, args...);
    if (st >= 0) {
        cmath_xformRigid_getXformLinear(&r, t);
        EXPECT_EQ(r.sine, std::sin(r.angle));
        EXPECT_EQ(r.cosine, std::cos(r.angle));
    }
    return st;
}

// The models: s pairs in a minimal sample, the fits, and whether the matrix is a rotation (1),
// a rotation with a scale (2) or any (3).
struct Model {
    const char* name;
    int32_t s;
    int kind;
    Plain plain;
    Weighted weighted;
    Robust robust;
};
const Model kModels[] = {
    {"affine", 3, 3, cmath_xformLinear_initPoints, cmath_xformLinear_initPointsWeighted,
     cmath_xformLinear_initPointsRobust},
    {"similarity", 2, 2, cmath_xformLinear_initPointsSimilarity, cmath_xformLinear_initPointsSimilarityWeighted,
     cmath_xformLinear_initPointsSimilarityRobust},
    {"rigid", 2, 1, cmath_xformLinear_initPointsRigid, cmath_xformLinear_initPointsRigidWeighted,
     cmath_xformLinear_initPointsRigidRobust},
    {"cmath_xformRigid", 2, 1, [](X* t, const V* d, const V* s, int32_t n) { return viaRigid(cmath_xformRigid_initPoints, t, d, s, n); },
     [](X* t, const V* d, const V* s, const double* w, int32_t n) { return viaRigid(cmath_xformRigid_initPointsWeighted, t, d, s, w, n); },
     [](X* t, const V* d, const V* s, int32_t n, csRandomUniform2* g, double th, int32_t it, double c, int32_t* m, int32_t* k) {
         return viaRigid(cmath_xformRigid_initPointsRobust, t, d, s, n, g, th, it, c, m, k);
     }},
};

X randomModel(Rng& rng, int kind)
{
    const double a = rng.uniform(-3.0, 3.0), s = kind == 1 ? 1.0 : rng.uniform(0.5, 2.0);
    X x{{rng.uniform(-50, 50), rng.uniform(-50, 50)}, {s * std::cos(a), -(s * std::sin(a)), s * std::sin(a), s * std::cos(a)}};
    if (kind == 3) {
        x.matrix.e12 += rng.uniform(-0.5, 0.5);
        x.matrix.e22 *= rng.uniform(0.5, 1.5);
    }
    return x;
}

struct Pairs {
    std::vector<V> src, dst;
    std::vector<double> w;
};

Pairs makePairs(Rng& rng, const X& truth, int n, double noise)
{
    Pairs p;
    for (int i = 0; i < n; ++i) {
        const V a{rng.uniform(-100, 100), rng.uniform(-100, 100)};
        V b = result<V>(cmath_xformLinear_mapPoint, &truth, &a);
        b.x += noise * rng.uniform(-1, 1);
        b.y += noise * rng.uniform(-1, 1);
        p.src.push_back(a);
        p.dst.push_back(b);
        p.w.push_back(rng.uniform(0.1, 3.0));
    }
    return p;
}

void expectNear(const X& a, const X& b, double tol)
{
    const double ga[6] = {a.matrix.e11, a.matrix.e12, a.matrix.e21, a.matrix.e22, a.trans.x / 100, a.trans.y / 100};
    const double gb[6] = {b.matrix.e11, b.matrix.e12, b.matrix.e21, b.matrix.e22, b.trans.x / 100, b.trans.y / 100};
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(ga[k], gb[k], tol) << "element " << k;
    }
}

// The (weighted) least-squares optimum of the model: the weighted residuals r are orthogonal to
// the derivative of the mapping along each free parameter, in long double and relative to a
// bound of the terms. Rigid: the translation and the rotation M (-p.y, p.x); similarity: the
// translation, (p.x, p.y) and (-p.y, p.x); affine: the translation and each matrix element.
void expectOptimum(const X& t, const Pairs& p, bool weighted, int kind)
{
    const int terms = kind == 1 ? 3 : kind == 2 ? 4 : 6;
    long double dot[6] = {}, size = 0;
    for (size_t i = 0; i < p.src.size(); ++i) {
        const V m = result<V>(cmath_xformLinear_mapPoint, &t, &p.src[i]);
        const long double w = weighted ? p.w[i] : 1.0L;
        const long double rx = w * (m.x - (long double)p.dst[i].x), ry = w * (m.y - (long double)p.dst[i].y);
        const long double px = p.src[i].x, py = p.src[i].y;
        const long double tx = t.matrix.e11 * -py + t.matrix.e12 * px, ty = t.matrix.e21 * -py + t.matrix.e22 * px;
        const long double g[3][6] = {{rx, ry, rx * tx + ry * ty},
                                     {rx, ry, rx * px + ry * py, ry * px - rx * py},
                                     {rx, ry, rx * px, rx * py, ry * px, ry * py}};
        for (int k = 0; k < terms; ++k) {
            dot[k] += g[kind - 1][k];
        }
        size += (std::fabs(rx) + std::fabs(ry)) * (1 + std::fabs(px) + std::fabs(py));
    }
    for (int k = 0; k < terms; ++k) {
        EXPECT_LE(std::fabs(dot[k]), 1e-10L * size) << "normal equation " << k;
    }
}

} // namespace

TEST(Fit, ExactRecoveryOptimumWeightsAndSwap)
{
    Rng rng;
    const X identity{{0, 0}, {1, 0, 0, 1}};
    for (const Model& md : kModels) {
        SCOPED_TRACE(md.name);
        for (int trial = 0; trial < 20; ++trial) {
            const X truth = randomModel(rng, md.kind);
            const int n = md.s + trial;
            const Pairs exact = makePairs(rng, truth, n, 0.0), noisy = makePairs(rng, truth, 40, 2.0);
            X plain, weighted, back, id;
            ASSERT_EQ(md.plain(&plain, exact.dst.data(), exact.src.data(), n) |
                          md.weighted(&weighted, exact.dst.data(), exact.src.data(), exact.w.data(), n),
                      0);
            expectNear(plain, truth, 1e-12);
            expectNear(weighted, truth, 1e-12);
            // Swapping the sets gives the inverse: for exact pairs in every model, for noisy ones
            // in the rigid model, whose least-squares problem is symmetric.
            ASSERT_EQ(md.plain(&back, exact.src.data(), exact.dst.data(), n), 0);
            cmath_xformLinear_initCompose(&id, &back, &plain);
            expectNear(id, identity, 1e-12);
            ASSERT_EQ(md.plain(&plain, noisy.dst.data(), noisy.src.data(), 40) |
                          md.plain(&back, noisy.src.data(), noisy.dst.data(), 40),
                      0);
            cmath_xformLinear_initCompose(&id, &back, &plain);
            if (md.kind == 1) {
                expectNear(id, identity, 1e-12);
            }
            // Noisy pairs: the weighted and unweighted optima; weights of 1 give the unweighted
            // result bit for bit, and a weight of 0 leaves its pair out (whatever it holds).
            std::vector<double> ones(40, 1.0), some(40, 1.0);
            Pairs part = noisy, kept;
            for (int i = 0; i < 40; ++i) {
                if (i % 3 == 1) {
                    some[i] = 0.0;
                    part.src[i] = V{NAN, 1e300};
                } else {
                    kept.src.push_back(noisy.src[i]);
                    kept.dst.push_back(noisy.dst[i]);
                }
            }
            ASSERT_EQ(md.weighted(&weighted, noisy.dst.data(), noisy.src.data(), noisy.w.data(), 40), 0);
            expectOptimum(plain, noisy, false, md.kind);
            expectOptimum(weighted, noisy, true, md.kind);
            ASSERT_EQ(md.weighted(&weighted, noisy.dst.data(), noisy.src.data(), ones.data(), 40), 0);
            EXPECT_TRUE(sameBytes(weighted, plain));
            ASSERT_EQ(md.weighted(&weighted, part.dst.data(), part.src.data(), some.data(), 40) |
                          md.plain(&plain, kept.dst.data(), kept.src.data(), static_cast<int32_t>(kept.src.size())),
                      0);
            EXPECT_TRUE(sameBytes(weighted, plain));
        }
    }
}

TEST(Fit, RefusalsWriteNothing)
{
    const V one[4] = {{1, 2}, {1, 2}, {1, 2}, {1, 2}}, sq[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const V line[4] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, nan[4] = {{0, 0}, {1, 0}, {NAN, 1}, {0, 1}};
    const V far[4] = {{1e308, 0}, {1e308, 0}, {1e308, 0}, {1e308, 0}}, small[4] = {{0, 0}, {.1, 0}, {.1, .1}, {0, .1}};
    const double w1[4] = {1, 1, 1, 1}, zero[4] = {0, 0, 0, 0}, w2[4] = {0, 2, 0, 3};
    const double neg[4] = {1, 1, 1, -1}, wnan[4] = {1, 1, 1, NAN}, winf[4] = {1, 1, 1, INFINITY};
    constexpr cmath_status F = cmath_errFailed, D = cmath_errOutOfDomain;
    // Without weights (w null) or with them; n < 0: one pair fewer than a sample. The statuses are
    // those of the rigid, similarity and affine models. Collinear sources determine a rotation
    // and a scale, not an affine map; coincident destinations leave the rotation free and make
    // the other fits' matrix 0.
    const struct {
        const V *d, *s;
        const double* w;
        int32_t n;
        cmath_status want[3];
    } cases[] = {{sq, sq, nullptr, -1, {F, F, F}}, {sq, nan, nullptr, 4, {F, F, F}}, {sq, one, nullptr, 4, {F, F, F}},
                 {sq, sq, w1, -1, {F, F, F}},      {sq, sq, zero, 4, {F, F, F}},      {sq, sq, neg, 4, {D, D, D}},
                 {sq, sq, wnan, 4, {D, D, D}},     {sq, sq, winf, 4, {D, D, D}},      {sq, sq, w2, 4, {0, 0, F}},
                 {line, line, nullptr, 4, {0, 0, F}}, {one, sq, nullptr, 4, {F, 0, 0}},
                 {far, small, nullptr, 4, {F, F, F}}}; // a finite angle, an overflowing translation
    for (const Model& md : kModels) {
        for (const auto& c : cases) {
            const int32_t n = c.n < 0 ? md.s - 1 : c.n;
            X t = kXformSentinel;
            const cmath_status st = c.w ? md.weighted(&t, c.d, c.s, c.w, n) : md.plain(&t, c.d, c.s, n);
            EXPECT_EQ(st, c.want[md.kind - 1]) << md.name << " case " << (&c - cases);
            if (st < 0) {
                EXPECT_TRUE(sameBytes(t, kXformSentinel)) << md.name << " case " << (&c - cases);
            } else if (c.d == one) {
                EXPECT_TRUE(t.matrix.e11 == 0.0 && t.trans.y == 2.0) << md.name;
            }
        }
    }
    // The robust fits also leave the generator, the mask and the count as they were.
    csRandomUniform2 g0;
    csRandomUniformInit2(&g0, 5);
    const struct {
        cmath_status want;
        const V* src;
        int32_t n;
        double threshold, confidence;
        int32_t iterations;
    } robust[] = {{D, sq, 4, -1, 0.5, 10}, {D, sq, 4, NAN, 0.5, 10}, {D, sq, 4, INFINITY, 0.5, 10},
                  {D, sq, 4, 1, 0.5, 0},   {D, sq, 4, 1, -0.5, 10}, {D, sq, 4, 1, 1.5, 10},      {D, sq, 4, 1, NAN, 10},
                  {F, sq, 1, 1, 0.5, 10},  {F, one, 4, 1, 0.5, 10}};
    for (const Model& md : kModels) {
        for (const auto& c : robust) {
            csRandomUniform2 g = g0;
            int32_t mask[4] = {-5, -5, -5, -5}, count = -5;
            EXPECT_TRUE(refusesWith(c.want, kXformSentinel, [&](X* t) {
                return md.robust(t, sq, c.src, c.n, &g, c.threshold, c.iterations, c.confidence, mask, &count);
            })) << md.name << " robust case " << (&c - robust);
            EXPECT_TRUE(sameBytes(g, g0) && count == -5 && mask[0] == -5 && mask[3] == -5);
        }
    }
}

TEST(Fit, RobustRecoversTheModelAndItsInliers)
{
    Rng rng;
    for (const Model& md : kModels) {
        for (int pct : {0, 30, 60}) {
            SCOPED_TRACE(std::string(md.name) + " with outliers (%): " + std::to_string(pct));
            const int n = 200;
            const X truth = randomModel(rng, md.kind);
            Pairs p = makePairs(rng, truth, n, 0.1), in;
            std::vector<int32_t> want(n, 1);
            for (int i = 0; i < n; ++i) {
                if (rng.uniform(0, 100) < pct) { // a gross outlier: moved 5 to 50 away
                    const double a = rng.uniform(-kPi, kPi), r = rng.uniform(5, 50);
                    p.dst[i] = V{p.dst[i].x + r * std::cos(a), p.dst[i].y + r * std::sin(a)};
                    want[i] = 0;
                } else {
                    in.src.push_back(p.src[i]);
                    in.dst.push_back(p.dst[i]);
                }
            }
            csRandomUniform2 g, g0;
            csRandomUniformInit2(&g0, 7 + pct);
            g = g0;
            std::vector<int32_t> mask(n, -1);
            int32_t count = -1;
            X t, t2, ls;
            ASSERT_EQ(md.robust(&t, p.dst.data(), p.src.data(), n, &g, 1.0, 5000, 0.999, mask.data(), &count), 0);
            EXPECT_EQ(mask, want);
            EXPECT_EQ(count, static_cast<int32_t>(in.src.size()));
            expectNear(t, truth, 1e-3);
            // The result is the least-squares fit of the inliers, bit for bit.
            ASSERT_EQ(md.plain(&ls, in.dst.data(), in.src.data(), count), 0);
            EXPECT_TRUE(sameBytes(t, ls));
            // The same state gives the same result (mask and count are optional) and leaves the same
            // state, whose draws come in whole samples.
            const int32_t draws = g.count - g0.count;
            EXPECT_TRUE(draws > 0 && draws % md.s == 0 && draws <= 5000 * md.s) << draws;
            csRandomUniform2 again = g0;
            ASSERT_EQ(md.robust(&t2, p.dst.data(), p.src.data(), n, &again, 1.0, 5000, 0.999, nullptr, nullptr), 0);
            EXPECT_TRUE(sameBytes(t2, t) && sameBytes(again, g));
            // Confidence 1 runs every iteration: the state is g0 advanced by s draws for each.
            again = g0;
            ASSERT_EQ(md.robust(&t2, p.dst.data(), p.src.data(), n, &again, 1.0, 37, 1.0, nullptr, nullptr), 0);
            for (int k = 0; k < 37 * md.s; ++k) {
                csRandomUniformNext2(&g0, 0.0, 1.0);
            }
            EXPECT_TRUE(sameBytes(again, g0));
        }
    }
}

TEST(Fit, RobustRefitsUntilItsInliersStopGrowing)
{
    // Noise close to the threshold: a sample's model misses inliers that the least-squares fit
    // of its inliers takes in, so the refits must run until the fit has no more inliers than
    // the set (the mask) it was fitted to.
    Rng rng;
    for (const Model& md : kModels) {
        SCOPED_TRACE(md.name);
        const Pairs p = makePairs(rng, randomModel(rng, md.kind), 300, 0.35);
        csRandomUniform2 g;
        csRandomUniformInit2(&g, 9);
        std::vector<int32_t> mask(300);
        int32_t count = 0, fitted = 0;
        X t;
        ASSERT_EQ(md.robust(&t, p.dst.data(), p.src.data(), 300, &g, 0.5, 30, 1.0, mask.data(), &count), 0);
        for (int i = 0; i < 300; ++i) {
            const V m = result<V>(cmath_xformLinear_mapPoint, &t, &p.src[i]);
            const double dx = m.x - p.dst[i].x, dy = m.y - p.dst[i].y;
            fitted += dx * dx + dy * dy <= 0.25;
        }
        EXPECT_LE(fitted, count);
        EXPECT_GT(count, 150);
    }
}

TEST(Fit, RobustIterationCountAdaptsToTheInlierRatio)
{
    // Half the pairs exact, half far off: once a sample of two exact pairs is drawn, 50 % are
    // inliers and log(0.01) / log(1 - 0.5^2) = 16.008 lowers the limit to 17 iterations (34
    // draws); every later sample can only tie. With confidence 0 the first best ends the loop,
    // and with all pairs exact that is the first sample.
    std::vector<V> src, dst;
    for (int i = 0; i < 40; ++i) {
        src.push_back(V{static_cast<double>(i % 7), static_cast<double>(i / 7)});
        dst.push_back(i % 2 ? V{src[i].x + 1, src[i].y} : V{1e3 * i, -1e3});
    }
    const struct {
        double confidence;
        int step; // pairs 0, step, 2 step, ... make up the set
        int32_t draws;
    } cases[] = {{0.99, 1, 34}, {0.0, 1, 2}, {0.0, 2, 2}, {0.9999, 2, 2}};
    for (const auto& c : cases) {
        std::vector<V> s, d;
        for (size_t i = c.step - 1; i < src.size(); i += c.step) {
            s.push_back(src[i]);
            d.push_back(dst[i]);
        }
        csRandomUniform2 g;
        csRandomUniformInit2(&g, 11);
        X t;
        ASSERT_EQ(cmath_xformLinear_initPointsRigidRobust(&t, d.data(), s.data(), static_cast<int32_t>(s.size()), &g,
                                                         0.5, 1000, c.confidence, nullptr, nullptr),
                  0);
        EXPECT_EQ(g.count, c.draws) << c.confidence;
        EXPECT_TRUE(sameBytes(t, X{{1, 0}, {1, -0.0, 0, 1}}));
    }
}

TEST(Fit, RobustSampleOfExactPairsIsItsOwnConsensus)
{
    // With exactly s exact pairs the one sample must map all of them within a tight threshold:
    // the model made from a minimal sample is the transform itself.
    Rng rng;
    for (const Model& md : kModels) {
        for (int trial = 0; trial < 20; ++trial) {
            const X truth = randomModel(rng, md.kind);
            const Pairs p = makePairs(rng, truth, md.s, 0.0);
            csRandomUniform2 g;
            csRandomUniformInit2(&g, trial);
            X t;
            int32_t count = 0;
            ASSERT_EQ(md.robust(&t, p.dst.data(), p.src.data(), md.s, &g, 1e-6, 1, 1.0, nullptr, &count), 0)
                << md.name << " " << trial;
            EXPECT_EQ(count, md.s);
        }
    }
}
