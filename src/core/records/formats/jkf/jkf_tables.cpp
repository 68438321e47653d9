#include "core/records/formats/jkf/jkf_tables.h"

#include <array>

#include "core/board/position/parser.h"
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

using K = SpecialMoveKind;

enum class Outcome : std::uint8_t { MoverLoses, MoverWins, Fixed };

struct SpecialName {
    std::string_view name;
    SpecialMoveKind kind;
    Outcome outcome;
    GameResult black_wins;  // MoverLoses / MoverWins: Black's win (White's is one more); Fixed: the result
};

// Results by value: BLACK_WIN 0, DRAW_BY_REPETITION 2, ERROR 3, BLACK_WIN_BY_DECLARATION 4,
// DRAW_BY_MAX_PLIES 6, DRAW_BY_IMPASSE 10, PAUSED 11, BLACK_WIN_BY_ILLEGAL_MOVE 12,
// BLACK_WIN_BY_TIMEOUT 16.
constexpr std::array<SpecialName, 13> SPECIALS = {{
    {"TORYO", K::Resign, Outcome::MoverLoses, 0},
    {"TSUMI", K::Mate, Outcome::MoverLoses, 0},
    {"KACHI", K::WinByDeclaration, Outcome::MoverWins, 4},
    {"TIME_UP", K::Timeout, Outcome::MoverLoses, 16},
    {"ILLEGAL_MOVE", K::LoseByIllegalMove, Outcome::MoverLoses, 12},
    {"SENNICHITE", K::RepetitionDraw, Outcome::Fixed, 2},
    {"HIKIWAKE", K::Draw, Outcome::Fixed, 2},
    {"JISHOGI", K::Impasse, Outcome::Fixed, 10},
    {"MAX_MOVES", K::MaxMoves, Outcome::Fixed, 6},
    {"FUZUMI", K::NoMate, Outcome::Fixed, 6},
    {"CHUDAN", K::Interrupt, Outcome::Fixed, 11},
    {"ERROR", K::Interrupt, Outcome::Fixed, 3},
    {"", K::Unknown, Outcome::Fixed, 7},
}};

GameResult win_of(Color winner, GameResult black_wins) {
    return static_cast<GameResult>(black_wins + (winner == WHITE ? 1 : 0));
}

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
    s.raw = std::string(name);
    // "+ILLEGAL_ACTION": Black broke the rules and White wins; "-" the other way round.
    if (upper == "+ILLEGAL_ACTION" || upper == "-ILLEGAL_ACTION") {
        const Color winner = upper[0] == '+' ? WHITE : BLACK;
        s.kind = winner == side_to_move ? K::WinByIllegalMove : K::LoseByIllegalMove;
        s.result = win_of(winner, 12);
        return s;
    }
    for (const SpecialName& n : SPECIALS) {
        if (n.kind != K::Unknown && n.name != upper) continue;
        s.kind = n.kind;
        switch (n.outcome) {
            case Outcome::MoverLoses: s.result = win_of(~side_to_move, n.black_wins); break;
            case Outcome::MoverWins: s.result = win_of(side_to_move, n.black_wins); break;
            case Outcome::Fixed: s.result = n.black_wins; break;
        }
        if (n.kind == K::Unknown) s.unknown_name = std::string(name);
        return s;
    }
    return s;
}

std::string jkf_special_name(const SpecialMove& special, Color side_to_move) {
    switch (special.kind) {
        case K::Interrupt: return "CHUDAN";
        case K::Resign: return "TORYO";
        case K::MaxMoves: return "MAX_MOVES";
        case K::Impasse: return "JISHOGI";
        case K::Draw: return "HIKIWAKE";
        case K::RepetitionDraw: return "SENNICHITE";
        case K::Mate: return "TSUMI";
        case K::NoMate: return "FUZUMI";
        case K::Timeout: return "TIME_UP";
        case K::LoseByIllegalMove: return "ILLEGAL_MOVE";
        // The side to move won, so the side not to move broke the rules.
        case K::WinByIllegalMove: return side_to_move == BLACK ? "-ILLEGAL_ACTION" : "+ILLEGAL_ACTION";
        // A side that lost by default has in effect resigned; "KACHI" would name it the winner.
        case K::LoseByDefault: return "TORYO";
        case K::WinByDeclaration:
        case K::WinByDefault:
        case K::Try: return "KACHI";
        case K::Unknown: break;
    }
    return unicode_upper(special.unknown_name);
}

}  // namespace korvan
