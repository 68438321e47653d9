#pragma once
// Making and taking back moves.

#include <cstdint>

#include "core/board/position/position.h"
#include "core/util/expected.h"

namespace korvan {

// What a move did to the board and the hands.
struct MoveDelta {
    enum class Kind : std::uint32_t { Board = 0, Capture = 1, Drop = 2 };
    Kind kind = Kind::Board;
    std::uint32_t hand_count_before = 0;  // Drop: of the dropped kind; Capture: of the captured kind
    PieceType piece_type = NO_PIECE_TYPE;  // Drop
    Piece captured = NO_PIECE;             // Capture
    Color color = BLACK;
    Square from = SQ_NONE;  // Board, Capture
    Square to = SQ_NONE;
    Piece moved_piece_before = NO_PIECE;  // Board, Capture
    Piece moved_piece_after = NO_PIECE;   // Board, Capture

    bool operator==(const MoveDelta&) const = default;
};

// The move must be legal here (pseudo-legal, king safe, piece field right, no king
// captured); nothing is checked again.
void position_do_move(Position& pos, Move32 move);
// The same change; gives_check must be position_gives_check for this move.
MoveDelta position_do_move_with_delta(Position& pos, Move32 move, bool gives_check);
// The move must be the current record's last move; only its low 16 bits are read.
Expected<Ok, StateStackError> position_undo_move(Position& pos, std::uint32_t move);

// The gives-check flag computed from the position before the move.
// see legality.h: position_gives_check

}  // namespace korvan
