#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/Handles.h"

#include <shlobj.h>

#include <chrono>
#include <cwctype>
#include <string>

namespace hg::win32 {

namespace {

// The path made absolute (against the current folder), so that its first
// letter is its drive; empty when it cannot be.
std::wstring FullPath(const std::filesystem::path& path) {
    const std::wstring& text = path.native();
    if (text.empty())
        return {};
    const DWORD size = ::GetFullPathNameW(text.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(text.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return {};
    full.resize(length);
    return full;
}

// Existence by attributes, after the drive-ready test: an empty removable
// drive must count as "absent", not bring up "There is no disk in the drive".
// The drive is that of the full path: a relative name such as "wall.png"
// does not name drive W:.
DWORD Attributes(const std::filesystem::path& path) {
    const std::wstring full = FullPath(path);
    if (full.empty() || !IsDriveReady(full.front()))
        return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesW(full.c_str());
}

} // namespace

bool IsDriveReady(wchar_t first) {
    if (first == L'\\')
        return true;
    const wchar_t letter = static_cast<wchar_t>(std::towupper(first));
    if (letter < L'A' || letter > L'Z')
        return false;
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ULARGE_INTEGER available{}, total{}, free{};
    const BOOL ok = ::GetDiskFreeSpaceExW(root, &available, &total, &free);
    ::SetErrorMode(previous);
    return ok != FALSE;
}

bool Win32FileSystem::FileExists(const std::filesystem::path& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::DirectoryExists(const std::filesystem::path& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::CreateDirectories(const std::filesystem::path& path) {
    // The shell's call makes the missing parents too; it is far smaller than
    // the standard library's, which pulls in the whole of iostreams.
    const std::wstring full = FullPath(path);
    if (!full.empty() && IsDriveReady(full.front()))
        ::SHCreateDirectoryExW(nullptr, full.c_str(), nullptr);
    return DirectoryExists(path);
}

std::int32_t Win32FileSystem::FileAge(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return -1;
    FILETIME local{};
    WORD date = 0, time = 0;
    if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !::FileTimeToDosDateTime(&local, &date, &time))
        return -1;
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(date) << 16) | time);
}

std::int64_t Win32FileSystem::FileSize(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

namespace {

// Moves a complete file over another in one step. A program that has the
// target open without sharing its deletion (a virus scanner, a backup or
// synchronising client, an editor reading it) makes the move fail for as
// long as it holds the file, usually a moment: the move is tried again for
// up to a second before it counts as failed.
bool MoveReplacing(const std::wstring& from, const std::wstring& to) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            std::chrono::steady_clock::now() >= deadline)
            return false;
        ::Sleep(50);
    }
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                                                       DWORD share, DWORD flags) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr) || read == 0)
            return std::nullopt;
        done += read;
    }
    return bytes;
}

} // namespace

std::optional<std::vector<std::uint8_t>> Win32FileSystem::ReadAll(const std::filesystem::path& path,
                                                                  std::size_t maxBytes) {
    return ReadWholeFile(path, maxBytes, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         FILE_ATTRIBUTE_NORMAL);
}

// No sharing: a file still being written cannot be opened, and no one can
// change it while it is read; the handle is closed when the read is done.
std::optional<std::vector<std::uint8_t>> Win32FileSystem::ReadExclusive(const std::filesystem::path& path,
                                                                        std::size_t maxBytes) {
    return ReadWholeFile(path, maxBytes, 0, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
}

bool Win32FileSystem::WriteAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::wstring temp = path.native() + L".tmp";
    bool ok = false;
    {
        const UniqueFile file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        std::size_t done = 0;
        ok = true;
        while (ok && done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            DWORD written = 0;
            ok = ::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
            done += written;
        }
        ok = ok && ::FlushFileBuffers(file.get());
    } // the file is closed here, before it is renamed or deleted
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    if (!MoveReplacing(temp, path.native())) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool Win32FileSystem::CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!::CopyFileW(from.c_str(), to.c_str(), FALSE))
        return false;
    // The copy takes the original's attributes; a read-only one could not be
    // edited, nor removed after a failed save.
    const DWORD attributes = ::GetFileAttributesW(to.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           ((attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
            ::SetFileAttributesW(to.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}));
}

bool Win32FileSystem::FlushToDisk(const std::filesystem::path& path) {
    // A profile file's writes may be cached by the profile functions (Wine
    // does); this hands them to the file first.
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ::FlushFileBuffers(file.get());
}

namespace {

// A file with more than one name: a package manager that keeps a portable
// program's settings across upgrades links the file from its own folder.
bool HasOtherNames(const std::filesystem::path& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return file && ::GetFileInformationByHandle(file.get(), &information) && information.nNumberOfLinks > 1;
}

// Puts the bytes of `from` (a complete, flushed copy) into `to` itself, so
// that every name of `to` sees them, then removes `from`.
bool ReplaceContentsInPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
    constexpr LONGLONG kMostBytes = 16 * 1024 * 1024; // far beyond any settings file
    std::string bytes;
    {
        const UniqueFile source(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!source || !::GetFileSizeEx(source.get(), &size) || size.QuadPart > kMostBytes)
            return false;
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() &&
            (!::ReadFile(source.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
             read != bytes.size()))
            return false;
    }
    {
        const UniqueFile target(::CreateFileW(to.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!target ||
            (!bytes.empty() &&
             (!::WriteFile(target.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
              written != bytes.size())) ||
            !::FlushFileBuffers(target.get()))
            return false;
    }
    ::DeleteFileW(from.c_str());
    return true;
}

} // namespace

bool Win32FileSystem::MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    // Windows refuses to replace a read-only file, Wine does not: the user's
    // "read-only" is kept on both.
    if (const DWORD attributes = ::GetFileAttributesW(to.c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Moving the copy over would give the name a new file and leave the other
    // names on the old one; such a file is rewritten in place from the
    // complete copy instead.
    if (HasOtherNames(to))
        return ReplaceContentsInPlace(from, to);
    return MoveReplacing(from.native(), to.native());
}

bool Win32FileSystem::Delete(const std::filesystem::path& path) {
    return ::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace hg::win32
