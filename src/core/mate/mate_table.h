#pragma once
// The drop-mate pruning table: for an escape pattern and a drop-site pattern around the
// enemy king (bit i = neighbour i, see NEIGHBOUR_OFFSETS) and the attacker's colour, the
// hand kinds whose drop next to the king may mate. A necessary condition only.

#include <array>
#include <cstdint>

#include "core/types/bitboard.h"

namespace korvan {

// Neighbour order as (file offset, rank offset); rank -1 is forward for Black.
inline constexpr std::array<std::array<std::int32_t, 2>, 8> NEIGHBOUR_OFFSETS = {
    {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}}};

constexpr std::size_t MATE_TABLE_SIZE = 256 * 256 * 2 * 2;

// Built on first use, never freed. Entry (escape, candidates, colour) is the byte pair at
// escape * 1024 + candidates * 4 + colour * 2: byte 0 holds drop kinds by hand index,
// byte 1 the line directions.
const std::uint8_t* init_mate_table();

// Bit i set when neighbour i of sq is on the board and in b.
std::uint8_t around8_bits(const Bitboard& b, Square sq);

}  // namespace korvan
