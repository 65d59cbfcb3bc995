// The least-squares fits of transforms to point pairs beyond the plain affine one: rigid and
// similarity, weighted, and robust (random sample consensus with the library's generator), as
// static members of orbmath.Affine and orbmath.Rigid.
#include "common.hpp"

namespace orbpy {

namespace {

constexpr Family G = Family::geometry;

// Source and destination (N, 2) arrays of one length, and the weights when given.
struct Pairs {
    Points source;
    Points destination;
    Doubles weights; // empty without weights
    int32_t n;

    const cmath_vect* src() const { return reinterpret_cast<const cmath_vect*>(source.array.data()); }
    const cmath_vect* dst() const { return reinterpret_cast<const cmath_vect*>(destination.array.data()); }
};

Pairs asPairs(py::handle source, py::handle destination, py::handle weights)
{
    Pairs p{asPoints(source, "source"), asPoints(destination, "destination"), Doubles(), 0};
    if (p.source.single || p.destination.single || p.source.count != p.destination.count) {
        throw py::value_error("source and destination must both have shape (N, 2) with the same N");
    }
    p.n = asCount(p.source.count, "fit");
    if (!weights.is_none()) {
        p.weights = asDoubles(weights);
        if (p.weights.ndim() != 1 || p.weights.shape(0) != p.source.count) {
            throw py::value_error("weights must be a 1-D array with one weight per pair");
        }
    }
    return p;
}

using AffineFit = cmath_status (*)(cmath_xformLinear*, const cmath_vect*, const cmath_vect*, int32_t);
using AffineWeightedFit = cmath_status (*)(cmath_xformLinear*, const cmath_vect*, const cmath_vect*, const double*,
                                           int32_t);

// Binds Affine.<name>(source, destination, weights=None) to the plain and the weighted fit.
void affineFit(py::class_<cmath_xformLinear>& cls, const char* name, AffineFit plain, const char* plainName,
               AffineWeightedFit weighted, const char* weightedName, const char* doc)
{
    cls.def_static(
        name,
        [=](py::object source, py::object destination, py::object weights) {
            const Pairs p = asPairs(source, destination, weights);
            cmath_xformLinear out;
            if (weights.is_none()) {
                check(plain(&out, p.dst(), p.src(), p.n), G, plainName);
            } else {
                check(weighted(&out, p.dst(), p.src(), p.weights.data(), p.n), G, weightedName);
            }
            return out;
        },
        py::arg("source"), py::arg("destination"), py::arg("weights") = py::none(), doc);
}

// The outcome of a robust fit.
template <class X>
struct Robust {
    X transform;
    py::array_t<bool> inliers;
    int32_t inlierCount;
};

template <class X, class F>
Robust<X> robust(py::handle source, py::handle destination, csRandomUniform2& random, double threshold,
                 int32_t maxIterations, double confidence, F fit, const char* name)
{
    const Pairs p = asPairs(source, destination, py::none());
    std::vector<int32_t> mask(static_cast<std::size_t>(p.n));
    Robust<X> out{X{}, py::array_t<bool>(p.n), 0};
    check(fit(&out.transform, p.dst(), p.src(), p.n, &random, threshold, maxIterations, confidence, mask.data(),
              &out.inlierCount),
          G, name);
    bool* inliers = out.inliers.mutable_data();
    for (int32_t i = 0; i < p.n; ++i) {
        inliers[i] = mask[static_cast<std::size_t>(i)] != 0;
    }
    return out;
}

const char* kRobustDoc = R"(Random sample consensus: minimal samples drawn with the generator `random`, pairs within
`threshold` of a sample's model counted as inliers, the best model's inliers fitted by least
squares. Stops after max_iterations, or earlier once `confidence` of having drawn an
all-inlier sample is reached. The generator advances only when the fit succeeds.
GeometryError: cmath_errOutOfDomain for a bad threshold, max_iterations or confidence;
cmath_errFailed when no sample finds enough inliers.)";

template <class X>
void bindRobust(py::module_& m, const char* name)
{
    py::class_<Robust<X>>(m, name, "The result of a robust fit.")
        .def_readonly("transform", &Robust<X>::transform, "The least-squares fit to the inliers.")
        .def_readonly("inliers", &Robust<X>::inliers, "One truth value per pair: an inlier of the best model.")
        .def_readonly("inlier_count", &Robust<X>::inlierCount, "The number of inliers.");
}

} // namespace

