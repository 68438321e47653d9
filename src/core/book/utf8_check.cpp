#include "core/book/utf8_check.h"

#include <cstdint>
#include <cstring>

namespace korvan {

namespace {

bool is_continuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

bool is_valid_utf8(std::string_view text) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        // Most book texts are ASCII: eight bytes at a time while they are.
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
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high) return false;
        for (std::ptrdiff_t i = 2; i < length; ++i)
            if (!is_continuation(p[i])) return false;
        p += length;
    }
    return true;
}

}  // namespace korvan
