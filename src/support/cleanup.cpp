// The clean-up list: closes an operation by undoing what it registered.
#include <orbmath/support.h>

extern "C" {

ORBMATH_API void csys_cleanupExecute_(csys_cleanupRecord* records, int32_t* count,
                                      cmath_status* status, uint32_t level)
{
    const bool failed = *status < 0;
    for (int32_t i = *count - 1; i >= 0; --i) {
        csys_cleanupRecord& r = records[i];
        if (static_cast<uint32_t>(r.sequence) > level || r.action == nullptr) {
            continue;
        }
        switch (r.kind) {
        case csys_cleanup_freshBlock:
        case csys_cleanup_freshObject:
            if (failed) {
                r.action(r.target);
            }
            break;
        case csys_cleanup_workBlock:
        case csys_cleanup_tempHandle:
            r.action(r.target);
            break;
        default:
            break;
        }
    }
    *count = 0;
}

ORBMATH_API void csys_cleanup_freeBlockAction(void* target)
{
    csys_memory_free_internal(static_cast<void**>(target));
}

} // extern "C"
