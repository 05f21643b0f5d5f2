#include "platform/win32/UiThread.h"

#include <commctrl.h>

namespace hg::win32 {

ComApartment::ComApartment(Model model)
    : result_(::CoInitializeEx(nullptr, model == Model::SingleThreaded
                                            ? COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE
                                            : COINIT_MULTITHREADED)) {}

ComApartment::~ComApartment() {
    // Only a successful initialisation (S_OK or S_FALSE) is balanced;
    // RPC_E_CHANGED_MODE left the thread's COM as it was.
    if (SUCCEEDED(result_))
        ::CoUninitialize();
}

bool InitCommonControlsForWindows() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LINK_CLASS | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                     ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
    return ::InitCommonControlsEx(&controls) != FALSE;
}

} // namespace hg::win32
