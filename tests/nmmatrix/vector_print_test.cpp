// cxVector<double> growth and resize rules, and cxNMMatrix::print captured exactly.
#include "nm_helpers.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using nmtest::load;
using nmtest::V;

namespace {
V items(const cxVector<double>& v) { return {v.begin(), v.end()}; }
} // namespace

namespace {

// Runs body in a child process whose standard output is a new, unoriented stream on a file
// (the parent's stdout is byte-oriented) and returns what it wrote.
std::string captureInChild(const std::function<void()>& body)
{
    char path[] = "/tmp/orbmath-print-XXXXXX";
    close(mkstemp(path));
    std::fflush(nullptr);
    if (fork() == 0) {
        _exit(std::freopen(path, "w", stdout) == nullptr ? 3 : (body(), std::fflush(stdout), 0));
    }
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(path);
    return text;
}

const char* const kTwoByTwo = "         1          2 \n"
                              "         3          4 \n";

} // namespace

TEST(NMMatrixPrint, ExactFormat)
{
    cxNMMatrix m, empty, big;
    load(m, {{1, 2}, {3, 4}});
    EXPECT_EQ(captureInChild([&] { EXPECT_EQ(m.print(), 0); }), kTwoByTwo);
    EXPECT_EQ(captureInChild([&] { EXPECT_EQ(empty.print(), 0); }), "");
    // Every element as %10g; text longer than the write buffer comes out whole and in order.
    ASSERT_EQ(big.initResize(60, 45), 0);
    std::string want;
    for (int k = 0; k < 60 * 45; ++k) {
        const double v = (k / 45 - 30) * 1000.25 + (k % 45) / 7.0;
        ASSERT_EQ(big.setElement(k / 45, k % 45, v), 0);
        char field[32];
        std::snprintf(field, sizeof field, "%10g ", v);
        want += field;
        want += k % 45 == 44 ? "\n" : "";
    }
    EXPECT_EQ(captureInChild([&] { big.print(); }), want);
}

TEST(NMVector, GrowthAndResizeRules)
{
    cxVector<double> v, w;
    EXPECT_TRUE(v.size() + v.capacity() == 0u && v.begin() == nullptr && v.end() == nullptr);
    // From empty: an array of exactly 0 + max(0, 3) elements, filled with 0.0.
    ASSERT_EQ(v.resize(3), 0);
    EXPECT_TRUE(v.capacity() == 3u && items(v) == V(3, 0.0));
    v[0] = 1.0;
    v[1] = 2.0;
    v[2] = 3.0;
    // Growing by 2 without spare room: size + max(size, 2) = 6, the elements kept.
    ASSERT_EQ(v.resize(5), 0);
    EXPECT_TRUE(v.capacity() == 6u && items(v) == (V{1, 2, 3, 0, 0}));
    // Shrinking keeps the first n and the array; growing into spare room writes 0.0 again.
    double* array = v.begin();
    ASSERT_EQ(v.resize(2) | v.resize(4), 0);
    EXPECT_TRUE(v.begin() == array && items(v) == (V{1, 2, 0, 0}));
    ASSERT_EQ(v.resize(13), 0); // a growth beyond the size: size + k
    EXPECT_TRUE(v.capacity() == 13u && v.size() == 13u);
    ASSERT_EQ(v.resize(0), 0);
    EXPECT_TRUE(v.empty() && v.capacity() == 13u);

    // Insertion before the end, through a new array and in place; a value taken from the
    // vector itself survives the move.
    ASSERT_EQ(w.insert(0, 3, 1.0), 0);
    w[2] = 3.0;
    ASSERT_EQ(w.insert(1, 2, w[2]), 0);
    EXPECT_EQ(items(w), (V{1, 3, 3, 1, 3}));
    ASSERT_EQ(w.insert(0, 1, w[3]), 0);
    EXPECT_EQ(items(w), (V{1, 1, 3, 3, 1, 3}));
    EXPECT_EQ(w.insert(7, 1, 0.0), cxNMMatrix_errBadSize);
    cxVector<double> moved(std::move(w));
    EXPECT_EQ(w.begin(), nullptr);
    w = std::move(moved);
    EXPECT_EQ(items(w), (V{1, 1, 3, 3, 1, 3}));
}

TEST(NMVector, NoMemoryLeavesTheVectorUnchanged)
{
    cxVector<double> v;
    ASSERT_EQ(v.resize(4), 0);
    v[3] = 42.0;
    const double* begin = v.begin();
    EXPECT_EQ(v.resize(SIZE_MAX / 4), cxVector_errNoMemory); // no array can have this size
    EXPECT_EQ(v.insert(2, SIZE_MAX - 3, 1.0), cxVector_errNoMemory);
    EXPECT_EQ(v.begin(), begin);
    EXPECT_EQ(v.capacity(), 4u);
    EXPECT_EQ(items(v), (V{0, 0, 0, 42}));
}
