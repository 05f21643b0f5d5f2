// JPEG through libjpeg-turbo. libjpeg reports errors through a callback that
// must not return, so it long-jumps back: every function that calls setjmp
// below holds only trivially destructible locals, and all C++ objects live in
// the callers, where no jump reaches.
#include "color/Decoders.h"

#include "color/BufferedReader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace hg {

namespace {

// Progressive files with thousands of scans decode very slowly; real pictures
// have at most a few dozen.
constexpr int MaxScans = 500;
// Working memory of libjpeg beyond the output bitmap (coefficient buffers of
// progressive pictures).
constexpr long MaxWorkingMemory = 1L << 30;

// Feeds libjpeg from the buffered file.
struct StreamSource {
    jpeg_source_mgr pub{};
    BufferedReader* reader = nullptr;
};

struct JpegSession {
    jpeg_decompress_struct cinfo{};
    StreamSource source{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    bool created = false;
    bool sawEnd = false;
    bool ranShort = false;
    bool truncated = false;
    char message[JMSG_LENGTH_MAX] = {};

    ~JpegSession() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

JpegSession& SessionOf(j_common_ptr cinfo) { return *static_cast<JpegSession*>(cinfo->client_data); }

[[noreturn]] void OnError(j_common_ptr cinfo) {
    JpegSession& session = SessionOf(cinfo);
    cinfo->err->format_message(cinfo, session.message);
    std::longjmp(session.jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    // Level -1 is a warning about damaged data. Most are harmless (stray bytes
    // between markers), but a file that ends early would give a picture whose
    // rest is made up. The end of the file alone is no proof: a missing end
    // marker after complete data costs nothing. It is truncation when the
    // decoder then ran short of picture data, or when more scans of a
    // progressive picture may have been lost.
    if (level >= 0)
        return;
    JpegSession& session = SessionOf(cinfo);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        session.sawEnd = true;
    else if (cinfo->err->msg_code == JWRN_HIT_MARKER)
        session.ranShort = true;
    if (session.sawEnd && (session.ranShort || reinterpret_cast<j_decompress_ptr>(cinfo)->progressive_mode))
        session.truncated = true;
}

void OnProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxScans) {
        JpegSession& session = SessionOf(cinfo);
        std::snprintf(session.message, sizeof session.message, "the picture has more than %d scans", MaxScans);
        std::longjmp(session.jump, 1);
    }
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<StreamSource*>(cinfo->src);
    static const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};
    if (source->reader->Fill()) {
        source->pub.next_input_byte = source->reader->Data();
        source->pub.bytes_in_buffer = source->reader->Available();
    } else {
        // As libjpeg's own sources do: warn, then end the picture.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->pub.next_input_byte = EndOfImage;
        source->pub.bytes_in_buffer = 2;
    }
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* source = cinfo->src;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

bool ReadHeader(JpegSession& s) {
    s.cinfo.err = jpeg_std_error(&s.errors);
    s.errors.error_exit = OnError;
    s.errors.emit_message = OnMessage;
    s.cinfo.client_data = &s;
    if (setjmp(s.jump))
        return false;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.cinfo.mem->max_memory_to_use = MaxWorkingMemory;
    s.progress.progress_monitor = OnProgress;
    s.cinfo.progress = &s.progress;
    s.source.pub.init_source = InitSource;
    s.source.pub.fill_input_buffer = FillInputBuffer;
    s.source.pub.skip_input_data = SkipInputData;
    s.source.pub.resync_to_restart = jpeg_resync_to_restart;
    s.source.pub.term_source = TermSource;
    s.cinfo.src = &s.source.pub;
    jpeg_read_header(&s.cinfo, TRUE);
    // Four-channel pictures are converted by hand; everything else straight to
    // the bitmap's byte order.
    if (s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK)
        s.cinfo.out_color_space = JCS_CMYK;
    else
        s.cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&s.cinfo);
    return true;
}

// Sets up decoding; a progressive picture is read whole here, into libjpeg's
// own coefficient buffers.
bool Start(JpegSession& s) {
    if (setjmp(s.jump))
        return false;
    jpeg_start_decompress(&s.cinfo);
    return true;
}

// Decodes into rows of `stride` bytes; `cmykRow` is a scratch row of 4 bytes
// per pixel for four-channel pictures.
bool ReadPixels(JpegSession& s, std::uint8_t* pixels, std::size_t stride, std::uint8_t* cmykRow) {
    if (setjmp(s.jump))
        return false;
    const bool cmyk = s.cinfo.out_color_space == JCS_CMYK;
    // Adobe writes CMYK inverted (0 is full ink), which is what files carry in
    // practice.
    const bool inverted = s.cinfo.saw_Adobe_marker;
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        std::uint8_t* row = pixels + static_cast<std::size_t>(s.cinfo.output_scanline) * stride;
        JSAMPROW target = cmyk ? cmykRow : row;
        if (jpeg_read_scanlines(&s.cinfo, &target, 1) != 1)
            return false; // suspension cannot happen with a memory source
        if (cmyk) {
            for (JDIMENSION x = 0; x < s.cinfo.output_width; ++x) {
                unsigned c = cmykRow[4 * x], m = cmykRow[4 * x + 1], y = cmykRow[4 * x + 2], k = cmykRow[4 * x + 3];
                if (!inverted) {
                    c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
                }
                row[3 * x] = static_cast<std::uint8_t>((y * k + 127) / 255);
                row[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
                row[3 * x + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
            }
        }
    }
    jpeg_finish_decompress(&s.cinfo);
    return true;
}

std::string Reason(const JpegSession& s) {
    return std::string("not a readable JPEG picture: ") + s.message;
}

} // namespace

PictureResult DecodeJpeg(std::span<const std::uint8_t> bytes) {
    MemoryReadStream stream(bytes);
    return DecodeJpeg(stream);
}

PictureResult DecodeJpeg(IReadStream& stream) {
    std::uint8_t start[3] = {};
    if (PeekStart(stream, start, 3) < 3 || start[0] != 0xFF || start[1] != 0xD8 || start[2] != 0xFF)
        return PictureResult::Fail("not a JPEG picture");
    BufferedReader reader(stream);
    if (!reader.Ready())
        return PictureResult::Fail("not enough memory");
    JpegSession session;
    session.source.reader = &reader;
    if (!ReadHeader(session))
        return PictureResult::Fail(Reason(session));
    const std::string tooLarge = CheckPictureSize(session.cinfo.output_width, session.cinfo.output_height);
    if (!tooLarge.empty())
        return PictureResult::Fail(tooLarge);
    if (!Start(session))
        return PictureResult::Fail(Reason(session));
    const int width = static_cast<int>(session.cinfo.output_width);
    const int height = static_cast<int>(session.cinfo.output_height);
    auto bitmap = Bitmap24::Allocate(width, height);
    if (!bitmap)
        return PictureResult::Fail("not enough memory for a picture of " + std::to_string(width) + " x " +
                                   std::to_string(height) + " pixels");
    std::unique_ptr<std::uint8_t[]> cmykRow;
    if (session.cinfo.out_color_space == JCS_CMYK) {
        cmykRow.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(width) * 4]);
        if (!cmykRow)
            return PictureResult::Fail("not enough memory");
    }
    if (!ReadPixels(session, bitmap->Data(), bitmap->Stride(), cmykRow.get()))
        return PictureResult::Fail(Reason(session));
    if (reader.Failed())
        return PictureResult::Fail("the file could not be read to its end");
    if (session.truncated)
        return PictureResult::Fail("the JPEG picture is truncated");
    return PictureResult::Ok(std::move(*bitmap));
}

} // namespace hg
