// A test double of dwmapi.dll. Placed beside a program and loaded with
// WINEDLLOVERRIDES=dwmapi=n,b, it stands in for the composition engine:
//
// - DwmIsCompositionEnabled answers TRUE, or FALSE while the environment
//   variable HUEGLASS_DWM_COMPOSITION is "0" (read on every call, so a test
//   can switch composition off in the middle of a run).
// - Ordinal 127 fills a colorization record from the stored one. The store
//   starts as DefaultRecord below; HUEGLASS_DWM_COLOR=0xAARRGGBB chooses its
//   Color instead.
// - Ordinal 131 stores the record and, when HUEGLASS_DWM_LOG names a file,
//   appends one line per record written:
//     Color=0x00RRGGBB Afterglow=70 ColorBalance=70 AfterglowBalance=43
//     BlurBalance=49 GlassReflectionIntensity=50 OpaqueBlend=0x00000000 Flag=0
//   (one line; Color and OpaqueBlend in hex, the rest decimal, Flag the
//   second argument). The file is opened for each line in append mode with
//   full sharing and closed again, so a reader sees every line at once. A
//   path starting with "/" is taken as a Unix path on drive Z:.
// - With HUEGLASS_DWM_RESOURCES=1 each line also tells how many GDI and USER
//   objects the program holds at that moment: " Gdi=N User=N GdiHandles=N",
//   the first two from GetGuiResources (0 where it is not implemented, as
//   under Wine), the last by asking every GDI handle value for its type.
// - HueglassDwmDouble (by name) returns 1: proof that the double was loaded.
// - Every other named export of the real library exists (nothing of Wine
//   imports dwmapi, but a program may): the settable ones pretend success,
//   the queries answer E_NOTIMPL, except the colorization colour and the
//   window's frame bounds, which have sensible answers.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>

namespace {

struct ColorizationRecord {
    std::uint32_t Color;
    std::uint32_t Afterglow;
    std::uint32_t ColorBalance;
    std::uint32_t AfterglowBalance;
    std::uint32_t BlurBalance;
    std::uint32_t GlassReflectionIntensity;
    std::uint32_t OpaqueBlend;
};
static_assert(sizeof(ColorizationRecord) == 28);

// Recognisable at a glance, and unlike the program's own fallback colour.
constexpr ColorizationRecord DefaultRecord{0xC4A0522D, 0xC4A0522D, 8, 43, 49, 50, 0};

SRWLOCK lock = SRWLOCK_INIT;
bool initialised = false;
ColorizationRecord stored{};

class Locked {
public:
    Locked() { ::AcquireSRWLockExclusive(&lock); }
    ~Locked() { ::ReleaseSRWLockExclusive(&lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

// The environment variable's value, or an empty string; false when unset or
// too long.
bool Environment(const wchar_t* name, wchar_t* value, DWORD size) {
    const DWORD length = ::GetEnvironmentVariableW(name, value, size);
    if (length == 0 || length >= size) {
        value[0] = L'\0';
        return false;
    }
    return true;
}

ColorizationRecord& Stored() {
    if (!initialised) {
        stored = DefaultRecord;
        wchar_t text[32];
        if (Environment(L"HUEGLASS_DWM_COLOR", text, 32))
            stored.Color = static_cast<std::uint32_t>(std::wcstoul(text, nullptr, 16));
        initialised = true;
    }
    return stored;
}

void AppendToLog(const ColorizationRecord& r, unsigned flag) {
    wchar_t path[2048];
    if (!Environment(L"HUEGLASS_DWM_LOG", path, 2048 - 2))
        return;
    if (path[0] == L'/') {
        std::wmemmove(path + 2, path, std::wcslen(path) + 1);
        path[0] = L'Z';
        path[1] = L':';
        for (wchar_t* p = path; *p; ++p)
            if (*p == L'/')
                *p = L'\\';
    }
    char line[320];
    const int length = std::snprintf(
        line, sizeof line,
        "Color=0x%08X Afterglow=%u ColorBalance=%u AfterglowBalance=%u BlurBalance=%u "
        "GlassReflectionIntensity=%u OpaqueBlend=0x%08X Flag=%u\n",
        static_cast<unsigned>(r.Color), static_cast<unsigned>(r.Afterglow), static_cast<unsigned>(r.ColorBalance),
        static_cast<unsigned>(r.AfterglowBalance), static_cast<unsigned>(r.BlurBalance),
        static_cast<unsigned>(r.GlassReflectionIntensity), static_cast<unsigned>(r.OpaqueBlend), flag);
    if (length <= 0)
        return;
    int total = length;
    wchar_t resources[4];
    if (Environment(L"HUEGLASS_DWM_RESOURCES", resources, 4) && resources[0] == L'1') {
        const HANDLE self = ::GetCurrentProcess();
        unsigned handles = 0;
        for (std::uintptr_t h = 1; h < 0x10000; ++h)
            if (::GetObjectType(reinterpret_cast<HGDIOBJ>(h)) != 0)
                ++handles;
        const int more = std::snprintf(line + length - 1, sizeof line - static_cast<std::size_t>(length) + 1,
                                       " Gdi=%lu User=%lu GdiHandles=%u\n", ::GetGuiResources(self, GR_GDIOBJECTS),
                                       ::GetGuiResources(self, GR_USEROBJECTS), handles);
        if (more > 0)
            total = length - 1 + more;
    }
    const HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return; // the double has no one to tell; the test sees the line missing
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(total), &written, nullptr);
    ::CloseHandle(file);
}

bool CompositionOn() {
    wchar_t value[8];
    Environment(L"HUEGLASS_DWM_COMPOSITION", value, 8);
    return std::wcscmp(value, L"0") != 0;
}

constexpr HRESULT DwmCompositionDisabled = static_cast<HRESULT>(0x80263001);

} // namespace

extern "C" {

int WINAPI HueglassDwmDouble() {
    return 1;
}

HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled) {
    if (enabled == nullptr)
        return E_INVALIDARG;
    *enabled = CompositionOn() ? TRUE : FALSE;
    return S_OK;
}

HRESULT WINAPI DwmpGetColorizationParameters(ColorizationRecord* record) {
    if (record == nullptr)
        return E_INVALIDARG;
    const Locked guard;
    *record = Stored();
    return S_OK;
}

HRESULT WINAPI DwmpSetColorizationParameters(const ColorizationRecord* record, UINT flag) {
    if (record == nullptr)
        return E_INVALIDARG;
    const Locked guard;
    Stored() = *record;
    AppendToLog(*record, flag);
    return S_OK;
}

HRESULT WINAPI DwmGetColorizationColor(DWORD* colorization, BOOL* opaqueBlend) {
    if (colorization == nullptr || opaqueBlend == nullptr)
        return E_INVALIDARG;
    if (!CompositionOn())
        return DwmCompositionDisabled;
    const Locked guard;
    *colorization = Stored().Color;
    *opaqueBlend = Stored().OpaqueBlend != 0 ? TRUE : FALSE;
    return S_OK;
}

HRESULT WINAPI DwmGetWindowAttribute(HWND window, DWORD attribute, void* value, DWORD size) {
    constexpr DWORD ExtendedFrameBounds = 9;
    constexpr DWORD Cloaked = 14;
    if (value == nullptr)
        return E_INVALIDARG;
    if (!::IsWindow(window))
        return E_HANDLE;
    if (attribute == ExtendedFrameBounds && size >= sizeof(RECT))
        return ::GetWindowRect(window, static_cast<RECT*>(value)) ? S_OK : E_FAIL;
    if (attribute == Cloaked && size >= sizeof(DWORD)) {
        *static_cast<DWORD*>(value) = 0;
        return S_OK;
    }
    return E_NOTIMPL;
}

BOOL WINAPI DwmDefWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result != nullptr)
        *result = 0;
    return FALSE; // not handled: the window's own procedure goes on
}

