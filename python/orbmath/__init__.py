"""orbmath: 2D geometry and numerical mathematics for machine vision, over NumPy arrays.

Every number comes from the library (liborbmath): the same exact, reproducible results
the C and C++ interfaces give. Failures raise orbmath.Error subclasses carrying the
library's status code and name.

Families: Affine and Rigid 2D transforms and their fit; Transform objects (shared,
composable, extensible with Python callables); orbmath.angle (binary-angle trigonometry
over arrays of counts, normalisation, conversions); Range and Arc; Statistics, the
averagers, Random and the chi-squared test; orbmath.linalg (general matrices).
"""

from . import _core
from .errors import Error, GeometryError, MatrixError, RangeError, StatisticsError, TransformError

_core._register_errors((GeometryError, TransformError, RangeError, StatisticsError, MatrixError))

from . import angle, linalg  # noqa: E402  (after the errors are registered)
from ._core import (  # noqa: E402
    Affine,
    AffineAverager,
    Arc,
    ChiSquaredResult,
    MatrixAverager,
    Random,
    Range,
    Rigid,
    RobustAffineFit,
    RobustRigidFit,
    Statistics,
    Transform,
    chi_squared_cdf,
    chi_squared_test,
    lgamma,
    library_path,
    status_names,
)

__version__: str = _core.__version__

__all__ = [
    "Affine",
    "AffineAverager",
    "Arc",
    "ChiSquaredResult",
    "Error",
    "GeometryError",
    "MatrixAverager",
    "MatrixError",
    "Random",
    "Range",
    "RangeError",
    "Rigid",
    "RobustAffineFit",
    "RobustRigidFit",
    "Statistics",
    "StatisticsError",
    "Transform",
    "TransformError",
    "angle",
    "chi_squared_cdf",
    "chi_squared_test",
    "lgamma",
    "library_path",
    "linalg",
    "status_names",
]
