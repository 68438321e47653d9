#include "core/records/formats/csa/csa_special.h"

#include <array>

namespace korvan {

namespace {

using K = SpecialMoveKind;

// How a special's result follows from the side to move.
enum class Outcome : std::uint8_t { MoverLoses, MoverWins, Fixed };

struct SpecialLine {
    std::string_view line;
    SpecialMoveKind kind;
    Outcome outcome;
    GameResult black_wins;  // MoverLoses / MoverWins: Black's win; Fixed: the result
};

// Results by value: BLACK_WIN 0, BLACK_WIN_BY_DECLARATION 4, DRAW_BY_REPETITION 2,
// DRAW_BY_MAX_PLIES 6, DRAW_BY_IMPASSE 10, PAUSED 11, BLACK_WIN_BY_ILLEGAL_MOVE 12,
// BLACK_WIN_BY_TIMEOUT 16; White's win is Black's plus one.
constexpr std::array<SpecialLine, 12> LINES = {{
    {"%TORYO", K::Resign, Outcome::MoverLoses, 0},
    {"%TSUMI", K::Mate, Outcome::MoverLoses, 0},
    {"%KACHI", K::WinByDeclaration, Outcome::MoverWins, 4},
    {"%TIME_UP", K::Timeout, Outcome::MoverLoses, 16},
    {"%ILLEGAL_MOVE", K::LoseByIllegalMove, Outcome::MoverLoses, 12},
    {"%CHUDAN", K::Interrupt, Outcome::Fixed, 11},
    {"%FUZUMI", K::NoMate, Outcome::Fixed, 11},
    {"%JISHOGI", K::Impasse, Outcome::Fixed, 10},
    {"%HIKIWAKE", K::Draw, Outcome::Fixed, 10},
    {"%MAX_MOVES", K::MaxMoves, Outcome::Fixed, 6},
    {"%SENNICHITE", K::RepetitionDraw, Outcome::Fixed, 2},
    {"%ERROR", K::Unknown, Outcome::Fixed, 3},
}};

GameResult win_of(Color winner, GameResult black_wins) {
    return static_cast<GameResult>(black_wins + (winner == WHITE ? 1 : 0));
}

// "%+ILLEGAL_ACTION": Black broke the rules, so White wins; "%-ILLEGAL_ACTION" the
// other way round. The kind tells whether the winner is the side to move.
SpecialMove illegal_action(Color offender, Color side_to_move) {
    const Color winner = ~offender;
    SpecialMove s;
    s.kind = winner == side_to_move ? K::WinByIllegalMove : K::LoseByIllegalMove;
    s.result = win_of(winner, 12);
    return s;
}

std::string_view without_leading_percent(std::string_view line) {
    const std::size_t start = line.find_first_not_of('%');
    return start == std::string_view::npos ? std::string_view{} : line.substr(start);
}

}  // namespace

SpecialMove parse_csa_special(std::string_view line, Color side_to_move) {
    SpecialMove s;
    s.raw = std::string(line);
    if (line == "%+ILLEGAL_ACTION" || line == "%-ILLEGAL_ACTION") {
        SpecialMove out = illegal_action(line[1] == '+' ? BLACK : WHITE, side_to_move);
        out.raw = std::move(s.raw);
        return out;
    }
    for (const SpecialLine& l : LINES) {
        if (l.line != line) continue;
        s.kind = l.kind;
        switch (l.outcome) {
            case Outcome::MoverLoses: s.result = win_of(~side_to_move, l.black_wins); break;
            case Outcome::MoverWins: s.result = win_of(side_to_move, l.black_wins); break;
            case Outcome::Fixed: s.result = l.black_wins; break;
        }
        if (l.kind == K::Unknown) s.unknown_name = "ERROR";
        return s;
    }
    s.kind = K::Unknown;
    s.result = 11;
    s.unknown_name = std::string(without_leading_percent(line));
    return s;
}

std::string csa_special_line(const SpecialMove& special, Color side_to_move) {
    switch (special.kind) {
        case K::Interrupt: return "%CHUDAN";
        case K::Resign: return "%TORYO";
        case K::MaxMoves: return "%MAX_MOVES";
        case K::Impasse: return "%JISHOGI";
        case K::Draw: return "%HIKIWAKE";
        case K::RepetitionDraw: return "%SENNICHITE";
        case K::Mate: return "%TSUMI";
        case K::NoMate: return "%FUZUMI";
        case K::Timeout: return "%TIME_UP";
        case K::LoseByIllegalMove: return "%ILLEGAL_MOVE";
        // The side to move won, so the side not to move broke the rules.
        case K::WinByIllegalMove: return side_to_move == BLACK ? "%-ILLEGAL_ACTION" : "%+ILLEGAL_ACTION";
        // A side that lost by default has in effect resigned; "%KACHI" would name it the winner.
        case K::LoseByDefault: return "%TORYO";
        case K::WinByDeclaration:
        case K::WinByDefault:
        case K::Try: return "%KACHI";
        case K::Unknown: break;
    }
    const std::string& name = special.unknown_name;
    if (!name.empty() && name.front() == '%') return name;
    return "%" + name;
}

}  // namespace korvan
