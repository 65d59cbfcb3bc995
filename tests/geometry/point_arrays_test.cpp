// Array mappings of the value types: every element bit-identical to the single-element function
// (three random transforms each, every length 0..67, 1000 and a long one at every alignment of
// the output, in place and out of place), refusals that leave the output untouched, no allocation.
#include "fault.h"
#include "orbtest_a.h"

#include <string>
#include <type_traits>
#include <vector>

using namespace orbtest;

namespace {

// Random inputs with a sprinkling of zeros of both signs and infinities.
double sample(Rng& rng)
{
    static const double kSpecial[] = {0.0, -0.0, INFINITY, -INFINITY, 1.0};
    const double u = rng.uniform(0.0, 1.0);
    return u < 0.02 ? kSpecial[static_cast<int>(u * 250.0)] : rng.uniform(-1e3, 1e3);
}

// Long enough that the output is streamed (from 4 MiB on), at every alignment below.
template <class E> constexpr size_t kLong = (size_t{5} << 20) / sizeof(E) + 3;

template <class E> std::vector<E> randomArray(Rng& rng, size_t n)
{
    using S = std::conditional_t<std::is_same_v<E, csFVec>, float, double>;
    std::vector<E> v(n);
    for (size_t i = 0; i < n * sizeof(E) / sizeof(S); ++i) {
        reinterpret_cast<S*>(v.data())[i] = static_cast<S>(sample(rng));
    }
    return v;
}

template <class E> bool sameArrays(const E* a, const E* b, size_t n) { return n == 0 || std::memcmp(a, b, n * sizeof(E)) == 0; }

// n elements of the pool through many, out of place at element offset `shift` of a
// sentinel-filled buffer (whose other elements must stay untouched) and in place, against one.
template <class E, class Many, class One>
void checkLength(Many many, One one, const std::vector<E>& pool, size_t n, size_t shift)
{
    SCOPED_TRACE("n = " + std::to_string(n) + ", shift " + std::to_string(shift));
    std::vector<E> want(n + shift + 1, sentinel<E>()), got = want;
    for (size_t i = 0; i < n; ++i) {
        one(&pool[i], &want[shift + i]);
    }
    ASSERT_EQ(many(pool.data(), got.data() + shift, static_cast<int32_t>(n)), 0);
    EXPECT_TRUE(sameArrays(got.data(), want.data(), got.size()));
    std::vector<E> inPlace(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(n));
    ASSERT_EQ(many(inPlace.data(), inPlace.data(), static_cast<int32_t>(n)), 0);
    EXPECT_TRUE(sameArrays(inPlace.data(), want.data() + shift, n));
}

template <class E, class Many, class One>
void sweep(const char* name, Many many, One one, const std::vector<E>& pool, bool withLong)
{
    SCOPED_TRACE(name);
    for (size_t n = 0; n <= 67; ++n) {
        checkLength(many, one, pool, n, n % 2);
    }
    checkLength(many, one, pool, 1000, 0);
    for (size_t shift = 0; withLong && shift < 64 / sizeof(E); ++shift) {
        checkLength(many, one, pool, kLong<E>, shift);
    }
}

#define SWEEP(many, one, x, pool, withLong)                                                            \
    sweep(#many, [&](auto in, auto o, int32_t n) { return many(&x, in, o, n); },                       \
          [&](auto in, auto o) { one(&x, in, o); }, pool, withLong)

cmath_matrix randomMatrix(Rng& rng) { return {sample(rng), sample(rng), sample(rng), sample(rng)}; }

} // namespace

