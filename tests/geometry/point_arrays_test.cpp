// Array mappings of the value types: every element bit-identical to the single-element function
// (random transforms and inputs, every length 0..67 and long ones, in place and out of place,
// every alignment of a long output), refusals that leave the output untouched, no allocation.
#include "geom_util.h"

#include "fault.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace geomtest;

namespace {

// One mapping bound to one transform: the array function and the single-element one.
template <class E> struct Mapping {
    std::string name;
    std::function<cmath_status(const E* in, E* out, int32_t n)> many;
    std::function<void(const E* in, E* out)> one;
};

// Random inputs with a sprinkling of zeros of both signs and infinities.
double sample(Rng& rng)
{
    static const double kSpecial[] = {0.0, -0.0, INFINITY, -INFINITY, 1.0};
    const double u = rng.uniform(0.0, 1.0);
    return u < 0.02 ? kSpecial[static_cast<int>(u * 250.0)] : rng.uniform(-1e3, 1e3);
}
void fill(Rng& rng, double* e) { *e = sample(rng); }
void fill(Rng& rng, cmath_vect* e) { *e = {sample(rng), sample(rng)}; }
void fill(Rng& rng, csDVec* e) { *e = {sample(rng), sample(rng)}; }
void fill(Rng& rng, csFVec* e) { *e = {static_cast<float>(sample(rng)), static_cast<float>(sample(rng))}; }

template <class E> std::vector<E> randomArray(Rng& rng, size_t n)
{
    std::vector<E> v(n);
    for (E& e : v) {
        fill(rng, &e);
    }
    return v;
}

template <class E> bool sameArrays(const E* a, const E* b, size_t n)
{
    return n == 0 || std::memcmp(a, b, n * sizeof(E)) == 0;
}

// n elements of in, out of place at element offset `shift` of a sentinel-filled buffer (whose
// other elements must stay untouched) and in place.
template <class E> void checkLength(const Mapping<E>& m, const std::vector<E>& pool, size_t n, size_t shift)
{
    SCOPED_TRACE(m.name + ", n = " + std::to_string(n) + ", shift " + std::to_string(shift));
    E sentinel;
    std::memset(&sentinel, 0x5a, sizeof sentinel);
    std::vector<E> want(n + shift + 1, sentinel), out = want;
    for (size_t i = 0; i < n; ++i) {
        m.one(&pool[i], &want[shift + i]);
    }
    ASSERT_EQ(m.many(pool.data(), out.data() + shift, static_cast<int32_t>(n)), 0);
    EXPECT_TRUE(sameArrays(out.data(), want.data(), out.size()));
    std::vector<E> inPlace(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(n));
    ASSERT_EQ(m.many(inPlace.data(), inPlace.data(), static_cast<int32_t>(n)), 0);
    EXPECT_TRUE(sameArrays(inPlace.data(), want.data() + shift, n));
}

template <class E> void checkMappings(const std::vector<Mapping<E>>& mappings, Rng& rng)
{
    const size_t kLong = (size_t{5} << 20) / sizeof(E) + 3; // streamed stores, at every alignment below
    const std::vector<E> pool = randomArray<E>(rng, kLong);
    const int64_t requests = csys_memory_testRequests();
    for (size_t k = 0; k < mappings.size(); ++k) {
        for (size_t n = 0; n <= 67; ++n) {
            checkLength(mappings[k], pool, n, n % 2);
        }
        checkLength(mappings[k], pool, 1000, 0);
        for (size_t shift = 0; k == 0 && shift < 64 / sizeof(E); ++shift) {
            checkLength(mappings[k], pool, kLong, shift);
        }
    }
    EXPECT_EQ(csys_memory_testRequests(), requests) << "an array mapping allocated";
}

cmath_matrix randomMatrix(Rng& rng) { return {sample(rng), sample(rng), sample(rng), sample(rng)}; }
cmath_xformLinear randomLinear(Rng& rng) { return {{sample(rng), sample(rng)}, randomMatrix(rng)}; }

// Each family over three random transforms.
std::vector<Mapping<cmath_vect>> pointMappings(Rng& rng)
{
    std::vector<Mapping<cmath_vect>> all;
    for (int t = 0; t < 3; ++t) {
        const cmath_matrix a = randomMatrix(rng);
        const cmath_xformLinear x = randomLinear(rng);
        cmath_xformRigid r;
        const cmath_radian angle{rng.uniform(-10.0, 10.0)};
        cmath_xformRigid_initAngleTransElements(&r, &angle, sample(rng), sample(rng));
        const auto add = [&](const char* name, auto many, auto one, const auto& value) {
            all.push_back({name, [=](const cmath_vect* in, cmath_vect* out, int32_t n) { return many(&value, in, out, n); },
                           [=](const cmath_vect* in, cmath_vect* out) { ASSERT_EQ(one(&value, in, out), 0); }});
        };
        add("matrix_mapPoints", cmath_matrix_mapPoints, cmath_matrix_mapPoint, a);
        add("matrix_invMapPoints", cmath_matrix_invMapPoints, cmath_matrix_invMapPoint, a);
        add("xformLinear_mapPoints", cmath_xformLinear_mapPoints, cmath_xformLinear_mapPoint, x);
        add("xformLinear_invMapPoints", cmath_xformLinear_invMapPoints, cmath_xformLinear_invMapPoint, x);
        add("xformLinear_mapVectors", cmath_xformLinear_mapVectors, cmath_xformLinear_mapVector, x);
        add("xformLinear_invMapVectors", cmath_xformLinear_invMapVectors, cmath_xformLinear_invMapVector, x);
        add("xformRigid_mapPoints", cmath_xformRigid_mapPoints, cmath_xformRigid_mapPoint, r);
    }
    return all;
}

} // namespace

