// Transform objects: shared, reference-counted transforms behind handles, and a transform kind
// that the caller defines (a radial lens distortion) chained with one of the library's.
#include "examples.h"

#include <cmath>

namespace {

// A transform kind of the caller's own: radial lens distortion p -> c + (p - c)(1 + k r^2), or
// its inverse (solved by Newton's method) when `inverted` is set. It begins with its cmath_xform,
// so the library's default compose fits its compose slot, and it owns no resources, so the
// default shared operations free it when the last handle goes.
struct Lens {
    cmath_xform base;
    cmath_vect centre;
    double k;
    int32_t inverted;
};

cmath_status makeLens(cmath_vect centre, double k, int32_t inverted, cmath_xformPtrh* out);

cmath_vect lensDistort(const Lens* l, cmath_vect p, double* s)
{
    const double dx = p.x - l->centre.x, dy = p.y - l->centre.y;
    *s = 1.0 + l->k * (dx * dx + dy * dy);
    return cmath_vect{l->centre.x + dx * *s, l->centre.y + dy * *s};
}

cmath_vect lensUndistort(const Lens* l, cmath_vect p)
{
    const double dx = p.x - l->centre.x, dy = p.y - l->centre.y;
    const double rd = std::sqrt(dx * dx + dy * dy);
    double r = rd; // solve r + k r^3 = rd
    for (int i = 0; i < 50 && rd > 0.0; ++i) {
        r -= (r + l->k * r * r * r - rd) / (1.0 + 3.0 * l->k * r * r);
    }
    const double f = rd > 0.0 ? r / rd : 1.0;
    return cmath_vect{l->centre.x + dx * f, l->centre.y + dy * f};
}

cmath_status lensMapPoint(const void* self, const cmath_vect* in, cmath_vect* out)
{
    const auto* l = static_cast<const Lens*>(self);
    double s = 0.0;
    *out = l->inverted ? lensUndistort(l, *in) : lensDistort(l, *in, &s);
    return 0;
}

cmath_status lensGetIsLinear(const void* self, int32_t* out)
{
    *out = static_cast<const Lens*>(self)->k == 0.0 ? 1 : 0;
    return 0;
}

// Jacobian of the distortion at the undistorted point u: s I + 2k d d^T (inverted for the inverse).
cmath_status lensGetLinear(const void* self, const cmath_vect* point, cmath_xformLinear* out)
{
    const auto* l = static_cast<const Lens*>(self);
    const cmath_vect u = l->inverted ? lensUndistort(l, *point) : *point;
    double s = 0.0;
    lensDistort(l, u, &s);
    const double dx = u.x - l->centre.x, dy = u.y - l->centre.y;
    cmath_matrix j{s + 2.0 * l->k * dx * dx, 2.0 * l->k * dx * dy, 2.0 * l->k * dx * dy, s + 2.0 * l->k * dy * dy};
    cmath_status st = l->inverted ? cmath_matrix_initInverse(&j, &j) : 0;
    cmath_vect image{}, jp{};
    if (st >= 0) {
        st = lensMapPoint(self, point, &image);
    }
    if (st >= 0) {
        st = cmath_matrix_mapPoint(&j, point, &jp);
    }
    if (st >= 0) {
        out->matrix = j;
        out->trans = cmath_vect{image.x - jp.x, image.y - jp.y};
    }
    return st;
}

cmath_status lensGetInverse(const void* self, cmath_xformPtrh* out)
{
    const auto* l = static_cast<const Lens*>(self);
    return makeLens(l->centre, l->k, !l->inverted, out);
}

cmath_status lensClone(const void* self, cmath_xformPtrh* out)
{
    const auto* l = static_cast<const Lens*>(self);
    return makeLens(l->centre, l->k, l->inverted, out);
}

cmath_status lensQueryFinal(void* object, const char16_t* name, void** out)
{
    if (cstd_typename_equal(name, u"example_lens") != 0) {
        *out = object;
        return 0;
    }
    return cmath_xform_queryInterfaceByTypenameFinal(&static_cast<Lens*>(object)->base, name, out);
}

cmath_status lensGetTypename(void*, const char16_t** out)
{
    *out = u"example_lens";
    return 0;
}

const cmath_xformOps kLensOps = {lensMapPoint,   lensGetIsLinear, lensGetLinear, cmath_xfcomposed_defaultCompose,
                                 lensGetInverse, lensClone};
const cstd_sharedTypeTable kLensTypes = {lensQueryFinal, lensGetTypename};

cmath_status makeLens(cmath_vect centre, double k, int32_t inverted, cmath_xformPtrh* out)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(Lens), &block);
    if (st < 0) {
        return st;
    }
    auto* l = static_cast<Lens*>(block);
    l->centre = centre;
    l->k = k;
    l->inverted = inverted;
    st = cmath_xform_constructStandard(&l->base, l, &kLensOps, cstd_shared_vtable_default, &kLensTypes);
    if (st >= 0) {
        st = cstd_ptrh_assignShared(&out->handle, &l->base.shared);
    }
    if (st < 0) {
        csys_memory_free_internal(&block);
    }
    return st;
}

} // namespace

