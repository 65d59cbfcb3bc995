// Transform objects: handles to the library's reference-counted transforms (orbmath.Transform),
// and a transform kind whose mapping is a Python callable, defined through the library's
// extension interface (cmath_xform_constructStandard) like any kind of another module.
#include "common.hpp"

#include <algorithm>
#include <memory>

namespace orbpy {

namespace {

constexpr Family T = Family::transform;

// ---- the Python-callable kind -------------------------------------------------------------

constexpr std::size_t kMaxName = 63;

struct PyKind {
    cmath_xform base;   // first, so that the library's default compose fits the compose slot
    PyObject* forward;  // (x, y) -> (x', y')
    PyObject* backward; // the inverse mapping, or null
    PyObject* jacobian; // the forward mapping's Jacobian at (x, y) as a 2x2 array-like, or null
    int32_t inverted;   // this object maps with backward: it is the inverse of the forward one
    int32_t linear;     // the mapping is affine everywhere
    char16_t name[kMaxName + 1];
};

const PyKind* kindOf(const void* self)
{
    return static_cast<const PyKind*>(self);
}

cmath_vect callPoint(PyObject* fn, const cmath_vect& p)
{
    py::object r = py::reinterpret_borrow<py::object>(fn)(p.x, p.y);
    return asPoint(r, "the result of a transform callable");
}

cmath_status makeKind(const PyKind& from, int32_t inverted, cmath_xformPtrh* out);

cmath_status kindMapPoint(const void* self, const cmath_vect* in, cmath_vect* out)
{
    py::gil_scoped_acquire gil;
    try {
        const PyKind* k = kindOf(self);
        *out = callPoint(k->inverted != 0 ? k->backward : k->forward, *in);
        return 0;
    } catch (...) {
        return CallbackScope::fail();
    }
}

cmath_status kindGetIsLinear(const void* self, int32_t* out)
{
    *out = kindOf(self)->linear;
    return 0;
}

// About p: the Jacobian J at p and the translation f(p) - J p. The inverse kind takes the
// inverse of the forward Jacobian at u = backward(p).
cmath_status kindGetLinear(const void* self, const cmath_vect* point, cmath_xformLinear* out)
{
    const PyKind* k = kindOf(self);
    if (k->jacobian == nullptr) {
        return cmath_errNotLinear;
    }
    const cmath_vect p = point != nullptr ? *point : cmath_vect{0.0, 0.0};
    py::gil_scoped_acquire gil;
    try {
        py::object jac = py::reinterpret_borrow<py::object>(k->jacobian);
        cmath_matrix j;
        cmath_vect image;
        if (k->inverted == 0) {
            j = asMatrix2(jac(p.x, p.y), "the result of a jacobian callable");
            image = callPoint(k->forward, p);
        } else {
            image = callPoint(k->backward, p);
            const cmath_matrix forward = asMatrix2(jac(image.x, image.y), "the result of a jacobian callable");
            const cmath_status st = cmath_matrix_initInverse(&j, &forward);
            if (st < 0) {
                return st;
            }
        }
        cmath_vect jp;
        cmath_xformLinear result;
        cmath_status st = cmath_matrix_mapPoint(&j, &p, &jp);
        if (st >= 0) {
            st = cmath_vect_initSubtract(&result.trans, &image, &jp);
        }
        if (st >= 0) {
            result.matrix = j;
            *out = result;
        }
        return st;
    } catch (...) {
        return CallbackScope::fail();
    }
}

// No inverse was given: reported as the library reports a transform that cannot be inverted.
cmath_status kindGetInverse(const void* self, cmath_xformPtrh* out)
{
    const PyKind* k = kindOf(self);
    if (k->backward == nullptr) {
        return cmath_errSingular;
    }
    return makeKind(*k, k->inverted != 0 ? 0 : 1, out);
}

cmath_status kindClone(const void* self, cmath_xformPtrh* out)
{
    return makeKind(*kindOf(self), kindOf(self)->inverted, out);
}

cmath_status kindQueryFinal(void* object, const char16_t* name, void** out)
{
    auto* k = static_cast<PyKind*>(object);
    if (cstd_typename_equal(name, k->name) != 0) {
        *out = k;
        return 0;
    }
    return cmath_xform_queryInterfaceByTypenameFinal(&k->base, name, out);
}

cmath_status kindGetTypename(void* object, const char16_t** out)
{
    *out = static_cast<PyKind*>(object)->name;
    return 0;
}

cmath_status kindDestroy(cstd_shared* header)
{
    auto* k = static_cast<PyKind*>(header->outer);
    {
        py::gil_scoped_acquire gil;
        Py_XDECREF(k->forward);
        Py_XDECREF(k->backward);
        Py_XDECREF(k->jacobian);
    }
    const cmath_status st = cmath_xform_destruct(&k->base);
    void* block = k;
    csys_memory_free_internal(&block);
    return st;
}

const cmath_xformOps kKindOps = {kindMapPoint,   kindGetIsLinear, kindGetLinear, cmath_xfcomposed_defaultCompose,
                                 kindGetInverse, kindClone};
const cstd_sharedTypeTable kKindTypes = {kindQueryFinal, kindGetTypename};
const cstd_sharedOps kKindShared = {kindDestroy, cstd_shared_increment_default, cstd_shared_decrement_default};

// out refers to a new object of the kind with from's callables and name; on failure out keeps
// its transform.
cmath_status makeKind(const PyKind& from, int32_t inverted, cmath_xformPtrh* out)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(PyKind), &block);
    if (st < 0) {
        return st;
    }
    auto* k = static_cast<PyKind*>(block);
    k->forward = from.forward;
    k->backward = from.backward;
    k->jacobian = from.jacobian;
    k->inverted = inverted;
    k->linear = from.linear;
    std::copy(std::begin(from.name), std::end(from.name), std::begin(k->name));
    st = cmath_xform_constructStandard(&k->base, k, &kKindOps, &kKindShared, &kKindTypes);
    if (st < 0) {
        csys_memory_free_internal(&block);
        return st;
    }
    {
        py::gil_scoped_acquire gil;
        Py_XINCREF(k->forward);
        Py_XINCREF(k->backward);
        Py_XINCREF(k->jacobian);
    }
    // A fresh handle owns the object from here on: releasing it destroys the object.
    cmath_xformPtrh fresh;
    st = cmath_xformPtrh_construct(&fresh);
    if (st < 0) {
        kindDestroy(&k->base.shared);
        return st;
    }
    st = cstd_ptrh_assignShared(&fresh.handle, &k->base.shared);
    if (st < 0) {
        kindDestroy(&k->base.shared);
    } else {
        st = cmath_xformPtrh_assign(out, &fresh);
    }
    cmath_xformPtrh_destruct(&fresh);
    return st;
}

