/* orbmath: nmmatrix (not yet part of the library). */
#ifndef ORBMATH_NMMATRIX_H
#define ORBMATH_NMMATRIX_H

#include "common.h"

#endif
