#pragma once
// The three-byte characters of Japanese record texts (kanji, kana and the full-width
// forms) as numbers, and the digits written in them.

#include <cstdint>
#include <string_view>

namespace korvan {

constexpr std::size_t KANJI_BYTES = 3;  // every kanji, kana and full-width form these formats use

// A three-byte character as one number, so that names compare without a call.
constexpr std::uint32_t char3(std::string_view c) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 8 | static_cast<unsigned char>(c[2]);
}
// The first three bytes of the text as char3 gives them, or 0 when it is shorter.
constexpr std::uint32_t char3_at(std::string_view text) { return text.size() < KANJI_BYTES ? 0 : char3(text); }

// The value 0..9 of a full-width digit "０".."９" at the start of the text, or -1.
inline int full_width_digit_at(std::string_view text) {
    if (text.size() < 3 || text[0] != '\xEF' || text[1] != '\xBC') return -1;
    const auto b = static_cast<unsigned char>(text[2]);
    return b >= 0x90 && b <= 0x99 ? b - 0x90 : -1;
}

// The value 1..9 of a kanji numeral "一".."九" at the start of the text, or 0.
constexpr int kanji_digit_at(std::string_view text) {
    switch (char3_at(text)) {
        case char3("一"): return 1;
        case char3("二"): return 2;
        case char3("三"): return 3;
        case char3("四"): return 4;
        case char3("五"): return 5;
        case char3("六"): return 6;
        case char3("七"): return 7;
        case char3("八"): return 8;
        case char3("九"): return 9;
        default: return 0;
    }
}

}  // namespace korvan