// ---- handles -------------------------------------------------------------------------------

// A handle to a transform; the Python object owns one reference.
class Transform {
public:
    Transform()
    {
        check(cmath_xformPtrh_construct(&h), T, "cmath_xformPtrh_construct");
    }
    ~Transform() { cmath_xformPtrh_destruct(&h); }
    Transform(const Transform&) = delete;
    Transform& operator=(const Transform&) = delete;

    const cmath_xformPtrhConst* asConst() const { return reinterpret_cast<const cmath_xformPtrhConst*>(&h); }
    const cmath_xform* xform() const
    {
        const cmath_xform* x = nullptr;
        ORBPY_CHECK(T, cmath_xformPtrh_getXform, &h, &x);
        return x;
    }

    cmath_xformPtrh h;
};

// Runs one library call that may reach Python callables.
template <class F>
void run(const char* name, F f)
{
    CallbackScope scope;
    const cmath_status st = f();
    scope.finish(st, T, name);
}
#define ORBPY_RUN(fn, ...) run(#fn, [&] { return fn(__VA_ARGS__); })

std::unique_ptr<Transform> fromAffine(const cmath_xformLinear* lin)
{
    auto t = std::make_unique<Transform>();
    ORBPY_RUN(cmath_xformPtrh_assignLinear, &t->h, lin);
    return t;
}

