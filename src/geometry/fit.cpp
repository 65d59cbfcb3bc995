// Fits of transforms to point pairs beyond the plain affine fit (xform_linear.cpp): rigid and
// similarity least squares in closed form, weighted forms of all three, and robust forms by
// random sample consensus (Fischler and Bolles, "Random sample consensus", CACM 24(6), 1981).
//
// Every least-squares fit works from the one set of sums of fit_sums.hpp, so a weighted fit
// with every weight 1 reproduces the unweighted fit bit for bit, and the robust fits end with
// exactly the least-squares fit of their inliers. The closed forms, with the centred sums and
//     A = Cqxpx + Cqypy = sum p'.q',   B = Cqypx - Cqxpy = sum p' x q',   P = Cxx + Cyy = sum |p'|^2:
//  - similarity (a, -b; b, a): sum |M p' - q'|^2 = (a^2 + b^2) P - 2 (a A + b B) + const is
//    least at a = A / P, b = B / P;
//  - rigid (cos, -sin; sin, cos): a A + b B on the unit circle is largest along (A, B), so the
//    angle is atan2(B, A) (Umeyama, IEEE PAMI 13(4), 1991, in two dimensions);
// and in both the translation takes the centroid of the sources to that of the destinations.
#include <orbmath/geometry.h>
#include <orbmath/stats.h>

#include "geometry/fit_sums.hpp"

#include <cmath>
#include <cstdint>

