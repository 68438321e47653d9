#pragma once
// BOD, the Japanese text diagram of a position that KIF and KI2 records embed: White's
// hand, the framed board with kanji piece names (White's marked "v"), Black's hand and
// "後手番" when White is to move. Lines are joined by "\n", with no final break. Both
// ways: a position written as a diagram, and the board and hands of a diagram read.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/board/position/position.h"
#include "core/util/expected.h"

namespace korvan {

// 1..10 as one kanji (一 .. 十); any other value in ASCII digits.
std::string kanji_number(unsigned n);
// The pieces of a hand in the given order, each count above 1 after its name:
// "飛　金二　歩18"; "なし" when empty.
std::string write_hand_words(Hand hand, const std::array<PieceType, 7>& order);
// Rook, bishop, gold, silver, knight, lance, pawn.
std::string write_bod_hand(Hand hand);
std::string position_to_bod(const Position& pos);

// The diagram followed, when the history holds a real last move, by the line
// "手数＝<n>　<KI2 text>　まで". Fails only when the history and the board disagree:
// with the undo error's name, or "invalid move" when the move has no KI2 text.
Expected<std::string, std::string> position_to_bod_with_last_move(const Position& pos);

struct BodBoard {
    std::size_t next_line;  // the first line after the diagram
    std::array<Piece, SQUARE_NB> board;
};

// Reads the frame and nine rows that follow the file-number line at header_index. A
// cell that names no piece, and a row the text does not have, leave squares empty.
BodBoard parse_bod_board(const std::vector<std::string_view>& lines, std::size_t header_index);

// A hand line's value, such as "飛 角 金二 歩十八": each piece with its count in kanji
// numerals or in ASCII or full-width digits ("歩18", "歩１８"); no count is one; counts
// of a repeated piece add up. Every count saturates at 255, which no hand holds; a king
// is no hand piece and is passed over. "なし" and an empty value give nothing.
std::array<std::uint32_t, HAND_PIECE_NB> parse_bod_hand(std::string_view text);

}  // namespace korvan
