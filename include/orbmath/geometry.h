/** @file
 * orbmath 2D value types beyond the vector: 2x2 matrices with their rotation/scale/aspect/shear
 * decomposition, affine ("linear") transforms and their least-squares fit, rigid transforms,
 * fixed-point vectors and the one-dimensional counterparts.
 *
 * Every function follows the calling frame of vect.h: it returns a cmath_status (0 success,
 * negative failure); init and reset write their first argument, queries write through their
 * last; on failure nothing is written; an output may be one of the inputs unless its line says
 * otherwise. Singularity is an exact test (determinant or scale equal to 0); no hidden tolerance.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning. */
#ifndef ORBMATH_GEOMETRY_H
#define ORBMATH_GEOMETRY_H

#include "common.h"
#include "vect.h"

ORBMATH_C_BEGIN

/* ==== 2x2 matrices ===================================================================== */

/** Row-major 2x2 matrix acting on column vectors: p maps to (e11 p.x + e12 p.y, e21 p.x + e22 p.y).
 * Read as R(rotation) * diag(scale, scale * aspect) * H(shear), H(k) = (1, -tan k; 0, 1). */
typedef struct cmath_matrix {
    double e11; /**< row 1, column 1 */
    double e12; /**< row 1, column 2 */
    double e21; /**< row 2, column 1 */
    double e22; /**< row 2, column 2 */
} cmath_matrix;

/** target = (e11, e12, e21, e22), row-major. */
ORBMATH_API cmath_status cmath_matrix_init(cmath_matrix* target, double e11, double e12, double e21, double e22);
/** target = identity (1, 0, 0, 1). */
ORBMATH_API cmath_status cmath_matrix_initIdentity(cmath_matrix* target);
/** target = identity; same as initIdentity. */
ORBMATH_API cmath_status cmath_matrix_reset(cmath_matrix* target);
/** target = a + b, element by element. */
ORBMATH_API cmath_status cmath_matrix_initAdd(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b);
/** target = a * b (b applied to a point first). */
ORBMATH_API cmath_status cmath_matrix_initMultiply(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b);
/** target = (a * b) * c. */
ORBMATH_API cmath_status cmath_matrix_initMultiply3(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b,
                                                    const cmath_matrix* c);
/** target = ((a * b) * c) * d. */
ORBMATH_API cmath_status cmath_matrix_initMultiply4(cmath_matrix* target, const cmath_matrix* a, const cmath_matrix* b,
                                                    const cmath_matrix* c, const cmath_matrix* d);
/** target = transpose of a. */
ORBMATH_API cmath_status cmath_matrix_initTranspose(cmath_matrix* target, const cmath_matrix* a);
/** target = a^-1 through the reciprocal of the determinant; cmath_errSingular when det(a) is
 * exactly 0, target untouched. */
ORBMATH_API cmath_status cmath_matrix_initInverse(cmath_matrix* target, const cmath_matrix* a);
/** target = (cos xr * xs, -(sin yr * ys), sin xr * xs, cos yr * ys): the x axis turned by xRotation
 * and scaled by xScale, the y axis turned by yRotation and scaled by yScale. */
ORBMATH_API cmath_status cmath_matrix_initRotationScale(cmath_matrix* target, const cmath_radian* xRotation,
                                                        const cmath_radian* yRotation, double xScale, double yScale);
/** target = R(rotation) * diag(scale, scale * aspect) * H(shear); note the argument order. The
 * getters below return these parameters for scale > 0 and |shear| < pi/2. */
ORBMATH_API cmath_status cmath_matrix_initScaleAspect(cmath_matrix* target, double scale, double aspect,
                                                      const cmath_radian* shear, const cmath_radian* rotation);
/** *out = e11 e22 - e12 e21. */
ORBMATH_API cmath_status cmath_matrix_getDeterminant(const cmath_matrix* a, double* out);
/** *out = 1 when the determinant is exactly 0, else 0. */
ORBMATH_API cmath_status cmath_matrix_getIsSingular(const cmath_matrix* a, int32_t* out);
/** *out = 1 when a is exactly (1, 0, 0, 1), else 0. */
ORBMATH_API cmath_status cmath_matrix_getIsIdentity(const cmath_matrix* a, int32_t* out);

/* The eight decomposition getters fail with cmath_errSingular when det(a) is exactly 0 (even the
 * scale getters, whose formula would be defined), leaving *out untouched. */
