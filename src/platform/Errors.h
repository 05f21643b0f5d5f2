#pragma once
// Errors that reach the user. Code that fails in a way the user must see
// throws one of these (or lets a standard exception through); the window
// procedures catch everything at their boundary and show the text in a
// message box, and the program keeps running.
#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace hg {

// An error with a text written for the user.
class UserError : public std::runtime_error {
public:
    // what: the narrow text for logs and debuggers.
    explicit UserError(std::wstring message, const std::string& what = "user error");
    const std::wstring& message() const { return message_; }

private:
    std::wstring message_;
};

// A failed platform call: the user sees the platform's text for its code.
class SystemError : public std::runtime_error {
public:
    explicit SystemError(std::uint32_t code);
    std::uint32_t code() const { return code_; }

private:
    std::uint32_t code_;
};

// Platform error codes the message falls back on.
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8; // ERROR_NOT_ENOUGH_MEMORY
inline constexpr std::uint32_t kErrorInternal = 1359;     // ERROR_INTERNAL_ERROR

// The text shown for an error that escaped a handler. systemText gives the
// platform's text for an error code; it is used for system errors, for
// memory exhaustion and for anything that carries no text of its own.
std::wstring ErrorMessage(const std::exception_ptr& error,
                          const std::function<std::wstring(std::uint32_t)>& systemText);

} // namespace hg
