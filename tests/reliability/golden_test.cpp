// The golden outputs of every family must match the committed hashes (see golden/golden.hpp):
// a change in any bit of any result is caught here and in the cross-compiler comparison of CI.
#include "golden/golden.hpp"

#include <gtest/gtest.h>

#include <ios>

namespace {

TEST(Golden, EveryFamilyMatchesItsCommittedHash)
{
    for (const golden::Family& f : golden::families()) {
        const uint64_t h = f.run();
        EXPECT_EQ(h, f.expected) << f.name << " now hashes to 0x" << std::hex << h;
    }
}

} // namespace
