#pragma once
// The update check's files and download on Windows: the version file goes to
// a file created exclusively in the user's temporary folder and is fetched
// with urlmon, bypassing the Internet cache.
#include "update/UpdateTransport.h"

namespace hg::win32 {

class Win32UpdateTransport final : public IUpdateTransport {
public:
    std::wstring CreateTempFile() override;
    bool Download(const std::wstring& address, const std::wstring& file) override;
    std::optional<std::vector<std::uint8_t>> ReadBytes(const std::wstring& file, std::size_t maxBytes) override;
    void RemoveFile(const std::wstring& file) override;
    void OpenAddress(const std::wstring& address) override;
};

} // namespace hg::win32
