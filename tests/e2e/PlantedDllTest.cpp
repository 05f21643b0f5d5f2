// A DLL planted beside the program is never loaded: a canary DLL
// (tests/fakes/canary) is copied beside Hueglass.exe and hueglass-color.exe
// under every name they load, and Wine is told to prefer it, as Windows'
// own search order would (the program's folder first). The programs then go
// through what loads their DLLs: the start, the colour loop on a wallpaper
// read by the imaging component, the About box with its update check and
// the licence; the command-line tool on pictures of every reader. A canary
// that loads records itself beside itself.
#include "e2e/E2e.h"
#include "platform/win32/EntryPoints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kAbout = 1008;
constexpr WORD kExit = 1009;
constexpr int kLabelDownload = 103, kLabelDownloadText = 104, kLabelLA = 108, kMemo = 100;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Narrow(const std::wstring& text) { return Lower(std::string(text.begin(), text.end())); }

// The names of the DLLs a PE file imports (lower case), read from the file.
std::set<std::string> ImportsOf(const fs::path& file) {
    std::set<std::string> names;
    const std::string image = ReadFileText(file);
    const auto at = [&](std::size_t offset, std::size_t size) { return offset + size <= image.size(); };
    const auto read32 = [&](std::size_t offset) {
        std::uint32_t value = 0;
        std::memcpy(&value, image.data() + offset, 4);
        return value;
    };
    if (!at(0x3C, 4))
        return names;
    const std::size_t nt = read32(0x3C);
    if (!at(nt, sizeof(IMAGE_NT_HEADERS64)))
        return names;
    IMAGE_NT_HEADERS64 headers;
    std::memcpy(&headers, image.data() + nt, sizeof(headers));
    if (headers.Signature != IMAGE_NT_SIGNATURE || headers.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return names;
    const std::size_t sections = nt + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + headers.FileHeader.SizeOfOptionalHeader;
    // A relative virtual address as an offset in the file.
    const auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
        for (unsigned i = 0; i < headers.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section;
            if (!at(sections + i * sizeof(section), sizeof(section)))
                break;
            std::memcpy(&section, image.data() + sections + i * sizeof(section), sizeof(section));
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        return image.size();
    };
    const auto& directory = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (std::size_t entry = offsetOf(directory.VirtualAddress); at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR));
         entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        std::memcpy(&descriptor, image.data() + entry, sizeof(descriptor));
        if (descriptor.Name == 0)
            break;
        const std::size_t name = offsetOf(descriptor.Name);
        if (name < image.size())
            names.insert(Lower(std::string(image.c_str() + name)));
    }
    return names;
}

