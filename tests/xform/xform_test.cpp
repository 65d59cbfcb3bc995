// The transform object model through its public interface: composition order and folding,
// chains, inversion, linearisation, equality, type names, assignment, lifetime, allocation
// failures and reference counting across threads. The warp kind (warp_kind.hpp) stands for a
// kind that another module defines.
#include "fault.h"
#include "warp_kind.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

extern "C" int xform_c_translateAfterRotate(void);

namespace {

const cmath_xformLinear kTranslate = {{1.0, 0.0}, {1.0, 0.0, 0.0, 1.0}};
const cmath_xformLinear kRotate = {{0.0, 0.0}, {0.0, -1.0, 1.0, 0.0}}; // +90 degrees
const cmath_xformLinear kScale2 = {{0.0, 0.0}, {2.0, 0.0, 0.0, 2.0}};
const cmath_xformLinear kIdentity = {{0.0, 0.0}, {1.0, 0.0, 0.0, 1.0}};
const cmath_xformLinear kSingular = {{3.0, 4.0}, {1.0, 2.0, 2.0, 4.0}};
const cmath_xformLinear kAffine = {{2.0, 4.0}, {2.0, 0.0, 0.0, 4.0}};

// A const handle owned by the test; empty, or a new plain transform.
struct Handle {
    cmath_xformPtrhConst h;
    Handle() { EXPECT_EQ(cmath_xformPtrhConst_construct(&h), 0); }
    explicit Handle(const cmath_xformLinear& lin) { EXPECT_EQ(cmath_xformPtrhConst_constructLinear(&h, &lin), 0); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { EXPECT_EQ(cmath_xformPtrhConst_destruct(&h), 0); }

    cmath_xformPtrh* m() { return reinterpret_cast<cmath_xformPtrh*>(&h); }
    const cmath_xformPtrh* m() const { return reinterpret_cast<const cmath_xformPtrh*>(&h); }
    const cmath_xform* x() const
    {
        const cmath_xform* p = reinterpret_cast<const cmath_xform*>(&h); // sentinel
        EXPECT_EQ(cmath_xformPtrhConst_getXform(&h, &p), 0);
        return p;
    }
    cmath_vect map(cmath_vect p) const
    {
        cmath_vect q = {-99.0, -99.0};
        EXPECT_EQ(cmath_xformPtrhConst_mapPoint(&h, &p, &q), 0);
        return q;
    }
    int64_t refs() const
    {
        int64_t n = -1;
        EXPECT_EQ(cstd_shared_getReferenceCount(h.handle.header, &n), 0);
        return n;
    }
    int32_t composed() const
    {
        int32_t c = -1;
        EXPECT_EQ(cmath_xformPtrhConst_getIsComposed(&h, &c), 0);
        return c;
    }
    int32_t linear() const
    {
        int32_t l = -1;
        EXPECT_EQ(cmath_xformPtrhConst_getIsLinear(&h, &l), 0);
        return l;
    }
};

void makeWarp(Handle& out, double k, std::atomic<int>* destroyed = nullptr)
{
    ASSERT_EQ(warp::make(k, destroyed, out.m()), 0);
}

const cmath_xfcomposed* chainOf(const Handle& h)
{
    EXPECT_EQ(h.composed(), 1);
    return reinterpret_cast<const cmath_xfcomposed*>(h.x());
}

// The transforms a chain refers to, in application order.
std::vector<const cmath_xform*> parts(const cmath_xfcomposed* c)
{
    std::vector<const cmath_xform*> out;
    for (const cmath_xfcomposedNode* n = c->head; n != nullptr; n = n->next) {
        const cmath_xform* x = nullptr;
        EXPECT_EQ(cmath_xformPtrhConst_getXform(&n->part, &x), 0);
        out.push_back(x);
    }
    return out;
}

void expectLinear(const cmath_xformLinear& got, const cmath_xformLinear& want)
{
    EXPECT_EQ(got.trans.x, want.trans.x);
    EXPECT_EQ(got.trans.y, want.trans.y);
    EXPECT_EQ(got.matrix.e11, want.matrix.e11);
    EXPECT_EQ(got.matrix.e12, want.matrix.e12);
    EXPECT_EQ(got.matrix.e21, want.matrix.e21);
    EXPECT_EQ(got.matrix.e22, want.matrix.e22);
}

void expectPoint(cmath_vect got, double x, double y)
{
    EXPECT_EQ(got.x, x);
    EXPECT_EQ(got.y, y);
}

// ---- composition order -----------------------------------------------------------------------

TEST(XformCompose, TranslateAfterRotateThroughEveryEntryPoint)
{
    Handle a(kTranslate), b(kRotate);
    const cmath_vect p = {1.0, 0.0};

    Handle viaBase;
    ASSERT_EQ(cmath_xform_compose(a.x(), b.x(), viaBase.m()), 0);
    expectPoint(viaBase.map(p), 1.0, 1.0);

    Handle viaConst, viaMut, viaLinLin, viaLinPtrh, viaPtrhLin;
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&viaConst.h, &a.h, &b.h), 0);
    ASSERT_EQ(cmath_xformPtrh_assignCompose(viaMut.m(), a.m(), b.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearLinear(&viaLinLin.h, &kTranslate, &kRotate), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearPtrh(&viaLinPtrh.h, &kTranslate, &b.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposePtrhLinear(&viaPtrhLin.h, &a.h, &kRotate), 0);
    for (const Handle* h : {&viaConst, &viaMut, &viaLinLin, &viaLinPtrh, &viaPtrhLin}) {
        expectPoint(h->map(p), 1.0, 1.0);
        EXPECT_EQ(h->composed(), 0);
    }
    // The other order rotates the translated point.
    Handle reversed;
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&reversed.h, &b.h, &a.h), 0);
    expectPoint(reversed.map(p), 0.0, 2.0);

