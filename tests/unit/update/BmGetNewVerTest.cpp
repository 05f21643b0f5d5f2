#include "update/BmGetNewVer.h"

#include "fakes/dialogs/FakeTaskDialogHost.h"
#include "fakes/update/FakeUpdateTransport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace hg {
namespace {

using namespace std::chrono_literals;

constexpr char kNewer[] = "[CurrentVersions]\nHueglass=2.0.2.0\n[DownloadURL]\nHueglass=https://www.brenmoor.com/dl\n"
                          "[DateReleased]\nDate=today\n[BetaVersions]\nHueglass=2.1b\n"
                          "[CurrentHistory]\n1=one\n2=two\n4=four\n";
constexpr char kSame[] = "[CurrentVersions]\nHueglass=2.0.1.1\n[DownloadURL]\nHueglass=https://www.brenmoor.com/dl\n";

struct Reported {
    std::wstring current, url, date, beta;
};

class GetNewVer : public ::testing::Test {
protected:
    GetNewVer() {
        component->OnGetURL = [this](TBmGetNewVer& sender, const std::wstring& c, const std::wstring& u,
                                     const std::wstring& d, const std::wstring& b) {
            EXPECT_EQ(&sender, component.get());
            reported.push_back({c, u, d, b});
        };
        component->OnDownloadFailed = [this](TBmGetNewVer& sender) {
            EXPECT_EQ(&sender, component.get());
            ++failures;
        };
    }

    // Waits for the worker's wake-up, then delivers on this (the "user
    // interface") thread.
    void Deliver() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (wakes.load() == delivered && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        ASSERT_GT(wakes.load(), delivered) << "the worker never asked for delivery";
        delivered = wakes.load();
        component->DeliverResults();
    }

    std::shared_ptr<testing::FakeUpdateTransport> transport = std::make_shared<testing::FakeUpdateTransport>();
    testing::FakeTaskDialogHost dialogs;
    std::atomic<int> wakes{0};
    int delivered = 0;
    std::unique_ptr<TBmGetNewVer> component = std::make_unique<TBmGetNewVer>(
        TBmGetNewVer::Ports{transport, dialogs, [this] { ++wakes; }}, L"Hueglass", L"2.0.1.1");
    std::vector<Reported> reported;
    int failures = 0;
};

TEST_F(GetNewVer, NewerVersionReportedOfferedAndOpenedOnYes) {
    transport->Answer(kNewer);
    dialogs.outcome = TaskDialogOutcome{mrYes, 0, false};
    component->URLCurrVerFile = L"https://www.brenmoor.com/hueglass.upd";
    component->Execute();
    Deliver();

    EXPECT_EQ(transport->Addresses(), (std::vector<std::wstring>{L"https://www.brenmoor.com/hueglass.upd"}));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].current, L"2.0.2.0");
    EXPECT_EQ(reported[0].url, L"https://www.brenmoor.com/dl");
    EXPECT_EQ(reported[0].date, L"today");
    EXPECT_EQ(reported[0].beta, L"2.1b");
    EXPECT_EQ(component->Changes(), (std::vector<std::wstring>{L"one", L"two", L""}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].MainInstruction, L"There's a new version 2.0.2.0 of this program\r\navaliable at: "
                                                L"www.brenmoor.com\r\nDo you wan't to download it now ?");
    EXPECT_EQ(dialogs.shown[0].MainIcon, PlatformIconId(tdiQuestion));
    EXPECT_EQ(transport->opened, (std::vector<std::wstring>{L"https://www.brenmoor.com/dl"}));
    EXPECT_EQ(transport->FileCount(), 0u) << "the downloaded file was left behind";
    EXPECT_FALSE(component->Busy());
}

TEST_F(GetNewVer, WhatIsOfferedAndOpened) {
    struct Case {
        const char* file;
        bool downloadDlg;
        TModalResult answer;
        std::size_t questions;
        std::size_t opened;
    };
    const Case cases[] = {
        {kNewer, true, mrNo, 1, 0},
        {kNewer, false, mrYes, 0, 0}, // only reported through the event
        {kSame, true, mrYes, 0, 0},
        // A download address that is not a web address is never opened.
        {"[CurrentVersions]\nHueglass=2.0.2.0\n[DownloadURL]\nHueglass=file:///C:/evil.exe\n", true, mrYes, 0, 0},
        {"[CurrentVersions]\nHueglass=2.0.2.x\n[DownloadURL]\nHueglass=https://a.b/\n", true, mrYes, 0, 0},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        transport->opened.clear();
        reported.clear();
        transport->Answer(c.file);
        dialogs.outcome = TaskDialogOutcome{c.answer, 0, false};
        component->DownloadDlg = c.downloadDlg;
        component->Execute();
        Deliver();
        EXPECT_EQ(reported.size(), 1u) << c.file;
        EXPECT_EQ(dialogs.shown.size(), c.questions) << c.file;
        EXPECT_EQ(transport->opened.size(), c.opened) << c.file;
    }
}

