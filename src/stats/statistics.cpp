// Running statistics: cmath_statistics (flat interface, status results) and the legacy
// csStats2 (direct results, never fails).
//
// Both keep the textbook running sums n, sum and sumSquares; variance comes from the
// computational formula (sumSquares - (sum/n)*sum) / (n - 1), which may round slightly below
// zero when the values are (nearly) equal. The cmath_ getters clamp that to 0.0, csStats2 does
// not. Each getter keeps its own order of operations, so their last bits may differ.
#include <orbmath/stats.h>

#include "support/null_check.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace {

// The larger of a and b where only a below b is replaced: a NaN in a is passed on.
inline double maxKeepNaN(double a, double b) { return a < b ? b : a; }

template <class Acc>
inline void setEmpty(Acc* s)
{
    s->n = 0;
    s->sum = 0.0;
    s->sumSquares = 0.0;
    s->minimum = DBL_MAX;
    s->maximum = -DBL_MAX;
}

// One value into running sums held in locals; the comparison form takes a NaN as minimum.
inline void accumulate(double x, double& sum, double& sumSquares, double& minimum, double& maximum)
{
    sum = sum + x;
    sumSquares = sumSquares + x * x;
    if (!(x >= minimum)) {
        minimum = x;
    }
    if (x > maximum) {
        maximum = x;
    }
}

// n grows in wrapping 32-bit arithmetic: past its range the count is meaningless, never UB.
inline int32_t addCount(int32_t n, int32_t k)
{
    return static_cast<int32_t>(static_cast<uint32_t>(n) + static_cast<uint32_t>(k));
}

// (sumSquares - (sum / n) * sum) / (n - 1), the variance shared by getVariance and getStdDev.
inline double rawVariance(const cmath_statistics* s)
{
    const double n = static_cast<double>(s->n);
    return (s->sumSquares - (s->sum / n) * s->sum) / (n - 1.0);
}

// The same formula on the legacy record, unclamped.
inline double legacyVariance(const csStats2* s)
{
    const double n = static_cast<double>(s->n);
    return (s->sumSquares - (s->sum / n) * s->sum) / (n - 1.0);
}

} // namespace

