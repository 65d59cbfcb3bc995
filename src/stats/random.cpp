// The reproducible uniform generator and the Monte Carlo sampler of the legacy interface.
//
// The generator combines three linear congruential generators with a 97-entry shuffle table
// (ran1 of the first edition of Numerical Recipes in C, section 7.1): generators 1 and 2 give
// the high and low parts of a table entry, generator 3 picks which entry is handed out next.
// Every state product stays below 2^31, so the sequence is exact in 32-bit integers and the
// same on every platform; only the final scaling is floating point.
#include <orbmath/stats.h>
#include <orbmath/support.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr int32_t kM1 = 259200, kA1 = 7141, kC1 = 54773;
constexpr int32_t kM2 = 134456, kA2 = 8121, kC2 = 28411;
constexpr int32_t kM3 = 243000, kA3 = 4561, kC3 = 51349;
constexpr double kRM1 = 3.858024691358025e-06;       // nearest double to 1/259200
constexpr double kRM2 = 7.437377283274826e-06;       // nearest double to 1/134456
constexpr double kRM12 = 2.8693585197819544e-11;     // nearest double to 1/(259200 * 134456)
constexpr int kTableSize = 97;
constexpr uint32_t kMaxInputs = 100;

static_assert(int64_t{kA1} * (kM1 - 1) + kC1 < INT32_MAX, "generator 1 must stay exact in 32 bits");
static_assert(int64_t{kA2} * (kM2 - 1) + kC2 < INT32_MAX, "generator 2 must stay exact in 32 bits");
static_assert(int64_t{kA3} * (kM3 - 1) + kC3 < INT32_MAX, "generator 3 must stay exact in 32 bits");
static_assert(int64_t{kTableSize} * (kM3 - 1) < INT32_MAX, "table index must stay exact in 32 bits");

inline int32_t step1(int32_t ix) { return (kA1 * ix + kC1) % kM1; }
inline int32_t step2(int32_t ix) { return (kA2 * ix + kC2) % kM2; }
inline int32_t step3(int32_t ix) { return (kA3 * ix + kC3) % kM3; }

inline float drawFrom(csRandomUniform2* state, const csDistribution* d)
{
    if (d->type != 0) {
        cfDiagPrint2(0, u"unimplemented csDistribution type %d\n", d->type);
        return 0.0f;
    }
    return static_cast<float>(
        csRandomUniformNext2(state, static_cast<double>(d->low), static_cast<double>(d->high)));
}

// The model gets its own copy of the caller's list each time, positioned at the first further
// argument, whatever an earlier call consumed from its copy.
inline float* callModel(csRandomSampleModel2 model, float* inputs, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    float* result = model(inputs, copy);
    va_end(copy);
    return result;
}

} // namespace

extern "C" {

ORBMATH_API void csRandomUniformInit2(csRandomUniform2* state, int32_t seed)
{
    state->seed = seed;
    state->count = 0;
    // |54773 - seed| with the difference wrapping in 32 bits and its magnitude taken unsigned,
    // so that the one difference without a 32-bit magnitude (-2^31) is defined as well.
    const auto diff = static_cast<int32_t>(static_cast<uint32_t>(kC1) - static_cast<uint32_t>(seed));
    const uint32_t mag = diff < 0 ? 0u - static_cast<uint32_t>(diff) : static_cast<uint32_t>(diff);
    int32_t ix1 = static_cast<int32_t>(mag % static_cast<uint32_t>(kM1));
    ix1 = step1(ix1);
    int32_t ix2 = ix1 % kM2;
    ix1 = step1(ix1);
    const int32_t ix3 = ix1 % kM3;
    for (int j = 0; j < kTableSize; ++j) {
        ix1 = step1(ix1);
        ix2 = step2(ix2);
        state->table[j] = static_cast<double>(ix1) * kRM1 + static_cast<double>(ix2) * kRM12;
    }
    state->ix1 = ix1;
    state->ix2 = ix2;
    state->ix3 = ix3;
}

ORBMATH_API double csRandomUniformNext2(csRandomUniform2* state, double low, double high)
{
    state->ix1 = step1(state->ix1);
    state->ix2 = step2(state->ix2);
    state->ix3 = step3(state->ix3);
    state->count = static_cast<int32_t>(static_cast<uint32_t>(state->count) + 1u);
    const int32_t j = (kTableSize * state->ix3) / kM3;
    const double u = state->table[j];
    state->table[j] = (static_cast<double>(state->ix2) * kRM2 + static_cast<double>(state->ix1)) * kRM1;
    return (high - low) * u + low;
}

ORBMATH_API csDistribution* csUniformDistributionCT2(csDistribution* d, float low, float high)
{
    if (d == nullptr) {
        d = static_cast<csDistribution*>(cxfMalloc(sizeof(csDistribution)));
        if (d == nullptr) {
            return nullptr;
        }
    }
    d->type = 0;
    d->low = low;
    d->high = high;
    return d;
}

ORBMATH_API float randomSampleVar2(csRandomUniform2* state, const csDistribution* d) { return drawFrom(state, d); }

ORBMATH_API csStats2* randomSample2(csRandomSampleModel2 model, int32_t seed, uint32_t numIterations,
                                    uint32_t numInputs, const csDistribution* inputs, uint32_t numOutputs,
                                    int32_t outlierMode, const float* nominal, const float* thresholds,
                                    csStats2* stats, ...)
{
    csRandomUniform2 state;
    csRandomUniformInit2(&state, seed);
    if (stats == nullptr || numInputs > kMaxInputs) {
        return nullptr;
    }
    for (uint32_t j = 0; j < numOutputs; ++j) {
        csStats2Reset(&stats[j]);
    }
    if (numIterations == 0) {
        return stats;
    }

    float values[kMaxInputs];
    va_list args;
    va_start(args, stats);
    for (uint32_t it = 0; it < numIterations; ++it) {
        for (uint32_t i = 0; i < numInputs; ++i) {
            values[i] = drawFrom(&state, &inputs[i]);
        }
        const float* result = callModel(model, values, args);
        for (uint32_t j = 0; j < numOutputs; ++j) {
            const float r = result[j];
            csStats2Add(&stats[j], static_cast<double>(r));
            if (!(std::fabs(nominal[j] - r) > thresholds[j])) {
                continue;
            }
            switch (outlierMode) {
            case 0:
                cfDiagPrint2(0, u"Error!!! Config");
                for (uint32_t i = 0; i < numInputs; ++i) {
                    cfDiagPrint2(0, u"%8.4f ", static_cast<double>(values[i]));
                }
                cfDiagPrint2(0, u"result %7.3f nomResult %7.3f threshResult %7.3f\n", static_cast<double>(r),
                             static_cast<double>(nominal[j]), static_cast<double>(thresholds[j]));
                break;
            case 1:
                ++stats[j].outliers;
                break;
            default:
                cfDiagPrint2(0, u" unknown outlierMode)");
                break;
            }
        }
    }
    va_end(args);
    return stats;
}

} // extern "C"
