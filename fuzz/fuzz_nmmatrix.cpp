// cxNMMatrix decompositions and solves with sizes and elements from the input (NaN,
// infinities, huge and tiny values): every member ends with a defined status, and outputs the
// class promises to keep are kept on failure.
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

    switch ((which >> 1) % 6) {
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
