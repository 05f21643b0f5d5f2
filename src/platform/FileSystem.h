#pragma once
// Port: the file facts and file transfers the logic needs.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace hg {

class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // Existence tests that never raise a system error pop-up for a drive that
    // is not ready (an empty removable drive counts as absent).
    virtual bool FileExists(const std::filesystem::path& path) = 0;
    virtual bool DirectoryExists(const std::filesystem::path& path) = 0;
    // Creates the folder and its missing parents; false on failure.
    virtual bool CreateDirectories(const std::filesystem::path& path) = 0;

    // Last-write time as the platform's packed DOS date (high word) and time
    // (low word), local time; -1 when the file does not exist.
    virtual std::int32_t FileAge(const std::filesystem::path& path) = 0;
    // Size in bytes; -1 when the file does not exist or cannot be opened.
    virtual std::int64_t FileSize(const std::filesystem::path& path) = 0;

    // The whole file, or nullopt when it cannot be read or is larger than
    // maxBytes (nothing larger is ever allocated).
    virtual std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path& path,
                                                             std::size_t maxBytes) = 0;
    // The whole file read with no sharing: the open fails while any other
    // process has the file open (for example still writing it), no one else can
    // open it meanwhile, and it is closed again before this returns, so it is
    // held only while it is read. nullopt when it cannot be opened or read or is
    // larger than maxBytes. Platforms without share modes read it normally.
    virtual std::optional<std::vector<std::uint8_t>> ReadExclusive(const std::filesystem::path& path,
                                                                   std::size_t maxBytes) {
        return ReadAll(path, maxBytes);
    }
    // Writes a temporary file beside the target and renames it over the
    // target, so a failed write never leaves a truncated file in its place.
    virtual bool WriteAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) = 0;

    // The steps of replacing a file by an edited copy of itself (the
    // settings file is saved so). A file system that only reads (the
    // command-line tools' pictures, some tests) refuses them all.
    //
    // Copies the file's bytes as they are to `to`, replacing it; the copy is
    // never read-only, so it can be edited and removed.
    virtual bool CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) {
        (void)from, (void)to;
        return false;
    }
    // Writes what has been written to the file through to the disk.
    virtual bool FlushToDisk(const std::filesystem::path& path) {
        (void)path;
        return false;
    }
    // Moves `from` over `to` in one step, replacing it, written through to
    // the disk before this returns. Refused for a read-only `to`.
    virtual bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
        (void)from, (void)to;
        return false;
    }
    // Deletes the file; true when it is gone (also when it never was).
    virtual bool Delete(const std::filesystem::path& path) {
        (void)path;
        return false;
    }
};

// Packs a broken-down local time the way the platform's DOS date and time do:
// date = (year-1980)<<9 | month<<5 | day, time = hour<<11 | minute<<5 | second/2.
// Years outside 1980..2107 give -1 (the platform cannot represent them).
std::int32_t PackDosDateTime(int year, int month, int day, int hour, int minute, int second);

} // namespace hg
