// cxNMMatrix storage, life cycle, element access and comparisons.
//
// Storage is one element block of rows * cols doubles plus a row table whose entry i points
// at block + i * cols; both come from csys_memory_alloc_internal. Whole-matrix fills and
// copies work on the block through the pointer of row 0.
#include "nmmatrix/internal.hpp"
#include "support/cleanup.hpp"

#include <cstdint>
#include <cstring>

// ---------------------------------------------------------------- storage helpers

long cxNMMatrixAccess::newStorage(int rows, int cols, double** block, double*** table)
{
    const size_t r = static_cast<size_t>(rows);
    const size_t c = static_cast<size_t>(cols);
    if (c > SIZE_MAX / sizeof(double) / r) {
        return csys_errNoMemory; // no allocator can grant this block
    }
    cmath_status st = 0;
    void* b = nullptr;
    void* t = nullptr;
    orb::Cleanup cl(st);
    st = csys_memory_alloc_internal(r * c * sizeof(double), &b);
    if (st < 0) {
        return cl.close();
    }
    cl.freshBlock(&b);
    st = csys_memory_alloc_internal(r * sizeof(double*), &t);
    if (st >= 0) {
        double* e = static_cast<double*>(b);
        double** rowTable = static_cast<double**>(t);
        for (size_t i = 0; i < r; ++i) {
            rowTable[i] = e + i * c;
        }
        *block = e;
        *table = rowTable;
    }
    return cl.close();
}

void cxNMMatrixAccess::freeStorage(double** block, double*** table)
{
    csys_memory_free_internal(reinterpret_cast<void**>(block));
    csys_memory_free_internal(reinterpret_cast<void**>(table));
}

void cxNMMatrixAccess::adopt(cxNMMatrix& m, double** table, int rows, int cols)
{
    m.deallocate();
    m.m_ = table;
    m.rows_ = rows;
    m.cols_ = cols;
}

// ---------------------------------------------------------------- life cycle

cxNMMatrix::cxNMMatrix() = default;

cxNMMatrix::~cxNMMatrix() { deallocate(); }

long cxNMMatrix::deallocate()
{
    if (m_ != nullptr) {
        if (rows_ >= 1 && cols_ >= 1) {
            void* block = m_[0];
            csys_memory_free_internal(&block);
        }
        csys_memory_free_internal(reinterpret_cast<void**>(&m_));
    }
    m_ = nullptr;
    rows_ = 0;
    cols_ = 0;
    return 0;
}

// A repeated request for the current size keeps storage and values. Otherwise the old
// storage goes first; counts below 1 are recorded without storage. When a request fails the
// matrix is left empty (0 x 0), so it is always safe to destroy, resize or assign.
long cxNMMatrix::allocate_(int r, int c)
{
    if (r == rows_ && c == cols_) {
        return 0;
    }
    deallocate();
    rows_ = r;
    cols_ = c;
    if (r < 1 || c < 1) {
        return 0;
    }
    double* block = nullptr;
    double** table = nullptr;
    const long st = cxNMMatrixAccess::newStorage(r, c, &block, &table);
    if (st < 0) {
        rows_ = 0;
        cols_ = 0;
        return st;
    }
    m_ = table;
    return 0;
}

long cxNMMatrix::initResize(int r, int c)
{
    if (r < 1 || c < 1) {
        return cxNMMatrix_errBadSize;
    }
    return allocate_(r, c);
}

long cxNMMatrix::initResize(int r, int c, double value)
{
    const long st = initResize(r, c);
    if (st < 0) {
        return st;
    }
    return assign(value);
}

long cxNMMatrix::reset() { return assign(0.0); }

long cxNMMatrix::assign(double value)
{
    if (m_ != nullptr) {
        double* e = m_[0];
        const size_t n = static_cast<size_t>(rows_) * static_cast<size_t>(cols_);
        for (size_t k = 0; k < n; ++k) {
            e[k] = value;
        }
    }
    return 0;
}

