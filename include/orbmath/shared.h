/* orbmath: shared (not yet part of the library). */
#ifndef ORBMATH_SHARED_H
#define ORBMATH_SHARED_H

#include "common.h"

#endif
