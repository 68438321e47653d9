#pragma once
// The core position: board, piece sets, hands, keys, side to move and the state stack.

#include <array>
#include <cstdint>
#include <string>

#include "core/board/state_info.h"
#include "core/types/bitboard.h"
#include "core/types/hand.h"
#include "core/types/move.h"
#include "core/types/piece.h"

namespace korvan {

enum class EnteringKingRule : std::uint8_t {
    None = 0,
    Point24 = 1,
    Point24Handicap = 2,
    Point27 = 3,
    Point27Handicap = 4,
    TryRule = 5,
    Unset = 6,
};

struct Position {
    std::array<Piece, 81> board{};
    std::array<Bitboard, 16> by_type{};
    std::array<Bitboard, 2> by_color{};
    Bitboard occupied{};
    // Unions of like-moving pieces, always equal to what their names say.
    Bitboard golds{};         // GOLD and the four promoted minor pieces
    Bitboard hdk{};           // KING, HORSE, DRAGON
    Bitboard bishop_horse{};  // BISHOP, HORSE
    Bitboard rook_dragon{};   // ROOK, DRAGON
    Bitboard silver_hdk{};    // SILVER plus hdk
    Bitboard golds_hdk{};     // golds plus hdk
    std::array<Hand, 2> hands{};
    std::uint64_t key = 0;  // board_key ^ hand_key
    std::uint64_t board_key = 0;
    std::uint64_t hand_key = 0;
    Color side_to_move = BLACK;
    EnteringKingRule entering_king_rule = EnteringKingRule::None;
    std::array<std::int32_t, 2> declaration_threshold{};
    std::uint16_t ply = 1;
    StateStack states;
    std::array<Square, 2> king_square{SQ_NONE, SQ_NONE};

    // The current record; its index is always the stack's top.
    std::uint64_t state_index() const { return states.top(); }
    const StateInfo& st() const { return states.current(); }
    StateInfo& st() { return states.current(); }

    Bitboard pieces(Color c) const { return by_color[c]; }
    Bitboard pieces(Color c, PieceType pt) const { return by_color[c] & by_type[pt]; }
    Piece piece_on(Square s) const { return board[s]; }
};

// Rebuilds the six unions from by_type (inline: every move and undo ends with it).
inline void position_update_unions(Position& pos) {
    const auto& t = pos.by_type;
    pos.golds = t[GOLD] | t[PRO_PAWN] | t[PRO_LANCE] | t[PRO_KNIGHT] | t[PRO_SILVER];
    pos.hdk = t[KING] | t[HORSE] | t[DRAGON];
    pos.bishop_horse = t[BISHOP] | t[HORSE];
    pos.rook_dragon = t[ROOK] | t[DRAGON];
    pos.silver_hdk = t[SILVER] | pos.hdk;
    pos.golds_hdk = pos.golds | pos.hdk;
}
// Rebuilds by_type, by_color, occupied, the unions and the king squares from board,
// then the checkers of the current record, whose derived state is recomputed on use.
void position_update_bitboards(Position& pos);

struct PositionKeys {
    std::uint64_t board_key;
    std::uint64_t hand_key;
};
PositionKeys position_compute_key(const Position& pos);
// Record 0 fresh with the position's keys, the hand of the side to move and its
// checkers, every chunk but the first dropped.
void position_reset_state(Position& pos);
// Everything a set-up derives from board, hands and side to move, in one pass: the
// piece sets, the keys and the current record (which the caller has just reset).
void position_set_up(Position& pos);
Bitboard position_compute_checkers(const Position& pos, Color us);

namespace position_detail {
void fill_blockers(const Position& pos, Color king_color);
void fill_check_squares(const Position& pos);
}  // namespace position_detail

// The blockers of colour king_color's king in the current position: the pieces of
// either colour that stand alone between it and an enemy slider. Computed on first use.
inline Bitboard position_blockers(const Position& pos, Color king_color) {
    const StateInfo& st = pos.st();
    if (!(st.derived & (DERIVED_BLOCKERS_BLACK << king_color))) position_detail::fill_blockers(pos, king_color);
    return st.cache.blockers_for_king[king_color];
}

// The check squares of the side to move against the enemy king, by check slot; all
// empty without that king. Computed on first use.
inline const std::array<Bitboard, CHECK_SLOT_NB>& position_check_squares(const Position& pos) {
    const StateInfo& st = pos.st();
    if (!(st.derived & DERIVED_CHECK_SQUARES)) position_detail::fill_check_squares(pos);
    return st.cache.check_squares;
}

// The pieces of colour c that attack sq under the occupancy occ (sliders are blocked
// by occ; the attackers are the position's own pieces).
Bitboard position_attackers_to(const Position& pos, Color c, Square sq, Bitboard occ);

Position position_startpos();

// A Move widened with the piece it places, or 0 when it does not fit the position.
Move32 position_move_to_move32(const Position& pos, std::uint32_t move);
std::uint32_t move_to_apery(const std::array<Piece, 81>& board, std::uint32_t move);

}  // namespace korvan
