// The label another process sends with WM_COPYDATA: raw bytes of any count. A
// label that is taken ends at its terminator, within the bytes and the size
// limit, and the same label is never claimed twice.
#include "fuzz_support.h"
#include "launcher/page_slots.h"

using namespace ovn::launcher;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto label = LabelFromCopyData(size == 0 ? nullptr : data, size);
    if (!label)
        return 0;
    FUZZ_CHECK(size % 2 == 0 && (label->size() + 1) * 2 <= size);
    FUZZ_CHECK(label->size() <= kMaxLabelChars);
    FUZZ_CHECK(label->find(L'\0') == std::wstring::npos);
    FUZZ_CHECK(data[2 * label->size()] == 0 && data[2 * label->size() + 1] == 0);

    PageSlots slots;
    FUZZ_CHECK(slots.ClaimLabel(*label, true));
    slots.Adopt(1, false);
    FUZZ_CHECK(!slots.ClaimLabel(*label, true));
    FUZZ_CHECK(slots.LabelOf(0) == *label);
    return 0;
}
