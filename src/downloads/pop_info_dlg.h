// The notice pop-up: a small skinned window at the bottom-right of the work
// area that shows the notice the portal publishes, for 11 seconds at a time,
// as many times as the notice asks, 40 minutes apart. Closing or clicking it
// means the player has seen it: the same notice does not come back. The
// launcher opens it once; everything else happens here. The notice and its
// picture are fetched on a worker thread: the launcher's thread also runs the
// system-wide keyboard hook, which must never wait for the network.
#pragma once
#include <cstdint>
#include <vector>

#include "downloads/download_worker.h"
#include "downloads/notice_rules.h"
#include "skin/dlg_ex.h"
#include "skin/gdi.h"
#include "skin/static_ex.h"

namespace ovn::downloads {

// How often the pop-up has appeared in this process (1 at start).
extern int NoticeShowings;

constexpr UINT_PTR kTimerNoticeShown = 1;   // the 11 seconds on screen
constexpr UINT_PTR kTimerNoticeWait = 2;    // the 40 minutes until the next appearance
constexpr UINT kNoticeShownMs = 11000;
constexpr UINT kNoticeWaitMs = 40 * 60 * 1000;

class CPopInfoDlg : public skin::CDlgEx {
public:
    CPopInfoDlg();
    ~CPopInfoDlg() override;

    // Makes the pop-up, hidden (the first call in a process only), and starts
    // fetching the notice; once it is there, the pop-up shows itself if the
    // launcher is visible, or closes when there is nothing to show. False when
    // it was opened before or could not be made.
    bool OpenOnce(HWND launcher);

    // On the worker: 1 when the notice is to be shown, with m_notice filled;
    // Statistic.ini then names it (PopInfo) and lets it show (PopEnable "1").
    int FetchAndParseNotice(DownloadHandles* handles);

    NoticeFields m_notice;
    bool m_bDecided = false;  // the fetch has come back
    bool m_bShown = false;
    skin::CStaticEx m_stcPicture;
    skin::CStaticEx m_stcTitle;
    skin::CStaticEx m_stcText;
    skin::CStaticEx m_stcLink;

protected:
    bool OnInitDialog() override;
    bool CentreAfterInit() const override { return false; }  // it places itself
    // Another monitor's scale: the frame, its close strip and the labels anew.
    void OnScaleChanged() override { LayOut(ChooseNoticeForm(m_notice)); }
    void OnOK() override {}  // Enter does nothing
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void DoDataExchange();
    void LayOut(NoticeForm form);
    void StyleLabel(skin::CStaticEx& label, COLORREF color, int weight);
    // Shows the fetched picture in label.
    void ShowPicture(skin::CStaticEx& label);
    void OnNoticeFetched(WPARAM shown);
    void OnTimer(UINT_PTR id);
    void OnClick();
    // Closes the pop-up; seen: the player has seen it (PopEnable "0").
    void Close(bool seen);

    bool m_bOpened = false;
    gdi::Bitmap m_bmpClose;
    gdi::Bitmap m_bmpPicture;
    std::vector<std::uint8_t> m_picture;  // the picture's checked bytes, from the worker
    DownloadWorker m_worker;  // last: it ends before what it fills goes
};

}  // namespace ovn::downloads
