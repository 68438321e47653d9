#include "core/board/attack_tables.h"
#include "core/mate/mate_in_one.h"

namespace korvan {

Bitboard mate_attackers_to(const Position& pos, Square sq, Bitboard occ) {
    if (sq == SQ_NONE) return {};
    return position_attackers_to(pos, BLACK, sq, occ) | position_attackers_to(pos, WHITE, sq, occ);
}

Bitboard mate_attackers_after_move(const Position& pos, Square sq, Bitboard occ, Color color,
                                   const MateMoveDesc& move) {
    Bitboard attackers = mate_attackers_to(pos, sq, occ) & pos.by_color[color];
    if (color != pos.side_to_move || move.kind == MateMoveDesc::Kind::None) return attackers;
    if (move.kind == MateMoveDesc::Kind::Board) attackers.clear(move.from);
    if (piece_type_attacks(move.piece_type, move.to, color, occ).test(sq)) attackers.set(move.to);
    return attackers;
}

bool mate_drop_can_block(const Position& pos, Square sq, Color color, Hand hand, const MateMoveDesc& move) {
    const int rr = color == BLACK ? rank_of(sq) : 8 - rank_of(sq);
    auto pawn_can_block = [&] {
        if ((hand & 31) == 0) return false;
        Bitboard pawns = pos.pieces(color, PAWN);
        if (move.kind == MateMoveDesc::Kind::Board && pos.board[move.to] == make_piece(color, PAWN))
            pawns.clear(move.to);
        if (pawns & FILE_MASKS[file_of(sq)]) return false;
        return rr != 0;
    };
    if ((hand & 0x73377700) == 0) return pawn_can_block();
    // Other pieces are held too; a pawn still blocks where only a knight could not.
    if (rr == 0) return (hand & 0x73370000) != 0;
    if (rr == 1) return (hand & 0x73370700) != 0 || pawn_can_block();
    return true;
}

}  // namespace korvan
