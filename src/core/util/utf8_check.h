#pragma once
// Strict UTF-8 validation for texts read from files: shortest forms only, no
// surrogates, nothing above U+10FFFF. The text layer's decoder replaces bad bytes as it
// goes; a file reader has to refuse them instead, and say where.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvan {

// Where a text stops being UTF-8: the count of valid bytes before the fault, and the
// length (1 to 3) of the maximal invalid part there, or none when the text ends inside
// a sequence that could still be completed.
struct Utf8Error {
    std::size_t valid_up_to = 0;
    std::optional<std::uint8_t> error_length;

    bool operator==(const Utf8Error&) const = default;
};

std::optional<Utf8Error> utf8_error(std::string_view text);
inline bool is_valid_utf8(std::string_view text) { return !utf8_error(text); }

// "invalid utf-8 sequence of {n} bytes from index {i}" or "incomplete utf-8 byte
// sequence from index {i}".
std::string utf8_error_display(const Utf8Error& e);

}  // namespace korvan