/** Rotation: *out = atan2(e21, e11), the direction of the image of the x axis; same as getXRotation. */
ORBMATH_API cmath_status cmath_matrix_getRotation(const cmath_matrix* a, cmath_radian* out);
/** *out = atan2(e21, e11). */
ORBMATH_API cmath_status cmath_matrix_getXRotation(const cmath_matrix* a, cmath_radian* out);
/** *out = atan2(-e12, e22): the direction of the image of the y axis minus pi/2. */
ORBMATH_API cmath_status cmath_matrix_getYRotation(const cmath_matrix* a, cmath_radian* out);
/** Scale: *out = sqrt(e11^2 + e21^2), the length of the image of the x axis; same as getXScale. */
ORBMATH_API cmath_status cmath_matrix_getScale(const cmath_matrix* a, double* out);
/** *out = sqrt(e11^2 + e21^2). */
ORBMATH_API cmath_status cmath_matrix_getXScale(const cmath_matrix* a, double* out);
/** *out = sqrt(e12^2 + e22^2), the length of the image of the y axis (shear included). */
ORBMATH_API cmath_status cmath_matrix_getYScale(const cmath_matrix* a, double* out);
/** Aspect: *out = det / (e11^2 + e21^2); negative when a reflects. */
ORBMATH_API cmath_status cmath_matrix_getAspect(const cmath_matrix* a, double* out);
/** Shear: *out = -atan((e11 e12 + e21 e22) / det), in (-pi/2, pi/2). */
ORBMATH_API cmath_status cmath_matrix_getShear(const cmath_matrix* a, cmath_radian* out);

/** *out = a * p. */
ORBMATH_API cmath_status cmath_matrix_mapPoint(const cmath_matrix* a, const cmath_vect* p, cmath_vect* out);
/** *out = a^-1 * p (the inverse is not stored); cmath_errSingular when det(a) = 0, *out untouched. */
ORBMATH_API cmath_status cmath_matrix_invMapPoint(const cmath_matrix* a, const cmath_vect* p, cmath_vect* out);

/* Arrays. Each function named after a single-element mapping with a trailing s maps in[0..n)
 * to out[0..n), element i bit-identical to that mapping of in[i]. out may be in itself; an out
 * that overlaps in otherwise is refused with cmath_errFailed. n = 0 maps nothing and returns 0
 * (the arrays may then be null); n < 0 gives cmath_errNegativeCount; a null transform, or a null
 * array with n > 0, cmath_errNullArgument. Every failure, a singular matrix included, is found
 * before anything is written, and out is then untouched. They make no allocation. */
/** out[i] = a * in[i] for i < n, as cmath_matrix_mapPoint. */
ORBMATH_API cmath_status cmath_matrix_mapPoints(const cmath_matrix* a, const cmath_vect* in, cmath_vect* out,
                                                int32_t n);
/** out[i] = a^-1 * in[i] for i < n, as cmath_matrix_invMapPoint; cmath_errSingular when det(a) = 0. */
ORBMATH_API cmath_status cmath_matrix_invMapPoints(const cmath_matrix* a, const cmath_vect* in, cmath_vect* out,
                                                   int32_t n);
/** *out = 1 when all four elements are exactly equal, else 0. */
ORBMATH_API cmath_status cmath_matrix_compareEqual(const cmath_matrix* a, const cmath_matrix* b, int32_t* out);
/** *out = 1 when all four elements are equal within epsilon (cmath_double_epsilonEqual), else 0. */
ORBMATH_API cmath_status cmath_matrix_epsilonEqual(const cmath_matrix* a, const cmath_matrix* b, double epsilon,
                                                   int32_t* out);

/* ==== affine ("linear") transforms ======================================================== */

/** Maps p to matrix * p + trans (the product formed first). Composition a o b applies b first. */
typedef struct cmath_xformLinear {
    cmath_vect trans;    /**< translation, added after the product */
    cmath_matrix matrix; /**< linear part */
} cmath_xformLinear;

/** target = identity transform. */
ORBMATH_API cmath_status cmath_xformLinear_initIdentity(cmath_xformLinear* target);
/** target = identity transform; same as initIdentity. */
ORBMATH_API cmath_status cmath_xformLinear_reset(cmath_xformLinear* target);
/** target = (matrix m, translation t); the matrix comes first in the arguments. */
ORBMATH_API cmath_status cmath_xformLinear_initMatrixTrans(cmath_xformLinear* target, const cmath_matrix* m,
                                                           const cmath_vect* t);
