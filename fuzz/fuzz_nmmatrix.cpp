// cxNMMatrix decompositions and solves with sizes and elements from the input (NaN,
// infinities, huge and tiny values): every member ends with a defined status, and outputs the
// class promises to keep are kept on failure. Index and size arguments of the element, row,
// column and block members come from the input as any int (the extremes included): a refused
// one changes nothing.
#include <orbmath/orbmath.h>

#include "fuzz_input.hpp"

#include <vector>

namespace {

bool allowed(long st)
{
    return st == 0 || st == cxNMMatrix_errSingular || st == cxNMMatrix_errBadSize || st == cxNMMatrix_errNotSquare ||
           st == cxNMMatrix_errSizeMismatch;
}

void fill(fuzz::Input& in, cxNMMatrix& m, int rows, int cols)
{
    FUZZ_CHECK(m.initResize(rows, cols) == 0);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            FUZZ_CHECK(m.setElement(i, j, in.real()) == 0);
        }
    }
}

std::vector<double> values(const cxNMMatrix& m)
{
    std::vector<double> out;
    for (int i = 0; i < m.rows(); ++i) {
        for (int j = 0; j < m.cols(); ++j) {
            double v = 0.0;
            FUZZ_CHECK(m.getElement(i, j, v) == 0);
            out.push_back(v);
        }
    }
    return out;
}

