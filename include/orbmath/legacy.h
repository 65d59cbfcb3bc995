/** @file
 * orbmath legacy geometry: vectors, 2x2 matrices, affine transforms (Xform) and similarity
 * transforms (Rform) in a single-precision (csF...) and a double-precision (csD...) edition.
 *
 * This interface does not use status codes (except the array mappings csFXformMapPts and
 * csDXformMapPts): results come back as return values, no input is tested and nothing fails.
 * Singular matrices give IEEE infinities or NaNs. Operations that produce
 * a structure take the result's address last and return it; constructors take the object first and
 * return it. Every operation gives the same result when its output is one of its inputs.
 * The float edition computes in single precision except where a line says otherwise.
 * Every function here returns its value directly; a pointer it takes must not be null (a
 * precondition, not checked). */
#ifndef ORBMATH_LEGACY_H
#define ORBMATH_LEGACY_H

#include "common.h"

ORBMATH_C_BEGIN

/** A 2D vector in single precision. */
typedef struct csFVec {
    float x; /**< horizontal component */
    float y; /**< vertical component */
} csFVec;
/** A 2D vector in double precision. */
typedef struct csDVec {
    double x; /**< horizontal component */
    double y; /**< vertical component */
} csDVec;
/** A 2x2 matrix in single precision, row-major, acting on column vectors. */
typedef struct csFMatrix {
    float e11; /**< row 1, column 1 */
    float e12; /**< row 1, column 2 */
    float e21; /**< row 2, column 1 */
    float e22; /**< row 2, column 2 */
} csFMatrix;
/** A 2x2 matrix in double precision, row-major, acting on column vectors. */
typedef struct csDMatrix {
    double e11; /**< row 1, column 1 */
    double e12; /**< row 1, column 2 */
    double e21; /**< row 2, column 1 */
    double e22; /**< row 2, column 2 */
} csDMatrix;
/** Affine transform in single precision: p maps to matrix * p + trans. */
typedef struct csFXform {
    csFVec trans;     /**< translation */
    csFMatrix matrix; /**< linear part */
} csFXform;
/** Affine transform in double precision: p maps to matrix * p + trans. */
typedef struct csDXform {
    csDVec trans;     /**< translation */
    csDMatrix matrix; /**< linear part */
} csDXform;
/** Similarity transform in single precision: ab = (a, b) stands for the matrix (a, b; -b, a);
 * p maps to (a*p.x + b*p.y + x, -b*p.x + a*p.y + y). */
typedef struct csFRform {
    csFVec trans; /**< translation (x, y) */
    csFVec ab;    /**< the pair (a, b) */
} csFRform;
/** Similarity transform in double precision, laid out as csFRform. */
typedef struct csDRform {
    csDVec trans; /**< translation (x, y) */
    csDVec ab;    /**< the pair (a, b) */
} csDRform;

ORBMATH_API extern const csFVec csFVecNull;   /**< (0, 0) */
ORBMATH_API extern const csFVec csFVecUnitX;  /**< (1, 0) */
ORBMATH_API extern const csFVec csFVecUnitY;  /**< (0, 1) */
ORBMATH_API extern const csDVec csDVecNull;   /**< (0, 0) */
ORBMATH_API extern const csDVec csDVecUnitX;  /**< (1, 0) */
ORBMATH_API extern const csDVec csDVecUnitY;  /**< (0, 1) */
ORBMATH_API extern const csFMatrix csFMatrixI; /**< the identity matrix */
ORBMATH_API extern const csDMatrix csDMatrixI; /**< the identity matrix */
ORBMATH_API extern const csFXform csFXformI;   /**< the identity transform */
ORBMATH_API extern const csDXform csDXformI;   /**< the identity transform */
ORBMATH_API extern const csFRform csFRformI;   /**< the identity transform: a = 1, b = 0, (0, 0) */
ORBMATH_API extern const csDRform csDRformI;   /**< the identity transform: a = 1, b = 0, (0, 0) */

/* ---- vectors ------------------------------------------------------------------------- */

