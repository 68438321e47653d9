#pragma once
// CSA and Japanese (KI2) move texts.

#include <optional>
#include <string>
#include <string_view>

#include "core/board/position/position.h"

namespace korvan {

// Two-letter CSA names by piece type 1..14 ("FU" .. "RY"); empty for other types.
std::string_view csa_piece_name(unsigned piece_type);
// The piece type of a CSA name, or 0.
PieceType csa_piece_type(std::string_view name);

// "+7776FU", "-3334FU" or an unsigned "7776FU" for the side to move; 0 when the text
// does not fit the position. No legality test.
Move32 position_move_from_csa(const Position& pos, std::string_view text);
// "7776FU", "0055KA", "8822UM"; the piece comes from the Move32's piece field.
std::optional<std::string> move_to_csa(Move32 move);
// "▲７六歩", "△同　歩", "▲５八金右"...: the position is the one before the move.
std::optional<std::string> move_to_ki2(Move32 move, const Position& pos);

}  // namespace korvan
