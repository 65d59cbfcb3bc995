// Private to the library: direct access to a cxNMMatrix's storage for the kernels of
// src/nmmatrix/, and the storage helpers they share.
#ifndef ORBMATH_SRC_NMMATRIX_INTERNAL_HPP
#define ORBMATH_SRC_NMMATRIX_INTERNAL_HPP

#include <orbmath/nmmatrix.h>

#include <cmath>

namespace orb {
class Cleanup;
} // namespace orb

struct cxNMMatrixAccess {
    // The row table (null while no storage is held).
    static double** table(cxNMMatrix& m) { return m.m_; }
    static const double* const* table(const cxNMMatrix& m) { return m.m_; }
    // The element block (row 0), or null.
    static double* block(cxNMMatrix& m) { return m.m_ != nullptr ? m.m_[0] : nullptr; }
    static const double* block(const cxNMMatrix& m) { return m.m_ != nullptr ? m.m_[0] : nullptr; }
    static bool hasStorage(const cxNMMatrix& m) { return m.m_ != nullptr; }
    static long allocate(cxNMMatrix& m, int rows, int cols) { return m.allocate_(rows, cols); }

    // Requests an element block of rows * cols doubles and a row table pointing into it
    // (rows, cols >= 1). On failure nothing is held and the allocator's status is returned.
    static long newStorage(int rows, int cols, double** block, double*** table);
    // Frees a block and table made by newStorage (either may be null); both become null.
    static void freeStorage(double** block, double*** table);
    // Releases m's storage and gives it the storage of newStorage(rows, cols, ..., &table).
    static void adopt(cxNMMatrix& m, double** table, int rows, int cols);

    // The start of the LU-based operations (n = src's order): *perm, a block of n ints that cl
    // frees on every path, then lu = a copy of src. The first failure is returned.
    static cmath_status beginLU(const cxNMMatrix& src, int n, orb::Cleanup& cl, int** perm, cxNMMatrix& lu);
    // The start of the eigenvalue routines: src square (else cxNMMatrix_errNotSquare) and not
    // empty (else cxNMMatrix_errBadSize), then d = 1 x n zeros, e = eRows x n zeros and
    // copy = src, in that order. The first failure is returned.
    static long beginEigen(const cxNMMatrix& src, cxNMMatrix& d, cxNMMatrix& e, int eRows, cxNMMatrix& copy);
};

namespace orb::nm {

// The element tolerance of comparisons: unequal only when |a - b| > t, t = 1e-12 * (|a| + |b|)
// above magnitude 1 and 1e-12 below; a NaN difference therefore counts as equal.
inline bool elementEqual(double a, double b)
{
    const double d = std::fabs(a - b);
    const double s = std::fabs(a) + std::fabs(b);
    const double t = s >= 1.0 ? 1e-12 * s : 1e-12;
    return !(d > t);
}

} // namespace orb::nm

#endif
