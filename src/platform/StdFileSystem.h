#pragma once
// IFileSystem on the C++ standard library: used by the command-line tools and
// by tests that work on real files.
#include "platform/FileSystem.h"

namespace hg {

class StdFileSystem final : public IFileSystem {
public:
    bool FileExists(const std::filesystem::path& path) override;
    bool DirectoryExists(const std::filesystem::path& path) override;
    bool CreateDirectories(const std::filesystem::path& path) override;
    std::int32_t FileAge(const std::filesystem::path& path) override;
    std::int64_t FileSize(const std::filesystem::path& path) override;
    std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path& path,
                                                     std::size_t maxBytes) override;
    bool WriteAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) override;
    bool CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool FlushToDisk(const std::filesystem::path& path) override;
    bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool Delete(const std::filesystem::path& path) override;
};

} // namespace hg
