/** @file
 * orbmath statistics: running statistics (cmath_statistics and the legacy csStats2), weighted
 * averagers of matrices and linear transforms, the reproducible uniform generator and Monte Carlo sampler, and the chi-squared goodness-of-fit
 * test with its distribution and log-gamma functions.
 *
 * The cmath_ functions follow the flat calling frame: they return a cmath_status, take their
 * inputs first and write results through trailing out-pointers, and write nothing on failure.
 * The legacy cs functions and the sampler return their values directly and never fail.
 *
 * Null pointers: every function here that returns a cmath_status refuses a null pointer argument
 * with cmath_errNullArgument and writes nothing, unless its line below gives null a meaning. The legacy
 * functions and the sampler take non-null pointers as a precondition (not checked), except where
 * a line below says what a null one does. */
#ifndef ORBMATH_STATS_H
#define ORBMATH_STATS_H

#include "common.h"
#include "geometry.h"
#include "vect.h"

#include <stdarg.h>

ORBMATH_C_BEGIN

/* ==== running statistics ============================================================== */

/** Running sums of a stream of doubles. The empty state has n = 0, zero sums, minimum the
 * largest finite double and maximum its negative, so the first value becomes both. */
typedef struct cmath_statistics {
    int32_t n;         /**< number of values added */
    double sum;        /**< sum of the values */
    double sumSquares; /**< sum of their squares */
    double minimum;    /**< smallest value */
    double maximum;    /**< largest value */
} cmath_statistics;

/** Sets the empty state. */
ORBMATH_API cmath_status cmath_statistics_init(cmath_statistics* target);
/** Sets the empty state; the same as cmath_statistics_init. */
ORBMATH_API cmath_status cmath_statistics_initClear(cmath_statistics* target);
/** Empty state, then adds values[0 .. count-1]; count < 0 gives cmath_errNegativeCount and
 * leaves target as it was (not cleared). values may be null when count <= 0. */
ORBMATH_API cmath_status cmath_statistics_initValues(cmath_statistics* target, const double* values, int32_t count);
/** Adds one value: n + 1, sum + x, sumSquares + x*x; x becomes the minimum unless x >= minimum
 * and the maximum when x > maximum (so a NaN is taken as minimum, never as maximum). */
ORBMATH_API cmath_status cmath_statistics_add(cmath_statistics* target, double value);
/** Adds values[0 .. count-1] in order, bit-identical to adding them one by one. count < 0 gives
 * cmath_errNegativeCount; count = 0 succeeds without reading values (which may then be null).
 * Target untouched then. */
ORBMATH_API cmath_status cmath_statistics_addValues(cmath_statistics* target, const double* values, int32_t count);
/** Merges source into target (counts and sums added, extremes combined); source may be target. */
ORBMATH_API cmath_status cmath_statistics_addStatistics(cmath_statistics* target, const cmath_statistics* source);
/** Copies all five fields. */
ORBMATH_API cmath_status cmath_statistics_assign(cmath_statistics* target, const cmath_statistics* source);
/** *out = n; succeeds also when empty. */
ORBMATH_API cmath_status cmath_statistics_getN(const cmath_statistics* s, int32_t* out);
/* The getters below return cmath_errNoValues and write nothing when n = 0. */
/** *out = sum; cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getSum(const cmath_statistics* s, double* out);
/** *out = sumSquares; cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getSumSquares(const cmath_statistics* s, double* out);
/** *out = minimum; cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getMinimum(const cmath_statistics* s, double* out);
/** *out = maximum; cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getMaximum(const cmath_statistics* s, double* out);
/** *out = sum / n; cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getMean(const cmath_statistics* s, double* out);
/** Sample variance (sumSquares - (sum/n)*sum) / (n - 1), negative rounding clamped to 0.0
 * (a NaN is passed on); 0.0 for n = 1; cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getVariance(const cmath_statistics* s, double* out);
/** Square root of the clamped sample variance; 0.0 for n = 1; cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getStdDev(const cmath_statistics* s, double* out);
/** Root mean square sqrt(sumSquares / n); cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getRMS(const cmath_statistics* s, double* out);
/** Mean, standard deviation and RMS in one pass through r = 1/n (so the last bits may differ
 * from the single getters); each out-pointer may be null and is then skipped. cmath_errNoValues
 * when empty. */
