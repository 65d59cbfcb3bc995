// The generator against its stated first values and a re-derivation of its rules; the sampler.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
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
        table.at(j) =
            (static_cast<double>(ix2) * (1.0 / 134456.0) + static_cast<double>(ix1)) * (1.0 / 259200.0);
        return (high - low) * u + low;
    }
};

// The model: input 0 plus the first further argument (a double), input 1 times the second (an
// int); it counts its calls and checks that it reads the same further arguments every time.
struct ModelLog {
    int calls = 0, mismatches = 0;
    float out[2] = {0, 0};
};

float* sumModel(float* inputs, va_list args)
{
    ModelLog* log = va_arg(args, ModelLog*);
    const double offset = va_arg(args, double);
    const int factor = va_arg(args, int);
    ++log->calls;
    log->mismatches += offset != 0.5 || factor != 3;
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

TEST(RandomUniform, StatedFirstValuesAndAnIndependentDerivation)
{
    csRandomUniform2 s;
    const struct {
        int32_t seed;
        double first[3];
    } stated[] = {{0, {0.27427201522210765, 0.5690608566896821, 0.3253029373175547}},
                  {1, {0.8652817039210404, 0.39648833023855806, 0.4490073820617897}}};
    for (const auto& c : stated) {
        csRandomUniformInit2(&s, c.seed);
        EXPECT_TRUE(s.seed == c.seed && s.count == 0);
        for (double want : c.first) {
            EXPECT_EQ(csRandomUniformNext2(&s, 0.0, 1.0), want);
        }
        EXPECT_EQ(s.count, 3);
    }
    // One record re-seeded each time (the seed must reset everything), including the seed
    // whose difference from 54773 wraps to -2^31 and takes the magnitude 2^31.
    const auto wrapping = static_cast<int32_t>(static_cast<uint32_t>(54773) + 0x80000000u);
    for (int32_t seed : {0, 1, 7, -1, 54773, 54774, 123456789, -987654321, INT32_MAX, wrapping, 7}) {
        csRandomUniformInit2(&s, seed);
        Reference ref(seed);
        ASSERT_TRUE(s.ix1 == ref.ix1 && s.ix2 == ref.ix2 && s.ix3 == ref.ix3) << seed;
        for (int k = 0; k < 5000; ++k) {
            const double low = (k % 3 == 0) ? -2.5 : 0.0, high = (k % 3 == 0) ? 7.0 : 1.0;
            const double got = csRandomUniformNext2(&s, low, high);
            ASSERT_EQ(got, ref.next(low, high)) << "seed " << seed << " draw " << k;
            ASSERT_TRUE(got >= low && got < high);
        }
        EXPECT_TRUE(s.count == 5000 && s.ix1 == ref.ix1 && s.ix3 == ref.ix3);
    }
}

TEST(Distribution, FillsTheRecordAndDrawsAFloat)
{
    csDistribution d{5, 0.0f, 0.0f};
    EXPECT_EQ(csUniformDistributionCT2(&d, -1.5f, 2.0f), &d);
    EXPECT_TRUE(d.type == 0 && d.low == -1.5f && d.high == 2.0f);
    csDistribution* fresh = csUniformDistributionCT2(nullptr, 1.0f, 2.0f); // a new record
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->type == 0 && fresh->low == 1.0f && fresh->high == 2.0f);
    cxfFree(fresh);

    // A uniform draw rounded to float; an unknown type reads 0, says so, and draws nothing.
    csRandomUniform2 s, ref;
    csRandomUniformInit2(&s, 3);
    csRandomUniformInit2(&ref, 3);
    d = {0, -1.0f, 0.3f};
    const csDistribution bad{2, 0.0f, 1.0f};
    for (int k = 0; k < 100; ++k) {
        ASSERT_EQ(randomSampleVar2(&s, &d), static_cast<float>(csRandomUniformNext2(&ref, -1.0, 0.3f)));
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(randomSampleVar2(&s, &bad), 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "unimplemented csDistribution type 2\n");
    EXPECT_TRUE(s.count == ref.count && s.ix1 == ref.ix1);
}

TEST(Sampler, AccumulatesDrawsAndPassesFurtherArgumentsUntouched)
{
    const csDistribution inputs[2] = {{0, 0.0f, 1.0f}, {0, 10.0f, 20.0f}};
    const float nominal[2] = {0.0f, 0.0f}, thresholds[2] = {1e9f, 1e9f};
    csStats2 stats[2], want[2];
    ModelLog log;
    ASSERT_EQ(randomSample2(sumModel, 11, 50, 2, inputs, 2, 1, nominal, thresholds, stats, &log, 0.5, 3), stats);
    EXPECT_TRUE(log.calls == 50 && log.mismatches == 0);

    // The same draws made by hand.
    csRandomUniform2 g;
    csRandomUniformInit2(&g, 11);
    csStats2Reset(&want[0]);
    csStats2Reset(&want[1]);
    for (int it = 0; it < 50; ++it) {
        const float a = randomSampleVar2(&g, &inputs[0]), b = randomSampleVar2(&g, &inputs[1]);
        csStats2Add(&want[0], static_cast<double>(a + 0.5f));
        csStats2Add(&want[1], static_cast<double>(b * 3.0f));
    }
    for (int j = 0; j < 2; ++j) {
        EXPECT_TRUE(stats[j].n == 50u && stats[j].sum == want[j].sum && stats[j].sumSquares == want[j].sumSquares &&
                    stats[j].minimum == want[j].minimum && stats[j].maximum == want[j].maximum &&
                    stats[j].last == want[j].last && stats[j].outliers == 0u);
    }
}

TEST(Sampler, NullStatsZeroIterationsZeroOutputsAndTooManyInputs)
{
    Fixed f{0, {1, 2, 3}};
    const csDistribution in{0, 0.0f, 1.0f};
    EXPECT_EQ(randomSample2(fixedModel, 1, 5, 1, &in, 1, 1, nullptr, nullptr, nullptr, &f), nullptr);
    EXPECT_EQ(f.calls, 0);
    // No iterations: the statistics are reset all the same.
    csStats2 stats[2];
    stats[0].n = 9;
    stats[1].outliers = 4;
    EXPECT_EQ(randomSample2(fixedModel, 1, 0, 1, &in, 2, 1, nullptr, nullptr, stats, &f), stats);
    EXPECT_TRUE(f.calls == 0 && stats[0].n == 0u && stats[1].outliers == 0u && stats[1].minimum == DBL_MAX);
    EXPECT_EQ(randomSample2(fixedModel, 1, 7, 1, &in, 0, 1, nullptr, nullptr, stats, &f), stats);
    EXPECT_EQ(f.calls, 7);
    // 101 inputs are refused before anything is reset; 100 are taken.
    std::vector<csDistribution> many(101, in);
    stats[0].n = 9;
    EXPECT_EQ(randomSample2(fixedModel, 1, 3, 101, many.data(), 1, 1, nullptr, nullptr, stats, &f), nullptr);
    EXPECT_TRUE(stats[0].n == 9u && f.calls == 7);
    const float nominal = 1.0f, threshold = 0.0f;
    EXPECT_EQ(randomSample2(fixedModel, 1, 3, 100, many.data(), 1, 1, &nominal, &threshold, stats, &f), stats);
    EXPECT_TRUE(stats[0].n == 3u && f.calls == 10);
}

TEST(Sampler, OutlierModes)
{
    // Output 0 differs from nominal by exactly the threshold (never counted), output 1 by more.
    Fixed f{0, {1.5f, 4.0f, 0.0f}};
    const float nominal[2] = {1.0f, 1.0f}, thresholds[2] = {0.5f, 0.5f};
    const csDistribution in[2] = {{0, 2.0f, 3.0f}, {1, 0.0f, 1.0f}};
    csStats2 stats[2];
    auto run = [&](unsigned iterations, unsigned inputs, int mode) {
        testing::internal::CaptureStderr();
        randomSample2(fixedModel, 5, iterations, inputs, in, 2, mode, nominal, thresholds, stats, &f);
        return testing::internal::GetCapturedStderr();
    };
    EXPECT_EQ(run(4, 0, 1), "");
    EXPECT_TRUE(stats[0].outliers == 0u && stats[1].outliers == 4u && stats[1].n == 4u);

    // Mode 0 prints the configuration: the first input is a uniform draw, the second is of an
    // unimplemented type and reads 0.
    csRandomUniform2 g;
    csRandomUniformInit2(&g, 5);
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "unimplemented csDistribution type 1\nError!!! Config%8.4f %8.4f result %7.3f nomResult %7.3f "
                  "threshResult %7.3f\n",
                  static_cast<double>(randomSampleVar2(&g, &in[0])), 0.0, 4.0, 1.0, 0.5);
    EXPECT_EQ(run(1, 2, 0), expected);
    EXPECT_EQ(stats[1].outliers, 0u);
    EXPECT_EQ(run(3, 0, 5), " unknown outlierMode) unknown outlierMode) unknown outlierMode)");
    EXPECT_TRUE(stats[1].outliers == 0u && stats[1].n == 3u);
}
