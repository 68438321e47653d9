#pragma once
// The repetition state of a position: the same board and side to move met again 4 to
// 16 plies back, with the same hand (a repetition, and who checked throughout the
// cycle), or a hand that dominates or is dominated by the earlier one.

#include <cstdint>

#include "core/board/position/position.h"

namespace korvan {

struct Repetition {
    RepetitionState state;
    std::int32_t count;     // earlier occurrences on this position's chain; 3 at the fourth
    std::int32_t distance;  // plies back to the earlier occurrence, negated from count 3; 0 when none
};

// Searched when first asked for, together with every record below the current one not
// yet searched (a repetition's count continues the count of its earlier occurrence),
// and kept in those records: a move costs nothing until the answer is wanted.
Repetition position_repetition(const Position& pos);

}  // namespace korvan
