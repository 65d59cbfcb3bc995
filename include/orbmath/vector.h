/* orbmath: vector (not yet part of the library). */
#ifndef ORBMATH_VECTOR_H
#define ORBMATH_VECTOR_H

#include "common.h"

#endif
