#pragma once
// Moves as their index in the canonical order of a position's legal moves (the order
// of generate_legal_moves, by move_sort_key), which sbinpack stores instead of the
// moves themselves. Both directions take one legal generation and a linear pass: the
// rank of a move is a count, the move at an index a selection; nothing is sorted.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/board/position/position.h"

namespace korvan {

// The index of `move` (a Move32: the piece field must match) among the legal moves,
// or nothing when it is not one of them.
std::optional<std::size_t> canonical_index_of(const Position& pos, Move32 move);

// The legal move at `index`, or nothing when there are not that many.
std::optional<Move32> canonical_move_at(const Position& pos, std::size_t index);

}  // namespace korvan
