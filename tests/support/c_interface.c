/* Compiled as C11: the callbacks of the flat interface written in C, the sampler's model with its
 * variable argument list and the expected counts of the chi-squared test. (The headers compile as
 * C11 in tests/geometry and tests/xform as well.) Returns the number of the first step that went
 * wrong, 0 when all went right. */
#include <orbmath/orbmath.h>

#include <stdarg.h>

int orbmath_c_interface_check(void);

static float* scaleModel(float* inputs, va_list args)
{
    float* out = va_arg(args, float*);
    out[0] = inputs[0] * (float)va_arg(args, double);
    return out;
}

static double flatExpected(int32_t bin, void* context) { return bin >= 0 ? *(const double*)context : 0.0; }

int orbmath_c_interface_check(void)
{
    const double observed[] = {5.0, 5.0, 5.0};
    double perBin = 5.0;
    csDistribution in;
    csStats2 stats[1];
    float buffer[1];
    const float nominal[1] = {0.0f}, threshold[1] = {100.0f};
    cmath_chiSqTestParams params;
    cmath_chiSqTestResult result;
    if (csUniformDistributionCT2(&in, 1.0f, 2.0f) != &in ||
        randomSample2(scaleModel, 3, 10, 1, &in, 1, 1, nominal, threshold, stats, buffer, 2.0) != stats ||
        csStats2N(&stats[0]) != 10u || csStats2Min(&stats[0]) < 2.0 || csStats2Max(&stats[0]) >= 4.0) {
        return 1;
    }
    if (cmath_chiSqTestParams_construct(&params) != 0 || cmath_chiSqTestResult_construct(&result) != 0 ||
        cmath_chiSqTest(observed, 3, &params, flatExpected, &perBin, &result) != 0 || result.passed != 1) {
        return 2;
    }
    return 0;
}