// Settings of how windows look: accepted, nothing to do.
HRESULT WINAPI DwmSetWindowAttribute(HWND, DWORD, const void*, DWORD) {
    return S_OK;
}
HRESULT WINAPI DwmExtendFrameIntoClientArea(HWND, const void*) {
    return S_OK;
}
HRESULT WINAPI DwmEnableBlurBehindWindow(HWND, const void*) {
    return S_OK;
}
HRESULT WINAPI DwmEnableComposition(UINT) {
    return S_OK;
}
HRESULT WINAPI DwmEnableMMCSS(BOOL) {
    return S_OK;
}
HRESULT WINAPI DwmFlush() {
    return S_OK;
}
HRESULT WINAPI DwmInvalidateIconicBitmaps(HWND) {
    return S_OK;
}
HRESULT WINAPI DwmSetIconicLivePreviewBitmap(HWND, HBITMAP, POINT*, DWORD) {
    return S_OK;
}
HRESULT WINAPI DwmSetIconicThumbnail(HWND, HBITMAP, DWORD) {
    return S_OK;
}
HRESULT WINAPI DwmSetPresentParameters(HWND, void*) {
    return S_OK;
}
HRESULT WINAPI DwmSetDxFrameDuration(HWND, INT) {
    return S_OK;
}
HRESULT WINAPI DwmModifyPreviousDxFrameDuration(HWND, INT, BOOL) {
    return S_OK;
}

// Services the double does not offer.
HRESULT WINAPI DwmAttachMilContent(HWND) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmDetachMilContent(HWND) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmGetCompositionTimingInfo(HWND, void*) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmGetGraphicsStreamClient(UINT, void*) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmGetGraphicsStreamTransformHint(UINT, void*) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmGetTransportAttributes(BOOL*, BOOL*, DWORD*) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmQueryThumbnailSourceSize(void*, SIZE*) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmRegisterThumbnail(HWND, HWND, void*) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmUnregisterThumbnail(void*) {
    return E_NOTIMPL;
}
HRESULT WINAPI DwmTetherTextContact(DWORD, BOOL, POINT, POINT*, void*) {
    return E_NOTIMPL;
}

} // extern "C"
