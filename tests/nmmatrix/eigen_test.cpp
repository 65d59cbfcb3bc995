// General and symmetric eigenvalues, eigenvectors and condition numbers.
#include "nm_helpers.h"

#include <complex>

using namespace nmtest;

namespace {

V vec(const cxVector<double>& v) { return V(v.begin(), v.end()); }

void fill(cxVector<double>& v, std::initializer_list<double> values)
{
    ASSERT_EQ(v.resize(0), 0);
    for (double x : values) {
        ASSERT_EQ(v.insert(v.size(), 1, x), 0);
    }
}

// The lower triangle mirrored into the upper one.
Dense symmetric(Dense d)
{
    for (int k = 0; k < d.r * d.r; ++k) {
        d(k / d.r, k % d.r) = d(std::max(k / d.r, k % d.r), std::min(k / d.r, k % d.r));
    }
    return d;
}

} // namespace

TEST(EigenGeneral, SmallExactCases)
{
    cxNMMatrix m;
    cxVector<double> re, im;
    // Outputs longer than n are cut back to n.
    fill(re, {9, 9, 9, 9});
    load(m, {{7}});
    ASSERT_EQ(m.eigenvalues(false, re, im), 0);
    EXPECT_TRUE(vec(re) == V{7.0} && vec(im) == V{0.0});
    // The cyclic shift: four roots of unity of equal modulus; plain shifts stall on it and
    // the exceptional shifts have to break the tie.
    load(m, {{0, 0, 0, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}});
    ASSERT_EQ(m.eigenvalues(false, re, im), 0);
    std::vector<std::pair<double, double>> roots;
    for (size_t i = 0; i < 4; ++i) {
        roots.emplace_back(std::round(re[i] * 1e9) / 1e9 + 0.0, std::round(im[i] * 1e9) / 1e9 + 0.0);
    }
    std::sort(roots.begin(), roots.end());
    EXPECT_EQ(roots, (std::vector<std::pair<double, double>>{{-1, 0}, {0, -1}, {0, 1}, {1, 0}}));
}

// The power sums trace(A^k) = sum of lambda^k for k = 1..n, which fix the whole spectrum; complex
// eigenvalues in conjugate pairs, the negative imaginary part first.
TEST(EigenGeneral, RandomSpectraMatchThePowerSums)
{
    std::mt19937 rng(2);
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 24, 40}) { // 24, 40: the wide row kernels
        for (int trial = 0; trial < 3; ++trial) {
            const Dense d = randomDense(rng, n, n);
            cxNMMatrix m;
            load(m, d);
            cxVector<double> re, im;
            ASSERT_EQ(m.eigenvalues(false, re, im), 0);
            ASSERT_TRUE(re.size() == size_t(n) && im.size() == size_t(n));
            Dense power = identity(n);
            for (int k = 1; k <= (n <= 12 ? n : 3); ++k) {
                power = mul(power, d);
                double trace = 0.0, size = 0.0;
                std::complex<double> sum = 0.0;
                for (int i = 0; i < n; ++i) {
                    const std::complex<double> l = std::pow(std::complex<double>(re[i], im[i]), k);
                    trace += power(i, i);
                    sum += l;
                    size += std::abs(l);
                }
                EXPECT_NEAR(sum.real(), trace, 1e-11 * k * (1.0 + size)) << n << " power " << k;
                EXPECT_NEAR(sum.imag(), 0.0, 1e-11 * k * (1.0 + size)) << n << " power " << k;
            }
            for (size_t i = 0; i < re.size(); ++i) {
                if (im[i] < 0.0) {
                    ASSERT_LT(i + 1, re.size());
                    EXPECT_TRUE(re[i] == re[i + 1] && im[i] == -im[i + 1]);
                }
            }
        }
    }
}

TEST(EigenSymmetric, DiagonalStaysInPositionOrder)
{
    cxNMMatrix m, vectors, id;
    cxVector<double> re, im;
    load(m, {{3, 0, 0}, {0, 1, 0}, {0, 0, 2}});
    fill(im, {5, 6, 7, 8, 9});
    ASSERT_EQ(m.eigenvalues(true, re, im, vectors) | cxNMMatrix::I(3, id), 0);
    EXPECT_TRUE(vec(re) == (V{3.0, 1.0, 2.0}) && vec(im) == V(3, 0.0));
    EXPECT_EQ(values(vectors), values(id));
    // The general form leaves vectors alone.
    sentinel(vectors, 2, 2);
    const V before = values(vectors);
    ASSERT_EQ(m.eigenvalues(false, re, im, vectors), 0);
    EXPECT_EQ(values(vectors), before);
}

