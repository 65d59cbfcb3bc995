"""Statistics: running statistics, averagers, the generator and the chi-squared test as the C
interface gives them, agreement with NumPy and SciPy, and failures as statuses."""

import ctypes as C
import math

import numpy as np
import pytest
from hypothesis import given
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp
from scipy import stats as sps

import clib
import orbmath as om

values = hnp.arrays(np.float64, st.integers(1, 50), elements=st.floats(-1e6, 1e6))
GETTERS = [("sum", "getSum"), ("sum_squares", "getSumSquares"), ("minimum", "getMinimum"), ("maximum", "getMaximum"),
           ("mean", "getMean"), ("variance", "getVariance"), ("std_dev", "getStdDev"), ("rms", "getRMS")]


@given(values, values)
def test_statistics_are_the_c_interface(v, w):
    s = om.Statistics(v)
    s.add(w[0])
    s.add(w.reshape(-1, 1)[1:])
    c = clib.Statistics()
    assert clib.call("cmath_statistics_init", c) == 0
    for chunk in (v, w):
        assert clib.call("cmath_statistics_addValues", c, chunk.ctypes.data_as(C.POINTER(C.c_double)),
                         C.c_int32(len(chunk))) == 0
    assert s.n == c.n == len(v) + len(w)
    for prop, getter in GETTERS:
        out = C.c_double()
        assert clib.call("cmath_statistics_" + getter, c, C.byref(out)) == 0
        assert clib.same_bits(getattr(s, prop), out.value), prop
    outs = [C.c_double() for _ in range(3)]
    assert clib.call("cmath_statistics_getMeanStdDevRms", c, *map(C.byref, outs)) == 0
    assert clib.same_bits(s.mean_std_rms(), [o.value for o in outs])
    np.testing.assert_allclose(s.mean, np.mean(np.concatenate([v, w])), rtol=1e-9, atol=1e-6)


def test_empty_statistics_raise_no_values():
    s = om.Statistics()
    with pytest.raises(om.StatisticsError) as e:
        s.mean
    assert (e.value.name, e.value.status) == ("cmath_errNoValues", clib.status("cmath_errNoValues"))
    assert s.n == 0


@pytest.mark.parametrize("seed", [0, 1, -7, 54773, 2**31 - 1, -(2**31)])
def test_random_sequence_is_the_c_sequence(seed):
    state = clib.RandomState()
    clib.fn("csRandomUniformInit2")(C.byref(state), seed)
    r = om.Random(seed)
    nxt = clib.fn("csRandomUniformNext2")
    assert clib.same_bits(r.draw(500), [nxt(C.byref(state), 0.0, 1.0) for _ in range(500)])
    assert clib.same_bits(r.next(-3.0, 5.0), nxt(C.byref(state), -3.0, 5.0))
    d = clib.Distribution()
    clib.fn("csUniformDistributionCT2")(C.byref(d), -2.0, 2.5)
    sample = clib.fn("randomSampleVar2")
    expected = np.array([sample(C.byref(state), C.byref(d)) for _ in range(50)], dtype=np.float32)
    assert np.array_equal(r.sample_uniform(50, -2.0, 2.5), expected)
    assert (r.seed, r.count) == (seed, state.count)


matrices = hnp.arrays(np.float64, (2, 2), elements=st.floats(-10, 10))


@given(st.lists(st.tuples(matrices, st.floats(0.0, 3.0), st.floats(-5, 5), st.floats(-5, 5)), min_size=1, max_size=6),
       st.sampled_from(["element", "scale_aspect"]))
