// Matrix and transform averagers in both modes: the average and its validity over a table of
// contributions, refusals that write nothing, copies.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const double kPi = std::acos(-1.0);
constexpr cmath_matrix kSentinel{-9, -9, -9, -9}, kId{1, 0, 0, 1};

cmath_matrix sa(double s, double a, double k, double theta)
{
    cmath_matrix m;
    const cmath_radian shear{k}, rotation{theta};
    EXPECT_EQ(cmath_matrix_initScaleAspect(&m, s, a, &shear, &rotation), 0);
    return m;
}

template <class T>
bool sameBits(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

struct Item {
    cmath_matrix m;
    double w;
};

} // namespace

TEST(MatrixAverager, AveragesOverATableOfContributions)
{
    const double a4 = std::pow(4.0, 0.25);
    // Mode (0 element, 1 scale-aspect), contributions (weight 1 through add), then the status,
    // average (the sentinel when refused) and isValid of getAverage, and the average's tolerance.
    const struct {
        int mode;
        std::vector<Item> items;
        cmath_status st;
        cmath_matrix want;
        int32_t valid;
        double tol;
    } rows[] = {
        {0, {}, cmath_errSingular, kSentinel, -1, 0},
        {1, {}, cmath_errSingular, kSentinel, -1, 0},
        {0, {{kId, 1}, {kId, -1}}, cmath_errSingular, kSentinel, -1, 0},
        {1, {{kId, 1}, {kId, -1}}, cmath_errSingular, kSentinel, -1, 0},
        {0, {{kId, 1}, {{3, 0, 0, 3}, 1}}, 0, {2, 0, 0, 2}, 1, 0},
        {0, {{kId, 1}, {{-1, 0, 0, -1}, 1}}, 0, {0, 0, 0, 0}, 0, 0}, // singular: not valid
        {0, {{{1, 2, 2, 4}, 3}, {{4, 8, -4, 0}, 1}}, 0, {0.25 * 7, 0.25 * 14, 0.25 * 2, 0.25 * 12}, 1, 0},
        {1, {{kId, 1}, {{4, 0, 0, 4}, 1}}, 0, {2, 0, 0, 2}, 1, 0}, // geometric mean of the scales
        // Weights 3 and 1: shears 0.2 and 0.6 give 0.3, aspects 2 and 0.5 give (2^3 * 0.5)^(1/4).
        {1, {{sa(1.5, 2, 0.2, 0.4), 3}, {sa(1.5, 0.5, 0.6, 0.4), 1}}, 0, sa(1.5, a4, 0.3, 0.4), 1, 1e-14},
        // A reflected pair keeps its negative aspect; mixed signs give aspect 1, not valid.
        {1, {{sa(1, -2, 0, 0), 1}, {sa(1, -8, 0, 0), 1}}, 0, sa(1, -4, 0, 0), 1, 1e-14},
        {1, {{sa(3, 2, 0, 0), 1}, {sa(3, -0.5, 0, 0), 1}}, 0, {3, 0, 0, 3}, 0, 1e-14},
        // The rotation is a circular mean: pi - 0.1 and -pi + 0.1 give pi, not 0.
        {1, {{sa(1, 1, 0, kPi - 0.1), 1}, {sa(1, 1, 0, 0.1 - kPi), 1}}, 0, {-1, 0, 0, -1}, 1, 1e-12},
        // Rotations 0 (weight 2), +pi and -pi cancel bit for bit: rotation 0, not valid.
        {1, {{kId, 2}, {{-1, 0, 0.0, -1}, 1}, {{-1, 0, -0.0, -1}, 1}}, 0, kId, 0, 0},
    };
    for (const auto& row : rows) {
        cmath_matrixAverager a;
        std::memset(&a, 0x44, sizeof a);
        EXPECT_EQ(row.mode == 0 ? cmath_matrixAverager_constructElement(&a)
                                : cmath_matrixAverager_constructScaleAspect(&a),
                  0);
        for (const Item& it : row.items) {
            EXPECT_EQ(it.w == 1 ? cmath_matrixAverager_add(&a, &it.m)
                                : cmath_matrixAverager_addWeighted(&a, &it.m, it.w),
                      0);
        }
        EXPECT_EQ(a.count, static_cast<int32_t>(row.items.size()));
        cmath_matrix out = kSentinel, again = kSentinel;
        int32_t valid = -1;
        EXPECT_EQ(cmath_matrixAverager_getAverage(&a, &out, &valid), row.st);
        EXPECT_TRUE(std::fabs(out.e11 - row.want.e11) <= row.tol && std::fabs(out.e12 - row.want.e12) <= row.tol &&
                    std::fabs(out.e21 - row.want.e21) <= row.tol && std::fabs(out.e22 - row.want.e22) <= row.tol)
            << out.e11 << " " << out.e12 << " " << out.e21 << " " << out.e22;
        EXPECT_EQ(valid, row.valid);
        EXPECT_EQ(cmath_matrixAverager_getAverage(&a, &again, nullptr), row.st); // isValid may be null
        EXPECT_TRUE(sameBits(again, out));

        // Copies carry every field, the mode included.
        cmath_matrixAverager c, d;
        std::memset(&d, 0x44, sizeof d);
        EXPECT_EQ(cmath_matrixAverager_constructCopy(&c, &a), 0);
        EXPECT_EQ(cmath_matrixAverager_assign(&d, &a), 0);
        EXPECT_TRUE(cmath_matrixAverager_assign(&a, &a) == 0 && sameBits(c, a) && sameBits(d, a));
        EXPECT_EQ(cmath_matrixAverager_destruct(&c), 0);
    }
}

