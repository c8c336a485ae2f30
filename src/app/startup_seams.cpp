// Seams of the start-up (see startup_seams.h). Each body is replaced, and this
// file shrinks, as its feature arrives.
#include "app/startup_seams.h"

namespace ovn {

bool SetCacheLimit() { return false; }  // arrives with cache clearing

}  // namespace ovn
