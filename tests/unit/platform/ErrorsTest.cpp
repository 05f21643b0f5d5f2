#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace hg {
namespace {

std::wstring SystemText(std::uint32_t code) {
    return L"system text " + std::to_wstring(code);
}

std::wstring MessageOf(const std::function<void()>& thrower) {
    try {
        thrower();
    } catch (...) {
        return ErrorMessage(std::current_exception(), SystemText);
    }
    return L"nothing thrown";
}

TEST(ErrorMessage, EachKindOfErrorGetsItsOwnTextOrThePlatformsText) {
    EXPECT_EQ(MessageOf([] { throw UserError(L"Unable to write to C:\\x"); }), L"Unable to write to C:\\x");
    EXPECT_EQ(MessageOf([] { throw SystemError(5); }), L"system text 5");
    EXPECT_EQ(MessageOf([] { throw std::bad_alloc(); }), L"system text 8");
    EXPECT_EQ(MessageOf([] { throw std::runtime_error("caf\xC3\xA9 \xE2\x82\xAC"); }), L"caf\u00E9 \u20AC");
    EXPECT_EQ(MessageOf([] { throw std::runtime_error("bad \xFF byte \xC3"); }), L"bad \uFFFD byte \uFFFD");
    EXPECT_EQ(MessageOf([] { throw std::runtime_error(""); }), L"system text 1359");
    EXPECT_EQ(MessageOf([] { throw 42; }), L"system text 1359");
    EXPECT_EQ(ErrorMessage(nullptr, SystemText), L"system text 1359");
}

} // namespace
} // namespace hg
