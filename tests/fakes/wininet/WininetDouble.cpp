// A test double of wininet.dll. Installed in System32 and chosen for a
// program by its DLL override (wininet = native,builtin in the program's
// AppDefaults), it stands in for the Internet download:
//
// - HttpSendRequestW appends the address asked for (put together from what
//   InternetConnectW and HttpOpenRequestW were given), one line each, to the
//   file HUEGLASS_WININET_LOG names (when set), then answers by
//   HUEGLASS_WININET_ANSWER:
//     "error"  fails as for a host that is not found;
//     "hang"   never returns (a server that accepts and never answers);
//     a path   answers "200 OK" with that file's bytes as the body, its size
//              announced as Content-Length.
//   Unset, it fails like "error".
// - InternetOpenW, InternetSetOptionW, InternetConnectW, HttpOpenRequestW,
//   HttpQueryInfoW (status code and content length, as numbers),
//   InternetReadFile, InternetCloseHandle and DeleteUrlCacheEntryW do what
//   the download needs of them.
// - HueglassWininetDouble (by name) returns 1: proof that the double was
//   loaded.
// Nothing else of wininet is offered; the program loads this library only
// for the download. (The functions bear other names here, as wininet.h
// declares the real ones as imports; wininet.def exports them under theirs.)
#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr DWORD kSessionMark = 0x53455353; // "SESS"
constexpr DWORD kServerMark = 0x53525652;  // "SRVR"
constexpr DWORD kRequestMark = 0x52455155; // "REQU"

struct Handle {
    DWORD mark;
    std::wstring address; // a server's "host:port", a request's whole address
    std::string body;     // a request's answer, once sent
    std::size_t read = 0;
};

Handle* FromHandle(HINTERNET handle, DWORD mark) {
    auto* object = static_cast<Handle*>(handle);
    return object != nullptr && object->mark == mark ? object : nullptr;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length == 0 || length >= 1024 ? std::wstring() : std::wstring(value, length);
}

void Log(const wchar_t* address) {
    const std::wstring file = Environment(L"HUEGLASS_WININET_LOG");
    if (file.empty())
        return;
    // Opened for each line with full sharing, so a reader sees it at once.
    const HANDLE log = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    char line[2048];
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, address, -1, line, sizeof(line) - 2, nullptr, nullptr);
    if (n > 0) {
        line[n - 1] = '\n';
        DWORD written = 0;
        ::WriteFile(log, line, static_cast<DWORD>(n), &written, nullptr);
    }
    ::CloseHandle(log);
}

} // namespace

extern "C" {

HINTERNET WINAPI DoubleInternetOpenW(const wchar_t*, DWORD, const wchar_t*, const wchar_t*, DWORD) {
    return new Handle{kSessionMark, {}, {}};
}

BOOL WINAPI DoubleInternetSetOptionW(HINTERNET, DWORD, void*, DWORD) { return TRUE; }

HINTERNET WINAPI DoubleInternetConnectW(HINTERNET session, const wchar_t* host, INTERNET_PORT port, const wchar_t*,
                                        const wchar_t*, DWORD, DWORD, DWORD_PTR) {
    if (!FromHandle(session, kSessionMark) || host == nullptr) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return new Handle{kServerMark, std::wstring(host) + L":" + std::to_wstring(port), {}};
}

HINTERNET WINAPI DoubleHttpOpenRequestW(HINTERNET server, const wchar_t*, const wchar_t* object, const wchar_t*,
                                        const wchar_t*, const wchar_t**, DWORD flags, DWORD_PTR) {
    const Handle* from = FromHandle(server, kServerMark);
    if (!from) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The scheme's own port is left out, as in the address the program has.
    const bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
    std::wstring authority = from->address;
    const std::wstring ownPort = secure ? L":443" : L":80";
    if (authority.size() > ownPort.size() && authority.ends_with(ownPort))
        authority.resize(authority.size() - ownPort.size());
    return new Handle{kRequestMark, (secure ? L"https://" : L"http://") + authority + (object ? object : L"/"), {}};
}

BOOL WINAPI DoubleHttpSendRequestW(HINTERNET request, const wchar_t*, DWORD, void*, DWORD) {
    Handle* object = FromHandle(request, kRequestMark);
    if (!object) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Log(object->address.c_str());
    const std::wstring answer = Environment(L"HUEGLASS_WININET_ANSWER");
    if (answer == L"hang") {
        for (;;)
            ::Sleep(INFINITE);
    }
    std::ifstream file;
    if (!answer.empty() && answer != L"error")
        file.open(answer.c_str(), std::ios::binary);
    if (!file) {
        ::SetLastError(ERROR_INTERNET_NAME_NOT_RESOLVED);
        return FALSE;
    }
    object->body.assign(std::istreambuf_iterator<char>(file), {});
    return TRUE;
}

BOOL WINAPI DoubleHttpQueryInfoW(HINTERNET request, DWORD level, void* buffer, DWORD* length, DWORD*) {
    const Handle* object = FromHandle(request, kRequestMark);
    if (!object || !buffer || !length || *length < sizeof(DWORD) || !(level & HTTP_QUERY_FLAG_NUMBER)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD value = 0;
    switch (level & ~HTTP_QUERY_FLAG_NUMBER) {
    case HTTP_QUERY_STATUS_CODE:
        value = HTTP_STATUS_OK;
        break;
    case HTTP_QUERY_CONTENT_LENGTH:
        value = static_cast<DWORD>(object->body.size());
        break;
    default:
        ::SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
        return FALSE;
    }
    std::memcpy(buffer, &value, sizeof(value));
    *length = sizeof(value);
    return TRUE;
}

BOOL WINAPI DoubleInternetReadFile(HINTERNET request, void* buffer, DWORD size, DWORD* read) {
    Handle* object = FromHandle(request, kRequestMark);
    if (!object || !read || (!buffer && size > 0)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::size_t count = std::min<std::size_t>(size, object->body.size() - object->read);
    std::memcpy(buffer, object->body.data() + object->read, count);
    object->read += count;
    *read = static_cast<DWORD>(count);
    return TRUE;
}

BOOL WINAPI DoubleInternetCloseHandle(HINTERNET handle) {
    Handle* object = FromHandle(handle, kSessionMark);
    if (!object)
        object = FromHandle(handle, kServerMark);
    if (!object)
        object = FromHandle(handle, kRequestMark);
    if (!object) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->mark = 0;
    delete object;
    return TRUE;
}

BOOL WINAPI DoubleDeleteUrlCacheEntryW(const wchar_t*) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

int WINAPI HueglassWininetDouble() { return 1; }

} // extern "C"
