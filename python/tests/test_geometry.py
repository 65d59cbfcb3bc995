"""Affine and Rigid: bit-identical to the C interface on the same inputs, the fit in agreement
with NumPy and scikit-image, and failures as statuses."""

import ctypes as C

import numpy as np
import pytest
from hypothesis import assume, given
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

import clib
import orbmath as om

reals = st.floats(-1e3, 1e3, allow_nan=False, allow_infinity=False)
angles = st.floats(-10.0, 10.0, allow_nan=False)
affines = st.lists(reals, min_size=6, max_size=6).map(lambda v: om.Affine([v[:2], v[2:4]], v[4:]))
# singular matrices are drawn often enough to exercise the failure paths
singular_affines = st.tuples(reals, reals, reals).map(lambda v: om.Affine([[v[0], v[1]], [2 * v[0], 2 * v[1]]], v[1:]))
points = hnp.arrays(np.float64, st.tuples(st.integers(1, 6), st.just(2)), elements=reals)


def flat(a):
    return np.concatenate([a.translation, a.matrix.ravel()])


def same_or_same_failure(py, c_name, c_args, c_out, read, error=om.GeometryError):
    """The package gives the C function's result bit for bit, or raises its status."""
    status = clib.call(c_name, *c_args, c_out if isinstance(c_out, C.Structure) else C.byref(c_out))
    if status < 0:
        with pytest.raises(error) as e:
            py()
        assert (e.value.status, e.value.name) == (status, om.status_names()[status])
    else:
        assert clib.same_bits(py(), read(c_out)), c_name


DECOMPOSITION = [
    ("determinant", "cmath_matrix_getDeterminant", C.c_double),
    ("rotation", "cmath_matrix_getRotation", clib.Radian),
    ("x_rotation", "cmath_matrix_getXRotation", clib.Radian),
    ("y_rotation", "cmath_matrix_getYRotation", clib.Radian),
    ("scale", "cmath_matrix_getScale", C.c_double),
    ("x_scale", "cmath_matrix_getXScale", C.c_double),
    ("y_scale", "cmath_matrix_getYScale", C.c_double),
    ("aspect", "cmath_matrix_getAspect", C.c_double),
    ("shear", "cmath_matrix_getShear", clib.Radian),
]
POINT_MAPS = [
    ("map", "cmath_xformLinear_mapPoint"),
    ("inv_map", "cmath_xformLinear_invMapPoint"),
    ("map_vectors", "cmath_xformLinear_mapVector"),
    ("inv_map_vectors", "cmath_xformLinear_invMapVector"),
]


def scalar(out):
    return out.value


@given(st.one_of(affines, singular_affines), affines, points, angles)
def test_affine_is_the_c_interface(a, b, pts, angle):
    ca, cb = clib.affine(a), clib.affine(b)
    out = clib.XformLinear()
    assert clib.call("cmath_xformLinear_initCompose", out, ca, cb) == 0
    assert clib.same_bits(flat(a @ b), clib.as_array(out))
    same_or_same_failure(lambda: flat(a.inverse()), "cmath_xformLinear_getInverse", [ca], clib.XformLinear(),
                         clib.as_array)
    for prop, c_name, out_type in DECOMPOSITION:
        same_or_same_failure(lambda: getattr(a, prop), c_name, [ca.matrix], out_type(), scalar)
    for method, c_name in POINT_MAPS:
        expected = []
        for p in pts:
            q = clib.Vect()
            status = clib.call(c_name, ca, clib.Vect(*p), q)
            expected.append(clib.as_array(q) if status >= 0 else status)
        if any(isinstance(e, int) for e in expected):
            with pytest.raises(om.GeometryError) as e:
                getattr(a, method)(pts)
            assert e.value.status == next(e for e in expected if isinstance(e, int))
        else:
            assert clib.same_bits(getattr(a, method)(pts), np.array(expected)), method
    same_or_same_failure(lambda: a.inv_map_angles(angle), "cmath_xformLinear_invMapAngle", [ca, clib.Radian(angle)],
                         clib.Radian(), scalar)
    same_or_same_failure(lambda: a.map_angles(angle), "cmath_xformLinear_mapAngle", [ca, clib.Radian(angle)],
                         clib.Radian(), scalar)


@given(st.floats(0.01, 100), st.floats(-10, 10), st.floats(-1.5, 1.5), angles, reals, reals)
def test_decomposition_construction_is_the_c_interface(scale, aspect, shear, rotation, tx, ty):
    m = clib.Matrix()
    assert clib.call("cmath_matrix_initScaleAspect", m, C.c_double(scale), C.c_double(aspect), clib.Radian(shear),
                     clib.Radian(rotation)) == 0
    a = om.Affine.from_decomposition(scale, aspect, shear, rotation, (tx, ty))
    assert clib.same_bits(a.matrix.ravel(), clib.as_array(m))
    assert clib.same_bits(a.translation, [tx, ty])


