#pragma once
// How a game ended: one byte whose two low bits give the outcome class (0 Black
// wins, 1 White wins, 2 draw, 3 none of these) and whose upper bits the manner.
// 14, 15, 18 and 19 are holes that no result has. Like the board value types it is a
// plain enumeration: the byte indexes the name tables and is stored as it is.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/types/color.h"

namespace korvan {

enum GameResult : std::uint8_t {
    BLACK_WIN = 0,
    WHITE_WIN = 1,
    DRAW_BY_REPETITION = 2,
    ERROR = 3,
    BLACK_WIN_BY_DECLARATION = 4,
    WHITE_WIN_BY_DECLARATION = 5,
    DRAW_BY_MAX_PLIES = 6,
    INVALID = 7,
    BLACK_WIN_BY_FORFEIT = 8,
    WHITE_WIN_BY_FORFEIT = 9,
    DRAW_BY_IMPASSE = 10,
    PAUSED = 11,
    BLACK_WIN_BY_ILLEGAL_MOVE = 12,
    WHITE_WIN_BY_ILLEGAL_MOVE = 13,
    BLACK_WIN_BY_TIMEOUT = 16,
    WHITE_WIN_BY_TIMEOUT = 17,
    BLACK_WIN_BY_TRY_RULE = 20,
    WHITE_WIN_BY_TRY_RULE = 21,
};
constexpr int GAME_RESULT_NB = 22;

constexpr bool is_game_result(unsigned v) {
    return v < GAME_RESULT_NB && v != 14 && v != 15 && v != 18 && v != 19;
}

// Indexed by value; empty at the holes.
inline constexpr std::array<std::string_view, GAME_RESULT_NB> GAME_RESULT_NAMES = {
    "BLACK_WIN",
    "WHITE_WIN",
    "DRAW_BY_REPETITION",
    "ERROR",
    "BLACK_WIN_BY_DECLARATION",
    "WHITE_WIN_BY_DECLARATION",
    "DRAW_BY_MAX_PLIES",
    "INVALID",
    "BLACK_WIN_BY_FORFEIT",
    "WHITE_WIN_BY_FORFEIT",
    "DRAW_BY_IMPASSE",
    "PAUSED",
    "BLACK_WIN_BY_ILLEGAL_MOVE",
    "WHITE_WIN_BY_ILLEGAL_MOVE",
    "",
    "",
    "BLACK_WIN_BY_TIMEOUT",
    "WHITE_WIN_BY_TIMEOUT",
    "",
    "",
    "BLACK_WIN_BY_TRY_RULE",
    "WHITE_WIN_BY_TRY_RULE",
};

inline constexpr std::array<std::string_view, GAME_RESULT_NB> GAME_RESULT_DEBUG_NAMES = {
    "BlackWin",
    "WhiteWin",
    "DrawByRepetition",
    "Error",
    "BlackWinByDeclaration",
    "WhiteWinByDeclaration",
    "DrawByMaxPlies",
    "Invalid",
    "BlackWinByForfeit",
    "WhiteWinByForfeit",
    "DrawByImpasse",
    "Paused",
    "BlackWinByIllegalMove",
    "WhiteWinByIllegalMove",
    "",
    "",
    "BlackWinByTimeout",
    "WhiteWinByTimeout",
    "",
    "",
    "BlackWinByTryRule",
    "WhiteWinByTryRule",
};

// The order in which the results are listed by name (not value order: the try-rule
// pair precedes the illegal-move pair, and PAUSED follows them).
inline constexpr std::array<GameResult, 18> GAME_RESULT_MEMBER_ORDER = {
    BLACK_WIN,
    WHITE_WIN,
    DRAW_BY_REPETITION,
    ERROR,
    BLACK_WIN_BY_DECLARATION,
    WHITE_WIN_BY_DECLARATION,
    DRAW_BY_MAX_PLIES,
    INVALID,
    BLACK_WIN_BY_FORFEIT,
    WHITE_WIN_BY_FORFEIT,
    DRAW_BY_IMPASSE,
    BLACK_WIN_BY_TRY_RULE,
    WHITE_WIN_BY_TRY_RULE,
    BLACK_WIN_BY_ILLEGAL_MOVE,
    WHITE_WIN_BY_ILLEGAL_MOVE,
    PAUSED,
    BLACK_WIN_BY_TIMEOUT,
    WHITE_WIN_BY_TIMEOUT,
};

// A win of some manner by the winner, from Black's win of that manner (White's is one
// more).
constexpr GameResult game_result_won_by(Color winner, GameResult black_wins) {
    return static_cast<GameResult>(black_wins + (winner == WHITE ? 1 : 0));
}

// A Black win when the byte rotated right by two is below 6: the outcome class is 0
// and the manner one of the six kinds.
constexpr bool game_result_is_black_win(GameResult v) {
    const std::uint8_t rotated = static_cast<std::uint8_t>((v >> 2) | (v << 6));
    return rotated < 6;
}
constexpr bool game_result_is_white_win(GameResult v) {
    return game_result_is_black_win(static_cast<GameResult>(v - 1));
}
constexpr bool game_result_is_win(GameResult v) { return game_result_is_black_win(v) || game_result_is_white_win(v); }
constexpr bool game_result_is_draw(GameResult v) { return v < 16 && ((0x444u >> v) & 1) != 0; }
constexpr bool game_result_is_win_by_declaration(GameResult v) { return (v & ~1u) == 4; }
constexpr bool game_result_is_win_by_try_rule(GameResult v) { return (v & ~1u) == 20; }

// The result whose name equals `text` with ASCII letters compared without case.
std::optional<GameResult> game_result_from_name(std::string_view text);

}  // namespace korvan
