#include "core/book/sbk_wire.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "core/util/utf8_check.h"

namespace korvan {

namespace {

constexpr std::uint64_t MAX_KEY = 0x7ffffffffull;
constexpr unsigned MAX_VARINT_BYTES = 10;

Unexpected<BookError> format_error(std::string_view text) { return unexpected(BookError::invalid_format(text)); }

Expected<std::uint64_t, BookError> varint_result(const VarintStep& step) {
    switch (step.outcome) {
        case VarintStep::Outcome::Done: return step.value;
        case VarintStep::Outcome::Cut: return format_error(wire_text::TRUNCATED);
        case VarintStep::Outcome::TooLong: return format_error(wire_text::VARINT_TOO_LONG);
    }
    return format_error(wire_text::TRUNCATED);
}

}  // namespace

VarintStep wire_decode_varint(const std::uint8_t* p, const std::uint8_t* end) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < MAX_VARINT_BYTES; ++i) {
        if (p + i >= end) return {VarintStep::Outcome::Cut, 0, 0};
        const std::uint8_t b = p[i];
        if (i == MAX_VARINT_BYTES - 1) {
            if (b & 0x80) return {VarintStep::Outcome::TooLong, 0, 0};
            // Only bit 63 is left to fill; the rest of this byte has nowhere to go.
            return {VarintStep::Outcome::Done, value | (std::uint64_t{b} & 1) << 63, MAX_VARINT_BYTES};
        }
        value |= std::uint64_t{b & 0x7Fu} << (7 * i);
        if (!(b & 0x80)) return {VarintStep::Outcome::Done, value, i + 1};
    }
    return {VarintStep::Outcome::TooLong, 0, 0};
}

Expected<WireKey, BookError> wire_key(std::uint64_t raw) {
    if (raw > MAX_KEY) return format_error(wire_text::FIELD_TOO_LARGE);
    if (raw < 8) return format_error(wire_text::FIELD_ZERO);
    return WireKey{static_cast<std::uint32_t>(raw >> 3), static_cast<std::uint8_t>(raw & 7)};
}

Expected<std::uint64_t, BookError> wire_fixed_width(std::uint8_t type) {
    if (type == static_cast<std::uint8_t>(WireType::Fixed64)) return std::uint64_t{8};
    if (type == static_cast<std::uint8_t>(WireType::Fixed32)) return std::uint64_t{4};
    return unexpected(BookError::unsupported_feature(wire_text::UNSUPPORTED_TYPE));
}

Expected<std::uint64_t, BookError> wire_advance(std::uint64_t position, std::uint64_t length, std::uint64_t end,
                                                std::string_view past_end) {
    if (length > std::numeric_limits<std::uint64_t>::max() - position) return format_error(wire_text::LENGTH_OVERFLOW);
    if (position + length > end) return format_error(past_end);
    return position + length;
}

BookError wire_short_read() { return BookError::of_io(IoError{ENODATA, IoStep::Read}); }

// ---- in memory

Expected<std::uint64_t, BookError> WireReader::varint() {
    const VarintStep step = wire_decode_varint(bytes_.data() + position_, bytes_.data() + bytes_.size());
    if (step.outcome == VarintStep::Outcome::Done) position_ += step.length;
    return varint_result(step);
}

Expected<WireKey, BookError> WireReader::key() {
    auto raw = varint();
    if (!raw) return unexpected(raw.error());
    return wire_key(*raw);
}

Expected<ByteSpan, BookError> WireReader::bytes() {
    auto length = varint();
    if (!length) return unexpected(length.error());
    auto end = wire_advance(position_, *length, bytes_.size(), wire_text::TRUNCATED_FIELD);
    if (!end) return unexpected(end.error());
    const ByteSpan out = bytes_.subspan(position_, *end - position_);
    position_ = *end;
    return out;
}

Expected<std::string_view, BookError> WireReader::text() {
    auto raw = bytes();
    if (!raw) return unexpected(raw.error());
    const std::string_view out(reinterpret_cast<const char*>(raw->data()), raw->size());
    if (!is_valid_utf8(out)) return format_error(wire_text::NOT_UTF8);
    return out;
}

Expected<Ok, BookError> WireReader::skip(std::uint8_t type) {
    if (type == static_cast<std::uint8_t>(WireType::Varint)) {
        auto v = varint();
        if (!v) return unexpected(v.error());
        return Ok{};
    }
    if (type == static_cast<std::uint8_t>(WireType::Length)) {
        auto b = bytes();
        if (!b) return unexpected(b.error());
        return Ok{};
    }
    auto width = wire_fixed_width(type);
    if (!width) return unexpected(width.error());
    auto end = wire_advance(position_, *width, bytes_.size(), wire_text::TRUNCATED_FIELD);
    if (!end) return unexpected(end.error());
    position_ = *end;
    return Ok{};
}

// ---- buffered file scan

WireStream::WireStream(BookSource& source) : source_(&source), size_(source.size()) {}

Expected<Ok, BookError> WireStream::fill(std::size_t want) {
    if (buffered() >= want) return Ok{};
    std::memmove(buffer_, buffer_ + start_, buffered());
    end_ -= start_;
    start_ = 0;
    while (end_ < want) {
        const std::uint64_t next = position_ + end_;
        if (next >= size_) break;
        auto got = source_->read_at(next, std::span<std::uint8_t>(buffer_ + end_, BUFFER_SIZE - end_));
        if (!got) return unexpected(got.error());
        if (*got == 0) break;
        end_ += *got;
    }
    return Ok{};
}

Expected<std::uint64_t, BookError> WireStream::varint() {
    auto filled = fill(MAX_VARINT_BYTES);
    if (!filled) return unexpected(filled.error());
    const VarintStep step = wire_decode_varint(buffer_ + start_, buffer_ + end_);
    if (step.outcome == VarintStep::Outcome::Done) {
        start_ += step.length;
        position_ += step.length;
    }
    return varint_result(step);
}

Expected<WireKey, BookError> WireStream::key() {
    if (position_ == std::numeric_limits<std::uint64_t>::max()) return format_error(wire_text::POSITION_OVERFLOW);
    auto raw = varint();
    if (!raw) return unexpected(raw.error());
    return wire_key(*raw);
}

Expected<Ok, BookError> WireStream::skip(std::uint64_t distance) {
    if (distance > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return format_error(wire_text::LENGTH_TOO_LARGE);
    if (distance > std::numeric_limits<std::uint64_t>::max() - position_)
        return format_error(wire_text::POSITION_OVERFLOW);
    if (distance <= buffered()) {
        start_ += distance;
    } else {
        start_ = end_ = 0;
    }
    position_ += distance;
    return Ok{};
}

Expected<std::string, BookError> WireStream::text(std::uint64_t length) {
    std::string out;
    // Grown as bytes arrive, so a file that shrank since its size was taken costs no
    // more than it still holds.
    constexpr std::size_t CHUNK = std::size_t{1} << 20;
    const std::size_t from_buffer = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffered()));
    out.append(reinterpret_cast<const char*>(buffer_ + start_), from_buffer);
    start_ += from_buffer;
    position_ += from_buffer;
    while (out.size() < length) {
        const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(length - out.size(), CHUNK));
        const std::size_t at = out.size();
        out.resize(at + part);
        auto got = source_->read_at(position_, std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(out.data() + at), part));
        if (!got) return unexpected(got.error());
        if (*got < part) return unexpected(wire_short_read());
        position_ += part;
        start_ = end_ = 0;
    }
    if (!is_valid_utf8(out)) return format_error(wire_text::NOT_UTF8);
    return out;
}

}  // namespace korvan
