// Determinant and inverse through the pivoted LU decomposition.
#include "nm_helpers.h"

using namespace nmtest;

TEST(Lu, InverseValuesAliasingAndFailures)
{
    cxNMMatrix m, inv, out, empty;
    load(m, {{4, 7}, {2, 6}});
    ASSERT_EQ(m.getInverse(inv), 0);
    EXPECT_LT(maxDiff(toDense(inv), Dense{{0.6, -0.7}, {-0.2, 0.4}}), 1e-15);
    ASSERT_EQ(m.getInverse(m), 0);
    EXPECT_EQ(values(m), values(inv));
    load(m, {{-8}});
    ASSERT_EQ(m.getInverse(m), 0);
    EXPECT_EQ(values(m), V{-0.125});

    sentinel(out, 2, 2);
    const V before = values(out);
    load(m, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(m.getInverse(out), cxNMMatrix_errNotSquare);
    load(m, {{1, 2, 3}, {0, 0, 0}, {4, 5, 6}});
    EXPECT_EQ(m.getInverse(out), cxNMMatrix_errSingular);
    EXPECT_EQ(empty.getInverse(out), cxNMMatrix_errBadSize);
    EXPECT_EQ(values(out), before);
    // Singular without a small row: accepted with the 1e-20 pivot, so the inverse is huge.
    load(m, {{1, 2}, {2, 4}});
    ASSERT_EQ(m.getInverse(out), 0);
    EXPECT_GT(std::fabs(at(out, 1, 1)), 1e15);

    // Random sizes through the four-at-a-time substitution and the one-at-a-time remainder, row
    // i + shift dominating column i: the first pivot is row `shift`, so that each of the four
    // right-hand sides of a pass in turn starts with a non-zero.
    std::mt19937 rng(3);
    for (int n : {3, 4, 5, 9, 33, 40}) {
        for (int shift : {0, 1, 2, 3}) {
            Dense a = randomDense(rng, n, n);
            for (int i = 0; i < n; ++i) {
                a(i, (i + n - shift) % n) += n;
            }
            load(m, a);
            ASSERT_EQ(m.getInverse(inv), 0);
            EXPECT_LT(maxDiff(mul(a, toDense(inv)), identity(n)), 1e-10) << n;
        }
    }
}
