// The transform object model: composition order and folding, chains, inversion, linearisation,
// equality, type names, assignment and lifetime; the warp (common/warp_kind.hpp) stands for a kind
// another module defines. Allocation failures and threads: tests/reliability.
#include "fault.h"
#include "xform_handle.h"

#include <string>
#include <vector>

extern "C" int xform_c_translateAfterRotate(void);

namespace {

using orbtest::chainOf;
using orbtest::Handle;
using orbtest::mut;
using orbtest::parts;
using orbtest::result;
using V = cmath_vect;
using L = cmath_xformLinear;
using HC = cmath_xformPtrhConst;
using Parts = std::vector<const cmath_xform*>;

const L kTranslate = {{1.0, 0.0}, {1.0, 0.0, 0.0, 1.0}};
const L kRotate = {{0.0, 0.0}, {0.0, -1.0, 1.0, 0.0}}; // +90 degrees
const L kScale2 = {{0.0, 0.0}, {2.0, 0.0, 0.0, 2.0}};
const L kIdentity = {{0.0, 0.0}, {1.0, 0.0, 0.0, 1.0}};
const L kSingular = {{3.0, 4.0}, {1.0, 2.0, 2.0, 4.0}};
const L kAffine = {{2.0, 4.0}, {2.0, 0.0, 0.0, 4.0}};

::testing::AssertionResult same(const L& a, const L& b)
{
    const double x[6] = {a.trans.x, a.trans.y, a.matrix.e11, a.matrix.e12, a.matrix.e21, a.matrix.e22};
    const double y[6] = {b.trans.x, b.trans.y, b.matrix.e11, b.matrix.e12, b.matrix.e21, b.matrix.e22};
    for (int k = 0; k < 6; ++k) {
        if (x[k] != y[k]) {
            return ::testing::AssertionFailure() << "element " << k << ": " << x[k] << " vs " << y[k];
        }
    }
    return ::testing::AssertionSuccess();
}

void expectPoint(V got, double x, double y) { EXPECT_TRUE(got.x == x && got.y == y) << got.x << ", " << got.y; }

// ---- composition order -----------------------------------------------------------------------

TEST(XformCompose, TranslateAfterRotateThroughEveryEntryPoint)
{
    Handle a(kTranslate), b(kRotate), viaBase, viaConst, viaMut, viaLinLin, viaLinPtrh, viaPtrhLin, reversed;
    const V p = {1.0, 0.0};
    ASSERT_EQ(cmath_xform_compose(a.x(), b.x(), viaBase.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&viaConst.h, &a.h, &b.h), 0);
    ASSERT_EQ(cmath_xformPtrh_assignCompose(viaMut.m(), a.m(), b.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearLinear(&viaLinLin.h, &kTranslate, &kRotate), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearPtrh(&viaLinPtrh.h, &kTranslate, &b.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposePtrhLinear(&viaPtrhLin.h, &a.h, &kRotate), 0);
    // Plain operands fold into one plain transform.
    for (const Handle* h : {&viaBase, &viaConst, &viaMut, &viaLinLin, &viaLinPtrh, &viaPtrhLin}) {
        expectPoint(h->map(p), 1.0, 1.0);
        EXPECT_EQ(h->composed(), 0);
        EXPECT_EQ(h->x()->ops, nullptr);
    }
    EXPECT_TRUE(same(viaConst.lin(), L{{1.0, 0.0}, {0.0, -1.0, 1.0, 0.0}}));
    // The other order rotates the translated point.
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&reversed.h, &b.h, &a.h), 0);
    expectPoint(reversed.map(p), 0.0, 2.0);

    // A composed pair, built directly, applies b first as well and holds its operands.
    cmath_xfcomposed pair;
    ASSERT_EQ(cmath_xfcomposed_constructPair(&pair, a.x(), b.x()), 0);
    expectPoint(result<V>(cmath_xfcomposed_mapPoint, &pair, &p), 1.0, 1.0);
    EXPECT_EQ(a.refs(), 2);
    ASSERT_EQ(cmath_xfcomposed_destruct(&pair), 0);
    EXPECT_EQ(a.refs(), 1);
    // out may be an operand: it moves only once the result exists.
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&a.h, &a.h, &b.h), 0);
    expectPoint(a.map(p), 1.0, 1.0);
}

