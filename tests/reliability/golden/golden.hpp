// Golden outputs: a fixed set of computations in every family, reduced to one FNV-1a hash of
// the bit patterns of their results (each double's 8 bytes, each integer's bytes, each status).
// The library is built so that these bits do not depend on the compiler, the optimisation level
// or the target's instruction set; the test suite and the CI builds (g++ -O0, g++ -O3
// -march=native, clang++ -O2) compare the hashes with each other and with the committed ones.
#ifndef ORBMATH_TESTS_GOLDEN_HPP
#define ORBMATH_TESTS_GOLDEN_HPP

#include <orbmath/orbmath.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace golden {

class Hash {
public:
    void bytes(const void* p, size_t n)
    {
        const auto* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) {
            h_ = (h_ ^ b[i]) * 0x100000001b3ull;
        }
    }
    void d(double v) { bytes(&v, sizeof v); }
    void f(float v) { bytes(&v, sizeof v); }
    void i(int64_t v) { bytes(&v, sizeof v); }
    void st(cmath_status s) { i(s); }
    void v(const cmath_vect& p) { d(p.x), d(p.y); }
    void m(const cmath_matrix& a) { d(a.e11), d(a.e12), d(a.e21), d(a.e22); }
    void x(const cmath_xformLinear& a) { v(a.trans), m(a.matrix); }
    uint64_t value() const { return h_; }

private:
    uint64_t h_ = 0xcbf29ce484222325ull;
};

// A reproducible stream of awkward doubles (no library call involved): integer-based so that
// it is the same everywhere.
class Values {
public:
    double next()
    {
        s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
        const auto k = static_cast<int64_t>(s_ >> 40) - (int64_t{1} << 23); // |k| < 2^23
        return static_cast<double>(k) / 65536.0 + static_cast<double>(k % 7) * 1e-9;
    }
    cmath_vect vect() { return {next(), next()}; }
    cmath_radian angle() { return {next() / 16.0}; }

private:
    uint64_t s_ = 0x0123456789abcdefull;
};

inline uint64_t support()
{
    Hash h;
    Values val;
    for (uint64_t v : {0ull, 1ull, 99ull, 1ull << 52, ~0ull, 0xfffffffe00000001ull}) {
        h.i(static_cast<int64_t>(cmath_sqrt64(v)));
    }
    for (int k = 0; k < 20; ++k) {
        const double a = val.next(), b = val.next() / 3.0;
        h.d(cf_fmod64MSVC8Workaround(a, b));
        h.d(cmath_double_sqr(a));
        h.i(cmath_double_epsilonEqual(a, b, 1e-3));
    }
    return h.value();
}

