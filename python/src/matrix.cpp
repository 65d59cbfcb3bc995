// General matrices (cxNMMatrix) with 2-D NumPy arrays in and out: products, LU determinant
// and inverse, SVD and pseudo-inverses, both eigenvalue routines, condition numbers, solves and
// constrained minimisation. Arrays are copied into matrices before the computation, which runs
// with the GIL released, and results are copied into new arrays only when it succeeds.
#include "common.hpp"

#include <climits>
#include <complex>

namespace orbpy {

namespace {

constexpr Family M = Family::matrix;

void checkM(long st, const char* name)
{
    check(static_cast<cmath_status>(st), M, name);
}

// A 2-D array-like (or, with `column`, also a 1-D one taken as a column) as a matrix. An array
// with no rows or columns leaves the matrix empty, for the library to refuse.
void toMatrix(py::handle obj, cxNMMatrix& out, const char* what, bool column = false)
{
    const Doubles a = asDoubles(obj);
    py::ssize_t rows = 0, cols = 0;
    if (a.ndim() == 2) {
        rows = a.shape(0);
        cols = a.shape(1);
    } else if (column && a.ndim() == 1) {
        rows = a.shape(0);
        cols = 1;
    } else {
        throw py::value_error(std::string(what) + (column ? " must be a 1-D or 2-D array" : " must be a 2-D array"));
    }
    if (rows > INT_MAX || cols > INT_MAX) {
        throw py::value_error(std::string(what) + " is too large");
    }
    if (rows == 0 || cols == 0) {
        return;
    }
    checkM(out.initResize(static_cast<int>(rows), static_cast<int>(cols)), "cxNMMatrix::initResize");
    const double* d = a.data();
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            checkM(out.setElement(i, j, d[i * cols + j]), "cxNMMatrix::setElement");
        }
    }
}

// A new array with the matrix's elements; flat (1-D) for a column when `flat`.
py::array_t<double> toArray(const cxNMMatrix& m, bool flat = false)
{
    const int rows = m.rows(), cols = m.cols();
    py::array_t<double> out = flat ? py::array_t<double>(rows)
                                   : py::array_t<double>({static_cast<py::ssize_t>(rows), static_cast<py::ssize_t>(cols)});
    double* d = out.mutable_data();
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            checkM(m.getElement(i, j, d[i * cols + j]), "cxNMMatrix::getElement");
        }
    }
    return out;
}

py::array_t<double> toArray(const cxVector<double>& v)
{
    py::array_t<double> out(static_cast<py::ssize_t>(v.size()));
    std::copy(v.begin(), v.end(), out.mutable_data());
    return out;
}

bool isFlatColumn(py::handle obj)
{
    return asDoubles(obj).ndim() == 1;
}

// Runs a computation on prepared matrices without the GIL; raises its failure status.
template <class F>
void compute(const char* name, F f)
{
    long st = 0;
    {
        py::gil_scoped_release release;
        st = f();
    }
    checkM(st, name);
}

template <class F>
py::array_t<double> product(py::handle a, py::handle b, F f, const char* name)
{
    cxNMMatrix A, B, X;
    toMatrix(a, A, "a");
    toMatrix(b, B, "b");
    compute(name, [&] { return f(X, A, B); });
    return toArray(X);
}

void bindProducts(py::module_& l)
{
    l.def(
        "multiply",
        [](py::object a, py::object b) {
            return product(
                a, b, [](cxNMMatrix& X, const cxNMMatrix& A, const cxNMMatrix& B) { return X.initMultiply(A, B); },
                "cxNMMatrix::initMultiply");
        },
        py::arg("a"), py::arg("b"), "a @ b, each element summed in increasing k.");
    l.def(
        "multiply_transposed",
        [](py::object a, py::object b) {
            return product(
                a, b, [](cxNMMatrix& X, const cxNMMatrix& A, const cxNMMatrix& B) { return X.initMultiplyT(A, B); },
                "cxNMMatrix::initMultiplyT");
        },
        py::arg("a"), py::arg("b"), "a @ b.T.");
    l.def(
        "transposed_multiply",
        [](py::object a, py::object b) {
            return product(
                a, b, [](cxNMMatrix& X, const cxNMMatrix& A, const cxNMMatrix& B) { return X.initTmultiply(A, B); },
                "cxNMMatrix::initTmultiply");
        },
        py::arg("a"), py::arg("b"), "a.T @ b.");
    l.def(
        "square",
        [](py::object a) {
            cxNMMatrix A, X;
            toMatrix(a, A, "a");
            compute("cxNMMatrix::getSquare", [&] { return A.getSquare(X); });
            return toArray(X);
        },
        py::arg("a"), "a.T @ a, exactly symmetric.");
}

