#include "core/records/formats/jkf/jkf_tables.h"

#include <array>

#include "core/board/position/parser.h"
#include "core/records/handicaps.h"
#include "core/records/special_moves.h"
#include "core/util/unicode_case.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 15> KIND_CODES = {"",   "FU", "KY", "KE", "GI", "KA", "HI", "KI",
                                                         "OU", "TO", "NY", "NK", "NG", "UM", "RY"};


std::string ascii_upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

std::string_view jkf_kind_code(unsigned piece_type) { return piece_type <= 14 ? KIND_CODES[piece_type] : ""; }

std::optional<PieceType> jkf_kind_to_piece_type(std::string_view code) {
    if (code == "GY") return KING;
    for (unsigned pt = 1; pt <= 14; ++pt)
        if (KIND_CODES[pt] == code) return PieceType(pt);
    return std::nullopt;
}

std::optional<std::string_view> jkf_preset_of_sfen(std::string_view sfen) {
    if (const HandicapStart* h = handicap_of_sfen(sfen)) return h->jkf_preset;
    return std::nullopt;
}

std::optional<std::string_view> jkf_preset_sfen(std::string_view name) {
    for (const HandicapStart& h : HANDICAP_STARTS)
        if (h.jkf_preset == name && h.sfen != STARTPOS_SFEN) return h.sfen;
    return std::nullopt;
}

SpecialMove jkf_special_of_name(std::string_view name, Color side_to_move) {
    const std::string upper = ascii_upper(name);
    SpecialMove s;
    if (upper.size() == 1 + ILLEGAL_ACTION.size() && (upper[0] == '+' || upper[0] == '-') &&
        std::string_view(upper).substr(1) == ILLEGAL_ACTION) {
        s = special_move_of_illegal_action(upper[0] == '+' ? BLACK : WHITE, side_to_move);
    } else if (auto known = special_move_from_word(SpecialFormat::Jkf, upper, side_to_move)) {
        s = std::move(*known);
    } else {
        s.kind = SpecialMoveKind::Unknown;
        s.result = INVALID;
        s.unknown_name = std::string(name);
    }
    s.raw = std::string(name);
    return s;
}

std::string jkf_special_name(const SpecialMove& special, Color side_to_move) {
    if (special.kind == SpecialMoveKind::WinByIllegalMove)
        return illegal_action_sign(side_to_move) + std::string(ILLEGAL_ACTION);
    if (special.kind == SpecialMoveKind::Unknown) return unicode_upper(special.unknown_name);
    return std::string(special_move_word(SpecialFormat::Jkf, special.kind));
}

}  // namespace korvan
