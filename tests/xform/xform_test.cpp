// The transform object model. One table of transforms built every way (empty, plain, a warp, a
// linear warp, folded compositions through every entry point, chains, nested chains) is run
// through every entry point that maps, answers linearity or linearises; then the structure of
// chains and inverses, empty handles, equality, type names, assignment and lifetime. The warp
// (common/warp_kind.hpp) stands for a kind another module defines. Allocation failures and
// threads: tests/reliability.
#include "fault.h"
#include "xform_handle.h"

#include <string>
#include <vector>

extern "C" int xform_c_translateAfterRotate(void);

namespace {

using namespace orbtest;
using V = cmath_vect;
using L = cmath_xformLinear;
using Parts = std::vector<const cmath_xform*>;

const L kTranslate = {{1, 0}, {1, 0, 0, 1}};
const L kRotate = {{0, 0}, {0, -1, 1, 0}}; // +90 degrees
const L kScale2 = {{0, 0}, {2, 0, 0, 2}};
const L kIdentity = {{0, 0}, {1, 0, 0, 1}};
const L kAffine = {{2, 4}, {2, 0, 0, 4}};
const V kP = {1, 2};
// The warp's slots under a second table, and shared operations whose count never drops.
const cmath_xformOps kTwinOps = warp::kOps;
const cstd_sharedOps kStuckOps = {[](cstd_shared*) { return cmath_status{0}; }, cstd_shared_increment_default,
                                  [](cstd_shared*) { return cmath_status{cmath_errFailed}; }};

// What a transform does at kP: its image, whether it is composed and linear, its linear form
// about kP (and, when linear, about the origin, which is what a null point stands for).
struct Row {
    const char* name;
    const Handle* h;
    V image;
    int32_t composed, linear;
    L at, atOrigin;
};

void check(const Row& r)
{
    SCOPED_TRACE(r.name);
    const Handle& h = *r.h;
    const cmath_xform* x = h.x();
    const auto* c = reinterpret_cast<const cmath_xfcomposed*>(x);
    ROW(cmath_xformPtrhConst_mapPoint, r.image, &h.h, &kP, out);
    ROW(cmath_xformPtrh_mapPoint, r.image, h.m(), &kP, out);
    ROW(cmath_xformPtrhConst_getIsLinear, r.linear, &h.h, out);
    ROW(cmath_xformPtrh_getIsLinear, r.linear, h.m(), out);
    ROW(cmath_xformPtrhConst_getIsComposed, r.composed, &h.h, out);
    ROW(cmath_xformPtrhConst_getLinear, r.at, &h.h, &kP, out);
    ROW(cmath_xformPtrh_getLinear, r.at, h.m(), &kP, out);
    if (r.linear) {
        ROW(cmath_xformPtrhConst_getLinear, r.atOrigin, &h.h, static_cast<const V*>(nullptr), out);
    } else {
        REFUSAL(L, cmath_xformPtrhConst_getLinear, cmath_errNotLinear, &h.h, static_cast<const V*>(nullptr), out);
        REFUSAL(L, cmath_xformPtrh_getLinear, cmath_errNotLinear, h.m(), static_cast<const V*>(nullptr), out);
    }
    if (x != nullptr) {
        ROW(cmath_xform_mapPoint, r.image, x, &kP, out);
        ROW(cmath_xform_getIsLinear, r.linear, x, out);
        ROW(cmath_xform_getLinear, r.at, x, &kP, out);
    }
    if (r.composed) {
        ROW(cmath_xfcomposed_mapPoint, r.image, c, &kP, out);
        ROW(cmath_xfcomposed_getIsLinear, r.linear, c, out);
        ROW(cmath_xfcomposed_getLinearXform, r.at, c, &kP, out);
    }
}

} // namespace