ORBMATH_API cmath_status cmath_statistics_getMeanStdDevRms(const cmath_statistics* s, double* mean,
                                                          double* stdDev, double* rms);
/** Largest magnitude max(-minimum, maximum) and the RMS; each out-pointer may be null.
 * cmath_errNoValues when empty. */
ORBMATH_API cmath_status cmath_statistics_getAbsExtremeAndRMS(const cmath_statistics* s, double* absExtreme,
                                                             double* rms);

/** The legacy accumulator: as cmath_statistics plus the last value added and an outlier count
 * that only the sampler (randomSample2) changes. Its functions never fail. */
typedef struct csStats2 {
    uint32_t n;        /**< number of values added */
    double last;       /**< the last value added */
    double sum;        /**< sum of the values */
    double sumSquares; /**< sum of their squares */
    double minimum;    /**< smallest value */
    double maximum;    /**< largest value */
    uint32_t outliers; /**< outliers counted by the sampler */
} csStats2;

/** Sets the reset state (outliers included). */
ORBMATH_API void csStats2Reset(csStats2* s);
/** Adds one value as cmath_statistics_add does and stores it in last. */
ORBMATH_API void csStats2Add(csStats2* s, double value);
/** The number of values. */
ORBMATH_API uint32_t csStats2N(const csStats2* s);
/** The sum, unchecked (0.0 when empty). */
ORBMATH_API double csStats2Sum(const csStats2* s);
/** The minimum, unchecked (the largest finite double when empty). */
ORBMATH_API double csStats2Min(const csStats2* s);
/** The maximum, unchecked (the most negative finite double when empty). */
ORBMATH_API double csStats2Max(const csStats2* s);
/** sum / n, or 0.0 when empty. */
ORBMATH_API double csStats2Mean(const csStats2* s);
/** The sample variance without clamping (may be slightly negative); 0.0 when n <= 1. */
ORBMATH_API double csStats2Variance(const csStats2* s);
/** sqrt of csStats2Variance (NaN when that is negative); 0.0 when n <= 1. */
ORBMATH_API double csStats2StdDev(const csStats2* s);

/* ==== averagers ======================================================================== */

/** The two modes of an averager. */
#define cmath_matrixAverager_modeElement     0 /**< element by element */
#define cmath_matrixAverager_modeScaleAspect 1 /**< scale, aspect, shear and rotation */

/** Weighted average of 2x2 matrices. Element mode uses count, totalWeight and elementSum; the
 * scale-aspect mode decomposes each matrix (cmath_matrix_getScale, getAspect, getShear,
 * getRotation) and keeps geometric means of scale and |aspect|, the arithmetic mean of the
 * shear, a circular mean of the rotation and the weighted sign vote of the aspect. */
typedef struct cmath_matrixAverager {
    int32_t mode;            /**< cmath_matrixAverager_modeElement or _modeScaleAspect */
    int32_t count;           /**< contributions taken */
    double totalWeight;      /**< sum of w */
    double shearSum;         /**< sum of w * shear */
    cmath_vect rotationSum;  /**< sum of w * (cos theta, sin theta) */
    double scaleProduct;     /**< product of scale^w */
    double aspectProduct;    /**< product of |aspect|^w */
    double aspectSignSum;    /**< sum of +w (aspect >= 0) or -w */
    cmath_matrix elementSum; /**< sum of w * M */
} cmath_matrixAverager;

/** Weighted average of linear transforms: the matrix part as above, the translation always
 * element-wise. The matrix averager functions work on `base` directly. */
typedef struct cmath_xformLinearAverager {
    cmath_matrixAverager base; /**< the averager of the matrix parts */
    cmath_vect translationSum; /**< sum of w * t */
} cmath_xformLinearAverager;

