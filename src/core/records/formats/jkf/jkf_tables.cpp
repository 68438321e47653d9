#include "core/records/formats/jkf/jkf_tables.h"

#include <array>

#include "core/board/position/parser.h"
#include "core/records/special_moves.h"
#include "core/util/unicode_case.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 15> KIND_CODES = {"",   "FU", "KY", "KE", "GI", "KA", "HI", "KI",
                                                         "OU", "TO", "NY", "NK", "NG", "UM", "RY"};

struct Preset {
    std::string_view name;
    std::string_view sfen;
};

constexpr std::array<Preset, 14> PRESETS = {{
    {"HIRATE", STARTPOS_SFEN},
    {"KY", "lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"KY_R", "1nsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"KA", "lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"HI", "lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"HIKY", "lnsgkgsn1/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"2", "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"3", "lnsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"4", "1nsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"5", "2sgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"5_L", "1nsgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"6", "2sgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"8", "3gkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    {"10", "4k4/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
}};

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
    for (const Preset& p : PRESETS)
        if (p.sfen == sfen) return p.name;
    return std::nullopt;
}

std::optional<std::string_view> jkf_preset_sfen(std::string_view name) {
    for (std::size_t i = 1; i < PRESETS.size(); ++i)
        if (PRESETS[i].name == name) return PRESETS[i].sfen;
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
