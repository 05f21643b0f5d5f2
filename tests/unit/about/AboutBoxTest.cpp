#include "about/AboutBox.h"

#include "fakes/dialogs/FakeTaskDialogHost.h"
#include "fakes/tray/FakeTrayHost.h"
#include "fakes/update/FakeUpdateTransport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace hg {
namespace {

using State = AboutDownloadLabel::State;
using Action = AboutDownloadLabel::Action;

TEST(AboutVersionLine, DisplayFormOfTheFileVersion) {
    EXPECT_EQ(AboutVersionLine(L"2.0.1.1"), L"Version 2.01 SR1 (64-bit)");
    EXPECT_EQ(AboutVersionLine(L"GetFileVersionInfo failed: (1813) x"), L"Version ");
}

TEST(AboutDownloadLabel, OutcomesOfACheck) {
    struct Case {
        std::wstring_view current, running;
        State state;
        std::wstring_view caption;
    };
    const Case cases[] = {
        {L"2.0.2.0", L"2.0.1.1", State::Newer, L"<a href=\"download\">Hueglass 2.02 is available for download</a>"},
        {L"2.0.1.1", L"2.0.1.1", State::UpToDate, L"Hueglass is up to date"},
        {L"2.0.1.0", L"2.0.1.1", State::UpToDate, L"Hueglass is up to date"},
        // Compared part by part, not by the digits joined together.
        {L"2.1.0.0", L"2.0.10.0", State::Newer, L"<a href=\"download\">Hueglass 2.1 is available for download</a>"},
        {L"2.0.10.0", L"2.1.0.0", State::UpToDate, L"Hueglass is up to date"},
        // Versions that cannot be read end the check as an error.
        {L"", L"2.0.1.1", State::Failed, L"Error checking for new version"},
        {L"2.0.x.0", L"2.0.1.1", State::Failed, L"Error checking for new version"},
        {L"2.0.2", L"2.0.1.1", State::Failed, L"Error checking for new version"},
        {L"99999999999999999999.0.0.0", L"2.0.1.1", State::Failed, L"Error checking for new version"},
        {L"2.0.2.0", L"GetFileVersionInfo failed: (2) x", State::Failed, L"Error checking for new version"},
    };
    for (const Case& c : cases) {
        AboutDownloadLabel label;
        ASSERT_EQ(label.LinkClick(L"Check for updates"), Action::StartCheck);
        label.VersionReceived(c.current, c.running);
        EXPECT_EQ(label.state(), c.state) << std::wstring(c.current).c_str();
        EXPECT_EQ(label.Caption(), c.caption) << std::wstring(c.current).c_str();
        EXPECT_EQ(label.Bold(), c.state == State::Newer);
        EXPECT_EQ(label.Grey(), c.state == State::UpToDate);
        EXPECT_EQ(label.IsLink(), c.state == State::Newer);
    }
}

TEST(AboutDownloadLabel, StatesAndClicks) {
    AboutDownloadLabel label;
    EXPECT_EQ(label.Caption(), L"<a href=\"Check for updates\">Check for updates</a>");
    EXPECT_TRUE(label.IsLink());
    EXPECT_EQ(label.LinkClick(L"download"), Action::None); // not a link it shows
    EXPECT_EQ(label.state(), State::Start);

    ASSERT_EQ(label.LinkClick(L"Check for updates"), Action::StartCheck);
    EXPECT_EQ(label.Caption(), L"Checking for updates...");
    EXPECT_FALSE(label.IsLink());
    EXPECT_EQ(label.LinkClick(L"Check for updates"), Action::None); // cannot start twice

    label.CheckFailed();
    EXPECT_EQ(label.Caption(), L"Error checking for new version");
    EXPECT_FALSE(label.IsLink());
    // End states are final.
    label.VersionReceived(L"9.0.0.0", L"2.0.1.1");
    EXPECT_EQ(label.state(), State::Failed);
    EXPECT_EQ(label.LinkClick(L"Check for updates"), Action::None);

    AboutDownloadLabel newer;
    newer.LinkClick(L"Check for updates");
    newer.VersionReceived(L"2.0.2.0", L"2.0.1.1");
    newer.CheckFailed();
    EXPECT_EQ(newer.state(), State::Newer);
    EXPECT_EQ(newer.LinkClick(L"download"), Action::OpenProductPage);
    EXPECT_EQ(newer.state(), State::Newer);

    AboutDownloadLabel idle; // no check ran: results are not taken
    idle.VersionReceived(L"2.0.2.0", L"2.0.1.1");
    idle.CheckFailed();
    EXPECT_EQ(idle.state(), State::Start);
}

class AboutBox : public ::testing::Test {
protected:
    AboutBoxModel& Model() {
        if (!model_)
            model_ = std::make_unique<AboutBoxModel>(
                AboutPorts{shell, [this] { ++donations; }, [this] { ++licences; }, [this] { ++repaints; }},
                TBmGetNewVer::Ports{transport, dialogs, [this] { ++wakes; }}, L"Hueglass", L"2.0.1.1");
        return *model_;
    }
    void WaitAndDeliver() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (wakes.load() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Model().GetUpdate().DeliverResults();
    }

