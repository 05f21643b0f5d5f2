// PNG through libpng. libpng reports errors by long-jumping to the last
// setjmp: every function that calls setjmp below holds only trivially
// destructible locals, and all C++ objects live in the callers.
#include "color/Decoders.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hg {

namespace {

// No chunk this decoder keeps (palette, transparency, picture data) needs
// more than this; libpng also bounds each picture-data chunk by the size of
// the picture its header gives, whichever is larger.
constexpr png_alloc_size_t PngChunkLimit = png_alloc_size_t{8} << 20;
// All that libpng itself may hold at once: its row buffers (for a row of the
// widest picture at 16 bits a sample, about 1 MiB), zlib's state and the
// tables of the compositing. The decoder's own buffers are counted against
// DecodeMemoryBudget.
constexpr std::size_t PngLibraryLimit = std::size_t{32} << 20;
// Ancillary chunks skipped without a look (all of them are), up to this many
// text, palette-suggestion or unknown chunks that libpng would still cache.
constexpr png_uint_32 PngChunkCacheLimit = 64;

thread_local PngMemoryUse lastMemoryUse;

// libpng's allocations, counted: every block carries its size in front.
struct PngHeap {
    std::size_t held = 0;
    PngMemoryUse use;
    ~PngHeap() { lastMemoryUse = use; }
};

constexpr std::size_t HeapHeader = alignof(std::max_align_t);

png_voidp Allocate(png_structp png, png_alloc_size_t size) {
    auto* heap = static_cast<PngHeap*>(png_get_mem_ptr(png));
    heap->use.largestRequest = std::max<std::size_t>(heap->use.largestRequest, size);
    if (size > PngLibraryLimit - heap->held)
        return nullptr; // libpng reports it as "insufficient memory", or skips the chunk
    auto* block = static_cast<unsigned char*>(std::malloc(HeapHeader + size));
    if (!block)
        return nullptr;
    std::memcpy(block, &size, sizeof size);
    heap->held += size;
    heap->use.peak = std::max(heap->use.peak, heap->held);
    return block + HeapHeader;
}

void Release(png_structp png, png_voidp pointer) {
    if (!pointer)
        return;
    auto* heap = static_cast<PngHeap*>(png_get_mem_ptr(png));
    auto* block = static_cast<unsigned char*>(pointer) - HeapHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    heap->held -= size;
    std::free(block);
}

struct PngSession {
    explicit PngSession(PngHeap& h) : heap(h) {}
    PngHeap& heap;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
    char message[200] = {};
    png_uint_32 width = 0, height = 0;
    int passes = 1;
    bool loose = false; // passes read as they are stored, for RowConsumer::Pixels
    std::size_t fileRowBytes = 0; // a row as the file stores it, before any conversion
    // Rows arrive as blue, green, red, alpha and are composited here.
    bool compositeRows = false;