/** An empty averager in element mode. */
ORBMATH_API cmath_status cmath_matrixAverager_constructElement(cmath_matrixAverager* target);
/** An empty averager in scale-aspect mode. */
ORBMATH_API cmath_status cmath_matrixAverager_constructScaleAspect(cmath_matrixAverager* target);
/** A copy of source, mode included. */
ORBMATH_API cmath_status cmath_matrixAverager_constructCopy(cmath_matrixAverager* target,
                                                            const cmath_matrixAverager* source);
/** Copies every field of source. */
ORBMATH_API cmath_status cmath_matrixAverager_assign(cmath_matrixAverager* target, const cmath_matrixAverager* source);
/** Nothing to release; returns 0. */
ORBMATH_API cmath_status cmath_matrixAverager_destruct(cmath_matrixAverager* target);
/** addWeighted with weight 1.0. */
ORBMATH_API cmath_status cmath_matrixAverager_add(cmath_matrixAverager* averager, const cmath_matrix* m);
/** Adds m with weight w (not checked: 0 and negative weights are taken). In scale-aspect mode a
 * matrix whose decomposition fails (determinant 0: cmath_errSingular) changes nothing. */
ORBMATH_API cmath_status cmath_matrixAverager_addWeighted(cmath_matrixAverager* averager, const cmath_matrix* m,
                                                          double weight);
/** Writes the average and, when isValid is not null, 1 or 0: 0 when the average is singular,
 * when the rotations cancel exactly (rotation 0 used) or when the aspects had mixed signs
 * (aspect 1 used). No contribution or a total weight of exactly 0: cmath_errSingular, nothing
 * written. */
ORBMATH_API cmath_status cmath_matrixAverager_getAverage(const cmath_matrixAverager* averager, cmath_matrix* out,
                                                         int32_t* isValid);

/* The same for transforms; the translation is added as w * t only when the matrix was taken,
 * and averaged as translationSum / totalWeight. */
/** An empty transform averager in element mode. */
ORBMATH_API cmath_status cmath_xformLinearAverager_constructElement(cmath_xformLinearAverager* target);
/** An empty transform averager in scale-aspect mode. */
ORBMATH_API cmath_status cmath_xformLinearAverager_constructScaleAspect(cmath_xformLinearAverager* target);
/** A copy of source, mode included. */
ORBMATH_API cmath_status cmath_xformLinearAverager_constructCopy(cmath_xformLinearAverager* target,
                                                                 const cmath_xformLinearAverager* source);
/** Copies every field of source. */
ORBMATH_API cmath_status cmath_xformLinearAverager_assign(cmath_xformLinearAverager* target,
                                                          const cmath_xformLinearAverager* source);
/** Nothing to release; returns 0. */
ORBMATH_API cmath_status cmath_xformLinearAverager_destruct(cmath_xformLinearAverager* target);
/** addWeighted with weight 1.0. */
ORBMATH_API cmath_status cmath_xformLinearAverager_add(cmath_xformLinearAverager* averager, const cmath_xformLinear* x);
/** Adds x's matrix as cmath_matrixAverager_addWeighted and, when the matrix was taken, w * x's translation. */
ORBMATH_API cmath_status cmath_xformLinearAverager_addWeighted(cmath_xformLinearAverager* averager,
                                                               const cmath_xformLinear* x, double weight);
/** Writes the average transform; fails as cmath_matrixAverager_getAverage, writing nothing. */
ORBMATH_API cmath_status cmath_xformLinearAverager_getAverage(const cmath_xformLinearAverager* averager,
                                                              cmath_xformLinear* out, int32_t* isValid);

/* ==== random numbers and sampling ====================================================== */

/** Generator state: three linear congruential generators with a 97-entry shuffle table. All
 * state arithmetic is exact 32-bit integer arithmetic, so a seed gives the same sequence on
 * every platform. */
