/** @file
 * orbmath: containers (not yet part of the library). */
#ifndef ORBMATH_CONTAINERS_H
#define ORBMATH_CONTAINERS_H

#include "common.h"

#endif
