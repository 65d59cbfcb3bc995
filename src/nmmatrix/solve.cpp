// Problem-level solvers: the linear solve guarded by a condition-number limit, the partial
// (Schur complement) solve of a block system, equality-constrained minimisation of a
// quadratic form with damped pseudo-inverses, and the evaluation of that quadratic form.
//
// Each is a fixed sequence of matrix operations; the first failing step's status is
// returned at once and only the last step writes the result (cond excepted, see solve).
#include <orbmath/nmmatrix.h>

#include "nmmatrix/internal.hpp"
#include "support/cleanup.hpp"

void cxNMMatrixAccess::SolveWork::take(orb::nm::Carve& c, int n, int k, bool symmetric)
{
    orb::nm::Carve first = c.rest();
    cond.take(first, n, n, symmetric);
    orb::nm::Carve then = c.rest();
    lu.take(then, n);
    t = then.take<double>(static_cast<size_t>(k) * static_cast<size_t>(n));
    c.reserve(first, then);
}

long cxNMMatrixAccess::solveWith(orb::nm::Rows a, const double* b, int bRows, int k, double& cond, double maxCond,
                                 const SolveWork& work, cxNMMatrix& X)
{
    const int n = a.rows;
    double condition = 0.0;
    long st = conditionNumber(a, work.cond, condition);
    if (st < 0) {
        return st;
    }
    cond = condition;
    if (!(maxCond >= condition)) {
        return cxNMMatrix_errSingular;
    }
    const LuWork& lu = work.lu;
    lu.load(a.row, n);
    double parity = 1.0;
    st = cxNMMatrix::luDecompose(lu.a.rows, n, lu.perm, parity, lu.scratch);
    if (st < 0) {
        return st;
    }
    if (bRows != n) {
        return cxNMMatrix_errBadSize;
    }
    // Each column of b becomes a row of t, is substituted there, and t's transpose is X.
    double* t = work.t;
    for (int i = 0; i < n; ++i) {
        const double* bi = b + static_cast<size_t>(i) * static_cast<size_t>(k);
        for (int j = 0; j < k; ++j) {
            t[static_cast<size_t>(j) * static_cast<size_t>(n) + static_cast<size_t>(i)] = bi[j];
        }
    }
    for (int j = 0; j < k; ++j) {
        cxNMMatrix::luBackSubstitute(lu.a.rows, n, lu.perm, t + static_cast<size_t>(j) * static_cast<size_t>(n));
    }
    return storeTransposed(X, t, k, n);
}

// One work block serves the whole solve: first the condition number's work, then, over the
// same memory, the LU working set and Bᵀ, whose rows (the columns of B) are substituted one by
// one. Every column of B is solved; a B without exactly n rows is refused after the
// decomposition (cond has been written by then).
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
    const int k = B.rows_ == n ? B.cols_ : 0;
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* block = nullptr;
    cxNMMatrixAccess::SolveWork work;
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) { work.take(c, n, k, symmetric); });
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::solveWith(cxNMMatrixAccess::rowsOf(A),
                                                               B.m_ != nullptr ? B.m_[0] : nullptr, B.rows_, k, cond,
                                                               maxCond, work, X));
    return cl.close();
}

// One work block for everything: A's inverse (transposed, as it is computed), T1 = Gᵀ·A⁻¹, the
// Schur complement S = B − T1·G and r = E − T1·D; then, over the memory of the inverse's LU,
// the solve of S·x = r. The products are those of initTmultiply and initMultiply.
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
    const int n = A.rows_; // at least 1: D has a column and n rows
    const size_t nn = static_cast<size_t>(n) * static_cast<size_t>(n);
    cmath_status st = 0;
    orb::Cleanup cl(st);
    void* block = nullptr;
    double* ainvT = nullptr;
    double* t1 = nullptr;
    double* s = nullptr;
    double* r = nullptr;
    const double** sRows = nullptr;
    cxNMMatrixAccess::LuWork lu;
    cxNMMatrixAccess::SolveWork work;
    st = cxNMMatrixAccess::carveWork(cl, &block, [&](orb::nm::Carve& c) {
        ainvT = c.take<double>(nn);
        t1 = c.take<double>(nn);
        s = c.take<double>(nn);
        r = c.take<double>(static_cast<size_t>(n));
        sRows = c.take<const double*>(static_cast<size_t>(n));
        orb::nm::Carve first = c.rest();
        lu.take(first, n);
        orb::nm::Carve then = c.rest();
        work.take(then, n, 1, symmetric);
        c.reserve(first, then);
    });
    if (st < 0) {
        return cl.close();
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::invertTransposed(A.m_, n, lu, ainvT));
    if (st < 0) {
        return cl.close();
    }
    if (B.rows_ != n) {
        st = cxNMMatrix_errSizeMismatch; // B − T1·G
        return cl.close();
    }
    const double* g = G.m_[0];
    // T1(i, j) = Σ_k G(k, i)·A⁻¹(k, j), with A⁻¹(k, j) = ainvT(j, k).
    cxNMMatrixAccess::multiply(t1, n, n, n, g, 1, n, ainvT, 1, n);
    // S = B − T1·G, r = E − T1·D.
    cxNMMatrixAccess::multiply(s, n, n, n, t1, n, 1, g, n, 1);
    const double* b = B.m_[0];
    for (size_t i = 0; i < nn; ++i) {
        s[i] = b[i] - s[i];
    }
    cxNMMatrixAccess::multiply(r, n, 1, n, t1, n, 1, D.m_[0], 1, 1);
    const double* e = E.m_[0];
    for (int i = 0; i < n; ++i) {
        r[i] = e[i] - r[i];
    }
    for (int i = 0; i < n; ++i) {
        sRows[i] = s + static_cast<size_t>(i) * static_cast<size_t>(n);
    }
    st = static_cast<cmath_status>(cxNMMatrixAccess::solveWith(orb::nm::Rows{sRows, n, n}, r, n, 1, cond, maxCond,
                                                               work, X));
    return cl.close();
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
