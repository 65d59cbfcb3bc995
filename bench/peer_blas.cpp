// OpenBLAS's CBLAS interface lives in a unit of its own: its header and GSL's CBLAS header
// declare the same enumerations and cannot meet in one translation unit.
#include <cblas.h>

#include <string>

namespace orbbench {

// c = a * b for row-major n x n matrices.
void blasDgemm(int n, const double* a, const double* b, double* c)
{
    cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, a, n, b, n, 0.0, c, n);
}

// The kernel OpenBLAS chose for this machine and its build configuration, for the table's
// header (OPENBLAS_CORETYPE, when set, overrides the choice; bench/run.sh unsets it).
std::string blasCore()
{
    return std::string(openblas_get_corename()) + " (" + openblas_get_config() + ", " +
           std::to_string(openblas_get_num_threads()) + " thread)";
}

} // namespace orbbench
