// The generator against the stated first values and an independent re-derivation of its
// rules; the distribution record; the sampler's resets, statistics, outlier modes and printed
// text, and how it hands the caller's further arguments to the model.
#include "fault.h"

#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The generator written again from its rules: 64-bit products, constants derived from their
// definitions, the table as a std::array.
struct Reference {
    int64_t ix1 = 0, ix2 = 0, ix3 = 0;
    std::array<double, 97> table{};

    explicit Reference(int32_t seed)
    {
        int64_t t = 54773 - static_cast<int64_t>(seed);
        t = t < 0 ? -t : t;
        ix1 = t % 259200;
        ix1 = (7141 * ix1 + 54773) % 259200;
        ix2 = ix1 % 134456;
        ix1 = (7141 * ix1 + 54773) % 259200;
        ix3 = ix1 % 243000;
        for (double& e : table) {
            ix1 = (7141 * ix1 + 54773) % 259200;
            ix2 = (8121 * ix2 + 28411) % 134456;
            e = static_cast<double>(ix1) * (1.0 / 259200.0) +
                static_cast<double>(ix2) * (1.0 / (259200.0 * 134456.0));
        }
    }
    double next(double low, double high)
    {
        ix1 = (7141 * ix1 + 54773) % 259200;
        ix2 = (8121 * ix2 + 28411) % 134456;
        ix3 = (4561 * ix3 + 51349) % 243000;
        const auto j = static_cast<size_t>((97 * ix3) / 243000);
        const double u = table.at(j);
        table.at(j) = (static_cast<double>(ix2) * (1.0 / 134456.0) + static_cast<double>(ix1)) * (1.0 / 259200.0);
        return (high - low) * u + low;
    }
};

// A model that returns input 0 plus the first further argument (a double) and input 1 times
// the second (an int), and records what it read.
struct ModelLog {
    int calls = 0;
    std::vector<double> offsets;
    std::vector<int> factors;
    float out[2] = {0, 0};
};

float* sumModel(float* inputs, va_list args)
{
    ModelLog* log = va_arg(args, ModelLog*);
    const double offset = va_arg(args, double);
    const int factor = va_arg(args, int);
    ++log->calls;
    log->offsets.push_back(offset);
    log->factors.push_back(factor);
    log->out[0] = inputs[0] + static_cast<float>(offset);
    log->out[1] = inputs[1] * static_cast<float>(factor);
    return log->out;
}

// Returns a fixed vector of results; counts the calls.
struct Fixed {
    int calls = 0;
    float out[3];
};

float* fixedModel(float* /*inputs*/, va_list args)
{
    Fixed* f = va_arg(args, Fixed*);
    ++f->calls;
    return f->out;
}

} // namespace

TEST(RandomUniform, StatedFirstValues)
{
    csRandomUniform2 s;
    csRandomUniformInit2(&s, 0);
    EXPECT_EQ(s.seed, 0);
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(csRandomUniformNext2(&s, 0.0, 1.0), 0.27427201522210765);
    EXPECT_EQ(csRandomUniformNext2(&s, 0.0, 1.0), 0.5690608566896821);
    EXPECT_EQ(csRandomUniformNext2(&s, 0.0, 1.0), 0.3253029373175547);
    EXPECT_EQ(s.count, 3);
    csRandomUniformInit2(&s, 1);
    EXPECT_EQ(s.seed, 1);
    EXPECT_EQ(csRandomUniformNext2(&s, 0.0, 1.0), 0.8652817039210404);
    EXPECT_EQ(csRandomUniformNext2(&s, 0.0, 1.0), 0.39648833023855806);
    EXPECT_EQ(csRandomUniformNext2(&s, 0.0, 1.0), 0.4490073820617897);
}

TEST(RandomUniform, MatchesAnIndependentDerivationOverManyDraws)
{
    for (int32_t seed : {0, 1, 7, -1, 54773, 54774, 123456789, -987654321, INT32_MAX}) {
        csRandomUniform2 s;
        csRandomUniformInit2(&s, seed);
        Reference ref(seed);
        ASSERT_EQ(s.ix1, ref.ix1) << seed;
        ASSERT_EQ(s.ix2, ref.ix2) << seed;
        ASSERT_EQ(s.ix3, ref.ix3) << seed;
        for (int k = 0; k < 5000; ++k) {
            const double low = (k % 3 == 0) ? -2.5 : 0.0;
            const double high = (k % 3 == 0) ? 7.0 : 1.0;
            const double got = csRandomUniformNext2(&s, low, high);
            const double want = ref.next(low, high);
            ASSERT_EQ(got, want) << "seed " << seed << " draw " << k;
            ASSERT_GE(got, low);
            ASSERT_LT(got, high);
        }
        EXPECT_EQ(s.count, 5000);
        EXPECT_EQ(s.ix1, ref.ix1);
        EXPECT_EQ(s.ix3, ref.ix3);
    }
}