TEST(Xform, EveryEntryPointOverATableOfTransforms)
{
    Handle empty, t(kTranslate), r(kRotate), s(kScale2), w(0.5), flat(0.0);
    Handle viaBase, viaConst, viaMut, viaLinLin, viaLinPtrh, viaPtrhLin, ws(w, s), sw(s, w), c3, c4, flatChain(t, flat);
    // t o r folded into one plain transform by every entry point.
    ASSERT_EQ(cmath_xform_compose(t.x(), r.x(), viaBase.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&viaConst.h, &t.h, &r.h), 0);
    ASSERT_EQ(cmath_xformPtrh_assignCompose(viaMut.m(), t.m(), r.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearLinear(&viaLinLin.h, &kTranslate, &kRotate), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposeLinearPtrh(&viaLinPtrh.h, &kTranslate, &r.h), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignComposePtrhLinear(&viaPtrhLin.h, &t.h, &kRotate), 0);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose3(&c3.h, &t.h, &w.h, &s.h), 0);    // [s, [w, t]]
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose4(&c4.h, &t.h, &w.h, &s.h, &r.h), 0); // [r, [s, [w, t]]]
    const L tr = {{1, 0}, {0, -1, 1, 0}};
    // The warp (x, y + k x^2) about (px, py): matrix (1, 0; 2 k px, 1), translation (0, -k px^2).
    const Row rows[] = {
        {"empty", &empty, kP, 0, 1, kIdentity, kIdentity},
        {"plain", &t, {2, 2}, 0, 1, kTranslate, kTranslate},
        {"warp", &w, {1, 2.5}, 0, 0, {{0, -0.5}, {1, 0, 1, 1}}, {}},
        {"linear warp", &flat, kP, 0, 1, {{0, -0.0}, {1, 0, 0, 1}}, {{0, -0.0}, {1, 0, 0, 1}}},
        {"cmath_xform_compose", &viaBase, {-1, 1}, 0, 1, tr, tr},
        {"assignCompose", &viaConst, {-1, 1}, 0, 1, tr, tr},
        {"cmath_xformPtrh_assignCompose", &viaMut, {-1, 1}, 0, 1, tr, tr},
        {"assignComposeLinearLinear", &viaLinLin, {-1, 1}, 0, 1, tr, tr},
        {"assignComposeLinearPtrh", &viaLinPtrh, {-1, 1}, 0, 1, tr, tr},
        {"assignComposePtrhLinear", &viaPtrhLin, {-1, 1}, 0, 1, tr, tr},
        // Chain rule: each part linearised about the point where the chain reaches it.
        {"w o s", &ws, {2, 6}, 1, 0, {{0, -2}, {2, 0, 4, 2}}, {}},
        {"s o w", &sw, {2, 5}, 1, 0, {{0, -1}, {2, 0, 2, 2}}, {}},
        {"(t o w) o s", &c3, {3, 6}, 1, 0, {{1, -2}, {2, 0, 4, 2}}, {}},
        {"((t o w) o s) o r", &c4, {-3, 10}, 1, 0, {{1, -8}, {0, -2, 2, 8}}, {}},
        // A chain whose parts are all linear is linear; its form is theirs, about any point.
        {"t o linear warp", &flatChain, {2, 2}, 1, 1, kTranslate, kTranslate},
    };
    for (const Row& row : rows) {
        check(row);
    }
    for (const Handle* h : {&viaBase, &viaConst, &viaMut, &viaLinLin, &viaLinPtrh, &viaPtrhLin}) {
        EXPECT_EQ(h->x()->ops, nullptr); // plain, not a chain of plain parts
    }
    // A plain operand with a derived one chains the operands, not their parts, also when the
    // derived side is linear.
    EXPECT_EQ(parts(chainOf(ws)), (Parts{s.x(), w.x()}));
    EXPECT_EQ(parts(chainOf(flatChain)), (Parts{flat.x(), t.x()}));
    const Parts outer = parts(chainOf(c4)), middle = parts(chainOf(c3));
    ASSERT_EQ(outer.size(), 2u);
    EXPECT_EQ(outer[0], r.x());
    ASSERT_EQ(middle.size(), 2u);
    EXPECT_EQ(middle[0], s.x());
    EXPECT_EQ(parts(reinterpret_cast<const cmath_xfcomposed*>(middle[1])), (Parts{w.x(), t.x()}));
    // The composed kind's compose slot gives self o other as one flat chain [other, self...];
    // the default compose, which stands in that slot for other kinds, nests instead.
    Handle slot, viaDefault;
    const cmath_xform* chain = ws.x();
    ASSERT_EQ(chain->ops->compose(chain->shared.outer, t.x(), slot.m()), 0);
    EXPECT_EQ(parts(chainOf(slot)), (Parts{t.x(), s.x(), w.x()}));
    ASSERT_EQ(cmath_xfcomposed_defaultCompose(chain, t.x(), viaDefault.m()), 0);
    EXPECT_EQ(parts(chainOf(viaDefault)), (Parts{t.x(), chain}));
    // A pair built directly applies b first and holds its operands; out may be an operand.
    cmath_xfcomposed pair;
    const int64_t refs = t.refs();
    ASSERT_EQ(cmath_xfcomposed_constructPair(&pair, t.x(), r.x()), 0);
    EXPECT_EQ(parts(&pair), (Parts{r.x(), t.x()}));
    EXPECT_EQ(t.refs(), refs + 1);
    ASSERT_EQ(cmath_xfcomposed_destruct(&pair), 0);
    EXPECT_EQ(t.refs(), refs);
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&t.h, &t.h, &r.h), 0);
    EXPECT_TRUE(sameBytes(t.lin(), tr));
}

