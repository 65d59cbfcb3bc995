// Helpers shared by the reliability tests: the common transform handles and a name for each.
#ifndef ORBMATH_TESTS_RELIABILITY_UTIL_HPP
#define ORBMATH_TESTS_RELIABILITY_UTIL_HPP

#include "xform_handle.h"

#include <string>

namespace rel {

using orbtest::chainOf;
using orbtest::Handle;
using orbtest::makeChain;
using orbtest::mapLinear;
using orbtest::mut;
using orbtest::parts;

inline std::string describe(const Handle* h, const Handle& plain, const Handle& chain, const Handle& nested)
{
    if (h == &plain) {
        return "a plain transform";
    }
    if (h == &chain) {
        return "a chain";
    }
    if (h == &nested) {
        return "a nested chain";
    }
    return h->x() == nullptr ? "an empty handle" : h->linear() ? "a plain transform" : "a warp";
}

} // namespace rel

#endif
