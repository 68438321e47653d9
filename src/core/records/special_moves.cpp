#include "core/records/special_moves.h"

namespace korvan {

namespace {

using K = SpecialMoveKind;
using R = ResultRule;

// The pack end-reason bytes (named in containers/pack_error.h, which checks them).
constexpr std::uint8_t PACK_RESIGN = 0, PACK_REPETITION_DRAW = 1, PACK_MAX_MOVES = 2, PACK_INTERRUPT = 3,
                       PACK_TIME_UP = 4, PACK_ILLEGAL_MOVE = 5, PACK_REPETITION_CHECK = 6, PACK_WIN_CSA24 = 10,
                       PACK_DRAW_CSA24 = 11, PACK_WIN_CSA27 = 12, PACK_WIN_TRY_RULE = 13;

constexpr SpecialWord NONE{};

// By SpecialMoveKind. Words read back as another kind are WrittenOnly: CSA and JKF write a
// win by default or by a try as "KACHI" and a loss by default as "TORYO"; KIF "詰み"
// reads as a resignation and "引き分け" as no known word; USI "draw" reads as a
// repetition and "win" as a declaration.
constexpr std::array<SpecialMoveRow, SPECIAL_MOVE_KIND_NB> ROWS = {{
    {K::Interrupt,
     {{{"CHUDAN", R::Fixed, PAUSED}, {"CHUDAN", R::Fixed, PAUSED}, {"中断", R::Fixed, PAUSED},
       {"interrupt", R::Fixed, PAUSED}}},
     {PACK_INTERRUPT, R::Fixed, PAUSED}},
    {K::Resign,
     {{{"TORYO", R::MoverLoses, BLACK_WIN}, {"TORYO", R::MoverLoses, BLACK_WIN}, {"投了", R::MoverLoses, BLACK_WIN},
       {"resign", R::MoverLoses, BLACK_WIN}}},
     {PACK_RESIGN, R::Outcome, BLACK_WIN}},
    {K::MaxMoves,
     {{{"MAX_MOVES", R::Fixed, DRAW_BY_MAX_PLIES}, {"MAX_MOVES", R::Fixed, DRAW_BY_MAX_PLIES},
       {"最大手数", R::Fixed, DRAW_BY_MAX_PLIES}, {"max_moves", R::Fixed, DRAW_BY_MAX_PLIES}}},
     {PACK_MAX_MOVES, R::Fixed, DRAW_BY_MAX_PLIES}},
    {K::Impasse,
     {{{"JISHOGI", R::Fixed, DRAW_BY_IMPASSE}, {"JISHOGI", R::Fixed, DRAW_BY_IMPASSE},
       {"持将棋", R::Fixed, DRAW_BY_IMPASSE}, {"jishogi", R::Fixed, DRAW_BY_IMPASSE}}},
     {PACK_DRAW_CSA24, R::Fixed, DRAW_BY_IMPASSE}},
    {K::Draw,
     {{{"HIKIWAKE", R::Fixed, DRAW_BY_IMPASSE}, {"HIKIWAKE", R::Fixed, DRAW_BY_REPETITION}, {"引き分け"}, {"draw"}}},
     {PACK_RESIGN}},
    {K::RepetitionDraw,
     {{{"SENNICHITE", R::Fixed, DRAW_BY_REPETITION}, {"SENNICHITE", R::Fixed, DRAW_BY_REPETITION},
       {"千日手", R::Fixed, DRAW_BY_REPETITION}, {"sennichite", R::Fixed, DRAW_BY_REPETITION}}},
     {PACK_REPETITION_DRAW, R::Fixed, DRAW_BY_REPETITION}},
    {K::Mate,
     {{{"TSUMI", R::MoverLoses, BLACK_WIN}, {"TSUMI", R::MoverLoses, BLACK_WIN}, {"詰み"},
       {"mate", R::MoverLoses, BLACK_WIN}}},
     {PACK_RESIGN}},
    {K::NoMate,
     {{{"FUZUMI", R::Fixed, PAUSED}, {"FUZUMI", R::Fixed, DRAW_BY_MAX_PLIES}, {"不詰", R::Fixed, PAUSED},
       {"nomate", R::Fixed, DRAW_BY_MAX_PLIES}}},
     {PACK_RESIGN}},
    {K::Timeout,
     {{{"TIME_UP", R::MoverLoses, BLACK_WIN_BY_TIMEOUT}, {"TIME_UP", R::MoverLoses, BLACK_WIN_BY_TIMEOUT},
       {"切れ負け", R::MoverLoses, BLACK_WIN_BY_TIMEOUT}, {"time_up", R::MoverLoses, BLACK_WIN_BY_TIMEOUT}}},
     {PACK_TIME_UP, R::Outcome, BLACK_WIN_BY_TIMEOUT}},
    {K::WinByIllegalMove,
     {{{ILLEGAL_ACTION}, {ILLEGAL_ACTION}, {"反則勝ち", R::MoverWins, BLACK_WIN_BY_ILLEGAL_MOVE}, NONE}},
     {PACK_ILLEGAL_MOVE}},
    {K::LoseByIllegalMove,
     {{{"ILLEGAL_MOVE", R::MoverLoses, BLACK_WIN_BY_ILLEGAL_MOVE}, {"ILLEGAL_MOVE", R::MoverLoses, BLACK_WIN_BY_ILLEGAL_MOVE},
       {"反則負け", R::MoverLoses, BLACK_WIN_BY_ILLEGAL_MOVE}, NONE}},
     {PACK_ILLEGAL_MOVE, R::Outcome, BLACK_WIN_BY_ILLEGAL_MOVE}},
    {K::WinByDeclaration,
     {{{"KACHI", R::MoverWins, BLACK_WIN_BY_DECLARATION}, {"KACHI", R::MoverWins, BLACK_WIN_BY_DECLARATION},
       {"入玉勝ち", R::MoverWins, BLACK_WIN_BY_DECLARATION}, {"win", R::MoverWins, BLACK_WIN_BY_DECLARATION}}},
     {PACK_WIN_CSA27, R::Outcome, BLACK_WIN_BY_DECLARATION}},
    {K::WinByDefault,
     {{{"KACHI"}, {"KACHI"}, {"不戦勝", R::MoverWins, BLACK_WIN_BY_FORFEIT}, NONE}},
     {PACK_RESIGN}},
    {K::LoseByDefault,
     {{{"TORYO"}, {"TORYO"}, {"不戦敗", R::MoverLoses, BLACK_WIN_BY_FORFEIT}, NONE}},
     {PACK_RESIGN}},
    {K::Try,
     {{{"KACHI"}, {"KACHI"}, {"トライ", R::Fixed, PAUSED}, {"win"}}},
     {PACK_WIN_TRY_RULE, R::Outcome, BLACK_WIN_BY_TRY_RULE}},
    {K::Unknown, {{NONE, NONE, NONE, NONE}}, {PACK_RESIGN}},
}};

constexpr bool rows_in_kind_order() {
    for (std::size_t i = 0; i < ROWS.size(); ++i)
        if (static_cast<std::size_t>(ROWS[i].kind) != i) return false;
    return true;
}
static_assert(rows_in_kind_order());

// Other words a format reads: each as a kind and a result of its own.
struct OtherWord {
    SpecialFormat format;
    std::string_view word;
    SpecialMoveKind kind;
    ResultRule rule;
    GameResult result;
};

constexpr std::array<OtherWord, 12> OTHER_WORDS = {{
    {SpecialFormat::Csa, "ERROR", K::Unknown, R::Fixed, ERROR},
    {SpecialFormat::Jkf, "ERROR", K::Interrupt, R::Fixed, ERROR},
    {SpecialFormat::Kif, "詰み", K::Resign, R::MoverLoses, BLACK_WIN},
    {SpecialFormat::Kif, "詰", K::Resign, R::MoverLoses, BLACK_WIN},
    {SpecialFormat::Kif, "入玉宣言", K::WinByDeclaration, R::MoverWins, BLACK_WIN_BY_DECLARATION},
    {SpecialFormat::Usi, "chudan", K::Interrupt, R::Fixed, PAUSED},
    {SpecialFormat::Usi, "no_mate", K::NoMate, R::Fixed, DRAW_BY_MAX_PLIES},
    {SpecialFormat::Usi, "impasse", K::Impasse, R::Fixed, DRAW_BY_IMPASSE},
    {SpecialFormat::Usi, "timeout", K::Timeout, R::MoverLoses, BLACK_WIN_BY_TIMEOUT},
    {SpecialFormat::Usi, "maxmoves", K::MaxMoves, R::Fixed, DRAW_BY_MAX_PLIES},
    {SpecialFormat::Usi, "draw", K::RepetitionDraw, R::Fixed, DRAW_BY_REPETITION},
    {SpecialFormat::Usi, "repetition", K::RepetitionDraw, R::Fixed, DRAW_BY_REPETITION},
}};

SpecialMove special(SpecialMoveKind kind, ResultRule rule, GameResult result, Color side_to_move) {
    SpecialMove s;
    s.kind = kind;
    s.result = special_move_result(rule, result, side_to_move);
    return s;
}

}  // namespace

const SpecialMoveRow& special_move_row(SpecialMoveKind kind) { return ROWS[static_cast<std::size_t>(kind)]; }

std::string_view special_move_word(SpecialFormat format, SpecialMoveKind kind) {
    return special_move_row(kind).words[static_cast<std::size_t>(format)].word;
}

std::optional<SpecialMove> special_move_from_word(SpecialFormat format, std::string_view word, Color side_to_move) {
    if (word.empty()) return std::nullopt;
    const auto f = static_cast<std::size_t>(format);
    for (const SpecialMoveRow& row : ROWS) {
        const SpecialWord& w = row.words[f];
        if (w.rule != R::WrittenOnly && w.word == word) return special(row.kind, w.rule, w.result, side_to_move);
    }
    for (const OtherWord& o : OTHER_WORDS) {
        if (o.format != format || o.word != word) continue;
        SpecialMove s = special(o.kind, o.rule, o.result, side_to_move);
        if (o.kind == K::Unknown) s.unknown_name = std::string(word);
        return s;
    }
    return std::nullopt;
}

SpecialMove special_move_of_illegal_action(Color offender, Color side_to_move) {
    const Color winner = ~offender;
    SpecialMove s;
    s.kind = winner == side_to_move ? K::WinByIllegalMove : K::LoseByIllegalMove;
    s.result = game_result_won_by(winner, BLACK_WIN_BY_ILLEGAL_MOVE);
    return s;
}

const SpecialMoveRow* special_move_of_pack_reason(std::uint8_t reason) {
    if (reason == PACK_REPETITION_CHECK) reason = PACK_ILLEGAL_MOVE;
    if (reason == PACK_WIN_CSA24) reason = PACK_WIN_CSA27;
    for (const SpecialMoveRow& row : ROWS)
        if (row.pack.rule != R::WrittenOnly && row.pack.reason == reason) return &row;
    return nullptr;
}

}  // namespace korvan
