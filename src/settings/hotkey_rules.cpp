#include "settings/hotkey_rules.h"

namespace ovn::settings {

namespace {

constexpr wchar_t kNone[] = L"无";
constexpr wchar_t kCtrlWord[] = L"Ctrl  +  ";
constexpr wchar_t kShiftWord[] = L"Shift  +  ";
constexpr wchar_t kAltWord[] = L"Alt  +  ";

struct NamedKey {
    int vk;
    const wchar_t* name;
};

constexpr NamedKey kNamedKeys[] = {
    {8, L"Back"},        {9, L"Tab"},          {13, L"Enter"},         {16, L"Shift"},     {17, L"Ctrl"},
    {18, L"Alt"},        {19, L"Pause Break"}, {20, L"Caps"},          {27, L"Esc"},       {33, L"Page Up"},
    {34, L"Page Down"},  {35, L"End"},         {36, L"Home"},          {37, L"Left"},      {38, L"Up"},
    {39, L"Right"},      {40, L"Down"},        {45, L"Insert"},        {46, L"Del"},       {91, L"LWin"},
    {92, L"RWin"},       {106, L"Num *"},      {107, L"Num +"},        {109, L"Num -"},    {110, L"Num Del"},
    {111, L"Num /"},     {144, L"Num Lock"},   {145, L"Scroll Lock"},  {186, L";"},        {187, L"+"},
    {188, L","},         {189, L"-"},          {190, L"."},            {191, L"/"},        {192, L"`"},
    {219, L"["},         {220, L"\\"},         {221, L"]"},            {222, L"'"},
};

bool In(int vk, int low, int high) { return vk >= low && vk <= high; }

std::wstring ModifierWords(int modifiers) {
    std::wstring text;
    if (modifiers & kModCtrl)
        text += kCtrlWord;
    if (modifiers & kModShift)
        text += kShiftWord;
    if (modifiers & kModAlt)
        text += kAltWord;
    return text;
}

// Keys that clear a box: Backspace, Delete and the Windows keys; F12 too, except
// in the window-switch box.
bool ClearsBox(HotkeyId box, int vk) {
    if (vk == 8 || vk == 46 || vk == 91 || vk == 92)
        return true;
    return vk == 123 && box != HotkeyId::Switch;
}

}  // namespace

std::wstring KeyName(int vk) {
    if (In(vk, 48, 57) || In(vk, 65, 90))
        return std::wstring(1, static_cast<wchar_t>(vk));
    if (In(vk, 112, 123))
        return L"F" + std::to_wstring(vk - 111);
    if (In(vk, 96, 105))
        return L"Num " + std::to_wstring(vk - 96);
    for (const NamedKey& k : kNamedKeys)
        if (k.vk == vk)
            return k.name;
    return {};
}

std::wstring FormatHotkeyText(const HotkeySetting& setting) {
    if (setting.key == 0)
        return kNone;
    return ModifierWords(setting.modifiers) + KeyName(setting.key);
}

bool IsAllowedHotkeyKey(int vk) {
    return In(vk, 112, 122) || In(vk, 48, 57) || In(vk, 65, 90) || In(vk, 33, 40) || vk == 45 || vk == 20 ||
           In(vk, 186, 192) || In(vk, 219, 222) || vk == 144 || In(vk, 96, 107) || In(vk, 109, 111);
}

bool IsAllowedFor(HotkeyId box, int vk) { return IsAllowedHotkeyKey(vk) || (box == HotkeyId::Switch && vk == 9); }

CaptureStep ClassifySettingsKey(unsigned message, int vk) {
    const bool keyDown = message == kWmKeyDown || (message == kWmSysKeyDown && (vk == 121 || vk == 18));
    if (!keyDown)
        return CaptureStep::NotOurs;
    if (vk == 27 || vk == 13)
        return CaptureStep::Swallow;
    return CaptureStep::Capture;
}

Capture CaptureChord(HotkeyId box, int vk, int modifiers) {
    if (ClearsBox(box, vk))
        return {kNone, std::nullopt};
    Capture capture;
    std::wstring name;
    if (IsAllowedFor(box, vk)) {
        capture.key = vk;
        name = KeyName(vk);
    }
    capture.text = ModifierWords(modifiers) + name;
    return capture;
}

std::optional<HotkeySetting> HotkeyFromText(const std::wstring& text, int heldKey) {
    if (text.empty() || text.back() == L' ')
        return std::nullopt;
    HotkeySetting setting;
    setting.key = text.find(kNone) != std::wstring::npos ? 0 : heldKey;
    setting.modifiers = (text.find(L"Ctrl") != std::wstring::npos ? kModCtrl : 0) |
                        (text.find(L"Shift") != std::wstring::npos ? kModShift : 0) |
                        (text.find(L"Alt") != std::wstring::npos ? kModAlt : 0);
    return setting;
}

bool HotkeysConflict(const SettingsBoxes& boxes, const std::array<HotkeySetting, 3>& stored) {
    std::array<HotkeySetting, 3> effective;
    for (std::size_t i = 0; i < 3; ++i)
        effective[i] = HotkeyFromText(boxes.texts[i], boxes.heldKeys[i]).value_or(stored[i]);
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = i + 1; j < 3; ++j)
            if (boxes.texts[i] == boxes.texts[j] || effective[i] == effective[j])
                return true;
    return false;
}

}  // namespace ovn::settings
