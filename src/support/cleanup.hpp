// Scoped clean-up list used inside the library: register undo actions as an operation goes,
// then `return cl.close()`; fresh results are undone only when the status is negative,
// work blocks and temporary handles always.
#ifndef ORBMATH_SRC_SUPPORT_CLEANUP_HPP
#define ORBMATH_SRC_SUPPORT_CLEANUP_HPP

#include <orbmath/support.h>

namespace orb {

class Cleanup {
public:
    explicit Cleanup(cmath_status& status) : status_(status) {}
    Cleanup(const Cleanup&) = delete;
    Cleanup& operator=(const Cleanup&) = delete;
    ~Cleanup() { close(); }

    // Frees *p on failure (p is the address of the pointer that holds a fresh block).
    void freshBlock(void** p) { add(csys_cleanup_freshBlock, p, csys_cleanup_freeBlockAction); }
    // Runs action(target) on failure: destructs an object or out-handle made here.
    void freshObject(void* target, void (*action)(void*)) { add(csys_cleanup_freshObject, target, action); }
    // Frees *p always.
    void workBlock(void** p) { add(csys_cleanup_workBlock, p, csys_cleanup_freeBlockAction); }
    // Runs action(target) always: releases a temporary handle or scratch object.
    void tempHandle(void* target, void (*action)(void*)) { add(csys_cleanup_tempHandle, target, action); }

    // Runs the list once and returns the operation's status.
    cmath_status close()
    {
        if (count_ > 0) {
            csys_cleanupExecute_(records_, &count_, &status_, 0xFFFFFFFFu);
        }
        return status_;
    }

private:
    static constexpr int kCapacity = 8;
    void add(int32_t kind, void* target, void (*action)(void*))
    {
        // Capacity is a compile-time property of the callers; overflow is a library bug.
        if (count_ >= kCapacity) {
            __builtin_trap();
        }
        records_[count_] = csys_cleanupRecord{count_, kind, target, action};
        ++count_;
    }

    cmath_status& status_;
    csys_cleanupRecord records_[kCapacity]; // only [0, count_) is ever read: no clearing on hot paths
    int32_t count_ = 0;
};

} // namespace orb

#endif
