#include "core/types/piece.h"

#include <cctype>

#include "core/util/utf8_repair.h"

namespace korvan {

namespace {
constexpr std::array<std::string_view, 16> USI_TEXT = {"?",  "P",  "L",  "N",  "S",  "B",  "R",  "G",
                                                       "K",  "+P", "+L", "+N", "+S", "+B", "+R", "?"};
}

std::string_view piece_type_display(unsigned pt) { return pt < 16 ? USI_TEXT[pt] : "?"; }

Expected<PieceType, std::string> piece_type_from_usi(std::string_view text) {
    for (unsigned pt = PAWN; pt <= DRAGON; ++pt)
        if (USI_TEXT[pt] == text) return PieceType(pt);
    return unexpected("invalid piece type: " + utf8_replace_invalid(text));
}

std::string piece_display(std::uint8_t piece) {
    if (piece == 0) return " ";
    std::string text(piece_type_display(piece & 15));
    if (piece & 16)
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace korvan
