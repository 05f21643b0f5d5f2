#pragma once
// The update check's files and download on Windows: the version file is
// fetched with WinINet into memory, neither read from nor written to the
// Internet cache, and only a complete answer within the version file's size
// cap is written, whole, to a file created exclusively in the user's
// temporary folder. The download is bounded while it runs: reading stops
// past the cap, and the check waits for it no longer than the time limit.
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
