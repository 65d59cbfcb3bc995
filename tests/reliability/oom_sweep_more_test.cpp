// Allocation failure on every path, continued: the typed vectors (both families through one
// table) and every member of cxNMMatrix that allocates. See oom_sweep_test.cpp for the harness.
#include "fault.h"
#include "nm_helpers.h"
#include "sweep_util.hpp"
#include "typed_family.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using orbtest::Trial;

using rel::report;
using rel::sweep;

// A vector's storage fields and its live elements of family F (compared field by field, F::same:
// a record's padding holds whatever its source held).
template <class F>
struct Snapshot {
    void* begin;
    intptr_t size, capacity;
    std::vector<typename F::T> elements;
    bool operator==(const Snapshot& o) const
    {
        return begin == o.begin && size == o.size && capacity == o.capacity && holds(o);
    }
    // The same size and, when `want` kept its elements, the same elements.
    bool holds(const Snapshot& want) const
    {
        return size == want.size && (want.elements.empty() || std::equal(elements.begin(), elements.end(), want.elements.begin(),
                                                                         want.elements.end(), F::same));
    }
};

template <class F>
Snapshot<F> snap(const cstd_vector& v, bool withElements = true)
{
    const auto* p = static_cast<const typename F::T*>(v.begin);
    return {v.begin, v.size, v.capacity, std::vector<typename F::T>(p, p + (p == nullptr || !withElements ? 0 : v.size))};
}

// The vector inside a typed vector or a typed shareable vector.
template <class O>
const cstd_vector& inner(const O& o)
{
    if constexpr (requires { o.shareable; }) {
        return o.shareable.vector;
    } else {
        return o.vector;
    }
}

// An operation on an O that `make` builds (a constructor's O holds a byte pattern): a failure
// leaves it exactly as it was (a constructor's O byte for byte; any other O's storage, size,
// capacity and elements); the run that gets through gives what a clean run gives (`exact`:
// element bytes included).
template <class F, class O, class Make, class Call, class Destroy>
int sweepOp(const std::string& name, bool constructs, Make make, Call call, Destroy destroy, bool exact = true)
{
    O ref;
    make(&ref);
    EXPECT_EQ(call(&ref), 0);
    const Snapshot<F> want = snap<F>(inner(ref), exact);
    destroy(&ref);
    return sweep(name, [=]() {
        auto o = std::make_shared<O>();
        make(o.get());
        const auto* raw = reinterpret_cast<const unsigned char*>(o.get());
        const std::vector<unsigned char> bytes(raw, raw + (constructs ? sizeof(O) : 0));
        const Snapshot<F> before = constructs ? Snapshot<F>{} : snap<F>(inner(*o));
        Trial t;
        t.op = [=]() { return call(o.get()); };
        t.failed = [=]() {
            EXPECT_TRUE(constructs ? std::memcmp(o.get(), bytes.data(), sizeof(O)) == 0 : snap<F>(inner(*o)) == before);
        };
        t.succeeded = [=]() {
            EXPECT_TRUE(snap<F>(inner(*o)).holds(want));
            if (constructs) {
                destroy(o.get());
            }
        };
        t.teardown = [=]() {
            if (!constructs) {
                destroy(o.get());
            }
        };
        return t;
    });
}

// new / newClone into a variable, empty or holding a heap object `hold` made: a failure leaves the
// variable null (what it held deleted), or, with `keeps`, holding the same object; success gives
// `want`.
template <class F, class O, class Hold, class Call, class Delete>
int sweepHeap(const std::string& name, Hold hold, Call call, Delete del, bool keeps, const O* want)
{
    return sweep(name, [=]() {
        auto p = std::make_shared<O*>(nullptr);
        hold(p.get());
        O* const held = *p;
        Trial t;
        t.op = [=]() { return call(p.get()); };
        t.failed = [=]() {
            EXPECT_EQ(*p, keeps ? held : nullptr);
            if (keeps) {
                EXPECT_EQ(inner(**p).size, 1);
            }
        };
        t.succeeded = [=]() { EXPECT_TRUE(snap<F>(inner(**p)).holds(snap<F>(want != nullptr ? inner(*want) : cstd_vector{}))); };
        t.teardown = [=]() { EXPECT_EQ(del(p.get()), 0); };
        return t;
    });
}