TEST(PointArrays, EveryElementIsTheSingleElementMapping)
{
    Rng rng;
    checkMappings(pointMappings(rng), rng);

    std::vector<Mapping<double>> values;
    std::vector<Mapping<csFVec>> floats;
    std::vector<Mapping<csDVec>> doubles;
    for (int t = 0; t < 3; ++t) {
        const cmath_xformLinear1 x1{{sample(rng)}, {sample(rng)}};
        values.push_back({"xformLinear1_mapValues",
                          [=](const double* in, double* out, int32_t n) { return cmath_xformLinear1_mapValues(&x1, in, out, n); },
                          [=](const double* in, double* out) { ASSERT_EQ(cmath_xformLinear1_mapValue(&x1, *in, out), 0); }});
        const auto f = [&] { return static_cast<float>(sample(rng)); };
        const csFXform xf{{f(), f()}, {f(), f(), f(), f()}};
        floats.push_back({"csFXformMapPts", [=](const csFVec* in, csFVec* out, int32_t n) { return csFXformMapPts(&xf, in, out, n); },
                          [=](const csFVec* in, csFVec* out) { csFXformMapPt(&xf, in, out); }});
        const csDXform xd{{sample(rng), sample(rng)}, {sample(rng), sample(rng), sample(rng), sample(rng)}};
        doubles.push_back({"csDXformMapPts", [=](const csDVec* in, csDVec* out, int32_t n) { return csDXformMapPts(&xd, in, out, n); },
                           [=](const csDVec* in, csDVec* out) { csDXformMapPt(&xd, in, out); }});
    }
    checkMappings(values, rng);
    checkMappings(floats, rng);
    checkMappings(doubles, rng);
}

TEST(PointArrays, RefusalsLeaveTheOutputUntouched)
{
    Rng rng;
    const cmath_matrix singular{1.0, 2.0, 2.0, 4.0};
    const cmath_xformLinear singularX{{1.0, 1.0}, singular};
    const std::vector<cmath_vect> in = randomArray<cmath_vect>(rng, 8);
    for (const Mapping<cmath_vect>& m : pointMappings(rng)) {
        SCOPED_TRACE(m.name);
        std::vector<cmath_vect> buf(8, kVectSentinel);
        const std::vector<cmath_vect> untouched = buf;
        const auto refused = [&](cmath_status want, const cmath_vect* src, cmath_vect* dst, int32_t n) {
            EXPECT_EQ(m.many(src, dst, n), want);
            EXPECT_TRUE(sameArrays(buf.data(), untouched.data(), buf.size()));
        };
        refused(cmath_errNegativeCount, in.data(), buf.data(), -1);
        refused(cmath_errNullArgument, nullptr, buf.data(), 1);
        refused(cmath_errNullArgument, in.data(), nullptr, 1);
        refused(cmath_errFailed, buf.data(), buf.data() + 1, 4); // overlap without being the same array
        refused(cmath_errFailed, buf.data() + 3, buf.data(), 4);
        refused(0, nullptr, nullptr, 0);
        std::vector<cmath_vect> pair(in.begin(), in.end()); // arrays that touch do not overlap
        EXPECT_EQ(m.many(pair.data() + 4, pair.data(), 4), 0);
        EXPECT_EQ(m.many(pair.data(), pair.data() + 4, 4), 0);
    }
    // A null transform, and the singular matrix the inverse mappings cannot use.
    std::vector<cmath_vect> buf(8, kVectSentinel);
    EXPECT_EQ(cmath_matrix_mapPoints(nullptr, in.data(), buf.data(), 8), cmath_errNullArgument);
    EXPECT_EQ(cmath_xformLinear_mapPoints(nullptr, in.data(), buf.data(), 8), cmath_errNullArgument);
    EXPECT_EQ(cmath_xformRigid_mapPoints(nullptr, in.data(), buf.data(), 8), cmath_errNullArgument);
    EXPECT_EQ(cmath_xformLinear1_mapValues(nullptr, &in[0].x, &buf[0].x, 8), cmath_errNullArgument);
    EXPECT_EQ(csDXformMapPts(nullptr, nullptr, nullptr, 0), cmath_errNullArgument);
    EXPECT_EQ(cmath_matrix_invMapPoints(&singular, in.data(), buf.data(), 8), cmath_errSingular);
    EXPECT_EQ(cmath_xformLinear_invMapPoints(&singularX, in.data(), buf.data(), 8), cmath_errSingular);
    EXPECT_EQ(cmath_xformLinear_invMapVectors(&singularX, in.data(), buf.data(), 8), cmath_errSingular);
    EXPECT_TRUE(sameArrays(buf.data(), std::vector<cmath_vect>(8, kVectSentinel).data(), 8));
    EXPECT_EQ(cmath_matrix_invMapPoints(&singular, in.data(), buf.data(), 0), 0);
}