TEST_F(GetNewVer, FailuresGoToTheDialogOrTheEvent) {
    struct Case {
        const char* bytes;
        bool ok;
        bool failureDlg;
        std::int32_t tag;
        bool dialog;
    };
    const Case cases[] = {
        {"", false, true, 0, true},     // no connection
        {"", false, true, 1, false},    // a Tag other than 0 silences the dialog
        {"", false, false, 0, false},
        // Answered as success, but not a version file: a failure too.
        {"", true, false, 0, false},
        {"<html>500 Internal Server Error</html>", true, false, 0, false},
        {"[CurrentVersions]\nOther=2.0.2.0\n", true, true, 0, true},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        failures = 0;
        transport->Answer(c.bytes, c.ok);
        component->FailureDlg = c.failureDlg;
        component->Tag = c.tag;
        component->Execute();
        Deliver();
        EXPECT_TRUE(reported.empty()) << c.bytes;
        EXPECT_EQ(failures, c.dialog ? 0 : 1) << c.bytes;
        ASSERT_EQ(dialogs.shown.size(), c.dialog ? 1u : 0u) << c.bytes;
        if (c.dialog) {
            EXPECT_EQ(dialogs.shown[0].MainInstruction, kVersionDownloadFailedText);
            EXPECT_EQ(dialogs.shown[0].MainIcon, PlatformIconId(tdiWarning));
        }
        EXPECT_EQ(transport->FileCount(), 0u) << c.bytes;
    }
}

TEST_F(GetNewVer, NoTemporaryFileOrUnsafeAddressIsAFailureWithoutDownload) {
    component->FailureDlg = false;
    transport->failCreate = true;
    component->Execute();
    Deliver();
    EXPECT_EQ(failures, 1);

    transport->failCreate = false;
    component->URLCurrVerFile = L"file:///C:/secret.txt";
    component->Execute();
    Deliver();
    EXPECT_EQ(failures, 2);
    EXPECT_TRUE(transport->Addresses().empty());
    EXPECT_EQ(transport->FileCount(), 0u);
}

// A TempFile the caller names is the caller's: the check deletes it only
// after downloading into it, never when nothing reached it.
TEST_F(GetNewVer, ACallersTempFileIsDeletedOnlyWhenTheCheckFilledIt) {
    const std::wstring mine = L"C:\\Users\\me\\mine.txt";
    component->FailureDlg = false;
    component->TempFile = mine;
    const struct {
        const char* what;
        const wchar_t* address;
        bool downloadOk;
        bool destroyWhileRunning;
        bool kept;
    } cases[] = {
        {"unsafe address, no download", L"file:///C:/secret.txt", true, false, true},
        {"failed download", nullptr, false, false, true},
        {"failed download, component destroyed meanwhile", nullptr, false, true, true},
        {"downloaded into it", nullptr, true, false, false},
        {"downloaded into it, component destroyed meanwhile", nullptr, true, true, false},
    };
    int ended = 0;
    for (const auto& c : cases) {
        transport->PutFile(mine, "the caller's own text");
        if (!component) {
            component = std::make_unique<TBmGetNewVer>(
                TBmGetNewVer::Ports{transport, dialogs, [this] { ++wakes; }}, L"Hueglass", L"2.0.1.1");
            component->FailureDlg = false;
            component->TempFile = mine;
        }
        component->URLCurrVerFile = c.address ? c.address : L"https://www.brenmoor.com/ver/curr_ver.txt";
        transport->Answer(kSame, c.downloadOk);
        if (c.destroyWhileRunning)
            transport->Hold();
        component->Execute();
        if (c.destroyWhileRunning) {
            transport->WaitForDownloadsStarted(ended + 1);
            component.reset();
            transport->Release();
        }
        if (!c.address)
            transport->WaitForDownloadsEnded(++ended);
        if (c.destroyWhileRunning) {
            // The worker ends on its own; give it the moment to finish.
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (transport->HasFile(mine) != c.kept && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
        } else {
            Deliver();
        }
        EXPECT_EQ(transport->HasFile(mine), c.kept) << c.what;
    }
}

TEST_F(GetNewVer, DestroyedWhileDownloadingCallsNothingBackAndLeavesNoFile) {
    transport->Answer(kNewer);
    transport->Hold();
    component->Execute();
    transport->WaitForDownloadsStarted(1);
    EXPECT_TRUE(component->Busy());
    component.reset();
    transport->Release();
    transport->WaitForDownloadsEnded(1);
    // The worker finishes on its own; give it the moment to delete its file.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (transport->FileCount() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(transport->FileCount(), 0u);
    EXPECT_EQ(wakes.load(), 0) << "a destroyed component was asked to deliver";
    EXPECT_TRUE(reported.empty());
}

TEST_F(GetNewVer, DestroyedAfterFinishingBeforeDeliveryDropsTheResult) {
    transport->Answer(kNewer);
    component->Execute();
    transport->WaitForDownloadsEnded(1);
    while (wakes.load() == 0)
        std::this_thread::sleep_for(1ms);
    component.reset();
    EXPECT_EQ(transport->FileCount(), 0u);
    EXPECT_TRUE(reported.empty());
}

TEST_F(GetNewVer, AHandlerThatDestroysTheComponentEndsTheDelivery) {
    transport->Answer(kNewer);
    component->OnGetURL = [this](TBmGetNewVer&, const std::wstring&, const std::wstring&, const std::wstring&,
                                 const std::wstring&) { component.reset(); };
    component->Execute();
    component->Execute();
    transport->WaitForDownloadsEnded(2);
    while (wakes.load() < 2)
        std::this_thread::sleep_for(1ms);
    component->DeliverResults();
    EXPECT_EQ(component, nullptr);
    EXPECT_TRUE(dialogs.shown.empty()) << "the offer was made by a destroyed component";
    EXPECT_EQ(transport->FileCount(), 0u);
}

} // namespace
} // namespace hg
