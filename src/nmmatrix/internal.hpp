// Private to the library: direct access to a cxNMMatrix's storage for the kernels of
// src/nmmatrix/, and the storage helpers they share.
#ifndef ORBMATH_SRC_NMMATRIX_INTERNAL_HPP
#define ORBMATH_SRC_NMMATRIX_INTERNAL_HPP

#include <orbmath/nmmatrix.h>

#include "support/cleanup.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace orb::nm {

// Lays several arrays out in one work block, so that an operation asks the allocator once. The
// same sequence of take() calls runs twice: on a Carve without a block, which adds up the size
// to request (bytes()), then on one over the granted block, which hands out the arrays. Every
// array starts on a 64-byte boundary. A size that does not fit in size_t sets overflow().
class Carve {
public:
    Carve() = default;
    explicit Carve(void* block) : base_(alignUp(reinterpret_cast<std::uintptr_t>(block))) {}

    template <class T>
    T* take(std::size_t count)
    {
        if (overflow_ || count > (SIZE_MAX - 2 * kAlign - used_) / sizeof(T)) {
            overflow_ = true;
            return nullptr;
        }
        T* p = base_ != 0 ? reinterpret_cast<T*>(base_ + used_) : nullptr;
        used_ = alignUp(used_ + count * sizeof(T));
        return p;
    }
    // A layout that starts where this one stands, for one of several alternatives that share
    // the rest of the block; reserve() then takes the room of the largest.
    Carve rest() const
    {
        Carve c;
        c.base_ = base_ != 0 ? base_ + used_ : 0;
        c.overflow_ = overflow_;
        return c;
    }
    void reserve(const Carve& first, const Carve& second)
    {
        const std::size_t room = first.used_ > second.used_ ? first.used_ : second.used_;
        overflow_ = overflow_ || first.overflow_ || second.overflow_ || room > SIZE_MAX - 2 * kAlign - used_;
        if (!overflow_) {
            used_ += room;
        }
    }
    // The request that holds every array taken so far, whatever the block's own alignment.
    std::size_t bytes() const { return used_ + kAlign; }
    bool overflow() const { return overflow_; }

private:
    static constexpr std::size_t kAlign = 64;
    static std::size_t alignUp(std::size_t x) { return (x + kAlign - 1) & ~(kAlign - 1); }

    std::uintptr_t base_ = 0;
    std::size_t used_ = 0;
    bool overflow_ = false;
};

// A row stride (in doubles) for a working copy with `cols` columns: whole cache lines, and an
// odd number of them, so that walking down a column visits every cache set instead of the one
// or two that rows a power-of-two apart share.
inline int paddedStride(int cols)
{
    int lines = (cols + 7) / 8;
    if (lines % 2 == 0) {
        ++lines;
    }
    return 8 * lines;
}

// A working copy of `rows` rows with the stride above: the element rows and their row table.
struct WorkMatrix {
    double** rows = nullptr;
    int stride = 0;
    void take(Carve& c, int nRows, int cols)
    {
        stride = paddedStride(cols);
        rows = c.take<double*>(static_cast<std::size_t>(nRows));
        double* e = c.take<double>(static_cast<std::size_t>(nRows) * static_cast<std::size_t>(stride));
        if (rows != nullptr) {
            for (int i = 0; i < nRows; ++i) {
                rows[i] = e + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride);
            }
        }
    }
};

// A matrix given by its row table: rows x cols elements, row i at row[i].
struct Rows {
    const double* const* row;
    int rows;
    int cols;
};