TEST(XformCompose, ChainsKeepTheOrderWithNonLinearParts)
{
    Handle t(kTranslate), s(kScale2), w(0.5), ws(w, s), sw(s, w), slot, viaDefault;
    const V p = {1.0, 2.0};
    // w o s: scale first (2, 4), then warp (2, 4 + 0.5*4) = (2, 6); s o w: warp first (1, 2.5), then scale.
    expectPoint(ws.map(p), 2.0, 6.0);
    expectPoint(sw.map(p), 2.0, 5.0);
    // (compose3 and compose4 map as their parts in turn: checked by the sweeps of tests/reliability.)

    // The composed kind's compose slot gives self o other as one flat chain [other, self...].
    const cmath_xform* chain = ws.x();
    ASSERT_EQ(chain->ops->compose(chain->shared.outer, t.x(), slot.m()), 0);
    expectPoint(slot.map(p), 4.0, 12.0);
    EXPECT_EQ(parts(chainOf(slot)), (Parts{t.x(), s.x(), w.x()}));
    // The default compose stands in the slot of kinds that begin with their transform.
    ASSERT_EQ(cmath_xfcomposed_defaultCompose(chain, t.x(), viaDefault.m()), 0);
    expectPoint(viaDefault.map(p), 4.0, 12.0);
}

TEST(XformCompose, PlainWithDerivedChainsTheOperandsNotTheirParts)
{
    Handle a(kTranslate), b(kRotate), w(1.0), flat(0.0), wa(w, a), chain(b, wa), linearChain(a, flat);
    EXPECT_EQ(parts(chainOf(chain)), (Parts{wa.x(), b.x()}));
    // A derived side that happens to be linear is still chained.
    EXPECT_EQ(flat.linear(), 1);
    EXPECT_EQ(parts(chainOf(linearChain)), (Parts{flat.x(), a.x()}));
}

TEST(XformCompose, EmptyHandlesActAsIdentity)
{
    Handle empty, a(kTranslate), w(1.0), out, inv(kScale2), cl(kScale2);
    EXPECT_EQ(empty.x(), nullptr);
    expectPoint(empty.map(V{3.0, -2.0}), 3.0, -2.0);
    EXPECT_EQ(empty.linear(), 1);
    EXPECT_EQ(empty.composed(), 0);
    EXPECT_TRUE(same(empty.lin(), kIdentity));
    // Inverse and clone of an empty handle empty their output.
    ASSERT_EQ(cmath_xformPtrhConst_getInverse(&empty.h, inv.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_clone(&empty.h, cl.m()), 0);
    EXPECT_EQ(inv.x(), nullptr);
    EXPECT_EQ(cl.x(), nullptr);
    // One empty operand gives a new copy of the other, never a share.
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&out.h, &empty.h, &a.h), 0);
    EXPECT_NE(out.x(), a.x());
    EXPECT_EQ(result<int32_t>(cmath_xformPtrhConst_compareEqual, &out.h, &a.h), 1);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&out.h, &w.h, &empty.h), 0);
    EXPECT_NE(out.x(), w.x());
    expectPoint(out.map(V{2.0, 1.0}), 2.0, 5.0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&out.h, &empty.h, &empty.h), 0);
    EXPECT_EQ(out.x(), nullptr);
}

// ---- inverse and linearisation ---------------------------------------------------------------

