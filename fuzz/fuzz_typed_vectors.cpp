// Both typed vector families (statistics records and one-dimensional vectors) driven by a byte
// program and checked against std::vector: two plain vectors on the stack, one made by new and
// one shareable vector made by new. Elements handed to insert, append, pushBack, assignElements
// and resizeFill often point into the vector being changed. Indices and counts include negative
// and out-of-range values, and any operation may meet a failing allocation: a refused or failed
// call must leave the vector exactly as it was (storage, size, capacity, bytes). After every
// step the outstanding-block count matches the storage the vectors hold; at the end it is back
// where it started.
#include <orbmath/orbmath.h>

#include "fuzz_memory.hpp"

#include <algorithm>
#include <vector>

namespace {

// The operations of one family under one set of names.
#define FUZZ_FAMILY(Name, V, T)                                                                     \
    struct Name {                                                                                   \
        using Vec = V;                                                                              \
        using Sh = V##Shareable;                                                                    \
        using Elem = T;                                                                             \
        static constexpr auto construct = V##_construct;                                            \
        static constexpr auto constructEmptyWithMtable = V##_constructEmptyWithMtable;              \
        static constexpr auto constructUninit = V##_constructUninit;                                \
        static constexpr auto constructFill = V##_constructFill;                                    \
        static constexpr auto constructFromBlock = V##_constructFromBlock;                          \
        static constexpr auto constructCopy = V##_constructCopy;                                    \
        static constexpr auto destruct = V##_destruct;                                              \
        static constexpr auto assign = V##_assign;                                                  \
        static constexpr auto assignElements = V##_assignElements;                                  \
        static constexpr auto append = V##_append;                                                  \
        static constexpr auto insert = V##_insert;                                                  \
        static constexpr auto insertElement = V##_insertElement;                                    \
        static constexpr auto pushBack = V##_pushBack;                                              \
        static constexpr auto erase = V##_erase;                                                    \
        static constexpr auto eraseElement = V##_eraseElement;                                      \
        static constexpr auto popBack = V##_popBack;                                                \
        static constexpr auto clear = V##_clear;                                                    \
        static constexpr auto clearAndFreeMemory = V##_clearAndFreeMemory;                          \
        static constexpr auto reserve = V##_reserve;                                                \
        static constexpr auto resize = V##_resize;                                                  \
        static constexpr auto resizeFill = V##_resizeFill;                                          \
        static constexpr auto resizeUninit = V##_resizeUninit;                                      \
        static constexpr auto swap = V##_swap;                                                      \
        static constexpr auto getBeginSizeConst = V##_getBeginSizeConst;                            \
        static constexpr auto getSizeIntPtr = V##_getSizeIntPtr;                                    \
        static constexpr auto getCapacity = V##_getCapacity;                                        \
        static constexpr auto getElement = V##_getElement;                                          \
        static constexpr auto getNextElementConst = V##_getNextElementConst;                        \
        static constexpr auto newVector = V##_new;                                                  \
        static constexpr auto newClone = V##_newClone;                                              \
        static constexpr auto deleteVector = V##_delete;                                            \
        static constexpr auto shNew = V##Shareable_new;                                             \
        static constexpr auto shNewClone = V##Shareable_newClone;                                   \
        static constexpr auto shDelete = V##Shareable_delete;                                       \
        static constexpr auto shPushBack = V##Shareable_pushBack;                                   \
        static constexpr auto shAssignElements = V##Shareable_assignElements;                       \
        static constexpr auto shAssignVector = V##Shareable_assignVector;                           \
        static constexpr auto shResize = V##Shareable_resize;                                       \
        static constexpr auto shReserve = V##Shareable_reserve;                                     \
        static constexpr auto shReset = V##Shareable_reset;                                         \
    };
FUZZ_FAMILY(StatisticsFamily, cstd_vector_cmath_statistics, cmath_statistics)
FUZZ_FAMILY(Vect1Family, cstd_vector_cmath_vect1, cmath_vect1)
#undef FUZZ_FAMILY

constexpr cmath_status kOutOfRange = cstd_vector_errOutOfRange;

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same(const cmath_vect1& a, const cmath_vect1& b) { return same(a.x, b.x); }
bool same(const cmath_statistics& a, const cmath_statistics& b)
{
    return a.n == b.n && same(a.sum, b.sum) && same(a.sumSquares, b.sumSquares) && same(a.minimum, b.minimum) &&
           same(a.maximum, b.maximum);
}

void fresh(fuzz::Input& in, cmath_vect1& e) { e = {in.real()}; }
void fresh(fuzz::Input& in, cmath_statistics& e)
{
    e = {};
    e.n = in.raw<int32_t>();
    e.sum = in.real();
    e.sumSquares = in.real();
    e.minimum = in.real();
    e.maximum = in.real();
}

// An index or count around `size`, sometimes far outside it (a size or capacity argument is
// never huge and positive: the allocation would be granted).
int32_t indexNear(fuzz::Input& in, size_t size, bool huge = true)
{
    const uint8_t b = in.byte();
    switch (b % 8) {
    case 0: return -1;
    case 1: return b < 128 || !huge ? INT32_MIN : INT32_MAX;
    default: return static_cast<int32_t>(b % (size + 2));
    }
}

// One vector under test and the elements it must hold.
template <class F>
struct Subject {
    typename F::Vec* v;
    std::vector<typename F::Elem> model;
};

// The state a failed or refused call must leave: storage, size, capacity and bytes.
template <class F>
struct Snapshot {
    explicit Snapshot(const typename F::Vec* v) : raw(v->vector)
    {
        const auto* p = static_cast<const unsigned char*>(raw.begin);
        bytes.assign(p, p + (p == nullptr ? 0 : raw.size * raw.elementSize));
    }
    bool unchanged(const typename F::Vec* v) const
    {
        const cstd_vector& now = v->vector;
        return now.begin == raw.begin && now.size == raw.size && now.capacity == raw.capacity &&
               (bytes.empty() || std::memcmp(now.begin, bytes.data(), bytes.size()) == 0);
    }
    cstd_vector raw;
    std::vector<unsigned char> bytes;
};

template <class F>
void expectHolds(const typename F::Vec* v, const std::vector<typename F::Elem>& model)
{
    const typename F::Elem* begin = nullptr;
    int32_t size = -1;
    intptr_t size2 = -1, capacity = -1;
    FUZZ_CHECK(F::getBeginSizeConst(v, &begin, &size) == 0 && F::getSizeIntPtr(v, &size2) == 0);
    FUZZ_CHECK(F::getCapacity(v, &capacity) == 0);
    FUZZ_CHECK(static_cast<size_t>(size) == model.size() && size2 == size && capacity >= size);
    FUZZ_CHECK((begin == nullptr) == (capacity == 0));
    for (size_t i = 0; i < model.size(); ++i) {
        FUZZ_CHECK(same(begin[i], model[i]));
    }
}

// Elements to insert: `count` of v's own (from a random offset) or of a local array, and the
// values they hold now. A count may also be negative.
template <class F>
const typename F::Elem* elementsFor(fuzz::Input& in, Subject<F>& s, std::vector<typename F::Elem>& local,
                                    int32_t& count, std::vector<typename F::Elem>& values)
{
    const uint8_t b = in.byte();
    const size_t n = s.model.size();
    if (b % 4 == 0 && n > 0) {
        const size_t from = in.byte() % n;
        count = static_cast<int32_t>(in.byte() % (n - from + 1));
        values.assign(s.model.begin() + static_cast<ptrdiff_t>(from), s.model.begin() + static_cast<ptrdiff_t>(from) + count);
        return static_cast<const typename F::Elem*>(s.v->vector.begin) + from;
    }
    local.resize(1 + in.byte() % 6);
    for (auto& e : local) {
        fresh(in, e);
    }
    count = b % 16 == 1 ? -1 : static_cast<int32_t>(in.byte() % (local.size() + 1));
    values.assign(local.begin(), local.begin() + std::max(count, 0));
    return local.data();
}

// One modifying operation on s; returns the status the model predicts and updates the model
// when the call is to succeed. `other` is the second plain vector (for assign and swap).
template <class F>
cmath_status modify(fuzz::Input& in, Subject<F>& s, Subject<F>& other)
{
    using Elem = typename F::Elem;
    auto& m = s.model;
    const size_t n = m.size();
    std::vector<Elem> local, values;
    int32_t count = 0;
    const uint8_t op = in.byte() % 14;
    // The values a call reads are copied first, so that the model knows them whatever it moves.
    const int32_t index = indexNear(in, n, op < 8);
    const Elem* elements = op <= 2 ? elementsFor(in, s, local, count, values) : nullptr;
    Elem spare{};
    fresh(in, spare);
    const Elem* own = n > 0 && in.byte() % 4 != 0 ? static_cast<const Elem*>(s.v->vector.begin) + in.byte() % n : &spare;
    const Elem value = *own;
    Subject<F>& source = in.byte() % 4 == 0 ? s : other;
    const bool uninit = in.byte() % 2 == 0;
    const Snapshot<F> before(s.v);
    fuzz::FailOne failing(in);
    cmath_status st = 0, want = 0;
    switch (op) {
    case 0:
        st = F::insert(s.v, index, elements, count);
        want = count < 0 || index < 0 || static_cast<size_t>(index) > n ? kOutOfRange : 0;
        if (want == 0) m.insert(m.begin() + index, values.begin(), values.end());
        break;
    case 1:
        st = F::append(s.v, elements, count);
        want = count < 0 ? kOutOfRange : 0;
        if (want == 0) m.insert(m.end(), values.begin(), values.end());
        break;
    case 2:
        st = F::assignElements(s.v, elements, count);
        want = count < 0 ? kOutOfRange : 0;
        if (want == 0) m = values;
        break;
    case 3: st = F::pushBack(s.v, own); m.push_back(value); break;
    case 4:
        st = F::insertElement(s.v, index, own);
        want = index < 0 || static_cast<size_t>(index) > n ? kOutOfRange : 0;
        if (want == 0) m.insert(m.begin() + index, value);
        break;
    case 5: {
        const int32_t many = indexNear(in, n);
        st = F::erase(s.v, index, many);
        want = index < 0 || many < 0 || static_cast<int64_t>(index) + many > static_cast<int64_t>(n) ? kOutOfRange : 0;
        if (want == 0) m.erase(m.begin() + index, m.begin() + index + many);
        break;
    }
    case 6:
        st = F::eraseElement(s.v, index);
        want = index < 0 || static_cast<size_t>(index) >= n ? kOutOfRange : 0;
        if (want == 0) m.erase(m.begin() + index);
        break;
    case 7:
        st = F::popBack(s.v);
        want = n == 0 ? kOutOfRange : 0;
        if (want == 0) m.pop_back();
        break;
    case 8:
        // New uninitialised elements are written at once, as their contract asks.
        st = uninit ? F::resizeUninit(s.v, index) : F::resize(s.v, index);
        want = index < 0 ? kOutOfRange : 0;
        if (want == 0) m.resize(index, uninit ? spare : Elem{});
        if (st == 0 && uninit && static_cast<size_t>(index) > n) {
            std::fill(static_cast<Elem*>(s.v->vector.begin) + n, static_cast<Elem*>(s.v->vector.begin) + index, spare);
        }
        break;
    case 9: st = F::resizeFill(s.v, index, own); want = index < 0 ? kOutOfRange : 0; if (want == 0) m.resize(index, value); break;
    case 10: {
        const intptr_t oldCapacity = s.v->vector.capacity;
        st = F::reserve(s.v, index);
        want = index < 0 ? kOutOfRange : 0;
        FUZZ_CHECK(st < 0 || s.v->vector.capacity == std::max<intptr_t>(oldCapacity, index));
        break;
    }
    case 11: st = F::assign(s.v, source.v); m = source.model; break;
    case 12: st = F::swap(s.v, other.v); std::swap(m, other.model); break;
    default:
        if (in.byte() % 2 == 0) {
            st = F::clear(s.v);
            FUZZ_CHECK(s.v->vector.begin == before.raw.begin && s.v->vector.capacity == before.raw.capacity);
        } else {
            st = F::clearAndFreeMemory(s.v);
            FUZZ_CHECK(s.v->vector.begin == nullptr && s.v->vector.capacity == 0);
        }
        m.clear();
        break;
    }
    if (st < 0) {
        FUZZ_CHECK(before.unchanged(s.v));
    }
    if (st == csys_errNoMemory) {
        FUZZ_CHECK(want == 0 && failing.armed());
        return st; // the caller restores the model
    }
    FUZZ_CHECK(st == want);
    const bool inserts = op <= 1 || op == 3 || op == 4 || op == 8 || op == 9;
    if (inserts && st == 0 && before.raw.capacity < s.v->vector.size) {
        FUZZ_CHECK(s.v->vector.capacity >= 2 * before.raw.capacity); // growth at least doubles
    }
    return st;
}

template <class F>
int64_t blocksOf(const typename F::Vec* v)
{
    return v != nullptr && v->vector.begin != nullptr ? 1 : 0;
}

template <class F>
void run(fuzz::Input& in)
{
    using Elem = typename F::Elem;
    const int64_t start = csys_memory_testOutstanding();
    typename F::Vec a, b;
    typename F::Vec* heap = nullptr;
    typename F::Sh* shared = nullptr;
    Subject<F> subjects[2] = {{&a, {}}, {&b, {}}};
    Subject<F> heapSubject = {nullptr, {}};
    std::vector<Elem> sharedModel;
    // Construction of a in one of the ways the family offers; b starts empty.
    Elem fill{};
    fresh(in, fill);
    const int32_t count = static_cast<int32_t>(in.byte() % 9);
    std::vector<Elem> initial(static_cast<size_t>(count), Elem{});
    switch (in.byte() % 4) {
    case 0: FUZZ_CHECK(F::construct(&a, count) == 0); break;
    case 1: FUZZ_CHECK(F::constructFill(&a, count, &fill) == 0); initial.assign(initial.size(), fill); break;
    case 2:
        FUZZ_CHECK(F::constructUninit(&a, count) == 0);
        std::fill_n(static_cast<Elem*>(a.vector.begin), count, fill);
        initial.assign(initial.size(), fill);
        break;
    default: FUZZ_CHECK(F::constructFromBlock(&a, initial.data(), count) == 0); break;
    }
    subjects[0].model = initial;
    FUZZ_CHECK(F::constructEmptyWithMtable(&b, &start) == 0 && b.vector.mtable == &start);

    for (int step = 0; step < 200 && in.left() > 0; ++step) {
        const uint8_t what = in.byte();
        Subject<F>& s = what % 3 == 2 && heap != nullptr ? heapSubject : subjects[what % 2];
        switch ((what >> 2) % 8) {
        default: { // most steps change a vector
            const std::vector<Elem> model = s.model, otherModel = subjects[1 - what % 2].model;
            if (modify<F>(in, s, subjects[1 - what % 2]) == csys_errNoMemory) {
                s.model = model;
                subjects[1 - what % 2].model = otherModel;
            }
            break;
        }
        case 4: { // element access and iteration; a foreign pointer is refused
            Elem* e = &fill;
            const int32_t i = indexNear(in, s.model.size());
            const cmath_status st = F::getElement(s.v, i, &e);
            const bool valid = i >= 0 && static_cast<size_t>(i) < s.model.size();
            FUZZ_CHECK(valid ? st == 0 && e == static_cast<Elem*>(s.v->vector.begin) + i
                             : st == kOutOfRange && e == &fill);
            size_t seen = 0;
            for (const Elem* it = nullptr; F::getNextElementConst(s.v, it, &it) == 0 && it != nullptr; ++seen) {
                FUZZ_CHECK(seen < s.model.size() && same(*it, s.model[seen]));
            }
            FUZZ_CHECK(seen == s.model.size());
            const Elem* out = &fill;
            FUZZ_CHECK(F::getNextElementConst(s.v, &fill, &out) == kOutOfRange && out == &fill);
            break;
        }
        case 5: { // a copy made by constructCopy holds the same elements, capacity = size
            typename F::Vec copy;
            fuzz::FailOne failing(in);
            const cmath_status st = F::constructCopy(&copy, s.v);
            FUZZ_CHECK(st == 0 || (st == csys_errNoMemory && failing.armed()));
            if (st == 0) {
                expectHolds<F>(&copy, s.model);
                FUZZ_CHECK(copy.vector.capacity == static_cast<intptr_t>(s.model.size()));
                FUZZ_CHECK(F::destruct(&copy) == 0);
            }
            break;
        }
        case 6: { // the heap vector: new, newClone (also of itself), delete
            fuzz::FailOne failing(in);
            const uint8_t how = in.byte() % 4;
            const cmath_status st = how == 0   ? F::newVector(&heap)
                                    : how == 1 ? F::newClone(&heap, subjects[0].v)
                                    : how == 2 ? F::newClone(&heap, heap)
                                               : F::deleteVector(&heap);
            FUZZ_CHECK(st == 0 || (st == csys_errNoMemory && failing.armed() && how != 3));
            if (how == 2 && heapSubject.v != nullptr) {
                FUZZ_CHECK(heap != nullptr); // a failed copy of itself keeps the vector
            } else if (st < 0 || how == 3 || (how == 2 && heapSubject.v == nullptr)) {
                FUZZ_CHECK(heap == nullptr);
                heapSubject.model.clear();
            } else {
                heapSubject.model = how == 0 ? std::vector<Elem>{} : subjects[0].model;
            }
            heapSubject.v = heap;
            break;
        }
        case 7: { // the shareable vector
            fuzz::FailOne failing(in);
            std::vector<Elem> want = sharedModel;
            cmath_status st = 0;
            const Elem value = subjects[0].model.empty() ? Elem{} : subjects[0].model.front();
            if (shared == nullptr) {
                st = F::shNew(&shared);
                want.clear();
            } else {
                const auto* own = static_cast<const Elem*>(shared->shareable.vector.begin);
                const int32_t n = static_cast<int32_t>(sharedModel.size());
                const Elem first = n > 0 ? own[0] : value; // read before the call moves the storage
                switch (in.byte() % 8) {
                case 0: st = F::shPushBack(shared, n > 0 ? own : &value); want.push_back(first); break;
                case 1: st = F::shAssignElements(shared, own, n / 2); want.resize(static_cast<size_t>(n / 2)); break;
                case 2: st = F::shAssignVector(shared, subjects[0].v); want = subjects[0].model; break;
                case 3: st = F::shResize(shared, n + 3); want.resize(want.size() + 3, Elem{}); break;
                case 4: st = F::shReserve(shared, 2 * n + 1); break;
                case 5: st = F::shReset(shared); want.clear(); break;
                case 6: st = F::shNewClone(&shared, shared); break;
                default: st = F::shDelete(&shared); want.clear(); break;
                }
            }
            FUZZ_CHECK(st == 0 || (st == csys_errNoMemory && failing.armed()));
            if (st == 0) {
                sharedModel = want;
            } else if (shared == nullptr) {
                sharedModel.clear();
            }
            break;
        }
        }
        for (const auto& sub : subjects) {
            expectHolds<F>(sub.v, sub.model);
        }
        if (heap != nullptr) {
            expectHolds<F>(heap, heapSubject.model);
        }
        if (shared != nullptr) {
            expectHolds<F>(reinterpret_cast<const typename F::Vec*>(&shared->shareable.vector), sharedModel);
        }
        const int64_t sharedBlocks =
            shared == nullptr ? 0 : 1 + (shared->shareable.vector.begin != nullptr ? 1 : 0);
        FUZZ_CHECK(csys_memory_testOutstanding() == start + blocksOf<F>(&a) + blocksOf<F>(&b) +
                                                        (heap != nullptr ? 1 + blocksOf<F>(heap) : 0) + sharedBlocks);
    }
    FUZZ_CHECK(F::destruct(&a) == 0 && F::destruct(&b) == 0);
    FUZZ_CHECK(F::deleteVector(&heap) == 0 && heap == nullptr);
    FUZZ_CHECK(F::shDelete(&shared) == 0 && shared == nullptr);
    FUZZ_CHECK(csys_memory_testOutstanding() == start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    if (in.byte() % 2 == 0) {
        run<StatisticsFamily>(in);
    } else {
        run<Vect1Family>(in);
    }
    return 0;
}
