#pragma once
// The update check's files and download in memory. A download can be held
// until the test releases it, to show what happens while a check runs.
#include "update/UpdateTransport.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace hg::testing {

class FakeUpdateTransport final : public IUpdateTransport {
public:
    // What the next downloads answer: the file's bytes, or a failure.
    void Answer(std::string bytes, bool ok = true) {
        std::lock_guard guard(lock_);
        answer_ = {bytes.begin(), bytes.end()};
        answerOk_ = ok;
    }
    // Downloads wait in Download until Release.
    void Hold() {
        std::lock_guard guard(lock_);
        held_ = true;
    }
    void Release() {
        {
            std::lock_guard guard(lock_);
            held_ = false;
        }
        changed_.notify_all();
    }
    // Waits until `count` downloads have ended.
    void WaitForDownloadsEnded(int count) {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [&] { return downloadsEnded_ >= count; });
    }
    void WaitForDownloadsStarted(int count) {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [&] { return addresses_.size() >= static_cast<std::size_t>(count); });
    }

    std::wstring CreateTempFile() override {
        std::lock_guard guard(lock_);
        if (failCreate)
            return {};
        const std::wstring name = L"C:\\Temp\\TMP" + std::to_wstring(++created_);
        files_[name] = {};
        return name;
    }
    bool Download(const std::wstring& address, const std::wstring& file) override {
        std::unique_lock guard(lock_);
        addresses_.push_back(address);
        changed_.notify_all();
        changed_.wait(guard, [&] { return !held_; });
        if (answerOk_)
            files_[file] = answer_;
        ++downloadsEnded_;
        changed_.notify_all();
        return answerOk_;
    }
    std::optional<std::vector<std::uint8_t>> ReadBytes(const std::wstring& file, std::size_t maxBytes) override {
        std::lock_guard guard(lock_);
        const auto found = files_.find(file);
        if (found == files_.end() || found->second.size() > maxBytes)
            return std::nullopt;
        return found->second;
    }
    void RemoveFile(const std::wstring& file) override {
        std::lock_guard guard(lock_);
        files_.erase(file);
    }
    void OpenAddress(const std::wstring& address) override {
        std::lock_guard guard(lock_);
        opened.push_back(address);
    }

    // A file that is there before any check, as a caller's TempFile.
    void PutFile(const std::wstring& file, std::string bytes) {
        std::lock_guard guard(lock_);
        files_[file] = {bytes.begin(), bytes.end()};
    }
    bool HasFile(const std::wstring& file) {
        std::lock_guard guard(lock_);
        return files_.count(file) != 0;
    }
    std::size_t FileCount() {
        std::lock_guard guard(lock_);
        return files_.size();
    }
    std::vector<std::wstring> Addresses() {
        std::lock_guard guard(lock_);
        return addresses_;
    }

    bool failCreate = false;
    std::vector<std::wstring> opened;

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::uint8_t> answer_;
    bool answerOk_ = true;
    bool held_ = false;
    int created_ = 0;
    int downloadsEnded_ = 0;
    std::map<std::wstring, std::vector<std::uint8_t>> files_;
    std::vector<std::wstring> addresses_;
};

} // namespace hg::testing
