// cxNMMatrix driven by a byte program over three matrices, against a model of their sizes and
// elements: resizes, element access, assignment, sums and products of any (often mismatched)
// sizes, transposes, block copies and row and column operations, each with the result written
// into any of the three, operands included. The model computes every value in the documented
// order, so results are compared bit for bit. Decompositions and solves are checked for what
// their contract fixes: the sizes of their results, the same bits whether or not the output is
// the operand, and outputs left as they were when a call is refused. Any step may meet a failing
// allocation. After every step the outstanding-block count is two blocks per matrix that holds
// storage, and at the end it is back where it started.
#include <orbmath/orbmath.h>

#include "fuzz_memory.hpp"

#include <vector>

namespace {

// Equal bits; any two NaNs count as equal (which payload survives an operation on two NaNs is
// the processor's choice).
bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

// A matrix as the model knows it; `known` is false after a size change that leaves the values
// undefined.
struct Model {
    int rows = 0, cols = 0;
    std::vector<double> v;
    bool known = true;
    double at(int i, int j) const { return v[static_cast<size_t>(i) * cols + j]; }
    double& at(int i, int j) { return v[static_cast<size_t>(i) * cols + j]; }
    bool sized() const { return rows >= 1 && cols >= 1; }
};

Model sized(int rows, int cols, bool known = true)
{
    return {rows, cols, std::vector<double>(static_cast<size_t>(rows) * cols, 0.0), known};
}

Model read(const cxNMMatrix& m)
{
    Model out = sized(m.rows() > 0 && m.cols() > 0 ? m.rows() : 0, m.rows() > 0 && m.cols() > 0 ? m.cols() : 0);
    for (int i = 0; i < out.rows; ++i) {
        for (int j = 0; j < out.cols; ++j) {
            FUZZ_CHECK(m.getElement(i, j, out.at(i, j)) == 0);
        }
    }
    return out;
}

bool sameBits(const Model& a, const Model& b)
{
    if (a.rows != b.rows || a.cols != b.cols) {
        return false;
    }
    for (size_t k = 0; k < a.v.size(); ++k) {
        if (!same(a.v[k], b.v[k])) {
            return false;
        }
    }
    return true;
}

void expectMatches(const cxNMMatrix& m, const Model& model)
{
    FUZZ_CHECK(m.isSizeEqual(model.rows, model.cols));
    FUZZ_CHECK(!model.known || sameBits(read(m), model));
}

// A size or index: mostly in -1 .. limit, sometimes an extreme.
int number(fuzz::Input& in, int limit = 6)
{
    const uint8_t b = in.byte();
    if (b < 6) {
        const int extremes[] = {INT32_MIN, -65536, -1, 65536, INT32_MAX - 1, INT32_MAX};
        return extremes[b];
    }
    return static_cast<int>(b % (limit + 2)) - 1;
}

// Sizes a granted request may have without exhausting memory.
bool affordable(int64_t rows, int64_t cols)
{
    return rows < 1 || cols < 1 || rows > INT32_MAX || cols > INT32_MAX || rows * cols <= 256;
}

// The product of the model's three kinds (T for transposed), summed from 0.0 in increasing k.
Model product(const Model& A, const Model& B, bool transA, bool transB)
{
    const int n = transA ? A.cols : A.rows, m = transB ? B.rows : B.cols, inner = transA ? A.rows : A.cols;
    Model T = sized(n, m, A.known && B.known);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < m; ++j) {
            double acc = 0.0;
            for (int k = 0; k < inner; ++k) {
                acc = acc + (transA ? A.at(k, i) : A.at(i, k)) * (transB ? B.at(j, k) : B.at(k, j));
            }
            T.at(i, j) = acc;
        }
    }
    return T;
}

class Program {
public:
    // The three matrices start with sizes of 1 to 4 and elements from the input.
    explicit Program(fuzz::Input& in) : in_(in)
    {
        for (int i = 0; i < 3; ++i) {
            const uint8_t size = in_.byte();
            model_[i] = sized(1 + size % 4, 1 + (size >> 2) % 4);
            FUZZ_CHECK(m_[i].initResize(model_[i].rows, model_[i].cols) == 0);
            for (int r = 0; r < model_[i].rows; ++r) {
                for (int c = 0; c < model_[i].cols; ++c) {
                    model_[i].at(r, c) = in_.real();
                    FUZZ_CHECK(m_[i].setElement(r, c, model_[i].at(r, c)) == 0);
                }
            }
        }
    }

