// Private to the library: the sums behind every least-squares fit of a transform to point pairs
// (the affine fit of xform_linear.cpp and the rigid, similarity, weighted and robust fits of
// fit.cpp), and the affine solve from them. One accumulation for all fits means that a weighted
// fit with every weight 1 gives the unweighted fit's sums, bit for bit, and so its result.
#ifndef ORBMATH_SRC_GEOMETRY_FIT_SUMS_HPP
#define ORBMATH_SRC_GEOMETRY_FIT_SUMS_HPP

#include <orbmath/geometry.h>

#include <cmath>

namespace orb {

// The eleven sums over the pairs (p = source[i], q = destination[i]). Each is a separate
// accumulator, so adding one pair to all of them keeps every sum in index order; the pairs of
// sums that share a pattern ride in the two lanes of a vector register (lane-wise IEEE
// additions, identical to the scalar ones).
typedef double Lane2 __attribute__((vector_size(16)));

struct FitSums {
    Lane2 p{0.0, 0.0};   // Sx, Sy
    Lane2 q{0.0, 0.0};   // Sqx, Sqy
    Lane2 pp{0.0, 0.0};  // Sxx, Syy
    Lane2 qpx{0.0, 0.0}; // Sqxpx, Sqypx
    Lane2 qpy{0.0, 0.0}; // Sqxpy, Sqypy
    double pxpy = 0.0;   // Sxy

    inline void add(const cmath_vect& src, const cmath_vect& dst)
    {
        const Lane2 vp{src.x, src.y};
        const Lane2 vq{dst.x, dst.y};
        const Lane2 vx{src.x, src.x};
        const Lane2 vy{src.y, src.y};
        p += vp;
        q += vq;
        pp += vp * vp;
        qpx += vq * vx;
        qpy += vq * vy;
        pxpy += src.x * src.y;
    }

    // Every term times the weight, the weight multiplying the term's first factor:
    // (weight * p.x) * p.x, (weight * q.x) * p.y, ... With weight 1 these are add()'s terms.
    inline void addWeighted(const cmath_vect& src, const cmath_vect& dst, double weight)
    {
        const Lane2 vw{weight, weight};
        const Lane2 vp{src.x, src.y};
        const Lane2 vq{dst.x, dst.y};
        const Lane2 vx{src.x, src.x};
        const Lane2 vy{src.y, src.y};
        const Lane2 wp = vw * vp;
        const Lane2 wq = vw * vq;
        p += wp;
        q += wq;
        pp += wp * vp;
        qpx += wq * vx;
        qpy += wq * vy;
        pxpy += (weight * src.x) * src.y;
    }
};

// The sums of FitSums centred by w = 1 / (count or total weight).
struct CentredSums {
    double Sx, Sy, Sqx, Sqy; // the raw first-order sums, for the translation
    double Cxx, Cxy, Cyy, Cqxpx, Cqxpy, Cqypx, Cqypy;
};

inline CentredSums centre(const FitSums& acc, double w)
{
    CentredSums c;
    c.Sx = acc.p[0];
    c.Sy = acc.p[1];
    c.Sqx = acc.q[0];
    c.Sqy = acc.q[1];
    const double Sxx = acc.pp[0], Syy = acc.pp[1];
    const double Sqxpx = acc.qpx[0], Sqypx = acc.qpx[1];
    const double Sqxpy = acc.qpy[0], Sqypy = acc.qpy[1];
    const double Sxy = acc.pxpy;
    c.Cxx = Sxx - c.Sx * c.Sx * w;
    c.Cxy = Sxy - c.Sy * c.Sx * w;
    c.Cyy = Syy - c.Sy * c.Sy * w;
    c.Cqxpx = Sqxpx - c.Sqx * c.Sx * w;
    c.Cqxpy = Sqxpy - c.Sqx * c.Sy * w;
    c.Cqypx = Sqypx - c.Sqy * c.Sx * w;
    c.Cqypy = Sqypy - c.Sqy * c.Sy * w;
    return c;
}

// The translation that takes the (weighted) centroid of the sources through the matrix to that
// of the destinations: ((Sqx - e11 Sx - e12 Sy) w, (Sqy - e21 Sx - e22 Sy) w).
inline cmath_vect centroidTranslation(const CentredSums& c, const cmath_matrix& m, double w)
{
    return cmath_vect{(c.Sqx - m.e11 * c.Sx - m.e12 * c.Sy) * w, (c.Sqy - m.e21 * c.Sx - m.e22 * c.Sy) * w};
}

// The affine least-squares solve: the two rows of the matrix solve the centred normal equations
//
//     (Cxx Cxy; Cxy Cyy) (e11; e12) = (Cqxpx; Cqxpy),   likewise (e21; e22) from the qy sums,
//
// by Cramer's rule with D = Cyy Cxx - Cxy^2; each numerator is tested before its division and
// the fit refused (cmath_errFailed, *out untouched) unless |D| > 1e-15 |N|. That rejects D = 0,
// any NaN, and any element that would reach 1e15 in magnitude.
inline cmath_status solveAffine(const FitSums& acc, double w, cmath_xformLinear* out)
{
    const CentredSums c = centre(acc, w);
    const double D = c.Cyy * c.Cxx - c.Cxy * c.Cxy;
    const double absD = std::fabs(D);
    const auto conditioned = [absD](double num) { return absD > 1e-15 * std::fabs(num); };

    const double Na = c.Cqxpx * c.Cyy - c.Cqxpy * c.Cxy;
    if (!conditioned(Na)) {
        return cmath_errFailed;
    }
    const double e11 = Na / D;
    const double Nb = c.Cqxpy * c.Cxx - c.Cqxpx * c.Cxy;
    if (!conditioned(Nb)) {
        return cmath_errFailed;
    }
    const double e12 = Nb / D;
    const double Nc = c.Cqypx * c.Cyy - c.Cqypy * c.Cxy;
    if (!conditioned(Nc)) {
        return cmath_errFailed;
    }
    const double e21 = Nc / D;
    const double Nd = c.Cqypy * c.Cxx - c.Cqypx * c.Cxy;
    if (!conditioned(Nd)) {
        return cmath_errFailed;
    }
    const double e22 = Nd / D;

    const cmath_matrix m{e11, e12, e21, e22};
    const cmath_vect t = centroidTranslation(c, m, w);
    out->matrix = m;
    out->trans = t;
    return 0;
}

} // namespace orb

#endif
