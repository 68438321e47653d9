#pragma once
// A hand packs the seven counts of one colour into 32 bits:
//   pawn 0-4, lance 8-10, knight 12-14, silver 16-18, bishop 20-21, rook 24-25, gold 28-30.
// The gaps between fields stay zero, so a wrapping subtraction of two hands shows a
// borrow out of any field in the bit just above it (HAND_BORROW_MASK).

#include <array>
#include <cstdint>

#include "core/types/piece.h"

namespace korvan {

using Hand = std::uint32_t;

inline constexpr std::array<std::uint32_t, 7> HAND_SHIFT = {0, 8, 12, 16, 20, 24, 28};
inline constexpr std::array<std::uint32_t, 7> HAND_MASK = {31, 7, 7, 7, 3, 3, 7};
inline constexpr std::array<std::uint32_t, 7> HAND_INCREMENT = {0x1,      0x100,     0x1000,    0x10000,
                                                                0x100000, 0x1000000, 0x10000000};
// The most pieces of each kind that exist in one game: 18 pawns, 4 lances, ...
inline constexpr std::array<std::uint32_t, 7> HAND_FULL_SET = {18, 4, 4, 4, 2, 2, 4};
constexpr std::uint32_t HAND_BORROW_MASK = 0x84488820;
// The bits of each kind's field.
inline constexpr auto HAND_FIELD = [] {
    std::array<std::uint32_t, 7> t{};
    for (int i = 0; i < 7; ++i) t[i] = HAND_MASK[i] << HAND_SHIFT[i];
    return t;
}();

constexpr std::uint32_t hand_count(Hand h, HandPiece hp) { return (h >> HAND_SHIFT[hp]) & HAND_MASK[hp]; }
constexpr std::uint32_t hand_count(Hand h, PieceType pt) { return hand_count(h, hand_piece_of(pt)); }
constexpr bool hand_has(Hand h, PieceType pt) { return (h & HAND_FIELD[hand_piece_of(pt)]) != 0; }
constexpr Hand hand_add(Hand h, PieceType pt) { return h + HAND_INCREMENT[hand_piece_of(pt)]; }
constexpr Hand hand_sub(Hand h, PieceType pt) { return h - HAND_INCREMENT[hand_piece_of(pt)]; }
// Every kind held at least as often in a as in b.
constexpr bool hand_dominates(Hand a, Hand b) { return ((a - b) & HAND_BORROW_MASK) == 0; }

}  // namespace korvan
