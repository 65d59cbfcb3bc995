// cxNMMatrix sub-block copies and elementary row and column operations. All checks come
// before any element is written; none of these operations allocates except initCopyRange
// when it changes the size.
#include "nmmatrix/internal.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>

namespace {

using Access = cxNMMatrixAccess;

// True when the block of numRows x numCols at (row, col) lies inside a rows x cols matrix
// (numRows below 1 passes: such a block copies nothing). A negative width is refused.
bool blockInside(int rows, int cols, int row, int col, int numRows, int numCols)
{
    if (row < 0 || col < 0 || numCols < 0) {
        return false;
    }
    return static_cast<int64_t>(rows) >= static_cast<int64_t>(row) + numRows &&
           static_cast<int64_t>(cols) >= static_cast<int64_t>(col) + numCols;
}

// Copies the block row by row; rows may overlap when both tables belong to one matrix, so
// each row moves with memmove and the rows are visited away from the overlap.
void copyBlock(double* const* dst, const double* const* src, int srcRow, int srcCol, int dstRow,
               int dstCol, int numRows, int numCols)
{
    const size_t bytes = static_cast<size_t>(numCols) * sizeof(double);
    if (dstRow > srcRow) {
        for (int r = numRows - 1; r >= 0; --r) {
            std::memmove(dst[dstRow + r] + dstCol, src[srcRow + r] + srcCol, bytes);
        }
    } else {
        for (int r = 0; r < numRows; ++r) {
            std::memmove(dst[dstRow + r] + dstCol, src[srcRow + r] + srcCol, bytes);
        }
    }
}

// True when i and j both index one of n rows (or columns).
bool bothInside(int i, int j, int n)
{
    return i >= 0 && i < n && j >= 0 && j < n;
}

// Row i becomes op(row i, row j) element by element; an index outside the rows is refused
// and a matrix without storage is left alone.
template <class Op> long combineRows(double* const* m, int rows, int cols, int i, int j, Op op)
{
    if (!bothInside(i, j, rows)) {
        return cxNMMatrix_errBadRow;
    }
    if (m != nullptr) {
        double* a = m[i];
        const double* b = m[j];
        for (int k = 0; k < cols; ++k) {
            a[k] = op(a[k], b[k]);
        }
    }
    return 0;
}

// The same for columns: column i becomes op(column i, column j).
template <class Op> long combineColumns(double* const* m, int rows, int cols, int i, int j, Op op)
{
    if (!bothInside(i, j, cols)) {
        return cxNMMatrix_errBadColumn;
    }
    if (m != nullptr) {
        for (int r = 0; r < rows; ++r) {
            m[r][i] = op(m[r][i], m[r][j]);
        }
    }
    return 0;
}

} // namespace

long cxNMMatrix::copySub(const cxNMMatrix& src, int srcRow, int srcCol, int dstRow, int dstCol,
                         int numRows, int numCols)
{
    if (!blockInside(src.rows_, src.cols_, srcRow, srcCol, numRows, numCols)) {
        return cxNMMatrix_errBadSize;
    }
    if (!blockInside(rows_, cols_, dstRow, dstCol, numRows, numCols)) {
        return cxNMMatrix_errBadSize;
    }
    if (numRows < 1 || numCols < 1) {
        return 0;
    }
    copyBlock(m_, src.m_, srcRow, srcCol, dstRow, dstCol, numRows, numCols);
    return 0;
}

// Every check is made before the size changes, so a refused request leaves the matrix as it
// was. A copy from this matrix itself into a new size reads the old storage before it is
// released.
long cxNMMatrix::initCopyRange(const cxNMMatrix& src, int srcRow, int srcCol, int dstRow, int dstCol,
                               int numRows, int numCols)
{
    const int64_t newRows = static_cast<int64_t>(dstRow) + numRows;
    const int64_t newCols = static_cast<int64_t>(dstCol) + numCols;
    if (newRows < 1 || newCols < 1 || newRows > INT_MAX || newCols > INT_MAX) {
        return cxNMMatrix_errBadSize;
    }
    const int r = static_cast<int>(newRows), c = static_cast<int>(newCols);
    if (!blockInside(src.rows_, src.cols_, srcRow, srcCol, numRows, numCols) ||
        !blockInside(r, c, dstRow, dstCol, numRows, numCols)) {
        return cxNMMatrix_errBadSize;
    }
    if (&src == this && !isSizeEqual(r, c)) {
        double* block = nullptr;
        double** table = nullptr;
        const long st = Access::newStorage(r, c, &block, &table);
        if (st < 0) {
            return st;
        }
        if (numRows >= 1 && numCols >= 1) {
            copyBlock(table, m_, srcRow, srcCol, dstRow, dstCol, numRows, numCols);
        }
        Access::adopt(*this, table, r, c);
        return 0;
    }
    const long st = allocate_(r, c);
    if (st < 0) {
        return st;
    }
    return copySub(src, srcRow, srcCol, dstRow, dstCol, numRows, numCols);
}

long cxNMMatrix::addRows(int i, int j)
{
    return combineRows(m_, rows_, cols_, i, j, std::plus<double>());
}

long cxNMMatrix::subRows(int i, int j)
{
    return combineRows(m_, rows_, cols_, i, j, std::minus<double>());
}

long cxNMMatrix::addColumns(int i, int j)
{
    return combineColumns(m_, rows_, cols_, i, j, std::plus<double>());
}

long cxNMMatrix::subColumns(int i, int j)
{
    return combineColumns(m_, rows_, cols_, i, j, std::minus<double>());
}

// The rows are exchanged element by element in place: nothing to allocate, nothing to fail.
long cxNMMatrix::swapRows(int i, int j)
{
    if (!bothInside(i, j, rows_)) {
        return cxNMMatrix_errBadRow;
    }
    if (cols_ < 1) {
        return cxNMMatrix_errBadSize;
    }
    if (i != j) {
        std::swap_ranges(m_[i], m_[i] + cols_, m_[j]);
    }
    return 0;
}

long cxNMMatrix::swapColumns(int i, int j)
{
    if (!bothInside(i, j, cols_)) {
        return cxNMMatrix_errBadColumn;
    }
    if (m_ != nullptr && i != j) {
        for (int r = 0; r < rows_; ++r) {
            std::swap(m_[r][i], m_[r][j]);
        }
    }
    return 0;
}
