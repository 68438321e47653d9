#include "core/board/attack_tables.h"

namespace korvan {

Bitboard piece_type_attacks(unsigned pt, Square sq, Color c, Bitboard occ) {
    check_index("board/attack_tables", sq, 81);
    switch (pt) {
        case PAWN: return PAWN_ATTACKS[sq][c];
        case LANCE: return lance_attacks(sq, c, occ);
        case KNIGHT: return KNIGHT_ATTACKS[sq][c];
        case SILVER: return SILVER_ATTACKS[sq][c];
        case BISHOP: return bishop_attacks(sq, occ);
        case ROOK: return rook_attacks(sq, occ);
        case GOLD: case PRO_PAWN: case PRO_LANCE: case PRO_KNIGHT: case PRO_SILVER: return GOLD_ATTACKS[sq][c];
        case KING: return KING_ATTACKS[sq];
        case HORSE: return horse_attacks(sq, occ);
        case DRAGON: return dragon_attacks(sq, occ);
        default: return {};
    }
}

Bitboard ray_until_blocker(Square sq, int df, int dr, Bitboard occ) {
    Bitboard out;
    if (df == 0 && dr == 0) return out;
    int f = file_of(sq) + df, r = rank_of(sq) + dr;
    while (f >= 0 && f < 9 && r >= 0 && r < 9) {
        const Square s = make_square(f, r);
        out.set(s);
        if (occ.test(s)) break;
        f += df, r += dr;
    }
    return out;
}

}  // namespace korvan