TEST(Xform, EmptyHandlesAndChainsActAsIdentity)
{
    Handle empty, a(kTranslate), w(1.0), dst, inv(kScale2), cl(kScale2);
    // Inverse and clone of an empty handle empty their output.
    ASSERT_EQ(cmath_xformPtrhConst_getInverse(&empty.h, inv.m()), 0);
    ASSERT_EQ(cmath_xformPtrhConst_clone(&empty.h, cl.m()), 0);
    EXPECT_TRUE(inv.x() == nullptr && cl.x() == nullptr);
    ASSERT_EQ(cmath_xformPtrhConst_getInverseConst(&empty.h, &cl.h), 0);
    EXPECT_EQ(cl.x(), nullptr);
    // One empty operand gives a new copy of the other, never a share.
    for (const Handle* other : {&a, &w}) {
        ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&dst.h, &empty.h, &other->h), 0);
        EXPECT_NE(dst.x(), other->x());
        EXPECT_TRUE(sameBytes(dst.map(kP), other->map(kP)));
        ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&dst.h, &other->h, &empty.h), 0);
        EXPECT_NE(dst.x(), other->x());
        EXPECT_TRUE(sameBytes(dst.map(kP), other->map(kP)));
    }
    ASSERT_EQ(cmath_xformPtrhConst_assignCompose(&dst.h, &empty.h, &empty.h), 0);
    EXPECT_EQ(dst.x(), nullptr);
    // An empty chain is the identity, and so is its inverse; a chain of empty parts maps nothing.
    cmath_xfcomposed c, target;
    ASSERT_EQ(cmath_xfcomposed_construct(&c) | cmath_xfcomposed_construct(&target), 0);
    ROW(cmath_xfcomposed_getLinearXform, kIdentity, &c, &kP, out);
    REFUSAL(L, cmath_xfcomposed_getLinearXform, cmath_errNullArgument, &c, static_cast<const V*>(nullptr), out);
    ROW(cmath_xfcomposed_getIsLinear, int32_t{1}, &c, out);
    ASSERT_EQ(cmath_xfcomposed_composeFrontPH_(&c, &empty.h) | cmath_xfcomposed_composeFrontPH_(&c, &empty.h), 0);
    ROW(cmath_xfcomposed_mapPoint, kP, &c, &kP, out);
    ASSERT_EQ(cmath_xfcomposed_getInverse(&c, &target), 0);
    EXPECT_EQ(parts(&target), (Parts{nullptr, nullptr}));
    ASSERT_EQ(cmath_xfcomposed_destruct(&target) | cmath_xfcomposed_destruct(&c), 0);
}

