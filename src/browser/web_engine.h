// Which web engine shows pages: the system's browser control, or the plain
// built-in engine for machines whose control cannot render (Wine here).
// Platform-free.
#pragma once
#include <string_view>

namespace ovn::browser {

enum class WebEngineKind { Control, Plain };

// The value of OVN_WEB_ENGINE ("plain" or "control", any case) decides; anything
// else, or no value, leaves the build's default.
WebEngineKind ChooseWebEngine(const char* environmentValue, bool buildPrefersPlain);

// The build's default: plain in builds for the local portal or with OVN_PLAIN_WEB.
bool BuildPrefersPlainEngine();

}  // namespace ovn::browser
