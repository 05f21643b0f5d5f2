// JPEG through libjpeg-turbo. libjpeg reports errors through a callback that
// must not return, so it long-jumps back: every function that calls setjmp
// below holds only trivially destructible locals, and all C++ objects live in
// the callers, where no jump reaches.
#include "color/Decoders.h"

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

// Real progressive pictures have about ten scans; each scan revisits every
// block of its components, so a file of many (even empty) scans costs seconds.
constexpr int MaxScans = 100;

struct JpegSession {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    bool created = false;
    unsigned scannedComponents = 0; // bit c: component c has been in a scan
    char message[JMSG_LENGTH_MAX] = {};

    ~JpegSession() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

JpegSession& SessionOf(j_common_ptr cinfo) { return *static_cast<JpegSession*>(cinfo->client_data); }

[[noreturn]] void Refuse(JpegSession& session, const char* reason) {
    std::snprintf(session.message, sizeof session.message, "%s", reason);
    std::longjmp(session.jump, 1);
}

constexpr char OverBudget[] = "the picture needs more memory than a picture may take";

[[noreturn]] void OnError(j_common_ptr cinfo) {
    JpegSession& session = SessionOf(cinfo);
    // Buffers beyond max_memory_to_use would need a backing store, which
    // this build of libjpeg does not have.
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE || cinfo->err->msg_code == JERR_OUT_OF_MEMORY)
        Refuse(session, OverBudget);
    cinfo->err->format_message(cinfo, session.message);
    std::longjmp(session.jump, 1);
}

constexpr char Truncated[] = "the JPEG picture is truncated: its data ends before its last row";

void OnMessage(j_common_ptr cinfo, int level) {
    // Level -1 is a warning about damaged data. Most are harmless: stray bytes
    // between markers, or the file ending where only the end marker is missing
    // (a progressive picture cut between two scans is a complete, coarser
    // picture). Running out of data inside a scan is not: the decoder would
    // make up the rest of the picture, also when an end marker follows the
    // cut. That is refused at once, before the made-up rows cost any time.
    if (level < 0 && cinfo->err->msg_code == JWRN_HIT_MARKER)
        Refuse(SessionOf(cinfo), Truncated);
}

void NoteScan(JpegSession& s) {
    for (int i = 0; i < s.cinfo.comps_in_scan; ++i)
        s.scannedComponents |= 1u << s.cinfo.cur_comp_info[i]->component_index;
}

// Called for every row of every scan while the file is read.
void OnProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    JpegSession& session = SessionOf(cinfo);
    if (session.cinfo.input_scan_number > MaxScans) {
        std::snprintf(session.message, sizeof session.message, "the picture has more than %d scans", MaxScans);
        std::longjmp(session.jump, 1);
    }
    NoteScan(session);
}

bool ReadHeader(JpegSession& s, std::span<const std::uint8_t> bytes) {
    s.cinfo.err = jpeg_std_error(&s.errors);
    s.errors.error_exit = OnError;
    s.errors.emit_message = OnMessage;
    s.cinfo.client_data = &s;
    if (setjmp(s.jump))
        return false;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.progress.progress_monitor = OnProgress;
    s.cinfo.progress = &s.progress;
    // At the end of the bytes this source warns and supplies an end marker.
    jpeg_mem_src(&s.cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&s.cinfo, TRUE);
    NoteScan(s); // the first scan's header has been read
    // Four-channel pictures are converted by hand; everything else straight to
    // the bitmap's byte order.
    if (s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK)
        s.cinfo.out_color_space = JCS_CMYK;
    else
        s.cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&s.cinfo);
    return true;
}

