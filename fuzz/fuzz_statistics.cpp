// Running statistics, averagers and the uniform generator with hostile inputs: counts near the
// 32-bit limit (they wrap without undefined behaviour), NaN, infinite and huge values and
// weights, any seed. Every call ends with its defined status; failures write nothing.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    // A record with any fields, as a caller may have stored it, merged and queried.
    cmath_statistics s = {in.raw<int32_t>(), in.real(), in.real(), in.real(), in.real()};
    cmath_statistics t = {in.raw<int32_t>(), in.real(), in.real(), in.real(), in.real()};
    FUZZ_CHECK(cmath_statistics_addStatistics(&s, &t) == 0);
    FUZZ_CHECK(cmath_statistics_add(&s, in.real()) == 0);
    const auto count = static_cast<int32_t>(in.range(-3, 20));
    std::vector<double> values(count > 0 ? static_cast<size_t>(count) : 1u);
    for (double& v : values) {
        v = in.real();
    }
    const cmath_statistics before = s;
    const cmath_status sa = cmath_statistics_addValues(&s, values.data(), count);
    FUZZ_CHECK(count < 0 ? sa == cmath_errNegativeCount && std::memcmp(&s, &before, sizeof s) == 0 : sa == 0);
    double mean = -1.0, sd = -1.0, rms = -1.0, ext = -1.0;
    const cmath_status sg = cmath_statistics_getMeanStdDevRms(&s, &mean, &sd, &rms);
    FUZZ_CHECK(s.n == 0 ? sg == cmath_errNoValues && mean == -1.0 && sd == -1.0 && rms == -1.0 : sg == 0);
    const cmath_status se = cmath_statistics_getAbsExtremeAndRMS(&s, &ext, &rms);
    FUZZ_CHECK(se == 0 || se == cmath_errNoValues);

    csStats2 legacy;
    csStats2Reset(&legacy);
    legacy.n = in.raw<uint32_t>(); // any count: the legacy record counts in unsigned arithmetic
    csStats2Add(&legacy, in.real());
    (void)csStats2Mean(&legacy), (void)csStats2Variance(&legacy), (void)csStats2StdDev(&legacy);

    // Averagers in both modes with any matrices and weights.
    cmath_matrixAverager ma;
    cmath_xformLinearAverager xa;
    const bool maDecomposes = (in.byte() & 1) != 0, xaDecomposes = (in.byte() & 1) != 0;
    FUZZ_CHECK((maDecomposes ? cmath_matrixAverager_constructScaleAspect(&ma) : cmath_matrixAverager_constructElement(&ma)) == 0);
    FUZZ_CHECK((xaDecomposes ? cmath_xformLinearAverager_constructScaleAspect(&xa) : cmath_xformLinearAverager_constructElement(&xa)) == 0);
    const int adds = static_cast<int>(in.range(0, 6));
    for (int k = 0; k < adds; ++k) {
        const cmath_matrix m = {in.real(), in.real(), in.real(), in.real()};
        const double w = in.real();
        // Only a decomposing averager refuses a matrix (a singular one), changing nothing.
        const cmath_matrixAverager mb = ma;
        const cmath_status s1 = cmath_matrixAverager_addWeighted(&ma, &m, w);
        FUZZ_CHECK(s1 == 0 || (maDecomposes && s1 == cmath_errSingular && std::memcmp(&ma, &mb, sizeof ma) == 0));
        const cmath_xformLinear x = {{in.real(), in.real()}, m};
        const cmath_xformLinearAverager xb = xa;
        const cmath_status s2 = cmath_xformLinearAverager_addWeighted(&xa, &x, w);
        FUZZ_CHECK(s2 == 0 || (xaDecomposes && s2 == cmath_errSingular && std::memcmp(&xa, &xb, sizeof xa) == 0));
    }
    cmath_matrix avg = {9, 9, 9, 9};
    int32_t valid = 9;
    const cmath_status sm = cmath_matrixAverager_getAverage(&ma, &avg, &valid);
    FUZZ_CHECK(sm == 0 ? (valid == 0 || valid == 1) : (sm == cmath_errSingular && avg.e11 == 9 && valid == 9));
    cmath_xformLinear xavg = {{9, 9}, {9, 9, 9, 9}};
    valid = 9;
    const cmath_status sx = cmath_xformLinearAverager_getAverage(&xa, &xavg, &valid);
    FUZZ_CHECK(sx == 0 ? (valid == 0 || valid == 1) : (sx == cmath_errSingular && xavg.trans.x == 9 && valid == 9));
    FUZZ_CHECK(cmath_matrixAverager_destruct(&ma) == 0 && cmath_xformLinearAverager_destruct(&xa) == 0);

    // The generator from any seed draws inside [low, high) for finite, ordered bounds.
    csRandomUniform2 gen;
    csRandomUniformInit2(&gen, in.raw<int32_t>());
    const double lo = in.real(), hi = in.real();
    for (int k = 0; k < 8; ++k) {
        const double u = csRandomUniformNext2(&gen, 0.0, 1.0);
        FUZZ_CHECK(u >= 0.0 && u < 1.0);
        const double v = csRandomUniformNext2(&gen, lo, hi);
        (void)v;
    }
    return 0;
}
