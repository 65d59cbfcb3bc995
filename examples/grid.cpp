// Arrays of points: a calibration grid mapped through a composed transform in one call, the same
// bits as mapping it point by point, in place as well, and a refusal that writes nothing.
#include "examples.h"

#include <cstring>
#include <vector>

int exampleGrid()
{
    std::puts("== Arrays of points: a 9 x 7 grid through a composed transform");
    // Pixels of a 640 x 480 image every 80 pixels, row by row.
    std::vector<cmath_vect> grid;
    for (int row = 0; row <= 480; row += 80) {
        for (int col = 0; col <= 640; col += 80) {
            grid.push_back(cmath_vect{static_cast<double>(col), static_cast<double>(row)});
        }
    }
    const int32_t n = static_cast<int32_t>(grid.size());

    // The chain [pixels to millimetres about the image centre, the camera's pose on the table]:
    // kept as two parts (a composed transform), each applied to every point in turn.
    const cmath_xformLinear toMillimetres{{-3.2, -2.4}, {0.01, 0.0, 0.0, 0.01}};
    const cmath_radian quarterTurn{1.5707963267948966};
    cmath_xformRigid pose;
    cmath_xformLinear poseLinear;
    int failures = cmath_xformRigid_initAngleTransElements(&pose, &quarterTurn, 100.0, 50.0) < 0;
    failures += cmath_xformRigid_getXformLinear(&pose, &poseLinear) < 0;
    cmath_xformPtrhConst parts[2];
    cmath_xfcomposed chain;
    failures += cmath_xformPtrhConst_constructLinear(&parts[0], &toMillimetres) < 0;
    failures += cmath_xformPtrhConst_constructLinear(&parts[1], &poseLinear) < 0;
    failures += cmath_xfcomposed_construct(&chain) < 0;
    failures += cmath_xfcomposed_composeFrontPH_(&chain, &parts[1]) < 0; // applied last
    failures += cmath_xfcomposed_composeFrontPH_(&chain, &parts[0]) < 0; // applied first
    if (failures != 0) {
        return failures;
    }

    std::vector<cmath_vect> table(grid.size());
    failures += cmath_xfcomposed_mapPoints(&chain, grid.data(), table.data(), n) < 0;
    for (const int32_t i : {0, 8, 54, 62}) {
        std::printf("pixel (%3.0f, %3.0f) -> table (%.6f, %.6f) mm\n", grid[i].x, grid[i].y, table[i].x, table[i].y);
    }

    // Every point carries the bits the single-point mapping gives, in place too.
    bool same = true;
    for (int32_t i = 0; i < n; ++i) {
        cmath_vect one{};
        failures += cmath_xfcomposed_mapPoint(&chain, &grid[i], &one) < 0;
        same = same && std::memcmp(&one, &table[i], sizeof one) == 0;
    }
    std::vector<cmath_vect> inPlace = grid;
    failures += cmath_xfcomposed_mapPoints(&chain, inPlace.data(), inPlace.data(), n) < 0;
    same = same && std::memcmp(inPlace.data(), table.data(), table.size() * sizeof(cmath_vect)) == 0;
    std::printf("%d points, each as cmath_xfcomposed_mapPoint maps it, in place too: %s\n", n, same ? "yes" : "no");

    // A refused call writes nothing.
    const cmath_vect first = table[0];
    printStatus("a negative count", cmath_xfcomposed_mapPoints(&chain, grid.data(), table.data(), -1));
    std::printf("the table is untouched: %s\n", std::memcmp(&first, &table[0], sizeof first) == 0 ? "yes" : "no");

    // The chain holds its own references to its parts.
    cmath_xfcomposed_destruct(&chain);
    cmath_xformPtrhConst_destruct(&parts[0]);
    cmath_xformPtrhConst_destruct(&parts[1]);
    return failures;
}

#ifndef ORBMATH_TOUR
int main() { return exampleGrid() == 0 ? 0 : 1; }
#endif
