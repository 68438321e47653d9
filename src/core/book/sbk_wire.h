#pragma once
// The protocol-buffer wire format as SBK books use it: varints of up to ten bytes,
// field keys, skipping by wire type and UTF-8 texts. Two readers share one set of
// rules: `WireReader` over bytes in memory (a state payload, a message inside it) and
// `WireStream`, the buffered scan of a whole file that seeks over what it does not
// need. Every failure is a `BookError` with the texts below.
//
// A varint's tenth byte must end it and gives only its lowest bit (bit 63); a key
// above 0x7ffffffff names a field past 32 bits; field 0 does not exist. Wire types 3,
// 4, 6 and 7 are refused only when a field of that type has to be skipped.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/book/book_error.h"
#include "core/book/source.h"
#include "core/containers/byte_io.h"
#include "core/util/expected.h"

namespace korvan {

enum class WireType : std::uint8_t { Varint = 0, Fixed64 = 1, Length = 2, Fixed32 = 5 };

struct WireKey {
    std::uint32_t field = 0;
    std::uint8_t type = 0;  // any of 0..7; WireType names the ones that can be read

    bool is(std::uint32_t f, WireType t) const { return field == f && type == static_cast<std::uint8_t>(t); }
};

namespace wire_text {
constexpr std::string_view TRUNCATED = "truncated protobuf";
constexpr std::string_view VARINT_TOO_LONG = "protobuf varint is too long";
constexpr std::string_view FIELD_TOO_LARGE = "field too large";
constexpr std::string_view FIELD_ZERO = "protobuf field number must be non-zero";
constexpr std::string_view UNSUPPORTED_TYPE = "unsupported protobuf wire type";
constexpr std::string_view LENGTH_OVERFLOW = "protobuf length overflow";
constexpr std::string_view TRUNCATED_FIELD = "truncated length-delimited field";
constexpr std::string_view NOT_UTF8 = "protobuf string is not UTF-8";
constexpr std::string_view LENGTH_TOO_LARGE = "protobuf length is too large";
constexpr std::string_view POSITION_OVERFLOW = "protobuf position overflow";
}  // namespace wire_text

// The core of both readers: one varint from the bytes at hand.
struct VarintStep {
    enum class Outcome : std::uint8_t { Done, Cut, TooLong };
    Outcome outcome = Outcome::Done;
    std::uint64_t value = 0;
    unsigned length = 0;  // bytes used (Done)
};
VarintStep wire_decode_varint(const std::uint8_t* p, const std::uint8_t* end);

Expected<WireKey, BookError> wire_key(std::uint64_t raw);

// The value bytes a fixed-width field takes (8 or 4), or the unsupported-type error for
// 3, 4, 6 and 7. Not for Varint and Length, whose widths are read.
Expected<std::uint64_t, BookError> wire_fixed_width(std::uint8_t type);

// `position + length`, refused when it overflows or passes `end` (with `past_end`).
Expected<std::uint64_t, BookError> wire_advance(std::uint64_t position, std::uint64_t length, std::uint64_t end,
                                                std::string_view past_end);

// An int32 field keeps the low 32 bits of its varint; an int64 field all 64.
constexpr std::int32_t wire_int32(std::uint64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }
constexpr std::int64_t wire_int64(std::uint64_t v) { return static_cast<std::int64_t>(v); }

// A message in memory; nothing is read past its end.
class WireReader {
public:
    explicit WireReader(ByteSpan bytes) : bytes_(bytes) {}

    bool at_end() const { return position_ == bytes_.size(); }
    std::uint64_t position() const { return position_; }

    Expected<std::uint64_t, BookError> varint();
    Expected<WireKey, BookError> key();
    // A length-delimited value: its bytes (a nested message, a text).
    Expected<ByteSpan, BookError> bytes();
    Expected<std::string_view, BookError> text();
    Expected<Ok, BookError> skip(std::uint8_t type);

private:
    ByteSpan bytes_;
    std::size_t position_ = 0;
};

// A whole source read forward through an 8192-byte buffer; a skip longer than what is
// buffered moves the read position without reading. Positions count from the start of
// the source.
class WireStream {
public:
    static constexpr std::size_t BUFFER_SIZE = 8192;

    explicit WireStream(BookSource& source);

    std::uint64_t position() const { return position_; }
    std::uint64_t size() const { return size_; }

    // The end of the source inside a varint is "truncated protobuf".
    Expected<std::uint64_t, BookError> varint();
    Expected<WireKey, BookError> key();
    // Moves `distance` bytes on; a distance no signed 64-bit seek can take is refused.
    // The caller has checked where it lands.
    Expected<Ok, BookError> skip(std::uint64_t distance);
    // Reads `length` bytes (already known to lie inside the source) as a UTF-8 text; a
    // source that ends before them is an Io error.
    Expected<std::string, BookError> text(std::uint64_t length);

private:
    // Makes at least `want` bytes available, fewer only where the source ends.
    Expected<Ok, BookError> fill(std::size_t want);
    std::size_t buffered() const { return end_ - start_; }

    BookSource* source_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;  // of buffer_[start_]
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    std::uint8_t buffer_[BUFFER_SIZE];
};

// The Io error of a source that ends before bytes its size promised.
BookError wire_short_read();

}  // namespace korvan