/** v = (x, y); returns v. */
ORBMATH_API csFVec* csFVecCT(csFVec* v, float x, float y);
/** v->x. */
ORBMATH_API float csFVecX(const csFVec* v);
/** v->y. */
ORBMATH_API float csFVecY(const csFVec* v);
/** out = a + b; returns out. */
ORBMATH_API csFVec* csFVecAdd(const csFVec* a, const csFVec* b, csFVec* out);
/** out = a - b; returns out. */
ORBMATH_API csFVec* csFVecSub(const csFVec* a, const csFVec* b, csFVec* out);
/** out = (s*v.x, s*v.y); returns out. */
ORBMATH_API csFVec* csFVecScale(const csFVec* v, float s, csFVec* out);
/** a.x*b.x + a.y*b.y. */
ORBMATH_API float csFVecDot(const csFVec* a, const csFVec* b);
/** a.x*b.y - a.y*b.x. */
ORBMATH_API float csFVecCross(const csFVec* a, const csFVec* b);
/** sqrt(x^2 + y^2), single-precision square root. */
ORBMATH_API float csFVecLen(const csFVec* v);
/** atan2(y, x) in radians, single-precision atan2. */
ORBMATH_API float csFVecAng(const csFVec* v);
/** out = v * (1/length); the zero vector gives (0, 0). Returns out. */
ORBMATH_API csFVec* csFVecUnit(const csFVec* v, csFVec* out);
/** out = (-y, x), v rotated by +90 degrees. Returns out. */
ORBMATH_API csFVec* csFVecPerp(const csFVec* v, csFVec* out);
/** out = (y, x), the coordinates exchanged (not a rotation). Returns out. */
ORBMATH_API csFVec* csFVecTranspose(const csFVec* v, csFVec* out);

/* ---- matrices ------------------------------------------------------------------------ */

/** m = (e11, e12, e21, e22); returns m. */
ORBMATH_API csFMatrix* csFMatrixCT(csFMatrix* m, float e11, float e12, float e21, float e22);
/** e11*e22 - e12*e21. */
ORBMATH_API float csFMatrixDet(const csFMatrix* m);
/** out = A*B (B applied first); returns out. */
ORBMATH_API csFMatrix* csFMatrixMul(const csFMatrix* A, const csFMatrix* B, csFMatrix* out);
/** out = (e22*r, -(r*e12), -(r*e21), e11*r) with r = 1/det; returns out. */
ORBMATH_API csFMatrix* csFMatrixInv(const csFMatrix* m, csFMatrix* out);
/** out = m*v; returns out. */
ORBMATH_API csFVec* csFMatrixVecMul(const csFMatrix* m, const csFVec* v, csFVec* out);
/** out = ((v.x*e22 - v.y*e12)*r, (v.y*e11 - v.x*e21)*r) with r = 1/det; returns out. */
ORBMATH_API csFVec* csFMatrixVecInv(const csFMatrix* m, const csFVec* v, csFVec* out);
/** out = (e21, e22, e11, e12): the rows exchanged (not the matrix transpose). Returns out. */
ORBMATH_API csFMatrix* csFMatrixTranspose(const csFMatrix* m, csFMatrix* out);
/** atan2(e21, e11): components widened to double, double atan2, result rounded to float. */
ORBMATH_API float csFMatrixAng(const csFMatrix* m);
/** sqrt(e11^2 + e21^2), the scale of the image of the x axis. */
ORBMATH_API float csFMatrixScale(const csFMatrix* m);
/** det / (e21^2 + e11^2). */
ORBMATH_API float csFMatrixAspect(const csFMatrix* m);
/** atan((e11*e12 + e21*e22) / det), single-precision atan of the single-precision ratio. */
ORBMATH_API float csFMatrixSkew(const csFMatrix* m);

/* ---- affine transforms --------------------------------------------------------------- */

/** X = {translation, matrix}; returns X. */
ORBMATH_API csFXform* csFXformCT(csFXform* X, const csFMatrix* matrix, const csFVec* translation);
/** X = {(x, y), (e11, e12, e21, e22)}; returns X. */
ORBMATH_API csFXform* csFXformElemCT(csFXform* X, float e11, float e12, float e21, float e22, float x,
                                     float y);
