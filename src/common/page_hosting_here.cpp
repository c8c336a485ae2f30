#include <cstdlib>

#include "common/page_hosting.h"
#include "common/windows_version.h"

namespace ovn {

PageHosting PageHostingHere() {
    // The launcher and the page processes it starts share this environment.
    static const PageHosting hosting = [] {
        const char* setting = std::getenv("OVN_PAGE_HOSTING");
        return ChoosePageHosting(RunningUnderWine(), setting ? setting : "");
    }();
    return hosting;
}

}  // namespace ovn
