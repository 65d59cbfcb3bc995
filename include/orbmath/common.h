/** @file
 * orbmath: export macro, C linkage brackets, the status type and every status code. */
#ifndef ORBMATH_COMMON_H
#define ORBMATH_COMMON_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h> /* char16_t for the 16-bit type names */
#endif

#if defined(__GNUC__)
/** Marks a declaration as part of the library's exported interface. */
#  define ORBMATH_API __attribute__((visibility("default")))
#else
#  define ORBMATH_API
#endif

#ifdef __cplusplus
/** Opens a block of declarations with C linkage (empty in C). */
#  define ORBMATH_C_BEGIN extern "C" {
/** Closes a block opened by ORBMATH_C_BEGIN. */
#  define ORBMATH_C_END }
#else
#  define ORBMATH_C_BEGIN
#  define ORBMATH_C_END
#endif

/** The result of nearly every function: 0 success, negative failure. Test the sign. */
typedef int32_t cmath_status;

/** Builds a status code from its 32-bit hexadecimal value. */
#define ORBMATH_STATUS_(v) ((cmath_status)(int32_t)(uint32_t)(v))

/** Generic failure: too few points or an ill-conditioned fit. */
#define cmath_errFailed            ORBMATH_STATUS_(0x80000000u)
/** A required pointer argument is null. */
#define cmath_errNullArgument      ORBMATH_STATUS_(0x80000002u)
/** A cxVector<double> could not grow. */
#define cxVector_errNoMemory       ORBMATH_STATUS_(0x80000023u)
/** Matrix dimension below 1, operand sizes that do not fit, a sub-block outside its matrix. */
#define cxNMMatrix_errBadSize      ORBMATH_STATUS_(0x80000521u)
/** Singular or ill-conditioned matrix, or an iteration that did not converge. */
#define cxNMMatrix_errSingular     ORBMATH_STATUS_(0x80000522u)
/** Column index out of range. */
#define cxNMMatrix_errBadColumn    ORBMATH_STATUS_(0x80000523u)
/** Row index out of range. */
#define cxNMMatrix_errBadRow       ORBMATH_STATUS_(0x80000524u)
/** The operation needs a square matrix. */
#define cxNMMatrix_errNotSquare    ORBMATH_STATUS_(0x80000525u)
/** Operands of an element-wise sum or difference differ in size. */
#define cxNMMatrix_errSizeMismatch ORBMATH_STATUS_(0x80000526u)
/** Negative count of values. */
#define cmath_errNegativeCount     ORBMATH_STATUS_(0x80000541u)
/** Statistics accumulator is empty. */
#define cmath_errNoValues          ORBMATH_STATUS_(0x80000542u)
/** Chi-squared result not computed. */
#define cmath_errNotComputed       ORBMATH_STATUS_(0x80000545u)
/** Significance level not inside (0, 1). */
#define cmath_errBadSignificance   ORBMATH_STATUS_(0x80000546u)
/** Too few bins for the chi-squared test; log-gamma argument not above 0. */
#define cmath_errOutOfDomain       ORBMATH_STATUS_(0x80000547u)
/** Degrees of freedom below 1. */
#define cmath_errBadDofs           ORBMATH_STATUS_(0x80000548u)
/** Determinant exactly 0; averager with nothing to average. */
#define cmath_errSingular          ORBMATH_STATUS_(0x80000582u)
/** Division by an exact zero. */
#define cmath_errDivideByZero      ORBMATH_STATUS_(0x80000583u)
/** Direction of a vector of length exactly 0. */
#define cmath_errZeroVector        ORBMATH_STATUS_(0x80000584u)
/** Linear form asked for without a point on a transform that is not linear. */
#define cmath_errNotLinear         ORBMATH_STATUS_(0x80000585u)
/** Bounded range whose start lies above its end. */
#define cmath_errBadRange          ORBMATH_STATUS_(0x8000058Du)
/** Range scale factor not above 0. */
#define cmath_errBadScale          ORBMATH_STATUS_(0x80000594u)
/** Assignment between transforms of different type. */
#define cmath_errTypeMismatch      ORBMATH_STATUS_(0x8000059Au)
/** The support layer's allocator could not supply a block. */
#define csys_errNoMemory           ORBMATH_STATUS_(0x80000001u)

#endif
