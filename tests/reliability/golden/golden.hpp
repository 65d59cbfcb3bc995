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

inline void support(Hash& h, Values& val)
{
    for (uint64_t v : {0ull, 1ull, 99ull, 1ull << 52, ~0ull, 0xfffffffe00000001ull}) {
        h.i(static_cast<int64_t>(cmath_sqrt64(v)));
    }
    for (int k = 0; k < 20; ++k) {
        const double a = val.next(), b = val.next() / 3.0;
        h.d(cf_fmod64MSVC8Workaround(a, b));
        h.d(cmath_double_sqr(a));
        h.i(cmath_double_epsilonEqual(a, b, 1e-3));
    }
}

inline void geometry(Hash& h, Values& val)
{
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
}

inline void stats(Hash& h, Values& val)
{
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
}

inline void xform(Hash& h, Values& val)
{
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
}

inline void angle(Hash& h, Values& val)
{
    for (int k = 0; k < 60; ++k) {
        const double v = val.next() / 7.0;
        const cmath_degree d = {v * 13.0};
        const cmath_radian r = {v};
        h.d(cmath_degree_norm(&d).value), h.d(cmath_degree_signedNorm(&d).value);
        h.d(cmath_radian_norm(&r).value), h.d(cmath_radian_signedNorm(&r).value);
        const cxAngle16 a16 = cxAngle16(cxDegree(d.value));
        const cxAngle8 a8 = cxAngle8(cxRadian(r.value));
        h.i(a16.value), h.i(a8.value);
        h.d(cxDegree(a16).value), h.d(cxRadian(a8).value), h.d(cxRadian(cxDegree(d.value)).value);
        h.d(cmath_sin16(&a16.value)), h.d(cmath_cos16(&a16.value));
        h.f(cmath_sin16F(&a16.value)), h.i(cmath_cos16FixedPoint(&a16.value, 14));
        h.d(cmath_sin8(&a8.value)), h.i(cmath_sin8FixedPoint(&a8.value, 7));
        h.f(cfSinBin(a16.value)), h.f(cfCosBin(a16.value)), h.f(cfSinBin8(a8.value)), h.f(cfCosBin8(a8.value));
        const auto ay = static_cast<int32_t>(val.next()); // two statements: argument order is unspecified
        const auto ax = static_cast<int32_t>(val.next());
        h.i(cfAtanBin8(ay, ax));
        h.d(cmath_acosSafe(v / 50.0).value), h.d(cmath_asinSafe(v / 50.0).value);

        cmath_angleRange ar;
        const cmath_radian s = {val.next() / 10.0}, e = {val.next() / 10.0}, q = {val.next() / 10.0};
        int32_t in = -1;
        h.st(cmath_angleRange_init(&ar, &s, &e));
        h.st(cmath_angleRange_isValueWithin(&q, &ar, &in)), h.i(in);
        cmath_range nr, scaled, mapped;
        const double lo = std::fmin(s.value, e.value), hi = std::fmax(s.value, e.value);
        h.st(cmath_range_init(&nr, lo, hi));
        h.st(cmath_range_initScale(&scaled, 1.75, &nr)), h.d(scaled.start), h.d(scaled.end);
        const cmath_xformLinear1 xf = {{v}, {-0.5}};
        h.st(cmath_range_map(&nr, &xf, &mapped)), h.d(mapped.start), h.d(mapped.end);
    }
}