    ~PngSession() {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void OnError(png_structp png, png_const_charp text) {
    auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
    std::strncpy(session->message, text ? text : "damaged data", sizeof session->message - 1);
    png_longjmp(png, 1);
}

// Warnings (a bad checksum in an optional chunk, a duplicate one) leave a
// usable picture and are not worth a word. One is not: libpng only warns
// when a chunk's length is beyond its limit, and then goes on to read it. A
// critical chunk that long is refused here, before anything is read or
// allocated for it; an ancillary one is skipped unread (see ReadHeader).
void OnWarning(png_structp png, png_const_charp text) {
    // The ancillary bit is bit 5 of the type's first letter (lower case).
    const bool critical = (png_get_io_chunk_type(png) & 0x20000000u) == 0;
    // The text is the chunk's name, a colon and libpng's words.
    if (text && std::string_view(text).ends_with("chunk data is too large") && critical)
        png_error(png, "a chunk claims more memory than a picture may take");
}

void ReadFromStream(png_structp png, png_bytep out, png_size_t count) {
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    if (count > session->bytes.size() - session->position)
        png_error(png, "the PNG picture is truncated");
    std::memcpy(out, session->bytes.data() + session->position, count);
    session->position += count;
}

// With loosePixels an interlaced picture is read pass by pass, as its
// passes store it, instead of row by row.
bool ReadHeader(PngSession& s, bool loosePixels) {
    s.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning, &s.heap, Allocate, Release);
    if (!s.png)
        return false;
    s.info = png_create_info_struct(s.png);
    if (!s.info)
        return false;
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_set_read_fn(s.png, &s, ReadFromStream);
    png_set_sig_bytes(s.png, 8); // checked by the caller
    png_set_user_limits(s.png, MaxPictureSide, MaxPictureSide);
    png_set_chunk_malloc_max(s.png, PngChunkLimit);
    png_set_chunk_cache_max(s.png, PngChunkCacheLimit);
    // Only the header, palette, transparency and picture data are read. Every
    // other chunk (text, colour profile, colour space, unknown ones) is
    // skipped unread, so nothing is allocated for what it claims to hold.
    // Samples are used as stored, as the colour analysis of every other kind
    // of picture does: with the colour-space chunks skipped libpng applies no
    // gamma (also not while compositing).
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(s.png, s.info);
    s.fileRowBytes = png_get_rowbytes(s.png, s.info);

    const int colorType = png_get_color_type(s.png, s.info);
    const int depth = png_get_bit_depth(s.png, s.info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(s.png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(s.png);
    if (png_get_valid(s.png, s.info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(s.png);
    if (depth == 16)
        png_set_scale_16(s.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(s.png);
    // Transparency is composited over white: c * a + 255 * (255 - a),
    // divided by 255 and rounded. For 8-bit rows read one at a time this
    // program blends each row as it arrives, in a loop the compiler
    // vectorises; interlaced pictures (whose passes revisit rows) and 16-bit
    // samples (blended at full precision before scaling) are left to libpng.
    if (png_get_valid(s.png, s.info, PNG_INFO_tRNS) || (colorType & PNG_COLOR_MASK_ALPHA) != 0) {
        if (depth <= 8 && png_get_interlace_type(s.png, s.info) == PNG_INTERLACE_NONE) {
            s.compositeRows = true;
        } else {
            png_color_16 white{};
            white.red = white.green = white.blue = white.gray = 0xFF; // in the output depth
            white.index = 0;
            png_set_background_fixed(s.png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, PNG_FP_1);
        }
    }
    png_set_bgr(s.png);
    s.loose = loosePixels && png_get_interlace_type(s.png, s.info) != PNG_INTERLACE_NONE;
    s.passes = s.loose ? PNG_INTERLACE_ADAM7_PASSES : png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    s.width = png_get_image_width(s.png, s.info);
    s.height = png_get_image_height(s.png, s.info);
    return png_get_channels(s.png, s.info) == (s.compositeRows ? 4 : 3) && png_get_bit_depth(s.png, s.info) == 8;
}

// One row of blue, green, red, alpha onto white, into blue, green, red.
void CompositeOverWhite(const std::uint8_t* in, std::uint8_t* out, png_uint_32 width) {
    for (png_uint_32 x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned alpha = in[3];
        const unsigned white = 255u * (255u - alpha) + 128u;
        for (int c = 0; c < 3; ++c) {
            const unsigned t = in[c] * alpha + white;
            out[c] = static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
        }
    }
}

// Rows that no one wants are still decoded (every row of a PNG depends on
// the one before) but not composited. Non-interlaced rows go to the consumer
// as they arrive. The passes of an interlaced picture fill in each row in
// turn, so the wanted rows are kept (in `kept`, by `keptIndex`) until the last
// pass (or, for a consumer of loose pixels, each pass is handed on as it is
// read). rgbaRow holds a row of four bytes a pixel for compositing, scratch one
// of three.
struct PngBuffers {
    std::uint8_t* scratch;
    std::uint8_t* rgbaRow;
    std::uint8_t* kept;
    const int* keptIndex;
    std::size_t keptStride;
};

bool ReadRows(PngSession& s, RowConsumer& rows, const PngBuffers& b) {
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    const auto height = static_cast<int>(s.height);
    if (s.loose) {
        // Each pass holds every so-many pixel of every so-many row; libpng
        // passes over empty ones itself.
        for (int pass = 0; pass < s.passes; ++pass) {
            const png_uint_32 columns = PNG_PASS_COLS(s.width, pass), passRows = PNG_PASS_ROWS(s.height, pass);
            if (columns == 0 || passRows == 0)
                continue;
            for (png_uint_32 r = 0; r < passRows; ++r) {
                png_read_row(s.png, b.scratch, nullptr);
                rows.Pixels(b.scratch, static_cast<int>(columns));
                const png_uint_32 y = PNG_PASS_START_ROW(pass) + (r << PNG_PASS_ROW_SHIFT(pass));
                if (y != 0 && y != s.height - 1)
                    continue;
                for (const png_uint_32 x : {png_uint_32{0}, s.width - 1})
                    if (x >= PNG_PASS_START_COL(pass) && ((x - PNG_PASS_START_COL(pass)) & ((1u << PNG_PASS_COL_SHIFT(pass)) - 1)) == 0)
                        rows.Corner(static_cast<int>(x), static_cast<int>(y),
                                    b.scratch + 3 * ((x - PNG_PASS_START_COL(pass)) >> PNG_PASS_COL_SHIFT(pass)));
            }
        }
        return true;
    }
    if (s.passes == 1) {
        for (int y = 0; y < height; ++y) {
            if (!rows.Wants(y)) {
                png_read_row(s.png, s.compositeRows ? b.rgbaRow : b.scratch, nullptr);
                continue;
            }
            std::uint8_t* target = rows.RowTarget(y);
            if (!target)
                target = b.scratch;
            if (s.compositeRows) {
                png_read_row(s.png, b.rgbaRow, nullptr);
                CompositeOverWhite(b.rgbaRow, target, s.width);
            } else {
                png_read_row(s.png, target, nullptr);
            }
            rows.Row(y, target);
        }
        return true;
    }
    const auto keptRow = [&](int y) -> std::uint8_t* {
        if (!rows.Wants(y))
            return b.scratch;
        std::uint8_t* target = rows.RowTarget(y);
        return target ? target : b.kept + static_cast<std::size_t>(b.keptIndex[y]) * b.keptStride;
    };
    for (int pass = 0; pass < s.passes; ++pass)
        for (int y = 0; y < height; ++y)
            png_read_row(s.png, keptRow(y), nullptr);
    for (int y = 0; y < height; ++y)
        if (rows.Wants(y))
            rows.Row(y, keptRow(y));
    return true;
}

} // namespace

std::string DecodePngRows(std::span<const std::uint8_t> bytes, RowConsumer& rows) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        return "not a PNG picture";
    PngHeap heap; // outlives the session, whose end frees libpng's blocks
    PngSession session(heap);
    session.bytes = bytes;
    session.position = 8;
    if (!ReadHeader(session, rows.TakesLoosePixels()))
        return std::string("not a readable PNG picture: ") +
               (session.message[0] ? session.message : "unsupported pixel format");
    if (std::string tooLarge = CheckPictureSize(session.width, session.height); !tooLarge.empty())
        return tooLarge;
    const int width = static_cast<int>(session.width);
    const int height = static_cast<int>(session.height);
    // Deflate packs at most 1032 bytes into one, so compressed data this short
    // cannot hold a picture this large, whatever its header claims.
    if (std::uint64_t{session.fileRowBytes + 1} * session.height > std::uint64_t{bytes.size()} * 1032)
        return "the PNG picture is truncated: " + std::to_string(bytes.size()) +
               " bytes cannot hold a picture of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels";
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::size_t keptRows = 0;
    std::vector<int> keptIndex;
    if (session.passes > 1 && !session.loose)
        keptIndex.assign(static_cast<std::size_t>(height), -1);
    const std::size_t held = rows.MemoryFor(width, height) + static_cast<std::size_t>(width) * 7;
    if (held >= DecodeMemoryBudget)
        return "the picture is too large for the memory a picture may take";
    if (std::string refused = rows.Begin(width, height); !refused.empty())
        return refused;
    if (session.passes > 1 && !session.loose && !rows.RowTarget(0)) {
        for (int y = 0; y < height; ++y)
            if (rows.Wants(y))
                keptIndex[static_cast<std::size_t>(y)] = static_cast<int>(keptRows++);
        if (keptRows * rowBytes >= DecodeMemoryBudget - held)
            return "the picture is too large for the memory a picture may take";
    }
    std::unique_ptr<std::uint8_t[]> scratch(new (std::nothrow) std::uint8_t[rowBytes]);
    std::unique_ptr<std::uint8_t[]> rgbaRow(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(width) * 4]);
    std::unique_ptr<std::uint8_t[]> kept;
    if (keptRows > 0)
        kept.reset(new (std::nothrow) std::uint8_t[keptRows * rowBytes]);
    if (!scratch || !rgbaRow || (keptRows > 0 && !kept))
        return "not enough memory";
    if (!ReadRows(session, rows, {scratch.get(), rgbaRow.get(), kept.get(), keptIndex.data(), rowBytes}))
        return std::string("not a readable PNG picture: ") + session.message;
    return {};
}

PictureResult DecodePng(std::span<const std::uint8_t> bytes) { return DecodeToBitmap(bytes, DecodePngRows); }

PngMemoryUse LastPngMemoryUse() { return lastMemoryUse; }

} // namespace hg
