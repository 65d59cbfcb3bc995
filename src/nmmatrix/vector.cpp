// The library's instance of cxVector<double>: its out-of-line copies and virtual table.
#include <orbmath/nmmatrix.h>

template class cxVector<double>;
