#pragma once
// What a record file's bytes say of their own encoding before any of them is decoded,
// and the line ends of text-mode reading, for the file readers that choose an encoding
// themselves.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvan {

// The first line a format declares its encoding on.
enum class EncodingLine : std::uint8_t {
    None,
    Kif,  // KIF and KI2: "#KIF version=2.0 encoding=UTF-8"
    Csa,  // CSA V3.0: "'CSA encoding=SHIFT_JIS"
};

// "utf-8" after a UTF-8 byte-order mark; otherwise the name the format's first line
// declares (up to the first blank or the line's end), as written; empty when the bytes
// name none. The name is a codec's for the caller to look up.
std::string_view declared_encoding(std::string_view bytes, EncodingLine line);

// Every "\r\n" and then every lone "\r" made "\n", as text-mode reading makes them.
void translate_newlines(std::string& text);

}  // namespace korvan
