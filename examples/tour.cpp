// A short tour of orbmath on built-in data.
#include <orbmath/orbmath.h>

#include <cmath>
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

int tourGeometry()
{
    std::puts("== Affine fit and decomposition");
    // A known transform: scale 1.5, aspect 0.8, shear 0.1 rad, rotation 0.5 rad, then (10, -4).
    const cmath_radian shear{0.1}, rotation{0.5};
    cmath_matrix m{};
    const cmath_vect shift{10.0, -4.0};
    cmath_xformLinear truth{};
    if (cmath_matrix_initScaleAspect(&m, 1.5, 0.8, &shear, &rotation) < 0 ||
        cmath_xformLinear_initMatrixTrans(&truth, &m, &shift) < 0) {
        return 1;
    }
    // Eight point pairs, the destinations slightly disturbed as a measurement would be.
    const cmath_vect src[8] = {{0, 0}, {4, 0}, {0, 3}, {4, 3}, {2, 1}, {1, 2}, {3, 2.5}, {-1, 1}};
    const double noise[8][2] = {{0.01, -0.02}, {-0.015, 0.01}, {0.0, 0.02}, {0.02, 0.0},
                                {-0.01, -0.01}, {0.005, 0.015}, {-0.02, 0.005}, {0.01, -0.005}};
    cmath_vect dst[8];
    for (int i = 0; i < 8; ++i) {
        if (cmath_xformLinear_mapPoint(&truth, &src[i], &dst[i]) < 0) {
            return 1;
        }
        dst[i].x += noise[i][0];
        dst[i].y += noise[i][1];
    }
    cmath_xformLinear fit{};
    if (cmath_xformLinear_initPoints(&fit, dst, src, 8) < 0) {
        return 1;
    }
    std::printf("fitted matrix (%.5f, %.5f; %.5f, %.5f), translation (%.5f, %.5f)\n", fit.matrix.e11,
                fit.matrix.e12, fit.matrix.e21, fit.matrix.e22, fit.trans.x, fit.trans.y);
    double scale = 0.0, aspect = 0.0;
    cmath_radian rot{}, sh{};
    if (cmath_matrix_getRotation(&fit.matrix, &rot) < 0 || cmath_matrix_getScale(&fit.matrix, &scale) < 0 ||
        cmath_matrix_getAspect(&fit.matrix, &aspect) < 0 || cmath_matrix_getShear(&fit.matrix, &sh) < 0) {
        return 1;
    }
    std::printf("decomposed: rotation %.4f rad, scale %.4f, aspect %.4f, shear %.4f rad (built from 0.5, 1.5, 0.8, "
                "0.1)\n", rot.value, scale, aspect, sh.value);
    double sum = 0.0;
    for (int i = 0; i < 8; ++i) {
        cmath_vect q{};
        double d = 0.0;
        cmath_xformLinear_mapPoint(&fit, &src[i], &q);
        cmath_vect_getDistance(&q, &dst[i], &d);
        sum += d * d;
    }
    std::printf("rms residual %.4f\n", std::sqrt(sum / 8.0));
    const cmath_vect line[3] = {{0, 0}, {1, 1}, {2, 2}};
    const cmath_status st = cmath_xformLinear_initPoints(&fit, dst, line, 3);
    std::printf("fit to collinear sources: status 0x%08X (transform untouched)\n", static_cast<unsigned>(st));
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


// A transform kind of the caller's own: radial lens distortion p -> c + (p - c)(1 + k r^2), or
// its inverse (solved by Newton's method) when `inverted` is set. It begins with its cmath_xform,
// so the library's default compose fits its compose slot, and it owns no resources, so the
// default shared operations free it when the last handle goes.
struct Lens {
    cmath_xform base;
    cmath_vect centre;
    double k;
    int32_t inverted;
};

cmath_status makeLens(cmath_vect centre, double k, int32_t inverted, cmath_xformPtrh* out);

cmath_vect lensDistort(const Lens* l, cmath_vect p, double* s)
{
    const double dx = p.x - l->centre.x, dy = p.y - l->centre.y;
    *s = 1.0 + l->k * (dx * dx + dy * dy);
    return cmath_vect{l->centre.x + dx * *s, l->centre.y + dy * *s};
}

cmath_vect lensUndistort(const Lens* l, cmath_vect p)
{
    const double dx = p.x - l->centre.x, dy = p.y - l->centre.y;
    const double rd = std::sqrt(dx * dx + dy * dy);
    double r = rd; // solve r + k r^3 = rd
    for (int i = 0; i < 50 && rd > 0.0; ++i) {
        r -= (r + l->k * r * r * r - rd) / (1.0 + 3.0 * l->k * r * r);
    }
    const double f = rd > 0.0 ? r / rd : 1.0;
    return cmath_vect{l->centre.x + dx * f, l->centre.y + dy * f};
}

cmath_status lensMapPoint(const void* self, const cmath_vect* in, cmath_vect* out)
{
    const auto* l = static_cast<const Lens*>(self);
    double s = 0.0;
    *out = l->inverted ? lensUndistort(l, *in) : lensDistort(l, *in, &s);
    return 0;
}

cmath_status lensGetIsLinear(const void* self, int32_t* out)
{
    *out = static_cast<const Lens*>(self)->k == 0.0 ? 1 : 0;
    return 0;
}

// Jacobian of the distortion at the undistorted point u: s I + 2k d d^T (inverted for the inverse).
cmath_status lensGetLinear(const void* self, const cmath_vect* point, cmath_xformLinear* out)
{
    const auto* l = static_cast<const Lens*>(self);
    const cmath_vect u = l->inverted ? lensUndistort(l, *point) : *point;
    double s = 0.0;
    lensDistort(l, u, &s);
    const double dx = u.x - l->centre.x, dy = u.y - l->centre.y;
    cmath_matrix j{s + 2.0 * l->k * dx * dx, 2.0 * l->k * dx * dy, 2.0 * l->k * dx * dy, s + 2.0 * l->k * dy * dy};
    cmath_status st = l->inverted ? cmath_matrix_initInverse(&j, &j) : 0;
    cmath_vect image{}, jp{};
    if (st >= 0) {
        st = lensMapPoint(self, point, &image);
    }
    if (st >= 0) {
        st = cmath_matrix_mapPoint(&j, point, &jp);
    }
    if (st >= 0) {
        out->matrix = j;
        out->trans = cmath_vect{image.x - jp.x, image.y - jp.y};
    }
    return st;
}

cmath_status lensGetInverse(const void* self, cmath_xformPtrh* out)
{
    const auto* l = static_cast<const Lens*>(self);
    return makeLens(l->centre, l->k, !l->inverted, out);
}

cmath_status lensClone(const void* self, cmath_xformPtrh* out)
{
    const auto* l = static_cast<const Lens*>(self);
    return makeLens(l->centre, l->k, l->inverted, out);
}

cmath_status lensQueryFinal(void* object, const char16_t* name, void** out)
{
    if (cstd_typename_equal(name, u"tour_lens") != 0) {
        *out = object;
        return 0;
    }
    return cmath_xform_queryInterfaceByTypenameFinal(&static_cast<Lens*>(object)->base, name, out);
}

cmath_status lensGetTypename(void*, const char16_t** out)
{
    *out = u"tour_lens";
    return 0;
}

const cmath_xformOps kLensOps = {lensMapPoint,   lensGetIsLinear, lensGetLinear, cmath_xfcomposed_defaultCompose,
                                 lensGetInverse, lensClone};
const cstd_sharedTypeTable kLensTypes = {lensQueryFinal, lensGetTypename};

cmath_status makeLens(cmath_vect centre, double k, int32_t inverted, cmath_xformPtrh* out)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(Lens), &block);
    if (st < 0) {
        return st;
    }
    auto* l = static_cast<Lens*>(block);
    l->centre = centre;
    l->k = k;
    l->inverted = inverted;
    st = cmath_xform_constructStandard(&l->base, l, &kLensOps, cstd_shared_vtable_default, &kLensTypes);
    if (st >= 0) {
        st = cstd_ptrh_assignShared(&out->handle, &l->base.shared);
    }
    if (st < 0) {
        csys_memory_free_internal(&block);
    }
    return st;
}

