// Arrays of points, the peers, built -O3 -march=native: Eigen's (A * P).colwise() + t over a
// 2 x N array and an Affine2d loop over its columns, OpenCV's cv::transform, and for the chain
// Eigen's loop over ten inlined affine maps per point.
//
// This file is compiled for this machine and the rest of the program is not: no Eigen object
// crosses its boundary, and Eigen's allocation alignment is held at the default of the other
// files so that the inline functions both sides instantiate agree.
#define EIGEN_MAX_ALIGN_BYTES 16
#include "arrays_inputs.hpp"

#include <Eigen/Dense>
#include <Eigen/Geometry>

#ifdef ORBMATH_BENCH_OPENCV
#include <opencv2/core.hpp>
#endif

#include <cstring>
#include <vector>

namespace {

using namespace orbbench::arrays;
using orbbench::add;

Eigen::Affine2d eigenOf(const Affine6& a)
{
    Eigen::Affine2d x = Eigen::Affine2d::Identity();
    x.linear() << a.e[0], a.e[1], a.e[2], a.e[3];
    x.translation() << a.e[4], a.e[5];
    return x;
}

Eigen::Matrix2Xd matrixOf(long n)
{
    const std::vector<double> v = points(n);
    Eigen::Matrix2Xd p(2, n);
    std::memcpy(p.data(), v.data(), v.size() * sizeof(double));
    return p;
}

void registerAffine()
{
    for (const long n : kSizes) {
        add("arrays-affine", "eigen-colwise-native", n, [n](benchmark::State& st) {
            const Eigen::Affine2d a = eigenOf(transforms()[0]);
            const Eigen::Matrix2d m = a.linear();
            const Eigen::Vector2d t = a.translation();
            const Eigen::Matrix2Xd p = matrixOf(n);
            Eigen::Matrix2Xd q(2, n);
            for (auto _ : st) {
                q.noalias() = (m * p).colwise() + t;
                benchmark::DoNotOptimize(q.data());
                benchmark::ClobberMemory();
            }
        });
        add("arrays-affine", "eigen-affine2d-native", n, [n](benchmark::State& st) {
            const Eigen::Affine2d a = eigenOf(transforms()[0]);
            const Eigen::Matrix2Xd p = matrixOf(n);
            Eigen::Matrix2Xd q(2, n);
            for (auto _ : st) {
                for (Eigen::Index i = 0; i < n; ++i) {
                    q.col(i) = a * p.col(i);
                }
                benchmark::DoNotOptimize(q.data());
                benchmark::ClobberMemory();
            }
        });
#ifdef ORBMATH_BENCH_OPENCV
        add("arrays-affine", "opencv-transform", n, [n](benchmark::State& st) {
            const Affine6 a = transforms()[0];
            const cv::Matx23d m(a.e[0], a.e[1], a.e[4], a.e[2], a.e[3], a.e[5]);
            std::vector<double> v = points(n);
            const cv::Mat p(static_cast<int>(n), 1, CV_64FC2, v.data());
            cv::Mat q(static_cast<int>(n), 1, CV_64FC2);
            for (auto _ : st) {
                cv::transform(p, q, m);
                benchmark::DoNotOptimize(q.data);
                benchmark::ClobberMemory();
            }
        });
#endif
    }
}

void registerChain()
{
    for (const long n : kSizes) {
        add("arrays-chain10", "eigen-loop10-native", n, [n](benchmark::State& st) {
            const std::vector<Affine6> t = transforms();
            Eigen::Affine2d a[kParts];
            for (int k = 0; k < kParts; ++k) {
                a[k] = eigenOf(t[static_cast<size_t>(k)]);
            }
            const Eigen::Matrix2Xd p = matrixOf(n);
            Eigen::Matrix2Xd q(2, n);
            for (auto _ : st) {
                for (Eigen::Index i = 0; i < n; ++i) {
                    Eigen::Vector2d v = p.col(i);
                    for (int k = 0; k < kParts; ++k) {
                        v = a[k] * v;
                    }
                    q.col(i) = v;
                }
                benchmark::DoNotOptimize(q.data());
                benchmark::ClobberMemory();
            }
        });
    }
}

[[maybe_unused]] const int registered = (registerAffine(), registerChain(), 0);

} // namespace
