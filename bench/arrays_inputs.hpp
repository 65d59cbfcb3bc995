// The inputs of the array benchmarks, as plain doubles so that the library's side
// (bench_arrays.cpp) and the peers built for this machine (native_arrays.cpp) share them
// without sharing a type: ten affine transforms and point arrays at the benchmarked sizes.
#pragma once

#include "common.hpp"

#include <vector>

namespace orbbench::arrays {

inline constexpr int kParts = 10;
inline constexpr long kSizes[] = {16, 1024, 1000000};

// Transform k as (e11, e12, e21, e22, tx, ty): near the identity, so that ten of them composed
// keep the points in range.
struct Affine6 {
    double e[6];
};
inline std::vector<Affine6> transforms()
{
    const std::vector<double> r = uniform(6 * kParts, -1.0, 1.0, 7);
    std::vector<Affine6> t(kParts);
    for (size_t k = 0; k < t.size(); ++k) {
        const double* q = &r[6 * k];
        t[k] = {{1.0 + 0.1 * q[0], 0.1 * q[1], 0.1 * q[2], 1.0 + 0.1 * q[3], q[4], q[5]}};
    }
    return t;
}

// n points as x0, y0, x1, y1, ...
inline std::vector<double> points(long n) { return uniform(static_cast<size_t>(2 * n), -100.0, 100.0, 11); }

} // namespace orbbench::arrays
