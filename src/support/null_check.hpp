// Private to the library: the one rule for null pointers. Every function that returns a status
// refuses a null pointer argument with cmath_errNullArgument before it reads or writes anything,
// unless its documentation gives null a meaning:
//
//     if (orb::anyNull(target, a, b)) {
//         return cmath_errNullArgument;
//     }
#ifndef ORBMATH_SRC_SUPPORT_NULL_CHECK_HPP
#define ORBMATH_SRC_SUPPORT_NULL_CHECK_HPP

namespace orb {

// Whether p is null. The empty statement on the non-null path keeps the tests of several
// pointers apart: without it the compiler folds them into flags combined before one branch,
// which costs a point mapping (a nanosecond and a half) several per cent more than one test and
// branch per pointer.
template <class P> inline bool isNull(const P& p)
{
    if (p == nullptr) {
        return true;
    }
#if defined(__GNUC__)
    asm volatile("");
#endif
    return false;
}

// True when any of the pointers is null; tested in order, the first null one ends the test.
template <class... P> inline bool anyNull(const P&... p)
{
    return (isNull(p) || ...);
}

} // namespace orb

#endif