int exampleTransforms()
{
    std::puts("== Transform objects: a caller's lens model chained with an affine one");
    // Pixels of a 640 x 480 camera: distortion about the image centre, then millimetres with the
    // origin at the centre.
    const cmath_xformLinear toMillimetres{{-3.2, -2.4}, {0.01, 0.0, 0.0, 0.01}};
    cmath_xformPtrh lens, affine, camera, back;
    cmath_xformPtrh_construct(&lens);
    cmath_xformPtrh_construct(&camera);
    cmath_xformPtrh_construct(&back);
    if (cmath_xformPtrh_constructLinear(&affine, &toMillimetres) < 0) {
        return 1;
    }
    // camera = affine o lens: the lens applies first. Then the caller's handles may go: the
    // chain holds its parts.
    int failures = makeLens(cmath_vect{320.0, 240.0}, 2e-7, 0, &lens) < 0;
    failures += cmath_xformPtrh_assignCompose(&camera, &affine, &lens) < 0;

    // Each kind answers queries by its type name through the support layer.
    const cmath_xform* x = nullptr;
    void* asLens = nullptr;
    failures += cmath_xformPtrh_getXform(&lens, &x) < 0;
    failures += cmath_xform_queryInterfaceByTypename(x, u"example_lens", &asLens) < 0;
    std::printf("the lens answers \"example_lens\": %s\n", asLens != nullptr ? "yes" : "no");
    cmath_xformPtrh_destruct(&lens);
    cmath_xformPtrh_destruct(&affine);

    int32_t linear = -1, composed = -1;
    const cmath_xformPtrhConst* view = reinterpret_cast<const cmath_xformPtrhConst*>(&camera);
    failures += cmath_xformPtrh_getIsLinear(&camera, &linear) < 0;
    failures += cmath_xformPtrhConst_getIsComposed(view, &composed) < 0;
    std::printf("camera: linear %d, composed %d\n", linear, composed);

    const cmath_vect corner{0.0, 0.0}, near{600.0, 400.0};
    cmath_vect mm{}, again{};
    cmath_xformLinear tangent{};
    failures += cmath_xformPtrh_mapPoint(&camera, &corner, &mm) < 0;
    failures += cmath_xformPtrh_getInverse(&camera, &back) < 0;
    failures += cmath_xformPtrh_mapPoint(&back, &mm, &again) < 0;
    double error = 0.0;
    failures += cmath_vect_getDistance(&again, &corner, &error) < 0;
    std::printf("pixel (0, 0) -> (%.6f, %.6f) mm; mapped back within 1e-9: %s\n", mm.x, mm.y,
                error < 1e-9 ? "yes" : "no");
    failures += cmath_xformPtrh_getLinear(&camera, &near, &tangent) < 0;
    std::printf("linearised about (600, 400): matrix (%.6f, %.6f; %.6f, %.6f), translation (%.6f, %.6f)\n",
                tangent.matrix.e11, tangent.matrix.e12, tangent.matrix.e21, tangent.matrix.e22, tangent.trans.x,
                tangent.trans.y);

    // A chain that is not linear has no linear form without a point: refused, output untouched.
    cmath_xformLinear none{};
    printStatus("linear form without a point", cmath_xformPtrh_getLinear(&camera, nullptr, &none));

    // The inverse of a chain is the chain of the inverses, in reverse order.
    void* asChain = nullptr;
    failures += cmath_xformPtrh_getXform(&back, &x) < 0;
    failures += cmath_xform_queryInterfaceByTypename(x, u"cmath_xfcomposed", &asChain) < 0;
    std::printf("the inverse answers \"cmath_xfcomposed\": %s\n", asChain != nullptr ? "yes" : "no");
    cmath_xformPtrh_destruct(&back);
    cmath_xformPtrh_destruct(&camera); // the last reference: the chain and the lens go
    return failures;
}

#ifndef ORBMATH_TOUR
int main() { return exampleTransforms() == 0 ? 0 : 1; }
#endif
