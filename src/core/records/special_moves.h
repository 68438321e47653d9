#pragma once
// The special moves that end a line of play, one row per kind: the word each record
// format writes for the kind, how a word read back gives a kind and a result, and the
// end reason of a pack record. CSA and JKF differ where the formats do (the results of
// "HIKIWAKE", "FUZUMI" and "ERROR").

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/records/entries.h"
#include "core/types/color.h"

namespace korvan {

enum class SpecialFormat : std::uint8_t { Csa, Jkf, Kif, Usi };
constexpr int SPECIAL_FORMAT_NB = 4;

// How the result of a special move follows when its word (or pack reason) is read.
enum class ResultRule : std::uint8_t {
    WrittenOnly,  // written for the kind, but read back as another kind or not at all
    Fixed,        // the result given
    MoverWins,    // the side to move wins: the result given is Black's win, White's one more
    MoverLoses,   // the side not to move wins, likewise
    Outcome,      // pack: the winner the record's outcome names wins, likewise; never a draw
};

struct SpecialWord {
    std::string_view word;  // empty: the format writes nothing for the kind
    ResultRule rule = ResultRule::WrittenOnly;
    GameResult result = INVALID;
};

struct PackEnding {
    std::uint8_t reason;  // the end-reason byte
    ResultRule rule = ResultRule::WrittenOnly;
    GameResult result = INVALID;
};

struct SpecialMoveRow {
    SpecialMoveKind kind;
    std::array<SpecialWord, SPECIAL_FORMAT_NB> words;  // by SpecialFormat; CSA without its "%"
    // The end reason a terminal of the kind writes when its result does not settle one.
    PackEnding pack;
};

const SpecialMoveRow& special_move_row(SpecialMoveKind kind);

// The word a kind writes in a format; empty when it writes none. The side that broke
// the rules in a WIN_BY_ILLEGAL_MOVE of CSA and JKF is named by special_move_illegal_action.
std::string_view special_move_word(SpecialFormat format, SpecialMoveKind kind);

// The terminal a word of the format gives with that side to move, compared as written;
// nothing for a word the format does not read. An UNKNOWN read carries the word as its
// name. raw is left empty.
std::optional<SpecialMove> special_move_from_word(SpecialFormat format, std::string_view word, Color side_to_move);

// CSA and JKF "+ILLEGAL_ACTION" / "-ILLEGAL_ACTION": the side that broke the rules
// loses, and the kind tells whether the winner is the side to move.
constexpr std::string_view ILLEGAL_ACTION = "ILLEGAL_ACTION";
SpecialMove special_move_of_illegal_action(Color offender, Color side_to_move);
// The sign of the side that broke the rules in a WIN_BY_ILLEGAL_MOVE: the side not to move.
constexpr char illegal_action_sign(Color side_to_move) { return side_to_move == BLACK ? '-' : '+'; }

// What a pack end reason reads as: the row whose reason it is, the refined reasons
// (repetition by checks, the 24-point win) read as the reason they refine. Nothing for
// a reserved reason.
const SpecialMoveRow* special_move_of_pack_reason(std::uint8_t reason);

// The result a rule gives: `side` is the side to move for the mover rules, the winner
// for Outcome.
constexpr GameResult special_move_result(ResultRule rule, GameResult result, Color side) {
    switch (rule) {
        case ResultRule::MoverWins:
        case ResultRule::Outcome: return game_result_won_by(side, result);
        case ResultRule::MoverLoses: return game_result_won_by(~side, result);
        default: return result;
    }
}

}  // namespace korvan