TEST(RandomUniform, SameSeedSameSequenceAndDegenerateInterval)
{
    csRandomUniform2 a, b;
    csRandomUniformInit2(&a, 42);
    for (int k = 0; k < 10; ++k) {
        csRandomUniformNext2(&a, 0.0, 1.0);
    }
    csRandomUniformInit2(&a, 42);
    csRandomUniformInit2(&b, 42);
    for (int k = 0; k < 200; ++k) {
        ASSERT_EQ(csRandomUniformNext2(&a, 0.0, 1.0), csRandomUniformNext2(&b, 0.0, 1.0));
    }
    EXPECT_EQ(csRandomUniformNext2(&a, 3.25, 3.25), 3.25);
    EXPECT_EQ(a.count, 201);

    // The seed whose difference from 54773 wraps to -2^31 takes the magnitude 2^31 (which the
    // 64-bit reference computes directly).
    const auto wrapping = static_cast<int32_t>(static_cast<uint32_t>(54773) + 0x80000000u);
    csRandomUniform2 w;
    csRandomUniformInit2(&w, wrapping);
    Reference ref(wrapping);
    for (int k = 0; k < 300; ++k) {
        ASSERT_EQ(csRandomUniformNext2(&w, 0.0, 1.0), ref.next(0.0, 1.0));
    }
}

TEST(Distribution, FillsOrAllocates)
{
    csDistribution d{5, 0.0f, 0.0f};
    EXPECT_EQ(csUniformDistributionCT2(&d, -1.5f, 2.0f), &d);
    EXPECT_EQ(d.type, 0);
    EXPECT_EQ(d.low, -1.5f);
    EXPECT_EQ(d.high, 2.0f);

    const int64_t before = csys_memory_testOutstanding();
    csDistribution* p = csUniformDistributionCT2(nullptr, 1.0f, 2.0f);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->type, 0);
    EXPECT_EQ(p->low, 1.0f);
    EXPECT_EQ(p->high, 2.0f);
    cxfFree(p);
    EXPECT_EQ(csys_memory_testOutstanding(), before);

    orbtest::FaultGuard guard;
    csys_memory_testFailAfter(1, 0);
    EXPECT_EQ(csUniformDistributionCT2(nullptr, 1.0f, 2.0f), nullptr);
}

TEST(Distribution, DrawsAFloatOrReportsAnUnknownType)
{
    csRandomUniform2 s, ref;
    csRandomUniformInit2(&s, 3);
    csRandomUniformInit2(&ref, 3);
    csDistribution d{0, -1.0f, 0.3f};
    for (int k = 0; k < 100; ++k) {
        ASSERT_EQ(randomSampleVar2(&s, &d), static_cast<float>(csRandomUniformNext2(&ref, -1.0, 0.3f)));
    }
    csDistribution bad{2, 0.0f, 1.0f};
    const csRandomUniform2 before = s;
    testing::internal::CaptureStderr();
    const float v = randomSampleVar2(&s, &bad);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "unimplemented csDistribution type 2\n");
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(s.count, before.count);
    EXPECT_EQ(s.ix1, before.ix1);
    EXPECT_EQ(randomSampleVar2(&s, &d), static_cast<float>(csRandomUniformNext2(&ref, -1.0, 0.3f)));
}

TEST(Sampler, AccumulatesDrawsAndPassesFurtherArgumentsUntouched)
{
    const csDistribution inputs[2] = {{0, 0.0f, 1.0f}, {0, 10.0f, 20.0f}};
    const float nominal[2] = {0.0f, 0.0f};
    const float thresholds[2] = {1e9f, 1e9f};
    csStats2 stats[2];
    ModelLog log;
    const unsigned iterations = 50;
    csStats2* r = randomSample2(sumModel, 11, iterations, 2, inputs, 2, 1, nominal, thresholds, stats, &log,
                                0.5, 3);
    ASSERT_EQ(r, stats);
    EXPECT_EQ(log.calls, 50);
    for (int k = 0; k < 50; ++k) {
        ASSERT_EQ(log.offsets[static_cast<size_t>(k)], 0.5);
        ASSERT_EQ(log.factors[static_cast<size_t>(k)], 3);
    }

    // The same draws made by hand, through the flat record for comparison.
    csRandomUniform2 g;
    csRandomUniformInit2(&g, 11);
    csStats2 want[2];
    csStats2Reset(&want[0]);
    csStats2Reset(&want[1]);
    for (unsigned it = 0; it < iterations; ++it) {
        const float a = randomSampleVar2(&g, &inputs[0]);
        const float b = randomSampleVar2(&g, &inputs[1]);
        csStats2Add(&want[0], static_cast<double>(a + 0.5f));
        csStats2Add(&want[1], static_cast<double>(b * 3.0f));
    }
    for (int j = 0; j < 2; ++j) {
        EXPECT_EQ(stats[j].n, iterations);
        EXPECT_EQ(stats[j].sum, want[j].sum);
        EXPECT_EQ(stats[j].sumSquares, want[j].sumSquares);
        EXPECT_EQ(stats[j].minimum, want[j].minimum);
        EXPECT_EQ(stats[j].maximum, want[j].maximum);
        EXPECT_EQ(stats[j].last, want[j].last);
        EXPECT_EQ(stats[j].outliers, 0u);
    }

    // Same seed, same model: the same statistics again.
    csStats2 again[2];
    ModelLog log2;
    randomSample2(sumModel, 11, iterations, 2, inputs, 2, 1, nominal, thresholds, again, &log2, 0.5, 3);
    EXPECT_EQ(again[1].sum, stats[1].sum);
}

