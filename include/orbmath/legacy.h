/* orbmath: legacy (not yet part of the library). */
#ifndef ORBMATH_LEGACY_H
#define ORBMATH_LEGACY_H

#include "common.h"

#endif