extern "C" {

// ---- cmath_statistics ------------------------------------------------------------------

ORBMATH_API cmath_status cmath_statistics_init(cmath_statistics* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    setEmpty(target);
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_initClear(cmath_statistics* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    setEmpty(target);
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_initValues(cmath_statistics* target, const double* values, int32_t count)
{
    if (target == nullptr || (values == nullptr && count > 0)) {
        return cmath_errNullArgument;
    }
    if (count < 0) {
        return cmath_errNegativeCount;
    }
    setEmpty(target);
    return cmath_statistics_addValues(target, values, count);
}

ORBMATH_API cmath_status cmath_statistics_add(cmath_statistics* target, double value)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->n = addCount(target->n, 1);
    accumulate(value, target->sum, target->sumSquares, target->minimum, target->maximum);
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_addValues(cmath_statistics* target, const double* values, int32_t count)
{
    if (target == nullptr || (values == nullptr && count > 0)) {
        return cmath_errNullArgument;
    }
    if (count < 0) {
        return cmath_errNegativeCount;
    }
    if (count == 0) {
        return 0;
    }
    // Unrolled by four; every value still enters each sum in array order, so the result is
    // bit-identical to adding the values one by one. The sums live in registers meanwhile.
    double sum = target->sum;
    double sumSquares = target->sumSquares;
    double minimum = target->minimum;
    double maximum = target->maximum;
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const double x0 = values[i];
        const double x1 = values[i + 1];
        const double x2 = values[i + 2];
        const double x3 = values[i + 3];
        accumulate(x0, sum, sumSquares, minimum, maximum);
        accumulate(x1, sum, sumSquares, minimum, maximum);
        accumulate(x2, sum, sumSquares, minimum, maximum);
        accumulate(x3, sum, sumSquares, minimum, maximum);
    }
    for (; i < count; ++i) {
        accumulate(values[i], sum, sumSquares, minimum, maximum);
    }
    target->sum = sum;
    target->sumSquares = sumSquares;
    target->minimum = minimum;
    target->maximum = maximum;
    target->n = addCount(target->n, count);
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_addStatistics(cmath_statistics* target, const cmath_statistics* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    const cmath_statistics src = *source; // source may be target
    target->n = addCount(target->n, src.n);
    target->sum = target->sum + src.sum;
    target->sumSquares = target->sumSquares + src.sumSquares;
    if (!(src.minimum >= target->minimum)) {
        target->minimum = src.minimum;
    }
    if (src.maximum > target->maximum) {
        target->maximum = src.maximum;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_assign(cmath_statistics* target, const cmath_statistics* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    *target = *source;
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getN(const cmath_statistics* s, int32_t* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    *out = s->n;
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getSum(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = s->sum;
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getSumSquares(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = s->sumSquares;
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getMinimum(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = s->minimum;
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getMaximum(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = s->maximum;
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getMean(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = s->sum / static_cast<double>(s->n);
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getVariance(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = s->n == 1 ? 0.0 : maxKeepNaN(rawVariance(s), 0.0);
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getStdDev(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = s->n == 1 ? 0.0 : std::sqrt(maxKeepNaN(rawVariance(s), 0.0));
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getRMS(const cmath_statistics* s, double* out)
{
    if (orb::anyNull(s, out)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    *out = std::sqrt(s->sumSquares / static_cast<double>(s->n));
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getMeanStdDevRms(const cmath_statistics* s, double* mean, double* stdDev,
                                                          double* rms)
{
    if (orb::anyNull(s)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    const double n = static_cast<double>(s->n);
    const double r = 1.0 / n;
    const double m = r * s->sum;
    const double w = s->n > 1 ? (s->sumSquares - m * s->sum) / (n - 1.0) : 0.0;
    const double sd = std::sqrt(maxKeepNaN(w, 0.0));
    const double q = std::sqrt(maxKeepNaN(s->sumSquares, 0.0) * r);
    // The outputs may overlap the record: everything is computed before the first write.
    if (mean != nullptr) {
        *mean = m;
    }
    if (stdDev != nullptr) {
        *stdDev = sd;
    }
    if (rms != nullptr) {
        *rms = q;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_statistics_getAbsExtremeAndRMS(const cmath_statistics* s, double* absExtreme,
                                                             double* rms)
{
    if (orb::anyNull(s)) {
        return cmath_errNullArgument;
    }
    if (s->n == 0) {
        return cmath_errNoValues;
    }
    const double e = maxKeepNaN(-s->minimum, s->maximum);
    const double q = std::sqrt(maxKeepNaN(s->sumSquares, 0.0) / static_cast<double>(s->n));
    if (absExtreme != nullptr) {
        *absExtreme = e;
    }
    if (rms != nullptr) {
        *rms = q;
    }
    return 0;
}

// ---- csStats2 ----------------------------------------------------------------------------

ORBMATH_API void csStats2Reset(csStats2* s)
{
    setEmpty(s);
    s->last = 0.0;
    s->outliers = 0;
}

ORBMATH_API void csStats2Add(csStats2* s, double value)
{
    s->n = s->n + 1u;
    accumulate(value, s->sum, s->sumSquares, s->minimum, s->maximum);
    s->last = value;
}

ORBMATH_API uint32_t csStats2N(const csStats2* s) { return s->n; }

ORBMATH_API double csStats2Sum(const csStats2* s) { return s->sum; }

ORBMATH_API double csStats2Min(const csStats2* s) { return s->minimum; }

ORBMATH_API double csStats2Max(const csStats2* s) { return s->maximum; }

ORBMATH_API double csStats2Mean(const csStats2* s)
{
    return s->n == 0 ? 0.0 : s->sum / static_cast<double>(s->n);
}

ORBMATH_API double csStats2Variance(const csStats2* s) { return s->n <= 1 ? 0.0 : legacyVariance(s); }

ORBMATH_API double csStats2StdDev(const csStats2* s) { return s->n <= 1 ? 0.0 : std::sqrt(legacyVariance(s)); }

} // extern "C"
