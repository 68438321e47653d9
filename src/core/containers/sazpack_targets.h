#pragma once
// Network targets of a sazpack game: the compact policy label of every played move,
// and every move's visit counts as a normalised distribution over the compact labels.
// Both replay the game from its stem, testing each played move for legality, and stop
// at the first fault.

#include <array>
#include <vector>

#include "core/board/position/position.h"
#include "core/containers/sazpack.h"
#include "core/labels/policy.h"

namespace korvan {

using PolicyRow = std::array<float, COMPACT_MOVE_LABEL_NB>;

// The stem set up with ply 0.
Expected<Position, PackedSfenError> sazpack_stem_position(const SazGame& game);

// From the stem position (changed: the moves are played on it).
Expected<std::vector<std::uint16_t>, SazpackError> resolve_compact_labels(Position& pos, const SazGame& game);
// The same from the game's own stem: a stem that does not decode is PackedSfen.
Expected<std::vector<std::uint16_t>, SazpackError> resolve_compact_labels(const SazGame& game);

// One row per move, all zero for a hard target; visits over their exact 64-bit sum in
// 32-bit floating point, entries of one label adding up.
Expected<std::vector<PolicyRow>, SazpackError> expand_policies(Position& pos, const SazGame& game);

}  // namespace korvan
