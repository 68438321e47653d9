#pragma once
// Attack, check and legality tests. They read the position and its current record
// and change nothing. One routine, position_is_legal, serves every path that makes a
// move from outside input: Board methods, the USI position command, record readers,
// containers and books.

#include <cstdint>

#include "core/board/position/position.h"

namespace korvan {

bool position_is_attacked_by(const Position& pos, Color attacker, Square sq, Bitboard occ);
inline bool position_is_attacked_by_white(const Position& pos, Square sq, Bitboard occ) {
    return position_is_attacked_by(pos, WHITE, sq, occ);
}
inline bool position_is_attacked_by_black(const Position& pos, Square sq, Bitboard occ) {
    return position_is_attacked_by(pos, BLACK, sq, occ);
}

bool position_gives_check(const Position& pos, Move32 move);
// A promotion must start or end in the mover's promotion zone.
bool can_promote_move(Color c, std::uint32_t move);
// A blocker of colour c's king may move only along the line through that king.
bool position_pin_allows_move(const Position& pos, Color c, Square from, Square to);
bool position_is_pseudo_legal_move(const Position& pos, Move move);
bool position_is_pseudo_legal_move32(const Position& pos, Move32 move);
bool position_is_legal(const Position& pos, Move32 move);
// For a pawn of the side to move dropped on sq next to the enemy king: false when the
// drop would mate (and is therefore illegal).
bool position_pawn_drop_not_mate(const Position& pos, Square sq);

// Relative rank: 0 is the mover's last rank.
constexpr int relative_rank(Color c, Square s) { return c == BLACK ? rank_of(s) : 8 - rank_of(s); }
constexpr bool in_promotion_zone(Color c, Square s) { return relative_rank(c, s) <= 2; }

}  // namespace korvan
