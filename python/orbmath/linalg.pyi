"""General matrices with 2-D NumPy arrays in and out; failures raise orbmath.MatrixError.
Eigenvalues and singular values are unsorted, as the iterations leave them."""

from typing import Literal, Tuple, overload

import numpy as np
import numpy.typing as npt

_F64 = npt.NDArray[np.float64]
_M = npt.ArrayLike

def multiply(a: _M, b: _M) -> _F64:
    """a @ b, each element summed in increasing k."""
def multiply_transposed(a: _M, b: _M) -> _F64:
    """a @ b.T"""
def transposed_multiply(a: _M, b: _M) -> _F64:
    """a.T @ b"""
def square(a: _M) -> _F64:
    """a.T @ a, exactly symmetric."""
def determinant(a: _M) -> float: ...
def inverse(a: _M) -> _F64: ...
def svd(a: _M) -> Tuple[_F64, _F64, _F64]:
    """(U, w, V) with a = U @ diag(w) @ V.T; w unsorted."""
def pseudo_inverse(a: _M, tolerance: float) -> _F64:
    """Damped pseudo-inverse: singular values below max(w) / sqrt(tolerance) are damped."""
def pseudo_solve(a: _M, b: _M, tolerance: float) -> _F64: ...
def minimal_inverse(a: _M, b: _M, tolerance: float) -> _F64: ...
def eigenvalues(a: _M) -> npt.NDArray[np.complex128]: ...
@overload
def symmetric_eigenvalues(a: _M, vectors: Literal[False] = ...) -> _F64: ...
@overload
def symmetric_eigenvalues(a: _M, vectors: Literal[True]) -> Tuple[_F64, _F64]: ...
def condition_number(a: _M, symmetric: bool = False) -> float: ...
def solve(a: _M, b: _M, max_cond: float, symmetric: bool = False) -> Tuple[_F64, float]:
    """(x, cond) with a @ x = b when cond <= max_cond; MatrixError otherwise (its `condition` set)."""
def partial_solve(
    a: _M, b: _M, g: _M, d: _M, e: _M, max_cond: float, symmetric: bool = False
) -> Tuple[_F64, float]: ...
def constrained_minimization(a: _M, b: _M, g: _M, d: _M, tolerance: float) -> _F64:
    """x minimising (x - b).T a (x - b) subject to g x = d."""
def constraint_error(a: _M, b: _M, c: float, g: _M) -> float: ...
