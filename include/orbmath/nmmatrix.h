/** @file
 * orbmath general matrices: the dense N x M matrix class cxNMMatrix and the growable array
 * cxVector<T> in which eigenvalues and singular values are handed back. C++ only; a C
 * translation unit sees nothing of this header beyond common.h.
 *
 * Every `long` result is a status: 0 success, negative failure (the cxNMMatrix_err... and
 * cxVector_errNoMemory codes of common.h, or the allocator's csys_errNoMemory passed on). */
#ifndef ORBMATH_NMMATRIX_H
#define ORBMATH_NMMATRIX_H

#include "common.h"
#include "support.h"

#ifdef __cplusplus

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#if defined(__GNUC__)
/** Keeps a member of an exported class out of the library's interface. */
#  define ORBMATH_HIDDEN_ __attribute__((visibility("hidden")))
#else
#  define ORBMATH_HIDDEN_
#endif

/** A growable contiguous array of trivially copyable T, owned by the caller and resized by the
 * library. Fields: begin, end and capacity end; the array comes from the standard allocator.
 * Not copyable (a copy could not report a failed allocation); movable. */
template <class T>
class cxVector : public cxObject {
    static_assert(std::is_trivially_copyable_v<T>, "cxVector holds trivially copyable elements");

public:
    /** An empty vector: three null pointers. */
    cxVector() noexcept = default;
    cxVector(const cxVector&) = delete;
    cxVector& operator=(const cxVector&) = delete;
    /** Takes over other's array; other becomes empty. */
    cxVector(cxVector&& other) noexcept
        : begin_(other.begin_), end_(other.end_), capacityEnd_(other.capacityEnd_)
    {
        other.begin_ = other.end_ = other.capacityEnd_ = nullptr;
    }
    /** Releases the own array and takes over other's; other becomes empty. */
    cxVector& operator=(cxVector&& other) noexcept
    {
        if (this != &other) {
            release_();
            begin_ = other.begin_;
            end_ = other.end_;
            capacityEnd_ = other.capacityEnd_;
            other.begin_ = other.end_ = other.capacityEnd_ = nullptr;
        }
        return *this;
    }
    /** Releases the array with the standard deallocator. */
    ~cxVector() override { release_(); }

    /** The element count, end - begin. */
    std::size_t size() const noexcept { return static_cast<std::size_t>(end_ - begin_); }
    /** The element count the array holds without growing. */
    std::size_t capacity() const noexcept { return static_cast<std::size_t>(capacityEnd_ - begin_); }
    /** True when the vector holds no element. */
    bool empty() const noexcept { return end_ == begin_; }
    /** Element i (unchecked; i < size()). */
    T& operator[](std::size_t i) noexcept { return begin_[i]; }
    /** Element i, read-only (unchecked; i < size()). */
    const T& operator[](std::size_t i) const noexcept { return begin_[i]; }
    /** The first element (null while no array is held). */
    T* begin() noexcept { return begin_; }
    /** The first element, read-only (null while no array is held). */
    const T* begin() const noexcept { return begin_; }
    /** One past the last element (null while no array is held). */
    T* end() noexcept { return end_; }
    /** One past the last element, read-only (null while no array is held). */
    const T* end() const noexcept { return end_; }

    /** Inserts `count` copies of value before element `pos` (pos <= size()). When the spare
     * capacity is too small, a new array of size() + max(size(), count) elements replaces the
     * old one. cxVector_errNoMemory (vector unchanged) if no array can be obtained;
     * cxNMMatrix_errBadSize (unchanged) if pos > size(). */
    long insert(std::size_t pos, std::size_t count, const T& value) noexcept
    {
        const std::size_t n = size();
        if (pos > n) {
            return cxNMMatrix_errBadSize;
        }
        if (count == 0) {
            return 0;
        }
        const T v = value; /* value may live inside the array that is about to move */
        if (static_cast<std::size_t>(capacityEnd_ - end_) >= count) {
            std::memmove(static_cast<void*>(begin_ + pos + count), begin_ + pos, (n - pos) * sizeof(T));
            for (std::size_t i = 0; i < count; ++i) {
                begin_[pos + i] = v;
            }
            end_ += count;
            return 0;
        }
        const std::size_t maxCount = static_cast<std::size_t>(PTRDIFF_MAX) / sizeof(T);
        const std::size_t grow = n > count ? n : count;
        if (grow > maxCount - n) {
            return cxVector_errNoMemory;
        }
        const std::size_t newCap = n + grow;
        T* fresh = nullptr;
        try {
            fresh = std::allocator<T>().allocate(newCap);
        } catch (...) {
            return cxVector_errNoMemory;
        }
        if (pos > 0) {
            std::memcpy(static_cast<void*>(fresh), begin_, pos * sizeof(T));
        }
        for (std::size_t i = 0; i < count; ++i) {
            fresh[pos + i] = v;
        }
        if (n > pos) {
            std::memcpy(static_cast<void*>(fresh + pos + count), begin_ + pos, (n - pos) * sizeof(T));
        }
        release_();
        begin_ = fresh;
        end_ = fresh + n + count;
        capacityEnd_ = fresh + newCap;
        return 0;
    }