TEST(Xform, EqualityRules)
{
    Handle empty, identity(kIdentity), a(kTranslate), b(kRotate), w(1.0), flat(0.0), aClone, wClone, plainChain(a, flat);
    Handle moved(kTranslate);
    ASSERT_EQ(cmath_xformPtrhConst_cloneConst(&a.h, &aClone.h) | cmath_xformPtrhConst_cloneConst(&w.h, &wClone.h), 0);
    const struct { const Handle *x, *y; int32_t want; } cases[] = {
        {&identity, &empty, 1}, {&empty, &identity, 1}, {&empty, &flat, 1}, // a linear derived kind compares by value
        {&a, &b, 0},      {&w, &w, 1},      {&w, &empty, 0},     {&empty, &w, 0},
        {&a, &aClone, 1}, {&w, &wClone, 0}, // distinct non-linear transforms are never equal
        {&plainChain, &a, 1}, {&a, &plainChain, 1}, {&empty, &empty, 1}};
    for (const auto& k : cases) {
        ROW(cmath_xformPtrhConst_compareEqual, k.want, &k.x->h, &k.y->h, out);
    }
    // Every field counts.
    for (int k = 0; k < 6; ++k) {
        L l = kTranslate;
        reinterpret_cast<double*>(&l)[k] += 0.5;
        ASSERT_EQ(cmath_xformPtrhConst_assignLinear(&moved.h, &l), 0);
        ROW(cmath_xformPtrhConst_compareEqual, int32_t{0}, &a.h, &moved.h, out);
    }
}

TEST(Xform, TypeNamesAndQueries)
{
    Handle a(kTranslate), w(1.0), chain(w, a);
    const char16_t* plainName = result<const char16_t*>(cmath_xform_getTypename, a.x());
    EXPECT_EQ(plainName, result<const char16_t*>(cmath_xform_getTypename, nullptr));
    EXPECT_EQ(std::u16string(plainName), u"cmath_xform");
    const char16_t* chainName = result<const char16_t*>(cmath_xfcomposed_getTypename, nullptr);
    EXPECT_EQ(std::u16string(chainName), u"cmath_xfcomposed");
    EXPECT_EQ(result<const char16_t*>(cstd_shared_getTypename, const_cast<cstd_shared*>(&chain.x()->shared)), chainName);

    const cmath_xform *plain = a.x(), *composed = chain.x(), *warped = w.x();
    const cmath_xfcomposed* c = chainOf(chain);
    using Query = cmath_status (*)(const cmath_xform*, const char16_t*, void**);
    using ChainQuery = cmath_status (*)(const cmath_xfcomposed*, const char16_t*, void**);
    const Query full = cmath_xform_queryInterfaceByTypename, final = cmath_xform_queryInterfaceByTypenameFinal;
    const ChainQuery cFull = cmath_xfcomposed_queryInterfaceByTypename;
    const ChainQuery cFinal = cmath_xfcomposed_queryInterfaceByTypenameFinal;
    const struct { Query q; ChainQuery cq; const void* x; const char16_t* name; const void* want; } cases[] = {
        {full, nullptr, nullptr, u"cmath_xform", nullptr},
        {final, nullptr, nullptr, u"cmath_xform", nullptr},
        {full, nullptr, plain, u"cmath_xform", plain},
        {final, nullptr, plain, u"cmath_xform", plain},
        {full, nullptr, plain, u"cmath_xfor", nullptr}, // a proper prefix
        {full, nullptr, plain, u"cmath_xformX", nullptr},
        {full, nullptr, plain, u"cstd_shared", &plain->shared},
        {final, nullptr, plain, u"cstd_shared", &plain->shared},
        {full, nullptr, composed, u"cmath_xform", composed},
        {full, nullptr, composed, u"cmath_xfcomposed", composed},
        {full, nullptr, warped, u"cmath_xform", warped},
        {full, nullptr, warped, u"test_warp", warped->shared.outer}, // the kind's own answer: its outer object
        {final, nullptr, composed, u"cmath_xfcomposed", nullptr}, // the final query stops below the derived levels
        {final, nullptr, composed, u"cstd_shared", &composed->shared},
        {nullptr, cFull, nullptr, u"cmath_xfcomposed", nullptr},
        {nullptr, cFinal, nullptr, u"cmath_xfcomposed", nullptr},
        {nullptr, cFull, c, u"cmath_xform", c},
        {nullptr, cFull, c, u"cmath_xfcomposed", c},
        {nullptr, cFinal, c, u"cmath_xfcomposed", c},
        {nullptr, cFinal, c, u"cmath_xfcomposedX", nullptr},
        {nullptr, cFinal, c, u"test_warp", nullptr},
    };
    for (const auto& k : cases) {
        void* found = &found;
        const cmath_status st = k.q ? k.q(static_cast<const cmath_xform*>(k.x), k.name, &found)
                                    : k.cq(static_cast<const cmath_xfcomposed*>(k.x), k.name, &found);
        EXPECT_EQ(st, 0);
        EXPECT_EQ(found, k.want) << &k - cases;
    }
}