    // A composed pair, built directly, applies b first as well.
    cmath_xfcomposed pair;
    ASSERT_EQ(cmath_xfcomposed_constructPair(&pair, a.x(), b.x()), 0);
    cmath_vect q = {0.0, 0.0};
    ASSERT_EQ(cmath_xfcomposed_mapPoint(&pair, &p, &q), 0);
    expectPoint(q, 1.0, 1.0);
    EXPECT_EQ(a.refs(), 2);
    ASSERT_EQ(cmath_xfcomposed_destruct(&pair), 0);
    EXPECT_EQ(a.refs(), 1);
}

TEST(XformCompose, ChainsKeepTheOrderWithNonLinearParts)
{
    Handle t(kTranslate), s(kScale2), w, ws, sw;
    makeWarp(w, 0.5);
    const cmath_vect p = {1.0, 2.0};
    // w o s: scale first (2, 4), then warp (2, 4 + 0.5*4) = (2, 6).
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&ws.h, &w.h, &s.h), 0);
    expectPoint(ws.map(p), 2.0, 6.0);
    // s o w: warp first (1, 2.5), then scale (2, 5).
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&sw.h, &s.h, &w.h), 0);
    expectPoint(sw.map(p), 2.0, 5.0);

    // (t o w) o s and ((t o w) o s) o t.
    Handle three, four;
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&three.h, &t.h, &w.h, &s.h), 0);
    expectPoint(three.map(p), 3.0, 6.0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose4(&four.h, &t.h, &w.h, &s.h, &t.h), 0);
    // t: (2, 2); s: (4, 4); w: (4, 12); t: (5, 12).
    expectPoint(four.map(p), 5.0, 12.0);

    // The composed kind's compose slot gives self o other as one flat chain [other, self...].
    const cmath_xform* chain = ws.x();
    Handle slot;
    ASSERT_EQ(chain->ops->compose(chain->shared.outer, t.x(), slot.m()), 0);
    expectPoint(slot.map(p), 4.0, 12.0); // t: (2, 2); s: (4, 4); w: (4, 12)
    const std::vector<const cmath_xform*> flat = parts(chainOf(slot));
    ASSERT_EQ(flat.size(), 3u);
    EXPECT_EQ(flat[0], t.x());
    EXPECT_EQ(flat[1], s.x());
    EXPECT_EQ(flat[2], w.x());

    // The default compose stands in the slot of kinds that begin with their transform.
    Handle viaDefault;
    ASSERT_EQ(cmath_xfcomposed_defaultCompose(chain, t.x(), viaDefault.m()), 0);
    expectPoint(viaDefault.map(p), 4.0, 12.0);

    // The warp's own compose slot (written by its module) agrees.
    const cmath_xform* wx = w.x();
    Handle viaWarp;
    ASSERT_EQ(wx->ops->compose(wx->shared.outer, s.x(), viaWarp.m()), 0);
    expectPoint(viaWarp.map(p), 2.0, 6.0);
}

TEST(XformCompose, PlainOperandsFoldAndOthersChain)
{
    Handle a(kTranslate), b(kRotate), ab, w, chain;
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&ab.h, &a.h, &b.h), 0);
    EXPECT_EQ(ab.composed(), 0);
    EXPECT_EQ(ab.x()->ops, nullptr);
    cmath_xformLinear got;
    ASSERT_EQ(cmath_xform_getLinear(ab.x(), nullptr, &got), 0);
    expectLinear(got, cmath_xformLinear{{1.0, 0.0}, {0.0, -1.0, 1.0, 0.0}});

    // Plain with composed: a new chain of the two operands, not of their parts.
    makeWarp(w, 1.0);
    Handle wa;
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&wa.h, &w.h, &a.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&chain.h, &b.h, &wa.h), 0);
    std::vector<const cmath_xform*> list = parts(chainOf(chain));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], wa.x());
    EXPECT_EQ(list[1], b.x());

    // A derived side that happens to be linear is still chained.
    Handle flat, linearChain;
    makeWarp(flat, 0.0);
    EXPECT_EQ(flat.linear(), 1);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&linearChain.h, &a.h, &flat.h), 0);
    list = parts(chainOf(linearChain));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], flat.x());
    EXPECT_EQ(list[1], a.x());

    // out may be an operand: it moves only once the result exists.
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&a.h, &a.h, &b.h), 0);
    expectPoint(a.map(cmath_vect{1.0, 0.0}), 1.0, 1.0);
}

TEST(XformCompose, EmptyHandlesActAsIdentity)
{
    Handle empty, a(kTranslate), w, out;
    makeWarp(w, 1.0);
    EXPECT_EQ(empty.x(), nullptr);
    expectPoint(empty.map(cmath_vect{3.0, -2.0}), 3.0, -2.0);
    EXPECT_EQ(empty.linear(), 1);
    EXPECT_EQ(empty.composed(), 0);
    cmath_xformLinear lin;
    ASSERT_EQ(cmath_xformPtrhConst_getLinear(&empty.h, nullptr, &lin), 0);
    expectLinear(lin, kIdentity);

    // Inverse and clone of an empty handle empty their output.
    Handle inv(kScale2), cl(kScale2);
    ASSERT_EQ(cmath_xformPtrhConst_getInverse(&empty.h, inv.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_clone(&empty.h, cl.m()), 0);
    EXPECT_EQ(inv.x(), nullptr);
    EXPECT_EQ(cl.x(), nullptr);

    // One empty operand gives a new copy of the other, never a share.
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&out.h, &empty.h, &a.h), 0);
    EXPECT_NE(out.x(), a.x());
    int32_t equal = -1;
    ASSERT_EQ(cmath_xformPtrhConst_compareEqual(&out.h, &a.h, &equal), 0);
    EXPECT_EQ(equal, 1);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&out.h, &w.h, &empty.h), 0);
    EXPECT_NE(out.x(), w.x());
    expectPoint(out.map(cmath_vect{2.0, 1.0}), 2.0, 5.0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&out.h, &empty.h, &empty.h), 0);
    EXPECT_EQ(out.x(), nullptr);
}

