// The chi-squared test, its distribution function and log-gamma with any bins, counts,
// expected counts, significance, degrees of freedom and arguments, non-finite ones included:
// every call ends with a defined status, and the result is either untouched (arguments refused),
// reset (a later failure) or computed with consistent fields.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

#include <vector>

namespace {

struct Expected {
    std::vector<double> counts;
    int32_t calls = 0;
};

double expected(int32_t bin, void* context)
{
    auto* e = static_cast<Expected*>(context);
    FUZZ_CHECK(bin == e->calls); // once per bin, in increasing order
    ++e->calls;
    return e->counts[static_cast<size_t>(bin)];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const cmath_chiSqTestParams params = {in.real()};
    const auto bins = static_cast<int32_t>(in.range(-1, 300));
    const size_t count = bins > 0 ? static_cast<size_t>(bins) : 1u;
    std::vector<double> observed(count);
    Expected e;
    e.counts.resize(count);
    for (size_t i = 0; i < count; ++i) {
        observed[i] = in.real();
        e.counts[i] = in.real();
    }
    cmath_chiSqTestResult r = {7, 7, 7.0, 7};
    const cmath_status st = cmath_chiSqTest(observed.data(), bins, &params, expected, &e, &r);
    const bool refused = st == cmath_errBadSignificance || (st == cmath_errOutOfDomain && e.calls == 0);
    if (refused) {
        FUZZ_CHECK(r.isComputed == 7 && r.passed == 7 && r.numDofs == 7);
    } else if (st < 0) {
        FUZZ_CHECK(st == cmath_errOutOfDomain || st == cmath_errFailed || st == cmath_errBadDofs);
        FUZZ_CHECK(r.isComputed == 0 && r.passed == 0 && r.numDofs == 0 && r.testStatistic == 0.0);
    } else {
        FUZZ_CHECK(st == 0);
        FUZZ_CHECK(e.calls == bins);
        FUZZ_CHECK(r.isComputed == 1 && (r.passed == 0 || r.passed == 1));
        FUZZ_CHECK(r.numDofs >= 2 && r.numDofs < bins);
    }

    // The distribution function and log-gamma on their own.
    const double x = in.real();
    const auto dofs = static_cast<int32_t>(in.range(-2, 2000));
    double f = -5.0;
    const cmath_status sf = cmath_chiSquaredCDF(x, dofs, &f);
    if (dofs < 1) {
        FUZZ_CHECK(sf == cmath_errBadDofs && f == -5.0);
    } else {
        FUZZ_CHECK(sf == 0 || sf == cmath_errFailed);
    }
    double g = -5.0;
    const double y = in.real();
    const cmath_status sg = cmath_lgamma(y, &g);
    FUZZ_CHECK(y > 0.0 ? sg == 0 : (sg == cmath_errOutOfDomain && g == -5.0));
    return 0;
}