/** target = matrix (e11, e12, e21, e22) row-major, translation (tx, ty). */
ORBMATH_API cmath_status cmath_xformLinear_initMatrixTransElements(cmath_xformLinear* target, double e11, double e12,
                                                                   double e21, double e22, double tx, double ty);
/** target = a o b: b applied first, then a. */
ORBMATH_API cmath_status cmath_xformLinear_initCompose(cmath_xformLinear* target, const cmath_xformLinear* a,
                                                       const cmath_xformLinear* b);
/** target = (a o b) o c: c first, then b, then a. */
ORBMATH_API cmath_status cmath_xformLinear_initCompose3(cmath_xformLinear* target, const cmath_xformLinear* a,
                                                        const cmath_xformLinear* b, const cmath_xformLinear* c);
/** target = ((a o b) o c) o d: d first, then c, b, a. */
ORBMATH_API cmath_status cmath_xformLinear_initCompose4(cmath_xformLinear* target, const cmath_xformLinear* a,
                                                        const cmath_xformLinear* b, const cmath_xformLinear* c,
                                                        const cmath_xformLinear* d);
/** target = the affine transform minimising sum |target(source[i]) - destination[i]|^2 over the n
 * pairs (exact for three non-collinear points). cmath_errFailed when n < 3 or the system is
 * ill-conditioned (collinear or coincident sources, an element reaching 1e15, NaN); target untouched.
 * destination and source are not read, and may be null, when n <= 0. */
ORBMATH_API cmath_status cmath_xformLinear_initPoints(cmath_xformLinear* target, const cmath_vect* destination,
                                                      const cmath_vect* source, int32_t n);
/** *out = x^-1; cmath_errSingular when det(matrix) = 0, *out untouched. */
ORBMATH_API cmath_status cmath_xformLinear_getInverse(const cmath_xformLinear* x, cmath_xformLinear* out);
/** *out = 1 when x is exactly the identity transform, else 0. */
ORBMATH_API cmath_status cmath_xformLinear_getIsIdentity(const cmath_xformLinear* x, int32_t* out);
/** *out = 1 when translation and matrix are exactly equal, else 0. */
ORBMATH_API cmath_status cmath_xformLinear_compareEqual(const cmath_xformLinear* a, const cmath_xformLinear* b,
                                                        int32_t* out);
/** *out = 1 when all six doubles are equal within the one epsilon, else 0. */
ORBMATH_API cmath_status cmath_xformLinear_epsilonEqual(const cmath_xformLinear* a, const cmath_xformLinear* b,
                                                        double epsilon, int32_t* out);
/** *out = matrix * p + trans. */
ORBMATH_API cmath_status cmath_xformLinear_mapPoint(const cmath_xformLinear* x, const cmath_vect* p, cmath_vect* out);
/** *out = x^-1(p); cmath_errSingular when det = 0, *out untouched. */
ORBMATH_API cmath_status cmath_xformLinear_invMapPoint(const cmath_xformLinear* x, const cmath_vect* p,
                                                       cmath_vect* out);
/** *out = matrix * v (the translation does not act on vectors). */
ORBMATH_API cmath_status cmath_xformLinear_mapVector(const cmath_xformLinear* x, const cmath_vect* v, cmath_vect* out);
/** *out = matrix^-1 * v; cmath_errSingular when det = 0, *out untouched. */
ORBMATH_API cmath_status cmath_xformLinear_invMapVector(const cmath_xformLinear* x, const cmath_vect* v,
                                                        cmath_vect* out);
/** out[i] = matrix * in[i] + trans for i < n, as cmath_xformLinear_mapPoint (arrays: see
 * cmath_matrix_mapPoints). */
ORBMATH_API cmath_status cmath_xformLinear_mapPoints(const cmath_xformLinear* x, const cmath_vect* in,
                                                     cmath_vect* out, int32_t n);
/** out[i] = x^-1(in[i]) for i < n, as cmath_xformLinear_invMapPoint; cmath_errSingular when det = 0. */
ORBMATH_API cmath_status cmath_xformLinear_invMapPoints(const cmath_xformLinear* x, const cmath_vect* in,
                                                        cmath_vect* out, int32_t n);
/** out[i] = matrix * in[i] for i < n, as cmath_xformLinear_mapVector. */
ORBMATH_API cmath_status cmath_xformLinear_mapVectors(const cmath_xformLinear* x, const cmath_vect* in,
                                                      cmath_vect* out, int32_t n);