long cxNMMatrix::assign(const cxNMMatrix& source)
{
    if (&source == this) {
        return 0;
    }
    const long st = allocate_(source.rows_, source.cols_);
    if (st < 0) {
        return st;
    }
    if (m_ != nullptr) {
        std::memcpy(m_[0], source.m_[0],
                    static_cast<size_t>(rows_) * static_cast<size_t>(cols_) * sizeof(double));
    }
    return 0;
}

long cxNMMatrix::identity()
{
    if (rows_ != cols_) {
        return cxNMMatrix_errNotSquare;
    }
    if (m_ != nullptr) {
        assign(0.0);
        for (int i = 0; i < rows_; ++i) {
            m_[i][i] = 1.0;
        }
    }
    return 0;
}

long cxNMMatrix::I(int n, cxNMMatrix& out)
{
    if (n < 1) {
        return cxNMMatrix_errBadSize;
    }
    const long st = out.allocate_(n, n);
    if (st < 0) {
        return st;
    }
    return out.identity();
}

// ---------------------------------------------------------------- elements and size

long cxNMMatrix::getElement(int row, int col, double& out) const
{
    if (row < 0 || row >= rows_) {
        return cxNMMatrix_errBadRow;
    }
    if (col < 0 || col >= cols_) {
        return cxNMMatrix_errBadColumn;
    }
    out = m_[row][col];
    return 0;
}

long cxNMMatrix::setElement(int row, int col, double value)
{
    if (row < 0 || row >= rows_) {
        return cxNMMatrix_errBadRow;
    }
    if (col < 0 || col >= cols_) {
        return cxNMMatrix_errBadColumn;
    }
    m_[row][col] = value;
    return 0;
}

int cxNMMatrix::rows() const { return rows_; }

int cxNMMatrix::cols() const { return cols_; }

bool cxNMMatrix::isSizeEqual(const cxNMMatrix& other) const
{
    return rows_ == other.rows_ && cols_ == other.cols_;
}

bool cxNMMatrix::isSizeEqual(int r, int c) const { return rows_ == r && cols_ == c; }

bool cxNMMatrix::isSquare() const { return rows_ == cols_; }

// ---------------------------------------------------------------- comparisons

bool cxNMMatrix::isSymmetric() const
{
    if (rows_ != cols_) {
        return false;
    }
    if (rows_ < 1 || m_ == nullptr) {
        return true;
    }
    for (int i = 0; i < rows_; ++i) {
        for (int j = i + 1; j < cols_; ++j) {
            if (!orb::nm::elementEqual(m_[i][j], m_[j][i])) {
                return false;
            }
        }
    }
    return true;
}

bool cxNMMatrix::operator==(const cxNMMatrix& other) const
{
    if (rows_ != other.rows_ || cols_ != other.cols_) {
        return false;
    }
    if (rows_ < 1 || m_ == nullptr) {
        return true;
    }
    const double* a = m_[0];
    const double* b = other.m_[0];
    const size_t n = static_cast<size_t>(rows_) * static_cast<size_t>(cols_);
    for (size_t k = 0; k < n; ++k) {
        if (!orb::nm::elementEqual(a[k], b[k])) {
            return false;
        }
    }
    return true;
}

bool cxNMMatrix::operator==(double value) const
{
    if (rows_ < 1 || m_ == nullptr) {
        return true;
    }
    const double* a = m_[0];
    const size_t n = static_cast<size_t>(rows_) * static_cast<size_t>(cols_);
    for (size_t k = 0; k < n; ++k) {
        if (!orb::nm::elementEqual(a[k], value)) {
            return false;
        }
    }
    return true;
}

bool cxNMMatrix::operator!=(const cxNMMatrix& other) const { return !(*this == other); }

bool cxNMMatrix::operator!=(double value) const { return !(*this == value); }
