#include "platform/StdFileSystem.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <system_error>

namespace hg {

namespace fs = std::filesystem;

std::int32_t PackDosDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980 || year > 2107)
        return -1;
    const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
    const auto time = static_cast<std::uint32_t>((hour << 11) | (minute << 5) | (second / 2));
    return static_cast<std::int32_t>((date << 16) | time);
}

bool StdFileSystem::FileExists(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool StdFileSystem::DirectoryExists(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool StdFileSystem::CreateDirectories(const fs::path& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

std::int32_t StdFileSystem::FileAge(const fs::path& path) {
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(path, ec))
        return -1;
    const auto written = fs::last_write_time(path, ec);
    if (ec)
        return -1;
    const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        std::chrono::file_clock::to_sys(written));
    const std::time_t t = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
#if defined(_WIN32)
    if (localtime_s(&local, &t) != 0)
        return -1;
#else
    if (localtime_r(&t, &local) == nullptr)
        return -1;
#endif
    return PackDosDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           local.tm_sec);
}

std::int64_t StdFileSystem::FileSize(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

std::optional<std::vector<std::uint8_t>> StdFileSystem::ReadAll(const fs::path& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes)
        return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        return std::nullopt;
    return bytes;
}

bool StdFileSystem::WriteAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

bool StdFileSystem::CopyOver(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec)
        return false;
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

bool StdFileSystem::FlushToDisk(const fs::path& path) {
    // The standard library cannot flush a file it did not write; its
    // streams hand everything to the system when they close.
    return FileExists(path);
}

bool StdFileSystem::MoveOver(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
}

bool StdFileSystem::Delete(const fs::path& path) {
    std::error_code ec;
    fs::remove(path, ec);
    return !ec;
}

} // namespace hg