    /** Sizes the vector to n elements: a shrink keeps the first n, a growth appends copies of
     * T() (0.0 for double). cxVector_errNoMemory (vector unchanged) if it cannot grow. */
    long resize(std::size_t n) noexcept
    {
        const std::size_t cur = size();
        if (cur >= n) {
            end_ = begin_ + n;
            return 0;
        }
        return insert(cur, n - cur, T());
    }

    /** Removes every element; the array is kept. */
    void clear() noexcept { end_ = begin_; }

private:
    void release_() noexcept
    {
        if (begin_ != nullptr) {
            std::allocator<T>().deallocate(begin_, capacity());
        }
        begin_ = end_ = capacityEnd_ = nullptr;
    }

    T* begin_ = nullptr;
    T* end_ = nullptr;
    T* capacityEnd_ = nullptr;
};

/** The library's instance; its members and virtual table are compiled into liborbmath. */
extern template class ORBMATH_API cxVector<double>;

/** A dense matrix of doubles with any number of rows and columns.
 *
 * Storage: one contiguous block of rows * cols doubles in row-major order, plus a table of
 * row pointers (entry i = block + i * cols), both from csys_memory_alloc_internal. A matrix
 * holds storage exactly when rows >= 1 and cols >= 1; a new matrix is empty (0 x 0).
 * Element values after a size change are undefined until an operation writes them; asking
 * again for the current size keeps storage and values.
 *
 * Copies are made only through assign() and the init... operations: copy construction and
 * copy assignment are deleted (a copy could not report a failed allocation).
 *
 * The class's virtual table and type information are exported with its public members (so
 * typeid and the sanitizers' type checks work in callers); private members stay internal.
 *
 * init... operations, getTranspose and getSquare compute the whole result before the target
 * changes, so the target may be one of the operands. Size and index checks come first; when
 * one fails, no matrix and no out-parameter is written. Element comparisons (operator==,
 * isSymmetric) use the element tolerance: a and b are equal unless
 * |a - b| > 1e-12 * max(1, |a| + |b|) (so a NaN difference counts as equal). */
class ORBMATH_API cxNMMatrix : public cxObject {
public:
    /* ---- life cycle, size and elements ---------------------------------------------- */

    /** An empty matrix: no storage, 0 x 0. */
    ORBMATH_API cxNMMatrix();
    /** Releases the storage. */
    ORBMATH_API ~cxNMMatrix() override;
    cxNMMatrix(const cxNMMatrix&) = delete;
    cxNMMatrix& operator=(const cxNMMatrix&) = delete;

    /** Sizes the matrix to rows x cols; values are undefined unless the size was unchanged.
     * cxNMMatrix_errBadSize if rows < 1 or cols < 1 (matrix unchanged); allocation failure:
     * the allocator's status and the matrix is left empty (0 x 0). */
    ORBMATH_API long initResize(int rows, int cols);
    /** As initResize(rows, cols), then every element = value. */
    ORBMATH_API long initResize(int rows, int cols, double value);
    /** Every element = 0.0; returns 0. */
    ORBMATH_API long reset();
    /** A copy of source (size and elements); assigning a matrix to itself does nothing.
     * Allocation failure: the allocator's status, this matrix left empty. */
    ORBMATH_API long assign(const cxNMMatrix& source);
    /** Every element = value, size unchanged; returns 0. */
    ORBMATH_API long assign(double value);
    /** Every element 0.0 and the diagonal 1.0; cxNMMatrix_errNotSquare (unchanged) if rows != cols. */
    ORBMATH_API long identity();
    /** out = the n x n identity; cxNMMatrix_errBadSize (out untouched) if n < 1. */
    ORBMATH_API static long I(int n, cxNMMatrix& out);
    /** out = element (row, col). cxNMMatrix_errBadRow if row is outside 0 .. rows-1, then
     * cxNMMatrix_errBadColumn if col is outside 0 .. cols-1; out untouched on failure. */
    ORBMATH_API long getElement(int row, int col, double& out) const;
    /** Element (row, col) = value, with the checks of getElement in the same order. */
    ORBMATH_API long setElement(int row, int col, double value);
    /** The row count. */
    ORBMATH_API int rows() const;
    /** The column count. */
    ORBMATH_API int cols() const;
    /** True when other has the same row and column counts. */
    ORBMATH_API bool isSizeEqual(const cxNMMatrix& other) const;
    /** True when the matrix is rows x cols. */
    ORBMATH_API bool isSizeEqual(int rows, int cols) const;
    /** True when rows == cols (also for 0 x 0). */
    ORBMATH_API bool isSquare() const;
    /** True when square and (i, j) equals (j, i) under the element tolerance for all i < j;
     * true for 0 x 0. */
    ORBMATH_API bool isSymmetric() const;
    /** True when the sizes agree and every pair of elements is equal under the element
     * tolerance (true for two matrices without rows). */
    ORBMATH_API bool operator==(const cxNMMatrix& other) const;
    /** True when every element equals value under the element tolerance (always without rows). */
    ORBMATH_API bool operator==(double value) const;
    /** Negation of operator==(other). */
    ORBMATH_API bool operator!=(const cxNMMatrix& other) const;
    /** Negation of operator==(value). */
    ORBMATH_API bool operator!=(double value) const;
    /** Writes every row to standard output, each element as "%10g " and "\n" after a row;
     * nothing for a matrix without rows. Works whatever the stream's orientation. Returns 0. */
    ORBMATH_API long print() const;

