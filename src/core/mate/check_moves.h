#pragma once
// The checking moves of the side to move in their fixed order, handed one by one to a
// visitor that may stop the walk. The order decides which of several mates the search
// returns, so the list form (mate_in_one_search_board_moves) and the search share this
// one walk:
//   1. pieces that stand between the enemy king and a slider of ours, ascending: every
//      move (each may uncover a check);
//   2. the other pieces that may check directly, ascending: their moves to squares from
//      which the piece, promoted or not, attacks the king;
//   3. drops by type PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK onto the empty
//      checking squares, ascending (pawns only on files without a pawn of ours).
// A piece's moves come target by target, the promotion before the non-promotion, with
// the variants the rules allow. Nothing here tests pins, king safety or answers to a
// check: the caller filters. Nor does it apply the pawn-drop-mate rule
// (position_pawn_drop_not_mate) to the one pawn drop that can check: that costs an
// attack test, which the search can often skip, so the visitor applies it.

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/position/legality.h"
#include "core/board/position/position.h"
#include "core/mate/check_candidates.h"

namespace korvan::mate_detail {

// Visits the moves of one piece to targets; true when the visitor stopped the walk.
template <class Visit>
bool visit_piece_moves(Piece piece, Square from, Bitboard targets, Visit& visit) {
    const Color us = color_of(piece);
    const PieceType pt = type_of(piece);
    const bool from_in_zone = relative_rank(us, from) <= 2;
    for (Bitboard b = targets; b;) {
        const Square to = b.pop_lsb();
        const int rr = relative_rank(us, to);
        bool promoted, plain;
        switch (pt) {
            case PAWN:
            case LANCE:
                promoted = rr <= 2;
                plain = rr >= 1;
                break;
            case KNIGHT:
                promoted = rr <= 2 || from_in_zone;
                plain = rr >= 2;
                break;
            case SILVER:
            case BISHOP:
            case ROOK:
                promoted = rr <= 2 || from_in_zone;
                plain = true;
                break;
            default:
                promoted = false;
                plain = true;
                break;
        }
        // One call site for each variant: the visitor may be inlined here.
        if (promoted && visit(make_move16_promote(from, to))) return true;
        if (plain && visit(make_move16(from, to))) return true;
    }
    return false;
}

// The drop kinds in the walk's order (item 3 above).
inline constexpr PieceType DROP_ORDER[] = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK};

constexpr bool is_slider(PieceType pt) {
    return pt == LANCE || pt == BISHOP || pt == ROOK || pt == HORSE || pt == DRAGON;
}

// The type a piece may promote to, or its own type: the two check slots of a mover
// (every piece but the king has one).
inline constexpr auto PROMOTED_OR_SELF = [] {
    std::array<PieceType, PIECE_TYPE_NB> t{};
    for (int pt = 0; pt < PIECE_TYPE_NB; ++pt) t[pt] = is_promotable(PieceType(pt)) ? promote(PieceType(pt)) : PieceType(pt);
    return t;
}();

// Keeps every target: the walk as listed above.
struct AllTargets {
    Bitboard board_targets(Piece, Square, Bitboard targets) { return targets; }
    Bitboard drop_targets(PieceType, Bitboard sites) { return sites; }
};

// Walks the checking moves of `us` against the king of the other side; true when the
// visitor (bool(Move)) stopped the walk. `keep` may narrow the targets of a piece or a
// drop kind (board_targets(piece, from, targets), drop_targets(type, sites)) to those
// the visitor could accept: it is asked only when there are targets, and the order is
// unchanged.
template <class Visit, class Keep = AllTargets>
bool for_each_checking_move(const Position& pos, Color us, Visit&& visit, Keep&& keep = {}) {
    const Color them = ~us;
    if (pos.pieces(them, KING).empty()) return false;
    const Bitboard ours = pos.by_color[us];

    const Bitboard discoverers = position_blockers(pos, them) & ours;
    for (Bitboard b = discoverers; b;) {
        const Square from = b.pop_lsb();
        const Piece p = pos.board[from];
        Bitboard targets = piece_type_attacks(type_of(p), from, us, pos.occupied).andnot(ours);
        if (targets) targets = keep.board_targets(p, from, targets);
        if (targets && visit_piece_moves(p, from, targets, visit)) return true;
    }

    // The checking squares are those of the king on king_square; without one they are
    // all empty and no direct check is listed.
    const Square ksq = pos.king_square[them];
    const auto& check_squares = position_check_squares(pos);
    if (ksq < 81) {
        const auto& rows = CHECK_CANDIDATES[ksq][us];
        const auto row = [&](CheckKind kind) { return rows[static_cast<int>(kind)]; };
        const auto& t = pos.by_type;
        const Bitboard movers =
            ((t[PAWN] & row(CheckKind::Pawn)) | (t[LANCE] & row(CheckKind::Lance)) |
             (t[KNIGHT] & row(CheckKind::Knight)) | (t[SILVER] & row(CheckKind::Silver)) |
             (pos.golds & row(CheckKind::Gold)) | (t[BISHOP] & row(CheckKind::Bishop)) |
             (t[HORSE] & row(CheckKind::Horse)) | pos.rook_dragon) &
            ours.andnot(discoverers).andnot(t[KING]);
        for (Bitboard b = movers; b;) {
            const Square from = b.pop_lsb();
            const Piece p = pos.board[from];
            const PieceType pt = type_of(p);
            const Bitboard checking = check_squares[CHECK_SLOT[pt]] | check_squares[CHECK_SLOT[PROMOTED_OR_SELF[pt]]];
            Bitboard targets = (empty_board_attacks(p, from) & checking).andnot(ours);
            if (targets) targets = keep.board_targets(p, from, targets);
            // A slider reaches the few candidate targets when nothing stands between:
            // cheaper than its whole attack set.
            if (is_slider(pt)) {
                for (Bitboard b2 = targets; b2;) {
                    const Square to = b2.pop_lsb();
                    if (between_bb(from, to) & pos.occupied) targets.clear(to);
                }
            }
            if (targets && visit_piece_moves(p, from, targets, visit)) return true;
        }
    }

    const Hand hand = pos.hands[us];
    if (hand == 0) return false;
    const Bitboard empty = ~pos.occupied;
    for (const PieceType pt : DROP_ORDER) {
        if (!hand_has(hand, pt)) continue;
        Bitboard sites = check_squares[CHECK_SLOT[pt]] & empty;
        if (sites) sites = keep.drop_targets(pt, sites);
        for (Bitboard b = sites; b;) {
            const Square to = b.pop_lsb();
            if (pt == PAWN && (pos.pieces(us, PAWN) & FILE_MASKS[file_of(to)])) continue;
            if (visit(make_drop16(pt, to))) return true;
        }
    }
    return false;
}

}  // namespace korvan::mate_detail
