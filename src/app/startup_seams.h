// Jobs of the start-up that come with later features. Each is a seam: a named
// function with its final signature whose body arrives with the feature named
// beside it; until then it does nothing and reports failure.
#pragma once
#include <windows.h>

namespace ovn {

// Arrives with cache clearing: the browser's cache limit.
bool SetCacheLimit();

}  // namespace ovn