void bindDecompositions(py::module_& l)
{
    l.def(
        "determinant",
        [](py::object a) {
            cxNMMatrix A;
            toMatrix(a, A, "a");
            double det = 0.0;
            compute("cxNMMatrix::getDeterminant", [&] { return A.getDeterminant(det); });
            return det;
        },
        py::arg("a"),
        "The determinant from an LU decomposition. MatrixError: cxNMMatrix_errNotSquare, cxNMMatrix_errBadSize "
        "(empty), cxNMMatrix_errSingular (a row without an element above 1e-15 in magnitude).");
    l.def(
        "inverse",
        [](py::object a) {
            cxNMMatrix A, X;
            toMatrix(a, A, "a");
            compute("cxNMMatrix::getInverse", [&] { return A.getInverse(X); });
            return toArray(X);
        },
        py::arg("a"), "The inverse of a square matrix. MatrixError as determinant.");
    l.def(
        "svd",
        [](py::object a) {
            cxNMMatrix A, U, W, V;
            toMatrix(a, A, "a");
            compute("cxNMMatrix::decompose", [&] { return A.decompose(U, W, V); });
            py::array_t<double> w(W.rows());
            for (int i = 0; i < W.rows(); ++i) {
                checkM(W.getElement(i, i, w.mutable_data()[i]), "cxNMMatrix::getElement");
            }
            return py::make_tuple(toArray(U), w, toArray(V));
        },
        py::arg("a"),
        "(U, w, V) with a = U @ diag(w) @ V.T: U rows x n, w the n singular values (unsorted, as the "
        "iteration leaves them), V n x n, n = columns. MatrixError (cxNMMatrix_errSingular) when it does not "
        "converge.");
    l.def(
        "pseudo_inverse",
        [](py::object a, double tolerance) {
            cxNMMatrix A, X;
            toMatrix(a, A, "a");
            compute("cxNMMatrix::getPseudoinverse", [&] { return A.getPseudoinverse(tolerance, X); });
            return toArray(X);
        },
        py::arg("a"), py::arg("tolerance"),
        "The damped pseudo-inverse: with t = max(w) / sqrt(tolerance), singular values w >= t are inverted and "
        "smaller ones damped to w / t^2. When t < 1e-9 the result is a copy of a.");
    l.def(
        "pseudo_solve",
        [](py::object a, py::object b, double tolerance) {
            cxNMMatrix A, B, X;
            toMatrix(a, A, "a");
            toMatrix(b, B, "b", true);
            compute("cxNMMatrix::pseudoSolve", [&] { return cxNMMatrix::pseudoSolve(A, B, tolerance, X); });
            return toArray(X, isFlatColumn(b));
        },
        py::arg("a"), py::arg("b"), py::arg("tolerance"), "pseudo_inverse(a, tolerance) @ b.");
    l.def(
        "minimal_inverse",
        [](py::object a, py::object b, double tolerance) {
            cxNMMatrix A, B, X;
            toMatrix(a, A, "a");
            toMatrix(b, B, "b");
            compute("cxNMMatrix::getMinimalInverse", [&] { return A.getMinimalInverse(B, tolerance, X); });
            return toArray(X);
        },
        py::arg("a"), py::arg("b"), py::arg("tolerance"), "b @ pseudo_inverse(a @ b, tolerance).");
}

void bindEigen(py::module_& l)
{
    l.def(
        "eigenvalues",
        [](py::object a) {
            cxNMMatrix A;
            toMatrix(a, A, "a");
            cxVector<double> re, im;
            compute("cxNMMatrix::eigenvalues", [&] { return A.eigenvalues(false, re, im); });
            py::array_t<std::complex<double>> out(static_cast<py::ssize_t>(re.size()));
            for (std::size_t i = 0; i < re.size(); ++i) {
                out.mutable_data()[i] = std::complex<double>(re[i], im[i]);
            }
            return out;
        },
        py::arg("a"),
        "The eigenvalues of a square matrix as complex128, unsorted (of a conjugate pair the one with the "
        "negative imaginary part comes first). MatrixError (cxNMMatrix_errSingular) when the iteration does not "
        "converge.");
    l.def(
        "symmetric_eigenvalues",
        [](py::object a, bool vectors) -> py::object {
            cxNMMatrix A, V;
            toMatrix(a, A, "a");
            cxVector<double> re, im;
            if (vectors) {
                compute("cxNMMatrix::eigenvalues", [&] { return A.eigenvalues(true, re, im, V); });
                return py::make_tuple(toArray(re), toArray(V));
            }
            compute("cxNMMatrix::eigenvalues", [&] { return A.eigenvalues(true, re, im); });
            return toArray(re);
        },
        py::arg("a"), py::arg("vectors") = false,
        "The eigenvalues of a symmetric matrix (symmetry is not checked), unsorted; with vectors, (values, V) "
        "with the unit eigenvector of values[i] in column i of V.");
    l.def(
        "condition_number",
        [](py::object a, bool symmetric) {
            cxNMMatrix A;
            toMatrix(a, A, "a");
            double cond = 0.0;
            compute("cxNMMatrix::getConditionNumber", [&] { return A.getConditionNumber(symmetric, cond); });
            return cond;
        },
        py::arg("a"), py::arg("symmetric") = false,
        "Largest over smallest magnitude of the singular values (or, with symmetric, of the eigenvalues); 1e28 "
        "when that is undefined.");
}

