// The robust fits of transforms to point pairs make no allocation (their working state is the
// best model and counts): with every allocation request failing they give the same result, and
// the allocator sees no request.
#include "fault.h"
#include "orbtest_a.h"
#include "sweep_util.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

TEST(OomSweep, RobustFitsAllocateNothing)
{
    std::vector<cmath_vect> src, dst;
    for (int i = 0; i < 60; ++i) {
        src.push_back(cmath_vect{static_cast<double>(i % 8), static_cast<double>(i / 8)});
        dst.push_back(i % 3 ? cmath_vect{2.0 * src[i].x - src[i].y + 1.0, src[i].x + 3.0} : cmath_vect{-50.0 * i, 9.0});
    }
    const cmath_vect* d = dst.data();
    const cmath_vect* s = src.data();
    const int32_t n = 60;
    const auto robust = [&](auto fit) {
        return [=](cmath_xformLinear* t) {
            csRandomUniform2 g;
            csRandomUniformInit2(&g, 3);
            std::vector<int32_t> mask(n);
            int32_t count = 0;
            return fit(t, d, s, n, &g, 0.5, 200, 0.99, mask.data(), &count);
        };
    };
    const auto rigid = [&](auto fit) {
        return [=](cmath_xformLinear* t) {
            cmath_xformRigid r;
            const cmath_status st = fit(&r);
            return st < 0 ? st : cmath_xformRigid_getXformLinear(&r, t);
        };
    };
    const std::pair<const char*, std::function<cmath_status(cmath_xformLinear*)>> fits[] = {
        {"robust", robust(cmath_xformLinear_initPointsRobust)},
        {"robust similarity", robust(cmath_xformLinear_initPointsSimilarityRobust)},
        {"robust rigid", robust(cmath_xformLinear_initPointsRigidRobust)},
        {"robust rigid (cmath_xformRigid)", rigid([&](cmath_xformRigid* r) {
             csRandomUniform2 g;
             csRandomUniformInit2(&g, 3);
             return cmath_xformRigid_initPointsRobust(r, d, s, n, &g, 0.5, 200, 0.99, nullptr, nullptr);
         })},
    };
    orbtest::FaultGuard guard;
    for (const auto& [name, fit] : fits) {
        SCOPED_TRACE(name);
        cmath_xformLinear want{}, got{};
        ASSERT_EQ(fit(&want), 0);
        const int64_t requests = csys_memory_testRequests();
        csys_memory_testFailAfter(1, 1);
        EXPECT_EQ(fit(&got), 0);
        csys_memory_testFailAfter(0, 0);
        EXPECT_EQ(csys_memory_testRequests(), requests);
        EXPECT_TRUE(orbtest::sameBytes(got, want));
    }
    rel::report("robust fits", 0);
}