/** out[i] = matrix^-1 * in[i] for i < n, as cmath_xformLinear_invMapVector; cmath_errSingular when det = 0. */
ORBMATH_API cmath_status cmath_xformLinear_invMapVectors(const cmath_xformLinear* x, const cmath_vect* in,
                                                         cmath_vect* out, int32_t n);
/** *out = direction of matrix * (cos angle, sin angle); a direction mapped to (0, 0) gives 0. */
ORBMATH_API cmath_status cmath_xformLinear_mapAngle(const cmath_xformLinear* x, const cmath_radian* angle,
                                                    cmath_radian* out);
/** *out = direction of matrix^-1 * (cos angle, sin angle); cmath_errSingular when det = 0. */
ORBMATH_API cmath_status cmath_xformLinear_invMapAngle(const cmath_xformLinear* x, const cmath_radian* angle,
                                                       cmath_radian* out);
/** *out = area * |det|. */
ORBMATH_API cmath_status cmath_xformLinear_mapArea(const cmath_xformLinear* x, double area, double* out);
/** *out = area / |det|; cmath_errSingular when det = 0, *out untouched. */
ORBMATH_API cmath_status cmath_xformLinear_invMapArea(const cmath_xformLinear* x, double area, double* out);

/* ==== rigid transforms ================================================================== */

/** Rotation counter-clockwise by angle, then translation by trans. sine and cosine are always
 * sin(angle) and cos(angle), refreshed whenever the angle changes; the angle is never reduced. */
typedef struct cmath_xformRigid {
    cmath_vect trans; /**< translation, applied after the rotation */
    double angle;     /**< rotation in radians, counter-clockwise */
    double sine;      /**< sin(angle) */
    double cosine;    /**< cos(angle) */
} cmath_xformRigid;

/** target = identity: trans (0, 0), angle 0, sine 0, cosine 1. */
ORBMATH_API cmath_status cmath_xformRigid_initIdentity(cmath_xformRigid* target);
/** target = rotation by *angle, then translation by *trans. */
ORBMATH_API cmath_status cmath_xformRigid_initAngleTrans(cmath_xformRigid* target, const cmath_radian* angle,
                                                         const cmath_vect* trans);
/** target = rotation by *angle, then translation by (tx, ty). */
ORBMATH_API cmath_status cmath_xformRigid_initAngleTransElements(cmath_xformRigid* target, const cmath_radian* angle,
                                                                 double tx, double ty);
/** Replaces the angle (with its sine and cosine) of target, keeping its translation. */
ORBMATH_API cmath_status cmath_xformRigid_setAngle(cmath_xformRigid* target, const cmath_radian* angle);
/** target = a o b (b applied first); angles add without reduction. */
ORBMATH_API cmath_status cmath_xformRigid_initCompose(cmath_xformRigid* target, const cmath_xformRigid* a,
                                                      const cmath_xformRigid* b);
/** *out = x^-1 (no value makes it fail). */
ORBMATH_API cmath_status cmath_xformRigid_getInverse(const cmath_xformRigid* x, cmath_xformRigid* out);
/** *out = the stored angle. */
ORBMATH_API cmath_status cmath_xformRigid_getAngle(const cmath_xformRigid* x, cmath_radian* out);
/** *out = the stored sine. */
ORBMATH_API cmath_status cmath_xformRigid_getSine(const cmath_xformRigid* x, double* out);
/** *out = the stored cosine. */
ORBMATH_API cmath_status cmath_xformRigid_getCosine(const cmath_xformRigid* x, double* out);
/** *out = the same transform as an affine one, the matrix computed afresh from the angle. */
ORBMATH_API cmath_status cmath_xformRigid_getXformLinear(const cmath_xformRigid* x, cmath_xformLinear* out);
/** *out = rotation of p by the stored sine and cosine, plus trans (no trigonometry). */
ORBMATH_API cmath_status cmath_xformRigid_mapPoint(const cmath_xformRigid* x, const cmath_vect* p, cmath_vect* out);
/** out[i] = x(in[i]) for i < n, as cmath_xformRigid_mapPoint (arrays: see cmath_matrix_mapPoints). */
ORBMATH_API cmath_status cmath_xformRigid_mapPoints(const cmath_xformRigid* x, const cmath_vect* in, cmath_vect* out,
                                                    int32_t n);

/* ==== rigid, similarity, weighted and robust fits to point pairs ======================== */

