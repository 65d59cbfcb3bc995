// One rule for null pointers: every function that returns a status refuses a null pointer
// argument with cmath_errNullArgument and writes nothing, unless its documentation gives null a
// meaning. The rows are generated from the public headers at build time (null_table.py), so a
// function is checked as soon as a header declares it; the compiler supplies each parameter's
// type, and every parameter that is a pointer is made null in turn while the others point at
// buffers of a byte pattern that must come back unchanged.
#include "fault.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

constexpr size_t kBuffer = 512;
constexpr int kMaxParams = 12;
constexpr unsigned char kPattern = 0xA5;
using Buffers = unsigned char (*)[kBuffer];

// One argument: null, a pattern buffer, or (not a pointer) 1, so that no count lets a pointer
// go unread.
template <class T> T argument(bool null, void* buffer)
{
    if constexpr (!std::is_pointer_v<T>) {
        return T(1);
    } else if (null) {
        return nullptr;
    } else if constexpr (std::is_function_v<std::remove_pointer_t<T>>) {
        return reinterpret_cast<T>(buffer); // a callback; never called, the refusal comes first
    } else {
        return static_cast<T>(buffer);
    }
}

template <class F> struct Signature;
template <class... A> struct Signature<cmath_status (*)(A...)> {
    static constexpr int count = sizeof...(A);
    static constexpr bool pointer[sizeof...(A) + 1] = {std::is_pointer_v<A>..., false};
    // F with the argument at nullAt null and the others as `argument` makes them.
    template <auto F> static cmath_status call(int nullAt, Buffers b)
    {
        return [&]<size_t... I>(std::index_sequence<I...>) {
            return F(argument<A>(static_cast<int>(I) == nullAt, b[I])...);
        }(std::index_sequence_for<A...>{});
    }
};

struct Row {
    const char* name;
    cmath_status (*call)(int nullAt, Buffers b);
    int count;
    const bool* pointer;
    std::vector<std::string> params; // as the header names them
};

#define ORBTEST_NULL_ROW_(f, ...)                                                                      \
    Row{#f, &Signature<decltype(&f)>::template call<&f>, Signature<decltype(&f)>::count, Signature<decltype(&f)>::pointer, {__VA_ARGS__}},
const Row kRows[] = {
#include "null_table.inc"
};
#undef ORBTEST_NULL_ROW_

// Parameters whose documentation gives null a meaning, as (function, parameter) patterns; the
// header of each says what a null one does.
struct NullMeans {
    const char* function;
    const char* params;
};
const NullMeans kNullMeans[] = {
    {"cstd_ptrh(Const)?_(construct|constructBaseTypename|assignShared)", "header"}, // an empty handle
    {"cstd_ptrh(Const)?_constructBaseTypename", "typeName"},                         // untyped
    {"cstd_shared_initCustomTyped", "descriptor|typeTable"},                         // defaults, no names
    {"cstd_shared_queryInterfaceByTypename(Final)?", "header"},                      // nothing found
    {"cstd_vectorShareable_construct", "typeTable|equal"},                           // none
    {"cstd_vector__compareEqual", "equal"},                                          // equal bytes
    {"cstd_vector__construct\\w*WithVtable\\w*", "vtable|mtable"},                  // plain memory, none
    {"cstd_vector\\w*_getNextElement(Const)?", "element"},                           // the first element
    {"cstd_vector\\w*Shareable_queryInterfaceByTypename\\w*", "s"},                  // nothing found
    {"cstd_vector_\\w+Shareable_getTypename", "s"},                                  // not read
    {"cstd_vector_\\w+_newClone", "src"},                                            // deletes *p
    {"cstd_vector_\\w+_construct(Empty)?WithMtable", "mtable"},                      // none
    {"cmath_xform_(getTypename|queryInterfaceByTypename(Final)?)", "x"},             // not read, nothing found
    {"cmath_xfcomposed_(getTypename|queryInterfaceByTypename(Final)?)", "c"},        // not read, nothing found
    {"cmath_xformPtrh(Const)?_(construct|assign)Linear", "lin"},                     // the identity
    {"cmath_xform_getLinear|cmath_xformPtrh(Const)?_getLinear", "point"},            // the origin
    {"cmath_statistics_getMeanStdDevRms", "mean|stdDev|rms"},                        // optional outputs
    {"cmath_statistics_getAbsExtremeAndRMS", "absExtreme|rms"},                      // optional outputs
    {"cmath_(matrix|xformLinear)Averager_getAverage", "isValid"},                    // optional output
    {"cmath_chiSqTest", "context"},                                                  // the caller's, passed on
    {"cmath_xform\\w*_initPoints\\w*Robust", "inlierMask|inlierCount"},              // optional outputs
};

// The entry of kNullMeans that covers r's parameter i, or -1.
int nullMeans(const Row& r, int i)
{
    static const std::vector<std::pair<std::regex, std::regex>> patterns = [] {
        std::vector<std::pair<std::regex, std::regex>> p;
        for (const NullMeans& m : kNullMeans) {
            p.emplace_back(std::regex(m.function), std::regex(m.params));
        }
        return p;
    }();
    for (size_t k = 0; k < patterns.size(); ++k) {
        if (std::regex_match(r.name, patterns[k].first) && std::regex_match(r.params[static_cast<size_t>(i)], patterns[k].second)) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

TEST(NullArguments, EveryStatusFunctionRefusesEachNullPointerAndWritesNothing)
{
    static unsigned char buffers[kMaxParams][kBuffer];
    static unsigned char pattern[kBuffer];
    std::memset(pattern, kPattern, kBuffer);
    std::set<int> used;
    const int64_t blocks = csys_memory_testOutstanding();
    int cases = 0;
    for (const Row& r : kRows) {
        ASSERT_EQ(static_cast<size_t>(r.count), r.params.size()) << r.name << ": the header was misread";
        ASSERT_LE(r.count, kMaxParams) << r.name;
        for (int i = 0; i < r.count; ++i) {
            const int means = r.pointer[i] ? nullMeans(r, i) : -1;
            used.insert(means);
            if (!r.pointer[i] || means >= 0) {
                continue;
            }
            std::memset(buffers, kPattern, sizeof buffers);
            EXPECT_EQ(r.call(i, buffers), cmath_errNullArgument) << r.name << " with " << r.params[i] << " null";
            for (int k = 0; k < r.count; ++k) {
                EXPECT_EQ(std::memcmp(buffers[k], pattern, kBuffer), 0)
                    << r.name << " with " << r.params[i] << " null wrote through " << r.params[k];
            }
            ++cases;
        }
    }
    EXPECT_EQ(csys_memory_testOutstanding(), blocks);
    for (int k = 0; k < static_cast<int>(std::size(kNullMeans)); ++k) {
        EXPECT_TRUE(used.count(k)) << kNullMeans[k].function << " (" << kNullMeans[k].params << "): matches no pointer";
    }
    EXPECT_GT(cases, 1000);
}

// The rows come from the headers; a function the library exports without declaring it in a
// public header would escape them. Only the allocator's test switches are such functions.
TEST(NullArguments, EveryExportedFunctionIsDeclared)
{
    std::set<std::string> undeclared;
#define ORBTEST_UNDECLARED_EXPORTS_(name) undeclared.insert(name);
#include "null_table.inc"
#undef ORBTEST_UNDECLARED_EXPORTS_
    const std::set<std::string> testSwitches = {"csys_memory_testFailAfter", "csys_memory_testOutstanding",
                                                "csys_memory_testRequests"};
    EXPECT_EQ(undeclared, testSwitches);
    EXPECT_GT(std::size(kRows), 500u);
}

} // namespace
