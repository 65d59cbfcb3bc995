// The two typed vector families bound to one set of names, so that one test body runs for both.
#ifndef ORBMATH_TESTS_TYPED_FAMILY_H
#define ORBMATH_TESTS_TYPED_FAMILY_H

#include <orbmath/orbmath.h>

namespace orbtest {

// The operations the tests use, bound to one family's exported names.
#define ORBTEST_FAMILY(V)                                                                              \
    using Vec = V;                                                                                     \
    using Sh = V##Shareable;                                                                           \
    static constexpr const char* cname = #V;                                                           \
    static constexpr auto construct = V##_construct;                                                   \
    static constexpr auto constructEmpty = V##_constructEmpty;                                         \
    static constexpr auto constructUninit = V##_constructUninit;                                       \
    static constexpr auto constructWithMtable = V##_constructWithMtable;                               \
    static constexpr auto constructEmptyWithMtable = V##_constructEmptyWithMtable;                     \
    static constexpr auto constructFill = V##_constructFill;                                           \
    static constexpr auto constructFromBlock = V##_constructFromBlock;                                 \
    static constexpr auto constructCopy = V##_constructCopy;                                           \
    static constexpr auto destruct = V##_destruct;                                                     \
    static constexpr auto assign = V##_assign;                                                         \
    static constexpr auto assignElements = V##_assignElements;                                         \
    static constexpr auto append = V##_append;                                                         \
    static constexpr auto clear = V##_clear;                                                           \
    static constexpr auto clearAndFreeMemory = V##_clearAndFreeMemory;                                 \
    static constexpr auto erase = V##_erase;                                                           \
    static constexpr auto eraseElement = V##_eraseElement;                                             \
    static constexpr auto insert = V##_insert;                                                         \
    static constexpr auto insertElement = V##_insertElement;                                           \
    static constexpr auto pushBack = V##_pushBack;                                                     \
    static constexpr auto popBack = V##_popBack;                                                       \
    static constexpr auto reserve = V##_reserve;                                                       \
    static constexpr auto resize = V##_resize;                                                         \
    static constexpr auto resizeFill = V##_resizeFill;                                                 \
    static constexpr auto resizeUninit = V##_resizeUninit;                                             \
    static constexpr auto getBegin = V##_getBegin;                                                     \
    static constexpr auto getBeginConst = V##_getBeginConst;                                           \
    static constexpr auto getBeginSize = V##_getBeginSize;                                             \
    static constexpr auto getBeginSizeConst = V##_getBeginSizeConst;                                   \
    static constexpr auto getBeginSize32 = V##_getBeginSize32;                                         \
    static constexpr auto getBeginSizeIntPtr = V##_getBeginSizeIntPtr;                                 \
    static constexpr auto getBeginSizeIntPtrConst = V##_getBeginSizeIntPtrConst;                       \
    static constexpr auto getSize32 = V##_getSize32;                                                   \
    static constexpr auto swap = V##_swap;                                                             \
    static constexpr auto getBeginEnd = V##_getBeginEnd;                                               \
    static constexpr auto getBeginEndConst = V##_getBeginEndConst;                                     \
    static constexpr auto getBeginSize32Const = V##_getBeginSize32Const;                               \
    static constexpr auto getSize = V##_getSize;                                                       \
    static constexpr auto getSizeIntPtr = V##_getSizeIntPtr;                                           \
    static constexpr auto getCapacity = V##_getCapacity;                                               \
    static constexpr auto getElementSize = V##_getElementSize;                                         \
    static constexpr auto getElement = V##_getElement;                                                 \
    static constexpr auto getElementConst = V##_getElementConst;                                       \
    static constexpr auto getNextElement = V##_getNextElement;                                         \
    static constexpr auto getNextElementConst = V##_getNextElementConst;                               \
    static constexpr auto newVector = V##_new;                                                         \
    static constexpr auto newClone = V##_newClone;                                                     \
    static constexpr auto deleteVector = V##_delete;                                                   \
    static constexpr auto unused = V##__unused__;                                                      \
    static constexpr auto shConstruct = V##Shareable_construct;                                        \
    static constexpr auto shConstructEmpty = V##Shareable_constructEmpty;                              \
    static constexpr auto shConstructVector = V##Shareable_constructVector;                            \
    static constexpr auto shConstructCopy = V##Shareable_constructCopy;                                \
    static constexpr auto shDestruct = V##Shareable_destruct;                                          \
    static constexpr auto shAssign = V##Shareable_assign;                                              \
    static constexpr auto shAssignElements = V##Shareable_assignElements;                              \
    static constexpr auto shAssignVector = V##Shareable_assignVector;                                  \
    static constexpr auto shPushBack = V##Shareable_pushBack;                                          \
    static constexpr auto shReserve = V##Shareable_reserve;                                            \
    static constexpr auto shReset = V##Shareable_reset;                                                \
    static constexpr auto shResize = V##Shareable_resize;                                              \
    static constexpr auto shGetBeginEnd = V##Shareable_getBeginEnd;                                    \
    static constexpr auto shGetBeginEndConst = V##Shareable_getBeginEndConst;                          \
    static constexpr auto shGetBeginSizeConst = V##Shareable_getBeginSizeConst;                        \
    static constexpr auto shGetCapacity = V##Shareable_getCapacity;                                    \
    static constexpr auto shGetElementSize = V##Shareable_getElementSize;                              \
    static constexpr auto shGetSize = V##Shareable_getSize;                                            \
    static constexpr auto shGetBeginSize = V##Shareable_getBeginSize;                                  \
    static constexpr auto shNew = V##Shareable_new;                                                    \
    static constexpr auto shNewClone = V##Shareable_newClone;                                          \
    static constexpr auto shDelete = V##Shareable_delete;                                              \
    static constexpr auto shGetTypename = V##Shareable_getTypename;                                    \
    static constexpr auto shQuery = V##Shareable_queryInterfaceByTypename;                             \
    static constexpr auto shQueryFinal = V##Shareable_queryInterfaceByTypenameFinal;                   \
    static constexpr auto shQueryFinal_ = V##Shareable_queryInterfaceByTypename_;

struct StatisticsFamily {
    ORBTEST_FAMILY(cstd_vector_cmath_statistics)
    using T = cmath_statistics;
    static constexpr const char16_t* name = u"cstd_vector_cmath_statisticsShareable";
    static constexpr const char16_t* prefix = u"cstd_vector_cmath_statisticsShareabl";
    static T make(int i) { return {i, i + 0.5, i * 3.25, -i - 0.125, 2.0 * i}; }
    static bool same(const T& a, const T& b)
    {
        return a.n == b.n && a.sum == b.sum && a.sumSquares == b.sumSquares && a.minimum == b.minimum &&
               a.maximum == b.maximum;
    }
};

struct Vect1Family {
    ORBTEST_FAMILY(cstd_vector_cmath_vect1)
    using T = cmath_vect1;
    static constexpr const char16_t* name = u"cstd_vector_cmath_vect1Shareable";
    static constexpr const char16_t* prefix = u"cstd_vector_cmath_vect1";
    static T make(int i) { return {i * 0.25 - 3.0}; }
    static bool same(const T& a, const T& b) { return a.x == b.x; }
};

} // namespace orbtest

#endif
