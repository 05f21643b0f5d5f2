#pragma once
// TBmGetNewVer: finds out whether a newer version of the program exists. It
// downloads the version file on a worker thread and, back on the
// user-interface thread, reports the versions it names and (when enabled)
// offers to open the download page.
//
// The worker never touches the component: it downloads, then hands its
// outcome to a shared record and asks the user-interface thread (through the
// wake function) to call DeliverResults. A component destroyed while a check
// runs abandons it: the late result is dropped, its file deleted by the
// worker, and nothing is called back.
#include "dialogs/MsgBox.h"
#include "update/UpdateTransport.h"
#include "update/VersionFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hg {

inline constexpr wchar_t kVersionDownloadFailedText[] =
    L"Couldn't download file version information from the Brenmoor Software website.\r\n"
    L" Please check your internet connection";

class TBmGetNewVer {
public:
    using TOnGetURLEvent =
        std::function<void(TBmGetNewVer& Sender, const std::wstring& CurrentVersion, const std::wstring& DownloadURL,
                           const std::wstring& ReleaseDate, const std::wstring& BetaVer)>;
    using TNotifyEvent = std::function<void(TBmGetNewVer& Sender)>;

    struct Ports {
        std::shared_ptr<IUpdateTransport> transport; // shared with running workers
        ITaskDialogHost& dialogs;
        // Asks the user-interface thread to call DeliverResults soon; called
        // from the worker, never after the component is gone.
        std::function<void()> wake;
    };

    // ProgramName is the key in the version file (the program's file name
    // without folder and extension); RunningVersion the running program's
    // file version.
    TBmGetNewVer(Ports ports, std::wstring ProgramName, std::wstring RunningVersion);
    ~TBmGetNewVer();
    TBmGetNewVer(const TBmGetNewVer&) = delete;
    TBmGetNewVer& operator=(const TBmGetNewVer&) = delete;

    // Starts one check and returns at once; several may run side by side.
    void Execute();
    // On the user-interface thread: handles every check that has finished.
    void DeliverResults();
    // Drops every running check: nothing of theirs is reported any more, and
    // their files are deleted. The destructor does this too.
    void Abandon();
    // A check is running or waits to be delivered.
    bool Busy() const { return !running_.empty(); }

    const std::wstring& Copyright() const { return fCopyright; }
    bool FailureDlg = true;
    std::wstring URLCurrVerFile = L"https://www.brenmoor.com/ver/curr_ver.txt";
    std::wstring SiteName = L"www.brenmoor.com";
    // Where the version file is stored; empty (the default) lets each check
    // create a file of its own in the temporary folder. Deleted once read.
    std::wstring TempFile;
    TOnGetURLEvent OnGetURL;
    TNotifyEvent OnDownloadFailed;
    bool DownloadDlg = true;
    std::int32_t Tag = 0;
    // The change history of the last successful check.
    const std::vector<std::wstring>& Changes() const { return fUpdateLines; }

private:
    struct Check;
    void DownloadDone(const Check& check, bool failure);
    void ParseVersionFile(const VersionFileContent& content);

    Ports ports_;
    std::wstring programName_;
    std::wstring runningVersion_;
    std::wstring fCopyright = L"TBmGetNewVer 2.0 - Copyright (c) Brenmoor Software";
    std::vector<std::wstring> fUpdateLines;
    std::vector<std::shared_ptr<Check>> running_;
    // Expires with the component: a handler that destroys it stops the
    // delivery loop.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace hg
