// The transform object model driven by a byte program over six handles, against a reference
// model of the documented rules. Transforms are plain, composed, or shears, a kind defined here
// through the library's extension interface; handles are composed (in every variant the
// interface offers, and through the kinds' compose slots), inverted, cloned, assigned, copied,
// filled from chains built part by part, and released in any order, and any step may meet a
// failing allocation (a failing step must change nothing).
//
// The model keeps one immutable node per transform object; handles and chain parts share nodes
// as the library's handles share objects. Plain values are computed with the library's value
// types: the model is about structure, sharing and order, not 2x2 arithmetic. After
// every step each handle is checked against its node: the kind, the value, the chain's parts one
// by one, that one node is one object (a new result is a new object, a copy is the same one),
// every reference count, the outstanding-block count, and the number of live shears. Mapping,
// linearising, the linear test and equality are compared with the model on request. At the end
// every shear has been destroyed exactly once and the block count is back at its start.
#include <orbmath/orbmath.h>

#include "fuzz_memory.hpp"

#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

namespace {

bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

bool sameLinear(const cmath_xformLinear& a, const cmath_xformLinear& b)
{
    return same(a.trans.x, b.trans.x) && same(a.trans.y, b.trans.y) && same(a.matrix.e11, b.matrix.e11) &&
           same(a.matrix.e12, b.matrix.e12) && same(a.matrix.e21, b.matrix.e21) && same(a.matrix.e22, b.matrix.e22);
}

// ---- the shear kind: (x, y) -> (x + k y^2, y); its inverse has -k -----------------------------
// Its cmath_xform sits after its own fields, so the outer object is not the transform. A NaN k
// marks a broken part whose mapping and linearisation fail with kBroken.
constexpr cmath_status kBroken = ORBMATH_STATUS_(0x80000F01u);
constexpr char16_t kShearName[] = u"fuzz_shear";

struct Shear {
    double k;
    cmath_xform base;
};
std::set<const Shear*> g_liveShears; // made and not yet destroyed

const Shear* shearOf(const void* outer) { return static_cast<const Shear*>(outer); }

cmath_status shearMake(double k, cmath_xformPtrh* out);

cmath_status shearMap(const void* outer, const cmath_vect* in, cmath_vect* out)
{
    const double k = shearOf(outer)->k, y = in->y;
    if (std::isnan(k)) {
        return kBroken;
    }
    *out = {in->x + k * (y * y), y};
    return 0;
}

cmath_status shearIsLinear(const void* outer, int32_t* out)
{
    *out = shearOf(outer)->k == 0.0 ? 1 : 0;
    return 0;
}

// About p: matrix [[1, 2 k p.y], [0, 1]], translation f(p) - J p = (-k p.y^2, 0).
cmath_status shearLinear(const void* outer, const cmath_vect* point, cmath_xformLinear* out)
{
    const double k = shearOf(outer)->k, y = point != nullptr ? point->y : 0.0;
    if (std::isnan(k)) {
        return kBroken;
    }
    *out = {{-(k * (y * y)), 0.0}, {1.0, 2.0 * k * y, 0.0, 1.0}};
    return 0;
}

// self o other through the library's handle composition.
cmath_status shearCompose(const void* outer, const cmath_xform* other, cmath_xformPtrh* out)
{
    cmath_xformPtrh self, second;
    cmath_status st = cstd_ptrh_constructBaseTypename(&self.handle, const_cast<cstd_shared*>(&shearOf(outer)->base.shared), u"cmath_xform");
    if (st < 0) {
        return st;
    }
    st = cstd_ptrh_constructBaseTypename(&second.handle, const_cast<cstd_shared*>(&other->shared), u"cmath_xform");
    if (st >= 0) {
        st = cmath_xformPtrh_assignCompose(out, &self, &second);
        cstd_ptrh_destruct(&second.handle);
    }
    cstd_ptrh_destruct(&self.handle);
    return st;
}

cmath_status shearInverse(const void* outer, cmath_xformPtrh* out) { return shearMake(-shearOf(outer)->k, out); }
cmath_status shearClone(const void* outer, cmath_xformPtrh* out) { return shearMake(shearOf(outer)->k, out); }

cmath_status shearQueryFinal(void* object, const char16_t* name, void** out)
{
    auto* s = static_cast<Shear*>(object);
    if (cstd_typename_equal(name, kShearName) != 0) {
        *out = s;
        return 0;
    }
    return cmath_xform_queryInterfaceByTypenameFinal(&s->base, name, out);
}

cmath_status shearTypename(void*, const char16_t** out)
{
    *out = kShearName;
    return 0;
}

cmath_status shearDestroy(cstd_shared* header)
{
    auto* s = static_cast<Shear*>(header->outer);
    FUZZ_CHECK(g_liveShears.erase(s) == 1); // destroyed once, and only after it was made
    FUZZ_CHECK(cmath_xform_destruct(&s->base) == 0);
    void* block = s;
    return csys_memory_free_internal(&block);
}

const cmath_xformOps kShearOps = {shearMap, shearIsLinear, shearLinear, shearCompose, shearInverse, shearClone};
const cstd_sharedTypeTable kShearTypes = {shearQueryFinal, shearTypename};
const cstd_sharedOps kShearShared = {shearDestroy, cstd_shared_increment_default, cstd_shared_decrement_default};

// out refers to a new shear; on failure out keeps its transform.
cmath_status shearMake(double k, cmath_xformPtrh* out)
{
    void* block = nullptr;
    cmath_status st = csys_memory_alloc_internal(sizeof(Shear), &block);
    if (st < 0) {
        return st;
    }
    auto* s = static_cast<Shear*>(block);
    s->k = k;
    st = cmath_xform_constructStandard(&s->base, s, &kShearOps, &kShearShared, &kShearTypes);
    if (st >= 0) {
        g_liveShears.insert(s);
        st = cstd_ptrh_assignShared(&out->handle, &s->base.shared);
        if (st < 0) {
            g_liveShears.erase(s);
        }
    }
    if (st < 0) {
        csys_memory_free_internal(&block);
    }
    return st;
}

// ---- the model ------------------------------------------------------------------------------
struct Node;
using Ref = std::shared_ptr<const Node>; // null: an empty handle, an identity part

struct Node {
    enum Kind { Plain, Sheared, Chain } kind = Plain;
    cmath_xformLinear lin{}; // Plain
    double k = 0.0;          // Sheared
    std::vector<Ref> parts;  // Chain, in application order
    int depth = 1;
    int64_t cost = 1; // nodes visited by a walk through it
    mutable const cmath_xform* object = nullptr; // the library object, once seen
};

constexpr int kMaxDepth = 200;    // nesting the library's walks recurse through
constexpr int64_t kMaxCost = 2000; // a walk (and an inverse, which copies every part) stays short

Ref plain(const cmath_xformLinear& lin)
{
    Node n;
    n.lin = lin;
    return std::make_shared<const Node>(std::move(n));
}
Ref shear(double k)
{
    Node n;
    n.kind = Node::Sheared;
    n.k = k;
    return std::make_shared<const Node>(std::move(n));
}
Ref chain(std::vector<Ref> parts)
{
    Node n;
    n.kind = Node::Chain;
    n.parts = std::move(parts);
    for (const Ref& p : n.parts) {
        n.depth = std::max(n.depth, p ? p->depth + 1 : 1);
        n.cost += p ? p->cost : 1;
    }
    return std::make_shared<const Node>(std::move(n));
}
bool affordable(const Ref& r) { return !r || (r->depth <= kMaxDepth && r->cost <= kMaxCost); }

// A new copy: plain and shear values copied, a chain's parts shared.
Ref clone(const Ref& r)
{
    if (!r) return r;
    return r->kind == Node::Plain ? plain(r->lin) : r->kind == Node::Sheared ? shear(r->k) : chain(r->parts);
}

// a o b of two objects: two plain ones fold, anything else is the chain [b, a].
Ref composeObjects(const Ref& a, const Ref& b)
{
    if (a->kind == Node::Plain && b->kind == Node::Plain) {
        cmath_xformLinear r{};
        FUZZ_CHECK(cmath_matrix_mapPoint(&a->lin.matrix, &b->lin.trans, &r.trans) == 0);
        r.trans = {r.trans.x + a->lin.trans.x, r.trans.y + a->lin.trans.y};
        FUZZ_CHECK(cmath_matrix_initMultiply(&r.matrix, &a->lin.matrix, &b->lin.matrix) == 0);
        return plain(r);
    }
    return chain({b, a});
}

// a o b of two handles: an empty side gives a new copy of the other.
Ref composeHandles(const Ref& a, const Ref& b) { return a && b ? composeObjects(a, b) : clone(a ? a : b); }

cmath_status inverse(const Ref& r, Ref& out)
{
    if (!r) {
        out = nullptr;
        return 0;
    }
    if (r->kind == Node::Plain) {
        cmath_xformLinear inv{};
        const cmath_status st = cmath_xformLinear_getInverse(&r->lin, &inv);
        out = st < 0 ? out : plain(inv);
        return st;
    }
    if (r->kind == Node::Sheared) {
        out = shear(-r->k);
        return 0;
    }
    std::vector<Ref> parts; // [Pn^-1, ..., P1^-1]
    for (const Ref& p : r->parts) {
        Ref inv;
        const cmath_status st = inverse(p, inv);
        if (st < 0) {
            return st;
        }
        parts.insert(parts.begin(), inv);
    }
    out = chain(std::move(parts));
    return 0;
}

cmath_status map(const Ref& r, cmath_vect& p)
{
    if (!r) return 0;
    switch (r->kind) {
    case Node::Plain: return cmath_xformLinear_mapPoint(&r->lin, &p, &p);
    case Node::Sheared: {
        Shear s{r->k, {}};
        return shearMap(&s, &p, &p);
    }
    default:
        for (const Ref& part : r->parts) {
            const cmath_status st = map(part, p);
            if (st < 0) return st;
        }
        return 0;
    }
}

int32_t isLinear(const Ref& r)
{
    if (!r || r->kind == Node::Plain) return 1;
    if (r->kind == Node::Sheared) return r->k == 0.0 ? 1 : 0;
    for (const Ref& p : r->parts) {
        if (isLinear(p) == 0) return 0;
    }
    return 1;
}

// The linear form about *point (a null point: the origin, refused when not linear).
cmath_status linearAt(const Ref& r, const cmath_vect* point, cmath_xformLinear& out)
{
    cmath_xformLinear id{};
    FUZZ_CHECK(cmath_xformLinear_initIdentity(&id) == 0);
    if (!r || r->kind == Node::Plain) {
        out = r ? r->lin : id;
        return 0;
    }
    if (point == nullptr && isLinear(r) == 0) {
        return cmath_errNotLinear;
    }
    cmath_vect p = point != nullptr ? *point : cmath_vect{0.0, 0.0};
    if (r->kind == Node::Sheared) {
        Shear s{r->k, {}};
        return shearLinear(&s, &p, &out);
    }
    cmath_xformLinear acc = id; // the chain rule, each part linearised where the chain reaches it
    for (const Ref& part : r->parts) {
        cmath_xformLinear L{};
        cmath_status st = linearAt(part, &p, L);
        if (st >= 0) st = cmath_xformLinear_initCompose(&acc, &L, &acc);
        if (st >= 0) st = map(part, p);
        if (st < 0) return st;
    }
    out = acc;
    return 0;
}

int32_t equal(const Ref& a, const Ref& b)
{
    if (a == b) return 1;
    if (isLinear(a) == 0 || isLinear(b) == 0) return 0;
    cmath_xformLinear la{}, lb{};
    FUZZ_CHECK(linearAt(a, nullptr, la) == 0 && linearAt(b, nullptr, lb) == 0);
    return la.trans.x == lb.trans.x && la.trans.y == lb.trans.y && la.matrix.e11 == lb.matrix.e11 &&
                   la.matrix.e12 == lb.matrix.e12 && la.matrix.e21 == lb.matrix.e21 && la.matrix.e22 == lb.matrix.e22
               ? 1
               : 0;
}

// ---- the program ----------------------------------------------------------------------------
constexpr int kHandles = 6;

cmath_xformPtrh* mut(cmath_xformPtrhConst* h) { return reinterpret_cast<cmath_xformPtrh*>(h); }

const cmath_xform* objectOf(const cmath_xformPtrhConst* h)
{
    const cmath_xform* x = nullptr;
    FUZZ_CHECK(cmath_xformPtrhConst_getXform(h, &x) == 0);
    return x;
}

class Program {
public:
    explicit Program(fuzz::Input& in) : in_(in)
    {
        for (auto& h : h_) FUZZ_CHECK(cmath_xformPtrhConst_construct(&h) == 0);
    }
    ~Program()
    {
        for (auto& h : h_) FUZZ_CHECK(cmath_xformPtrhConst_destruct(&h) == 0);
    }

