#pragma once
// Buffered reading of a picture file for the decoders: the file is read in
// pieces of 1 MiB, so decoding needs the bitmap and this buffer, not a copy of
// the whole file.
#include "platform/FileSystem.h"

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace hg {

class BufferedReader {
public:
    static constexpr std::size_t BufferBytes = 1 << 20;

    explicit BufferedReader(IReadStream& stream) : stream_(stream) {}

    // False when the buffer cannot be allocated.
    bool Ready() {
        if (!buffer_)
            buffer_.reset(new (std::nothrow) std::uint8_t[BufferBytes]);
        return buffer_ != nullptr;
    }
    // Refills the buffer; false at the end of the file or on a read error.
    bool Fill() {
        position_ = 0;
        length_ = stream_.Read(buffer_.get(), BufferBytes);
        return length_ > 0;
    }
    const std::uint8_t* Data() const { return buffer_.get() + position_; }
    std::size_t Available() const { return length_ - position_; }
    void Consume(std::size_t n) { position_ += n; }

    // Copies exactly n bytes; false when the file ends first.
    bool Read(std::uint8_t* out, std::size_t n) {
        while (n > 0) {
            if (Available() == 0 && !Fill())
                return false;
            const std::size_t chunk = std::min(n, Available());
            std::memcpy(out, Data(), chunk);
            Consume(chunk);
            out += chunk;
            n -= chunk;
        }
        return true;
    }
    bool Failed() const { return stream_.Failed(); }

private:
    IReadStream& stream_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t position_ = 0;
    std::size_t length_ = 0;
};

// The first bytes of a stream, which is then back at its start.
inline std::size_t PeekStart(IReadStream& stream, std::uint8_t* out, std::size_t n) {
    const std::size_t got = stream.Read(out, n);
    stream.Rewind();
    return got;
}

// The whole stream, at most maxBytes; nullopt when it is longer, cannot be
// read or memory is short.
inline std::optional<std::vector<std::uint8_t>> ReadWhole(IReadStream& stream, std::size_t maxBytes) {
    std::vector<std::uint8_t> bytes;
    try {
        constexpr std::size_t Piece = 1 << 20;
        for (;;) {
            const std::size_t used = bytes.size();
            if (used > maxBytes)
                return std::nullopt;
            bytes.resize(used + Piece);
            const std::size_t n = stream.Read(bytes.data() + used, Piece);
            bytes.resize(used + n);
            if (n < Piece)
                break;
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (stream.Failed() || bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

} // namespace hg
