// The extension module orbmath._core: status errors, array conversions, the callback scope, and
// the module definition that binds each family.
#include "common.hpp"

#include <dlfcn.h>

#include <array>
#include <climits>
#include <cstdio>

namespace orbpy {

namespace {

struct StatusEntry {
    cmath_status code;
    const char* name;
};

// Every status the library defines (common.h).
const std::array<StatusEntry, 23> kStatuses = {{
    {cmath_errFailed, "cmath_errFailed"},
    {csys_errNoMemory, "csys_errNoMemory"},
    {cmath_errNullArgument, "cmath_errNullArgument"},
    {cxVector_errNoMemory, "cxVector_errNoMemory"},
    {cxNMMatrix_errBadSize, "cxNMMatrix_errBadSize"},
    {cxNMMatrix_errSingular, "cxNMMatrix_errSingular"},
    {cxNMMatrix_errBadColumn, "cxNMMatrix_errBadColumn"},
    {cxNMMatrix_errBadRow, "cxNMMatrix_errBadRow"},
    {cxNMMatrix_errNotSquare, "cxNMMatrix_errNotSquare"},
    {cxNMMatrix_errSizeMismatch, "cxNMMatrix_errSizeMismatch"},
    {cmath_errNegativeCount, "cmath_errNegativeCount"},
    {cmath_errNoValues, "cmath_errNoValues"},
    {cmath_errNotComputed, "cmath_errNotComputed"},
    {cmath_errBadSignificance, "cmath_errBadSignificance"},
    {cmath_errOutOfDomain, "cmath_errOutOfDomain"},
    {cmath_errBadDofs, "cmath_errBadDofs"},
    {cmath_errSingular, "cmath_errSingular"},
    {cmath_errDivideByZero, "cmath_errDivideByZero"},
    {cmath_errZeroVector, "cmath_errZeroVector"},
    {cmath_errNotLinear, "cmath_errNotLinear"},
    {cmath_errBadRange, "cmath_errBadRange"},
    {cmath_errBadScale, "cmath_errBadScale"},
    {cmath_errTypeMismatch, "cmath_errTypeMismatch"},
}};

// The orbmath.Error subclass of each family, set once by orbmath/__init__.py. Deliberately
// never released: exceptions may be raised until the interpreter shuts down.
PyObject* g_errorClasses[static_cast<int>(Family::count)] = {};

thread_local CallbackScope* t_scope = nullptr;

void raiseStatus(const StatusError& e)
{
    const auto code = static_cast<unsigned>(static_cast<uint32_t>(e.status));
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", code);
    const std::string message = std::string(e.function) + " failed: " + statusName(e.status) + " (" + hex + ")";
    PyObject* cls = g_errorClasses[static_cast<int>(e.family)];
    if (cls == nullptr) {
        PyErr_SetString(PyExc_RuntimeError, message.c_str());
        return;
    }
    try {
        py::object instance = py::reinterpret_borrow<py::object>(cls)(message, e.status, statusName(e.status),
                                                                       e.function);
        if (!std::isnan(e.condition)) {
            instance.attr("condition") = e.condition;
        }
        PyErr_SetObject(cls, instance.ptr());
    } catch (py::error_already_set& inner) {
        inner.restore();
    }
}

} // namespace

const char* statusName(cmath_status st)
{
    for (const StatusEntry& e : kStatuses) {
        if (e.code == st) {
            return e.name;
        }
    }
    return "unknown status";
}

// ---- callback scope ---------------------------------------------------------------------

CallbackScope::CallbackScope() : outer_(t_scope)
{
    t_scope = this;
}

CallbackScope::~CallbackScope()
{
    t_scope = outer_;
}

cmath_status CallbackScope::fail() noexcept
{
    try {
        try {
            throw;
        } catch (py::error_already_set&) {
            throw;
        } catch (py::builtin_exception& e) {
            e.set_error();
            throw py::error_already_set();
        } catch (const StatusError& e) {
            raiseStatus(e);
            throw py::error_already_set();
        } catch (const std::exception& e) {
            PyErr_SetString(PyExc_RuntimeError, e.what());
            throw py::error_already_set();
        }
    } catch (py::error_already_set& e) {
        if (t_scope != nullptr && !t_scope->error_) {
            t_scope->error_.emplace(std::move(e));
        } else if (t_scope == nullptr) {
            e.restore();
            PyErr_WriteUnraisable(nullptr);
        }
    } catch (...) {
    }
    return kCallbackFailed;
}

void CallbackScope::finish(cmath_status st, Family family, const char* function)
{
    if (error_) {
        py::error_already_set e = std::move(*error_);
        error_.reset();
        throw e;
    }
    check(st, family, function);
}

// ---- conversions ------------------------------------------------------------------------

Doubles asDoubles(py::handle obj)
{
    return Doubles(py::reinterpret_borrow<py::object>(obj));
}

Points asPoints(py::handle obj, const char* what)
{
    Points p{asDoubles(obj), 0, false};
    if (p.array.ndim() == 1 && p.array.shape(0) == 2) {
        p.count = 1;
        p.single = true;
    } else if (p.array.ndim() == 2 && p.array.shape(1) == 2) {
        p.count = p.array.shape(0);
    } else {
        throw py::value_error(std::string(what) + " must have shape (2,) or (N, 2)");
    }
    return p;
}

py::array_t<double> newPointsLike(const Points& like)
{
    if (like.single) {
        return py::array_t<double>(2);
    }
    return py::array_t<double>({like.count, py::ssize_t{2}});
}

cmath_vect asPoint(py::handle obj, const char* what)
{
    Doubles a = asDoubles(obj);
    if (a.ndim() != 1 || a.shape(0) != 2) {
        throw py::value_error(std::string(what) + " must be a point (x, y)");
    }
    return cmath_vect{a.data()[0], a.data()[1]};
}

py::array_t<double> toArray(const cmath_vect& v)
{
    py::array_t<double> out(2);
    out.mutable_data()[0] = v.x;
    out.mutable_data()[1] = v.y;
    return out;
}

cmath_matrix asMatrix2(py::handle obj, const char* what)
{
    Doubles a = asDoubles(obj);
    if (a.ndim() != 2 || a.shape(0) != 2 || a.shape(1) != 2) {
        throw py::value_error(std::string(what) + " must be a 2x2 matrix");
    }
    const double* d = a.data();
    return cmath_matrix{d[0], d[1], d[2], d[3]};
}

py::array_t<double> toArray(const cmath_matrix& m)
{
    py::array_t<double> out({py::ssize_t{2}, py::ssize_t{2}});
    double* d = out.mutable_data();
    d[0] = m.e11;
    d[1] = m.e12;
    d[2] = m.e21;
    d[3] = m.e22;
    return out;
}

int32_t asCount(py::ssize_t n, const char* what)
{
    if (n > INT32_MAX) {
        throw py::value_error(std::string(what) + ": more than 2^31 - 1 elements");
    }
    return static_cast<int32_t>(n);
}

std::u16string toU16(const std::string& utf8)
{
    py::bytes encoded = py::str(utf8).attr("encode")("utf-16-le");
    const std::string raw = encoded;
    return std::u16string(reinterpret_cast<const char16_t*>(raw.data()), raw.size() / 2);
}

py::str fromU16(const char16_t* s)
{
    std::size_t n = 0;
    while (s[n] != 0) {
        ++n;
    }
    py::bytes raw(reinterpret_cast<const char*>(s), n * 2);
    return raw.attr("decode")("utf-16-le");
}

void bindErrors(py::module_& m)
{
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) {
                std::rethrow_exception(p);
            }
        } catch (const StatusError& e) {
            raiseStatus(e);
        }
    });
    m.def(
        "_register_errors",
        [](py::sequence classes) {
            if (py::len(classes) != static_cast<std::size_t>(Family::count)) {
                throw py::value_error("one error class per family");
            }
            for (std::size_t i = 0; i < py::len(classes); ++i) {
                PyObject* cls = classes[i].ptr();
                Py_INCREF(cls);
                Py_XDECREF(g_errorClasses[i]);
                g_errorClasses[i] = cls;
            }
        },
        "Sets the exception class raised for each family (geometry, transform, range, statistics, matrix).");
    m.def(
        "status_names",
        []() {
            py::dict d;
            for (const StatusEntry& e : kStatuses) {
                d[py::int_(e.code)] = e.name;
            }
            return d;
        },
        "Every status code the library defines, as {code: name}; codes are negative 32-bit integers.");
    m.def(
        "library_path",
        []() {
            Dl_info info{};
            if (dladdr(reinterpret_cast<void*>(&cmath_vect_init), &info) == 0 || info.dli_fname == nullptr) {
                throw std::runtime_error("the path of liborbmath cannot be determined");
            }
            return std::string(info.dli_fname);
        },
        "The file of the liborbmath shared library this module runs on.");
}

} // namespace orbpy

PYBIND11_MODULE(_core, m)
{
    m.doc() = "orbmath's compiled core: the library's functions over NumPy arrays. Import orbmath instead.";
    m.attr("__version__") = ORBMATH_VERSION_STRING;
    orbpy::bindErrors(m);
    orbpy::bindGeometry(m);
    orbpy::bindXform(m);
    orbpy::bindAngle(m);
    orbpy::bindStats(m);
    orbpy::bindMatrix(m);
}
