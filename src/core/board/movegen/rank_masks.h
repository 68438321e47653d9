#pragma once
// Rank masks seen from one side: where a piece may promote and where a piece may
// still stand without promoting.

#include <array>

#include "core/types/bitboard.h"
#include "core/types/color.h"
#include "core/types/square.h"

namespace korvan {

// The promotion zone of each colour: its three farthest ranks.
inline constexpr Bitboard ZONE[2] = {{0x01c0e070381c0e07ULL, 0xe07ULL}, {0x70381c0e070381c0ULL, 0x381c0ULL}};

// The squares of each relative rank (0 the farthest), by colour.
inline constexpr std::array<std::array<Bitboard, 9>, 2> REL_RANK = [] {
    std::array<std::array<Bitboard, 9>, 2> t{};
    for (int s = 0; s < 81; ++s) {
        t[BLACK][s % 9].set(static_cast<Square>(s));
        t[WHITE][8 - s % 9].set(static_cast<Square>(s));
    }
    return t;
}();

// Relative ranks lo..8.
constexpr Bitboard ranks_from(Color c, int lo) {
    Bitboard b;
    for (int r = lo; r < 9; ++r) b |= REL_RANK[c][r];
    return b;
}

}  // namespace korvan
