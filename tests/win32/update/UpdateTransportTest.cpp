// The update check against a small HTTP server on 127.0.0.1 run by the test:
// the real download through urlmon, the real temporary files.
#include "update/BmGetNewVer.h"
#include "update/win32/Win32UpdateTransport.h"

#include "update/win32/SystemText.h"
#include "fakes/dialogs/FakeTaskDialogHost.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace hg::win32 {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 30s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Answers every request with one fixed HTTP response, or (silent) accepts
// connections and never answers until it is stopped.
class HttpServer {
public:
    HttpServer(std::string response, bool silent = false) : response_(std::move(response)), silent_(silent) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(listener_, 8);
        int length = sizeof(address);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~HttpServer() { Stop(); }
    void Stop() {
        if (listener_ != INVALID_SOCKET) {
            ::closesocket(listener_);
            listener_ = INVALID_SOCKET;
        }
        if (thread_.joinable())
            thread_.join();
        for (SOCKET s : held_)
            ::closesocket(s);
        held_.clear();
    }
    std::wstring Url(const wchar_t* path = L"/hueglass.upd") const {
        return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
    }
    int accepted() const { return accepted_.load(); }

private:
    void Serve() {
        for (;;) {
            const SOCKET client = ::accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            ++accepted_;
            if (silent_) {
                held_.push_back(client);
                continue;
            }
            // The request ends with an empty line; it is read and dropped.
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int n = ::recv(client, buffer, sizeof(buffer), 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            ::send(client, response_.data(), static_cast<int>(response_.size()), 0);
            ::shutdown(client, SD_SEND);
            ::closesocket(client);
        }
    }

    std::string response_;
    bool silent_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread thread_;
    std::atomic<int> accepted_{0};
    std::vector<SOCKET> held_;
};

std::string Response(const char* status, const std::string& body) {
    return std::string("HTTP/1.1 ") + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string VersionFile(const char* version) {
    return std::string("[CurrentVersions]\r\nHueglass=") + version +
           "\r\n[DownloadURL]\r\nHueglass=https://www.brenmoor.com/Hueglass.php\r\n";
}

// Temporary files this process could have left: the checks' names.
std::size_t TempFilesNamedTmp() {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(GetTempDirectory()))
        if (entry.path().filename().wstring().rfind(L"TMP", 0) == 0)
            ++count;
    return count;
}

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override { filesBefore = TempFilesNamedTmp(); }

    std::unique_ptr<TBmGetNewVer> MakeComponent() {
        auto component = std::make_unique<TBmGetNewVer>(
            TBmGetNewVer::Ports{transport, dialogs, [this] { ++wakes; }}, L"Hueglass", L"2.0.1.1");
        component->FailureDlg = false;
        component->DownloadDlg = false;
        component->OnGetURL = [this](TBmGetNewVer&, const std::wstring& current, const std::wstring&,
                                     const std::wstring&, const std::wstring&) { reported.push_back(current); };
        component->OnDownloadFailed = [this](TBmGetNewVer&) { ++failures; };
        return component;
    }

    // Runs one check against the address and delivers its result here.
    void Check(const std::wstring& address) {
        auto component = MakeComponent();
        component->URLCurrVerFile = address;
        const int before = wakes.load();
        component->Execute();
        ASSERT_TRUE(WaitFor([&] { return wakes.load() > before; })) << "the check never ended";
        component->DeliverResults();
    }

    std::shared_ptr<Win32UpdateTransport> transport = std::make_shared<Win32UpdateTransport>();
    testing::FakeTaskDialogHost dialogs;
    std::atomic<int> wakes{0};
    std::vector<std::wstring> reported;
    int failures = 0;
    std::size_t filesBefore = 0;
};

TEST_F(UpdateCheck, VersionsServedAreReported) {
    for (const char* version : {"2.0.2.0", "2.0.1.1", "1.9.0.0"}) {
        HttpServer server(Response("200 OK", VersionFile(version)));
        reported.clear();
        Check(server.Url());
        ASSERT_EQ(reported.size(), 1u) << version;
        EXPECT_EQ(reported[0], std::wstring(version, version + strlen(version)));
        EXPECT_EQ(IsNewerVersion(reported[0], L"2.0.1.1"), std::string(version) == "2.0.2.0");
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(TempFilesNamedTmp(), filesBefore) << "a temporary file was left behind";
}

TEST_F(UpdateCheck, ErrorPagesAndRefusedConnectionsAreFailures) {
    {
        HttpServer server(Response("404 Not Found", "<html><body>Not Found</body></html>"));
        Check(server.Url());
    }
    {
        HttpServer server(Response("500 Internal Server Error", "<html>oops</html>"));
        Check(server.Url());
    }
    {
        // A port nobody listens on: the server is gone before the check.
        HttpServer server(Response("200 OK", ""));
        const std::wstring address = server.Url();
        server.Stop();
        Check(address);
    }
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(failures, 3);
    EXPECT_EQ(TempFilesNamedTmp(), filesBefore) << "a temporary file was left behind";
}

TEST_F(UpdateCheck, DestroyedWhileTheServerNeverAnswers) {
    HttpServer server("", true);
    auto component = MakeComponent();
    component->URLCurrVerFile = server.Url();
    component->Execute();
    ASSERT_TRUE(WaitFor([&] { return server.accepted() > 0; })) << "the download never connected";

    const auto start = std::chrono::steady_clock::now();
    component.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "destroying the component waited for the download";

    // The server lets go; the download ends on its own, calls nothing back
    // and removes its file.
    server.Stop();
    EXPECT_TRUE(WaitFor([&] { return TempFilesNamedTmp() == filesBefore; }, 120s)) << "the temporary file stayed";
    EXPECT_EQ(wakes.load(), 0);
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(failures, 0);
}

} // namespace
} // namespace hg::win32
