// install_test_doubles.exe: puts the test doubles built beside it into the
// Wine prefix's System32 (see InstallDoubles.h). The set-up of the tests
// that use them; also for running the program by hand with a double.
#include "fakes/InstallDoubles.h"

#include <windows.h>

#include <cstdio>
#include <string>

int wmain() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.resize(folder.find_last_of(L'\\'));
    const std::wstring failure = hg::fakes::InstallTestDoubles(folder);
    if (!failure.empty()) {
        std::fwprintf(stderr, L"install_test_doubles: %ls\n", failure.c_str());
        return 1;
    }
    return 0;
}
