// Private to the library: arrays of points (or of values) through the per-point arithmetic of
// the value types, many points per instruction.
//
// A kernel is a small struct holding its coefficients with one member template, map<V>(p), that
// maps the points packed in a lane vector V: interleaved (x0, y0, x1, y1, ...) for 2D points,
// consecutive values for 1D ones. Every lane operation is one IEEE multiplication, addition or
// subtraction with the operands the single-point function uses, in its order, so each element
// of the result is bit-identical to that function's (the library is built with contraction off
// and none of the instruction sets below enables FMA). map<V> is written once; mapArray runs it
// with the widest lanes the processor offers (chosen at run time: the library itself is built
// for the baseline instruction set), narrower lanes for the last points.
#ifndef ORBMATH_SRC_GEOMETRY_POINT_KERNELS_HPP
#define ORBMATH_SRC_GEOMETRY_POINT_KERNELS_HPP

#include <orbmath/common.h>
#include "support/isa.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <type_traits>
#include <utility>

// The helpers below pass lane vectors by value. They are always inlined into the functions that
// carry the instruction set's target attribute and never called across a binary interface, so
// the compilers' warning about vector arguments without that instruction set does not apply.
// GCC reports it where it finishes the translation unit, so it stays off in every includer.
#pragma GCC diagnostic ignored "-Wpsabi"
#define ORBMATH_LANES_INLINE [[gnu::always_inline]] inline

