// cxVector<double> growth and resize rules, and cxNMMatrix::print captured exactly, also after
// narrow or wide output on the same stream.
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
