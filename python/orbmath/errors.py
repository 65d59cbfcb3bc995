"""The exceptions orbmath raises for the library's failure statuses."""

from __future__ import annotations


class Error(Exception):
    """A failure status of the library.

    ``status`` is the library's status code as a negative 32-bit integer, ``code`` the same
    code as an unsigned number (``0x80000582``), ``name`` its name (``"cmath_errSingular"``)
    and ``function`` the library function that returned it. Nothing the call would have
    produced is returned, and no array the caller passed has been written.
    """

    def __init__(self, message: str, status: int, name: str, function: str = "") -> None:
        super().__init__(message)
        self.status = status
        self.name = name
        self.function = function

    @property
    def code(self) -> int:
        """The status as an unsigned 32-bit number, as the C headers write it."""
        return self.status & 0xFFFFFFFF


class GeometryError(Error):
    """A failure of the 2D value types: Affine, Rigid, the fit."""


class TransformError(Error):
    """A failure of a transform object (Transform)."""


class RangeError(Error):
    """A failure of Range or Arc."""


class StatisticsError(Error):
    """A failure of the statistics, the averagers or the chi-squared test."""


class MatrixError(Error):
    """A failure of orbmath.linalg.

    A failed solve() or partial_solve() that got as far as the condition number carries it
    in ``condition``.
    """

    condition: float