int tourTransforms()
{
    std::puts("== Transform objects: a caller's lens model chained with an affine one");
    // Pixels of a 640 x 480 camera: distortion about the image centre, then millimetres with the
    // origin at the centre.
    const cmath_xformLinear toMillimetres{{-3.2, -2.4}, {0.01, 0.0, 0.0, 0.01}};
    cmath_xformPtrh lens, affine, camera, back;
    cmath_xformPtrh_construct(&lens);
    cmath_xformPtrh_construct(&camera);
    cmath_xformPtrh_construct(&back);
    if (cmath_xformPtrh_constructLinear(&affine, &toMillimetres) < 0) {
        return 1;
    }
    // camera = affine o lens: the lens applies first. Then the caller's handles may go: the
    // chain holds its parts.
    int failures = makeLens(cmath_vect{320.0, 240.0}, 2e-7, 0, &lens) < 0 ||
                   cmath_xformPtrh_assignCompose(&camera, &affine, &lens) < 0;
    cmath_xformPtrh_destruct(&lens);
    cmath_xformPtrh_destruct(&affine);
    int32_t linear = -1;
    cmath_xformPtrh_getIsLinear(&camera, &linear);
    const cmath_vect corner{0.0, 0.0}, near{600.0, 400.0};
    cmath_vect mm{}, again{};
    cmath_xformLinear tangent{};
    if (failures == 0 && cmath_xformPtrh_mapPoint(&camera, &corner, &mm) >= 0 &&
        cmath_xformPtrh_getLinear(&camera, &near, &tangent) >= 0 && cmath_xformPtrh_getInverse(&camera, &back) >= 0 &&
        cmath_xformPtrh_mapPoint(&back, &mm, &again) >= 0) {
        std::printf("camera is linear: %d; pixel (0, 0) -> (%.6f, %.6f) mm -> back to (%.9f, %.9f)\n", linear, mm.x,
                    mm.y, again.x, again.y);
        std::printf("linearised about (600, 400): matrix (%.6f, %.6f; %.6f, %.6f), translation (%.6f, %.6f)\n",
                    tangent.matrix.e11, tangent.matrix.e12, tangent.matrix.e21, tangent.matrix.e22, tangent.trans.x,
                    tangent.trans.y);
    } else {
        failures = 1;
    }
    cmath_xformLinear none{};
    const cmath_status st = cmath_xformPtrh_getLinear(&camera, nullptr, &none);
    std::printf("linear form without a point: status 0x%08X (the chain is not linear)\n", static_cast<unsigned>(st));
    cmath_xformPtrh_destruct(&back);
    cmath_xformPtrh_destruct(&camera); // the last reference: the chain and the lens go
    return failures;
}