inline uint64_t geometry()
{
    Hash h;
    Values val;
    for (int k = 0; k < 40; ++k) {
        const cmath_vect a = val.vect(), b = val.vect();
        const cmath_radian r1 = val.angle(), r2 = val.angle();
        cmath_vect v;
        double s;
        cmath_radian r;
        h.st(cmath_vect_initLengthAngle(&v, a.x, &r1)), h.v(v);
        h.st(cmath_vect_getLength(&a, &s)), h.d(s);
        h.st(cmath_vect_getDirection(&a, &r)), h.d(r.value);
        h.st(cmath_vect_getUnit(&b, &v)), h.v(v);
        h.st(cmath_vect_project(&a, &b, &v)), h.v(v);
        h.st(cmath_vect_initDivide(&v, &a, b.y)), h.v(v);

        cmath_matrix m, n, p;
        h.st(cmath_matrix_initRotationScale(&m, &r1, &r2, a.x / 100.0, b.y / 50.0)), h.m(m);
        h.st(cmath_matrix_initScaleAspect(&n, std::abs(b.x) + 0.5, 1.25, &r2, &r1)), h.m(n);
        h.st(cmath_matrix_initMultiply(&p, &m, &n)), h.m(p);
        h.st(cmath_matrix_initInverse(&p, &m)), h.m(p);
        h.st(cmath_matrix_getRotation(&n, &r)), h.d(r.value);
        h.st(cmath_matrix_getShear(&n, &r)), h.d(r.value);
        h.st(cmath_matrix_getScale(&n, &s)), h.d(s);
        h.st(cmath_matrix_getAspect(&n, &s)), h.d(s);

        cmath_xformLinear x, y, z;
        h.st(cmath_xformLinear_initMatrixTrans(&x, &m, &a));
        h.st(cmath_xformLinear_initMatrixTrans(&y, &n, &b));
        h.st(cmath_xformLinear_initCompose3(&z, &x, &y, &x)), h.x(z);
        h.st(cmath_xformLinear_getInverse(&z, &y)), h.x(y);
        h.st(cmath_xformLinear_invMapPoint(&x, &b, &v)), h.v(v);
        h.st(cmath_xformLinear_mapAngle(&x, &r1, &r)), h.d(r.value);
        h.st(cmath_xformLinear_invMapArea(&x, 3.5, &s)), h.d(s);

        cmath_xformRigid g, q;
        h.st(cmath_xformRigid_initAngleTrans(&g, &r1, &a));
        h.st(cmath_xformRigid_initAngleTrans(&q, &r2, &b));
        h.st(cmath_xformRigid_initCompose(&g, &g, &q));
        h.st(cmath_xformRigid_getXformLinear(&g, &x)), h.x(x);
        h.st(cmath_xformRigid_mapPoint(&g, &a, &v)), h.v(v);

        cmath_xformLinear1 l1 = {{a.x}, {b.y}}, l2 = {{b.x}, {a.y / 7.0}}, l3;
        h.st(cmath_xformLinear1_initCompose(&l3, &l1, &l2)), h.d(l3.trans.x), h.d(l3.matrix.e11);
        h.st(cmath_xformLinear1_initInverse(&l3, &l2)), h.d(l3.trans.x), h.d(l3.matrix.e11);

        cmath_vect3Fixed64 f1 = {static_cast<int64_t>(a.x * 4096), static_cast<int64_t>(a.y * 4096), 77};
        cmath_vect3Fixed64 f2 = {static_cast<int64_t>(b.x * 4096), -5, static_cast<int64_t>(b.y * 4096)};
        cmath_vect3Fixed64 f3;
        uint64_t len = 0;
        h.st(cmath_vect3Fixed64_cross(&f1, &f2, 12, &f3)), h.i(f3.x), h.i(f3.y), h.i(f3.z);
        h.st(cmath_vect3Fixed64_getLength(&f1, 12, &len)), h.i(static_cast<int64_t>(len));
        h.st(cmath_vect3Fixed64_getUnitFromLength(&f1, static_cast<int64_t>(len) + 1, 12, &f3));
        h.i(f3.x), h.i(f3.y), h.i(f3.z);
    }
    // Least-squares fits of growing point sets.
    std::vector<cmath_vect> src, dst;
    for (int k = 0; k < 30; ++k) {
        src.push_back(val.vect());
        dst.push_back(val.vect());
        cmath_xformLinear fit = {};
        h.st(cmath_xformLinear_initPoints(&fit, dst.data(), src.data(), static_cast<int32_t>(src.size())));
        h.x(fit);
    }
    return h.value();
}

inline uint64_t stats()
{
    Hash h;
    Values val;
    cmath_statistics s;
    h.st(cmath_statistics_init(&s));
    std::vector<double> values;
    for (int k = 0; k < 200; ++k) {
        values.push_back(val.next());
    }
    h.st(cmath_statistics_addValues(&s, values.data(), static_cast<int32_t>(values.size())));
    double mean, sd, rms, ext;
    h.st(cmath_statistics_getMeanStdDevRms(&s, &mean, &sd, &rms)), h.d(mean), h.d(sd), h.d(rms);
    h.st(cmath_statistics_getAbsExtremeAndRMS(&s, &ext, &rms)), h.d(ext), h.d(rms);

    cmath_matrixAverager ma;
    cmath_xformLinearAverager xa;
    h.st(cmath_matrixAverager_constructScaleAspect(&ma));
    h.st(cmath_xformLinearAverager_constructElement(&xa));
    for (int k = 0; k < 20; ++k) {
        const cmath_radian r1 = val.angle(), r2 = {val.next() / 1000.0};
        cmath_matrix m;
        h.st(cmath_matrix_initScaleAspect(&m, 1.0 + k * 0.125, 0.875, &r2, &r1));
        h.st(cmath_matrixAverager_addWeighted(&ma, &m, 0.5 + k));
        const cmath_xformLinear x = {val.vect(), m};
        h.st(cmath_xformLinearAverager_add(&xa, &x));
    }
    cmath_matrix avg;
    cmath_xformLinear xavg;
    int32_t ok = 0;
    h.st(cmath_matrixAverager_getAverage(&ma, &avg, &ok)), h.m(avg), h.i(ok);
    h.st(cmath_xformLinearAverager_getAverage(&xa, &xavg, &ok)), h.x(xavg), h.i(ok);
    h.st(cmath_matrixAverager_destruct(&ma));
    h.st(cmath_xformLinearAverager_destruct(&xa));

    csRandomUniform2 gen;
    csRandomUniformInit2(&gen, 1234);
    for (int k = 0; k < 300; ++k) {
        h.d(csRandomUniformNext2(&gen, -2.5, 7.0));
    }
    csDistribution dist;
    csUniformDistributionCT2(&dist, -1.0f, 3.0f);
    for (int k = 0; k < 50; ++k) {
        h.f(randomSampleVar2(&gen, &dist));
    }

    std::vector<double> observed, expectedCounts;
    for (int k = 0; k < 60; ++k) {
        observed.push_back(static_cast<double>(3 + (k * 7) % 11));
        expectedCounts.push_back(4.0 + (k % 5) * 0.75);
    }
    const cmath_chiSqTestParams params = {0.05};
    cmath_chiSqTestResult r;
    h.st(cmath_chiSqTest(observed.data(), 60, &params,
                         [](int32_t bin, void* c) { return static_cast<std::vector<double>*>(c)->at(static_cast<size_t>(bin)); },
                         &expectedCounts, &r));
    h.i(r.isComputed), h.i(r.passed), h.d(r.testStatistic), h.i(r.numDofs);
    for (int k = 1; k < 60; ++k) {
        double f = 0.0, g = 0.0;
        h.st(cmath_chiSquaredCDF(k * 1.7, k, &f)), h.d(f);
        h.st(cmath_lgamma(k * 0.37, &g)), h.d(g);
    }
    return h.value();
}

