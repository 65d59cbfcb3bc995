/* orbmath: range (not yet part of the library). */
#ifndef ORBMATH_RANGE_H
#define ORBMATH_RANGE_H

#include "common.h"

#endif
