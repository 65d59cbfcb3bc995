// Typed vectors of statistics records, plain and shareable.
#include "containers/typed_vector.hpp"

namespace {

struct StatisticsFamily {
    using Element = cmath_statistics;
    using Vector = cstd_vector_cmath_statistics;
    using Shareable = cstd_vector_cmath_statisticsShareable;
    static constexpr const char16_t* typeName = u"cstd_vector_cmath_statisticsShareable";
    // Statistics records have no equality of their own.
    static constexpr cstd_vectorShareableEqual shareableEqual = nullptr;
};

using StatisticsOps = orb::TypedVector<StatisticsFamily>;

} // namespace

ORB_TYPED_VECTOR_DEFINE(cstd_vector_cmath_statistics, cmath_statistics, StatisticsOps)