template <class F>
int sweepTyped()
{
    using V = typename F::Vec;
    using S = typename F::Sh;
    using T = typename F::T;
    const F f{};
    const std::string fam = std::string(F::cname) + "_", sh = fam + "Shareable_";
    T block[6];
    for (int k = 0; k < 6; ++k) {
        block[k] = F::make(k + 10);
    }
    V src, one;
    S ssrc, sone;
    EXPECT_EQ(f.constructFromBlock(&src, block, 5) | f.constructFromBlock(&one, &block[4], 1), 0);
    EXPECT_EQ(f.shConstructVector(&ssrc, &src) | f.shConstructVector(&sone, &one), 0);
    const auto destroy = [f](V* v) { f.destruct(v); };
    const auto shDestroy = [f](S* s) { f.shDestruct(s); };
    int n = 0;

    const auto pattern = [](auto* o) { std::memset(static_cast<void*>(o), 0x5A, sizeof *o); };
    auto construct = [&](const std::string& op, auto call, bool exact = true) {
        n += sweepOp<F, V>(fam + op, true, pattern, call, destroy, exact);
    };
    auto sconstruct = [&](const std::string& op, auto call) { n += sweepOp<F, S>(sh + op, true, pattern, call, shDestroy); };
    construct("construct", [=](V* v) { return f.construct(v, 4); });
    construct("constructUninit", [=](V* v) { return f.constructUninit(v, 3); }, false);
    construct("constructWithMtable", [=](V* v) { return f.constructWithMtable(v, 2, &block); });
    construct("constructFill", [=](V* v) { return f.constructFill(v, 6, &block[1]); });
    construct("constructFromBlock", [=](V* v) { return f.constructFromBlock(v, block, 6); });
    construct("constructCopy", [&](V* v) { return f.constructCopy(v, &src); });
    sconstruct("construct", [=](S* s) { return f.shConstruct(s, 3); });
    sconstruct("constructVector", [&](S* s) { return f.shConstructVector(s, &src); });
    sconstruct("constructCopy", [&](S* s) { return f.shConstructCopy(s, &ssrc); });

    // Modifications of a full vector of three and of a shareable vector of two.
    const auto three = [=](V* v) { EXPECT_EQ(f.constructFromBlock(v, block + 3, 3), 0); };
    auto modify = [&](const std::string& op, auto call, bool exact = true) { n += sweepOp<F, V>(fam + op, false, three, call, destroy, exact); };
    modify("assign", [&](V* v) { return f.assign(v, &src); });
    modify("assignElements", [=](V* v) { return f.assignElements(v, block, 6); });
    modify("append", [=](V* v) { return f.append(v, block, 2); });
    modify("insert", [=](V* v) { return f.insert(v, 1, block, 4); });
    modify("insertElement", [=](V* v) { return f.insertElement(v, 0, static_cast<const T*>(v->vector.begin)); });
    modify("pushBack", [=](V* v) { return f.pushBack(v, &block[0]); });
    modify("reserve", [=](V* v) { return f.reserve(v, 40); });
    modify("resize", [=](V* v) { return f.resize(v, 9); });
    modify("resizeFill", [=](V* v) { return f.resizeFill(v, 5, &block[2]); });
    modify("resizeUninit", [=](V* v) { return f.resizeUninit(v, 4); }, false);
    const auto two = [=](S* s) { EXPECT_EQ(f.shConstruct(s, 2), 0); };
    auto smodify = [&](const std::string& op, auto call) { n += sweepOp<F, S>(sh + op, false, two, call, shDestroy); };
    smodify("assign", [&](S* s) { return f.shAssign(s, &ssrc); });
    smodify("assignElements", [=](S* s) { return f.shAssignElements(s, block, 6); });
    smodify("assignVector", [&](S* s) { return f.shAssignVector(s, &src); });
    smodify("pushBack", [=](S* s) { return f.shPushBack(s, &block[1]); });
    smodify("reserve", [=](S* s) { return f.shReserve(s, 30); });
    smodify("resize", [=](S* s) { return f.shResize(s, 7); });

    // Heap objects, into an empty variable or one holding a vector [block[4]].
    const auto hold = [=](V** p) { EXPECT_TRUE(f.newVector(p) == 0 && f.pushBack(*p, &block[4]) == 0); };
    const auto shHold = [=](S** p) { EXPECT_TRUE(f.shNew(p) == 0 && f.shPushBack(*p, &block[4]) == 0); };
    const auto del = [f](V** p) { return f.deleteVector(p); };
    const auto shDel = [f](S** p) { return f.shDelete(p); };
    for (bool holding : {false, true}) {
        const std::string into = holding ? " into a held vector" : "";
        const auto h = [=](V** p) { return holding ? hold(p) : void(); };
        const auto sh2 = [=](S** p) { return holding ? shHold(p) : void(); };
        n += sweepHeap<F, V>(fam + "new" + into, h, [=](V** p) { return f.newVector(p); }, del, false, nullptr);
        n += sweepHeap<F, V>(fam + "newClone" + into, h, [&](V** p) { return f.newClone(p, &src); }, del, false, &src);
        n += sweepHeap<F, S>(sh + "new" + into, sh2, [=](S** p) { return f.shNew(p); }, shDel, false, nullptr);
        n += sweepHeap<F, S>(sh + "newClone" + into, sh2, [&](S** p) { return f.shNewClone(p, &ssrc); }, shDel, false, &ssrc);
    }
    n += sweepHeap<F, V>(fam + "newClone of itself", hold, [=](V** p) { return f.newClone(p, *p); }, del, true, &one);
    n += sweepHeap<F, S>(sh + "newClone of itself", shHold, [=](S** p) { return f.shNewClone(p, *p); }, shDel, true, &sone);

    f.shDestruct(&ssrc);
    f.shDestruct(&sone);
    f.destruct(&one);
    f.destruct(&src);
    return n;
}

