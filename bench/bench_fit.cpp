// Robust fits to point pairs with 30 % gross outliers: this library's random sample consensus
// against OpenCV 4's estimateAffine2D (affine) and estimateAffinePartial2D (similarity), both
// with RANSAC, on the same pairs with the same threshold and the same number of iterations.
// Both run all kIterations: ours with confidence 1, OpenCV with the largest confidence it
// accepts, 1 - 2^-53, for which its adaptive count log(2^-53) / log(1 - w^s) stays above 50
// while the inlier ratio w is at most 0.7 (s = 3 or 2), as exactly 30 % outliers make it.
// OpenCV refines on its inliers with Levenberg-Marquardt (refineIters 10, its default;
// "-norefine" rows with 0); ours ends with the closed-form least squares on its inliers.
//
// Accuracy rows ("fit-accuracy-...", 1000 pairs, unit Gaussian noise) time one fit like the
// others and report as counters the error of the recovered transform: the RMS over the true
// inliers of |fitted(p) - true(p)|, averaged over 100 data sets ("map_err"), and the number of
// sets on which ours was no worse than that peer ("ours_le").
#include "common.hpp"

#include <orbmath/orbmath.h>

#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>

#include <cmath>
#include <random>
#include <vector>

namespace {

using orbbench::add;
using orbbench::AllocCounter;
using orbbench::kOurs;

constexpr int kIterations = 50;
constexpr double kThreshold = 3.0;
constexpr int kSets = 100;
const double kCvConfidence = std::nextafter(1.0, 0.0);

struct Data {
    std::vector<cmath_vect> src, dst;
    std::vector<cv::Point2f> cvSrc, cvDst;
    std::vector<char> inlier;
    cmath_xformLinear truth;
};

// Sources uniform in a 1000 x 1000 image; 7 destinations in 10 are the true transform of their
// source plus Gaussian noise of the given sigma in each coordinate, the other 3 (i mod 10 < 3)
// uniform in the image. The true transform turns by 0.3 rad, scales by 1.2, shears (affine only) and shifts.
Data makeData(long n, bool affine, double sigma, uint64_t seed)
{
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> pos(0.0, 1000.0);
    std::normal_distribution<double> noise(0.0, sigma);
    Data d;
    const double c = 1.2 * std::cos(0.3), s = 1.2 * std::sin(0.3);
    d.truth = cmath_xformLinear{{50.0, -30.0}, {c, affine ? -s + 0.15 : -s, s, affine ? c * 0.9 : c}};
    for (long i = 0; i < n; ++i) {
        const cmath_vect p{pos(gen), pos(gen)};
        cmath_vect q;
        cmath_xformLinear_mapPoint(&d.truth, &p, &q);
        const bool in = i % 10 >= 3;
        if (in) {
            q.x += noise(gen);
            q.y += noise(gen);
        } else {
            q = cmath_vect{pos(gen), pos(gen)};
        }
        d.src.push_back(p);
        d.dst.push_back(q);
        d.cvSrc.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y));
        d.cvDst.emplace_back(static_cast<float>(q.x), static_cast<float>(q.y));
        d.inlier.push_back(in ? 1 : 0);
    }
    return d;
}

cmath_status ours(const Data& d, bool affine, cmath_xformLinear* out, std::vector<int32_t>& mask)
{
    csRandomUniform2 state;
    csRandomUniformInit2(&state, 1);
    const auto fit = affine ? cmath_xformLinear_initPointsRobust : cmath_xformLinear_initPointsSimilarityRobust;
    int32_t count = 0;
    return fit(out, d.dst.data(), d.src.data(), static_cast<int32_t>(d.src.size()), &state, kThreshold, kIterations,
               1.0, mask.data(), &count);
}

cv::Mat opencv(const Data& d, bool affine, int refine, std::vector<uchar>& mask)
{
    return affine ? cv::estimateAffine2D(d.cvSrc, d.cvDst, mask, cv::RANSAC, kThreshold, kIterations, kCvConfidence, refine)
                  : cv::estimateAffinePartial2D(d.cvSrc, d.cvDst, mask, cv::RANSAC, kThreshold, kIterations, kCvConfidence,
                                                refine);
}