    void step();
    void verify();

private:
    cmath_xformLinear linear()
    {
        return {{in_.real(), in_.real()}, {in_.real(), in_.real(), in_.real(), in_.real()}};
    }
    void query(int a, int b);
    void build(int o);
    void verify(const cmath_xformPtrhConst* h, const Ref& r);

    fuzz::Input& in_;
    const int64_t start_ = csys_memory_testOutstanding();
    cmath_xformPtrhConst h_[kHandles];
    Ref model_[kHandles];
    // Which model node each library object stands for (a new result must be a new object).
    std::unordered_map<const cmath_xform*, std::weak_ptr<const Node>> owners_;
    std::set<const Node*> seen_;
    int64_t blocks_ = 0, shears_ = 0;
};

void Program::step()
{
    const uint8_t op = in_.byte();
    const int o = in_.byte() % kHandles, a = in_.byte() % kHandles, b = in_.byte() % kHandles;
    const uint8_t variant = in_.byte();
    if (op % 10 == 8) {
        build(o);
        return;
    }
    if (op % 10 == 9) {
        query(a, b);
        return;
    }
    cmath_xformPtrhConst *out = &h_[o], *ha = &h_[a], *hb = &h_[b];
    const Ref &A = model_[a], &B = model_[b];
    const cmath_xformLinear lin = linear();
    const double k = in_.byte() % 4 == 0 ? std::numeric_limits<double>::quiet_NaN() : in_.real();
    // The model's answer first: a result beyond the limits is not asked for.
    Ref want;
    cmath_status wantSt = 0;
    switch (op % 10) {
    case 0: want = plain(lin); break;
    case 1: want = shear(k); break;
    case 2: want = nullptr; break;
    case 3: want = A; break;
    case 4:
        switch (variant % 5) {
        case 0: want = composeHandles(A, B); break;
        case 1: want = composeObjects(plain(lin), plain(lin)); break;
        case 2: want = composeHandles(A, plain(lin)); break;
        case 3: want = composeHandles(plain(lin), B); break;
        default: want = composeHandles(composeHandles(A, B), model_[o]); break; // (a o b) o out
        }
        break;
    case 5: wantSt = inverse(A, want); break;
    case 6: want = clone(A); break;
    default: // a kind's compose slot, or the composed kind's default compose, on two objects
        if (!A || !B || (A->kind == Node::Plain && variant % 2 == 0)) {
            return; // a plain transform has no slots
        }
        if (variant % 2 == 0 && A->kind == Node::Chain) {
            std::vector<Ref> parts = A->parts; // self's chain copied flat, other put in front
            parts.insert(parts.begin(), B);
            want = chain(std::move(parts));
        } else {
            want = composeObjects(A, B);
        }
        break;
    }
    if (!affordable(want)) {
        return;
    }
    cmath_status st = 0;
    bool mayFail = false;
    {
        fuzz::FailOne failing(in_);
        mayFail = failing.armed();
        switch (op % 10) {
        case 0: st = variant % 2 ? cmath_xformPtrhConst_assignLinear(out, &lin) : cmath_xformPtrh_assignLinear(mut(out), &lin); break;
        case 1: st = shearMake(k, mut(out)); break;
        case 2:
            switch (variant % 3) {
            case 0: st = cmath_xformPtrhConst_assignNull(out); break;
            case 1: st = cmath_xformPtrh_reset(mut(out)); break;
            default: // released and made again
                st = cmath_xformPtrhConst_destruct(out);
                FUZZ_CHECK(st == 0 && cmath_xformPtrhConst_construct(out) == 0);
                break;
            }
            break;
        case 3:
            switch (variant % 3) {
            case 0: st = cmath_xformPtrhConst_assign(out, ha); break;
            case 1: st = cmath_xformPtrhConst_assignConst(out, mut(ha)); break;
            default: st = cmath_xformPtrh_assign(mut(out), mut(ha)); break;
            }
            break;
        case 4:
            switch (variant % 5) {
            case 0: st = cmath_xformPtrhConst_assignCompose(out, ha, hb); break;
            case 1: st = cmath_xformPtrhConst_assignComposeLinearLinear(out, &lin, &lin); break;
            case 2: st = cmath_xformPtrhConst_assignComposePtrhLinear(out, ha, &lin); break;
            case 3: st = cmath_xformPtrhConst_assignComposeLinearPtrh(out, &lin, hb); break;
            default: st = cmath_xformPtrhConst_assignCompose3(out, ha, hb, out); break;
            }
            break;
        case 5: st = variant % 2 ? cmath_xformPtrhConst_getInverseConst(ha, out) : cmath_xformPtrh_getInverse(mut(ha), mut(out)); break;
        case 6:
            switch (variant % 3) {
            case 0: st = cmath_xformPtrhConst_cloneConst(ha, out); break;
            case 1: st = cmath_xformPtrh_clone(mut(ha), mut(out)); break;
            default: st = A ? cmath_xformPtrhConst_assignClone(out, objectOf(ha)) : cmath_xformPtrhConst_assignNull(out); break;
            }
            break;
        default: {
            const cmath_xform *x = objectOf(ha), *y = objectOf(hb);
            st = variant % 2 ? cmath_xfcomposed_defaultCompose(x, y, mut(out)) : x->ops->compose(x->shared.outer, y, mut(out));
            break;
        }
        }
    }
    if (st == csys_errNoMemory && mayFail) {
        return; // nothing changed (a failure meant otherwise may come after it); verify() confirms it
    }
    FUZZ_CHECK(st == wantSt);
    if (st == 0) {
        model_[o] = want;
    }
}

// Chains built part by part (composeFrontPH_), then handed to a handle; the local chain is
// released either way.
void Program::build(int o)
{
    cmath_xfcomposed c;
    FUZZ_CHECK(cmath_xfcomposed_construct(&c) == 0);
    std::vector<Ref> parts;
    const int count = in_.byte() % 5;
    for (int i = 0; i < count; ++i) {
        const int p = in_.byte() % kHandles;
        fuzz::FailOne failing(in_);
        const cmath_status st = cmath_xfcomposed_composeFrontPH_(&c, &h_[p]);
        FUZZ_CHECK(st == 0 || (st == csys_errNoMemory && failing.armed()));
        if (st == 0) parts.insert(parts.begin(), model_[p]);
    }
    const Ref want = chain(parts);
    if (affordable(want)) {
        const bool asConst = in_.byte() % 2 == 0;
        fuzz::FailOne failing(in_);
        const cmath_status st = asConst ? cmath_xformPtrhConst_assignComposed(&h_[o], &c) : cmath_xformPtrh_assignComposed(mut(&h_[o]), &c);
        FUZZ_CHECK(st == 0 || (st == csys_errNoMemory && failing.armed()));
        if (st == 0) model_[o] = want;
    }
    FUZZ_CHECK(cmath_xfcomposed_destruct(&c) == 0);
}

// The answers that change nothing: mapping, linear forms, the linear and composed tests,
// equality and the query by type name.
void Program::query(int a, int b)
{
    const cmath_xformPtrhConst* h = &h_[a];
    const Ref& r = model_[a];
    const cmath_vect p = {in_.real(), in_.real()};
    cmath_vect got = {-1.0, -1.0}, want = p;
    const cmath_status st = cmath_xformPtrhConst_mapPoint(h, &p, &got);
    FUZZ_CHECK(st == map(r, want) && (st < 0 || (same(got.x, want.x) && same(got.y, want.y))));
    const bool origin = in_.byte() % 2 == 0;
    cmath_xformLinear lg{}, lw{};
    const cmath_status lst = cmath_xformPtrhConst_getLinear(h, origin ? nullptr : &p, &lg);
    FUZZ_CHECK(lst == linearAt(r, origin ? nullptr : &p, lw) && (lst < 0 || sameLinear(lg, lw)));
    int32_t flag = -1;
    FUZZ_CHECK(cmath_xformPtrhConst_getIsLinear(h, &flag) == 0 && flag == isLinear(r));
    FUZZ_CHECK(cmath_xformPtrhConst_getIsComposed(h, &flag) == 0 && flag == (r && r->kind == Node::Chain ? 1 : 0));
    FUZZ_CHECK(cmath_xformPtrhConst_compareEqual(h, &h_[b], &flag) == 0 && flag == equal(r, model_[b]));
    if (r) {
        const cmath_xform* x = objectOf(h);
        void* found = &flag;
        FUZZ_CHECK(cmath_xform_queryInterfaceByTypename(x, u"cmath_xform", &found) == 0 && found == x);
        FUZZ_CHECK(cmath_xform_queryInterfaceByTypename(x, kShearName, &found) == 0 &&
                   found == (r->kind == Node::Sheared ? x->shared.outer : nullptr));
    }
}

void Program::verify()
{
    seen_.clear();
    blocks_ = shears_ = 0;
    for (int i = 0; i < kHandles; ++i) {
        verify(&h_[i], model_[i]);
    }
    FUZZ_CHECK(static_cast<int64_t>(g_liveShears.size()) == shears_);
    FUZZ_CHECK(csys_memory_testOutstanding() == start_ + blocks_);
}

// h refers to the object r stands for: same kind, value and parts, one object per node, and a
// reference count equal to the model's holders of r.
void Program::verify(const cmath_xformPtrhConst* h, const Ref& r)
{
    const cmath_xform* x = objectOf(h);
    FUZZ_CHECK((x == nullptr) == !r);
    if (!r) return;
    if (r->object == nullptr) {
        const auto it = owners_.find(x);
        FUZZ_CHECK(it == owners_.end() || it->second.expired()); // a new result is a new object
        r->object = x;
        owners_[x] = r;
    }
    FUZZ_CHECK(r->object == x);
    if (!seen_.insert(r.get()).second) return;
    int64_t refs = -1;
    FUZZ_CHECK(cstd_shared_getReferenceCount(h->handle.header, &refs) == 0 && refs == r.use_count());
    int32_t composed = -1;
    FUZZ_CHECK(cmath_xformPtrhConst_getIsComposed(h, &composed) == 0 && composed == (r->kind == Node::Chain ? 1 : 0));
    switch (r->kind) {
    case Node::Plain: FUZZ_CHECK(x->ops == nullptr && sameLinear(x->linear, r->lin)); ++blocks_; break;
    case Node::Sheared: FUZZ_CHECK(x->ops == &kShearOps && same(shearOf(x->shared.outer)->k, r->k)); ++blocks_; ++shears_; break;
    default: {
        const cmath_xfcomposedNode* node = reinterpret_cast<const cmath_xfcomposed*>(x)->head;
        for (const Ref& part : r->parts) {
            FUZZ_CHECK(node != nullptr);
            verify(&node->part, part);
            node = node->next;
        }
        FUZZ_CHECK(node == nullptr);
        blocks_ += 1 + static_cast<int64_t>(r->parts.size());
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int64_t start = csys_memory_testOutstanding();
    {
        Program program(in);
        for (int step = 0; step < 128 && in.left() > 0; ++step) {
            program.step();
            program.verify();
        }
    }
    FUZZ_CHECK(g_liveShears.empty());
    FUZZ_CHECK(csys_memory_testOutstanding() == start);
    return 0;
}
