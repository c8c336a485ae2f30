// The application object: the start-up of every process of the executable. It
// installs the crash-dump writer, decides the start mode and either runs the
// mode's one-shot job and ends, runs the launcher window modally, or hands over
// to a game-page or game-hall process that runs the message loop.
#pragma once
#include <windows.h>

#include "common/protocol.h"
#include "framework/app.h"

#include "framework/handles.h"
#include "downloads/update.h"

namespace ovn {

class CKelvor3App : public fw::App {
public:
    CKelvor3App();
    ~CKelvor3App() override;

    // The one application object of this process (null before it exists).
    static CKelvor3App* Instance();

    // Hand-over points of the activity-ping thread: it sets the first once it has
    // copied its URL and the second once the request is finished.
    HANDLE PingCopiedEvent() const { return m_pingCopiedEvent.get(); }
    HANDLE PingDoneEvent() const { return m_pingDoneEvent.get(); }
    // Called by the ping sender once a ping thread runs: only then is there a
    // PingDoneEvent to wait for before a one-shot mode ends.
    void NotePingStarted() { m_pingStarted = true; }

    StartMode Mode() const { return m_mode; }
    // The update state: the package URL of the last check and its dialog.
    downloads::Updater& Updater() { return m_updater; }

protected:
    bool InitInstance() override;
    int ExitInstance() override;

private:
    // Counts the start in Statistic.ini and pings the statistics page with the count.
    void PingForMode(const wchar_t* counterKey, const wchar_t* pagePath);
    // Waits for the ping (if one was sent) so that it is complete before the process ends.
    void WaitForPing();
    // After an update installed at start: the new copy runs, the shortcuts point at it.
    void FinishUpdateAtStart(bool recreateShortcuts);
    // Installs the update found at start by the way this process's rights allow
    // (app/rights_rules.h). True when a new copy is in place and this process
    // only finishes up.
    bool InstallUpdateAtStart(bool recreateShortcuts);
    // Install and removal under a filtered token: the elevated copy does the
    // job. True when it ran (this process then only finishes up).
    bool RanElevated();
    // The Flash check and the launcher window, for the launcher modes.
    void RunLauncher();
    // Joins the benchmark's start-up timeline when one is being recorded.
    void OpenStartMarks();

    fw::Handle m_pingCopiedEvent;
    fw::Handle m_pingDoneEvent;
    bool m_pingStarted = false;
    bool m_oleStarted = false;
    StartMode m_mode = ModeInstall;
    downloads::Updater m_updater;
};

}  // namespace ovn
