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
    failures += tourAngles();
    return failures == 0 ? 0 : 1;
}
