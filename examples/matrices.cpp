// General matrices: cxNMMatrix with LU determinant and inverse, singular value decomposition,
// symmetric eigenvalues, conditioned solves and least squares through the pseudo-inverse.
// Every member returns a long status (0 success, negative failure); on failure the outputs
// keep what they held.
#include "examples.h"

namespace {

// Fills m (rows x cols) from a row-major list of values.
long fill(cxNMMatrix& m, int rows, int cols, const double* values)
{
    long st = m.initResize(rows, cols);
    for (int i = 0; st >= 0 && i < rows * cols; ++i) {
        st = m.setElement(i / cols, i % cols, values[i]);
    }
    return st;
}

void printColumn(const char* what, const cxNMMatrix& m)
{
    std::printf("%s:", what);
    for (int i = 0; i < m.rows(); ++i) {
        double v = 0.0;
        m.getElement(i, 0, v);
        std::printf(" %.6f", v);
    }
    std::printf("\n");
}

} // namespace

int exampleMatrices()
{
    std::puts("== General matrices and solves");
    int failures = 0;

    // A symmetric positive definite system A x = b with the solution (1, 2, 3).
    const double a[9] = {4, 1, 0, 1, 3, 1, 0, 1, 2};
    const double b[3] = {6, 10, 8};
    cxNMMatrix A, B, X, Ainv, check;
    failures += fill(A, 3, 3, a) < 0;
    failures += fill(B, 3, 1, b) < 0;
    double det = 0.0, cond = 0.0;
    failures += A.getDeterminant(det) < 0;
    std::printf("det A = %.6f, symmetric %s\n", det, A.isSymmetric() ? "yes" : "no");
    failures += cxNMMatrix::solve(A, B, true, cond, 1e12, X) < 0;
    std::printf("condition number %.6f\n", cond);
    printColumn("solution of A x = b", X);
    failures += A.getInverse(Ainv) < 0;
    failures += check.initMultiply(Ainv, A) < 0;
    cxNMMatrix I;
    failures += cxNMMatrix::I(3, I) < 0;
    std::printf("A^-1 A equals I within the element tolerance: %s\n", check == I ? "yes" : "no");

    cxVector<double> values, im;
    failures += A.eigenvalues(true, values, im) < 0;
    std::printf("%zu symmetric eigenvalues, sum %.6f (the trace is 9)\n", values.size(),
                values[0] + values[1] + values[2]);

    // Least squares: the line y = c0 + c1 t through four points, by the pseudo-inverse. The
    // tolerance acts as a squared condition limit: singular values below wmax / sqrt(1e12) would
    // be damped.
    const double design[8] = {1, 0, 1, 1, 1, 2, 1, 3};
    const double ys[4] = {1.0, 3.1, 4.9, 7.0};
    cxNMMatrix D, Y, C;
    failures += fill(D, 4, 2, design) < 0;
    failures += fill(Y, 4, 1, ys) < 0;
    failures += cxNMMatrix::pseudoSolve(D, Y, 1e12, C) < 0;
    printColumn("least-squares line (intercept, slope)", C);

    // No hidden tolerance: (1, 2; 2, 4) decomposes with its exactly zero pivot taken as 1e-20,
    // while a matrix with a row of zeros is refused and the output keeps its value.
    const double s[4] = {1, 2, 2, 4};
    const double z[4] = {1, 2, 0, 0};
    cxNMMatrix S, Z;
    failures += fill(S, 2, 2, s) < 0;
    failures += fill(Z, 2, 2, z) < 0;
    failures += S.getDeterminant(det) < 0;
    std::printf("det (1, 2; 2, 4) = %g\n", det);
    printStatus("inverse of (1, 2; 0, 0)", Z.getInverse(Ainv));
    std::printf("output untouched: %d x %d\n", Ainv.rows(), Ainv.cols());
    printStatus("product of 3x3 and 4x2", check.initMultiply(A, D));
    return failures;
}

#ifndef ORBMATH_TOUR
int main() { return exampleMatrices() == 0 ? 0 : 1; }
#endif
