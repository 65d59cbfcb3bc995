"""General matrices: bit-identical to the C++ interface (the committed golden hash of its matrix
computations, recomputed here through the package), in agreement with NumPy and SciPy, and
failures as statuses with the caller's arrays untouched."""

import re
import struct
from pathlib import Path

import numpy as np
import pytest
import scipy.linalg
from hypothesis import given
from hypothesis import strategies as st

import clib
import orbmath as om
from orbmath import linalg

GOLDEN = Path(__file__).resolve().parents[2] / "tests" / "reliability" / "golden" / "golden.hpp"
M64 = (1 << 64) - 1


class Hash:
    """FNV-1a over the bytes of each result, as the golden program hashes them."""

    def __init__(self):
        self.h = 0xCBF29CE484222325

    def bytes(self, b):
        for x in b:
            self.h = ((self.h ^ x) * 0x100000001B3) & M64

    def d(self, v):
        self.bytes(struct.pack("<d", v))

    def i(self, v):
        self.bytes(struct.pack("<q", v))

    def matrix(self, m):
        self.i(m.shape[0]), self.i(m.shape[1])
        for v in m.ravel():
            self.d(v)


class Values:
    """The golden program's reproducible stream of awkward doubles."""

    def __init__(self):
        self.s = 0x0123456789ABCDEF

    def next(self):
        self.s = (self.s * 6364136223846793005 + 1442695040888963407) & M64
        k = (self.s >> 40) - (1 << 23)
        return k / 65536.0 + float(int(np.fmod(k, 7))) * 1e-9


def test_matrix_results_are_bit_identical_to_the_cpp_interface():
    committed = int(re.search(r'\{"nmmatrix", nmmatrix, (0x[0-9a-f]+)ull\}', GOLDEN.read_text()).group(1), 16)
    h, val = Hash(), Values()

    def fill(rows, cols):
        h.i(0)
        return np.array([[val.next() / 64.0 + (40.0 if i == j else 0.0) for j in range(cols)] for i in range(rows)])

    A, B, C = fill(6, 6), fill(6, 2), fill(7, 4)
    S = linalg.square(C)
    h.i(0)
    h.i(0), h.d(linalg.determinant(A))
    h.i(0), h.matrix(linalg.inverse(A))
    h.i(0), h.matrix(linalg.multiply(A, B))
    h.i(0), h.matrix(linalg.transposed_multiply(C, C))
    U, w, V = linalg.svd(C)
    h.i(0), h.matrix(U), h.matrix(np.diag(w)), h.matrix(V)
    h.i(0), h.matrix(linalg.pseudo_inverse(C, 1e10))
    ev = linalg.eigenvalues(A)
    h.i(0), [h.d(v) for v in ev.real], [h.d(v) for v in ev.imag]
    values, vectors = linalg.symmetric_eigenvalues(S, vectors=True)
    h.i(0), [h.d(v) for v in values], h.matrix(vectors)
    h.i(0), h.d(linalg.condition_number(C))
    h.i(0), h.d(linalg.condition_number(S, symmetric=True))
    x, cond = linalg.solve(A, B, 1e12)
    h.i(0), h.d(cond), h.matrix(x)
    h.i(0), h.matrix(linalg.solve(S, S, 1e12, symmetric=True)[0])
    Bc, G, D = fill(4, 1), fill(2, 4), fill(2, 1)
    h.i(0), h.matrix(linalg.constrained_minimization(S, Bc, G, D, 1e10))
    h.i(0), h.d(linalg.constraint_error(S, Bc, 1.5, Bc))
    h.i(0), h.matrix(linalg.pseudo_solve(C, C, 1e10))
    assert h.h == committed, f"0x{h.h:016x} != committed 0x{committed:016x}"


@st.composite
def systems(draw, square=True):
    n = draw(st.integers(1, 6))
    m = n if square else draw(st.integers(n, n + 3))
    seed = draw(st.integers(0, 2**32 - 1))
    rng = np.random.default_rng(seed)
    return rng.uniform(-1, 1, (m, n)) + 3.0 * np.eye(m, n), rng


