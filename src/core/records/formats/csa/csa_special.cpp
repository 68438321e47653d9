#include "core/records/formats/csa/csa_special.h"

#include <algorithm>

#include "core/records/special_moves.h"

namespace korvan {

SpecialMove parse_csa_special(std::string_view line, Color side_to_move) {
    SpecialMove s;
    if (line.size() == 2 + ILLEGAL_ACTION.size() && line.starts_with('%') && (line[1] == '+' || line[1] == '-') &&
        line.substr(2) == ILLEGAL_ACTION) {
        s = special_move_of_illegal_action(line[1] == '+' ? BLACK : WHITE, side_to_move);
    } else if (auto known = line.starts_with('%') ? special_move_from_word(SpecialFormat::Csa, line.substr(1), side_to_move)
                                                 : std::nullopt) {
        s = std::move(*known);
    } else {
        s.kind = SpecialMoveKind::Unknown;
        s.result = PAUSED;
        const std::size_t start = line.find_first_not_of('%');
        s.unknown_name = start == std::string_view::npos ? std::string() : std::string(line.substr(start));
    }
    s.raw = std::string(line);
    return s;
}

std::string csa_special_line(const SpecialMove& special, Color side_to_move) {
    if (special.kind == SpecialMoveKind::WinByIllegalMove)
        return std::string{'%', illegal_action_sign(side_to_move)} + std::string(ILLEGAL_ACTION);
    if (special.kind == SpecialMoveKind::Unknown) {
        // A comma would split the line into items ("%X,T5" reads as "%X" and a time).
        std::string name = special.unknown_name;
        std::replace(name.begin(), name.end(), ',', ' ');
        if (!name.empty() && name.front() == '%') return name;
        return "%" + name;
    }
    return "%" + std::string(special_move_word(SpecialFormat::Csa, special.kind));
}

}  // namespace korvan