/** out = matrix*p + translation; returns out. */
ORBMATH_API csFVec* csFXformMapPt(const csFXform* X, const csFVec* p, csFVec* out);
/** out[i] = csFXformMapPt of in[i] for i < n, bit for bit. Unlike the rest of this interface it
 * returns a status, with the array rules of cmath_matrix_mapPoints (geometry.h): out may be in
 * itself; other overlap cmath_errFailed, n < 0 cmath_errNegativeCount, a null X or array (n > 0)
 * cmath_errNullArgument, nothing written then. */
ORBMATH_API cmath_status csFXformMapPts(const csFXform* X, const csFVec* in, csFVec* out, int32_t n);
/** out = matrix*v; returns out. */
ORBMATH_API csFVec* csFXformMapVec(const csFXform* X, const csFVec* v, csFVec* out);
/** out = matrix^-1 * (p - translation), as csFMatrixVecInv; returns out. */
ORBMATH_API csFVec* csFXformInvMapPt(const csFXform* X, const csFVec* p, csFVec* out);
/** out = matrix^-1 * v, as csFMatrixVecInv; returns out. */
ORBMATH_API csFVec* csFXformInvMapVec(const csFXform* X, const csFVec* v, csFVec* out);
/** out = A o B (B applied first): trans = A.matrix*B.trans + A.trans, matrix = A.matrix*B.matrix. */
ORBMATH_API csFXform* csFXformCompose(const csFXform* A, const csFXform* B, csFXform* out);
/** out = X^-1: matrix as csFMatrixInv, translation = -(new matrix * old translation). */
ORBMATH_API csFXform* csFXformInv(const csFXform* X, csFXform* out);
/** out: matrix rows exchanged and translation components exchanged (x and y swapped after X). */
ORBMATH_API csFXform* csFXformTranspose(const csFXform* X, csFXform* out);
/** The address of X's matrix (nothing is computed). */
ORBMATH_API csFMatrix* csFXformJacob(csFXform* X);
/** The address of X's translation, the image of the origin (nothing is computed). */
ORBMATH_API csFVec* csFXformMapOrg(csFXform* X);
/** csFMatrixAng of X's matrix. */
ORBMATH_API float csFXformAng(const csFXform* X);
/** csFMatrixScale of X's matrix. */
ORBMATH_API float csFXformScale(const csFXform* X);
/** csFMatrixAspect of X's matrix. */
ORBMATH_API float csFXformAspect(const csFXform* X);
/** csFMatrixSkew of X's matrix. */
ORBMATH_API float csFXformSkew(const csFXform* X);

/* ---- similarity transforms ----------------------------------------------------------- */

/** R = {translation, (a, b) = (ab.x, ab.y)}; returns R. */
ORBMATH_API csFRform* csFRformCT(csFRform* R, const csFVec* ab, const csFVec* translation);
/** R = {(x, y), (a, b)}; returns R. */
ORBMATH_API csFRform* csFRformElemCT(csFRform* R, float a, float b, float x, float y);
/** out = (a*p.x + b*p.y + x, a*p.y - b*p.x + y); returns out. */
ORBMATH_API csFVec* csFRformMapPt(const csFRform* R, const csFVec* p, csFVec* out);
/** out = (a*v.x + b*v.y, a*v.y - b*v.x); returns out. */
ORBMATH_API csFVec* csFRformMapVec(const csFRform* R, const csFVec* v, csFVec* out);
/** d = p - translation, w = 1/(a^2 + b^2): out = ((d.x*a - d.y*b)*w, (d.y*a + d.x*b)*w). */
ORBMATH_API csFVec* csFRformInvMapPt(const csFRform* R, const csFVec* p, csFVec* out);
/** w = 1/(a^2 + b^2): out = ((v.x*a - v.y*b)*w, (v.y*a + v.x*b)*w). */
ORBMATH_API csFVec* csFRformInvMapVec(const csFRform* R, const csFVec* v, csFVec* out);
/** out = A o B (B applied first). */
ORBMATH_API csFRform* csFRformCompose(const csFRform* A, const csFRform* B, csFRform* out);
/** out = R^-1: w = 1/(a^2 + b^2), a' = w*a, b' = -(w*b), x' = -(x*a' + y*b'), y' = x*b' - y*a'. */
ORBMATH_API csFRform* csFRformInv(const csFRform* R, csFRform* out);
/** The address of R's (a, b) pair (nothing is computed). */
ORBMATH_API csFVec* csFRformJacob(csFRform* R);
/** The address of R's translation (nothing is computed). */
ORBMATH_API csFVec* csFRformMapOrg(csFRform* R);
/** atan2(-b, a), single-precision atan2. */
ORBMATH_API float csFRformAng(const csFRform* R);
/** sqrt(a^2 + b^2). */
ORBMATH_API float csFRformScale(const csFRform* R);

