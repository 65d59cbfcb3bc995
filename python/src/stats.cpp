// Statistics: running statistics fed from arrays (orbmath.Statistics), the matrix and affine
// averagers, the reproducible uniform generator (orbmath.Random) and the chi-squared test.
#include "common.hpp"

#include <limits>

namespace orbpy {

namespace {

constexpr Family S = Family::statistics;

template <class F>
double getter(const cmath_statistics& s, F f, const char* name)
{
    double out = 0.0;
    check(f(&s, &out), S, name);
    return out;
}

int32_t averagerMode(const std::string& mode)
{
    if (mode == "element") {
        return cmath_matrixAverager_modeElement;
    }
    if (mode == "scale_aspect") {
        return cmath_matrixAverager_modeScaleAspect;
    }
    throw py::value_error("mode must be 'element' or 'scale_aspect'");
}

const char* averagerModeName(int32_t mode)
{
    return mode == cmath_matrixAverager_modeScaleAspect ? "scale_aspect" : "element";
}

// The expected counts of the chi-squared test: from an array, or from a Python callable.
struct Expected {
    const double* values;
    PyObject* function;
};

double expectedFromArray(int32_t bin, void* context)
{
    return static_cast<const Expected*>(context)->values[bin];
}

double expectedFromCallable(int32_t bin, void* context)
{
    try {
        py::object r = py::reinterpret_borrow<py::object>(static_cast<const Expected*>(context)->function)(bin);
        return r.cast<double>();
    } catch (...) {
        CallbackScope::fail();
        return std::numeric_limits<double>::quiet_NaN();
    }
}

struct ChiSquared {
    bool passed;
    double pValue;
    int32_t dofs;
};

} // namespace

void bindStats(py::module_& m)
{
    py::class_<cmath_statistics>(m, "Statistics", R"(Running statistics of a stream of doubles (cmath_statistics): count, sum, sum of squares, extremes.

Feed it from arrays with add(); the queries raise StatisticsError (cmath_errNoValues) while it is empty.)")
        .def(py::init([](py::object values) {
                 cmath_statistics s;
                 ORBPY_CHECK(S, cmath_statistics_init, &s);
                 if (!values.is_none()) {
                     const Doubles v = asDoubles(values);
                     ORBPY_CHECK(S, cmath_statistics_addValues, &s, v.data(), asCount(v.size(), "values"));
                 }
                 return s;
             }),
             py::arg("values") = py::none(), "Empty statistics, then the values of an array-like (any shape, C order).")
        .def(
            "add",
            [](cmath_statistics& s, py::object values) {
                const Doubles v = asDoubles(values);
                ORBPY_CHECK(S, cmath_statistics_addValues, &s, v.data(), asCount(v.size(), "values"));
            },
            py::arg("values"), "Adds a value or every value of an array-like, in C order.")
        .def(
            "merge",
            [](cmath_statistics& s, const cmath_statistics& other) {
                ORBPY_CHECK(S, cmath_statistics_addStatistics, &s, &other);
            },
            py::arg("other"), "Adds the values counted by other.")
        .def(
            "copy",
            [](const cmath_statistics& s) {
                cmath_statistics out;
                ORBPY_CHECK(S, cmath_statistics_assign, &out, &s);
                return out;
            },
            "An independent copy.")
        .def_property_readonly(
            "n",
            [](const cmath_statistics& s) {
                int32_t out = 0;
                ORBPY_CHECK(S, cmath_statistics_getN, &s, &out);
                return out;
            },
            "The number of values.")
        .def_property_readonly(
            "sum", [](const cmath_statistics& s) { return getter(s, cmath_statistics_getSum, "cmath_statistics_getSum"); },
            "The sum of the values.")
        .def_property_readonly(
            "sum_squares",
            [](const cmath_statistics& s) {
                return getter(s, cmath_statistics_getSumSquares, "cmath_statistics_getSumSquares");
            },
            "The sum of their squares.")
        .def_property_readonly(
            "minimum",
            [](const cmath_statistics& s) { return getter(s, cmath_statistics_getMinimum, "cmath_statistics_getMinimum"); },
            "The smallest value.")
        .def_property_readonly(
            "maximum",
            [](const cmath_statistics& s) { return getter(s, cmath_statistics_getMaximum, "cmath_statistics_getMaximum"); },
            "The largest value.")
        .def_property_readonly(
            "mean",
            [](const cmath_statistics& s) { return getter(s, cmath_statistics_getMean, "cmath_statistics_getMean"); },
            "sum / n.")
        .def_property_readonly(
            "variance",
            [](const cmath_statistics& s) {
                return getter(s, cmath_statistics_getVariance, "cmath_statistics_getVariance");
            },
            "The sample variance (n - 1 in the denominator; 0.0 for one value).")
        .def_property_readonly(
            "std_dev",
            [](const cmath_statistics& s) { return getter(s, cmath_statistics_getStdDev, "cmath_statistics_getStdDev"); },
            "The sample standard deviation.")
        .def_property_readonly(
            "rms", [](const cmath_statistics& s) { return getter(s, cmath_statistics_getRMS, "cmath_statistics_getRMS"); },
            "The root mean square.")
        .def(
            "mean_std_rms",
            [](const cmath_statistics& s) {
                double mean = 0.0, std = 0.0, rms = 0.0;
                ORBPY_CHECK(S, cmath_statistics_getMeanStdDevRms, &s, &mean, &std, &rms);
                return py::make_tuple(mean, std, rms);
            },
            "(mean, standard deviation, rms) in one pass (the last bits may differ from the single queries).")
        .def(
            "abs_extreme_and_rms",
            [](const cmath_statistics& s) {
                double extreme = 0.0, rms = 0.0;
                ORBPY_CHECK(S, cmath_statistics_getAbsExtremeAndRMS, &s, &extreme, &rms);
                return py::make_tuple(extreme, rms);
            },
            "(largest magnitude, rms).")
        .def("__repr__", [](const cmath_statistics& s) { return "<orbmath.Statistics n=" + std::to_string(s.n) + ">"; });

    py::class_<cmath_matrixAverager>(m, "MatrixAverager", R"(Weighted average of 2x2 matrices (cmath_matrixAverager).

mode 'element' averages element by element; 'scale_aspect' averages the decomposition
(geometric means of scale and |aspect|, mean shear, circular mean of the rotation).)")
        .def(py::init([](const std::string& mode) {
                 cmath_matrixAverager a;
                 if (averagerMode(mode) == cmath_matrixAverager_modeElement) {
                     ORBPY_CHECK(S, cmath_matrixAverager_constructElement, &a);
                 } else {
                     ORBPY_CHECK(S, cmath_matrixAverager_constructScaleAspect, &a);
                 }
                 return a;
             }),
             py::arg("mode") = "element")
        .def(
            "add",
            [](cmath_matrixAverager& a, py::object matrix, double weight) {
                const cmath_matrix mat = asMatrix2(matrix, "matrix");
                ORBPY_CHECK(S, cmath_matrixAverager_addWeighted, &a, &mat, weight);
            },
            py::arg("matrix"), py::arg("weight") = 1.0,
            "Adds a 2x2 matrix with a weight (in scale_aspect mode a singular matrix changes nothing).")
        .def(
            "average",
            [](const cmath_matrixAverager& a) {
                cmath_matrix out;
                int32_t valid = 0;
                ORBPY_CHECK(S, cmath_matrixAverager_getAverage, &a, &out, &valid);
                return py::make_tuple(toArray(out), valid != 0);
            },
            "(average 2x2 matrix, valid). StatisticsError (cmath_errSingular) when nothing was added.")
        .def(
            "copy",
            [](const cmath_matrixAverager& a) {
                cmath_matrixAverager out;
                ORBPY_CHECK(S, cmath_matrixAverager_constructCopy, &out, &a);
                return out;
            },
            "An independent copy.")
        .def_property_readonly(
            "mode", [](const cmath_matrixAverager& a) { return averagerModeName(a.mode); }, "'element' or 'scale_aspect'.")
        .def_readonly("count", &cmath_matrixAverager::count, "Contributions taken.")
        .def_readonly("total_weight", &cmath_matrixAverager::totalWeight, "The sum of the weights taken.");

    py::class_<cmath_xformLinearAverager>(m, "AffineAverager", R"(Weighted average of affine transforms, the pose averager (cmath_xformLinearAverager).

The matrix parts average as in MatrixAverager; the translations element by element.)")
        .def(py::init([](const std::string& mode) {
                 cmath_xformLinearAverager a;
                 if (averagerMode(mode) == cmath_matrixAverager_modeElement) {
                     ORBPY_CHECK(S, cmath_xformLinearAverager_constructElement, &a);
                 } else {
                     ORBPY_CHECK(S, cmath_xformLinearAverager_constructScaleAspect, &a);
                 }
                 return a;
             }),
             py::arg("mode") = "element")
        .def(
            "add",
            [](cmath_xformLinearAverager& a, const cmath_xformLinear& x, double weight) {
                ORBPY_CHECK(S, cmath_xformLinearAverager_addWeighted, &a, &x, weight);
            },
            py::arg("affine"), py::arg("weight") = 1.0, "Adds a transform with a weight.")
        .def(
            "average",
            [](const cmath_xformLinearAverager& a) {
                cmath_xformLinear out;
                int32_t valid = 0;
                ORBPY_CHECK(S, cmath_xformLinearAverager_getAverage, &a, &out, &valid);
                return py::make_tuple(out, valid != 0);
            },
            "(average Affine, valid). StatisticsError (cmath_errSingular) when nothing was added.")
        .def(
            "copy",
            [](const cmath_xformLinearAverager& a) {
                cmath_xformLinearAverager out;
                ORBPY_CHECK(S, cmath_xformLinearAverager_constructCopy, &out, &a);
                return out;
            },
            "An independent copy.")
        .def_property_readonly(
            "mode", [](const cmath_xformLinearAverager& a) { return averagerModeName(a.base.mode); },
            "'element' or 'scale_aspect'.")
        .def_property_readonly(
            "count", [](const cmath_xformLinearAverager& a) { return a.base.count; }, "Contributions taken.");

    py::class_<csRandomUniform2>(m, "Random", R"(The reproducible uniform generator (csRandomUniform2): exact 32-bit integer arithmetic, so a seed gives the same sequence as the C interface everywhere.)")
        .def(py::init([](int32_t seed) {
                 csRandomUniform2 state;
                 csRandomUniformInit2(&state, seed);
                 return state;
             }),
             py::arg("seed"))
        .def(
            "next", [](csRandomUniform2& r, double low, double high) { return csRandomUniformNext2(&r, low, high); },
            py::arg("low") = 0.0, py::arg("high") = 1.0, "The next value (high - low) * u + low, u uniform in [0, 1).")
        .def(
            "draw",
            [](csRandomUniform2& r, py::ssize_t n, double low, double high) {
                if (n < 0) {
                    throw py::value_error("n must not be negative");
                }
                py::array_t<double> out(n);
                double* d = out.mutable_data();
                for (py::ssize_t i = 0; i < n; ++i) {
                    d[i] = csRandomUniformNext2(&r, low, high);
                }
                return out;
            },
            py::arg("n"), py::arg("low") = 0.0, py::arg("high") = 1.0,
            "The next n values, in the order the generator gives them.")
        .def(
            "sample_uniform",
            [](csRandomUniform2& r, py::ssize_t n, float low, float high) {
                if (n < 0) {
                    throw py::value_error("n must not be negative");
                }
                csDistribution d;
                csUniformDistributionCT2(&d, low, high);
                py::array_t<float> out(n);
                float* f = out.mutable_data();
                for (py::ssize_t i = 0; i < n; ++i) {
                    f[i] = randomSampleVar2(&r, &d);
                }
                return out;
            },
            py::arg("n"), py::arg("low"), py::arg("high"),
            "n float32 draws from the sampler's uniform distribution on [low, high).")
        .def(
            "copy", [](const csRandomUniform2& r) { return r; }, "An independent copy of the state.")
        .def_readonly("seed", &csRandomUniform2::seed, "The seed the generator started from.")
        .def_readonly("count", &csRandomUniform2::count, "Values drawn since the start.");

    py::class_<ChiSquared>(m, "ChiSquaredResult", "The outcome of chi_squared_test.")
        .def_readonly("passed", &ChiSquared::passed, "True when the p-value exceeds the significance.")
        .def_readonly("p_value", &ChiSquared::pValue, "1 - F(X^2, dofs).")
        .def_readonly("dofs", &ChiSquared::dofs, "Degrees of freedom: groups - 1.")
        .def("__repr__", [](const ChiSquared& c) {
            return "ChiSquaredResult(passed=" + std::string(c.passed ? "True" : "False") +
                   ", p_value=" + std::string(py::repr(py::float_(c.pValue))) + ", dofs=" + std::to_string(c.dofs) +
                   ")";
        });

    m.def(
        "chi_squared_test",
        [](py::object observed, py::object expected, double significance) {
            const Doubles obs = asDoubles(observed);
            if (obs.ndim() != 1) {
                throw py::value_error("observed must be a 1-D array of counts");
            }
            const int32_t bins = asCount(obs.size(), "observed");
            cmath_chiSqTestParams params;
            ORBPY_CHECK(S, cmath_chiSqTestParams_construct, &params);
            params.significance = significance;
            cmath_chiSqTestResult result;
            ORBPY_CHECK(S, cmath_chiSqTestResult_construct, &result);
            Doubles expArray;
            Expected context{nullptr, nullptr};
            cmath_chiSqExpectedFn fn = expectedFromArray;
            if (PyCallable_Check(expected.ptr())) {
                context.function = expected.ptr();
                fn = expectedFromCallable;
            } else {
                expArray = asDoubles(expected);
                if (expArray.ndim() != 1 || expArray.size() != obs.size()) {
                    throw py::value_error("expected must be a callable or a 1-D array of the length of observed");
                }
                context.values = expArray.data();
            }
            {
                CallbackScope scope;
                const cmath_status st = cmath_chiSqTest(obs.data(), bins, &params, fn, &context, &result);
                scope.finish(st, S, "cmath_chiSqTest");
            }
            ChiSquared out{};
            int32_t passed = 0;
            ORBPY_CHECK(S, cmath_chiSqTestResult_getPassed, &result, &passed);
            ORBPY_CHECK(S, cmath_chiSqTestResult_getTestStatistic, &result, &out.pValue);
            ORBPY_CHECK(S, cmath_chiSqTestResult_getNumDofs, &result, &out.dofs);
            out.passed = passed != 0;
            return out;
        },
        py::arg("observed"), py::arg("expected"), py::arg("significance") = 0.05,
        R"(Pearson's chi-squared test of observed counts against expected counts.

expected is an array of the length of observed, or a callable expected(bin) -> count called
once per bin in order. Bins are merged in order until a group's observed total reaches 5.
StatisticsError for a significance outside (0, 1) (cmath_errBadSignificance), fewer than
three bins or groups (cmath_errOutOfDomain) or a distribution that does not converge.)");
    m.def(
        "chi_squared_cdf",
        [](py::object x, int32_t dofs) {
            return elementwise<double>(asDoubles(x), [&](double v) {
                double out = 0.0;
                ORBPY_CHECK(S, cmath_chiSquaredCDF, v, dofs, &out);
                return out;
            });
        },
        py::arg("x"), py::arg("dofs"), "The chi-squared distribution function P(dofs/2, x/2) at each x.");
    m.def(
        "lgamma",
        [](py::object x) {
            return elementwise<double>(asDoubles(x), [](double v) {
                double out = 0.0;
                ORBPY_CHECK(S, cmath_lgamma, v, &out);
                return out;
            });
        },
        py::arg("x"), "ln Gamma(x) for x > 0 (StatisticsError, cmath_errOutOfDomain, otherwise).");
}

} // namespace orbpy
