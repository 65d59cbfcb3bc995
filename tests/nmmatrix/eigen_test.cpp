// General and symmetric eigenvalues, eigenvectors and condition numbers.
#include "fault.h"
#include "linalg_helpers.h"
#include "nm_helpers.h"

#include <cmath>
#include <complex>
#include <limits>

using latest::Dense;
using nmtest::setRows;

namespace {

std::vector<double> vec(const cxVector<double>& v)
{
    return std::vector<double>(v.begin(), v.end());
}

void fill(cxVector<double>& v, std::initializer_list<double> values)
{
    ASSERT_EQ(v.resize(0), 0);
    for (double x : values) {
        ASSERT_EQ(v.insert(v.size(), 1, x), 0);
    }
}

Dense randomSymmetric(std::mt19937& rng, int n)
{
    Dense d = latest::randomDense(rng, n, n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            d(j, i) = d(i, j);
        }
    }
    return d;
}

} // namespace

TEST(EigenGeneral, SmallExactCases)
{
    cxNMMatrix m;
    cxVector<double> re;
    cxVector<double> im;
    setRows(m, {{0, -1}, {1, 0}});
    ASSERT_EQ(m.eigenvalues(false, re, im), 0);
    EXPECT_EQ(vec(re), (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(vec(im), (std::vector<double>{-1.0, 1.0}));

    setRows(m, {{2, 0}, {0, 3}});
    ASSERT_EQ(m.eigenvalues(false, re, im), 0);
    EXPECT_EQ(vec(re), (std::vector<double>{2.0, 3.0}));
    EXPECT_EQ(vec(im), (std::vector<double>{0.0, 0.0}));

    // Outputs longer than n are cut back to n.
    fill(re, {9, 9, 9, 9});
    setRows(m, {{7}});
    ASSERT_EQ(m.eigenvalues(false, re, im), 0);
    EXPECT_EQ(vec(re), std::vector<double>{7.0});
    EXPECT_EQ(vec(im), std::vector<double>{0.0});

    // The cyclic shift: four roots of unity of equal modulus; plain shifts stall on it and
    // the exceptional shifts have to break the tie.
    setRows(m, {{0, 0, 0, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}});
    ASSERT_EQ(m.eigenvalues(false, re, im), 0);
    std::vector<std::pair<double, double>> roots;
    for (size_t i = 0; i < 4; ++i) {
        roots.emplace_back(std::round(re[i] * 1e9) / 1e9 + 0.0, std::round(im[i] * 1e9) / 1e9 + 0.0);
    }
    std::sort(roots.begin(), roots.end());
    EXPECT_EQ(roots, (std::vector<std::pair<double, double>>{{-1, 0}, {0, -1}, {0, 1}, {1, 0}}));
}

TEST(EigenGeneral, RandomMatricesSatisfyAvEqualsLambdaV)
{
    std::mt19937 rng(2);
    for (int n = 1; n <= 24; n += (n < 6 ? 1 : 6)) {
        for (int trial = 0; trial < 3; ++trial) {
            const Dense d = latest::randomDense(rng, n, n);
            cxNMMatrix m;
            latest::fromDense(m, d);
            cxVector<double> re;
            cxVector<double> im;
            ASSERT_EQ(m.eigenvalues(false, re, im), 0);
            ASSERT_EQ(re.size(), static_cast<size_t>(n));
            ASSERT_EQ(im.size(), static_cast<size_t>(n));
            std::complex<double> sum = 0.0;
            std::complex<double> sumSq = 0.0;
            std::complex<double> prod = 1.0;
            for (size_t i = 0; i < re.size(); ++i) {
                const std::complex<double> l(re[i], im[i]);
                sum += l;
                sumSq += l * l;
                prod *= l;
                EXPECT_LT(latest::inverseIterationResidual(d, l), 1e-10 * n) << n << " eigenvalue " << i;
                if (im[i] < 0.0) {
                    // Conjugate pairs: negative imaginary part first, equal real parts.
                    ASSERT_LT(i + 1, re.size());
                    EXPECT_EQ(re[i], re[i + 1]);
                    EXPECT_EQ(im[i], -im[i + 1]);
                }
            }
            double trace = 0.0;
            for (int i = 0; i < n; ++i) {
                trace += d(i, i);
            }
            const Dense sq = latest::mul(d, d);
            double traceSq = 0.0;
            for (int i = 0; i < n; ++i) {
                traceSq += sq(i, i);
            }
            double det = 0.0;
            ASSERT_EQ(m.getDeterminant(det), 0);
            EXPECT_NEAR(sum.real(), trace, 1e-12 * n);
            EXPECT_NEAR(sum.imag(), 0.0, 1e-12 * n);
            EXPECT_NEAR(sumSq.real(), traceSq, 1e-11 * n);
            EXPECT_NEAR(prod.real(), det, 1e-10 * (1.0 + std::fabs(det)));
            EXPECT_NEAR(prod.imag(), 0.0, 1e-10 * (1.0 + std::fabs(det)));
        }
    }
}

TEST(EigenSymmetric, DiagonalStaysInPositionOrder)
{
    cxNMMatrix m;
    setRows(m, {{3, 0, 0}, {0, 1, 0}, {0, 0, 2}});
    cxVector<double> re;
    cxVector<double> im;
    fill(im, {5, 6, 7, 8, 9});
    cxNMMatrix vectors;
    ASSERT_EQ(m.eigenvalues(true, re, im, vectors), 0);
    EXPECT_EQ(vec(re), (std::vector<double>{3.0, 1.0, 2.0}));
    EXPECT_EQ(vec(im), (std::vector<double>{0.0, 0.0, 0.0}));
    cxNMMatrix id;
    ASSERT_EQ(cxNMMatrix::I(3, id), 0);
    EXPECT_EQ(nmtest::values(vectors), nmtest::values(id));

    // The general form leaves vectors alone.
    nmtest::sentinel(vectors, 2, 2);
    const auto before = nmtest::values(vectors);
    ASSERT_EQ(m.eigenvalues(false, re, im, vectors), 0);
    EXPECT_EQ(nmtest::values(vectors), before);
}

TEST(EigenSymmetric, RandomMatricesAgainstJacobi)
{
    std::mt19937 rng(4);
    for (int n = 1; n <= 30; n += (n < 6 ? 1 : 8)) {
        const Dense d = randomSymmetric(rng, n);
        cxNMMatrix m;
        latest::fromDense(m, d);
        cxVector<double> re;
        cxVector<double> im;
        cxVector<double> re2;
        cxNMMatrix vectors;
        ASSERT_EQ(m.eigenvalues(true, re, im, vectors), 0);
        ASSERT_EQ(m.eigenvalues(true, re2, im), 0);
        // With and without eigenvectors the values are the same, bit for bit.
        EXPECT_EQ(vec(re), vec(re2));
        const Dense z = latest::toDense(vectors);
        EXPECT_LT(latest::maxDiff(latest::mul(latest::transpose(z), z), latest::identity(n)), 1e-13 * n);
        const Dense az = latest::mul(d, z);
        for (int k = 0; k < n; ++k) {
            for (int i = 0; i < n; ++i) {
                EXPECT_NEAR(az(i, k), re[static_cast<size_t>(k)] * z(i, k), 1e-13 * n) << n << " vector " << k;
            }
        }
        std::vector<double> sorted = vec(re);
        std::sort(sorted.begin(), sorted.end());
        const std::vector<double> ref = latest::jacobiEigenvalues(d);
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(sorted[static_cast<size_t>(i)], ref[static_cast<size_t>(i)], 1e-13 * n);
        }
        // The general solver finds the same real values.
        ASSERT_EQ(m.eigenvalues(false, re2, im), 0);
        std::vector<double> general = vec(re2);
        std::sort(general.begin(), general.end());
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(general[static_cast<size_t>(i)], ref[static_cast<size_t>(i)], 1e-11 * n);
            EXPECT_EQ(im[static_cast<size_t>(i)], 0.0);
        }
    }
    // Repeated eigenvalues: Q·diag(2, 2, 2, -1, -1)·Qᵀ.
    const Dense q = latest::randomOrthogonal(rng, 5);
    Dense diag(5, 5);
    for (int i = 0; i < 5; ++i) {
        diag(i, i) = i < 3 ? 2.0 : -1.0;
    }
    Dense rep = latest::mul(latest::mul(q, diag), latest::transpose(q));
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < i; ++j) {
            rep(j, i) = rep(i, j);
        }
    }
    cxNMMatrix m;
    latest::fromDense(m, rep);
    cxVector<double> re;
    cxVector<double> im;
    ASSERT_EQ(m.eigenvalues(true, re, im), 0);
    std::vector<double> sorted = vec(re);
    std::sort(sorted.begin(), sorted.end());
    const std::vector<double> expect{-1, -1, 2, 2, 2};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(sorted[i], expect[i], 1e-14);
    }
}

