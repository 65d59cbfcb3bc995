/* Compiled as C11: every public header is usable from C, the variadic sampler and its model type
 * included. Returns the number of the first family that went wrong, 0 when all went right. */
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
    cmath_vect a = {1.0, 2.0}, b = {3.0, -4.0}, sum;
    const double values[] = {1.0, 2.0, 3.0, 4.0}, observed[] = {5.0, 5.0, 5.0};
    double x = 0.0, perBin = 5.0;
    cstd_vector v;
    const void* e = NULL;
    int32_t n = 0, within = -1, equal = 0;
    if (cmath_vect_initAdd(&sum, &a, &b) != 0 || sum.x != 4.0 || sum.y != -2.0 ||
        cmath_vect_initDivide(&sum, &a, 0.0) != cmath_errDivideByZero ||
        cstd_vector__constructWithVtable(&v, 0, (intptr_t)sizeof(double), NULL) != 0 ||
        cstd_vector__pushBack(&v, &x) != 0 || cstd_vector__getElementConst(&v, 0, &e) != 0 || *(const double*)e != 0.0 ||
        cstd_vector__getSize32(&v, &n) != 0 || n != 1 || cstd_vector__destruct(&v) != 0) {
        return 1;
    }

    const uint16_t quarter = 16384;
    const uint8_t half = 128;
    cmath_degree d = {-90.0};
    cmath_radian s = {3.0}, t = {-3.0}, pi = {3.141592653589793};
    cmath_angleRange arc;
    cmath_range r;
    csFVec f;
    csDXform xf, inv;
    csDXformElemCT(&xf, 2.0, 0.0, 0.0, 4.0, 1.0, 1.0);
    if (cmath_sin16(&quarter) != 1.0 || cmath_cos8(&half) != -1.0 || cfAtanBin8(1, 1) != 32 ||
        cmath_degree_norm(&d).value != 270.0 || csFVecBin8(0, &f) != &f || f.x != 1.0f ||
        cmath_angleRange_init(&arc, &s, &t) != 0 || cmath_angleRange_isValueWithin(&pi, &arc, &within) != 0 ||
        within != 1 || cmath_range_init(&r, 2.0, 1.0) != cmath_errBadRange || cordic7b8r1_sobel[0] != 32 ||
        csDXformInv(&xf, &inv)->matrix.e22 != 0.25 || csDXformJacob(&xf) != &xf.matrix || csDXformI.matrix.e11 != 1.0) {
        return 2;
    }

    cmath_statistics st;
    csDistribution in;
    csStats2 stats[1];
    float buffer[1];
    const float nominal[1] = {0.0f}, threshold[1] = {100.0f};
    cmath_chiSqTestParams params;
    cmath_chiSqTestResult result;
    csUniformDistributionCT2(&in, 1.0f, 2.0f);
    if (cmath_statistics_initValues(&st, values, 4) != 0 || cmath_statistics_getMean(&st, &x) != 0 || x != 2.5 ||
        randomSample2(scaleModel, 3, 10, 1, &in, 1, 1, nominal, threshold, stats, buffer, 2.0) != stats ||
        csStats2N(&stats[0]) != 10u || csStats2Min(&stats[0]) < 2.0 || csStats2Max(&stats[0]) >= 4.0 ||
        cmath_chiSqTestParams_construct(&params) != 0 || cmath_chiSqTestResult_construct(&result) != 0 ||
        cmath_chiSqTest(observed, 3, &params, flatExpected, &perBin, &result) != 0 || result.passed != 1) {
        return 3;
    }

    cstd_vector_cmath_statistics sv;
    cstd_vector_cmath_vect1 *p = NULL, *q = NULL;
    const cmath_statistics* third = NULL;
    const cmath_vect1 xs[3] = {{0.5}, {-1.0}, {2.0}};
    if (cstd_vector_cmath_statistics_constructFill(&sv, 3, &st) != 0 ||
        cstd_vector_cmath_statistics_getElementConst(&sv, 2, &third) != 0 || third->maximum != 4.0 ||
        cstd_vector_cmath_statistics_destruct(&sv) != 0 || cstd_vector_cmath_vect1_new(&p) != 0 ||
        cstd_vector_cmath_vect1_assignElements(p, xs, 3) != 0 || cstd_vector_cmath_vect1_newClone(&q, p) != 0 ||
        cstd_vector_cmath_vect1_compareEqual(p, q, &equal) != 0 || equal != 1 ||
        cstd_vector_cmath_vect1_delete(&p) != 0 || cstd_vector_cmath_vect1_delete(&q) != 0 || p != NULL) {
        return 4;
    }
    return 0;
}
