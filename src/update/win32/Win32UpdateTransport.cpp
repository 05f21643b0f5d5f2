#include "update/win32/Win32UpdateTransport.h"

#include "update/win32/SystemText.h"
#include "platform/win32/EntryPoints.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include "update/VersionFile.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace hg::win32 {

namespace {

using Clock = std::chrono::steady_clock;

// The WinINet functions the download uses, looked up when it runs: a missing
// or broken library is a failed check, never a failed start.
class Wininet {
public:
    Wininet() : module_(LoadSystemLibrary(SystemDll::Wininet)) {
        open = Find<decltype(&::InternetOpenW)>("InternetOpenW");
        setOption = Find<decltype(&::InternetSetOptionW)>("InternetSetOptionW");
        connect = Find<decltype(&::InternetConnectW)>("InternetConnectW");
        openRequest = Find<decltype(&::HttpOpenRequestW)>("HttpOpenRequestW");
        sendRequest = Find<decltype(&::HttpSendRequestW)>("HttpSendRequestW");
        queryInfo = Find<decltype(&::HttpQueryInfoW)>("HttpQueryInfoW");
        readFile = Find<decltype(&::InternetReadFile)>("InternetReadFile");
        close = Find<decltype(&::InternetCloseHandle)>("InternetCloseHandle");
        deleteCacheEntry = Find<decltype(&::DeleteUrlCacheEntryW)>("DeleteUrlCacheEntryW");
    }
    bool Complete() const {
        return open && setOption && connect && openRequest && sendRequest && queryInfo && readFile && close;
    }

    decltype(&::InternetOpenW) open;
    decltype(&::InternetSetOptionW) setOption;
    decltype(&::InternetConnectW) connect;
    decltype(&::HttpOpenRequestW) openRequest;
    decltype(&::HttpSendRequestW) sendRequest;
    decltype(&::HttpQueryInfoW) queryInfo;
    decltype(&::InternetReadFile) readFile;
    decltype(&::InternetCloseHandle) close;
    decltype(&::DeleteUrlCacheEntryW) deleteCacheEntry;

private:
    template <typename Fn>
    Fn Find(const char* name) const {
        // The documented way to call an entry point found at run time.
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)))
                       : nullptr;
    }
    UniqueModule module_;
};

// An Internet handle, closed through the library it came from.
class InternetHandle {
public:
    InternetHandle(const Wininet& wininet, HINTERNET handle) : wininet_(wininet), handle_(handle) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() {
        if (handle_)
            wininet_.close(handle_);
    }
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    const Wininet& wininet_;
    HINTERNET handle_;
};

// Connecting, sending and each wait for more data are bounded by the rest of
// the time limit (at least a second), so the download ends on its own soon
// after the check has stopped waiting for it. Set on each handle, as not
// every WinINet passes them all on from a handle to the ones made from it
// (Wine's keeps only the connect limit of the first).
void LimitWaits(const Wininet& wininet, HINTERNET handle, Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    DWORD wait = static_cast<DWORD>(std::clamp<long long>(left, 1000, 24 * 60 * 60 * 1000));
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                               INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        wininet.setOption(handle, option, &wait, sizeof(wait)); // an option not supported keeps its default
}

// The resource at address, read into memory: only a successful HTTP answer
// of at most maxBytes, complete before the deadline. The Internet cache is
// neither read nor written, so nothing of the answer reaches the disk here;
// reading stops at the first byte past the cap.
std::optional<std::vector<std::uint8_t>> FetchBounded(const std::wstring& address, std::size_t maxBytes,
                                                      Clock::time_point deadline) {
    const auto parts = SplitWebAddress(address);
    const Wininet wininet;
    if (!parts || !wininet.Complete())
        return std::nullopt;
    // A copy someone else's download left in the cache is removed, so that
    // no other program reads an old version file either; nothing cached is
    // no failure.
    if (wininet.deleteCacheEntry)
        wininet.deleteCacheEntry(address.c_str());

    const InternetHandle session(wininet,
                                 wininet.open(L"Hueglass", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return std::nullopt;
    LimitWaits(wininet, session.get(), deadline);
    const InternetHandle server(wininet, wininet.connect(session.get(), parts->host.c_str(), parts->port, nullptr,
                                                         nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!server)
        return std::nullopt;
    LimitWaits(wininet, server.get(), deadline);
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                        (parts->secure ? INTERNET_FLAG_SECURE : 0);
    const InternetHandle request(wininet, wininet.openRequest(server.get(), L"GET", parts->object.c_str(), nullptr,
                                                              nullptr, nullptr, flags, 0));
    if (!request)
        return std::nullopt;
    LimitWaits(wininet, request.get(), deadline);
    if (!wininet.sendRequest(request.get(), nullptr, 0, nullptr, 0))
        return std::nullopt;

    // Only the page asked for counts: an error page, or an answer that is
    // no HTTP at all, is a failed download.
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!wininet.queryInfo(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status != HTTP_STATUS_OK)
        return std::nullopt;
    // An announced size past the cap is refused before anything is read.
    DWORD announced = 0;
    size = sizeof(announced);
    if (wininet.queryInfo(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size,
                          nullptr) &&
        announced > maxBytes)
        return std::nullopt;

    std::vector<std::uint8_t> bytes(maxBytes + 1);
    std::size_t received = 0;
    for (;;) {
        if (Clock::now() >= deadline)
            return std::nullopt;
        DWORD read = 0;
        const DWORD room = static_cast<DWORD>(bytes.size() - received);
        if (!wininet.readFile(request.get(), bytes.data() + received, room, &read))
            return std::nullopt;
        if (read == 0)
            break; // the whole answer
        received += read;
        if (received > maxBytes)
            return std::nullopt;
    }
    bytes.resize(received);
    return bytes;
}

// One download, run on a thread of its own, so that the check waits no
// longer than the time limit whatever the server does. A download given up
// on ends on its own within its waits' limits and drops what it read.
struct DownloadAttempt {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;                                 // guarded by lock
    std::optional<std::vector<std::uint8_t>> result; // guarded by lock
};

} // namespace

std::wstring Win32UpdateTransport::CreateTempFile() { return ::hg::win32::CreateTempFile(L""); }

bool Win32UpdateTransport::Download(const std::wstring& address, const std::wstring& file) {
    const auto deadline = Clock::now() + timeLimit_;
    auto attempt = std::make_shared<DownloadAttempt>();
    std::thread([attempt, address, deadline] {
        auto result = FetchBounded(address, kMaxVersionFileBytes, deadline);
        std::lock_guard guard(attempt->lock);
        attempt->done = true;
        attempt->result = std::move(result);
        attempt->ended.notify_all();
    }).detach();

    std::unique_lock guard(attempt->lock);
    if (!attempt->ended.wait_until(guard, deadline, [&] { return attempt->done; }) || !attempt->result)
        return false;
    // Only a complete answer within the cap is ever written, whole or not at
    // all.
    return Win32FileSystem().WriteAtomically(file, *attempt->result);
}

std::optional<std::vector<std::uint8_t>> Win32UpdateTransport::ReadBytes(const std::wstring& file,
                                                                        std::size_t maxBytes) {
    return Win32FileSystem().ReadAll(file, maxBytes);
}

void Win32UpdateTransport::RemoveFile(const std::wstring& file) {
    if (!file.empty())
        ::DeleteFileW(file.c_str()); // a file already gone is no failure
}

void Win32UpdateTransport::OpenAddress(const std::wstring& address) {
    ::ShellExecuteW(nullptr, L"open", address.c_str(), L"", L"", SW_SHOWNORMAL);
}

} // namespace hg::win32
