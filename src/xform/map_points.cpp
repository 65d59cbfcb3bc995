// Arrays of points through transform objects. A plain transform maps the whole array with the
// affine kernel of the value types. A chain is first listed, in one walk, as the parts a point
// goes through (empty parts and nested chains leave nothing in the list); the array then goes
// through that list in blocks small enough to stay in the first-level cache, each plain part
// vectorised over the block and each part of another module's kind through its mapPoint slot,
// one point at a time, in place, as cmath_xfcomposed_mapPoint calls it.
//
// Only a kind of another module can fail once the arguments are accepted. So that such a failure
// leaves out untouched, a transform with such a part is mapped into a scratch array from the
// library's allocator and copied to out at the end; anything else maps straight into out.
#include <orbmath/orbmath.h>

#include "geometry/point_kernels.hpp"
#include "xform/chain_walk.hpp"
#include "xform/xform_internal.hpp"

#include <algorithm>
#include <cstring>

namespace {

using namespace orb::xf;

// Points per block: a block of the input and one of the output take 16 KiB.
constexpr std::size_t kBlock = 512;
// Parts listed without an allocation.
constexpr std::size_t kInlineParts = 64;

// The parts of a transform in the order a point goes through them, none empty or composed.
struct Parts {
    const cmath_xform* const* list = nullptr;
    std::size_t count = 0;
    bool fallible = false; // some part is a kind of another module
};

orb::pts::Affine<double> affineOf(const cmath_xformLinear& x)
{
    return {x.matrix.e11, x.matrix.e12, x.matrix.e21, x.matrix.e22, x.trans.x, x.trans.y};
}

void mapPlain(const cmath_xformLinear& x, const cmath_vect* in, cmath_vect* out, std::size_t n)
{
    orb::pts::mapArray(affineOf(x), reinterpret_cast<const double*>(in), reinterpret_cast<double*>(out), n);
}

// One block of m points from src into dst (the same block of out or of the scratch array, or
// src itself) through every part; the first failing slot ends it with its status.
cmath_status mapBlock(const Parts& parts, const cmath_vect* src, cmath_vect* dst, std::size_t m)
{
    for (std::size_t k = 0; k < parts.count; ++k) {
        const cmath_xform* x = parts.list[k];
        if (x->ops == nullptr) {
            mapPlain(x->linear, src, dst, m);
            src = dst;
            continue;
        }
        if (src != dst) {
            std::memcpy(dst, src, m * sizeof(cmath_vect));
            src = dst;
        }
        for (std::size_t j = 0; j < m; ++j) {
            const cmath_status st = x->ops->mapPoint(outerOf(x), &dst[j], &dst[j]);
            if (st < 0) {
                return st;
            }
        }
    }
    if (src != dst) {
        std::memcpy(dst, src, m * sizeof(cmath_vect));
    }
    return 0;
}

// n points of in through the parts into out (in itself or an array that does not overlap it).
cmath_status mapThrough(const Parts& parts, const cmath_vect* in, cmath_vect* out, std::size_t n)
{
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* scratch = nullptr;
    cmath_vect* work = out;
    if (parts.fallible) {
        st = csys_memory_alloc_internal(n * sizeof(cmath_vect), &scratch);
        if (st < 0) {
            return cl.close();
        }
        cl.workBlock(&scratch);
        work = static_cast<cmath_vect*>(scratch);
    }
    for (std::size_t i = 0; i < n && st >= 0; i += kBlock) {
        st = mapBlock(parts, in + i, work + i, std::min(kBlock, n - i));
    }
    if (st >= 0 && work != out) {
        std::memcpy(out, work, n * sizeof(cmath_vect));
    }
    return cl.close();
}

// Lists c's parts (two walks: one to count them, one to fill the list) and maps the points
// through them. The list's own block, if it needs one, is released on every path.
cmath_status mapChain(const cmath_xfcomposed* c, const cmath_vect* in, cmath_vect* out, std::size_t n)
{
    Parts parts;
    cmath_status st = forEachPart(c, [&](const cmath_xform* x) {
        ++parts.count;
        parts.fallible = parts.fallible || x->ops != nullptr;
        return 0;
    });
    if (st < 0) {
        return st;
    }
    orb::Cleanup cl(st);
    const cmath_xform* inlineList[kInlineParts];
    const cmath_xform** list = inlineList;
    void* block = nullptr;
    if (parts.count > kInlineParts) {
        st = csys_memory_alloc_internal(parts.count * sizeof(const cmath_xform*), &block);
        if (st < 0) {
            return cl.close();
        }
        cl.workBlock(&block);
        list = static_cast<const cmath_xform**>(block);
    }
    std::size_t filled = 0;
    st = forEachPart(c, [&](const cmath_xform* x) {
        if (filled == parts.count) {
            return orb::xf::kStopWalk; // the list is full (the chain cannot have grown)
        }
        list[filled++] = x;
        return 0;
    });
    if (st >= 0) {
        parts.list = list;
        parts.count = filled;
        st = mapThrough(parts, in, out, n);
    }
    return cl.close();
}

// x (null for the identity) over the array; the arguments are checked.
cmath_status mapXform(const cmath_xform* x, const cmath_vect* in, cmath_vect* out, std::size_t n)
{
    if (x == nullptr) {
        if (in != out) {
            std::memcpy(out, in, n * sizeof(cmath_vect));
        }
        return 0;
    }
    if (x->ops == nullptr) {
        mapPlain(x->linear, in, out, n);
        return 0;
    }
    if (const cmath_xfcomposed* c = nestedChain(x)) {
        return mapChain(c, in, out, n);
    }
    const Parts one{&x, 1, true};
    return mapThrough(one, in, out, n);
}

} // namespace

extern "C" {

ORBMATH_API cmath_status cmath_xform_mapPoints(const cmath_xform* x, const cmath_vect* in, cmath_vect* out, int32_t n)
{
    const cmath_status st = orb::pts::checkArrays(x, in, out, n);
    if (st < 0 || n == 0) {
        return st;
    }
    return mapXform(x, in, out, static_cast<std::size_t>(n));
}

ORBMATH_API cmath_status cmath_xformPtrhConst_mapPoints(const cmath_xformPtrhConst* h, const cmath_vect* in,
                                                        cmath_vect* out, int32_t n)
{
    cmath_status st = orb::pts::checkArrays(h, in, out, n);
    if (st < 0 || n == 0) {
        return st;
    }
    const cmath_xform* x = nullptr;
    st = xformOf(h, &x);
    if (st < 0) {
        return st;
    }
    return mapXform(x, in, out, static_cast<std::size_t>(n));
}

ORBMATH_API cmath_status cmath_xformPtrh_mapPoints(const cmath_xformPtrh* h, const cmath_vect* in, cmath_vect* out,
                                                   int32_t n)
{
    return cmath_xformPtrhConst_mapPoints(asConst(h), in, out, n);
}

ORBMATH_API cmath_status cmath_xfcomposed_mapPoints(const cmath_xfcomposed* c, const cmath_vect* in, cmath_vect* out,
                                                    int32_t n)
{
    const cmath_status st = orb::pts::checkArrays(c, in, out, n);
    if (st < 0 || n == 0) {
        return st;
    }
    return mapChain(c, in, out, static_cast<std::size_t>(n));
}

} // extern "C"
