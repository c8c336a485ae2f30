// The hotkey settings dialog: three boxes in which the player presses the boss,
// window-switch and sound key combinations. Confirming refuses conflicting keys,
// writes Statistic.ini and tells every running launcher to reload.
#pragma once
#include <array>

#include "common/input.h"
#include "skin/btn_ex.h"
#include "skin/dlg_ex.h"
#include "skin/gdi.h"
#include "skin/static_ex.h"

namespace ovn::settings {

class CSettingDlg;
// The settings dialog while its window is open; the boss key cancels it.
extern CSettingDlg* OpenSettingsDialog;

class CSettingDlg : public skin::CDlgEx {
public:
    CSettingDlg();
    ~CSettingDlg() override;

    bool PreTranslateMessage(MSG& msg) override;

    // The box of a hotkey.
    HWND Box(HotkeyId id) const;
    // The key each box holds (boss, switch, sound), from the stored values at first.
    std::array<int, 3> m_nKeys{};

    skin::CStaticEx m_stcBossPrompt, m_stcBossExample;
    skin::CStaticEx m_stcSwitchPrompt, m_stcSwitchExample;
    skin::CStaticEx m_stcSoundPrompt, m_stcSoundExample;
    skin::CBtnEx m_btnOK, m_btnCancel;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void DoDataExchange();
    std::wstring BoxText(HotkeyId id) const;

    gdi::Brush m_brGroup;  // the group boxes' background, for the dialog's lifetime
    // Ctrl (1), Shift (2) and Alt (4) as the dialog's own key-downs and key-ups
    // left them since it was last activated. A chord counts a modifier held in
    // either this or the key state: a focus change can resync the key state
    // from the display's real keyboard (under Wine) between a modifier's
    // key-down and the key's, and the chord would lose it.
    unsigned m_modifiersSeen = 0;
};

}  // namespace ovn::settings
