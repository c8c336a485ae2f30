// Self-update: compares the version key the portal publishes with the key of
// this copy's own file, downloads a different release next to the executable,
// checks it against the published key and that it is a program for this
// machine, and swaps it in.
#pragma once
#include <string>

#include "common/protocol.h"
#include "downloads/http.h"
#include "downloads/prgs_dlg.h"

namespace ovn::downloads {

class Updater {
public:
    // Non-zero when the portal publishes another release. Without force only in
    // the modes that check automatically, and only when IsUpdateDue.
    // With handles, the fetch can be cancelled from another thread.
    int CheckForUpdate(int force, StartMode mode, DownloadHandles* handles = nullptr);
    // Fetches the update configuration; the published key (at most 63
    // characters) into key and the package URL into m_strUpdateUrl.
    int FetchUpdateConfig(std::wstring& key, DownloadHandles* handles = nullptr);
    // Downloads m_strUpdateUrl with the progress dialog, checks it (the published
    // digest, and a PE image of the running copy's machine type) and swaps it in;
    // 1 when this executable's path now holds the new release.
    int InstallUpdate();

    std::wstring m_strUpdateUrl;
    std::wstring m_strPublishedKey;
    CPrgsDlg m_dlgProgress;
};

// The automatic check may run now (registry stamp and skipped weekdays).
bool IsUpdateDue();
// Writes UpdTime (now, UTC); 0 when the key cannot be opened.
int StampUpdateTime();
// Deletes the copy an earlier update replaced, and a package left over.
void RemoveUpdateLeftovers();

// The menu command's check, on a worker: the launcher's thread also runs the
// system-wide keyboard hook, which must never wait for the network or for the
// digest of the program file.
int CheckForUpdateFromMenu(Updater& updater, DownloadHandles* handles);
// What the menu command does with that check's result, on the launcher's
// thread: true when an update exists and "/update" was started, so the caller
// ends the launcher; otherwise the player was told that this is the latest
// version (or that the updater did not start).
bool AnswerUpdateFromMenu(int found, HWND owner);

}  // namespace ovn::downloads
