"""The C interface of liborbmath through ctypes: the reference the package's results are
compared with. It loads the very library file the module runs on."""

import ctypes as C

import numpy as np

import orbmath

lib = C.CDLL(orbmath.library_path())

i32 = C.c_int32
f64 = C.c_double
P = C.POINTER


class Vect(C.Structure):
    _fields_ = [("x", f64), ("y", f64)]


class Matrix(C.Structure):
    _fields_ = [("e11", f64), ("e12", f64), ("e21", f64), ("e22", f64)]


class XformLinear(C.Structure):
    _fields_ = [("trans", Vect), ("matrix", Matrix)]


class XformLinear1(C.Structure):
    _fields_ = [("trans", f64), ("matrix", f64)]


class XformRigid(C.Structure):
    _fields_ = [("trans", Vect), ("angle", f64), ("sine", f64), ("cosine", f64)]


class Radian(C.Structure):
    _fields_ = [("value", f64)]


class Range(C.Structure):
    _fields_ = [("kind", i32), ("start", f64), ("end", f64)]


class Statistics(C.Structure):
    _fields_ = [("n", i32), ("sum", f64), ("sumSquares", f64), ("minimum", f64), ("maximum", f64)]


class MatrixAverager(C.Structure):
    _fields_ = [("mode", i32), ("count", i32), ("totalWeight", f64), ("shearSum", f64), ("rotationSum", Vect),
                ("scaleProduct", f64), ("aspectProduct", f64), ("aspectSignSum", f64), ("elementSum", Matrix)]


class XformLinearAverager(C.Structure):
    _fields_ = [("base", MatrixAverager), ("translationSum", Vect)]


class RandomState(C.Structure):
    _fields_ = [("seed", i32), ("count", i32), ("ix1", i32), ("ix2", i32), ("ix3", i32), ("table", f64 * 97)]


class Distribution(C.Structure):
    _fields_ = [("type", i32), ("low", C.c_float), ("high", C.c_float)]


class ChiParams(C.Structure):
    _fields_ = [("significance", f64)]


class ChiResult(C.Structure):
    _fields_ = [("isComputed", i32), ("passed", i32), ("testStatistic", f64), ("numDofs", i32)]


class Handle(C.Structure):
    _fields_ = [("header", C.c_void_p), ("baseTypename", C.c_void_p)]


ExpectedFn = C.CFUNCTYPE(f64, i32, C.c_void_p)

# name: (result type, argument types); every other function returns a status.
_SIGNATURES = {
    "csys_memory_testOutstanding": (C.c_int64, []),
    "cmath_sin16": (f64, [P(C.c_uint16)]),
    "cmath_cos16": (f64, [P(C.c_uint16)]),
    "cmath_sin16F": (C.c_float, [P(C.c_uint16)]),
    "cmath_cos16F": (C.c_float, [P(C.c_uint16)]),
    "cmath_sin16FixedPoint": (i32, [P(C.c_uint16), i32]),
    "cmath_cos16FixedPoint": (i32, [P(C.c_uint16), i32]),
    "cmath_sin8": (f64, [P(C.c_uint8)]),
    "cmath_cos8": (f64, [P(C.c_uint8)]),
    "cmath_sin8F": (C.c_float, [P(C.c_uint8)]),
    "cmath_cos8F": (C.c_float, [P(C.c_uint8)]),
    "cmath_sin8FixedPoint": (i32, [P(C.c_uint8), i32]),
    "cmath_cos8FixedPoint": (i32, [P(C.c_uint8), i32]),
    "cfSinBin8": (C.c_float, [C.c_uint8]),
    "cfCosBin8": (C.c_float, [C.c_uint8]),
    "cfSinBin": (C.c_float, [C.c_uint16]),
    "cfCosBin": (C.c_float, [C.c_uint16]),
    "cfAtanBin8": (C.c_uint8, [i32, i32]),
    "cmath_degree_norm": (Radian, [P(Radian)]),  # cmath_degree has the same layout
    "cmath_degree_signedNorm": (Radian, [P(Radian)]),
    "cmath_radian_norm": (Radian, [P(Radian)]),
    "cmath_radian_signedNorm": (Radian, [P(Radian)]),
    "cmath_acosSafe": (Radian, [f64]),
    "cmath_asinSafe": (Radian, [f64]),
    "csRandomUniformInit2": (None, [P(RandomState), i32]),
    "csRandomUniformNext2": (f64, [P(RandomState), f64, f64]),
    "csUniformDistributionCT2": (P(Distribution), [P(Distribution), C.c_float, C.c_float]),
    "randomSampleVar2": (C.c_float, [P(RandomState), P(Distribution)]),
}


def fn(name):
    """The C function `name`; unlisted functions return a cmath_status and take pointers or doubles
    as ctypes converts them."""
    f = getattr(lib, name)
    restype, argtypes = _SIGNATURES.get(name, (i32, None))
    f.restype = restype
    if argtypes is not None:
        f.argtypes = argtypes
    return f


def call(name, *args):
    """Status of the C function `name` called with args (records by reference)."""
    return fn(name)(*[C.byref(a) if isinstance(a, C.Structure) else a for a in args])


def affine(a):
    """An orbmath.Affine as the C record."""
    m, t = a.matrix, a.translation
    return XformLinear(Vect(*t), Matrix(*m.ravel()))


def as_array(x):
    """The numbers of a C record, in field order, as float64 bits-comparable array."""
    if isinstance(x, Vect):
        return np.array([x.x, x.y])
    if isinstance(x, Matrix):
        return np.array([x.e11, x.e12, x.e21, x.e22])
    if isinstance(x, XformLinear):
        return np.concatenate([as_array(x.trans), as_array(x.matrix)])
    raise TypeError(type(x))


def same_bits(a, b):
    """True when a and b hold the same float64 bit patterns (NaN payloads and signed zeros included)."""
    a = np.ascontiguousarray(a, dtype=np.float64)
    b = np.ascontiguousarray(b, dtype=np.float64)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


def status(name):
    """The signed value of a status code by name, from the package's table."""
    return {v: k for k, v in orbmath.status_names().items()}[name]


def outstanding():
    """Blocks of the library's allocator not yet freed."""
    return fn("csys_memory_testOutstanding")()
