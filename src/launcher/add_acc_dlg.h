// The add-account prompt: dropped under the launcher's "登录其他账号" link, it
// asks whether the new login opens as another tab of this launcher ("是") or in
// a new launcher window ("否"), keeps the answer, tells the launcher by a posted
// message and hides. It lives as long as the launcher and is only shown and hidden.
#pragma once
#include <optional>

#include "skin/btn_ex.h"
#include "skin/dlg_ex.h"
#include "skin/static_ex.h"
#include "skin/gdi.h"

namespace ovn {

class CAddAccDlg : public skin::CDlgEx {
public:
    CAddAccDlg();

    // Creates the window (hidden) the first time, with the launcher as parent.
    bool EnsureCreated(HWND launcher);
    // Shows the prompt with its right edge at anchor's right edge and its top at
    // anchor's bottom (screen coordinates).
    void DropUnder(const RECT& anchor);

    bool PreTranslateMessage(MSG& msg) override;

    // The answer the player gave and the launcher has not acted on yet (1 new
    // tab, 0 new window); taking it forgets it. Any process can post the
    // launcher the message that says an answer is there: only one the player
    // gave counts, and only once.
    std::optional<WPARAM> TakeAnswer();

    skin::CBtnEx m_btnYes;
    skin::CBtnEx m_btnNo;
    skin::CStaticEx m_stcText;

protected:
    bool OnInitDialog() override;
    void OnScaleChanged() override { LoadFrame(); }
    void OnOK() override { Answer(1); }
    void OnCancel() override { Answer(0); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadFrame();
    void DoDataExchange();
    void Answer(WPARAM newTab);

    HWND m_launcher = nullptr;  // where the answer goes
    std::optional<WPARAM> m_answer;
};

}  // namespace ovn
