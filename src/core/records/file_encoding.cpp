#include "core/records/file_encoding.h"

#include <cstring>

namespace korvan {

namespace {

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

// The first line, looked for only once the text opens with a declaration: a JKF text
// is one line, as long as the file.
std::string_view first_line(std::string_view bytes) {
    std::size_t end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    return bytes.substr(0, end);
}

std::string_view name_at(std::string_view text) {
    const std::size_t end = text.find_first_of(" \t");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

}  // namespace

std::string_view declared_encoding(std::string_view bytes, EncodingLine line) {
    if (bytes.starts_with(UTF8_BOM)) return "utf-8";
    switch (line) {
        case EncodingLine::None: return {};
        case EncodingLine::Kif: {
            constexpr std::string_view KEY = "encoding=";
            if (!bytes.starts_with("#KIF")) return {};
            const std::string_view first = first_line(bytes);
            const std::size_t at = first.find(KEY);
            return at == std::string_view::npos ? std::string_view{} : name_at(first.substr(at + KEY.size()));
        }
        case EncodingLine::Csa: {
            constexpr std::string_view KEY = "'CSA encoding=";
            return bytes.starts_with(KEY) ? name_at(first_line(bytes).substr(KEY.size())) : std::string_view{};
        }
    }
    return {};
}

void translate_newlines(std::string& text) {
    // Most files end their lines with "\n" alone: nothing to do without a "\r".
    const void* found = std::memchr(text.data(), '\r', text.size());
    if (!found) return;
    std::size_t out = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    for (std::size_t in = out; in < text.size(); ++in) {
        if (text[in] != '\r') {
            text[out++] = text[in];
            continue;
        }
        text[out++] = '\n';
        if (in + 1 < text.size() && text[in + 1] == '\n') ++in;
    }
    text.resize(out);
}

}  // namespace korvan
