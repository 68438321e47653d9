#pragma once
// BOD, the Japanese text diagram of a position that KIF and KI2 records embed: White's
// hand, the framed board with kanji piece names (White's marked "v"), Black's hand and
// "後手番" when White is to move. Lines are joined by "\n", with no final break.

#include <cstdint>
#include <string>

#include "core/board/position/position.h"
#include "core/util/expected.h"

namespace korvan {

// 1..10 as one kanji (一 .. 十); any other value in ASCII digits.
std::string kanji_number(unsigned n);
// "飛　金二　歩18": rook, bishop, gold, silver, knight, lance, pawn; "なし" when empty.
std::string write_bod_hand(Hand hand);
std::string position_to_bod(const Position& pos);

// The diagram followed, when the history holds a real last move, by the line
// "手数＝<n>　<KI2 text>　まで". Fails only when the history and the board disagree:
// with the undo error's name, or "invalid move" when the move has no KI2 text.
Expected<std::string, std::string> position_to_bod_with_last_move(const Position& pos);

}  // namespace korvan
