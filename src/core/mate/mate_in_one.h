#pragma once
// Finding a move that checkmates at once. Candidates are confirmed on occupancy sets
// that describe the position after the move; the position is never changed.

#include <cstdint>
#include <optional>

#include "core/board/movegen/movegen.h"
#include "core/board/position/position.h"

namespace korvan {

// The move as the verification helpers see it.
struct MateMoveDesc {
    enum class Kind : std::uint8_t { Drop = 0, Board = 1, None = 2 };
    Kind kind = Kind::None;
    Square from = SQ_NONE;
    Square to = SQ_NONE;
    PieceType piece_type = NO_PIECE_TYPE;  // after the move
};

std::optional<Move32> position_solve_mate_in_one(const Position& pos);
// Whether a legal move of the side to move mates.
bool mate_in_one_verify_move(const Position& pos, Move32 move);
// Pieces of both colours attacking sq under occ; empty for square 81.
Bitboard mate_attackers_to(const Position& pos, Square sq, Bitboard occ);
Bitboard mate_attackers_after_move(const Position& pos, Square sq, Bitboard occ, Color color, const MateMoveDesc& move);
bool mate_drop_can_block(const Position& pos, Square sq, Color color, Hand hand, const MateMoveDesc& move);
// Every checking move of the side to move, board moves first, then drops.
void mate_in_one_search_board_moves(const Position& pos, MoveList& list, Color us, Color them);

}  // namespace korvan
