/* orbmath: angle (not yet part of the library). */
#ifndef ORBMATH_ANGLE_H
#define ORBMATH_ANGLE_H

#include "common.h"

#endif