/* ---- the double edition: the same operations in double precision throughout ---------- */

/** As csFVecCT, in double precision. */
ORBMATH_API csDVec* csDVecCT(csDVec* v, double x, double y);
/** As csFVecX, in double precision. */
ORBMATH_API double csDVecX(const csDVec* v);
/** As csFVecY, in double precision. */
ORBMATH_API double csDVecY(const csDVec* v);
/** As csFVecAdd, in double precision. */
ORBMATH_API csDVec* csDVecAdd(const csDVec* a, const csDVec* b, csDVec* out);
/** As csFVecSub, in double precision. */
ORBMATH_API csDVec* csDVecSub(const csDVec* a, const csDVec* b, csDVec* out);
/** As csFVecScale, in double precision. */
ORBMATH_API csDVec* csDVecScale(const csDVec* v, double s, csDVec* out);
/** As csFVecDot, in double precision. */
ORBMATH_API double csDVecDot(const csDVec* a, const csDVec* b);
/** As csFVecCross, in double precision. */
ORBMATH_API double csDVecCross(const csDVec* a, const csDVec* b);
/** As csFVecLen, in double precision. */
ORBMATH_API double csDVecLen(const csDVec* v);
/** As csFVecAng, in double precision. */
ORBMATH_API double csDVecAng(const csDVec* v);
/** As csFVecUnit, in double precision. */
ORBMATH_API csDVec* csDVecUnit(const csDVec* v, csDVec* out);
/** As csFVecPerp, in double precision. */
ORBMATH_API csDVec* csDVecPerp(const csDVec* v, csDVec* out);
/** As csFVecTranspose, in double precision. */
ORBMATH_API csDVec* csDVecTranspose(const csDVec* v, csDVec* out);

/** As csFMatrixCT, in double precision. */
ORBMATH_API csDMatrix* csDMatrixCT(csDMatrix* m, double e11, double e12, double e21, double e22);
/** As csFMatrixDet, in double precision. */
ORBMATH_API double csDMatrixDet(const csDMatrix* m);
/** As csFMatrixMul, in double precision. */
ORBMATH_API csDMatrix* csDMatrixMul(const csDMatrix* A, const csDMatrix* B, csDMatrix* out);
/** As csFMatrixInv, in double precision. */
ORBMATH_API csDMatrix* csDMatrixInv(const csDMatrix* m, csDMatrix* out);
/** As csFMatrixVecMul, in double precision. */
ORBMATH_API csDVec* csDMatrixVecMul(const csDMatrix* m, const csDVec* v, csDVec* out);
/** As csFMatrixVecInv, in double precision. */
ORBMATH_API csDVec* csDMatrixVecInv(const csDMatrix* m, const csDVec* v, csDVec* out);
/** As csFMatrixTranspose, in double precision. */
ORBMATH_API csDMatrix* csDMatrixTranspose(const csDMatrix* m, csDMatrix* out);
/** As csFMatrixAng, in double precision. */
ORBMATH_API double csDMatrixAng(const csDMatrix* m);
/** As csFMatrixScale, in double precision. */
ORBMATH_API double csDMatrixScale(const csDMatrix* m);
/** As csFMatrixAspect, in double precision. */
ORBMATH_API double csDMatrixAspect(const csDMatrix* m);
/** As csFMatrixSkew, in double precision. */
ORBMATH_API double csDMatrixSkew(const csDMatrix* m);

