#pragma once
// An editable description of a position: what a position is made from, with none of
// its derived state. Any byte may stand in a square; validation judges it.

#include <array>
#include <cstdint>

#include "types/hand.h"
#include "types/piece.h"

namespace korvan {

struct PositionState {
    std::array<Piece, 81> board{};
    std::array<Hand, 2> hands{};
    Color side_to_move = BLACK;
    std::uint16_t ply = 0;

    bool operator==(const PositionState&) const = default;
};

}  // namespace korvan
