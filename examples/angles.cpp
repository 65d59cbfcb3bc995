// Angles: the C++ angle classes and their conversions, binary angles with table trigonometry
// (no run-time library calls), normalisation, and arcs of the circle.
#include "examples.h"

int exampleAngles()
{
    std::puts("== Angles, binary trigonometry and angle ranges");
    int failures = 0;

    // 16-bit binary angles count 65536 steps per turn; conversions round to the nearest step.
    const cxAngle16 a(cxDegree(30.0));
    std::printf("30 degrees is 16-bit count %u; back: %.10f degrees\n", a.plain(), cxDegree(a).plain());
    std::printf("table sine %.9f, interpolated float sine %.7f, 8-bit count %u\n", cmath_sin16(&a.value),
                static_cast<double>(cfSinBin(a.plain())), cxAngle8(a).plain());
    const cxAngle16 quarter(16384);
    std::printf("a quarter turn: sine %g, cosine %g (exact)\n", cmath_sin16(&quarter.value), cmath_cos16(&quarter.value));

    // Binary arithmetic wraps modulo one turn; real angles are normalised only when asked.
    std::printf("count 65000 + 1000 wraps to %u\n", (cxAngle16(65000) + cxAngle16(1000)).plain());
    std::printf("540 degrees: norm %g, signedNorm %g\n", cxDegree(540.0).norm().plain(),
                cxDegree(540.0).signedNorm().plain());
    std::printf("direction of (-3, 4) in 8-bit steps: %u\n", cfAtanBin8(4, -3));

    // An arc from 3 to -3 rad runs counter-clockwise through pi.
    const cmath_radian from{3.0}, to{-3.0}, pi{3.141592653589793}, zero{0.0};
    cmath_angleRange arc{};
    int32_t hasPi = 0, hasZero = 0;
    failures += cmath_angleRange_init(&arc, &from, &to) < 0;
    failures += cmath_angleRange_isValueWithin(&pi, &arc, &hasPi) < 0;
    failures += cmath_angleRange_isValueWithin(&zero, &arc, &hasZero) < 0;
    std::printf("arc from 3 to -3 rad: contains pi %d, contains 0 %d\n", hasPi, hasZero);

    // A numeric range refuses a start above its end and keeps its old value.
    cmath_range r{};
    failures += cmath_range_init(&r, 1.0, 2.0) < 0;
    printStatus("range [2, 1]", cmath_range_init(&r, 2.0, 1.0));
    std::printf("range still [%g, %g]\n", r.start, r.end);
    return failures;
}

#ifndef ORBMATH_TOUR
int main() { return exampleAngles() == 0 ? 0 : 1; }
#endif
