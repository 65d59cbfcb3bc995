// Problem-level solvers: the linear solve guarded by a condition-number limit, the partial
// (Schur complement) solve of a block system, equality-constrained minimisation of a
// quadratic form with damped pseudo-inverses, and the evaluation of that quadratic form.
//
// Each is a fixed sequence of matrix operations; the first failing step's status is
// returned at once and only the last step writes the result (cond excepted, see solve).
#include <orbmath/nmmatrix.h>

#include "nmmatrix/internal.hpp"
#include "support/cleanup.hpp"

long cxNMMatrix::solve(const cxNMMatrix& A, const cxNMMatrix& B, bool symmetric, double& cond, double maxCond,
                       cxNMMatrix& X)
{
    if (A.rows_ != A.cols_) {
        return cxNMMatrix_errNotSquare;
    }
    const int n = A.rows_;
    double c = 0.0;
    cmath_status st = static_cast<cmath_status>(A.getConditionNumber(symmetric, c));
    if (st < 0) {
        return st;
    }
    cond = c;
    if (!(maxCond >= c)) {
        return cxNMMatrix_errSingular;
    }
    orb::Cleanup cl(st);
    int* perm = nullptr;
    cxNMMatrix lu;
    st = cxNMMatrixAccess::beginLU(A, n, cl, &perm, lu);
    if (st < 0) {
        return cl.close();
    }
    double** a = cxNMMatrixAccess::table(lu);
    double parity = 1.0;
    st = static_cast<cmath_status>(luDecompose(a, n, perm, parity));
    if (st < 0) {
        return cl.close();
    }
    // Every column of B is solved, each as a row of Bᵀ; a B without exactly n rows is refused
    // here (after cond has been written), as an empty B is by the transpose.
    if (B.rows_ != n) {
        st = cxNMMatrix_errBadSize;
        return cl.close();
    }
    cxNMMatrix t;
    st = static_cast<cmath_status>(B.getTranspose(t));
    if (st < 0) {
        return cl.close();
    }
    double** tt = cxNMMatrixAccess::table(t);
    for (int k = 0; k < t.rows_; ++k) {
        luBackSubstitute(a, n, perm, tt[k]);
    }
    st = static_cast<cmath_status>(t.getTranspose(X));
    return cl.close();
}

long cxNMMatrix::partialSolve(const cxNMMatrix& A, const cxNMMatrix& B, const cxNMMatrix& G, const cxNMMatrix& D,
                              const cxNMMatrix& E, bool symmetric, double& cond, double maxCond, cxNMMatrix& X)
{
    if (A.rows_ != A.cols_ || B.rows_ != B.cols_) {
        return cxNMMatrix_errNotSquare;
    }
    if (G.rows_ != A.rows_ || G.cols_ != A.cols_ || D.rows_ != A.rows_ || D.cols_ != 1 || E.rows_ != B.rows_ ||
        E.cols_ != 1) {
        return cxNMMatrix_errBadSize;
    }
    cxNMMatrix ainv;
    long st = A.getInverse(ainv);
    if (st < 0) {
        return st;
    }
    // Schur complement S = B − Gᵀ·A⁻¹·G and right-hand side r = E − Gᵀ·A⁻¹·D.
    cxNMMatrix t1;
    st = t1.initTmultiply(G, ainv);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t2;
    st = t2.initMultiply(t1, G);
    if (st < 0) {
        return st;
    }
    cxNMMatrix s;
    st = s.initSubtract(B, t2);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t3;
    st = t3.initMultiply(t1, D);
    if (st < 0) {
        return st;
    }
    cxNMMatrix r;
    st = r.initSubtract(E, t3);
    if (st < 0) {
        return st;
    }
    return solve(s, r, symmetric, cond, maxCond, X);
}

long cxNMMatrix::constraintMinimization(const cxNMMatrix& A, const cxNMMatrix& B, const cxNMMatrix& G,
                                        const cxNMMatrix& D, double tolerance, cxNMMatrix& X)
{
    cxNMMatrix p;
    long st = A.getPseudoinverse(tolerance, p);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t1;
    st = t1.initMultiplyT(p, G);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t2;
    st = t2.initMultiply(G, t1);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t3;
    st = t3.initMultiply(G, B);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t4;
    st = t4.initSubtract(D, t3);
    if (st < 0) {
        return st;
    }
    // Damped solution of (G·P·Gᵀ)·t5 = D − G·B, then the correction P·Gᵀ·t5.
    cxNMMatrix t5;
    st = pseudoSolve(t2, t4, tolerance, t5);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t6;
    st = t6.initMultiply(t1, t5);
    if (st < 0) {
        return st;
    }
    return X.initAdd(B, t6);
}

long cxNMMatrix::getConstraintError(const cxNMMatrix& A, const cxNMMatrix& B, double c, const cxNMMatrix& G,
                                    double& err)
{
    cxNMMatrix t1;
    long st = t1.initMultiply(A, G);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t2;
    st = t2.initMultiply(B, 2.0);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t3;
    st = t3.initSubtract(t1, t2);
    if (st < 0) {
        return st;
    }
    cxNMMatrix t4;
    st = t4.initTmultiply(G, t3);
    if (st < 0) {
        return st;
    }
    err = c + cxNMMatrixAccess::table(t4)[0][0];
    return 0;
}