    std::shared_ptr<testing::FakeUpdateTransport> transport = std::make_shared<testing::FakeUpdateTransport>();
    testing::FakeTaskDialogHost dialogs;
    testing::FakeTrayHost shell;
    std::atomic<int> wakes{0};
    int donations = 0, licences = 0, repaints = 0;
    std::unique_ptr<AboutBoxModel> model_;
};

TEST_F(AboutBox, CheckForUpdatesFindsANewerVersionAndItsLinkOpensTheProductPage) {
    transport->Answer("[CurrentVersions]\nHueglass=2.0.2.0\n");
    Model().LabelDownloadLinkClick(L"Check for updates");
    EXPECT_EQ(Model().DownloadLabel().state(), State::Checking);
    EXPECT_EQ(repaints, 1) << "the label was not drawn afresh before the download";
    WaitAndDeliver();
    EXPECT_EQ(transport->Addresses(), (std::vector<std::wstring>{L"https://www.brenmoor.com/hueglass.upd"}));
    EXPECT_EQ(Model().DownloadLabel().Caption(),
              L"<a href=\"download\">Hueglass 2.02 is available for download</a>");
    EXPECT_EQ(repaints, 2);
    EXPECT_TRUE(dialogs.shown.empty()) << "the box reports in its label, not in a dialog";

    Model().LabelDownloadLinkClick(L"download");
    EXPECT_EQ(shell.shell, (std::vector<ShellRequest>{{false, L"Open", L"https://www.brenmoor.com/Hueglass.php", L"",
                                                        L"", 5}}));
}

TEST_F(AboutBox, FailedOrEmptyDownloadsShowTheError) {
    for (bool ok : {false, true}) {
        model_.reset();
        wakes = 0;
        transport->Answer("", ok);
        Model().LabelDownloadLinkClick(L"Check for updates");
        WaitAndDeliver();
        EXPECT_EQ(Model().DownloadLabel().Caption(), L"Error checking for new version") << ok;
        EXPECT_TRUE(dialogs.shown.empty());
    }
    EXPECT_EQ(transport->FileCount(), 0u);
}

TEST_F(AboutBox, OtherLinks) {
    Model().LabelSiteLinkClick();
    Model().LabelSupport2LinkClick();
    Model().LinkLabelPPLinkClick();
    Model().LabelLALinkClick();
    EXPECT_EQ(shell.shell, (std::vector<ShellRequest>{{false, L"Open", L"https://www.brenmoor.com/", L"", L"", 5},
                                                      {false, L"Open", L"https://www.brenmoor.com/Support.php", L"",
                                                       L"", 5}}));
    EXPECT_EQ(donations, 1);
    EXPECT_EQ(licences, 1);
    EXPECT_EQ(Model().VersionLine(), L"Version 2.01 SR1 (64-bit)");
}

} // namespace
} // namespace hg