namespace {

bool finite(const cmath_vect& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// ---------------------------------------------------------------- closed-form solves

cmath_status solveRigid(const orb::FitSums& acc, double w, cmath_xformRigid* out)
{
    const orb::CentredSums c = orb::centre(acc, w);
    const double A = c.Cqxpx + c.Cqypy;
    const double B = c.Cqypx - c.Cqxpy;
    if (A == 0.0 && B == 0.0) {
        return cmath_errFailed; // every rotation fits equally: the angle is undetermined
    }
    const double angle = std::atan2(B, A);
    const double cosine = std::cos(angle);
    const double sine = std::sin(angle);
    const cmath_vect t = orb::centroidTranslation(c, cmath_matrix{cosine, -sine, sine, cosine}, w);
    if (!std::isfinite(angle) || !finite(t)) {
        return cmath_errFailed;
    }
    out->trans = t;
    out->angle = angle;
    out->sine = sine;
    out->cosine = cosine;
    return 0;
}

// The rigid fit written as an affine transform, with the matrix cmath_xformRigid_getXformLinear
// builds from the angle (cmath_matrix_initRotationScale with both scales 1 gives the same bits).
cmath_status solveRigidLinear(const orb::FitSums& acc, double w, cmath_xformLinear* out)
{
    cmath_xformRigid r;
    const cmath_status st = solveRigid(acc, w, &r);
    if (st < 0) {
        return st;
    }
    out->matrix = cmath_matrix{r.cosine, -r.sine, r.sine, r.cosine};
    out->trans = r.trans;
    return 0;
}

cmath_status solveSimilarity(const orb::FitSums& acc, double w, cmath_xformLinear* out)
{
    const orb::CentredSums c = orb::centre(acc, w);
    const double A = c.Cqxpx + c.Cqypy;
    const double B = c.Cqypx - c.Cqxpy;
    const double P = c.Cxx + c.Cyy;
    // initPoints' relative conditioning with P in the place of D (P is never negative in exact
    // arithmetic, so a negative P, which only rounding makes, is refused with P = 0).
    if (!(P > 1e-15 * std::fabs(A))) {
        return cmath_errFailed;
    }
    const double a = A / P;
    if (!(P > 1e-15 * std::fabs(B))) {
        return cmath_errFailed;
    }
    const double b = B / P;
    const cmath_matrix m{a, -b, b, a};
    const cmath_vect t = orb::centroidTranslation(c, m, w);
    if (!finite(t)) {
        return cmath_errFailed;
    }
    out->matrix = m;
    out->trans = t;
    return 0;
}

// ---------------------------------------------------------------- plain and weighted fits

template <class Target, class Solve>
cmath_status plainFit(Target* target, const cmath_vect* destination, const cmath_vect* source, int32_t n,
                      Solve solve)
{
    if (target == nullptr || destination == nullptr || source == nullptr) {
        return cmath_errNullArgument;
    }
    if (n < 2) {
        return cmath_errFailed;
    }
    orb::FitSums acc;
    for (int32_t i = 0; i < n; ++i) {
        acc.add(source[i], destination[i]);
    }
    return solve(acc, 1.0 / static_cast<double>(n), target);
}

// Weights are checked as they are met; a pair of weight 0 is left out of the sums altogether
// (so its coordinates may be anything), and `minimum` pairs of positive weight are needed.
template <class Target, class Solve>
cmath_status weightedFit(Target* target, const cmath_vect* destination, const cmath_vect* source,
                         const double* weights, int32_t n, int32_t minimum, Solve solve)
{
    if (target == nullptr || destination == nullptr || source == nullptr || weights == nullptr) {
        return cmath_errNullArgument;
    }
    if (n < minimum) {
        return cmath_errFailed;
    }
    orb::FitSums acc;
    double total = 0.0;
    int32_t positive = 0;
    for (int32_t i = 0; i < n; ++i) {
        const double wi = weights[i];
        if (!(wi >= 0.0) || !std::isfinite(wi)) {
            return cmath_errOutOfDomain; // negative, NaN or infinite
        }
        if (wi > 0.0) {
            ++positive;
            total += wi;
            acc.addWeighted(source[i], destination[i], wi);
        }
    }
    if (positive < minimum) {
        return cmath_errFailed;
    }
    return solve(acc, 1.0 / total, target);
}

// ---------------------------------------------------------------- robust fits

// The squared distance from the image of p to q: the product first, then the translation, then
// the difference, as cmath_xformLinear_mapPoint and cmath_vect_initSubtract would give it.
inline double distance2(const cmath_xformLinear& m, const cmath_vect& p, const cmath_vect& q)
{
    const double dx = (m.matrix.e11 * p.x + m.matrix.e12 * p.y + m.trans.x) - q.x;
    const double dy = (m.matrix.e21 * p.x + m.matrix.e22 * p.y + m.trans.y) - q.y;
    return dx * dx + dy * dy;
}

// Draws s distinct indices of [0, n), in the order drawn. The j-th draw is m u with m = n - j and
// u in [0, 1): the generator's largest value is 1 - 1/(259200 * 134456) rounded, so the
// truncation lies in [0, m); it is then moved past the indices drawn before, in increasing order.
template <int32_t S>
void drawSample(csRandomUniform2* rng, int32_t n, int32_t* k)
{
    int32_t sorted[S];
    for (int32_t j = 0; j < S; ++j) {
        int32_t v = static_cast<int32_t>(csRandomUniformNext2(rng, 0.0, static_cast<double>(n - j)));
        int32_t at = 0;
        for (; at < j && v >= sorted[at]; ++at) {
            ++v;
        }
        for (int32_t m = j; m > at; --m) {
            sorted[m] = sorted[m - 1];
        }
        sorted[at] = v;
        k[j] = v;
    }
}

struct AffineKind {
    static constexpr int32_t kSample = 3;
    using Target = cmath_xformLinear;

    // The affine map through three pairs: matrix = V U^-1 with the columns u1, u2 of U and v1, v2
    // of V the differences from the first pair, translation q0 - matrix p0.
    static bool fitSample(const cmath_vect* dst, const cmath_vect* src, const int32_t* k, cmath_xformLinear* m)
    {
        const cmath_vect p0 = src[k[0]], q0 = dst[k[0]];
        const double u1x = src[k[1]].x - p0.x, u1y = src[k[1]].y - p0.y;
        const double u2x = src[k[2]].x - p0.x, u2y = src[k[2]].y - p0.y;
        const double v1x = dst[k[1]].x - q0.x, v1y = dst[k[1]].y - q0.y;
        const double v2x = dst[k[2]].x - q0.x, v2y = dst[k[2]].y - q0.y;
        const double det = u1x * u2y - u1y * u2x;
        if (det == 0.0) {
            return false;
        }
        const double r = 1.0 / det;
        const cmath_matrix e{(v1x * u2y - v2x * u1y) * r, (v2x * u1x - v1x * u2x) * r, (v1y * u2y - v2y * u1y) * r,
                             (v2y * u1x - v1y * u2x) * r};
        m->matrix = e;
        m->trans = cmath_vect{q0.x - (e.e11 * p0.x + e.e12 * p0.y), q0.y - (e.e21 * p0.x + e.e22 * p0.y)};
        return true;
    }

    static cmath_status solve(const orb::FitSums& acc, double w, Target* out) { return orb::solveAffine(acc, w, out); }
    static cmath_xformLinear linear(const Target& t) { return t; }
};

struct SimilarityKind {
    static constexpr int32_t kSample = 2;
    using Target = cmath_xformLinear;

    static bool fitSample(const cmath_vect* dst, const cmath_vect* src, const int32_t* k, cmath_xformLinear* m)
    {
        const cmath_vect p0 = src[k[0]], q0 = dst[k[0]];
        const double ux = src[k[1]].x - p0.x, uy = src[k[1]].y - p0.y;
        const double vx = dst[k[1]].x - q0.x, vy = dst[k[1]].y - q0.y;
        const double uu = ux * ux + uy * uy;
        if (uu == 0.0) {
            return false;
        }
        const double a = (ux * vx + uy * vy) / uu;
        const double b = (ux * vy - uy * vx) / uu;
        m->matrix = cmath_matrix{a, -b, b, a};
        m->trans = cmath_vect{q0.x - (a * p0.x + -b * p0.y), q0.y - (b * p0.x + a * p0.y)};
        return true;
    }

    static cmath_status solve(const orb::FitSums& acc, double w, Target* out) { return solveSimilarity(acc, w, out); }
    static cmath_xformLinear linear(const Target& t) { return t; }
};

// The rigid sample: the rotation turning u = p1 - p0 towards v = q1 - q0, and the translation
// taking the midpoint of the sources to that of the destinations (the two-pair least squares).
inline bool fitRigidSample(const cmath_vect* dst, const cmath_vect* src, const int32_t* k, cmath_xformLinear* m)
{
    const cmath_vect p0 = src[k[0]], q0 = dst[k[0]], p1 = src[k[1]], q1 = dst[k[1]];
    const double ux = p1.x - p0.x, uy = p1.y - p0.y;
    const double vx = q1.x - q0.x, vy = q1.y - q0.y;
    const double dot = ux * vx + uy * vy;
    const double cross = ux * vy - uy * vx;
    const double h = std::sqrt(dot * dot + cross * cross);
    if (h == 0.0) {
        return false;
    }
    const double c = dot / h, s = cross / h;
    const double px = (p0.x + p1.x) * 0.5, py = (p0.y + p1.y) * 0.5;
    const double qx = (q0.x + q1.x) * 0.5, qy = (q0.y + q1.y) * 0.5;
    m->matrix = cmath_matrix{c, -s, s, c};
    m->trans = cmath_vect{qx - (c * px + -s * py), qy - (s * px + c * py)};
    return true;
}

struct RigidKind {
    static constexpr int32_t kSample = 2;
    using Target = cmath_xformRigid;
    static bool fitSample(const cmath_vect* dst, const cmath_vect* src, const int32_t* k, cmath_xformLinear* m)
    {
        return fitRigidSample(dst, src, k, m);
    }
    static cmath_status solve(const orb::FitSums& acc, double w, Target* out) { return solveRigid(acc, w, out); }
    static cmath_xformLinear linear(const Target& t)
    {
        return cmath_xformLinear{t.trans, cmath_matrix{t.cosine, -t.sine, t.sine, t.cosine}};
    }
};

struct RigidLinearKind {
    static constexpr int32_t kSample = 2;
    using Target = cmath_xformLinear;
    static bool fitSample(const cmath_vect* dst, const cmath_vect* src, const int32_t* k, cmath_xformLinear* m)
    {
        return fitRigidSample(dst, src, k, m);
    }
    static cmath_status solve(const orb::FitSums& acc, double w, Target* out) { return solveRigidLinear(acc, w, out); }
    static cmath_xformLinear linear(const Target& t) { return t; }
};

// Further least-squares fits after the first, each on the inliers of the one before.
constexpr int32_t kRefits = 4;

// The least-squares fit of the inliers of model m, in index order, and their count in *count.
// For the consensus' best the count is at least the sample size; a later model with fewer
// inliers than the set before is not used, whatever its fit gives (0 inliers give NaN sums, which
// every solve refuses).
template <class Kind>
cmath_status refit(const cmath_vect* destination, const cmath_vect* source, int32_t n, const cmath_xformLinear& m,
                   double t2, typename Kind::Target* out, int32_t* count)
{
    orb::FitSums acc;
    int32_t c = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (distance2(m, source[i], destination[i]) <= t2) {
            acc.add(source[i], destination[i]);
            ++c;
        }
    }
    *count = c;
    return Kind::solve(acc, 1.0 / static_cast<double>(c), out);
}

// Random sample consensus. The caller's generator state is copied, and written back only on
// success together with the other outputs. No allocation: the best model is kept, and its
// inliers are found again (by the same test, so the same pairs) for the refit and the mask.
template <class Kind>
cmath_status robustFit(typename Kind::Target* target, const cmath_vect* destination, const cmath_vect* source,
                       int32_t n, csRandomUniform2* state, double threshold, int32_t maxIterations,
                       double confidence, int32_t* inlierMask, int32_t* inlierCount)
{
    constexpr int32_t s = Kind::kSample;
    if (target == nullptr || destination == nullptr || source == nullptr || state == nullptr) {
        return cmath_errNullArgument;
    }
    if (!(threshold >= 0.0) || !std::isfinite(threshold) || maxIterations < 1 ||
        !(confidence >= 0.0 && confidence <= 1.0)) {
        return cmath_errOutOfDomain;
    }
    if (n < s) {
        return cmath_errFailed;
    }

    csRandomUniform2 rng = *state;
    const double t2 = threshold * threshold;
    const double logMiss = std::log(1.0 - confidence);
    cmath_xformLinear best{};
    int32_t bestCount = s - 1; // a best needs at least s inliers
    double bestSum = 0.0;
    bool found = false;
    int32_t limit = maxIterations;
    for (int32_t it = 0; it < limit; ++it) {
        int32_t k[s];
        drawSample<s>(&rng, n, k);
        cmath_xformLinear model;
        if (!Kind::fitSample(destination, source, k, &model)) {
            continue;
        }
        // Consensus, abandoned as soon as the model can no longer reach the best count (a model
        // that only ties it may still win on the sum).
        const int32_t allowedMisses = n - bestCount;
        int32_t inliers = 0, misses = 0;
        double sum = 0.0;
        for (int32_t i = 0; i < n; ++i) {
            const double d2 = distance2(model, source[i], destination[i]);
            if (d2 <= t2) {
                ++inliers;
                sum += d2;
            } else if (++misses > allowedMisses) {
                break;
            }
        }
        if (inliers < bestCount || (inliers == bestCount && (!found || !(sum < bestSum)))) {
            continue;
        }
        best = model;
        bestCount = inliers;
        bestSum = sum;
        found = true;
        const double ratio = static_cast<double>(inliers) / static_cast<double>(n);
        double all = ratio;
        for (int32_t j = 1; j < s; ++j) {
            all = all * ratio;
        }
        const double q = logMiss / std::log(1.0 - all);
        if (q >= 0.0 && q < static_cast<double>(limit)) {
            limit = static_cast<int32_t>(std::ceil(q));
        }
    }
    if (!found) {
        return cmath_errFailed;
    }

    // The least-squares fit of the best model's inliers; then, while the fit has more inliers
    // than the set it was made from (at most kRefits times), the fit of its own inliers.
    typename Kind::Target fitted;
    int32_t count = 0;
    cmath_status st = refit<Kind>(destination, source, n, best, t2, &fitted, &count);
    if (st < 0) {
        return st;
    }
    for (int32_t round = 0; round < kRefits; ++round) {
        const cmath_xformLinear m = Kind::linear(fitted);
        typename Kind::Target next;
        int32_t c = 0;
        if (refit<Kind>(destination, source, n, m, t2, &next, &c) < 0 || c <= count) {
            break;
        }
        best = m;
        count = c;
        fitted = next;
    }
    *target = fitted;
    *state = rng;
    if (inlierMask != nullptr) {
        for (int32_t i = 0; i < n; ++i) {
            inlierMask[i] = distance2(best, source[i], destination[i]) <= t2 ? 1 : 0;
        }
    }
    if (inlierCount != nullptr) {
        *inlierCount = count;
    }
    return 0;
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_xformRigid_initPoints(cmath_xformRigid* target, const cmath_vect* destination,
                                                     const cmath_vect* source, int32_t n)
{
    return plainFit(target, destination, source, n, solveRigid);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsRigid(cmath_xformLinear* target, const cmath_vect* destination,
                                                           const cmath_vect* source, int32_t n)
{
    return plainFit(target, destination, source, n, solveRigidLinear);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsSimilarity(cmath_xformLinear* target,
                                                                const cmath_vect* destination,
                                                                const cmath_vect* source, int32_t n)
{
    return plainFit(target, destination, source, n, solveSimilarity);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsWeighted(cmath_xformLinear* target,
                                                              const cmath_vect* destination, const cmath_vect* source,
                                                              const double* weights, int32_t n)
{
    return weightedFit(target, destination, source, weights, n, 3, orb::solveAffine);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsRigidWeighted(cmath_xformLinear* target,
                                                                   const cmath_vect* destination,
                                                                   const cmath_vect* source, const double* weights,
                                                                   int32_t n)
{
    return weightedFit(target, destination, source, weights, n, 2, solveRigidLinear);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsSimilarityWeighted(cmath_xformLinear* target,
                                                                        const cmath_vect* destination,
                                                                        const cmath_vect* source,
                                                                        const double* weights, int32_t n)
{
    return weightedFit(target, destination, source, weights, n, 2, solveSimilarity);
}

ORBMATH_API cmath_status cmath_xformRigid_initPointsWeighted(cmath_xformRigid* target, const cmath_vect* destination,
                                                             const cmath_vect* source, const double* weights,
                                                             int32_t n)
{
    return weightedFit(target, destination, source, weights, n, 2, solveRigid);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsRobust(cmath_xformLinear* target, const cmath_vect* destination,
                                                            const cmath_vect* source, int32_t n,
                                                            csRandomUniform2* state, double threshold,
                                                            int32_t maxIterations, double confidence,
                                                            int32_t* inlierMask, int32_t* inlierCount)
{
    return robustFit<AffineKind>(target, destination, source, n, state, threshold, maxIterations, confidence,
                                 inlierMask, inlierCount);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsRigidRobust(cmath_xformLinear* target,
                                                                 const cmath_vect* destination,
                                                                 const cmath_vect* source, int32_t n,
                                                                 csRandomUniform2* state, double threshold,
                                                                 int32_t maxIterations, double confidence,
                                                                 int32_t* inlierMask, int32_t* inlierCount)
{
    return robustFit<RigidLinearKind>(target, destination, source, n, state, threshold, maxIterations, confidence,
                                      inlierMask, inlierCount);
}

ORBMATH_API cmath_status cmath_xformLinear_initPointsSimilarityRobust(cmath_xformLinear* target,
                                                                      const cmath_vect* destination,
                                                                      const cmath_vect* source, int32_t n,
                                                                      csRandomUniform2* state, double threshold,
                                                                      int32_t maxIterations, double confidence,
                                                                      int32_t* inlierMask, int32_t* inlierCount)
{
    return robustFit<SimilarityKind>(target, destination, source, n, state, threshold, maxIterations, confidence,
                                     inlierMask, inlierCount);
}

ORBMATH_API cmath_status cmath_xformRigid_initPointsRobust(cmath_xformRigid* target, const cmath_vect* destination,
                                                           const cmath_vect* source, int32_t n,
                                                           csRandomUniform2* state, double threshold,
                                                           int32_t maxIterations, double confidence,
                                                           int32_t* inlierMask, int32_t* inlierCount)
{
    return robustFit<RigidKind>(target, destination, source, n, state, threshold, maxIterations, confidence,
                                inlierMask, inlierCount);
}

} // extern "C"
