#pragma once
// The mate-in-one search as it stood before the fast path: kept in the test binary only,
// as the answer the fast search must give on every position.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/board/movegen/movegen.h"
#include "core/board/position/position.h"

namespace korvan::reference {

std::optional<Move32> solve_mate_in_one(const Position& pos);
bool verify_mate_move(const Position& pos, Move32 move);
// The drop-mate pruning table as it was built before, entry by entry.
std::vector<std::uint8_t> mate_table();
// The checking moves of the side to move, in the order the search tries them.
void checking_moves(const Position& pos, MoveList& list);

}  // namespace korvan::reference
