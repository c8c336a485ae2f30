#include "browser/web_engine.h"

#include <string>

namespace ovn::browser {

WebEngineKind ChooseWebEngine(const char* environmentValue, bool buildPrefersPlain) {
    std::string value;
    for (const char* p = environmentValue; p && *p; ++p)
        value += (*p >= 'A' && *p <= 'Z') ? char(*p - 'A' + 'a') : *p;
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
