// A program of another project that finds the installed library with find_package.
#include <orbmath/orbmath.h>

#include <cstdio>

int main()
{
    cmath_vect a{3.0, 4.0};
    double len = 0.0;
    if (cmath_vect_getLength(&a, &len) < 0 || len != 5.0) {
        std::puts("unexpected length");
        return 1;
    }
    std::puts("consumer ok");
    return 0;
}