TEST(XformInverse, PlainChainAndSingular)
{
    Handle x(kAffine), inv, s(kScale2), w(0.5), t(kTranslate), chain, back;
    ASSERT_EQ(cmath_xformPtrhConst_getInverse(&x.h, inv.m()), 0);
    EXPECT_TRUE(same(inv.lin(), L{{-1.0, -1.0}, {0.5, 0.0, 0.0, 0.25}}));

    // (t o w) o s is the chain [s, t o w]; its inverse is [(t o w)^-1, s^-1] = [[t^-1, w^-1], s^-1],
    // every inverse a new object.
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&chain.h, &t.h, &w.h, &s.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_getInverseConst(&chain.h, &back.h), 0);
    expectPoint(chain.map(V{1.0, 2.0}), 3.0, 6.0);
    expectPoint(back.map(V{3.0, 6.0}), 1.0, 2.0);
    const Parts original = parts(chainOf(chain)), inverse = parts(chainOf(back));
    ASSERT_EQ(original.size(), 2u);
    ASSERT_EQ(inverse.size(), 2u);
    EXPECT_EQ(original[0], s.x());
    EXPECT_EQ(inverse[1]->ops, nullptr); // (values: back maps the chain's image back above)
    ASSERT_EQ(inverse[0]->ops, chain.x()->ops); // a chain itself, so the cast below is sound
    EXPECT_NE(inverse[0], original[1]);
    const Parts inner = parts(reinterpret_cast<const cmath_xfcomposed*>(inverse[0]));
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[1]->ops, w.x()->ops);
    EXPECT_NE(inner[1], w.x());

    // A singular part refuses the whole inverse; out keeps its transform.
    Handle sing(kSingular), bad(w, sing), out(kScale2);
    const cmath_xform* before = out.x();
    EXPECT_EQ(cmath_xformPtrhConst_getInverse(&bad.h, out.m()), cmath_errSingular);
    EXPECT_EQ(cmath_xformPtrhConst_getInverseConst(&sing.h, &out.h), cmath_errSingular);
    EXPECT_EQ(cmath_xform_getInverse(sing.x(), out.m()), cmath_errSingular);
    EXPECT_EQ(out.x(), before);
    EXPECT_EQ(out.refs(), 1);

    // The composed transform's own inverse: out is left as it was on failure, replaced on success.
    cmath_xfcomposed target;
    ASSERT_EQ(cmath_xfcomposed_construct(&target), 0);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&target, &s.h), 0);
    EXPECT_EQ(cmath_xfcomposed_getInverse(chainOf(bad), &target), cmath_errSingular);
    EXPECT_EQ(parts(&target), Parts{s.x()});
    ASSERT_EQ(cmath_xfcomposed_getInverse(chainOf(chain), &target), 0);
    EXPECT_EQ(parts(&target).size(), 2u);
    ASSERT_EQ(cmath_xfcomposed_destruct(&target), 0);

    // An empty chain is the identity, and so is its inverse.
    cmath_xfcomposed c;
    ASSERT_EQ(cmath_xfcomposed_construct(&c), 0);
    ASSERT_EQ(cmath_xfcomposed_construct(&target), 0);
    const V p = {5.0, -7.0};
    EXPECT_TRUE(same(result<L>(cmath_xfcomposed_getLinearXform, &c, &p), kIdentity));
    EXPECT_TRUE(orbtest::refuses(cmath_errNullArgument, kAffine, cmath_xfcomposed_getLinearXform, &c, nullptr));
    ASSERT_EQ(cmath_xfcomposed_getInverse(&c, &target), 0);
    EXPECT_EQ(target.head, nullptr);
    ASSERT_EQ(cmath_xfcomposed_destruct(&target), 0);
    ASSERT_EQ(cmath_xfcomposed_destruct(&c), 0);
}

