#include "platform/win32/ErrorBoundary.h"

#include "platform/Errors.h"
#include "platform/win32/ErrorText.h"

namespace hg::win32 {

namespace {
ErrorReporter& Reporter() {
    static ErrorReporter reporter;
    return reporter;
}
thread_local bool tReporting = false;
} // namespace

std::wstring DescribeError(const std::exception_ptr& error) {
    return ErrorMessage(error, [](std::uint32_t code) { return ErrorText(code); });
}

void SetErrorReporter(ErrorReporter reporter) {
    Reporter() = std::move(reporter);
}

void ReportError(const std::exception_ptr& error) noexcept {
    if (tReporting)
        return;
    tReporting = true;
    try {
        const std::wstring text = DescribeError(error);
        if (Reporter())
            Reporter()(text);
        else
            ::MessageBoxW(nullptr, text.c_str(), L"Hueglass", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
        // Showing the error failed too (no memory for the text): nothing
        // more can be done, and the program must keep running.
    }
    tReporting = false;
}

} // namespace hg::win32