TEST(EigenErrors, SizeChecksOfEveryForm)
{
    cxNMMatrix wide;
    ASSERT_EQ(wide.initResize(2, 3, 1.0), 0);
    cxNMMatrix empty;
    cxVector<double> re;
    cxVector<double> im;
    fill(re, {4, 5});
    fill(im, {6});
    cxNMMatrix vectors;
    double cond = -1.0;
    for (const cxNMMatrix* m : {&wide, &empty}) {
        const long expected = m == &wide ? cxNMMatrix_errNotSquare : cxNMMatrix_errBadSize;
        EXPECT_EQ(m->eigenvalues(false, re, im), expected);
        EXPECT_EQ(m->eigenvalues(true, re, im), expected);
        EXPECT_EQ(m->eigenvalues(false, re, im, vectors), expected);
        EXPECT_EQ(m->eigenvalues(true, re, im, vectors), expected);
        EXPECT_EQ(m->getSymEigenvaluesAndConditionNumber(re, cond), expected);
        EXPECT_EQ(m->getConditionNumber(true, cond), expected);
        EXPECT_EQ(vec(re), (std::vector<double>{4, 5}));
    }
    // Only the symmetric branch of a 0 x 0 matrix clears im (to its 0 elements) before failing.
    EXPECT_TRUE(im.empty());
    EXPECT_EQ(cond, -1.0);
    EXPECT_TRUE(vectors.isSizeEqual(0, 0));
    // The singular-value flavour needs no square matrix.
    ASSERT_EQ(wide.getConditionNumber(false, cond), 0);
    EXPECT_EQ(cond, 1e28);
}

