// Affine and rigid 2D transforms: cmath_xformLinear as orbmath.Affine, cmath_xformRigid as
// orbmath.Rigid, with point arrays mapped through the library and the least-squares fit.
#include "common.hpp"

#include <type_traits>

namespace orbpy {

namespace {

constexpr Family G = Family::geometry;

// A scalar query of the matrix part: the decomposition getters and the determinant.
template <class Out, class Getter>
double matrixQuery(const cmath_xformLinear& x, Getter getter, const char* name)
{
    Out out{};
    check(getter(&x.matrix, &out), G, name);
    if constexpr (std::is_same_v<Out, cmath_radian>) {
        return out.value;
    } else {
        return out;
    }
}

cmath_xformLinear makeAffine(const cmath_matrix& m, const cmath_vect& t)
{
    cmath_xformLinear x;
    ORBPY_CHECK(G, cmath_xformLinear_initMatrixTrans, &x, &m, &t);
    return x;
}

// Maps the points of a (2,) or (N, 2) array with the library's array mapping f(x, in, out, n)
// into a fresh array.
template <class X, class F>
py::array_t<double> mapArray(const X& x, py::handle points, F f, const char* name)
{
    const Points in = asPoints(points, "points");
    py::array_t<double> out = newPointsLike(in);
    check(mapPointArray(in, out, [&](const cmath_vect* src, cmath_vect* dst, int32_t n) { return f(&x, src, dst, n); }),
          G, name);
    return out;
}

// An angle function over an array of radians.
template <class F>
py::object mapAngles(const cmath_xformLinear& x, py::handle angles, F f, const char* name)
{
    return elementwise<double>(asDoubles(angles), [&](double a) {
        const cmath_radian in{a};
        cmath_radian out;
        check(f(&x, &in, &out), G, name);
        return out.value;
    });
}

std::string reprAffine(const cmath_xformLinear& x)
{
    return "Affine(matrix=[[" + std::string(py::repr(py::float_(x.matrix.e11))) + ", " +
           std::string(py::repr(py::float_(x.matrix.e12))) + "], [" + std::string(py::repr(py::float_(x.matrix.e21))) +
           ", " + std::string(py::repr(py::float_(x.matrix.e22))) + "]], translation=(" +
           std::string(py::repr(py::float_(x.trans.x))) + ", " + std::string(py::repr(py::float_(x.trans.y))) + "))";
}

} // namespace

void bindGeometry(py::module_& m)
{
    py::class_<cmath_xformLinear> affine(m, "Affine", R"(An affine 2D transform p -> matrix @ p + translation (cmath_xformLinear).

Immutable. ``a @ b`` is the library's composition a o b: b applies first, then a.
Points are (2,) or (N, 2) float64 arrays, one point per row.)");
    affine
        .def(py::init([](py::object matrix, py::object translation) {
                 cmath_matrix mat;
                 if (matrix.is_none()) {
                     ORBPY_CHECK(G, cmath_matrix_initIdentity, &mat);
                 } else {
                     mat = asMatrix2(matrix, "matrix");
                 }
                 return makeAffine(mat, asPoint(translation, "translation"));
             }),
             py::arg("matrix") = py::none(), py::arg("translation") = py::make_tuple(0.0, 0.0),
             "The transform with the given 2x2 matrix (identity when None) and translation.")
        .def_static(
            "identity",
            []() {
                cmath_xformLinear x;
                ORBPY_CHECK(G, cmath_xformLinear_initIdentity, &x);
                return x;
            },
            "The identity transform.")
        .def_static(
            "from_decomposition",
            [](double scale, double aspect, double shear, double rotation, py::object translation) {
                const cmath_radian sh{shear}, rot{rotation};
                cmath_matrix mat;
                ORBPY_CHECK(G, cmath_matrix_initScaleAspect, &mat, scale, aspect, &sh, &rot);
                return makeAffine(mat, asPoint(translation, "translation"));
            },
            py::arg("scale"), py::arg("aspect"), py::arg("shear"), py::arg("rotation"),
            py::arg("translation") = py::make_tuple(0.0, 0.0),
            "The matrix R(rotation) @ diag(scale, scale * aspect) @ H(shear), H(k) = [[1, -tan k], [0, 1]], "
            "angles in radians; the decomposition properties give these values back for scale > 0 and "
            "|shear| < pi/2.")
        .def_static(
            "from_rotation_scale",
            [](double xRotation, double yRotation, double xScale, double yScale, py::object translation) {
                const cmath_radian xr{xRotation}, yr{yRotation};
                cmath_matrix mat;
                ORBPY_CHECK(G, cmath_matrix_initRotationScale, &mat, &xr, &yr, xScale, yScale);
                return makeAffine(mat, asPoint(translation, "translation"));
            },
            py::arg("x_rotation"), py::arg("y_rotation"), py::arg("x_scale"), py::arg("y_scale"),
            py::arg("translation") = py::make_tuple(0.0, 0.0),
            "The x axis turned by x_rotation and scaled by x_scale, the y axis turned by y_rotation and "
            "scaled by y_scale.")
        .def_property_readonly(
            "matrix", [](const cmath_xformLinear& x) { return toArray(x.matrix); }, "The 2x2 matrix (a new array).")
        .def_property_readonly(
            "translation", [](const cmath_xformLinear& x) { return toArray(x.trans); },
            "The translation (x, y) (a new array).")
        .def_property_readonly(
            "determinant",
            [](const cmath_xformLinear& x) {
                return matrixQuery<double>(x, cmath_matrix_getDeterminant, "cmath_matrix_getDeterminant");
            },
            "The determinant of the matrix.")
        .def_property_readonly(
            "is_identity",
            [](const cmath_xformLinear& x) {
                int32_t out = 0;
                ORBPY_CHECK(G, cmath_xformLinear_getIsIdentity, &x, &out);
                return out != 0;
            },
            "True when the transform is exactly the identity.")
        .def_property_readonly(
            "is_singular",
            [](const cmath_xformLinear& x) {
                int32_t out = 0;
                ORBPY_CHECK(G, cmath_matrix_getIsSingular, &x.matrix, &out);
                return out != 0;
            },
            "True when the determinant is exactly 0.")
        .def_property_readonly(
            "rotation",
            [](const cmath_xformLinear& x) {
                return matrixQuery<cmath_radian>(x, cmath_matrix_getRotation, "cmath_matrix_getRotation");
            },
            "Rotation in radians: the direction of the image of the x axis. GeometryError when singular.")
        .def_property_readonly(
            "x_rotation",
            [](const cmath_xformLinear& x) {
                return matrixQuery<cmath_radian>(x, cmath_matrix_getXRotation, "cmath_matrix_getXRotation");
            },
            "atan2(e21, e11), as rotation.")
        .def_property_readonly(
            "y_rotation",
            [](const cmath_xformLinear& x) {
                return matrixQuery<cmath_radian>(x, cmath_matrix_getYRotation, "cmath_matrix_getYRotation");
            },
            "atan2(-e12, e22): the direction of the image of the y axis minus pi/2.")
        .def_property_readonly(
            "scale",
            [](const cmath_xformLinear& x) {
                return matrixQuery<double>(x, cmath_matrix_getScale, "cmath_matrix_getScale");
            },
            "Scale: the length of the image of the x axis. GeometryError when singular.")
        .def_property_readonly(
            "x_scale",
            [](const cmath_xformLinear& x) {
                return matrixQuery<double>(x, cmath_matrix_getXScale, "cmath_matrix_getXScale");
            },
            "The length of the image of the x axis, as scale.")
        .def_property_readonly(
            "y_scale",
            [](const cmath_xformLinear& x) {
                return matrixQuery<double>(x, cmath_matrix_getYScale, "cmath_matrix_getYScale");
            },
            "The length of the image of the y axis (shear included).")
        .def_property_readonly(
            "aspect",
            [](const cmath_xformLinear& x) {
                return matrixQuery<double>(x, cmath_matrix_getAspect, "cmath_matrix_getAspect");
            },
            "det / (e11^2 + e21^2); negative when the transform reflects. GeometryError when singular.")
        .def_property_readonly(
            "shear",
            [](const cmath_xformLinear& x) {
                return matrixQuery<cmath_radian>(x, cmath_matrix_getShear, "cmath_matrix_getShear");
            },
            "Shear in radians, in (-pi/2, pi/2). GeometryError when singular.")
        .def(
            "inverse",
            [](const cmath_xformLinear& x) {
                cmath_xformLinear out;
                ORBPY_CHECK(G, cmath_xformLinear_getInverse, &x, &out);
                return out;
            },
            "The inverse transform. GeometryError (cmath_errSingular) when the determinant is exactly 0.")
        .def(
            "__matmul__",
            [](const cmath_xformLinear& a, const cmath_xformLinear& b) {
                cmath_xformLinear out;
                ORBPY_CHECK(G, cmath_xformLinear_initCompose, &out, &a, &b);
                return out;
            },
            py::is_operator(), "a @ b: the composition a o b (b applies first).")
        .def(
            "map",
            [](const cmath_xformLinear& x, py::object points) {
                return mapArray(x, points, cmath_xformLinear_mapPoints, "cmath_xformLinear_mapPoints");
            },
            py::arg("points"), "matrix @ p + translation for each point of a (2,) or (N, 2) array; a new array.")
        .def(
            "inv_map",
            [](const cmath_xformLinear& x, py::object points) {
                return mapArray(x, points, cmath_xformLinear_invMapPoints, "cmath_xformLinear_invMapPoints");
            },
            py::arg("points"), "The inverse mapping of each point; GeometryError when singular.")
        .def(
            "map_vectors",
            [](const cmath_xformLinear& x, py::object vectors) {
                return mapArray(x, vectors, cmath_xformLinear_mapVectors, "cmath_xformLinear_mapVectors");
            },
            py::arg("vectors"), "matrix @ v for each vector (the translation does not act on vectors).")
        .def(
            "inv_map_vectors",
            [](const cmath_xformLinear& x, py::object vectors) {
                return mapArray(x, vectors, cmath_xformLinear_invMapVectors, "cmath_xformLinear_invMapVectors");
            },
            py::arg("vectors"), "matrix^-1 @ v for each vector; GeometryError when singular.")
        .def(
            "map_angles",
            [](const cmath_xformLinear& x, py::object angles) {
                return mapAngles(x, angles, cmath_xformLinear_mapAngle, "cmath_xformLinear_mapAngle");
            },
            py::arg("angles"), "The direction of matrix @ (cos a, sin a) for each angle a in radians.")
        .def(
            "inv_map_angles",
            [](const cmath_xformLinear& x, py::object angles) {
                return mapAngles(x, angles, cmath_xformLinear_invMapAngle, "cmath_xformLinear_invMapAngle");
            },
            py::arg("angles"), "The direction of matrix^-1 @ (cos a, sin a); GeometryError when singular.")
        .def(
            "map_area",
            [](const cmath_xformLinear& x, double area) {
                double out = 0.0;
                ORBPY_CHECK(G, cmath_xformLinear_mapArea, &x, area, &out);
                return out;
            },
            py::arg("area"), "area * |det|.")
        .def(
            "inv_map_area",
            [](const cmath_xformLinear& x, double area) {
                double out = 0.0;
                ORBPY_CHECK(G, cmath_xformLinear_invMapArea, &x, area, &out);
                return out;
            },
            py::arg("area"), "area / |det|; GeometryError when singular.")
        .def(
            "isclose",
            [](const cmath_xformLinear& a, const cmath_xformLinear& b, double epsilon) {
                int32_t out = 0;
                ORBPY_CHECK(G, cmath_xformLinear_epsilonEqual, &a, &b, epsilon, &out);
                return out != 0;
            },
            py::arg("other"), py::arg("epsilon"),
            "True when all six numbers differ by at most epsilon (absolute, inclusive).")
        .def(
            "__eq__",
            [](const cmath_xformLinear& a, const cmath_xformLinear& b) {
                int32_t out = 0;
                ORBPY_CHECK(G, cmath_xformLinear_compareEqual, &a, &b, &out);
                return out != 0;
            },
            py::is_operator(), "Exact equality of the six numbers.")
        .def("__repr__", &reprAffine);
    affine.attr("__hash__") = py::none();

    py::class_<cmath_xformRigid>(m, "Rigid", R"(A rigid 2D transform: rotation by `angle` (counter-clockwise, radians), then translation (cmath_xformRigid).

Immutable. ``a @ b`` composes as the library does (b first; angles add without reduction).)")
        .def(py::init([](double angle, py::object translation) {
                 const cmath_radian a{angle};
                 const cmath_vect t = asPoint(translation, "translation");
                 cmath_xformRigid x;
                 ORBPY_CHECK(G, cmath_xformRigid_initAngleTrans, &x, &a, &t);
                 return x;
             }),
             py::arg("angle") = 0.0, py::arg("translation") = py::make_tuple(0.0, 0.0))
        .def_static(
            "identity",
            []() {
                cmath_xformRigid x;
                ORBPY_CHECK(G, cmath_xformRigid_initIdentity, &x);
                return x;
            },
            "The identity: angle 0, no translation.")
        .def_property_readonly(
            "angle",
            [](const cmath_xformRigid& x) {
                cmath_radian out;
                ORBPY_CHECK(G, cmath_xformRigid_getAngle, &x, &out);
                return out.value;
            },
            "The stored angle in radians (never reduced).")
        .def_property_readonly(
            "sine",
            [](const cmath_xformRigid& x) {
                double out = 0.0;
                ORBPY_CHECK(G, cmath_xformRigid_getSine, &x, &out);
                return out;
            },
            "The stored sin(angle).")
        .def_property_readonly(
            "cosine",
            [](const cmath_xformRigid& x) {
                double out = 0.0;
                ORBPY_CHECK(G, cmath_xformRigid_getCosine, &x, &out);
                return out;
            },
            "The stored cos(angle).")
        .def_property_readonly(
            "translation", [](const cmath_xformRigid& x) { return toArray(x.trans); }, "The translation (a new array).")
        .def(
            "with_angle",
            [](const cmath_xformRigid& x, double angle) {
                cmath_xformRigid out = x;
                const cmath_radian a{angle};
                ORBPY_CHECK(G, cmath_xformRigid_setAngle, &out, &a);
                return out;
            },
            py::arg("angle"), "The same translation with another angle.")
        .def(
            "inverse",
            [](const cmath_xformRigid& x) {
                cmath_xformRigid out;
                ORBPY_CHECK(G, cmath_xformRigid_getInverse, &x, &out);
                return out;
            },
            "The inverse transform.")
        .def(
            "__matmul__",
            [](const cmath_xformRigid& a, const cmath_xformRigid& b) {
                cmath_xformRigid out;
                ORBPY_CHECK(G, cmath_xformRigid_initCompose, &out, &a, &b);
                return out;
            },
            py::is_operator(), "a @ b: the composition a o b (b applies first).")
        .def(
            "to_affine",
            [](const cmath_xformRigid& x) {
                cmath_xformLinear out;
                ORBPY_CHECK(G, cmath_xformRigid_getXformLinear, &x, &out);
                return out;
            },
            "The same transform as an Affine, its matrix computed afresh from the angle.")
        .def(
            "map",
            [](const cmath_xformRigid& x, py::object points) {
                return mapArray(x, points, cmath_xformRigid_mapPoints, "cmath_xformRigid_mapPoints");
            },
            py::arg("points"), "Rotation by the stored sine and cosine, plus translation, for each point.")
        .def("__repr__", [](const cmath_xformRigid& x) {
            return "Rigid(angle=" + std::string(py::repr(py::float_(x.angle))) + ", translation=(" +
                   std::string(py::repr(py::float_(x.trans.x))) + ", " +
                   std::string(py::repr(py::float_(x.trans.y))) + "))";
        });
    bindFits(m);
}

} // namespace orbpy
