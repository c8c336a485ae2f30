// A hotkey value read back from Statistic.ini: what is taken is in range and is
// written back as a value that reads the same; a value that does not read is the
// default, never a key nobody chose. Input: the stored text.
#include "common/input.h"
#include "fuzz_support.h"
#include "settings/hotkey_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = ovn::fuzz::Text(data, size);
    const auto parsed = ovn::ParseHotkeyValue(text);
    if (parsed) {
        FUZZ_CHECK(parsed->modifiers >= 0 && parsed->modifiers <= 7 && parsed->key >= 0 && parsed->key <= 255);
        FUZZ_CHECK(ovn::ParseHotkeyValue(ovn::FormatHotkeyValue(*parsed)) == parsed);
        (void)ovn::settings::FormatHotkeyText(*parsed);
    }
    for (ovn::HotkeyId id : ovn::kAllHotkeys) {
        const ovn::HotkeySetting stored = ovn::HotkeyFromStored(id, text);
        FUZZ_CHECK(stored == (parsed ? *parsed : ovn::DefaultHotkey(id)));
        // What the settings dialog's box makes of the same text.
        (void)ovn::settings::HotkeyFromText(text, stored.key);
    }
    return 0;
}
