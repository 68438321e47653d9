#pragma once
// Long replays of recorded moves with a bounded state stack.

#include <cstdint>

#include "core/board/position/parser.h"
#include "core/board/position/position.h"
#include "core/util/expected.h"

namespace korvan {

// Called after each move a reader or writer replays: every 200th call rebuilds the
// position (replay_rebuild_position) from its own SFEN, so the state stack of a long replay stays bounded. Board,
// hands, side, ply and key are unchanged; undo and repetition restart there.
Expected<Ok, SfenError> replay_rebuild_position(Position& pos, std::uint64_t& counter);
// The counting step, inline: it is on the path of every replayed move.
inline Expected<Ok, SfenError> replay_compact_history(Position& pos, std::uint64_t& counter) {
    if (++counter < 200) [[likely]] return Ok{};
    return replay_rebuild_position(pos, counter);
}

}  // namespace korvan