inline void legacy(Hash& h, Values& val)
{
    for (int k = 0; k < 40; ++k) {
        const csFVec fa = {static_cast<float>(val.next()), static_cast<float>(val.next())};
        const csFVec fb = {static_cast<float>(val.next()), static_cast<float>(val.next())};
        csFVec fv;
        csFMatrix fm, fn;
        csFXform fx, fy;
        csFRform fr, fs;
        csFMatrixCT(&fm, fa.x / 100.0f, fa.y / 100.0f, fb.x / 100.0f, fb.y / 100.0f + 2.0f);
        csFXformCT(&fx, &fm, &fb);
        csFXformInv(&fx, &fy);
        csFXformCompose(&fx, &fy, &fx);
        h.bytes(&fx, sizeof fx);
        h.f(csFVecLen(&fa)), h.f(csFVecAng(&fa)), h.f(csFMatrixDet(&fm)), h.f(csFMatrixAng(&fm));
        h.f(csFMatrixScale(&fm)), h.f(csFMatrixAspect(&fm)), h.f(csFMatrixSkew(&fm));
        h.bytes(csFMatrixInv(&fm, &fn), sizeof fn);
        h.bytes(csFXformInvMapPt(&fy, &fa, &fv), sizeof fv);
        csFRformElemCT(&fr, 0.6f, 0.8f, fa.x, fa.y);
        csFRformElemCT(&fs, fb.x / 1000.0f, 1.0f, fb.x, fb.y);
        csFRformCompose(&fr, &fs, &fs);
        h.bytes(&fs, sizeof fs);
        h.bytes(csFRformInvMapPt(&fs, &fb, &fv), sizeof fv);

        const csDVec da = {val.next(), val.next()}, db = {val.next(), val.next()};
        csDVec dv;
        csDMatrix dm, dn;
        csDMatrixCT(&dm, da.x / 100.0, da.y / 100.0, db.x / 100.0, db.y / 100.0 + 2.0);
        h.d(csDVecLen(&da)), h.d(csDVecAng(&db)), h.d(csDVecCross(&da, &db)), h.d(csDMatrixDet(&dm));
        h.bytes(csDMatrixInv(&dm, &dn), sizeof dn);
        h.bytes(csDVecUnit(&da, &dv), sizeof dv);
    }
}

inline void containers(Hash& h, Values& val)
{
    cstd_vector_cmath_statistics sv;
    cstd_vector_cmath_vect1 v1;
    h.st(cstd_vector_cmath_statistics_constructEmpty(&sv));
    h.st(cstd_vector_cmath_vect1_construct(&v1, 3));
    for (int k = 0; k < 25; ++k) {
        cmath_statistics s;
        cmath_statistics_init(&s);
        const double values[] = {val.next(), val.next(), val.next()};
        h.st(cmath_statistics_addValues(&s, values, 3));
        h.st(cstd_vector_cmath_statistics_insertElement(&sv, k / 2, &s));
        const cmath_vect1 e = {val.next()};
        h.st(cstd_vector_cmath_vect1_pushBack(&v1, &e));
    }
    h.st(cstd_vector_cmath_statistics_eraseElement(&sv, 4));
    h.st(cstd_vector_cmath_vect1_resize(&v1, 20));
    const cmath_statistics* sb = nullptr;
    int32_t n = 0;
    h.st(cstd_vector_cmath_statistics_getBeginSizeConst(&sv, &sb, &n));
    h.i(n);
    cmath_statistics merged;
    cmath_statistics_init(&merged);
    for (int32_t k = 0; k < n; ++k) {
        h.st(cmath_statistics_addStatistics(&merged, &sb[k]));
    }
    double mean, sd, rms;
    h.st(cmath_statistics_getMeanStdDevRms(&merged, &mean, &sd, &rms)), h.d(mean), h.d(sd), h.d(rms);
    const cmath_vect1* vb = nullptr;
    h.st(cstd_vector_cmath_vect1_getBeginSizeConst(&v1, &vb, &n));
    for (int32_t k = 0; k < n; ++k) {
        h.d(vb[k].x);
    }
    h.st(cstd_vector_cmath_statistics_destruct(&sv));
    h.st(cstd_vector_cmath_vect1_destruct(&v1));
}

// A rows x cols matrix from the stream, element (i, j) scaled by 2^(grade (i - j)) and
// `diagonal` added on the diagonal; a matrix's size and elements hashed; a vector's elements.
inline void fill(Hash& h, Values& val, cxNMMatrix& m, int rows, int cols, double diagonal = 40.0, int grade = 0)
{
    h.st(static_cast<cmath_status>(m.initResize(rows, cols)));
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            m.setElement(i, j, std::ldexp(val.next() / 64.0, grade * (i - j)) + (i == j ? diagonal : 0.0));
        }
    }
}
inline void hashMatrix(Hash& h, const cxNMMatrix& m)
{
    h.i(m.rows()), h.i(m.cols());
    for (int i = 0; i < m.rows(); ++i) {
        for (int j = 0; j < m.cols(); ++j) {
            double v = 0.0;
            m.getElement(i, j, v);
            h.d(v);
        }
    }
}
inline void hashVector(Hash& h, const cxVector<double>& v)
{
    for (double x : v) {
        h.d(x);
    }
}