// ---- inverse and linearisation ---------------------------------------------------------------

TEST(XformInverse, PlainChainAndSingular)
{
    Handle x(kAffine), inv;
    ASSERT_EQ(cmath_xformPtrhConst_getInverse(&x.h, inv.m()), 0);
    cmath_xformLinear lin;
    ASSERT_EQ(cmath_xformPtrhConst_getLinear(&inv.h, nullptr, &lin), 0);
    expectLinear(lin, cmath_xformLinear{{-1.0, -1.0}, {0.5, 0.0, 0.0, 0.25}});

    // (t o w) o s is the chain [s, t o w]; its inverse is [(t o w)^-1, s^-1] = [[t^-1, w^-1], s^-1],
    // every inverse a new object.
    Handle s(kScale2), w, t(kTranslate), chain, back;
    makeWarp(w, 0.5);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&chain.h, &t.h, &w.h, &s.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_getInverseConst(&chain.h, &back.h), 0);
    const cmath_vect p = {1.0, 2.0};
    const cmath_vect q = chain.map(p);
    expectPoint(q, 3.0, 6.0);
    expectPoint(back.map(q), 1.0, 2.0);
    const std::vector<const cmath_xform*> original = parts(chainOf(chain));
    const std::vector<const cmath_xform*> inverse = parts(chainOf(back));
    ASSERT_EQ(original.size(), 2u);
    ASSERT_EQ(inverse.size(), 2u);
    EXPECT_EQ(original[0], s.x());
    EXPECT_EQ(inverse[1]->ops, nullptr);
    ASSERT_EQ(cmath_xform_getLinear(inverse[1], nullptr, &lin), 0);
    expectLinear(lin, cmath_xformLinear{{0.0, 0.0}, {0.5, 0.0, 0.0, 0.5}});
    ASSERT_EQ(inverse[0]->ops, original[1]->ops);
    EXPECT_NE(inverse[0], original[1]);
    const std::vector<const cmath_xform*> inner = parts(reinterpret_cast<const cmath_xfcomposed*>(inverse[0]));
    ASSERT_EQ(inner.size(), 2u);
    ASSERT_EQ(cmath_xform_getLinear(inner[0], nullptr, &lin), 0);
    expectLinear(lin, cmath_xformLinear{{-1.0, 0.0}, {1.0, 0.0, 0.0, 1.0}});
    EXPECT_EQ(inner[1]->ops, w.x()->ops);
    EXPECT_NE(inner[1], w.x());

    // A singular part refuses the whole inverse; out keeps its transform.
    Handle sing(kSingular), bad, out(kScale2);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&bad.h, &w.h, &sing.h), 0);
    const cmath_xform* before = out.x();
    EXPECT_EQ(cmath_xformPtrhConst_getInverse(&bad.h, out.m()), cmath_errSingular);
    EXPECT_EQ(cmath_xformPtrhConst_getInverseConst(&sing.h, &out.h), cmath_errSingular);
    EXPECT_EQ(cmath_xform_getInverse(sing.x(), out.m()), cmath_errSingular);
    EXPECT_EQ(out.x(), before);
    EXPECT_EQ(out.refs(), 1);

    // The composed transform's own inverse: out is left as it was on failure, reversed on success.
    cmath_xfcomposed target;
    ASSERT_EQ(cmath_xfcomposed_construct(&target), 0);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&target, &s.h), 0);
    EXPECT_EQ(cmath_xfcomposed_getInverse(chainOf(bad), &target), cmath_errSingular);
    ASSERT_EQ(parts(&target).size(), 1u);
    EXPECT_EQ(parts(&target)[0], s.x());
    ASSERT_EQ(cmath_xfcomposed_getInverse(chainOf(chain), &target), 0);
    EXPECT_EQ(parts(&target).size(), 2u);
    ASSERT_EQ(cmath_xfcomposed_destruct(&target), 0);
}

TEST(XformInverse, EmptyChainIsIdentity)
{
    cmath_xfcomposed c, inv;
    ASSERT_EQ(cmath_xfcomposed_construct(&c), 0);
    ASSERT_EQ(cmath_xfcomposed_construct(&inv), 0);
    cmath_vect q = {0.0, 0.0};
    const cmath_vect p = {5.0, -7.0};
    ASSERT_EQ(cmath_xfcomposed_mapPoint(&c, &p, &q), 0);
    expectPoint(q, 5.0, -7.0);
    int32_t linear = -1;
    ASSERT_EQ(cmath_xfcomposed_getIsLinear(&c, &linear), 0);
    EXPECT_EQ(linear, 1);
    cmath_xformLinear lin;
    ASSERT_EQ(cmath_xfcomposed_getLinearXform(&c, &p, &lin), 0);
    expectLinear(lin, kIdentity);
    ASSERT_EQ(cmath_xfcomposed_getInverse(&c, &inv), 0);
    EXPECT_EQ(inv.head, nullptr);
    ASSERT_EQ(cmath_xfcomposed_destruct(&inv), 0);
    ASSERT_EQ(cmath_xfcomposed_destruct(&c), 0);
}

