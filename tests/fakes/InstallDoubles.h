#pragma once
// Installs the test doubles of system DLLs (dwmapi.dll, version.dll,
// wininet.dll) into the Wine prefix's System32, where the program loads its
// DLLs from, and makes Wine's own DLL the prefix's default for those names
// (HKCU\Software\Wine\DllOverrides: builtin). Wine then loads a double only
// for a program whose DLL override for that name says native (the tests set
// it per test: the variable WINEDLLOVERRIDES, or the key DllOverrides under
// HKCU\Software\Wine\AppDefaults\<program>); every other program of the
// prefix keeps Wine's own DLL.
#include <string>

namespace hg::fakes {

// Copies each double found in `fromFolder` into System32 unless the copy
// there is already the same; the system's own file is kept first as
// "hueglass-system-<name>" (the version.dll double passes its calls on to
// it). A copy goes through a temporary file and a rename, so a program that
// has the old one loaded keeps it. Returns an empty text, or what failed.
std::wstring InstallTestDoubles(const std::wstring& fromFolder);

} // namespace hg::fakes
