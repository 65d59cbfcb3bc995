// Pearson's chi-squared goodness-of-fit test, the chi-squared distribution function and the
// logarithm of the gamma function.
//
// The distribution function is the regularised lower incomplete gamma function P(k/2, x/2),
// evaluated as in Numerical Recipes in C (section 6.2): its power series below y = a + 1, the
// continued fraction of the upper function Q (modified Lentz) above. ln Gamma is Lanczos'
// approximation with gamma = 5 and six terms (section 6.1).
#include <orbmath/stats.h>
#include <orbmath/support.h>

#include "support/cleanup.hpp"
#include "support/null_check.hpp"

#include <cmath>

namespace {

constexpr double kDefaultSignificance = 0.05;
constexpr double kMinGroupCount = 5.0; // a group closes once its observed total reaches this
constexpr int kMaxIterations = 100;
constexpr double kEps = 3e-7;
constexpr double kFpMin = 1e-30;
constexpr double kInvFpMin = 9.999999999999999e29; // 1/kFpMin as a double

void destructVector(void* v) { cstd_vectord_destruct(static_cast<cstd_vectord*>(v)); }

// exp(a ln y - y - ln Gamma(a)), the prefactor shared by the series and the continued fraction.
inline double prefactor(double a, double y, double lnGammaA) { return std::exp((std::log(y) * a - y) - lnGammaA); }

// Series for P(a, y), y < a + 1. Returns false when 100 terms after the first did not meet the
// relative tolerance.
bool gammaSeries(double a, double y, double lnGammaA, double* out)
{
    double b = a;
    double term = 1.0 / a;
    double sum = term;
    for (int n = 1; n <= kMaxIterations; ++n) {
        b = b + 1.0;
        term = term * (y / b);
        sum = sum + term;
        if (std::fabs(term) < std::fabs(sum) * kEps) {
            *out = prefactor(a, y, lnGammaA) * sum;
            return true;
        }
    }
    return false;
}

// Continued fraction for Q(a, y), y >= a + 1; taken as it stands after at most 100 steps.
double gammaContinuedFraction(double a, double y, double lnGammaA)
{
    double b = y + 1.0 - a;
    double c = kInvFpMin;
    double d = 1.0 / b;
    double h = d;
    for (int i = 1; i <= kMaxIterations; ++i) {
        const double fi = static_cast<double>(i);
        const double an = -fi * (fi - a);
        b = b + 2.0;
        d = an * d + b;
        if (std::fabs(d) < kFpMin) {
            d = kFpMin;
        }
        c = b + an / c;
        if (std::fabs(c) < kFpMin) {
            c = kFpMin;
        }
        d = 1.0 / d;
        const double del = d * c;
        h = h * del;
        if (std::fabs(del - 1.0) < kEps) {
            break;
        }
    }
    return prefactor(a, y, lnGammaA) * h;
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_lgamma(double x, double* out)
{
    if (orb::anyNull(out)) {
        return cmath_errNullArgument;
    }
    if (!(x > 0.0)) {
        return cmath_errOutOfDomain;
    }
    const double t = x + 5.5;
    const double u = t - std::log(t) * (x + 0.5);
    // The denominators x + 1 ... x + 6 are formed by adding 1.0 step by step, as the
    // coefficients were fitted.
    double y = x + 1.0;
    double s = 190.9551718930764 / y + 2.506628275107264;
    y = y + 1.0;
    s = s - 216.836681843728 / y;
    y = y + 1.0;
    s = s + 60.19441764023333 / y;
    y = y + 1.0;
    s = s - 3.0875132392854585 / y;
    y = y + 1.0;
    s = s + 0.003029638705253259 / y;
    y = y + 1.0;
    s = s - 1.352385958795997e-05 / y;
    *out = std::log(s / x) - u;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSquaredCDF(double x, int32_t dofs, double* out)
{
    if (orb::anyNull(out)) {
        return cmath_errNullArgument;
    }
    if (dofs < 1) {
        return cmath_errBadDofs;
    }
    if (!(x > 0.0)) {
        *out = 0.0;
        return 0;
    }
    if (std::isinf(x)) {
        *out = 1.0; // the limit; the continued fraction would meet infinity - infinity
        return 0;
    }
    const double a = static_cast<double>(dofs) * 0.5;
    const double y = x * 0.5;
    double g = 0.0;
    const cmath_status st = cmath_lgamma(a, &g);
    if (st < 0) {
        return st;
    }
    if (y >= a + 1.0) {
        *out = 1.0 - gammaContinuedFraction(a, y, g);
        return 0;
    }
    double p = 0.0;
    if (!gammaSeries(a, y, g, &p)) {
        return cmath_errFailed; // not converged: no untrustworthy value is handed out
    }
    *out = p;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTest(const double* observed, int32_t numBins, const cmath_chiSqTestParams* params,
                                         cmath_chiSqExpectedFn expected, void* context,
                                         cmath_chiSqTestResult* result)
{
    if (orb::anyNull(observed, params, expected, result)) {
        return cmath_errNullArgument;
    }
    const double alpha = params->significance;
    if (!(alpha > 0.0) || alpha >= 1.0) {
        return cmath_errBadSignificance;
    }
    if (numBins < 3) {
        return cmath_errOutOfDomain;
    }

    cmath_status st = 0;
    orb::Cleanup cl(st);
    cstd_vectord groupObserved; // O: observed total of each group
    cstd_vectord groupExpected; // E: expected total of each group
    if ((st = cstd_vectord_constructEmpty(&groupObserved)) < 0) {
        return cl.close();
    }
    cl.tempHandle(&groupObserved, destructVector);
    if ((st = cstd_vectord_constructEmpty(&groupExpected)) < 0) {
        return cl.close();
    }
    cl.tempHandle(&groupExpected, destructVector);

    // From here on a failure leaves the result reset to not computed.
    cmath_chiSqTestResult_reset(result);
    if ((st = cstd_vectord_reserve(&groupObserved, numBins)) < 0 ||
        (st = cstd_vectord_reserve(&groupExpected, numBins)) < 0) {
        return cl.close();
    }

    // Merge bins in order until the observed total reaches 5; only the observed counts decide.
    double o = 0.0;
    double e = 0.0;
    bool pending = false;
    for (int32_t i = 0; i < numBins; ++i) {
        o = o + observed[i];
        e = e + expected(i, context);
        pending = true;
        if (o >= kMinGroupCount) {
            if ((st = cstd_vectord_pushBack(&groupObserved, o)) < 0 ||
                (st = cstd_vectord_pushBack(&groupExpected, e)) < 0) {
                return cl.close();
            }
            o = 0.0;
            e = 0.0;
            pending = false;
        }
    }
    double* O = nullptr;
    double* E = nullptr;
    intptr_t groups = 0;
    cstd_vectord_getBeginSize(&groupObserved, &O, &groups);
    cstd_vectord_getBegin(&groupExpected, &E);
    // A trailing remainder joins the last group; with no group at all it is dropped.
    if (pending && groups > 0) {
        O[groups - 1] = O[groups - 1] + o;
        E[groups - 1] = E[groups - 1] + e;
    }
    if (groups <= 2) {
        st = cmath_errOutOfDomain;
        return cl.close();
    }

    double chiSq = 0.0;
    for (intptr_t j = 0; j < groups; ++j) {
        const double diff = O[j] - E[j];
        chiSq = chiSq + diff * diff / E[j];
    }
    const auto dofs = static_cast<int32_t>(groups - 1);
    double f = 0.0;
    if ((st = cmath_chiSquaredCDF(chiSq, dofs, &f)) < 0) {
        return cl.close();
    }
    const double p = 1.0 - f;
    result->testStatistic = p;
    result->isComputed = 1;
    result->numDofs = dofs;
    result->passed = p > alpha ? 1 : 0;
    return cl.close();
}

// ---- parameters and result ----------------------------------------------------------------

ORBMATH_API cmath_status cmath_chiSqTestParams_construct(cmath_chiSqTestParams* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->significance = kDefaultSignificance;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestParams_reset(cmath_chiSqTestParams* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->significance = kDefaultSignificance;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestParams_constructCopy(cmath_chiSqTestParams* target,
                                                             const cmath_chiSqTestParams* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    target->significance = source->significance;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestParams_assign(cmath_chiSqTestParams* target,
                                                      const cmath_chiSqTestParams* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    target->significance = source->significance;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestParams_destruct(cmath_chiSqTestParams* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestParams_validate(const cmath_chiSqTestParams* params)
{
    if (orb::anyNull(params)) {
        return cmath_errNullArgument;
    }
    const double alpha = params->significance;
    return (alpha > 0.0 && alpha < 1.0) ? 0 : cmath_errBadSignificance;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_construct(cmath_chiSqTestResult* target)
{
    return cmath_chiSqTestResult_reset(target);
}

ORBMATH_API cmath_status cmath_chiSqTestResult_reset(cmath_chiSqTestResult* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    target->isComputed = 0;
    target->passed = 0;
    target->testStatistic = 0.0;
    target->numDofs = 0;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_constructCopy(cmath_chiSqTestResult* target,
                                                             const cmath_chiSqTestResult* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    const cmath_chiSqTestResult copy = *source; // source may be target
    cmath_chiSqTestResult_reset(target);
    *target = copy;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_assign(cmath_chiSqTestResult* target,
                                                      const cmath_chiSqTestResult* source)
{
    if (orb::anyNull(target, source)) {
        return cmath_errNullArgument;
    }
    *target = *source;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_destruct(cmath_chiSqTestResult* target)
{
    if (orb::anyNull(target)) {
        return cmath_errNullArgument;
    }
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_getIsComputed(const cmath_chiSqTestResult* result, int32_t* out)
{
    if (orb::anyNull(result, out)) {
        return cmath_errNullArgument;
    }
    *out = result->isComputed;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_getPassed(const cmath_chiSqTestResult* result, int32_t* out)
{
    if (orb::anyNull(result, out)) {
        return cmath_errNullArgument;
    }
    if (result->isComputed == 0) {
        return cmath_errNotComputed;
    }
    *out = result->passed;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_getTestStatistic(const cmath_chiSqTestResult* result, double* out)
{
    if (orb::anyNull(result, out)) {
        return cmath_errNullArgument;
    }
    if (result->isComputed == 0) {
        return cmath_errNotComputed;
    }
    *out = result->testStatistic;
    return 0;
}

ORBMATH_API cmath_status cmath_chiSqTestResult_getNumDofs(const cmath_chiSqTestResult* result, int32_t* out)
{
    if (orb::anyNull(result, out)) {
        return cmath_errNullArgument;
    }
    if (result->isComputed == 0) {
        return cmath_errNotComputed;
    }
    *out = result->numDofs;
    return 0;
}

} // extern "C"
