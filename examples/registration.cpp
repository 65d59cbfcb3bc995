// Registration: find the pose of a part from matched points when some matches are wrong. A
// plain least-squares fit is pulled away by the wrong matches; the robust fit finds them, and
// gives the same answer for the same generator seed on every machine.
#include "examples.h"

#include <cmath>

int exampleRegistration()
{
    int failures = 0;
    // Twelve features of a part (its own frame) and where a camera saw them: the part turned by
    // 0.35 rad and moved by (40, -15), with a little measurement noise, and four matches wrong.
    const cmath_vect model[12] = {{0, 0},  {30, 0},  {60, 0},  {90, 0},  {90, 20}, {90, 40},
                                  {60, 40}, {30, 40}, {0, 40}, {0, 20},  {45, 10}, {45, 30}};
    const double noise[12][2] = {{0.02, -0.01}, {-0.03, 0.02}, {0.01, 0.01},  {0.0, -0.02},
                                 {0.02, 0.0},   {-0.01, 0.03}, {0.03, -0.02}, {-0.02, -0.01},
                                 {0.01, 0.02},  {-0.02, 0.01}, {0.0, 0.01},   {0.01, -0.03}};
    const int wrong[4] = {2, 5, 9, 11};
    const cmath_radian turn{0.35};
    cmath_xformRigid pose{};
    failures += cmath_xformRigid_initAngleTransElements(&pose, &turn, 40.0, -15.0) < 0;
    cmath_vect seen[12];
    for (int i = 0; i < 12; ++i) {
        failures += cmath_xformRigid_mapPoint(&pose, &model[i], &seen[i]) < 0;
        seen[i].x += noise[i][0];
        seen[i].y += noise[i][1];
    }
    for (int k = 0; k < 4; ++k) {
        seen[wrong[k]] = cmath_vect{10.0 * k, 80.0 - 15.0 * k};
    }

    cmath_xformRigid plain{};
    failures += cmath_xformRigid_initPoints(&plain, seen, model, 12) < 0;
    std::printf("least squares, all 12 matches: angle %.3f, shift (%.2f, %.2f)\n", plain.angle, plain.trans.x,
                plain.trans.y);

    // Inliers within 0.5 of their match; at most 500 samples, fewer once 99.9 % sure.
    csRandomUniform2 state;
    csRandomUniformInit2(&state, 2024);
    const csRandomUniform2 start = state;
    cmath_xformRigid robust{};
    int32_t mask[12], count = 0;
    failures += cmath_xformRigid_initPointsRobust(&robust, seen, model, 12, &state, 0.5, 500, 0.999, mask, &count) < 0;
    std::printf("robust: angle %.3f, shift (%.2f, %.2f) (built from 0.35, (40, -15))\n", robust.angle,
                robust.trans.x, robust.trans.y);
    std::printf("%d inliers; wrong matches found:", count);
    for (int i = 0; i < 12; ++i) {
        if (!mask[i]) {
            std::printf(" %d", i);
        }
    }
    std::printf("\n");

    // The same seed gives the same fit, bit for bit.
    cmath_xformRigid again{};
    state = start;
    failures += cmath_xformRigid_initPointsRobust(&again, seen, model, 12, &state, 0.5, 500, 0.999, nullptr, nullptr) < 0;
    std::printf("same seed, same fit: %s\n",
                again.angle == robust.angle && again.trans.x == robust.trans.x && again.trans.y == robust.trans.y
                    ? "yes"
                    : "no");

    // One match is fewer than a sample of two: refused, nothing written.
    printStatus("robust fit of 1 match", cmath_xformRigid_initPointsRobust(&again, seen, model, 1, &state, 0.5, 500,
                                                                           0.999, nullptr, nullptr));
    return failures;
}

#ifndef ORBMATH_TOUR
int main() { return exampleRegistration() == 0 ? 0 : 1; }
#endif