cmath_xformLinear fromCv(const cv::Mat& m)
{
    if (m.empty()) {
        return cmath_xformLinear{{NAN, NAN}, {NAN, NAN, NAN, NAN}};
    }
    return cmath_xformLinear{{m.at<double>(0, 2), m.at<double>(1, 2)},
                             {m.at<double>(0, 0), m.at<double>(0, 1), m.at<double>(1, 0), m.at<double>(1, 1)}};
}

// RMS over the true inliers of the distance between the fitted and the true image of p.
double mapError(const Data& d, const cmath_xformLinear& x)
{
    double sum = 0.0;
    long k = 0;
    for (size_t i = 0; i < d.src.size(); ++i) {
        if (d.inlier[i]) {
            cmath_vect a, b;
            cmath_xformLinear_mapPoint(&x, &d.src[i], &a);
            cmath_xformLinear_mapPoint(&d.truth, &d.src[i], &b);
            sum += (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
            ++k;
        }
    }
    return std::sqrt(sum / static_cast<double>(k));
}

void registerRobust(const char* model, bool affine)
{
    const std::string timing = std::string("fit-robust-") + model;
    const std::string accuracy = std::string("fit-accuracy-") + model;
    for (long n : {100L, 10000L}) {
        add(timing, kOurs, n, [=](benchmark::State& st) {
            const Data d = makeData(n, affine, 1.0, 42);
            std::vector<int32_t> mask(static_cast<size_t>(n));
            AllocCounter allocs(st);
            for (auto _ : st) {
                cmath_xformLinear x;
                if (ours(d, affine, &x, mask) < 0) {
                    st.SkipWithError("fit refused");
                }
                benchmark::DoNotOptimize(x);
            }
        });
        for (int refine : {10, 0}) {
            add(timing, refine ? "opencv-ransac" : "opencv-ransac-norefine", n, [=](benchmark::State& st) {
                cv::setNumThreads(1);
                const Data d = makeData(n, affine, 1.0, 42);
                std::vector<uchar> mask;
                for (auto _ : st) {
                    cv::Mat m = opencv(d, affine, refine, mask);
                    benchmark::DoNotOptimize(m.data);
                }
            });
        }
    }
    // Accuracy over kSets data sets; each peer's row reports its mean error and how often ours
    // was at least as good, ours' row its own mean error.
    for (int peer : {-1, 10, 0}) {
        const char* impl = peer < 0 ? kOurs : peer ? "opencv-ransac" : "opencv-ransac-norefine";
        add(accuracy, impl, 1000, [=](benchmark::State& st) {
            cv::setNumThreads(1);
            std::vector<Data> sets;
            double errSum = 0.0, oursLe = 0.0;
            std::vector<int32_t> mask(1000);
            std::vector<uchar> cvMask;
            for (int k = 0; k < kSets; ++k) {
                sets.push_back(makeData(1000, affine, 1.0, 1000 + static_cast<uint64_t>(k)));
                cmath_xformLinear x;
                const double eo = ours(sets.back(), affine, &x, mask) < 0 ? INFINITY : mapError(sets.back(), x);
                const double e = peer < 0 ? eo : mapError(sets.back(), fromCv(opencv(sets.back(), affine, peer, cvMask)));
                errSum += e;
                oursLe += eo <= e ? 1.0 : 0.0;
            }
            for (auto _ : st) {
                if (peer < 0) {
                    cmath_xformLinear x;
                    benchmark::DoNotOptimize(ours(sets[0], affine, &x, mask));
                } else {
                    cv::Mat m = opencv(sets[0], affine, peer, cvMask);
                    benchmark::DoNotOptimize(m.data);
                }
            }
            st.counters["map_err"] = errSum / kSets;
            if (peer >= 0) {
                st.counters["ours_le"] = oursLe;
            }
        });
    }
}

[[maybe_unused]] const int registered = (registerRobust("affine", true), registerRobust("similarity", false), 0);

} // namespace
