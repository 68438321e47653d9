#pragma once
// CHECK_CANDIDATES: for an enemy king square and the moving colour, the squares from
// which a piece of one kind may give check with one move, promoting or not. Built from
// empty-board attacks, so every square from which the kind really checks is in its row
// (blocking only takes squares away); rooks and dragons are candidates anywhere.

#include <array>
#include <cstdint>

#include "core/board/attack_tables.h"
#include "core/types/bitboard.h"
#include "core/types/color.h"
#include "core/types/piece.h"

namespace korvan {

enum class CheckKind : std::uint8_t { Pawn, Lance, Knight, Silver, Gold, Bishop, Horse };
constexpr int CHECK_KIND_NB = 7;

namespace check_candidates_detail {

constexpr Bitboard empty_board_attack_set(PieceType pt, Color c, Square sq) {
    switch (pt) {
        case PAWN: return PAWN_ATTACKS[sq][c];
        case LANCE: return LANCE_RAYS[sq][c];
        case KNIGHT: return KNIGHT_ATTACKS[sq][c];
        case SILVER: return SILVER_ATTACKS[sq][c];
        case BISHOP: return BISHOP_PSEUDO_ATTACKS[sq];
        case ROOK: return ROOK_PSEUDO_ATTACKS[sq];
        case GOLD:
        case PRO_PAWN:
        case PRO_LANCE:
        case PRO_KNIGHT:
        case PRO_SILVER: return GOLD_ATTACKS[sq][c];
        case KING: return KING_ATTACKS[sq];
        case HORSE: return BISHOP_PSEUDO_ATTACKS[sq] | KING_ATTACKS[sq];
        case DRAGON: return ROOK_PSEUDO_ATTACKS[sq] | KING_ATTACKS[sq];
        default: return {};
    }
}

}  // namespace check_candidates_detail

// [piece code * 81 + square]: the attack set of a piece on an empty board (empty for
// the codes that name no piece). Indexed by the piece code (colour << 4 | type), so a
// piece read from the board needs no split into colour and type.
inline constexpr auto EMPTY_BOARD_ATTACKS = [] {
    std::array<Bitboard, 2 * PIECE_TYPE_NB * 81> t{};
    for (const Color c : {BLACK, WHITE})
        for (int pt = 0; pt < PIECE_TYPE_NB; ++pt)
            for (int sq = 0; sq < 81; ++sq)
                t[make_piece(c, PieceType(pt)) * 81 + sq] =
                    check_candidates_detail::empty_board_attack_set(PieceType(pt), c, Square(sq));
    return t;
}();

constexpr Bitboard empty_board_attacks(Piece p, Square sq) { return EMPTY_BOARD_ATTACKS[p * 81 + sq]; }
constexpr Bitboard empty_board_attacks(PieceType pt, Color c, Square sq) {
    return empty_board_attacks(make_piece(c, pt), sq);
}

namespace check_candidates_detail {

// The squares from which a piece of type pt and colour c attacks ksq on an empty board.
constexpr Bitboard checking_squares(PieceType pt, Color c, Square ksq) {
    switch (pt) {
        case LANCE: return LANCE_RAYS[ksq][~c];
        case BISHOP:
        case ROOK:
        case HORSE:
        case DRAGON:
        case KING: return empty_board_attacks(pt, c, ksq);
        default: return empty_board_attacks(pt, ~c, ksq);
    }
}

constexpr std::array<std::array<std::array<Bitboard, CHECK_KIND_NB>, 2>, 81> build() {
    constexpr PieceType KIND_TYPES[CHECK_KIND_NB] = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, HORSE};
    std::array<std::array<std::array<Bitboard, CHECK_KIND_NB>, 2>, 81> t{};
    for (int k = 0; k < 81; ++k) {
        const Square ksq = static_cast<Square>(k);
        for (const Color c : {BLACK, WHITE}) {
            for (int kind = 0; kind < CHECK_KIND_NB; ++kind) {
                const PieceType pt = KIND_TYPES[kind];
                Bitboard checking = checking_squares(pt, c, ksq);
                if (is_promotable(pt)) checking |= checking_squares(promote(pt), c, ksq);
                Bitboard row;
                for (int from = 0; from < 81; ++from) {
                    const Square sq = static_cast<Square>(from);
                    if (empty_board_attacks(pt, c, sq) & checking) row.set(sq);
                }
                t[k][c][kind] = row;
            }
        }
    }
    return t;
}

}  // namespace check_candidates_detail

inline constexpr auto CHECK_CANDIDATES = check_candidates_detail::build();

}  // namespace korvan
