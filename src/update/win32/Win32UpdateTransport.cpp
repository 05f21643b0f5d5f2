#include "update/win32/Win32UpdateTransport.h"

#include "update/win32/SystemText.h"
#include "platform/win32/EntryPoints.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <cstring>

#include <objbase.h>
#include <shellapi.h>
#include <urlmon.h>

#include "update/VersionFile.h"

#include <atomic>
#include <cstdlib>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace hg::win32 {

namespace {

// The downloads' own files that are still in use. A download that hangs
// when the program ends would leave its file behind in the temporary
// folder: what is left is deleted as the process exits. Never destroyed, so
// a worker still running then never finds it gone.
struct PendingFiles {
    std::mutex lock;
    std::vector<std::wstring> files;

    static PendingFiles& Get() {
        static PendingFiles* const pending = [] {
            auto* made = new PendingFiles;
            std::atexit([] {
                PendingFiles& all = Get();
                std::lock_guard guard(all.lock);
                for (const std::wstring& file : all.files)
                    ::DeleteFileW(file.c_str()); // a file still held stays: nothing more can be done
                all.files.clear();
            });
            return made;
        }();
        return *pending;
    }
    void Add(const std::wstring& file) {
        std::lock_guard guard(lock);
        files.push_back(file);
    }
    void Remove(const std::wstring& file) {
        std::lock_guard guard(lock);
        std::erase(files, file);
    }
};

// Undoes CoInitializeEx when it succeeded.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (ok_)
            ::CoUninitialize();
    }

private:
    bool ok_;
};

// Watches a download as urlmon reports it: past the size cap (announced or
// received) or the deadline, the next report aborts it. It also asks urlmon
// to fetch afresh and to keep nothing in the Internet cache.
class BoundedDownload final : public IBindStatusCallback {
public:
    BoundedDownload(ULONG cap, std::chrono::steady_clock::time_point deadline) : cap_(cap), deadline_(deadline) {}
    BoundedDownload(const BoundedDownload&) = delete;
    BoundedDownload& operator=(const BoundedDownload&) = delete;

    // Makes every later report abort the download.
    void Stop() { stopped_ = true; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IBindStatusCallback)) {
            *out = static_cast<IBindStatusCallback*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
        std::lock_guard guard(lock_);
        if (binding) {
            binding->AddRef();
            binding_ = binding;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG status, LPCWSTR) override {
        const bool data = status == BINDSTATUS_BEGINDOWNLOADDATA || status == BINDSTATUS_DOWNLOADINGDATA ||
                          status == BINDSTATUS_ENDDOWNLOADDATA;
        if (stopped_ || std::chrono::steady_clock::now() >= deadline_ ||
            (data && (progress > cap_ || progressMax > cap_))) {
            std::lock_guard guard(lock_);
            if (binding_)
                binding_->Abort();
            return E_ABORT;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
        std::lock_guard guard(lock_);
        if (binding_)
            binding_->Release();
        binding_ = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
        if (!flags || !info)
            return E_INVALIDARG;
        *flags = BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
        const ULONG size = info->cbSize;
        std::memset(info, 0, size);
        info->cbSize = size;
        info->dwBindVerb = BINDVERB_GET;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    ~BoundedDownload() = default;

    const ULONG cap_;
    const std::chrono::steady_clock::time_point deadline_;
    std::atomic<bool> stopped_{false};
    std::mutex lock_;
    IBinding* binding_ = nullptr; // guarded by lock_, held between start and stop
    std::atomic<ULONG> references_{1};
};

// One download, run on a thread of its own into a file of its own, so that
// the check waits no longer than the time limit even for a server that
// accepts and never answers (urlmon reports nothing then). A download given
// up on goes on until urlmon lets go, and then deletes its file.
struct DownloadAttempt {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;       // guarded by lock
    bool abandoned = false;  // guarded by lock
    HRESULT result = E_FAIL; // guarded by lock
};

// Removes any copy of the address from the Internet cache: before a
// download, so that the file is fetched afresh; after it, because urlmon
// keeps one of whatever it received there whatever it is asked (Wine's does,
// also of an aborted download).
void ForgetCachedCopy(const std::wstring& address) {
    const ComScope com;
    // The libraries are loaded on the worker, where they are used: a
    // missing or broken one is a failed check, never a failed start.
    if (const UniqueModule wininet = LoadSystemLibrary(SystemDll::Wininet); wininet) {
        using DeleteUrlCacheEntryFn = BOOL(WINAPI*)(const wchar_t*);
        if (const auto deleteEntry = reinterpret_cast<DeleteUrlCacheEntryFn>(
                reinterpret_cast<void*>(::GetProcAddress(wininet.get(), "DeleteUrlCacheEntryW"))))
            deleteEntry(address.c_str()); // nothing cached is no failure
    }
}

HRESULT DownloadWithUrlmon(const std::wstring& address, const std::wstring& file, IBindStatusCallback* callback) {
    const ComScope com;
    const UniqueModule urlmon = LoadSystemLibrary(SystemDll::Urlmon);
    if (!urlmon)
        return E_FAIL;
    using URLDownloadToFileFn = HRESULT(WINAPI*)(void*, const wchar_t*, const wchar_t*, DWORD, void*);
    const auto download = reinterpret_cast<URLDownloadToFileFn>(
        reinterpret_cast<void*>(::GetProcAddress(urlmon.get(), "URLDownloadToFileW")));
    return download != nullptr ? download(nullptr, address.c_str(), file.c_str(), 0, callback) : E_FAIL;
}

} // namespace

std::wstring Win32UpdateTransport::CreateTempFile() { return ::hg::win32::CreateTempFile(L""); }

bool Win32UpdateTransport::Download(const std::wstring& address, const std::wstring& file) {
    const auto deadline = std::chrono::steady_clock::now() + timeLimit_;
    ForgetCachedCopy(address);
    const std::wstring own = ::hg::win32::CreateTempFile(L"");
    if (own.empty())
        return false;
    PendingFiles::Get().Add(own);
    auto attempt = std::make_shared<DownloadAttempt>();
    auto* watch = new BoundedDownload(static_cast<ULONG>(kMaxVersionFileBytes), deadline);
    watch->AddRef(); // one reference for this thread, one for the download's
    std::thread([attempt, address, own, watch] {
        const HRESULT result = DownloadWithUrlmon(address, own, watch);
        watch->Release();
        ForgetCachedCopy(address);
        std::lock_guard guard(attempt->lock);
        attempt->done = true;
        attempt->result = result;
        if (attempt->abandoned) {
            ::DeleteFileW(own.c_str());
            PendingFiles::Get().Remove(own);
        }
        attempt->ended.notify_all();
    }).detach();

    std::unique_lock guard(attempt->lock);
    const bool done = attempt->ended.wait_until(guard, deadline, [&] { return attempt->done; });
    if (!done) {
        attempt->abandoned = true;
        watch->Stop(); // whatever urlmon reports next ends it
        watch->Release();
        return false;
    }
    const HRESULT result = attempt->result;
    guard.unlock();
    watch->Release();
    // The cap holds also when the server announced no size and urlmon
    // delivered the last piece at once.
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    const bool ok = result == S_OK && ::GetFileAttributesExW(own.c_str(), GetFileExInfoStandard, &facts) &&
                    facts.nFileSizeHigh == 0 && facts.nFileSizeLow <= kMaxVersionFileBytes &&
                    ::MoveFileExW(own.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok)
        ::DeleteFileW(own.c_str());
    PendingFiles::Get().Remove(own);
    return ok;
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