TEST(XformLinearise, ChainRuleAboutThePointTheChainReaches)
{
    Handle t(kTranslate), w, s(kScale2), chain;
    makeWarp(w, 0.5);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&chain.h, &s.h, &w.h, &t.h), 0);
    EXPECT_EQ(chain.linear(), 0);
    // About (1, 2): t reaches (2, 2); the warp there is [[1, 0], [2, 1]] + (0, -2); then 2x.
    const cmath_vect p = {1.0, 2.0};
    cmath_xformLinear lin;
    ASSERT_EQ(cmath_xformPtrhConst_getLinear(&chain.h, &p, &lin), 0);
    expectLinear(lin, cmath_xformLinear{{2.0, 0.0}, {2.0, 0.0, 4.0, 2.0}});
    // The linear form agrees with the chain at the point itself.
    cmath_vect viaLinear;
    ASSERT_EQ(cmath_xformLinear_mapPoint(&lin, &p, &viaLinear), 0);
    expectPoint(viaLinear, 4.0, 8.0);
    expectPoint(chain.map(p), 4.0, 8.0);

    // Without a point a chain that is not linear has no linear form; out is untouched.
    cmath_xformLinear untouched = kAffine;
    EXPECT_EQ(cmath_xformPtrhConst_getLinear(&chain.h, nullptr, &untouched), cmath_errNotLinear);
    EXPECT_EQ(cmath_xformPtrh_getLinear(w.m(), nullptr, &untouched), cmath_errNotLinear);
    expectLinear(untouched, kAffine);

    // A chain of plain parts linearises to their composition whatever the point.
    Handle plainChain, folded, flat;
    makeWarp(flat, 0.0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&plainChain.h, &s.h, &flat.h, &t.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearLinear(&folded.h, &kScale2, &kTranslate), 0);
    cmath_xformLinear want;
    ASSERT_EQ(cmath_xformPtrhConst_getLinear(&folded.h, nullptr, &want), 0);
    for (const cmath_vect& at : {cmath_vect{0.0, 0.0}, cmath_vect{-3.5, 8.25}, cmath_vect{1e6, -2.0}}) {
        ASSERT_EQ(cmath_xformPtrhConst_getLinear(&plainChain.h, &at, &lin), 0);
        expectLinear(lin, want);
    }
    ASSERT_EQ(cmath_xformPtrhConst_getLinear(&plainChain.h, nullptr, &lin), 0);
    expectLinear(lin, want);
}

// ---- equality, type names, assignment --------------------------------------------------------

TEST(XformEqual, Rules)
{
    Handle empty, identity(kIdentity), a(kTranslate), b(kRotate), w, flat, plainChain, folded;
    makeWarp(w, 1.0);
    makeWarp(flat, 0.0);
    auto equal = [](const Handle& x, const Handle& y) {
        int32_t e = -1;
        EXPECT_EQ(cmath_xformPtrhConst_compareEqual(&x.h, &y.h, &e), 0);
        return e;
    };
    EXPECT_EQ(equal(empty, identity), 1);
    EXPECT_EQ(equal(identity, empty), 1);
    EXPECT_EQ(equal(empty, flat), 1); // a derived kind that is linear compares by value
    EXPECT_EQ(equal(a, b), 0);
    EXPECT_EQ(equal(w, w), 1);
    EXPECT_EQ(equal(w, empty), 0);

    Handle aClone, wClone;
    ASSERT_EQ(cmath_xformPtrhConst_cloneConst(&a.h, &aClone.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_cloneConst(&w.h, &wClone.h), 0);
    EXPECT_NE(aClone.x(), a.x());
    EXPECT_NE(wClone.x(), w.x());
    EXPECT_EQ(equal(a, aClone), 1);
    EXPECT_EQ(equal(w, wClone), 0); // distinct non-linear transforms are never equal

    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&plainChain.h, &a.h, &flat.h), 0);
    EXPECT_EQ(plainChain.composed(), 1);
    EXPECT_EQ(equal(plainChain, a), 1);

    // Unequal handles write 0 over whatever *out held.
    int32_t e = 7;
    ASSERT_EQ(cmath_xformPtrhConst_compareEqual(&a.h, &b.h, &e), 0);
    EXPECT_EQ(e, 0);
}

