// Reads a fuzzer's bytes as the arguments of a call. Doubles are biased towards the values that
// break numerical code: a selector byte below 32 picks one of the table's hostile values (signed
// zeros, infinities, NaNs, the extremes, subnormals, powers of two around the precision limit),
// any other selector is followed by eight raw bytes taken as the double's bit pattern. Running
// out of input gives zeros, so every byte string is a valid call.
#ifndef ORBMATH_FUZZ_INPUT_HPP
#define ORBMATH_FUZZ_INPUT_HPP

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace fuzz {

class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), left_(size) {}

    size_t left() const { return left_; }

    uint8_t byte()
    {
        if (left_ == 0) {
            return 0;
        }
        --left_;
        return *p_++;
    }

    template <class T>
    T raw()
    {
        T v{};
        const size_t n = left_ < sizeof(T) ? left_ : sizeof(T);
        std::memcpy(&v, p_, n);
        p_ += n;
        left_ -= n;
        return v;
    }

    // An integer in [lo, hi] (hi - lo below 2^32).
    int64_t range(int64_t lo, int64_t hi)
    {
        const auto span = static_cast<uint64_t>(hi - lo) + 1u;
        return lo + static_cast<int64_t>(raw<uint32_t>() % span);
    }

    double real()
    {
        static const double table[32] = {
            0.0, -0.0, 1.0, -1.0,
            std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
            std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
            std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
            std::numeric_limits<double>::min(), -std::numeric_limits<double>::min(),
            std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
            1e15, -1e15, 1e-15, 1e300, 1e-300, 9007199254740992.0, 9007199254740993.0, 0.5,
            2.0, 3.0, 4.5, 100.0, 1e8, -1e8, 6.283185307179586, 3.141592653589793, 360.0, -360.0};
        const uint8_t sel = byte();
        if (sel < 32) {
            return table[sel];
        }
        if (sel < 96) { // a small integer or half-integer: keeps sums exact and conditions met
            return static_cast<double>(static_cast<int8_t>(byte())) * 0.5;
        }
        return raw<double>();
    }

private:
    const uint8_t* p_;
    size_t left_;
};

// Stops the run (a crash the fuzzer reports) when an invariant of the interface is broken.
[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

#define FUZZ_CHECK(cond)          \
    do {                          \
        if (!(cond)) {            \
            ::fuzz::fail(#cond);  \
        }                         \
    } while (0)

} // namespace fuzz

#endif
