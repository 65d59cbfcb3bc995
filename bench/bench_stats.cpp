// Statistics and sampling: running statistics over 10^6 values, the uniform generator, the
// chi-squared distribution function and log-gamma. Peers: GSL, the standard library, and a
// plain loop that forms the same sums as the library.
#include "common.hpp"

#include <orbmath/orbmath.h>

#include <gsl/gsl_cdf.h>
#include <gsl/gsl_rng.h>
#include <gsl/gsl_sf_gamma.h>
#include <gsl/gsl_statistics_double.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

namespace {

using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;

constexpr long kValues = 1000000;
constexpr long kDraws = 1024;
constexpr long kArgs = 256;

const std::vector<double>& values()
{
    static const std::vector<double> v = orbbench::uniform(kValues, -10.0, 10.0, 31);
    return v;
}

void registerStatistics()
{
    add("stats-addValues", kOurs, kValues, [](benchmark::State& st) {
        const std::vector<double>& v = values();
        AllocCounter ac(st);
        for (auto _ : st) {
            cmath_statistics s;
            cmath_statistics_init(&s);
            cmath_statistics_addValues(&s, v.data(), static_cast<int32_t>(v.size()));
            benchmark::DoNotOptimize(&s);
        }
    });
    // The same five quantities in one sequential pass: the floor for sums in array order.
    add("stats-addValues", "plain-loop", kValues, [](benchmark::State& st) {
        const std::vector<double>& v = values();
        for (auto _ : st) {
            double sum = 0.0, sumSquares = 0.0, minimum = DBL_MAX, maximum = -DBL_MAX;
            for (const double x : v) {
                sum += x;
                sumSquares += x * x;
                if (!(x >= minimum)) {
                    minimum = x;
                }
                if (x > maximum) {
                    maximum = x;
                }
            }
            benchmark::DoNotOptimize(sum);
            benchmark::DoNotOptimize(sumSquares);
            benchmark::DoNotOptimize(minimum);
            benchmark::DoNotOptimize(maximum);
        }
    });
    // GSL: mean, variance and min/max, each its own pass (its variance uses the updating mean).
    add("stats-addValues", "gsl-mean-var-minmax", kValues, [](benchmark::State& st) {
        const std::vector<double>& v = values();
        for (auto _ : st) {
            const double mean = gsl_stats_mean(v.data(), 1, v.size());
            const double var = gsl_stats_variance_m(v.data(), 1, v.size(), mean);
            double lo, hi;
            gsl_stats_minmax(&lo, &hi, v.data(), 1, v.size());
            benchmark::DoNotOptimize(mean);
            benchmark::DoNotOptimize(var);
            benchmark::DoNotOptimize(lo);
            benchmark::DoNotOptimize(hi);
        }
    });
}

void registerRandom()
{
    add("random-uniform", kOurs, kDraws, [](benchmark::State& st) {
        csRandomUniform2 g;
        csRandomUniformInit2(&g, 12345);
        AllocCounter ac(st);
        for (auto _ : st) {
            double acc = 0.0;
            for (long i = 0; i < kDraws; ++i) {
                acc += csRandomUniformNext2(&g, -1.0, 1.0);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    const auto gslGen = [](const gsl_rng_type* type) {
        return [type](benchmark::State& st) {
            gsl_rng* r = gsl_rng_alloc(type);
            gsl_rng_set(r, 12345);
            for (auto _ : st) {
                double acc = 0.0;
                for (long i = 0; i < kDraws; ++i) {
                    acc += -1.0 + 2.0 * gsl_rng_uniform(r);
                }
                benchmark::DoNotOptimize(acc);
            }
            gsl_rng_free(r);
        };
    };
    add("random-uniform", "gsl-mt19937", kDraws, gslGen(gsl_rng_mt19937));
    add("random-uniform", "gsl-taus2", kDraws, gslGen(gsl_rng_taus2));
    add("random-uniform", "gsl-ranlxd1", kDraws, gslGen(gsl_rng_ranlxd1));
    add("random-uniform", "std-mt19937_64", kDraws, [](benchmark::State& st) {
        std::mt19937_64 gen(12345);
        std::uniform_real_distribution<double> dist(-1.0, 1.0);
        for (auto _ : st) {
            double acc = 0.0;
            for (long i = 0; i < kDraws; ++i) {
                acc += dist(gen);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
}

// 256 arguments per iteration: x in (0, 60) for the distribution function with 10 degrees of
// freedom, x in (0.1, 50) for log-gamma.
void registerSpecialFunctions()
{
    static const std::vector<double> xs = orbbench::uniform(kArgs, 0.0, 60.0, 41);
    static const std::vector<double> gs = orbbench::uniform(kArgs, 0.1, 50.0, 42);
    add("chiSquaredCDF", kOurs, kArgs, [](benchmark::State& st) {
        AllocCounter ac(st);
        for (auto _ : st) {
            double acc = 0.0;
            for (const double x : xs) {
                double p;
                cmath_chiSquaredCDF(x, 10, &p);
                acc += p;
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("chiSquaredCDF", "gsl-cdf_chisq_P", kArgs, [](benchmark::State& st) {
        for (auto _ : st) {
            double acc = 0.0;
            for (const double x : xs) {
                acc += gsl_cdf_chisq_P(x, 10.0);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("lgamma", kOurs, kArgs, [](benchmark::State& st) {
        AllocCounter ac(st);
        for (auto _ : st) {
            double acc = 0.0;
            for (const double x : gs) {
                double g;
                cmath_lgamma(x, &g);
                acc += g;
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("lgamma", "gsl-sf_lngamma", kArgs, [](benchmark::State& st) {
        for (auto _ : st) {
            double acc = 0.0;
            for (const double x : gs) {
                acc += gsl_sf_lngamma(x);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
    add("lgamma", "std-lgamma", kArgs, [](benchmark::State& st) {
        for (auto _ : st) {
            double acc = 0.0;
            for (const double x : gs) {
                acc += std::lgamma(x);
            }
            benchmark::DoNotOptimize(acc);
        }
    });
}

[[maybe_unused]] const int registered = (registerStatistics(), registerRandom(), registerSpecialFunctions(), 0);

} // namespace
