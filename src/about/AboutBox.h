#pragma once
// The About box's behaviour, free of any window: its texts, the links and the
// update-check label with its states.
#include "tray/TrayHost.h"
#include "update/BmGetNewVer.h"

#include <functional>
#include <string>
#include <string_view>

namespace hg {

// The maker's addresses (one web site).
inline constexpr wchar_t kMakerSite[] = L"https://www.brenmoor.com/";
inline constexpr wchar_t kProductPage[] = L"https://www.brenmoor.com/Hueglass.php";
inline constexpr wchar_t kSupportPage[] = L"https://www.brenmoor.com/Support.php";
inline constexpr wchar_t kVersionFileAddress[] = L"https://www.brenmoor.com/hueglass.upd";

// The fixed texts of the box.
inline constexpr wchar_t kAboutCaption[] = L"About Hueglass";
inline constexpr wchar_t kAboutTitleText[] = L"Hueglass ";
inline constexpr wchar_t kCopyrightLine[] = L"Copyright \u00A9 2014-2026 Brenmoor Software";
inline constexpr wchar_t kRightsLine[] = L"Free software under the MIT License.";
inline constexpr wchar_t kSiteLink[] = L"<a>www.brenmoor.com</a>";
inline constexpr wchar_t kLicenseLink[] = L"<a>License Agreement</a>";
inline constexpr wchar_t kSupportLink[] = L"<a>Technical Support information</a>\n";
inline constexpr wchar_t kDonateLink[] = L"Donate with <a>Paypal</a> ";
inline constexpr wchar_t kCreditsLine[] = L"Pictures decoded with libjpeg-turbo, libpng and zlib.";
inline constexpr wchar_t kCheckForUpdatesLink[] = L"Check for updates";

// "Version " and the display form of the running version: "Version 2.01 SR1
// (64-bit)" for the file version 2.0.1.1; "Version " alone when the version
// cannot be read.
std::wstring AboutVersionLine(std::wstring_view fileVersion);

// The label that runs the update check. It starts as the "Check for updates"
// link; a click makes it "Checking for updates..." (no link, so it cannot be
// clicked again); the check ends it as the download link of a newer version
// (bold), "Hueglass is up to date" (grey) or "Error checking for new
// version". A check whose versions cannot be read or compared ends in the
// error state, never staying at "Checking...".
class AboutDownloadLabel {
public:
    enum class State { Start, Checking, Newer, UpToDate, Failed };
    enum class Action { None, StartCheck, OpenProductPage };

    State state() const { return state_; }
    // The label's text (link markup where it is a link).
    std::wstring Caption() const;
    bool IsLink() const { return state_ == State::Start || state_ == State::Newer; }
    bool Bold() const { return state_ == State::Newer; }
    bool Grey() const { return state_ == State::UpToDate; }

    // A click on the label's link with its target.
    Action LinkClick(std::wstring_view link);
    // A check ended with the version file naming currentVersion; running is
    // the running program's file version.
    void VersionReceived(std::wstring_view currentVersion, std::wstring_view runningVersion);
    void CheckFailed();

private:
    State state_ = State::Start;
    std::wstring newerVersion_;
};

// What the About box asks of the world around it.
struct AboutPorts {
    ITrayHost& shell;                  // opens the maker's pages, as the tray does
    std::function<void()> donate;      // the tray's donation command
    std::function<void()> showLicense; // the licence viewer, modal
    std::function<void()> labelChanged; // the download label must be drawn afresh
};

// The About box TFrmAboutHueglass without its window: one update checker
// (GetUpdate) driven by the download label, and the other links.
class AboutBoxModel {
public:
    // runningVersion: the program file's version text (FileVersionString).
    AboutBoxModel(AboutPorts ports, TBmGetNewVer::Ports updatePorts, std::wstring programName,
                  std::wstring runningVersion);

    // "Version " and the running version's display form (FormCreate).
    std::wstring VersionLine() const { return AboutVersionLine(runningVersion_); }
    const AboutDownloadLabel& DownloadLabel() const { return label_; }
    TBmGetNewVer& GetUpdate() { return GetUpdate_; }

    void LabelDownloadLinkClick(std::wstring_view link);
    void LabelLALinkClick();
    void LabelSiteLinkClick();
    void LabelSupport2LinkClick();
    void LinkLabelPPLinkClick();

private:
    void GetUpdateGetURL(const std::wstring& CurrentVersion);
    void GetUpdateDownloadFailed();
    void Open(const wchar_t* address);

    AboutPorts ports_;
    std::wstring runningVersion_;
    AboutDownloadLabel label_;
    TBmGetNewVer GetUpdate_;
};

} // namespace hg