TEST(XformLinearise, ChainRuleAboutThePointTheChainReaches)
{
    Handle t(kTranslate), w(0.5), s(kScale2), flat(0.0), chain, plainChain, folded;
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&chain.h, &s.h, &w.h, &t.h), 0);
    EXPECT_EQ(chain.linear(), 0);
    // About (1, 2): t reaches (2, 2); the warp there is [[1, 0], [2, 1]] + (0, -2); then 2x.
    const V p = {1.0, 2.0};
    const L lin = chain.lin(&p);
    EXPECT_TRUE(same(lin, L{{2.0, 0.0}, {2.0, 0.0, 4.0, 2.0}}));
    // The linear form agrees with the chain at the point itself.
    expectPoint(result<V>(cmath_xformLinear_mapPoint, &lin, &p), 4.0, 8.0);
    expectPoint(chain.map(p), 4.0, 8.0);
    // Without a point a chain that is not linear has no linear form; out is untouched.
    EXPECT_TRUE(orbtest::refuses(cmath_errNotLinear, kAffine, cmath_xformPtrhConst_getLinear, &chain.h, nullptr));
    EXPECT_TRUE(orbtest::refuses(cmath_errNotLinear, kAffine, cmath_xformPtrh_getLinear, w.m(), nullptr));

    // A chain of plain parts linearises to their composition whatever the point.
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&plainChain.h, &s.h, &flat.h, &t.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearLinear(&folded.h, &kScale2, &kTranslate), 0);
    EXPECT_TRUE(same(plainChain.lin(), folded.lin()));
    for (const V& at : {V{0.0, 0.0}, V{-3.5, 8.25}, V{1e6, -2.0}}) {
        EXPECT_TRUE(same(plainChain.lin(&at), folded.lin()));
    }
}

// ---- equality, type names, assignment --------------------------------------------------------

