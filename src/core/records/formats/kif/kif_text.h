#pragma once
// Text handling shared by the KIF and KI2 readers: the lines of a record text and the
// few character tests their rules are written in.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

// The lines of a record text: "\r\n" and then a lone "\r" read as "\n", the text is cut
// at every "\n" (what follows the last one is a line too, even when empty), and every
// U+FEFF that opens the first line is dropped. The views point into the text, or into
// this object's own copy when the text held a carriage return, so it neither moves nor
// copies.
class RecordLines {
public:
    explicit RecordLines(std::string_view text);
    RecordLines(const RecordLines&) = delete;
    RecordLines& operator=(const RecordLines&) = delete;

    std::size_t size() const { return lines_.size(); }
    std::string_view operator[](std::size_t i) const { return lines_[i]; }

private:
    std::string storage_;
    std::vector<std::string_view> lines_;
};

// Every white-space character past ASCII begins with one of these lead bytes (U+0085,
// U+00A0; U+1680; U+2000..U+205F; U+3000), so a character that begins with any other
// byte is no white space and needs no decoding.
constexpr bool may_be_space(unsigned char lead) {
    return lead <= 0x20 || lead == 0xC2 || lead == 0xE1 || lead == 0xE2 || lead == 0xE3;
}

std::size_t space_at_slow(std::string_view text);
// The byte length of the white-space character at the start of the text, or 0.
inline std::size_t space_at(std::string_view text) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead == ' ') return 1;
    return may_be_space(lead) ? space_at_slow(text) : 0;
}

// Unicode white space (U+3000 included) removed from both ends; the same result as
// trim_whitespace, reached without decoding the middle of the line.
std::string_view trim_line(std::string_view text);

constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// The value 0..9 of a full-width digit "０".."９" at the start of the text, or -1.
inline int full_width_digit_at(std::string_view text) {
    if (text.size() < 3 || text[0] != '\xEF' || text[1] != '\xBC') return -1;
    const auto b = static_cast<unsigned char>(text[2]);
    return b >= 0x90 && b <= 0x99 ? b - 0x90 : -1;
}

constexpr std::size_t KANJI_BYTES = 3;  // every kanji, kana and full-width form these formats use

// A three-byte character as one number, so that names compare without a call.
constexpr std::uint32_t char3(std::string_view c) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 8 | static_cast<unsigned char>(c[2]);
}
// The first three bytes of the text as char3 gives them, or 0 when it is shorter.
constexpr std::uint32_t char3_at(std::string_view text) { return text.size() < KANJI_BYTES ? 0 : char3(text); }

// The value 1..9 of a kanji numeral "一".."九" at the start of the text, or 0.
int kanji_digit_at(std::string_view text);

// The first place of a word in a text, or npos. Most characters of these texts share
// their lead byte with the words searched for, so the next two bytes are compared in
// line before anything else.
inline std::size_t find_word(std::string_view text, std::string_view word) {
    if (word.size() < 3) return text.find(word);
    if (word.size() > text.size()) return std::string_view::npos;
    const std::size_t last = text.size() - word.size();
    for (std::size_t i = 0; i <= last;) {
        const void* hit = std::memchr(text.data() + i, word[0], last + 1 - i);
        if (!hit) break;
        i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (text[i + 1] == word[1] && text[i + 2] == word[2] && text.substr(i + 3, word.size() - 3) == word.substr(3))
            return i;
        ++i;
    }
    return std::string_view::npos;
}
inline bool contains_word(std::string_view text, std::string_view word) {
    return find_word(text, word) != std::string_view::npos;
}

}  // namespace korvan
