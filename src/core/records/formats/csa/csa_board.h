#pragma once
// The CSA board lines of a position, shared by the CSA writer and Board.to_csa.

#include <string>

#include "core/board/position/position.h"

namespace korvan {

// Appends the twelve lines, each ended by "\n": "P1".."P9" (files 9 to 1, three
// characters a square, "*  " when empty), "P+" and "P-" with the hands as "00" groups
// (pawn, lance, knight, silver, gold, bishop, rook), then "+" or "-" for the side to
// move.
void position_to_csa_board(std::string& out, const Position& pos);

}  // namespace korvan
