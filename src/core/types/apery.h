#pragma once
// The Apery move encodings. AperyMove (16 bits): destination in bits 0-6; bits 7-13
// the source square, or 80 + piece type for a drop; bit 14 promotes; no drop flag.
// AperyMove32 adds the moving piece's type before the move (bits 16-19) and the
// captured type (bits 20-23). Special moves keep their values in every encoding.
// The conversion from a Move on a position is move_to_apery (board/position).

#include <cstdint>

#include "core/types/move.h"

namespace korvan {

using AperyMove = std::uint16_t;
using AperyMove32 = std::uint32_t;

constexpr std::uint32_t APERY_PROMOTE_FLAG = 0x4000;
constexpr unsigned APERY_DROP_BASE = 80;

// A move is normal when it is not special and its fields name board squares and, for
// a drop, a piece that can be held.
constexpr bool is_normal_move(std::uint32_t move) {
    const Move m = move16(move);
    if (is_special_move(m) || move_to(m) > 80) return false;
    if (is_drop(m)) return dropped_type(m) >= PAWN && dropped_type(m) <= GOLD;
    return move_from(m) <= 80;
}

constexpr unsigned apery_from_field(std::uint32_t apery) { return (apery >> 7) & 0x7F; }
constexpr bool apery_is_drop(std::uint32_t apery) { return apery_from_field(apery) > APERY_DROP_BASE; }
constexpr bool apery_is_promotion(std::uint32_t apery) { return (apery & APERY_PROMOTE_FLAG) != 0; }

// The low 16 bits as a Move: a source field above 80 becomes a drop of that field
// minus 80; the promotion flag moves from bit 14 to bit 15.
constexpr Move apery_to_move(std::uint32_t apery) {
    const unsigned to = apery & 0x7F;
    const unsigned from = apery_from_field(apery);
    unsigned m = to;
    if (from > APERY_DROP_BASE)
        m |= (from - APERY_DROP_BASE) << 7 | MOVE_DROP_FLAG;
    else
        m |= from << 7;
    if (apery_is_promotion(apery)) m |= MOVE_PROMOTE_FLAG;
    return static_cast<Move>(m);
}

// The AperyMove of a Move; the board part of move_to_apery, which needs no position.
constexpr AperyMove move_to_apery16(std::uint32_t move) {
    const Move m = move16(move);
    if (is_special_move(m)) return m;
    const unsigned apery = (is_promotion(m) ? APERY_PROMOTE_FLAG : 0u) | (m & 0x3FFF);
    return static_cast<AperyMove>(is_drop(m) ? apery + (APERY_DROP_BASE << 7) : apery);
}

constexpr PieceType apery_piece_type_before(AperyMove32 apery) { return PieceType((apery >> 16) & 15); }
constexpr PieceType apery_captured_type(AperyMove32 apery) { return PieceType((apery >> 20) & 15); }

// The type on the destination after the move: the dropped type for a drop, else the
// mover's type, promoted when the promotion flag is set and it can promote.
constexpr PieceType apery_piece_type_after(AperyMove32 apery) {
    if (apery_is_drop(apery)) return PieceType(apery_from_field(apery) - APERY_DROP_BASE);
    const PieceType before = apery_piece_type_before(apery);
    return apery_is_promotion(apery) && is_promotable(before) ? promote(before) : before;
}

}  // namespace korvan
