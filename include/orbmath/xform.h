/* orbmath: xform (not yet part of the library). */
#ifndef ORBMATH_XFORM_H
#define ORBMATH_XFORM_H

#include "common.h"

#endif
