#include "color/win32/Win32Pictures.h"

#include "platform/win32/Handles.h"

#include <windows.h>

#include <wincodec.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace hg::win32 {

namespace {

// Owns one COM interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        if (p_)
            p_->Release();
        p_ = nullptr;
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// COM for the duration of a decode on threads that have not started it; a
// thread that already runs it (the program's user-interface thread) keeps its
// own apartment.
class ComScope {
public:
    ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(hr_))
            ::CoUninitialize();
    }

private:
    HRESULT hr_;
};

std::string HrText(const char* what, HRESULT hr) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (error 0x%08lX)", what, static_cast<unsigned long>(hr));
    return text;
}

PictureResult DecodeWithImagingComponent(PictureKind kind, std::span<const std::uint8_t> bytes) {
    const ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(factory.put()));
    if (FAILED(hr))
        return PictureResult::Fail(HrText("the Windows imaging component is not available", hr));
    ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(stream.put())) ||
        FAILED(hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()))))
        return PictureResult::Fail(HrText("the picture cannot be read", hr));
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                     decoder.put())))
        return PictureResult::Fail(HrText(kind == PictureKind::Icon ? "not a readable icon" : "not a readable TIFF picture", hr));
    UINT frames = 0;
    if (FAILED(hr = decoder->GetFrameCount(&frames)) || frames == 0)
        return PictureResult::Fail(HrText("the picture has no image", hr));
    // An icon holds several sizes: the largest shows the most. Other kinds
    // show their first page.
    UINT chosen = 0;
    if (kind == PictureKind::Icon) {
        UINT64 bestArea = 0;
        for (UINT i = 0; i < frames; ++i) {
            ComPtr<IWICBitmapFrameDecode> frame;
            UINT w = 0, h = 0;
            if (SUCCEEDED(decoder->GetFrame(i, frame.put())) && SUCCEEDED(frame->GetSize(&w, &h)) &&
                UINT64{w} * h > bestArea) {
                bestArea = UINT64{w} * h;
                chosen = i;
            }
        }
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(hr = decoder->GetFrame(chosen, frame.put())) || FAILED(hr = frame->GetSize(&width, &height)))
        return PictureResult::Fail(HrText("the picture cannot be read", hr));
    if (const std::string tooLarge = CheckPictureSize(width, height); !tooLarge.empty())
        return PictureResult::Fail(tooLarge);
    // The converter comes from the factory, as WICConvertBitmapSource would
    // make it: the imaging library is then loaded only by COM, from the full
    // path the registry gives, never as an import of the program.
    ComPtr<IWICFormatConverter> converted;
    if (FAILED(hr = factory->CreateFormatConverter(converted.put())) ||
        FAILED(hr = converted->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                          nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return PictureResult::Fail(HrText("the picture's pixel format cannot be converted", hr));
    auto bitmap = Bitmap24::Allocate(static_cast<int>(width), static_cast<int>(height));
    std::unique_ptr<BYTE[]> row(new (std::nothrow) BYTE[std::size_t{width} * 4]);
    if (!bitmap || !row)
        return PictureResult::Fail("not enough memory for the picture");
    for (UINT y = 0; y < height; ++y) {
        const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width), 1};
        if (FAILED(hr = converted->CopyPixels(&rect, width * 4, width * 4, row.get())))
            return PictureResult::Fail(HrText("the picture is damaged", hr));
        // Premultiplied alpha over white: colour plus the white that shows through.
        std::uint8_t* out = bitmap->Row(static_cast<int>(y));
        for (UINT x = 0; x < width; ++x) {
            const unsigned clear = 255u - row[4 * x + 3];
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = static_cast<std::uint8_t>(std::min(255u, row[4 * x + c] + clear));
        }
    }
    return PictureResult::Ok(std::move(*bitmap));
}

using UniqueEnhMetafile = UniqueHandle<HENHMETAFILE, ::DeleteEnhMetaFile>;

