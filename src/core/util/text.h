#pragma once
// UTF-8 helpers shared by every text reader: code-point iteration, Unicode white
// space (the set the readers split tokens on) and the escaped "debug" quoting that
// error texts embed.

#include <cstdint>
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
std::string_view trim_whitespace(std::string_view text);

// Debug quoting: a character in single quotes, a text in double quotes, with the
// escapes \t \r \n \\ \' \" \0 and \u{..} for other control characters.
std::string debug_char(char32_t cp);
std::string debug_str(std::string_view text);

}  // namespace korvan
