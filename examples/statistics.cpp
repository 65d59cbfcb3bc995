// Statistics: running sums of a stream, averaging of transforms, the reproducible random
// generator and Pearson's chi-squared test of a histogram.
#include "examples.h"

namespace {

// The expected count of every bin: the caller's context points to it.
double expectedCount(int32_t /*bin*/, void* context) { return *static_cast<const double*>(context); }

} // namespace

int exampleStatistics()
{
    std::puts("== Statistics, averaging, sampling and the chi-squared test");
    int failures = 0;

    const double values[] = {1.0, 2.0, 3.0, 4.0};
    cmath_statistics s;
    double mean = 0.0, stdDev = 0.0, rms = 0.0;
    failures += cmath_statistics_initValues(&s, values, 4) < 0;
    failures += cmath_statistics_getMeanStdDevRms(&s, &mean, &stdDev, &rms) < 0;
    std::printf("1, 2, 3, 4: mean %g, standard deviation %.6f, rms %.6f\n", mean, stdDev, rms);
    cmath_statistics empty;
    cmath_statistics_init(&empty);
    printStatus("mean of no values", cmath_statistics_getMean(&empty, &mean));
    std::printf("mean untouched: %g\n", mean);

    // Averaging two poses: in scale-aspect mode scales average geometrically (1 and 4 give 2)
    // and rotations as directions (0.2 and 0.4 give 0.3); translations average element-wise.
    cmath_xformLinearAverager avg;
    failures += cmath_xformLinearAverager_constructScaleAspect(&avg) < 0;
    cmath_xformLinear pose{{0.0, 0.0}, {}}, meanPose{};
    const cmath_radian noShear{0.0}, turn1{0.2}, turn2{0.4};
    failures += cmath_matrix_initScaleAspect(&pose.matrix, 1.0, 1.0, &noShear, &turn1) < 0;
    failures += cmath_xformLinearAverager_add(&avg, &pose) < 0;
    pose.trans = cmath_vect{2.0, 4.0};
    failures += cmath_matrix_initScaleAspect(&pose.matrix, 4.0, 1.0, &noShear, &turn2) < 0;
    failures += cmath_xformLinearAverager_add(&avg, &pose) < 0;
    int32_t valid = 0;
    double scale = 0.0;
    cmath_radian rotation{};
    failures += cmath_xformLinearAverager_getAverage(&avg, &meanPose, &valid) < 0;
    failures += cmath_matrix_getScale(&meanPose.matrix, &scale) < 0;
    failures += cmath_matrix_getRotation(&meanPose.matrix, &rotation) < 0;
    std::printf("average pose: translation (%g, %g), scale %.6f, rotation %.6f, valid %d\n", meanPose.trans.x,
                meanPose.trans.y, scale, rotation.value, valid);
    cmath_xformLinearAverager_destruct(&avg);

    // The generator gives the same sequence for a seed on every platform.
    csRandomUniform2 gen;
    csRandomUniformInit2(&gen, 0);
    std::printf("first uniform value for seed 0: %.17g\n", csRandomUniformNext2(&gen, 0.0, 1.0));

    // 600 uniform draws into six bins, tested against the expected 100 per bin.
    double observed[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 600; ++i) {
        observed[static_cast<int>(csRandomUniformNext2(&gen, 0.0, 6.0))] += 1.0;
    }
    double perBin = 100.0;
    cmath_chiSqTestParams params;
    cmath_chiSqTestResult result;
    cmath_chiSqTestParams_construct(&params);
    cmath_chiSqTestResult_construct(&result);
    failures += cmath_chiSqTest(observed, 6, &params, expectedCount, &perBin, &result) < 0;
    std::printf("six bins %g %g %g %g %g %g: p-value %.4f with %d degrees of freedom, %s at 5%%\n", observed[0],
                observed[1], observed[2], observed[3], observed[4], observed[5], result.testStatistic, result.numDofs,
                result.passed ? "passed" : "failed");
    params.significance = 1.5;
    printStatus("significance 1.5", cmath_chiSqTest(observed, 6, &params, expectedCount, &perBin, &result));
    return failures;
}

#ifndef ORBMATH_TOUR
int main() { return exampleStatistics() == 0 ? 0 : 1; }
#endif
