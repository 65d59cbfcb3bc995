// OpenBLAS's CBLAS interface lives in a unit of its own: its header and GSL's CBLAS header
// declare the same enumerations and cannot meet in one translation unit.
#include <cblas.h>

namespace orbbench {

// c = a * b for row-major n x n matrices.
void blasDgemm(int n, const double* a, const double* b, double* c)
{
    cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, a, n, b, n, 0.0, c, n);
}

} // namespace orbbench