TEST(EigenCondition, RuleOnSingularValuesAndEigenvalues)
{
    cxNMMatrix m;
    double cond = 0.0;
    setRows(m, {{2, 0}, {0, 0.5}});
    ASSERT_EQ(m.getConditionNumber(false, cond), 0);
    EXPECT_EQ(cond, 4.0);
    setRows(m, {{1, 0}, {0, 0}});
    ASSERT_EQ(m.getConditionNumber(false, cond), 0);
    EXPECT_EQ(cond, 1e28);
    setRows(m, {{1e-15, 0}, {0, 1e-16}});
    ASSERT_EQ(m.getConditionNumber(false, cond), 0);
    EXPECT_EQ(cond, 1e28);
    setRows(m, {{-4, 0}, {0, 1}});
    ASSERT_EQ(m.getConditionNumber(true, cond), 0);
    EXPECT_EQ(cond, 4.0);
    cxVector<double> values;
    cond = 0.0;
    ASSERT_EQ(m.getSymEigenvaluesAndConditionNumber(values, cond), 0);
    EXPECT_EQ(vec(values), (std::vector<double>{-4.0, 1.0}));
    EXPECT_EQ(cond, 4.0);
    // A random matrix: the ratio of the extreme singular values, from an independent solver.
    std::mt19937 rng(9);
    const Dense d = latest::randomDense(rng, 6, 6);
    latest::fromDense(m, d);
    ASSERT_EQ(m.getConditionNumber(false, cond), 0);
    const std::vector<double> ev = latest::jacobiEigenvalues(latest::mul(latest::transpose(d), d));
    EXPECT_NEAR(cond, std::sqrt(ev.back() / ev.front()), 1e-8 * cond);
}

TEST(EigenNonFinite, NaNAndInfinityEndWithAStatusOrNonFiniteValues)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf}) {
        cxNMMatrix m;
        setRows(m, {{1, 2, 3, 4}, {2, bad, 1, 0}, {3, 1, 5, 2}, {4, 0, 2, 6}});
        for (bool symmetric : {false, true}) {
            cxVector<double> re;
            cxVector<double> im;
            const long st = m.eigenvalues(symmetric, re, im);
            if (st == 0) {
                bool nonFinite = false;
                for (double x : vec(re)) {
                    nonFinite = nonFinite || !std::isfinite(x);
                }
                EXPECT_TRUE(nonFinite) << symmetric;
            } else {
                EXPECT_EQ(st, cxNMMatrix_errSingular);
            }
            double cond = -1.0;
            const long sc = m.getConditionNumber(symmetric, cond);
            EXPECT_TRUE((sc == 0 && cond == 1e28) || (sc == cxNMMatrix_errSingular && cond == -1.0))
                << sc << " " << cond;
        }
    }
}

TEST(EigenFaults, EveryAllocationFailureIsReported)
{
    std::mt19937 rng(6);
    cxNMMatrix m;
    latest::fromDense(m, randomSymmetric(rng, 5));
    cxVector<double> re;
    cxVector<double> im;
    ASSERT_EQ(re.resize(5), 0);
    ASSERT_EQ(im.resize(5), 0);
    cxNMMatrix vectors;
    nmtest::sentinel(vectors, 5, 5);
    for (int form = 0; form < 5; ++form) {
        double cond = -3.0;
        const int points = orbtest::sweepAllocations([&](bool) -> long {
            long st = 0;
            switch (form) {
            case 0: st = m.eigenvalues(false, re, im); break;
            case 1: st = m.eigenvalues(true, re, im, vectors); break;
            case 2: st = m.getConditionNumber(false, cond); break;
            case 3: st = m.getConditionNumber(true, cond); break;
            default: st = m.getSymEigenvaluesAndConditionNumber(re, cond); break;
            }
            if (st < 0) {
                EXPECT_EQ(st, latest::kNoMemory) << form;
                EXPECT_EQ(cond, -3.0) << form;
            }
            return st;
        });
        EXPECT_GE(points, 3) << form;
    }
}
