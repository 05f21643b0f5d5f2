#include "about/AboutBox.h"

#include "update/VersionText.h"

namespace hg {

std::wstring AboutVersionLine(std::wstring_view fileVersion) {
    return L"Version " + FormatVersion(fileVersion, true, false, true);
}

std::wstring AboutDownloadLabel::Caption() const {
    switch (state_) {
    case State::Start:
        return L"<a href=\"Check for updates\">Check for updates</a>";
    case State::Checking:
        return L"Checking for updates...";
    case State::Newer:
        return L"<a href=\"download\">Hueglass " + FormatVersion(newerVersion_, true, false, false) +
               L" is available for download</a>";
    case State::UpToDate:
        return L"Hueglass is up to date";
    case State::Failed:
        return L"Error checking for new version";
    }
    return {};
}

AboutDownloadLabel::Action AboutDownloadLabel::LinkClick(std::wstring_view link) {
    // Only a link the label shows can be clicked; a stale click after the
    // label changed does nothing.
    if (state_ == State::Start && link == kCheckForUpdatesLink) {
        state_ = State::Checking;
        return Action::StartCheck;
    }
    if (state_ == State::Newer)
        return Action::OpenProductPage;
    return Action::None;
}

void AboutDownloadLabel::VersionReceived(std::wstring_view currentVersion, std::wstring_view runningVersion) {
    if (state_ != State::Checking)
        return;
    // Compared part by part as numbers; a version that cannot be read is an
    // error of the check.
    const auto current = ParseVersion(currentVersion);
    const auto running = ParseVersion(runningVersion);
    if (!current || !running) {
        state_ = State::Failed;
    } else if (*running < *current) {
        state_ = State::Newer;
        newerVersion_ = std::wstring(currentVersion);
    } else {
        state_ = State::UpToDate;
    }
}

AboutBoxModel::AboutBoxModel(AboutPorts ports, TBmGetNewVer::Ports updatePorts, std::wstring programName,
                             std::wstring runningVersion)
    : ports_(std::move(ports)), runningVersion_(std::move(runningVersion)),
      GetUpdate_(std::move(updatePorts), std::move(programName), runningVersion_) {
    // The box reports both outcomes in its label, never in a message.
    GetUpdate_.FailureDlg = false;
    GetUpdate_.DownloadDlg = false;
    GetUpdate_.OnGetURL = [this](TBmGetNewVer&, const std::wstring& CurrentVersion, const std::wstring&,
                                 const std::wstring&, const std::wstring&) { GetUpdateGetURL(CurrentVersion); };
    GetUpdate_.OnDownloadFailed = [this](TBmGetNewVer&) { GetUpdateDownloadFailed(); };
}

void AboutBoxModel::LabelDownloadLinkClick(std::wstring_view link) {
    switch (label_.LinkClick(link)) {
    case AboutDownloadLabel::Action::StartCheck:
        if (ports_.labelChanged)
            ports_.labelChanged();
        // TempFile stays empty: each check downloads into a file created
        // for it alone in the temporary folder.
        GetUpdate_.URLCurrVerFile = kVersionFileAddress;
        GetUpdate_.Execute();
        break;
    case AboutDownloadLabel::Action::OpenProductPage:
        Open(kProductPage);
        break;
    case AboutDownloadLabel::Action::None:
        break;
    }
}

void AboutBoxModel::GetUpdateGetURL(const std::wstring& CurrentVersion) {
    label_.VersionReceived(CurrentVersion, runningVersion_);
    if (ports_.labelChanged)
        ports_.labelChanged();
}

void AboutBoxModel::GetUpdateDownloadFailed() {
    label_.CheckFailed();
    if (ports_.labelChanged)
        ports_.labelChanged();
}

void AboutBoxModel::LabelLALinkClick() {
    if (ports_.showLicense)
        ports_.showLicense();
}

void AboutBoxModel::LabelSiteLinkClick() { Open(kMakerSite); }

void AboutBoxModel::LabelSupport2LinkClick() { Open(kSupportPage); }

void AboutBoxModel::LinkLabelPPLinkClick() {
    if (ports_.donate)
        ports_.donate();
}

void AboutBoxModel::Open(const wchar_t* address) {
    ports_.shell.ShellRun({false, L"Open", address, L"", L"", 5 /* SW_SHOW */});
}

void AboutDownloadLabel::CheckFailed() {
    if (state_ == State::Checking)
        state_ = State::Failed;
}

} // namespace hg
