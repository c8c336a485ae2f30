#include "app/rights_rules.h"

namespace ovn {

UpdateRoute ChooseUpdateRoute(bool folderWritable, bool canElevate) {
    if (folderWritable)
        return UpdateRoute::InPlace;
    // Downloading what cannot be swapped in would repeat at every start.
    return canElevate ? UpdateRoute::Elevated : UpdateRoute::NotAttempted;
}

}  // namespace ovn
