// The generator against its stated first values (each seed resets the record); the sampler's modes.
#include <orbmath/orbmath.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// The model: input 0 plus the first further argument (a double), input 1 times the second (an
// int); it counts its calls and the calls that read other further arguments. With `fixed` set it
// returns its outputs as they are.
struct Model {
    int calls = 0, mismatches = 0;
    bool fixed = false;
    float out[2] = {0, 0};
};

float* model(float* inputs, va_list args)
{
    Model* m = va_arg(args, Model*);
    ++m->calls;
    if (!m->fixed) {
        const double offset = va_arg(args, double);
        const int factor = va_arg(args, int);
        m->mismatches += offset != 0.5 || factor != 3;
        m->out[0] = inputs[0] + static_cast<float>(offset);
        m->out[1] = inputs[1] * static_cast<float>(factor);
    }
    return m->out;
}

} // namespace

TEST(RandomUniform, StatedFirstValues)
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
    csRandomUniformInit2(&s, 0);
    EXPECT_EQ(csRandomUniformNext2(&s, -2.5, 7.0), (7.0 - -2.5) * 0.27427201522210765 + -2.5); // (high - low) u + low
}

TEST(Sampler, OutlierModes)
{
    // Output 0 differs from nominal by exactly the threshold (never counted), output 1 by more.
    Model f{0, 0, true, {1.5f, 4.0f}};
    const float nominal[2] = {1.0f, 1.0f}, thresholds[2] = {0.5f, 0.5f};
    const csDistribution in[2] = {{0, 2.0f, 3.0f}, {1, 0.0f, 1.0f}};
    csStats2 stats[2];
    auto run = [&](unsigned iterations, unsigned inputs, int mode) {
        testing::internal::CaptureStderr();
        randomSample2(model, 5, iterations, inputs, in, 2, mode, nominal, thresholds, stats, &f);
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
