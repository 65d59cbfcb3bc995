// Private to the library: reference counting for a caller that destroys an object itself.
#ifndef ORBMATH_SRC_SUPPORT_SHARED_INTERNAL_HPP
#define ORBMATH_SRC_SUPPORT_SHARED_INTERNAL_HPP

#include <orbmath/shared.h>

namespace orb {

// Drops one reference to header's object without running its destroy entry; true when it was
// the last one, and the caller then owns the object and must destroy it. Only for kinds whose
// decrement entry is cstd_shared_decrement_default (this is that entry's counting), so that a
// kind that releases objects it holds can do it in a loop rather than by recursion.
bool dropReference(cstd_shared* header);

} // namespace orb

#endif