TEST(XformTypename, ExactSixteenBitNames)
{
    Handle a(kTranslate), w, chain;
    makeWarp(w, 1.0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&chain.h, &w.h, &a.h), 0);

    const char16_t* n1 = nullptr;
    const char16_t* n2 = nullptr;
    ASSERT_EQ(cmath_xform_getTypename(a.x(), &n1), 0);
    ASSERT_EQ(cmath_xform_getTypename(nullptr, &n2), 0);
    EXPECT_EQ(n1, n2);
    EXPECT_EQ(std::u16string(n1), u"cmath_xform");
    ASSERT_EQ(cmath_xfcomposed_getTypename(nullptr, &n1), 0);
    EXPECT_EQ(std::u16string(n1), u"cmath_xfcomposed");
    ASSERT_EQ(cstd_shared_getTypename(const_cast<cstd_shared*>(&chain.x()->shared), &n2), 0);
    EXPECT_EQ(n1, n2);

    void* out = &out;
    // Null arguments and a null transform.
    EXPECT_EQ(cmath_xform_queryInterfaceByTypename(a.x(), nullptr, &out), cmath_errNullArgument);
    EXPECT_EQ(cmath_xform_queryInterfaceByTypename(a.x(), u"cmath_xform", nullptr), cmath_errNullArgument);
    ASSERT_EQ(cmath_xform_queryInterfaceByTypename(nullptr, u"cmath_xform", &out), 0);
    EXPECT_EQ(out, nullptr);

    struct Case {
        const cmath_xform* x;
        const char16_t* name;
        const void* want;
    };
    const cmath_xform* plain = a.x();
    const cmath_xform* composed = chain.x();
    const cmath_xform* warped = w.x();
    const Case cases[] = {
        {plain, u"cmath_xform", plain},
        {plain, u"cmath_xfor", nullptr},  // a proper prefix
        {plain, u"cmath_xformX", nullptr}, // a longer name
        {plain, u"Cmath_xform", nullptr},
        {plain, u"cmath_xfcomposed", nullptr},
        {plain, u"cstd_shared", &plain->shared},
        {composed, u"cmath_xform", composed},
        {composed, u"cmath_xfcomposed", composed},
        {composed, u"cmath_xfcompose", nullptr},
        {composed, u"", nullptr},
        {warped, u"cmath_xform", warped},
        {warped, u"test_warp", warped->shared.outer}, // the kind's own answer: its outer object
        {warped, u"test_war", nullptr},
    };
    for (const Case& c : cases) {
        out = &out;
        ASSERT_EQ(cmath_xform_queryInterfaceByTypename(c.x, c.name, &out), 0);
        EXPECT_EQ(out, c.want);
    }
    // The final query stops below the derived levels.
    out = &out;
    ASSERT_EQ(cmath_xform_queryInterfaceByTypenameFinal(composed, u"cmath_xfcomposed", &out), 0);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(cmath_xform_queryInterfaceByTypenameFinal(composed, u"cstd_shared", &out), 0);
    EXPECT_EQ(out, &composed->shared);

    const cmath_xfcomposed* c = chainOf(chain);
    out = &out;
    ASSERT_EQ(cmath_xfcomposed_queryInterfaceByTypename(c, u"cmath_xfcomposed", &out), 0);
    EXPECT_EQ(out, c);
    ASSERT_EQ(cmath_xfcomposed_queryInterfaceByTypename(c, u"cmath_xform", &out), 0);
    EXPECT_EQ(out, c);
    ASSERT_EQ(cmath_xfcomposed_queryInterfaceByTypenameFinal(c, u"test_warp", &out), 0);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(cmath_xfcomposed_queryInterfaceByTypenameFinal(nullptr, u"cmath_xfcomposed", &out), 0);
    EXPECT_EQ(out, nullptr);
}

TEST(XformAssign, Rules)
{
    cmath_xform p, q;
    ASSERT_EQ(cmath_xform_constructLinearIdentity(&p), 0);
    ASSERT_EQ(cmath_xform_constructLinearIdentity(&q), 0);
    p.linear = kAffine;
    ASSERT_EQ(cmath_xform_assign(&p, &p), 0);
    expectLinear(p.linear, kAffine);
    ASSERT_EQ(cmath_xform_assign(&q, &p), 0);
    expectLinear(q.linear, kAffine);
    ASSERT_EQ(cmath_xform_reset(&q), 0);
    expectLinear(q.linear, kIdentity);

    cmath_xfcomposed c, d;
    ASSERT_EQ(cmath_xfcomposed_construct(&c), 0);
    ASSERT_EQ(cmath_xfcomposed_construct(&d), 0);
    EXPECT_EQ(cmath_xform_assign(&p, &c.base), cmath_errTypeMismatch);
    EXPECT_EQ(cmath_xform_assign(&c.base, &p), cmath_errTypeMismatch);
    expectLinear(p.linear, kAffine);

    Handle w, w2, a(kTranslate);
    makeWarp(w, 1.0);
    makeWarp(w2, 2.0);
    auto* wx = const_cast<cmath_xform*>(w.x());
    EXPECT_EQ(cmath_xform_assign(wx, &c.base), cmath_errTypeMismatch);
    EXPECT_EQ(cmath_xform_assign(wx, w2.x()), 0); // same kind: only linear is copied
    EXPECT_EQ(static_cast<const warp::Warp*>(wx->shared.outer)->k, 1.0);

    // Chains: a shallow copy that shares the parts; self-assignment and emptying.
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &a.h), 0);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &w.h), 0);
    EXPECT_EQ(a.refs(), 2);
    ASSERT_EQ(cmath_xfcomposed_assign(&c, &c), 0);
    ASSERT_EQ(parts(&c).size(), 2u);
    ASSERT_EQ(cmath_xfcomposed_assign(&d, &c), 0);
    EXPECT_EQ(parts(&d), parts(&c));
    EXPECT_NE(d.head, c.head);
    EXPECT_EQ(a.refs(), 3);
    cmath_xfcomposed empty;
    ASSERT_EQ(cmath_xfcomposed_construct(&empty), 0);
    ASSERT_EQ(cmath_xfcomposed_assign(&d, &empty), 0);
    EXPECT_EQ(d.head, nullptr);
    EXPECT_EQ(a.refs(), 2);

    for (cmath_xfcomposed* x : {&c, &d, &empty}) {
        ASSERT_EQ(cmath_xfcomposed_destruct(x), 0);
    }
    EXPECT_EQ(a.refs(), 1);
    EXPECT_EQ(cmath_xform_destruct(&p), 0);
}

// ---- handles and lifetime --------------------------------------------------------------------

