"""Angles and ranges: the table trigonometry over every count and the normalisations as the C
interface gives them, agreement with NumPy, counts wrapped, ranges and arcs as in C."""

import ctypes as C

import numpy as np
import pytest
from hypothesis import given
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

import clib
import orbmath as om
from orbmath import angle

ALL16 = np.arange(65536, dtype=np.uint16)
ALL8 = np.arange(256, dtype=np.uint8)

# (package function, C function, counts, how C takes the count, result dtype, tolerance to sin/cos)
TRIG = [
    (angle.sin16, "cmath_sin16", ALL16, "pointer", np.float64, 1e-9),
    (angle.cos16, "cmath_cos16", ALL16, "pointer", np.float64, 1e-9),
    (angle.sin16f, "cmath_sin16F", ALL16, "pointer", np.float32, 1e-7),
    (angle.cos16f, "cmath_cos16F", ALL16, "pointer", np.float32, 1e-7),
    (angle.sin8, "cmath_sin8", ALL8, "pointer", np.float64, 1e-9),
    (angle.cos8, "cmath_cos8", ALL8, "pointer", np.float64, 1e-9),
    (angle.sin8f, "cmath_sin8F", ALL8, "pointer", np.float32, 1e-7),
    (angle.cos8f, "cmath_cos8F", ALL8, "pointer", np.float32, 1e-7),
    (angle.sin_bin8, "cfSinBin8", ALL8, "value", np.float32, 2e-7),
    (angle.cos_bin8, "cfCosBin8", ALL8, "value", np.float32, 2e-7),
    (angle.sin_bin, "cfSinBin", ALL16, "value", np.float32, 1e-4),  # interpolated within 1/256 turn
    (angle.cos_bin, "cfCosBin", ALL16, "value", np.float32, 1e-4),
]


@pytest.mark.parametrize("py, c_name, counts, passing, dtype, tolerance", TRIG, ids=[t[1] for t in TRIG])
def test_trigonometry_is_the_c_interface_for_every_count(py, c_name, counts, passing, dtype, tolerance):
    f = clib.fn(c_name)
    ctype = C.c_uint16 if counts.dtype == np.uint16 else C.c_uint8
    if passing == "pointer":
        expected = [f(C.byref(ctype(int(c)))) for c in counts]
    else:
        expected = [f(int(c)) for c in counts]
    got = py(counts)
    assert got.dtype == dtype
    assert np.array_equal(got, np.array(expected, dtype=dtype))
    turn = 2.0 * np.pi * counts / (65536 if counts.dtype == np.uint16 else 256)
    exact = np.sin(turn) if "sin" in c_name.lower() else np.cos(turn)
    np.testing.assert_allclose(got, exact, atol=tolerance)


@pytest.mark.parametrize("bits", [0, 1, 15, 30])
@pytest.mark.parametrize("py, c_name, counts, ctype", [
    (angle.sin16_fixed, "cmath_sin16FixedPoint", ALL16[::97], C.c_uint16),
    (angle.cos16_fixed, "cmath_cos16FixedPoint", ALL16[::97], C.c_uint16),
    (angle.sin8_fixed, "cmath_sin8FixedPoint", ALL8, C.c_uint8),
    (angle.cos8_fixed, "cmath_cos8FixedPoint", ALL8, C.c_uint8),
])
def test_fixed_point_trigonometry_is_the_c_interface(py, c_name, counts, ctype, bits):
    f = clib.fn(c_name)
    expected = [f(C.byref(ctype(int(c))), bits) for c in counts]
    assert np.array_equal(py(counts, bits), np.array(expected, dtype=np.int32))


def test_counts_wrap_modulo_one_turn_and_must_be_integers():
    assert np.array_equal(angle.sin16([-1, 65536 + 5, 2**40 + 3]), angle.sin16([65535, 5, 3]))
    assert angle.cos8(256 + 64) == angle.cos8(64) == 0.0
    assert isinstance(angle.sin16(16384), np.float64) and angle.sin16(16384) == 1.0
    with pytest.raises(TypeError):
        angle.sin16([0.5])


values = hnp.arrays(np.float64, st.integers(1, 20), elements=st.floats(-1e4, 1e4))
NORMS = [
    (angle.degree_norm, "cmath_degree_norm"),
    (angle.degree_signed_norm, "cmath_degree_signedNorm"),
    (angle.radian_norm, "cmath_radian_norm"),
    (angle.radian_signed_norm, "cmath_radian_signedNorm"),
]