TEST(XformEqual, Rules)
{
    Handle empty, identity(kIdentity), a(kTranslate), b(kRotate), w(1.0), flat(0.0), aClone, wClone;
    Handle plainChain(a, flat);
    auto equal = [](const Handle& x, const Handle& y) {
        int32_t e = 7; // unequal handles write 0 over whatever *out held
        EXPECT_EQ(cmath_xformPtrhConst_compareEqual(&x.h, &y.h, &e), 0);
        return e;
    };
    EXPECT_EQ(equal(identity, empty), 1);
    EXPECT_EQ(equal(empty, flat), 1); // a derived kind that is linear compares by value
    EXPECT_EQ(equal(a, b), 0);
    EXPECT_EQ(equal(w, w), 1);
    EXPECT_EQ(equal(w, empty), 0);
    ASSERT_EQ(cmath_xformPtrhConst_cloneConst(&a.h, &aClone.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_cloneConst(&w.h, &wClone.h), 0);
    EXPECT_EQ(equal(a, aClone), 1);
    EXPECT_EQ(equal(w, wClone), 0); // distinct non-linear transforms are never equal
    EXPECT_EQ(plainChain.composed(), 1);
    EXPECT_EQ(equal(plainChain, a), 1);
}

TEST(XformTypename, ExactSixteenBitNames)
{
    Handle a(kTranslate), w(1.0), chain(w, a);
    const char16_t* plainName = result<const char16_t*>(cmath_xform_getTypename, a.x());
    EXPECT_EQ(plainName, result<const char16_t*>(cmath_xform_getTypename, nullptr));
    EXPECT_EQ(std::u16string(plainName), u"cmath_xform");
    const char16_t* chainName = result<const char16_t*>(cmath_xfcomposed_getTypename, nullptr);
    EXPECT_EQ(std::u16string(chainName), u"cmath_xfcomposed");
    EXPECT_EQ(result<const char16_t*>(cstd_shared_getTypename, const_cast<cstd_shared*>(&chain.x()->shared)),
              chainName);
    void* out = &out;

    const cmath_xform *plain = a.x(), *composed = chain.x(), *warped = w.x();
    const cmath_xfcomposed* c = chainOf(chain);
    using Query = cmath_status (*)(const cmath_xform*, const char16_t*, void**);
    const Query full = cmath_xform_queryInterfaceByTypename, final = cmath_xform_queryInterfaceByTypenameFinal;
    const struct { Query q; const cmath_xform* x; const char16_t* name; const void* want; } cases[] = {
        {full, nullptr, u"cmath_xform", nullptr},
        {full, plain, u"cmath_xform", plain},
        {full, plain, u"cmath_xfor", nullptr}, // a proper prefix (names match exactly: tests/support)
        {full, plain, u"cstd_shared", &plain->shared},
        {full, composed, u"cmath_xform", composed},
        {full, composed, u"cmath_xfcomposed", composed},
        {full, warped, u"cmath_xform", warped},
        {full, warped, u"test_warp", warped->shared.outer}, // the kind's own answer: its outer object
        // The final query stops below the derived levels.
        {final, composed, u"cmath_xfcomposed", nullptr},
        {final, composed, u"cstd_shared", &composed->shared},
    };
    for (const auto& k : cases) {
        out = &out;
        ASSERT_EQ(k.q(k.x, k.name, &out), 0);
        EXPECT_EQ(out, k.want);
    }
    // The chain's own queries: the chain for both its names, nothing beyond the final level.
    EXPECT_EQ(cmath_xfcomposed_queryInterfaceByTypename(c, u"cmath_xform", &out), 0);
    EXPECT_EQ(out, c);
    EXPECT_EQ(cmath_xfcomposed_queryInterfaceByTypenameFinal(c, u"test_warp", &out), 0);
    EXPECT_EQ(out, nullptr);
}

TEST(XformAssign, Rules)
{
    cmath_xform p, q;
    ASSERT_EQ(cmath_xform_constructLinearIdentity(&p), 0);
    ASSERT_EQ(cmath_xform_constructLinearIdentity(&q), 0);
    p.linear = kAffine;
    ASSERT_EQ(cmath_xform_assign(&p, &p), 0);
    ASSERT_EQ(cmath_xform_assign(&q, &p), 0);
    EXPECT_TRUE(same(q.linear, kAffine));
    ASSERT_EQ(cmath_xform_reset(&q), 0);
    EXPECT_TRUE(same(q.linear, kIdentity));

    cmath_xfcomposed c, d, empty;
    for (cmath_xfcomposed* x : {&c, &d, &empty}) {
        ASSERT_EQ(cmath_xfcomposed_construct(x), 0);
    }
    EXPECT_EQ(cmath_xform_assign(&p, &c.base), cmath_errTypeMismatch);
    EXPECT_EQ(cmath_xform_assign(&c.base, &p), cmath_errTypeMismatch);
    EXPECT_TRUE(same(p.linear, kAffine));
    Handle w(1.0), w2(2.0), a(kTranslate);
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
            Handle w(0.5, &destroyed), a(kTranslate);
            ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&chain.h, &w.h, &a.h), 0);
            EXPECT_EQ(w.refs(), 2);
            ASSERT_EQ(cmath_xformPtrhConst_cloneConst(&chain.h, &copy.h), 0);
            EXPECT_EQ(w.refs(), 3); // the clone's chain shares the part
            ASSERT_EQ(cmath_xformPtrhConst_getInverseConst(&chain.h, &inverse.h), 0);
            EXPECT_EQ(w.refs(), 3); // the inverse has a new warp of its own
        }
        EXPECT_EQ(destroyed.load(), 0);
        expectPoint(chain.map(V{1.0, 1.0}), 2.0, 3.0);
        expectPoint(copy.map(V{1.0, 1.0}), 2.0, 3.0);
        expectPoint(inverse.map(V{2.0, 3.0}), 1.0, 1.0);
        ASSERT_EQ(cmath_xformPtrhConst_assignNull(&chain.h), 0);
        EXPECT_EQ(destroyed.load(), 0);
        ASSERT_EQ(cmath_xformPtrhConst_reset(&inverse.h), 0);
        EXPECT_EQ(destroyed.load(), 1); // the inverse's warp
    }
    EXPECT_EQ(destroyed.load(), 2);
    EXPECT_EQ(csys_memory_testOutstanding(), baseline);
}