/* Every fit takes destination[i] as the image of source[i], i = 0 .. n-1, and refuses with
 * cmath_errNullArgument (writing nothing) a null target, destination, source, weights or state.
 * With the sums over the pairs (p = source[i], q = destination[i], each term times its weight in
 * the weighted fits) formed in index order and centred by w = 1 / n (or 1 / the sum of weights),
 * A = Cqxpx + Cqypy and B = Cqypx - Cqxpy (the dot and cross sums of the centred pairs) and
 * P = Cxx + Cyy (the spread of the centred sources):
 *  - rigid: angle = atan2(B, A), cosine = cos(angle), sine = sin(angle); refused (cmath_errFailed)
 *    when A = B = 0 exactly or the angle or translation is not finite;
 *  - similarity: matrix (A/P, -(B/P), B/P, A/P); refused (cmath_errFailed) unless P > 1e-15 |A|
 *    and P > 1e-15 |B| (rejects coincident sources, NaN, an element reaching 1e15), or when the
 *    translation is not finite; coincident destinations give the matrix 0;
 *  - the translation is ((Sqx - e11 Sx - e12 Sy) w, (Sqy - e21 Sx - e22 Sy) w), as initPoints. */

struct csRandomUniform2; /* the random generator state, defined in stats.h */

/** target = the rotation and translation minimising sum |target(source[i]) - destination[i]|^2
 * (see above); cmath_errFailed when n < 2 or A = B = 0, target untouched. */
ORBMATH_API cmath_status cmath_xformRigid_initPoints(cmath_xformRigid* target, const cmath_vect* destination,
                                                     const cmath_vect* source, int32_t n);
/** target = the least-squares rigid fit as an affine transform: the matrix (cos, -sin, sin, cos)
 * of its angle, as cmath_xformRigid_getXformLinear gives it; fails as cmath_xformRigid_initPoints. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsRigid(cmath_xformLinear* target, const cmath_vect* destination,
                                                           const cmath_vect* source, int32_t n);
/** target = the rotation, one scale and translation minimising the squared distances (see
 * above); cmath_errFailed when n < 2 or the sources coincide (P test), target untouched. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsSimilarity(cmath_xformLinear* target,
                                                                const cmath_vect* destination,
                                                                const cmath_vect* source, int32_t n);
/** target = the affine transform minimising sum weights[i] |target(source[i]) - destination[i]|^2,
 * with initPoints' conditioning; a pair of weight 0 is left out; with every weight 1 the result is
 * initPoints', bit for bit. cmath_errFailed when n < 3; cmath_errOutOfDomain for a weight that is
 * negative, NaN or infinite; cmath_errFailed when fewer than 3 weights are positive or the fit is
 * ill-conditioned (checked in this order); target untouched on failure. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsWeighted(cmath_xformLinear* target,
                                                              const cmath_vect* destination, const cmath_vect* source,
                                                              const double* weights, int32_t n);
/** Weighted rigid fit into an affine transform; weights and failures as initPointsWeighted (at
 * least 2 positive weights) and cmath_xformRigid_initPoints; all weights 1 give the unweighted result. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsRigidWeighted(cmath_xformLinear* target,
                                                                   const cmath_vect* destination,
                                                                   const cmath_vect* source, const double* weights,
                                                                   int32_t n);
/** Weighted similarity fit; weights and failures as initPointsWeighted (at least 2 positive
 * weights) and initPointsSimilarity; all weights 1 give the unweighted result. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsSimilarityWeighted(cmath_xformLinear* target,
                                                                        const cmath_vect* destination,
                                                                        const cmath_vect* source,
                                                                        const double* weights, int32_t n);
/** Weighted rigid fit; weights and failures as initPointsWeighted (at least 2 positive weights)
 * and cmath_xformRigid_initPoints; all weights 1 give the unweighted result. */
ORBMATH_API cmath_status cmath_xformRigid_initPointsWeighted(cmath_xformRigid* target, const cmath_vect* destination,
                                                             const cmath_vect* source, const double* weights,
                                                             int32_t n);