TEST(Sampler, NullStatsZeroIterationsZeroOutputsAndTooManyInputs)
{
    Fixed f{0, {1, 2, 3}};
    const csDistribution in{0, 0.0f, 1.0f};
    EXPECT_EQ(randomSample2(fixedModel, 1, 5, 1, &in, 1, 1, nullptr, nullptr, nullptr, &f), nullptr);
    EXPECT_EQ(f.calls, 0);

    csStats2 stats[2];
    stats[0].n = 9;
    stats[1].outliers = 4;
    EXPECT_EQ(randomSample2(fixedModel, 1, 0, 1, &in, 2, 1, nullptr, nullptr, stats, &f), stats);
    EXPECT_EQ(f.calls, 0);
    EXPECT_EQ(stats[0].n, 0u);
    EXPECT_EQ(stats[1].outliers, 0u);
    EXPECT_EQ(stats[1].minimum, DBL_MAX);

    EXPECT_EQ(randomSample2(fixedModel, 1, 7, 1, &in, 0, 1, nullptr, nullptr, stats, &f), stats);
    EXPECT_EQ(f.calls, 7);

    std::vector<csDistribution> many(101, in);
    stats[0].n = 9;
    EXPECT_EQ(randomSample2(fixedModel, 1, 3, 101, many.data(), 1, 1, nullptr, nullptr, stats, &f), nullptr);
    EXPECT_EQ(stats[0].n, 9u);
    EXPECT_EQ(f.calls, 7);
    std::vector<csDistribution> hundred(100, in);
    const float nominal = 1.0f, threshold = 0.0f;
    EXPECT_EQ(randomSample2(fixedModel, 1, 3, 100, hundred.data(), 1, 1, &nominal, &threshold, stats, &f), stats);
    EXPECT_EQ(stats[0].n, 3u);
    EXPECT_EQ(f.calls, 10);
}

TEST(Sampler, OutlierModes)
{
    // Output 0 differs from nominal by exactly the threshold (never counted), output 1 by more.
    Fixed f{0, {1.5f, 4.0f, 0.0f}};
    const float nominal[2] = {1.0f, 1.0f};
    const float thresholds[2] = {0.5f, 0.5f};
    const csDistribution in[2] = {{0, 2.0f, 3.0f}, {1, 0.0f, 1.0f}};
    csStats2 stats[2];

    testing::internal::CaptureStderr();
    randomSample2(fixedModel, 5, 4, 0, in, 2, 1, nominal, thresholds, stats, &f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(stats[0].outliers, 0u);
    EXPECT_EQ(stats[1].outliers, 4u);
    EXPECT_EQ(stats[1].n, 4u);

    // Mode 0 prints the configuration: the first input is a uniform draw, the second is of an
    // unimplemented type and reads 0.
    csRandomUniform2 g;
    csRandomUniformInit2(&g, 5);
    const float first = randomSampleVar2(&g, &in[0]);
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "unimplemented csDistribution type 1\nError!!! Config%8.4f %8.4f result %7.3f nomResult %7.3f "
                  "threshResult %7.3f\n",
                  static_cast<double>(first), 0.0, 4.0, 1.0, 0.5);
    testing::internal::CaptureStderr();
    randomSample2(fixedModel, 5, 1, 2, in, 2, 0, nominal, thresholds, stats, &f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
    EXPECT_EQ(stats[1].outliers, 0u);

    testing::internal::CaptureStderr();
    randomSample2(fixedModel, 5, 3, 0, in, 2, 5, nominal, thresholds, stats, &f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              " unknown outlierMode) unknown outlierMode) unknown outlierMode)");
    EXPECT_EQ(stats[1].outliers, 0u);
    EXPECT_EQ(stats[1].n, 3u);
}