TEST(XformHandles, CopiesShareClonesAreNewAndTwinsForward)
{
    Handle a(kAffine), copy, cl, lh, lm, ac, am, assignedC, assignedM;
    HC c, cc, cloneC, hc;
    cmath_xformPtrh m, cloneM, hm;
    // Copies and assignments share the transform; releases give the references back.
    ASSERT_EQ(cmath_xformPtrhConst_constructCopy(&c, &a.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_constructConstCopy(&cc, a.m()), 0);
    ASSERT_EQ(cmath_xformPtrh_constructCopy(&m, a.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assign(&copy.h, &c), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignConst(&copy.h, &m), 0);
    ASSERT_EQ(cmath_xformPtrh_assign(copy.m(), &m), 0);
    EXPECT_EQ(result<const cmath_xform*>(cmath_xformPtrh_getXform, &m), a.x());
    EXPECT_EQ(copy.x(), a.x());
    EXPECT_EQ(a.refs(), 5);
    ASSERT_EQ(cmath_xformPtrh_assignNull(&m), 0);
    ASSERT_EQ(cmath_xformPtrh_reset(copy.m()), 0);
    EXPECT_EQ(a.refs(), 3);
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&c), 0);
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&cc), 0);
    ASSERT_EQ(cmath_xformPtrh_destruct(&m), 0);
    EXPECT_EQ(a.refs(), 1);

    // Mutable-handle twins reach the same transform; a null handle is refused.
    const V p = {1.0, 1.0};
    EXPECT_TRUE(orbtest::refuses(cmath_errNullArgument, V{-1.0, -1.0}, cmath_xformPtrhConst_mapPoint, nullptr, &p));
    expectPoint(result<V>(cmath_xformPtrh_mapPoint, a.m(), &p), 4.0, 8.0);
    EXPECT_EQ(result<int32_t>(cmath_xformPtrh_getIsLinear, a.m()), 1);

    // Handles to new transforms from values and clones: equal, never the same object.
    ASSERT_EQ(cmath_xformPtrhConst_assignLinear(&lh.h, &kRotate), 0);
    ASSERT_EQ(cmath_xformPtrh_assignLinear(lm.m(), nullptr), 0);
    expectPoint(lh.map(V{1.0, 0.0}), 0.0, 1.0);
    EXPECT_TRUE(same(lm.lin(), kIdentity));
    ASSERT_EQ(cmath_xformPtrhConst_constructClone(&cloneC, lh.x()), 0);
    ASSERT_EQ(cmath_xformPtrh_constructClone(&cloneM, lh.x()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignClone(&ac.h, lh.x()), 0);
    ASSERT_EQ(cmath_xformPtrh_assignClone(am.m(), lh.x()), 0);
    ASSERT_EQ(cmath_xformPtrh_clone(lh.m(), cl.m()), 0);
    for (const HC* h : {&cloneC, reinterpret_cast<HC*>(&cloneM), &ac.h, &am.h, &cl.h}) {
        EXPECT_EQ(result<int32_t>(cmath_xformPtrhConst_compareEqual, h, &lh.h), 1);
        EXPECT_NE(result<const cmath_xform*>(cmath_xformPtrhConst_getXform, h), lh.x());
    }
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&cloneC), 0);
    ASSERT_EQ(cmath_xformPtrh_destruct(&cloneM), 0);

    // Handles to copies of a caller's chain: new objects sharing its parts (each takes a reference;
    // their mapping is checked by the sweeps of tests/reliability).
    cmath_xfcomposed chain;
    ASSERT_EQ(cmath_xfcomposed_construct(&chain), 0);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&chain, &lh.h), 0);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&chain, &a.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_constructComposed(&hc, &chain), 0);
    ASSERT_EQ(cmath_xformPtrh_constructComposed(&hm, &chain), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposed(&assignedC.h, &chain), 0);
    ASSERT_EQ(cmath_xformPtrh_assignComposed(assignedM.m(), &chain), 0);
    EXPECT_EQ(a.refs(), 6);
    EXPECT_EQ(parts(chainOf(assignedM)), parts(&chain));
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&hc), 0);
    ASSERT_EQ(cmath_xformPtrh_destruct(&hm), 0);
    ASSERT_EQ(cmath_xfcomposed_destruct(&chain), 0);
    EXPECT_EQ(a.refs(), 3);
}

TEST(XformHandles, UsableFromC) { EXPECT_EQ(xform_c_translateAfterRotate(), 0); }

} // namespace
