// Shared helpers of the benchmark program: registration under "workload/implementation/size"
// names, reproducible inputs (the same matrices in every translation unit, so that peers built
// with other flags see the same numbers), the allocation counter of the library's allocator and
// the heap probe behind the "peak" counter.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

extern "C" int64_t csys_memory_testRequests(void); // requests made through the library's allocator

namespace orbbench {

// The implementation name of this library in every row of the table.
inline constexpr const char* kOurs = "ours";

// Registers fn as workload/impl/size. Every benchmark is timed in CPU time: the machine is
// shared, and wall time would count the moments another process holds the core.
// The workloads in the order they were first registered (the tables follow it).
inline std::vector<std::string>& workloadOrder()
{
    static std::vector<std::string> order;
    return order;
}

inline benchmark::internal::Benchmark* add(const std::string& workload, const std::string& impl, long size,
                                           std::function<void(benchmark::State&)> fn)
{
    std::vector<std::string>& order = workloadOrder();
    if (std::find(order.begin(), order.end(), workload) == order.end()) {
        order.push_back(workload);
    }
    const std::string name = workload + "/" + impl + "/" + std::to_string(size);
    return benchmark::RegisterBenchmark(name.c_str(), [fn](benchmark::State& st) { fn(st); })
        ->Unit(benchmark::kNanosecond);
}

// Uniform values in [lo, hi) from a fixed seed, so every run and every peer sees the same input.
inline std::vector<double> uniform(size_t count, double lo, double hi, uint64_t seed)
{
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> dist(lo, hi);
    std::vector<double> v(count);
    for (double& x : v) {
        x = dist(gen);
    }
    return v;
}

// The test matrices of order n, row-major, values uniform in [-1, 1): general(n, which) and the
// symmetric part (A + Aᵀ) / 2 of another one. Made once and shared by every unit.
inline const std::vector<double>& generalMatrix(int n, int which = 0)
{
    static std::map<std::pair<int, int>, std::vector<double>> cache;
    std::vector<double>& m = cache[{n, which}];
    if (m.empty()) {
        m = uniform(static_cast<size_t>(n) * static_cast<size_t>(n), -1.0, 1.0,
                    1000 + 10 * static_cast<uint64_t>(n) + static_cast<uint64_t>(which));
    }
    return m;
}

inline const std::vector<double>& symmetricMatrix(int n)
{
    static std::map<int, std::vector<double>> cache;
    std::vector<double>& m = cache[n];
    if (m.empty()) {
        m = uniform(static_cast<size_t>(n) * static_cast<size_t>(n), -1.0, 1.0, 5000 + static_cast<uint64_t>(n));
        const size_t un = static_cast<size_t>(n);
        for (size_t i = 0; i < un; ++i) {
            for (size_t j = 0; j < i; ++j) {
                const double s = 0.5 * (m[i * un + j] + m[j * un + i]);
                m[i * un + j] = s;
                m[j * un + i] = s;
            }
        }
    }
    return m;
}

// The right-hand side of the solves.
inline const std::vector<double>& rightHandSide(int n)
{
    static std::map<int, std::vector<double>> cache;
    std::vector<double>& b = cache[n];
    if (b.empty()) {
        b = uniform(static_cast<size_t>(n), -1.0, 1.0, 77);
    }
    return b;
}

// Sizes: the peers run at kPeerSizes, the library at those and at the orders of the scaling
// table (kScalingSizes, where a cache cliff at a power of two would show).
inline const std::vector<int> kPeerSizes = {4, 16, 64, 256, 512, 1024};
inline const std::vector<int> kScalingSizes = {64, 128, 255, 256, 257, 511, 512, 1024};

// The peak of heap bytes in use while fn runs, above what was in use before (memory_probe.cpp
// watches malloc and its relatives; blocks freed inside fn that were made before it are not
// counted, so size the outputs first).
size_t peakHeapBytes(const std::function<void()>& fn);

// Counts the library's allocation requests over a benchmark loop and reports them per
// iteration as the counter "allocs".
class AllocCounter {
public:
    explicit AllocCounter(benchmark::State& st) : st_(st), start_(csys_memory_testRequests()) {}
    ~AllocCounter()
    {
        const double n = static_cast<double>(csys_memory_testRequests() - start_);
        const double it = static_cast<double>(st_.iterations());
        st_.counters["allocs"] = it > 0 ? n / it : 0.0;
    }
    AllocCounter(const AllocCounter&) = delete;
    AllocCounter& operator=(const AllocCounter&) = delete;

private:
    benchmark::State& st_;
    int64_t start_;
};

} // namespace orbbench
