"""General matrices (the library's cxNMMatrix) with 2-D NumPy arrays in and out.

Inputs are copied; results are new arrays, made only when the computation succeeds.
Eigenvalues and singular values come back unsorted, in the order the iterations leave
them. Failures raise orbmath.MatrixError with the library's status.
"""

from ._core import linalg as _linalg

multiply = _linalg.multiply
multiply_transposed = _linalg.multiply_transposed
transposed_multiply = _linalg.transposed_multiply
square = _linalg.square
determinant = _linalg.determinant
inverse = _linalg.inverse
svd = _linalg.svd
pseudo_inverse = _linalg.pseudo_inverse
pseudo_solve = _linalg.pseudo_solve
minimal_inverse = _linalg.minimal_inverse
eigenvalues = _linalg.eigenvalues
symmetric_eigenvalues = _linalg.symmetric_eigenvalues
condition_number = _linalg.condition_number
solve = _linalg.solve
partial_solve = _linalg.partial_solve
constrained_minimization = _linalg.constrained_minimization
constraint_error = _linalg.constraint_error

__all__ = [name for name in dir(_linalg) if not name.startswith("_")]