namespace orb::pts {

// ---- lane vectors ----------------------------------------------------------------------------

template <class T, std::size_t Bytes> struct LanesOf;
#define ORBMATH_LANES_(T, B)                                              \
    template <> struct LanesOf<T, B> {                                    \
        typedef T type __attribute__((vector_size(B)));                     \
    }
ORBMATH_LANES_(double, 8);
ORBMATH_LANES_(double, 16);
ORBMATH_LANES_(double, 32);
ORBMATH_LANES_(double, 64);
ORBMATH_LANES_(float, 4);
ORBMATH_LANES_(float, 8);
ORBMATH_LANES_(float, 16);
ORBMATH_LANES_(float, 32);
ORBMATH_LANES_(float, 64);
#undef ORBMATH_LANES_

template <class T, std::size_t Bytes> using Lanes = typename LanesOf<T, Bytes>::type;
template <class V> using ScalarOf = std::remove_cvref_t<decltype(std::declval<V>()[0])>;
template <class V> inline constexpr std::size_t kLanes = sizeof(V) / sizeof(ScalarOf<V>);

namespace detail {
template <class V, std::size_t... I> ORBMATH_LANES_INLINE V repeat(ScalarOf<V> a, ScalarOf<V> b, std::index_sequence<I...>)
{
    V v{};
    v[0] = a;
    if constexpr (sizeof...(I) > 1) {
        v[1] = b;
    }
    return __builtin_shufflevector(v, v, (I & std::size_t{1})...);
}
} // namespace detail

// The pair (a, b) repeated (a, b, a, b, ...), and every lane set to a.
template <class V> ORBMATH_LANES_INLINE V pairs(ScalarOf<V> a, ScalarOf<V> b)
{
    return detail::repeat<V>(a, b, std::make_index_sequence<kLanes<V>>());
}
template <class V> ORBMATH_LANES_INLINE V splat(ScalarOf<V> a) { return pairs<V>(a, a); }

namespace detail {
template <class V, std::size_t... I> ORBMATH_LANES_INLINE V dupX(const V& p, std::index_sequence<I...>)
{
    return __builtin_shufflevector(p, p, (I & ~std::size_t{1})...);
}
template <class V, std::size_t... I> ORBMATH_LANES_INLINE V dupY(const V& p, std::index_sequence<I...>)
{
    return __builtin_shufflevector(p, p, (I | std::size_t{1})...);
}
template <class V, std::size_t... I> ORBMATH_LANES_INLINE V swapXY(const V& p, std::index_sequence<I...>)
{
    return __builtin_shufflevector(p, p, (I ^ std::size_t{1})...);
}
template <class V, std::size_t... I> ORBMATH_LANES_INLINE V xFromYFrom(const V& a, const V& b, std::index_sequence<I...>)
{
    return __builtin_shufflevector(a, b, ((I & 1) != 0 ? I + sizeof...(I) : I)...);
}
} // namespace detail

// For interleaved points p = (x0, y0, x1, y1, ...):
// (x0, x0, x1, x1, ...), (y0, y0, y1, y1, ...) and (y0, x0, y1, x1, ...).
template <class V> ORBMATH_LANES_INLINE V dupX(const V& p) { return detail::dupX(p, std::make_index_sequence<kLanes<V>>()); }
template <class V> ORBMATH_LANES_INLINE V dupY(const V& p) { return detail::dupY(p, std::make_index_sequence<kLanes<V>>()); }
template <class V> ORBMATH_LANES_INLINE V swapXY(const V& p)
{
    return detail::swapXY(p, std::make_index_sequence<kLanes<V>>());
}
// The x lanes of a with the y lanes of b.
template <class V> ORBMATH_LANES_INLINE V xFromYFrom(const V& a, const V& b)
{
    return detail::xFromYFrom(a, b, std::make_index_sequence<kLanes<V>>());
}

// ---- kernels ---------------------------------------------------------------------------------
// Each lists the single-point arithmetic it reproduces; `kStride` is the scalars per element.

// (e11 x + e12 y) + tx, (e21 x + e22 y) + ty: cmath_xformLinear_mapPoint and the legacy
// cs?XformMapPt.
template <class T> struct Affine {
    static constexpr std::size_t kStride = 2;
    T e11, e12, e21, e22, tx, ty;
    template <class V> ORBMATH_LANES_INLINE V map(const V& p) const
    {
        return (pairs<V>(e11, e21) * dupX(p) + pairs<V>(e12, e22) * dupY(p)) + pairs<V>(tx, ty);
    }
};

// e11 x + e12 y, e21 x + e22 y: cmath_matrix_mapPoint (and the vector mappings built on it).
struct Linear {
    static constexpr std::size_t kStride = 2;
    double e11, e12, e21, e22;
    template <class V> ORBMATH_LANES_INLINE V map(const V& p) const
    {
        return pairs<V>(e11, e21) * dupX(p) + pairs<V>(e12, e22) * dupY(p);
    }
};

// a x - b y, c y - d x, with a = e22 r, b = e12 r, c = e11 r, d = e21 r formed once:
// cmath_matrix_invMapPoint.
struct InverseLinear {
    static constexpr std::size_t kStride = 2;
    double a, b, c, d;
    template <class V> ORBMATH_LANES_INLINE V map(const V& p) const
    {
        return pairs<V>(a, c) * p - pairs<V>(b, d) * swapXY(p);
    }
};

// (x cos - y sin) + tx, (y cos + x sin) + ty: cmath_xformRigid_mapPoint.
struct Rigid {
    static constexpr std::size_t kStride = 2;
    double cosine, sine, tx, ty;
    template <class V> ORBMATH_LANES_INLINE V map(const V& p) const
    {
        const V first = p * splat<V>(cosine);          // x cos, y cos
        const V second = swapXY(p) * splat<V>(sine);   // y sin, x sin
        return xFromYFrom(first - second, first + second) + pairs<V>(tx, ty);
    }
};

// v m + t: cmath_xformLinear1_mapValue.
struct Affine1 {
    static constexpr std::size_t kStride = 1;
    double m, t;
    template <class V> ORBMATH_LANES_INLINE V map(const V& v) const { return v * splat<V>(m) + splat<V>(t); }
};

// ---- the array loop --------------------------------------------------------------------------

template <class V, class T> ORBMATH_LANES_INLINE V load(const T* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class V, class T> ORBMATH_LANES_INLINE void store(T* p, const V& v) { std::memcpy(p, &v, sizeof v); }

// count scalars of in through k into out with lanes of Bytes bytes, then halves for the rest,
// down to one element. Each group is loaded before it is stored, so out may be in itself.
template <std::size_t Bytes, class K, class T, bool kFirst = true>
ORBMATH_LANES_INLINE void runLanes(const K& kernel, const T* in, T* out, std::size_t count)
{
    using V = Lanes<T, Bytes>;
    constexpr std::size_t n = kLanes<V>;
    const K k = kernel; // a copy the stores cannot reach: its lane constants are made once
    std::size_t i = 0;
    if constexpr (kFirst) { // two groups at a time; the narrower lanes see fewer than n scalars
        for (; i + 2 * n <= count; i += 2 * n) {
            const V a = k.map(load<V>(in + i));
            const V b = k.map(load<V>(in + i + n));
            store(out + i, a);
            store(out + i + n, b);
        }
    }
    for (; i + n <= count; i += n) {
        store(out + i, k.map(load<V>(in + i)));
    }
    if constexpr (Bytes > sizeof(T) * K::kStride) {
        if (i < count) {
            runLanes<Bytes / 2, K, T, false>(k, in + i, out + i, count - i);
        }
    }
}

// Outputs from this size up, written to an array other than the input, bypass the cache
// (streaming stores): they would not stay in it anyway, and the processor need not read the
// lines it is about to overwrite.
inline constexpr std::size_t kStreamBytes = std::size_t{4} << 20;

// Where streaming stores of Bytes-lane groups can start: the scalars of out before its first
// Bytes-aligned element boundary, or more than count when there is none.
template <std::size_t Bytes, std::size_t kStride, class T> inline std::size_t streamHead(const T* out, std::size_t count)
{
    const std::size_t misaligned = reinterpret_cast<std::uintptr_t>(out) % Bytes;
    const std::size_t head = misaligned == 0 ? 0 : (Bytes - misaligned) / sizeof(T);
    return misaligned % sizeof(T) != 0 || head % kStride != 0 ? count + 1 : head;
}

// Streaming stores of one group. Not forced inline: they are called from streamLanes, which
// has no instruction set of its own, and the compilers inline them once streamLanes has been
// inlined into the function of their instruction set.
__attribute__((target("avx512f"))) inline void streamStore(double* p, const Lanes<double, 64>& v)
{
    _mm512_stream_pd(p, (__m512d)v);
}
__attribute__((target("avx512f"))) inline void streamStore(float* p, const Lanes<float, 64>& v)
{
    _mm512_stream_ps(p, (__m512)v);
}
__attribute__((target("avx2"))) inline void streamStore(double* p, const Lanes<double, 32>& v)
{
    _mm256_stream_pd(p, (__m256d)v);
}
__attribute__((target("avx2"))) inline void streamStore(float* p, const Lanes<float, 32>& v)
{
    _mm256_stream_ps(p, (__m256)v);
}

// runLanes for an out that does not overlap in: the groups from out's first Bytes-aligned
// element boundary on are written with streaming stores, the elements before and after them
// through runLanes (all of them when no boundary is aligned).
template <std::size_t Bytes, class K, class T>
ORBMATH_LANES_INLINE void streamLanes(const K& kernel, const T* in, T* out, std::size_t count)
{
    using V = Lanes<T, Bytes>;
    const std::size_t head = streamHead<Bytes, K::kStride>(out, count);
    if (head > count) {
        runLanes<Bytes>(kernel, in, out, count);
        return;
    }
    runLanes<Bytes>(kernel, in, out, head);
    const K k = kernel;
    std::size_t i = head;
    for (; i + kLanes<V> <= count; i += kLanes<V>) {
        const V v = k.map(load<V>(in + i));
        streamStore(out + i, v);
    }
    _mm_sfence(); // the streamed groups are ordered before whatever the caller stores next
    runLanes<Bytes>(kernel, in + i, out + i, count - i);
}

// The instruction sets: stream says that out does not overlap in and is large.
template <class K, class T>
__attribute__((target("avx512f"))) void run64(const K& k, const T* in, T* out, std::size_t count, bool stream)
{
    if (stream) {
        streamLanes<64>(k, in, out, count);
    } else {
        runLanes<64>(k, in, out, count);
    }
}
template <class K, class T>
__attribute__((target("avx2"))) void run32(const K& k, const T* in, T* out, std::size_t count, bool stream)
{
    if (stream) {
        streamLanes<32>(k, in, out, count);
    } else {
        runLanes<32>(k, in, out, count);
    }
}
template <class K, class T> void run16(const K& k, const T* in, T* out, std::size_t count)
{
    runLanes<16>(k, in, out, count);
}

// The widest lane vector the library may use on this processor, in bytes.
inline std::size_t widestLanes()
{
    return hasAvx512() ? 64 : hasAvx2() ? 32 : 16;
}

// Maps n elements of in (kStride scalars each) into out through k; out is in itself or an array
// that does not overlap it. Makes no argument checks and no allocation.
template <class K, class T> void mapArray(const K& k, const T* in, T* out, std::size_t n)
{
    const std::size_t count = n * K::kStride;
    const bool stream = in != out && count * sizeof(T) >= kStreamBytes;
    switch (widestLanes()) {
    case 64:
        run64(k, in, out, count, stream);
        break;
    case 32:
        run32(k, in, out, count, stream);
        break;
    default:
        run16(k, in, out, count);
        break;
    }
}

// The argument checks every array mapping makes first, in this order: a null transform, a
// negative count, a null array with a positive count, an output that overlaps the input without
// being it. Returns 0 when the mapping may go ahead (also for n = 0, where nothing is mapped).
template <class T>
inline cmath_status checkArrays(const void* transform, const T* in, const T* out, int32_t n)
{
    if (transform == nullptr) {
        return cmath_errNullArgument;
    }
    if (n < 0) {
        return cmath_errNegativeCount;
    }
    if (n == 0) {
        return 0;
    }
    if (in == nullptr || out == nullptr) {
        return cmath_errNullArgument;
    }
    const auto a = reinterpret_cast<std::uintptr_t>(in);
    const auto b = reinterpret_cast<std::uintptr_t>(out);
    const std::uintptr_t bytes = static_cast<std::uintptr_t>(n) * sizeof(T);
    if (a != b && a < b + bytes && b < a + bytes) {
        return cmath_errFailed;
    }
    return 0;
}

} // namespace orb::pts

#undef ORBMATH_LANES_INLINE

#endif