TEST(XformLifetime, ChainsKeepTheirPartsAndDestroyEachOnce)
{
    const int64_t baseline = csys_memory_testOutstanding();
    std::atomic<int> destroyed{0};
    {
        Handle chain, copy, inverse;
        {
            Handle w, a(kTranslate);
            makeWarp(w, 0.5, &destroyed);
            ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&chain.h, &w.h, &a.h), 0);
            EXPECT_EQ(w.refs(), 2);
            ASSERT_EQ(cmath_xformPtrhConst_cloneConst(&chain.h, &copy.h), 0);
            EXPECT_EQ(w.refs(), 3); // the clone's chain shares the part
            ASSERT_EQ(cmath_xformPtrhConst_getInverseConst(&chain.h, &inverse.h), 0);
            EXPECT_EQ(w.refs(), 3); // the inverse has a new warp of its own
        }
        EXPECT_EQ(destroyed.load(), 0);
        expectPoint(chain.map(cmath_vect{1.0, 1.0}), 2.0, 3.0);
        expectPoint(copy.map(cmath_vect{1.0, 1.0}), 2.0, 3.0);
        expectPoint(inverse.map(cmath_vect{2.0, 3.0}), 1.0, 1.0);
        ASSERT_EQ(cmath_xformPtrhConst_assignNull(&chain.h), 0);
        EXPECT_EQ(destroyed.load(), 0);
        ASSERT_EQ(cmath_xformPtrhConst_reset(&inverse.h), 0);
        EXPECT_EQ(destroyed.load(), 1); // the inverse's warp
    }
    EXPECT_EQ(destroyed.load(), 2);
    EXPECT_EQ(csys_memory_testOutstanding(), baseline);
}

TEST(XformHandles, ConstructAssignAndForward)
{
    Handle a(kAffine), copy;
    cmath_xformPtrhConst c;
    ASSERT_EQ(cmath_xformPtrhConst_constructCopy(&c, &a.h), 0);
    EXPECT_EQ(a.refs(), 2);
    cmath_xformPtrhConst cc;
    ASSERT_EQ(cmath_xformPtrhConst_constructConstCopy(&cc, a.m()), 0);
    cmath_xformPtrh m;
    ASSERT_EQ(cmath_xformPtrh_constructCopy(&m, a.m()), 0);
    EXPECT_EQ(a.refs(), 4);
    const cmath_xform* viaMut = nullptr;
    ASSERT_EQ(cmath_xformPtrh_getXform(&m, &viaMut), 0);
    EXPECT_EQ(viaMut, a.x());
    ASSERT_EQ(cmath_xformPtrhConst_assign(&copy.h, &c), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignConst(&copy.h, &m), 0);
    ASSERT_EQ(cmath_xformPtrh_assign(copy.m(), &m), 0);
    EXPECT_EQ(copy.x(), a.x());
    EXPECT_EQ(a.refs(), 5);
    ASSERT_EQ(cmath_xformPtrh_assignNull(&m), 0);
    ASSERT_EQ(cmath_xformPtrh_reset(copy.m()), 0);
    EXPECT_EQ(a.refs(), 3);
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&c), 0);
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&cc), 0);
    ASSERT_EQ(cmath_xformPtrh_destruct(&m), 0);
    EXPECT_EQ(a.refs(), 1);

    // Mutable-handle twins of the operations reach the same transform.
    cmath_vect q = {-1.0, -1.0};
    const cmath_vect p = {1.0, 1.0};
    EXPECT_EQ(cmath_xformPtrhConst_mapPoint(nullptr, &p, &q), cmath_errNullArgument);
    expectPoint(q, -1.0, -1.0);
    ASSERT_EQ(cmath_xformPtrh_mapPoint(a.m(), &p, &q), 0);
    expectPoint(q, 4.0, 8.0);
    int32_t lin = -1;
    ASSERT_EQ(cmath_xformPtrh_getIsLinear(a.m(), &lin), 0);
    EXPECT_EQ(lin, 1);
    Handle inv, cl, clc, viaCompose;
    ASSERT_EQ(cmath_xformPtrh_getInverse(a.m(), inv.m()), 0);
    expectPoint(inv.map(cmath_vect{4.0, 8.0}), 1.0, 1.0);
    ASSERT_EQ(cmath_xformPtrh_clone(a.m(), cl.m()), 0);
    ASSERT_EQ(cmath_xformPtrh_cloneConst(a.m(), &clc.h), 0);
    EXPECT_NE(cl.x(), a.x());
    EXPECT_NE(clc.x(), cl.x());
    expectPoint(clc.map(p), 4.0, 8.0);

    // Handles to new transforms from values, chains and clones.
    Handle lh, lm, ac, am;
    ASSERT_EQ(cmath_xformPtrhConst_assignLinear(&lh.h, &kRotate), 0);
    ASSERT_EQ(cmath_xformPtrh_assignLinear(lm.m(), nullptr), 0);
    expectPoint(lh.map(cmath_vect{1.0, 0.0}), 0.0, 1.0);
    expectPoint(lm.map(cmath_vect{1.0, 0.0}), 1.0, 0.0);
    EXPECT_EQ(lm.x()->ops, nullptr);
    cmath_xformPtrh ml;
    ASSERT_EQ(cmath_xformPtrh_constructLinear(&ml, &kScale2), 0);
    cmath_xformPtrhConst cloneC;
    cmath_xformPtrh cloneM;
    ASSERT_EQ(cmath_xformPtrhConst_constructClone(&cloneC, lh.x()), 0);
    ASSERT_EQ(cmath_xformPtrh_constructClone(&cloneM, lh.x()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignClone(&ac.h, lh.x()), 0);
    ASSERT_EQ(cmath_xformPtrh_assignClone(am.m(), lh.x()), 0);
    const cmath_xformPtrhConst* clones[] = {&cloneC, reinterpret_cast<const cmath_xformPtrhConst*>(&cloneM), &ac.h,
                                            &am.h};
    for (const cmath_xformPtrhConst* h : clones) {
        int32_t e = 0;
        ASSERT_EQ(cmath_xformPtrhConst_compareEqual(h, &lh.h, &e), 0);
        EXPECT_EQ(e, 1);
        const cmath_xform* x = nullptr;
        ASSERT_EQ(cmath_xformPtrhConst_getXform(h, &x), 0);
        EXPECT_NE(x, lh.x());
    }
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&cloneC), 0);
    ASSERT_EQ(cmath_xformPtrh_destruct(&cloneM), 0);
    ASSERT_EQ(cmath_xformPtrh_destruct(&ml), 0);

    // Handles to copies of a caller's chain: new objects sharing its parts.
    cmath_xfcomposed chain;
    ASSERT_EQ(cmath_xfcomposed_construct(&chain), 0);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&chain, &lh.h), 0);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&chain, &a.h), 0);
    cmath_xformPtrhConst hc;
    cmath_xformPtrh hm;
    Handle assignedC, assignedM;
    ASSERT_EQ(cmath_xformPtrhConst_constructComposed(&hc, &chain), 0);
    ASSERT_EQ(cmath_xformPtrh_constructComposed(&hm, &chain), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposed(&assignedC.h, &chain), 0);
    ASSERT_EQ(cmath_xformPtrh_assignComposed(assignedM.m(), &chain), 0);
    EXPECT_EQ(a.refs(), 6);
    for (const Handle* h : {&assignedC, &assignedM}) {
        EXPECT_EQ(parts(chainOf(*h)), parts(&chain));
        expectPoint(h->map(p), -8.0, 4.0); // a: (4, 8), then rotated
    }
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&hc), 0);
    ASSERT_EQ(cmath_xformPtrh_destruct(&hm), 0);
    ASSERT_EQ(cmath_xfcomposed_destruct(&chain), 0);
    EXPECT_EQ(a.refs(), 3);
}

