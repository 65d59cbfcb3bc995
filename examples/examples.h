// The example programs of orbmath. Each group's demonstration is one function in its own file;
// the file's main() runs it, and the tour (tour.cpp) runs all of them. A function returns the
// number of steps that failed (0 when everything went as shown).
#ifndef ORBMATH_EXAMPLES_H
#define ORBMATH_EXAMPLES_H

#include <orbmath/orbmath.h>

#include <cstdio>

int exampleGeometry();   // geometry.cpp: vectors, matrices and affine transforms
int exampleTransforms(); // transforms.cpp: transform objects and a kind defined by the caller
int exampleGrid();       // grid.cpp: arrays of points through a composed transform
int exampleAngles();     // angles.cpp: angles, binary trigonometry and angle ranges
int exampleStatistics(); // statistics.cpp: statistics, averaging, sampling, chi-squared test
int exampleMatrices();   // matrices.cpp: general matrices, decompositions and solves
int exampleRegistration(); // registration.cpp: pose from matched points with wrong matches

// Prints a failure status as the library reports it, e.g. "status 0x80000584".
inline void printStatus(const char* what, long status)
{
    std::printf("%s: status 0x%08lX\n", what, static_cast<unsigned long>(status) & 0xFFFFFFFFul);
}

#endif