inline uint64_t xform()
{
    Hash h;
    Values val;
    auto linear = [&]() {
        const cmath_radian r = val.angle();
        cmath_xformLinear x;
        cmath_matrix m;
        cmath_matrix_initScaleAspect(&m, 1.5, 0.75, &r, &r);
        const cmath_vect t = val.vect();
        cmath_xformLinear_initMatrixTrans(&x, &m, &t);
        return x;
    };
    cmath_xformPtrhConst a, b, c, inv;
    const cmath_xformLinear la = linear(), lb = linear();
    h.st(cmath_xformPtrhConst_constructLinear(&a, &la));
    h.st(cmath_xformPtrhConst_constructLinear(&b, &lb));
    h.st(cmath_xformPtrhConst_construct(&c));
    h.st(cmath_xformPtrhConst_construct(&inv));
    // A chain that does not fold: a composed transform built from a and b, composed again.
    cmath_xfcomposed chain;
    h.st(cmath_xfcomposed_construct(&chain));
    h.st(cmath_xfcomposed_composeFrontPH_(&chain, &b));
    h.st(cmath_xfcomposed_composeFrontPH_(&chain, &a));
    h.st(cmath_xformPtrhConst_assignComposed(&c, &chain));
    h.st(cmath_xfcomposed_destruct(&chain));
    h.st(cmath_xformPtrhConst_assignCompose3(&c, &c, &a, &c));
    h.st(cmath_xformPtrhConst_getInverseConst(&c, &inv));
    for (int k = 0; k < 30; ++k) {
        const cmath_vect p = val.vect();
        cmath_vect q, back;
        cmath_xformLinear l;
        h.st(cmath_xformPtrhConst_mapPoint(&c, &p, &q)), h.v(q);
        h.st(cmath_xformPtrhConst_mapPoint(&inv, &q, &back)), h.v(back);
        h.st(cmath_xformPtrhConst_getLinear(&c, &p, &l)), h.x(l);
    }
    cmath_xformPtrhConst folded;
    h.st(cmath_xformPtrhConst_construct(&folded));
    h.st(cmath_xformPtrhConst_assignCompose(&folded, &a, &b));
    cmath_xformLinear l;
    h.st(cmath_xformPtrhConst_getLinear(&folded, nullptr, &l)), h.x(l);
    for (cmath_xformPtrhConst* p : {&folded, &inv, &c, &b, &a}) {
        h.st(cmath_xformPtrhConst_destruct(p));
    }
    return h.value();
}

struct Family {
    const char* name;
    uint64_t (*run)();
    uint64_t expected; // the committed hash
};

// The families on record and their committed hashes.
inline const std::vector<Family>& families()
{
    static const std::vector<Family> all = {
        {"support", support, 0x98592ee30e01e9bbull},
        {"geometry", geometry, 0x734165bc11b96378ull},
        {"stats", stats, 0xd837452979ac090dull},
        {"xform", xform, 0xaf7b4fb06b3fcc64ull},
    };
    return all;
}

} // namespace golden

#endif
