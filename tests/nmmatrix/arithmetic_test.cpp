// cxNMMatrix arithmetic: products bit for bit against sequential sums, aliasing.
#include "nm_helpers.h"

#include <cstring>
#include <functional>
#include <memory>

using namespace nmtest;
using Op = std::function<long(cxNMMatrix&)>;

namespace {

void fillRandom(cxNMMatrix& m, int r, int c, std::mt19937_64& rng)
{
    // Magnitudes spread over 2^-30 .. 2^30 so that any change of summation order shows.
    std::uniform_real_distribution<double> mant(-1.0, 1.0);
    std::uniform_int_distribution<int> expo(-30, 30);
    ASSERT_EQ(m.initResize(r, c), 0);
    for (int k = 0; k < r * c; ++k) {
        ASSERT_EQ(m.setElement(k / c, k % c, std::ldexp(mant(rng), expo(rng))), 0);
    }
}

// Sequential references: every element summed from 0.0 in increasing k.
enum class Kind { AB, ABt, AtB };
V reference(const cxNMMatrix& A, const cxNMMatrix& B, Kind kind)
{
    const int n = kind == Kind::AtB ? A.cols() : A.rows(), q = kind == Kind::ABt ? B.rows() : B.cols();
    const int m = kind == Kind::AtB ? A.rows() : A.cols();
    const V a = values(A), b = values(B);
    const int ac = A.cols(), bc = B.cols();
    V out;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < q; ++j) {
            double s = 0.0;
            for (int k = 0; k < m; ++k) {
                s += (kind == Kind::AtB ? a[k * ac + i] : a[i * ac + k]) *
                     (kind == Kind::ABt ? b[j * bc + k] : b[k * bc + j]);
            }
            out.push_back(s);
        }
    }
    return out;
}

long product(cxNMMatrix& t, const cxNMMatrix& a, const cxNMMatrix& b, Kind kind)
{
    return kind == Kind::AB    ? t.initMultiply(a, b)
           : kind == Kind::ABt ? t.initMultiplyT(a, b)
                               : t.initTmultiply(a, b);
}

bool bitEqual(const V& x, const V& y)
{
    return x.size() == y.size() &&
           (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
}

} // namespace

TEST(NMMatrixArithmetic, ProductsMatchSequentialSumsBitForBit)
{
    std::mt19937_64 rng(20261205);
    std::uniform_int_distribution<int> size(1, 150);
    cxNMMatrix A, B, T, G;
    // The first rounds straddle the tile edges (64) and the four-row groups, then products too
    // small for the vector kernel whose inner dimension spans several tiles.
    const int fixed[][3] = {{64, 63, 65}, {65, 65, 64}, {66, 67, 63}, {1, 200, 1}, {2, 100, 2}, {5, 70, 1}};
    for (int round = 0; round < 40; ++round) {
        const bool f = round < 6;
        const int n = f ? fixed[round][0] : size(rng), m = f ? fixed[round][1] : size(rng), q = f ? fixed[round][2] : size(rng);
        fillRandom(A, n, m, rng);
        for (Kind kind : {Kind::AB, Kind::ABt, Kind::AtB}) {
            fillRandom(B, kind == Kind::AB ? m : kind == Kind::ABt ? q : n, kind == Kind::AB ? q : m, rng);
            ASSERT_EQ(product(T, A, B, kind), 0);
            EXPECT_TRUE(bitEqual(values(T), reference(A, B, kind))) << n << "x" << m << "x" << q;
        }
        // The Gram matrix: the upper triangle summed, the lower one its mirror.
        ASSERT_EQ(A.getSquare(G), 0);
        const V ref = reference(A, A, Kind::AtB);
        V want(ref.size());
        for (int k = 0; k < m * m; ++k) {
            want[k] = ref[k % m >= k / m ? k : (k % m) * m + k / m];
        }
        EXPECT_TRUE(bitEqual(values(G), want)) << n << "x" << m;
    }
}