TEST(XformHandles, UsableFromC)
{
    EXPECT_EQ(xform_c_translateAfterRotate(), 0);
}

// ---- allocation failures ---------------------------------------------------------------------

// Runs op(out) with every allocation failing in turn. On failure the status is the allocator's,
// out still holds its transform and the operands' reference counts are as before.
template <class Op>
void sweepKeepsOutput(const std::vector<const Handle*>& operands, Op op)
{
    Handle sentinel(kScale2);
    std::vector<int64_t> refs;
    for (const Handle* h : operands) {
        refs.push_back(h->x() != nullptr ? h->refs() : 0);
    }
    const int covered = orbtest::sweepAllocations([&](bool) {
        cmath_xformPtrhConst out;
        EXPECT_EQ(cmath_xformPtrhConst_constructCopy(&out, &sentinel.h), 0);
        const cmath_status st = op(&out);
        if (st < 0) {
            EXPECT_EQ(st, csys_errNoMemory);
            const cmath_xform* x = nullptr;
            EXPECT_EQ(cmath_xformPtrhConst_getXform(&out, &x), 0);
            EXPECT_EQ(x, sentinel.x());
            EXPECT_EQ(sentinel.refs(), 2);
            for (size_t i = 0; i < operands.size(); ++i) {
                if (operands[i]->x() != nullptr) {
                    EXPECT_EQ(operands[i]->refs(), refs[i]);
                }
            }
        }
        EXPECT_EQ(cmath_xformPtrhConst_destruct(&out), 0);
        return st;
    });
    EXPECT_GT(covered, 0);
}

TEST(XformAllocation, ComposeCloneAndInverseKeepTheirOutput)
{
    Handle a(kTranslate), b(kRotate), w, chain, empty;
    makeWarp(w, 0.5);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&chain.h, &a.h, &w.h, &b.h), 0);
    const std::vector<const Handle*> all = {&a, &b, &w, &chain};
    auto asMut = [](cmath_xformPtrhConst* h) { return reinterpret_cast<cmath_xformPtrh*>(h); };

    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignCompose(out, &a.h, &b.h); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignCompose(out, &a.h, &chain.h); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignCompose(out, &empty.h, &chain.h); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignCompose3(out, &a.h, &w.h, &b.h); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignCompose4(out, &a.h, &w.h, &b.h, &chain.h); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignComposeLinearLinear(out, &kTranslate, &kRotate); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignComposeLinearPtrh(out, &kTranslate, &w.h); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignComposePtrhLinear(out, &chain.h, &kRotate); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xform_compose(a.x(), b.x(), asMut(out)); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xform_compose(w.x(), chain.x(), asMut(out)); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) {
        const cmath_xform* c = chain.x();
        return c->ops->compose(c->shared.outer, a.x(), asMut(out));
    });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xfcomposed_defaultCompose(chain.x(), w.x(), asMut(out)); });

    for (const Handle* h : all) {
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_clone(&h->h, asMut(out)); });
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_cloneConst(&h->h, out); });
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignClone(out, h->x()); });
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrh_assignClone(asMut(out), h->x()); });
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xform_cloneConst(h->x(), out); });
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_getInverse(&h->h, asMut(out)); });
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_getInverseConst(&h->h, out); });
        sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xform_getInverseConst(h->x(), out); });
    }
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignLinear(out, &kAffine); });
    sweepKeepsOutput(all, [&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_assignComposed(out, chainOf(chain)); });
}

