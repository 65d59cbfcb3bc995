// Private to the transform object model: the one walk over composed chains. A chain's parts may
// themselves be composed chains, nested as deep as a caller composes them (pose = pose o delta,
// once a frame, nests one level a frame); the walk descends into them with a stack of its own
// instead of the call stack, so that every operation that goes through the parts of a chain
// (mapping, linearising, inverting, the linearity query) needs constant call-stack depth.
//
// Use forEachPart when only the parts matter, in the order in which a point goes through them
// (mapping one point or an array of points part by part); walkChain when the operation must also
// know where a nested chain begins and ends (linearisation, inversion).
#ifndef ORBMATH_SRC_XFORM_CHAIN_WALK_HPP
#define ORBMATH_SRC_XFORM_CHAIN_WALK_HPP

#include "geometry/linear_map.hpp"
#include "xform/xform_internal.hpp"

#include <type_traits>

namespace orb::xf {

// The chain of x when x is a composed transform of this library; null for an empty part (null
// x), a plain transform and a kind of another module.
inline const cmath_xfcomposed* nestedChain(const cmath_xform* x)
{
    return x != nullptr && x->ops == &kComposedOps ? static_cast<const cmath_xfcomposed*>(outerOf(x)) : nullptr;
}

// *out = x(in) for a part that is not a composed chain of this library: a plain transform
// inline, another kind through its mapPoint slot (whose failure is returned). in and out may be
// the same object.
inline cmath_status mapPart(const cmath_xform* x, const cmath_vect* in, cmath_vect* out)
{
    if (x->ops == nullptr) {
        mapLinear(x->linear, in, out);
        return 0;
    }
    const cmath_status st = x->ops->mapPoint(outerOf(x), in, out);
    return st < 0 ? st : 0;
}

// A stack of trivially copyable frames: the first kInline in the object itself, further ones in
// segments from the library's allocator. One emptied segment is kept until the stack goes, so
// that a walk moving up and down across a segment boundary does not allocate each time.
template <class Frame, int kInline = 16> class FrameStack {
    static_assert(std::is_trivially_copyable_v<Frame> && std::is_trivially_default_constructible_v<Frame>);

public:
    FrameStack() = default;
    FrameStack(const FrameStack&) = delete;
    FrameStack& operator=(const FrameStack&) = delete;
    ~FrameStack()
    {
        release(spare_);
        while (top_ != nullptr) {
            Segment* below = top_->below;
            release(top_);
            top_ = below;
        }
    }

    bool empty() const { return top_ == nullptr && used_ == 0; }

    // A new frame on top, its address in *out; the allocator's failure when a segment cannot
    // be had (the stack is then unchanged).
    cmath_status push(Frame** out)
    {
        if (used_ == capacity()) {
            Segment* s = spare_;
            if (s != nullptr) {
                spare_ = nullptr;
            } else {
                void* block = nullptr;
                const cmath_status st = csys_memory_alloc_internal(sizeof(Segment), &block);
                if (st < 0) {
                    return st;
                }
                s = static_cast<Segment*>(block);
            }
            s->below = top_;
            top_ = s;
            used_ = 0;
        }
        *out = frames() + used_;
        ++used_;
        return 0;
    }

    Frame& top() { return frames()[used_ - 1]; }

    void pop()
    {
        --used_;
        if (used_ == 0 && top_ != nullptr) {
            release(spare_);
            spare_ = top_;
            top_ = top_->below;
            used_ = capacity();
        }
    }

private:
    static constexpr int kSegment = 256;
    struct Segment {
        Segment* below;
        Frame frames[kSegment];
    };

    int capacity() const { return top_ != nullptr ? kSegment : kInline; }
    Frame* frames() { return top_ != nullptr ? top_->frames : inline_; }
    static void release(Segment* s)
    {
        void* block = s;
        if (block != nullptr) {
            csys_memory_free_internal(&block);
        }
    }

    Frame inline_[kInline];
    Segment* top_ = nullptr;   // the segment in use; null while the inline frames suffice
    Segment* spare_ = nullptr; // an emptied segment kept for the next push
    int used_ = 0;             // frames in use in the top segment (or inline)
};

// What a visitor's part() returns to end a walk early with success.
inline constexpr cmath_status kStopWalk = 1;

// Walks c's chain part by part in application order (head first), descending into every part
// that is itself a composed chain of this library. The visitor provides
//   using Frame = ...;               what it keeps across a nested chain (trivially copyable)
//   static constexpr bool kResumes;  whether leave() must run for a nested chain that is the
//                                    last part of its own chain (false: nothing is to be done
//                                    there, and such a tail costs no frame)
//   static constexpr bool kTransparent;
//                                    whether enter() and leave() do nothing, so that a nested
//                                    chain of a single part may be taken as that part
//   cmath_status part(const cmath_xformPtrhConst* h, const cmath_xform* x);
//                                    a part that is not a nested chain; x is the transform
//                                    behind h, null for an empty part. It returns 0 to go on, a
//                                    negative status to end the walk with it, or kStopWalk to
//                                    end it with 0 (it never passes on a positive status)
//   cmath_status enter(const cmath_xfcomposed* nested, Frame* saved);
//                                    before the parts of a nested chain: saves into *saved
//   cmath_status leave(Frame* saved);
//                                    after them: restores from *saved
// A failure of enter() or leave(), or the allocator's when the walk's stack must grow (only
// for chains nested deeper than its inline frames), ends the walk and is returned.
template <class Visitor> cmath_status walkChain(const cmath_xfcomposed* c, Visitor& v)
{
    using Frame = typename Visitor::Frame;
    struct Entry {
        const cmath_xfcomposedNode* next; // where the enclosing chain resumes
        Frame saved;
    };
    FrameStack<Entry> stack;
    const cmath_xfcomposedNode* node = c->head;
    for (;;) {
        while (node != nullptr) {
            const cstd_shared* header = node->part.handle.header;
            const cmath_xform* x = header != nullptr ? xformOfHeader(header) : nullptr;
            const cmath_xfcomposed* nested = nestedChain(x);
            const cmath_xformPtrhConst* h = &node->part;
            if constexpr (Visitor::kTransparent) {
                // A nested chain of one part is that part: gone through without a frame.
                while (nested != nullptr && nested->head != nullptr && nested->head->next == nullptr) {
                    h = &nested->head->part;
                    x = h->handle.header != nullptr ? xformOfHeader(h->handle.header) : nullptr;
                    nested = nestedChain(x);
                }
            }
            cmath_status st = 0;
            if (nested == nullptr) {
                st = v.part(h, x);
                if (st != 0) {
                    return st < 0 ? st : 0;
                }
                node = node->next;
                continue;
            }
            Frame scratch;
            Frame* saved = &scratch;
            if (node->next != nullptr || Visitor::kResumes) {
                Entry* e = nullptr;
                st = stack.push(&e);
                if (st < 0) {
                    return st;
                }
                e->next = node->next;
                saved = &e->saved;
            }
            st = v.enter(nested, saved);
            if (st < 0) {
                return st;
            }
            node = nested->head;
        }
        if (stack.empty()) {
            return 0;
        }
        Entry& e = stack.top();
        node = e.next;
        const cmath_status st = v.leave(&e.saved);
        stack.pop();
        if (st < 0) {
            return st;
        }
    }
}

// The visitor of forEachPart.
template <class Fn> struct PartsVisitor {
    struct Frame {};
    static constexpr bool kResumes = false;
    static constexpr bool kTransparent = true;
    Fn& fn;
    cmath_status part(const cmath_xformPtrhConst* /*h*/, const cmath_xform* x) { return x != nullptr ? fn(x) : 0; }
    cmath_status enter(const cmath_xfcomposed* /*nested*/, Frame* /*saved*/) { return 0; }
    cmath_status leave(Frame* /*saved*/) { return 0; }
};

// Calls fn(x) for every part of c's chain that is neither empty nor a composed chain of this
// library, in the order in which a point goes through them; fn returns 0 to go on, a negative
// status to end the walk with it, or kStopWalk to end it with 0.
template <class Fn> cmath_status forEachPart(const cmath_xfcomposed* c, Fn fn)
{
    PartsVisitor<Fn> v{fn};
    return walkChain(c, v);
}

} // namespace orb::xf

#endif