@given(systems())
def test_square_matrices_agree_with_numpy_and_scipy(system):
    a, rng = system
    n = a.shape[0]
    np.testing.assert_allclose(linalg.determinant(a), np.linalg.det(a), rtol=1e-10)
    np.testing.assert_allclose(linalg.inverse(a), np.linalg.inv(a), rtol=1e-9, atol=1e-12)
    np.testing.assert_allclose(linalg.condition_number(a), np.linalg.cond(a), rtol=1e-9)
    ev = linalg.eigenvalues(a)
    np.testing.assert_allclose(np.sort_complex(ev), np.sort_complex(np.linalg.eigvals(a)), atol=1e-9)
    s = a + a.T
    values, vectors = linalg.symmetric_eigenvalues(s, vectors=True)
    np.testing.assert_allclose(np.sort(values), scipy.linalg.eigh(s, eigvals_only=True), atol=1e-9)
    np.testing.assert_allclose(s @ vectors, vectors * values, atol=1e-9)
    b = rng.uniform(-5, 5, n)
    x, cond = linalg.solve(a, b, 1e12)
    assert x.shape == (n,) and cond == linalg.condition_number(a)
    np.testing.assert_allclose(x, np.linalg.solve(a, b), rtol=1e-9, atol=1e-12)
    # the x part of [[a, g], [g.T, bb]] [y, x] = [d, e]
    g, bb = rng.uniform(-1, 1, (n, n)), rng.uniform(-1, 1, (n, n)) + 8.0 * np.eye(n)
    d, e = rng.uniform(-1, 1, n), rng.uniform(-1, 1, n)
    px, _ = linalg.partial_solve(a, bb, g, d, e, 1e12)
    full = np.linalg.solve(np.block([[a, g], [g.T, bb]]), np.concatenate([d, e]))
    np.testing.assert_allclose(px, full[n:], rtol=1e-8, atol=1e-10)


@given(systems(square=False))
def test_svd_and_pseudo_inverse_agree_with_numpy(system):
    a, rng = system
    U, w, V = linalg.svd(a)
    np.testing.assert_allclose(np.sort(w)[::-1], np.linalg.svd(a, compute_uv=False), rtol=1e-10)
    np.testing.assert_allclose(U @ np.diag(w) @ V.T, a, atol=1e-12)
    # tolerance 1e12 damps nothing here: t = max(w) * 1e-6 lies below every singular value (and above the
    # 1e-9 under which the library hands back a copy of a instead)
    np.testing.assert_allclose(linalg.pseudo_inverse(a, 1e12), np.linalg.pinv(a), rtol=1e-9, atol=1e-12)
    b = rng.uniform(-1, 1, a.shape[0])
    np.testing.assert_allclose(linalg.pseudo_solve(a, b, 1e12), np.linalg.lstsq(a, b, rcond=None)[0], atol=1e-9)


@given(systems(), st.integers(1, 3))
def test_constrained_minimization_solves_the_kkt_system(system, k):
    a, rng = system
    n = a.shape[0]
    spd = a @ a.T + np.eye(n)
    # orthonormal constraint rows keep g P g.T well away from the 1e-9 threshold of the damping
    g = np.linalg.qr(rng.uniform(-1, 1, (n, n)))[0][: min(k, n)]
    b, d = rng.uniform(-1, 1, n), rng.uniform(-1, 1, min(k, n))
    x = linalg.constrained_minimization(spd, b, g, d, 1e10)
    kkt = np.block([[2 * spd, g.T], [g, np.zeros((len(d), len(d)))]])
    expected = np.linalg.solve(kkt, np.concatenate([2 * spd @ b, d]))[:n]
    np.testing.assert_allclose(x, expected, rtol=1e-7, atol=1e-9)
    np.testing.assert_allclose(linalg.constraint_error(spd, b, 1.5, x), x @ spd @ x - 2 * x @ b + 1.5, rtol=1e-12)


@pytest.mark.parametrize(
    "call, name",
    [
        (lambda a: linalg.determinant(a[:, :2]), "cxNMMatrix_errNotSquare"),
        (lambda a: linalg.inverse(np.zeros((0, 0))), "cxNMMatrix_errBadSize"),
        (lambda a: linalg.inverse(np.zeros((3, 3))), "cxNMMatrix_errSingular"),
        (lambda a: linalg.symmetric_eigenvalues(a[:2]), "cxNMMatrix_errNotSquare"),
        (lambda a: linalg.multiply(a, a[:2]), "cxNMMatrix_errBadSize"),
        (lambda a: linalg.solve(a, np.ones(2), 1e12), "cxNMMatrix_errBadSize"),
        (lambda a: linalg.partial_solve(a, a, a[:, :2], np.ones(3), np.ones(3), 1e12), "cxNMMatrix_errBadSize"),
    ],
)
def test_failures_raise_the_status_and_leave_the_arrays_alone(call, name):
    a = np.arange(9.0).reshape(3, 3) + np.eye(3)
    before = a.copy()
    with pytest.raises(om.MatrixError) as e:
        call(a)
    assert (e.value.name, e.value.status) == (name, clib.status(name))
    assert clib.same_bits(a, before)


def test_a_solve_above_the_condition_limit_reports_the_condition():
    with pytest.raises(om.MatrixError) as e:
        linalg.solve([[2.0, 0.0], [0.0, 4.0]], [2.0, 4.0], 1.5)
    assert e.value.name == "cxNMMatrix_errSingular" and e.value.condition == 2.0
    x, cond = linalg.solve([[2.0, 0.0], [0.0, 4.0]], [[2.0], [4.0]], 10.0)
    assert cond == 2.0 and x.tolist() == [[1.0], [1.0]]