TEST(XformAllocation, ConstructorsReleaseEverythingOnFailure)
{
    Handle a(kTranslate), w, chain;
    makeWarp(w, 0.5);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&chain.h, &w.h, &a.h), 0);
    const cmath_xfcomposed* c = chainOf(chain);
    const int64_t aRefs = a.refs();
    const int64_t wRefs = w.refs();
    auto check = [&](cmath_status st) {
        if (st < 0) {
            EXPECT_EQ(st, csys_errNoMemory);
            EXPECT_EQ(a.refs(), aRefs);
            EXPECT_EQ(w.refs(), wRefs);
        }
    };
    auto sweepHandle = [&](auto construct) {
        EXPECT_GT(orbtest::sweepAllocations([&](bool) {
                      cmath_xformPtrhConst h;
                      const cmath_status st = construct(&h);
                      check(st);
                      if (st >= 0) {
                          EXPECT_EQ(cmath_xformPtrhConst_destruct(&h), 0);
                      }
                      return st;
                  }),
                  0);
    };
    auto asMut = [](cmath_xformPtrhConst* h) { return reinterpret_cast<cmath_xformPtrh*>(h); };
    sweepHandle([&](cmath_xformPtrhConst* h) { return cmath_xformPtrhConst_constructLinear(h, &kAffine); });
    sweepHandle([&](cmath_xformPtrhConst* h) { return cmath_xformPtrhConst_constructComposed(h, c); });
    sweepHandle([&](cmath_xformPtrhConst* h) { return cmath_xformPtrh_constructComposed(asMut(h), c); });
    for (const Handle* h : {&a, &w, &chain}) {
        sweepHandle([&](cmath_xformPtrhConst* out) { return cmath_xformPtrhConst_constructClone(out, h->x()); });
        sweepHandle([&](cmath_xformPtrhConst* out) { return cmath_xformPtrh_constructClone(asMut(out), h->x()); });
    }

    auto sweepChain = [&](auto construct) {
        EXPECT_GT(orbtest::sweepAllocations([&](bool) {
                      cmath_xfcomposed made;
                      const cmath_status st = construct(&made);
                      check(st);
                      if (st >= 0) {
                          EXPECT_EQ(cmath_xfcomposed_destruct(&made), 0);
                      }
                      return st;
                  }),
                  0);
    };
    sweepChain([&](cmath_xfcomposed* m) { return cmath_xfcomposed_constructCopy(m, c); });
    sweepChain([&](cmath_xfcomposed* m) { return cmath_xfcomposed_constructPair(m, w.x(), chain.x()); });

    // Growing a chain at the front leaves it unchanged when the node cannot be had.
    cmath_xfcomposed grow;
    ASSERT_EQ(cmath_xfcomposed_construct(&grow), 0);
    {
        orbtest::FaultGuard guard;
        csys_memory_testFailAfter(1, 0);
        EXPECT_EQ(cmath_xfcomposed_composeFrontPH_(&grow, &a.h), csys_errNoMemory);
    }
    EXPECT_EQ(grow.head, nullptr);
    EXPECT_EQ(a.refs(), aRefs);
    // A failing chain inverse leaves the target as it was.
    orbtest::sweepAllocations([&](bool) {
        cmath_xfcomposed target;
        EXPECT_EQ(cmath_xfcomposed_construct(&target), 0);
        cmath_status st = cmath_xfcomposed_composeFrontPH_(&target, &w.h);
        if (st >= 0) {
            st = cmath_xfcomposed_getInverse(c, &target);
            if (st < 0) {
                EXPECT_EQ(st, csys_errNoMemory);
                EXPECT_EQ(parts(&target), std::vector<const cmath_xform*>{w.x()});
            } else {
                EXPECT_EQ(parts(&target).size(), 2u);
            }
        }
        EXPECT_EQ(cmath_xfcomposed_destruct(&target), 0);
        return st;
    });
    ASSERT_EQ(cmath_xfcomposed_destruct(&grow), 0);
}

// ---- threads ---------------------------------------------------------------------------------

TEST(XformThreads, HandlesCopiedAndReleasedOnManyThreads)
{
    const int64_t baseline = csys_memory_testOutstanding();
    std::atomic<int> destroyed{0};
    std::atomic<int> failures{0};
    {
        Handle chain;
        {
            Handle w, a(kTranslate);
            makeWarp(w, 0.25, &destroyed);
            ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&chain.h, &w.h, &a.h), 0);
        }
        auto work = [&]() {
            for (int i = 0; i < 20000; ++i) {
                cmath_xformPtrhConst c, d;
                int bad = 0;
                bad += cmath_xformPtrhConst_constructCopy(&c, &chain.h) < 0;
                bad += cmath_xformPtrhConst_construct(&d) < 0;
                bad += cmath_xformPtrhConst_assign(&d, &c) < 0;
                if (i % 8 == 0) {
                    // New chains that share the part, released again on this thread.
                    bad += cmath_xformPtrhConst_assignCompose(&d, &c, &chain.h) < 0;
                    const cmath_vect p = {2.0, 0.0};
                    cmath_vect q;
                    bad += cmath_xformPtrhConst_mapPoint(&d, &p, &q) < 0;
                    bad += q.x != 4.0 || q.y != 6.25;
                }
                bad += cmath_xformPtrhConst_destruct(&d) < 0;
                bad += cmath_xformPtrhConst_destruct(&c) < 0;
                failures.fetch_add(bad);
            }
        };
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back(work);
        }
        for (std::thread& t : threads) {
            t.join();
        }
        EXPECT_EQ(failures.load(), 0);
        EXPECT_EQ(chain.refs(), 1);
        EXPECT_EQ(destroyed.load(), 0);
    }
    EXPECT_EQ(destroyed.load(), 1);
    EXPECT_EQ(csys_memory_testOutstanding(), baseline);
}

} // namespace
