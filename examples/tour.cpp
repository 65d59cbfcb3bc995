// A short tour of orbmath on built-in data.
#include <orbmath/orbmath.h>

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

} // namespace

int main()
{
    int failures = 0;
    failures += tourVectors();
    return failures == 0 ? 0 : 1;
}