    void step()
    {
        const uint8_t op = in_.byte();
        const int t = in_.byte() % 3, a = in_.byte() % 3, b = in_.byte() % 3;
        cxNMMatrix& T = m_[t];
        const cxNMMatrix &A = m_[a], &B = m_[b];
        const Model before = read(T);
        Model want = model_[t];
        long wantSt = 0;
        long st = 0;
        bool mayFail = false;
        {
            const int r = number(in_), c = number(in_);
            const double x = in_.real();
            const uint8_t choice = in_.byte(); // picks among the variants of an operation
            if (op % 12 >= 10) {
                decompositions(op, t, a, b, x, choice);
                return;
            }
            fuzz::FailOne failing(in_);
            mayFail = failing.armed();
            switch (op % 12) {
            case 0: // resize; values are kept only when the size stays
                if (!affordable(r, c)) {
                    return;
                }
                st = choice % 2 == 0 ? T.initResize(r, c) : T.initResize(r, c, x);
                wantSt = r < 1 || c < 1 ? cxNMMatrix_errBadSize : 0;
                if (wantSt == 0 && (r != want.rows || c != want.cols)) {
                    want = sized(r, c, false);
                }
                if (wantSt == 0 && choice % 2 != 0) {
                    want.v.assign(want.v.size(), x);
                    want.known = true;
                }
                break;
            case 1: // element access: the row is checked before the column
                wantSt = r < 0 || r >= want.rows ? cxNMMatrix_errBadRow : c < 0 || c >= want.cols ? cxNMMatrix_errBadColumn : 0;
                st = T.setElement(r, c, x);
                if (wantSt == 0) {
                    want.at(r, c) = x;
                }
                break;
            case 2:
                st = T.assign(A);
                want = model_[a];
                break;
            case 3:
                st = x < 0.0 ? T.identity() : T.assign(x);
                wantSt = x < 0.0 && want.rows != want.cols ? cxNMMatrix_errNotSquare : 0;
                if (wantSt == 0) {
                    for (int i = 0; i < want.rows; ++i) {
                        for (int j = 0; j < want.cols; ++j) {
                            want.at(i, j) = x < 0.0 ? (i == j ? 1.0 : 0.0) : x;
                        }
                    }
                    want.known = true;
                }
                break;
            case 4: { // element-wise sums: the size mismatch is reported before an empty operand
                const Model &MA = model_[a], &MB = model_[b];
                const bool add = x >= 0.0;
                st = add ? T.initAdd(A, B) : T.initSubtract(A, B);
                wantSt = MA.rows != MB.rows || MA.cols != MB.cols ? cxNMMatrix_errSizeMismatch
                         : !MA.sized()                           ? cxNMMatrix_errBadSize
                                                                 : 0;
                if (wantSt == 0) {
                    want = sized(MA.rows, MA.cols, MA.known && MB.known);
                    for (size_t k = 0; k < want.v.size(); ++k) {
                        want.v[k] = add ? MA.v[k] + MB.v[k] : MA.v[k] - MB.v[k];
                    }
                }
                break;
            }
            case 5: { // the three products
                const Model &MA = model_[a], &MB = model_[b];
                const int kind = choice % 3;
                const bool transA = kind == 2, transB = kind == 1;
                const int inner = transA ? MA.rows : MA.cols, innerB = transB ? MB.cols : MB.rows;
                const int n = transA ? MA.cols : MA.rows, m = transB ? MB.rows : MB.cols;
                st = kind == 0 ? T.initMultiply(A, B) : kind == 1 ? T.initMultiplyT(A, B) : T.initTmultiply(A, B);
                wantSt = inner != innerB || n < 1 || m < 1 ? cxNMMatrix_errBadSize : 0;
                if (wantSt == 0) {
                    want = product(MA, MB, transA, transB);
                }
                break;
            }
            case 6: { // scaling by s, or by the one reciprocal 1 / s
                const bool divide = choice % 2 == 0;
                st = divide ? T.initDivide(A, x) : T.initMultiply(A, x);
                const double s = divide ? 1.0 / x : x;
                want = model_[a];
                for (double& e : want.v) {
                    e = s * e;
                }
                break;
            }
            case 7: { // transpose or Gram matrix of A into T
                const Model& MA = model_[a];
                const bool square = x >= 0.0;
                st = square ? A.getSquare(T) : A.getTranspose(T);
                wantSt = MA.cols < 1 || (!square && MA.rows < 1) ? cxNMMatrix_errBadSize : 0;
                if (wantSt == 0) {
                    want = square ? product(MA, MA, true, false) : sized(MA.cols, MA.rows, MA.known);
                    for (int i = 0; i < want.rows && !square; ++i) {
                        for (int j = 0; j < want.cols; ++j) {
                            want.at(i, j) = MA.at(j, i);
                        }
                    }
                }
                break;
            }
            case 8:
                wantSt = blockCopy(T, a, choice % 2 == 0, want, st);
                break;
            default: { // row and column operations, checked before anything is written
                const int kind = choice % 6;
                const bool onRows = kind < 3;
                const int n = onRows ? want.rows : want.cols;
                const long bad = onRows ? cxNMMatrix_errBadRow : cxNMMatrix_errBadColumn;
                switch (kind) {
                case 0: st = T.addRows(r, c); break;
                case 1: st = T.subRows(r, c); break;
                case 2: st = T.swapRows(r, c); break;
                case 3: st = T.addColumns(r, c); break;
                case 4: st = T.subColumns(r, c); break;
                default: st = T.swapColumns(r, c); break;
                }
                wantSt = r < 0 || r >= n || c < 0 || c >= n ? bad : 0;
                const int other = onRows ? want.cols : want.rows;
                for (int k = 0; wantSt == 0 && k < other; ++k) {
                    double& p = onRows ? want.at(r, k) : want.at(k, r);
                    double& q = onRows ? want.at(c, k) : want.at(k, c);
                    const double pv = p, qv = q;
                    if (kind % 3 == 2) {
                        p = qv;
                        q = pv;
                    } else {
                        p = kind % 3 == 0 ? pv + qv : pv - qv;
                    }
                }
                break;
            }
            }
        }
        FUZZ_CHECK(st == wantSt || (st == csys_errNoMemory && mayFail));
        if (st == csys_errNoMemory) {
            // The allocation failed before the target changed, or the target was left empty.
            FUZZ_CHECK(wantSt == 0);
            const Model now = read(T);
            FUZZ_CHECK(sameBits(now, before) || T.isSizeEqual(0, 0));
            if (!sameBits(now, before)) {
                model_[t] = Model{};
            }
            return;
        }
        if (st < 0) {
            FUZZ_CHECK(sameBits(read(T), before)); // refused: nothing written
            return;
        }
        model_[t] = want;
    }

