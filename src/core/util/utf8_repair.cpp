#include "core/util/utf8_repair.h"

#include <cstdint>

namespace korvan {

namespace {

// A lead byte's sequence: its length and the range its second byte must fall in (the
// narrower ranges exclude overlong forms, surrogates and code points past U+10FFFF).
struct Lead {
    std::uint8_t length;  // 0: no lead byte
    std::uint8_t low;
    std::uint8_t high;
};

constexpr Lead lead_of(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// How many bytes from `at` continue a well-formed sequence (the whole length when
// complete); 0 when text[at] starts none.
std::size_t well_formed_run(std::string_view text, std::size_t at) {
    const Lead lead = lead_of(static_cast<unsigned char>(text[at]));
    if (lead.length == 0) return 0;
    std::size_t n = 1;
    while (n < lead.length && at + n < text.size()) {
        const auto b = static_cast<unsigned char>(text[at + n]);
        const bool fits = n == 1 ? b >= lead.low && b <= lead.high : (b & 0xC0) == 0x80;
        if (!fits) break;
        ++n;
    }
    return n;
}

}  // namespace

std::string_view utf8_prefix(std::string_view text, std::size_t max_bytes) {
    const std::size_t end = max_bytes < text.size() ? max_bytes : text.size();
    // The character the cut falls in starts at most three bytes before it.
    for (std::size_t back = 1; back <= 3 && back <= end; ++back) {
        const std::size_t at = end - back;
        const auto b = static_cast<unsigned char>(text[at]);
        if ((b & 0xC0) == 0x80) continue;
        const Lead lead = lead_of(b);
        // A well-formed start that would run past the cut is one character, left out.
        if (lead.length > back && well_formed_run(text.substr(0, end), at) == back) return text.substr(0, at);
        break;
    }
    return text.substr(0, end);
}

std::string utf8_replace_invalid(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const std::size_t run = well_formed_run(text, i);
        if (run > 0 && run == lead_of(b).length) {
            out.append(text.substr(i, run));
            i += run;
            continue;
        }
        out += "\xEF\xBF\xBD";
        i += run > 0 ? run : 1;
    }
    return out;
}

}  // namespace korvan
