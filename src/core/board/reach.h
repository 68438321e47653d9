#pragma once
// The squares each piece reaches on an empty board, and the test whether a piece
// reaches one square under an occupancy: the answer of its attack set for that square,
// for the price of two table reads.

#include <array>

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"

namespace korvan {

// By piece code (colour bit included) and square; codes that name no piece reach nothing.
inline constexpr std::array<std::array<Bitboard, 81>, 32> PIECE_REACH = [] {
    std::array<std::array<Bitboard, 81>, 32> t{};
    for (int c = 0; c < 2; ++c) {
        const Color color = static_cast<Color>(c);
        for (Square s = 0; s < 81; ++s) {
            const auto at = [&](PieceType pt) -> Bitboard& { return t[make_piece(color, pt)][s]; };
            at(PAWN) = PAWN_ATTACKS[s][color];
            at(LANCE) = LANCE_RAYS[s][color];
            at(KNIGHT) = KNIGHT_ATTACKS[s][color];
            at(SILVER) = SILVER_ATTACKS[s][color];
            at(BISHOP) = BISHOP_PSEUDO_ATTACKS[s];
            at(ROOK) = ROOK_PSEUDO_ATTACKS[s];
            for (PieceType pt : {GOLD, PRO_PAWN, PRO_LANCE, PRO_KNIGHT, PRO_SILVER}) at(pt) = GOLD_ATTACKS[s][color];
            at(KING) = KING_ATTACKS[s];
            at(HORSE) = BISHOP_PSEUDO_ATTACKS[s] | KING_ATTACKS[s];
            at(DRAGON) = ROOK_PSEUDO_ATTACKS[s] | KING_ATTACKS[s];
        }
    }
    return t;
}();

// piece_type_attacks(type_of(p), from, color_of(p), occ).test(to) for squares on the
// board: a stepping piece's targets have nothing between, a slider's are its rays up
// to and including the first piece met.
inline bool piece_reaches(Piece p, Square from, Square to, Bitboard occ) {
    return PIECE_REACH[p & 31][from].test(to) && (between_bb(from, to) & occ).empty();
}

}  // namespace korvan