bool same(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// An index or count: mostly small (around the matrix sizes), sometimes an extreme.
int index(fuzz::Input& in)
{
    const uint8_t sel = in.byte();
    if (sel < 8) {
        const int extremes[] = {INT32_MIN, INT32_MIN + 1, -65536, -1, 65536, INT32_MAX - 1, INT32_MAX, 0};
        return extremes[sel];
    }
    return static_cast<int>(sel % 14) - 3;
}

// A size the fuzzer may ask for without exhausting memory: refused sizes (below 1, above
// INT_MAX after a sum) are always fine, granted ones only when small.
bool affordable(int64_t rows, int64_t cols)
{
    return rows < 1 || cols < 1 || rows > INT32_MAX || cols > INT32_MAX || rows * cols <= 4096;
}

void indices(fuzz::Input& in, cxNMMatrix& A, const cxNMMatrix& B)
{
    const std::vector<double> before = values(A);
    const int r = A.rows(), c = A.cols();
    const int i = index(in), j = index(in);
    double v = -3.5;
    long st = A.getElement(i, j, v);
    FUZZ_CHECK(st == 0 ? i >= 0 && i < r && j >= 0 && j < c : v == -3.5);
    FUZZ_CHECK(st == 0 || st == cxNMMatrix_errBadRow || st == cxNMMatrix_errBadColumn);
    st = A.setElement(i, j, 1.25);
    FUZZ_CHECK(st < 0 ? same(values(A), before) : (A.getElement(i, j, v) == 0 && v == 1.25));
    const int k = index(in), l = index(in);
    const long rowOps[] = {A.addRows(k, l), A.subRows(k, l), A.swapRows(k, l),
                           A.addColumns(k, l), A.subColumns(k, l), A.swapColumns(k, l)};
    for (long op : rowOps) {
        FUZZ_CHECK(op == 0 || op == cxNMMatrix_errBadRow || op == cxNMMatrix_errBadColumn ||
                   op == cxNMMatrix_errBadSize);
    }
    const int sr = index(in), sc = index(in), dr = index(in), dc = index(in), nr = index(in), nc = index(in);
    const std::vector<double> mid = values(A);
    st = A.copySub(B, sr, sc, dr, dc, nr, nc);
    FUZZ_CHECK(st == 0 || (st == cxNMMatrix_errBadSize && same(values(A), mid)));
    FUZZ_CHECK(A.isSizeEqual(r, c));
    st = A.copySub(A, sr, sc, dr, dc, nr, nc);
    FUZZ_CHECK(st == 0 || st == cxNMMatrix_errBadSize);
    if (affordable(static_cast<int64_t>(dr) + nr, static_cast<int64_t>(dc) + nc)) {
        cxNMMatrix T;
        FUZZ_CHECK(T.initResize(2, 2, 8.0) == 0);
        st = T.initCopyRange(B, sr, sc, dr, dc, nr, nc);
        FUZZ_CHECK(st == 0 || (st == cxNMMatrix_errBadSize && T.isSizeEqual(2, 2) && same(values(T), {8, 8, 8, 8})));
        st = A.initCopyRange(A, sr, sc, dr, dc, nr, nc);
        FUZZ_CHECK(st == 0 || st == cxNMMatrix_errBadSize);
    }
    const int rr = index(in), rc = index(in);
    if (affordable(rr, rc)) {
        cxNMMatrix T;
        st = T.initResize(rr, rc, 0.5);
        FUZZ_CHECK(st == 0 ? T.isSizeEqual(rr, rc) : (st == cxNMMatrix_errBadSize && T.isSizeEqual(0, 0)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int rows = static_cast<int>(in.range(1, 7));
    const int cols = static_cast<int>(in.range(1, 7));
    const uint8_t which = in.byte();
    const bool symmetric = (which & 1) != 0;
    cxNMMatrix A, B, S, X, U, W, V;
    fill(in, A, rows, cols);
    fill(in, B, rows, static_cast<int>(in.range(1, 3)));
    // A symmetric square matrix from the same numbers (A^T A is exactly symmetric).
    FUZZ_CHECK(A.getSquare(S) == 0);
    const double tol = in.real();
    const double maxCond = in.real();

    FUZZ_CHECK(X.initResize(2, 2, -4.0) == 0);
    const std::vector<double> sentinel = values(X);
    double det = -9.0;
    long st = A.getDeterminant(det);
    FUZZ_CHECK(allowed(st));
    FUZZ_CHECK(st == 0 || st == cxNMMatrix_errSingular ? true : det == -9.0);
    FUZZ_CHECK(st != cxNMMatrix_errSingular || det == 1.0);

    st = A.getInverse(X);
    FUZZ_CHECK(allowed(st));
    if (st < 0) {
        FUZZ_CHECK(X.isSizeEqual(2, 2) && same(values(X), sentinel));
    }

    switch ((which >> 1) % 7) {
    case 6:
        indices(in, A, B);
        break;
    case 0:
        FUZZ_CHECK(allowed(A.decompose(U, W, V)));
        FUZZ_CHECK(allowed(A.getPseudoinverse(tol, X)));
        break;
    case 1: {
        cxVector<double> re, im;
        FUZZ_CHECK(allowed(A.eigenvalues(false, re, im)));
        FUZZ_CHECK(allowed(S.eigenvalues(true, re, im, V)));
        break;
    }
    case 2: {
        double cond = -9.0;
        st = A.getConditionNumber(symmetric, cond);
        FUZZ_CHECK(allowed(st) && (st == 0 || cond == -9.0));
        cxVector<double> values;
        FUZZ_CHECK(allowed(S.getSymEigenvaluesAndConditionNumber(values, cond)));
        break;
    }
    case 3: {
        double cond = -9.0;
        cxNMMatrix Y;
        FUZZ_CHECK(Y.initResize(1, 1, 3.0) == 0);
        st = cxNMMatrix::solve(symmetric ? S : A, B, symmetric, cond, maxCond, Y);
        FUZZ_CHECK(allowed(st));
        if (st < 0) {
            FUZZ_CHECK(Y.isSizeEqual(1, 1) && values(Y)[0] == 3.0);
        }
        break;
    }
    case 4:
        FUZZ_CHECK(allowed(cxNMMatrix::pseudoSolve(A, B, tol, X)));
        FUZZ_CHECK(allowed(A.getMinimalInverse(S, tol, U)));
        break;
    default: {
        // Equality-constrained minimisation on the symmetric matrix: k constraints on n values.
        const int n = S.rows();
        cxNMMatrix Bv, G, D;
        fill(in, Bv, n, 1);
        const int k = static_cast<int>(in.range(1, 3));
        fill(in, G, k, n);
        fill(in, D, k, 1);
        FUZZ_CHECK(allowed(cxNMMatrix::constraintMinimization(S, Bv, G, D, tol, X)));
        double err = -9.0;
        st = cxNMMatrix::getConstraintError(S, Bv, tol, Bv, err);
        FUZZ_CHECK(allowed(st) && (st == 0 || err == -9.0));
        double cond = 0.0;
        FUZZ_CHECK(allowed(cxNMMatrix::partialSolve(S, S, S, Bv, Bv, symmetric, cond, maxCond, X)));
        break;
    }
    }
    return 0;
}