@given(values, hnp.arrays(np.int64, 8, elements=st.integers(-(2**24), 2**24)))
def test_normalisation_and_arctangent_are_the_c_interface(v, ints):
    for py, c_name in NORMS:
        f = clib.fn(c_name)
        assert clib.same_bits(py(v), [f(C.byref(clib.Radian(x))).value for x in v]), c_name
    clamped = np.concatenate([v / 5e3, [np.nan]])
    for py, c_name in ((angle.acos_safe, "cmath_acosSafe"), (angle.asin_safe, "cmath_asinSafe")):
        assert clib.same_bits(py(clamped), [clib.fn(c_name)(x).value for x in clamped]), c_name
    y, x = ints, ints[::-1]
    f = clib.fn("cfAtanBin8")
    assert np.array_equal(angle.atan_bin8(y, x), [f(int(a), int(b)) for a, b in zip(y, x)])


def test_conversions_follow_the_rounding_rule():
    # count = low bits of floor(v * K + 0.5), or 0 when that leaves the 32-bit range
    d = np.array([0.0, 0.00274658203125, -0.1, 359.99, 720.5, -1e9])

    def rule(k, mask):
        r = np.floor(d * k + 0.5).astype(np.int64)
        return np.where((r < -(2**31)) | (r >= 2**31), 0, r & mask)

    assert np.array_equal(angle.angle16_from_degrees(d), rule(182.04444444444445, 0xFFFF))
    assert np.array_equal(angle.angle8_from_degrees(d), rule(0.7111111111111111, 0xFF))
    assert np.array_equal(angle.degrees_from_angle16(ALL16), ALL16 * 0.0054931640625)
    assert np.array_equal(angle.angle8_from_angle16([127, 128, 65407, 65408]), [0, 1, 255, 0])
    np.testing.assert_allclose(angle.radians_from_degrees(d), np.radians(d), rtol=1e-15)


reals = st.floats(-100, 100, allow_nan=False)
ranges = st.one_of(
    st.tuples(reals, reals).map(lambda ab: om.Range(min(ab), max(ab))),
    st.sampled_from([om.Range.empty(), om.Range.full()]),
)
arcs = st.one_of(st.tuples(reals, reals).map(lambda ab: om.Arc(*ab)), st.sampled_from([om.Arc.empty(), om.Arc.full()]))


def c_range(r):
    return clib.Range({"bounded": 0, "empty": 1, "full": 2}[r.kind], r.start, r.end)


def c_answer(c_name, *args):
    out = C.c_int32(-1)
    assert clib.call(c_name, *args, C.byref(out)) == 0
    return bool(out.value)


@given(ranges, ranges, arcs, arcs, hnp.arrays(np.float64, 6, elements=st.floats(-120, 120)), st.floats(-3, 3))
def test_ranges_and_arcs_are_the_c_interface(r1, r2, a1, a2, v, factor):
    assert c_answer("cmath_range_isWithin", c_range(r1), c_range(r2)) == r1.within(r2)
    assert c_answer("cmath_range_isOverlap", c_range(r1), c_range(r2)) == r1.overlaps(r2)
    assert np.array_equal(r1.contains(v), [c_answer("cmath_range_isValueWithin", C.c_double(x), c_range(r1)) for x in v])
    ca1, ca2 = c_range(a1), c_range(a2)  # the arc record has the range's layout
    assert c_answer("cmath_angleRange_isWithin", ca1, ca2) == a1.within(a2)
    assert c_answer("cmath_angleRange_isOverlap", ca1, ca2) == a1.overlaps(a2)
    assert np.array_equal(a1.contains(v), [c_answer("cmath_angleRange_isValueWithin", clib.Radian(x), ca1) for x in v])
    out = clib.Range()
    status = clib.call("cmath_range_initScale", out, C.c_double(factor), c_range(r1))
    if status < 0:
        with pytest.raises(om.RangeError) as e:
            r1.scaled(factor)
        assert e.value.status == status
    else:
        s = r1.scaled(factor)
        assert clib.same_bits([s.start, s.end], [out.start, out.end]) and c_range(s).kind == out.kind
    x1 = clib.XformLinear1(5.0, factor)
    assert clib.call("cmath_range_map", c_range(r1), x1, out) == 0
    m = r1.mapped(factor, 5.0)
    assert clib.same_bits([m.start, m.end], [out.start, out.end])


@pytest.mark.parametrize("call, name", [
    (lambda: om.Range(2.0, 1.0), "cmath_errBadRange"),
    (lambda: om.Range(1.0, 2.0).scaled(0.0), "cmath_errBadScale"),
    (lambda: om.Range(1.0, 2.0).scaled(float("nan")), "cmath_errBadScale"),
])
def test_range_failures_raise_the_library_status(call, name):
    with pytest.raises(om.RangeError) as e:
        call()
    assert (e.value.name, e.value.status) == (name, clib.status(name))