def test_averagers_are_the_c_interface(items, mode):
    m, x = om.MatrixAverager(mode), om.AffineAverager(mode)
    cm, cx = clib.MatrixAverager(), clib.XformLinearAverager()
    suffix = "constructElement" if mode == "element" else "constructScaleAspect"
    assert clib.call("cmath_matrixAverager_" + suffix, cm) == 0
    assert clib.call("cmath_xformLinearAverager_" + suffix, cx) == 0
    for matrix, weight, tx, ty in items:
        a = om.Affine(matrix, (tx, ty))
        status = clib.call("cmath_matrixAverager_addWeighted", cm, clib.affine(a).matrix, C.c_double(weight))
        assert clib.call("cmath_xformLinearAverager_addWeighted", cx, clib.affine(a), C.c_double(weight)) == status
        if status < 0:  # a singular matrix in scale_aspect mode is refused and changes nothing
            for averager, item in ((m, matrix), (x, a)):
                with pytest.raises(om.StatisticsError) as e:
                    averager.add(item, weight)
                assert e.value.status == status
        else:
            m.add(matrix, weight)
            x.add(a, weight)
    out, valid = clib.Matrix(), C.c_int32()
    status = clib.call("cmath_matrixAverager_getAverage", cm, out, C.byref(valid))
    if status < 0:
        with pytest.raises(om.StatisticsError) as e:
            m.average()
        assert e.value.status == status
        return
    avg, ok = m.average()
    assert clib.same_bits(avg.ravel(), clib.as_array(out)) and ok == bool(valid.value)
    xout = clib.XformLinear()
    assert clib.call("cmath_xformLinearAverager_getAverage", cx, xout, C.byref(valid)) == 0
    xavg, ok = x.average()
    assert clib.same_bits(np.concatenate([xavg.translation, xavg.matrix.ravel()]), clib.as_array(xout))
    assert ok == bool(valid.value)


counts = hnp.arrays(np.float64, st.integers(3, 12), elements=st.integers(0, 60).map(float))


@given(counts, st.floats(0.01, 0.5))
def test_chi_squared_test_is_the_c_interface(observed, significance):
    expected = np.full(len(observed), max(observed.mean(), 1.0))
    callback = clib.ExpectedFn(lambda b, _: float(expected[b]))
    params, result = clib.ChiParams(significance), clib.ChiResult()
    status = clib.fn("cmath_chiSqTest")(observed.ctypes.data_as(C.POINTER(C.c_double)), C.c_int32(len(observed)),
                                        C.byref(params), callback, None, C.byref(result))
    if status < 0:
        with pytest.raises(om.StatisticsError) as e:
            om.chi_squared_test(observed, expected, significance)
        assert e.value.status == status
        return
    for exp in (expected, lambda b: expected[b]):
        r = om.chi_squared_test(observed, exp, significance)
        assert clib.same_bits(r.p_value, result.testStatistic)
        assert (r.passed, r.dofs) == (bool(result.passed), result.numDofs)


def test_chi_squared_agrees_with_scipy():
    observed = np.array([105.0, 106, 111, 89, 102, 87])
    r = om.chi_squared_test(observed, np.full(6, 100.0))
    ref = sps.chisquare(observed, np.full(6, 100.0))
    assert r.dofs == 5 and r.passed
    assert abs(r.p_value - ref.pvalue) < 1e-6
    x = np.linspace(0.1, 40.0, 30)
    for dofs in (1, 4, 25):
        np.testing.assert_allclose(om.chi_squared_cdf(x, dofs), sps.chi2.cdf(x, dofs), atol=1e-6)
    np.testing.assert_allclose(om.lgamma([0.5, 3.0, 170.5]), [math.lgamma(v) for v in (0.5, 3.0, 170.5)], rtol=1e-9)


def test_chi_squared_failures():
    failing = RuntimeError("no model for this bin")

    def expected(b):
        if b == 2:
            raise failing
        return 10.0

    with pytest.raises(RuntimeError) as e:
        om.chi_squared_test(np.full(5, 10.0), expected)
    assert e.value is failing
    for call, name in [
        (lambda: om.chi_squared_test(np.full(5, 10.0), np.full(5, 10.0), 1.5), "cmath_errBadSignificance"),
        (lambda: om.chi_squared_test([10.0, 10.0], [10.0, 10.0]), "cmath_errOutOfDomain"),
        (lambda: om.chi_squared_test([1.0, 1.0, 1.0, 1.0], np.ones(4)), "cmath_errOutOfDomain"),
        (lambda: om.chi_squared_cdf(1.0, 0), "cmath_errBadDofs"),
        (lambda: om.lgamma(0.0), "cmath_errOutOfDomain"),
        (lambda: om.MatrixAverager().average(), "cmath_errSingular"),
    ]:
        with pytest.raises(om.StatisticsError) as e:
            call()
        assert (e.value.name, e.value.status) == (name, clib.status(name))
