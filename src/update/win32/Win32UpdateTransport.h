#pragma once
// The update check's files and download on Windows: the version file goes to
// a file created exclusively in the user's temporary folder and is fetched
// with urlmon, bypassing the Internet cache. The download is bounded while
// it runs: past the version file's size cap, or after the time limit, it is
// aborted, and nothing of it stays on the disk.
#include "update/UpdateTransport.h"

#include <chrono>

namespace hg::win32 {

inline constexpr std::chrono::milliseconds kDownloadTimeLimit{20000};

class Win32UpdateTransport final : public IUpdateTransport {
public:
    explicit Win32UpdateTransport(std::chrono::milliseconds timeLimit = kDownloadTimeLimit) : timeLimit_(timeLimit) {}

    std::wstring CreateTempFile() override;
    bool Download(const std::wstring& address, const std::wstring& file) override;
    std::optional<std::vector<std::uint8_t>> ReadBytes(const std::wstring& file, std::size_t maxBytes) override;
    void RemoveFile(const std::wstring& file) override;
    void OpenAddress(const std::wstring& address) override;

private:
    std::chrono::milliseconds timeLimit_;
};

} // namespace hg::win32