    /* ---- arithmetic and row / column operations ----------------------------------------- */

    /** this = A + B. cxNMMatrix_errSizeMismatch if the sizes differ, then
     * cxNMMatrix_errBadSize if A has no rows or columns. */
    ORBMATH_API long initAdd(const cxNMMatrix& A, const cxNMMatrix& B);
    /** this = A - B, with the checks of initAdd. */
    ORBMATH_API long initSubtract(const cxNMMatrix& A, const cxNMMatrix& B);
    /** this = A * B (A.rows x B.cols), each element summed in increasing k.
     * cxNMMatrix_errBadSize if A.cols != B.rows, A.rows < 1 or B.cols < 1. */
    ORBMATH_API long initMultiply(const cxNMMatrix& A, const cxNMMatrix& B);
    /** this = A * B^T (A.rows x B.rows). cxNMMatrix_errBadSize if A.cols != B.cols,
     * A.rows < 1 or B.rows < 1. */
    ORBMATH_API long initMultiplyT(const cxNMMatrix& A, const cxNMMatrix& B);
    /** this = A^T * B (A.cols x B.cols). cxNMMatrix_errBadSize if A.rows != B.rows,
     * A.cols < 1 or B.cols < 1. */
    ORBMATH_API long initTmultiply(const cxNMMatrix& A, const cxNMMatrix& B);
    /** this = s * A, A's size (an empty A gives an empty matrix). */
    ORBMATH_API long initMultiply(const cxNMMatrix& A, double s);
    /** this = (1 / s) * A: every element multiplied by the one reciprocal 1.0 / s. */
    ORBMATH_API long initDivide(const cxNMMatrix& A, double s);
    /** out = this^T (cols x rows); out may be this. cxNMMatrix_errBadSize (out untouched)
     * if rows < 1 or cols < 1. */
    ORBMATH_API long getTranspose(cxNMMatrix& out) const;
    /** out = this^T * this (cols x cols), exactly symmetric; out may be this.
     * cxNMMatrix_errBadSize (out untouched) if cols < 1. */
    ORBMATH_API long getSquare(cxNMMatrix& out) const;
    /** Copies the numRows x numCols block of src at (srcRow, srcCol) to (dstRow, dstCol) of
     * this matrix, whose size never changes. cxNMMatrix_errBadSize (nothing written) if the
     * block does not lie inside src or inside this matrix, or numCols < 0; numRows < 1 copies
     * nothing. src may be this matrix, also with overlapping blocks: the result is as if the
     * source block were read completely before writing. */
    ORBMATH_API long copySub(const cxNMMatrix& src, int srcRow, int srcCol, int dstRow, int dstCol,
                             int numRows, int numCols);
    /** Sizes this matrix to (dstRow + numRows) x (dstCol + numCols), then copySub with the same
     * arguments. All checks (the new size below 1: cxNMMatrix_errBadSize, then those of copySub)
     * are made before the resize, so a failed check leaves this matrix unchanged; a failed
     * allocation leaves it empty, as initResize. Elements outside the block are undefined after a
     * size change. src may be this matrix (then a failed allocation changes nothing). */
    ORBMATH_API long initCopyRange(const cxNMMatrix& src, int srcRow, int srcCol, int dstRow,
                                   int dstCol, int numRows, int numCols);
    /** Row i += row j (i == j doubles the row). cxNMMatrix_errBadRow if i or j is out of range. */
    ORBMATH_API long addRows(int i, int j);
    /** Row i -= row j (i == j clears the row). cxNMMatrix_errBadRow if i or j is out of range. */
    ORBMATH_API long subRows(int i, int j);
    /** Column i += column j. cxNMMatrix_errBadColumn if i or j is out of range. */
    ORBMATH_API long addColumns(int i, int j);
    /** Column i -= column j. cxNMMatrix_errBadColumn if i or j is out of range. */
    ORBMATH_API long subColumns(int i, int j);
    /** Exchanges rows i and j in place. cxNMMatrix_errBadRow if i or j is out of range, then
     * cxNMMatrix_errBadSize if cols < 1. */
    ORBMATH_API long swapRows(int i, int j);
    /** Exchanges columns i and j in place. cxNMMatrix_errBadColumn if i or j is out of range. */
    ORBMATH_API long swapColumns(int i, int j);

