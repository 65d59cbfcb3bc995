/* orbmath: stats (not yet part of the library). */
#ifndef ORBMATH_STATS_H
#define ORBMATH_STATS_H

#include "common.h"

#endif
