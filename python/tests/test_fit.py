"""The rigid, similarity, weighted and robust fits: bit-identical to the C interface, in agreement
with scikit-image and NumPy, and failures that leave the generator where it was."""

import ctypes as C

import numpy as np
import pytest
from hypothesis import given
from hypothesis import strategies as st

import clib
import orbmath as om

SIMILARITY = om.Affine.from_decomposition(1.7, 1.0, 0.0, 0.4, (12.0, -3.0))
RIGID = om.Affine.from_decomposition(1.0, 1.0, 0.0, 0.4, (12.0, -3.0))


def pairs(n, seed, noise, truth=SIMILARITY):
    rng = np.random.default_rng(seed)
    src = rng.uniform(-50, 50, (n, 2))
    return src, truth.map(src) + rng.normal(0.0, noise, (n, 2)), rng.uniform(0.0, 2.0, n)


def ptr(a, kind=clib.Vect):
    return a.ctypes.data_as(C.POINTER(kind))


def rigid_fields(r):
    return np.array([*r.translation, r.angle, r.sine, r.cosine])


def c_rigid_fields(c):
    return np.array([c.trans.x, c.trans.y, c.angle, c.sine, c.cosine])


def flat(a):
    return np.concatenate([a.translation, a.matrix.ravel()])


# (package call, C function, C record, how to read each)
LEAST_SQUARES = [
    (lambda s, d, w: om.Affine.fit(s, d, w), "cmath_xformLinear_initPointsWeighted", clib.XformLinear, flat, clib.as_array),
    (lambda s, d, w: om.Affine.fit_similarity(s, d), "cmath_xformLinear_initPointsSimilarity", clib.XformLinear, flat,
     clib.as_array),
    (lambda s, d, w: om.Affine.fit_similarity(s, d, w), "cmath_xformLinear_initPointsSimilarityWeighted",
     clib.XformLinear, flat, clib.as_array),
    (lambda s, d, w: om.Affine.fit_rigid(s, d), "cmath_xformLinear_initPointsRigid", clib.XformLinear, flat,
     clib.as_array),
    (lambda s, d, w: om.Affine.fit_rigid(s, d, w), "cmath_xformLinear_initPointsRigidWeighted", clib.XformLinear, flat,
     clib.as_array),
    (lambda s, d, w: om.Rigid.fit(s, d), "cmath_xformRigid_initPoints", clib.XformRigid, rigid_fields, c_rigid_fields),
    (lambda s, d, w: om.Rigid.fit(s, d, w), "cmath_xformRigid_initPointsWeighted", clib.XformRigid, rigid_fields,
     c_rigid_fields),
]


@given(st.integers(0, 12), st.integers(0, 2**32 - 1), st.floats(0.0, 1.0))
def test_least_squares_fits_are_the_c_interface(n, seed, noise):
    src, dst, w = pairs(n, seed, noise)
    for py, c_name, record, read, c_read in LEAST_SQUARES:
        out = record()
        args = [out, ptr(dst), ptr(src)]
        if "Weighted" in c_name:
            args.append(ptr(w, C.c_double))
        status = clib.call(c_name, *args, C.c_int32(n))
        if status < 0:
            with pytest.raises(om.GeometryError) as e:
                py(src, dst, w)
            assert e.value.status == status, c_name
        else:
            assert clib.same_bits(read(py(src, dst, w)), c_read(out)), c_name


@pytest.mark.parametrize("model, c_name", [
    ("affine", "cmath_xformLinear_initPointsRobust"),
    ("similarity", "cmath_xformLinear_initPointsSimilarityRobust"),
    ("rigid", "cmath_xformLinear_initPointsRigidRobust"),
    (None, "cmath_xformRigid_initPointsRobust"),
])
def test_robust_fits_are_the_c_interface_and_find_the_outliers(model, c_name):
    src, dst, _ = pairs(60, 7, 0.01, SIMILARITY if model in ("affine", "similarity") else RIGID)
    outliers = np.arange(0, 60, 5)
    dst[outliers] += 25.0
    state = clib.RandomState()
    clib.fn("csRandomUniformInit2")(C.byref(state), 11)
    out = clib.XformRigid() if model is None else clib.XformLinear()
    mask, count = (C.c_int32 * 60)(), C.c_int32()
    assert clib.call(c_name, out, ptr(dst), ptr(src), C.c_int32(60), state, C.c_double(0.1), C.c_int32(500),
                     C.c_double(0.999), mask, C.byref(count)) == 0
    random = om.Random(11)
    if model is None:
        fit = om.Rigid.fit_robust(src, dst, random, 0.1, 500, 0.999)
        assert clib.same_bits(rigid_fields(fit.transform), c_rigid_fields(out))
    else:
        fit = om.Affine.fit_robust(src, dst, random, 0.1, 500, 0.999, model=model)
        assert clib.same_bits(flat(fit.transform), clib.as_array(out))
    assert np.array_equal(fit.inliers, np.array(mask[:], dtype=bool)) and fit.inlier_count == count.value
    assert random.count == state.count
    expected = np.ones(60, dtype=bool)
    expected[outliers] = False
    assert np.array_equal(fit.inliers, expected)


@given(st.integers(3, 30), st.integers(0, 2**32 - 1), st.floats(0.0, 0.5))
def test_fits_agree_with_scikit_image_and_numpy(n, seed, noise):
    from skimage.transform import EuclideanTransform, SimilarityTransform

    src, dst, w = pairs(n, seed, noise)
    for fit, sk in ((om.Affine.fit_similarity(src, dst), SimilarityTransform()),
                    (om.Affine.fit_rigid(src, dst), EuclideanTransform())):
        assert sk.estimate(src, dst)  # Umeyama's least squares, the same quantity
        np.testing.assert_allclose(fit.matrix, sk.params[:2, :2], rtol=1e-9, atol=1e-9)
        np.testing.assert_allclose(fit.translation, sk.params[:2, 2], rtol=1e-9, atol=1e-7)
    design = np.hstack([src, np.ones((n, 1))]) * np.sqrt(w)[:, None]
    if np.linalg.cond(design) < 1e6:
        params, *_ = np.linalg.lstsq(design, dst * np.sqrt(w)[:, None], rcond=None)
        weighted = om.Affine.fit(src, dst, w)
        np.testing.assert_allclose(weighted.matrix, params[:2].T, rtol=1e-8, atol=1e-8)
        np.testing.assert_allclose(weighted.translation, params[2], rtol=1e-8, atol=1e-6)


def test_fit_failures_leave_the_generator_where_it_was():
    src, dst, w = pairs(10, 1, 0.0)
    with pytest.raises(om.GeometryError) as e:
        om.Affine.fit(src, dst, np.where(np.arange(10) == 3, -1.0, w))
    assert e.value.name == "cmath_errOutOfDomain"
    random = om.Random(5)
    for kwargs in ({"threshold": -1.0}, {"threshold": 0.1, "max_iterations": 0}, {"threshold": 0.1, "confidence": 2.0}):
        with pytest.raises(om.GeometryError) as e:
            om.Affine.fit_robust(src, dst, random, **kwargs)
        assert e.value.name == "cmath_errOutOfDomain"
    with pytest.raises(om.GeometryError) as e:
        om.Rigid.fit_robust(src[:1], dst[:1], random, 0.1)
    assert e.value.name == "cmath_errFailed"
    assert random.count == 0 and random.next() == om.Random(5).next()