/* The robust fits (random sample consensus). Each iteration draws a minimal sample of s distinct
 * pairs (s = 3 affine, 2 rigid and similarity) with s calls csRandomUniformNext2(state, 0, m),
 * m = n, n-1, n-2, each index the value truncated and moved past the indices already drawn (in
 * increasing order), and fits the sample exactly:
 *  - affine: u1 = p1 - p0, u2 = p2 - p0, v1 = q1 - q0, v2 = q2 - q0, det = u1.x u2.y - u1.y u2.x,
 *    r = 1/det, matrix ((v1.x u2.y - v2.x u1.y) r, (v2.x u1.x - v1.x u2.x) r,
 *    (v1.y u2.y - v2.y u1.y) r, (v2.y u1.x - v1.y u2.x) r), trans = q0 - matrix p0;
 *  - similarity: u = p1 - p0, v = q1 - q0, uu = u.u, a = (u.v)/uu, b = (u x v)/uu, matrix
 *    (a, -b, b, a), trans = q0 - matrix p0;
 *  - rigid: h = sqrt((u.v)^2 + (u x v)^2), c = (u.v)/h, s = (u x v)/h, matrix (c, -s, s, c),
 *    trans = (q0 + q1) 0.5 - matrix (p0 + p1) 0.5;
 * a sample with det, uu or h exactly 0 is skipped (it still counts as an iteration). Pair i is
 * an inlier of a model when d2 <= threshold * threshold, d2 = dx dx + dy dy with (dx, dy) =
 * (matrix source[i] + trans) - destination[i]. A model beats the best so far when it has more
 * inliers, or as many with a smaller sum of their d2 (in index order); on a full tie the earlier
 * sample stays; a best needs at least s inliers. After each new best with k inliers,
 * q = log(1 - confidence) / log(1 - (k/n)^s) (the power as repeated products) and, when
 * 0 <= q < the current limit, the limit (at first maxIterations) becomes ceil(q): confidence 1
 * always runs maxIterations iterations. Then F = the least-squares fit of the model (as
 * initPoints, initPointsRigid, initPointsSimilarity) to the best model's inliers; up to 4 times,
 * while F has more inliers than the set it was fitted to, F = the fit of F's inliers. The result
 * is F (a refit that is refused ends the refits); the mask (1 inlier, 0 not; optional, n
 * entries) and count (optional) handed back are the set F was fitted to.
 *
 * cmath_errNullArgument for a null target, destination, source or state; cmath_errOutOfDomain
 * when threshold is negative, NaN or infinite, maxIterations < 1, or confidence outside [0, 1];
 * cmath_errFailed when n < s, no sample reaches s inliers, or the first fit F is refused (checked
 * in this order). On every failure nothing is written, the state included; on success the state
 * has advanced by s draws per iteration. The outputs must not overlap the inputs. No allocation.
 * The same inputs and state give the same result on every build. */

/** Robust affine fit (see above); target, *state, inlierMask[0 .. n-1] and *inlierCount written
 * on success only. inlierMask and inlierCount may be null. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsRobust(cmath_xformLinear* target, const cmath_vect* destination,
                                                            const cmath_vect* source, int32_t n,
                                                            struct csRandomUniform2* state, double threshold,
                                                            int32_t maxIterations, double confidence,
                                                            int32_t* inlierMask, int32_t* inlierCount);
/** Robust rigid fit as an affine transform (see above); the final fit as initPointsRigid. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsRigidRobust(cmath_xformLinear* target,
                                                                 const cmath_vect* destination,
                                                                 const cmath_vect* source, int32_t n,
                                                                 struct csRandomUniform2* state, double threshold,
                                                                 int32_t maxIterations, double confidence,
                                                                 int32_t* inlierMask, int32_t* inlierCount);
/** Robust similarity fit (see above); the final fit as initPointsSimilarity. */
ORBMATH_API cmath_status cmath_xformLinear_initPointsSimilarityRobust(cmath_xformLinear* target,
                                                                      const cmath_vect* destination,
                                                                      const cmath_vect* source, int32_t n,
                                                                      struct csRandomUniform2* state,
                                                                      double threshold, int32_t maxIterations,
                                                                      double confidence, int32_t* inlierMask,
                                                                      int32_t* inlierCount);
/** Robust rigid fit (see above); the final fit as cmath_xformRigid_initPoints. */
ORBMATH_API cmath_status cmath_xformRigid_initPointsRobust(cmath_xformRigid* target, const cmath_vect* destination,
                                                           const cmath_vect* source, int32_t n,
                                                           struct csRandomUniform2* state, double threshold,
                                                           int32_t maxIterations, double confidence,
                                                           int32_t* inlierMask, int32_t* inlierCount);

/* ==== fixed-point vectors =============================================================== */

