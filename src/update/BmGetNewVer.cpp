#include "update/BmGetNewVer.h"

#include <mutex>
#include <thread>

namespace hg {

// What the worker and the user-interface thread share for one check.
struct TBmGetNewVer::Check {
    std::wstring address;
    std::wstring file;
    bool ownsFile = false;          // the file was made for this check, not given by the caller
    bool failureDlg = false;
    std::mutex lock;
    bool abandoned = false;         // guarded by lock
    bool finished = false;          // guarded by lock
    bool failure = false;           // guarded by lock
    // The file is deleted only when this check made it or downloaded into
    // it: a caller's TempFile that no download filled is left alone.
    bool MayDelete(bool downloaded) const { return ownsFile || downloaded; }
    std::function<void()> wake;     // called under lock while not abandoned
};

TBmGetNewVer::TBmGetNewVer(Ports ports, std::wstring ProgramName, std::wstring RunningVersion)
    : ports_(std::move(ports)), programName_(std::move(ProgramName)), runningVersion_(std::move(RunningVersion)) {}

TBmGetNewVer::~TBmGetNewVer() { Abandon(); }

void TBmGetNewVer::Execute() {
    auto check = std::make_shared<Check>();
    check->address = URLCurrVerFile;
    check->failureDlg = FailureDlg && Tag == 0;
    check->wake = ports_.wake;
    check->ownsFile = TempFile.empty();
    check->file = check->ownsFile ? ports_.transport->CreateTempFile() : TempFile;
    running_.push_back(check);

    if (check->file.empty() || !IsWebAddress(check->address)) {
        // Nothing to download into, or nothing safe to download from: a
        // failed check, reported like any other.
        std::lock_guard guard(check->lock);
        check->finished = true;
        check->failure = true;
        check->wake();
        return;
    }
    std::thread([check, transport = ports_.transport] {
        const bool ok = transport->Download(check->address, check->file);
        std::lock_guard guard(check->lock);
        if (check->abandoned) {
            if (check->MayDelete(ok))
                transport->RemoveFile(check->file);
            return;
        }
        check->finished = true;
        check->failure = !ok;
        check->wake();
    }).detach();
}

void TBmGetNewVer::DeliverResults() {
    // Taken out first: a handler may run a modal loop that delivers again.
    std::vector<std::pair<std::shared_ptr<Check>, bool>> finished;
    for (auto it = running_.begin(); it != running_.end();) {
        std::lock_guard guard((*it)->lock);
        if ((*it)->finished) {
            finished.emplace_back(*it, (*it)->failure);
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
    // A handler may destroy the component: then only what was copied here
    // is used, to delete the files of the results left.
    const std::weak_ptr<bool> alive = alive_;
    const std::shared_ptr<IUpdateTransport> transport = ports_.transport;
    for (const auto& [check, failure] : finished) {
        if (alive.expired()) {
            if (check->MayDelete(!failure))
                transport->RemoveFile(check->file);
        } else
            DownloadDone(*check, failure);
    }
}

void TBmGetNewVer::Abandon() {
    for (const auto& check : running_) {
        std::lock_guard guard(check->lock);
        check->abandoned = true;
        // A finished download's file is ours to delete; a running one's file
        // is deleted now (when the check made it) and by its worker when the
        // download ends.
        if (check->MayDelete(check->finished && !check->failure))
            ports_.transport->RemoveFile(check->file);
    }
    running_.clear();
}

void TBmGetNewVer::DownloadDone(const Check& check, bool failure) {
    std::optional<VersionFileContent> content;
    if (!failure) {
        const auto bytes = ports_.transport->ReadBytes(check.file, kMaxVersionFileBytes);
        if (bytes)
            content = ::hg::ParseVersionFile(*bytes, programName_);
    }
    if (!check.file.empty() && check.MayDelete(!failure))
        ports_.transport->RemoveFile(check.file);

    if (content) {
        ParseVersionFile(*content);
    } else if (check.failureDlg) {
        TMsgBox box = MsgBox(kVersionDownloadFailedText).Warning().OK();
        box.Execute(ports_.dialogs, nullptr, false);
    } else if (OnDownloadFailed) {
        OnDownloadFailed(*this);
    }
}

void TBmGetNewVer::ParseVersionFile(const VersionFileContent& content) {
    fUpdateLines = content.Changes;
    const std::weak_ptr<bool> alive = alive_;
    if (OnGetURL)
        OnGetURL(*this, content.CurrentVersion, content.DownloadURL, content.ReleaseDate, content.BetaVer);
    if (alive.expired())
        return;
    if (IsNewerVersion(content.CurrentVersion, runningVersion_) && DownloadDlg && !content.DownloadURL.empty()) {
        TMsgBox box = MsgBox(L"There's a new version " + content.CurrentVersion + L" of this program\r\navaliable at: " +
                             SiteName + L"\r\nDo you wan't to download it now ?")
                          .Question()
                          .YesNo();
        if (box.Execute(ports_.dialogs, nullptr, false) == mrYes && !alive.expired())
            ports_.transport->OpenAddress(content.DownloadURL);
    }
}

} // namespace hg