std::unique_ptr<Transform> compose(const Transform& a, const Transform& b)
{
    auto out = std::make_unique<Transform>();
    ORBPY_RUN(cmath_xformPtrh_assignCompose, &out->h, &a.h, &b.h);
    return out;
}

std::unique_ptr<Transform> fromCallable(py::function function, py::object inverse, py::object jacobian, bool linear,
                                        const std::string& name)
{
    PyKind proto{};
    const std::u16string name16 = toU16(name);
    if (name16.empty() || name16.size() > kMaxName || name16.find(u'\0') != std::u16string::npos) {
        throw py::value_error("name must have 1 to 63 UTF-16 units and no NUL");
    }
    if (!inverse.is_none() && !PyCallable_Check(inverse.ptr())) {
        throw py::type_error("inverse must be callable or None");
    }
    if (!jacobian.is_none() && !PyCallable_Check(jacobian.ptr())) {
        throw py::type_error("jacobian must be callable or None");
    }
    std::copy(name16.begin(), name16.end(), proto.name);
    proto.forward = function.ptr();
    proto.backward = inverse.is_none() ? nullptr : inverse.ptr();
    proto.jacobian = jacobian.is_none() ? nullptr : jacobian.ptr();
    proto.linear = linear ? 1 : 0;
    auto t = std::make_unique<Transform>();
    check(makeKind(proto, 0, &t->h), T, "Transform.from_callable");
    return t;
}

// The most-derived type name of t's object; None for an empty handle.
py::object typeName(const Transform& t)
{
    const cmath_xform* x = t.xform();
    if (x == nullptr) {
        return py::none();
    }
    const char16_t* name = nullptr;
    ORBPY_RUN(cstd_shared_getTypename, const_cast<cstd_shared*>(&x->shared), &name);
    if (name == nullptr) {
        return py::none();
    }
    return fromU16(name);
}

py::array_t<double> mapPoints(const Transform& t, py::handle points)
{
    const Points in = asPoints(points, "points");
    py::array_t<double> out = newPointsLike(in);
    CallbackScope scope;
    const cmath_status st = mapPointArray(in, out, [&](const cmath_vect* src, cmath_vect* dst, int32_t n) {
        return cmath_xformPtrh_mapPoints(&t.h, src, dst, n);
    });
    scope.finish(st, T, "cmath_xformPtrh_mapPoints");
    return out;
}

} // namespace