TEST(NMMatrixArithmetic, TargetMayBeAnOperand)
{
    std::mt19937_64 rng(7);
    cxNMMatrix A, B;
    fillRandom(A, 2, 3, rng); // A = A * B, the target changing size
    fillRandom(B, 3, 4, rng);
    V ref = reference(A, B, Kind::AB);
    ASSERT_EQ(A.initMultiply(A, B), 0);
    EXPECT_TRUE(A.isSizeEqual(2, 4) && bitEqual(values(A), ref));
    // Square operands: the target keeps its storage, the operand it replaces is read first.
    for (int side = 1; side <= 9; side += 4) {
        for (Kind kind : {Kind::AB, Kind::ABt, Kind::AtB}) {
            for (int t = 0; t < 3; ++t) { // the target is the first operand, the second, or both
                fillRandom(A, side, side, rng);
                fillRandom(B, side, side, rng);
                cxNMMatrix& second = t == 2 ? A : B;
                cxNMMatrix& target = t == 1 ? B : A;
                ref = reference(A, second, kind);
                ASSERT_EQ(product(target, A, second, kind), 0);
                EXPECT_TRUE(bitEqual(values(target), ref));
            }
        }
    }
    load(A, {{1, 2, 3}, {4, 5, 6}});
    load(B, {{6, 5, 4}, {3, 2, 1}});
    ASSERT_EQ(A.initAdd(A, B), 0);
    EXPECT_EQ(values(A), V(6, 7.0));
    ASSERT_EQ(B.initSubtract(A, B) | B.initMultiply(B, -1.0), 0);
    EXPECT_EQ(values(B), (V{-1, -2, -3, -4, -5, -6}));
    ASSERT_EQ(B.getTranspose(B), 0);
    EXPECT_EQ(values(B), (V{-1, -4, -2, -5, -3, -6}));
    ASSERT_EQ(B.getSquare(B), 0); // the Gram matrix of a 3 x 2 matrix: 2 x 2
    EXPECT_EQ(values(B), (V{14, 32, 32, 77}));
    ASSERT_EQ(B.getTranspose(B) | B.initDivide(B, 0.5), 0); // square: in place
    EXPECT_EQ(values(B), (V{28, 64, 64, 154}));
}

TEST(NMMatrixArithmetic, DivideMultipliesByTheReciprocal)
{
    cxNMMatrix a, t;
    load(a, {{10.0, 1.0, -2.0, 0.0}});
    ASSERT_EQ(t.initDivide(a, 3.0), 0);
    EXPECT_EQ(values(t), (V{10.0 * (1.0 / 3.0), 1.0 / 3.0, -2.0 * (1.0 / 3.0), 0.0}));
    EXPECT_NE(at(t, 0, 0), 10.0 / 3.0); // the quotient would round differently
    ASSERT_EQ(t.initDivide(a, 0.0), 0); // division by zero is no error
    EXPECT_TRUE(at(t, 0, 0) == INFINITY && at(t, 0, 2) == -INFINITY && std::isnan(at(t, 0, 3)));
}

TEST(NMMatrixArithmetic, RowAndColumnOperations)
{
    cxNMMatrix m;
    load(m, {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}});
    const std::vector<std::pair<Op, V>> steps = {
        {[](cxNMMatrix& x) { return x.addRows(0, 2); }, {8, 10, 13, 4, 5, 6, 7, 8, 10}},
        {[](cxNMMatrix& x) { return x.subRows(2, 1); }, {8, 10, 13, 4, 5, 6, 3, 3, 4}},
        {[](cxNMMatrix& x) { return x.addRows(1, 1); }, {8, 10, 13, 8, 10, 12, 3, 3, 4}},
        {[](cxNMMatrix& x) { return x.subRows(0, 0); }, {0, 0, 0, 8, 10, 12, 3, 3, 4}},
        {[](cxNMMatrix& x) { return x.addColumns(0, 2); }, {0, 0, 0, 20, 10, 12, 7, 3, 4}},
        {[](cxNMMatrix& x) { return x.subColumns(1, 0); }, {0, 0, 0, 20, -10, 12, 7, -4, 4}},
        {[](cxNMMatrix& x) { return x.addColumns(2, 2); }, {0, 0, 0, 20, -10, 24, 7, -4, 8}},
        {[](cxNMMatrix& x) { return x.subColumns(1, 1); }, {0, 0, 0, 20, 0, 24, 7, 0, 8}},
        {[](cxNMMatrix& x) { return x.swapRows(0, 2); }, {7, 0, 8, 20, 0, 24, 0, 0, 0}},
        {[](cxNMMatrix& x) { return x.swapColumns(2, 0) | x.swapRows(1, 1) | x.swapColumns(1, 1); },
         {8, 0, 7, 24, 0, 20, 0, 0, 0}},
    };
    for (size_t k = 0; k < steps.size(); ++k) {
        EXPECT_EQ(steps[k].first(m), 0);
        EXPECT_EQ(values(m), steps[k].second) << "step " << k;
    }
}
