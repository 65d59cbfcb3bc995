/* orbmath: geometry (not yet part of the library). */
#ifndef ORBMATH_GEOMETRY_H
#define ORBMATH_GEOMETRY_H

#include "common.h"

#endif
