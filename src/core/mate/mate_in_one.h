#pragma once
// Finding a move that checkmates at once. Candidates are confirmed on occupancy sets
// that describe the position after the move; the position is never changed.

#include <cstdint>
#include <optional>

#include "core/board/movegen/movegen.h"
#include "core/board/position/position.h"

namespace korvan {

std::optional<Move32> position_solve_mate_in_one(const Position& pos);
// Whether a legal move of the side to move mates.
bool mate_in_one_verify_move(const Position& pos, Move32 move);

}  // namespace korvan