/** A 2D vector of 32-bit fixed-point integers (conventionally 4 fraction bits). */
typedef struct cmath_vectFixed31_4 {
    int32_t x; /**< horizontal component */
    int32_t y; /**< vertical component */
} cmath_vectFixed31_4;
/** A 3D vector of 64-bit fixed-point integers; each operation takes the fraction bits s (0..63).
 * Overflow is not detected: keep magnitudes and s small enough for the 64-bit products. */
typedef struct cmath_vect3Fixed64 {
    int64_t x; /**< first component */
    int64_t y; /**< second component */
    int64_t z; /**< third component */
} cmath_vect3Fixed64;

/** *out = atan2(y, x) of the integers converted to double. */
ORBMATH_API cmath_status cmath_vectFixed31_4_getAngle(const cmath_vectFixed31_4* v, cmath_radian* out);
/** target = (x, y, z). */
ORBMATH_API cmath_status cmath_vect3Fixed64_init(cmath_vect3Fixed64* target, int64_t x, int64_t y, int64_t z);
/** target = (0, 0, 0). */
ORBMATH_API cmath_status cmath_vect3Fixed64_initClear(cmath_vect3Fixed64* target);
/** *out = a x b with s fraction bits, each product shifted right by s before the subtraction;
 * out must be a different object from a and from b. */
ORBMATH_API cmath_status cmath_vect3Fixed64_cross(const cmath_vect3Fixed64* a, const cmath_vect3Fixed64* b, int32_t s,
                                                  cmath_vect3Fixed64* out);
/** *out = floor of the length with s fraction bits: isqrt(((x^2 >> s) + (y^2 >> s) + (z^2 >> s)) << s). */
ORBMATH_API cmath_status cmath_vect3Fixed64_getLength(const cmath_vect3Fixed64* v, int32_t s, uint64_t* out);
/** *out = v / length with s fraction bits, each component ((c << s) + length/2) / length truncated
 * toward zero; cmath_errDivideByZero when length is 0, *out untouched. The one unrepresentable
 * quotient (-2^63 / -1) saturates to INT64_MAX. */
ORBMATH_API cmath_status cmath_vect3Fixed64_getUnitFromLength(const cmath_vect3Fixed64* v, int64_t length, int32_t s,
                                                              cmath_vect3Fixed64* out);

/* ==== one-dimensional types ============================================================= */

/** A scalar position or displacement. */
typedef struct cmath_vect1 {
    double x; /**< the value */
} cmath_vect1;
/** A 1x1 matrix, that is a scale factor. */
typedef struct cmath_matrix1 {
    double e11; /**< the scale factor */
} cmath_matrix1;
/** The 1D affine map x -> matrix * x + trans (the product formed first). */
typedef struct cmath_xformLinear1 {
    cmath_vect1 trans;     /**< translation, added after the product */
    cmath_matrix1 matrix;  /**< scale factor */
} cmath_xformLinear1;

/** target = v. */
ORBMATH_API cmath_status cmath_vect1_init(cmath_vect1* target, double v);
/** target = 0. */
ORBMATH_API cmath_status cmath_vect1_initClear(cmath_vect1* target);
/** target = 0; same as initClear. */
ORBMATH_API cmath_status cmath_vect1_reset(cmath_vect1* target);
/** target = a + b. */
ORBMATH_API cmath_status cmath_vect1_initAdd(cmath_vect1* target, const cmath_vect1* a, const cmath_vect1* b);
/** target = a - b. */
ORBMATH_API cmath_status cmath_vect1_initSubtract(cmath_vect1* target, const cmath_vect1* a, const cmath_vect1* b);
/** target = s * a. */
ORBMATH_API cmath_status cmath_vect1_initScale(cmath_vect1* target, const cmath_vect1* a, double s);
/** *out = 1 when a and b are exactly equal, else 0. */
ORBMATH_API cmath_status cmath_vect1_compareEqual(const cmath_vect1* a, const cmath_vect1* b, int32_t* out);

/** target = 1. */
ORBMATH_API cmath_status cmath_matrix1_initIdentity(cmath_matrix1* target);
/** target = 1; same as initIdentity. */
ORBMATH_API cmath_status cmath_matrix1_reset(cmath_matrix1* target);
/** target = 1; same as initIdentity. */
ORBMATH_API cmath_status cmath_matrix1_setToIdentity(cmath_matrix1* target);
/** target = a + b. */
ORBMATH_API cmath_status cmath_matrix1_initAdd(cmath_matrix1* target, const cmath_matrix1* a, const cmath_matrix1* b);
/** target = a - b. */
ORBMATH_API cmath_status cmath_matrix1_initSubtract(cmath_matrix1* target, const cmath_matrix1* a,
                                                    const cmath_matrix1* b);