TEST(PointArrays, EveryElementIsTheSingleElementMapping)
{
    Rng rng;
    const auto points = randomArray<cmath_vect>(rng, kLong<cmath_vect>);
    const auto values = randomArray<double>(rng, kLong<double>);
    const auto floats = randomArray<csFVec>(rng, kLong<csFVec>);
    const auto doubles = randomArray<csDVec>(rng, 1000);
    const int64_t requests = csys_memory_testRequests();
    for (int t = 0; t < 3; ++t) {
        const cmath_matrix a = randomMatrix(rng);
        const cmath_xformLinear x = {{sample(rng), sample(rng)}, randomMatrix(rng)};
        const cmath_radian angle{rng.uniform(-10.0, 10.0)};
        cmath_xformRigid r;
        ASSERT_EQ(cmath_xformRigid_initAngleTransElements(&r, &angle, sample(rng), sample(rng)), 0);
        const cmath_xformLinear1 x1{{sample(rng)}, {sample(rng)}};
        const auto f = [&] { return static_cast<float>(sample(rng)); };
        const csFXform xf{{f(), f()}, {f(), f(), f(), f()}};
        const csDXform xd{{sample(rng), sample(rng)}, {sample(rng), sample(rng), sample(rng), sample(rng)}};
        SWEEP(cmath_matrix_mapPoints, cmath_matrix_mapPoint, a, points, t == 0);
        SWEEP(cmath_matrix_invMapPoints, cmath_matrix_invMapPoint, a, points, false);
        SWEEP(cmath_xformLinear_mapPoints, cmath_xformLinear_mapPoint, x, points, false);
        SWEEP(cmath_xformLinear_invMapPoints, cmath_xformLinear_invMapPoint, x, points, false);
        SWEEP(cmath_xformLinear_mapVectors, cmath_xformLinear_mapVector, x, points, false);
        SWEEP(cmath_xformLinear_invMapVectors, cmath_xformLinear_invMapVector, x, points, false);
        SWEEP(cmath_xformRigid_mapPoints, cmath_xformRigid_mapPoint, r, points, false);
        SWEEP(csFXformMapPts, csFXformMapPt, xf, floats, t == 0);
        SWEEP(csDXformMapPts, csDXformMapPt, xd, doubles, false);
        sweep("cmath_xformLinear1_mapValues",
              [&](const double* in, double* o, int32_t n) { return cmath_xformLinear1_mapValues(&x1, in, o, n); },
              [&](const double* in, double* o) { cmath_xformLinear1_mapValue(&x1, *in, o); }, values, t == 0);
    }
    EXPECT_EQ(csys_memory_testRequests(), requests) << "an array mapping allocated";
}

TEST(PointArrays, RefusalsLeaveTheOutputUntouched)
{
    Rng rng;
    const cmath_matrix a = randomMatrix(rng), singular{1, 2, 2, 4};
    const cmath_xformLinear x{{1, 1}, a}, singularX{{1, 1}, singular};
    const cmath_xformRigid r{{1, 2}, 0.5, 0.25, 0.75};
    const std::vector<cmath_vect> in = randomArray<cmath_vect>(rng, 8);
    std::vector<cmath_vect> buf(8, sentinel<cmath_vect>());
    const std::vector<cmath_vect> untouched = buf;
    const auto refused = [&](const char* name, auto many, const auto& t, cmath_status want, const cmath_vect* src,
                             cmath_vect* dst, int32_t n) {
        EXPECT_EQ(many(&t, src, dst, n), want) << name;
        EXPECT_TRUE(sameArrays(buf.data(), untouched.data(), buf.size())) << name;
    };
#define REFUSED(many, t)                                                                               \
    refused(#many, many, t, cmath_errNegativeCount, in.data(), buf.data(), -1);                        \
    refused(#many, many, t, cmath_errFailed, buf.data(), buf.data() + 1, 4); /* overlapping */        \
    refused(#many, many, t, cmath_errFailed, buf.data() + 3, buf.data(), 4);                           \
    refused(#many, many, t, 0, nullptr, nullptr, 0);                                                   \
    EXPECT_EQ(many(&t, buf.data() + 4, buf.data(), 4), 0); /* arrays that touch do not overlap */      \
    EXPECT_EQ(many(&t, buf.data(), buf.data() + 4, 4), 0);                                             \
    buf = untouched
    REFUSED(cmath_matrix_mapPoints, a);
    REFUSED(cmath_matrix_invMapPoints, a);
    REFUSED(cmath_xformLinear_mapPoints, x);
    REFUSED(cmath_xformLinear_invMapPoints, x);
    REFUSED(cmath_xformLinear_mapVectors, x);
    REFUSED(cmath_xformLinear_invMapVectors, x);
    REFUSED(cmath_xformRigid_mapPoints, r);
#undef REFUSED
    refused("matrix_invMapPoints", cmath_matrix_invMapPoints, singular, cmath_errSingular, in.data(), buf.data(), 8);
    refused("xformLinear_invMapPoints", cmath_xformLinear_invMapPoints, singularX, cmath_errSingular, in.data(),
            buf.data(), 8);
    refused("xformLinear_invMapVectors", cmath_xformLinear_invMapVectors, singularX, cmath_errSingular, in.data(),
            buf.data(), 8);
    refused("matrix_invMapPoints, n = 0", cmath_matrix_invMapPoints, singular, 0, in.data(), buf.data(), 0);
    double values[4] = {1, 2, 3, 4};
    const cmath_xformLinear1 x1{{1}, {2}};
    EXPECT_EQ(cmath_xformLinear1_mapValues(&x1, values, values + 1, 2), cmath_errFailed);
    EXPECT_EQ(cmath_xformLinear1_mapValues(&x1, values, values, -1), cmath_errNegativeCount);
    EXPECT_TRUE(values[0] == 1 && values[1] == 2 && values[2] == 3);
}
