// Vectors, 2x2 matrices and affine transforms: the flat value-type interface.
// Every function returns a status (0 success, negative failure) and writes nothing on failure.
#include "examples.h"

#include <cmath>

int exampleGeometry()
{
    std::puts("== Vectors and affine transforms");
    int failures = 0;

    // Inputs first, the result through the last pointer.
    const cmath_vect a{3.0, 4.0}, b{2.0, 5.0};
    cmath_vect unit{}, along{};
    double len = 0.0, cross = 0.0;
    failures += cmath_vect_getLength(&a, &len) < 0;
    failures += cmath_vect_getUnit(&a, &unit) < 0;
    failures += cmath_vect_project(&a, &b, &along) < 0;
    failures += cmath_vect_cross(&a, &b, &cross) < 0;
    std::printf("a = (3, 4): length %g, unit (%g, %g)\n", len, unit.x, unit.y);
    std::printf("b = (2, 5) along a: (%g, %g); a x b = %g\n", along.x, along.y, cross);

    // A failure leaves the output as it was: unit still holds (0.6, 0.8).
    const cmath_vect zero{0.0, 0.0};
    printStatus("unit of (0, 0)", cmath_vect_getUnit(&zero, &unit));
    std::printf("unit untouched: (%g, %g)\n", unit.x, unit.y);

    // Composition a o b applies b first: here scale by 2, then shift by (1, 0).
    const cmath_xformLinear shift{{1.0, 0.0}, {1.0, 0.0, 0.0, 1.0}};
    const cmath_xformLinear scale{{0.0, 0.0}, {2.0, 0.0, 0.0, 2.0}};
    cmath_xformLinear both{}, inverse{};
    cmath_vect p{}, back{};
    const cmath_vect one{1.0, 1.0};
    failures += cmath_xformLinear_initCompose(&both, &shift, &scale) < 0;
    failures += cmath_xformLinear_mapPoint(&both, &one, &p) < 0;
    failures += cmath_xformLinear_getInverse(&both, &inverse) < 0;
    failures += cmath_xformLinear_mapPoint(&inverse, &p, &back) < 0;
    std::printf("shift o scale maps (1, 1) to (%g, %g); the inverse maps it back to (%g, %g)\n", p.x, p.y,
                back.x, back.y);

    // Fit an affine transform to eight measured point pairs and decompose its matrix.
    const cmath_radian shear{0.1}, rotation{0.5};
    cmath_xformLinear truth{{10.0, -4.0}, {}};
    failures += cmath_matrix_initScaleAspect(&truth.matrix, 1.5, 0.8, &shear, &rotation) < 0;
    const cmath_vect src[8] = {{0, 0}, {4, 0}, {0, 3}, {4, 3}, {2, 1}, {1, 2}, {3, 2.5}, {-1, 1}};
    const double noise[8][2] = {{0.01, -0.02}, {-0.015, 0.01}, {0.0, 0.02}, {0.02, 0.0},
                                {-0.01, -0.01}, {0.005, 0.015}, {-0.02, 0.005}, {0.01, -0.005}};
    cmath_vect dst[8];
    for (int i = 0; i < 8; ++i) {
        failures += cmath_xformLinear_mapPoint(&truth, &src[i], &dst[i]) < 0;
        dst[i].x += noise[i][0];
        dst[i].y += noise[i][1];
    }
    cmath_xformLinear fit{};
    failures += cmath_xformLinear_initPoints(&fit, dst, src, 8) < 0;
    double s = 0.0, aspect = 0.0;
    cmath_radian rot{}, sh{};
    failures += cmath_matrix_getRotation(&fit.matrix, &rot) < 0;
    failures += cmath_matrix_getScale(&fit.matrix, &s) < 0;
    failures += cmath_matrix_getAspect(&fit.matrix, &aspect) < 0;
    failures += cmath_matrix_getShear(&fit.matrix, &sh) < 0;
    std::printf("fit of 8 noisy pairs: rotation %.3f, scale %.3f, aspect %.3f, shear %.3f "
                "(built from 0.5, 1.5, 0.8, 0.1)\n", rot.value, s, aspect, sh.value);

    // Collinear sources cannot determine an affine transform: refused, fit untouched.
    const cmath_vect line[3] = {{0, 0}, {1, 1}, {2, 2}};
    const cmath_xformLinear before = fit;
    printStatus("fit to collinear points", cmath_xformLinear_initPoints(&fit, dst, line, 3));
    int32_t same = 0;
    failures += cmath_xformLinear_compareEqual(&before, &fit, &same) < 0;
    std::printf("fit untouched: %s\n", same ? "yes" : "no");
    return failures;
}

#ifndef ORBMATH_TOUR
int main() { return exampleGeometry() == 0 ? 0 : 1; }
#endif
