// A short tour of orbmath: runs the demonstration of every family group in turn. Each group
// also builds as a program of its own (example_geometry, example_transforms, ...).
#include "examples.h"

int main()
{
    int failures = 0;
    failures += exampleGeometry();
    failures += exampleTransforms();
    failures += exampleGrid();
    failures += exampleAngles();
    failures += exampleStatistics();
    failures += exampleMatrices();
    failures += exampleRegistration();
    std::printf("== %s\n", failures == 0 ? "every step of the tour succeeded" : "some steps failed");
    return failures == 0 ? 0 : 1;
}
