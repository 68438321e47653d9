#include "core/types/square.h"

#include "core/util/utf8_repair.h"

namespace korvan {

Expected<Square, std::string> square_from_usi(std::string_view text) {
    if (text == "NONE") return SQ_NONE;
    if (text.size() != 2) return unexpected("invalid square string: " + utf8_replace_invalid(text));
    const char f = text[0];
    const char r = text[1];
    // A two-byte text that is one non-ASCII character fails on its lead byte; the
    // message quotes the whole character rather than a broken half of it.
    const bool multibyte = static_cast<unsigned char>(f) >= 0x80;
    if (f < '1' || f > '9')
        return unexpected("invalid file character: " + utf8_replace_invalid(multibyte ? text : text.substr(0, 1)));
    if (r < 'a' || r > 'i') return unexpected("invalid rank character: " + utf8_replace_invalid(text.substr(1)));
    return make_square(f - '1', r - 'a');
}

std::string square_display_usi(std::uint8_t square) {
    if (square == SQ_NONE) return "NONE";
    if (square > SQ_NONE) return "INVALID";
    return {static_cast<char>('1' + file_of(square)), static_cast<char>('a' + rank_of(square))};
}

std::string tuple_debug_pretty(std::string_view type_name, unsigned value) {
    return std::string(type_name) + "(\n    " + std::to_string(value) + ",\n)";
}

}  // namespace korvan
