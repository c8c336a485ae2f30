#include "browser/web_engine.h"

#include <string>

#include "common/text.h"

namespace ovn::browser {

WebEngineKind ChooseWebEngine(const char* environmentValue, bool buildPrefersPlain) {
    const std::string value = ToLowerAscii(std::string_view(environmentValue ? environmentValue : ""));
    if (value == "plain")
        return WebEngineKind::Plain;
    if (value == "control")
        return WebEngineKind::Control;
    return buildPrefersPlain ? WebEngineKind::Plain : WebEngineKind::Control;
}

bool BuildPrefersPlainEngine() {
#if defined(OVN_PLAIN_WEB) || defined(OVN_LOCAL_PORTAL)
    return true;
#else
    return false;
#endif
}

}  // namespace ovn::browser
