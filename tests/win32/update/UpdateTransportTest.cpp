// The update check against a small HTTP server on 127.0.0.1 run by the test:
// the real download through WinINet, the real temporary files.
#include "update/BmGetNewVer.h"
#include "update/win32/Win32UpdateTransport.h"

#include "update/VersionFile.h"
#include "update/win32/SystemText.h"
#include "fakes/dialogs/FakeTaskDialogHost.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
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
        std::lock_guard guard(heldLock_);
        for (SOCKET s : held_)
            ::closesocket(s);
        held_.clear();
    }
    std::wstring Url(const wchar_t* path = L"/hueglass.upd") const {
        return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
    }
    int accepted() const { return accepted_.load(); }
    // How many of the connections a silent server holds the client has
    // closed (what it sent is read and dropped; nothing waits). Only while
    // the server runs.
    int ClosedByClient() {
        std::lock_guard guard(heldLock_);
        int closed = 0;
        for (SOCKET s : held_) {
            for (;;) {
                fd_set readable;
                FD_ZERO(&readable);
                FD_SET(s, &readable);
                timeval now{0, 0};
                if (::select(0, &readable, nullptr, nullptr, &now) != 1)
                    break; // open, and nothing more to read
                char buffer[1024];
                if (::recv(s, buffer, sizeof(buffer), 0) <= 0) {
                    ++closed;
                    break;
                }
            }
        }
        return closed;
    }
    // Called with each request as it arrives, before it is answered.
    std::function<void()> onRequest;

private:
    void Serve() {
        for (;;) {
            const SOCKET client = ::accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            ++accepted_;
            if (silent_) {
                std::lock_guard guard(heldLock_);
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
            if (onRequest)
                onRequest();
            // Sent in pieces: a client that gives up, or stops reading for a
            // second, ends the sending.
            const DWORD patience = 1000;
            ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&patience), sizeof patience);
            for (std::size_t sent = 0; sent < response_.size();) {
                const int piece = static_cast<int>(std::min<std::size_t>(response_.size() - sent, 16384));
                const int n = ::send(client, response_.data() + sent, piece, 0);
                if (n <= 0)
                    break;
                sent += static_cast<std::size_t>(n);
            }
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
    std::mutex heldLock_;
    std::vector<SOCKET> held_; // guarded by heldLock_
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

// The largest file seen, while it runs, in the temporary folder and the
// Internet cache that was written after it started: what of a download
// reached the disk.
class DiskWatch {
public:
    DiskWatch() : start_(fs::file_time_type::clock::now() - std::chrono::seconds(2)) {
        wchar_t cache[MAX_PATH] = {};
        folders_.push_back(GetTempDirectory());
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, cache)))
            folders_.push_back(cache);
        thread_ = std::thread([this] {
            while (!stop_) {
                Look();
                std::this_thread::sleep_for(2ms);
            }
        });
    }
    ~DiskWatch() { Stop(); }
    std::uintmax_t Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        Look();
        return largest_;
    }

private:
    void Look() {
        for (const auto& folder : folders_) {
            std::error_code ec;
            for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
                 !ec && it != end; it.increment(ec)) {
                std::error_code e;
                if (it->is_regular_file(e) && it->last_write_time(e) >= start_) {
                    const std::uintmax_t size = it->file_size(e);
                    if (!e && size > largest_) {
                        largest_ = size;
                        largestName_ = it->path().wstring();
                    }
                }
            }
        }
    }

    fs::file_time_type start_;
    std::vector<fs::path> folders_;
    std::atomic<bool> stop_{false};
    std::uintmax_t largest_ = 0;
    std::thread thread_;

public:
    std::wstring largestName_;
};

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override { filesBefore = TempFilesNamedTmp(); }

    std::unique_ptr<TBmGetNewVer> MakeComponent(std::shared_ptr<Win32UpdateTransport> through = nullptr) {
        auto component = std::make_unique<TBmGetNewVer>(
            TBmGetNewVer::Ports{through ? through : transport, dialogs, [this] { ++wakes; }}, L"Hueglass", L"2.0.1.1");
        component->FailureDlg = false;
        component->DownloadDlg = false;
        component->OnGetURL = [this](TBmGetNewVer&, const std::wstring& current, const std::wstring&,
                                     const std::wstring&, const std::wstring&) { reported.push_back(current); };
        component->OnDownloadFailed = [this](TBmGetNewVer&) { ++failures; };
        return component;
    }

    // Runs one check against the address and delivers its result here.
    void Check(const std::wstring& address, std::shared_ptr<Win32UpdateTransport> through = nullptr) {
        auto component = MakeComponent(through);
        component->URLCurrVerFile = address;
        const int before = wakes.load();
        component->Execute();
        ASSERT_TRUE(WaitFor([&] { return wakes.load() > before; })) << "the check never ended";
        component->DeliverResults();
    }

    std::shared_ptr<Win32UpdateTransport> transport = std::make_shared<Win32UpdateTransport>();
    // The same with a short time limit, for servers that hold the download.
    std::shared_ptr<Win32UpdateTransport> hurried = std::make_shared<Win32UpdateTransport>(2s);
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

