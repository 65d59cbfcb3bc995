/* A C program built against the installed library through pkg-config. */
#include <orbmath/orbmath.h>

#include <stdio.h>

int main(void)
{
    cmath_vect a = {3.0, 4.0};
    cmath_vect u;
    if (cmath_vect_getUnit(&a, &u) < 0 || u.x != (1.0 / 5.0) * 3.0 || u.y != (1.0 / 5.0) * 4.0) {
        puts("unexpected unit vector");
        return 1;
    }
    puts("c consumer ok");
    return 0;
}