TEST(OomSweep, TypedVectorsOfBothFamilies)
{
    int n = sweepTyped<orbtest::StatisticsFamily>();
    n += sweepTyped<orbtest::Vect1Family>();
    report("typed vectors", n);
    EXPECT_GE(n, 60);
}

using nmtest::values;

void fill(cxNMMatrix& m, int rows, int cols, double seed)
{
    ASSERT_EQ(m.initResize(rows, cols), 0);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            // Diagonally dominant: well conditioned, invertible when square.
            const double v = i == j ? 10.0 + seed + i : std::sin(seed + 3.0 * i + j);
            ASSERT_EQ(m.setElement(i, j, v), 0);
        }
    }
}

void symmetric(cxNMMatrix& m, int n, double seed)
{
    cxNMMatrix a;
    fill(a, n, n, seed);
    ASSERT_EQ(a.getSquare(m), 0);
}

// What a failing member leaves in its matrix output.
enum class Leaves { Untouched, Empty, Unspecified };

TEST(OomSweep, EveryAllocatingMatrixMember)
{
    cxNMMatrix A, B, C, S, Bcol, G, D, E, row;
    fill(A, 4, 4, 0.5);
    fill(B, 4, 4, 1.5);
    fill(C, 4, 3, 2.5);
    symmetric(S, 4, 0.25);
    fill(Bcol, 4, 1, 3.5);
    fill(G, 2, 4, 4.5);
    fill(D, 2, 1, 5.5);
    fill(E, 4, 1, 6.5);
    fill(row, 1, 4, 7.5);
    int n = 0;

    // Members writing one matrix `out`, swept twice: with out a 3 x 5 sentinel of another size,
    // then with a sentinel of the result's size (the storage may be reused). A failure leaves out
    // as the row says (of the result's size: always untouched); the run that gets through must
    // give what a clean run on the same out gives.
    using MatOp = std::function<long(cxNMMatrix&)>;
    struct Row {
        const char* name;
        MatOp op;
        Leaves leaves;
    };
    const std::vector<Row> rows = {
        {"initResize", [](cxNMMatrix& t) { return t.initResize(6, 2); }, Leaves::Empty},
        {"initResize with a value", [](cxNMMatrix& t) { return t.initResize(2, 6, 1.5); }, Leaves::Empty},
        {"assign", [&](cxNMMatrix& t) { return t.assign(A); }, Leaves::Empty},
        {"I", [](cxNMMatrix& t) { return cxNMMatrix::I(5, t); }, Leaves::Unspecified},
        {"initAdd", [&](cxNMMatrix& t) { return t.initAdd(A, B); }, Leaves::Untouched},
        {"initSubtract", [&](cxNMMatrix& t) { return t.initSubtract(A, B); }, Leaves::Untouched},
        {"initMultiply", [&](cxNMMatrix& t) { return t.initMultiply(A, C); }, Leaves::Untouched},
        {"initMultiplyT", [&](cxNMMatrix& t) { return t.initMultiplyT(C, C); }, Leaves::Untouched},
        {"initMultiplyT of the target itself", [](cxNMMatrix& t) { return t.initMultiplyT(t, t); }, Leaves::Untouched},
        {"initTmultiply", [&](cxNMMatrix& t) { return t.initTmultiply(C, A); }, Leaves::Untouched},
        {"initMultiply by a scalar", [&](cxNMMatrix& t) { return t.initMultiply(C, -2.0); }, Leaves::Untouched},
        {"initDivide", [&](cxNMMatrix& t) { return t.initDivide(C, 3.0); }, Leaves::Untouched},
        {"getTranspose", [&](cxNMMatrix& t) { return C.getTranspose(t); }, Leaves::Untouched},
        {"getSquare", [&](cxNMMatrix& t) { return C.getSquare(t); }, Leaves::Untouched},
        {"initCopyRange", [&](cxNMMatrix& t) { return t.initCopyRange(A, 1, 1, 0, 0, 3, 2); }, Leaves::Empty},
        // From itself to a new size: the new storage is made before the old one goes.
        {"initCopyRange from the target itself", [](cxNMMatrix& t) { return t.initCopyRange(t, 0, 0, 1, 1, 2, 2); }, Leaves::Untouched},
        {"getInverse", [&](cxNMMatrix& t) { return A.getInverse(t); }, Leaves::Untouched},
        {"getPseudoinverse", [&](cxNMMatrix& t) { return C.getPseudoinverse(1e12, t); }, Leaves::Unspecified},
        {"getMinimalInverse", [&](cxNMMatrix& t) { return A.getMinimalInverse(B, 1e12, t); }, Leaves::Untouched},
        {"pseudoSolve", [&](cxNMMatrix& t) { return cxNMMatrix::pseudoSolve(C, Bcol, 1e12, t); }, Leaves::Unspecified},
        {"solve", [&](cxNMMatrix& t) { double c = 0; return cxNMMatrix::solve(A, Bcol, false, c, 1e12, t); }, Leaves::Untouched},
        {"solve, symmetric", [&](cxNMMatrix& t) { double c = 0; return cxNMMatrix::solve(S, Bcol, true, c, 1e12, t); }, Leaves::Untouched},
        {"partialSolve", [&](cxNMMatrix& t) { double c = 0; return cxNMMatrix::partialSolve(A, B, S, Bcol, E, false, c, 1e12, t); }, Leaves::Untouched},
        {"constraintMinimization", [&](cxNMMatrix& t) { return cxNMMatrix::constraintMinimization(S, Bcol, G, D, 1e12, t); }, Leaves::Untouched},
    };
    for (const Row& r : rows) {
        int rowsOut = 3, colsOut = 5;
        for (int pass = 0; pass < 2; ++pass) {
            cxNMMatrix ref;
            fill(ref, rowsOut, colsOut, 9.0);
            EXPECT_EQ(r.op(ref), 0) << r.name;
            const std::vector<double> want = values(ref);
            const int k = sweep(std::string("cxNMMatrix::") + r.name + (pass == 0 ? "" : " into a result-sized matrix"), [&]() {
                auto out = std::make_shared<cxNMMatrix>();
                fill(*out, rowsOut, colsOut, 9.0);
                const std::vector<double> before = values(*out);
                const Leaves leaves = pass == 0 ? r.leaves : Leaves::Untouched;
                Trial t;
                t.op = [&r, out]() { return static_cast<cmath_status>(r.op(*out)); };
                t.failed = [=]() {
                    EXPECT_TRUE(leaves == Leaves::Unspecified ||
                                (leaves == Leaves::Empty ? out->isSizeEqual(0, 0)
                                                         : out->isSizeEqual(rowsOut, colsOut) && values(*out) == before));
                };
                t.succeeded = [=]() { // new elements outside what these write are undefined
                    const std::string name = r.name;
                    EXPECT_TRUE(name == "initResize" || name.find("initCopyRange") != std::string::npos || values(*out) == want);
                };
                return t;
            });
            EXPECT_GE(k, pass == 0 ? 1 : 0) << r.name;
            n += k;
            rowsOut = ref.rows();
            colsOut = ref.cols();
        }
    }

    // Members writing scalars, vectors and matrices, into outputs of another size or of the
    // result's size; a failure leaves result-sized outputs (and scalars) untouched.
    struct Outs {
        cxVector<double> re, im;
        cxNMMatrix u, w, v;
        double c = -3.0;
        // Everything written, in one list; `withIm` / `withV` false leaves im / v out.
        std::vector<double> all(bool withIm = true, bool withV = true) const
        {
            std::vector<double> out(re.begin(), re.end());
            out.insert(out.end(), withIm ? im.begin() : im.end(), im.end());
            for (const cxNMMatrix* m : {&u, &w, withV ? &v : &u}) {
                const std::vector<double> e = values(*m);
                out.push_back(m->rows());
                out.insert(out.end(), e.begin(), e.end());
            }
            out.push_back(c);
            return out;
        }
        // Outputs shaped like `shapes` (null: 3 elements, 3 x 5 matrices).
        void prepare(const Outs* shapes)
        {
            EXPECT_EQ(re.insert(0, shapes ? shapes->re.size() : 3, 1.5) | im.insert(0, shapes ? shapes->im.size() : 3, -1.5), 0);
            cxNMMatrix* ms[] = {&u, &w, &v};
            for (int i = 0; i < 3; ++i) {
                const cxNMMatrix* f = shapes == nullptr ? nullptr : i == 0 ? &shapes->u : i == 1 ? &shapes->w : &shapes->v;
                fill(*ms[i], f ? f->rows() : 3, f ? f->cols() : 5, 8.0 + i);
            }
        }
    };
    // (Not yet held to it: the symmetric eigenvalue forms zero im before the work that can fail,
    // and decompose writes V before its iteration.)
    struct VectorRow {
        const char* name;
        std::function<long(Outs&)> op;
        bool imKept = true, vKept = true;
    };
    const std::vector<VectorRow> vectors = {
        {"getDeterminant", [&](Outs& o) { return A.getDeterminant(o.c); }},
        {"getConditionNumber", [&](Outs& o) { return C.getConditionNumber(false, o.c); }},
        {"getConditionNumber, symmetric", [&](Outs& o) { return S.getConditionNumber(true, o.c); }},
        {"getConstraintError", [&](Outs& o) { return cxNMMatrix::getConstraintError(S, Bcol, 2.0, E, o.c); }},
        {"eigenvalues", [&](Outs& o) { return A.eigenvalues(false, o.re, o.im); }},
        {"eigenvalues, symmetric", [&](Outs& o) { return S.eigenvalues(true, o.re, o.im); }, false},
        {"eigenvalues with vectors", [&](Outs& o) { return S.eigenvalues(true, o.re, o.im, o.u); }, false},
        {"getSymEigenvaluesAndConditionNumber", [&](Outs& o) { return S.getSymEigenvaluesAndConditionNumber(o.re, o.c); }},
        {"decompose", [&](Outs& o) { return C.decompose(o.u, o.w, o.v); }, true, false},
        {"getSingularValues", [&](Outs& o) { return C.getSingularValues(o.re); }},
    };
    for (const VectorRow& r : vectors) {
        Outs shapes;
        shapes.prepare(nullptr);
        EXPECT_EQ(r.op(shapes), 0) << r.name;
        for (const Outs* sized : {static_cast<const Outs*>(nullptr), static_cast<const Outs*>(&shapes)}) {
            Outs ref;
            ref.prepare(sized);
            EXPECT_EQ(r.op(ref), 0) << r.name;
            const int k = sweep(std::string("cxNMMatrix::") + r.name + (sized ? " into result-sized outputs" : ""), [&]() {
                auto o = std::make_shared<Outs>();
                o->prepare(sized);
                const std::vector<double> before = o->all(r.imKept, r.vKept), want = ref.all();
                Trial t;
                t.op = [&r, o]() { return static_cast<cmath_status>(r.op(*o)); };
                t.failed = [&r, o, before, sized]() { EXPECT_TRUE(!sized || o->all(r.imKept, r.vKept) == before); };
                t.succeeded = [o, want]() { EXPECT_EQ(o->all(), want); };
                return t;
            });
            EXPECT_GE(k, 1) << r.name;
            n += k;
        }
    }
    // Members that work in place ask the allocator for nothing.
    const int64_t requests = csys_memory_testRequests();
    EXPECT_EQ(A.copySub(B, 1, 1, 0, 0, 3, 3) | A.copySub(A, 0, 0, 1, 1, 3, 3) | A.swapRows(0, 3) | A.addColumns(1, 2) |
                  A.initAdd(A, B) | B.identity() | C.initResize(4, 3, 0.5) | A.initSubtract(B, A) | A.initDivide(A, 3.0) |
                  A.initMultiply(A, 0.5) | E.initCopyRange(Bcol, 0, 0, 0, 0, 4, 1) | E.initAdd(Bcol, E) |
                  D.initMultiply(D, -1.0) | B.getTranspose(B),
              0);
    EXPECT_EQ(csys_memory_testRequests(), requests) << "an in-place member allocated";
    report("matrices", n);
}

} // namespace
