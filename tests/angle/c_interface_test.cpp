// The flat angle, range and legacy interface from a C11 translation unit.
#include <gtest/gtest.h>

extern "C" int orbmath_angle_c_check(void);

TEST(AngleCInterface, HeadersCompileAsC11AndCallsWork) { EXPECT_EQ(orbmath_angle_c_check(), 0); }
