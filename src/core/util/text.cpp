#include "core/util/text.h"

#include <cstdio>

namespace korvan {

char32_t utf8_next_multibyte(std::string_view text, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    int len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + len > text.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (int i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return 0xFFFD;
    }
    pos += len;
    return cp;
}

void utf8_append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string utf8_encode(char32_t cp) {
    std::string s;
    utf8_append(s, cp);
    return s;
}

std::size_t utf8_count(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < text.size(); ++n) utf8_next(text, pos);
    return n;
}

bool is_unicode_whitespace_slow(char32_t cp) {
    switch (cp) {
        case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
            return true;
        default:
            return cp >= 0x2000 && cp <= 0x200A;
    }
}

std::vector<std::string_view> split_whitespace(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    std::size_t start = std::string_view::npos;
    while (pos < text.size()) {
        const std::size_t here = pos;
        const char32_t cp = utf8_next(text, pos);
        if (is_unicode_whitespace(cp)) {
            if (start != std::string_view::npos) {
                tokens.push_back(text.substr(start, here - start));
                start = std::string_view::npos;
            }
        } else if (start == std::string_view::npos) {
            start = here;
        }
    }
    if (start != std::string_view::npos) tokens.push_back(text.substr(start));
    return tokens;
}

std::string_view trim_whitespace(std::string_view text) {
    std::size_t begin = text.size();
    std::size_t end = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t here = pos;
        if (!is_unicode_whitespace(utf8_next(text, pos))) {
            if (begin == text.size()) begin = here;
            end = pos;
        }
    }
    if (begin >= end) return {};
    return text.substr(begin, end - begin);
}

std::size_t space_at_slow(std::string_view text) {
    std::size_t next = 0;
    return is_unicode_whitespace(utf8_next(text, next)) ? next : 0;
}

std::string_view trim_line_slow(std::string_view text) {
    std::size_t begin = 0;
    // ASCII blanks (the indent of a numbered move line) need no decoding.
    while (begin < text.size() && text[begin] == ' ') ++begin;
    while (begin < text.size() && may_be_space(static_cast<unsigned char>(text[begin]))) {
        std::size_t next = begin;
        if (!is_unicode_whitespace(utf8_next(text, next))) break;
        begin = next;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // The last character: step back over continuation bytes to a lead byte and
        // accept it only when it decodes to exactly the bytes up to the end.
        std::size_t lead = end - 1;
        while (lead > begin && end - lead < 4 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80) --lead;
        if (!may_be_space(static_cast<unsigned char>(text[lead]))) break;
        std::size_t next = lead;
        const char32_t cp = utf8_next(text, next);
        if (next != end || !is_unicode_whitespace(cp)) break;
        end = lead;
    }
    return text.substr(begin, end - begin);
}

namespace {

void append_escaped(std::string& out, char32_t cp, char32_t quote) {
    switch (cp) {
        case U'\t': out += "\\t"; return;
        case U'\r': out += "\\r"; return;
        case U'\n': out += "\\n"; return;
        case U'\\': out += "\\\\"; return;
        case U'\0': out += "\\0"; return;
        default: break;
    }
    if (cp == quote) {
        out.push_back('\\');
        out.push_back(static_cast<char>(cp));
        return;
    }
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp == 0xAD || (cp >= 0x200B && cp <= 0x200F) ||
        (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2060 && cp <= 0x2064) || cp == 0xFEFF) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\u{%x}", static_cast<unsigned>(cp));
        out += buf;
        return;
    }
    utf8_append(out, cp);
}

}  // namespace

std::string debug_char(char32_t cp) {
    std::string out = "'";
    append_escaped(out, cp, U'\'');
    out.push_back('\'');
    return out;
}

std::string debug_str(std::string_view text) {
    std::string out = "\"";
    for (std::size_t pos = 0; pos < text.size();) append_escaped(out, utf8_next(text, pos), U'"');
    out.push_back('"');
    return out;
}

std::string tuple_debug(std::string_view name, std::string_view value) {
    std::string out(name);
    out += '(';
    out += value;
    out += ')';
    return out;
}

std::string tuple_debug(std::string_view name, std::uint64_t value) { return tuple_debug(name, std::to_string(value)); }

std::string struct_debug(std::string_view name, std::initializer_list<DebugField> fields) {
    std::string out(name);
    const char* separator = " { ";
    for (const DebugField& field : fields) {
        out += separator;
        out += field.name;
        out += ": ";
        out += std::to_string(field.value);
        separator = ", ";
    }
    out += " }";
    return out;
}

}  // namespace korvan