inline void nmmatrix(Hash& h, Values& val)
{
    cxNMMatrix A, B, C, S, X, U, W, V, G, D, Bc;
    fill(h, val, A, 6, 6);
    fill(h, val, B, 6, 2);
    fill(h, val, C, 7, 4);
    h.st(static_cast<cmath_status>(C.getSquare(S)));
    double det = 0.0, cond = 0.0, err = 0.0;
    h.st(static_cast<cmath_status>(A.getDeterminant(det))), h.d(det);
    h.st(static_cast<cmath_status>(A.getInverse(X))), hashMatrix(h, X);
    h.st(static_cast<cmath_status>(X.initMultiply(A, B))), hashMatrix(h, X);
    h.st(static_cast<cmath_status>(X.initTmultiply(C, C))), hashMatrix(h, X);
    h.st(static_cast<cmath_status>(C.decompose(U, W, V))), hashMatrix(h, U), hashMatrix(h, W), hashMatrix(h, V);
    h.st(static_cast<cmath_status>(C.getPseudoinverse(1e10, X))), hashMatrix(h, X);
    cxVector<double> re, im;
    h.st(static_cast<cmath_status>(A.eigenvalues(false, re, im))), hashVector(h, re), hashVector(h, im);
    h.st(static_cast<cmath_status>(S.eigenvalues(true, re, im, V))), hashVector(h, re), hashMatrix(h, V);
    h.st(static_cast<cmath_status>(C.getConditionNumber(false, cond))), h.d(cond);
    h.st(static_cast<cmath_status>(S.getConditionNumber(true, cond))), h.d(cond);
    h.st(static_cast<cmath_status>(cxNMMatrix::solve(A, B, false, cond, 1e12, X))), h.d(cond), hashMatrix(h, X);
    h.st(static_cast<cmath_status>(cxNMMatrix::solve(S, S, true, cond, 1e12, X))), hashMatrix(h, X);
    fill(h, val, Bc, 4, 1);
    fill(h, val, G, 2, 4);
    fill(h, val, D, 2, 1);
    h.st(static_cast<cmath_status>(cxNMMatrix::constraintMinimization(S, Bc, G, D, 1e10, X))), hashMatrix(h, X);
    h.st(static_cast<cmath_status>(cxNMMatrix::getConstraintError(S, Bc, 1.5, Bc, err))), h.d(err);
    h.st(static_cast<cmath_status>(cxNMMatrix::pseudoSolve(C, C, 1e10, X))), hashMatrix(h, X);
}

// Orders at which the widest kernels run (QR steps over rows of 16 and more, the SVD's groups
// of four columns, the inverse's four right-hand sides at a time), and a graded matrix, element
// (i, j) scaled by 2^(i - j), whose QR steps start inside the active block.
inline void wide(Hash& h, Values& val)
{
    cxNMMatrix A, C, G, X, U, W, V;
    fill(h, val, G, 16, 16, 0.0, 1);
    fill(h, val, A, 40, 40, 0.0);
    fill(h, val, C, 45, 24);
    cxVector<double> re, im;
    h.st(static_cast<cmath_status>(A.eigenvalues(false, re, im))), hashVector(h, re), hashVector(h, im);
    h.st(static_cast<cmath_status>(G.eigenvalues(false, re, im))), hashVector(h, re), hashVector(h, im);
    h.st(static_cast<cmath_status>(C.decompose(U, W, V))), hashMatrix(h, U), hashMatrix(h, W), hashMatrix(h, V);
    h.st(static_cast<cmath_status>(A.getInverse(X))), hashMatrix(h, X);
}

// The families on record and their committed hashes: each hashes its results into h, drawing
// its inputs from a fresh stream.
struct Family {
    const char* name;
    void (*run)(Hash& h, Values& val);
    uint64_t expected; // the committed hash
};
inline const Family kFamilies[] = {
    {"support", support, 0x98592ee30e01e9bbull},
    {"geometry", geometry, 0x734165bc11b96378ull},
    {"stats", stats, 0xd837452979ac090dull},
    {"xform", xform, 0xaf7b4fb06b3fcc64ull},
    {"angle", angle, 0x6c71e5511d80714bull},
    {"legacy", legacy, 0x1ee69eb758eda4e2ull},
    {"containers", containers, 0xafc499759d7829dcull},
    {"nmmatrix", nmmatrix, 0x82f062f89808bde9ull},
    {"wide", wide, 0xb91a2bd221c27de6ull},
};

} // namespace golden

#endif
