#include "settings/setting_dlg.h"

#include "res/resource.h"
#include "res/skin_ids.h"
#include "settings/hotkey_rules.h"
#include "settings/hotkey_store.h"
#include "skin/message_box.h"
#include "skin/skin_image.h"

namespace ovn::settings {

CSettingDlg* OpenSettingsDialog = nullptr;

namespace {

constexpr COLORREF kGroupColour = RGB(231, 241, 247);

std::size_t Index(HotkeyId id) { return static_cast<std::size_t>(id); }

int BoxId(HotkeyId id) {
    switch (id) {
    case HotkeyId::Boss: return IDC_SET_BOSS_EDIT;
    case HotkeyId::Switch: return IDC_SET_SWITCH_EDIT;
    case HotkeyId::Sound: return IDC_SET_SOUND_EDIT;
    }
    return 0;
}

bool KeyDown(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

CSettingDlg::CSettingDlg() : CDlgEx(IDD_SETTING) {}

CSettingDlg::~CSettingDlg() {
    if (OpenSettingsDialog == this)
        OpenSettingsDialog = nullptr;
}

HWND CSettingDlg::Box(HotkeyId id) const { return hwnd() ? ::GetDlgItem(hwnd(), BoxId(id)) : nullptr; }

void CSettingDlg::DoDataExchange() {
    HWND h = hwnd();
    m_stcBossPrompt.SubclassDlgItem(IDC_SET_BOSS_PROMPT, h);
    m_stcBossExample.SubclassDlgItem(IDC_SET_BOSS_EXAMPLE, h);
    m_stcSwitchPrompt.SubclassDlgItem(IDC_SET_SWITCH_PROMPT, h);
    m_stcSwitchExample.SubclassDlgItem(IDC_SET_SWITCH_EXAMPLE, h);
    m_stcSoundPrompt.SubclassDlgItem(IDC_SET_SOUND_PROMPT, h);
    m_stcSoundExample.SubclassDlgItem(IDC_SET_SOUND_EXAMPLE, h);
    m_btnOK.SubclassDlgItem(IDOK, h);
    m_btnCancel.SubclassDlgItem(IDCANCEL, h);
}

bool CSettingDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    DoDataExchange();
    OpenSettingsDialog = this;
    SetSmallDialogSkin(L"设置");

    SetTextButtons({&m_btnOK, &m_btnCancel}, false);
    m_brGroup.reset(::CreateSolidBrush(kGroupColour));

    for (HotkeyId id : kAllHotkeys) {
        const HotkeySetting stored = ReadHotkeySetting(id);
        m_nKeys[Index(id)] = stored.key;
        ::SetWindowTextW(Box(id), FormatHotkeyText(stored).c_str());
    }
    return true;
}

bool CSettingDlg::PreTranslateMessage(MSG& msg) {
    const int vk = static_cast<int>(msg.wParam);
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        const unsigned bit = vk == VK_CONTROL ? 1u : vk == VK_SHIFT ? 2u : vk == VK_MENU ? 4u : 0u;
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
            m_modifiersSeen |= bit;
        else if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
            m_modifiersSeen &= ~bit;
    }
    switch (ClassifySettingsKey(msg.message, vk)) {
    case CaptureStep::NotOurs:
        return CDlgEx::PreTranslateMessage(msg);
    case CaptureStep::Swallow:
        return true;
    case CaptureStep::Capture:
        break;
    }
    HWND focus = ::GetFocus();
    for (HotkeyId id : kAllHotkeys) {
        HWND box = Box(id);
        if (!box || focus != box)
            continue;
        const Capture capture =
            CaptureChord(id, vk,
                         ModifierMask(KeyDown(VK_CONTROL) || (m_modifiersSeen & 1u),
                                      KeyDown(VK_SHIFT) || (m_modifiersSeen & 2u), KeyDown(VK_MENU) || (m_modifiersSeen & 4u)));
        if (capture.key)
            m_nKeys[Index(id)] = *capture.key;
        ::SetWindowTextW(box, capture.text.c_str());
        const int length = ::GetWindowTextLengthW(box);
        ::SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), -1);
        ::SendMessageW(box, EM_SCROLLCARET, 0, 0);
        return true;  // typed characters never reach the box
    }
    return CDlgEx::PreTranslateMessage(msg);
}

std::wstring CSettingDlg::BoxText(HotkeyId id) const {
    HWND box = Box(id);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CSettingDlg::OnOK() {
    SettingsBoxes boxes;
    std::array<HotkeySetting, 3> stored;
    for (HotkeyId id : kAllHotkeys) {
        boxes.texts[Index(id)] = BoxText(id);
        boxes.heldKeys[Index(id)] = m_nKeys[Index(id)];
        stored[Index(id)] = ReadHotkeySetting(id);
    }
    if (HotkeysConflict(boxes, stored)) {
        skin::ShowMessageBox(0, L"QuenraOrvane", L"热键冲突，请重新设置不同热键值", hwnd());
        return;
    }
    bool saved = true;
    for (HotkeyId id : kAllHotkeys)
        if (auto setting = HotkeyFromText(boxes.texts[Index(id)], boxes.heldKeys[Index(id)]))
            saved = WriteHotkeySetting(id, *setting) && saved;
    NotifyHotkeysChanged();  // what was written holds at once
    if (!saved) {
        // The dialog stays open: the player's keys are not lost, and nothing
        // claims they were kept.
        skin::ShowMessageBox(0, L"QuenraOrvane", L"热键设置未能保存，请确认设置文件可以写入。", hwnd());
        return;
    }
    EndDialog(IDOK);
}

LRESULT CSettingDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CTLCOLORSTATIC: {
        const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if ((id == IDC_SET_BOSS_GROUP || id == IDC_SET_SWITCH_GROUP || id == IDC_SET_SOUND_GROUP) && m_brGroup) {
            ::SetBkColor(reinterpret_cast<HDC>(wParam), kGroupColour);
            return reinterpret_cast<LRESULT>(m_brGroup.get());
        }
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            m_modifiersSeen = 0;  // what is released meanwhile goes to another window
        break;
    case WM_DESTROY:
        if (OpenSettingsDialog == this)
            OpenSettingsDialog = nullptr;
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn::settings
