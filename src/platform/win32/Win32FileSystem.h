#pragma once
#include "platform/FileSystem.h"

#include <string>

namespace hg::win32 {

// For the first character of a path: a drive letter whose drive reports its
// size (no critical-error pop-up while testing), or a backslash (UNC or
// root-relative path). Anything else is not ready.
bool IsDriveReady(wchar_t first);

class Win32FileSystem final : public IFileSystem {
public:
    bool FileExists(const std::filesystem::path& path) override;
    bool DirectoryExists(const std::filesystem::path& path) override;
    bool CreateDirectories(const std::filesystem::path& path) override;
    std::int32_t FileAge(const std::filesystem::path& path) override;
    std::int64_t FileSize(const std::filesystem::path& path) override;
    std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path& path,
                                                     std::size_t maxBytes) override;
    std::optional<std::vector<std::uint8_t>> ReadExclusive(const std::filesystem::path& path,
                                                           std::size_t maxBytes) override;
    bool WriteAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) override;
    bool CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool FlushToDisk(const std::filesystem::path& path) override;
    bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool Delete(const std::filesystem::path& path) override;
};

} // namespace hg::win32
