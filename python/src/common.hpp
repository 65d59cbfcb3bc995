// Shared pieces of the Python module: the exception that carries a library status to Python,
// conversions between NumPy arrays and the library's records, and the scope that brings a
// Python exception raised inside a callback back to the caller of the library function that
// ran the callback.
#ifndef ORBMATH_PYTHON_COMMON_HPP
#define ORBMATH_PYTHON_COMMON_HPP

#include <orbmath/orbmath.h>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace py = pybind11;

namespace orbpy {

// The families of orbmath.Error subclasses; the index into the table set by _register_errors.
enum class Family { geometry, transform, range, statistics, matrix, count };

// A negative status of the library, raised in Python as the family's orbmath.Error subclass.
// `condition` is the condition number a failed solve wrote (NaN when there is none).
class StatusError : public std::exception {
public:
    StatusError(cmath_status st, Family fam, const char* fn, double cond = NAN)
        : status(st), family(fam), function(fn), condition(cond)
    {
    }
    const char* what() const noexcept override { return function; }

    cmath_status status;
    Family family;
    const char* function;
    double condition;
};

// Raises StatusError when st is negative.
inline void check(cmath_status st, Family family, const char* function)
{
    if (st < 0) {
        throw StatusError(st, family, function);
    }
}

// check() of a library call, naming the function in the error: ORBPY_CHECK(family, fn, args...).
#define ORBPY_CHECK(family, fn, ...) ::orbpy::check(fn(__VA_ARGS__), family, #fn)

// The name of a status code ("cmath_errSingular"), or "unknown status" for codes the library
// does not define.
const char* statusName(cmath_status st);

// Carries the first Python exception that a callback raises while a library call runs on this
// thread. A callback reports such an exception to the library as kCallbackFailed; finish()
// then re-raises the Python exception itself, or raises the library's status when there was
// none. Scopes nest (a callback may call the library again).
class CallbackScope {
public:
    // The status a callback hands to the library when its Python code raised.
    static constexpr cmath_status kCallbackFailed = cmath_errFailed;

    CallbackScope();
    ~CallbackScope();
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;

    // For a callback's catch (...) block: keeps the exception in flight (as a Python
    // exception) in the innermost scope and returns kCallbackFailed.
    static cmath_status fail() noexcept;
    // True when a callback of this scope has raised.
    bool failed() const { return error_.has_value(); }
    // Re-raises a kept exception; otherwise raises StatusError when st is negative.
    void finish(cmath_status st, Family family, const char* function);

private:
    std::optional<py::error_already_set> error_;
    CallbackScope* outer_;
};

// ---- arrays -------------------------------------------------------------------------------

// C-contiguous float64 view (or converted copy) of any array-like.
using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// obj as a C-contiguous float64 array; TypeError/ValueError from NumPy when it cannot be one.
Doubles asDoubles(py::handle obj);

// Points given as a (2,) or (N, 2) array-like of numbers.
struct Points {
    Doubles array;
    py::ssize_t count; // N (1 for a single point)
    bool single;       // given as a (2,) array

    cmath_vect at(py::ssize_t i) const
    {
        const double* p = array.data() + 2 * i;
        return cmath_vect{p[0], p[1]};
    }
};
Points asPoints(py::handle obj, const char* what);
// A fresh float64 array of the shape of `like`'s input, (2,) or (N, 2).
py::array_t<double> newPointsLike(const Points& like);
// Runs f(const cmath_vect* in, cmath_vect* out, int32_t n) over the points of `in` into a fresh
// array, in blocks of at most 2^31 - 1 points (each point's result does not depend on the
// block). The first failing block's status is returned; the fresh array is then dropped.
template <class F>
cmath_status mapPointArray(const Points& in, py::array_t<double>& out, F f)
{
    const auto* src = reinterpret_cast<const cmath_vect*>(in.array.data());
    auto* dst = reinterpret_cast<cmath_vect*>(out.mutable_data());
    for (py::ssize_t done = 0; done < in.count;) {
        const auto n = static_cast<int32_t>(std::min<py::ssize_t>(in.count - done, INT32_MAX));
        const cmath_status st = f(src + done, dst + done, n);
        if (st < 0) {
            return st;
        }
        done += n;
    }
    return 0;
}
// Writes point i of an array made by newPointsLike.
inline void store(py::array_t<double>& out, py::ssize_t i, const cmath_vect& v)
{
    double* p = out.mutable_data() + 2 * i;
    p[0] = v.x;
    p[1] = v.y;
}
// The point (x, y) of a 2-sequence of numbers.
cmath_vect asPoint(py::handle obj, const char* what);
py::array_t<double> toArray(const cmath_vect& v);

// A 2x2 array-like of numbers as a matrix, row-major.
cmath_matrix asMatrix2(py::handle obj, const char* what);
py::array_t<double> toArray(const cmath_matrix& m);

// An array of the shape of `in` whose elements are f(each element of in); a 0-d input gives a
// NumPy scalar.
template <class Out, class In, class F>
py::object elementwise(const py::array_t<In, py::array::c_style | py::array::forcecast>& in, F f)
{
    py::array_t<Out> out(std::vector<py::ssize_t>(in.shape(), in.shape() + in.ndim()));
    const In* src = in.data();
    Out* dst = out.mutable_data();
    for (py::ssize_t i = 0, n = in.size(); i < n; ++i) {
        dst[i] = f(src[i]);
    }
    if (in.ndim() == 0) {
        return out[py::tuple()];
    }
    return py::object(std::move(out));
}

// An integer array-like as binary-angle counts of type T (uint8_t or uint16_t), wrapped
// modulo one turn; TypeError for arrays that are not of an integer type.
template <class T>
py::array_t<T, py::array::c_style | py::array::forcecast> asCounts(py::handle obj, const char* what)
{
    py::array a = py::array::ensure(obj);
    if (!a) {
        throw py::error_already_set();
    }
    const char kind = a.dtype().kind();
    if (kind != 'i' && kind != 'u') {
        throw py::type_error(std::string(what) + " must be integer counts (a full turn is " +
                             (sizeof(T) == 1 ? "256" : "65536") + " counts), not dtype " +
                             std::string(py::str(a.dtype())));
    }
    return py::array_t<T, py::array::c_style | py::array::forcecast>(py::reinterpret_borrow<py::object>(a));
}

// A count of elements for an int32_t argument; ValueError beyond the library's range.
int32_t asCount(py::ssize_t n, const char* what);

// UTF-16 type names.
std::u16string toU16(const std::string& utf8);
py::str fromU16(const char16_t* s);

// ---- the families ---------------------------------------------------------------------------

void bindErrors(py::module_& m);
void bindGeometry(py::module_& m);
void bindFits(py::module_& m); // after bindGeometry: adds to Affine and Rigid
void bindXform(py::module_& m);
void bindAngle(py::module_& m);
void bindStats(py::module_& m);
void bindMatrix(py::module_& m);

} // namespace orbpy

#endif
