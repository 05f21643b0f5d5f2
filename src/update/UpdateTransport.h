#pragma once
// Port: the files and the download of the update check. Download runs on a
// worker thread, so an implementation must be safe to call from any thread;
// the rest runs on the user-interface thread, except DeleteFile, which the
// worker also calls for a result nobody waits for any more.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hg {

class IUpdateTransport {
public:
    virtual ~IUpdateTransport() = default;
    // A new, empty file of its own in the user's temporary folder (never an
    // existing one); empty on failure.
    virtual std::wstring CreateTempFile() = 0;
    // Stores the resource at address in file, fetched afresh rather than
    // from a cache; false on failure, which leaves the file as it was. What
    // is larger than the version file may be, or takes longer than the time
    // limit, is a failure, and never reaches the disk whole.
    virtual bool Download(const std::wstring& address, const std::wstring& file) = 0;
    // The file's bytes, or nullopt when it cannot be read or holds more than
    // maxBytes (nothing larger is read).
    virtual std::optional<std::vector<std::uint8_t>> ReadBytes(const std::wstring& file, std::size_t maxBytes) = 0;
    virtual void RemoveFile(const std::wstring& file) = 0;
    // Opens a web address in the user's browser.
    virtual void OpenAddress(const std::wstring& address) = 0;
};

} // namespace hg