TEST(Xform, ChainsKeepTheirPartsAndDestroyEachOnce)
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
        EXPECT_TRUE(sameBytes(copy.map(V{1, 1}), chain.map(V{1, 1})));
        EXPECT_TRUE(sameBytes(inverse.map(V{2, 3}), V{1, 1}));
        ASSERT_EQ(cmath_xformPtrhConst_assignNull(&chain.h), 0);
        EXPECT_EQ(destroyed.load(), 0);
        ASSERT_EQ(cmath_xformPtrhConst_reset(&inverse.h), 0);
        EXPECT_EQ(destroyed.load(), 1); // the inverse's warp
    }
    EXPECT_EQ(destroyed.load(), 2);
    EXPECT_EQ(csys_memory_testOutstanding(), baseline);
}

TEST(Xform, CopiesShareClonesAreNewAndTwinsForward)
{
    Handle a(kAffine), copy, cl, lh, lm, ac, am, assignedC, assignedM;
    cmath_xformPtrhConst c, cc, cloneC, hc;
    cmath_xformPtrh m, cloneM, hm;
    // Copies and assignments share the transform; releases give the references back.
    ASSERT_EQ(cmath_xformPtrhConst_constructCopy(&c, &a.h) | cmath_xformPtrhConst_constructConstCopy(&cc, a.m()) |
                  cmath_xformPtrh_constructCopy(&m, a.m()),
              0);
    ASSERT_EQ(cmath_xformPtrhConst_assign(&copy.h, &c), 0);
    EXPECT_EQ(a.refs(), 5);
    ASSERT_EQ(cmath_xformPtrhConst_assignConst(&copy.h, &m) | cmath_xformPtrh_assign(copy.m(), &m), 0);
    EXPECT_EQ(result<const cmath_xform*>(cmath_xformPtrh_getXform, &m), a.x());
    EXPECT_EQ(copy.x(), a.x());
    EXPECT_EQ(a.refs(), 5);
    ASSERT_EQ(cmath_xformPtrh_assignNull(&m), 0);
    EXPECT_EQ(a.refs(), 4);
    ASSERT_EQ(cmath_xformPtrh_reset(copy.m()), 0);
    EXPECT_EQ(a.refs(), 3);
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&c) | cmath_xformPtrhConst_destruct(&cc) | cmath_xformPtrh_destruct(&m), 0);
    EXPECT_EQ(a.refs(), 1);

    // Handles to new transforms from values and clones: equal, never the same object.
    ASSERT_EQ(cmath_xformPtrhConst_assignLinear(&lh.h, &kRotate) | cmath_xformPtrh_assignLinear(lm.m(), nullptr), 0);
    EXPECT_TRUE(sameBytes(lh.lin(), kRotate) && sameBytes(lm.lin(), kIdentity));
    ASSERT_EQ(cmath_xformPtrhConst_constructClone(&cloneC, lh.x()) | cmath_xformPtrh_constructClone(&cloneM, lh.x()) |
                  cmath_xformPtrhConst_assignClone(&ac.h, lh.x()) | cmath_xformPtrh_assignClone(am.m(), lh.x()) |
                  cmath_xformPtrh_clone(lh.m(), cl.m()),
              0);
    for (const cmath_xformPtrhConst* h : {&cloneC, reinterpret_cast<cmath_xformPtrhConst*>(&cloneM), &ac.h, &am.h, &cl.h}) {
        EXPECT_EQ(result<int32_t>(cmath_xformPtrhConst_compareEqual, h, &lh.h), 1);
        EXPECT_NE(result<const cmath_xform*>(cmath_xformPtrhConst_getXform, h), lh.x());
    }
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&cloneC) | cmath_xformPtrh_destruct(&cloneM), 0);

    // Handles to copies of a caller's chain: new objects sharing its parts (each takes a reference).
    cmath_xfcomposed chain;
    ASSERT_EQ(cmath_xfcomposed_construct(&chain) | cmath_xfcomposed_composeFrontPH_(&chain, &lh.h) |
                  cmath_xfcomposed_composeFrontPH_(&chain, &a.h),
              0);
    ASSERT_EQ(cmath_xformPtrhConst_constructComposed(&hc, &chain) | cmath_xformPtrh_constructComposed(&hm, &chain) |
                  cmath_xformPtrhConst_assignComposed(&assignedC.h, &chain) |
                  cmath_xformPtrh_assignComposed(assignedM.m(), &chain),
              0);
    EXPECT_EQ(a.refs(), 6);
    EXPECT_EQ(parts(chainOf(assignedM)), parts(&chain));
    EXPECT_EQ(parts(chainOf(assignedC)), parts(&chain));
    ASSERT_EQ(cmath_xformPtrhConst_destruct(&hc) | cmath_xformPtrh_destruct(&hm) | cmath_xfcomposed_destruct(&chain), 0);
    EXPECT_EQ(a.refs(), 3);
}