@given(angles, reals, reals, angles, reals, reals, points)
def test_rigid_is_the_c_interface(a1, x1, y1, a2, x2, y2, pts):
    r1, r2 = om.Rigid(a1, (x1, y1)), om.Rigid(a2, (x2, y2))
    c1, c2 = clib.XformRigid(), clib.XformRigid()
    assert clib.call("cmath_xformRigid_initAngleTransElements", c1, clib.Radian(a1), C.c_double(x1), C.c_double(y1)) == 0
    assert clib.call("cmath_xformRigid_initAngleTransElements", c2, clib.Radian(a2), C.c_double(x2), C.c_double(y2)) == 0

    def fields(r):
        return np.array([*r.translation, r.angle, r.sine, r.cosine])

    def cfields(c):
        return np.array([c.trans.x, c.trans.y, c.angle, c.sine, c.cosine])

    out = clib.XformRigid()
    assert clib.call("cmath_xformRigid_initCompose", out, c1, c2) == 0
    assert clib.same_bits(fields(r1 @ r2), cfields(out))
    assert clib.call("cmath_xformRigid_getInverse", c1, out) == 0
    assert clib.same_bits(fields(r1.inverse()), cfields(out))
    lin = clib.XformLinear()
    assert clib.call("cmath_xformRigid_getXformLinear", c1, lin) == 0
    assert clib.same_bits(flat(r1.to_affine()), clib.as_array(lin))
    mapped = []
    for p in pts:
        q = clib.Vect()
        assert clib.call("cmath_xformRigid_mapPoint", c1, clib.Vect(*p), q) == 0
        mapped.append(clib.as_array(q))
    assert clib.same_bits(r1.map(pts), np.array(mapped))


@given(st.integers(3, 40), st.integers(0, 2**32 - 1), st.floats(0.0, 1.0))
def test_fit_is_the_c_interface_and_agrees_with_numpy_and_skimage(n, seed, noise):
    rng = np.random.default_rng(seed)
    src = rng.uniform(-100, 100, (n, 2))
    truth = om.Affine.from_decomposition(1.5, 0.8, 0.1, 0.5, (10.0, -5.0))
    dst = truth.map(src) + rng.normal(0.0, noise, (n, 2))
    out = clib.XformLinear()
    status = clib.call("cmath_xformLinear_initPoints", out, dst.ctypes.data_as(C.POINTER(clib.Vect)),
                       src.ctypes.data_as(C.POINTER(clib.Vect)), C.c_int32(n))
    if status < 0:
        with pytest.raises(om.GeometryError):
            om.Affine.fit(src, dst)
        return
    fit = om.Affine.fit(src, dst)
    assert clib.same_bits(flat(fit), clib.as_array(out))

    design = np.hstack([src, np.ones((n, 1))])
    assume(np.linalg.cond(design) < 1e6)
    params, *_ = np.linalg.lstsq(design, dst, rcond=None)  # rows: x, y, 1 -> columns of matrix.T, translation
    np.testing.assert_allclose(fit.matrix, params[:2].T, rtol=1e-8, atol=1e-8)
    np.testing.assert_allclose(fit.translation, params[2], rtol=1e-8, atol=1e-6)

    # scikit-image estimates by total least squares, which differs from ours on noisy points:
    # compare on the exact correspondences, where both must find the transform itself.
    from skimage.transform import AffineTransform

    exact = truth.map(src)
    sk = AffineTransform()
    assert sk.estimate(src, exact)
    exact_fit = om.Affine.fit(src, exact)
    np.testing.assert_allclose(exact_fit.matrix, sk.params[:2, :2], rtol=1e-9, atol=1e-9)
    np.testing.assert_allclose(exact_fit.translation, sk.params[:2, 2], rtol=1e-9, atol=1e-7)


@pytest.mark.parametrize(
    "call, name",
    [
        (lambda: om.Affine([[1, 2], [2, 4]]).inverse(), "cmath_errSingular"),
        (lambda: om.Affine([[0, 0], [0, 0]]).rotation, "cmath_errSingular"),
        (lambda: om.Affine([[1, 2], [2, 4]]).inv_map_area(1.0), "cmath_errSingular"),
        (lambda: om.Affine.fit([[0, 0], [1, 0]], [[0, 0], [1, 0]]), "cmath_errFailed"),
        (lambda: om.Affine.fit([[0, 0], [1, 1], [2, 2]], [[0, 0], [1, 0], [3, 3]]), "cmath_errFailed"),
    ],
)
def test_failures_raise_the_library_status(call, name):
    with pytest.raises(om.GeometryError) as e:
        call()
    assert (e.value.name, e.value.status) == (name, clib.status(name))
    assert f"0x{e.value.code:08X}" in str(e.value)


def test_a_failing_mapping_returns_nothing_and_leaves_the_points_alone():
    pts = np.array([[1.0, 2.0], [3.0, 4.0]])
    before = pts.copy()
    with pytest.raises(om.GeometryError):
        om.Affine([[1, 2], [2, 4]]).inv_map(pts)
    assert clib.same_bits(pts, before)


@pytest.mark.parametrize("bad", [np.zeros((3, 3)), np.zeros(3), np.zeros((2, 2, 2))])
def test_points_of_the_wrong_shape_are_refused(bad):
    with pytest.raises(ValueError):
        om.Affine().map(bad)
