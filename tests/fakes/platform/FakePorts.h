#pragma once
// In-memory stand-ins for the platform ports.
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hg::testing {

// INI files as file -> section -> key -> value; remembers the order of writes.
class FakeProfile final : public IProfile {
public:
    std::map<std::wstring, std::map<std::wstring, std::wstring>> values; // file -> key -> value
    std::vector<std::pair<std::wstring, std::wstring>> writes;           // key, value in order
    bool failWrites = false;
    std::size_t failFromWrite = SIZE_MAX; // writes fail once this many have been made

    std::optional<std::wstring> ReadString(const std::wstring& file, std::wstring_view section,
                                           std::wstring_view key) override {
        const auto f = values.find(file);
        if (section != L"General" || f == values.end())
            return std::nullopt;
        const auto v = f->second.find(std::wstring(key));
        if (v == f->second.end())
            return std::nullopt;
        return v->second;
    }
    bool WriteString(const std::wstring& file, std::wstring_view section, std::wstring_view key,
                     std::wstring_view value) override {
        if (failWrites || writes.size() >= failFromWrite || section != L"General")
            return false;
        values[file][std::wstring(key)] = std::wstring(value);
        writes.emplace_back(key, value);
        return true;
    }
};

class FakeFileSystem final : public IFileSystem {
public:
    struct File {
        std::vector<std::uint8_t> bytes;
        std::int32_t age = 0x5A210000; // some day in 2025
    };
    std::map<std::wstring, File> files;
    std::set<std::wstring> directories;
    bool failWrites = false;
    // Files another program holds open: they cannot be read exclusively.
    std::set<std::wstring> inUse;
    // Steps of replacing a file that fail: "copy", "flush", "move", "delete".
    std::set<std::string> failing;
    // With a profile attached, its values belong to the files here: they are
    // copied, moved and deleted with them, and a file with values exists.
    FakeProfile* profile = nullptr;

    static std::wstring Key(const std::filesystem::path& path) {
        std::wstring text = path.wstring();
        while (text.size() > 1 && (text.back() == L'\\' || text.back() == L'/'))
            text.pop_back();
        return text;
    }

    bool FileExists(const std::filesystem::path& path) override {
        return files.count(Key(path)) != 0 || (profile && profile->values.count(Key(path)) != 0);
    }
    bool DirectoryExists(const std::filesystem::path& path) override { return directories.count(Key(path)) != 0; }
    bool CreateDirectories(const std::filesystem::path& path) override {
        if (failWrites)
            return false;
        directories.insert(Key(path));
        return true;
    }
    std::int32_t FileAge(const std::filesystem::path& path) override {
        const auto found = files.find(Key(path));
        return found == files.end() ? -1 : found->second.age;
    }
    std::int64_t FileSize(const std::filesystem::path& path) override {
        const auto found = files.find(Key(path));
        return found == files.end() ? -1 : static_cast<std::int64_t>(found->second.bytes.size());
    }
    std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path& path,
                                                     std::size_t maxBytes) override {
        const auto found = files.find(Key(path));
        if (found == files.end() || found->second.bytes.size() > maxBytes)
            return std::nullopt;
        return found->second.bytes;
    }
    std::optional<std::vector<std::uint8_t>> ReadExclusive(const std::filesystem::path& path,
                                                           std::size_t maxBytes) override {
        if (inUse.count(Key(path)))
            return std::nullopt;
        return ReadAll(path, maxBytes);
    }
    bool WriteAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) override {
        if (failWrites)
            return false;
        files[Key(path)].bytes.assign(bytes.begin(), bytes.end());
        return true;
    }
    bool CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (failing.count("copy") || !FileExists(from))
            return false;
        if (files.count(Key(from)))
            files[Key(to)] = files[Key(from)];
        if (profile && profile->values.count(Key(from)))
            profile->values[Key(to)] = profile->values[Key(from)];
        return true;
    }
    bool FlushToDisk(const std::filesystem::path& path) override {
        return !failing.count("flush") && FileExists(path);
    }
    bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (failing.count("move") || !FileExists(from))
            return false;
        files.erase(Key(to));
        if (const auto f = files.find(Key(from)); f != files.end()) {
            files[Key(to)] = f->second;
            files.erase(Key(from));
        }
        if (profile) {
            profile->values.erase(Key(to));
            if (const auto v = profile->values.find(Key(from)); v != profile->values.end()) {
                profile->values[Key(to)] = v->second;
                profile->values.erase(v);
            }
        }
        return true;
    }
    bool Delete(const std::filesystem::path& path) override {
        if (failing.count("delete"))
            return false;
        files.erase(Key(path));
        if (profile)
            profile->values.erase(Key(path));
        return true;
    }
};

class FakeRegistry final : public IRegistry {
public:
    std::map<std::pair<std::wstring, std::wstring>, std::uint32_t> dwords;
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> strings;
    bool failWrites = false;

    static std::wstring Key(std::wstring_view key) {
        while (!key.empty() && key.front() == L'\\')
            key.remove_prefix(1);
        while (!key.empty() && key.back() == L'\\')
            key.remove_suffix(1);
        return std::wstring(key);
    }
    std::optional<std::uint32_t> ReadDword(std::wstring_view key, std::wstring_view name) override {
        const auto found = dwords.find({Key(key), std::wstring(name)});
        if (found == dwords.end())
            return std::nullopt;
        return found->second;
    }
    std::optional<std::wstring> ReadString(std::wstring_view key, std::wstring_view name) override {
        const auto found = strings.find({Key(key), std::wstring(name)});
        if (found == strings.end())
            return std::nullopt;
        return found->second;
    }
    bool WriteDword(std::wstring_view key, std::wstring_view name, std::uint32_t value) override {
        if (failWrites)
            return false;
        strings.erase({Key(key), std::wstring(name)});
        dwords[{Key(key), std::wstring(name)}] = value;
        return true;
    }
};

class FakeSystemInfo final : public ISystemInfo {
public:
    OsVersion version{2, 10, 0};
    bool kernel10 = true;
    bool composition = true;
    std::wstring exeFolder = L"C:\\Programs\\Hueglass\\";
    std::wstring appData = L"C:\\Users\\me\\AppData\\Roaming\\";
    std::wstring windows = L"C:\\Windows\\";

    void SetWindows7() {
        version = {2, 6, 1};
        kernel10 = false;
    }
    void SetWindows8() {
        version = {2, 6, 2};
        kernel10 = false;
    }

    OsVersion Version() override { return version; }
    bool KernelVersionIs10OrHigher() override { return kernel10; }
    bool CompositionEnabled() override { return composition; }
    std::wstring ExecutableFolder() override { return exeFolder; }
    std::wstring AppDataFolder() override { return appData; }
    std::wstring WindowsFolder() override { return windows; }
};

} // namespace hg::testing