    /* ---- LU: determinant and inverse ----------------------------------------------------- */

    /** det = the determinant from an LU decomposition of a copy (an exactly zero pivot counts as
     * 1e-20). cxNMMatrix_errNotSquare, cxNMMatrix_errBadSize for 0 x 0 (det untouched);
     * cxNMMatrix_errSingular (det then 1.0) if a row has no element above 1e-15 in magnitude. */
    ORBMATH_API long getDeterminant(double& det) const;
    /** out = the inverse (n x n); out may be this. cxNMMatrix_errNotSquare,
     * cxNMMatrix_errBadSize for 0 x 0, cxNMMatrix_errSingular; out untouched on failure. */
    ORBMATH_API long getInverse(cxNMMatrix& out) const;

    /* ---- singular value decomposition ---------------------------------------------------- */

    /** this = U * W * V^T: U rows x n, W n x n diagonal (singular values, unsorted), V n x n,
     * n = cols. cxNMMatrix_errBadSize if cols < 1; cxNMMatrix_errSingular if not converged.
     * When the iteration does not converge, V has been resized and holds partial values while
     * U and W are untouched; an allocation failure after it may leave W written, U untouched. */
    ORBMATH_API long decompose(cxNMMatrix& U, cxNMMatrix& W, cxNMMatrix& V) const;
    /** values = the cols singular values, bit for bit the diagonal of decompose's W in the same
     * order, without forming U and V. Errors of decompose; values untouched on failure. */
    ORBMATH_API long getSingularValues(cxVector<double>& values) const;
    /** out = the damped pseudo-inverse (cols x rows); singular values below wmax / sqrt(tolerance)
     * are damped. A copy of this matrix when that threshold is not >= 1e-9. Errors of decompose. */
    ORBMATH_API long getPseudoinverse(double tolerance, cxNMMatrix& out) const;
    /** out = B * (this * B)^+, the pseudo-inverse damped with tolerance. cxNMMatrix_errBadSize
     * if B.rows != cols. out is written only by the last product. */
    ORBMATH_API long getMinimalInverse(const cxNMMatrix& B, double tolerance, cxNMMatrix& out) const;
    /** X = A^+ * B, with A^+ the damped pseudo-inverse of A. */
    ORBMATH_API static long pseudoSolve(const cxNMMatrix& A, const cxNMMatrix& B, double tolerance,
                                        cxNMMatrix& X);

    /* ---- eigenvalues and condition numbers ----------------------------------------------- */

    /** Eigenvalues, unsorted: general (re, im; a conjugate pair has the negative imaginary part
     * first) or symmetric (im all 0.0). cxNMMatrix_errNotSquare, cxNMMatrix_errBadSize for
     * 0 x 0, cxNMMatrix_errSingular if the iteration does not converge. The symmetric form
     * sets im to n zeros first, so a later failure leaves im zeroed, and re and the
     * eigenvectors may already be resized. */
    ORBMATH_API long eigenvalues(bool symmetric, cxVector<double>& re, cxVector<double>& im) const;
    /** As above; with symmetric the unit eigenvectors go to the columns of vectors (n x n);
     * without it vectors is not touched. */
    ORBMATH_API long eigenvalues(bool symmetric, cxVector<double>& re, cxVector<double>& im,
                                 cxNMMatrix& vectors) const;
    /** cond = largest / smallest magnitude of the singular values (symmetric false) or of the
     * symmetric eigenvalues (true); 1e28 when that is undefined. cond untouched on failure. */
    ORBMATH_API long getConditionNumber(bool symmetric, double& cond) const;
    /** values = the symmetric eigenvalues, cond = the condition number computed from them. */
    ORBMATH_API long getSymEigenvaluesAndConditionNumber(cxVector<double>& values, double& cond) const;