int tourAngles()
{
    std::puts("== Angles, table trigonometry and angle ranges");
    const cxAngle16 a(cxDegree(30.0));
    std::printf("30 degrees is 16-bit count %u; back: %.10f degrees\n", a.plain(), cxDegree(a).plain());
    std::printf("table sine %.9f, interpolated float sine %.7f, 8-bit count %u\n", cmath_sin16(&a.value),
                static_cast<double>(cfSinBin(a.plain())), cxAngle8(a).plain());
    std::printf("count 65000 + 1000 wraps to %u; 540 degrees normalised: %g, signed: %g\n",
                (cxAngle16(65000) + cxAngle16(1000)).plain(), cxDegree(540.0).norm().plain(),
                cxDegree(540.0).signedNorm().plain());
    std::printf("direction of (-3, 4) in 8-bit steps: %u\n", cfAtanBin8(4, -3));
    const cmath_radian from{3.0}, to{-3.0}, pi{3.141592653589793}, zero{0.0};
    cmath_angleRange arc{};
    int32_t hasPi = 0, hasZero = 0;
    if (cmath_angleRange_init(&arc, &from, &to) < 0 || cmath_angleRange_isValueWithin(&pi, &arc, &hasPi) < 0 ||
        cmath_angleRange_isValueWithin(&zero, &arc, &hasZero) < 0) {
        return 1;
    }
    std::printf("arc from 3 to -3 rad (through pi): contains pi %d, contains 0 %d\n", hasPi, hasZero);
    return 0;
}

} // namespace

int main()
{
    int failures = 0;
    failures += tourVectors();
    failures += tourGeometry();
    failures += tourStatistics();
    failures += tourTransforms();
    failures += tourAngles();
    return failures == 0 ? 0 : 1;
}
