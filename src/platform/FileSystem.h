#pragma once
// Port: the file facts and file transfers the logic needs.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace hg {

// A file open for reading.
class IReadStream {
public:
    virtual ~IReadStream() = default;
    // Up to size bytes; fewer only at the end of the file or on a read error.
    virtual std::size_t Read(std::uint8_t* buffer, std::size_t size) = 0;
    // Back to the first byte; false on failure.
    virtual bool Rewind() = 0;
    // True once a read has failed (as opposed to reaching the end).
    virtual bool Failed() const = 0;
};

// Reads bytes held in memory: its own or borrowed ones that outlive it.
class MemoryReadStream final : public IReadStream {
public:
    explicit MemoryReadStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    explicit MemoryReadStream(std::vector<std::uint8_t>&& bytes) : owned_(std::move(bytes)), bytes_(owned_) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, bytes_.size() - position_);
        if (n > 0)
            std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }
    bool Rewind() override {
        position_ = 0;
        return true;
    }
    bool Failed() const override { return false; }

private:
    std::vector<std::uint8_t> owned_;
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

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
    // Opens the file for reading with no sharing: the open fails while any
    // other process has the file open (for example still writing it), and no
    // one else can open it until the stream is destroyed. Null when it cannot
    // be opened. Platforms without share modes open it normally; the default
    // reads the whole file (at most maxBytes) into memory.
    virtual std::unique_ptr<IReadStream> OpenExclusive(const std::filesystem::path& path, std::size_t maxBytes) {
        auto bytes = ReadAll(path, maxBytes);
        if (!bytes)
            return nullptr;
        return std::make_unique<MemoryReadStream>(std::move(*bytes));
    }
    // Writes a temporary file beside the target and renames it over the
    // target, so a failed write never leaves a truncated file in its place.
    virtual bool WriteAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) = 0;
};

// Packs a broken-down local time the way the platform's DOS date and time do:
// date = (year-1980)<<9 | month<<5 | day, time = hour<<11 | minute<<5 | second/2.
// Years outside 1980..2107 give -1 (the platform cannot represent them).
std::int32_t PackDosDateTime(int year, int month, int day, int hour, int minute, int second);

} // namespace hg