void bindFits(py::module_& m)
{
    bindRobust<cmath_xformLinear>(m, "RobustAffineFit");
    bindRobust<cmath_xformRigid>(m, "RobustRigidFit");
    auto affine = py::reinterpret_borrow<py::class_<cmath_xformLinear>>(m.attr("Affine"));
    auto rigid = py::reinterpret_borrow<py::class_<cmath_xformRigid>>(m.attr("Rigid"));

    affineFit(affine, "fit", cmath_xformLinear_initPoints, "cmath_xformLinear_initPoints",
              cmath_xformLinear_initPointsWeighted, "cmath_xformLinear_initPointsWeighted",
              "The least-squares affine transform mapping source (N, 2) onto destination (N, 2), each pair "
              "weighted when weights are given (a weight of 0 leaves the pair out). GeometryError: "
              "cmath_errFailed for fewer than three (positively weighted) pairs or an ill-conditioned system, "
              "cmath_errOutOfDomain for a negative or non-finite weight.");
    affineFit(affine, "fit_similarity", cmath_xformLinear_initPointsSimilarity,
              "cmath_xformLinear_initPointsSimilarity", cmath_xformLinear_initPointsSimilarityWeighted,
              "cmath_xformLinear_initPointsSimilarityWeighted",
              "The least-squares rotation, single scale and translation, as an Affine; fails as fit (two pairs "
              "suffice; coincident sources are refused).");
    affineFit(affine, "fit_rigid", cmath_xformLinear_initPointsRigid, "cmath_xformLinear_initPointsRigid",
              cmath_xformLinear_initPointsRigidWeighted, "cmath_xformLinear_initPointsRigidWeighted",
              "The least-squares rotation and translation, as an Affine; fails as fit (two pairs suffice).");
    affine.def_static(
        "fit_robust",
        [](py::object source, py::object destination, csRandomUniform2& random, double threshold,
           int32_t maxIterations, double confidence, const std::string& model) {
            if (model == "affine") {
                return robust<cmath_xformLinear>(source, destination, random, threshold, maxIterations, confidence,
                                                 cmath_xformLinear_initPointsRobust,
                                                 "cmath_xformLinear_initPointsRobust");
            }
            if (model == "similarity") {
                return robust<cmath_xformLinear>(source, destination, random, threshold, maxIterations, confidence,
                                                 cmath_xformLinear_initPointsSimilarityRobust,
                                                 "cmath_xformLinear_initPointsSimilarityRobust");
            }
            if (model == "rigid") {
                return robust<cmath_xformLinear>(source, destination, random, threshold, maxIterations, confidence,
                                                 cmath_xformLinear_initPointsRigidRobust,
                                                 "cmath_xformLinear_initPointsRigidRobust");
            }
            throw py::value_error("model must be 'affine', 'similarity' or 'rigid'");
        },
        py::arg("source"), py::arg("destination"), py::arg("random"), py::arg("threshold"),
        py::arg("max_iterations") = 1000, py::arg("confidence") = 0.99, py::arg("model") = "affine", kRobustDoc);

    rigid.def_static(
        "fit",
        [](py::object source, py::object destination, py::object weights) {
            const Pairs p = asPairs(source, destination, weights);
            cmath_xformRigid out;
            if (weights.is_none()) {
                ORBPY_CHECK(G, cmath_xformRigid_initPoints, &out, p.dst(), p.src(), p.n);
            } else {
                ORBPY_CHECK(G, cmath_xformRigid_initPointsWeighted, &out, p.dst(), p.src(), p.weights.data(), p.n);
            }
            return out;
        },
        py::arg("source"), py::arg("destination"), py::arg("weights") = py::none(),
        "The least-squares rotation and translation mapping source (N, 2) onto destination (N, 2), weighted "
        "when weights are given. GeometryError (cmath_errFailed) for fewer than two pairs or no defined "
        "rotation; cmath_errOutOfDomain for a negative or non-finite weight.");
    rigid.def_static(
        "fit_robust",
        [](py::object source, py::object destination, csRandomUniform2& random, double threshold,
           int32_t maxIterations, double confidence) {
            return robust<cmath_xformRigid>(source, destination, random, threshold, maxIterations, confidence,
                                            cmath_xformRigid_initPointsRobust, "cmath_xformRigid_initPointsRobust");
        },
        py::arg("source"), py::arg("destination"), py::arg("random"), py::arg("threshold"),
        py::arg("max_iterations") = 1000, py::arg("confidence") = 0.99, kRobustDoc);
}

} // namespace orbpy