// An answer other than "200 OK" is a failure even when its body reads as a
// version file (a misconfigured server's error page, a captive portal).
TEST_F(UpdateCheck, ErrorPagesAndRefusedConnectionsAreFailures) {
    for (const char* status : {"404 Not Found", "500 Internal Server Error"}) {
        HttpServer server(Response(status, VersionFile("2.0.2.0")));
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

// A server that sends far more than a version file may be, with its size
// announced or not: the download is cut off as it runs, the check fails
// within the time limit, and no file larger than the cap is ever written,
// not in the temporary folder, not in the Internet cache.
TEST_F(UpdateCheck, AHugeAnswerIsCutOffAndLeavesNothingOnTheDisk) {
    const std::string huge(10 << 20, 'x');
    const std::string announced = Response("200 OK", "[CurrentVersions]\r\nHueglass=" + huge);
    const std::string unannounced = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + huge;
    for (const std::string* answer : {&announced, &unannounced}) {
        HttpServer server(*answer);
        const std::wstring address = server.Url();
        DiskWatch disk;
        const auto start = std::chrono::steady_clock::now();
        Check(address);
        EXPECT_LT(std::chrono::steady_clock::now() - start, kDownloadTimeLimit);
        server.Stop();
        EXPECT_TRUE(WaitFor([&] { return TempFilesNamedTmp() == filesBefore; })) << "the download's file stayed";
        const std::uintmax_t largest = disk.Stop();
        EXPECT_LE(largest, kMaxVersionFileBytes) << fs::path(disk.largestName_).string() << " was written";
        DWORD size = 0;
        EXPECT_FALSE(::GetUrlCacheEntryInfoW(address.c_str(), nullptr, &size)) << "a copy stayed in the cache";
    }
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(failures, 2);
    EXPECT_EQ(TempFilesNamedTmp(), filesBefore) << "a temporary file was left behind";
}

// A server that accepts and never answers holds the check no longer than
// the time limit (here a short one), and the download it gave up on lets go
// of the connection on its own soon after, not when the system's own
// timeouts (minutes) would end it.
TEST_F(UpdateCheck, AServerThatNeverAnswersFailsAtTheTimeLimit) {
    HttpServer server("", true);
    const auto start = std::chrono::steady_clock::now();
    Check(server.Url(), hurried);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(server.accepted(), 1);
    EXPECT_GE(took, 2s);
    EXPECT_LT(took, 10s) << "the check waited for the server";
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(WaitFor([&] { return server.ClosedByClient() == server.accepted(); }, 15s))
        << "the abandoned download still holds the connection";
    EXPECT_EQ(TempFilesNamedTmp(), filesBefore) << "a temporary file was left behind";
}

// A copy of the version file in the Internet cache is removed before the
// download, so an old answer is never read instead of the server's.
TEST_F(UpdateCheck, ACachedCopyOfTheVersionFileIsRemovedFirst) {
    HttpServer server(Response("200 OK", VersionFile("2.0.2.0")));
    const std::wstring address = server.Url(L"/cached.upd");
    wchar_t local[MAX_PATH] = {};
    ASSERT_TRUE(::CreateUrlCacheEntryW(address.c_str(), 0, L"upd", local, 0));
    {
        const std::string old = VersionFile("1.0.0.0");
        std::ofstream(local, std::ios::binary).write(old.data(), static_cast<std::streamsize>(old.size()));
    }
    const FILETIME never{};
    const wchar_t headers[] = L"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    ASSERT_TRUE(::CommitUrlCacheEntryW(address.c_str(), local, never, never, NORMAL_CACHE_ENTRY,
                                       const_cast<wchar_t*>(headers), static_cast<DWORD>(wcslen(headers)), L"upd",
                                       nullptr));
    DWORD size = 0;
    ASSERT_FALSE(::GetUrlCacheEntryInfoW(address.c_str(), nullptr, &size));
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << "the copy was not cached";

    std::atomic<int> cachedAtRequest{-1};
    server.onRequest = [&] {
        DWORD needed = 0;
        cachedAtRequest = ::GetUrlCacheEntryInfoW(address.c_str(), nullptr, &needed) ||
                          ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    };
    Check(address);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], L"2.0.2.0");
    EXPECT_EQ(cachedAtRequest.load(), 0) << "the cached copy was still there when the version file was asked for";
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