// Huffman coding spends at least one bit on every block of every component
// (a sequential scan two: the DC difference and the end of block; the first
// DC scan of a progressive picture one), so the bytes bound the blocks a
// picture can really have. Beyond that its data cannot cover it, whatever its
// header claims, and nothing is allocated for it. Only the bytes after the
// header count (padding in front of the picture covers nothing). Arithmetic
// coding has no such floor; the memory budget holds for it.
bool DataCanCover(const JpegSession& s) {
    const std::size_t bytes = s.cinfo.src->bytes_in_buffer;
    if (s.cinfo.arith_code)
        return true;
    std::uint64_t blocks = 0;
    for (int c = 0; c < s.cinfo.num_components; ++c)
        blocks += std::uint64_t{s.cinfo.comp_info[c].width_in_blocks} * s.cinfo.comp_info[c].height_in_blocks;
    return blocks <= std::uint64_t{bytes} * 8;
}

// Sets up decoding; a progressive or multi-scan picture is read whole here,
// into libjpeg's own coefficient buffers.
bool Start(JpegSession& s) {
    if (setjmp(s.jump))
        return false;
    jpeg_start_decompress(&s.cinfo);
    return true;
}

// Converts a row of inverted or plain CMYK to blue, green, red.
void CmykToBgr(const std::uint8_t* in, std::uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x) {
        unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        out[3 * x] = static_cast<std::uint8_t>((y * k + 127) / 255);
        out[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[3 * x + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

// Wanted rows in a run are decoded BatchRows at a time, then handed on.
constexpr int BatchRows = 16;

// libjpeg-turbo writes rows that start on a 16-byte boundary with
// non-temporal stores, which bypass the cache: a consumer reading the row
// right after (the average) then waits for main memory, which doubled the
// average's cost. Rows are therefore placed one byte past such a boundary.
constexpr std::size_t RowStride(JDIMENSION width) { return (std::size_t{width} * 3 + 31) & ~std::size_t{31}; }
constexpr std::size_t RowOffset = 1;

// Skips the rows from the current one up to (not including) row `next`.
// libjpeg upsamples a row group at a time: max_v_samp_factor output rows made
// together from the same rows of subsampled data, held until they are read.
// Its skip moves on by whole groups and, where the upsampling takes no
// neighbouring rows, forgets the rows of the group it holds: a skip that
// starts inside a group hands one of them out in place of the first row after
// it. That upsampling is used for a 4:2:0 picture too narrow to blend (up to 4
// pixels wide), chroma sampled 2 rows high but halved across, more than 2
// luma rows to a chroma row, and a grey component sampled 2 rows high. The
// rest of the current group is therefore decoded and dropped (at most 3 rows)
// so that every skip starts at a group's first row. scratch holds one row in
// the output's colour space.
bool SkipRows(JpegSession& s, int next, std::uint8_t* scratch) {
    const auto group = static_cast<JDIMENSION>(s.cinfo.max_v_samp_factor);
    const auto until = static_cast<JDIMENSION>(next);
    while (s.cinfo.output_scanline % group != 0 && s.cinfo.output_scanline < until) {
        JSAMPROW into = scratch;
        if (jpeg_read_scanlines(&s.cinfo, &into, 1) != 1)
            return false; // suspension cannot happen with a memory source
    }
    if (s.cinfo.output_scanline < until)
        jpeg_skip_scanlines(&s.cinfo, until - s.cinfo.output_scanline);
    return true;
}

// Hands the wanted rows to the consumer; rows no one wants are skipped by the
// decoder (their data is still read, so a cut among them is noticed).
// batch holds BatchRows rows of 3 bytes a pixel, cmykRow one row of 4.
bool ReadRows(JpegSession& s, RowConsumer& rows, std::uint8_t* batch, std::uint8_t* cmykRow) {
    if (setjmp(s.jump))
        return false;
    const bool cmyk = s.cinfo.out_color_space == JCS_CMYK;
    // Adobe writes CMYK inverted (0 is full ink), which is what files carry in
    // practice.
    const bool inverted = s.cinfo.saw_Adobe_marker;
    const auto height = static_cast<int>(s.cinfo.output_height);
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const auto y = static_cast<int>(s.cinfo.output_scanline);
        if (!rows.Wants(y)) {
            int next = y + 1;
            while (next < height && !rows.Wants(next))
                ++next;
            if (!SkipRows(s, next, cmyk ? cmykRow : batch + RowOffset))
                return false;
            continue;
        }
        std::uint8_t* target = rows.RowTarget(y);
        if (!target && !cmyk) {
            const std::size_t stride = RowStride(s.cinfo.output_width);
            int n = 1;
            while (n < BatchRows && y + n < height && rows.Wants(y + n))
                ++n;
            JSAMPROW targets[BatchRows];
            for (int k = 0; k < n; ++k)
                targets[k] = batch + RowOffset + static_cast<std::size_t>(k) * stride;
            for (int done = 0; done < n;) {
                const JDIMENSION got = jpeg_read_scanlines(&s.cinfo, targets + done, static_cast<JDIMENSION>(n - done));
                if (got == 0)
                    return false; // suspension cannot happen with a memory source
                done += static_cast<int>(got);
            }
            for (int k = 0; k < n; ++k)
                rows.Row(y + k, targets[k]);
            continue;
        }
        if (!target)
            target = batch + RowOffset;
        JSAMPROW into = cmyk ? cmykRow : target;
        if (jpeg_read_scanlines(&s.cinfo, &into, 1) != 1)
            return false; // suspension cannot happen with a memory source
        if (cmyk)
            CmykToBgr(cmykRow, target, s.cinfo.output_width, inverted);
        rows.Row(y, target);
    }
    jpeg_finish_decompress(&s.cinfo);
    return true;
}

std::string Reason(const JpegSession& s) {
    if (std::strcmp(s.message, Truncated) == 0 || std::strcmp(s.message, OverBudget) == 0)
        return s.message;
    return std::string("not a readable JPEG picture: ") + s.message;
}

} // namespace

std::string DecodeJpegRows(std::span<const std::uint8_t> bytes, RowConsumer& rows) {
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8 || bytes[2] != 0xFF)
        return "not a JPEG picture";
    JpegSession session;
    if (!ReadHeader(session, bytes))
        return Reason(session);
    const int width = static_cast<int>(session.cinfo.output_width);
    const int height = static_cast<int>(session.cinfo.output_height);
    if (std::string tooLarge = CheckPictureSize(session.cinfo.output_width, session.cinfo.output_height);
        !tooLarge.empty())
        return tooLarge;
    if (!DataCanCover(session))
        return "the JPEG picture is truncated: " + std::to_string(session.cinfo.src->bytes_in_buffer) +
               " bytes of data cannot hold a picture of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels";
    const std::size_t held = rows.MemoryFor(width, height) + RowStride(session.cinfo.output_width) * BatchRows +
                             static_cast<std::size_t>(width) * 4;
    if (held >= DecodeMemoryBudget)
        return "the picture is too large for the memory a picture may take";
    // libjpeg's buffers get what the consumer leaves; a picture that needs
    // more is refused before they are allocated.
    session.cinfo.mem->max_memory_to_use = static_cast<long>(DecodeMemoryBudget - held);
    if (!Start(session))
        return Reason(session);
    if (std::string refused = rows.Begin(width, height); !refused.empty())
        return refused;
    std::unique_ptr<std::uint8_t[]> batch(
        new (std::nothrow) std::uint8_t[RowStride(session.cinfo.output_width) * BatchRows + RowOffset]);
    std::unique_ptr<std::uint8_t[]> cmykRow;
    if (session.cinfo.out_color_space == JCS_CMYK)
        cmykRow.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(width) * 4]);
    if (!batch || (session.cinfo.out_color_space == JCS_CMYK && !cmykRow))
        return "not enough memory";
    if (!ReadRows(session, rows, batch.get(), cmykRow.get()))
        return Reason(session);
    // Every component must have been in some scan: a file cut between the
    // scans of a multi-scan picture before a component's first one never
    // decoded that component at all.
    const unsigned all = (1u << session.cinfo.num_components) - 1;
    if ((session.scannedComponents & all) != all)
        return Truncated;
    return {};
}

PictureResult DecodeJpeg(std::span<const std::uint8_t> bytes) { return DecodeToBitmap(bytes, DecodeJpegRows); }

} // namespace hg