TEST(EigenSymmetric, RandomMatricesAndRepeatedEigenvalues)
{
    std::mt19937 rng(4);
    for (int n = 1; n <= 30; n += (n < 6 ? 1 : 8)) {
        const Dense d = symmetric(randomDense(rng, n, n));
        cxNMMatrix m, vectors;
        load(m, d);
        cxVector<double> re, im, re2;
        ASSERT_EQ(m.eigenvalues(true, re, im, vectors) | m.eigenvalues(true, re2, im), 0);
        // With and without eigenvectors the values are the same, bit for bit.
        EXPECT_EQ(vec(re), vec(re2));
        const Dense z = toDense(vectors), az = mul(d, z);
        EXPECT_LT(maxDiff(mul(transpose(z), z), identity(n)), 1e-13 * n);
        for (int k = 0; k < n * n; ++k) {
            EXPECT_NEAR(az(k / n, k % n), re[k % n] * z(k / n, k % n), 1e-13 * n) << n << " vector " << k % n;
        }
    }
    // Q·diag(2, 2, 2, -1, -1)·Qᵀ.
    const Dense q = randomOrthogonal(rng, 5);
    Dense diag(5, 5);
    for (int i = 0; i < 5; ++i) {
        diag(i, i) = i < 3 ? 2.0 : -1.0;
    }
    cxNMMatrix m;
    load(m, symmetric(mul(mul(q, diag), transpose(q))));
    cxVector<double> re, im;
    ASSERT_EQ(m.eigenvalues(true, re, im), 0);
    V got = vec(re);
    std::sort(got.begin(), got.end());
    const V expect{-1, -1, 2, 2, 2};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(got[i], expect[i], 1e-14);
    }
}

TEST(EigenErrorsAndCondition, SizeChecksOfEveryFormAndTheConditionRule)
{
    cxNMMatrix wide, empty, vectors;
    ASSERT_EQ(wide.initResize(2, 3, 1.0), 0);
    cxVector<double> re, im;
    fill(re, {4, 5});
    fill(im, {6});
    double cond = -1.0;
    for (const cxNMMatrix* m : {&wide, &empty}) {
        const long expected = m == &wide ? cxNMMatrix_errNotSquare : cxNMMatrix_errBadSize;
        EXPECT_EQ(m->eigenvalues(false, re, im), expected);
        EXPECT_EQ(m->eigenvalues(true, re, im), expected);
        EXPECT_EQ(m->eigenvalues(false, re, im, vectors), expected);
        EXPECT_EQ(m->eigenvalues(true, re, im, vectors), expected);
        EXPECT_EQ(m->getSymEigenvaluesAndConditionNumber(re, cond), expected);
        EXPECT_EQ(m->getConditionNumber(true, cond), expected);
        EXPECT_EQ(vec(re), (V{4, 5}));
    }
    // Only the symmetric branch of a 0 x 0 matrix clears im (to its 0 elements) before failing.
    EXPECT_TRUE(im.empty() && cond == -1.0 && vectors.isSizeEqual(0, 0));
    // Singular values (no square matrix needed) or, for symmetric, eigenvalue magnitudes: the
    // largest over the smallest; 1e28 when the smallest is 0 or the largest below 1e-14.
    const struct { Dense d; bool symmetric; double want; } cases[] = {
        {{{1, 1, 1}, {1, 1, 1}}, false, 1e28}, {{{2, 0}, {0, 0.5}}, false, 4.0}, {{{1, 0}, {0, 0}}, false, 1e28},
        {{{1e-15, 0}, {0, 1e-16}}, false, 1e28}, {{{1e-14, 0}, {0, 1e-14}}, false, 1.0}, {{{-4, 0}, {0, 1}}, true, 4.0}};
    for (const auto& c : cases) {
        cxNMMatrix m;
        load(m, c.d);
        ASSERT_EQ(m.getConditionNumber(c.symmetric, cond), 0);
        EXPECT_EQ(cond, c.want);
    }
    cxNMMatrix m;
    cxVector<double> ev;
    load(m, {{-4, 0}, {0, 1}});
    ASSERT_EQ(m.getSymEigenvaluesAndConditionNumber(ev, cond), 0);
    EXPECT_TRUE(vec(ev) == (V{-4.0, 1.0}) && cond == 4.0);
}