// The condition number rule: hi / lo of the magnitudes of v[0..n); 1e28 when the smallest is 0
// or NaN (a NaN anywhere counts as the smallest) or the largest is below 1e-14.
double conditionNumber(const double* v, int n);

} // namespace orb::nm

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

    // The start of the eigenvector routine: src square (else cxNMMatrix_errNotSquare) and not
    // empty (else cxNMMatrix_errBadSize), then d = 1 x n zeros, e = eRows x n zeros and
    // copy = src, in that order. The first failure is returned.
    static long beginEigen(const cxNMMatrix& src, cxNMMatrix& d, cxNMMatrix& e, int eRows, cxNMMatrix& copy);

    // Requests one work block for the arrays that layout(Carve&) takes (a first run of layout
    // adds up the size), registers it in cl (*block is freed on every path) and runs layout over
    // it. The allocator's status, or csys_errNoMemory when the size does not fit in size_t.
    template <class Layout>
    static cmath_status carveWork(orb::Cleanup& cl, void** block, Layout&& layout);

    // The work of the singular values of an m x n matrix (singularValues).
    struct SvdWork {
        orb::nm::WorkMatrix a; // max(m, n) x n
        double* rv1 = nullptr;
        double* sc = nullptr;
        double* rot = nullptr; // 6n
        void take(orb::nm::Carve& c, int m, int n);
    };
    // The cols singular values of src into w, bit for bit the diagonal decompose gives W (the
    // same reduction and QR sweeps, without forming U and V). 0, or cxNMMatrix_errSingular when
    // the iteration does not converge (w partly written). src has at least one column.
    static long singularValues(orb::nm::Rows src, const SvdWork& work, double* w);

    // The work of the symmetric eigenvalues of an n x n matrix (symmetricValues).
    struct SymWork {
        orb::nm::WorkMatrix a;
        double* e = nullptr;
        void take(orb::nm::Carve& c, int n);
    };
    // The eigenvalues of the symmetric src (n >= 1) into d, as getSymEigenvalues_ finds them.
    // 0, or cxNMMatrix_errSingular when the iteration does not converge.
    static long symmetricValues(orb::nm::Rows src, const SymWork& work, double* d);

    // The work of the condition number of an n-column matrix: the singular values' work, or
    // with symmetric the symmetric eigenvalues' work, and the n values.
    struct CondWork {
        bool symmetric = false;
        SvdWork svd;
        SymWork sym;
        double* values = nullptr;
        void take(orb::nm::Carve& c, int rows, int cols, bool withSymmetric);
    };
    // cond = src's condition number as getConditionNumber defines it; cond is written only on
    // success. The caller has checked the sizes (a column at least; square when symmetric).
    static long conditionNumber(orb::nm::Rows src, const CondWork& work, double& cond);

    // The LU working set of order n: the copy, luDecompose's scratch and the permutation.
    struct LuWork {
        orb::nm::WorkMatrix a;
        double* scratch = nullptr; // 2n doubles
        int* perm = nullptr;
        void take(orb::nm::Carve& c, int n);
        void load(const double* const* src, int n) const; // the copy of src
    };
    // The inverse of the n x n matrix src, transposed: row i of r (n x n, row-major) becomes
    // column i of src's inverse. 0, or cxNMMatrix_errSingular when luDecompose refuses src.
    static long invertTransposed(const double* const* src, int n, const LuWork& lu, double* r);

    // The work of solveWith for n x n and k right-hand sides: the condition number's, then over
    // the same memory the LU working set and the transposed right-hand sides.
    struct SolveWork {
        CondWork cond;
        LuWork lu;
        double* t = nullptr; // k x n
        void take(orb::nm::Carve& c, int n, int k, bool symmetric);
    };
    // The steps of solve from the condition number on (of the flavour work was taken for), for
    // a (n x n, n >= 1) and the k columns of b (bRows x k, row-major; refused with cxNMMatrix_errBadSize after the decomposition unless
    // bRows = n). cond is written once known; X only by the last step.
    static long solveWith(orb::nm::Rows a, const double* b, int bRows, int k, double& cond, double maxCond,
                          const SolveWork& work, cxNMMatrix& X);

    // C (n x q, row-major) = the product of a (n x m, element (i, k) at A[i asx + k asy]) and b
    // (m x q, element (k, j) at B[k bsx + j bsy]): the kernel of initMultiply and its kin, each
    // element summed from 0.0 in increasing k.
    static void multiply(double* C, int n, int q, int m, const double* A, std::ptrdiff_t asx, std::ptrdiff_t asy,
                         const double* B, std::ptrdiff_t bsx, std::ptrdiff_t bsy);

    static orb::nm::Rows rowsOf(const cxNMMatrix& m) { return orb::nm::Rows{m.m_, m.rows_, m.cols_}; }

    // target becomes the c x r transpose of the r x c row-major array src (which does not lie
    // in target's storage). On failure (the allocator's status) target is unchanged.
    static long storeTransposed(cxNMMatrix& target, const double* src, int r, int c);
};

template <class Layout>
cmath_status cxNMMatrixAccess::carveWork(orb::Cleanup& cl, void** block, Layout&& layout)
{
    orb::nm::Carve sizing;
    layout(sizing);
    if (sizing.overflow()) {
        return csys_errNoMemory;
    }
    const cmath_status st = csys_memory_alloc_internal(sizing.bytes(), block);
    if (st < 0) {
        return st;
    }
    cl.workBlock(block);
    orb::nm::Carve carve(*block);
    layout(carve);
    return 0;
}

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