TEST(Xform, UsableFromC) { EXPECT_EQ(xform_c_translateAfterRotate(), 0); }

TEST(Xform, AssignmentByKindNameAndComposeIntoAStuckHandle)
{
    warp::Warp a{1.0, nullptr, {}}, twin = a, stuck = a;
    ASSERT_EQ(cmath_xform_constructStandard(&a.base, &a, &warp::kOps, &warp::kSharedOps, &warp::kTypeTable) |
                  cmath_xform_constructStandard(&twin.base, &twin, &kTwinOps, &warp::kSharedOps, &warp::kTypeTable) |
                  cmath_xform_constructStandard(&stuck.base, &stuck, &warp::kOps, &kStuckOps, &warp::kTypeTable),
              0);
    Handle plain(kAffine), wa(0.5), wb(2.0);
    twin.base.linear = kAffine;
    EXPECT_EQ(cmath_xform_assign(&a.base, &twin.base), 0); // another table, the same kind name
    EXPECT_TRUE(sameBytes(a.base.linear, kAffine));
    a.base.linear = kRotate;
    EXPECT_EQ(cmath_xform_assign(&a.base, plain.x()), cmath_errTypeMismatch);
    EXPECT_TRUE(sameBytes(a.base.linear, kRotate));

    // The target's old transform cannot be released: the new chain is dropped with its references.
    cmath_xformPtrh target;
    ASSERT_EQ(cstd_ptrh_constructBaseTypename(&target.handle, &stuck.base.shared, u"cmath_xform"), 0);
    EXPECT_EQ(cmath_xform_compose(wa.x(), wb.x(), &target), cmath_errFailed);
    EXPECT_EQ(target.handle.header, nullptr);
    EXPECT_EQ(wa.refs() + wb.refs(), 2);
}
