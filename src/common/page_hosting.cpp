#include "common/page_hosting.h"

#include <string>

#include "common/text.h"

namespace ovn {

PageHosting ChoosePageHosting(bool underWine, std::string_view setting) {
    if (!underWine)
        return PageHosting::Child;
    return ToLowerAscii(setting) == "child" ? PageHosting::Child : PageHosting::Owned;
}

Box HostedPageBox(PageHosting hosting, const Box& area, int clientScreenX, int clientScreenY) {
    if (hosting == PageHosting::Child)
        return area;
    return {area.x + clientScreenX, area.y + clientScreenY, area.w, area.h};
}

}  // namespace ovn