    void check() const
    {
        int64_t blocks = 0;
        for (int i = 0; i < 3; ++i) {
            expectMatches(m_[i], model_[i]);
            blocks += model_[i].sized() ? 2 : 0;
        }
        FUZZ_CHECK(csys_memory_testOutstanding() == start_ + blocks);
    }

private:
    // copySub (size unchanged) or initCopyRange (T resized to fit the block) from A into T.
    long blockCopy(cxNMMatrix& T, int a, bool range, Model& want, long& st)
    {
        const Model src = model_[a];
        const int sr = number(in_, src.rows), sc = number(in_, src.cols), dr = number(in_, want.rows),
                  dc = number(in_, want.cols), nr = number(in_, src.rows), nc = number(in_, src.cols);
        const int64_t rows = range ? int64_t{dr} + nr : want.rows, cols = range ? int64_t{dc} + nc : want.cols;
        if (range && !affordable(rows, cols)) {
            st = 0;
            return 0;
        }
        const bool outside = sr < 0 || sc < 0 || src.rows < int64_t{sr} + nr || src.cols < int64_t{sc} + nc ||
                             dr < 0 || dc < 0 || rows < int64_t{dr} + nr || cols < int64_t{dc} + nc || nc < 0;
        const bool badSize = range && (rows < 1 || cols < 1 || rows > INT32_MAX || cols > INT32_MAX);
        st = range ? T.initCopyRange(m_[a], sr, sc, dr, dc, nr, nc) : T.copySub(m_[a], sr, sc, dr, dc, nr, nc);
        if (badSize || outside) {
            return cxNMMatrix_errBadSize;
        }
        if (range && (rows != want.rows || cols != want.cols)) {
            want = sized(static_cast<int>(rows), static_cast<int>(cols), false);
        }
        want.known = want.known && src.known;
        for (int i = 0; i < nr; ++i) {
            for (int j = 0; j < nc; ++j) {
                want.at(dr + i, dc + j) = src.at(sr + i, sc + j); // read from the copy taken before
            }
        }
        return 0;
    }

