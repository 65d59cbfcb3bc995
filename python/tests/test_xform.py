"""Transform objects: composition through handles as the C interface does it, a kind defined by
Python callables inside chains, exceptions from the callables, reference counts and leaks."""

import ctypes as C
import gc
import sys

import numpy as np
import pytest
from hypothesis import given
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

import clib
import orbmath as om

A1 = om.Affine.from_decomposition(1.5, 0.8, 0.1, 0.5, (10.0, -5.0))
A2 = om.Affine([[0.0, -2.0], [1.0, 0.5]], (3.0, 4.0))
K = 0.01


def warp(x, y):
    return (x, y + K * x * x)


def unwarp(x, y):
    return (x, y - K * x * x)


def warp_jacobian(x, y):
    return [[1.0, 0.0], [2.0 * K * x, 1.0]]


def make_warp():
    return om.Transform.from_callable(warp, inverse=unwarp, jacobian=warp_jacobian, name="test_warp")


points = hnp.arrays(np.float64, st.tuples(st.integers(1, 5), st.just(2)), elements=st.floats(-50, 50))


def c_linear_chain(a, b):
    """b's then a's plain transforms composed and read back through handles, in C."""
    ha, hb, out = clib.Handle(), clib.Handle(), clib.Handle()
    for h, x in ((ha, a), (hb, b)):
        assert clib.call("cmath_xformPtrh_constructLinear", h, clib.affine(x)) == 0
    assert clib.call("cmath_xformPtrh_construct", out) == 0
    assert clib.call("cmath_xformPtrh_assignCompose", out, ha, hb) == 0
    lin = clib.XformLinear()
    assert clib.call("cmath_xformPtrh_getLinear", out, None, lin) == 0
    for h in (ha, hb, out):
        assert clib.call("cmath_xformPtrh_destruct", h) == 0
    return clib.as_array(lin)


def flat(a):
    return np.concatenate([a.translation, a.matrix.ravel()])


def test_plain_transforms_fold_as_in_c():
    t = om.Transform(A2) @ om.Transform(A1)
    assert (t.type_name, t.is_composed, t.is_linear) == ("cmath_xform", False, True)
    assert clib.same_bits(flat(t.linearize()), c_linear_chain(A2, A1))
    assert clib.same_bits(flat((A2 @ om.Transform(A1)).linearize()), flat(A2 @ A1))


@given(points)
def test_a_callable_kind_inside_a_chain(pts):
    w = make_warp()
    chain = A2 @ w @ om.Transform(A1)
    assert (chain.type_name, chain.is_composed, chain.is_linear) == ("cmath_xfcomposed", True, False)
    by_hand = A2.map(np.array([warp(*p) for p in A1.map(pts)]))
    assert clib.same_bits(chain.map(pts), by_hand)
    np.testing.assert_allclose(chain.inverse().map(chain.map(pts)), pts, atol=1e-9)
    # the chain rule: each part linearised where the chain reaches it
    p = pts[0]
    expected = A2 @ w.linearize(A1.map(p)) @ A1
    assert chain.linearize(p).isclose(expected, 1e-9)
    # the inverse kind linearises with the inverse of the forward Jacobian
    q = w.map(p)
    assert (w.linearize(p) @ w.inverse().linearize(q)).isclose(om.Affine(), 1e-12)


def test_many_points_map_as_each_point_alone():
    pts = np.random.default_rng(3).uniform(-50, 50, (1000, 2))
    for t in (A2 @ make_warp() @ om.Transform(A1), om.Transform(A1) @ om.Transform(A2)):
        assert clib.same_bits(t.map(pts), np.array([t.map(p) for p in pts]))


def test_kinds_answer_queries_by_type_name():
    w = make_warp()
    chain = om.Transform(A1) @ w
    assert w.type_name == "test_warp" and w.inverse().type_name == "test_warp"
    assert [w.answers(n) for n in ("test_warp", "cmath_xform", "cmath_xfcomposed")] == [True, True, False]
    assert [chain.answers(n) for n in ("test_warp", "cmath_xfcomposed")] == [False, True]


@pytest.mark.parametrize(
    "make, call, name",
    [
        (lambda: om.Transform.from_callable(warp), lambda t: t.inverse(), "cmath_errSingular"),
        (lambda: om.Transform.from_callable(warp, inverse=unwarp), lambda t: t.linearize((1, 1)), "cmath_errNotLinear"),
        (lambda: om.Transform(A1) @ make_warp(), lambda t: t.linearize(), "cmath_errNotLinear"),
        (lambda: om.Transform(om.Affine([[1, 2], [2, 4]])), lambda t: t.inverse(), "cmath_errSingular"),
    ],
)
def test_failures_raise_the_library_status(make, call, name):
    with pytest.raises(om.TransformError) as e:
        call(make())
    assert (e.value.name, e.value.status) == (name, clib.status(name))


def test_an_exception_in_a_callable_is_raised_again():
    raised = ValueError("outside the lens")

    def failing(x, y):
        if x > 1.0:
            raise raised
        return (x, y)

    chain = om.Transform(A2) @ om.Transform.from_callable(failing, jacobian=warp_jacobian)
    pts = np.array([[0.0, 0.0], [2.0, 0.0]])
    before = pts.copy()
    with pytest.raises(ValueError) as e:
        chain.map(pts)
    assert e.value is raised
    assert clib.same_bits(pts, before)
    with pytest.raises(ValueError):
        chain.linearize((5.0, 0.0))  # the chain maps the point before linearising the next part
    bad_shape = om.Transform.from_callable(lambda x, y: (x, y, 1.0))
    with pytest.raises(ValueError, match="point"):
        bad_shape.map((1.0, 2.0))
    assert clib.same_bits(chain.map(pts[:1]), A2.map(pts[:1]))  # the scope is clean afterwards


def test_linear_callable_kind():
    shift = om.Transform.from_callable(lambda x, y: (x + 1.0, y), jacobian=lambda x, y: np.eye(2), linear=True)
    assert shift.is_linear
    assert shift.linearize() == om.Affine(translation=(1.0, 0.0))


def test_reference_counts_and_no_leak_after_many_compositions():
    gc.collect()
    blocks = clib.outstanding()
    refs = sys.getrefcount(warp)
    w = make_warp()
    t = om.Transform(A1)
    chain = t @ w
    assert (w.reference_count, t.reference_count, chain.reference_count) == (2, 2, 1)
    alias = w.__copy__()
    assert w.reference_count == 3 and alias == w and w.clone().reference_count == 1
    del chain, alias
    assert w.reference_count == 1
    for _ in range(300):
        c = A2 @ w @ t @ w.inverse()
        c = c.inverse() @ c.clone()
        c.map([[1.0, 2.0]])
    del c, w, t
    gc.collect()
    assert clib.outstanding() == blocks
    assert sys.getrefcount(warp) == refs