void bindXform(py::module_& m)
{
    py::class_<Transform>(m, "Transform", R"(A shared, reference-counted transform object behind a handle (cmath_xformPtrh).

Plain (affine) transforms, composed chains and kinds defined outside the library (see
from_callable) behave alike: ``a @ b`` is the composition a o b (b applies first), inverse()
and linearize() make new objects, and the operands are never changed. A composed transform
holds references to its parts.)")
        .def(py::init([]() { return fromAffine(nullptr); }), "A new plain identity transform.")
        .def(py::init([](const cmath_xformLinear& affine) { return fromAffine(&affine); }), py::arg("affine"),
             "A new plain transform with the value of an Affine.")
        .def_static("from_callable", &fromCallable, py::arg("function"), py::kw_only(), py::arg("inverse") = py::none(),
                    py::arg("jacobian") = py::none(), py::arg("linear") = false,
                    py::arg("name") = std::string("python_callable"),
                    R"(A transform kind defined by Python callables, built through the library's extension interface.

function(x, y) -> (x', y') maps one point; inverse(x, y) is the inverse mapping (without it,
inverse() raises TransformError with cmath_errSingular); jacobian(x, y) -> 2x2 gives the
derivative of function at a point, from which linearize() forms the affine approximation
(without it, linearize() raises TransformError with cmath_errNotLinear). linear declares the
mapping affine everywhere. name is the kind's type name. The callables run with the GIL held;
an exception inside one makes the library call fail and is raised again from the Python
call that started it.)")
        .def("__matmul__", &compose, py::is_operator(), "a @ b: the composition a o b (b applies first).")
        .def(
            "__matmul__",
            [](const Transform& a, const cmath_xformLinear& b) { return compose(a, *fromAffine(&b)); },
            py::is_operator())
        .def(
            "__rmatmul__",
            [](const Transform& b, const cmath_xformLinear& a) { return compose(*fromAffine(&a), b); },
            py::is_operator())
        .def(
            "inverse",
            [](const Transform& t) {
                auto out = std::make_unique<Transform>();
                ORBPY_RUN(cmath_xformPtrh_getInverse, &t.h, &out->h);
                return out;
            },
            "A new transform, the inverse. TransformError when it has none (a singular affine transform: "
            "cmath_errSingular).")
        .def(
            "linearize",
            [](const Transform& t, py::object point) {
                cmath_xformLinear out;
                if (point.is_none()) {
                    ORBPY_RUN(cmath_xformPtrh_getLinear, &t.h, nullptr, &out);
                } else {
                    const cmath_vect p = asPoint(point, "point");
                    ORBPY_RUN(cmath_xformPtrh_getLinear, &t.h, &p, &out);
                }
                return out;
            },
            py::arg("point") = py::none(),
            "The Affine approximating the transform about point. Without a point, only a linear transform "
            "answers (others raise TransformError with cmath_errNotLinear).")
        .def(
            "clone",
            [](const Transform& t) {
                auto out = std::make_unique<Transform>();
                ORBPY_RUN(cmath_xformPtrh_clone, &t.h, &out->h);
                return out;
            },
            "A new, independent copy of the transform object.")
        .def(
            "__copy__",
            [](const Transform& t) {
                auto out = std::make_unique<Transform>();
                ORBPY_RUN(cmath_xformPtrh_assign, &out->h, &t.h);
                return out;
            },
            "Another handle to the same object.")
        .def(
            "map", [](const Transform& t, py::object points) { return mapPoints(t, points); }, py::arg("points"),
            "The transform applied to each point of a (2,) or (N, 2) array; a new array.")
        .def_property_readonly(
            "is_linear",
            [](const Transform& t) {
                int32_t out = 0;
                ORBPY_RUN(cmath_xformPtrh_getIsLinear, &t.h, &out);
                return out != 0;
            },
            "True when the transform is affine everywhere.")
        .def_property_readonly(
            "is_composed",
            [](const Transform& t) {
                int32_t out = 0;
                ORBPY_RUN(cmath_xformPtrhConst_getIsComposed, t.asConst(), &out);
                return out != 0;
            },
            "True when the object is a composed chain.")
        .def_property_readonly(
            "type_name",
            &typeName,
            "The most-derived type name of the object: 'cmath_xform', 'cmath_xfcomposed', or a kind's own.")
        .def(
            "answers",
            [](const Transform& t, const std::string& name) {
                const std::u16string name16 = toU16(name);
                void* out = nullptr;
                ORBPY_RUN(cmath_xform_queryInterfaceByTypename, t.xform(), name16.c_str(), &out);
                return out != nullptr;
            },
            py::arg("name"), "True when the object answers a query for the interface type name.")
        .def_property_readonly(
            "reference_count",
            [](const Transform& t) -> int64_t {
                const cmath_xform* x = t.xform();
                if (x == nullptr) {
                    return 0;
                }
                int64_t out = 0;
                ORBPY_CHECK(T, cstd_shared_getReferenceCount, &x->shared, &out);
                return out;
            },
            "The number of handles (and chains) that hold the object.")
        .def(
            "__eq__",
            [](const Transform& a, const Transform& b) {
                int32_t out = 0;
                ORBPY_RUN(cmath_xformPtrhConst_compareEqual, a.asConst(), b.asConst(), &out);
                return out != 0;
            },
            py::is_operator(),
            "True for the same object, or two linear transforms with exactly equal linear forms.")
        .def("__repr__", [](const Transform& t) {
            return "<orbmath.Transform " + std::string(py::str(typeName(t))) + ">";
        });
    m.attr("Transform").attr("__hash__") = py::none();
}

} // namespace orbpy
