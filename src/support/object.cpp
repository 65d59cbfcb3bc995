// The root class; its destructor is the key function that anchors the exported vtable.
#include <orbmath/support.h>

cxObject::~cxObject() = default;