typedef struct csRandomUniform2 {
    int32_t seed;      /**< the seed given to csRandomUniformInit2 */
    int32_t count;     /**< values drawn since initialisation */
    int32_t ix1;       /**< state of the first generator */
    int32_t ix2;       /**< state of the second generator */
    int32_t ix3;       /**< state of the third generator */
    double table[97];  /**< the shuffle table */
} csRandomUniform2;

/** An input distribution of the sampler: type 0 is uniform on [low, high); no other type exists. */
typedef struct csDistribution {
    int32_t type; /**< 0: uniform */
    float low;    /**< lower bound, included */
    float high;   /**< upper bound, excluded */
} csDistribution;

/** The sampler's model: reads the drawn input values (floats, in input order) and the caller's
 * further arguments from `args` (positioned at the first of them; a fresh copy per call), and
 * returns numOutputs results that stay owned by the model. */
typedef float* (*csRandomSampleModel2)(float* inputs, va_list args);

/** Initialises the state from seed. A seed for which 54773 - seed wraps to the most negative
 * 32-bit integer is taken with the magnitude 2^31. */
ORBMATH_API void csRandomUniformInit2(csRandomUniform2* state, int32_t seed);
/** The next value (high - low) * u + low, u uniform in [0, 1); advances the state by one draw. */
ORBMATH_API double csRandomUniformNext2(csRandomUniform2* state, double low, double high);
/** Sets d to type 0 on [low, high) and returns it; with d null, a new record from cxfMalloc
 * (free it with cxfFree) is filled and returned, or null when the allocation fails. */
ORBMATH_API csDistribution* csUniformDistributionCT2(csDistribution* d, float low, float high);
/** One value drawn from d, rounded to float. A type other than 0 prints
 * "unimplemented csDistribution type %d\n" and gives 0.0 without advancing the state. */
ORBMATH_API float randomSampleVar2(csRandomUniform2* state, const csDistribution* d);
/** Monte Carlo sampling: resets stats[0 .. numOutputs-1], then numIterations times draws the
 * inputs, calls model(inputs, further arguments) and adds each result to its record; a result
 * whose |nominal - result| > threshold (float) is printed (outlierMode 0), counted in the
 * record's outliers (1), or reported as an unknown mode (other values). Returns stats; null
 * when stats is null, or when numInputs exceeds 100 (stats then left untouched). */
ORBMATH_API csStats2* randomSample2(csRandomSampleModel2 model, int32_t seed, uint32_t numIterations,
                                    uint32_t numInputs, const csDistribution* inputs, uint32_t numOutputs,
                                    int32_t outlierMode, const float* nominal, const float* thresholds,
                                    csStats2* stats, ...);

/* ==== chi-squared test ================================================================== */

/** Parameters of the test: the significance level, valid inside (0, 1); default 0.05. */
typedef struct cmath_chiSqTestParams {
    double significance; /**< the test passes when the p-value exceeds it */
} cmath_chiSqTestParams;

/** Result of the test. testStatistic is the p-value 1 - F(X^2, k), not X^2 itself. */
typedef struct cmath_chiSqTestResult {
    int32_t isComputed;   /**< 1 once a test has filled the result */
    int32_t passed;       /**< 1 when the p-value exceeds the significance */
    double testStatistic; /**< the p-value */
    int32_t numDofs;      /**< degrees of freedom: groups - 1 */
} cmath_chiSqTestResult;

/** Expected count of bin `bin` (0 .. numBins-1); context is the caller's pointer, unchanged.
 * Called exactly once per bin, in increasing order. */
typedef double (*cmath_chiSqExpectedFn)(int32_t bin, void* context);

/** Pearson's test of observed[0 .. numBins-1] against the expected counts. Bins are merged in
 * order into groups until a group's observed total reaches 5; a trailing remainder joins the
 * last group. Fails with cmath_errBadSignificance or (numBins < 3) cmath_errOutOfDomain before
 * touching result; later failures (fewer than three groups: cmath_errOutOfDomain; allocation;
 * the distribution function, e.g. cmath_errFailed when it does not converge) leave result
 * reset to not computed. passed = p > significance. */
