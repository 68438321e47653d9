#pragma once
// UTF-8 helpers shared by every text reader: code-point iteration, Unicode white
// space (the set the readers split tokens on and trim their lines of), word search
// and the escaped "debug" quoting that error texts embed.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

char32_t utf8_next_multibyte(std::string_view text, std::size_t& pos);

// Decodes the code point starting at text[pos]; advances pos. Malformed bytes decode
// as U+FFFD one byte at a time so that a reader never stalls or reads past the end.
inline char32_t utf8_next(std::string_view text, std::size_t& pos) {
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b < 0x80) {
        ++pos;
        return b;
    }
    return utf8_next_multibyte(text, pos);
}
void utf8_append(std::string& out, char32_t cp);
std::string utf8_encode(char32_t cp);
std::size_t utf8_count(std::string_view text);

bool is_unicode_whitespace_slow(char32_t cp);
inline bool is_unicode_whitespace(char32_t cp) {
    if (cp <= 0x20) return cp == 0x20 || (cp >= 0x09 && cp <= 0x0D);
    return cp >= 0x85 && is_unicode_whitespace_slow(cp);
}

// Splits at runs of Unicode white space; leading and trailing white space gives no token.
std::vector<std::string_view> split_whitespace(std::string_view text);
// Unicode white space removed from both ends, every character decoded.
std::string_view trim_whitespace(std::string_view text);

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

std::string_view trim_line_slow(std::string_view text);
// What trim_whitespace gives, reached without decoding the middle of the text: the
// trim every record reader applies to its lines. A line that starts and ends in a
// printable ASCII character (never part of a longer code point) is returned at once.
inline std::string_view trim_line(std::string_view text) {
    const auto plain = [](char c) { return c > ' ' && c < 0x7F; };
    if (!text.empty() && plain(text.front()) && plain(text.back())) return text;
    return trim_line_slow(text);
}

constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// The first place of a word in a text, or npos. In Japanese texts most characters
// share their lead byte with the words searched for, so the next two bytes are compared
// in line before anything else.
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

// Debug quoting: a character in single quotes, a text in double quotes, with the
// escapes \t \r \n \\ \' \" \0 and \u{..} for other control characters.
std::string debug_char(char32_t cp);
std::string debug_str(std::string_view text);

// The debug forms of tuple and struct values: "Square(40)", "Sfen(..)",
// "TooManyMoves { len: 1, max: 0 }".
struct DebugField {
    std::string_view name;
    std::uint64_t value;
};
std::string tuple_debug(std::string_view name, std::string_view value);
std::string tuple_debug(std::string_view name, std::uint64_t value);
std::string struct_debug(std::string_view name, std::initializer_list<DebugField> fields);

}  // namespace korvan
