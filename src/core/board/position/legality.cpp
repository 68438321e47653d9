#include "core/board/position/legality.h"

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/reach.h"

namespace korvan {

bool position_is_attacked_by(const Position& pos, Color c, Square sq, Bitboard occ) {
    check_index("board/position/types", sq, 81);
    const Color other = ~c;
    const Bitboard own = pos.by_color[c];
    const Bitboard steps = (pos.by_type[PAWN] & PAWN_ATTACKS[sq][other]) |
                           (pos.by_type[KNIGHT] & KNIGHT_ATTACKS[sq][other]) |
                           (pos.silver_hdk & SILVER_ATTACKS[sq][other]) | (pos.golds_hdk & GOLD_ATTACKS[sq][other]);
    if (steps & own) return true;
    if (bishop_attacks(sq, occ) & pos.bishop_horse & own) return true;
    return !(rook_attacks(sq, occ) & ((pos.by_type[LANCE] & LANCE_RAYS[sq][other]) | pos.rook_dragon) & own).empty();
}

// A blocker of colour c's king may move only along the line through that king.
// The blockers are read when the position has them; otherwise only the line from the
// king through `from` is looked at, which is all a single move needs.
bool position_pin_allows_move(const Position& pos, Color c, Square from, Square to) {
    const Square k = pos.king_square[c];
    if (k == SQ_NONE) return true;
    const std::uint8_t d = direction(from, k);
    if (pos.st().derived & (DERIVED_BLOCKERS_BLACK << c)) {
        if (!pos.st().cache.blockers_for_king[c].test(from)) return true;
        return d != 0 && direction(to, k) == d;
    }
    if (d == 0 || direction(to, k) == d) return true;
    // `from` blocks when an enemy slider on that ray sees the king past it alone (other
    // enemy sliders do not count as cover, as in the blockers).
    const Bitboard snipers = ((pos.rook_dragon & ROOK_PSEUDO_ATTACKS[k]) |
                              (pos.bishop_horse & BISHOP_PSEUDO_ATTACKS[k]) |
                              (pos.by_type[LANCE] & LANCE_RAYS[k][c])) &
                             pos.by_color[~c];
    const Bitboard occ = pos.occupied ^ snipers;
    const Bitboard alone = square_bb(from);
    bool pinned = false;
    snipers.for_each([&](Square s) {
        if (DIRECTION_TABLE[s][k] == d && (between_bb(s, k) & occ) == alone) pinned = true;
    });
    return !pinned;
}

bool position_gives_check(const Position& pos, Move32 move) {
    const Color them = ~pos.side_to_move;
    const Square k = pos.king_square[them];
    if (k == SQ_NONE) return false;
    const Square to = move_to(move);
    const std::int8_t slot = CHECK_SLOT[type_of(moved_piece_after(move))];
    if (slot >= 0 && position_check_squares(pos)[slot].test(to)) return true;
    if (is_drop(move)) return false;
    const Square from = move_from(move);
    if (!position_blockers(pos, them).test(from)) return false;
    const std::uint8_t d = direction(from, k);
    return !(d != 0 && direction(to, k) == d);
}

bool can_promote_move(Color c, std::uint32_t move) {
    if (!is_promotion(move)) return true;
    constexpr std::uint32_t ZONE = 0x1c00007;
    const Square from = move_from(move), to = move_to(move);
    if (from < 81 && (ZONE >> (c * 16 + rank_of(from)) & 1)) return true;
    return to < 81 && (ZONE >> (c * 16 + rank_of(to)) & 1);
}

namespace {

// For a pseudo-legal move: the mover's king is not left in check.
bool position_keeps_king_safe(const Position& pos, std::uint32_t move) {
    if (is_drop(move)) return true;
    const Square from = move_from(move), to = move_to(move);
    const Color us = pos.side_to_move;
    // The king is the one on king_square: in a set-up with two kings of a side, checks,
    // pins and the generators all look at that one, and any other moves as a plain piece.
    if (from == pos.king_square[us]) {
        Bitboard occ = pos.occupied;
        occ.clear(from);
        return !position_is_attacked_by(pos, ~us, to, occ);
    }
    return position_pin_allows_move(pos, us, from, to);
}

// Drops and non-promotions that would leave a piece with no move ever are refused,
// as the generators never produce them; the legality test and the move list agree.
constexpr bool is_dead_end(PieceType pt, int rr) {
    return ((pt == PAWN || pt == LANCE) && rr == 0) || (pt == KNIGHT && rr <= 1);
}

bool pseudo_legal_drop(const Position& pos, std::uint32_t m, Piece expected) {
    const Color us = pos.side_to_move;
    const PieceType pt = dropped_type(m);
    const Square to = move_to(m);
    if (pt < PAWN || pt > GOLD || to > 80) return false;
    if (expected != NO_PIECE && expected != make_piece(us, pt)) return false;
    if (pos.board[to] != NO_PIECE) return false;
    if (!hand_has(pos.hands[us], pt)) return false;
    if (is_dead_end(pt, relative_rank(us, to))) return false;
    const Bitboard checkers = pos.st().checkers;
    if (checkers) {
        if (checkers.more_than_one()) return false;
        if (!between_bb(checkers.lsb(), pos.king_square[us]).test(to)) return false;
    }
    if (pt != PAWN) return true;
    if (pos.pieces(us, PAWN) & FILE_MASKS[file_of(to)]) return false;
    const Square their_king = pos.king_square[~us];
    if (their_king == SQ_NONE) return true;
    if (PAWN_ATTACKS[to][us].test(their_king)) return position_pawn_drop_not_mate(pos, to);
    return true;
}

bool pseudo_legal_board_move(const Position& pos, std::uint32_t m, Piece expected) {
    const Color us = pos.side_to_move;
    const Square from = move_from(m), to = move_to(m);
    if (from > 80 || to > 80) return false;
    const Piece p = pos.board[from];
    if (p == NO_PIECE || color_of(p) != us) return false;
    const PieceType pt = type_of(p);
    if (expected != NO_PIECE) {
        const Piece after = is_promotion(m) && is_promotable(pt) ? Piece(p + 8) : p;
        if (expected != after) return false;
    }
    if (!piece_reaches(p, from, to, pos.occupied)) return false;
    const Piece target = pos.board[to];
    if (target != NO_PIECE && (color_of(target) == us || type_of(target) == KING)) return false;
    if (is_promotion(m)) {
        if (!is_promotable(pt)) return false;
    } else if (is_dead_end(pt, relative_rank(us, to))) {
        return false;
    }
    const Bitboard checkers = pos.st().checkers;
    if (checkers && from != pos.king_square[us]) {
        if (checkers.more_than_one()) return false;
        const Square c = checkers.lsb();
        return to == c || between_bb(c, pos.king_square[us]).test(to);
    }
    return true;
}

}  // namespace

bool position_is_pseudo_legal_move(const Position& pos, Move move) {
    return is_drop(move) ? pseudo_legal_drop(pos, move, NO_PIECE) : pseudo_legal_board_move(pos, move, NO_PIECE);
}

bool position_is_pseudo_legal_move32(const Position& pos, Move32 move) {
    const Piece expected = moved_piece_after(move);
    return is_drop(move) ? pseudo_legal_drop(pos, move, expected) : pseudo_legal_board_move(pos, move, expected);
}

bool position_is_legal(const Position& pos, Move32 move) {
    return position_is_pseudo_legal_move32(pos, move) && can_promote_move(pos.side_to_move, move) &&
           position_keeps_king_safe(pos, move);
}

bool position_pawn_drop_not_mate(const Position& pos, Square sq) {
    if (sq == SQ_NONE) return true;
    const Color us = pos.side_to_move, them = ~us;
    if (!position_is_attacked_by(pos, us, sq, pos.occupied)) return true;
    const auto& t = pos.by_type;
    Bitboard capturers = (t[KNIGHT] & KNIGHT_ATTACKS[sq][us]) |
                         ((t[SILVER] | t[HORSE] | t[DRAGON]) & SILVER_ATTACKS[sq][us]) |
                         ((pos.golds | t[HORSE] | t[DRAGON]) & GOLD_ATTACKS[sq][us]) |
                         (bishop_attacks(sq, pos.occupied) & pos.bishop_horse) |
                         (rook_attacks(sq, pos.occupied) & pos.rook_dragon);
    capturers &= pos.by_color[them];
    const Bitboard free = capturers.andnot(position_blockers(pos, them)) | (capturers & FILE_MASKS[file_of(sq)]);
    if (free) return true;
    const Square k = pos.king_square[them];
    if (k == SQ_NONE) return true;
    Bitboard escapes = KING_ATTACKS[k].andnot(pos.by_color[them]);
    escapes.clear(sq);
    Bitboard occ = pos.occupied;
    occ.set(sq);
    bool escape = false;
    escapes.for_each([&](Square e) {
        if (!escape && !position_is_attacked_by(pos, us, e, occ)) escape = true;
    });
    return escape;
}

}  // namespace korvan
