/* Compiled as C11: the statistics interface, including the variadic sampler and its model
 * type, must be usable from C. */
#include <orbmath/orbmath.h>

#include <stdarg.h>

int orbmath_stats_c_check(void);

static float* scaleModel(float* inputs, va_list args)
{
    float* out = va_arg(args, float*);
    out[0] = inputs[0] * (float)va_arg(args, double);
    return out;
}

static double flatExpected(int32_t bin, void* context) { return bin >= 0 ? *(const double*)context : 0.0; }

int orbmath_stats_c_check(void)
{
    const double values[] = {1.0, 2.0, 3.0, 4.0}, observed[] = {5.0, 5.0, 5.0};
    double mean = 0.0, perBin = 5.0;
    cmath_statistics s;
    csDistribution in;
    csStats2 stats[1];
    float buffer[1];
    const float nominal[1] = {0.0f}, threshold[1] = {100.0f};
    cmath_chiSqTestParams params;
    cmath_chiSqTestResult result;
    csUniformDistributionCT2(&in, 1.0f, 2.0f);
    cmath_chiSqTestParams_construct(&params);
    cmath_chiSqTestResult_construct(&result);
    if (cmath_statistics_initValues(&s, values, 4) != 0 || cmath_statistics_getMean(&s, &mean) != 0 ||
        mean != 2.5 ||
        randomSample2(scaleModel, 3, 10, 1, &in, 1, 1, nominal, threshold, stats, buffer, 2.0) != stats ||
        csStats2N(&stats[0]) != 10u || csStats2Min(&stats[0]) < 2.0 || csStats2Max(&stats[0]) >= 4.0 ||
        cmath_chiSqTest(observed, 3, &params, flatExpected, &perBin, &result) != 0 || result.passed != 1) {
        return 1;
    }
    return 0;
}
