/** @file
 * orbmath: 2D geometry and numerical mathematics. The one header a caller includes.
 * The flat interface (cmath_, cs, cf, cstd_, csys_) has C linkage and compiles as C11;
 * the C++ classes are declared only under __cplusplus. */
#ifndef ORBMATH_ORBMATH_H
#define ORBMATH_ORBMATH_H

#include "common.h"
#include "support.h"
#include "shared.h"
#include "vector.h"
#include "vect.h"
#include "geometry.h"
#include "legacy.h"
#include "angle.h"
#include "range.h"
#include "xform.h"
#include "stats.h"
#include "containers.h"
#include "nmmatrix.h"

#endif