ORBMATH_API cmath_status cmath_chiSqTest(const double* observed, int32_t numBins, const cmath_chiSqTestParams* params,
                                         cmath_chiSqExpectedFn expected, void* context,
                                         cmath_chiSqTestResult* result);
/** *out = P(dofs/2, x/2), the chi-squared distribution function; x <= 0 or NaN gives 0.0,
 * x = +infinity gives 1.0.
 * dofs < 1: cmath_errBadDofs. When the series (used for x/2 < dofs/2 + 1) has not met its
 * relative tolerance 3e-7 after 100 terms (dofs of about 800 and more, x near dofs), the
 * value is not trusted: cmath_errFailed is returned and *out is left untouched. */
ORBMATH_API cmath_status cmath_chiSquaredCDF(double x, int32_t dofs, double* out);
/** *out = ln Gamma(x) (Lanczos, absolute error below 2e-10 for 0.001 <= x <= 1000);
 * x not above 0 (or NaN): cmath_errOutOfDomain, nothing written. */
ORBMATH_API cmath_status cmath_lgamma(double x, double* out);

/** significance = 0.05. */
ORBMATH_API cmath_status cmath_chiSqTestParams_construct(cmath_chiSqTestParams* target);
/** significance = 0.05. */
ORBMATH_API cmath_status cmath_chiSqTestParams_reset(cmath_chiSqTestParams* target);
/** target = source. */
ORBMATH_API cmath_status cmath_chiSqTestParams_constructCopy(cmath_chiSqTestParams* target,
                                                             const cmath_chiSqTestParams* source);
/** target = source. */
ORBMATH_API cmath_status cmath_chiSqTestParams_assign(cmath_chiSqTestParams* target,
                                                      const cmath_chiSqTestParams* source);
/** Nothing to release; returns 0. */
ORBMATH_API cmath_status cmath_chiSqTestParams_destruct(cmath_chiSqTestParams* target);
/** 0 when 0 < significance < 1, else cmath_errBadSignificance (NaN included). */
ORBMATH_API cmath_status cmath_chiSqTestParams_validate(const cmath_chiSqTestParams* params);

/** All fields zero: not computed. */
ORBMATH_API cmath_status cmath_chiSqTestResult_construct(cmath_chiSqTestResult* target);
/** All fields zero: not computed. */
ORBMATH_API cmath_status cmath_chiSqTestResult_reset(cmath_chiSqTestResult* target);
/** target = source. */
ORBMATH_API cmath_status cmath_chiSqTestResult_constructCopy(cmath_chiSqTestResult* target,
                                                             const cmath_chiSqTestResult* source);
/** target = source. */
ORBMATH_API cmath_status cmath_chiSqTestResult_assign(cmath_chiSqTestResult* target,
                                                      const cmath_chiSqTestResult* source);
/** Nothing to release; returns 0. */
ORBMATH_API cmath_status cmath_chiSqTestResult_destruct(cmath_chiSqTestResult* target);
/** *out = isComputed; always succeeds. */
ORBMATH_API cmath_status cmath_chiSqTestResult_getIsComputed(const cmath_chiSqTestResult* result, int32_t* out);
/* The getters below return cmath_errNotComputed and write nothing when not computed. */
/** *out = passed; cmath_errNotComputed when no test has filled the result. */
ORBMATH_API cmath_status cmath_chiSqTestResult_getPassed(const cmath_chiSqTestResult* result, int32_t* out);
/** *out = the p-value, in [0, 1]; cmath_errNotComputed when not computed. */
ORBMATH_API cmath_status cmath_chiSqTestResult_getTestStatistic(const cmath_chiSqTestResult* result, double* out);
/** *out = the degrees of freedom, groups - 1; cmath_errNotComputed when not computed. */
ORBMATH_API cmath_status cmath_chiSqTestResult_getNumDofs(const cmath_chiSqTestResult* result, int32_t* out);

ORBMATH_C_END

#endif