// The size a metafile shows at on this screen, from its frame in 0.01 mm.
int ToPixels(LONG hundredthsOfMm, int dpi) { return ::MulDiv(hundredthsOfMm, dpi, 2540); }

PictureResult DecodeMetafile(std::span<const std::uint8_t> bytes) {
    const UniqueDc screen(::CreateCompatibleDC(nullptr));
    if (!screen)
        return PictureResult::Fail("no device context to draw the metafile");
    const int dpiX = ::GetDeviceCaps(screen.get(), LOGPIXELSX), dpiY = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    UniqueEnhMetafile metafile;
    int width = 0, height = 0;
    constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
    std::uint32_t first = 0;
    if (bytes.size() >= 4)
        std::memcpy(&first, bytes.data(), 4);
    if (bytes.size() >= 88 && first == EMR_HEADER && std::memcmp(bytes.data() + 40, " EMF", 4) == 0) {
        metafile.reset(::SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
        ENHMETAHEADER header{};
        if (!metafile || !::GetEnhMetaFileHeader(metafile.get(), sizeof header, &header))
            return PictureResult::Fail("not a readable enhanced metafile");
        width = ToPixels(header.rclFrame.right - header.rclFrame.left, dpiX);
        height = ToPixels(header.rclFrame.bottom - header.rclFrame.top, dpiY);
    } else if (bytes.size() > 22 && first == PlaceableKey) {
        // The placeable header: bounding box in units of 1/inch of an inch.
        std::int16_t box[4];
        std::uint16_t unitsPerInch = 0;
        std::memcpy(box, bytes.data() + 6, sizeof box);
        std::memcpy(&unitsPerInch, bytes.data() + 14, 2);
        if (unitsPerInch == 0)
            return PictureResult::Fail("the metafile has no size");
        width = ::MulDiv(box[2] - box[0], dpiX, unitsPerInch);
        height = ::MulDiv(box[3] - box[1], dpiY, unitsPerInch);
        const METAFILEPICT picture{MM_ANISOTROPIC, ::MulDiv(box[2] - box[0], 2540, unitsPerInch),
                                   ::MulDiv(box[3] - box[1], 2540, unitsPerInch), nullptr};
        metafile.reset(::SetWinMetaFileBits(static_cast<UINT>(bytes.size() - 22), bytes.data() + 22, nullptr,
                                            &picture));
        if (!metafile)
            return PictureResult::Fail("not a readable Windows metafile");
    } else {
        return PictureResult::Fail("not a metafile with a size (enhanced or placeable)");
    }
    width = width < 0 ? -width : width;
    height = height < 0 ? -height : height;
    if (const std::string bad = CheckPictureSize(width, height); !bad.empty())
        return PictureResult::Fail(bad);

    // Played onto a white top-down DIB, whose rows have the bitmap's layout.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueBitmap dib(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto bitmap = Bitmap24::Allocate(width, height);
    if (!dib || !bits || !bitmap)
        return PictureResult::Fail("not enough memory for the picture");
    std::memset(bits, 0xFF, bitmap->SizeBytes());
    {
        const SelectedObject selected(screen.get(), dib.get());
        const RECT area{0, 0, width, height};
        ::PlayEnhMetaFile(screen.get(), metafile.get(), &area); // a partly failed play still shows what it drew
        ::GdiFlush();
    }
    std::memcpy(bitmap->Data(), bits, bitmap->SizeBytes());
    return PictureResult::Ok(std::move(*bitmap));
}

} // namespace

PictureResult Win32Pictures::Decode(PictureKind kind, std::span<const std::uint8_t> bytes) {
    if (bytes.size() > 0xFFFFFFFFu)
        return PictureResult::Fail("the file is too large for a picture");
    switch (kind) {
    case PictureKind::Icon:
    case PictureKind::Tiff:
        return DecodeWithImagingComponent(kind, bytes);
    case PictureKind::Metafile:
        return DecodeMetafile(bytes);
    default:
        return PictureResult::Fail("unsupported picture kind");
    }
}

} // namespace hg::win32