    // Decompositions and solves: result sizes, aliasing and refusals.
    void decompositions(uint8_t op, int t, int a, int b, double x, uint8_t choice)
    {
        const cxNMMatrix &A = m_[a], &B = m_[b];
        const Model before = read(m_[t]);
        cxNMMatrix X, U, W;
        FUZZ_CHECK(X.initResize(1, 2, 5.0) == 0 && U.initResize(1, 2, 5.0) == 0 && W.initResize(1, 2, 5.0) == 0);
        const Model sentinel = read(X);
        double out = -9.0;
        long st = 0;
        bool mayFail = false;
        {
            fuzz::FailOne failing(in_);
            mayFail = failing.armed();
            switch ((op >> 4) % 6) {
            case 0: { // inverse into a fresh matrix and into the operand itself: the same bits
                st = A.getInverse(X);
                FUZZ_CHECK(st == 0 ? X.isSizeEqual(A.rows(), A.rows()) : st == csys_errNoMemory || sameBits(read(X), sentinel));
                if (st == 0 && t == a) {
                    const long again = m_[t].getInverse(m_[t]);
                    FUZZ_CHECK(again == 0 ? sameBits(read(m_[t]), read(X))
                                          : again == csys_errNoMemory && (sameBits(read(m_[t]), before) || m_[t].isSizeEqual(0, 0)));
                    model_[t] = read(m_[t]);
                }
                break;
            }
            case 1:
                st = A.getDeterminant(out);
                FUZZ_CHECK(st == 0 || st == csys_errNoMemory || out == (st == cxNMMatrix_errSingular ? 1.0 : -9.0));
                break;
            case 2: {
                st = A.decompose(U, W, X);
                const int n = A.cols();
                if (st == 0) {
                    FUZZ_CHECK(U.isSizeEqual(A.rows(), n) && W.isSizeEqual(n, n) && X.isSizeEqual(n, n));
                    const Model w = read(W);
                    for (int i = 0; i < n; ++i) {
                        for (int j = 0; j < n; ++j) {
                            FUZZ_CHECK(i == j || same(w.at(i, j), 0.0));
                        }
                    }
                } else if (st == cxNMMatrix_errBadSize) { // refused; a failed iteration may leave partial work
                    FUZZ_CHECK(sameBits(read(U), sentinel) && sameBits(read(W), sentinel) && sameBits(read(X), sentinel));
                }
                break;
            }
            case 3: { // eigenvalues; the refused and the non-symmetric calls leave vectors alone
                cxVector<double> re, im;
                FUZZ_CHECK(re.insert(0, 3, -2.0) == 0 && im.insert(0, 3, -2.0) == 0);
                const bool symmetric = x >= 0.0;
                st = A.eigenvalues(symmetric, re, im, X);
                const size_t n = static_cast<size_t>(A.rows());
                if (st == 0) {
                    FUZZ_CHECK(re.size() == n && im.size() == n);
                    FUZZ_CHECK(!symmetric || X.isSizeEqual(A.rows(), A.rows()));
                    for (size_t i = 0; symmetric && i < n; ++i) {
                        FUZZ_CHECK(same(im[i], 0.0));
                    }
                }
                // The symmetric form sets im to n zeros before it looks further (n = 0 included).
                if (st == cxNMMatrix_errNotSquare || (st < 0 && !symmetric)) {
                    FUZZ_CHECK((im.size() == 3 && same(im[0], -2.0)) || st == csys_errNoMemory);
                }
                if (!symmetric || st == cxNMMatrix_errNotSquare || st == cxNMMatrix_errBadSize) {
                    FUZZ_CHECK(sameBits(read(X), sentinel));
                }
                break;
            }
            case 4: { // the conditioned solve: X is written only on success
                const long sst = cxNMMatrix::solve(A, B, x >= 0.0, out, std::fabs(x), X);
                st = sst;
                FUZZ_CHECK(sst != cxNMMatrix_errNotSquare || out == -9.0);
                FUZZ_CHECK(sst == 0 ? X.isSizeEqual(A.rows(), B.cols()) : sst == csys_errNoMemory || sameBits(read(X), sentinel));
                break;
            }
            default: { // composite operations: the output is written only by their last step
                const int which = choice % 4;
                st = which == 0   ? cxNMMatrix::pseudoSolve(A, B, x, X)
                     : which == 1 ? A.getMinimalInverse(B, x, X)
                     : which == 2 ? A.getPseudoinverse(x, X)
                                  : cxNMMatrix::getConstraintError(A, B, x, m_[t], out);
                if (st < 0 && st != csys_errNoMemory) {
                    FUZZ_CHECK(sameBits(read(X), sentinel) && out == -9.0);
                }
                break;
            }
            }
        }
        FUZZ_CHECK(st != csys_errNoMemory || mayFail);
        FUZZ_CHECK(st == 0 || st == csys_errNoMemory || st == cxNMMatrix_errBadSize || st == cxNMMatrix_errSingular ||
                   st == cxNMMatrix_errNotSquare || st == cxNMMatrix_errSizeMismatch);
        if (!(((op >> 4) % 6) == 0 && t == a)) {
            FUZZ_CHECK(sameBits(read(m_[t]), before)); // operands are never changed
        }
    }

    fuzz::Input& in_;
    const int64_t start_ = csys_memory_testOutstanding();
    cxNMMatrix m_[3];
    Model model_[3];
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int64_t start = csys_memory_testOutstanding();
    {
        Program program(in);
        for (int step = 0; step < 64 && in.left() > 0; ++step) {
            program.step();
            program.check();
        }
    }
    FUZZ_CHECK(csys_memory_testOutstanding() == start);
    return 0;
}
