// Angles over NumPy arrays: the binary-angle trigonometry on arrays of counts, normalisation,
// the conversions of the angle classes, the clamped inverse trigonometry; and ranges and arcs
// (orbmath.Range, orbmath.Arc).
#include "common.hpp"

#include <climits>

namespace orbpy {

namespace {

constexpr Family R = Family::range;

template <class T>
using Array = py::array_t<T, py::array::c_style | py::array::forcecast>;

// Binds name(counts) -> f(count) for counts of type C.
template <class C, class Out, class F>
void countFunction(py::module_& m, const char* name, F f, const char* doc)
{
    m.def(
        name, [f](py::object counts) { return elementwise<Out>(asCounts<C>(counts, "counts"), f); }, py::arg("counts"),
        doc);
}

// Binds name(counts, fraction_bits) -> f(count, fraction_bits).
template <class C, class F>
void fixedFunction(py::module_& m, const char* name, F f, const char* doc)
{
    m.def(
        name,
        [f](py::object counts, int32_t bits) {
            return elementwise<int32_t>(asCounts<C>(counts, "counts"), [&](C c) { return f(&c, bits); });
        },
        py::arg("counts"), py::arg("fraction_bits"), doc);
}

// Binds name(values) -> f(value) over float64 values.
template <class Out, class F>
void valueFunction(py::module_& m, const char* name, F f, const char* doc)
{
    m.def(
        name, [f](py::object values) { return elementwise<Out>(asDoubles(values), f); }, py::arg("values"), doc);
}

// The elements of two array-likes broadcast against each other.
std::pair<py::object, py::object> broadcast(py::object a, py::object b)
{
    py::tuple both = py::module_::import("numpy").attr("broadcast_arrays")(a, b);
    return {both[0], both[1]};
}

// Integers of an array-like for an int32_t argument; ValueError outside the 32-bit range.
Array<int64_t> asInt32Values(py::handle obj, const char* what)
{
    py::array a = py::array::ensure(obj);
    if (!a) {
        throw py::error_already_set();
    }
    if (a.dtype().kind() != 'i' && a.dtype().kind() != 'u') {
        throw py::type_error(std::string(what) + " must be integers");
    }
    Array<int64_t> v(py::reinterpret_borrow<py::object>(a));
    const int64_t* d = v.data();
    for (py::ssize_t i = 0; i < v.size(); ++i) {
        if (d[i] < INT32_MIN || d[i] > INT32_MAX) {
            throw py::value_error(std::string(what) + " must lie in the 32-bit range");
        }
    }
    return v;
}

const char* kindName(int32_t kind)
{
    switch (kind) {
    case cmath_rangeKind_bounded:
        return "bounded";
    case cmath_rangeKind_empty:
        return "empty";
    case cmath_rangeKind_full:
        return "full";
    default:
        return "unknown";
    }
}

template <class Range>
std::string reprRange(const char* cls, const Range& r)
{
    if (r.kind != cmath_rangeKind_bounded) {
        return std::string(cls) + "." + kindName(r.kind) + "()";
    }
    return std::string(cls) + "(" + std::string(py::repr(py::float_(r.start))) + ", " +
           std::string(py::repr(py::float_(r.end))) + ")";
}

void bindTrigonometry(py::module_& a)
{
    countFunction<uint16_t, double>(a, "sin16", [](uint16_t c) { return cmath_sin16(&c); },
                                    "Sine of 16-bit binary angles (65536 counts per turn), from the Q30 table.");
    countFunction<uint16_t, double>(a, "cos16", [](uint16_t c) { return cmath_cos16(&c); },
                                    "Cosine of 16-bit binary angles, from the Q30 table.");
    countFunction<uint16_t, float>(a, "sin16f", [](uint16_t c) { return cmath_sin16F(&c); },
                                   "Sine of 16-bit binary angles in float32.");
    countFunction<uint16_t, float>(a, "cos16f", [](uint16_t c) { return cmath_cos16F(&c); },
                                   "Cosine of 16-bit binary angles in float32.");
    fixedFunction<uint16_t>(a, "sin16_fixed", cmath_sin16FixedPoint,
                            "Sine of 16-bit binary angles as int32 with fraction_bits fraction bits (0 ... 30).");
    fixedFunction<uint16_t>(a, "cos16_fixed", cmath_cos16FixedPoint,
                            "Cosine of 16-bit binary angles as int32 with fraction_bits fraction bits (0 ... 30).");
    countFunction<uint8_t, double>(a, "sin8", [](uint8_t c) { return cmath_sin8(&c); },
                                   "Sine of 8-bit binary angles (256 counts per turn).");
    countFunction<uint8_t, double>(a, "cos8", [](uint8_t c) { return cmath_cos8(&c); },
                                   "Cosine of 8-bit binary angles.");
    countFunction<uint8_t, float>(a, "sin8f", [](uint8_t c) { return cmath_sin8F(&c); },
                                  "Sine of 8-bit binary angles in float32.");
    countFunction<uint8_t, float>(a, "cos8f", [](uint8_t c) { return cmath_cos8F(&c); },
                                  "Cosine of 8-bit binary angles in float32.");
    fixedFunction<uint8_t>(a, "sin8_fixed", cmath_sin8FixedPoint,
                           "Sine of 8-bit binary angles as int32 with fraction_bits fraction bits.");
    fixedFunction<uint8_t>(a, "cos8_fixed", cmath_cos8FixedPoint,
                           "Cosine of 8-bit binary angles as int32 with fraction_bits fraction bits.");
    countFunction<uint8_t, float>(a, "sin_bin8", [](uint8_t c) { return cfSinBin8(c); },
                                  "Float sine of 8-bit angles from the full-turn float table.");
    countFunction<uint8_t, float>(a, "cos_bin8", [](uint8_t c) { return cfCosBin8(c); },
                                  "Float cosine of 8-bit angles from the full-turn float table.");
    countFunction<uint16_t, float>(a, "sin_bin", [](uint16_t c) { return cfSinBin(c); },
                                   "Float sine of 16-bit angles, interpolated within the segment of the high byte.");
    countFunction<uint16_t, float>(a, "cos_bin", [](uint16_t c) { return cfCosBin(c); },
                                   "Float cosine of 16-bit angles, interpolated as sin_bin.");
    a.def(
        "atan_bin8",
        [](py::object y, py::object x) {
            auto [yb, xb] = broadcast(y, x);
            const Array<int64_t> ys = asInt32Values(yb, "y"), xs = asInt32Values(xb, "x");
            const int64_t* xd = xs.data();
            py::ssize_t i = 0;
            return elementwise<uint8_t>(ys, [&](int64_t yv) {
                return cfAtanBin8(static_cast<int32_t>(yv), static_cast<int32_t>(xd[i++]));
            });
        },
        py::arg("y"), py::arg("x"),
        "The 8-bit binary angle of the vectors (x, y), y first, from the arctangent table; (0, 0) gives 0.");
}

void bindConversions(py::module_& a)
{
    valueFunction<double>(
        a, "degree_norm",
        [](double v) {
            const cmath_degree d{v};
            return cmath_degree_norm(&d).value;
        },
        "Angles in degrees reduced to [0, 360).");
    valueFunction<double>(
        a, "degree_signed_norm",
        [](double v) {
            const cmath_degree d{v};
            return cmath_degree_signedNorm(&d).value;
        },
        "Angles in degrees reduced to [-180, 180).");
    valueFunction<double>(
        a, "radian_norm",
        [](double v) {
            const cmath_radian r{v};
            return cmath_radian_norm(&r).value;
        },
        "Angles in radians reduced to [0, 2 pi).");
    valueFunction<double>(
        a, "radian_signed_norm",
        [](double v) {
            const cmath_radian r{v};
            return cmath_radian_signedNorm(&r).value;
        },
        "Angles in radians reduced to [-pi, pi).");
    a.def(
        "radian_isclose",
        [](py::object x, py::object y, double tolerance) {
            auto [xb, yb] = broadcast(x, y);
            const Doubles xs = asDoubles(xb), ys = asDoubles(yb);
            const double* yd = ys.data();
            py::ssize_t i = 0;
            return elementwise<bool>(xs, [&](double xv) {
                const cmath_radian ra{xv}, rb{yd[i++]};
                return cmath_radian_epsilonEqual(&ra, &rb, &tolerance) != 0;
            });
        },
        py::arg("a"), py::arg("b"), py::arg("tolerance"),
        "True where the wrapped difference of the angles (radians) is within tolerance.");

    valueFunction<uint16_t>(
        a, "angle16_from_degrees", [](double v) { return cxAngle16(cxDegree(v)).value; },
        "16-bit counts of angles in degrees (rounded to the nearest count, wrapped to one turn).");
    valueFunction<uint16_t>(
        a, "angle16_from_radians", [](double v) { return cxAngle16(cxRadian(v)).value; },
        "16-bit counts of angles in radians.");
    valueFunction<uint8_t>(
        a, "angle8_from_degrees", [](double v) { return cxAngle8(cxDegree(v)).value; },
        "8-bit counts of angles in degrees.");
    valueFunction<uint8_t>(
        a, "angle8_from_radians", [](double v) { return cxAngle8(cxRadian(v)).value; },
        "8-bit counts of angles in radians.");
    countFunction<uint16_t, uint8_t>(
        a, "angle8_from_angle16", [](uint16_t c) { return cxAngle8(cxAngle16(c)).value; },
        "The nearest 8-bit counts of 16-bit counts, halves up.");
    countFunction<uint16_t, double>(
        a, "degrees_from_angle16", [](uint16_t c) { return cxDegree(cxAngle16(c)).value; },
        "16-bit counts in degrees, in [0, 360).");
    countFunction<uint16_t, double>(
        a, "radians_from_angle16", [](uint16_t c) { return cxRadian(cxAngle16(c)).value; },
        "16-bit counts in radians.");
    countFunction<uint8_t, double>(
        a, "degrees_from_angle8", [](uint8_t c) { return cxDegree(cxAngle8(c)).value; },
        "8-bit counts in degrees, in [0, 360).");
    countFunction<uint8_t, double>(
        a, "radians_from_angle8", [](uint8_t c) { return cxRadian(cxAngle8(c)).value; },
        "8-bit counts in radians.");
    valueFunction<double>(
        a, "degrees_from_radians", [](double v) { return cxDegree(cxRadian(v)).value; }, "Radians in degrees.");
    valueFunction<double>(
        a, "radians_from_degrees", [](double v) { return cxRadian(cxDegree(v)).value; }, "Degrees in radians.");
    valueFunction<double>(
        a, "acos_safe", [](double v) { return cmath_acosSafe(v).value; },
        "acos of the values clamped to [-1, 1] (NaN is taken as -1).");
    valueFunction<double>(
        a, "asin_safe", [](double v) { return cmath_asinSafe(v).value; },
        "asin of the values clamped to [-1, 1] (NaN is taken as -1).");
}

void bindRanges(py::module_& m)
{
    py::class_<cmath_range> range(m, "Range", R"(A closed interval [start, end] of reals, or the empty or full range (cmath_range). Immutable.)");
    range
        .def(py::init([](double start, double end) {
                 cmath_range r;
                 ORBPY_CHECK(R, cmath_range_init, &r, start, end);
                 return r;
             }),
             py::arg("start"), py::arg("end"), "The bounded range; RangeError (cmath_errBadRange) when start > end.")
        .def_static(
            "empty",
            []() {
                cmath_range r;
                ORBPY_CHECK(R, cmath_range_initEmpty, &r);
                return r;
            },
            "The range that holds no value.")
        .def_static(
            "full",
            []() {
                cmath_range r;
                ORBPY_CHECK(R, cmath_range_initFull, &r);
                return r;
            },
            "The range that holds every value.")
        .def_property_readonly(
            "kind", [](const cmath_range& r) { return kindName(r.kind); }, "'bounded', 'empty' or 'full'.")
        .def_readonly("start", &cmath_range::start, "The lower end (-inf for empty and full).")
        .def_readonly("end", &cmath_range::end, "The upper end (-inf for empty, +inf for full).")
        .def_property_readonly(
            "middle",
            [](const cmath_range& r) {
                double out = 0.0;
                ORBPY_CHECK(R, cmath_range_getMiddle, &r, &out);
                return out;
            },
            "(start + end) * 0.5, whatever the kind.")
        .def(
            "contains",
            [](const cmath_range& r, py::object values) {
                return elementwise<bool>(asDoubles(values), [&](double v) {
                    int32_t out = 0;
                    ORBPY_CHECK(R, cmath_range_isValueWithin, v, &r, &out);
                    return out != 0;
                });
            },
            py::arg("values"), "True where a value lies in the range (NaN never does).")
        .def(
            "within",
            [](const cmath_range& a, const cmath_range& b) {
                int32_t out = 0;
                ORBPY_CHECK(R, cmath_range_isWithin, &a, &b, &out);
                return out != 0;
            },
            py::arg("other"), "True when this range lies inside other.")
        .def(
            "overlaps",
            [](const cmath_range& a, const cmath_range& b) {
                int32_t out = 0;
                ORBPY_CHECK(R, cmath_range_isOverlap, &a, &b, &out);
                return out != 0;
            },
            py::arg("other"), "True when the ranges share a point.")
        .def(
            "scaled",
            [](const cmath_range& r, double factor) {
                cmath_range out;
                ORBPY_CHECK(R, cmath_range_initScale, &out, factor, &r);
                return out;
            },
            py::arg("factor"), "The range scaled by factor; RangeError (cmath_errBadScale) unless factor > 0.")
        .def(
            "mapped",
            [](const cmath_range& r, double scale, double offset) {
                cmath_xformLinear1 x;
                ORBPY_CHECK(R, cmath_xformLinear1_initMatrixTransElements, &x, scale, offset);
                cmath_range out;
                ORBPY_CHECK(R, cmath_range_map, &r, &x, &out);
                return out;
            },
            py::arg("scale"), py::arg("offset"),
            "The range mapped by v -> v * scale + offset (bounds exchanged when scale < 0).")
        .def(
            "__eq__",
            [](const cmath_range& a, const cmath_range& b) {
                int32_t out = 0;
                ORBPY_CHECK(R, cmath_range_compareEqual, &a, &b, &out);
                return out != 0;
            },
            py::is_operator(), "Exact equality of kind, start and end.")
        .def("__repr__", [](const cmath_range& r) { return reprRange("Range", r); });
    range.attr("__hash__") = py::none();

    py::class_<cmath_angleRange> arc(m, "Arc", R"(An arc of the circle from start to end, counter-clockwise, in radians; or the empty or full circle (cmath_angleRange). Immutable.)");
    arc.def(py::init([](double start, double end) {
                const cmath_radian s{start}, e{end};
                cmath_angleRange r;
                ORBPY_CHECK(R, cmath_angleRange_init, &r, &s, &e);
                return r;
            }),
            py::arg("start"), py::arg("end"), "The arc from start to end, stored unchanged.")
        .def_static(
            "empty",
            []() {
                cmath_angleRange r;
                ORBPY_CHECK(R, cmath_angleRange_initEmpty, &r);
                return r;
            },
            "The empty arc.")
        .def_static(
            "full",
            []() {
                cmath_angleRange r;
                ORBPY_CHECK(R, cmath_angleRange_initFull, &r);
                return r;
            },
            "The full circle.")
        .def_property_readonly(
            "kind", [](const cmath_angleRange& r) { return kindName(r.kind); }, "'bounded', 'empty' or 'full'.")
        .def_readonly("start", &cmath_angleRange::start, "Where the arc begins (radians).")
        .def_readonly("end", &cmath_angleRange::end, "Where the arc ends (radians).")
        .def_property_readonly(
            "middle",
            [](const cmath_angleRange& r) {
                cmath_radian out;
                ORBPY_CHECK(R, cmath_angleRange_getMiddle, &r, &out);
                return out.value;
            },
            "(start + end) * 0.5, without regard to wrapping.")
        .def(
            "contains",
            [](const cmath_angleRange& r, py::object angles) {
                return elementwise<bool>(asDoubles(angles), [&](double v) {
                    const cmath_radian a{v};
                    int32_t out = 0;
                    ORBPY_CHECK(R, cmath_angleRange_isValueWithin, &a, &r, &out);
                    return out != 0;
                });
            },
            py::arg("angles"), "True where an angle (radians) lies on the arc.")
        .def(
            "within",
            [](const cmath_angleRange& a, const cmath_angleRange& b) {
                int32_t out = 0;
                ORBPY_CHECK(R, cmath_angleRange_isWithin, &a, &b, &out);
                return out != 0;
            },
            py::arg("other"), "True when this arc lies inside other.")
        .def(
            "overlaps",
            [](const cmath_angleRange& a, const cmath_angleRange& b) {
                int32_t out = 0;
                ORBPY_CHECK(R, cmath_angleRange_isOverlap, &a, &b, &out);
                return out != 0;
            },
            py::arg("other"), "True when the arcs share an angle.")
        .def(
            "__eq__",
            [](const cmath_angleRange& a, const cmath_angleRange& b) {
                int32_t out = 0;
                ORBPY_CHECK(R, cmath_angleRange_compareEqual, &a, &b, &out);
                return out != 0;
            },
            py::is_operator(), "Exact equality of kind, start and end.")
        .def("__repr__", [](const cmath_angleRange& r) { return reprRange("Arc", r); });
    arc.attr("__hash__") = py::none();
}

} // namespace

void bindAngle(py::module_& m)
{
    py::module_ a = m.def_submodule("angle", "Angles over NumPy arrays.");
    bindTrigonometry(a);
    bindConversions(a);
    bindRanges(m);
}

} // namespace orbpy
