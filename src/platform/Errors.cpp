#include "platform/Errors.h"

#include <new>

namespace hg {

namespace {

// Exception texts are UTF-8 by convention; a malformed sequence becomes a
// replacement character rather than a failure inside the error path.
std::wstring FromUtf8(const char* text) {
    std::wstring out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        std::uint32_t c = *p;
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) {
            out.push_back(L'\uFFFD');
            ++p;
            continue;
        }
        c = extra == 0 ? c : c & (0x3F >> extra);
        ++p;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (*p & 0x3F);
        }
        if (!ok || c > 0x10FFFF) {
            out.push_back(L'\uFFFD');
            continue;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0x10000) {
                c -= 0x10000;
                out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
                out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

} // namespace

UserError::UserError(std::wstring message, const std::string& what)
    : std::runtime_error(what), message_(std::move(message)) {}

SystemError::SystemError(std::uint32_t code) : std::runtime_error("system error"), code_(code) {}

std::wstring ErrorMessage(const std::exception_ptr& error,
                          const std::function<std::wstring(std::uint32_t)>& systemText) {
    if (!error)
        return systemText(kErrorInternal);
    try {
        std::rethrow_exception(error);
    } catch (const UserError& e) {
        return e.message();
    } catch (const SystemError& e) {
        return systemText(e.code());
    } catch (const std::bad_alloc&) {
        return systemText(kErrorNotEnoughMemory);
    } catch (const std::exception& e) {
        std::wstring text = FromUtf8(e.what());
        return text.empty() ? systemText(kErrorInternal) : text;
    } catch (...) {
        return systemText(kErrorInternal);
    }
}

} // namespace hg