TEST(XformAverager, TranslationFollowsTheMatrixPart)
{
    for (int mode = 0; mode < 2; ++mode) {
        cmath_xformLinearAverager a, c, d;
        std::memset(&a, 0x44, sizeof a);
        std::memset(&d, 0x44, sizeof d);
        EXPECT_EQ(mode == 0 ? cmath_xformLinearAverager_constructElement(&a)
                            : cmath_xformLinearAverager_constructScaleAspect(&a),
                  0);
        EXPECT_TRUE(a.base.mode == mode && a.translationSum.x == 0.0 && a.translationSum.y == 0.0);
        const cmath_xformLinear kOut{{-9, -9}, kSentinel}, t0{{0, 0}, kId}, t1{{2, 4}, kId};
        cmath_xformLinear out = kOut;
        int32_t valid = -1;
        EXPECT_EQ(cmath_xformLinearAverager_getAverage(&a, &out, &valid), cmath_errSingular);
        EXPECT_TRUE(sameBits(out, kOut) && valid == -1);
        ASSERT_EQ(cmath_xformLinearAverager_add(&a, &t0), 0);
        ASSERT_EQ(cmath_xformLinearAverager_addWeighted(&a, &t1, 3.0), 0);
        ASSERT_EQ(cmath_xformLinearAverager_getAverage(&a, &out, &valid), 0);
        EXPECT_TRUE(out.trans.x == 1.5 && out.trans.y == 3.0 && valid == 1);
        EXPECT_TRUE(out.matrix.e11 == 1 && out.matrix.e12 == 0 && out.matrix.e21 == 0 && out.matrix.e22 == 1);

        // A singular matrix: refused with its translation in scale-aspect mode only.
        const cmath_xformLinear bad{{100, 100}, {0, 0, 0, 0}};
        const cmath_xformLinearAverager before = a;
        EXPECT_EQ(cmath_xformLinearAverager_add(&a, &bad), mode == 1 ? cmath_errSingular : 0);
        EXPECT_EQ(cmath_xformLinearAverager_addWeighted(&a, &bad, 2.0), mode == 1 ? cmath_errSingular : 0);
        EXPECT_EQ(sameBits(a, before), mode == 1); // no padding: every field
        EXPECT_TRUE(a.translationSum.x == (mode == 1 ? 6.0 : 306.0) && a.base.count == (mode == 1 ? 2 : 4));

        EXPECT_EQ(cmath_xformLinearAverager_constructCopy(&c, &a), 0);
        EXPECT_EQ(cmath_xformLinearAverager_assign(&d, &a), 0);
        EXPECT_TRUE(cmath_xformLinearAverager_assign(&a, &a) == 0 && sameBits(c, a) && sameBits(d, a));
        EXPECT_EQ(cmath_xformLinearAverager_destruct(&c), 0);
    }
}
