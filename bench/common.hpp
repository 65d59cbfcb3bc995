// Shared helpers of the benchmark program: registration under "workload/implementation/size"
// names, reproducible inputs, and the allocation counter of the library's allocator.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

extern "C" int64_t csys_memory_testRequests(void); // requests made through the library's allocator

namespace orbbench {

// The implementation name of this library in every row of the table.
inline constexpr const char* kOurs = "ours";

// Registers fn as workload/impl/size. Every benchmark is timed in CPU time: the machine is
// shared, and wall time would count the moments another process holds the core.
inline benchmark::internal::Benchmark* add(const std::string& workload, const std::string& impl, long size,
                                           std::function<void(benchmark::State&)> fn)
{
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