/** target = a * b. */
ORBMATH_API cmath_status cmath_matrix1_initMultiply(cmath_matrix1* target, const cmath_matrix1* a,
                                                    const cmath_matrix1* b);
/** target = target * s, in place. */
ORBMATH_API cmath_status cmath_matrix1_scale(cmath_matrix1* target, double s);
/** *out = m * v. */
ORBMATH_API cmath_status cmath_matrix1_multv(const cmath_matrix1* m, const cmath_vect1* v, cmath_vect1* out);
/** *out = m (the determinant of a 1x1 matrix). */
ORBMATH_API cmath_status cmath_matrix1_determinant(const cmath_matrix1* m, double* out);
/** *out = m (a copy). */
ORBMATH_API cmath_status cmath_matrix1_transpose(const cmath_matrix1* m, cmath_matrix1* out);
/** *out = 1 / m; cmath_errSingular when m is exactly 0, *out untouched. */
ORBMATH_API cmath_status cmath_matrix1_getInverse(const cmath_matrix1* m, cmath_matrix1* out);
/** *out = 1 when a and b are exactly equal, else 0. */
ORBMATH_API cmath_status cmath_matrix1_compareEqual(const cmath_matrix1* a, const cmath_matrix1* b, int32_t* out);

/** target = identity: trans 0, matrix 1. */
ORBMATH_API cmath_status cmath_xformLinear1_initIdentity(cmath_xformLinear1* target);
/** target = identity; same as initIdentity. */
ORBMATH_API cmath_status cmath_xformLinear1_reset(cmath_xformLinear1* target);
/** target = (matrix m, trans t). */
ORBMATH_API cmath_status cmath_xformLinear1_initMatrixTrans(cmath_xformLinear1* target, const cmath_matrix1* m,
                                                            const cmath_vect1* t);
/** target = (matrix m, trans t). */
ORBMATH_API cmath_status cmath_xformLinear1_initMatrixTransElements(cmath_xformLinear1* target, double m, double t);
/** target = a o b (b first): trans = b.trans * a.matrix + a.trans, matrix = b.matrix * a.matrix. */
ORBMATH_API cmath_status cmath_xformLinear1_initCompose(cmath_xformLinear1* target, const cmath_xformLinear1* a,
                                                        const cmath_xformLinear1* b);
/** target = x^-1: r = 1 / x.matrix, matrix r, trans -(r * x.trans); cmath_errSingular when
 * x.matrix is exactly 0, target untouched. */
ORBMATH_API cmath_status cmath_xformLinear1_initInverse(cmath_xformLinear1* target, const cmath_xformLinear1* x);
/** *out = matrix * p + trans. */
ORBMATH_API cmath_status cmath_xformLinear1_mapPoint(const cmath_xformLinear1* x, const cmath_vect1* p,
                                                     cmath_vect1* out);
/** *out = v * matrix + trans. */
ORBMATH_API cmath_status cmath_xformLinear1_mapValue(const cmath_xformLinear1* x, double v, double* out);
/** out[i] = in[i] * matrix + trans for i < n, as cmath_xformLinear1_mapValue (arrays: see
 * cmath_matrix_mapPoints). */
ORBMATH_API cmath_status cmath_xformLinear1_mapValues(const cmath_xformLinear1* x, const double* in, double* out,
                                                      int32_t n);
/** *out = matrix * v. */
ORBMATH_API cmath_status cmath_xformLinear1_mapVector(const cmath_xformLinear1* x, const cmath_vect1* v,
                                                      cmath_vect1* out);
/** *out = (p - trans) / matrix; cmath_errSingular when matrix is exactly 0, *out untouched. */
ORBMATH_API cmath_status cmath_xformLinear1_invMapPoint(const cmath_xformLinear1* x, const cmath_vect1* p,
                                                        cmath_vect1* out);
/** *out = v / matrix; cmath_errSingular when matrix is exactly 0, *out untouched. */
ORBMATH_API cmath_status cmath_xformLinear1_invMapVector(const cmath_xformLinear1* x, const cmath_vect1* v,
                                                         cmath_vect1* out);
/** *out = 1 when matrix and trans are both exactly equal, else 0. */
ORBMATH_API cmath_status cmath_xformLinear1_compareEqual(const cmath_xformLinear1* a, const cmath_xformLinear1* b,
                                                         int32_t* out);

ORBMATH_C_END

#endif
