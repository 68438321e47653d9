#include "core/board/position/position.h"

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/zobrist.h"

namespace korvan {

namespace {

std::uint64_t hand_key_of(const std::array<Hand, 2>& hands) {
    std::uint64_t key = 0;
    for (int c = 0; c < 2; ++c)
        for (HandPiece hp = 0; hp < 7; ++hp) key += hand_count(hands[c], hp) * ZOBRIST_HAND[c][hp];
    return key;
}

// The record of a set-up: keys, hand and checkers; no move and no repetition behind it.
void begin_record(const Position& pos, StateInfo& st) {
    st = fresh_state();
    st.board_key = pos.board_key;
    st.hand_key = pos.hand_key;
    st.hand = pos.hands[pos.side_to_move];
    st.checkers = position_compute_checkers(pos, pos.side_to_move);
    st.derived = DERIVED_REPETITION;
}

}  // namespace

namespace {

// Rebuilds by_type, by_color, occupied, the unions and the king squares from board.
void position_update_piece_sets(Position& pos) {
    pos.by_type.fill({});
    pos.by_color.fill({});
    pos.occupied = {};
    pos.king_square = {SQ_NONE, SQ_NONE};
    for (Square s = 0; s < 81; ++s) {
        const Piece p = pos.board[s];
        if (type_of(p) == NO_PIECE_TYPE) continue;
        pos.by_type[type_of(p)].set(s);
        pos.by_color[color_of(p)].set(s);
        pos.occupied.set(s);
        if (type_of(p) == KING) pos.king_square[color_of(p)] = s;
    }
    position_update_unions(pos);
}

}  // namespace

void position_update_bitboards(Position& pos) {
    position_update_piece_sets(pos);
    StateInfo& st = pos.st();
    st.checkers = position_compute_checkers(pos, pos.side_to_move);
    st.derived &= DERIVED_REPETITION;
}

PositionKeys position_compute_key(const Position& pos) {
    std::uint64_t board_key = 0;
    for (Square s = 0; s < 81; ++s) board_key ^= ZOBRIST[pos.board[s] & 31][s];
    if (pos.side_to_move == WHITE) board_key ^= ZOBRIST_SIDE;
    return {board_key, hand_key_of(pos.hands)};
}

void position_reset_state(Position& pos) {
    pos.states.reset();
    begin_record(pos, pos.st());
}

Bitboard position_attackers_to(const Position& pos, Color c, Square sq, Bitboard occ) {
    const Color them = ~c;
    const Bitboard steps = (pos.by_type[PAWN] & PAWN_ATTACKS[sq][them]) |
                           (pos.by_type[KNIGHT] & KNIGHT_ATTACKS[sq][them]) |
                           (pos.silver_hdk & SILVER_ATTACKS[sq][them]) | (pos.golds_hdk & GOLD_ATTACKS[sq][them]);
    const Bitboard sliders = (bishop_attacks(sq, occ) & pos.bishop_horse) |
                             (rook_attacks(sq, occ) & (pos.rook_dragon | (pos.by_type[LANCE] & LANCE_RAYS[sq][them])));
    return (steps | sliders) & pos.by_color[c];
}

namespace position_detail {

void fill_blockers(const Position& pos, Color king_color) {
    Bitboard blockers;
    const Square k = pos.king_square[king_color];
    if (k != SQ_NONE) {
        const Color enemy = ~king_color;
        const Bitboard snipers = ((pos.rook_dragon & ROOK_PSEUDO_ATTACKS[k]) |
                                  (pos.bishop_horse & BISHOP_PSEUDO_ATTACKS[k]) |
                                  (pos.by_type[LANCE] & LANCE_RAYS[k][king_color])) &
                                 pos.by_color[enemy];
        const Bitboard occ = pos.occupied ^ snipers;
        snipers.for_each([&](Square s) {
            const Bitboard b = between_bb(s, k) & occ;
            if (!b.empty() && !b.more_than_one()) blockers |= b;
        });
    }
    const StateInfo& st = pos.st();
    st.cache.blockers_for_king[king_color] = blockers;
    st.derived |= DERIVED_BLOCKERS_BLACK << king_color;
}

void fill_check_squares(const Position& pos) {
    const StateInfo& st = pos.st();
    auto& cs = st.cache.check_squares;
    st.derived |= DERIVED_CHECK_SQUARES;
    const Color them = ~pos.side_to_move;
    const Square k = pos.king_square[them];
    if (k == SQ_NONE) {
        cs.fill({});
        return;
    }
    cs[0] = PAWN_ATTACKS[k][them];
    cs[2] = KNIGHT_ATTACKS[k][them];
    cs[3] = SILVER_ATTACKS[k][them];
    cs[6] = GOLD_ATTACKS[k][them];
    cs[4] = bishop_attacks(k, pos.occupied);
    cs[5] = rook_attacks(k, pos.occupied);
    cs[1] = cs[5] & LANCE_RAYS[k][them];
    cs[7] = cs[4] | KING_ATTACKS[k];
    cs[8] = cs[5] | KING_ATTACKS[k];
}

}  // namespace position_detail

Bitboard position_compute_checkers(const Position& pos, Color us) {
    const Square k = pos.king_square[us];
    if (k == SQ_NONE) return {};
    return position_attackers_to(pos, ~us, k, pos.occupied);
}

void position_set_up(Position& pos) {
    pos.by_type.fill({});
    pos.by_color.fill({});
    pos.occupied = {};
    pos.king_square = {SQ_NONE, SQ_NONE};
    // One pass over the squares builds the sets and the board key.
    std::uint64_t board_key = 0;
    for (Square s = 0; s < 81; ++s) {
        const Piece p = pos.board[s];
        if (p == NO_PIECE) continue;
        board_key ^= ZOBRIST[p & 31][s];
        const PieceType pt = type_of(p);
        if (pt == NO_PIECE_TYPE) continue;
        const Bitboard b = square_bb(s);
        pos.by_type[pt] |= b;
        pos.by_color[color_of(p)] |= b;
        pos.occupied |= b;
        if (pt == KING) pos.king_square[color_of(p)] = s;
    }
    position_update_unions(pos);
    if (pos.side_to_move == WHITE) board_key ^= ZOBRIST_SIDE;
    pos.board_key = board_key;
    pos.hand_key = hand_key_of(pos.hands);
    pos.key = pos.board_key ^ pos.hand_key;
    begin_record(pos, pos.st());
}

Move32 position_move_to_move32(const Position& pos, std::uint32_t move) {
    const Move m = move16(move);
    if (is_special_move(m)) return m;
    const Square to = move_to(m);
    if (to > 80) return 0;
    if (is_drop(m)) {
        const unsigned pt = dropped_type(m);
        if (pt < PAWN || pt > GOLD) return 0;
        return static_cast<Move32>(pos.side_to_move) << 20 | pt << 16 | (m & 0x7FFF & ~MOVE_PROMOTE_FLAG);
    }
    const Square from = move_from(m);
    if (from > 80) return 0;
    const Piece p = pos.board[from];
    if (p == NO_PIECE || color_of(p) != pos.side_to_move) return 0;
    if (!is_promotion(m)) return move_make(from, to, p);
    if (!is_promotable(type_of(p))) return 0;
    return move_make_promote(from, to, p);
}

std::uint32_t move_to_apery(const std::array<Piece, 81>& board, std::uint32_t move) {
    const Move m = move16(move);
    if (is_special_move(m)) return m;
    std::uint32_t apery = (m & MOVE_PROMOTE_FLAG ? 0x4000u : 0u) | (m & 0x7F) | (m & 0x3F80);
    if (is_drop(m)) return apery + (80u << 7);
    const Square to = move_to(m), from = move_from(m);
    if (to > 80 || from > 80) return apery;
    return apery | static_cast<std::uint32_t>(board[from] & 15) << 16 | static_cast<std::uint32_t>(board[to] & 15) << 20;
}

}  // namespace korvan
