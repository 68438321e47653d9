#include "core/util/utf8_check.h"

#include <cstring>

namespace korvan {

namespace {

bool is_continuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::optional<Utf8Error> utf8_error(std::string_view text) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto* end = begin + text.size();
    const auto* p = begin;
    while (p < end) {
        // Most texts read from files are ASCII: eight bytes at a time while they are.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                p += 8;
                continue;
            }
        }
        const std::uint8_t b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        const auto fault = [&](std::optional<std::uint8_t> length) {
            return Utf8Error{static_cast<std::size_t>(p - begin), length};
        };
        std::ptrdiff_t length;
        std::uint8_t low = 0x80, high = 0xBF;  // the second byte's range
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0) low = 0xA0;   // overlong
            if (b == 0xED) high = 0x9F;  // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0) low = 0x90;   // overlong
            if (b == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            return fault(1);
        }
        // The maximal invalid part is the lead and the bytes that could still have
        // continued it; the end of the text inside it leaves the sequence incomplete.
        if (end - p < 2) return fault(std::nullopt);
        if (p[1] < low || p[1] > high) return fault(1);
        for (std::ptrdiff_t i = 2; i < length; ++i) {
            if (end - p <= i) return fault(std::nullopt);
            if (!is_continuation(p[i])) return fault(static_cast<std::uint8_t>(i));
        }
        p += length;
    }
    return std::nullopt;
}

std::string utf8_error_display(const Utf8Error& e) {
    if (!e.error_length) return "incomplete utf-8 byte sequence from index " + std::to_string(e.valid_up_to);
    return "invalid utf-8 sequence of " + std::to_string(*e.error_length) + " bytes from index " +
           std::to_string(e.valid_up_to);
}

}  // namespace korvan
