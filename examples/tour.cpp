// A short tour of orbmath on built-in data.
#include <orbmath/orbmath.h>

#include <cstdio>

namespace {

int tourVectors()
{
    std::puts("== 2D vectors");
    cmath_vect a{3.0, 4.0}, b{2.0, 5.0}, unit{}, along{};
    double len = 0.0, cross = 0.0;
    cmath_radian dir{};
    if (cmath_vect_getLength(&a, &len) < 0 || cmath_vect_getUnit(&a, &unit) < 0 ||
        cmath_vect_project(&a, &b, &along) < 0 || cmath_vect_cross(&a, &b, &cross) < 0 ||
        cmath_vect_getDirection(&a, &dir) < 0) {
        return 1;
    }
    std::printf("a = (%g, %g): length %g, unit (%g, %g), direction %.6f rad\n", a.x, a.y, len, unit.x,
                unit.y, dir.value);
    std::printf("b = (%g, %g) projected on a: (%g, %g); a x b = %g\n", b.x, b.y, along.x, along.y, cross);
    cmath_vect zero{0.0, 0.0};
    const cmath_status st = cmath_vect_getUnit(&zero, &unit);
    std::printf("unit of the zero vector: status 0x%08X (nothing written)\n", static_cast<unsigned>(st));
    return 0;
}

double tourExpectedCount(int32_t /*bin*/, void* context) { return *static_cast<const double*>(context); }

int tourStatistics()
{
    std::puts("== Statistics, averaging, sampling and the chi-squared test");
    const double values[] = {1.0, 2.0, 3.0, 4.0};
    cmath_statistics s;
    double mean = 0.0, stdDev = 0.0, rms = 0.0;
    if (cmath_statistics_initValues(&s, values, 4) < 0 ||
        cmath_statistics_getMeanStdDevRms(&s, &mean, &stdDev, &rms) < 0) {
        return 1;
    }
    std::printf("1, 2, 3, 4: mean %g, standard deviation %.17g, rms %.17g\n", mean, stdDev, rms);

    // Averaging two poses: scales 1 and 4 average to 2 (geometric mean), rotations 0.2 and 0.4 to 0.3.
    cmath_xformLinearAverager avg;
    cmath_xformLinearAverager_constructScaleAspect(&avg);
    cmath_xformLinear pose{{0.0, 0.0}, {}}, meanPose{};
    const cmath_radian noShear{0.0}, turn1{0.2}, turn2{0.4};
    int32_t valid = 0;
    double scale = 0.0;
    cmath_radian rotation{};
    cmath_matrix_initScaleAspect(&pose.matrix, 1.0, 1.0, &noShear, &turn1);
    cmath_xformLinearAverager_add(&avg, &pose);
    pose.trans = cmath_vect{2.0, 4.0};
    cmath_matrix_initScaleAspect(&pose.matrix, 4.0, 1.0, &noShear, &turn2);
    if (cmath_xformLinearAverager_add(&avg, &pose) < 0 ||
        cmath_xformLinearAverager_getAverage(&avg, &meanPose, &valid) < 0 ||
        cmath_matrix_getScale(&meanPose.matrix, &scale) < 0 ||
        cmath_matrix_getRotation(&meanPose.matrix, &rotation) < 0) {
        return 1;
    }
    std::printf("average pose: translation (%g, %g), scale %.6f, rotation %.6f, valid %d\n", meanPose.trans.x,
                meanPose.trans.y, scale, rotation.value, valid);

    csRandomUniform2 gen;
    csRandomUniformInit2(&gen, 0);
    const double first = csRandomUniformNext2(&gen, 0.0, 1.0);
    std::printf("first uniform value for seed 0: %.17g\n", first);

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
    if (cmath_chiSqTest(observed, 6, &params, tourExpectedCount, &perBin, &result) < 0) {
        return 1;
    }
    std::printf("chi-squared test of six bins: p-value %.4f with %d degrees of freedom, %s at 5%%\n",
                result.testStatistic, result.numDofs, result.passed ? "passed" : "failed");
    return 0;
}

} // namespace

int main()
{
    int failures = 0;
    failures += tourVectors();
    failures += tourStatistics();
    return failures == 0 ? 0 : 1;
}