/** As csFXformCT, in double precision. */
ORBMATH_API csDXform* csDXformCT(csDXform* X, const csDMatrix* matrix, const csDVec* translation);
/** As csFXformElemCT, in double precision. */
ORBMATH_API csDXform* csDXformElemCT(csDXform* X, double e11, double e12, double e21, double e22, double x,
                                     double y);
/** As csFXformMapPt, in double precision. */
ORBMATH_API csDVec* csDXformMapPt(const csDXform* X, const csDVec* p, csDVec* out);
/** As csFXformMapPts, in double precision. */
ORBMATH_API cmath_status csDXformMapPts(const csDXform* X, const csDVec* in, csDVec* out, int32_t n);
/** As csFXformMapVec, in double precision. */
ORBMATH_API csDVec* csDXformMapVec(const csDXform* X, const csDVec* v, csDVec* out);
/** As csFXformInvMapPt, in double precision. */
ORBMATH_API csDVec* csDXformInvMapPt(const csDXform* X, const csDVec* p, csDVec* out);
/** As csFXformInvMapVec, in double precision. */
ORBMATH_API csDVec* csDXformInvMapVec(const csDXform* X, const csDVec* v, csDVec* out);
/** As csFXformCompose, in double precision. */
ORBMATH_API csDXform* csDXformCompose(const csDXform* A, const csDXform* B, csDXform* out);
/** As csFXformInv, in double precision. */
ORBMATH_API csDXform* csDXformInv(const csDXform* X, csDXform* out);
/** As csFXformTranspose, in double precision. */
ORBMATH_API csDXform* csDXformTranspose(const csDXform* X, csDXform* out);
/** As csFXformJacob, in double precision. */
ORBMATH_API csDMatrix* csDXformJacob(csDXform* X);
/** As csFXformMapOrg, in double precision. */
ORBMATH_API csDVec* csDXformMapOrg(csDXform* X);
/** As csFXformAng, in double precision. */
ORBMATH_API double csDXformAng(const csDXform* X);
/** As csFXformScale, in double precision. */
ORBMATH_API double csDXformScale(const csDXform* X);
/** As csFXformAspect, in double precision. */
ORBMATH_API double csDXformAspect(const csDXform* X);
/** As csFXformSkew, in double precision. */
ORBMATH_API double csDXformSkew(const csDXform* X);

/** As csFRformCT, in double precision. */
ORBMATH_API csDRform* csDRformCT(csDRform* R, const csDVec* ab, const csDVec* translation);
/** As csFRformElemCT, in double precision. */
ORBMATH_API csDRform* csDRformElemCT(csDRform* R, double a, double b, double x, double y);
/** As csFRformMapPt, in double precision. */
ORBMATH_API csDVec* csDRformMapPt(const csDRform* R, const csDVec* p, csDVec* out);
/** As csFRformMapVec, in double precision. */
ORBMATH_API csDVec* csDRformMapVec(const csDRform* R, const csDVec* v, csDVec* out);
/** As csFRformInvMapPt, in double precision. */
ORBMATH_API csDVec* csDRformInvMapPt(const csDRform* R, const csDVec* p, csDVec* out);
/** As csFRformInvMapVec, in double precision. */
ORBMATH_API csDVec* csDRformInvMapVec(const csDRform* R, const csDVec* v, csDVec* out);
/** As csFRformCompose, in double precision. */
ORBMATH_API csDRform* csDRformCompose(const csDRform* A, const csDRform* B, csDRform* out);
/** As csFRformInv, in double precision. */
ORBMATH_API csDRform* csDRformInv(const csDRform* R, csDRform* out);
/** As csFRformJacob, in double precision. */
ORBMATH_API csDVec* csDRformJacob(csDRform* R);
/** As csFRformMapOrg, in double precision. */
ORBMATH_API csDVec* csDRformMapOrg(csDRform* R);
/** As csFRformAng, in double precision. */
ORBMATH_API double csDRformAng(const csDRform* R);
/** As csFRformScale, in double precision. */
ORBMATH_API double csDRformScale(const csDRform* R);

ORBMATH_C_END

#endif