fs::path SystemFolder() {
    wchar_t folder[MAX_PATH];
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

// Windows never looks beside a program for these: they are protected system
// DLLs (KnownDLLs) on every Windows from 7 on, or loaded with them. Wine has
// no such protection (it would load a kernel32.dll beside the program), so
// planting them would test Wine, not the program.
const std::set<std::string> kProtected = {
    "kernel32.dll", "kernelbase.dll", "ntdll.dll", "user32.dll", "gdi32.dll", "win32u.dll", "advapi32.dll",
    "sechost.dll", "rpcrt4.dll", "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll", "combase.dll",
    "comdlg32.dll", "msvcrt.dll", "ucrtbase.dll", "imm32.dll",
};

// The names planted: what the program loads at run time (the entry-points
// module's list), what it imports, and what the system's DLLs load for it
// while it runs (seen with WINEDEBUG=+loaddll under Wine 8: the common
// controls, the imaging component with its helpers, the print support of
// the licence viewer, the rich edit control's own library). Not zlib1.dll,
// which Wine 8 loads too: it is Wine's own (its user32 and imaging component
// import it), no Windows DLL, and Wine's user32 calls it at start-up.
std::set<std::string> PlantedNames(const fs::path& program) {
    std::set<std::string> names;
    for (const wchar_t* name : win32::SystemDllNames())
        names.insert(Narrow(name));
    for (const std::string& name : ImportsOf(program))
        names.insert(name);
    for (const char* name : {"comctl32.dll", "msimg32.dll", "windowscodecs.dll", "propsys.dll", "actxprxy.dll",
                             "riched20.dll", "compstui.dll", "winspool.drv"})
        names.insert(name);
    for (const std::string& name : kProtected)
        names.erase(name);
    return names;
}

// DLLs that the protected DLLs a program imports import in turn, under
// Wine (Wine's user32 imports version.dll, its shlwapi shcore.dll): Wine
// loads them with the program's imports, before any code of the program
// runs, and from the program's folder first. On Windows they come with the
// protected DLLs. A canary under such a name that loads with the imports is
// Wine's doing; one that loads while the program runs is the program's.
std::set<std::string> LoadedWithProtectedImports(const fs::path& program) {
    std::set<std::string> seen, pending;
    for (const std::string& name : ImportsOf(program))
        if (kProtected.count(name))
            pending.insert(name);
    std::set<std::string> found;
    while (!pending.empty()) {
        const std::string name = *pending.begin();
        pending.erase(pending.begin());
        if (!seen.insert(name).second)
            continue;
        for (const std::string& imported : ImportsOf(SystemFolder() / name)) {
            found.insert(imported);
            if (kProtected.count(imported))
                pending.insert(imported);
        }
    }
    return found;
}

class PlantedDlls : public ProgramTest {
protected:
    // Plants the canary under every name `program` loads and returns the
    // environment that makes Wine prefer a DLL beside the program.
    std::vector<std::wstring> Plant(const fs::path& program) {
        program_ = program;
        names_ = PlantedNames(program);
        std::wstring overrides = L"WINEDLLOVERRIDES=";
        for (const std::string& name : names_) {
            fs::copy_file(fs::path(HUEGLASS_TESTBIN_DIR) / L"canary.dll", folder_.path() / name,
                          fs::copy_options::overwrite_existing);
            std::wstring base(name.begin(), name.end());
            if (base.size() > 4 && base.substr(base.size() - 4) == L".dll")
                base.resize(base.size() - 4);
            overrides += base + L",";
            // The same in the registry: a program started by another Wine
            // process does not always see the variable for its imports.
            const std::wstring key =
                L"Software\\Wine\\AppDefaults\\" + program.filename().wstring() + L"\\DllOverrides";
            overrides_.emplace_back(std::make_unique<RegistryValue>(key.c_str(), base.c_str()));
            overrides_.back()->SetString(L"native,builtin");
        }
        overrides.back() = L'=';
        overrides += L"n,b";
        return {overrides};
    }

    // Every canary that loaded. None may have, with two kinds of exceptions
    // that are Wine's doing and only noted: Wine has no protected DLLs, so
    // the imports of its own system DLLs come from the program's folder
    // first (see LoadedWithProtectedImports); and two of its DLLs load one
    // by a search that ignores the program's restriction to System32: its
    // user32 loads uxtheme.dll while it starts (before the program runs),
    // its uxtheme resolves its delayed import of msimg32.dll so. Windows does
    // both from System32. Any other load, by the program or by a system DLL
    // for it (which the restriction governs), is caught.
    void ExpectNoCanaryLoaded(const fs::path& program) {
        const std::set<std::string> own = ImportsOf(program);
        const std::set<std::string> wines = LoadedWithProtectedImports(program);
        std::string caught, noted;
        for (const std::string& name : names_) {
            std::ifstream record(folder_.path() / (name + ".loaded"));
            for (std::string line; std::getline(record, line);) {
                const bool withImports = line.rfind("import ", 0) == 0;
                const std::string by = Lower(line.substr(line.find(' ') + 1));
                const auto requested = [&](const char* dll, const char* requester) {
                    return name == dll && by.size() > std::strlen(requester) + 10 &&
                           by.compare(by.size() - std::strlen(requester) - 10, std::string::npos,
                                      std::string("\\system32\\") + requester) == 0;
                };
                const bool byWine = withImports ? !own.count(name) && wines.count(name)
                                                : requested("uxtheme.dll", "user32.dll") ||
                                                      requested("msimg32.dll", "uxtheme.dll");
                (byWine ? noted : caught) += " " + name + " (" + line + ")";
            }
        }
        EXPECT_EQ(caught, "") << "DLLs planted beside " << program.filename().string() << " were loaded";
        if (!noted.empty())
            std::printf("loaded by Wine's own system DLLs:%s\n", noted.c_str());
    }

    // Checked however the run went, so that a failed run names what it
    // caught too.
    void TearDown() override {
        if (!program_.empty())
            ExpectNoCanaryLoaded(program_);
        ProgramTest::TearDown();
    }

    const std::set<std::string>& names() const { return names_; }

    WineVersion version_{L"win10"};
    // Before the version guard ends, which removes the program's key.
    std::vector<std::unique_ptr<RegistryValue>> overrides_;
    RegistryValue wallpaper_{L"Control Panel\\Desktop", L"Wallpaper"};
    TestFolder folder_;
    fs::path program_;
    std::set<std::string> names_;
};

// A 4 x 4 icon of one colour (32 bits per pixel): read by the imaging
// component, in the program and in the tool alike.
void WriteIcon(const fs::path& file) {
    std::string icon;
    const auto put16 = [&](std::uint16_t v) { icon.append(reinterpret_cast<const char*>(&v), 2); };
    const auto put32 = [&](std::uint32_t v) { icon.append(reinterpret_cast<const char*>(&v), 4); };
    put16(0), put16(1), put16(1);                          // icon directory, one image
    icon += std::string("\x04\x04\x00\x00", 4), put16(1), put16(32); // 4 x 4, 32 bits
    put32(40 + 64 + 16), put32(22);                        // its size and place
    put32(40), put32(4), put32(8), put16(1), put16(32);    // the bitmap header (height twice)
    put32(0), put32(64 + 16), put32(0), put32(0), put32(0), put32(0);
    for (int i = 0; i < 16; ++i)
        put32(0xFF2080C0); // opaque, red 0x20, green 0x80, blue 0xC0
    icon += std::string(16, '\0'); // the mask: nothing transparent
    std::ofstream(file, std::ios::binary) << icon;
}

// A 2 x 2 Windows bitmap of one colour, 24 bits per pixel.
void WriteBitmap(const fs::path& file) {
    std::string bmp = "BM";
    const auto put16 = [&](std::uint16_t v) { bmp.append(reinterpret_cast<const char*>(&v), 2); };
    const auto put32 = [&](std::uint32_t v) { bmp.append(reinterpret_cast<const char*>(&v), 4); };
    put32(54 + 16), put32(0), put32(54);
    put32(40), put32(2), put32(2), put16(1), put16(24), put32(0), put32(16), put32(0), put32(0), put32(0), put32(0);
    for (int row = 0; row < 2; ++row)
        bmp += std::string("\x40\x30\x20\x40\x30\x20\x00\x00", 8);
    std::ofstream(file, std::ios::binary) << bmp;
}

TEST_F(PlantedDlls, TheProgramLoadsNoneOfThemThroughStartLoopAboutUpdateAndLicence) {
    auto environment = Plant(folder_.exe());
    ASSERT_TRUE(names().count("dwmapi.dll") && names().count("comctl32.dll") && names().count("version.dll"));
    const fs::path wallpaper = folder_.path() / L"wallpaper.ico";
    WriteIcon(wallpaper);
    wallpaper_.SetString(wallpaper.wstring());
    const fs::path answer = folder_.path() / L"answer.upd";
    std::ofstream(answer, std::ios::binary) << "[CurrentVersions]\r\nHueglass=2.0.1.1\r\n";
    const fs::path dwmLog = folder_.path() / L"colours.log";
    // The doubles in System32 (chosen by the same overrides) answer.
    environment.push_back(L"HUEGLASS_DWM_LOG=" + dwmLog.wstring());
    environment.push_back(L"HUEGLASS_WININET_ANSWER=" + answer.wstring());

    App app(folder_.exe(), environment);
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr) << "the program did not start";
    // The loop: the wallpaper's colour written through dwmapi.dll.
    EXPECT_TRUE(WaitFor([&] { return !ReadDwmLog(dwmLog).empty(); })) << "no colour was written";

    app.Command(main, kAbout);
    const HWND box = WaitWindowNamed(app.pid(), L"About Hueglass");
    ASSERT_NE(box, nullptr) << "the About box did not open";
    const auto texts = ChildTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Version 2.01 SR1 (64-bit)"), texts.end())
        << "the version resource was not read";
    ClickLink(::GetDlgItem(box, kLabelDownload));
    const auto label = [&] {
        const HWND link = ::GetDlgItem(box, kLabelDownload);
        return ::IsWindowVisible(link) ? WindowText(link) : WindowText(::GetDlgItem(box, kLabelDownloadText));
    };
    EXPECT_TRUE(WaitFor([&] { return label().find(L"Hueglass is up to date") != std::wstring::npos; }))
        << "the update check shows: " << Narrow(label());
    ClickLink(::GetDlgItem(box, kLabelLA));
    const HWND licence = WaitWindowNamed(app.pid(), L"License Agreement");
    ASSERT_NE(licence, nullptr) << "the licence viewer did not open";
    EXPECT_NE(WindowText(::GetDlgItem(licence, kMemo)).find(L"MIT License"), std::wstring::npos)
        << "the licence text is not shown";
    PressEscape(::GetDlgItem(licence, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(licence); }));
    PressEscape(::GetDlgItem(box, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
}

TEST_F(PlantedDlls, TheColourToolLoadsNoneOfThem) {
    const fs::path tool = folder_.path() / L"hueglass-color.exe";
    fs::copy_file(fs::path(HUEGLASS_COLOR_EXE), tool, fs::copy_options::overwrite_existing);
    const auto environment = Plant(tool);
    WriteIcon(folder_.path() / L"a.ico");
    WriteBitmap(folder_.path() / L"b.bmp");
    const fs::path output = folder_.path() / L"out.txt";

    // The tool with its output in a file, as a console user would redirect it.
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const HANDLE out = ::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    std::wstring block;
    wchar_t* own = ::GetEnvironmentStringsW();
    for (const wchar_t* p = own; *p; p += wcslen(p) + 1)
        block += std::wstring(p) + L'\0';
    ::FreeEnvironmentStringsW(own);
    for (const auto& variable : environment)
        block += variable + L'\0';
    block += L'\0';
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + tool.wstring() + L"\" --average a.ico b.bmp";
    const std::wstring folder = folder_.path().wstring();
    ASSERT_TRUE(::CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                 CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(), folder.c_str(), &startup,
                                 &process));
    ::CloseHandle(out);
    const bool ended = ::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) {
        ::TerminateProcess(process.hProcess, 99);
        ::WaitForSingleObject(process.hProcess, 10000);
    }
    EXPECT_TRUE(ended) << "the tool did not end";
    DWORD code = 99;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    const std::string printed = ReadFileText(output);
    EXPECT_EQ(code, 0u) << printed;
    EXPECT_NE(printed.find("#2080C0\t0x00C08020\ta.ico"), std::string::npos) << printed;
    EXPECT_NE(printed.find("#203040\t0x00403020\tb.bmp"), std::string::npos) << printed;
}

} // namespace
} // namespace hg::e2e
