// Problem-level solvers: the linear solve guarded by a condition-number limit, the partial
// (Schur complement) solve of a block system, equality-constrained minimisation of a
// quadratic form with damped pseudo-inverses, and the evaluation of that quadratic form.
//
// Each is a fixed sequence of matrix operations; the first failing step's status is
// returned at once and only the last step writes the result (cond excepted, see solve).
#include <orbmath/nmmatrix.h>

#include "nmmatrix/internal.hpp"
#include "support/cleanup.hpp"

// One work block serves the whole solve: first the condition number's work, then, over the
// same memory, the LU working set and Bᵀ, whose rows (the columns of B) are substituted one by
// one.
long cxNMMatrix::solve(const cxNMMatrix& A, const cxNMMatrix& B, bool symmetric, double& cond, double maxCond,
                       cxNMMatrix& X)
{
    if (A.rows_ != A.cols_) {
        return cxNMMatrix_errNotSquare;
    }
    const int n = A.rows_;
    if (n < 1) {
        return cxNMMatrix_errBadSize;
    }
    // Every column of B is solved; a B without exactly n rows is refused after the
    // decomposition (cond has been written by then).
    const int k = B.rows_ == n ? B.cols_ : 0;
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* block = nullptr;
    cxNMMatrixAccess::CondWork cw;
    cxNMMatrixAccess::LuWork lu;
    double* t = nullptr;
    auto condLayout = [&](orb::nm::Carve& c) { cw.take(c, n, n, symmetric); };
    auto luLayout = [&](orb::nm::Carve& c) {
        lu.take(c, n);
        t = c.take<double>(static_cast<size_t>(k) * static_cast<size_t>(n));
    };
    orb::nm::Carve condSize;
    condLayout(condSize);
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) {
        luLayout(c);
        c.atLeast(condSize); // both layouts start at the block; the larger decides its size
    });
    if (st < 0) {
        return cl.close();
    }
    orb::nm::Carve condCarve(block);
    condLayout(condCarve);
    double condition = 0.0;
    st = static_cast<cmath_status>(cxNMMatrixAccess::conditionNumber(A, cw, condition));
    if (st < 0) {
        return cl.close();
    }
    cond = condition;
    if (!(maxCond >= condition)) {
        st = cxNMMatrix_errSingular;
        return cl.close();
    }
    lu.load(A, n);
    double** a = lu.a.rows;
    double parity = 1.0;
    st = static_cast<cmath_status>(luDecompose(a, n, lu.perm, parity, lu.scratch));
    if (st < 0) {
        return cl.close();
    }
    if (B.rows_ != n) {
        st = cxNMMatrix_errBadSize;
        return cl.close();
    }
    for (int i = 0; i < n; ++i) {
        const double* bi = B.m_[i];
        for (int j = 0; j < k; ++j) {
            t[static_cast<size_t>(j) * static_cast<size_t>(n) + static_cast<size_t>(i)] = bi[j];
        }
    }
    for (int j = 0; j < k; ++j) {
        luBackSubstitute(a, n, lu.perm, t + static_cast<size_t>(j) * static_cast<size_t>(n));
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::storeTransposed(X, t, k, n));
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