    /* ---- solves and constrained minimization --------------------------------------------- */

    /** X = A^-1 * B, every column of B solved through one LU decomposition, when A's condition
     * number cond (see getConditionNumber) is <= maxCond. cxNMMatrix_errNotSquare (cond untouched);
     * cxNMMatrix_errSingular (cond written, X untouched) above the limit or when the
     * decomposition refuses A; cxNMMatrix_errBadSize (cond written, X untouched) if B does not
     * have A.rows rows. */
    ORBMATH_API static long solve(const cxNMMatrix& A, const cxNMMatrix& B, bool symmetric, double& cond,
                                  double maxCond, cxNMMatrix& X);
    /** X = (B - G^T A^-1 G)^-1 (E - G^T A^-1 D), the x part of the block system
     * (A, G; G^T, B) (y; x) = (D; E), solved with solve(). cxNMMatrix_errNotSquare unless A and
     * B are square; cxNMMatrix_errBadSize unless G has A's size, D is A.rows x 1, E B.rows x 1;
     * cxNMMatrix_errSizeMismatch if B's size differs from A's. Errors of getInverse and solve. */
    ORBMATH_API static long partialSolve(const cxNMMatrix& A, const cxNMMatrix& B, const cxNMMatrix& G,
                                         const cxNMMatrix& D, const cxNMMatrix& E, bool symmetric,
                                         double& cond, double maxCond, cxNMMatrix& X);
    /** X minimising (x - B)^T A (x - B) subject to G x = D (A n x n, B n x 1, G k x n, D k x 1):
     * X = B + P G^T (G P G^T)^+ (D - G B), P = A^+, both pseudo-inverses damped with tolerance.
     * Size errors of the products and sums; X is written only by the last step (B + correction). */
    ORBMATH_API static long constraintMinimization(const cxNMMatrix& A, const cxNMMatrix& B,
                                                   const cxNMMatrix& G, const cxNMMatrix& D,
                                                   double tolerance, cxNMMatrix& X);
    /** err = c + (G^T (A G - 2 B))(0, 0): for a column G the quadratic form G^T A G - 2 G^T B + c.
     * Size errors of the products and sums; err untouched on failure. */
    ORBMATH_API static long getConstraintError(const cxNMMatrix& A, const cxNMMatrix& B, double c,
                                               const cxNMMatrix& G, double& err);

private:
    friend struct cxNMMatrixAccess; /**< the library's internal kernels */

    /** Storage and size (not exported). */
    ORBMATH_HIDDEN_ long allocate_(int rows, int cols);
    ORBMATH_HIDDEN_ long deallocate();

    /** Eigenvalue helpers. */
    ORBMATH_HIDDEN_ long genEigenvalues_(cxVector<double>& re, cxVector<double>& im) const;
    ORBMATH_HIDDEN_ long getSymEigenvalues_(cxVector<double>& values) const;
    ORBMATH_HIDDEN_ long getSymEigenvalues_(cxVector<double>& values, cxNMMatrix& vectors) const;
    ORBMATH_HIDDEN_ long getSymEigenvalues2_(cxVector<double>& values) const;

    /** Internal kernels on row tables (not exported). */
    /** work: 2n doubles of scratch. */
    ORBMATH_HIDDEN_ static long luDecompose(double** a, int n, int* perm, double& parity, double* work);
    ORBMATH_HIDDEN_ static void luBackSubstitute(const double* const* a, int n, const int* perm, double* b);
    ORBMATH_HIDDEN_ static long svdDecompose(double** a, int m, int n, double* w, double** v);
    /** work: 2n doubles and index: n ints of scratch. */
    ORBMATH_HIDDEN_ static void hessenbergReduce(double** a, int n, double* work, int* index);
    /** work: 5n doubles and flags: n ints of scratch. */
    ORBMATH_HIDDEN_ static bool hessenbergEigenvalues(double** a, int n, double* wr, double* wi, double* work,
                                                      int* flags);
    /** work: n doubles of scratch, used only withVectors (may be null without). */
    ORBMATH_HIDDEN_ static void tridiagonalize(double** a, int n, double* d, double* e, bool withVectors, double* work);
    ORBMATH_HIDDEN_ static bool tridiagonalEigenvalues(double* d, double* e, int n, double** z);

    double** m_ = nullptr; /**< row table, null while no storage is held */
    int32_t rows_ = 0;
    int32_t cols_ = 0;
};

#endif /* __cplusplus */

#endif