// A failed solve raises MatrixError with the condition number it computed, if any.
void checkSolve(long st, const char* name, double cond, bool condWritten)
{
    if (st < 0) {
        throw StatusError(static_cast<cmath_status>(st), M, name, condWritten ? cond : NAN);
    }
}

void bindSolves(py::module_& l)
{
    l.def(
        "solve",
        [](py::object a, py::object b, double maxCond, bool symmetric) {
            cxNMMatrix A, B, X;
            toMatrix(a, A, "a");
            toMatrix(b, B, "b", true);
            double cond = NAN;
            long st = 0;
            {
                py::gil_scoped_release release;
                st = cxNMMatrix::solve(A, B, symmetric, cond, maxCond, X);
            }
            checkSolve(st, "cxNMMatrix::solve", cond, !std::isnan(cond));
            return py::make_tuple(toArray(X, isFlatColumn(b)), cond);
        },
        py::arg("a"), py::arg("b"), py::arg("max_cond"), py::arg("symmetric") = false,
        R"((x, cond) with a @ x = b through one LU decomposition, when the condition number cond of a
(see condition_number) is at most max_cond. b is 1-D or has a's row count; x has b's shape.
MatrixError: cxNMMatrix_errNotSquare; cxNMMatrix_errSingular above the limit or for a singular a
(the error's `condition` attribute then holds cond); cxNMMatrix_errBadSize for a b that does not fit.)");
    l.def(
        "partial_solve",
        [](py::object a, py::object b, py::object g, py::object d, py::object e, double maxCond, bool symmetric) {
            cxNMMatrix A, B, G, D, E, X;
            toMatrix(a, A, "a");
            toMatrix(b, B, "b");
            toMatrix(g, G, "g");
            toMatrix(d, D, "d", true);
            toMatrix(e, E, "e", true);
            double cond = NAN;
            long st = 0;
            {
                py::gil_scoped_release release;
                st = cxNMMatrix::partialSolve(A, B, G, D, E, symmetric, cond, maxCond, X);
            }
            checkSolve(st, "cxNMMatrix::partialSolve", cond, !std::isnan(cond));
            return py::make_tuple(toArray(X, isFlatColumn(e)), cond);
        },
        py::arg("a"), py::arg("b"), py::arg("g"), py::arg("d"), py::arg("e"), py::arg("max_cond"),
        py::arg("symmetric") = false,
        R"((x, cond): the x part of the block system [[a, g], [g.T, b]] @ [y, x] = [d, e], through
the Schur complement b - g.T a^-1 g and solve(). a, b and g are n x n, d and e have n rows.)");
    l.def(
        "constrained_minimization",
        [](py::object a, py::object b, py::object g, py::object d, double tolerance) {
            cxNMMatrix A, B, G, D, X;
            toMatrix(a, A, "a");
            toMatrix(b, B, "b", true);
            toMatrix(g, G, "g");
            toMatrix(d, D, "d", true);
            compute("cxNMMatrix::constraintMinimization",
                    [&] { return cxNMMatrix::constraintMinimization(A, B, G, D, tolerance, X); });
            return toArray(X, isFlatColumn(b));
        },
        py::arg("a"), py::arg("b"), py::arg("g"), py::arg("d"), py::arg("tolerance"),
        R"(The x minimising (x - b).T a (x - b) subject to g x = d (a n x n, b n, g k x n, d k):
x = b + P g.T (g P g.T)^+ (d - g b), P = a^+, pseudo-inverses damped with tolerance.)");
    l.def(
        "constraint_error",
        [](py::object a, py::object b, double c, py::object g) {
            cxNMMatrix A, B, G;
            toMatrix(a, A, "a");
            toMatrix(b, B, "b", true);
            toMatrix(g, G, "g", true);
            double err = 0.0;
            compute("cxNMMatrix::getConstraintError",
                    [&] { return cxNMMatrix::getConstraintError(A, B, c, G, err); });
            return err;
        },
        py::arg("a"), py::arg("b"), py::arg("c"), py::arg("g"),
        "c + (g.T (a g - 2 b))[0, 0]: for a column g the quadratic form g.T a g - 2 g.T b + c.");
}

} // namespace

void bindMatrix(py::module_& m)
{
    py::module_ l = m.def_submodule("linalg", "General matrices with 2-D NumPy arrays.");
    bindProducts(l);
    bindDecompositions(l);
    bindEigen(l);
    bindSolves(l);
}

} // namespace orbpy
